// Pictures prepared in each mode and uploaded to the emulator, judged by what
// arrived: the bytes, the decoded pixels, the frame's size, sampling, tables
// and density, and the metadata exiv2 finds in the upload.
#include "host/publishing_host.h"
#include "imaging/prepare_and_upload_image.h"
#include "pal/bstr.h"
#include "pal/object.h"
#include "pal/utf.h"
#include "tests/support/emulated_service.h"
#include "tests/support/jpeg_inspection.h"
#include "tests/support/test_pictures.h"

#include <cmath>
#include <exiv2/exiv2.hpp>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;
using jpeg_inspection::Bytes;
using orvana::MetadataSwitches;

constexpr MetadataSwitches kAllOn{true, true, true, true, true};
constexpr MetadataSwitches kAllOff{};

Bytes ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class Progress final : public IUploadProgressCallback {
  public:
    int reports = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IUploadProgressCallback ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE UploadProgress(tagUPLOADSTATE, ULONG, ULONG) override
    {
        ++reports;
        return S_OK;
    }
};

// A host object that is its own imaging service, over the real one, with
// its metadata write failing the first `failures` times and the calls
// counted: how the retry is seen from the host's side.
class FlakyImaging final : public IHostImaging {
  public:
    explicit FlakyImaging(IHostImaging* real) : real_(real) {}
    int failures = 1;
    int renders = 0;
    int writes = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = riid == IID_IUnknown || riid == IID_IHostImaging ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
#define RESERVED(n)                                                                                                    \
    HRESULT STDMETHODCALLTYPE ReservedSlot##n() override                                                               \
    {                                                                                                                  \
        return E_NOTIMPL;                                                                                              \
    }
    RESERVED(3)
    RESERVED(4)
    RESERVED(5) RESERVED(6) RESERVED(7) RESERVED(8) RESERVED(9) RESERVED(10) RESERVED(11) RESERVED(12) RESERVED(13)
        RESERVED(14) RESERVED(15) RESERVED(16) RESERVED(17) RESERVED(18) RESERVED(19) RESERVED(20) RESERVED(21)
            RESERVED(22) RESERVED(23) RESERVED(25) RESERVED(26) RESERVED(27) RESERVED(28) RESERVED(29) RESERVED(30)
                RESERVED(31) RESERVED(32) RESERVED(33) RESERVED(34) RESERVED(35) RESERVED(36) RESERVED(37) RESERVED(38)
                    RESERVED(39)
#undef RESERVED
                        HRESULT STDMETHODCALLTYPE
        RenderImage(LPCWSTR path, LONG reserved, LONG longEdge, IWICBitmapSource** bitmap, ULONG flags,
                    HostImageInfo* info) override
    {
        ++renders;
        return real_->RenderImage(path, reserved, longEdge, bitmap, flags, info);
    }
    HRESULT STDMETHODCALLTYPE WriteImageMetadata(IWICMetadataQueryWriter* writer, LONG r0, LONG r1, HostImageInfo* info,
                                                 BOOL copyright, BOOL exif, BOOL xmp, BOOL gps, BOOL iptc, BOOL any,
                                                 BOOL resample) override
    {
        ++writes;
        if (failures-- > 0) return E_FAIL;
        return real_->WriteImageMetadata(writer, r0, r1, info, copyright, exif, xmp, gps, iptc, any, resample);
    }

  private:
    IHostImaging* real_;
};

struct Preparation {
    UINT mode = orvana::PM_FILE_INTACT;
    bool validate = true;
    bool minimize = false;
    MetadataSwitches switches = kAllOn;
    LONG longEdge = 0;
    double dpi = 0.0;
};

class PrepareAndUpload : public testing_support::EmulatedServiceTest {
  protected:
    void SetUp() override
    {
        EmulatedServiceTest::SetUp();
        uploadUrl_ = LogInAndFindUploadUrl();
        ASSERT_FALSE(uploadUrl_.empty());
        ASSERT_EQ(S_OK,
                  pal::CreateComObject<host::PublishingHost>(nullptr, IID_IUnknown, host_.ReleaseAndGetVoidAddress()));
        ASSERT_EQ(S_OK, host_->QueryInterface(IID_IHostImaging, imaging_.ReleaseAndGetVoidAddress()));
        folder_ = prefix_.Path() / "pictures";
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        imaging_.Reset();
        host_.Reset();
        EmulatedServiceTest::TearDown();
    }

