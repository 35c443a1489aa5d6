// The JPEG decoder through the factory: which decoder a stream gets, what is
// refused, the resolution, pixels equal to libjpeg's own in BGR order, and
// the ICC profile read back.
#include "pal/object.h"
#include "pal/wide_string.h"
#include "tests/pal/wic/imaging_fixture.h"

#include <cstdio>
#include <jpeglib.h>

namespace wic_test {
namespace {

class Decoder : public ImagingTest {};

// Hands out a few hundred bytes a read and a size that is wrong or missing,
// as a network or pipe stream may.
class TrickleStream : public pal::ComObjectRoot, public IStream {
  public:
    using Interfaces = pal::InterfaceList<IStream, ISequentialStream>;
    static constexpr bool kLocksModule = false;
    TrickleStream(ComPtr<IStream> inner, std::optional<ULONGLONG> toldSize)
        : inner_(std::move(inner)), toldSize_(toldSize)
    {
    }

    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* read) override
    {
        return inner_->Read(pv, std::min<ULONG>(cb, 333), read);
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override
    {
        if (!toldSize_) return E_NOTIMPL;
        const HRESULT hr = inner_->Stat(stat, flags);
        stat->cbSize.QuadPart = *toldSize_;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* to) override
    {
        return inner_->Seek(move, origin, to);
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

  private:
    ComPtr<IStream> inner_;
    std::optional<ULONGLONG> toldSize_;
};

TEST_F(Decoder, EachContainerGetsItsDecoderAndWhatIsNoPictureNone)
{
    struct Case {
        const char* name;
        Bytes bytes;
        GUID container;
    };
    const auto padded = [](std::string head) {
        head.resize(64, '\0');
        return Bytes(head.begin(), head.end());
    };
    const Case cases[] = {
        {"jpeg", MakeJpeg({}), GUID_ContainerFormatJpeg},
        {"png", padded(std::string("\x89PNG\r\n\x1A\n", 8)), GUID_ContainerFormatPng},
        {"gif", padded("GIF89a"), GUID_ContainerFormatGif},
        {"tiff", padded(std::string("II*\0", 4)), GUID_ContainerFormatTiff},
        {"bmp", padded("BM"), GUID_ContainerFormatBmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IWICBitmapDecoder> decoder;
        ASSERT_EQ(S_OK,
                  factory_->CreateDecoderFromStream(StreamOver(c.bytes).Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                    decoder.ReleaseAndGetAddressOf()));
        GUID container{};
        EXPECT_EQ(S_OK, decoder->GetContainerFormat(&container));
        EXPECT_EQ(container, c.container);
        UINT frames = 0;
        EXPECT_EQ(S_OK, decoder->GetFrameCount(&frames));
        EXPECT_EQ(frames, 1u);
        ComPtr<IWICBitmapFrameDecode> frame;
        EXPECT_EQ(c.container == GUID_ContainerFormatJpeg ? S_OK : WINCODEC_ERR_UNSUPPORTEDOPERATION,
                  decoder->GetFrame(0, frame.ReleaseAndGetAddressOf()));
    }

    ComPtr<IWICBitmapDecoder> decoder;
    EXPECT_EQ(WINCODEC_ERR_COMPONENTNOTFOUND,
              factory_->CreateDecoderFromStream(StreamOver(padded("<html>")).Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.ReleaseAndGetAddressOf()));
    EXPECT_EQ(WINCODEC_ERR_COMPONENTNOTFOUND,
              factory_->CreateDecoder(GUID_ContainerFormatPng, nullptr, decoder.ReleaseAndGetAddressOf()));
}

TEST_F(Decoder, TheJpegDecoderRefusesWhatIsNoJpegWithBadHeader)
{
    const Bytes jpeg = MakeJpeg({});
    const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    const Bytes cut(jpeg.begin(), jpeg.begin() + 40);
    const Bytes noFrame = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x04, 'h', 'i', 0xFF, 0xD9};
    for (const Bytes* bytes : {&png, &cut, &noFrame}) {
        ComPtr<IWICBitmapDecoder> decoder;
        ASSERT_EQ(S_OK, factory_->CreateDecoder(GUID_ContainerFormatJpeg, &GUID_VendorMicrosoft,
                                                decoder.ReleaseAndGetAddressOf()));
        EXPECT_EQ(WINCODEC_ERR_BADHEADER,
                  decoder->Initialize(StreamOver(*bytes).Get(), WICDecodeMetadataCacheOnDemand));
        UINT frames = 0;
        EXPECT_EQ(WINCODEC_ERR_NOTINITIALIZED, decoder->GetFrameCount(&frames));
    }
}

TEST_F(Decoder, ResolutionComesFromJfifThenExifElseIsZero)
{
    const auto exifResolution = [](unsigned dots, int unit) {
        Exiv2::ExifData exif;
        exif["Exif.Image.XResolution"] = Exiv2::URational(dots, 1);
        exif["Exif.Image.YResolution"] = Exiv2::URational(dots * 2, 2);
        exif["Exif.Image.ResolutionUnit"] = static_cast<std::uint16_t>(unit);
        return ExifPayload(exif);
    };
    struct Case {
        const char* name;
        PictureRecipe recipe;
        double expected;
    };
    PictureRecipe jfifDpi;
    jfifDpi.densityX = jfifDpi.densityY = 300;
    PictureRecipe jfifCm;
    jfifCm.densityUnits = 2;
    jfifCm.densityX = jfifCm.densityY = 100;
    PictureRecipe exifInches;
    exifInches.jfif = false;
    exifInches.markers = {{JPEG_APP0 + 1, exifResolution(240, 2)}};
    PictureRecipe exifCm = exifInches;
    exifCm.markers = {{JPEG_APP0 + 1, exifResolution(100, 3)}};
    PictureRecipe aspectOnly;
    aspectOnly.densityUnits = 0;
    aspectOnly.densityX = aspectOnly.densityY = 1;
    PictureRecipe aspectThenExif = aspectOnly;
    aspectThenExif.markers = exifInches.markers;
    const Case cases[] = {{"JFIF dpi", jfifDpi, 300},       {"JFIF dots/cm", jfifCm, 254},
                          {"EXIF inches", exifInches, 240}, {"EXIF cm", exifCm, 254},
                          {"aspect only", aspectOnly, 0},   {"aspect, then EXIF", aspectThenExif, 240}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frame = DecodeFrame(MakeJpeg(c.recipe));
        ASSERT_TRUE(frame);
        double x = -1, y = -1;
        EXPECT_EQ(S_OK, frame->GetResolution(&x, &y));
        EXPECT_NEAR(x, c.expected, 1e-9);
        EXPECT_NEAR(y, c.expected, 1e-9);
    }
}

TEST_F(Decoder, PixelsAreLibjpegsOwnInBgrOrderWholeOrInPart)
{
    PictureRecipe progressive;
    progressive.progressive = true;
    progressive.restartInterval = 3;
    PictureRecipe gray;
    gray.components = 1;
    for (const PictureRecipe& recipe : {PictureRecipe{}, progressive, gray}) {
        SCOPED_TRACE(recipe.components == 1 ? "gray" : recipe.progressive ? "progressive" : "baseline");
        const Bytes file = MakeJpeg(recipe);
        const auto frame = DecodeFrame(file);
        ASSERT_TRUE(frame);
        UINT width = 0, height = 0;
        EXPECT_EQ(S_OK, frame->GetSize(&width, &height));
        EXPECT_EQ(width, recipe.width);
        EXPECT_EQ(height, recipe.height);
        WICPixelFormatGUID format{};
        EXPECT_EQ(S_OK, frame->GetPixelFormat(&format));
        EXPECT_EQ(format, GUID_WICPixelFormat24bppBGR);

        const Bytes expected = LibjpegBgr(file);
        Bytes whole(expected.size());
        EXPECT_EQ(S_OK, frame->CopyPixels(nullptr, width * 3, static_cast<UINT>(whole.size()), whole.data()));
        EXPECT_EQ(whole, expected);

        // A part, into rows wider than it: the padding stays untouched.
        const WICRect rect{5, 3, 7, 4};
        const UINT stride = 7 * 3 + 5;
        Bytes part(stride * 4, 0xEE);
        EXPECT_EQ(S_OK, frame->CopyPixels(&rect, stride, static_cast<UINT>(part.size()), part.data()));
        for (int y = 0; y < rect.Height; ++y) {
            const auto row = part.begin() + y * stride;
            const auto from = expected.begin() + ((rect.Y + y) * width + rect.X) * 3;
            EXPECT_TRUE(std::equal(row, row + 21, from)) << "row " << y;
            EXPECT_EQ(row[21], 0xEE);
        }

        EXPECT_EQ(E_INVALIDARG, frame->CopyPixels(&rect, 20, static_cast<UINT>(part.size()), part.data()));
        EXPECT_EQ(WINCODEC_ERR_INSUFFICIENTBUFFER, frame->CopyPixels(&rect, stride, stride * 3 + 20, part.data()));
        const WICRect outside{static_cast<INT>(width) - 2, 0, 4, 1};
        EXPECT_EQ(E_INVALIDARG, frame->CopyPixels(&outside, stride, static_cast<UINT>(part.size()), part.data()));
    }

    // Blue comes first: the pattern's red at (10, 5) is 45, its blue 80.
    const auto frame = DecodeFrame(MakeJpeg({}));
    Bytes pixel(3);
    const WICRect one{10, 5, 1, 1};
    ASSERT_EQ(S_OK, frame->CopyPixels(&one, 3, 3, pixel.data()));
    EXPECT_NEAR(pixel[0], 80, 8);
    EXPECT_NEAR(pixel[2], 45, 8);
}

TEST_F(Decoder, AStreamThatTellsNoSizeOrTooSmallAOneIsStillReadToItsEnd)
{
    PictureRecipe recipe;
    recipe.width = 300; // several reads' worth
    recipe.height = 200;
    const Bytes file = MakeJpeg(recipe);
    const Bytes expected = LibjpegBgr(file);
    for (const std::optional<ULONGLONG> told :
         {std::optional<ULONGLONG>{}, std::optional<ULONGLONG>{file.size() / 3}}) {
        SCOPED_TRACE(told ? "too small a size" : "no size");
        const auto stream = pal::MakeComObject<TrickleStream, IStream>(StreamOver(file), told);
        ComPtr<IWICBitmapDecoder> decoder;
        ASSERT_EQ(S_OK, factory_->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, decoder.ReleaseAndGetAddressOf()));
        ASSERT_EQ(S_OK, decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand));
        ComPtr<IWICBitmapFrameDecode> frame;
        ASSERT_EQ(S_OK, decoder->GetFrame(0, frame.ReleaseAndGetAddressOf()));
        Bytes pixels(expected.size());
        ASSERT_EQ(S_OK, frame->CopyPixels(nullptr, recipe.width * 3, static_cast<UINT>(pixels.size()), pixels.data()));
        EXPECT_EQ(pixels, expected);
    }
}

TEST_F(Decoder, CmykPicturesComeOutAsBgrToo)
{
    PictureRecipe cmyk;
    cmyk.components = 4;
    const auto frame = DecodeFrame(MakeJpeg(cmyk));
    ASSERT_TRUE(frame);
    Bytes pixels(cmyk.width * cmyk.height * 3);
    EXPECT_EQ(S_OK, frame->CopyPixels(nullptr, cmyk.width * 3, static_cast<UINT>(pixels.size()), pixels.data()));
    // Adobe's inverted CMYK: stored C, M, Y, K of (0, 0) are 0, 20, 40, 0, so no light passes but a little.
    EXPECT_LT(pixels[0] + pixels[1] + pixels[2], 30);
}

TEST_F(Decoder, TheIccProfileIsPutTogetherInSequenceOrder)
{
    const Bytes profile = MakeIccProfile();
    ASSERT_GT(profile.size(), 200u);
    const std::string signature("ICC_PROFILE\0", 12);
    const std::size_t half = profile.size() / 2;
    const auto chunk = [&](std::uint8_t sequence, std::size_t from, std::size_t to) {
        Bytes payload(signature.begin(), signature.end());
        payload.insert(payload.end(), {sequence, 2});
        payload.insert(payload.end(), profile.begin() + from, profile.begin() + to);
        return payload;
    };
    PictureRecipe recipe;
    recipe.markers = {{JPEG_APP0 + 2, chunk(2, half, profile.size())}, {JPEG_APP0 + 2, chunk(1, 0, half)}};
    const auto frame = DecodeFrame(MakeJpeg(recipe));
    ASSERT_TRUE(frame);
    UINT count = 9;
    EXPECT_EQ(S_OK, frame->GetColorContexts(0, nullptr, &count));
    EXPECT_EQ(count, 1u);
    ComPtr<IWICColorContext> context;
    ASSERT_EQ(S_OK, factory_->CreateColorContext(context.ReleaseAndGetAddressOf()));
    IWICColorContext* contexts[] = {context.Get()};
    EXPECT_EQ(S_OK, frame->GetColorContexts(1, contexts, &count));
    WICColorContextType type{};
    EXPECT_EQ(S_OK, context->GetType(&type));
    EXPECT_EQ(type, WICColorContextProfile);
    UINT size = 0;
    EXPECT_EQ(S_OK, context->GetProfileBytes(0, nullptr, &size));
    Bytes read(size);
    EXPECT_EQ(S_OK, context->GetProfileBytes(size, read.data(), &size));
    EXPECT_EQ(read, profile);

    const auto plain = DecodeFrame(MakeJpeg({}));
    EXPECT_EQ(S_OK, plain->GetColorContexts(0, nullptr, &count));
    EXPECT_EQ(count, 0u);

    // The block reader counts the metadata segments: the two chunks here.
    ComPtr<IWICMetadataBlockReader> blocks;
    ASSERT_EQ(S_OK, frame.As(blocks));
    UINT segments = 0;
    EXPECT_EQ(S_OK, blocks->GetCount(&segments));
    EXPECT_EQ(segments, 2u);
}

TEST_F(Decoder, ColorContextsHoldAProfileOrAnExifColorSpace)
{
    ComPtr<IWICColorContext> exif;
    ASSERT_EQ(S_OK, factory_->CreateColorContext(exif.ReleaseAndGetAddressOf()));
    UINT size = 0;
    EXPECT_EQ(WINCODEC_ERR_NOTINITIALIZED, exif->GetProfileBytes(0, nullptr, &size));
    EXPECT_EQ(E_INVALIDARG, exif->InitializeFromExifColorSpace(3));
    EXPECT_EQ(S_OK, exif->InitializeFromExifColorSpace(2));
    WICColorContextType type{};
    EXPECT_EQ(S_OK, exif->GetType(&type));
    EXPECT_EQ(type, WICColorContextExifColorSpace);
    UINT space = 0;
    EXPECT_EQ(S_OK, exif->GetExifColorSpace(&space));
    EXPECT_EQ(space, 2u);
    EXPECT_EQ(WINCODEC_ERR_NOTINITIALIZED, exif->GetProfileBytes(0, nullptr, &size));

    const Bytes profile = MakeIccProfile();
    const std::string path = (prefix_.Path() / "profile.icc").string();
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fwrite(profile.data(), 1, profile.size(), file);
    std::fclose(file);
    ComPtr<IWICColorContext> fromFile;
    ASSERT_EQ(S_OK, factory_->CreateColorContext(fromFile.ReleaseAndGetAddressOf()));
    const pal::WideString widePath(path.begin(), path.end());
    EXPECT_EQ(S_OK, fromFile->InitializeFromFilename(widePath.c_str()));
    EXPECT_EQ(S_OK, fromFile->GetProfileBytes(0, nullptr, &size));
    EXPECT_EQ(size, profile.size());
    Bytes small(size - 1);
    EXPECT_EQ(WINCODEC_ERR_INSUFFICIENTBUFFER, fromFile->GetProfileBytes(size - 1, small.data(), &size));
}

} // namespace
} // namespace wic_test
