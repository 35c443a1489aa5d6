#include "tests/support/test_pictures.h"

#include <algorithm>
#include <cmath>
#include <exiv2/exiv2.hpp>
#include <fstream>
#include <iterator>
#include <lcms2.h>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <tiffio.h>
#include <vips/vips.h>

namespace test_pictures {

namespace {

constexpr double kMillimetresPerInch = 25.4;

struct ImageUnref {
    void operator()(VipsImage* image) const noexcept { g_object_unref(image); }
};
using VipsImagePtr = std::unique_ptr<VipsImage, ImageUnref>;
struct ProfileCloser {
    void operator()(void* profile) const noexcept { cmsCloseProfile(profile); }
};
using ProfilePtr = std::unique_ptr<void, ProfileCloser>;
struct TransformDeleter {
    void operator()(void* transform) const noexcept { cmsDeleteTransform(transform); }
};
using TransformPtr = std::unique_ptr<void, TransformDeleter>;
struct ToneCurveDeleter {
    void operator()(cmsToneCurve* curve) const noexcept { cmsFreeToneCurve(curve); }
};
struct TiffCloser {
    void operator()(TIFF* tiff) const noexcept { TIFFClose(tiff); }
};

void Require(bool ok, const char* what)
{
    if (!ok) throw std::runtime_error(std::string("test_pictures: ") + what);
}

void StartVips()
{
    static std::once_flag once;
    std::call_once(once, [] { Require(VIPS_INIT("test_pictures") == 0, "libvips does not start"); });
}

std::vector<std::uint8_t> Pixels(int width, int height, int bands, const auto& colourAt)
{
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                   static_cast<std::size_t>(bands));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colourAt(x, y);
            if (bands == 1 || bands == 2) {
                pixels.push_back(c.g);
            } else {
                pixels.insert(pixels.end(), {c.r, c.g, c.b});
            }
            if (bands == 2 || bands == 4) pixels.push_back(x < width / 2 ? 0 : 255);
        }
    }
    return pixels;
}

// A vips image over pixels (which must outlive it), at dpi.
VipsImagePtr Image(std::vector<std::uint8_t>& pixels, int width, int height, int bands, double dpi)
{
    StartVips();
    VipsImagePtr image(
        vips_image_new_from_memory(pixels.data(), pixels.size(), width, height, bands, VIPS_FORMAT_UCHAR));
    Require(image != nullptr, "cannot wrap pixels");
    image->Xres = image->Yres = dpi / kMillimetresPerInch;
    if (bands <= 2) image->Type = VIPS_INTERPRETATION_B_W;
    return image;
}

void Save(int status)
{
    if (status != 0) {
        const std::string message = vips_error_buffer();
        vips_error_clear();
        throw std::runtime_error("test_pictures: " + message);
    }
}

std::string Path(const std::filesystem::path& file)
{
    return file.string();
}

// deg/1 min/1 sec*100/100, as cameras write them.
std::string DegreesMinutesSeconds(double value)
{
    const double absolute = std::fabs(value);
    const int degrees = static_cast<int>(absolute);
    const int minutes = static_cast<int>((absolute - degrees) * 60);
    const long hundredths = std::lround(((absolute - degrees) * 60 - minutes) * 60 * 100);
    return std::to_string(degrees) + "/1 " + std::to_string(minutes) + "/1 " + std::to_string(hundredths) + "/100";
}

void AddTexts(Exiv2::ExifData& exif)
{
    exif["Exif.Image.Artist"] = kArtist;
    exif["Exif.Image.Copyright"] = kCopyright;
    exif["Exif.Image.Software"] = kSoftware;
    exif["Exif.Photo.UserComment"] = std::string("charset=Ascii ") + kComment;
}

