#include "pal/registry/key_handles.h"

#include "pal/base/handle_table.h"
#include "pal/registry/hive_files.h"
#include "pal/registry/status.h"
#include "pal/registry_key.h"

namespace pal::registry {

namespace {

using KeyHandles = HandlesOf<const OpenKey, HandleKind::RegistryKey>;

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
    auto found = KeyHandles::Find(reinterpret_cast<HandleValue>(key));
    if (!found) Fail(ERROR_INVALID_HANDLE);
    return found;
}

HKEY AddHandle(OpenKey key)
{
    const HandleValue handle = KeyHandles::Add(std::make_shared<const OpenKey>(std::move(key)));
    if (!handle) Fail(ERROR_OUTOFMEMORY);
    return reinterpret_cast<HKEY>(handle);
}

bool RemoveHandle(HKEY key)
{
    // The last reference to a hive may go with the key; it closes here, outside the table's lock.
    return KeyHandles::Remove(reinterpret_cast<HandleValue>(key)) != nullptr;
}

} // namespace pal::registry
