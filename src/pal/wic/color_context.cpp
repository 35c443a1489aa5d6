// A colour context: an ICC profile's bytes, or one of EXIF's two colour
// spaces (1 sRGB, 2 Adobe RGB), which names a space and carries no profile.
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/stream_bytes.h"

#include <cstring>
#include <mutex>

namespace pal::wic {

namespace {

// An ICC header is 128 bytes; a profile shorter than that is no profile.
constexpr std::size_t kIccHeaderSize = 128;

class ColorContext : public ComObjectRoot, public IWICColorContext {
  public:
    using Interfaces = InterfaceList<IWICColorContext>;
    static constexpr bool kLocksModule = false;

    HRESULT STDMETHODCALLTYPE InitializeFromFilename(LPCWSTR wzFilename) override
    {
        if (!wzFilename) return E_INVALIDARG;
        return Boundary([&] {
            ComPtr<IStream> stream;
            ThrowIfFailed(
                SHCreateStreamOnFileW(wzFilename, STGM_READ | STGM_SHARE_DENY_WRITE, stream.ReleaseAndGetAddressOf()));
            const StreamBytes profile = ReadStreamToEnd(stream.Get());
            return SetProfile(std::vector<std::uint8_t>(profile.begin(), profile.end()));
        });
    }
    HRESULT STDMETHODCALLTYPE InitializeFromMemory(const BYTE* pbBuffer, UINT cbBufferSize) override
    {
        if (!pbBuffer) return E_INVALIDARG;
        return Boundary([&] { return SetProfile(std::vector<std::uint8_t>(pbBuffer, pbBuffer + cbBufferSize)); });
    }
    HRESULT STDMETHODCALLTYPE InitializeFromExifColorSpace(UINT value) override
    {
        if (value != 1 && value != 2) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (type_ != WICColorContextUninitialized) return WINCODEC_ERR_WRONGSTATE;
        type_ = WICColorContextExifColorSpace;
        exifColorSpace_ = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetType(WICColorContextType* pType) override
    {
        if (!pType) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        *pType = type_;
        return S_OK;
    }
    // A null buffer asks for the size.
    HRESULT STDMETHODCALLTYPE GetProfileBytes(UINT cbBuffer, BYTE* pbBuffer, UINT* pcbActual) override
    {
        if (!pcbActual) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (type_ != WICColorContextProfile) return WINCODEC_ERR_NOTINITIALIZED;
        const UINT size = static_cast<UINT>(profile_.size());
        if (pbBuffer) {
            if (cbBuffer < size) return WINCODEC_ERR_INSUFFICIENTBUFFER;
            std::memcpy(pbBuffer, profile_.data(), size);
        }
        *pcbActual = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExifColorSpace(UINT* pValue) override
    {
        if (!pValue) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (type_ != WICColorContextExifColorSpace) return WINCODEC_ERR_NOTINITIALIZED;
        *pValue = exifColorSpace_;
        return S_OK;
    }

  private:
    HRESULT SetProfile(std::vector<std::uint8_t> profile)
    {
        if (profile.size() < kIccHeaderSize) return E_INVALIDARG;
        std::lock_guard lock(mutex_);
        if (type_ != WICColorContextUninitialized) return WINCODEC_ERR_WRONGSTATE;
        profile_ = std::move(profile);
        type_ = WICColorContextProfile;
        return S_OK;
    }

    std::mutex mutex_;
    WICColorContextType type_ = WICColorContextUninitialized;
    std::vector<std::uint8_t> profile_;
    UINT exifColorSpace_ = 0;
};

} // namespace

ComPtr<IWICColorContext> CreateColorContext()
{
    return MakeComObject<ColorContext, IWICColorContext>();
}

} // namespace pal::wic
