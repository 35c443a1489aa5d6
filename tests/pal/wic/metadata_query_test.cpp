// The query paths as the host writes them: each family set through an
// encoder frame's writer, the finished file read with exiv2 and with this
// layer's query reader; subtrees removed; malformed paths and values refused.
#include "pal/utf.h"
#include "pal/wide_string.h"
#include "tests/pal/wic/imaging_fixture.h"

#include <cstdio>
#include <jpeglib.h>
#include <memory>
#include <sstream>
#include <thread>

namespace wic_test {
namespace {

// A PROPVARIANT over memory the test owns (never cleared).
class TestValue {
  public:
    static TestValue Scalar(VARTYPE type, std::uint64_t bits)
    {
        TestValue v;
        v.value_.vt = type;
        v.value_.uhVal.QuadPart = bits;
        if (type == VT_UI2) v.value_.uiVal = static_cast<USHORT>(bits);
        if (type == VT_I4) v.value_.lVal = static_cast<LONG>(bits);
        if (type == VT_UI4) v.value_.ulVal = static_cast<ULONG>(bits);
        return v;
    }
    static TestValue Rational(std::uint32_t numerator, std::uint32_t denominator, bool isSigned = false)
    {
        return Scalar(isSigned ? VT_I8 : VT_UI8, std::uint64_t{denominator} << 32 | numerator);
    }
    static TestValue Wide(const std::string& utf8)
    {
        TestValue v;
        auto text = std::make_shared<pal::WideString>(pal::ToUtf16(utf8));
        v.value_.vt = VT_LPWSTR;
        v.value_.pwszVal = text->data();
        v.storage_ = text;
        return v;
    }
    static TestValue Narrow(const std::string& utf8)
    {
        TestValue v;
        auto text = std::make_shared<std::string>(utf8);
        v.value_.vt = VT_LPSTR;
        v.value_.pszVal = text->data();
        v.storage_ = text;
        return v;
    }
    static TestValue Texts(const std::vector<std::string>& utf8)
    {
        TestValue v;
        auto texts = std::make_shared<std::vector<pal::WideString>>();
        for (const std::string& text : utf8)
            texts->push_back(pal::ToUtf16(text));
        auto pointers = std::make_shared<std::vector<LPWSTR>>();
        for (pal::WideString& text : *texts)
            pointers->push_back(text.data());
        v.value_.vt = VT_VECTOR | VT_LPWSTR;
        v.value_.calpwstr = {static_cast<ULONG>(pointers->size()), pointers->data()};
        v.storage_ = std::make_shared<std::pair<decltype(texts), decltype(pointers)>>(texts, pointers);
        return v;
    }
    static TestValue Bytes(VARTYPE type, std::vector<UCHAR> bytes)
    {
        TestValue v;
        auto data = std::make_shared<std::vector<UCHAR>>(std::move(bytes));
        v.value_.vt = type;
        if (type == VT_BLOB) {
            v.value_.blob = {static_cast<ULONG>(data->size()), data->data()};
        } else {
            v.value_.caub = {static_cast<ULONG>(data->size()), data->data()};
        }
        v.storage_ = data;
        return v;
    }
    static TestValue Rationals(std::vector<ULARGE_INTEGER> values)
    {
        TestValue v;
        auto data = std::make_shared<std::vector<ULARGE_INTEGER>>(std::move(values));
        v.value_.vt = VT_VECTOR | VT_UI8;
        v.value_.cauh = {static_cast<ULONG>(data->size()), data->data()};
        v.storage_ = data;
        return v;
    }

    const PROPVARIANT* Get() const { return &value_; }

