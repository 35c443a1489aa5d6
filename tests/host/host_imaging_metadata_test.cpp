// The metadata groups of the item record: read from real files into the
// record's layout, and written from it through a recording query writer,
// each group as asked, a blank group as removals only.
#include "contract/host_image_info.h"
#include "contract/host_interfaces.h"
#include "host/imaging/metadata_reader.h"
#include "host/imaging/record_layout.h"
#include "host/imaging/tag_list.h"
#include "host/publishing_host.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/utf.h"
#include "tests/support/temporary_prefix.h"
#include "tests/support/test_pictures.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Text(BSTR text)
{
    return text ? pal::ToUtf8(pal::WideView(text, SysStringLen(text))) : "<null>";
}

// A value as "<kind>:<contents>", so the expectations read as the contract does.
std::string Describe(const PROPVARIANT& v)
{
    const auto rational = [](std::uint64_t packed, bool isSigned) {
        const auto low = static_cast<std::uint32_t>(packed);
        const auto high = static_cast<std::uint32_t>(packed >> 32);
        return isSigned ? std::to_string(static_cast<std::int32_t>(low)) + "/" + std::to_string(static_cast<std::int32_t>(high))
                        : std::to_string(low) + "/" + std::to_string(high);
    };
    const auto join = [](ULONG count, const auto& at) {
        std::string out;
        for (ULONG i = 0; i < count; ++i) out += (i ? "," : "") + at(i);
        return out;
    };
    switch (v.vt) {
    case VT_LPSTR:
        return "A:"s + v.pszVal;
    case VT_LPWSTR:
        return "W:" + pal::ToUtf8(v.pwszVal);
    case VT_VECTOR | VT_LPWSTR:
        return "W[]:" + join(v.calpwstr.cElems, [&](ULONG i) { return pal::ToUtf8(v.calpwstr.pElems[i]); });
    case VT_UI1:
        return "UI1:" + std::to_string(v.bVal);
    case VT_UI2:
        return "UI2:" + std::to_string(v.uiVal);
    case VT_UI4:
        return "UI4:" + std::to_string(v.ulVal);
    case VT_I2:
        return "I2:" + std::to_string(v.iVal);
    case VT_I4:
        return "I4:" + std::to_string(v.lVal);
    case VT_UI8:
        return "UR:" + rational(v.uhVal.QuadPart, false);
    case VT_I8:
        return "SR:" + rational(static_cast<std::uint64_t>(v.hVal.QuadPart), true);
    case VT_VECTOR | VT_UI8:
        return "UR[]:" + join(v.cauh.cElems, [&](ULONG i) { return rational(v.cauh.pElems[i].QuadPart, false); });
    case VT_VECTOR | VT_UI1:
        return "UI1[]:" + join(v.caub.cElems, [&](ULONG i) { return std::to_string(v.caub.pElems[i]); });
    case VT_VECTOR | VT_UI2:
        return "UI2[]:" + join(v.caui.cElems, [&](ULONG i) { return std::to_string(v.caui.pElems[i]); });
    case VT_BLOB:
        return "BLOB:" + std::string(reinterpret_cast<const char*>(v.blob.pBlobData), v.blob.cbSize);
    default:
        return "vt " + std::to_string(v.vt);
    }
}

