// RenderImage through the host object as the component calls it: each family
// decoded from real files, turned upright, converted to sRGB, scaled down
// (never up), the extension's family checked against the bytes, and the
// bitmap's own checks.
#include "contract/host_image_info.h"
#include "contract/host_interfaces.h"
#include "host/publishing_host.h"
#include "pal/com_ptr.h"
#include "pal/object.h"
#include "pal/utf.h"
#include "tests/support/temporary_prefix.h"
#include "tests/support/test_pictures.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using test_pictures::Rgb;

struct Decoded {
    UINT width = 0;
    UINT height = 0;
    std::vector<BYTE> bgr;
    Rgb At(UINT x, UINT y) const
    {
        const std::size_t i = (std::size_t{y} * width + x) * 3;
        return {bgr[i + 2], bgr[i + 1], bgr[i]};
    }
};

int Distance(Rgb a, Rgb b)
{
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

class RenderImage : public testing_support::PrefixTest {
  protected:
    RenderImage()
    {
        auto host = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
        EXPECT_EQ(S_OK, host->QueryInterface(IID_IHostImaging, imaging_.ReleaseAndGetVoidAddress()));
        contract::PresetHostImageInfo(info_);
    }
    ~RenderImage() override { contract::ReleaseHostImageInfo(info_); }

    std::filesystem::path In(const char* name) const { return prefix_.Path() / name; }

    HRESULT Render(const std::filesystem::path& file, LONG longEdge, ULONG flags, pal::ComPtr<IWICBitmapSource>& out)
    {
        contract::ReleaseHostImageInfo(info_);
        contract::PresetHostImageInfo(info_);
        const pal::WideString path = pal::ToUtf16(file.string());
        return imaging_->RenderImage(path.c_str(), 0, longEdge, out.ReleaseAndGetAddressOf(), flags, &info_);
    }
    Decoded Decode(const std::filesystem::path& file, LONG longEdge = 0, ULONG flags = 0)
    {
        pal::ComPtr<IWICBitmapSource> bitmap;
        EXPECT_EQ(S_OK, Render(file, longEdge, flags, bitmap)) << file;
        Decoded decoded;
        if (!bitmap) return decoded;
        EXPECT_EQ(S_OK, bitmap->GetSize(&decoded.width, &decoded.height));
        decoded.bgr.resize(std::size_t{decoded.width} * decoded.height * 3);
        EXPECT_EQ(S_OK, bitmap->CopyPixels(nullptr, decoded.width * 3, static_cast<UINT>(decoded.bgr.size()),
                                           decoded.bgr.data()));
        return decoded;
    }

    pal::ComPtr<IHostImaging> imaging_;
    HostImageInfo info_{};
};

TEST_F(RenderImage, EachFamilyDecodesToItsSizeAndPixels)
{
    using test_pictures::Channels;
    using test_pictures::GradientAt;
    constexpr int kWidth = 64;
    constexpr int kHeight = 48;
    const auto gradient = [](int x, int y) { return GradientAt(x, y, kWidth, kHeight); };
    const auto gray = [](int x, int y) {
        const std::uint8_t g = GradientAt(x, y, kWidth, kHeight).g;
        return Rgb{g, g, g};
    };
    // Alpha 0 on the left lays the picture over white there.
    const auto halfWhite = [](int x, int y) { return x < kWidth / 2 ? Rgb{255, 255, 255} : GradientAt(x, y, kWidth, kHeight); };
    const auto quadrants = [](int x, int y) { return test_pictures::QuadrantAt(x, y, kWidth, kHeight); };
    struct Case {
        std::filesystem::path file;
        std::function<Rgb(int, int)> expected;
        int tolerance;
    };
    test_pictures::JpegOptions jpeg;
    const Case cases[] = {
        {test_pictures::WriteJpeg(In("a.jpg"), jpeg), gradient, 6},
        {test_pictures::WriteJpeg(In("b[1].JPEG"), jpeg), gradient, 6}, // brackets are part of the name
        {test_pictures::WritePng(In("c.png"), kWidth, kHeight), gradient, 0},
        {test_pictures::WritePng(In("gray.png"), kWidth, kHeight, Channels::Gray), gray, 0},
        {test_pictures::WritePng(In("alpha.png"), kWidth, kHeight, Channels::RgbAlpha), halfWhite, 0},
        {test_pictures::WriteGif(In("d.gif"), kWidth, kHeight), quadrants, 2},
        {test_pictures::WriteTiff(In("e.tif"), kWidth, kHeight), gradient, 0},
        {test_pictures::WriteDng(In("f.dng"), kWidth, kHeight), gradient, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        const Decoded decoded = Decode(c.file);
        ASSERT_EQ(UINT{kWidth}, decoded.width);
        ASSERT_EQ(UINT{kHeight}, decoded.height);
        int worst = 0;
        for (int y = 0; y < kHeight; y += 5)
            for (int x = 0; x < kWidth; x += 5)
                worst = std::max(worst, Distance(c.expected(x, y), decoded.At(static_cast<UINT>(x), static_cast<UINT>(y))));
        EXPECT_LE(worst, c.tolerance);
    }
}

TEST_F(RenderImage, OrientationSixTurnsThePictureOnlyWithTheFlag)
{
    test_pictures::JpegOptions options;
    options.width = 64;
    options.height = 32;
    options.orientation = 6; // the stored picture is shown turned 90° clockwise
    const auto file = test_pictures::WriteJpeg(In("turned.jpg"), options);
    const auto stored = [&](int x, int y) { return test_pictures::GradientAt(x, y, 64, 32); };

    const Decoded upright = Decode(file, 0, RENDER_ROTATE_BY_ORIENTATION);
    ASSERT_EQ(32u, upright.width);
    ASSERT_EQ(64u, upright.height);
    // Turned clockwise: the stored top-left corner is now top-right, bottom-left is top-left.
    EXPECT_LE(Distance(stored(0, 0), upright.At(31, 0)), 6);
    EXPECT_LE(Distance(stored(0, 31), upright.At(0, 0)), 6);
    EXPECT_LE(Distance(stored(63, 31), upright.At(0, 63)), 6);

    const Decoded asStored = Decode(file, 0, 0);
    ASSERT_EQ(64u, asStored.width);
    ASSERT_EQ(32u, asStored.height);
    EXPECT_LE(Distance(stored(0, 0), asStored.At(0, 0)), 6);
    EXPECT_LE(Distance(stored(63, 31), asStored.At(63, 31)), 6);

    // A raw's flip is LibRaw's to read, under the same flag.
    const auto dng = test_pictures::WriteDng(In("turned.dng"), 64, 32, 6);
    const Decoded uprightRaw = Decode(dng, 0, RENDER_ROTATE_BY_ORIENTATION);
    ASSERT_EQ(32u, uprightRaw.width);
    ASSERT_EQ(64u, uprightRaw.height);
    EXPECT_LE(Distance(stored(0, 0), uprightRaw.At(31, 0)), 6);
    EXPECT_LE(Distance(stored(0, 31), uprightRaw.At(0, 0)), 6);
    const Decoded storedRaw = Decode(dng, 0, 0);
    ASSERT_EQ(64u, storedRaw.width);
    EXPECT_LE(Distance(stored(63, 31), storedRaw.At(63, 31)), 6);
}

TEST_F(RenderImage, AdobeRgbBecomesSrgbWithTheFlagAndSrgbStaysAsItIs)
{
    const Rgb green{50, 180, 60};
    test_pictures::JpegOptions options;
    options.solid = green;
    options.adobeRgb = true;
    const auto adobe = test_pictures::WriteJpeg(In("adobe.jpg"), options);
    options.adobeRgb = false;
    const auto plain = test_pictures::WriteJpeg(In("plain.jpg"), options);

    const Rgb expected = test_pictures::AdobeRgbToSrgb(green);
    ASSERT_GT(Distance(expected, green), 20) << "the colour must tell the two spaces apart";
    EXPECT_LE(Distance(expected, Decode(adobe, 0, RENDER_CONVERT_TO_SRGB).At(8, 8)), 4);
    EXPECT_LE(Distance(green, Decode(adobe, 0, 0).At(8, 8)), 3); // without the flag the values are the file's
    EXPECT_LE(Distance(green, Decode(plain, 0, RENDER_CONVERT_TO_SRGB).At(8, 8)), 3);
}

TEST_F(RenderImage, LongEdgeOnlyShrinksAndKeepsTheAspect)
{
    test_pictures::JpegOptions options;
    options.width = 400;
    options.height = 300;
    const auto jpeg = test_pictures::WriteJpeg(In("big.jpg"), options);
    const auto png = test_pictures::WritePng(In("big.png"), 300, 400);
    const auto dng = test_pictures::WriteDng(In("big.dng"), 400, 300);
    struct Case {
        std::filesystem::path file;
        LONG longEdge;
        UINT width;
        UINT height;
    };
    const Case cases[] = {
        {jpeg, 100, 100, 75}, {jpeg, 399, 399, 299}, {jpeg, 1000, 400, 300}, {jpeg, 0, 400, 300},
        {png, 200, 150, 200}, {png, 400, 300, 400},  {dng, 160, 160, 120},   {dng, 0, 400, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string() + " to " + std::to_string(c.longEdge));
        const Decoded decoded = Decode(c.file, c.longEdge);
        EXPECT_EQ(c.width, decoded.width);
        EXPECT_NEAR(c.height, decoded.height, 1);
    }
    // The scaled picture is the picture: its corners keep their colours.
    const Decoded small = Decode(jpeg, 100);
    EXPECT_LE(Distance(test_pictures::GradientAt(0, 0, 400, 300), small.At(0, 0)), 8);
    EXPECT_LE(Distance(test_pictures::GradientAt(399, 299, 400, 300), small.At(99, 74)), 8);
}

TEST_F(RenderImage, TheExtensionChoosesTheDecoderAndTheBytesMustFitIt)
{
    const auto png = test_pictures::WritePng(In("p.png"), 8, 8);
    const auto tiff = test_pictures::WriteTiff(In("t.tif"), 8, 8);
    const auto jpeg = test_pictures::WriteJpeg(In("j.jpg"), {});
    struct Case {
        const char* name;
        std::filesystem::path content;
        HRESULT expected;
    };
    const Case cases[] = {
        {"png.jpg", png, WINCODEC_ERR_BADHEADER},
        {"tiff.jpeg", tiff, WINCODEC_ERR_BADHEADER},
        {"jpeg.tif", jpeg, WINCODEC_ERR_BADHEADER},
        {"jpeg.png", jpeg, WINCODEC_ERR_BADHEADER},
        {"png.dng", png, WINCODEC_ERR_BADHEADER},
        {"tiff.nef", tiff, WINCODEC_ERR_BADIMAGE}, // TIFF-based as raws are, but no raw inside
        {"jpeg.bmp", jpeg, WINCODEC_ERR_COMPONENTNOTFOUND},
        {"jpeg", jpeg, WINCODEC_ERR_COMPONENTNOTFOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::copy_file(c.content, In(c.name));
        pal::ComPtr<IWICBitmapSource> bitmap;
        EXPECT_EQ(c.expected, Render(In(c.name), 0, 0, bitmap));
        EXPECT_FALSE(bitmap);
    }
    pal::ComPtr<IWICBitmapSource> bitmap;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), Render(In("missing.jpg"), 0, 0, bitmap));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
              Render(In("missing.jpg"), 0, RENDER_METADATA_ONLY, bitmap));
}

