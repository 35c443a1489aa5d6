#include "pal/base/unique_fd.h"
#include "tests/emulator/emulator_client.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace emulator::testing {
namespace {

TEST(EmulatorProgram, PrintsItsAddressFirstAndStopsCleanlyOnSigterm)
{
    const std::string data = ::testing::TempDir() + "emulator-program-" + std::to_string(::getpid());
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pal::UniqueFd reader(out[0]), writer(out[1]);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(writer.Get(), STDOUT_FILENO);
        reader.Reset();
        writer.Reset();
        ::execl(ZENFOLIO_EMULATOR_PATH, ZENFOLIO_EMULATOR_PATH, "--port", "0", "--data", data.c_str(), nullptr);
        ::_exit(127);
    }
    writer.Reset();
    std::string line;
    char c = 0;
    while (::read(reader.Get(), &c, 1) == 1 && c != '\n')
        line.push_back(c);

    std::smatch match;
    const bool address = std::regex_match(line, match, std::regex(R"(http://127\.0\.0\.1:(\d+))"));
    if (address) {
        ServiceClient client(static_cast<std::uint16_t>(std::stoi(match[1])));
        EXPECT_EQ(client.Call("GetCategories", "").status, 200);
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    reader.Reset();
    std::filesystem::remove_all(data);

    EXPECT_TRUE(address) << "first line: " << line;
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace emulator::testing
