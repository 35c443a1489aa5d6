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

// The static proxy from the environment (pal/proxy/user_proxy_config.h), the
// detection switch and script URL from the registry
// (pal/proxy/automatic_proxy_config.h). ERROR_FILE_NOT_FOUND when the user has
// no proxy settings at all.
STDAPI_(BOOL) WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* pProxyConfig);
// Runs a proxy script (pal/http/automatic_proxy.h): the one at the given URL,
// or for detection http://wpad/wpad.dat, looked for only when the user
// switched detection on (else ERROR_WINHTTP_AUTODETECTION_FAILED; no DHCP).
// ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT, ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT.
STDAPI_(BOOL)
WinHttpGetProxyForUrl(HINTERNET hSession, LPCWSTR lpcwszUrl, WINHTTP_AUTOPROXY_OPTIONS* pAutoProxyOptions,
                      WINHTTP_PROXY_INFO* pProxyInfo);

// ---- Requests: the asynchronous subset uploads use ---------------------------
// On an asynchronous session (WINHTTP_FLAG_ASYNC) every connection has one
// worker thread that drives the transfer and calls the status callback; see
// pal/http/async_request.h for how the calls map onto it.

using INTERNET_SCHEME = int;
constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTP = 1;
constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTPS = 2;

constexpr INTERNET_PORT INTERNET_DEFAULT_PORT = 0;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;

struct URL_COMPONENTS {
    DWORD dwStructSize;
    LPWSTR lpszScheme;
    DWORD dwSchemeLength;
    INTERNET_SCHEME nScheme;
    LPWSTR lpszHostName;
    DWORD dwHostNameLength;
    INTERNET_PORT nPort;
    LPWSTR lpszUserName;
    DWORD dwUserNameLength;
    LPWSTR lpszPassword;
    DWORD dwPasswordLength;
    LPWSTR lpszUrlPath;
    DWORD dwUrlPathLength;
    LPWSTR lpszExtraInfo;
    DWORD dwExtraInfoLength;
};
using LPURL_COMPONENTS = URL_COMPONENTS*;
using URL_COMPONENTSW = URL_COMPONENTS;

constexpr DWORD ICU_ESCAPE = 0x80000000;
constexpr DWORD ICU_DECODE = 0x10000000;

constexpr DWORD WINHTTP_FLAG_REFRESH = 0x00000100;
constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;
#define WINHTTP_NO_REFERER nullptr
#define WINHTTP_DEFAULT_ACCEPT_TYPES nullptr
#define WINHTTP_NO_ADDITIONAL_HEADERS nullptr
#define WINHTTP_NO_REQUEST_DATA nullptr
#define WINHTTP_HEADER_NAME_BY_INDEX nullptr
#define WINHTTP_NO_HEADER_INDEX nullptr

constexpr DWORD WINHTTP_ADDREQ_INDEX_MASK = 0x0000FFFF;
constexpr DWORD WINHTTP_ADDREQ_FLAGS_MASK = 0xFFFF0000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA = 0x40000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON = 0x01000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

constexpr DWORD WINHTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD WINHTTP_QUERY_FLAG_NUMBER = 0x20000000;

constexpr DWORD WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING = 0x00000800;
constexpr DWORD WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE = 0x00020000;
constexpr DWORD WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE = 0x00040000;
constexpr DWORD WINHTTP_CALLBACK_STATUS_READ_COMPLETE = 0x00080000;
constexpr DWORD WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE = 0x00100000;
constexpr DWORD WINHTTP_CALLBACK_STATUS_REQUEST_ERROR = 0x00200000;
constexpr DWORD WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE = 0x00400000;