TEST_F(RenderImage, MetadataOnlyLeavesTheSlotAloneAndFillsTheRecord)
{
    test_pictures::JpegOptions options;
    options.texts = true;
    options.camera = true;
    const auto file = test_pictures::WriteJpeg(In("m.jpg"), options);
    const pal::WideString path = pal::ToUtf16(file.string());
    auto* const untouched = reinterpret_cast<IWICBitmapSource*>(0x1234);
    IWICBitmapSource* slot = untouched;
    ASSERT_EQ(S_OK, imaging_->RenderImage(path.c_str(), 0, 0, &slot, RENDER_METADATA_ONLY, &info_));
    EXPECT_EQ(untouched, slot);
    ASSERT_NE(nullptr, info_.copyrightGroup[0]);
    EXPECT_EQ(test_pictures::kArtist, pal::ToUtf8(info_.copyrightGroup[0]));
    EXPECT_NE(0, info_.exifGroup[0]);
    contract::ReleaseHostImageInfo(info_);
    contract::PresetHostImageInfo(info_);
    ASSERT_EQ(S_OK, imaging_->RenderImage(path.c_str(), 0, 0, nullptr, 0, &info_)); // no slot: metadata only too
    EXPECT_NE(nullptr, info_.copyrightGroup[0]);
    EXPECT_EQ(nullptr, info_.itemPath); // the component's fields stay the component's
    EXPECT_EQ(nullptr, info_.extensions);
}

