// orvana-host account: a tool of the demo and the tests. It logs in with the
// account the credentials dialog stored, finds the gallery, and writes it into
// the publisher's state record with the component's own code, as the settings
// sheet will once it exists.
#include "contract/orvana_publishing.h"
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

bool HasAccount(const orvana::PublisherState& state)
{
    return state.AccountIdentifier && !state.AccountIdentifier->empty() && state.ProtectedPassword &&
           !state.ProtectedPassword->empty() && state.LoginName && !state.LoginName->empty();
}

} // namespace

int RunAccount(const Arguments& args)
{
    std::string galleryId;
    std::string galleryTitle;
    for (std::size_t at = 0; at < args.size(); ++at) {
        const bool known = args[at] == "--gallery" || args[at] == "--gallery-title";
        if (!known || at + 1 == args.size()) {
            std::cerr << "orvana-host: account: "
                      << (known ? args[at] + " needs a value" : "unknown option " + args[at]) << '\n'
                      << "usage: orvana-host account [--gallery ID | --gallery-title TITLE]\n"
                         "(the account itself is stored by 'orvana-host configure authorize')\n";
            return 2;
        }
        (args[at] == "--gallery" ? galleryId : galleryTitle) = args[at + 1];
        ++at;
    }
    if (!galleryId.empty() && !galleryTitle.empty()) {
        std::cerr << "orvana-host: account takes --gallery ID or --gallery-title TITLE, not both\n";
        return 2;
    }

    const StateStore store = StateStore::InPrefix();
    const pal::ComPtr<IStream> stream = store.Open(CLSID_ZenfolioPublisher);
    orvana::PublisherState state;
    orvana::LoadState(stream.Get(), state);
    if (!HasAccount(state)) {
        std::cerr << "orvana-host: no account is stored: run 'orvana-host configure authorize' first\n";
        return 2;
    }

    ComApartment apartment;
    HostClassRegistration hostClasses;
    // As the publisher logs in: an e-mail address typed in the dialog is no login name.
    const std::string login = pal::ToUtf8(*state.LoginName);
    pal::WideString password = orvana::UnprotectPassword(*state.ProtectedPassword);
    const pal::ComPtr<IZenfolioProxy> proxy = CreateProxyAndLogIn(login, std::move(password));
    if (!proxy) return 1;

    pal::ComPtr<IXMLDOMNode> reply;
    pal::http::ClearLastExchange();
    if (const HRESULT hr = proxy->LoadGroupHierarchy(state.LoginName->c_str(), reply.ReleaseAndGetAddressOf());
        FAILED(hr))
        return ReportFailure("loading the galleries", hr);
    const ServiceNode root = ReadHierarchy(reply.Get());
    const ServiceNode& gallery = ChooseGallery(root, galleryId, galleryTitle);

    // Only the gallery changes; the account stays as the dialog stored it.
    state.UploadUrl = pal::ToUtf16(gallery.uploadUrl);
    state.GalleryTitle = pal::ToUtf16(gallery.title);
    state.GalleryId = pal::ToUtf16(gallery.id);
    orvana::SaveState(stream.Get(), state);
    store.Save(CLSID_ZenfolioPublisher, stream.Get());

    std::cout << "Account:     " << login << " (" << pal::ToUtf8(state.DisplayName.value_or(u"")) << ")\n"
              << "Gallery:     " << gallery.title << " [" << gallery.id << "]\n"
              << "Upload to:   " << gallery.uploadUrl << "\n"
              << "State file:  " << store.FileFor(CLSID_ZenfolioPublisher).string() << "\n";
    return 0;
}

} // namespace host
