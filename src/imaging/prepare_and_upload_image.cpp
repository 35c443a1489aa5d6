#include "imaging/prepare_and_upload_image.h"

#include "contract/host_interfaces.h"
#include "pal/bstr.h"
#include "pal/com_ptr.h"
#include "pal/hresult_error.h"
#include "picture_encoding.h"

#include <objbase.h>
#include <oleauto.h>
#include <shlwapi.h>
#include <wincodec.h>

namespace orvana {
namespace {

constexpr DWORD kReadSharingReaders = STGM_READ | STGM_SHARE_DENY_WRITE;

void Rewind(IStream* stream)
{
    pal::ThrowIfFailed(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
}

pal::ComPtr<IWICImagingFactory> CreateImagingFactory()
{
    pal::ComPtr<IWICImagingFactory> factory;
    pal::ThrowIfFailed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                        factory.ReleaseAndGetVoidAddress()));
    return factory;
}

bool IsIntactKind(REFGUID container)
{
    return container == GUID_ContainerFormatJpeg || container == GUID_ContainerFormatGif ||
           container == GUID_ContainerFormatPng;
}

// The file as it is; with validate, only when its content is one the service shows.
pal::ComPtr<IStream> OpenIntactFile(LPCWSTR sourcePath, bool validate)
{
    pal::ComPtr<IStream> file;
    pal::ThrowIfFailed(SHCreateStreamOnFileW(sourcePath, kReadSharingReaders, file.ReleaseAndGetAddressOf()));
    if (!validate) return file;

    GUID container{};
    try {
        const pal::ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
        pal::ComPtr<IWICBitmapDecoder> decoder;
        pal::ThrowIfFailed(factory->CreateDecoderFromStream(file.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                            decoder.ReleaseAndGetAddressOf()));
        pal::ThrowIfFailed(decoder->GetContainerFormat(&container));
    } catch (const pal::HResultError&) {
        Rewind(file.Get());
        throw;
    }
    if (!IsIntactKind(container)) throw pal::HResultError(WINCODEC_ERR_BADHEADER);
    Rewind(file.Get());
    return file;
}

HRESULT Upload(const PreparationServices& services, LPCWSTR uploadUrl, LPCWSTR sourcePath, LPCWSTR uploadFileName,
               IStream* stream, BSTR* reply)
{
    pal::ComPtr<IHostHasher> hasher;
    if (FAILED(CoCreateInstance(CLSID_HostHasher, nullptr, CLSCTX_ALL, IID_IHostHasher,
                                hasher.ReleaseAndGetVoidAddress())))
        return E_UNEXPECTED;

    STATSTG status{};
    pal::ThrowIfFailed(stream->Stat(&status, STATFLAG_NONAME));
    const auto size = static_cast<ULONG>(status.cbSize.QuadPart);

    // Without a digest the upload still goes; the service then has nothing to check.
    pal::Bstr digest;
    if (FAILED(hasher->HashStream(stream, HASHALG_MD5 | HASHOUT_BASE64, digest.ReleaseAndGetAddressOf())))
        digest = pal::Bstr();

    FILETIME modified{};
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(sourcePath, &found);
    if (search != INVALID_HANDLE_VALUE) {
        modified = found.ftLastWriteTime;
        FindClose(search);
    }
    return services.proxy->UploadTo(uploadUrl, uploadFileName, modified, stream, size, digest.Get(), services.progress,
                                    reply);
}

} // namespace

HRESULT PrepareAndUploadImage(const PreparationServices& services, LPCWSTR uploadUrl, LPCWSTR sourcePath,
                              LPCWSTR uploadFileName, BSTR* reply, UINT mode, bool validate, bool minimize,
                              MetadataSwitches switches, LONG longEdge, double printDpi)
{
    if (reply) {
        SysFreeString(*reply);
        *reply = nullptr;
    }
    if (!services.proxy) return E_UNEXPECTED;
    return pal::Boundary([&]() -> HRESULT {
        // Only the re-encoding modes need the host's imaging.
        pal::ComPtr<IHostImaging> imaging;
        if (services.host) services.host->QueryInterface(IID_IHostImaging, imaging.ReleaseAndGetVoidAddress());

        pal::ComPtr<IStream> stream;
        if (mode == PM_FILE_INTACT) {
            stream = OpenIntactFile(sourcePath, validate);
        } else {
            if (!imaging) return E_NOINTERFACE;
            const pal::ComPtr<IWICImagingFactory> factory = CreateImagingFactory();
            EncodingRequest request;
            request.factory = factory.Get();
            request.imaging = imaging.Get();
            request.sourcePath = sourcePath;
            request.keepPixels = mode == PM_PIXELS_INTACT;
            request.minimize = minimize;
            request.switches = switches;
            request.longEdge = longEdge;
            request.printDpi = printDpi;
            stream = EncodePicture(request);
        }
        return Upload(services, uploadUrl, sourcePath, uploadFileName, stream.Get(), reply);
    });
}

} // namespace orvana
