// orvana-host configure authorize: the plug-in's own credentials dialog shown
// as a viewer shows it, over a Qt window of the host. A user answers it on a
// display; --fill, --fill-file and --press steps answer it for a script,
// through the same controls a user would use.
#include "contract/orvana_publishing.h"
#include "host/com_apartment.h"
#include "host/commands.h"
#include "host/dialog_automation.h"
#include "host/host_classes.h"
#include "host/plugin_catalog.h"
#include "host/plugin_session.h"
#include "host/service_diagnostic.h"
#include "pal/utf.h"
#include "pal/window/qt/widget_window.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string_view>

namespace host {

namespace {

constexpr std::chrono::seconds kDialogTimeout{10};
constexpr char kUsage[] =
    "usage: orvana-host configure authorize [--fill ID=TEXT] [--fill-file ID=FILE] [--press ID]...\n";

std::string_view Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool NeedsCredentials(const std::u16string& displayState)
{
    return displayState.find(u"id=\"authorize\"") != std::u16string::npos;
}

bool LoginRefused(const DialogAutomation& automation)
{
    for (const ReportedMessageBox& box : automation.MessageBoxes())
        if (box.caption == "Authorization Error") return true;
    return false;
}

// Shows the dialog over a Qt owner, driven by steps when there are any.
// Answers the command's status.
int Authorize(PluginSession& session, std::vector<DialogStep> steps)
{
    int status = 0;
    std::u16string displayState;
    {
        int argc = 1;
        char programName[] = "orvana-host";
        char* argv[] = {programName, nullptr};
        QApplication application(argc, argv);
        // The dialog's owner; it need not be shown for the dialog to be modal to it.
        QWidget owner;
        owner.setWindowTitle(QStringLiteral("orvana-host"));
        const HWND ownerHandle = pal::qt::RegisterWidget(&owner);
        // Watching before the call: the dialog runs its own loop inside it.
        DialogAutomation automation(std::move(steps), kDialogTimeout);
        const HRESULT hr = session.Plugin()->Configure(ownerHandle, u"authorize", u"");
        displayState = session.DisplayState();
        if (FAILED(hr)) {
            std::cerr << "orvana-host: the plug-in refused the verb 'authorize': HRESULT " << HresultText(hr) << '\n';
            status = 2;
        } else if (!automation.Failure().empty()) {
            std::cerr << "orvana-host: configure: " << automation.Failure() << '\n';
            status = 2;
        } else if (!automation.DialogShown()) {
            std::cerr << "orvana-host: configure: the plug-in showed no dialog\n";
            status = 2;
        } else if (LoginRefused(automation)) {
            std::cerr << "orvana-host: the service refused the login; the stored account is unchanged.\n"
                      << DescribeLastExchange();
            status = 1;
        } else if (automation.DialogResult() != IDOK) {
            std::cerr << "orvana-host: the dialog was cancelled; the stored account is unchanged.\n";
            status = 1;
        } else if (NeedsCredentials(displayState)) {
            std::cerr << "orvana-host: the plug-in is still not authorised.\n";
            status = 1;
        }
    }
    std::cout << "Display state: " << pal::ToUtf8(displayState) << '\n';
    return status;
}

} // namespace

int RunConfigure(const Arguments& args)
{
    if (args.empty() || args[0] != "authorize") {
        std::cerr << "orvana-host: configure needs the verb 'authorize'\n" << kUsage;
        return 2;
    }
    std::vector<DialogStep> steps;
    for (std::size_t at = 1; at < args.size(); ++at) {
        const std::string& option = args[at];
        const bool known = option == "--fill" || option == "--fill-file" || option == "--press";
        if (!known || at + 1 == args.size()) {
            std::cerr << "orvana-host: configure: " << (known ? option + " needs a value" : "unknown option " + option)
                      << '\n'
                      << kUsage;
            return 2;
        }
        try {
            steps.push_back(ParseDialogStep(std::string_view(option).substr(2), args[++at]));
        } catch (const std::invalid_argument& error) {
            std::cerr << "orvana-host: configure: " << error.what() << '\n';
            return 2;
        }
    }
    // Nobody sees a script's dialog, and without a display no window can show.
    if (Environment("QT_QPA_PLATFORM").empty() &&
        (!steps.empty() || (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty())))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (steps.empty() && Environment("QT_QPA_PLATFORM") == "offscreen") {
        std::cerr << "orvana-host: configure: no display to show the dialog on; answer it with --fill and --press\n";
        return 2;
    }

    ComApartment apartment;
    HostClassRegistration hostClasses;
    return RunWithPluginSession(false, [&](PluginSession& session) { return Authorize(session, std::move(steps)); });
}

} // namespace host
