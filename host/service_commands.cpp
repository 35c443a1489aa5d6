// orvana-host service: a console for the service client. It goes through the
// same proxy object the publisher uses: log in, run one call, print the
// result: the profile and the hierarchy as a summary (--xml: as the reply's
// XML), the other calls' result element as XML.
#include "contract/orvana_publishing.h"
#include "host/com_apartment.h"
#include "host/commands.h"
#include "host/host_classes.h"
#include "host/service_login.h"
#include "host/service_replies.h"
#include "host/upload_command.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/http/http_diagnostics.h"
#include "pal/utf.h"
#include "pal/xml/msxml.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <stdexcept>

namespace host {

namespace {

// The words that are not options: the command, then its argument.
Arguments Positional(const Arguments& args)
{
    static const Arguments kWithValue = {"--user",    "--password-file", "--level",       "--group", "--title",
                                         "--caption", "--categories",    "--gallery-url", "--name"};
    Arguments words;
    for (std::size_t n = 0; n < args.size(); ++n) {
        if (std::find(kWithValue.begin(), kWithValue.end(), args[n]) != kWithValue.end()) {
            ++n;
        } else if (args[n].rfind("--", 0) != 0) {
            words.push_back(args[n]);
        }
    }
    return words;
}

tagLOADPHOTOSETLEVEL LevelFrom(const std::string& text)
{
    if (text.empty() || text == "Full") return LOADPHOTOSETLEVEL_FULL;
    if (text == "Level1") return LOADPHOTOSETLEVEL_LEVEL1;
    if (text == "Level2") return LOADPHOTOSETLEVEL_LEVEL2;
    throw std::runtime_error("unknown level '" + text + "' (Level1, Level2 or Full)");
}

// Runs the call the command names; nothing is printed here.
HRESULT RunCall(IZenfolioProxy* proxy, const Arguments& words, const std::u16string& user, const Arguments& args,
                pal::ComPtr<IXMLDOMNode>& result)
{
    const std::string& command = words.front();
    auto option = [&](const char* name) { return pal::ToUtf16(OptionValue(args, name)); };
    IXMLDOMNode** out = result.ReleaseAndGetAddressOf();
    if (command == "profile") return proxy->LoadPrivateProfile(out);
    if (command == "hierarchy") return proxy->LoadGroupHierarchy(user.c_str(), out);
    if (command == "categories") return proxy->GetCategories(out);
    if (command == "photoset") {
        if (words.size() < 2) throw std::runtime_error("photoset needs an id");
        const std::u16string id = pal::ToUtf16(words[1]);
        return proxy->LoadPhotoSet(id.c_str(), LevelFrom(OptionValue(args, "--level")),
                                   HasFlag(args, "--photos") ? TRUE : FALSE, out);
    }
    if (command == "create-gallery") {
        const std::u16string group = option("--group"), title = option("--title"), caption = option("--caption"),
                             categories = option("--categories");
        return proxy->CreatePhotoSet(group.c_str(), CREATEPHOTOSETTYPE_GALLERY, title.c_str(), caption.c_str(), nullptr,
                                     categories.c_str(), nullptr, out);
    }
    throw std::runtime_error("unknown service command '" + command +
                             "' (profile, hierarchy, categories, photoset, create-gallery, upload)");
}

} // namespace

int RunService(const Arguments& args)
{
    const std::string user = OptionValue(args, "--user");
    const std::string passwordFile = OptionValue(args, "--password-file");
    if (user.empty() || passwordFile.empty())
        throw std::runtime_error("service needs --user NAME and --password-file FILE");
    const Arguments words = Positional(args);
    if (words.empty())
        throw std::runtime_error(
            "service needs a command: profile, hierarchy, categories, photoset, create-gallery, upload");

    ComApartment apartment;
    HostClassRegistration hostClasses;
    const pal::ComPtr<IZenfolioProxy> proxy = CreateProxyAndLogIn(user, passwordFile);
    if (!proxy) return 1;
    const std::u16string login = pal::ToUtf16(user);

    if (words.front() == "upload") {
        if (words.size() < 2) throw std::runtime_error("upload needs a FILE");
        return RunUpload(proxy.Get(), words[1], args);
    }
    pal::ComPtr<IXMLDOMNode> result;
    pal::http::ClearLastExchange();
    if (const HRESULT hr = RunCall(proxy.Get(), words, login, args, result); FAILED(hr))
        return ReportFailure(words.front(), hr);
    if (!HasFlag(args, "--xml") && (words.front() == "profile" || words.front() == "hierarchy")) {
        std::cout << (words.front() == "profile" ? FormatProfile(ReadProfile(result.Get()))
                                                 : FormatHierarchy(ReadHierarchy(result.Get())));
        return 0;
    }
    if (!result) {
        std::cout << '\n';
        return 0;
    }
    pal::Bstr xml;
    if (const HRESULT hr = result->get_xml(xml.ReleaseAndGetAddressOf()); FAILED(hr))
        return ReportFailure("reading the reply", hr);
    std::cout << pal::ToUtf8(xml.View()) << '\n';
    return 0;
}

} // namespace host