    HRESULT Prepare(const fs::path& source, const Preparation& how, IUnknown* host = nullptr)
    {
        const orvana::PreparationServices services{proxy_.Get(), host ? host : host_.Get(), &progress_};
        const std::u16string path = pal::ToUtf16(source.string());
        const std::u16string name = pal::ToUtf16(source.filename().string());
        return orvana::PrepareAndUploadImage(services, uploadUrl_.c_str(), path.c_str(), name.c_str(),
                                             reply_.ReleaseAndGetAddressOf(), how.mode, how.validate, how.minimize,
                                             how.switches, how.longEdge, how.dpi);
    }

    // The one picture that arrived since the last call.
    Bytes Arrived()
    {
        const auto photos = emulator_->Photos();
        EXPECT_EQ(seen_ + 1, photos.size()) << "exactly one upload";
        if (photos.size() <= seen_) return {};
        seen_ = photos.size();
        const std::string& bytes = photos.back().bytes;
        return Bytes(bytes.begin(), bytes.end());
    }
    std::size_t PhotoCount() const { return emulator_->Photos().size(); }

    fs::path Picture(const std::string& name, test_pictures::JpegOptions options)
    {
        return test_pictures::WriteJpeg(folder_ / name, options);
    }

    std::u16string uploadUrl_;
    pal::ComPtr<IUnknown> host_;
    pal::ComPtr<IHostImaging> imaging_;
    Progress progress_;
    pal::Bstr reply_;
    fs::path folder_;
    std::size_t seen_ = 0;
};

test_pictures::JpegOptions Everything(int width = 64, int height = 48)
{
    test_pictures::JpegOptions options;
    options.width = width;
    options.height = height;
    options.orientation = 6;
    options.texts = options.camera = options.gps = options.xmp = options.iptc = true;
    options.adobeRgb = true;
    options.dpi = 96;
    return options;
}

bool HasExif(const jpeg_inspection::FileMetadata& m, const char* key)
{
    return m.exif.findKey(Exiv2::ExifKey(key)) != m.exif.end();
}
bool HasXmp(const jpeg_inspection::FileMetadata& m, const char* key)
{
    return m.xmp.findKey(Exiv2::XmpKey(key)) != m.xmp.end();
}
bool HasIptc(const jpeg_inspection::FileMetadata& m, const char* key)
{
    return m.iptc.findKey(Exiv2::IptcKey(key)) != m.iptc.end();
}
bool HasGps(const jpeg_inspection::FileMetadata& m)
{
    return std::any_of(m.exif.begin(), m.exif.end(),
                       [](const Exiv2::Exifdatum& d) { return d.groupName() == "GPSInfo"; });
}

struct GroupPresence {
    bool copyright, exif, xmp, gps, iptc;
    friend bool operator==(const GroupPresence&, const GroupPresence&) = default;
};
GroupPresence Groups(const jpeg_inspection::FileMetadata& m)
{
    return {HasExif(m, "Exif.Image.Artist") || HasExif(m, "Exif.Image.Copyright"), HasExif(m, "Exif.Image.Model"),
            HasXmp(m, "Xmp.xmp.Rating"), HasGps(m), HasIptc(m, "Iptc.Application2.Caption")};
}
std::ostream& operator<<(std::ostream& out, const GroupPresence& g)
{
    return out << "copyright " << g.copyright << " exif " << g.exif << " xmp " << g.xmp << " gps " << g.gps << " iptc "
               << g.iptc;
}

