// The plug-in as a host holds it for one command or one window's life:
// created in-process, initialised with the host object and the state kept in
// the prefix, and terminated with its state saved back, so every host shares
// one setup.
#pragma once

#include "contract/orvana_publishing.h"
#include "host/publishing_host.h"
#include "host/state_store.h"
#include "pal/com_ptr.h"

#include <filesystem>
#include <functional>
#include <string>

namespace host {

class PluginSession {
  public:
    // Throws std::runtime_error with a sentence for the user when the plug-in
    // cannot be created or cannot read its state. A verbose log also keeps
    // the trace lines in the log file.
    PluginSession(StateStore store, bool verboseLog, REFCLSID clsid = CLSID_ZenfolioPublisher);
    // Finishes, ignoring failures, when the owner did not.
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    IOrvanaPublishingPlugin* Plugin() const { return plugin_.Get(); }
    PublishingHost& Host() const { return *host_; }
    // Where the log's lines go, the console host's file.
    const std::filesystem::path& LogFile() const { return logFile_; }
    // The plug-in's display state; empty when it cannot tell.
    std::u16string DisplayState() const;

    // Terminates the plug-in and saves its state. Once; throws
    // std::runtime_error when the state could not be saved.
    void Finish();

  private:
    StateStore store_;
    CLSID clsid_;
    std::filesystem::path logFile_;
    pal::ComPtr<IOrvanaPublishingPlugin> plugin_;
    pal::ComPtr<IPublishingHost> hostObject_;
    PublishingHost* host_ = nullptr;
    pal::ComPtr<IStream> state_;
    bool finished_ = false;
};

// For the console commands: runs command with a session, saying on standard
// error why when there is none (status 2) or when its state could not be
// saved afterwards (a status of 0 becomes 1).
int RunWithPluginSession(bool verboseLog, const std::function<int(PluginSession&)>& command);

} // namespace host
