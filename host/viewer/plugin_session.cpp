#include "host/viewer/plugin_session.h"

#include "host/plugin_catalog.h"
#include "pal/base/prefix.h"

#include <stdexcept>

namespace viewer {

PluginSession::PluginSession(host::StateStore store)
    : store_(std::move(store)), logFile_(pal::PrefixDirectory() / "host" / "publishing.log")
{
    plugin_ = host::CreatePublishingPlugin(CLSID_ZenfolioPublisher);
    if (!plugin_) throw std::runtime_error("the plug-in cannot be created; register it with 'orvana-host register'");
    hostObject_ = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
    host_ = static_cast<host::PublishingHost*>(hostObject_.Get());
    // The pane shows every level; the file keeps them all as the console host's does.
    host_->Configure(logFile_, true);
    state_ = store_.Open(CLSID_ZenfolioPublisher);
    if (const HRESULT hr = plugin_->Initialize(hostObject_.Get(), 0x0409, state_.Get(), 0); FAILED(hr))
        throw std::runtime_error("the plug-in's state cannot be read (HRESULT " + host::HresultText(hr) +
                                 "): " + store_.FileFor(CLSID_ZenfolioPublisher).string());
}

PluginSession::~PluginSession()
{
    try {
        Finish();
    } catch (...) {
        // The owner asks Finish itself when it wants to hear of a failure.
    }
}

void PluginSession::Finish()
{
    if (finished_) return;
    finished_ = true;
    if (const HRESULT hr = plugin_->Terminate(); FAILED(hr))
        throw std::runtime_error("the plug-in's state could not be saved: HRESULT " + host::HresultText(hr));
    store_.Save(CLSID_ZenfolioPublisher, state_.Get());
}

} // namespace viewer
