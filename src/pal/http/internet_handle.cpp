#include "pal/http/internet_handle.h"

#include <cstdint>
#include <unordered_map>

namespace pal::http {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::uintptr_t next = 1;
    // Shared, so a handle closed on one thread stays whole for a call still using it on another.
    std::unordered_map<std::uintptr_t, std::shared_ptr<InternetObject>> open;
};

HandleTable& Handles()
{
    // Never destroyed: handles may be closed from other statics' destructors.
    static auto* const table = new HandleTable;
    return *table;
}

// Handle values are multiples of 4, like the addresses they stand in for.
std::uintptr_t Key(HINTERNET handle)
{
    return reinterpret_cast<std::uintptr_t>(handle) >> 2;
}

} // namespace

HINTERNET AddHandle(std::shared_ptr<InternetObject> object)
{
    HandleTable& handles = Handles();
    const std::lock_guard lock(handles.mutex);
    if (handles.next > (UINTPTR_MAX >> 2)) return nullptr;
    const std::uintptr_t key = handles.next++;
    handles.open.emplace(key, std::move(object));
    return reinterpret_cast<HINTERNET>(key << 2);
}

std::shared_ptr<InternetObject> FindHandle(HINTERNET handle)
{
    if (!handle || (reinterpret_cast<std::uintptr_t>(handle) & 3) != 0) return nullptr;
    HandleTable& handles = Handles();
    const std::lock_guard lock(handles.mutex);
    const auto found = handles.open.find(Key(handle));
    return found == handles.open.end() ? nullptr : found->second;
}

bool RemoveHandle(HINTERNET handle)
{
    if (!handle || (reinterpret_cast<std::uintptr_t>(handle) & 3) != 0) return false;
    std::shared_ptr<InternetObject> closing; // destroyed outside the table's lock
    HandleTable& handles = Handles();
    const std::lock_guard lock(handles.mutex);
    const auto found = handles.open.find(Key(handle));
    if (found == handles.open.end()) return false;
    closing = std::move(found->second);
    handles.open.erase(found);
    return true;
}

} // namespace pal::http
