// TYPELIB 1: the content of ORVPublishToZenfolioLib. IOrvanaPublishingPlugin's
// entries carry invokers, so IDispatch reaches every method by name or DISPID.
#include "pal/com/dispatch_impl.h"
#include "contract/orvana_publishing.h"

namespace {

using pal::DispatchInvoker;
using pal::EnumValueDescription;
using pal::FunctionDescription;
using pal::ParameterDescription;
using pal::TypeDescription;
using I = IOrvanaPublishingPlugin;

constexpr ParameterDescription kInitialize[] = {
    {u"lpHost", VT_UNKNOWN}, {u"langid", VT_UI2}, {u"lpStream", VT_UNKNOWN}, {u"dwFlags", VT_UI4}};
constexpr ParameterDescription kConfigure[] = {
    {u"hWndParent", VT_INT_PTR}, {u"lpszVerb", VT_BSTR}, {u"lpszParameters", VT_BSTR}};
constexpr ParameterDescription kPublish[] = {{u"hWndProgressControl", VT_INT_PTR},
                                             {u"hWndStaticTextControl", VT_INT_PTR}};
constexpr ParameterDescription kCanPublish[] = {{u"hWndParent", VT_INT_PTR},
                                                {u"fIncludeActualConnectivityCheck", VT_I4}};
constexpr ParameterDescription kCancel[] = {{u"fAbruptly", VT_I4}};

template <auto Method>
constexpr FunctionDescription Entry(const char16_t* name, DISPID id, std::span<const ParameterDescription> params,
                                    VARTYPE result)
{
    if (!DispatchInvoker<Method>::Matches(params, result)) throw "description does not fit the method";
    return {name, id, static_cast<UINT>(6 + id), name, params, result, &DispatchInvoker<Method>::Invoke};
}

constexpr FunctionDescription kPluginFunctions[] = {
    Entry<&I::Initialize>(u"Initialize", 1, kInitialize, VT_EMPTY),
    Entry<&I::Terminate>(u"Terminate", 2, {}, VT_EMPTY),
    Entry<&I::GetCapabilities>(u"GetCapabilities", 3, {}, VT_I4),
    Entry<&I::GetIcon>(u"GetIcon", 4, {}, VT_INT_PTR),
    Entry<&I::GetDisplayName>(u"GetDisplayName", 5, {}, VT_BSTR),
    Entry<&I::GetDescription>(u"GetDescription", 6, {}, VT_BSTR),
    Entry<&I::GetAuthorInformation>(u"GetAuthorInformation", 7, {}, VT_BSTR),
    Entry<&I::GetVersionInformation>(u"GetVersionInformation", 8, {}, VT_BSTR),
    Entry<&I::GetDisplayState>(u"GetDisplayState", 9, {}, VT_BSTR),
    Entry<&I::Configure>(u"Configure", 10, kConfigure, VT_EMPTY),
    Entry<&I::Publish>(u"Publish", 11, kPublish, VT_EMPTY),
    Entry<&I::CanPublish>(u"CanPublish", 12, kCanPublish, VT_EMPTY),
    Entry<&I::Cancel>(u"Cancel", 13, kCancel, VT_EMPTY),
};

// Interfaces that are not dual are described by name and slot only.
constexpr FunctionDescription Described(const char16_t* name, UINT slot, const char16_t* help)
{
    return {name, static_cast<DISPID>(0x60010000 + slot - 3), slot, help, {}, VT_EMPTY, nullptr};
}

constexpr FunctionDescription kProxyFunctions[] = {
    Described(u"Authenticate", 3, u"Authenticate"),
    Described(u"LoadPrivateProfile", 4, u"LoadPrivateProfile"),
    Described(u"LoadGroupHierarchy", 5, u"LoadGroupHierarchy"),
    Described(u"GetCategories", 6, u"GetCategories"),
    Described(u"LoadPhotoSet", 7, u"LoadPhotoSet"),
    Described(u"CreatePhotoSet", 8, u"CreatePhotoSet"),
    Described(u"UploadTo", 9, u"UploadTo"),
};

constexpr FunctionDescription kCallbackFunctions[] = {
    Described(u"UploadProgress", 3, u"method UploadProgress"),
};

constexpr EnumValueDescription kCapabilities[] = {
    {u"ORVPUBLISHINGCAPS_NONE", 0},           {u"ORVPUBLISHINGCAPS_CONFIGURABLE", 1},
    {u"ORVPUBLISHINGCAPS_USES_INIT_DATA", 2}, {u"ORVPUBLISHINGCAPS_CANCELABLE", 4},
    {u"ORVPUBLISHINGCAPS_AUTHORIZATION", 8},
};
constexpr EnumValueDescription kUploadStates[] = {
    {u"UPLOADSTATE_START", 0},     {u"UPLOADSTATE_STARTIMAGE", 1},
    {u"UPLOADSTATE_IMAGE", 2},     {u"UPLOADSTATE_ENDIMAGE", 3},
    {u"UPLOADSTATE_END", 4},       {u"UPLOADSTATE_ERROR", 5},
    {u"UPLOADSTATE_CANCELLED", 6}, {u"UPLOADSTATE_NONFATAL_ERROR", 7},
};
constexpr EnumValueDescription kPhotoSetLevels[] = {
    {u"LOADPHOTOSETLEVEL_LEVEL1", 0}, {u"LOADPHOTOSETLEVEL_LEVEL2", 1}, {u"LOADPHOTOSETLEVEL_FULL", 2}};
constexpr EnumValueDescription kPhotoSetTypes[] = {{u"CREATEPHOTOSETTYPE_GALLERY", 0},
                                                   {u"CREATEPHOTOSETTYPE_COLLECTION", 1}};

constexpr IID kPluginIid = IID_IOrvanaPublishingPlugin;
constexpr IID kProxyIid = IID_IZenfolioProxy;

constexpr TypeDescription kTypes[] = {
    {TKIND_ENUM, u"tagORVPUBLISHINGCAPABILITIES", GUID_NULL, nullptr, 0, {}, kCapabilities, nullptr},
    {TKIND_ENUM, u"tagUPLOADSTATE", GUID_NULL, nullptr, 0, {}, kUploadStates, nullptr},
    {TKIND_ENUM, u"tagLOADPHOTOSETLEVEL", GUID_NULL, nullptr, 0, {}, kPhotoSetLevels, nullptr},
    {TKIND_ENUM, u"tagCREATEPHOTOSETTYPE", GUID_NULL, nullptr, 0, {}, kPhotoSetTypes, nullptr},
    {TKIND_DISPATCH,
     u"IOrvanaPublishingPlugin",
     IID_IOrvanaPublishingPlugin,
     u"IOrvanaPublishingPlugin Interface",
     TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION,
     kPluginFunctions,
     {},
     nullptr},
    {TKIND_INTERFACE,
     u"IUploadProgressCallback",
     IID_IUploadProgressCallback,
     u"Orvana IUploadProgressCallback Interface",
     TYPEFLAG_FNONEXTENSIBLE,
     kCallbackFunctions,
     {},
     nullptr},
    {TKIND_INTERFACE,
     u"IZenfolioProxy",
     IID_IZenfolioProxy,
     u"IZenfolioProxy Interface",
     TYPEFLAG_FNONEXTENSIBLE,
     kProxyFunctions,
     {},
     nullptr},
    {TKIND_COCLASS,
     u"ZenfolioPublisher",
     CLSID_ZenfolioPublisher,
     u"Orvana ZenfolioPublisher Class",
     TYPEFLAG_FCANCREATE,
     {},
     {},
     &kPluginIid},
    {TKIND_COCLASS,
     u"ZenfolioProxy",
     CLSID_ZenfolioProxy,
     u"Orvana ZenfolioProxy Class",
     TYPEFLAG_FCANCREATE,
     {},
     {},
     &kProxyIid},
};

} // namespace

extern "C" const pal::TypeLibraryDescription OrvanaTypeLibrary = {u"ORVPublishToZenfolioLib",
                                                                  LIBID_ORVPublishToZenfolioLib,
                                                                  1,
                                                                  0,
                                                                  0x409,
                                                                  SYS_WIN64,
                                                                  u"Orvana Publish to Zenfolio 1.0 Type Library",
                                                                  kTypes};
