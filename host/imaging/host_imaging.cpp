#include "host/imaging/host_imaging.h"

#include "contract/host_interfaces.h"
#include "host/imaging/metadata_reader.h"
#include "host/imaging/metadata_writer.h"
#include "host/imaging/picture_family.h"
#include "host/imaging/picture_renderer.h"
#include "pal/hresult_error.h"
#include "pal/utf.h"

#include <filesystem>

namespace host::imaging {

HRESULT RenderImage(LPCWSTR lpszPath, LONG lLongEdge, IWICBitmapSource** ppBitmap, ULONG dwFlags,
                    HostImageInfo* pInfo) noexcept
{
    if (!lpszPath || !*lpszPath || !pInfo || lLongEdge < 0) return E_INVALIDARG;
    // Metadata only: the bitmap slot, if any, is left as the caller had it.
    const bool wantsPixels = ppBitmap && (dwFlags & RENDER_METADATA_ONLY) == 0;
    return pal::Boundary([&]() -> HRESULT {
        const std::filesystem::path path = pal::ToUtf8(lpszPath);
        const PictureFamily family = CheckedFamily(path);
        pal::ComPtr<IWICBitmapSource> bitmap;
        if (wantsPixels) bitmap = RenderPicture(path, family, static_cast<unsigned>(lLongEdge), dwFlags);
        ReadImageMetadata(path, *pInfo);
        if (wantsPixels) *ppBitmap = bitmap.Detach();
        return S_OK;
    });
}

HRESULT WriteImageMetadata(IWICMetadataQueryWriter* pWriter, const HostImageInfo* pInfo, BOOL bCopyright, BOOL bExif,
                           BOOL bXmp, BOOL bGps, BOOL bIptc) noexcept
{
    if (!pWriter || !pInfo) return E_INVALIDARG;
    return pal::Boundary([&]() -> HRESULT {
        const MetadataGroups groups{bCopyright != FALSE, bExif != FALSE, bXmp != FALSE, bGps != FALSE,
                                    bIptc != FALSE};
        return ApplyMetadataPlan(*pWriter, PlanMetadataWrite(*pInfo, groups));
    });
}

} // namespace host::imaging
