// orvana-host: the reference host. It registers plug-in modules, lists the
// publishing plug-ins, drives one through its contract and seeds its settings.
#include "host/commands.h"
#include "pal/http/http_diagnostics.h"

#include <iostream>

namespace {

void PrintUsage(std::ostream& out)
{
    out << "usage: orvana-host COMMAND [OPTIONS]\n"
           "\n"
           "commands:\n"
           "  register   [--machine] [--module PATH]   register the plug-in module (per user by default)\n"
           "  unregister [--machine] [--module PATH]   remove its registration\n"
           "  plugins    [--json]                      list the registered publishing plug-ins\n"
           "  info       [--json] [--clsid CLSID]      create a plug-in, show what it reports, terminate it\n"
           "  service    --user NAME --password-file FILE COMMAND\n"
           "             log in to the service and run one call, printing its result (profile and\n"
           "             hierarchy as a summary, --xml for the reply; the others as XML):\n"
           "             profile [--xml] | hierarchy [--xml] | categories\n"
           "             | photoset ID [--level Level1|Level2|Full] [--photos]\n"
           "             | create-gallery --group ID --title T [--caption C] [--categories \"code|code\"]\n"
           "             | upload --gallery-url URL FILE [--name NAME]   (Ctrl-C cancels)\n"
           "  settings   set NAME VALUE [--type dword|string] [--clsid CLSID]\n"
           "             | unset NAME [--clsid CLSID] | show [--json] [--clsid CLSID]\n"
           "             seed or inspect a plug-in's per-user settings key; VALUE is a dword when it\n"
           "             is a decimal number that fits 32 bits, else a string\n"
           "  configure  authorize [--fill ID=TEXT] [--fill-file ID=FILE] [--press ID]...\n"
           "             show the plug-in's credentials dialog; the steps answer it in order as a\n"
           "             user would (the text of --fill-file is the file's first line; without a\n"
           "             display it is drawn offscreen). Exit status 0: authorised, 1: login\n"
           "             refused or dialog cancelled, 2: a step failed or bad usage\n"
           "  account    [--gallery ID | --gallery-title TITLE]\n"
           "             log in with the stored account and store the gallery to publish to\n"
           "             (a demo and test tool; default: the first gallery)\n"
           "  publish    [--verbose] FILE|FOLDER...\n"
           "             publish the pictures to the stored gallery with a progress bar; Ctrl-C once\n"
           "             stops after the current picture, twice aborts it. Exit status 0: all\n"
           "             published, 1: pictures failed or cancelled, 2: not ready or bad usage\n"
           "\n"
           "The registry and the host's files live under $ORVANA_PREFIX (default ~/.local/share/orvana).\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage(std::cerr);
        return 2;
    }
    const std::string command = argv[1];
    const host::Arguments args(argv + 2, argv + argc);
    // So that a failed service call can say what the server answered.
    pal::http::SetDiagnostics(true);
    try {
        if (command == "register") return host::RunRegister(args, true);
        if (command == "unregister") return host::RunRegister(args, false);
        if (command == "plugins") return host::RunPlugins(args);
        if (command == "info") return host::RunInfo(args);
        if (command == "service") return host::RunService(args);
        if (command == "publish") return host::RunPublish(args);
        if (command == "settings") return host::RunSettings(args);
        if (command == "configure") return host::RunConfigure(args);
        if (command == "account") return host::RunAccount(args);
        if (command == "help" || command == "--help" || command == "-h") {
            PrintUsage(std::cout);
            return 0;
        }
    } catch (const std::exception& error) {
        std::cerr << "orvana-host: " << error.what() << '\n';
        return 1;
    }
    std::cerr << "orvana-host: unknown command '" << command << "'\n";
    PrintUsage(std::cerr);
    return 2;
}