TEST_F(PrepareAndUpload, FileIntactSendsTheFileAsItIsAndRefusesContentItCannotShow)
{
    const fs::path jpeg = Picture("IMG_0001.jpg", Everything());
    ASSERT_EQ(S_OK, Prepare(jpeg, {}));
    EXPECT_EQ(ReadFile(jpeg), Arrived()) << "every byte, metadata and all, even with every switch off";
    EXPECT_NE(nullptr, reply_.Get());
    EXPECT_GT(progress_.reports, 0);

    const fs::path pngNamedJpeg = folder_ / "png.jpg";
    fs::rename(test_pictures::WritePng(folder_ / "a.png", 32, 16), pngNamedJpeg);
    ASSERT_EQ(S_OK, Prepare(pngNamedJpeg, {.switches = kAllOff}));
    EXPECT_EQ(ReadFile(pngNamedJpeg), Arrived()) << "PNG is a kind the service shows";

    const fs::path tiffNamedJpeg = folder_ / "tiff.jpg";
    fs::rename(test_pictures::WriteTiff(folder_ / "a.tif", 32, 16), tiffNamedJpeg);
    EXPECT_EQ(WINCODEC_ERR_BADHEADER, Prepare(tiffNamedJpeg, {}));
    const fs::path garbage = folder_ / "garbage.jpg";
    WriteFile(garbage, Bytes(300, 0x42));
    EXPECT_EQ(WINCODEC_ERR_COMPONENTNOTFOUND, Prepare(garbage, {}));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), Prepare(folder_ / "absent.jpg", {}));
    EXPECT_EQ(seen_, PhotoCount()) << "nothing went up for the refused files";

    ASSERT_EQ(S_OK, Prepare(tiffNamedJpeg, {.validate = false}));
    EXPECT_EQ(ReadFile(tiffNamedJpeg), Arrived()) << "without validation the file goes as it is";
}

TEST_F(PrepareAndUpload, PixelsIntactKeepsThePictureAndTheProfileAndEmptiesEachSwitchedOffGroup)
{
    const fs::path source = Picture("IMG_0002.jpg", Everything());
    const Bytes original = ReadFile(source);
    const auto sourceMetadata = jpeg_inspection::ReadWithExiv2(original);
    ASSERT_EQ((GroupPresence{true, true, true, true, true}), Groups(sourceMetadata));

    const struct {
        MetadataSwitches switches;
        GroupPresence expected;
    } cases[] = {
        {kAllOn, {true, true, true, true, true}},
        {{false, true, true, true, true}, {false, true, true, true, true}},
        {{true, false, true, true, true}, {true, false, true, true, true}},
        {{true, true, false, true, true}, {true, true, false, true, true}},
        {{true, true, true, false, true}, {true, true, true, false, true}},
        {{true, true, true, true, false}, {true, true, true, true, false}},
        {kAllOff, {false, false, false, false, false}},
    };
    for (const auto& c : cases) {
        FlakyImaging counting(imaging_.Get());
        counting.failures = 0;
        ASSERT_EQ(S_OK, Prepare(source, {.mode = orvana::PM_PIXELS_INTACT, .switches = c.switches}, &counting));
        EXPECT_EQ(1, counting.writes) << "one attempt";
        const Bytes uploaded = Arrived();
        EXPECT_EQ(jpeg_inspection::PictureData(original), jpeg_inspection::PictureData(uploaded))
            << "the compressed picture is carried over as it is";
        EXPECT_EQ(jpeg_inspection::LibjpegBgr(original), jpeg_inspection::LibjpegBgr(uploaded));
        const auto metadata = jpeg_inspection::ReadWithExiv2(uploaded);
        EXPECT_EQ(c.expected, Groups(metadata));
        EXPECT_EQ(test_pictures::AdobeRgbProfile(), jpeg_inspection::IccProfile(uploaded)) << "the profile, once";
        EXPECT_EQ(1, jpeg_inspection::CountSegments(uploaded, 0xE2, "ICC_PROFILE"));
        const auto facts = jpeg_inspection::ReadFrameFacts(uploaded);
        EXPECT_EQ(96u, facts.densityX) << "the source's resolution";
        // The pixels are not turned, so the tag that says how to show them stays.
        const auto orientation = metadata.exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        ASSERT_NE(metadata.exif.end(), orientation);
        EXPECT_EQ(6, orientation->toLong());
    }
}

