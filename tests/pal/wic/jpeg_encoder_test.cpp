// The JPEG encoder: a decoded frame written back with its pixels intact
// (the compressed picture byte for byte, new metadata around it), the
// serialisation failure the caller retries on, and a fresh encode with the
// options' quality and chroma subsampling.
#include "pal/object.h"
#include "pal/utf.h"
#include "pal/wic/jpeg_segments.h"
#include "pal/wic/photoshop_resources.h"
#include "pal/wide_string.h"
#include "tests/pal/wic/imaging_fixture.h"

#include <cstdio>
#include <cstring>
#include <jpeglib.h>

namespace wic_test {
namespace {

constexpr std::uint16_t kCaptionResource = 0x03F0;

// EXIF with an orientation, XMP with a title, an ICC profile, IPTC beside
// another Photoshop resource, and a comment.
PictureRecipe RichPicture(bool progressive)
{
    Exiv2::ExifData exif;
    exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(6);
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 125);
    Exiv2::XmpData xmp;
    xmp["Xmp.dc.title"] = "lang=x-default Harbour";
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.Caption"] = "Boats";
    PictureRecipe recipe;
    recipe.width = 64;
    recipe.height = 40;
    recipe.progressive = progressive;
    recipe.restartInterval = 2;
    recipe.markers = {{JPEG_APP0 + 1, ExifPayload(exif)},
                      {JPEG_APP0 + 1, XmpPayload(xmp)},
                      {JPEG_APP0 + 2, IccPayload(MakeIccProfile())},
                      {JPEG_APP0 + 13, App13Payload(iptc, std::pair(kCaptionResource, Bytes{'x', 'y', 'z'}))},
                      {JPEG_COM, Bytes{'n', 'o', 't', 'e'}}};
    return recipe;
}

std::optional<std::vector<pal::wic::PhotoshopResource>> App13Resources(const Bytes& file)
{
    const auto layout = pal::wic::ParseJpegSegments(file);
    for (const auto& segment : layout->header)
        if (segment.IsApp(13)) return pal::wic::ParsePhotoshopResources(segment.payload.subspan(14));
    return std::nullopt;
}

// A source of the host's kind (its scaler's output): BGR rows in memory, or
// another pixel format it claims.
class MemorySource : public pal::ComObjectRoot, public IWICBitmapSource {
  public:
    using Interfaces = pal::InterfaceList<IWICBitmapSource>;

    MemorySource(UINT width, UINT height, WICPixelFormatGUID format) : width_(width), height_(height), format_(format)
    {
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x)
                pixels_.insert(pixels_.end(), {static_cast<std::uint8_t>(x * 8), static_cast<std::uint8_t>(y * 10),
                                               static_cast<std::uint8_t>(200 - x * 4)});
    }
    const Bytes& Pixels() const { return pixels_; }

    HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override
    {
        *width = width_;
        *height = height_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override
    {
        *format = format_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override
    {
        *x = *y = 72;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT stride, UINT size, BYTE* buffer) override
    {
        if (!rect || stride < static_cast<UINT>(rect->Width) * 3 ||
            size < stride * (rect->Height - 1) + rect->Width * 3)
            return E_INVALIDARG;
        for (INT y = 0; y < rect->Height; ++y)
            std::memcpy(buffer + y * stride, pixels_.data() + ((rect->Y + y) * width_ + rect->X) * 3, rect->Width * 3);
        return S_OK;
    }

  private:
    UINT width_;
    UINT height_;
    WICPixelFormatGUID format_;
    Bytes pixels_;
};

class Encoder : public ImagingTest {};

TEST_F(Encoder, AnotherSourcesPixelsAreCopiedAndEncoded)
{
    const auto memorySource = [](WICPixelFormatGUID format) {
        return pal::MakeComObject<MemorySource, IWICBitmapSource>(30u, 20u, format);
    };
    const auto meanDifference = [](const Bytes& a, const Bytes& b) {
        long difference = 0;
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
            difference += std::abs(a[i] - b[i]);
        return static_cast<double>(difference) / static_cast<double>(a.size());
    };
    for (const bool withOptions : {false, true}) {
        SCOPED_TRACE(withOptions ? "with options" : "without");
        const auto source = memorySource(GUID_WICPixelFormat24bppBGR);
        Reencode how;
        how.withOptions = withOptions;
        const Bytes out = EncodeFrom(source.Get(), how);
        const Bytes& expected = static_cast<MemorySource*>(source.Get())->Pixels();
        ASSERT_EQ(LibjpegBgr(out).size(), expected.size());
        EXPECT_LT(meanDifference(LibjpegBgr(out), expected), 4.0);
        EXPECT_EQ(ReadFrameFacts(out).densityX, 72u) << "the source's resolution, as none was set";
    }

    HRESULT hr = S_OK;
    Reencode wider;
    wider.size = std::pair(31u, 20u);
    EXPECT_TRUE(EncodeFrom(memorySource(GUID_WICPixelFormat24bppBGR).Get(), wider, &hr).empty());
    EXPECT_EQ(hr, E_INVALIDARG) << "one source fills the frame";
    EXPECT_TRUE(EncodeFrom(memorySource(GUID_WICPixelFormat8bppGray).Get(), {}, &hr).empty());
    EXPECT_EQ(hr, WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);

    // A part of a decoded frame, encoded from where the frame holds its pixels.
    const Bytes file = MakeJpeg({});
    const Bytes whole = LibjpegBgr(file);
    Reencode part;
    part.size = std::pair(16u, 8u);
    part.rect = WICRect{8, 4, 16, 8};
    const Bytes out = Encode(file, part);
    Bytes expected;
    for (int y = 4; y < 12; ++y)
        expected.insert(expected.end(), whole.begin() + (y * 40 + 8) * 3, whole.begin() + (y * 40 + 24) * 3);
    ASSERT_EQ(LibjpegBgr(out).size(), expected.size());
    EXPECT_LT(meanDifference(LibjpegBgr(out), expected), 4.0);
}

TEST_F(Encoder, AnUnchangedFrameKeepsItsCompressedPictureAndGetsItsMetadataBack)
{
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        const Bytes source = MakeJpeg(RichPicture(progressive));
        const Bytes out = Encode(source, {});
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(PictureData(out), PictureData(source)) << "every scan carried byte for byte";
        EXPECT_EQ(LibjpegBgr(out), LibjpegBgr(source));
        const FrameFacts facts = ReadFrameFacts(out);
        EXPECT_EQ(facts.progressive, progressive);
        EXPECT_EQ(facts.restartInterval, 2u);

        // SOI, JFIF, EXIF, XMP, ICC, APP13, comment, then the picture's own segments.
        const auto markers = SegmentMarkers(out);
        ASSERT_GE(markers.size(), 7u);
        EXPECT_EQ(std::vector<std::uint8_t>(markers.begin(), markers.begin() + 7),
                  (std::vector<std::uint8_t>{0xE0, 0xE1, 0xE1, 0xE2, 0xED, 0xFE, 0xDB}));
        EXPECT_EQ(CountSegments(out, 0xE2, std::string_view("ICC_PROFILE\0", 12)), 1);

        FileMetadata metadata = ReadWithExiv2(out);
        EXPECT_EQ(metadata.exif["Exif.Image.Orientation"].toLong(), 6);
        EXPECT_EQ(metadata.exif["Exif.Photo.ExposureTime"].toString(), "1/125");
        EXPECT_EQ(metadata.xmp["Xmp.dc.title"].toString(0), "Harbour");
        EXPECT_EQ(metadata.iptc["Iptc.Application2.Caption"].toString(), "Boats");
        EXPECT_EQ(metadata.comment, "note");
        const auto resources = App13Resources(out);
        ASSERT_TRUE(resources);
        EXPECT_EQ(resources->size(), 2u);
    }
}

TEST_F(Encoder, TheColourContextsProfileIsTheOneWrittenOnce)
{
    const Bytes source = MakeJpeg(RichPicture(false));
    Bytes profile = MakeIccProfile();
    profile[100] ^= 0x5A; // told apart from the copied one
    ComPtr<IWICColorContext> context;
    ASSERT_EQ(S_OK, factory_->CreateColorContext(context.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, context->InitializeFromMemory(profile.data(), static_cast<UINT>(profile.size())));
    Reencode how;
    how.colorContexts = {context.Get()};
    const Bytes out = Encode(source, how);
    EXPECT_EQ(CountSegments(out, 0xE2, std::string_view("ICC_PROFILE\0", 12)), 1);
    const auto frame = DecodeFrame(out);
    ComPtr<IWICColorContext> read;
    ASSERT_EQ(S_OK, factory_->CreateColorContext(read.ReleaseAndGetAddressOf()));
    IWICColorContext* contexts[] = {read.Get()};
    UINT count = 0;
    ASSERT_EQ(S_OK, frame->GetColorContexts(1, contexts, &count));
    Bytes bytes(profile.size());
    UINT size = 0;
    EXPECT_EQ(S_OK, read->GetProfileBytes(static_cast<UINT>(bytes.size()), bytes.data(), &size));
    EXPECT_EQ(bytes, profile);

    // An EXIF colour space writes no profile, and displaces the copied one.
    ComPtr<IWICColorContext> srgb;
    ASSERT_EQ(S_OK, factory_->CreateColorContext(srgb.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, srgb->InitializeFromExifColorSpace(1));
    how.colorContexts = {srgb.Get()};
    EXPECT_EQ(CountSegments(Encode(source, how), 0xE2, std::string_view("ICC_PROFILE\0", 12)), 0);
}

TEST_F(Encoder, RemovedBlocksGoAndTheRestStays)
{
    const Bytes source = MakeJpeg(RichPicture(false));
    struct Case {
        const char* path;
        bool exif, xmp, iptc, app13;
    };
    const Case cases[] = {
        {"/xmp", true, false, true, true},
        {"/app13", true, true, false, false},
        {"/app13/irb/8bimiptc/iptc", true, true, false, true},
        {"/app1", false, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Reencode how;
        const pal::WideString path(c.path, c.path + std::strlen(c.path));
        how.edit = [&](IWICMetadataQueryWriter* writer) {
            EXPECT_EQ(S_OK, writer->RemoveMetadataByName(path.c_str()));
        };
        const Bytes out = Encode(source, how);
        EXPECT_EQ(PictureData(out), PictureData(source));
        EXPECT_EQ(CountSegments(out, 0xE1, std::string_view("Exif\0\0", 6)), c.exif ? 1 : 0);
        EXPECT_EQ(CountSegments(out, 0xE1, "http://ns.adobe.com/xap/1.0/"), c.xmp ? 1 : 0);
        EXPECT_EQ(CountSegments(out, 0xED, "Photoshop 3.0"), c.app13 ? 1 : 0);
        EXPECT_EQ(ReadWithExiv2(out).iptc.empty(), !c.iptc);
        if (c.app13 && !c.iptc) {
            const auto resources = App13Resources(out);
            ASSERT_TRUE(resources);
            ASSERT_EQ(resources->size(), 1u);
            EXPECT_EQ(resources->front().id, kCaptionResource) << "the other resource kept";
        }
        EXPECT_EQ(CountSegments(out, 0xE2, "ICC_PROFILE"), 1);
        EXPECT_EQ(ReadWithExiv2(out).comment, "note");
    }
}

TEST_F(Encoder, PictureSegmentsSurviveWithoutTheBlockCopyAndTheDensityIsTheFrames)
{
    Reencode bare;
    bare.copyBlocks = false;
    bare.dpi = std::pair(300.0, 150.0);
    const Bytes source = MakeJpeg(RichPicture(false));
    const Bytes out = Encode(source, bare);
    EXPECT_EQ(SegmentMarkers(out).front(), 0xE0);
    EXPECT_EQ(CountSegments(out, 0xE1, ""), 0);
    EXPECT_EQ(CountSegments(out, 0xE2, ""), 0);
    EXPECT_EQ(PictureData(out), PictureData(source));
    const FrameFacts facts = ReadFrameFacts(out);
    EXPECT_TRUE(facts.sawJfif);
    EXPECT_EQ(facts.densityUnit, 1);
    EXPECT_EQ(facts.densityX, 300u);
    EXPECT_EQ(facts.densityY, 150u);

    // CMYK: Adobe's marker says how to read the colours; no JFIF header for four components.
    PictureRecipe cmyk;
    cmyk.components = 4;
    const Bytes cmykSource = MakeJpeg(cmyk);
    const Bytes cmykOut = Encode(cmykSource, bare);
    EXPECT_EQ(PictureData(cmykOut), PictureData(cmykSource));
    const FrameFacts cmykFacts = ReadFrameFacts(cmykOut);
    EXPECT_TRUE(cmykFacts.sawAdobe);
    EXPECT_FALSE(cmykFacts.sawJfif);
    EXPECT_EQ(cmykFacts.components, 4);
}

TEST_F(Encoder, ACopiedBlockThatCannotBeParsedFailsWriteSourceAndWritesNothing)
{
    PictureRecipe recipe;
    const std::string broken("Exif\0\0garbage, no TIFF header", 30);
    recipe.markers = {{JPEG_APP0 + 1, Bytes(broken.begin(), broken.end())}};
    const Bytes source = MakeJpeg(recipe);
    HRESULT hr = S_OK;
    const Bytes out = Encode(source, {}, &hr);
    EXPECT_EQ(hr, static_cast<HRESULT>(0x88982F8E));
    EXPECT_TRUE(out.empty());

    // The caller's retry without the block copy succeeds.
    Reencode retry;
    retry.copyBlocks = false;
    EXPECT_EQ(PictureData(Encode(source, retry)), PictureData(source));

    // So does dropping the broken block whole; touching it answers the same code.
    Reencode dropped;
    dropped.edit = [](IWICMetadataQueryWriter* writer) {
        PROPVARIANT value{};
        value.vt = VT_UI2;
        value.uiVal = 1;
        EXPECT_EQ(WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE, writer->SetMetadataByName(W("/app1/ifd/{ushort=274}"), &value));
        EXPECT_EQ(S_OK, writer->RemoveMetadataByName(W("/app1")));
    };
    EXPECT_FALSE(Encode(source, dropped).empty());

    // The other failure of serialisation: a block too large for its segment.
    Reencode tooMuch;
    tooMuch.edit = [](IWICMetadataQueryWriter* writer) {
        const pal::WideString text(70000, W('x'));
        PROPVARIANT value{};
        value.vt = VT_LPWSTR;
        value.pwszVal = const_cast<LPWSTR>(text.c_str());
        EXPECT_EQ(S_OK, writer->SetMetadataByName(W("/xmp/dc:description"), &value));
    };
    tooMuch.copyBlocks = false;
    EXPECT_TRUE(Encode(source, tooMuch, &hr).empty());
    EXPECT_EQ(hr, WINCODEC_ERR_TOOMUCHMETADATA);
}

TEST_F(Encoder, WithOptionsThePixelsAreEncodedAtTheQualityAndSubsamplingAsked)
{
    struct Case {
        std::optional<float> quality;
        std::optional<BYTE> subsampling;
        int expectedQuality;
        int h, v;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, 90, 2, 2},         {0.5f, WICJpegYCrCbSubsampling422, 50, 2, 1},
        {0.75f, WICJpegYCrCbSubsampling444, 75, 1, 1},  {1.0f, WICJpegYCrCbSubsampling440, 100, 1, 2},
        {0.333f, WICJpegYCrCbSubsampling420, 33, 2, 2},
    };
    const Bytes source = MakeJpeg(RichPicture(false));
    const Bytes sourcePixels = LibjpegBgr(source);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedQuality);
        Reencode how;
        how.withOptions = true;
        how.dpi = std::pair(200.0, 200.0);
        how.options = [&](IPropertyBag2* bag) {
            std::vector<PROPBAG2> entries;
            std::vector<VARIANT> values;
            if (c.quality) {
                entries.push_back({PROPBAG2_TYPE_DATA, VT_R4, 0, 0, const_cast<LPOLESTR>(W("ImageQuality")), {}});
                values.push_back({});
                values.back().vt = VT_R4;
                values.back().fltVal = *c.quality;
            }
            if (c.subsampling) {
                entries.push_back(
                    {PROPBAG2_TYPE_DATA, VT_UI1, 0, 0, const_cast<LPOLESTR>(W("JpegYCrCbSubsampling")), {}});
                values.push_back({});
                values.back().vt = VT_UI1;
                values.back().bVal = *c.subsampling;
            }
            EXPECT_EQ(S_OK, bag->Write(static_cast<ULONG>(entries.size()), entries.data(), values.data()));
        };
        const Bytes out = Encode(source, how);
        ASSERT_FALSE(out.empty());
        EXPECT_NE(PictureData(out), PictureData(source));
        const FrameFacts facts = ReadFrameFacts(out);
        EXPECT_EQ(facts.lumaTable, LibjpegLumaTable(c.expectedQuality));
        EXPECT_EQ(facts.hSampling[0], c.h);
        EXPECT_EQ(facts.vSampling[0], c.v);
        EXPECT_EQ(facts.hSampling[1], 1);
        EXPECT_EQ(facts.vSampling[2], 1);
        EXPECT_FALSE(facts.progressive);
        EXPECT_EQ(facts.densityX, 200u);
        EXPECT_EQ(ReadWithExiv2(out).exif["Exif.Image.Orientation"].toLong(), 6) << "the metadata still copied";

        const Bytes pixels = LibjpegBgr(out);
        ASSERT_EQ(pixels.size(), sourcePixels.size());
        long difference = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            difference += std::abs(pixels[i] - sourcePixels[i]);
        EXPECT_LT(static_cast<double>(difference) / pixels.size(), c.expectedQuality >= 75 ? 3.0 : 8.0);
    }
}

TEST_F(Encoder, TheOptionsBagTakesOnlyItsOptionsAndListsThem)
{
    ComPtr<IStream> target;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, target.ReleaseAndGetAddressOf()));
    ComPtr<IWICBitmapEncoder> encoder;
    ASSERT_EQ(S_OK, factory_->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.ReleaseAndGetAddressOf()));
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> bag;
    EXPECT_EQ(WINCODEC_ERR_NOTINITIALIZED,
              encoder->CreateNewFrame(frame.ReleaseAndGetAddressOf(), bag.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, encoder->Initialize(target.Get(), WICBitmapEncoderNoCache));
    ASSERT_EQ(S_OK, encoder->CreateNewFrame(frame.ReleaseAndGetAddressOf(), bag.ReleaseAndGetAddressOf()));
    ComPtr<IWICBitmapFrameEncode> second;
    EXPECT_EQ(WINCODEC_ERR_WRONGSTATE, encoder->CreateNewFrame(second.ReleaseAndGetAddressOf(), nullptr))
        << "a JPEG holds one frame";

    ULONG count = 0;
    EXPECT_EQ(S_OK, bag->CountProperties(&count));
    ASSERT_EQ(count, 2u);
    PROPBAG2 info[2]{};
    ULONG got = 0;
    EXPECT_EQ(S_OK, bag->GetPropertyInfo(0, 2, info, &got));
    ASSERT_EQ(got, 2u);
    bool offersSubsampling = false;
    for (PROPBAG2& entry : info) {
        if (pal::WideView(entry.pstrName) == W("JpegYCrCbSubsampling")) offersSubsampling = entry.vt == VT_UI1;
        CoTaskMemFree(entry.pstrName);
    }
    EXPECT_TRUE(offersSubsampling) << "how the component learns the encoder subsamples chroma";

    struct Case {
        const WCHAR* name;
        VARTYPE type;
        double value;
        HRESULT expected;
    };
    const Case cases[] = {
        {W("ImageQuality"), VT_R4, 0.8, S_OK},
        {W("ImageQuality"), VT_R8, 0.8, E_INVALIDARG},
        {W("ImageQuality"), VT_R4, 1.5, E_INVALIDARG},
        {W("ImageQuality"), VT_R4, -0.1, E_INVALIDARG},
        {W("JpegYCrCbSubsampling"), VT_UI1, 3, S_OK},
        {W("JpegYCrCbSubsampling"), VT_UI1, 5, E_INVALIDARG},
        {W("JpegYCrCbSubsampling"), VT_I4, 1, E_INVALIDARG},
        {W("SuppressApp0"), VT_BOOL, 0, WINCODEC_ERR_PROPERTYNOTSUPPORTED},
    };
    for (const Case& c : cases) {
        PROPBAG2 entry{PROPBAG2_TYPE_DATA, c.type, 0, 0, const_cast<LPOLESTR>(c.name), {}};
        VARIANT value{};
        value.vt = c.type;
        if (c.type == VT_R4) value.fltVal = static_cast<float>(c.value);
        if (c.type == VT_R8) value.dblVal = c.value;
        if (c.type == VT_UI1) value.bVal = static_cast<BYTE>(c.value);
        if (c.type == VT_I4) value.lVal = static_cast<LONG>(c.value);
        EXPECT_EQ(bag->Write(1, &entry, &value), c.expected) << pal::ToUtf8(c.name) << " " << c.value;
    }

    // Several at once, all or none: a refused entry leaves the earlier one untaken.
    PROPBAG2 entries[] = {{PROPBAG2_TYPE_DATA, VT_R4, 0, 0, const_cast<LPOLESTR>(W("ImageQuality")), {}},
                          {PROPBAG2_TYPE_DATA, VT_UI1, 0, 0, const_cast<LPOLESTR>(W("JpegYCrCbSubsampling")), {}}};
    VARIANT values[2]{};
    values[0].vt = VT_R4;
    values[0].fltVal = 0.3f;
    values[1].vt = VT_UI1;
    values[1].bVal = 9;
    EXPECT_EQ(E_INVALIDARG, bag->Write(2, entries, values));
    values[1].bVal = WICJpegYCrCbSubsampling422;
    EXPECT_EQ(S_OK, bag->Write(2, entries, values));
    VARIANT read[2]{};
    HRESULT errors[2]{};
    EXPECT_EQ(S_OK, bag->Read(2, entries, nullptr, read, errors));
    EXPECT_FLOAT_EQ(read[0].fltVal, 0.3f);
    EXPECT_EQ(read[1].bVal, WICJpegYCrCbSubsampling422);

    // Blocks come only from this layer's decoded frames.
    ComPtr<IWICMetadataBlockWriter> writer;
    ASSERT_EQ(S_OK, frame.As(writer));
    EXPECT_EQ(WINCODEC_ERR_UNSUPPORTEDOPERATION, writer->InitializeFromBlockReader(writer.Get()));
}

} // namespace
} // namespace wic_test