  private:
    PROPVARIANT value_{};
    std::shared_ptr<void> storage_;
};

ULARGE_INTEGER Pair(std::uint32_t numerator, std::uint32_t denominator)
{
    ULARGE_INTEGER v{};
    v.QuadPart = std::uint64_t{denominator} << 32 | numerator;
    return v;
}

// What a value read back holds, as text: "UI2 6", "LPSTR text", "VECTOR|UI8 52/1 30/1".
std::string Describe(const PROPVARIANT& v)
{
    std::ostringstream out;
    const auto rational = [&](ULONGLONG bits) {
        out << ' ' << static_cast<std::uint32_t>(bits) << '/' << static_cast<std::uint32_t>(bits >> 32);
    };
    const auto signedRational = [&](LONGLONG value) {
        const auto bits = static_cast<ULONGLONG>(value);
        out << ' ' << static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)) << '/'
            << static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
    };
    switch (v.vt) {
    case VT_UI2:
        out << "UI2 " << v.uiVal;
        break;
    case VT_UI4:
        out << "UI4 " << v.ulVal;
        break;
    case VT_I4:
        out << "I4 " << v.lVal;
        break;
    case VT_LPSTR:
        out << "LPSTR " << v.pszVal;
        break;
    case VT_LPWSTR:
        out << "LPWSTR " << pal::ToUtf8(v.pwszVal);
        break;
    case VT_UI8:
        out << "UI8";
        rational(v.uhVal.QuadPart);
        break;
    case VT_I8:
        out << "I8";
        signedRational(v.hVal.QuadPart);
        break;
    case VT_BLOB:
        out << "BLOB";
        for (ULONG i = 0; i < v.blob.cbSize; ++i)
            out << ' ' << int{v.blob.pBlobData[i]};
        break;
    case VT_VECTOR | VT_UI1:
        out << "VECTOR|UI1";
        for (ULONG i = 0; i < v.caub.cElems; ++i)
            out << ' ' << int{v.caub.pElems[i]};
        break;
    case VT_VECTOR | VT_UI8:
        out << "VECTOR|UI8";
        for (ULONG i = 0; i < v.cauh.cElems; ++i)
            rational(v.cauh.pElems[i].QuadPart);
        break;
    case VT_VECTOR | VT_LPWSTR:
        out << "VECTOR|LPWSTR";
        for (ULONG i = 0; i < v.calpwstr.cElems; ++i)
            out << ' ' << pal::ToUtf8(v.calpwstr.pElems[i]);
        break;
    default:
        out << "vt " << v.vt;
    }
    return out.str();
}

pal::WideString Path(const std::string& path)
{
    return pal::ToUtf16(path);
}

std::string Exiv2Text(const FileMetadata& metadata, const std::string& key)
{
    if (key.rfind("Exif.", 0) == 0) {
        const auto found = metadata.exif.findKey(Exiv2::ExifKey(key));
        return found == metadata.exif.end() ? "(none)" : found->toString();
    }
    if (key.rfind("Xmp.", 0) == 0) {
        const auto found = metadata.xmp.findKey(Exiv2::XmpKey(key));
        return found == metadata.xmp.end() ? "(none)" : found->toString();
    }
    std::string joined;
    for (const auto& datum : metadata.iptc)
        if (datum.key() == key) joined += (joined.empty() ? "" : "|") + datum.toString();
    return joined.empty() ? "(none)" : joined;
}

class MetadataQuery : public ImagingTest {};

