// VerQueryValueW: a walk down the nodes of a VS_VERSIONINFO block. The block
// may come from anywhere, so every length is checked against its parent.
#include "pal/resources/resources.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace {

struct Node {
    const BYTE* key; // zero-terminated UTF-16, possibly unaligned
    const BYTE* value;
    std::size_t valueLength; // as stored: characters for text, bytes for binary
    const BYTE* children;
    const BYTE* end;
};

WORD ReadWord(const BYTE* at) noexcept
{
    WORD word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

const BYTE* Aligned(const BYTE* start, const BYTE* at) noexcept
{
    return at + (4 - static_cast<std::size_t>(at - start) % 4) % 4;
}

// The node at `at`, which must lie within [at, limit); `origin` is the block's
// start, to which all padding is relative.
std::optional<Node> ReadNode(const BYTE* origin, const BYTE* at, const BYTE* limit) noexcept
{
    constexpr std::size_t kHeader = 3 * sizeof(WORD);
    if (limit - at < static_cast<std::ptrdiff_t>(kHeader)) return std::nullopt;
    const std::size_t length = ReadWord(at);
    const WORD valueLength = ReadWord(at + 2);
    const WORD type = ReadWord(at + 4);
    if (length < kHeader || length > static_cast<std::size_t>(limit - at) || type > 1) return std::nullopt;
    const BYTE* end = at + length;

    Node node{at + kHeader, nullptr, valueLength, nullptr, end};
    const BYTE* cursor = node.key;
    for (;;) {
        if (end - cursor < 2) return std::nullopt;
        const bool terminator = ReadWord(cursor) == 0;
        cursor += 2;
        if (terminator) break;
    }
    node.value = std::min(Aligned(origin, cursor), end);
    const std::size_t valueBytes = type == 1 ? 2 * valueLength : valueLength;
    if (valueBytes > static_cast<std::size_t>(end - node.value)) return std::nullopt;
    node.children = std::min(Aligned(origin, node.value + valueBytes), end);
    return node;
}

char16_t Upper(char16_t c) noexcept
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Keys compare without regard to case, as on Windows.
bool KeyIs(const Node& node, std::u16string_view name) noexcept
{
    const BYTE* at = node.key;
    for (char16_t c : name) {
        const char16_t stored = static_cast<char16_t>(ReadWord(at));
        if (stored == 0 || Upper(stored) != Upper(c)) return false;
        at += 2;
    }
    return ReadWord(at) == 0;
}

std::optional<Node> FindChild(const BYTE* origin, const Node& parent, std::u16string_view name) noexcept
{
    const BYTE* at = parent.children;
    while (at < parent.end) {
        const std::optional<Node> child = ReadNode(origin, at, parent.end);
        if (!child) return std::nullopt;
        if (KeyIs(*child, name)) return child;
        at = Aligned(origin, child->end);
    }
    return std::nullopt;
}

} // namespace

BOOL VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen)
{
    if (puLen) *puLen = 0;
    if (!lplpBuffer) return FALSE;
    *lplpBuffer = nullptr;
    if (!pBlock || !lpSubBlock) return FALSE;

    const auto* origin = static_cast<const BYTE*>(pBlock);
    // The root's own length bounds the walk.
    std::optional<Node> node = ReadNode(origin, origin, origin + ReadWord(origin));
    if (!node || !KeyIs(*node, u"VS_VERSION_INFO")) return FALSE;

    std::u16string_view path(lpSubBlock);
    while (!path.empty()) {
        const std::size_t separator = path.find(u'\\');
        const std::u16string_view name = path.substr(0, separator);
        path = separator == std::u16string_view::npos ? std::u16string_view() : path.substr(separator + 1);
        if (name.empty()) continue;
        node = FindChild(origin, *node, name);
        if (!node) return FALSE;
    }
    // The root answers its fixed part; a node without a value answers length 0.
    *lplpBuffer = const_cast<BYTE*>(node->value);
    if (puLen) *puLen = static_cast<UINT>(node->valueLength);
    return TRUE;
}
