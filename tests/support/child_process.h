// Runs part of a test in a forked child, for state that lasts as long as a
// process (a module's per-user flag, for one). Failures in the child are
// reported there and make the child exit non-zero.
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

inline bool PassesInChildProcess(const std::function<void()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        body();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace testing_support
