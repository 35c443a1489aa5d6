#include "pal/resources/version_block.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace pal {

namespace {

constexpr WORD kBinary = 0;
constexpr WORD kText = 1;

class BlockWriter {
  public:
    // Starts a node; its length is written by End.
    std::size_t Begin(std::u16string_view key, WORD valueLength, WORD type)
    {
        Align();
        const std::size_t start = bytes_.size();
        Word(0);
        Word(valueLength);
        Word(type);
        Text(key);
        Align();
        return start;
    }

    void End(std::size_t start)
    {
        const std::size_t length = bytes_.size() - start;
        if (length > 0xFFFF) throw std::length_error("version block node longer than 64 KiB");
        const WORD word = static_cast<WORD>(length);
        std::memcpy(bytes_.data() + start, &word, sizeof word);
    }

    void Word(WORD value) { Bytes(&value, sizeof value); }

    void Text(std::u16string_view text)
    {
        for (char16_t c : text)
            Word(c);
        Word(0);
    }

    void Bytes(const void* data, std::size_t size)
    {
        const auto* first = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), first, first + size);
    }

    std::vector<BYTE> Take() { return std::move(bytes_); }

  private:
    void Align()
    {
        while (bytes_.size() % 4 != 0)
            bytes_.push_back(0);
    }

    std::vector<BYTE> bytes_;
};

DWORD High(const WORD (&version)[4])
{
    return static_cast<DWORD>(version[0]) << 16 | version[1];
}

DWORD Low(const WORD (&version)[4])
{
    return static_cast<DWORD>(version[2]) << 16 | version[3];
}

std::u16string TableName(WORD language, WORD codePage)
{
    constexpr char16_t kHex[] = u"0123456789abcdef";
    const DWORD both = static_cast<DWORD>(language) << 16 | codePage;
    std::u16string name(8, u'0');
    for (int i = 0; i < 8; ++i)
        name[static_cast<std::size_t>(7 - i)] = kHex[(both >> (4 * i)) & 0xF];
    return name;
}

} // namespace

std::vector<BYTE> BuildVersionBlock(const VersionResource& version)
{
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = High(version.fileVersion);
    fixed.dwFileVersionLS = Low(version.fileVersion);
    fixed.dwProductVersionMS = High(version.productVersion);
    fixed.dwProductVersionLS = Low(version.productVersion);
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = version.fileType;

    BlockWriter out;
    const std::size_t root = out.Begin(u"VS_VERSION_INFO", sizeof fixed, kBinary);
    out.Bytes(&fixed, sizeof fixed);

    const std::size_t stringInfo = out.Begin(u"StringFileInfo", 0, kText);
    const std::size_t table = out.Begin(TableName(version.language, version.codePage), 0, kText);
    for (const VersionString& entry : version.strings) {
        // Text value lengths count characters, the terminator included.
        const std::size_t node = out.Begin(entry.key, static_cast<WORD>(entry.value.size() + 1), kText);
        out.Text(entry.value);
        out.End(node);
    }
    out.End(table);
    out.End(stringInfo);

    const std::size_t varInfo = out.Begin(u"VarFileInfo", 0, kText);
    const std::size_t translation = out.Begin(u"Translation", 2 * sizeof(WORD), kBinary);
    out.Word(version.language);
    out.Word(version.codePage);
    out.End(translation);
    out.End(varInfo);

    out.End(root);
    return out.Take();
}

} // namespace pal
