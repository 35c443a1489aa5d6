// orvana-host account: a tool of the demo and the tests. It logs in with the
// component's own proxy, finds the gallery, and writes the publisher's state
// record with the component's own code, as the credentials dialog and the
// settings sheet will once they exist.
#include "contract/orvana_publishing.h"
#include "contract/secure_wipe.h"
#include "host/com_apartment.h"
#include "host/commands.h"
#include "host/host_classes.h"
#include "host/service_login.h"
#include "host/service_replies.h"
#include "host/state_store.h"
#include "pal/com_ptr.h"
#include "pal/http/http_diagnostics.h"
#include "pal/utf.h"
#include "settings/crc4.h"
#include "settings/publisher_state.h"

#include <iostream>
#include <stdexcept>

namespace host {

namespace {

// By id, by title, or else the first gallery of the tree in display order.
const ServiceNode& ChooseGallery(const ServiceNode& root, const std::string& id, const std::string& title)
{
    const std::vector<const ServiceNode*> galleries = Galleries(root);
    for (const ServiceNode* gallery : galleries) {
        if (!id.empty() ? gallery->id == id : title.empty() || gallery->title == title) return *gallery;
    }
    if (!id.empty()) throw std::runtime_error("the account has no gallery with id " + id);
    if (!title.empty()) throw std::runtime_error("the account has no gallery titled '" + title + "'");
    throw std::runtime_error("the account has no gallery");
}

orvana::PublisherState StateFor(const std::string& user, const std::string& passwordFile, const ServiceProfile& profile,
                                const ServiceNode& gallery)
{
    orvana::PublisherState state;
    state.AccountIdentifier = pal::ToUtf16(user);
    std::string plain = ReadPasswordFile(passwordFile);
    pal::WideString password = pal::ToUtf16(plain);
    orvana::SecureWipe(plain.data(), plain.size());
    state.ProtectedPassword = orvana::ProtectPassword(password);
    orvana::SecureWipe(password.data(), password.size() * sizeof(WCHAR));
    state.LoginName = pal::ToUtf16(profile.loginName);
    state.DisplayName = pal::ToUtf16(profile.displayName);
    state.PhotoBytesQuota = profile.photoBytesQuota;
    state.HomeUrl = pal::ToUtf16("http://" + profile.domainName);
    state.UploadUrl = pal::ToUtf16(gallery.uploadUrl);
    state.GalleryTitle = pal::ToUtf16(gallery.title);
    state.GalleryId = pal::ToUtf16(gallery.id);
    return state;
}

} // namespace

int RunAccount(const Arguments& args)
{
    const std::string user = OptionValue(args, "--user");
    const std::string passwordFile = OptionValue(args, "--password-file");
    const std::string galleryId = OptionValue(args, "--gallery");
    const std::string galleryTitle = OptionValue(args, "--gallery-title");
    if (user.empty() || passwordFile.empty())
        throw std::runtime_error("account needs --user NAME and --password-file FILE");
    if (!galleryId.empty() && !galleryTitle.empty())
        throw std::runtime_error("account takes --gallery ID or --gallery-title TITLE, not both");

    ComApartment apartment;
    HostClassRegistration hostClasses;
    const pal::ComPtr<IZenfolioProxy> proxy = CreateProxyAndLogIn(user, passwordFile);
    if (!proxy) return 1;

    pal::ComPtr<IXMLDOMNode> reply;
    pal::http::ClearLastExchange();
    if (const HRESULT hr = proxy->LoadPrivateProfile(reply.ReleaseAndGetAddressOf()); FAILED(hr))
        return ReportFailure("loading the profile", hr);
    const ServiceProfile profile = ReadProfile(reply.Get());
    // The hierarchy is the account's own: an e-mail address typed as the user is no login name.
    const std::u16string login = pal::ToUtf16(profile.loginName);
    pal::http::ClearLastExchange();
    if (const HRESULT hr = proxy->LoadGroupHierarchy(login.c_str(), reply.ReleaseAndGetAddressOf()); FAILED(hr))
        return ReportFailure("loading the galleries", hr);
    const ServiceNode root = ReadHierarchy(reply.Get());
    const ServiceNode& gallery = ChooseGallery(root, galleryId, galleryTitle);

    const StateStore store = StateStore::InPrefix();
    const pal::ComPtr<IStream> stream = store.Open(CLSID_ZenfolioPublisher);
    orvana::SaveState(stream.Get(), StateFor(user, passwordFile, profile, gallery));
    store.Save(CLSID_ZenfolioPublisher, stream.Get());

    std::cout << "Account:     " << profile.loginName << " (" << profile.displayName << ")\n"
              << "Home:        http://" << profile.domainName << "\n"
              << "Photo quota: " << profile.photoBytesQuota << " bytes\n"
              << "Gallery:     " << gallery.title << " [" << gallery.id << "]\n"
              << "Upload to:   " << gallery.uploadUrl << "\n"
              << "State file:  " << store.FileFor(CLSID_ZenfolioPublisher).string() << "\n";
    return 0;
}

} // namespace host
