#include "host/text_file.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace host {

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

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
    FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
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
    {
        FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (fd.Get() < 0) ThrowErrno("open " + temporary.string());
        try {
            WriteAll(fd.Get(), content, temporary);
            if (::fsync(fd.Get()) != 0) ThrowErrno("fsync " + temporary.string());
        } catch (...) {
            ::unlink(temporary.c_str());
            throw;
        }
        if (::close(fd.Release()) != 0) ThrowErrno("close " + temporary.string());
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        errno = error;
        ThrowErrno("rename " + file.string());
    }
    // The rename itself must reach the disk too.
    FileDescriptor directory(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Get() >= 0) ::fsync(directory.Get());
}

} // namespace host
