#include "pal/registry/key_handles.h"

#include "pal/registry/hive_files.h"
#include "pal/registry/registry.h"
#include "pal/registry/status.h"

#include <mutex>
#include <unordered_map>

namespace pal::registry {

namespace {

struct HandleTable {
    std::mutex mutex;
    // Shared, so a key closed on one thread stays whole for a call still using it on another.
    std::unordered_map<HKEY, std::shared_ptr<const OpenKey>> open;
};

HandleTable& Handles()
{
    // Never destroyed: RegCloseKey may run from other statics' destructors.
    static auto* const table = new HandleTable;
    return *table;
}

} // namespace

bool IsPredefinedKey(HKEY key) noexcept
{
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

std::shared_ptr<const OpenKey> ResolveKey(HKEY key)
{
    // The roots are found afresh each time: the prefix may have moved.
    if (key == HKEY_LOCAL_MACHINE) {
        return std::make_shared<OpenKey>(OpenKey{HiveKey{MachineHive()}, u"HKEY_LOCAL_MACHINE"});
    }
    if (key == HKEY_CURRENT_USER) return std::make_shared<OpenKey>(OpenKey{HiveKey{UserHive()}, u"HKEY_CURRENT_USER"});
    if (key == HKEY_CLASSES_ROOT) {
        ClassesKey view{UserHive(), MachineHive(), {}, {}, {}};
        return std::make_shared<OpenKey>(OpenKey{std::move(view), u"HKEY_CLASSES_ROOT"});
    }
    HandleTable& handles = Handles();
    const std::lock_guard lock(handles.mutex);
    const auto found = handles.open.find(key);
    if (found == handles.open.end()) Fail(ERROR_INVALID_HANDLE);
    return found->second;
}

HKEY AddHandle(OpenKey key)
{
    auto object = std::make_shared<const OpenKey>(std::move(key));
    const auto handle = reinterpret_cast<HKEY>(const_cast<OpenKey*>(object.get()));
    HandleTable& handles = Handles();
    const std::lock_guard lock(handles.mutex);
    handles.open.emplace(handle, std::move(object));
    return handle;
}

bool RemoveHandle(HKEY key)
{
    // The last reference to a hive may go with the key; let it close outside the table's lock.
    std::shared_ptr<const OpenKey> closing;
    HandleTable& handles = Handles();
    {
        const std::lock_guard lock(handles.mutex);
        const auto found = handles.open.find(key);
        if (found == handles.open.end()) return false;
        closing = std::move(found->second);
        handles.open.erase(found);
    }
    return true;
}

} // namespace pal::registry
