// TYPELIB 1: the content of ORVPublishToZenfolioLib. IOrvanaPublishingPlugin's
// entries carry invokers, so IDispatch reaches every method by name or DISPID.
#include "contract/orvana_publishing.h"
#include "pal/dispatch_impl.h"
#include "pal/type_library_description.h"
#include "pal/wide_string.h"

namespace {

using pal::DispatchInvoker;
using pal::EnumValueDescription;
using pal::FunctionDescription;
using pal::ParameterDescription;
using pal::TypeDescription;
using I = IOrvanaPublishingPlugin;

constexpr ParameterDescription kInitialize[] = {
    {W("lpHost"), VT_UNKNOWN}, {W("langid"), VT_UI2}, {W("lpStream"), VT_UNKNOWN}, {W("dwFlags"), VT_UI4}};
constexpr ParameterDescription kConfigure[] = {
    {W("hWndParent"), VT_INT_PTR}, {W("lpszVerb"), VT_BSTR}, {W("lpszParameters"), VT_BSTR}};
constexpr ParameterDescription kPublish[] = {{W("hWndProgressControl"), VT_INT_PTR},
                                             {W("hWndStaticTextControl"), VT_INT_PTR}};
constexpr ParameterDescription kCanPublish[] = {{W("hWndParent"), VT_INT_PTR},
                                                {W("fIncludeActualConnectivityCheck"), VT_I4}};
constexpr ParameterDescription kCancel[] = {{W("fAbruptly"), VT_I4}};

template <auto Method>
constexpr FunctionDescription Entry(const WCHAR* name, DISPID id, std::span<const ParameterDescription> params,
                                    VARTYPE result)
{
    if (!DispatchInvoker<Method>::Matches(params, result)) throw "description does not fit the method";
    return {name, id, static_cast<UINT>(6 + id), name, params, result, &DispatchInvoker<Method>::Invoke};
}

constexpr FunctionDescription kPluginFunctions[] = {
    Entry<&I::Initialize>(W("Initialize"), 1, kInitialize, VT_EMPTY),
    Entry<&I::Terminate>(W("Terminate"), 2, {}, VT_EMPTY),
    Entry<&I::GetCapabilities>(W("GetCapabilities"), 3, {}, VT_I4),
    Entry<&I::GetIcon>(W("GetIcon"), 4, {}, VT_INT_PTR),
    Entry<&I::GetDisplayName>(W("GetDisplayName"), 5, {}, VT_BSTR),
    Entry<&I::GetDescription>(W("GetDescription"), 6, {}, VT_BSTR),
    Entry<&I::GetAuthorInformation>(W("GetAuthorInformation"), 7, {}, VT_BSTR),
    Entry<&I::GetVersionInformation>(W("GetVersionInformation"), 8, {}, VT_BSTR),
    Entry<&I::GetDisplayState>(W("GetDisplayState"), 9, {}, VT_BSTR),
    Entry<&I::Configure>(W("Configure"), 10, kConfigure, VT_EMPTY),
    Entry<&I::Publish>(W("Publish"), 11, kPublish, VT_EMPTY),
    Entry<&I::CanPublish>(W("CanPublish"), 12, kCanPublish, VT_EMPTY),
    Entry<&I::Cancel>(W("Cancel"), 13, kCancel, VT_EMPTY),
};

// Interfaces that are not dual are described by name and slot only.
constexpr FunctionDescription Described(const WCHAR* name, UINT slot, const WCHAR* help)
{
    return {name, static_cast<DISPID>(0x60010000 + slot - 3), slot, help, {}, VT_EMPTY, nullptr};
}

constexpr FunctionDescription kProxyFunctions[] = {
    Described(W("Authenticate"), 3, W("Authenticate")),
    Described(W("LoadPrivateProfile"), 4, W("LoadPrivateProfile")),
    Described(W("LoadGroupHierarchy"), 5, W("LoadGroupHierarchy")),
    Described(W("GetCategories"), 6, W("GetCategories")),
    Described(W("LoadPhotoSet"), 7, W("LoadPhotoSet")),
    Described(W("CreatePhotoSet"), 8, W("CreatePhotoSet")),
    Described(W("UploadTo"), 9, W("UploadTo")),
};

constexpr FunctionDescription kCallbackFunctions[] = {
    Described(W("UploadProgress"), 3, W("method UploadProgress")),
};

constexpr EnumValueDescription kCapabilities[] = {
    {W("ORVPUBLISHINGCAPS_NONE"), 0},           {W("ORVPUBLISHINGCAPS_CONFIGURABLE"), 1},
    {W("ORVPUBLISHINGCAPS_USES_INIT_DATA"), 2}, {W("ORVPUBLISHINGCAPS_CANCELABLE"), 4},
    {W("ORVPUBLISHINGCAPS_AUTHORIZATION"), 8},
};
constexpr EnumValueDescription kUploadStates[] = {
    {W("UPLOADSTATE_START"), 0},     {W("UPLOADSTATE_STARTIMAGE"), 1},
    {W("UPLOADSTATE_IMAGE"), 2},     {W("UPLOADSTATE_ENDIMAGE"), 3},
    {W("UPLOADSTATE_END"), 4},       {W("UPLOADSTATE_ERROR"), 5},
    {W("UPLOADSTATE_CANCELLED"), 6}, {W("UPLOADSTATE_NONFATAL_ERROR"), 7},
};
constexpr EnumValueDescription kPhotoSetLevels[] = {
    {W("LOADPHOTOSETLEVEL_LEVEL1"), 0}, {W("LOADPHOTOSETLEVEL_LEVEL2"), 1}, {W("LOADPHOTOSETLEVEL_FULL"), 2}};
constexpr EnumValueDescription kPhotoSetTypes[] = {{W("CREATEPHOTOSETTYPE_GALLERY"), 0},
                                                   {W("CREATEPHOTOSETTYPE_COLLECTION"), 1}};

constexpr IID kPluginIid = IID_IOrvanaPublishingPlugin;
constexpr IID kProxyIid = IID_IZenfolioProxy;

constexpr TypeDescription kTypes[] = {
    {TKIND_ENUM, W("tagORVPUBLISHINGCAPABILITIES"), GUID_NULL, nullptr, 0, {}, kCapabilities, nullptr},
    {TKIND_ENUM, W("tagUPLOADSTATE"), GUID_NULL, nullptr, 0, {}, kUploadStates, nullptr},
    {TKIND_ENUM, W("tagLOADPHOTOSETLEVEL"), GUID_NULL, nullptr, 0, {}, kPhotoSetLevels, nullptr},
    {TKIND_ENUM, W("tagCREATEPHOTOSETTYPE"), GUID_NULL, nullptr, 0, {}, kPhotoSetTypes, nullptr},
    {TKIND_DISPATCH,
     W("IOrvanaPublishingPlugin"),
     IID_IOrvanaPublishingPlugin,
     W("IOrvanaPublishingPlugin Interface"),
     TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION,
     kPluginFunctions,
     {},
     nullptr},
    {TKIND_INTERFACE,
     W("IUploadProgressCallback"),
     IID_IUploadProgressCallback,
     W("Orvana IUploadProgressCallback Interface"),
     TYPEFLAG_FNONEXTENSIBLE,
     kCallbackFunctions,
     {},
     nullptr},
    {TKIND_INTERFACE,
     W("IZenfolioProxy"),
     IID_IZenfolioProxy,
     W("IZenfolioProxy Interface"),
     TYPEFLAG_FNONEXTENSIBLE,
     kProxyFunctions,
     {},
     nullptr},
    {TKIND_COCLASS,
     W("ZenfolioPublisher"),
     CLSID_ZenfolioPublisher,
     W("Orvana ZenfolioPublisher Class"),
     TYPEFLAG_FCANCREATE,
     {},
     {},
     &kPluginIid},
    {TKIND_COCLASS,
     W("ZenfolioProxy"),
     CLSID_ZenfolioProxy,
     W("Orvana ZenfolioProxy Class"),
     TYPEFLAG_FCANCREATE,
     {},
     {},
     &kProxyIid},
};

} // namespace

extern "C" const pal::TypeLibraryDescription OrvanaTypeLibrary = {W("ORVPublishToZenfolioLib"),
                                                                  LIBID_ORVPublishToZenfolioLib,
                                                                  1,
                                                                  0,
                                                                  0x409,
                                                                  SYS_WIN64,
                                                                  W("Orvana Publish to Zenfolio 1.0 Type Library"),
                                                                  kTypes};
