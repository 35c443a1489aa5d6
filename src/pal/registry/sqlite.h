// Owning wrappers for the SQLite handles behind the hives. Every failure
// throws the registry status it maps to (see status.h).
#pragma once

#include "../base/types.h"

#include <cstdint>
#include <memory>
#include <span>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace pal::registry {

struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};

// Throws the status for a failed SQLite result code.
[[noreturn]] void ThrowSqlite(int result);

Database OpenDatabase(const std::string& file);

// Runs statements that return nothing the caller needs.
void Execute(sqlite3* db, const char* sql);

class Statement {
  public:
    Statement(sqlite3* db, std::string_view sql);

    Statement& Bind(int index, std::int64_t value);
    Statement& Bind(int index, std::string_view text);
    Statement& BindBlob(int index, std::span<const BYTE> data);

    // True while a row is ready; false once the statement is done.
    bool Step();
    // Ready to run again, with new bindings.
    void Reset();

    std::int64_t Integer(int column) const;
    std::string Text(int column) const;
    std::span<const BYTE> Blob(int column) const;

  private:
    std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement_;
};

} // namespace pal::registry
