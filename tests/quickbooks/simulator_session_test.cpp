// Sessions on a simulated company file: which files open, which open modes
// exclude each other, across managers and processes, and what a process
// that dies leaves behind.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "quickbooks/sim/sim_session_manager.h"
#include "qb_test_company.h"

namespace kvr::test {
namespace {

constexpr const char* kModeInUse =
    "The QuickBooks company data file is currently open in a mode other than the one specified by your application.";

class SimulatorSession : public testing::Test {
protected:
    void SetUp() override { company_ = MakeDemoCompany(dir_); }

    static void Begin(qbsim::SimSessionManager& manager, const std::string& file, int mode) {
        manager.OpenConnection("", "Korvex Payroll Interface");
        try {
            manager.BeginSession(file, mode);
        } catch (...) {
            manager.CloseConnection();
            throw;
        }
    }
    static void Finish(qbsim::SimSessionManager& manager) {
        manager.EndSession();
        manager.CloseConnection();
    }

    TempDir dir_;
    std::string company_;
};

TEST_F(SimulatorSession, OnlySimulatorCompanyFilesOpen) {
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing file", dir_.File("missing.qbw")},
        {"empty path", ""},
        {"folder", dir_.Path().string()},
        {"text file", dir_.Write("notes.qbw", "QuickBooks company")},
        {"empty file", dir_.Write("empty.qbw", "")},
        {"other SQLite database", [&] {
             const std::string path = dir_.File("other.db");
             qbsim::CompanyFile::Create(path, "x", qbsim::Edition::US);
             std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(68);  // the application id of the SQLite header
             f.write("\0\0\0\0", 4);
             return path;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qbsim::SimSessionManager manager;
        ExpectQBError([&] { Begin(manager, c.path, omDontCare); }, kQBErrCannotStart, "Could not start QuickBooks.");
    }
}

TEST_F(SimulatorSession, OpenModesExcludeEachOtherAsQuickBooksDoes) {
    const struct {
        int held, asked;
        bool accepted;
    } cases[] = {
        {omSingleUser, omSingleUser, false}, {omSingleUser, omMultiUser, false}, {omSingleUser, omDontCare, false},
        {omMultiUser, omSingleUser, false},  {omMultiUser, omMultiUser, true},   {omMultiUser, omDontCare, true},
        {omDontCare, omMultiUser, false},    {omDontCare, omDontCare, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.held) + " then " + std::to_string(c.asked));
        qbsim::SimSessionManager first, second;
        Begin(first, company_, c.held);
        if (c.accepted) {
            Begin(second, company_, c.asked);
            Finish(second);
        } else {
            ExpectQBError([&] { Begin(second, company_, c.asked); }, kQBErrModeInUse, kModeInUse);
        }
        Finish(first);
        Begin(second, company_, c.asked);  // free again once the first has ended
        Finish(second);
    }
}

// A child process that holds a single-user session until told to stop or killed.
class SessionHolder {
public:
    explicit SessionHolder(const std::string& company) {
        if (pipe(ready_) != 0 || pipe(stop_) != 0) ADD_FAILURE() << "pipe";
        pid_ = fork();
        if (pid_ == 0) {
            char c = 0;
            int status = 1;
            try {
                qbsim::SimSessionManager manager;
                manager.OpenConnection("", "holder");
                manager.BeginSession(company, omSingleUser);
                c = 1;
                if (write(ready_[1], &c, 1) == 1 && read(stop_[0], &c, 1) >= 0) status = 0;
                manager.EndSession();
                manager.CloseConnection();
            } catch (...) {
                if (write(ready_[1], &c, 1) < 0) status = 2;
            }
            _exit(status);
        }
        char c = 0;
        EXPECT_EQ(read(ready_[0], &c, 1), 1);
        EXPECT_EQ(c, 1) << "the holder could not begin its session";
    }
    ~SessionHolder() {
        if (pid_ > 0) Stop();
        for (int fd : {ready_[0], ready_[1], stop_[0], stop_[1]}) close(fd);
    }
    void Stop() {
        const char c = 0;
        EXPECT_EQ(write(stop_[1], &c, 1), 1);
        Wait();
    }
    void Kill() {
        kill(pid_, SIGKILL);
        Wait();
    }

private:
    void Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    int ready_[2] = {-1, -1}, stop_[2] = {-1, -1};
    pid_t pid_ = -1;
};

TEST_F(SimulatorSession, SingleUserSessionOfAnotherProcessExcludesThisOne) {
    qbsim::SimSessionManager manager;
    {
        SessionHolder holder(company_);
        ExpectQBError([&] { Begin(manager, company_, omDontCare); }, kQBErrModeInUse, kModeInUse);
        ExpectQBError([&] { Begin(manager, company_, omMultiUser); }, kQBErrModeInUse, kModeInUse);
        holder.Stop();
        Begin(manager, company_, omDontCare);
        Finish(manager);
    }
    SessionHolder dying(company_);
    ExpectQBError([&] { Begin(manager, company_, omDontCare); }, kQBErrModeInUse, kModeInUse);
    dying.Kill();
    Begin(manager, company_, omDontCare);  // a dead process holds nothing
    Finish(manager);
}

TEST_F(SimulatorSession, ProcessDyingInsideARequestLeavesTheFileAsBefore) {
    const std::string smith = EmployeeListID(company_, "John Smith");
    const pid_t child = fork();
    if (child == 0) {
        qbsim::CompanyFile company(company_);
        company.BeginTransaction();
        qbsim::TimeEntry entry;
        entry.txnDate = "2018-03-05";
        entry.entityListID = smith;
        entry.durationSeconds = 3600;
        company.AddTimeEntry(entry);
        _exit(0);  // dies before the request commits
    }
    int status = 0;
    waitpid(child, &status, 0);
    qbsim::CompanyFile company(company_);
    EXPECT_TRUE(company.TimeEntries().empty());
    EXPECT_EQ(company.Employees().size(), 25u);
}

}  // namespace
}  // namespace kvr::test
