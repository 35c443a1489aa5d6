// The query reader a decoded frame hands out and the writer of an encoder
// frame, both over a frame's metadata blocks. A writer shares its frame's
// blocks, so what it sets is what the frame writes.
#include "pal/hresult_error.h"
#include "pal/object.h"
#include "pal/wic/codec_objects.h"
#include "pal/wic/metadata_query.h"
#include "pal/wide_string.h"

#include <algorithm>
#include <iterator>

namespace pal::wic {

namespace {

constexpr WCHAR kRootLocation[] = W("/");

template <typename Interface> class MetadataQueryBase : public ComObjectRoot, public Interface {
  public:
    static constexpr bool kLocksModule = false;

    explicit MetadataQueryBase(std::shared_ptr<MetadataBlocks> blocks) : blocks_(std::move(blocks)) {}

    HRESULT STDMETHODCALLTYPE GetContainerFormat(GUID* pguidContainerFormat) override
    {
        if (!pguidContainerFormat) return E_INVALIDARG;
        *pguidContainerFormat = GUID_ContainerFormatJpeg;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLocation(UINT cchMaxLength, WCHAR* wzNamespace, UINT* pcchActualLength) override
    {
        if (!pcchActualLength) return E_INVALIDARG;
        const UINT length = static_cast<UINT>(std::size(kRootLocation));
        if (wzNamespace) {
            if (cchMaxLength < length) return WINCODEC_ERR_INSUFFICIENTBUFFER;
            std::copy(std::begin(kRootLocation), std::end(kRootLocation), wzNamespace);
        }
        *pcchActualLength = length;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMetadataByName(LPCWSTR wzName, PROPVARIANT* pvarValue) override
    {
        if (!wzName) return E_INVALIDARG;
        return Boundary([&] {
            std::lock_guard lock(blocks_->Mutex());
            PROPVARIANT value;
            PropVariantInit(&value);
            GetMetadata(*blocks_, wzName, &value);
            // A caller that only asks whether the item is there passes no value.
            if (pvarValue) {
                *pvarValue = value;
            } else {
                PropVariantClear(&value);
            }
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetEnumerator(IEnumString**) override { return E_NOTIMPL; }

  protected:
    const std::shared_ptr<MetadataBlocks> blocks_;
};

class MetadataQueryReader : public MetadataQueryBase<IWICMetadataQueryReader> {
  public:
    using Interfaces = InterfaceList<IWICMetadataQueryReader>;
    using MetadataQueryBase::MetadataQueryBase;
};

class MetadataQueryWriter : public MetadataQueryBase<IWICMetadataQueryWriter> {
  public:
    using Interfaces = InterfaceList<IWICMetadataQueryWriter, IWICMetadataQueryReader>;
    using MetadataQueryBase::MetadataQueryBase;

    HRESULT STDMETHODCALLTYPE SetMetadataByName(LPCWSTR wzName, const PROPVARIANT* pvarValue) override
    {
        if (!wzName || !pvarValue) return E_INVALIDARG;
        return Boundary([&] {
            std::lock_guard lock(blocks_->Mutex());
            SetMetadata(*blocks_, wzName, *pvarValue);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE RemoveMetadataByName(LPCWSTR wzName) override
    {
        if (!wzName) return E_INVALIDARG;
        return Boundary([&] {
            std::lock_guard lock(blocks_->Mutex());
            RemoveMetadata(*blocks_, wzName);
            return S_OK;
        });
    }
};

} // namespace

ComPtr<IWICMetadataQueryReader> CreateMetadataQueryReader(std::shared_ptr<MetadataBlocks> blocks)
{
    return MakeComObject<MetadataQueryReader, IWICMetadataQueryReader>(std::move(blocks));
}

ComPtr<IWICMetadataQueryWriter> CreateMetadataQueryWriter(std::shared_ptr<MetadataBlocks> blocks)
{
    return MakeComObject<MetadataQueryWriter, IWICMetadataQueryWriter>(std::move(blocks));
}

} // namespace pal::wic
