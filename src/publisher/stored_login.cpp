// The login with the stored credentials, which every later use of the
// service goes through: the account's login name and the deciphered password.
#include "contract/secure_wipe.h"
#include "pal/scope_guard.h"
#include "publisher/zenfolio_publisher.h"
#include "settings/crc4.h"
#include "ui/error_box.h"

namespace {

constexpr UINT kIdsAuthorizationError = 109;
constexpr UINT kIdsLoginFailed = 110;

} // namespace

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
