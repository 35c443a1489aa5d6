#include "pal/registry/hive.h"

#include "pal/registry/status.h"

#include <sys/stat.h>
#include <unistd.h>

namespace pal::registry {

namespace {

// Long enough for another process's burst of writes; the registry has no
// caller that would rather fail fast.
constexpr int kBusyTimeoutMs = 10000;
constexpr int kRetryMs = 5;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys (
    id INTEGER PRIMARY KEY AUTOINCREMENT, -- never reused: a stale handle must not find a new key
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded_name TEXT NOT NULL,
    seq INTEGER NOT NULL,
    UNIQUE (parent, folded_name)
);
CREATE INDEX IF NOT EXISTS keys_in_order ON keys (parent, seq);
CREATE TABLE IF NOT EXISTS "values" (
    key_id INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded_name TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    seq INTEGER NOT NULL,
    UNIQUE (key_id, folded_name)
);
CREATE INDEX IF NOT EXISTS values_in_order ON "values" (key_id, seq);
)sql";

// WAL lets readers go on while another process writes. Switching to it needs
// the file alone for a moment, and SQLite does not wait for that through the
// busy handler, so two processes opening a new hive at once wait here instead.
void EnableWal(sqlite3* db)
{
    for (int waited = 0;; waited += kRetryMs) {
        const int result = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (result == SQLITE_OK) return;
        if (result != SQLITE_BUSY || waited >= kBusyTimeoutMs) ThrowSqlite(result);
        sqlite3_sleep(kRetryMs);
    }
}

} // namespace

Hive::Hive(std::filesystem::path file) : file_(std::move(file)), owner_(getpid()), db_(OpenDatabase(file_.string()))
{
    sqlite3_busy_timeout(db_.get(), kBusyTimeoutMs);
    EnableWal(db_.get());
    // Every commit survives a crash of the process, if not of the machine.
    Execute(db_.get(), "PRAGMA synchronous=NORMAL");
    {
        Transaction schema(*this, Mode::Write);
        Execute(db_.get(), kSchema);
        schema.Commit();
    }
    struct stat status {};
    if (stat(file_.c_str(), &status) != 0) Fail(ERROR_CANTOPEN);
    device_ = status.st_dev;
    inode_ = status.st_ino;
}

Hive::~Hive()
{
    // Closing the parent's connection in a forked child could undo the
    // parent's locks and journal; leave it to the parent.
    if (getpid() != owner_) static_cast<void>(db_.release());
}

bool Hive::IsCurrent() const
{
    struct stat status {};
    return getpid() == owner_ && stat(file_.c_str(), &status) == 0 && status.st_dev == device_ &&
           status.st_ino == inode_;
}

