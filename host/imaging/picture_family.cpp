#include "host/imaging/picture_family.h"

#include "pal/base/errno_result.h"
#include "pal/hresult_error.h"
#include "pal/wic/container_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <wincodec.h>

namespace host::imaging {

namespace {

using namespace std::string_view_literals;

struct ExtensionFamily {
    std::string_view extension;
    PictureFamily family;
};

// The raw extensions are those of the cameras LibRaw 0.20 reads.
constexpr std::array kExtensions{
    ExtensionFamily{"jpg"sv, PictureFamily::Jpeg},  ExtensionFamily{"jpeg"sv, PictureFamily::Jpeg},
    ExtensionFamily{"jpe"sv, PictureFamily::Jpeg},  ExtensionFamily{"jfif"sv, PictureFamily::Jpeg},
    ExtensionFamily{"exif"sv, PictureFamily::Jpeg}, ExtensionFamily{"png"sv, PictureFamily::Png},
    ExtensionFamily{"gif"sv, PictureFamily::Gif},   ExtensionFamily{"tif"sv, PictureFamily::Tiff},
    ExtensionFamily{"tiff"sv, PictureFamily::Tiff}, ExtensionFamily{"dng"sv, PictureFamily::Raw},
    ExtensionFamily{"cr2"sv, PictureFamily::Raw},   ExtensionFamily{"cr3"sv, PictureFamily::Raw},
    ExtensionFamily{"crw"sv, PictureFamily::Raw},   ExtensionFamily{"nef"sv, PictureFamily::Raw},
    ExtensionFamily{"nrw"sv, PictureFamily::Raw},   ExtensionFamily{"arw"sv, PictureFamily::Raw},
    ExtensionFamily{"srf"sv, PictureFamily::Raw},   ExtensionFamily{"sr2"sv, PictureFamily::Raw},
    ExtensionFamily{"orf"sv, PictureFamily::Raw},   ExtensionFamily{"rw2"sv, PictureFamily::Raw},
    ExtensionFamily{"raf"sv, PictureFamily::Raw},   ExtensionFamily{"pef"sv, PictureFamily::Raw},
    ExtensionFamily{"srw"sv, PictureFamily::Raw},   ExtensionFamily{"erf"sv, PictureFamily::Raw},
    ExtensionFamily{"kdc"sv, PictureFamily::Raw},   ExtensionFamily{"dcr"sv, PictureFamily::Raw},
    ExtensionFamily{"mrw"sv, PictureFamily::Raw},   ExtensionFamily{"3fr"sv, PictureFamily::Raw},
    ExtensionFamily{"x3f"sv, PictureFamily::Raw},   ExtensionFamily{"mef"sv, PictureFamily::Raw},
    ExtensionFamily{"mos"sv, PictureFamily::Raw},   ExtensionFamily{"iiq"sv, PictureFamily::Raw},
    ExtensionFamily{"rwl"sv, PictureFamily::Raw},   ExtensionFamily{"raw"sv, PictureFamily::Raw},
};

constexpr std::size_t kHeadBytes = 16;

bool StartsWith(std::span<const std::uint8_t> head, std::string_view magic, std::size_t at = 0)
{
    return head.size() >= at + magic.size() &&
           std::equal(magic.begin(), magic.end(), head.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
}

// Raw signatures that are not TIFF's: Olympus and Panasonic bend TIFF's magic
// number; Canon's CRW and CR3, Fujifilm, Minolta and Sigma have their own.
bool IsRawSignature(std::span<const std::uint8_t> head)
{
    return StartsWith(head, "IIRO"sv) || StartsWith(head, "IIRS"sv) || StartsWith(head, "MMOR"sv) ||
           StartsWith(head, "IIU\0"sv) || StartsWith(head, "II\x1a\0\0\0HEAPCCDR"sv) ||
           StartsWith(head, "ftypcrx "sv, 4) || StartsWith(head, "FUJIFILM"sv) || StartsWith(head, "\0MRM"sv) ||
           StartsWith(head, "FOVb"sv);
}

std::string LowerExtension(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

std::array<std::uint8_t, kHeadBytes> ReadHead(const std::filesystem::path& path, std::size_t& read)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw pal::HResultError(pal::HresultFromErrno(errno));
    std::array<std::uint8_t, kHeadBytes> head{};
    read = std::fread(head.data(), 1, head.size(), file.get());
    // fopen opens a directory on Linux; only the read finds out.
    if (std::ferror(file.get())) throw pal::HResultError(pal::HresultFromErrno(errno));
    return head;
}

} // namespace

std::optional<PictureFamily> FamilyOfExtension(const std::filesystem::path& path)
{
    const std::string extension = LowerExtension(path);
    for (const ExtensionFamily& entry : kExtensions)
        if (entry.extension == extension) return entry.family;
    return std::nullopt;
}

bool HeadFitsFamily(PictureFamily family, std::span<const std::uint8_t> head) noexcept
{
    using pal::wic::ContainerFormat;
    const ContainerFormat container = pal::wic::DetectContainer(head);
    switch (family) {
    case PictureFamily::Jpeg:
        return container == ContainerFormat::Jpeg;
    case PictureFamily::Png:
        return container == ContainerFormat::Png;
    case PictureFamily::Gif:
        return container == ContainerFormat::Gif;
    case PictureFamily::Tiff:
        return container == ContainerFormat::Tiff;
    case PictureFamily::Raw:
        return container == ContainerFormat::Tiff || IsRawSignature(head);
    }
    return false;
}

PictureFamily CheckedFamily(const std::filesystem::path& path)
{
    const std::optional<PictureFamily> family = FamilyOfExtension(path);
    if (!family) throw pal::HResultError(WINCODEC_ERR_COMPONENTNOTFOUND);
    std::size_t read = 0;
    const auto head = ReadHead(path, read);
    if (!HeadFitsFamily(*family, std::span(head.data(), read))) throw pal::HResultError(WINCODEC_ERR_BADHEADER);
    return *family;
}

} // namespace host::imaging