TEST_F(MetadataQuery, EachPathFamilyIsWrittenWhereExiv2AndTheReaderFindIt)
{
    struct Case {
        std::string path;
        TestValue value;
        std::string exiv2Key;
        std::string exiv2Text;
        std::string readBack;
    };
    const std::vector<Case> cases = {
        {"/app1/ifd/{ushort=274}", TestValue::Scalar(VT_UI2, 6), "Exif.Image.Orientation", "6", "UI2 6"},
        {"/app1/ifd/{ushort=270}", TestValue::Wide("Grüße"), "Exif.Image.ImageDescription", "Grüße", "LPSTR Grüße"},
        {"/app1/ifd/{ushort=315}", TestValue::Narrow("Ann"), "Exif.Image.Artist", "Ann", "LPSTR Ann"},
        {"/app1/ifd/{ushort=282}", TestValue::Scalar(VT_UI4, 300), "Exif.Image.XResolution", "300/1", "UI8 300/1"},
        {"/app1/ifd/exif/{ushort=33434}", TestValue::Rational(1, 250), "Exif.Photo.ExposureTime", "1/250", "UI8 1/250"},
        {"/app1/ifd/exif/{ushort=37380}", TestValue::Rational(static_cast<std::uint32_t>(-1), 3, true),
         "Exif.Photo.ExposureBiasValue", "-1/3", "I8 -1/3"},
        {"/app1/ifd/exif/{ushort=34855}", TestValue::Scalar(VT_UI2, 400), "Exif.Photo.ISOSpeedRatings", "400",
         "UI2 400"},
        {"/app1/ifd/exif/{ushort=36864}", TestValue::Bytes(VT_BLOB, {'0', '2', '3', '2'}), "Exif.Photo.ExifVersion",
         "48 50 51 50", "BLOB 48 50 51 50"},
        {"/app1/ifd/gps/{ushort=0}", TestValue::Bytes(VT_VECTOR | VT_UI1, {2, 3, 0, 0}), "Exif.GPSInfo.GPSVersionID",
         "2 3 0 0", "VECTOR|UI1 2 3 0 0"},
        {"/app1/ifd/gps/{ushort=1}", TestValue::Narrow("N"), "Exif.GPSInfo.GPSLatitudeRef", "N", "LPSTR N"},
        {"/app1/ifd/gps/{ushort=2}", TestValue::Rationals({Pair(52, 1), Pair(30, 1), Pair(1234, 100)}),
         "Exif.GPSInfo.GPSLatitude", "52/1 30/1 1234/100", "VECTOR|UI8 52/1 30/1 1234/100"},
        {"/xmp/dc:title", TestValue::Wide("Hafen"), "Xmp.dc.title", "lang=\"x-default\" Hafen", "LPWSTR Hafen"},
        {"/xmp/dc:subject", TestValue::Texts({"boat", "sea"}), "Xmp.dc.subject", "boat, sea", "VECTOR|LPWSTR boat sea"},
        {"/xmp/dc:creator", TestValue::Texts({"Ann"}), "Xmp.dc.creator", "Ann", "VECTOR|LPWSTR Ann"},
        {"/xmp/xmp:Rating", TestValue::Scalar(VT_UI2, 4), "Xmp.xmp.Rating", "4", "LPWSTR 4"},
        {"/xmp/MicrosoftPhoto:Rating", TestValue::Scalar(VT_I4, 75), "Xmp.MicrosoftPhoto.Rating", "75", "LPWSTR 75"},
        {"/xmp/photoshop:City", TestValue::Narrow("Zürich"), "Xmp.photoshop.City", "Zürich", "LPWSTR Zürich"},
        {"/xmp/xmpRights:Marked", TestValue::Wide("True"), "Xmp.xmpRights.Marked", "True", "LPWSTR True"},
        {"/app13/irb/8bimiptc/iptc/Keywords", TestValue::Texts({"boat", "Möwe"}), "Iptc.Application2.Keywords",
         "boat|Möwe", "VECTOR|LPWSTR boat Möwe"},
        {"/app13/irb/8bimiptc/iptc/Caption", TestValue::Wide("Ünïcode"), "Iptc.Application2.Caption", "Ünïcode",
         "LPWSTR Ünïcode"},
        {"/app13/irb/8bimiptc/iptc/City", TestValue::Narrow("Oslo"), "Iptc.Application2.City", "Oslo", "LPWSTR Oslo"},
        {"/app13/irb/8bimiptc/iptc/Urgency", TestValue::Scalar(VT_UI2, 3), "Iptc.Application2.Urgency", "3",
         "LPWSTR 3"},
        {"/app13/irb/8bimiptc/iptc/DateCreated", TestValue::Narrow("2024-05-17"), "Iptc.Application2.DateCreated",
         "2024-05-17", "LPWSTR 2024-05-17"},
    };
    Reencode how;
    how.edit = [&](IWICMetadataQueryWriter* writer) {
        for (const Case& c : cases)
            EXPECT_EQ(S_OK, writer->SetMetadataByName(Path(c.path).c_str(), c.value.Get())) << c.path;
        // The writer reads back what it holds.
        PROPVARIANT value{};
        EXPECT_EQ(S_OK, writer->GetMetadataByName(W("/app1/ifd/{ushort=274}"), &value));
        EXPECT_EQ(Describe(value), "UI2 6");
        PropVariantClear(&value);
    };
    const Bytes out = Encode(MakeJpeg({}), how);
    ASSERT_FALSE(out.empty());

    const FileMetadata metadata = ReadWithExiv2(out);
    EXPECT_EQ(Exiv2Text(metadata, "Iptc.Envelope.CharacterSet"), "\x1b%G") << "IPTC said to be UTF-8";
    ComPtr<IWICMetadataQueryReader> reader;
    ASSERT_EQ(S_OK, DecodeFrame(out)->GetMetadataQueryReader(reader.ReleaseAndGetAddressOf()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Exiv2Text(metadata, c.exiv2Key), c.exiv2Text);
        PROPVARIANT value{};
        ASSERT_EQ(S_OK, reader->GetMetadataByName(Path(c.path).c_str(), &value));
        EXPECT_EQ(Describe(value), c.readBack);
        EXPECT_EQ(S_OK, PropVariantClear(&value));
    }
}

