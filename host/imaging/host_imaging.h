// The host's imaging service as IHostImaging answers it: argument checks and
// the one boundary of each method; the host object delegates here.
#pragma once

#include "contract/host_image_info.h"

#include <wincodec.h>

namespace host::imaging {

HRESULT RenderImage(LPCWSTR lpszPath, LONG lLongEdge, IWICBitmapSource** ppBitmap, ULONG dwFlags,
                    HostImageInfo* pInfo) noexcept;

HRESULT WriteImageMetadata(IWICMetadataQueryWriter* pWriter, const HostImageInfo* pInfo, BOOL bCopyright, BOOL bExif,
                           BOOL bXmp, BOOL bGps, BOOL bIptc) noexcept;

} // namespace host::imaging
