// The host's state files: what a plug-in saved comes back on the next run, and
// a replacement never leaves a partial or temporary file behind.
#include "host/state_store.h"
#include "host/text_file.h"
#include "pal/com_ptr.h"
#include "tests/support/temporary_prefix.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

constexpr CLSID kPlugin = pal::MakeGuid("6A1E2F40-3C5D-4B7E-9F10-2D3C4B5A6978");

std::string ReadAll(IStream* stream)
{
    std::string content(256, '\0');
    ULONG read = 0;
    stream->Read(content.data(), static_cast<ULONG>(content.size()), &read);
    content.resize(read);
    return content;
}

using StateFiles = testing_support::PrefixTest;

TEST_F(StateFiles, AFirstRunGetsAnEmptyStreamAndASavedStreamComesBack)
{
    const host::StateStore store = host::StateStore::InPrefix();
    auto stream = store.Open(kPlugin);
    EXPECT_EQ("", ReadAll(stream.Get()));

    const std::string record("\x01\0\0\0\0", 5);
    stream->Write(record.data(), static_cast<ULONG>(record.size()), nullptr);
    store.Save(kPlugin, stream.Get());

    auto reopened = store.Open(kPlugin);
    EXPECT_EQ(record, ReadAll(reopened.Get()));
    // A shorter record replaces the longer one whole.
    pal::ComPtr<IStream> shorter;
    CreateStreamOnHGlobal(nullptr, TRUE, shorter.ReleaseAndGetAddressOf());
    shorter->Write("\x01", 1, nullptr);
    store.Save(kPlugin, shorter.Get());
    EXPECT_EQ("\x01", ReadAll(store.Open(kPlugin).Get()));

    for (const auto& entry : std::filesystem::directory_iterator(store.FileFor(kPlugin).parent_path()))
        EXPECT_EQ(store.FileFor(kPlugin), entry.path()) << "left behind: " << entry.path();
}

TEST_F(StateFiles, AFailedReplacementKeepsTheOldContent)
{
    const auto file = prefix_.Path() / "state" / "record";
    host::ReplaceFileAtomically(file, "old");
    // A directory standing where the temporary file goes makes the write fail.
    std::filesystem::create_directories(file.string() + ".tmp." + std::to_string(::getpid()));
    EXPECT_THROW(host::ReplaceFileAtomically(file, "new"), std::system_error);
    EXPECT_EQ("old", host::ReadWholeFile(file).value_or(""));
}

} // namespace
