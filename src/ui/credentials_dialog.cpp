#include "ui/credentials_dialog.h"

#include "contract/secure_wipe.h"
#include "ui/data_exchange.h"

#include <algorithm>
#include <iterator>
#include <pal/wide_string.h>

namespace orvana {

namespace {

constexpr ControlResource kControls[] = {
    {kUnaddressedControl,
     ControlKind::Static,
     W("Zenfolio account identifier (user name or email address)"),
     SS_LEFT,
     {9, 7, 253, 8}},
    {kIdcAccountIdentifier, ControlKind::Edit, W(""), ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, {10, 18, 253, 14}},
    {kUnaddressedControl, ControlKind::Static, W("Account password"), SS_LEFT, {9, 37, 253, 8}},
    {kIdcAccountPassword,
     ControlKind::Edit,
     W(""),
     ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
     {10, 48, 253, 14}},
    {kUnaddressedControl,
     ControlKind::Static,
     W("Orvana uses a secure challenge/response mechanism to authenticate to Zenfolio: your password is never "
       "transmitted over the internet to connect to your Zenfolio account."),
     SS_LEFT,
     {10, 72, 258, 26}},
    {IDOK, ControlKind::PushButton, W("OK"), BS_DEFPUSHBUTTON | WS_TABSTOP, {154, 106, 50, 16}},
    {IDCANCEL, ControlKind::PushButton, W("Cancel"), BS_PUSHBUTTON | WS_TABSTOP, {213, 106, 50, 16}},
};

constexpr DialogResource kDialog{217,
                                 273,
                                 130,
                                 DS_SHELLFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                 W("Zenfolio User Credentials"),
                                 W("MS Shell Dlg"),
                                 8,
                                 kControls};

} // namespace

const DialogResource& CredentialsDialogResource()
{
    return kDialog;
}

CCredentialsDlg::CCredentialsDlg(LPCWSTR initialIdentifier)
{
    if (!initialIdentifier) return;
    const pal::WideView given(initialIdentifier);
    std::copy_n(given.begin(), std::min(given.size(), identifier_.size() - 1), identifier_.begin());
}

CCredentialsDlg::~CCredentialsDlg()
{
    SecureWipe(password_.data(), sizeof password_);
}

INT_PTR CCredentialsDlg::DoModal(HWND owner)
{
    return RunModalDialog(owner, kDialog, *this);
}

void CCredentialsDlg::OnInitDialog(DialogControls& controls)
{
    controls.SetText(kIdcAccountIdentifier, identifier_.data());
    Validate(controls);
}

void CCredentialsDlg::OnTextChanged(DialogControls& controls, int id)
{
    if (id == kIdcAccountIdentifier || id == kIdcAccountPassword) Validate(controls);
}

void CCredentialsDlg::OnCommand(DialogControls& controls, int id)
{
    // The buffers already hold the last validation's texts.
    if (id == IDOK || id == IDCANCEL) controls.End(id);
}

void CCredentialsDlg::Validate(DialogControls& controls)
{
    if (ReadControlText(controls, kIdcAccountIdentifier, identifier_))
        ReadControlText(controls, kIdcAccountPassword, password_);
    TrimWhiteSpace(identifier_);
    TrimWhiteSpace(password_);
    controls.Enable(IDOK, identifier_[0] != W('\0') && password_[0] != W('\0'));
}

} // namespace orvana
