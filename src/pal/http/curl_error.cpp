#include "pal/http/curl_error.h"

#include "pal/unique_internet.h"

namespace pal::http {

DWORD WinHttpErrorFromCurl(CURLcode code) noexcept
{
    switch (code) {
    case CURLE_OK:
        return 0;
    case CURLE_OPERATION_TIMEDOUT:
        return ERROR_WINHTTP_TIMEOUT;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_WINHTTP_CANNOT_CONNECT;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return ERROR_WINHTTP_CONNECTION_ERROR;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT:
        return ERROR_WINHTTP_INVALID_URL;
    case CURLE_TOO_MANY_REDIRECTS:
        return ERROR_WINHTTP_REDIRECT_FAILED;
    case CURLE_WEIRD_SERVER_REPLY:
        return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return ERROR_WINHTTP_SECURE_FAILURE;
    case CURLE_LOGIN_DENIED:
        return ERROR_WINHTTP_LOGIN_FAILURE;
    case CURLE_ABORTED_BY_CALLBACK:
        return ERROR_WINHTTP_OPERATION_CANCELLED;
    case CURLE_OUT_OF_MEMORY:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_WINHTTP_INTERNAL_ERROR;
    }
}

} // namespace pal::http
