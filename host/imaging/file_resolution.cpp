#include "host/imaging/file_resolution.h"

#include "host/imaging/exiv2_support.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <exiv2/exiv2.hpp>
#include <fstream>
#include <optional>
#include <vector>

namespace host::imaging {

namespace {

constexpr double kCentimetresPerInch = 2.54;
constexpr double kMetresPerInch = 0.0254;
// JPEG headers before the picture data rarely run past this; a file whose JFIF
// segment lies further in is taken as stating no density.
constexpr std::size_t kHeadBytes = 64 * 1024;

std::vector<std::uint8_t> ReadHead(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> head(kHeadBytes);
    file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(file.gcount()));
    return head;
}

std::uint32_t BigEndian(const std::uint8_t* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
    return value;
}

// APP0 "JFIF\0": version (2), units (1: per inch, 2: per centimetre, 0: aspect only), X and Y density.
std::optional<Resolution> JfifDensity(const std::vector<std::uint8_t>& head)
{
    std::size_t at = 2; // after SOI
    while (at + 4 <= head.size() && head[at] == 0xFF) {
        const std::uint8_t marker = head[at + 1];
        const std::size_t length = BigEndian(&head[at + 2], 2);
        if (marker == 0xDA || length < 2) break; // picture data: no more headers
        const std::uint8_t* segment = &head[at + 4];
        if (marker == 0xE0 && length >= 16 && at + 2 + length <= head.size() && std::memcmp(segment, "JFIF\0", 5) == 0) {
            const std::uint8_t units = segment[7];
            const double x = BigEndian(segment + 8, 2);
            const double y = BigEndian(segment + 10, 2);
            if (units == 1) return Resolution{x, y};
            if (units == 2) return Resolution{x * kCentimetresPerInch, y * kCentimetresPerInch};
            return std::nullopt;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

// pHYs: pixels per unit in X and Y, unit 1 the metre (0 says aspect only).
std::optional<Resolution> PngDensity(const std::vector<std::uint8_t>& head)
{
    std::size_t at = 8; // after the signature
    while (at + 8 <= head.size()) {
        const std::size_t length = BigEndian(&head[at], 4);
        const std::uint8_t* type = &head[at + 4];
        if (std::memcmp(type, "IDAT", 4) == 0) break;
        if (std::memcmp(type, "pHYs", 4) == 0 && length == 9 && at + 8 + 9 <= head.size()) {
            const std::uint8_t* data = &head[at + 8];
            if (data[8] != 1) return std::nullopt;
            return Resolution{BigEndian(data, 4) * kMetresPerInch, BigEndian(data + 4, 4) * kMetresPerInch};
        }
        at += 12 + length;
    }
    return std::nullopt;
}

double RationalOf(const Exiv2::Exifdatum& datum)
{
    const Exiv2::Rational r = datum.toRational(0);
    return r.second == 0 ? 0 : static_cast<double>(static_cast<std::uint32_t>(r.first)) / static_cast<std::uint32_t>(r.second);
}

// IFD0's XResolution and YResolution, in ResolutionUnit (2 inch, the default; 3 centimetre; 1 none).
std::optional<Resolution> ExifResolution(const std::filesystem::path& path)
{
    EnsureExiv2();
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path.string());
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
        const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
        if (x == exif.end() || y == exif.end() || x->count() == 0 || y->count() == 0) return std::nullopt;
        const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
        const long unitValue = unit == exif.end() || unit->count() == 0 ? 2 : unit->toLong(0);
        const double scale = unitValue == 2 ? 1 : unitValue == 3 ? kCentimetresPerInch : 0;
        if (scale == 0) return std::nullopt;
        return Resolution{RationalOf(*x) * scale, RationalOf(*y) * scale};
    } catch (const Exiv2::AnyError&) {
        return std::nullopt;
    }
}

} // namespace

Resolution ReadFileResolution(const std::filesystem::path& path, PictureFamily family)
{
    std::optional<Resolution> stated;
    switch (family) {
    case PictureFamily::Jpeg:
        stated = JfifDensity(ReadHead(path));
        if (!stated) stated = ExifResolution(path);
        break;
    case PictureFamily::Png:
        stated = PngDensity(ReadHead(path));
        break;
    case PictureFamily::Tiff:
        stated = ExifResolution(path);
        break;
    case PictureFamily::Gif:
    case PictureFamily::Raw:
        break;
    }
    if (!stated || stated->dpiX <= 0 || stated->dpiY <= 0) return {};
    return *stated;
}

} // namespace host::imaging
