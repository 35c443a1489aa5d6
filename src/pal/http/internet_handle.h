// What an HINTERNET stands for. Every handle is one of the layer's table
// (pal/base/handle_table.h), kept until WinHttpCloseHandle, so a closed or
// foreign handle is told apart (ERROR_INVALID_HANDLE) and never comes back to
// life as another object.
#pragma once

#include "winhttp.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace pal::http {

struct ProxyOption {
    DWORD accessType = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    std::optional<std::u16string> proxy;
    std::optional<std::u16string> bypass;
};

// Milliseconds, -1 for no limit. The defaults are WinHTTP's.
struct Timeouts {
    int resolve = 0;
    int connect = 60000;
    int send = 30000;
    int receive = 30000;
};

// The status callback of a handle; children take their parent's when created.
struct StatusCallbackSetting {
    WINHTTP_STATUS_CALLBACK callback = nullptr;
    DWORD flags = 0;
};

// Base of every handle's object: sessions, connections and requests
// (async_request.h).
class InternetObject {
  public:
    virtual ~InternetObject() = default;
    // Called by WinHttpCloseHandle before the handle goes.
    virtual void Close() {}

    // Guards the settings below, which any thread holding the handle may change.
    std::mutex mutex;
    ProxyOption proxy;
    Timeouts timeouts;
    StatusCallbackSetting statusCallback;
};

class SessionWorker;

class Session final : public InternetObject {
  public:
    ~Session() override;

    std::u16string agent;
    bool async = false;
    // The thread of an asynchronous session's requests, started with its
    // first connection (guarded by mutex).
    std::shared_ptr<SessionWorker> worker;
};

// Null handle when the table is full.
HINTERNET AddHandle(std::shared_ptr<InternetObject> object);
// Null when the handle is not open.
std::shared_ptr<InternetObject> FindHandle(HINTERNET handle);
// False when the handle is not open.
bool RemoveHandle(HINTERNET handle);

// The object behind an open handle of type T, or null with the thread's last
// error set (ERROR_INVALID_HANDLE, ERROR_WINHTTP_INCORRECT_HANDLE_TYPE).
template <typename T> std::shared_ptr<T> FindHandleOf(HINTERNET handle)
{
    std::shared_ptr<InternetObject> object = FindHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto typed = std::dynamic_pointer_cast<T>(std::move(object));
    if (!typed) SetLastError(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    return typed;
}

} // namespace pal::http
