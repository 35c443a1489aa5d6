#include "host/service_login.h"

#include "host/service_diagnostic.h"
#include "host/text_file.h"
#include "pal/com/activation.h"
#include "pal/http/http_diagnostics.h"
#include "pal/utf.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace host {

std::string ReadPasswordFile(const std::string& file)
{
    const auto content = ReadWholeFile(file);
    if (!content) throw std::runtime_error("cannot read the password file " + file);
    std::string password = *content;
    if (const auto end = password.find_first_of("\r\n"); end != std::string::npos) password.resize(end);
    if (password.empty()) throw std::runtime_error("the password file " + file + " holds no password");
    return password;
}

pal::ComPtr<IZenfolioProxy> CreateProxyAndLogIn(const std::string& user, const std::string& passwordFile)
{
    std::string plain = ReadPasswordFile(passwordFile);
    std::u16string password = pal::ToUtf16(plain);
    std::fill(plain.begin(), plain.end(), '\0');
    return CreateProxyAndLogIn(user, std::move(password));
}

pal::ComPtr<IZenfolioProxy> CreateProxyAndLogIn(const std::string& user, std::u16string&& password)
{
    pal::http::ClearLastExchange(); // what a failure reports is this login's
    pal::ComPtr<IZenfolioProxy> proxy;
    if (const HRESULT hr = CoCreateInstance(CLSID_ZenfolioProxy, nullptr, CLSCTX_INPROC_SERVER, IID_IZenfolioProxy,
                                            proxy.ReleaseAndGetVoidAddress());
        FAILED(hr)) {
        std::fill(password.begin(), password.end(), u'\0');
        ReportFailure("creating the service proxy (is the plug-in registered? try 'orvana-host register')", hr);
        return nullptr;
    }
    const std::u16string login = pal::ToUtf16(user);
    const HRESULT loggedIn = proxy->Authenticate(login.c_str(), password.c_str());
    std::fill(password.begin(), password.end(), u'\0');
    if (FAILED(loggedIn)) {
        ReportFailure("login as " + user, loggedIn);
        return nullptr;
    }
    return proxy;
}

int ReportFailure(const std::string& what, HRESULT hr)
{
    std::fprintf(stderr, "orvana-host: %s failed: HRESULT 0x%08x\n", what.c_str(), static_cast<unsigned>(hr));
    std::fputs(DescribeLastExchange().c_str(), stderr);
    return 1;
}

} // namespace host
