// Who may have a session on a company file: one single-user session alone,
// or any number of multi-user sessions, across every process. The lock lives
// in a small SQLite database beside the company file ("<file>-lock"), whose
// locks the operating system drops when a process dies.
#pragma once

#include <memory>
#include <string>

struct sqlite3;

namespace kvr::qbsim {

class SessionLock {
public:
    // Takes the lock for openMode (QBOpenMode; "don't care" joins the
    // multi-user sessions in effect, else goes single-user). Raises
    // EQBSessionError 0x80040410 when the file is held in a mode that
    // excludes it.
    SessionLock(const std::string& companyPath, int openMode);
    ~SessionLock();
    SessionLock(const SessionLock&) = delete;
    SessionLock& operator=(const SessionLock&) = delete;

    bool SingleUser() const { return singleUser_; }

private:
    bool TryTake(bool exclusive);

    std::string lockPath_;
    sqlite3* db_ = nullptr;
    bool singleUser_ = false;
};

}  // namespace kvr::qbsim
