#include "pal/registry/sqlite.h"

#include "pal/registry/status.h"

namespace pal::registry {

namespace {
void Check(int result)
{
    if (result != SQLITE_OK) ThrowSqlite(result);
}
} // namespace

void ThrowSqlite(int result)
{
    switch (result & 0xFF) {
    case SQLITE_NOMEM:
        Fail(ERROR_OUTOFMEMORY);
    case SQLITE_CANTOPEN:
        Fail(ERROR_CANTOPEN);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        Fail(ERROR_REGISTRY_CORRUPT);
    case SQLITE_IOERR:
        Fail(ERROR_CANTREAD);
    default:
        // Busy past the timeout, read-only or full: the write could not be made.
        Fail(ERROR_CANTWRITE);
    }
}

Database OpenDatabase(const std::string& file)
{
    sqlite3* raw = nullptr;
    // Each connection is used under its hive's mutex, so SQLite need not lock it too.
    const int result =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Database db(raw);
    if (result != SQLITE_OK) Fail(ERROR_CANTOPEN);
    return db;
}

void Execute(sqlite3* db, const char* sql)
{
    Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

Statement::Statement(sqlite3* db, std::string_view sql)
{
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr);
    statement_.reset(raw);
    Check(result);
}

Statement& Statement::Bind(int index, std::int64_t value)
{
    Check(sqlite3_bind_int64(statement_.get(), index, value));
    return *this;
}

Statement& Statement::Bind(int index, std::string_view text)
{
    Check(sqlite3_bind_text64(statement_.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

Statement& Statement::BindBlob(int index, std::span<const BYTE> data)
{
    // A null pointer would bind NULL rather than an empty blob.
    static constexpr BYTE kEmpty = 0;
    Check(sqlite3_bind_blob64(statement_.get(), index, data.empty() ? &kEmpty : data.data(), data.size(),
                              SQLITE_TRANSIENT));
    return *this;
}

bool Statement::Step()
{
    const int result = sqlite3_step(statement_.get());
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    ThrowSqlite(result);
}

void Statement::Reset()
{
    sqlite3_reset(statement_.get());
    sqlite3_clear_bindings(statement_.get());
}

std::int64_t Statement::Integer(int column) const
{
    return sqlite3_column_int64(statement_.get(), column);
}

std::string Statement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column)))
                : std::string();
}

std::span<const BYTE> Statement::Blob(int column) const
{
    const auto* data = static_cast<const BYTE*>(sqlite3_column_blob(statement_.get(), column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_.get(), column));
    return data ? std::span<const BYTE>(data, size) : std::span<const BYTE>();
}

} // namespace pal::registry
