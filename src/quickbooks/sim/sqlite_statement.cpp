// SQLite statements; see sqlite_statement.h.
#include "quickbooks/sim/sqlite_statement.h"

#include "quickbooks/qb_error.h"
#include "support/codepage.h"

namespace kvr::qbsim {

void FailSqlite(sqlite3* db) {
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const std::string text = "The company file \"" + std::string(file ? file : "") +
                             "\" could not be used: " + (db ? sqlite3_errmsg(db) : "out of memory");
    throw EQBSessionError(kQBErrUnexpected, Utf8ToAnsi(text));
}

void ExecSql(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) FailSqlite(db);
}

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) FailSqlite(db);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, std::string_view text) {
    if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        FailSqlite(db_);
    return *this;
}

Statement& Statement::Bind(int index, std::int64_t value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) FailSqlite(db_);
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    FailSqlite(db_);
}

void Statement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(stmt_, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
                : std::string();
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

}  // namespace kvr::qbsim
