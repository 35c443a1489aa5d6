// One Reg* call's hold on the hives behind a key: a transaction on each hive,
// kept for the whole call, so every call reads and writes a consistent state.
//
// A key of one hive has one copy. A key seen through HKEY_CLASSES_ROOT has up
// to two, HKCU\Software\Classes\<path> before HKLM\Software\Classes\<path>:
// - reads take the first copy that has what is asked for, and enumeration
//   lists the user copy's entries, then the machine copy's not already listed;
// - a value is written to the user copy when the key exists there, otherwise
//   to the machine copy; the root of the view writes to the machine classes;
// - a new key goes where its deepest existing ancestor is: below a key with a
//   user copy into the user classes, otherwise (or at the root of the view)
//   into the machine classes;
// - deleting a key or value removes it from both copies, so it is gone from
//   the view rather than uncovering the machine copy.
// The user hive's transaction is always begun before the machine hive's.
#pragma once

#include "hive.h"
#include "key_handles.h"

#include <optional>
#include <span>
#include <vector>

namespace pal::registry {

struct Copy {
    Hive::Transaction* transaction;
    KeyId id;
};

class Session {
  public:
    // Fails with ERROR_KEY_DELETED when the key is gone.
    Session(const OpenKey& key, Hive::Mode mode);

    // The copies of the key at below (empty: the key itself), preferred first;
    // none when it does not exist.
    std::vector<Copy> Find(std::span<const Name> below);
    // Whether below names the root of a hive or of the view, which stay.
    bool IsRoot(std::span<const Name> below) const;
    // Finds or creates the key at below; created tells whether it is new.
    std::vector<Copy> Create(std::span<const Name> below, bool& created);
    // Where a value of the key itself is written.
    Copy ValueTarget();
    // The key at below, found as copies, for a new handle.
    OpenKey Derive(std::span<const Name> below, std::span<const Copy> copies, LPCWSTR subKey) const;

    void Commit();

  private:
    std::vector<Name> ClassesPath(std::span<const Name> below) const;
    KeyId MachineClasses();

    const OpenKey& key_;
    const HiveKey* hiveKey_;
    const ClassesKey* classesKey_;
    std::optional<Hive::Transaction> hive_;
    std::optional<Hive::Transaction> user_;
    std::optional<Hive::Transaction> machine_;
    std::optional<KeyId> userClasses_;
    std::optional<KeyId> machineClasses_;
};

// The subkeys of copies, each name once, the preferred copy's first.
std::vector<Name> MergeSubkeys(std::span<const Copy> copies);

struct MergedValue {
    ValueInfo info;
    Copy copy;
};
// The values of copies, each name once, the preferred copy's first.
std::vector<MergedValue> MergeValues(std::span<const Copy> copies);

// Entry index of those lists. A single copy is read by position alone, so
// enumerating a key costs one lookup per entry, not a listing.
std::optional<Name> SubkeyAt(std::span<const Copy> copies, std::size_t index);
std::optional<MergedValue> ValueAt(std::span<const Copy> copies, std::size_t index);

} // namespace pal::registry
