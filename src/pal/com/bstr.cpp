#include "pal/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Prefix = std::uint32_t;
constexpr std::size_t kPrefixSize = sizeof(Prefix);

// The byte count must fit the prefix, with room for rounding up to a whole
// character and the terminator.
constexpr UINT kMaxBytes = std::numeric_limits<Prefix>::max() - 2 * sizeof(OLECHAR);

std::byte* BlockOf(BSTR bstr)
{
    return reinterpret_cast<std::byte*>(bstr) - kPrefixSize;
}

Prefix ByteCount(BSTR bstr)
{
    Prefix bytes;
    std::memcpy(&bytes, BlockOf(bstr), kPrefixSize);
    return bytes;
}

// A block holding `bytes` bytes of content followed by zero bytes up to and
// including a whole zero character, so odd byte lengths still end in a
// terminator the character view can see. malloc keeps every string visible to
// the leak checker (no caching allocator).
BSTR Allocate(UINT bytes, const void* content)
{
    if (bytes > kMaxBytes) return nullptr;
    const std::size_t rounded = (std::size_t{bytes} + 1) / sizeof(OLECHAR) * sizeof(OLECHAR);
    const std::size_t total = kPrefixSize + rounded + sizeof(OLECHAR);
    auto* block = static_cast<std::byte*>(std::malloc(total));
    if (!block) return nullptr;

    const Prefix prefix = bytes;
    std::memcpy(block, &prefix, kPrefixSize);
    std::byte* data = block + kPrefixSize;
    if (content) {
        std::memcpy(data, content, bytes);
    } else {
        std::memset(data, 0, bytes);
    }
    std::memset(data + bytes, 0, total - kPrefixSize - bytes);
    return reinterpret_cast<BSTR>(data);
}

} // namespace

BSTR SysAllocString(const OLECHAR* psz)
{
    if (!psz) return nullptr;
    std::size_t length = 0;
    while (psz[length] != 0)
        ++length;
    if (length > kMaxBytes / sizeof(OLECHAR)) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(const OLECHAR* pch, UINT cch)
{
    if (cch > kMaxBytes / sizeof(OLECHAR)) return nullptr;
    return Allocate(cch * static_cast<UINT>(sizeof(OLECHAR)), pch);
}

BSTR SysAllocStringByteLen(LPCSTR psz, UINT len)
{
    return Allocate(len, psz);
}

BOOL SysReAllocString(BSTR* pbstr, const OLECHAR* psz)
{
    if (!pbstr) return FALSE;
    // psz may point into *pbstr, so copy before freeing.
    BSTR copy = SysAllocString(psz);
    if (psz && !copy) return FALSE;
    SysFreeString(*pbstr);
    *pbstr = copy;
    return TRUE;
}

void SysFreeString(BSTR bstr)
{
    if (bstr) std::free(BlockOf(bstr));
}

UINT SysStringLen(BSTR bstr)
{
    return bstr ? ByteCount(bstr) / sizeof(OLECHAR) : 0;
}

UINT SysStringByteLen(BSTR bstr)
{
    return bstr ? ByteCount(bstr) : 0;
}
