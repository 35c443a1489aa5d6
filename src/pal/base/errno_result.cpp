#include "errno_result.h"

#include <cerrno>

namespace pal {
namespace {

constexpr DWORD kErrorTooManyOpenFiles = 4;
constexpr DWORD kErrorFileExists = 80;
constexpr DWORD kErrorDiskFull = 112;
constexpr DWORD kErrorFilenameTooLong = 206;
constexpr DWORD kErrorFileTooLarge = 223;
constexpr DWORD kErrorIoDevice = 1117;
constexpr DWORD kErrorCantResolveFilename = 1921;
constexpr DWORD kErrorGenFailure = 31;

} // namespace

HRESULT HresultFromErrno(int error) noexcept
{
    switch (error) {
    case ENOENT:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case ENOTDIR:
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY:
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    case EMFILE:
    case ENFILE:
        return HRESULT_FROM_WIN32(kErrorTooManyOpenFiles);
    case ENOMEM:
        return E_OUTOFMEMORY;
    case ENOSPC:
    case EDQUOT:
        return HRESULT_FROM_WIN32(kErrorDiskFull);
    case EFBIG:
        return HRESULT_FROM_WIN32(kErrorFileTooLarge);
    case ENAMETOOLONG:
        return HRESULT_FROM_WIN32(kErrorFilenameTooLong);
    case ELOOP:
        return HRESULT_FROM_WIN32(kErrorCantResolveFilename);
    case EEXIST:
        return HRESULT_FROM_WIN32(kErrorFileExists);
    case EINVAL:
        return HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
    case EBADF:
        return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
    case EIO:
        return HRESULT_FROM_WIN32(kErrorIoDevice);
    default:
        return HRESULT_FROM_WIN32(kErrorGenFailure);
    }
}

} // namespace pal