TEST_F(MetadataQuery, SubtreesAndLeavesAreRemovedAndNothingElse)
{
    Exiv2::ExifData exif;
    exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(3);
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 60);
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    Exiv2::XmpData xmp;
    xmp["Xmp.xmp.Rating"] = "5";
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.City"] = "Oslo";
    PictureRecipe recipe;
    recipe.markers = {{JPEG_APP0 + 1, ExifPayload(exif)},
                      {JPEG_APP0 + 1, XmpPayload(xmp)},
                      {JPEG_APP0 + 13, App13Payload(iptc, std::pair(std::uint16_t{0x0409}, Bytes{1, 2}))}};
    const Bytes source = MakeJpeg(recipe);

    struct Case {
        const char* path;
        std::string kept; // the keys exiv2 still finds, of the five
    };
    const Case cases[] = {
        {"/app1/ifd/{ushort=274}", "ExposureTime GPSLatitudeRef Rating City"},
        {"/app1/ifd/exif", "Orientation GPSLatitudeRef Rating City"},
        {"/app1/ifd/exif/{ushort=33434}", "Orientation GPSLatitudeRef Rating City"},
        {"/app1/ifd/gps", "Orientation ExposureTime Rating City"},
        {"/app1", "Rating City"},
        {"/xmp/xmp:Rating", "Orientation ExposureTime GPSLatitudeRef City"},
        {"/xmp", "Orientation ExposureTime GPSLatitudeRef City"},
        {"/app13/irb/8bimiptc/iptc/City", "Orientation ExposureTime GPSLatitudeRef Rating"},
        {"/app13/irb/8bimiptc/iptc", "Orientation ExposureTime GPSLatitudeRef Rating"},
        {"/app13", "Orientation ExposureTime GPSLatitudeRef Rating"},
        {"/xmp/dc:rights", "Orientation ExposureTime GPSLatitudeRef Rating City"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Reencode how;
        how.edit = [&](IWICMetadataQueryWriter* writer) {
            EXPECT_EQ(S_OK, writer->RemoveMetadataByName(Path(c.path).c_str()));
            EXPECT_EQ(S_OK, writer->RemoveMetadataByName(Path(c.path).c_str())) << "again, when it is gone";
        };
        const FileMetadata metadata = ReadWithExiv2(Encode(source, how));
        std::string kept;
        for (const char* key : {"Exif.Image.Orientation", "Exif.Photo.ExposureTime", "Exif.GPSInfo.GPSLatitudeRef",
                                "Xmp.xmp.Rating", "Iptc.Application2.City"}) {
            if (Exiv2Text(metadata, key) != "(none)") {
                const std::string name(key);
                kept += (kept.empty() ? "" : " ") + name.substr(name.rfind('.') + 1);
            }
        }
        EXPECT_EQ(kept, c.kept);
    }
}