constexpr DWORD WINHTTP_CALLBACK_FLAG_HANDLES = 0x00000C00;
constexpr DWORD WINHTTP_CALLBACK_FLAG_HEADERS_AVAILABLE = WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE;
constexpr DWORD WINHTTP_CALLBACK_FLAG_DATA_AVAILABLE = WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE;
constexpr DWORD WINHTTP_CALLBACK_FLAG_READ_COMPLETE = WINHTTP_CALLBACK_STATUS_READ_COMPLETE;
constexpr DWORD WINHTTP_CALLBACK_FLAG_WRITE_COMPLETE = WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE;
constexpr DWORD WINHTTP_CALLBACK_FLAG_REQUEST_ERROR = WINHTTP_CALLBACK_STATUS_REQUEST_ERROR;
constexpr DWORD WINHTTP_CALLBACK_FLAG_SENDREQUEST_COMPLETE = WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE;
constexpr DWORD WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS =
    WINHTTP_CALLBACK_FLAG_SENDREQUEST_COMPLETE | WINHTTP_CALLBACK_FLAG_HEADERS_AVAILABLE |
    WINHTTP_CALLBACK_FLAG_DATA_AVAILABLE | WINHTTP_CALLBACK_FLAG_READ_COMPLETE | WINHTTP_CALLBACK_FLAG_WRITE_COMPLETE |
    WINHTTP_CALLBACK_FLAG_REQUEST_ERROR;
constexpr DWORD WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS = 0xFFFFFFFF;

// dwResult of a request error names the call whose work failed.
constexpr DWORD_PTR API_RECEIVE_RESPONSE = 1;
constexpr DWORD_PTR API_QUERY_DATA_AVAILABLE = 2;
constexpr DWORD_PTR API_READ_DATA = 3;
constexpr DWORD_PTR API_WRITE_DATA = 4;
constexpr DWORD_PTR API_SEND_REQUEST = 5;

struct WINHTTP_ASYNC_RESULT {
    DWORD_PTR dwResult;
    DWORD dwError;
};

using WINHTTP_STATUS_CALLBACK = void(CALLBACK*)(HINTERNET hInternet, DWORD_PTR dwContext, DWORD dwInternetStatus,
                                                LPVOID lpvStatusInformation, DWORD dwStatusInformationLength);
#define WINHTTP_INVALID_STATUS_CALLBACK (reinterpret_cast<WINHTTP_STATUS_CALLBACK>(static_cast<INT_PTR>(-1)))

STDAPI_(BOOL) WinHttpCrackUrl(LPCWSTR pwszUrl, DWORD dwUrlLength, DWORD dwFlags, LPURL_COMPONENTS lpUrlComponents);
STDAPI_(HINTERNET)
WinHttpConnect(HINTERNET hSession, LPCWSTR pswzServerName, INTERNET_PORT nServerPort, DWORD dwReserved);
STDAPI_(HINTERNET)
WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName, LPCWSTR pwszVersion,
                   LPCWSTR pwszReferrer, LPCWSTR* ppwszAcceptTypes, DWORD dwFlags);
STDAPI_(BOOL)
WinHttpAddRequestHeaders(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, DWORD dwModifiers);
STDAPI_(WINHTTP_STATUS_CALLBACK)
WinHttpSetStatusCallback(HINTERNET hInternet, WINHTTP_STATUS_CALLBACK lpfnInternetCallback, DWORD dwNotificationFlags,
                         DWORD_PTR dwReserved);
STDAPI_(BOOL)
WinHttpSendRequest(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                   DWORD dwOptionalLength, DWORD dwTotalLength, DWORD_PTR dwContext);
STDAPI_(BOOL)
WinHttpWriteData(HINTERNET hRequest, LPCVOID lpBuffer, DWORD dwNumberOfBytesToWrite, LPDWORD lpdwNumberOfBytesWritten);
STDAPI_(BOOL) WinHttpReceiveResponse(HINTERNET hRequest, LPVOID lpReserved);
STDAPI_(BOOL)
WinHttpQueryHeaders(HINTERNET hRequest, DWORD dwInfoLevel, LPCWSTR pwszName, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                    LPDWORD lpdwIndex);
STDAPI_(BOOL) WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD lpdwNumberOfBytesAvailable);
STDAPI_(BOOL)
WinHttpReadData(HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead, LPDWORD lpdwNumberOfBytesRead);
