// A prepared SQLite statement that finalizes itself and turns every SQLite
// failure into EQBSessionError with the database's own text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sqlite3.h>

namespace kvr::qbsim {

[[noreturn]] void FailSqlite(sqlite3* db);

// Runs statements that return no rows.
void ExecSql(sqlite3* db, const char* sql);

class Statement {
public:
    Statement(sqlite3* db, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as in SQLite.
    Statement& Bind(int index, std::string_view text);
    Statement& Bind(int index, std::int64_t value);

    // True when a row is ready, false when the statement is done.
    bool Step();
    void Reset();

    std::string Text(int column) const;
    std::int64_t Int(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace kvr::qbsim
