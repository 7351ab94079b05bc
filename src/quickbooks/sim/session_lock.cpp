// Session exclusion through SQLite's file locks; see session_lock.h.
#include "quickbooks/sim/session_lock.h"

#include "quickbooks/qb_error.h"
#include "quickbooks/qb_session.h"
#include "quickbooks/sim/sqlite_statement.h"

namespace kvr::qbsim {

SessionLock::SessionLock(const std::string& companyPath, int openMode) : lockPath_(companyPath + "-lock") {
    // A rollback-journal database: a read transaction holds a shared lock
    // that other readers may share, an exclusive transaction holds the file
    // alone, and neither waits.
    bool taken = false;
    if (openMode == omSingleUser) {
        taken = TryTake(true);
        singleUser_ = true;
    } else if (openMode == omMultiUser) {
        taken = TryTake(false);
    } else {
        taken = TryTake(true);
        singleUser_ = taken;
        if (!taken) taken = TryTake(false);
    }
    if (!taken) throw QBError(kQBErrModeInUse);
}

SessionLock::~SessionLock() { sqlite3_close(db_); }

bool SessionLock::TryTake(bool exclusive) {
    sqlite3_close(db_);
    db_ = nullptr;
    if (sqlite3_open_v2(lockPath_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        FailSqlite(db_);
    sqlite3_exec(db_, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    const int rc = sqlite3_exec(db_, "CREATE TABLE IF NOT EXISTS session (mode TEXT)", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && rc != SQLITE_BUSY && rc != SQLITE_LOCKED) FailSqlite(db_);
    if (rc == SQLITE_OK) {
        if (exclusive) {
            if (sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK) return true;
        } else if (sqlite3_exec(db_, "BEGIN DEFERRED; SELECT count(*) FROM session", nullptr, nullptr, nullptr) ==
                   SQLITE_OK) {
            return true;
        }
    }
    // A failed attempt may leave a pending lock that would keep readers out; only closing drops it.
    sqlite3_close(db_);
    db_ = nullptr;
    return false;
}

}  // namespace kvr::qbsim
