// Interfaces of the host and its maker's components, as far as the component
// calls them. Slots the component never calls are kept as reserved entries so
// the called ones sit at their fixed positions.
#pragma once

#include "pal/bstr.h"
#include "pal/interface_id.h"

#include <objbase.h>
#include <wincodec.h>

struct HostImageInfo; // the item record the host fills

struct IPublishingHost : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot3() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot4() = 0;
    // A movable global block of *plCount 8-byte item identifiers, in publishing order.
    virtual HRESULT STDMETHODCALLTYPE GetSelectedItems(LONG* plCount, HGLOBAL* phItems) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemInfo(ULONGLONG ullItem, HostImageInfo* pInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot7() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot8() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot9() = 0;
    virtual HRESULT STDMETHODCALLTYPE Log(LONG nLevel, LPCWSTR lpszSource, LPCWSTR lpszMessage) = 0;

  protected:
    ~IPublishingHost() = default;
};

struct IHostEventReporter : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ReportEvent(LPCWSTR lpszSource, LPCWSTR lpszEvent, ULONG dwCount) = 0;

  protected:
    ~IHostEventReporter() = default;
};

// Digest selectors: algorithm in the low bits, output form in the high bits.
constexpr ULONG HASHALG_MD5 = 1;
constexpr ULONG HASHALG_PROOF = 3;
constexpr ULONG HASHOUT_BINARY = 0x4000;
constexpr ULONG HASHOUT_BASE64 = 0x8000;

struct IHostHasher : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot3() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot4() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot5() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot6() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot7() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot8() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot9() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot10() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot11() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot12() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot13() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot14() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot15() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot16() = 0;
    // Digests the whole stream from its start; the stream's position is kept.
    virtual HRESULT STDMETHODCALLTYPE HashStream(IStream* pStream, ULONG dwSelector, BSTR* pbstrDigest) = 0;

  protected:
    ~IHostHasher() = default;
};

// RenderImage flags.
constexpr ULONG RENDER_ROTATE_BY_ORIENTATION = 0x1;
constexpr ULONG RENDER_CONVERT_TO_SRGB = 0x2;
constexpr ULONG RENDER_METADATA_ONLY = 0x80000000;

// The host's imaging service: decoding and pixel work, and the metadata
// groups of the item record read from a file and written into an encoder.
struct IHostImaging : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot3() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot4() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot5() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot6() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot7() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot8() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot9() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot10() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot11() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot12() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot13() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot14() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot15() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot16() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot17() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot18() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot19() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot20() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot21() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot22() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot23() = 0;
    // With a bitmap slot: the picture decoded, processed by the flags and
    // scaled so its longer side is at most lLongEdge (0 keeps its size; never
    // enlarged); always: its metadata in *pInfo. lReserved is 0.
    virtual HRESULT STDMETHODCALLTYPE RenderImage(LPCWSTR lpszPath, LONG lReserved, LONG lLongEdge,
                                                  IWICBitmapSource** ppBitmap, ULONG dwFlags, HostImageInfo* pInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot25() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot26() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot27() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot28() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot29() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot30() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot31() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot32() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot33() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot34() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot35() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot36() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot37() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot38() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReservedSlot39() = 0;
    // Writes the groups whose flag is set from *pInfo into pWriter. A group
    // handed over blanked is written empty. lReserved0 is 0, lReserved1 is 1.
    virtual HRESULT STDMETHODCALLTYPE WriteImageMetadata(IWICMetadataQueryWriter* pWriter, LONG lReserved0,
                                                         LONG lReserved1, HostImageInfo* pInfo, BOOL bCopyright,
                                                         BOOL bExif, BOOL bXmp, BOOL bGps, BOOL bIptc,
                                                         BOOL bAnyMetadata, BOOL bResample) = 0;

  protected:
    ~IHostImaging() = default;
};

PAL_DECLARE_IID(IPublishingHost, "E2A4C6F8-1B3D-4E5F-8091-A2B3C4D5E6F7");
PAL_DECLARE_IID(IHostEventReporter, "0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9");
PAL_DECLARE_IID(IHostHasher, "4C9B3D82-6C15-4FAE-B7D4-92E8F3051CA6");
PAL_DECLARE_IID(IHostImaging, "5E2D7A19-C4B3-4F86-9D21-7A0C3E6B8F42");

inline constexpr CLSID CLSID_HostEventReporter = pal::MakeGuid("F3B5D709-2C4E-4F60-91A2-B3C4D5E6F708");
inline constexpr CLSID CLSID_HostHasher = pal::MakeGuid("3F8A2C71-5B04-4E9D-A6C3-81D7E2F40B95");
