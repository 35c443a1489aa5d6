#include "host/item_record.h"

#include "host/imaging/file_resolution.h"
#include "host/imaging/metadata_reader.h"
#include "host/imaging/picture_family.h"
#include "pal/utf.h"

#include <new>
#include <oleauto.h>

namespace host {

namespace {

BSTR AllocateBstr(const std::string& text)
{
    const pal::WideString wide = pal::ToUtf16(text);
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!result) throw std::bad_alloc();
    return result;
}

void Replace(BSTR& slot, const std::string& text)
{
    BSTR value = AllocateBstr(text);
    SysFreeString(slot);
    slot = value;
}

// The JPEG-family files first (the viewer's own choice for an item's
// metadata), then the others in the item's order.
std::vector<std::filesystem::path> MetadataCandidates(const SelectedItem& item)
{
    std::vector<std::filesystem::path> jpeg, other;
    for (const auto& file : item.files)
        (imaging::FamilyOfExtension(file) == imaging::PictureFamily::Jpeg ? jpeg : other).push_back(file);
    jpeg.insert(jpeg.end(), other.begin(), other.end());
    return jpeg;
}

// Whether the file's metadata went into the record. The reader refuses a
// file it cannot open before it touches the record, so the next file starts
// from a blank record.
bool ReadFrom(const std::filesystem::path& file, HostImageInfo& info)
{
    try {
        ReadImageMetadata(file, info);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
    imaging::Resolution resolution;
    if (const auto family = imaging::FamilyOfExtension(file)) {
        try {
            resolution = imaging::ReadFileResolution(file, *family);
        } catch (const std::exception&) {
            // A file that names no readable resolution states none.
        }
    }
    info.dpiX = static_cast<FLOAT>(resolution.dpiX);
    info.dpiY = static_cast<FLOAT>(resolution.dpiY);
    return true;
}

} // namespace

void FillItemRecord(const SelectedItem& item, HostImageInfo& info)
{
    for (const auto& file : MetadataCandidates(item))
        if (ReadFrom(file, info)) break;
    Replace(info.itemPath, item.basePath.string());
    Replace(info.extensions, JoinExtensions(item.extensions));
}

} // namespace host
