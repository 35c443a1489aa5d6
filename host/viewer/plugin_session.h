// The plug-in as the viewer holds it for its life: created in-process,
// initialised with the host object and the state the console host keeps in
// the prefix, and terminated with its state saved back, so both hosts share
// one setup.
#pragma once

#include "contract/orvana_publishing.h"
#include "host/publishing_host.h"
#include "host/state_store.h"
#include "pal/com_ptr.h"

namespace viewer {

class PluginSession {
  public:
    // Throws std::runtime_error with a sentence for the user when the plug-in
    // cannot be created or cannot read its state.
    explicit PluginSession(host::StateStore store);
    // Finishes, ignoring failures, when the owner did not.
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    IOrvanaPublishingPlugin* Plugin() const { return plugin_.Get(); }
    host::PublishingHost& Host() const { return *host_; }
    // Where the log's lines go, the console host's file.
    const std::filesystem::path& LogFile() const { return logFile_; }

    // Terminates the plug-in and saves its state. Once; throws
    // std::runtime_error when the state could not be saved.
    void Finish();

  private:
    host::StateStore store_;
    std::filesystem::path logFile_;
    pal::ComPtr<IOrvanaPublishingPlugin> plugin_;
    pal::ComPtr<IPublishingHost> hostObject_;
    host::PublishingHost* host_ = nullptr;
    pal::ComPtr<IStream> state_;
    bool finished_ = false;
};

} // namespace viewer
