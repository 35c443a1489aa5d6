#include "pal/wic/metadata_blocks.h"

#include "pal/hresult_error.h"
#include "pal/wic/icc_profile_segments.h"
#include "pal/wic/imaging_interfaces.h"

#include <exiv2/error.hpp>

namespace pal::wic {

namespace {

constexpr std::string_view kExifSignature("Exif\0\0", 6);
constexpr std::string_view kXmpSignature("http://ns.adobe.com/xap/1.0/\0", 29);
constexpr std::string_view kXmpExtensionSignature("http://ns.adobe.com/xmp/extension/\0", 35);
constexpr std::size_t kMaxPayload = 65533;
// IPTC's coded character set record, 1:90, saying the datasets are UTF-8.
constexpr const char* kIptcUtf8 = "\x1b%G";

// Recursive: the toolkit may take it again from inside a call that holds it.
std::recursive_mutex g_xmpToolkitMutex;

void LockXmpToolkit(void* data, bool lock)
{
    auto* mutex = static_cast<std::recursive_mutex*>(data);
    if (lock) {
        mutex->lock();
    } else {
        mutex->unlock();
    }
}

[[noreturn]] void Unexpected()
{
    throw HResultError(WINCODEC_ERR_PROPERTYUNEXPECTEDTYPE);
}

bool IsUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80         ? 1
                                   : (lead >> 5) == 6  ? 2
                                   : (lead >> 4) == 14 ? 3
                                   : (lead >> 3) == 30 ? 4
                                                       : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(const std::string& text)
{
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | byte >> 6);
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// IPTC is written as UTF-8 (and says so); datasets that came without that
// marker and are not UTF-8 were most likely written in Latin-1.
void TakeIptcTextAsUtf8(Exiv2::IptcData& iptc)
{
    const auto marker = iptc.findKey(Exiv2::IptcKey("Iptc.Envelope.CharacterSet"));
    if (marker != iptc.end() && marker->toString() == kIptcUtf8) return;
    for (Exiv2::Iptcdatum& datum : iptc) {
        if (datum.typeId() != Exiv2::string) continue;
        const std::string text = datum.toString();
        if (!IsUtf8(text)) datum.setValue(Latin1ToUtf8(text));
    }
}

OwnedSegment WithSignature(std::uint8_t marker, std::string_view signature, std::span<const std::uint8_t> body)
{
    if (signature.size() + body.size() > kMaxPayload) throw HResultError(WINCODEC_ERR_TOOMUCHMETADATA);
    OwnedSegment segment{marker, {signature.begin(), signature.end()}};
    segment.payload.insert(segment.payload.end(), body.begin(), body.end());
    return segment;
}

std::span<const std::uint8_t> AfterSignature(const JpegSegment& segment, std::string_view signature)
{
    return segment.payload.subspan(signature.size());
}

} // namespace

void EnsureExiv2Ready()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(&LockXmpToolkit, &g_xmpToolkitMutex);
    });
}

MetadataBlocks::MetadataBlocks()
{
    EnsureExiv2Ready();
}

void MetadataBlocks::CopyFrom(std::span<const JpegSegment> metadata)
{
    exif_ = {};
    xmp_ = {};
    app13_ = {};
    icc_ = AssembleIccProfile(metadata);
    others_.clear();
    for (const JpegSegment& segment : metadata) {
        // Readers take the first EXIF and the first XMP packet; a second is dropped.
        if (segment.IsApp(1) && segment.HasSignature(kExifSignature)) {
            const auto body = AfterSignature(segment, kExifSignature);
            if (!exif_.raw) exif_.raw.emplace(body.begin(), body.end());
        } else if (segment.IsApp(1) && segment.HasSignature(kXmpSignature)) {
            const auto body = AfterSignature(segment, kXmpSignature);
            if (!xmp_.raw) xmp_.raw.emplace(body.begin(), body.end());
        } else if (segment.IsApp(13) && segment.HasSignature(kPhotoshopSignature)) {
            // A long resource list continues in the next APP13.
            const auto body = AfterSignature(segment, kPhotoshopSignature);
            if (!app13_.raw) app13_.raw.emplace();
            app13_.raw->insert(app13_.raw->end(), body.begin(), body.end());
            app13_.rawSegments.push_back(OwnedSegment::CopyOf(segment));
        } else if (!IsIccSegment(segment)) {
            others_.push_back(OwnedSegment::CopyOf(segment));
        }
    }
}

Exiv2::ExifData& MetadataBlocks::ParsedExif()
{
    if (!exif_.parsed) {
        Exiv2::ExifData parsed;
        if (exif_.raw) {
            try {
                exif_.byteOrder =
                    Exiv2::ExifParser::decode(parsed, exif_.raw->data(), static_cast<std::uint32_t>(exif_.raw->size()));
            } catch (const Exiv2::AnyError&) {
                Unexpected();
            }
        }
        exif_.parsed = std::move(parsed);
    }
    return *exif_.parsed;
}

Exiv2::XmpData& MetadataBlocks::ParsedXmp()
{
    if (!xmp_.parsed) {
        Exiv2::XmpData parsed;
        try {
            if (xmp_.raw && Exiv2::XmpParser::decode(parsed, *xmp_.raw) != 0) Unexpected();
        } catch (const Exiv2::AnyError&) {
            Unexpected();
        }
        xmp_.parsed = std::move(parsed);
    }
    return *xmp_.parsed;
}