void AddCamera(Exiv2::ExifData& exif)
{
    exif["Exif.Image.Make"] = kMake;
    exif["Exif.Image.Model"] = kModel;
    exif["Exif.Photo.LensModel"] = kLens;
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, static_cast<int>(kExposureDenominator));
    exif["Exif.Photo.FNumber"] = Exiv2::URational(static_cast<int>(kFNumberTenths), 10);
    exif["Exif.Photo.ISOSpeedRatings"] = kIso;
    exif["Exif.Photo.FocalLength"] = Exiv2::URational(static_cast<int>(kFocalLength), 1);
    exif["Exif.Photo.DateTimeOriginal"] = kDateTimeOriginal;
    exif["Exif.Photo.Flash"] = kFlash;
}

void AddGps(Exiv2::ExifData& exif)
{
    exif["Exif.GPSInfo.GPSVersionID"] = "2 3 0 0";
    exif["Exif.GPSInfo.GPSLatitudeRef"] = kLatitude >= 0 ? "N" : "S";
    exif["Exif.GPSInfo.GPSLatitude"] = DegreesMinutesSeconds(kLatitude);
    exif["Exif.GPSInfo.GPSLongitudeRef"] = kLongitude >= 0 ? "E" : "W";
    exif["Exif.GPSInfo.GPSLongitude"] = DegreesMinutesSeconds(kLongitude);
    exif["Exif.GPSInfo.GPSAltitudeRef"] = "0";
    exif["Exif.GPSInfo.GPSAltitude"] = Exiv2::URational(static_cast<int>(kAltitude * 10), 10);
}

void AddXmp(Exiv2::XmpData& xmp)
{
    xmp["Xmp.xmp.Rating"] = std::to_string(kRating);
    xmp["Xmp.xmp.Label"] = kLabel;
    xmp["Xmp.photoshop.Urgency"] = std::to_string(kUrgency);
}

void AddIptc(Exiv2::IptcData& iptc)
{
    iptc["Iptc.Application2.Caption"] = kCaption;
    iptc["Iptc.Application2.ObjectName"] = kTitle;
    for (const std::string& keyword : kKeywords) {
        Exiv2::Iptcdatum datum(Exiv2::IptcKey("Iptc.Application2.Keywords"));
        datum.setValue(keyword);
        iptc.add(datum);
    }
    iptc["Iptc.Application2.City"] = kCity;
    iptc["Iptc.Application2.CountryName"] = kCountry;
    iptc["Iptc.Application2.DateCreated"] = kDateCreated;
    iptc["Iptc.Application2.Urgency"] = std::to_string(kUrgency);
}

void AddMetadata(const std::filesystem::path& file, const JpegOptions& options)
{
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(Path(file));
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    if (options.orientation != 0) exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(options.orientation);
    if (options.texts) AddTexts(exif);
    if (options.camera) AddCamera(exif);
    if (options.gps) AddGps(exif);
    if (options.xmp) AddXmp(image->xmpData());
    if (options.iptc) AddIptc(image->iptcData());
    if (options.adobeRgb) {
        const std::vector<std::uint8_t> profile = AdobeRgbProfile();
        Exiv2::DataBuf buffer(profile.data(), static_cast<long>(profile.size()));
        image->setIccProfile(buffer);
    }
    image->writeMetadata();
}

} // namespace

Rgb GradientAt(int x, int y, int width, int height)
{
    const auto ramp = [](int at, int size) {
        return static_cast<std::uint8_t>(size <= 1 ? 0 : (at * 255 + (size - 1) / 2) / (size - 1));
    };
    return {ramp(x, width), ramp(y, height), kGradientBlue};
}

Rgb QuadrantAt(int x, int y, int width, int height)
{
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    if (!bottom) return right ? Rgb{0, 200, 0} : Rgb{200, 0, 0};
    return right ? Rgb{255, 255, 255} : Rgb{0, 0, 200};
}

