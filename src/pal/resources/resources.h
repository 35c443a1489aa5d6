// Module resources: string table, custom resources (by type name and number),
// icons, the version block, and the module's own file name. Each module (the
// component's shared library, the host, a test program) carries one resource
// table generated at build time from resources/; its HINSTANCE names that table.
#pragma once

#include "pal/base/types.h"

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

#define RT_ICON_PAL MAKEINTRESOURCEW(3)
#define RT_GROUP_ICON_PAL MAKEINTRESOURCEW(14)
#define RT_VERSION_PAL MAKEINTRESOURCEW(16)

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
    const BYTE* data;
    std::size_t size;
};

struct VersionString {
    std::u16string_view key;
    std::u16string_view value;
};

struct VersionResource {
    WORD fileVersion[4];    // 1, 9, 289, 0
    WORD productVersion[4];
    WORD language;          // translation: language id, then code page
    WORD codePage;
    std::span<const VersionString> strings;
};

struct ModuleResources {
    std::span<const StringResource> strings; // ascending by id
    std::span<const DataResource> data;
    const VersionResource* version;           // null when the module has none
    const TypeLibraryDescription* typeLibrary; // TYPELIB 1, null when none
};

// The HINSTANCE of the module this code is linked into.
HINSTANCE ThisModule() noexcept;
// The resource table behind an HINSTANCE.
const ModuleResources& ResourcesOf(HINSTANCE module) noexcept;
// Loads (if needed) the module at an absolute path and answers its HINSTANCE,
// or null when the file is not a module with a resource table.
HINSTANCE ModuleFromPath(std::u16string_view path);

} // namespace pal

// With cchBufferMax 0, *lpBuffer receives a read-only pointer to the text and
// the answer is its length. Answers 0 when the id is not in the table.
STDAPI_(int) LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
STDAPI_(HRSRC) FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
STDAPI_(HGLOBAL) LoadResource(HMODULE hModule, HRSRC hResInfo);
STDAPI_(LPVOID) LockResource(HGLOBAL hResData);
STDAPI_(DWORD) SizeofResource(HMODULE hModule, HRSRC hResInfo);
// LR_SHARED answers the same handle on every call and the handle is never freed.
STDAPI_(HANDLE) LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
STDAPI_(DWORD) GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
// The version block of a module file: VS_VERSIONINFO layout, queried with VerQueryValueW.
STDAPI_(DWORD) GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, LPDWORD lpdwHandle);
STDAPI_(BOOL) GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
STDAPI_(BOOL) VerQueryValueW(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);
