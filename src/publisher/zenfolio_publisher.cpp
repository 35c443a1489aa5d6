#include "publisher/zenfolio_publisher.h"

#include "contract/component_strings.h"
#include "contract/host_event_reporter_holder.h"
#include "pal/aggregated_marshaler.h"
#include "pal/com_ptr.h"
#include "pal/compare.h"
#include "pal/hresult_error.h"
#include "pal/this_module.h"
#include "pal/wide_format.h"
#include "pal/wide_string.h"
#include "preparation_summary.h"
#include "settings/settings_store.h"
#include "ui/error_box.h"

#include <msxml6.h>
#include <objbase.h>
#include <windows.h>

namespace {

constexpr UINT kIdsDisplayName = 100;
constexpr UINT kIdsNeedsCredentials = 102;
constexpr UINT kIdsAuthorizedNotConfigured = 111;
constexpr UINT kIdsPublishTo = 116;
constexpr UINT kIdsServiceError = 200;
constexpr UINT kIdsNoGalleryInformation = 204;
constexpr UINT kIdsCannotLogin = 205;
constexpr UINT kIconId = 200;
constexpr DWORD kProxyClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER; // 23

bool NonEmpty(const std::optional<pal::WideString>& text)
{
    return text && !text->empty();
}

HRESULT ReturnString(pal::WideView text, BSTR* out)
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

CZenfolioPublisher::CZenfolioPublisher() : version_(orvana::VersionBlock::OfThisModule()) {}

CZenfolioPublisher::~CZenfolioPublisher() = default;

HRESULT CZenfolioPublisher::FinalConstruct()
{
    HRESULT hr = CoCreateInstance(CLSID_ZenfolioProxy, nullptr, kProxyClassContext, IID_IZenfolioProxy,
                                  proxy_.ReleaseAndGetVoidAddress());
    if (FAILED(hr)) return hr;
    return CoCreateFreeThreadedMarshaler(ControllingUnknown(), freeThreadedMarshaler_.ReleaseAndGetAddressOf());
}

void CZenfolioPublisher::FinalRelease()
{
    freeThreadedMarshaler_.Reset();
    proxy_.Reset();
    host_.Reset();
    stream_.Reset();
}

HRESULT CZenfolioPublisher::QueryInterfaceExtra(REFIID riid, void** ppv)
{
    return pal::QueryAggregatedMarshaler(freeThreadedMarshaler_.Get(), riid, ppv);
}

bool CZenfolioPublisher::IsAuthorized() const
{
    return NonEmpty(state_.AccountIdentifier) && state_.ProtectedPassword && !state_.ProtectedPassword->empty() &&
           NonEmpty(state_.LoginName);
}

bool CZenfolioPublisher::IsConfigured() const
{
    return NonEmpty(state_.GalleryId) && NonEmpty(state_.UploadUrl) && NonEmpty(state_.GalleryTitle);
}

HRESULT CZenfolioPublisher::Initialize(IUnknown* lpHost, USHORT langid, IUnknown* lpStream, ULONG)
{
    return pal::Boundary([&]() -> HRESULT {
        if (!lpHost) return E_INVALIDARG;
        // A login belongs to one initialisation; the next one logs in again.
        loggedIn_ = false;
        pal::ComPtr<IPublishingHost> host;
        lpHost->QueryInterface(IID_IPublishingHost, host.ReleaseAndGetVoidAddress());
        host_ = host; // replaces what was held, even with nothing
        if (!host_) return E_INVALIDARG;
        language_ = langid;

        pal::ComPtr<IStream> stream;
        if (lpStream) lpStream->QueryInterface(IID_IStream, stream.ReleaseAndGetVoidAddress());
        stream_ = stream;
        if (stream_) orvana::LoadState(stream_.Get(), state_);
        HostEventReporterHolder::EnsureCreated();
        return S_OK;
    });
}

HRESULT CZenfolioPublisher::Terminate()
{
    return pal::Boundary([&]() -> HRESULT {
        if (!stream_) return S_OK;
        orvana::SaveState(stream_.Get(), state_);
        HostEventReporterHolder::Release();
        return S_OK;
    });
}

HRESULT CZenfolioPublisher::GetCapabilities(tagORVPUBLISHINGCAPABILITIES* lpCapabilities)
{
    if (!lpCapabilities) return E_INVALIDARG;
    *lpCapabilities =
        static_cast<tagORVPUBLISHINGCAPABILITIES>(ORVPUBLISHINGCAPS_CONFIGURABLE | ORVPUBLISHINGCAPS_USES_INIT_DATA |
                                                  ORVPUBLISHINGCAPS_CANCELABLE | ORVPUBLISHINGCAPS_AUTHORIZATION);
    return S_OK;
}

HRESULT CZenfolioPublisher::GetIcon(HICON* lphIcon)
{
    if (!lphIcon) return E_INVALIDARG;
    *lphIcon = static_cast<HICON>(
        LoadImageW(pal::ThisModule(), MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    return *lphIcon ? S_OK : E_FAIL;
}

HRESULT CZenfolioPublisher::GetDisplayName(BSTR* pbstrDisplayName)
{
    if (!pbstrDisplayName) return E_INVALIDARG;
    return pal::Boundary([&]() -> HRESULT {
        const auto name = orvana::TryLoadComponentString(kIdsDisplayName);
        if (!name) return E_FAIL;
        return ReturnString(*name, pbstrDisplayName);
    });
}

HRESULT CZenfolioPublisher::VersionString(const WCHAR* key, BSTR* out) const
{
    if (!out) return E_INVALIDARG;
    return pal::Boundary([&]() { return ReturnString(version_.String(key), out); });
}

HRESULT CZenfolioPublisher::GetDescription(BSTR* pbstr)
{
    return VersionString(W("FileDescription"), pbstr);
}

HRESULT CZenfolioPublisher::GetAuthorInformation(BSTR* pbstr)
{
    return VersionString(W("LegalCopyright"), pbstr);
}

HRESULT CZenfolioPublisher::GetVersionInformation(BSTR* pbstr)
{
    return VersionString(W("FileVersion"), pbstr);
}

HRESULT CZenfolioPublisher::GetDisplayState(BSTR* pbstrDisplayState)
{
    if (!pbstrDisplayState) return E_INVALIDARG;
    return pal::Boundary([&]() -> HRESULT {
        if (!IsAuthorized()) return ReturnString(orvana::ComponentString(kIdsNeedsCredentials), pbstrDisplayState);
        if (!IsConfigured()) {
            const pal::WideString format = orvana::ComponentString(kIdsAuthorizedNotConfigured);
            const pal::WideString displayName = state_.DisplayName.value_or(W(""));
            return ReturnString(pal::FormatWide(format.c_str(), displayName.c_str()), pbstrDisplayState);
        }
        // Copies: a host may ask while a run on another thread reads the members.
        orvana::ImageFormatSettings jpeg, rawOrTiff;
        orvana::LoadPublisherSettings(jpeg, rawOrTiff);
        const pal::WideString format = orvana::ComponentString(kIdsPublishTo);
        const pal::WideString summary = orvana::PreparationSummary(jpeg);
        return ReturnString(pal::FormatWide(format.c_str(), state_.GalleryTitle->c_str(), summary.c_str()),
                            pbstrDisplayState);
    });
}

HRESULT CZenfolioPublisher::Configure(HWND hWndParent, LPCWSTR lpszVerb, LPCWSTR lpszParameters)
{
    if (!host_ || !stream_) return E_UNEXPECTED;
    // The window owns whatever a verb shows, so it is required whatever the verb.
    if (!hWndParent || !lpszVerb || !lpszParameters) return E_INVALIDARG;
    return pal::Boundary([&]() -> HRESULT {
        // The outcome is the dialog's and its message box's to tell.
        if (pal::EqualsIgnoringCase(lpszVerb, W("authorize"))) AuthorizeInteractively(hWndParent);
        // The settings sheet is not built yet.
        else if (pal::EqualsIgnoringCase(lpszVerb, W("settings")))
            return E_NOTIMPL;
        return S_OK;
    });
}

HRESULT CZenfolioPublisher::CanPublish(HWND hWndParent, LONG fIncludeActualConnectivityCheck)
{
    if (!host_ || !stream_) return E_UNEXPECTED;
    if (!IsAuthorized() || !IsConfigured()) return S_FALSE;
    if (!fIncludeActualConnectivityCheck) return S_OK;
    return pal::Boundary([&]() -> HRESULT {
        if (!EnsureLoggedIn(hWndParent)) {
            orvana::ShowErrorBox(hWndParent, kIdsCannotLogin, kIdsServiceError);
            return S_FALSE;
        }
        // The gallery may have been deleted since it was chosen.
        pal::ComPtr<IXMLDOMNode> gallery;
        if (proxy_->LoadPhotoSet(state_.GalleryId->c_str(), LOADPHOTOSETLEVEL_LEVEL1, FALSE,
                                 gallery.ReleaseAndGetAddressOf()) != S_OK) {
            orvana::ShowErrorBox(hWndParent, kIdsNoGalleryInformation, kIdsServiceError);
            return S_FALSE;
        }
        return S_OK;
    });
}

HRESULT CZenfolioPublisher::InterfaceSupportsErrorInfo(REFIID riid)
{
    return riid == IID_IOrvanaPublishingPlugin ? S_OK : S_FALSE;
}