std::filesystem::path WriteJpeg(const std::filesystem::path& file, const JpegOptions& options)
{
    std::vector<std::uint8_t> pixels = Pixels(options.width, options.height, 3, [&](int x, int y) {
        return options.solid ? *options.solid : GradientAt(x, y, options.width, options.height);
    });
    const VipsImagePtr image = Image(pixels, options.width, options.height, 3, options.dpi);
    // Stripped, without chroma subsampling: the metadata is only what the options add.
    void* buffer = nullptr;
    size_t size = 0;
    Save(vips_jpegsave_buffer(image.get(), &buffer, &size, "Q", options.quality, "strip", TRUE, "subsample_mode",
                              VIPS_FOREIGN_SUBSAMPLE_OFF, nullptr));
    const std::unique_ptr<void, decltype(&g_free)> owned(buffer, &g_free);
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::vector<std::uint8_t> jpeg(bytes, bytes + size);
    if (options.dpi > 0) {
        // A stripped save states no density; a JFIF segment right after SOI does.
        const auto dpi = static_cast<std::uint16_t>(std::lround(options.dpi));
        const std::uint8_t jfif[] = {0xFF,
                                     0xE0,
                                     0,
                                     16,
                                     'J',
                                     'F',
                                     'I',
                                     'F',
                                     0,
                                     1,
                                     1,
                                     1,
                                     static_cast<std::uint8_t>(dpi >> 8),
                                     static_cast<std::uint8_t>(dpi),
                                     static_cast<std::uint8_t>(dpi >> 8),
                                     static_cast<std::uint8_t>(dpi),
                                     0,
                                     0};
        jpeg.insert(jpeg.begin() + 2, std::begin(jfif), std::end(jfif));
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
    out.close();
    Require(out.good(), "cannot write the JPEG");
    if (options.orientation != 0 || options.texts || options.camera || options.gps || options.xmp || options.iptc ||
        options.adobeRgb)
        AddMetadata(file, options);
    return file;
}

std::filesystem::path WritePng(const std::filesystem::path& file, int width, int height, Channels channels)
{
    const int bands = channels == Channels::Gray ? 1 : channels == Channels::RgbAlpha ? 4 : 3;
    std::vector<std::uint8_t> pixels =
        Pixels(width, height, bands, [&](int x, int y) { return GradientAt(x, y, width, height); });
    const VipsImagePtr image = Image(pixels, width, height, bands, 72);
    Save(vips_pngsave(image.get(), Path(file).c_str(), "strip", TRUE, nullptr));
    return file;
}

std::filesystem::path WriteGif(const std::filesystem::path& file, int width, int height)
{
    std::vector<std::uint8_t> pixels =
        Pixels(width, height, 3, [&](int x, int y) { return QuadrantAt(x, y, width, height); });
    const VipsImagePtr image = Image(pixels, width, height, 3, 72);
    Save(vips_gifsave(image.get(), Path(file).c_str(), "dither", 0.0, nullptr));
    return file;
}

std::filesystem::path WriteTiff(const std::filesystem::path& file, int width, int height, double dpi)
{
    std::vector<std::uint8_t> pixels =
        Pixels(width, height, 3, [&](int x, int y) { return GradientAt(x, y, width, height); });
    const VipsImagePtr image = Image(pixels, width, height, 3, dpi);
    Save(vips_tiffsave(image.get(), Path(file).c_str(), "resunit", VIPS_FOREIGN_TIFF_RESUNIT_INCH, "xres", image->Xres,
                       "yres", image->Yres, "strip", TRUE, nullptr));
    return file;
}

std::filesystem::path WriteDng(const std::filesystem::path& file, int width, int height, int orientation)
{
    constexpr std::uint16_t kLinearRaw = 34892;
    constexpr std::uint16_t kD65 = 21;
    constexpr std::uint8_t kVersion[4] = {1, 4, 0, 0};
    constexpr std::uint8_t kBackwardVersion[4] = {1, 1, 0, 0};
    // XYZ (D65) to linear sRGB: the camera's native space is linear sRGB, so
    // the development's colour matrix is the identity.
    const float colorMatrix[9] = {3.2404542f, -1.5371385f, -0.4985314f, -0.9692660f, 1.8760108f,
                                  0.0415560f, 0.0556434f,  -0.2040259f, 1.0572252f};
    const float neutral[3] = {1, 1, 1};
    const std::uint32_t whiteLevel[3] = {65535, 65535, 65535};
    std::unique_ptr<TIFF, TiffCloser> tiff(TIFFOpen(Path(file).c_str(), "w"));
    Require(tiff != nullptr, "cannot create the DNG");
    TIFF* t = tiff.get();
    TIFFSetField(t, TIFFTAG_SUBFILETYPE, 0);
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, kLinearRaw);
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(height));
    TIFFSetField(t, TIFFTAG_ORIENTATION, static_cast<std::uint16_t>(orientation));
    TIFFSetField(t, TIFFTAG_MAKE, kMake);
    TIFFSetField(t, TIFFTAG_MODEL, kModel);
    TIFFSetField(t, TIFFTAG_DNGVERSION, kVersion);
    TIFFSetField(t, TIFFTAG_DNGBACKWARDVERSION, kBackwardVersion);
    TIFFSetField(t, TIFFTAG_UNIQUECAMERAMODEL, "Orvana TC-1");
    TIFFSetField(t, TIFFTAG_COLORMATRIX1, 9, colorMatrix);
    TIFFSetField(t, TIFFTAG_CALIBRATIONILLUMINANT1, kD65);
    TIFFSetField(t, TIFFTAG_ASSHOTNEUTRAL, 3, neutral);
    TIFFSetField(t, TIFFTAG_WHITELEVEL, 3, whiteLevel);
    std::vector<std::uint16_t> row(static_cast<std::size_t>(width) * 3);
    const auto linear = [](std::uint8_t value) {
        const double v = value / 255.0;
        const double l = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        return static_cast<std::uint16_t>(std::lround(l * 65535));
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = GradientAt(x, y, width, height);
            row[static_cast<std::size_t>(x) * 3] = linear(c.r);
            row[static_cast<std::size_t>(x) * 3 + 1] = linear(c.g);
            row[static_cast<std::size_t>(x) * 3 + 2] = linear(c.b);
        }
        Require(TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0) == 1, "cannot write the DNG");
    }
    return file;
}

