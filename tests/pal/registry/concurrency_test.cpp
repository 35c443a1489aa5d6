#include "pal/base/unique_fd.h"
#include "pal/registry_key.h"
#include "registry_fixture.h"

#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class RegistryConcurrency : public RegistryTest {
  protected:
    static constexpr int kWritesPerWriter = 200;

    static std::u16string Numbered(const char16_t* prefix, int writer, int index)
    {
        const std::string number = std::to_string(writer) + "-" + std::to_string(index);
        return prefix + std::u16string(number.begin(), number.end());
    }

    // Writes values and creates keys under the shared key, each its own call;
    // the number of calls that failed.
    static int WriteUnderSharedKey(HKEY shared, int writer)
    {
        int failures = 0;
        for (int i = 0; i < kWritesPerWriter; ++i) {
            failures += SetDword(shared, Numbered(u"v", writer, i).c_str(), i) != ERROR_SUCCESS;
            failures += !Create(shared, Numbered(u"k", writer, i).c_str()).Get();
        }
        return failures;
    }

    // Everything every writer wrote is there, once, and each writer's keys
    // and values are in the order it created them.
    void ExpectAllWritten(int writers)
    {
        const pal::RegKey shared = Opened(HKEY_CURRENT_USER, u"Software\\Shared");
        for (const auto& [names, prefix] :
             {std::pair{SubkeyNames(shared.Get()), u"k"}, std::pair{ValueNames(shared.Get()), u"v"}}) {
            ASSERT_EQ(names.size(), static_cast<std::size_t>(writers * kWritesPerWriter));
            for (int writer = 0; writer < writers; ++writer) {
                int next = 0;
                for (const std::u16string& name : names) {
                    if (name == Numbered(prefix, writer, next)) ++next;
                }
                EXPECT_EQ(next, kWritesPerWriter) << "writer " << writer;
            }
        }
    }
};

TEST_F(RegistryConcurrency, TwoProcessesWritingAtOnceLoseNothing)
{
    // Both children wait on the pipe, so they open the new hive and write together.
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    pal::UniqueFd startReader(start[0]), startWriter(start[1]);
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        ASSERT_GE(children[writer], 0);
        if (children[writer] == 0) {
            startWriter.Reset();
            char go;
            const bool started = ::read(startReader.Get(), &go, 1) == 0;
            const pal::RegKey shared = Create(HKEY_CURRENT_USER, u"Software\\Shared");
            // _exit: the child must not run the parent's exit handlers.
            ::_exit(started && WriteUnderSharedKey(shared.Get(), writer) == 0 ? 0 : 1);
        }
    }
    startReader.Reset();
    startWriter.Reset();
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    ExpectAllWritten(2);
}

TEST_F(RegistryConcurrency, ThreadsSharingOneHandleLoseNothing)
{
    const pal::RegKey shared = Create(HKEY_CURRENT_USER, u"Software\\Shared");
    std::vector<std::thread> threads;
    int failures[4] = {};
    for (int writer = 0; writer < 4; ++writer)
        threads.emplace_back([&, writer] { failures[writer] = WriteUnderSharedKey(shared.Get(), writer); });
    for (std::thread& thread : threads)
        thread.join();
    for (int count : failures)
        EXPECT_EQ(count, 0);
    ExpectAllWritten(4);
}
