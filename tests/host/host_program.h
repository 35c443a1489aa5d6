// Runs the built orvana-host with the test's environment (its prefix) and
// collects what it printed on both streams.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace host_testing {

struct HostRun {
    int status;
    std::string output;
};

inline HostRun Host(const std::string& arguments)
{
    const std::string command = std::string(ORVANA_HOST_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string output;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace host_testing