// exiv2 rewrites a copied EXIF block in place when the change fits; the block must still be written.
TEST_F(MetadataQuery, ACopiedBlockChangedInPlaceIsWrittenWithTheChange)
{
    Exiv2::ExifData exif;
    exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(6);
    exif["Exif.Image.Software"] = "Editor 1.0";
    Exiv2::XmpData xmp;
    xmp["Xmp.xmp.Rating"] = "2";
    PictureRecipe recipe;
    recipe.markers = {{JPEG_APP0 + 1, ExifPayload(exif)}, {JPEG_APP0 + 1, XmpPayload(xmp)}};
    Reencode how;
    how.edit = [](IWICMetadataQueryWriter* writer) {
        const TestValue eight = TestValue::Scalar(VT_UI2, 8);
        EXPECT_EQ(S_OK, writer->SetMetadataByName(W("/app1/ifd/{ushort=274}"), eight.Get()));
        const TestValue five = TestValue::Wide("5");
        EXPECT_EQ(S_OK, writer->SetMetadataByName(W("/xmp/xmp:Rating"), five.Get()));
    };
    const FileMetadata metadata = ReadWithExiv2(Encode(MakeJpeg(recipe), how));
    EXPECT_EQ(Exiv2Text(metadata, "Exif.Image.Orientation"), "8");
    EXPECT_EQ(Exiv2Text(metadata, "Exif.Image.Software"), "Editor 1.0");
    EXPECT_EQ(Exiv2Text(metadata, "Xmp.xmp.Rating"), "5");
}

TEST_F(MetadataQuery, MalformedPathsAbsentItemsAndWrongValuesAreRefused)
{
    Reencode how;
    how.copyBlocks = false;
    how.edit = [](IWICMetadataQueryWriter* writer) {
        const TestValue six = TestValue::Scalar(VT_UI2, 6);
        for (const char* path :
             {"", "app1", "/app2/ifd/{ushort=1}", "/app1/ifd/{ushort=abc}", "/app1/ifd/{ushort=70000}",
              "/app1/ifd/{ushort=0x112}", "/app1/ifd/exif/sub/{ushort=1}", "/app1/ifd", "/xmp/title",
              "/xmp/nosuchprefix:title", "/xmp/dc:title/x", "/app13/irb/8bimiptc/iptc/NoSuchSet", "/app13/irb",
              "/app13/irb/8bimiptc/iptc/0x0005", "/app1x"}) {
            EXPECT_EQ(WINCODEC_ERR_INVALIDQUERYREQUEST, writer->SetMetadataByName(Path(path).c_str(), six.Get()))
                << path;
        }
        PROPVARIANT read{};
        EXPECT_EQ(WINCODEC_ERR_INVALIDQUERYREQUEST, writer->GetMetadataByName(W("/app1"), &read))
            << "subtrees are there to be removed";
        EXPECT_EQ(WINCODEC_ERR_PROPERTYNOTFOUND, writer->GetMetadataByName(W("/app1/ifd/{ushort=274}"), &read));
        EXPECT_EQ(WINCODEC_ERR_PROPERTYNOTFOUND, writer->GetMetadataByName(W("/xmp/dc:title"), &read));
        EXPECT_EQ(WINCODEC_ERR_PROPERTYNOTFOUND,
                  writer->GetMetadataByName(W("/app13/irb/8bimiptc/iptc/Caption"), &read));
        EXPECT_EQ(read.vt, VT_EMPTY);

        struct Wrong {
            const char* path;
            TestValue value;
        };
        const Wrong wrong[] = {
            {"/app1/ifd/{ushort=274}", TestValue::Wide("six")},
            {"/app1/ifd/{ushort=274}", TestValue::Scalar(VT_UI4, 70000)},
            {"/app1/ifd/{ushort=270}", TestValue::Scalar(VT_UI2, 1)},
            {"/app1/ifd/gps/{ushort=2}", TestValue::Wide("52 N")},
            {"/app1/ifd/exif/{ushort=33434}", TestValue::Scalar(VT_R8, 0)},
            {"/xmp/dc:title", TestValue::Texts({"a", "b"})},
            {"/xmp/dc:subject", TestValue::Rational(1, 2)},
            {"/app13/irb/8bimiptc/iptc/Caption", TestValue::Texts({"one", "two"})},
            {"/app13/irb/8bimiptc/iptc/DateCreated", TestValue::Narrow("yesterday")},
        };
        for (const Wrong& w : wrong)
            EXPECT_EQ(E_INVALIDARG, writer->SetMetadataByName(Path(w.path).c_str(), w.value.Get())) << w.path;
    };
    const Bytes out = Encode(MakeJpeg({}), how);
    EXPECT_EQ(CountSegments(out, 0xE1, ""), 0) << "nothing refused was written";
    EXPECT_EQ(CountSegments(out, 0xED, ""), 0);
}

