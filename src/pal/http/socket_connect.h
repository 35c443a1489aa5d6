// A TCP connection made before a transfer starts, so a name that cannot be
// resolved or a refused connection is known at once.
#pragma once

#include "../base/types.h"
#include "pal/base/unique_fd.h"

#include <cstdint>
#include <string>

namespace pal::http {

struct ConnectedSocket {
    pal::UniqueFd socket;
    std::string address; // numeric address of the peer
    DWORD error = 0;     // ERROR_WINHTTP_NAME_NOT_RESOLVED, ..._CANNOT_CONNECT, ..._TIMEOUT
};

// Tries each address of host in turn; timeoutMs bounds each attempt (0: no limit).
ConnectedSocket ConnectSocket(const std::string& host, std::uint16_t port, int timeoutMs);

} // namespace pal::http
