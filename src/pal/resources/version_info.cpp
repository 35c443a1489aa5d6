#include "pal/resources/module_file.h"
#include "pal/resources/version_block.h"
#include "pal/utf.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// The version block of the module file at path; empty when there is none. A
// module loaded only for this is unloaded again when the lease ends.
std::vector<BYTE> VersionBlockOf(LPCWSTR path)
{
    if (!path || !*path) return {};
    const pal::ModuleLease lease = pal::LeaseModule(std::filesystem::path(pal::ToUtf8(path)));
    if (!lease.module) return {};
    const pal::VersionResource* version = pal::ResourcesOf(lease.module).version;
    return version ? pal::BuildVersionBlock(*version) : std::vector<BYTE>();
}

std::vector<BYTE> VersionBlockOrEmpty(LPCWSTR path) noexcept
{
    try {
        return VersionBlockOf(path);
    } catch (const std::bad_alloc&) {
        return {};
    } catch (const std::length_error&) {
        return {};
    }
}

} // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle)
{
    if (lpdwHandle) *lpdwHandle = 0;
    return static_cast<DWORD>(VersionBlockOrEmpty(lptstrFilename).size());
}

BOOL GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, LPVOID lpData)
{
    // Less than a node header could not even be told apart from garbage.
    if (!lpData || dwLen < 3 * sizeof(WORD)) return FALSE;
    const std::vector<BYTE> block = VersionBlockOrEmpty(lptstrFilename);
    if (block.empty()) return FALSE;
    // A short buffer receives the start of the block, as on Windows; its root
    // length is cut to match, so a later query never reads past the copy.
    const std::size_t copied = std::min<std::size_t>(block.size(), dwLen) & ~std::size_t{1};
    std::memcpy(lpData, block.data(), copied);
    if (copied < block.size()) {
        const WORD length = static_cast<WORD>(copied);
        std::memcpy(lpData, &length, sizeof length);
    }
    return TRUE;
}