TEST_F(MetadataQuery, IptcWithoutItsCharacterSetIsReadAsLatin1AndWrittenAsUtf8)
{
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.City"] = "Z\xFCrich";
    iptc["Iptc.Application2.Headline"] = "Grüße"; // already UTF-8: kept
    PictureRecipe recipe;
    recipe.markers = {{JPEG_APP0 + 13, App13Payload(iptc, std::nullopt)}};
    const Bytes source = MakeJpeg(recipe);

    ComPtr<IWICMetadataQueryReader> reader;
    ASSERT_EQ(S_OK, DecodeFrame(source)->GetMetadataQueryReader(reader.ReleaseAndGetAddressOf()));
    PROPVARIANT value{};
    ASSERT_EQ(S_OK, reader->GetMetadataByName(W("/app13/irb/8bimiptc/iptc/City"), &value));
    EXPECT_EQ(Describe(value), "LPWSTR Zürich");
    PropVariantClear(&value);

    Reencode how;
    how.edit = [](IWICMetadataQueryWriter* writer) {
        const TestValue source = TestValue::Wide("Reuters");
        EXPECT_EQ(S_OK, writer->SetMetadataByName(W("/app13/irb/8bimiptc/iptc/Source"), source.Get()));
    };
    FileMetadata metadata = ReadWithExiv2(Encode(source, how));
    EXPECT_EQ(Exiv2Text(metadata, "Iptc.Application2.City"), "Zürich");
    EXPECT_EQ(Exiv2Text(metadata, "Iptc.Application2.Headline"), "Grüße");
    EXPECT_EQ(Exiv2Text(metadata, "Iptc.Envelope.CharacterSet"), "\x1b%G");
}

// The component encodes on worker threads; exiv2's XMP toolkit is shared by all of them.
TEST_F(MetadataQuery, FramesOnSeveralThreadsKeepTheirOwnMetadata)
{
    constexpr int kThreads = 4;
    constexpr int kRounds = 5;
    const Bytes source = MakeJpeg({});
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            for (int round = 0; round < kRounds && failures[t].empty(); ++round) {
                const std::string title = "thread " + std::to_string(t) + " round " + std::to_string(round);
                Reencode how;
                how.edit = [&](IWICMetadataQueryWriter* writer) {
                    const TestValue value = TestValue::Wide(title);
                    if (writer->SetMetadataByName(W("/xmp/dc:title"), value.Get()) != S_OK) failures[t] = "set";
                };
                HRESULT hr = S_OK;
                const Bytes out = Encode(source, how, &hr);
                ComPtr<IWICMetadataQueryReader> reader;
                PROPVARIANT read{};
                if (FAILED(hr) || FAILED(DecodeFrame(out)->GetMetadataQueryReader(reader.ReleaseAndGetAddressOf())) ||
                    FAILED(reader->GetMetadataByName(W("/xmp/dc:title"), &read)) || Describe(read) != "LPWSTR " + title)
                    failures[t] = "read back " + Describe(read);
                PropVariantClear(&read);
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(failures[t], "") << "thread " << t;
}

} // namespace
} // namespace wic_test
