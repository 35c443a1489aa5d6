#include "imaging/chroma_subsampling.h"

#include "pal/com_ptr.h"
#include "pal/compare.h"
#include "pal/guid_text.h"
#include "pal/registry_key.h"
#include "pal/wide_format.h"

#include <wincodec.h>
#include <windows.h>

#ifdef _WIN32
#include <versionhelpers.h>
#endif

#include <vector>

namespace orvana {
namespace {

#ifdef _WIN32
// The imaging component took the option in the release that made it free-threaded.
bool AskSystem()
{
    if (IsWindows7OrGreater()) return true;
    const pal::WideString path =
        pal::FormatWide(W("CLSID\\%s\\InProcServer32"), pal::GuidToString(CLSID_WICImagingFactory).c_str());
    pal::RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS)
        return false;
    WCHAR text[64];
    DWORD type = 0;
    DWORD size = sizeof text;
    if (RegQueryValueExW(key.Get(), W("ThreadingModel"), nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ || size < sizeof(WCHAR) || size % sizeof(WCHAR) != 0 || text[size / sizeof(WCHAR) - 1] != 0)
        return false;
    return pal::EqualsIgnoringCase(text, W("Both")) || pal::EqualsIgnoringCase(text, W("Free"));
}
#else
// Without the system's registry the encoder says itself: its options bag
// lists the options it takes.
bool AskSystem()
{
    pal::ComPtr<IWICImagingFactory> factory;
    pal::ComPtr<IWICBitmapEncoder> encoder;
    pal::ComPtr<IStream> output;
    pal::ComPtr<IWICBitmapFrameEncode> frame;
    pal::ComPtr<IPropertyBag2> options;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.ReleaseAndGetVoidAddress())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, &GUID_VendorMicrosoft,
                                      encoder.ReleaseAndGetAddressOf())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, output.ReleaseAndGetAddressOf())) ||
        FAILED(encoder->Initialize(output.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.ReleaseAndGetAddressOf(), options.ReleaseAndGetAddressOf())))
        return false;
    ULONG count = 0;
    if (FAILED(options->CountProperties(&count)) || count == 0) return false;
    std::vector<PROPBAG2> entries(count);
    ULONG listed = 0;
    if (FAILED(options->GetPropertyInfo(0, count, entries.data(), &listed))) return false;
    bool offered = false;
    for (ULONG i = 0; i < listed; ++i) {
        if (entries[i].pstrName && pal::WideView(entries[i].pstrName) == pal::WideView(W("JpegYCrCbSubsampling")))
            offered = true;
        CoTaskMemFree(entries[i].pstrName);
    }
    return offered;
}
#endif

} // namespace

bool SupportsChromaSubsampling()
{
    // A function-local static is initialised once, under the runtime's lock.
    static const bool supported = AskSystem();
    return supported;
}

} // namespace orvana
