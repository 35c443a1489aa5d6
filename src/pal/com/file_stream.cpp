#include "../base/time.h"
#include "pal/base/errno_result.h"
#include "pal/base/unique_fd.h"
#include "pal/com/stream.h"
#include "pal/com/stream_copy.h"
#include "pal/object.h"
#include "pal/utf.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kAccessMask = 0x3;
constexpr DWORD kShareMask = 0x70;

// Windows tells a missing folder (ERROR_PATH_NOT_FOUND) from a missing file
// in an existing folder; POSIX says ENOENT for both.
HRESULT OpenError(int error, const std::string& path)
{
    if (error != ENOENT) return pal::HresultFromErrno(error);
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    struct stat parent {};
    const bool folderExists = ::stat(path.substr(0, slash).c_str(), &parent) == 0 && S_ISDIR(parent.st_mode);
    return HRESULT_FROM_WIN32(folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
}

using pal::UniqueFd;

class FileStream : public pal::ComObjectRoot, public IStream {
  public:
    using Interfaces = pal::InterfaceList<IStream, ISequentialStream>;
    static constexpr bool kLocksModule = false; // the layer's own object

    FileStream(UniqueFd fd, DWORD mode, std::u16string path) noexcept
        : fd_(std::move(fd)), mode_(mode), path_(std::move(path))
    {
    }

    // Short reads answer S_FALSE, as the shell's file streams do; callers
    // compare the count anyway.
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        if (pcbRead) *pcbRead = 0;
        if (!pv && cb > 0) return STG_E_INVALIDPOINTER;
        if (!CanRead()) return STG_E_ACCESSDENIED;
        ULONG total = 0;
        while (total < cb) {
            const ssize_t n = ::read(fd_.Get(), static_cast<std::byte*>(pv) + total, cb - total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (pcbRead) *pcbRead = total;
                return pal::HresultFromErrno(errno);
            }
            if (n == 0) break;
            total += static_cast<ULONG>(n);
        }
        if (pcbRead) *pcbRead = total;
        return total == cb ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        if (pcbWritten) *pcbWritten = 0;
        if (!pv && cb > 0) return STG_E_INVALIDPOINTER;
        if (!CanWrite()) return STG_E_ACCESSDENIED;
        ULONG total = 0;
        while (total < cb) {
            const ssize_t n = ::write(fd_.Get(), static_cast<const std::byte*>(pv) + total, cb - total);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (pcbWritten) *pcbWritten = total;
                return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? STG_E_MEDIUMFULL
                                                                            : pal::HresultFromErrno(errno);
            }
            total += static_cast<ULONG>(n);
        }
        if (pcbWritten) *pcbWritten = total;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override
    {
        int whence = SEEK_SET;
        switch (dwOrigin) {
        case STREAM_SEEK_SET:
            whence = SEEK_SET;
            break;
        case STREAM_SEEK_CUR:
            whence = SEEK_CUR;
            break;
        case STREAM_SEEK_END:
            whence = SEEK_END;
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        const off_t position = ::lseek(fd_.Get(), static_cast<off_t>(dlibMove.QuadPart), whence);
        if (position < 0) return errno == EINVAL ? STG_E_INVALIDFUNCTION : pal::HresultFromErrno(errno);
        if (plibNewPosition) plibNewPosition->QuadPart = static_cast<ULONGLONG>(position);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) override
    {
        if (!CanWrite()) return STG_E_ACCESSDENIED;
        if (libNewSize.QuadPart > static_cast<ULONGLONG>(INT64_MAX)) return STG_E_INVALIDFUNCTION;
        if (::ftruncate(fd_.Get(), static_cast<off_t>(libNewSize.QuadPart)) != 0) {
            return errno == ENOSPC || errno == EFBIG ? STG_E_MEDIUMFULL : pal::HresultFromErrno(errno);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                     ULARGE_INTEGER* pcbWritten) override
    {
        return pal::CopyStreamThroughBuffer(this, pstm, cb, pcbRead, pcbWritten);
    }

    HRESULT STDMETHODCALLTYPE Commit(DWORD) override
    {
        if (!CanWrite()) return S_OK;
        // Pipes and some special files cannot be synced; nothing is lost by that.
        if (::fsync(fd_.Get()) != 0 && errno != EINVAL && errno != EROFS) return pal::HresultFromErrno(errno);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override
    {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) override
    {
        if (!pstatstg) return STG_E_INVALIDPOINTER;
        struct stat info {};
        if (::fstat(fd_.Get(), &info) != 0) return pal::HresultFromErrno(errno);
        STATSTG result{};
        if (!(grfStatFlag & STATFLAG_NONAME)) {
            const std::size_t bytes = (path_.size() + 1) * sizeof(OLECHAR);
            result.pwcsName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
            if (!result.pwcsName) return E_OUTOFMEMORY;
            std::memcpy(result.pwcsName, path_.c_str(), bytes);
        }
        result.type = STGTY_STREAM;
        result.cbSize.QuadPart = static_cast<ULONGLONG>(info.st_size);
        result.mtime = pal::FileTimeFromTimespec(info.st_mtim);
        result.atime = pal::FileTimeFromTimespec(info.st_atim);
        // POSIX keeps no creation time here; the last status change is the
        // closest it offers.
        result.ctime = pal::FileTimeFromTimespec(info.st_ctim);
        result.grfMode = mode_ & ~STGM_CREATE;
        *pstatstg = result;
        return S_OK;
    }

    // Windows file streams do not clone either.
    HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) override
    {
        if (ppstm) *ppstm = nullptr;
        return E_NOTIMPL;
    }

  private:
    bool CanRead() const noexcept { return (mode_ & kAccessMask) != STGM_WRITE; }
    bool CanWrite() const noexcept { return (mode_ & kAccessMask) != STGM_READ; }

    UniqueFd fd_;
    DWORD mode_;
    std::u16string path_;
};

} // namespace

HRESULT SHCreateStreamOnFileW(LPCWSTR pszFile, DWORD grfMode, IStream** ppstm)
{
    if (ppstm) *ppstm = nullptr;
    if (!pszFile || !ppstm) return E_INVALIDARG;
    const DWORD access = grfMode & kAccessMask;
    // Transacted, convert and delete-on-release modes are not offered.
    if (access == kAccessMask || (grfMode & ~(kAccessMask | kShareMask | STGM_CREATE)) != 0) return E_INVALIDARG;

    try {
        std::u16string path(pszFile, pal::WideLength(pszFile));
        const std::string nativePath = pal::ToUtf8(path);

        int flags = O_CLOEXEC;
        flags |= access == STGM_READ ? O_RDONLY : access == STGM_WRITE ? O_WRONLY : O_RDWR;
        if (grfMode & STGM_CREATE) flags |= O_CREAT | O_TRUNC;
        // Share modes have no POSIX counterpart and are accepted as given.
        UniqueFd fd(::open(nativePath.c_str(), flags, 0666));
        if (fd.Get() < 0) return OpenError(errno, nativePath);

        struct stat info {};
        if (::fstat(fd.Get(), &info) != 0) return pal::HresultFromErrno(errno);
        // Opening a folder succeeds on POSIX but must fail as on Windows.
        if (S_ISDIR(info.st_mode)) return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);

        *ppstm = pal::MakeComObject<FileStream, IStream>(std::move(fd), grfMode, std::move(path)).Detach();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