TEST_F(RenderImage, TheBitmapChecksItsArgumentsAndCarriesTheFilesResolution)
{
    pal::ComPtr<IWICBitmapSource> bitmap;
    ASSERT_EQ(S_OK, Render(test_pictures::WriteTiff(In("r.tif"), 6, 4, 300), 0, 0, bitmap));
    WICPixelFormatGUID format{};
    EXPECT_EQ(S_OK, bitmap->GetPixelFormat(&format));
    EXPECT_EQ(GUID_WICPixelFormat24bppBGR, format);
    double dpiX = 0;
    double dpiY = 0;
    EXPECT_EQ(S_OK, bitmap->GetResolution(&dpiX, &dpiY));
    EXPECT_NEAR(300, dpiX, 0.01);
    EXPECT_NEAR(300, dpiY, 0.01);
    EXPECT_EQ(HR(0x88982F45), bitmap->CopyPalette(nullptr)); // WINCODEC_ERR_PALETTEUNAVAILABLE
    // Resolution as the file states it, or none at all (GIF states none).
    test_pictures::JpegOptions jpeg;
    jpeg.dpi = 150;
    test_pictures::JpegOptions unstated;
    unstated.dpi = 0;
    const std::pair<std::filesystem::path, double> resolutions[] = {
        {test_pictures::WriteJpeg(In("r.jpg"), jpeg), 150},
        {test_pictures::WriteJpeg(In("none.jpg"), unstated), 0},
        {test_pictures::WritePng(In("r.png"), 8, 8), 72},
        {test_pictures::WriteGif(In("r.gif"), 8, 8), 0},
        {test_pictures::WriteDng(In("r.dng"), 32, 32), 0}, // LibRaw takes nothing under 22 pixels
    };
    for (const auto& [file, dpi] : resolutions) {
        pal::ComPtr<IWICBitmapSource> other;
        ASSERT_EQ(S_OK, Render(file, 0, 0, other));
        EXPECT_EQ(S_OK, other->GetResolution(&dpiX, &dpiY));
        EXPECT_NEAR(dpi, dpiX, 0.01) << file;
        EXPECT_NEAR(dpi, dpiY, 0.01) << file;
    }

    // A rectangle lands row by row at the caller's stride; the last row needs no padding.
    std::vector<BYTE> buffer(2 * 16 + 3 * 3, 0xAA);
    const WICRect rect{2, 1, 3, 3};
    ASSERT_EQ(S_OK, bitmap->CopyPixels(&rect, 16, static_cast<UINT>(buffer.size()), buffer.data()));
    const Rgb expected = test_pictures::GradientAt(3, 2, 6, 4);
    EXPECT_EQ((std::vector<BYTE>{expected.b, expected.g, expected.r}),
              std::vector<BYTE>(buffer.begin() + 16 + 3, buffer.begin() + 16 + 6));
    EXPECT_EQ(0xAA, buffer[9]); // stride padding untouched

    EXPECT_EQ(WINCODEC_ERR_INSUFFICIENTBUFFER, bitmap->CopyPixels(&rect, 16, static_cast<UINT>(buffer.size() - 1), buffer.data()));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyPixels(&rect, 8, static_cast<UINT>(buffer.size()), buffer.data()));
    const WICRect outside{4, 0, 3, 1};
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyPixels(&outside, 64, 64, buffer.data()));
    EXPECT_EQ(E_INVALIDARG, bitmap->CopyPixels(nullptr, 18, 72, nullptr));
}