TEST_F(PrepareAndUpload, PixelsIntactRetriesOnceWithoutTheSourcesBlocksAndUploadsOnce)
{
    const fs::path source = Picture("IMG_0003.jpg", Everything());
    {
        // A value no group of the host's writes: only the block copy brings it.
        auto image = Exiv2::ImageFactory::open(source.string());
        image->readMetadata();
        image->exifData()["Exif.Image.DocumentName"] = "copied-only";
        image->writeMetadata();
    }
    FlakyImaging once(imaging_.Get());
    ASSERT_EQ(S_OK, Prepare(source, {.mode = orvana::PM_PIXELS_INTACT}, &once));
    EXPECT_EQ(2, once.renders);
    EXPECT_EQ(2, once.writes);
    const Bytes uploaded = Arrived();
    const auto metadata = jpeg_inspection::ReadWithExiv2(uploaded);
    EXPECT_FALSE(HasExif(metadata, "Exif.Image.DocumentName")) << "the second attempt copies no blocks";
    EXPECT_EQ((GroupPresence{true, true, true, true, true}), Groups(metadata)) << "the host still writes its groups";
    EXPECT_EQ(jpeg_inspection::LibjpegBgr(ReadFile(source)), jpeg_inspection::LibjpegBgr(uploaded));

    FlakyImaging always(imaging_.Get());
    always.failures = 2;
    EXPECT_EQ(E_FAIL, Prepare(source, {.mode = orvana::PM_PIXELS_INTACT}, &always));
    EXPECT_EQ(2, always.writes) << "one retry, no more";
    FlakyImaging resampling(imaging_.Get());
    EXPECT_EQ(E_FAIL, Prepare(source, {.mode = orvana::PM_RESAMPLE}, &resampling));
    EXPECT_EQ(1, resampling.writes) << "resampling does not retry";
    EXPECT_EQ(seen_, PhotoCount());

    // A copied block the encoder cannot carry fails the pixel write, then the
    // second attempt goes without it.
    const fs::path corrupt = folder_ / "corrupt.jpg";
    WriteFile(corrupt, jpeg_inspection::WithCorruptExif(ReadFile(Picture("plain.jpg", {}))));
    ASSERT_EQ(S_OK, Prepare(corrupt, {.mode = orvana::PM_PIXELS_INTACT}));
    const Bytes repaired = Arrived();
    EXPECT_EQ(jpeg_inspection::PictureData(ReadFile(corrupt)), jpeg_inspection::PictureData(repaired));
}

TEST_F(PrepareAndUpload, ResampleGivesTheLongEdgeUprightInSrgbAtTheResolutionOfTheSizeRules)
{
    test_pictures::JpegOptions options = Everything(640, 480);
    options.solid = test_pictures::Rgb{0, 200, 0};
    const fs::path source = Picture("IMG_0004.jpg", options);

    ASSERT_EQ(S_OK, Prepare(source, {.mode = orvana::PM_RESAMPLE, .longEdge = 320, .dpi = 300}));
    Bytes uploaded = Arrived();
    auto facts = jpeg_inspection::ReadFrameFacts(uploaded);
    EXPECT_EQ(240u, facts.width) << "turned upright, then scaled to the long edge";
    EXPECT_EQ(320u, facts.height);
    EXPECT_EQ(300u, facts.densityX) << "the print size's resolution, not the source's 96 dpi";
    EXPECT_EQ(jpeg_inspection::LibjpegLumaTable(85), facts.lumaTable);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(1, facts.hSampling[c] * facts.vSampling[c]) << "4:4:4";
    EXPECT_TRUE(jpeg_inspection::IccProfile(uploaded).empty()) << "sRGB needs no profile";
    const Bytes pixels = jpeg_inspection::LibjpegBgr(uploaded);
    const test_pictures::Rgb expected = test_pictures::AdobeRgbToSrgb(*options.solid);
    const std::size_t middle = (160 * 240 + 120) * 3;
    EXPECT_NEAR(expected.g, pixels[middle + 1], 4) << "converted from Adobe RGB";
    EXPECT_NEAR(expected.r, pixels[middle + 2], 4);
    auto metadata = jpeg_inspection::ReadWithExiv2(uploaded);
    EXPECT_EQ((GroupPresence{true, true, true, true, true}), Groups(metadata));
    const auto rendered = metadata.exif.findKey(Exiv2::ExifKey("Exif.Photo.CustomRendered"));
    ASSERT_NE(metadata.exif.end(), rendered);
    EXPECT_EQ(1, rendered->toLong());
    const auto orientation = metadata.exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    EXPECT_TRUE(orientation == metadata.exif.end() || orientation->toLong() == 1) << "the pixels are upright now";

    ASSERT_EQ(S_OK,
              Prepare(source, {.mode = orvana::PM_RESAMPLE, .minimize = true, .switches = kAllOff, .longEdge = 4000}));
    uploaded = Arrived();
    facts = jpeg_inspection::ReadFrameFacts(uploaded);
    EXPECT_EQ(480u, facts.width) << "never enlarged";
    EXPECT_EQ(640u, facts.height);
    EXPECT_EQ(72u, facts.densityX) << "a long edge without a print size: 72 dpi";
    EXPECT_EQ(jpeg_inspection::LibjpegLumaTable(60), facts.lumaTable);
    EXPECT_EQ(2, facts.hSampling[0]) << "4:2:0";
    EXPECT_EQ(2, facts.vSampling[0]);
    metadata = jpeg_inspection::ReadWithExiv2(uploaded);
    EXPECT_EQ((GroupPresence{false, false, false, false, false}), Groups(metadata));
    EXPECT_FALSE(HasExif(metadata, "Exif.Photo.CustomRendered")) << "no switch on, no mark";
}

