// Real picture files for tests, written into a folder: JPEG with known pixels
// and chosen metadata (orientation, camera, GPS, XMP, IPTC, an Adobe RGB
// profile), PNG, GIF, TIFF and a DNG that LibRaw develops. Every file is
// deterministic: the same options give the same bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace test_pictures {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The gradient the JPEG, PNG, TIFF and DNG writers draw: red grows to the
// right, green downwards, blue is fixed. Smooth, so JPEG keeps it closely.
Rgb GradientAt(int x, int y, int width, int height);
constexpr std::uint8_t kGradientBlue = 96;

// The GIF's four quadrants (few colours, so the palette keeps them exactly).
Rgb QuadrantAt(int x, int y, int width, int height);

// The metadata the writers put in when asked, as the readers should find it.
inline constexpr const char* kArtist = "Ada Example";
inline constexpr const char* kCopyright = "(c) 2024 Ada Example";
inline constexpr const char* kComment = "A gradient for tests";
inline constexpr const char* kSoftware = "test_pictures 1.0";
inline constexpr const char* kMake = "Orvana Test Camera Co.";
inline constexpr const char* kModel = "TC-1";
inline constexpr const char* kLens = "TC 50mm F1.8";
inline constexpr const char* kDateTimeOriginal = "2024:05:06 07:08:09";
constexpr std::uint32_t kExposureDenominator = 250; // 1/250 s
constexpr std::uint32_t kFNumberTenths = 56;        // f/5.6
constexpr std::uint16_t kIso = 200;
constexpr std::uint32_t kFocalLength = 50;
constexpr std::uint16_t kFlash = 1;
// 48°51'30.24" N, 2°17'40.2" E, 35 m above sea level.
constexpr double kLatitude = 48.8584;
constexpr double kLongitude = 2.2945;
constexpr double kAltitude = 35.0;
constexpr int kRating = 4;
inline constexpr const char* kLabel = "Red";
constexpr int kUrgency = 2;
inline constexpr const char* kCaption = "Caption of the gradient";
inline constexpr const char* kTitle = "Gradient";
inline const std::vector<std::string> kKeywords{"gradient", "test", "Zürich"};
inline constexpr const char* kCity = "Paris";
inline constexpr const char* kCountry = "France";
inline constexpr const char* kDateCreated = "2024-05-06";

struct JpegOptions {
    int width = 64;
    int height = 48;
    std::optional<Rgb> solid; // one colour instead of the gradient
    int quality = 95;
    int orientation = 0;      // 0 leaves the tag out
    bool texts = false;       // artist, copyright, comment, software
    bool camera = false;      // make, model, lens, exposure, f-number, ISO, focal length, date, flash
    bool gps = false;         // latitude, longitude, altitude
    bool xmp = false;         // rating, label, urgency
    bool iptc = false;        // caption, title, keywords, city, country, date created
    bool adobeRgb = false;    // an embedded Adobe RGB (1998) profile; the pixels are taken as Adobe RGB values
    double dpi = 72;          // 0 states none
};

// Every writer answers the path it wrote.
std::filesystem::path WriteJpeg(const std::filesystem::path& file, const JpegOptions& options);

enum class Channels { Rgb, Gray, RgbAlpha };
// PNG with the gradient (gray: its green; alpha: 0 in the left half, 255 in the right).
std::filesystem::path WritePng(const std::filesystem::path& file, int width, int height,
                               Channels channels = Channels::Rgb);
std::filesystem::path WriteGif(const std::filesystem::path& file, int width, int height);
// 8-bit RGB TIFF with the gradient at dpi.
std::filesystem::path WriteTiff(const std::filesystem::path& file, int width, int height, double dpi = 300);
// A linear DNG (16-bit LinearRaw, neutral white balance, camera space = linear
// sRGB) whose developed sRGB pixels are the gradient, stored with the TIFF orientation given.
std::filesystem::path WriteDng(const std::filesystem::path& file, int width, int height, int orientation = 1);

// An Adobe RGB (1998) ICC profile (D65, gamma 563/256), built with lcms2.
std::vector<std::uint8_t> AdobeRgbProfile();
// An Adobe RGB colour as lcms2 converts it to sRGB (relative colorimetric).
Rgb AdobeRgbToSrgb(Rgb colour);

} // namespace test_pictures
