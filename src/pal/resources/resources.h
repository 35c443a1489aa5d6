// Module resources: string table, custom resources (by type name and number),
// icons, the version block, and the module's own file name. Each module (the
// component's shared library, the host, a test program) carries one resource
// table generated at build time from a manifest (orvana_embed_resources); its
// HINSTANCE is the address of that table.
#pragma once

#include "../base/types.h"

#include <span>
#include <string_view>

#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)

struct HRSRC__;
using HRSRC = HRSRC__*;

constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

// The fixed part of a version block, answered by VerQueryValueW for "\".
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr DWORD VS_FFI_STRUCVERSION = 0x00010000;
constexpr DWORD VS_FFI_FILEFLAGSMASK = 0x0000003F;
constexpr DWORD VOS_NT_WINDOWS32 = 0x00040004;
constexpr DWORD VFT_APP = 1;
constexpr DWORD VFT_DLL = 2;

namespace pal {

struct TypeLibraryDescription;

struct StringResource {
    UINT id;
    std::u16string_view text;
};

// A resource other than strings: type is a name ("SOAP", "REGISTRY", "ICON").
struct DataResource {
    std::u16string_view type;
    UINT id;
    const BYTE* data; // null when size is 0
    std::size_t size;
};

struct VersionString {
    std::u16string_view key;
    std::u16string_view value;
};

struct VersionResource {
    WORD fileVersion[4]; // 1, 9, 289, 0
    WORD productVersion[4];
    WORD language; // translation: language id, then code page
    WORD codePage;
    DWORD fileType; // VFT_DLL or VFT_APP
    std::span<const VersionString> strings;
};

struct ModuleResources {
    std::span<const StringResource> strings;   // ascending by id
    std::span<const DataResource> data;        // type names in upper case
    const VersionResource* version;            // null when the module has none
    const TypeLibraryDescription* typeLibrary; // TYPELIB 1, null when none
};

} // namespace pal

// Each module's own table: defined by the source orvana-rc generates for it,
// else by the weak empty table of pal_module. Hidden, so every module binds to
// its own even though the layer itself is one shared library.
extern "C" __attribute__((visibility("hidden"))) const pal::ModuleResources g_palModuleResources;

namespace pal {

// The resource table behind an HINSTANCE; null names the main program, whose
// table is found only when it exports it (executables that embed resources do).
const ModuleResources& ResourcesOf(HINSTANCE module) noexcept;
// Answers the HINSTANCE of the module file at path, loading it when it is not
// loaded yet (it then stays loaded for the life of the process), or null when
// the file is not a module with a resource table.
HINSTANCE ModuleFromPath(std::u16string_view path);
// The bytes of the .ico file behind an icon that LoadImageW answered; empty for
// any other handle.
std::span<const BYTE> IconBytes(HICON icon) noexcept;

} // namespace pal

// With cchBufferMax 0, *lpBuffer receives a read-only pointer to the text and
// the answer is its length. Answers 0 when the id is not in the table.
STDAPI_(int) LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
// lpType is a type name (compared without regard to case); lpName is a number,
// from MAKEINTRESOURCEW or written "#101".
STDAPI_(HRSRC) FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
STDAPI_(HGLOBAL) LoadResource(HMODULE hModule, HRSRC hResInfo);
STDAPI_(LPVOID) LockResource(HGLOBAL hResData);
STDAPI_(DWORD) SizeofResource(HMODULE hModule, HRSRC hResInfo);
// IMAGE_ICON only. The handle names the ICON resource and is never freed; LR_SHARED
// answers the same handle on every call.
STDAPI_(HANDLE) LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
// A null module names the main program. The answer is an absolute path.
STDAPI_(DWORD) GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// The version block of a module file: VS_VERSIONINFO layout, queried with VerQueryValueW.
STDAPI_(DWORD) GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle);
STDAPI_(BOOL) GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
STDAPI_(BOOL) VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
