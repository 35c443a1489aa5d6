// The dialog in which the user enters the service account's identifier and
// password. It only collects and trims the two texts; logging in and
// storing them is its caller's.
#pragma once

#include "ui/dialog_resource.h"
#include "ui/modal_dialog.h"

#include <array>
#include <windows.h>

namespace orvana {

constexpr int kIdcAccountIdentifier = 205;
constexpr int kIdcAccountPassword = 206;

// Resource 217.
const DialogResource& CredentialsDialogResource();

class CCredentialsDlg : private DialogProcedure {
  public:
    // The identifier shown at opening (null for none), cut to 255 characters.
    explicit CCredentialsDlg(LPCWSTR initialIdentifier);
    // Wipes the password buffer.
    ~CCredentialsDlg();
    CCredentialsDlg(const CCredentialsDlg&) = delete;
    CCredentialsDlg& operator=(const CCredentialsDlg&) = delete;

    // IDOK when confirmed, IDCANCEL when cancelled, -1 when no dialog could be shown.
    INT_PTR DoModal(HWND owner);

    // The trimmed texts as last validated.
    LPCWSTR Identifier() const { return identifier_.data(); }
    LPCWSTR Password() const { return password_.data(); }

  private:
    void OnInitDialog(DialogControls& controls) override;
    void OnTextChanged(DialogControls& controls, int id) override;
    void OnCommand(DialogControls& controls, int id) override;
    void Validate(DialogControls& controls);

    std::array<WCHAR, 256> identifier_{};
    std::array<WCHAR, 256> password_{};
};

} // namespace orvana
