// One selected picture turned into the bytes that go to the service, and
// handed to the upload.
#pragma once

#include "contract/orvana_publishing.h"
#include "imaging/metadata_selection.h"
#include "imaging/preparation_mode.h"

#include <windows.h>

namespace orvana {

// What the publisher lends a preparation: its service proxy, the host object
// it was initialised with, and itself as the upload's progress callback.
struct PreparationServices {
    IZenfolioProxy* proxy = nullptr;
    IUnknown* host = nullptr;
    IUploadProgressCallback* progress = nullptr;
};

// Prepares sourcePath by mode and uploads it as uploadFileName to uploadUrl.
// validate (file intact only) refuses content other than JPEG, GIF and PNG
// with WINCODEC_ERR_BADHEADER; minimize (resample only) trades quality for
// size; longEdge 0 keeps the size; printDpi 0 means none. *reply is freed and
// then receives the upload's reply. Answers the upload's result on success.
HRESULT PrepareAndUploadImage(const PreparationServices& services, LPCWSTR uploadUrl, LPCWSTR sourcePath,
                              LPCWSTR uploadFileName, BSTR* reply, UINT mode, bool validate, bool minimize,
                              MetadataSwitches switches, LONG longEdge, double printDpi);

} // namespace orvana