class RecordingWriter : public pal::ComObjectRoot, public IWICMetadataQueryWriter {
  public:
    using Interfaces = pal::InterfaceList<IWICMetadataQueryWriter>;

    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLocation(UINT, WCHAR*, UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMetadataByName(LPCWSTR, PROPVARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMetadataByName(LPCWSTR wzName, const PROPVARIANT* pvarValue) override
    {
        const std::string name = pal::ToUtf8(wzName);
        order.push_back("set " + name);
        sets[name] = Describe(*pvarValue);
        const auto failure = failures.find(name);
        return failure == failures.end() ? S_OK : failure->second;
    }
    HRESULT STDMETHODCALLTYPE RemoveMetadataByName(LPCWSTR wzName) override
    {
        const std::string name = pal::ToUtf8(wzName);
        order.push_back("remove " + name);
        removals.insert(name);
        return WINCODEC_ERR_PROPERTYNOTFOUND; // nothing copied here: every removal finds nothing
    }

    std::map<std::string, std::string> sets;
    std::set<std::string> removals;
    std::vector<std::string> order;
    std::map<std::string, HRESULT> failures;
};

struct Groups {
    BOOL copyright = FALSE;
    BOOL exif = FALSE;
    BOOL xmp = FALSE;
    BOOL gps = FALSE;
    BOOL iptc = FALSE;
};
constexpr Groups kAll{TRUE, TRUE, TRUE, TRUE, TRUE};

class ImageMetadata : public testing_support::PrefixTest {
  protected:
    ImageMetadata()
    {
        auto host = pal::MakeComObject<host::PublishingHost, IPublishingHost>();
        EXPECT_EQ(S_OK, host->QueryInterface(IID_IHostImaging, imaging_.ReleaseAndGetVoidAddress()));
        contract::PresetHostImageInfo(info_);
        writer_ = pal::MakeComObject<RecordingWriter, IWICMetadataQueryWriter>();
    }
    ~ImageMetadata() override { contract::ReleaseHostImageInfo(info_); }

    std::filesystem::path FullJpeg()
    {
        test_pictures::JpegOptions options;
        options.texts = options.camera = options.gps = options.xmp = options.iptc = true;
        options.orientation = 6;
        return test_pictures::WriteJpeg(prefix_.Path() / "full.jpg", options);
    }
    void Read(const std::filesystem::path& file)
    {
        contract::ReleaseHostImageInfo(info_);
        contract::PresetHostImageInfo(info_);
        host::ReadImageMetadata(file, info_);
    }
    HRESULT Write(Groups groups)
    {
        return imaging_->WriteImageMetadata(writer_.Get(), 0, 1, &info_, groups.copyright, groups.exif, groups.xmp,
                                            groups.gps, groups.iptc, TRUE, FALSE);
    }
    RecordingWriter& Recorded() { return *static_cast<RecordingWriter*>(writer_.Get()); }

    pal::ComPtr<IHostImaging> imaging_;
    pal::ComPtr<IWICMetadataQueryWriter> writer_;
    HostImageInfo info_{};
};

TEST_F(ImageMetadata, EveryGroupIsReadIntoTheRecordsLayout)
{
    Read(FullJpeg());
    EXPECT_EQ(test_pictures::kArtist, Text(info_.copyrightGroup[host::imaging::kArtist]));
    EXPECT_EQ(test_pictures::kCopyright, Text(info_.copyrightGroup[host::imaging::kCopyrightNotice]));
    EXPECT_EQ(test_pictures::kComment, Text(info_.copyrightGroup[host::imaging::kComment]));
    EXPECT_EQ(test_pictures::kSoftware, Text(info_.copyrightGroup[host::imaging::kSoftware]));

    // make, model, lens, exposure, f-number, ISO, focal length, date, flash
    EXPECT_EQ(9u, host::imaging::ExifTagCount(info_));
    const auto camera = host::imaging::DecodeTagList(Text(info_.hostStringA8));
    EXPECT_EQ(9u, camera.size());
    EXPECT_EQ(7, info_.gpsGroup); // version, both references and values, altitude and its reference

    EXPECT_EQ(test_pictures::kRating, info_.xmpGroup[host::imaging::kXmpRating]);
    EXPECT_EQ(1, info_.xmpGroup[host::imaging::kXmpLabel]); // Red
    EXPECT_EQ(test_pictures::kLabel, Text(info_.hostStringB8));
    EXPECT_EQ(test_pictures::kUrgency, info_.xmpGroup[host::imaging::kXmpUrgency]);
    EXPECT_EQ(host::imaging::kAbsent, info_.xmpGroup[host::imaging::kXmpRatingPercent]);
    EXPECT_EQ(host::imaging::kAbsent, info_.xmpGroup[host::imaging::kXmpMarked]);

    const HostIptcBlock& iptc = info_.iptc;
    EXPECT_EQ(test_pictures::kCaption, Text(iptc.strings[0]));
    EXPECT_EQ(test_pictures::kTitle, Text(iptc.strings[1]));
    EXPECT_EQ("gradient\ntest\nZürich", Text(iptc.strings[3]));
    EXPECT_EQ(test_pictures::kCity, Text(iptc.strings[11]));
    EXPECT_EQ(test_pictures::kCountry, Text(iptc.strings[15]));
    EXPECT_EQ(3, iptc.header4);
    EXPECT_EQ(test_pictures::kUrgency, iptc.header6);
    EXPECT_EQ(20240506, iptc.header0);
    EXPECT_EQ(0, iptc.blanked);
    EXPECT_EQ(nullptr, info_.itemPath); // the component's own fields stay untouched
}

TEST_F(ImageMetadata, FilesWithoutMetadataLeaveEveryGroupBlank)
{
    const auto folder = prefix_.Path();
    const std::filesystem::path files[] = {
        test_pictures::WriteJpeg(folder / "plain.jpg", {}), test_pictures::WritePng(folder / "plain.png", 8, 8),
        test_pictures::WriteGif(folder / "plain.gif", 8, 8), test_pictures::WriteTiff(folder / "plain.tif", 8, 8)};
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        Read(file);
        EXPECT_TRUE(host::imaging::CopyrightBlank(info_));
        EXPECT_TRUE(host::imaging::ExifBlank(info_));
        EXPECT_TRUE(host::imaging::XmpBlank(info_));
        EXPECT_TRUE(host::imaging::GpsBlank(info_));
        EXPECT_TRUE(std::all_of(std::begin(info_.iptc.strings), std::end(info_.iptc.strings),
                                [](BSTR s) { return s == nullptr; }));
        EXPECT_EQ(-1, info_.iptc.header0);
        EXPECT_EQ(-1, info_.iptc.header6);
    }
    // A DNG names its camera in IFD0: that much of the EXIF group is there.
    Read(test_pictures::WriteDng(folder / "camera.dng", 8, 8));
    EXPECT_EQ(2u, host::imaging::ExifTagCount(info_));
    EXPECT_THROW(host::ReadImageMetadata(folder / "missing.jpg", info_), pal::HResultError);
}

TEST_F(ImageMetadata, EachGroupIsWrittenThroughItsPaths)
{
    Read(FullJpeg());
    ASSERT_EQ(S_OK, Write(kAll));
    const std::map<std::string, std::string> expected{
        // copyright
        {"/app1/ifd/{ushort=315}", "A:"s + test_pictures::kArtist},
        {"/xmp/dc:creator", "W[]:"s + test_pictures::kArtist},
        {"/app1/ifd/{ushort=33432}", "A:"s + test_pictures::kCopyright},
        {"/xmp/dc:rights", "W:"s + test_pictures::kCopyright},
        {"/app1/ifd/exif/{ushort=37510}", "BLOB:"s + std::string("ASCII\0\0\0", 8) + test_pictures::kComment},
        {"/xmp/dc:description", "W:"s + test_pictures::kComment},
        {"/app1/ifd/{ushort=305}", "A:"s + test_pictures::kSoftware},
        {"/xmp/xmp:CreatorTool", "W:"s + test_pictures::kSoftware},
        // EXIF
        {"/app1/ifd/{ushort=271}", "A:"s + test_pictures::kMake},
        {"/app1/ifd/{ushort=272}", "A:"s + test_pictures::kModel},
        {"/app1/ifd/exif/{ushort=42036}", "A:"s + test_pictures::kLens},
        {"/app1/ifd/exif/{ushort=33434}", "UR:1/250"},
        {"/app1/ifd/exif/{ushort=33437}", "UR:56/10"},
        {"/app1/ifd/exif/{ushort=34855}", "UI2:200"},
        {"/app1/ifd/exif/{ushort=37386}", "UR:50/1"},
        {"/app1/ifd/exif/{ushort=36867}", "A:"s + test_pictures::kDateTimeOriginal},
        {"/app1/ifd/exif/{ushort=37385}", "UI2:1"},
        // GPS
        {"/app1/ifd/gps/{ushort=0}", "UI1[]:2,3,0,0"},
        {"/app1/ifd/gps/{ushort=1}", "A:N"},
        {"/app1/ifd/gps/{ushort=2}", "UR[]:48/1,51/1,3024/100"},
        {"/app1/ifd/gps/{ushort=3}", "A:E"},
        {"/app1/ifd/gps/{ushort=4}", "UR[]:2/1,17/1,4020/100"},
        {"/app1/ifd/gps/{ushort=5}", "UI1:0"},
        {"/app1/ifd/gps/{ushort=6}", "UR:350/10"},
        // XMP
        {"/xmp/xmp:Rating", "I2:4"},
        {"/app1/ifd/{ushort=18246}", "UI2:4"},
        {"/xmp/xmp:Label", "W:Red"},
        {"/xmp/photoshop:Urgency", "I2:2"},
        // IPTC
        {"/app13/irb/8bimiptc/iptc/Caption", "W:"s + test_pictures::kCaption},
        {"/app13/irb/8bimiptc/iptc/ObjectName", "W:"s + test_pictures::kTitle},
        {"/app13/irb/8bimiptc/iptc/Keywords", "W[]:gradient,test,Zürich"},
        {"/app13/irb/8bimiptc/iptc/City", "W:"s + test_pictures::kCity},
        {"/app13/irb/8bimiptc/iptc/CountryName", "W:"s + test_pictures::kCountry},
        {"/app13/irb/8bimiptc/iptc/Urgency", "UI2:2"},
        {"/app13/irb/8bimiptc/iptc/DateCreated", "W:20240506"},
    };
    EXPECT_EQ(expected, Recorded().sets);
    EXPECT_TRUE(Recorded().removals.empty()); // nothing was blank
}

TEST_F(ImageMetadata, OnlyTheGroupsAskedForAreTouched)
{
    Read(FullJpeg());
    ASSERT_EQ(S_OK, Write({}));
    EXPECT_TRUE(Recorded().order.empty());

    ASSERT_EQ(S_OK, Write({.gps = TRUE}));
    for (const auto& [path, value] : Recorded().sets) EXPECT_EQ(0u, path.rfind("/app1/ifd/gps/", 0)) << path;
    EXPECT_EQ(7u, Recorded().sets.size());

    // A blank group not asked for is not emptied either.
    contract::ResetIptcBlock(info_.iptc);
    info_.iptc.blanked = 1;
    ASSERT_EQ(S_OK, Write({.copyright = TRUE}));
    EXPECT_TRUE(Recorded().removals.empty());
}

// The component's blanking rules, one group at a time.
void Blank(HostImageInfo& info, int group)
{
    switch (group) {
    case 0:
        for (BSTR& text : info.copyrightGroup) {
            SysFreeString(text);
            text = nullptr;
        }
        break;
    case 1:
        std::memset(info.exifGroup, 0, sizeof info.exifGroup);
        break;
    case 2:
        std::fill(std::begin(info.xmpGroup), std::end(info.xmpGroup), SHORT{-1});
        break;
    case 3:
        info.gpsGroup = 0;
        break;
    case 4:
        contract::ResetIptcBlock(info.iptc);
        info.iptc.blanked = 1;
        break;
    }
}

TEST_F(ImageMetadata, ABlankGroupIsRemovedAndNothingOfItIsSet)
{
    struct Case {
        const char* group;
        std::vector<std::string> removed;   // among the removals
        std::vector<std::string> ownPrefix; // no set may start with these (or be them)
    };
    const Case cases[] = {
        {"copyright",
         {"/app1/ifd/{ushort=315}", "/app1/ifd/{ushort=33432}", "/app1/ifd/exif/{ushort=37510}",
          "/app1/ifd/{ushort=305}", "/xmp/dc:creator", "/xmp/dc:rights", "/xmp/dc:description"},
         {"/app1/ifd/{ushort=315}", "/app1/ifd/{ushort=33432}", "/app1/ifd/exif/{ushort=37510}", "/xmp/dc:"}},
        {"EXIF",
         {"/app1/ifd/{ushort=271}", "/app1/ifd/{ushort=272}", "/app1/ifd/exif/{ushort=33434}",
          "/app1/ifd/exif/{ushort=37386}", "/app1/ifd/exif/{ushort=42036}", "/app1/ifd/exif/{ushort=37500}"},
         {"/app1/ifd/{ushort=271}", "/app1/ifd/{ushort=272}", "/app1/ifd/exif/{ushort=33434}",
          "/app1/ifd/exif/{ushort=33437}", "/app1/ifd/exif/{ushort=34855}", "/app1/ifd/exif/{ushort=36867}",
          "/app1/ifd/exif/{ushort=37385}", "/app1/ifd/exif/{ushort=37386}", "/app1/ifd/exif/{ushort=42036}"}},
        {"XMP",
         {"/xmp/xmp:Rating", "/xmp/xmp:Label", "/xmp/photoshop:Urgency", "/app1/ifd/{ushort=18246}"},
         {"/xmp/xmp:Rating", "/xmp/xmp:Label", "/xmp/photoshop:", "/app1/ifd/{ushort=18246}"}},
        {"GPS", {"/app1/ifd/gps"}, {"/app1/ifd/gps"}},
        {"IPTC", {"/app13/irb/8bimiptc/iptc", "/xmp/xmpRights:UsageTerms", "/xmp/dc:subject"}, {"/app13"}},
    };
    for (int group = 0; group < 5; ++group) {
        const Case& c = cases[group];
        SCOPED_TRACE(c.group);
        Read(FullJpeg());
        Blank(info_, group);
        Recorded().sets.clear();
        Recorded().removals.clear();
        Recorded().order.clear();
        ASSERT_EQ(S_OK, Write(kAll)); // removals that find nothing are no failure
        for (const std::string& path : c.removed) EXPECT_EQ(1u, Recorded().removals.count(path)) << path;
        for (const auto& [path, value] : Recorded().sets)
            for (const std::string& own : c.ownPrefix) EXPECT_NE(0u, path.rfind(own, 0)) << path;
        // The other four groups are still written: 35 sets in all when nothing is blank.
        EXPECT_GT(Recorded().sets.size(), 10u);
        // Every removal comes before the first set.
        const auto firstSet = std::find_if(Recorded().order.begin(), Recorded().order.end(),
                                           [](const std::string& call) { return call.rfind("set ", 0) == 0; });
        EXPECT_TRUE(std::none_of(firstSet, Recorded().order.end(),
                                 [](const std::string& call) { return call.rfind("remove ", 0) == 0; }));
    }
}

TEST_F(ImageMetadata, EmptyingEveryGroupKeepsWhatDescribesThePicture)
{
    Read(FullJpeg());
    for (int group = 0; group < 5; ++group) Blank(info_, group);
    ASSERT_EQ(S_OK, Write(kAll));
    EXPECT_TRUE(Recorded().sets.empty());
    EXPECT_EQ(1u, Recorded().removals.count("/app1/ifd/gps"));
    EXPECT_EQ(1u, Recorded().removals.count("/app13/irb/8bimiptc/iptc"));
    // Orientation, resolution, pixel sizes and colour space belong to the picture, not to a group.
    for (const char* kept : {"/app1/ifd/exif", "/app1/ifd/{ushort=274}", "/app1/ifd/{ushort=282}",
                             "/app1/ifd/exif/{ushort=40961}", "/app1/ifd/exif/{ushort=40962}", "/xmp", "/app13"})
        EXPECT_EQ(0u, Recorded().removals.count(kept)) << kept;
}

TEST_F(ImageMetadata, TheFirstFailingSetIsTheAnswerAndTheRestAreStillTried)
{
    Read(FullJpeg());
    constexpr HRESULT kFirst = WINCODEC_ERR_PROPERTYNOTSUPPORTED;
    Recorded().failures["/app1/ifd/{ushort=33432}"] = kFirst;
    Recorded().failures["/app13/irb/8bimiptc/iptc/Caption"] = E_FAIL;
    EXPECT_EQ(kFirst, Write(kAll));
    EXPECT_EQ(1u, Recorded().sets.count("/app13/irb/8bimiptc/iptc/City"));
}

TEST_F(ImageMetadata, ValuesTheHostChangedInTheRecordAreWrittenAsTheyAre)
{
    // The record is the host's: a rejected rating, another label, a time and a tag list it wrote itself.
    info_.xmpGroup[host::imaging::kXmpRating] = host::imaging::kRatingRejected;
    info_.xmpGroup[host::imaging::kXmpLabel] = 4; // Blue, without a text
    info_.xmpGroup[host::imaging::kXmpMarked] = 1;
    host::imaging::SetIptcTime(info_.iptc, {7, 8, 9, -90});
    info_.iptc.strings[host::imaging::kIptcUsageTerms] = SysAllocString(W("Editorial use only"));
    const std::vector<host::imaging::TagEntry> tags{
        {host::imaging::TagIfd::Exif, 37380, host::imaging::TagType::SRational, "", {}, {{-1, 3}}},
        {host::imaging::TagIfd::Exif, 41729, host::imaging::TagType::Undefined, "", {1}, {}},
        {host::imaging::TagIfd::Exif, 274, host::imaging::TagType::Short, "", {6}, {}}, // not the group's: left out
        {host::imaging::TagIfd::Image, 272, host::imaging::TagType::Ascii, "Line\\one\nLine two", {}, {}},
    };
    info_.hostStringA8 = SysAllocString(pal::ToUtf16(host::imaging::EncodeTagList(tags)).c_str());
    host::imaging::SetExifTagCount(info_, 4);
    ASSERT_EQ(S_OK, Write(kAll));
    const auto& sets = Recorded().sets;
    EXPECT_EQ("I2:-1", sets.at("/xmp/xmp:Rating"));
    EXPECT_EQ(0u, sets.count("/app1/ifd/{ushort=18246}")); // EXIF's rating has no rejected value
    EXPECT_EQ("W:Blue", sets.at("/xmp/xmp:Label"));
    EXPECT_EQ("W:True", sets.at("/xmp/xmpRights:Marked"));
    EXPECT_EQ("W:070809-0130", sets.at("/app13/irb/8bimiptc/iptc/TimeCreated"));
    EXPECT_EQ("W:Editorial use only", sets.at("/xmp/xmpRights:UsageTerms"));
    EXPECT_EQ("SR:-1/3", sets.at("/app1/ifd/exif/{ushort=37380}"));
    EXPECT_EQ("BLOB:\x01", sets.at("/app1/ifd/exif/{ushort=41729}"));
    EXPECT_EQ("A:Line\\one\nLine two", sets.at("/app1/ifd/{ushort=272}"));
    EXPECT_EQ(0u, sets.count("/app1/ifd/exif/{ushort=274}"));
}

TEST(TagList, LinesThatDoNotParseAreLeftOut)
{
    const auto tags = host::imaging::DecodeTagList("0 271 A Make\nx 1 A bad ifd\ne 99999 S 1\ne 1 S\ne 2 R 1\n"
                                                   "g 2 R 1/2,3/4\ne 3 U 0g\ne 4 U 0a\n");
    ASSERT_EQ(3u, tags.size());
    EXPECT_EQ("Make", tags[0].text);
    EXPECT_EQ(2u, tags[1].rationals.size());
    EXPECT_EQ(std::vector<std::int64_t>{10}, tags[2].integers);
}

} // namespace