Hive::Transaction::Transaction(Hive& hive, Mode mode) : db_(hive.db_.get()), lock_(hive.mutex_)
{
    if (getpid() != hive.owner_) Fail(ERROR_INVALID_HANDLE);
    Execute(db_, mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    open_ = true;
}

Hive::Transaction::~Transaction()
{
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Hive::Transaction::Commit()
{
    Execute(db_, "COMMIT");
    open_ = false;
}

bool Hive::Transaction::Exists(KeyId key)
{
    if (key == kRootKey) return true;
    return Statement(db_, "SELECT 1 FROM keys WHERE id = ?1").Bind(1, key).Step();
}

Hive::Transaction::Walk Hive::Transaction::Descend(KeyId from, std::span<const Name> path)
{
    Walk walk{0, from};
    Statement child(db_, "SELECT id FROM keys WHERE parent = ?1 AND folded_name = ?2");
    for (const Name& name : path) {
        child.Bind(1, walk.key).Bind(2, name.folded);
        const bool found = child.Step();
        if (!found) break;
        walk.key = child.Integer(0);
        ++walk.depth;
        child.Reset();
    }
    return walk;
}

std::optional<KeyId> Hive::Transaction::Find(KeyId from, std::span<const Name> path)
{
    const Walk walk = Descend(from, path);
    if (walk.depth != path.size()) return std::nullopt;
    return walk.key;
}

KeyId Hive::Transaction::Create(KeyId from, std::span<const Name> path, bool& created)
{
    const Walk walk = Descend(from, path);
    created = walk.depth < path.size();
    KeyId parent = walk.key;
    for (const Name& name : path.subspan(walk.depth)) {
        Statement(db_, "INSERT INTO keys (parent, name, folded_name, seq) "
                       "SELECT ?1, ?2, ?3, COALESCE(MAX(seq), 0) + 1 FROM keys WHERE parent = ?1")
            .Bind(1, parent)
            .Bind(2, name.text)
            .Bind(3, name.folded)
            .Step();
        parent = sqlite3_last_insert_rowid(db_);
    }
    return parent;
}

namespace {
constexpr const char* kSubkeys = "SELECT name, folded_name FROM keys WHERE parent = ?1 ORDER BY seq";
constexpr const char* kValues =
    "SELECT name, folded_name, type, length(data) FROM \"values\" WHERE key_id = ?1 ORDER BY seq";
constexpr const char* kOneAt = " LIMIT 1 OFFSET ?2";

ValueInfo ValueRow(const Statement& row)
{
    return ValueInfo{Name{row.Text(0), row.Text(1)}, static_cast<DWORD>(row.Integer(2)),
                     static_cast<std::size_t>(row.Integer(3))};
}
} // namespace

std::vector<Name> Hive::Transaction::Subkeys(KeyId key)
{
    Statement list(db_, kSubkeys);
    list.Bind(1, key);
    std::vector<Name> names;
    while (list.Step())
        names.push_back(Name{list.Text(0), list.Text(1)});
    return names;
}

std::optional<Name> Hive::Transaction::SubkeyAt(KeyId key, std::size_t index)
{
    Statement one(db_, std::string(kSubkeys) + kOneAt);
    if (!one.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step()) return std::nullopt;
    return Name{one.Text(0), one.Text(1)};
}

bool Hive::Transaction::HasSubkeys(KeyId key)
{
    return Statement(db_, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1").Bind(1, key).Step();
}

void Hive::Transaction::DeleteBelow(KeyId key, bool withKey)
{
    const std::string tree = std::string("WITH RECURSIVE tree(id) AS (") +
                             (withKey ? "SELECT ?1" : "SELECT id FROM keys WHERE parent = ?1") +
                             " UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";
    Statement(db_, tree + "DELETE FROM \"values\" WHERE key_id = ?1 OR key_id IN tree").Bind(1, key).Step();
    Statement(db_, tree + "DELETE FROM keys WHERE id IN tree").Bind(1, key).Step();
}

void Hive::Transaction::Delete(KeyId key)
{
    DeleteBelow(key, true);
}

void Hive::Transaction::Clear(KeyId key)
{
    DeleteBelow(key, false);
}

std::vector<ValueInfo> Hive::Transaction::Values(KeyId key)
{
    Statement list(db_, kValues);
    list.Bind(1, key);
    std::vector<ValueInfo> values;
    while (list.Step())
        values.push_back(ValueRow(list));
    return values;
}

std::optional<ValueInfo> Hive::Transaction::ValueAt(KeyId key, std::size_t index)
{
    Statement one(db_, std::string(kValues) + kOneAt);
    if (!one.Bind(1, key).Bind(2, static_cast<std::int64_t>(index)).Step()) return std::nullopt;
    return ValueRow(one);
}

std::optional<ValueData> Hive::Transaction::Value(KeyId key, const std::string& folded)
{
    Statement get(db_, "SELECT type, data FROM \"values\" WHERE key_id = ?1 AND folded_name = ?2");
    get.Bind(1, key).Bind(2, folded);
    if (!get.Step()) return std::nullopt;
    const auto data = get.Blob(1);
    return ValueData{static_cast<DWORD>(get.Integer(0)), std::vector<BYTE>(data.begin(), data.end())};
}

void Hive::Transaction::SetValue(KeyId key, const Name& name, DWORD type, std::span<const BYTE> data)
{
    Statement(db_, "INSERT INTO \"values\" (key_id, name, folded_name, type, data, seq) "
                   "SELECT ?1, ?2, ?3, ?4, ?5, COALESCE(MAX(seq), 0) + 1 FROM \"values\" WHERE key_id = ?1 "
                   "ON CONFLICT (key_id, folded_name) DO UPDATE SET type = excluded.type, data = excluded.data")
        .Bind(1, key)
        .Bind(2, name.text)
        .Bind(3, name.folded)
        .Bind(4, std::int64_t{type})
        .BindBlob(5, data)
        .Step();
}

bool Hive::Transaction::DeleteValue(KeyId key, const std::string& folded)
{
    Statement(db_, "DELETE FROM \"values\" WHERE key_id = ?1 AND folded_name = ?2").Bind(1, key).Bind(2, folded).Step();
    return sqlite3_changes(db_) > 0;
}

} // namespace pal::registry
