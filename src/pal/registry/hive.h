// One hive: a SQLite database file holding a tree of keys and their values.
// A key is a row of `keys`; the hive's root has no row and is id 0. Siblings,
// and the values of a key, keep the order they were created in (`seq`), which
// is the order enumeration returns.
#pragma once

#include "../base/types.h"
#include "names.h"
#include "sqlite.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace pal::registry {

using KeyId = std::int64_t;
constexpr KeyId kRootKey = 0;

struct ValueInfo {
    Name name;
    DWORD type;
    std::size_t size;
};

struct ValueData {
    DWORD type;
    std::vector<BYTE> data;
};

class Hive {
  public:
    // Opens the file, creating it and its tables when missing.
    explicit Hive(std::filesystem::path file);
    ~Hive();
    Hive(const Hive&) = delete;
    Hive& operator=(const Hive&) = delete;

    const std::filesystem::path& File() const noexcept { return file_; }

    // False once the file at File() is no longer the one this connection has
    // open (removed or replaced), or in a forked child, which must open its own.
    bool IsCurrent() const;

    enum class Mode { Read, Write };
    class Transaction;

  private:
    std::filesystem::path file_;
    pid_t owner_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::mutex mutex_; // one transaction at a time on the connection
    Database db_;
};

// A Reg* call's transaction on one hive. Writes take the database's write lock
// at the start (BEGIN IMMEDIATE), so a call never fails halfway on a lock that
// another process holds; SQLite waits on it up to the busy timeout.
class Hive::Transaction {
  public:
    Transaction(Hive& hive, Mode mode);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void Commit();

    bool Exists(KeyId key);

    // How far along path the keys exist: the number found and the last one.
    struct Walk {
        std::size_t depth;
        KeyId key;
    };
    Walk Descend(KeyId from, std::span<const Name> path);
    std::optional<KeyId> Find(KeyId from, std::span<const Name> path);
    // Creates the missing keys along path; created tells whether the last one is new.
    KeyId Create(KeyId from, std::span<const Name> path, bool& created);

    std::vector<Name> Subkeys(KeyId key);
    std::optional<Name> SubkeyAt(KeyId key, std::size_t index);
    bool HasSubkeys(KeyId key);
    // The key with its values and everything below it.
    void Delete(KeyId key);
    // The key's values and everything below it; the key stays.
    void Clear(KeyId key);

    std::vector<ValueInfo> Values(KeyId key);
    std::optional<ValueInfo> ValueAt(KeyId key, std::size_t index);
    std::optional<ValueData> Value(KeyId key, const std::string& folded);
    // A value keeps its name's case and its place in the order when overwritten.
    void SetValue(KeyId key, const Name& name, DWORD type, std::span<const BYTE> data);
    bool DeleteValue(KeyId key, const std::string& folded);

  private:
    void DeleteBelow(KeyId key, bool withKey);

    sqlite3* db_;
    std::unique_lock<std::mutex> lock_;
    bool open_ = false;
};

} // namespace pal::registry
