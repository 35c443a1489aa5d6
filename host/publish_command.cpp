// orvana-host publish: the selection named on the command line sent by the
// plug-in, as a viewer sends it: the readiness check with the live login,
// then the run with its progress drawn in the console window. Ctrl-C once
// lets the current picture finish; twice aborts its transfer.
#include "contract/orvana_publishing.h"
#include "host/com_apartment.h"
#include "host/commands.h"
#include "host/console_window.h"
#include "host/host_classes.h"
#include "host/plugin_session.h"
#include "host/publishing_host.h"
#include "host/selection.h"
#include "host/service_diagnostic.h"
#include "host/state_store.h"
#include "pal/base/prefix.h"
#include "pal/base/unique_fd.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/utf.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace host {

namespace {

int g_interruptPipe = -1;

extern "C" void OnPublishInterrupt(int)
{
    const char byte = 'i';
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe, &byte, 1);
}

// Ctrl-C asks the plug-in to cancel: the first gracefully, the next abruptly.
// The handler only writes to a pipe; a thread of its own makes the calls.
class InterruptToCancel {
  public:
    explicit InterruptToCancel(IOrvanaPublishingPlugin* plugin) : plugin_(plugin)
    {
        int ends[2];
        if (::pipe(ends) != 0) throw std::runtime_error("cannot create a pipe");
        readEnd_.Reset(ends[0]);
        writeEnd_.Reset(ends[1]);
        g_interruptPipe = writeEnd_.Get();
        struct sigaction action {};
        action.sa_handler = &OnPublishInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &previous_);
        watcher_ = std::thread([this] { Watch(); });
    }
    ~InterruptToCancel()
    {
        sigaction(SIGINT, &previous_, nullptr);
        const char stop = 's';
        [[maybe_unused]] const ssize_t written = ::write(writeEnd_.Get(), &stop, 1);
        watcher_.join();
        g_interruptPipe = -1;
    }
    InterruptToCancel(const InterruptToCancel&) = delete;
    InterruptToCancel& operator=(const InterruptToCancel&) = delete;

    int Interrupts() const { return interrupts_; }

  private:
    void Watch()
    {
        char byte = 0;
        while (::read(readEnd_.Get(), &byte, 1) == 1 && byte == 'i') {
            const int count = ++interrupts_;
            plugin_->Cancel(count > 1 ? TRUE : FALSE);
        }
    }

    IOrvanaPublishingPlugin* plugin_;
    pal::UniqueFd readEnd_;
    pal::UniqueFd writeEnd_;
    struct sigaction previous_ {};
    std::atomic<int> interrupts_{0};
    std::thread watcher_;
};

std::vector<std::filesystem::path> PathsOf(const Arguments& args)
{
    std::vector<std::filesystem::path> paths;
    for (const std::string& arg : args)
        if (arg != "--verbose") paths.emplace_back(arg);
    return paths;
}

// One sentence on why the plug-in is not ready, from what the host saw.
std::string NotReadyReason(const std::u16string& displayStateBefore, const std::vector<ShownMessageBox>& boxes)
{
    if (displayStateBefore.find(u"id=\"authorize\"") != std::u16string::npos)
        return "the plug-in is not authorised: store an account with 'orvana-host configure authorize'";
    if (boxes.empty())
        return "the plug-in has no gallery to publish to: choose one with 'orvana-host account --gallery ID'";
    for (const ShownMessageBox& box : boxes)
        if (box.caption == "Authorization Error") return "the service refused the login with the stored credentials";
    return "the gallery chosen for publishing cannot be found on the service (deleted?)";
}

// The run in the console window: the readiness check, then the publish with
// Ctrl-C as cancel. Answers the command's status.
int PublishSelection(PluginSession& session, std::size_t pictures)
{
    IOrvanaPublishingPlugin* plugin = session.Plugin();
    PublishingHost& publishingHost = session.Host();
    const std::filesystem::path& logFile = session.LogFile();
    ConsoleWindow window;
    publishingHost.LogOutput().SetEchoSink(
        [&window](LONG, std::u16string_view text) { window.PrintAbove(pal::ToUtf8(text)); });
    const std::u16string displayState = session.DisplayState();
    int status = 0;
    if (plugin->CanPublish(window.StatusHandle(), TRUE) != S_OK) {
        const std::vector<ShownMessageBox> boxes = window.MessageBoxes();
        window.Finish();
        std::cerr << "orvana-host: cannot publish: " << NotReadyReason(displayState, boxes) << ".\n"
                  << DescribeLastExchange();
        status = 2;
    } else {
        int interrupts = 0;
        {
            InterruptToCancel interrupt(plugin);
            plugin->Publish(window.ProgressHandle(), window.StatusHandle());
            interrupts = interrupt.Interrupts();
        }
        window.Finish();
        const unsigned failed = publishingHost.LogOutput().Count(kLogPictureFailed);
        const unsigned notStarted = publishingHost.LogOutput().Count(kLogRunFailed);
        if (interrupts > 0) {
            std::cerr << "orvana-host: the run was cancelled; the log is in " << logFile.string() << '\n';
            status = 1;
        } else if (failed > 0 || notStarted > 0) {
            std::cerr << "orvana-host: " << failed << " of " << pictures
                      << " pictures could not be published; the log is in " << logFile.string() << '\n';
            status = 1;
        }
    }
    publishingHost.LogOutput().SetEchoSink(nullptr);
    return status;
}

} // namespace

int RunPublish(const Arguments& args)
{
    const bool verbose = HasFlag(args, "--verbose");
    const std::vector<std::filesystem::path> paths = PathsOf(args);
    if (paths.empty()) {
        std::cerr << "orvana-host: publish needs the files or folders to publish\n"
                     "usage: orvana-host publish [--verbose] FILE|FOLDER...\n";
        return 2;
    }
    Selection selection;
    try {
        selection = Selection::FromPaths(paths);
    } catch (const std::runtime_error& error) {
        std::cerr << "orvana-host: " << error.what() << '\n';
        return 2;
    }
    const std::size_t pictures = selection.Items().size();

    ComApartment apartment;
    HostClassRegistration hostClasses;
    return RunWithPluginSession(verbose, [&](PluginSession& session) {
        session.Host().SetSelection(std::move(selection));
        return PublishSelection(session, pictures);
    });
}

} // namespace host
