// Planned faults: each call of a conversation can fail with a chosen
// HRESULT and text, set through the API or stored in the company file.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "quickbooks/sim/sim_session_manager.h"
#include "qb_test_company.h"

namespace kvr::test {
namespace {

using qbsim::CallFault;
using qbsim::FaultCall;
using qbsim::FaultPhase;
using qbsim::FaultPlan;

// What happened to one conversation run in the program's order: two
// time entries sent, closing steps also after a failure.
struct Outcome {
    std::string failedStep;  // empty when none failed
    QBResult hresult = 0;
    std::string text;
    std::vector<std::string> responses;
};

class SimulatorFault : public testing::Test {
protected:
    void SetUp() override {
        company_ = MakeDemoCompany(dir_);
        request_ = Envelope(TimeAdd("2018-03-05", EmployeeListID(company_, "John Smith"), "PT8H",
                                    WageItemListID(company_, "Regular Pay")),
                            "continueOnError");
    }

    Outcome Converse(qbsim::SimSessionManager& manager) {
        Outcome outcome;
        const auto step = [&](const char* name, auto&& call) {
            if (!outcome.failedStep.empty() && std::string_view(name) != "end" && std::string_view(name) != "close")
                return;
            try {
                call();
            } catch (const EQBSessionError& e) {
                if (outcome.failedStep.empty()) outcome = {name, e.HResult(), e.what(), outcome.responses};
            }
        };
        step("open", [&] { manager.OpenConnection("", "Korvex Payroll Interface"); });
        step("begin", [&] { manager.BeginSession(company_, omDontCare); });
        for (int i = 0; i < 2; ++i)
            step("request", [&] { outcome.responses.push_back(manager.DoRequestsFromXMLString(request_)->ToXMLString()); });
        step("end", [&] { manager.EndSession(); });
        step("close", [&] { manager.CloseConnection(); });
        return outcome;
    }

    std::size_t Stored() { return qbsim::CompanyFile(company_).TimeEntries().size(); }

