// zenfolio-emulator --port N --data DIR [--accounts FILE]
// Prints its address as the first line of standard output, then serves until
// SIGINT or SIGTERM.

#include "emulator/service_emulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

namespace {

int Usage()
{
    std::cerr << "usage: zenfolio-emulator [--port N] --data DIR [--accounts FILE]\n";
    return 2;
}

bool ParsePort(const std::string& text, std::uint16_t& port)
{
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used);
        if (used != text.size() || value > 65535) return false;
        port = static_cast<std::uint16_t>(value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    emulator::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (arg == "--port") {
            if (!ParsePort(value, options.port)) return Usage();
        } else if (arg == "--data") {
            options.data_dir = value;
        } else if (arg == "--accounts") {
            options.accounts_file = value;
        } else {
            return Usage();
        }
    }
    if (options.data_dir.empty()) return Usage();

    // Blocked before any thread starts, so every thread inherits the mask and
    // the signals wait for sigwait below.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        std::filesystem::create_directories(options.data_dir);
        emulator::ServiceEmulator service(options);
        service.Start();
        std::cout << service.Url() << std::endl;
        int received = 0;
        sigwait(&signals, &received);
        service.Stop();
    } catch (const std::exception& error) {
        std::cerr << "zenfolio-emulator: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
