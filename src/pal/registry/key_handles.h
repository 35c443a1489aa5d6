// What an HKEY stands for. The predefined roots are constants; every other
// HKEY is a handle of the layer's table (pal/base/handle_table.h) to an
// OpenKey made by RegOpenKeyExW/RegCreateKeyExW, kept until RegCloseKey, so a
// closed or foreign handle is told apart (ERROR_INVALID_HANDLE) instead of
// being followed, even once its slot holds another key.
#pragma once

#include "../base/types.h"
#include "hive.h"
#include "names.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pal::registry {

// A key of HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
struct HiveKey {
    std::shared_ptr<Hive> hive;
    KeyId id = kRootKey;
};

// A key seen through HKEY_CLASSES_ROOT, by its path below Software\Classes
// (empty for the root of the view). It is found again in both hives at every
// call; the copies it was opened on tell whether it has since been deleted.
struct ClassesKey {
    std::shared_ptr<Hive> user;
    std::shared_ptr<Hive> machine;
    std::vector<Name> path;
    std::optional<KeyId> userCopy;
    std::optional<KeyId> machineCopy;
};

struct OpenKey {
    std::variant<HiveKey, ClassesKey> key;
    std::u16string path; // e.g. HKEY_CURRENT_USER\Software\Orvana, for diagnostics
};

bool IsPredefinedKey(HKEY key) noexcept;

// The key behind a predefined root or open handle; fails with ERROR_INVALID_HANDLE.
std::shared_ptr<const OpenKey> ResolveKey(HKEY key);

HKEY AddHandle(OpenKey key);

// False when key is not an open handle.
bool RemoveHandle(HKEY key);

} // namespace pal::registry