namespace {

std::vector<std::uint8_t> BuildAdobeRgbProfile()
{
    const cmsCIExyY d65{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    const std::unique_ptr<cmsToneCurve, ToneCurveDeleter> gamma(cmsBuildGamma(nullptr, 563.0 / 256.0));
    Require(gamma != nullptr, "cannot build the tone curve");
    cmsToneCurve* curves[3] = {gamma.get(), gamma.get(), gamma.get()};
    const ProfilePtr profile(cmsCreateRGBProfile(&d65, &primaries, curves));
    Require(profile != nullptr, "cannot build the profile");
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", "Adobe RGB (1998) compatible (test)");
    cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    cmsUInt32Number size = 0;
    Require(cmsSaveProfileToMem(profile.get(), nullptr, &size) != 0, "cannot size the profile");
    std::vector<std::uint8_t> bytes(size);
    Require(cmsSaveProfileToMem(profile.get(), bytes.data(), &size) != 0, "cannot save the profile");
    // The header carries the time of creation; a fixed one makes the bytes the same on every call,
    // so a comparison cannot fail because the clock ticked between building and checking.
    static constexpr std::uint8_t kCreated[12] = {0x07, 0xE4, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    std::copy(std::begin(kCreated), std::end(kCreated), bytes.begin() + 24);
    return bytes;
}

} // namespace

std::vector<std::uint8_t> AdobeRgbProfile()
{
    static const std::vector<std::uint8_t> bytes = BuildAdobeRgbProfile();
    return bytes;
}

Rgb AdobeRgbToSrgb(Rgb colour)
{
    const std::vector<std::uint8_t> bytes = AdobeRgbProfile();
    const ProfilePtr adobe(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    const ProfilePtr srgb(cmsCreate_sRGBProfile());
    const TransformPtr transform(
        cmsCreateTransform(adobe.get(), TYPE_RGB_8, srgb.get(), TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0));
    Require(transform != nullptr, "cannot build the transform");
    const std::uint8_t in[3] = {colour.r, colour.g, colour.b};
    std::uint8_t out[3] = {};
    cmsDoTransform(transform.get(), in, out, 1);
    return {out[0], out[1], out[2]};
}

} // namespace test_pictures