MetadataBlocks::App13Block& MetadataBlocks::ParsedApp13()
{
    if (!app13_.parsed) {
        std::vector<PhotoshopResource> resources;
        Exiv2::IptcData iptc;
        if (app13_.raw) {
            auto parsed = ParsePhotoshopResources(*app13_.raw);
            if (!parsed) Unexpected();
            for (PhotoshopResource& resource : *parsed) {
                if (resource.id != kIptcResourceId) {
                    resources.push_back(std::move(resource));
                    continue;
                }
                try {
                    if (Exiv2::IptcParser::decode(iptc, resource.data.data(),
                                                  static_cast<std::uint32_t>(resource.data.size())) != 0)
                        Unexpected();
                } catch (const Exiv2::AnyError&) {
                    Unexpected();
                }
            }
        }
        TakeIptcTextAsUtf8(iptc);
        app13_.resources = std::move(resources);
        app13_.iptc = std::move(iptc);
        app13_.parsed = true;
    }
    return app13_;
}

Exiv2::ExifData& MetadataBlocks::EditExif()
{
    Exiv2::ExifData& data = ParsedExif();
    exif_.changed = true;
    return data;
}

Exiv2::XmpData& MetadataBlocks::EditXmp()
{
    Exiv2::XmpData& data = ParsedXmp();
    xmp_.changed = true;
    return data;
}

Exiv2::IptcData& MetadataBlocks::EditIptc()
{
    App13Block& block = ParsedApp13();
    block.changed = true;
    return block.iptc;
}

void MetadataBlocks::RemoveExif()
{
    exif_ = {};
    exif_.parsed.emplace();
    exif_.changed = true;
}

void MetadataBlocks::RemoveXmp()
{
    // Extended XMP continues the main packet and goes with it.
    std::erase_if(others_, [](const OwnedSegment& segment) {
        return segment.View().IsApp(1) && segment.View().HasSignature(kXmpExtensionSignature);
    });
    xmp_ = {};
    xmp_.parsed.emplace();
    xmp_.changed = true;
}

void MetadataBlocks::RemoveApp13()
{
    app13_ = {};
    app13_.parsed = true;
    app13_.changed = true;
}

std::vector<OwnedSegment> MetadataBlocks::Serialise(std::span<const OwnedSegment> iccSegments)
{
    std::vector<OwnedSegment> segments;
    // Every block is parsed, changed or not, so a damaged copy fails here rather than in a reader later.
    const Exiv2::ExifData& exif = ParsedExif();
    if (!exif_.changed && exif_.raw) {
        segments.push_back(WithSignature(0xE1, kExifSignature, *exif_.raw));
    } else if (!exif.empty()) {
        Exiv2::Blob blob;
        // exiv2 updates the original in place when it can, and leaves the blob
        // empty then; a copy keeps the block as it came for another try.
        std::vector<std::uint8_t> updated = exif_.raw.value_or(std::vector<std::uint8_t>{});
        Exiv2::WriteMethod method = Exiv2::wmIntrusive;
        try {
            if (exif_.raw) {
                method = Exiv2::ExifParser::encode(blob, updated.data(), static_cast<std::uint32_t>(updated.size()),
                                                   exif_.byteOrder, exif);
            } else {
                Exiv2::ExifParser::encode(blob, exif_.byteOrder, exif);
            }
        } catch (const Exiv2::AnyError&) {
            Unexpected();
        }
        if (method == Exiv2::wmNonIntrusive) {
            segments.push_back(WithSignature(0xE1, kExifSignature, updated));
        } else if (!blob.empty()) {
            segments.push_back(WithSignature(0xE1, kExifSignature, blob));
        }
    }

    const Exiv2::XmpData& xmp = ParsedXmp();
    if (!xmp_.changed && xmp_.raw) {
        segments.push_back(WithSignature(
            0xE1, kXmpSignature, std::span(reinterpret_cast<const std::uint8_t*>(xmp_.raw->data()), xmp_.raw->size())));
    } else if (!xmp.empty()) {
        std::string packet;
        try {
            if (Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat) != 0) Unexpected();
        } catch (const Exiv2::AnyError&) {
            Unexpected();
        }
        segments.push_back(WithSignature(
            0xE1, kXmpSignature, std::span(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size())));
    }

    segments.insert(segments.end(), iccSegments.begin(), iccSegments.end());

    App13Block& app13 = ParsedApp13();
    if (!app13.changed) {
        for (const OwnedSegment& segment : app13.rawSegments)
            segments.push_back(segment);
    } else {
        std::vector<PhotoshopResource> resources = app13.resources;
        if (!app13.iptc.empty()) {
            Exiv2::IptcData iptc = app13.iptc;
            iptc["Iptc.Envelope.CharacterSet"] = kIptcUtf8;
            PhotoshopResource resource{kIptcResourceId, {}, {}};
            try {
                const Exiv2::DataBuf encoded(Exiv2::IptcParser::encode(iptc));
                resource.data.assign(encoded.pData_, encoded.pData_ + encoded.size_);
            } catch (const Exiv2::AnyError&) {
                Unexpected();
            }
            resources.push_back(std::move(resource));
        }
        if (!resources.empty())
            segments.push_back(WithSignature(0xED, kPhotoshopSignature, SerialisePhotoshopResources(resources)));
    }

    segments.insert(segments.end(), others_.begin(), others_.end());
    return segments;
}

} // namespace pal::wic
