// The login with the stored credentials, which every later use of the
// service goes through: the account's login name and the deciphered password.
#include "contract/secure_wipe.h"
#include "pal/bstr.h"
#include "pal/scope_guard.h"
#include "publisher/zenfolio_publisher.h"
#include "service/soap_document.h"
#include "settings/crc4.h"
#include "ui/credentials_dialog.h"
#include "ui/error_box.h"

namespace {

constexpr UINT kIdsAuthorizationError = 109;
constexpr UINT kIdsLoginFailed = 110;

// A profile field's text; empty when the profile lacks it.
pal::WideString ProfileField(IXMLDOMNode* profile, LPCWSTR xpath)
{
    pal::Bstr text;
    orvana::GetNodeText(profile, xpath, text.ReleaseAndGetAddressOf());
    return pal::WideString(text.Str());
}

// Leading blanks, a sign and the digits up to the first other character; 0 for none.
LONGLONG ParseDecimal(pal::WideView text)
{
    std::size_t at = 0;
    while (at < text.size() && (text[at] == u' ' || (text[at] >= u'\t' && text[at] <= u'\r')))
        ++at;
    const bool negative = at < text.size() && text[at] == u'-';
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
    unsigned long long value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        value = value * 10 + static_cast<unsigned>(text[at] - u'0');
    return negative ? -static_cast<LONGLONG>(value) : static_cast<LONGLONG>(value);
}

} // namespace

bool CZenfolioPublisher::AuthorizeInteractively(HWND owner)
{
    const LPCWSTR storedIdentifier = state_.AccountIdentifier ? state_.AccountIdentifier->c_str() : nullptr;
    orvana::CCredentialsDlg dialog(storedIdentifier);
    if (dialog.DoModal(owner) != IDOK) return false;
    loggedIn_ = false;
    pal::ComPtr<IXMLDOMNode> profile;
    if (proxy_->Authenticate(dialog.Identifier(), dialog.Password()) != S_OK ||
        FAILED(proxy_->LoadPrivateProfile(profile.ReleaseAndGetAddressOf())) || !profile) {
        orvana::ShowErrorBox(owner, kIdsLoginFailed, kIdsAuthorizationError);
        return false;
    }
    state_.LoginName = ProfileField(profile.Get(), W("z:LoginName"));
    state_.DisplayName = ProfileField(profile.Get(), W("z:DisplayName"));
    state_.PhotoBytesQuota = ParseDecimal(ProfileField(profile.Get(), W("z:PhotoBytesQuota")));
    state_.HomeUrl = pal::WideString(W("http://")) + ProfileField(profile.Get(), W("z:DomainName"));
    state_.AccountIdentifier = pal::WideString(dialog.Identifier());
    state_.ProtectedPassword = orvana::ProtectPassword(dialog.Password());
    loggedIn_ = true;
    return true;
}

bool CZenfolioPublisher::EnsureLoggedIn(HWND owner)
{
    if (!IsAuthorized()) return false;
    if (loggedIn_) return true;
    pal::WideString password = orvana::UnprotectPassword(*state_.ProtectedPassword);
    const pal::ScopeGuard wipe([&]() noexcept { orvana::SecureWipe(password); });
    // Authorisation may have been by e-mail address; the service knows the login name.
    if (proxy_->Authenticate(state_.LoginName->c_str(), password.c_str()) != S_OK) {
        orvana::ShowErrorBox(owner, kIdsLoginFailed, kIdsAuthorizationError);
        return false;
    }
    loggedIn_ = true;
    return true;
}