    TempDir dir_;
    std::string company_, request_;
};

struct FaultCase {
    const char* name;
    CallFault fault;
    const char* failedStep;
    const char* text;
    std::size_t stored;
};

const FaultCase kFaultCases[] = {
    {"open connection", {FaultCall::OpenConnection, 0, FaultPhase::Before, kQBErrNoAccess, ""}, "open",
     "Could not access QuickBooks.", 0},
    {"begin session", {FaultCall::BeginSession, 0, FaultPhase::Before, kQBErrAppNotAuthorised, ""}, "begin",
     "This application has not accessed this QuickBooks company data file before.", 0},
    {"first request before", {FaultCall::Request, 1, FaultPhase::Before, 0x80040402, "QuickBooks stopped."}, "request",
     "QuickBooks stopped.", 0},
    {"first request after", {FaultCall::Request, 1, FaultPhase::After, 0x80040402, "The answer was lost."}, "request",
     "The answer was lost.", 1},
    {"second request before", {FaultCall::Request, 2, FaultPhase::Before, kQBErrModalDialog, "A dialog is open."},
     "request", "A dialog is open.", 1},
    {"end session", {FaultCall::EndSession, 0, FaultPhase::Before, kQBErrUnexpected, ""}, "end", "Unexpected error.", 2},
    {"close connection", {FaultCall::CloseConnection, 0, FaultPhase::Before, 0x80004005, "Closing failed."}, "close",
     "Closing failed.", 2},
    {"text outside ASCII", {FaultCall::BeginSession, 0, FaultPhase::Before, 0x80040420, "\xc3\x89" "chec"}, "begin",
     "\xc9" "chec", 0},
};

TEST_F(SimulatorFault, PlanSetThroughTheApiFailsTheChosenCall) {
    std::size_t storedBefore = 0;
    for (const FaultCase& c : kFaultCases) {
        SCOPED_TRACE(c.name);
        qbsim::SimSessionManager manager;
        manager.SetFaultPlan({{c.fault}, {}});
        const Outcome outcome = Converse(manager);
        EXPECT_EQ(outcome.failedStep, c.failedStep);
        EXPECT_EQ(outcome.hresult, c.fault.hresult);
        EXPECT_EQ(outcome.text, c.text);
        const std::size_t stored = Stored();
        EXPECT_EQ(stored - storedBefore, c.stored);
        storedBefore = stored;
        // Whatever failed, the manager is left closed and can start again.
        manager.UseStoredFaultPlan();
        EXPECT_EQ(Converse(manager).failedStep, "");
        storedBefore = Stored();
    }
}

TEST_F(SimulatorFault, PlanStoredInTheCompanyFileFailsTheChosenCall) {
    for (const FaultCase& c : kFaultCases) {
        SCOPED_TRACE(c.name);
        qbsim::CompanyFile(company_).StoreFaultPlan({{c.fault}, {}});
        qbsim::SimSessionManager manager;
        Outcome outcome = Converse(manager);
        if (c.fault.call == FaultCall::OpenConnection) {
            // No file is named when a connection opens: the plan of the file of the last session applies.
            EXPECT_EQ(outcome.failedStep, "");
            outcome = Converse(manager);
        }
        EXPECT_EQ(outcome.failedStep, c.failedStep);
        EXPECT_EQ(outcome.hresult, c.fault.hresult);
        EXPECT_EQ(outcome.text, c.text);
    }
}

TEST_F(SimulatorFault, OrdinalCountsTheCallsOfTheManager) {
    qbsim::SimSessionManager manager;
    manager.SetFaultPlan({{{FaultCall::BeginSession, 2, FaultPhase::Before, kQBErrModeInUse, ""}}, {}});
    EXPECT_EQ(Converse(manager).failedStep, "");
    EXPECT_EQ(Converse(manager).failedStep, "begin");
    EXPECT_EQ(Converse(manager).failedStep, "");
}

TEST_F(SimulatorFault, PlannedRefusalAnswersTheChosenEntryWithTheChosenStatus) {
    qbsim::SimSessionManager manager;
    manager.SetFaultPlan({{}, {{2, 3180, "There was an error when saving a Time Tracking."}}});
    const Outcome outcome = Converse(manager);
    ASSERT_EQ(outcome.responses.size(), 2u);
    EXPECT_NE(outcome.responses[0].find("statusCode=\"0\""), std::string::npos);
    EXPECT_NE(outcome.responses[1].find("<TimeTrackingAddRs requestID=\"1\" statusCode=\"3180\" statusSeverity=\"Error\" "
                                        "statusMessage=\"There was an error when saving a Time Tracking.\" />"),
              std::string::npos)
        << outcome.responses[1];
    EXPECT_EQ(Stored(), 1u);
}

TEST_F(SimulatorFault, StoredPlanRoundTripsAndClears) {
    const FaultPlan plan{{{FaultCall::Request, 3, FaultPhase::After, 0x80040402, "lost"},
                          {FaultCall::CloseConnection, 0, FaultPhase::Before, 0x80040401, ""}},
                         {{4, 3140, "refused"}}};
    qbsim::CompanyFile(company_).StoreFaultPlan(plan);
    const FaultPlan read = qbsim::CompanyFile(company_).LoadFaultPlan();
    ASSERT_EQ(read.calls.size(), 2u);
    EXPECT_EQ(read.calls[0].call, FaultCall::Request);
    EXPECT_EQ(read.calls[0].ordinal, 3);
    EXPECT_EQ(read.calls[0].phase, FaultPhase::After);
    EXPECT_EQ(read.calls[0].hresult, 0x80040402u);
    EXPECT_EQ(read.calls[0].text, "lost");
    EXPECT_EQ(read.calls[1].call, FaultCall::CloseConnection);
    ASSERT_EQ(read.refusals.size(), 1u);
    EXPECT_EQ(read.refusals[0].ordinal, 4);
    EXPECT_EQ(read.refusals[0].statusCode, 3140);
    EXPECT_EQ(read.refusals[0].message, "refused");
    qbsim::CompanyFile(company_).StoreFaultPlan({});
    EXPECT_TRUE(qbsim::CompanyFile(company_).LoadFaultPlan().Empty());
}

}  // namespace
}  // namespace kvr::test
