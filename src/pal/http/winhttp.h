// The WinHTTP subset the component calls: sessions and their options, and the
// user's proxy configuration with per-URL proxy lookup. Failures answer
// FALSE/null and leave the reason in GetLastError.
#pragma once

#include "../base/last_error.h"
#include "../base/types.h"

#include <memory>

using HINTERNET = LPVOID;
using INTERNET_PORT = WORD;

constexpr DWORD WINHTTP_ACCESS_TYPE_DEFAULT_PROXY = 0;
constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
#define WINHTTP_NO_PROXY_NAME nullptr
#define WINHTTP_NO_PROXY_BYPASS nullptr

constexpr DWORD WINHTTP_FLAG_ASYNC = 0x10000000;

constexpr DWORD WINHTTP_OPTION_PROXY = 38;

constexpr DWORD WINHTTP_AUTOPROXY_AUTO_DETECT = 0x00000001;
constexpr DWORD WINHTTP_AUTOPROXY_CONFIG_URL = 0x00000002;
constexpr DWORD WINHTTP_AUTOPROXY_RUN_INPROCESS = 0x00010000;
constexpr DWORD WINHTTP_AUTOPROXY_RUN_OUTPROCESS_ONLY = 0x00020000;
constexpr DWORD WINHTTP_AUTO_DETECT_TYPE_DHCP = 0x00000001;
constexpr DWORD WINHTTP_AUTO_DETECT_TYPE_DNS_A = 0x00000002;

constexpr DWORD ERROR_WINHTTP_OUT_OF_HANDLES = 12001;
constexpr DWORD ERROR_WINHTTP_TIMEOUT = 12002;
constexpr DWORD ERROR_WINHTTP_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_WINHTTP_INVALID_URL = 12005;
constexpr DWORD ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_WINHTTP_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_WINHTTP_INVALID_OPTION = 12009;
constexpr DWORD ERROR_WINHTTP_OPTION_NOT_SETTABLE = 12011;
constexpr DWORD ERROR_WINHTTP_SHUTDOWN = 12012;
constexpr DWORD ERROR_WINHTTP_LOGIN_FAILURE = 12015;
constexpr DWORD ERROR_WINHTTP_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_WINHTTP_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_WINHTTP_CONNECTION_ERROR = 12030;
constexpr DWORD ERROR_WINHTTP_RESEND_REQUEST = 12032;
constexpr DWORD ERROR_WINHTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_WINHTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_WINHTTP_REDIRECT_FAILED = 12156;
constexpr DWORD ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT = 12166;
constexpr DWORD ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT = 12167;
constexpr DWORD ERROR_WINHTTP_SECURE_FAILURE = 12175;
constexpr DWORD ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR = 12178;
constexpr DWORD ERROR_WINHTTP_AUTODETECTION_FAILED = 12180;

// Strings handed out are allocated with GlobalAlloc; the caller frees them with GlobalFree.
struct WINHTTP_CURRENT_USER_IE_PROXY_CONFIG {
    BOOL fAutoDetect;
    LPWSTR lpszAutoConfigUrl;
    LPWSTR lpszProxy;
    LPWSTR lpszProxyBypass;
};

struct WINHTTP_AUTOPROXY_OPTIONS {
    DWORD dwFlags;
    DWORD dwAutoDetectFlags;
    LPCWSTR lpszAutoConfigUrl;
    LPVOID lpvReserved;
    DWORD dwReserved;
    BOOL fAutoLogonIfChallenged;
};

struct WINHTTP_PROXY_INFO {
    DWORD dwAccessType;
    LPWSTR lpszProxy;
    LPWSTR lpszProxyBypass;
};
using LPWINHTTP_PROXY_INFO = WINHTTP_PROXY_INFO*;

STDAPI_(HINTERNET)
WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR pszProxyW, LPCWSTR pszProxyBypassW, DWORD dwFlags);
// Milliseconds; 0 or -1 means no limit.
STDAPI_(BOOL)
WinHttpSetTimeouts(HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout, int nSendTimeout,
                   int nReceiveTimeout);
STDAPI_(BOOL) WinHttpCloseHandle(HINTERNET hInternet);
// WINHTTP_OPTION_PROXY only (a WINHTTP_PROXY_INFO).
STDAPI_(BOOL) WinHttpSetOption(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength);
STDAPI_(BOOL) WinHttpQueryOption(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, LPDWORD lpdwBufferLength);

// From the environment (see pal/proxy/user_proxy_config.h). ERROR_FILE_NOT_FOUND
// when the user has no proxy settings at all. Never reports automatic detection
// or a script: neither exists here.
STDAPI_(BOOL) WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* pProxyConfig);
// Automatic proxy discovery, which this platform lacks: auto-detection fails
// with ERROR_WINHTTP_AUTODETECTION_FAILED, a script URL with
// ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT.
STDAPI_(BOOL)
WinHttpGetProxyForUrl(HINTERNET hSession, LPCWSTR lpcwszUrl, WINHTTP_AUTOPROXY_OPTIONS* pAutoProxyOptions,
                      WINHTTP_PROXY_INFO* pProxyInfo);
