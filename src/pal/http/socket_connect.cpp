#include "pal/http/socket_connect.h"

#include "pal/http/winhttp.h"

#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace pal::http {

namespace {

struct AddressListDeleter {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

std::string NumericAddress(const addrinfo& entry)
{
    char text[NI_MAXHOST] = {};
    if (getnameinfo(entry.ai_addr, entry.ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0) return {};
    return text;
}

// 0 once connected, else the WinHTTP error of this attempt.
DWORD ConnectOne(int fd, const addrinfo& entry, int timeoutMs)
{
    if (connect(fd, entry.ai_addr, entry.ai_addrlen) == 0) return 0;
    if (errno != EINPROGRESS) return ERROR_WINHTTP_CANNOT_CONNECT;
    pollfd wait{fd, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&wait, 1, timeoutMs > 0 ? timeoutMs : -1);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return ERROR_WINHTTP_TIMEOUT;
    int error = 0;
    socklen_t length = sizeof error;
    if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return error == ETIMEDOUT ? ERROR_WINHTTP_TIMEOUT : ERROR_WINHTTP_CANNOT_CONNECT;
    return 0;
}

} // namespace

ConnectedSocket ConnectSocket(const std::string& host, std::uint16_t port, int timeoutMs)
{
    ConnectedSocket result;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (host.empty() || getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
        result.error = ERROR_WINHTTP_NAME_NOT_RESOLVED;
        return result;
    }
    const std::unique_ptr<addrinfo, AddressListDeleter> list(found);
    result.error = ERROR_WINHTTP_CANNOT_CONNECT;
    for (const addrinfo* entry = list.get(); entry; entry = entry->ai_next) {
        pal::UniqueFd fd(
            socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, entry->ai_protocol));
        if (!fd.Valid()) continue;
        result.error = ConnectOne(fd.Get(), *entry, timeoutMs);
        if (result.error == 0) {
            result.socket = std::move(fd);
            result.address = NumericAddress(*entry);
            return result;
        }
    }
    return result;
}

} // namespace pal::http
