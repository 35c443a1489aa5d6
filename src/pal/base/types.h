// Scalar types, result codes and wide-string literals of the Windows API subset
// the component is written against. On Windows these come from <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using UCHAR = unsigned char;
using CHAR = char;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using INT = std::int32_t;
using SHORT = std::int16_t;
using FLOAT = float;
using DOUBLE = double;
using USHORT = std::uint16_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORD_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using SIZE_T = std::size_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LANGID = std::uint16_t;
using LCID = std::uint32_t;
using LSTATUS = std::int32_t;
using REGSAM = std::uint32_t;

using WCHAR = char16_t;
using OLECHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPBYTE = BYTE*;
using LPDWORD = DWORD*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define STDMETHODCALLTYPE
#define CALLBACK
#define STDAPI extern "C" HRESULT
#define STDAPI_(type) extern "C" type

// Opaque handles. Each names an object of the layer that owns it.
struct HWND__;
struct HICON__;
struct HKEY__;
struct HINSTANCE__;
using HWND = HWND__*;
using HICON = HICON__*;
using HKEY = HKEY__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HANDLE = void*;
using HGLOBAL = void*;
using PHKEY = HKEY*;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using _FILETIME = FILETIME;

// HRESULT helpers
constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}
#define MAKE_HRESULT_PAL(sev, fac, code)                                                                               \
    static_cast<HRESULT>((static_cast<std::uint32_t>(sev) << 31) | (static_cast<std::uint32_t>(fac) << 16) |           \
                         static_cast<std::uint32_t>(code))

constexpr std::uint32_t FACILITY_WIN32 = 7;
constexpr std::uint32_t FACILITY_ITF = 4;
constexpr std::uint32_t FACILITY_DISPATCH = 2;

constexpr HRESULT HRESULT_FROM_WIN32(std::uint32_t error)
{
    return static_cast<HRESULT>(error) <= 0
               ? static_cast<HRESULT>(error)
               : static_cast<HRESULT>((error & 0x0000FFFFu) | (FACILITY_WIN32 << 16) | 0x80000000u);
}

constexpr HRESULT HR(std::uint32_t bits)
{
    return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HR(0x80004001);
constexpr HRESULT E_NOINTERFACE = HR(0x80004002);
constexpr HRESULT E_POINTER = HR(0x80004003);
constexpr HRESULT E_ABORT = HR(0x80004004);
constexpr HRESULT E_FAIL = HR(0x80004005);
constexpr HRESULT E_UNEXPECTED = HR(0x8000FFFF);
constexpr HRESULT E_PENDING = HR(0x8000000A);
constexpr HRESULT E_ACCESSDENIED = HR(0x80070005);
constexpr HRESULT E_HANDLE = HR(0x80070006);
constexpr HRESULT E_OUTOFMEMORY = HR(0x8007000E);
constexpr HRESULT E_INVALIDARG = HR(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = HR(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HR(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = HR(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = HR(0x800401F0);
constexpr HRESULT CO_E_DLLNOTFOUND = HR(0x8004015F);
constexpr HRESULT CO_E_ERRORINDLL = HR(0x800401F9);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = HR(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = HR(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = HR(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = HR(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = HR(0x80020006);
constexpr HRESULT DISP_E_BADVARTYPE = HR(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = HR(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = HR(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = HR(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = HR(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = HR(0x8002000F);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = HR(0x8002802B);
constexpr HRESULT TYPE_E_LIBNOTREGISTERED = HR(0x8002801D);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = HR(0x80029C4A);
constexpr HRESULT STG_E_INVALIDFUNCTION = HR(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = HR(0x80030002);
constexpr HRESULT STG_E_ACCESSDENIED = HR(0x80030005);
constexpr HRESULT STG_E_INVALIDPOINTER = HR(0x80030009);
constexpr HRESULT STG_E_MEDIUMFULL = HR(0x80030070);
constexpr HRESULT STG_E_INVALIDPARAMETER = HR(0x80030057);
constexpr HRESULT STG_E_READFAULT = HR(0x8003001E);
constexpr HRESULT STG_E_WRITEFAULT = HR(0x8003001D);
constexpr HRESULT STG_E_SEEKERROR = HR(0x80030019);
constexpr HRESULT STG_E_INVALIDFUNCTION_PAL = STG_E_INVALIDFUNCTION;

// Win32 error codes with their Windows values.
constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_INVALID_FUNCTION = 1;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_PATH_NOT_FOUND = 3;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LSTATUS ERROR_INVALID_DATA = 13;
constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
constexpr LSTATUS ERROR_WRITE_FAULT = 29;
constexpr LSTATUS ERROR_READ_FAULT = 30;
constexpr LSTATUS ERROR_NOT_SUPPORTED = 50;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_FILENAME_EXCED_RANGE = 206;
constexpr LSTATUS ERROR_INVALID_NAME = 123;
constexpr LSTATUS ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LSTATUS ERROR_MOD_NOT_FOUND = 126;
constexpr LSTATUS ERROR_PROC_NOT_FOUND = 127;
constexpr LSTATUS ERROR_BAD_PATHNAME = 161;
constexpr LSTATUS ERROR_ALREADY_EXISTS = 183;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_INVALID_FLAGS = 1004;
constexpr LSTATUS ERROR_CANTOPEN = 1011;
constexpr LSTATUS ERROR_CANTREAD = 1012;
constexpr LSTATUS ERROR_CANTWRITE = 1013;
constexpr LSTATUS ERROR_REGISTRY_CORRUPT = 1015;
constexpr LSTATUS ERROR_KEY_DELETED = 1018;
constexpr LSTATUS ERROR_CHILD_MUST_BE_VOLATILE = 1021;
constexpr LSTATUS ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr LSTATUS ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr LSTATUS ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr LSTATUS ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr LSTATUS ERROR_INVALID_OPERATION = 4317;

// Locale identifiers the component names.
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