TEST_F(PrepareAndUpload, ResampleKeepsTheSourcesResolutionAtFullSizeAndFallsBackWhenItHasNone)
{
    test_pictures::JpegOptions options;
    options.dpi = 240;
    ASSERT_EQ(S_OK, Prepare(Picture("dpi240.jpg", options), {.mode = orvana::PM_RESAMPLE, .dpi = 150}));
    EXPECT_EQ(240u, jpeg_inspection::ReadFrameFacts(Arrived()).densityX);

    options.dpi = 0;
    const fs::path none = Picture("nodpi.jpg", options);
    ASSERT_EQ(S_OK, Prepare(none, {.mode = orvana::PM_RESAMPLE, .dpi = -150}));
    EXPECT_EQ(150u, jpeg_inspection::ReadFrameFacts(Arrived()).densityX) << "the print size's, made positive";
    ASSERT_EQ(S_OK, Prepare(none, {.mode = orvana::PM_RESAMPLE}));
    EXPECT_EQ(72u, jpeg_inspection::ReadFrameFacts(Arrived()).densityX);
}

TEST_F(PrepareAndUpload, ResampleReadsEveryKindTheHostDecodesAndRefusesAMislabelledOne)
{
    const std::vector<std::pair<fs::path, std::pair<unsigned, unsigned>>> sources{
        {test_pictures::WritePng(folder_ / "a.png", 120, 80), {120, 80}},
        {test_pictures::WriteGif(folder_ / "a.gif", 120, 80), {120, 80}},
        {test_pictures::WriteTiff(folder_ / "a.tif", 120, 80), {120, 80}},
        {test_pictures::WriteDng(folder_ / "a.dng", 120, 80), {60, 40}},
    };
    for (const auto& [path, size] : sources) {
        const LONG longEdge = path.extension() == ".dng" ? 60 : 0;
        ASSERT_EQ(S_OK, Prepare(path, {.mode = orvana::PM_RESAMPLE, .validate = false, .longEdge = longEdge})) << path;
        const auto facts = jpeg_inspection::ReadFrameFacts(Arrived());
        EXPECT_EQ(size.first, facts.width) << path;
        EXPECT_EQ(size.second, facts.height) << path;
    }
    const fs::path pngNamedJpeg = folder_ / "b.jpg";
    fs::copy_file(sources[0].first, pngNamedJpeg);
    EXPECT_EQ(WINCODEC_ERR_BADHEADER, Prepare(pngNamedJpeg, {.mode = orvana::PM_RESAMPLE}));
    EXPECT_EQ(WINCODEC_ERR_BADHEADER, Prepare(pngNamedJpeg, {.mode = orvana::PM_PIXELS_INTACT}))
        << "the JPEG decoder refuses a PNG";
    EXPECT_EQ(seen_, PhotoCount());
}

TEST_F(PrepareAndUpload, WithoutTheHostsImagingOnlyFilesGoIntact)
{
    struct NoImaging final : IUnknown {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
        {
            *ppv = riid == IID_IUnknown ? this : nullptr;
            return *ppv ? S_OK : E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    } none;
    const fs::path source = Picture("IMG_0005.jpg", {});
    EXPECT_EQ(E_NOINTERFACE, Prepare(source, {.mode = orvana::PM_RESAMPLE}, &none));
    ASSERT_EQ(S_OK, Prepare(source, {}, &none));
    Arrived();

    const orvana::PreparationServices noProxy{nullptr, host_.Get(), &progress_};
    BSTR reply = SysAllocString(u"stale");
    EXPECT_EQ(E_UNEXPECTED, orvana::PrepareAndUploadImage(noProxy, uploadUrl_.c_str(), u"x.jpg", u"x.jpg", &reply,
                                                          orvana::PM_FILE_INTACT, true, false, kAllOn, 0, 0));
    EXPECT_EQ(nullptr, reply) << "the reply is freed on entry";
}

} // namespace