// The component calls RenderImage and WriteImageMetadata by slot, not by name.
TEST_F(RenderImage, TheHostObjectAnswersImagingAtTheFixedSlots)
{
    using RenderSlot = HRESULT(STDMETHODCALLTYPE*)(IHostImaging*, LPCWSTR, LONG, LONG, IWICBitmapSource**, ULONG,
                                                   HostImageInfo*);
    using WriteSlot = HRESULT(STDMETHODCALLTYPE*)(IHostImaging*, IWICMetadataQueryWriter*, LONG, LONG, HostImageInfo*,
                                                  BOOL, BOOL, BOOL, BOOL, BOOL, BOOL, BOOL);
    void** vtable = *reinterpret_cast<void***>(imaging_.Get());
    const auto render = reinterpret_cast<RenderSlot>(vtable[24]);
    const auto write = reinterpret_cast<WriteSlot>(vtable[40]);

    const pal::WideString path = pal::ToUtf16(test_pictures::WritePng(In("v.png"), 10, 5).string());
    pal::ComPtr<IWICBitmapSource> bitmap;
    ASSERT_EQ(S_OK, render(imaging_.Get(), path.c_str(), 0, 4, bitmap.ReleaseAndGetAddressOf(), 0, &info_));
    UINT width = 0;
    UINT height = 0;
    ASSERT_EQ(S_OK, bitmap->GetSize(&width, &height));
    EXPECT_EQ(4u, width);
    EXPECT_EQ(2u, height);
    EXPECT_EQ(E_INVALIDARG, write(imaging_.Get(), nullptr, 0, 1, &info_, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, FALSE));

    pal::ComPtr<IPublishingHost> back;
    EXPECT_EQ(S_OK, imaging_->QueryInterface(IID_IPublishingHost, back.ReleaseAndGetVoidAddress()));
}

} // namespace
