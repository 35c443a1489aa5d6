#include "host/text_file.h"

#include "pal/base/unique_fd.h"
#include "pal/scope_guard.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace host {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void WriteAll(int fd, std::string_view data, const std::filesystem::path& file)
{
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            ThrowErrno("write " + file.string());
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace

void AppendLine(const std::filesystem::path& file, std::string_view line)
{
    std::filesystem::create_directories(file.parent_path());
    pal::UniqueFd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (fd.Get() < 0) ThrowErrno("open " + file.string());
    std::string text(line);
    text += '\n';
    WriteAll(fd.Get(), text, file);
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void ReplaceFileAtomically(const std::filesystem::path& file, std::string_view content)
{
    std::filesystem::create_directories(file.parent_path());
    const std::filesystem::path temporary = file.string() + ".tmp." + std::to_string(::getpid());
    // Every failure, closing included, removes the temporary; the error was taken before.
    pal::ScopeGuard removeTemporary([&temporary] { ::unlink(temporary.c_str()); });
    {
        pal::UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (fd.Get() < 0) ThrowErrno("open " + temporary.string());
        WriteAll(fd.Get(), content, temporary);
        if (::fsync(fd.Get()) != 0) ThrowErrno("fsync " + temporary.string());
        if (::close(fd.Release()) != 0) ThrowErrno("close " + temporary.string());
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) ThrowErrno("rename " + file.string());
    removeTemporary.Dismiss();
    // The rename itself must reach the disk too.
    pal::UniqueFd directory(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) ::fsync(directory.Get());
}

} // namespace host
