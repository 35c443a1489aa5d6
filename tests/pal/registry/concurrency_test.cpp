#include "registry_fixture.h"

#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kWritesPerWriter = 200;

std::u16string Numbered(const char16_t* prefix, int writer, int index)
{
    std::u16string name(prefix);
    for (char c : std::to_string(writer) + "-" + std::to_string(index))
        name += static_cast<char16_t>(c);
    return name;
}

// Writes values and creates keys under the shared key, each its own call;
// the number of calls that failed.
int WriteUnderSharedKey(HKEY shared, int writer)
{
    int failures = 0;
    for (int i = 0; i < kWritesPerWriter; ++i) {
        const DWORD data = static_cast<DWORD>(i);
        failures += RegSetValueExW(shared, Numbered(u"v", writer, i).c_str(), 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS;
        pal::RegKey child;
        failures += RegCreateKeyExW(shared, Numbered(u"k", writer, i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    child.ReleaseAndGetAddressOf(), nullptr) != ERROR_SUCCESS;
    }
    return failures;
}

int WriteAsProcess(int writer)
{
    pal::RegKey shared;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Shared", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        shared.ReleaseAndGetAddressOf(), nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    return WriteUnderSharedKey(shared.Get(), writer);
}

} // namespace

class RegistryConcurrency : public RegistryTest {
  protected:
    // Everything every writer wrote is there, and each writer's keys and
    // values are in the order it created them.
    void ExpectAllWritten(int writers)
    {
        pal::RegKey shared;
        ASSERT_EQ(Open(HKEY_CURRENT_USER, u"Software\\Shared", shared), ERROR_SUCCESS);
        for (const auto& [names, prefix] :
             {std::pair{SubkeyNames(shared.Get()), u"k"}, std::pair{ValueNames(shared.Get()), u"v"}}) {
            ASSERT_EQ(names.size(), static_cast<std::size_t>(writers * kWritesPerWriter));
            EXPECT_EQ(std::set<std::u16string>(names.begin(), names.end()).size(), names.size());
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
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        ASSERT_GE(children[writer], 0);
        if (children[writer] == 0) {
            ::close(start[1]);
            char go;
            const bool started = ::read(start[0], &go, 1) == 0;
            // _exit: the child must not run the parent's exit handlers.
            ::_exit(started && WriteAsProcess(writer) == 0 ? 0 : 1);
        }
    }
    ::close(start[0]);
    ::close(start[1]);
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
    for (int writer = 0; writer < 4; ++writer) {
        threads.emplace_back([&, writer] { failures[writer] = WriteUnderSharedKey(shared.Get(), writer); });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int count : failures)
        EXPECT_EQ(count, 0);
    ExpectAllWritten(4);
}
