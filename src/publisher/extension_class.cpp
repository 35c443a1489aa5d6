#include "extension_class.h"

#include "pal/compare.h"

namespace orvana {

ExtensionClass ClassOfExtension(pal::WideView extension)
{
    for (const WCHAR* jpeg : {W("jpg"), W("jpeg"), W("jpe"), W("jfif"), W("exif")})
        if (pal::EqualsIgnoringCase(extension, jpeg)) return ExtensionClass::Jpeg;
    if (pal::EqualsIgnoringCase(extension, W("gif")) || pal::EqualsIgnoringCase(extension, W("png")))
        return ExtensionClass::GifOrPng;
    return ExtensionClass::RawOrTiff;
}

std::vector<pal::WideString> SplitExtensionList(pal::WideView list)
{
    std::vector<pal::WideString> pieces;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(W(';'), start);
        if (end == pal::WideView::npos) end = list.size();
        if (end > start) pieces.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

} // namespace orvana
