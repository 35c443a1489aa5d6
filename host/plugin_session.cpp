#include "host/plugin_session.h"

#include "host/plugin_catalog.h"
#include "pal/base/prefix.h"
#include "pal/bstr.h"

#include <iostream>
#include <optional>
#include <stdexcept>

namespace host {

PluginSession::PluginSession(StateStore store, bool verboseLog, REFCLSID clsid)
    : store_(std::move(store)), clsid_(clsid), logFile_(pal::PrefixDirectory() / "host" / "publishing.log")
{
    plugin_ = CreatePublishingPlugin(clsid_);
    hostObject_ = pal::MakeComObject<PublishingHost, IPublishingHost>();
    host_ = static_cast<PublishingHost*>(hostObject_.Get());
    host_->Configure(logFile_, verboseLog);
    state_ = store_.Open(clsid_);
    if (const HRESULT hr = plugin_->Initialize(hostObject_.Get(), 0x0409, state_.Get(), 0); FAILED(hr))
        throw std::runtime_error("the plug-in's state cannot be read (HRESULT " + HresultText(hr) +
                                 "): " + store_.FileFor(clsid_).string());
}

PluginSession::~PluginSession()
{
    try {
        Finish();
    } catch (...) {
        // The owner asks Finish itself when it wants to hear of a failure.
    }
}

std::u16string PluginSession::DisplayState() const
{
    pal::Bstr state;
    if (FAILED(plugin_->GetDisplayState(state.ReleaseAndGetAddressOf()))) return {};
    return state.Str();
}

void PluginSession::Finish()
{
    if (finished_) return;
    finished_ = true;
    if (const HRESULT hr = plugin_->Terminate(); FAILED(hr))
        throw std::runtime_error("the plug-in's state could not be saved: HRESULT " + HresultText(hr));
    store_.Save(clsid_, state_.Get());
}

int RunWithPluginSession(bool verboseLog, const std::function<int(PluginSession&)>& command)
{
    std::optional<PluginSession> session;
    try {
        session.emplace(StateStore::InPrefix(), verboseLog);
    } catch (const std::runtime_error& error) {
        std::cerr << "orvana-host: " << error.what() << '\n';
        return 2;
    }
    const int status = command(*session);
    try {
        session->Finish();
    } catch (const std::runtime_error& error) {
        std::cerr << "orvana-host: " << error.what() << '\n';
        return status == 0 ? 1 : status;
    }
    return status;
}

} // namespace host
