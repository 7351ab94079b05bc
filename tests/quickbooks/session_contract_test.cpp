// The session manager contract, written once and run over every
// implementation this platform can run.
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "quickbooks/qb_session.h"
#include "quickbooks/sim/sim_session_manager.h"
#include "qb_test_company.h"

namespace kvr::test {
namespace {

struct Implementation {
    const char* name;
    std::function<std::unique_ptr<IQBSessionManager>()> create;
};

const Implementation kImplementations[] = {
    {"CoQBSessionManager", [] { return CoQBSessionManager(); }},
    {"Simulator", [] { return std::make_unique<qbsim::SimSessionManager>(); }},
};

constexpr const char* kAppName = "Korvex Payroll Interface";

class SessionContract : public testing::TestWithParam<Implementation> {
protected:
    void SetUp() override {
        company_ = MakeDemoCompany(dir_);
        manager_ = GetParam().create();
    }

    std::string Query() {
        return Envelope("<EmployeeQueryRq requestID=\"1\"><MaxReturned>9999</MaxReturned></EmployeeQueryRq>");
    }

    TempDir dir_;
    std::string company_;
    std::unique_ptr<IQBSessionManager> manager_;
};

TEST_P(SessionContract, ConversationInTheProgramsOrderAnswersTheRequest) {
    manager_->OpenConnection("", kAppName);
    manager_->BeginSession(company_, omDontCare);
    EXPECT_NE(manager_->GetCurrentCompanyFileName().find("demo.qbw"), std::string::npos);
    const auto response = manager_->DoRequestsFromXMLString(Query());
    manager_->EndSession();
    manager_->CloseConnection();
    const std::string text = response->ToXMLString();
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" ?>", 0), 0u);
    EXPECT_NE(text.find("<EmployeeQueryRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" "
                        "statusMessage=\"Status OK\">"),
              std::string::npos);
}

TEST_P(SessionContract, OneManagerServesOneConversationAfterAnother) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        manager_->OpenConnection("", kAppName);
        manager_->BeginSession(company_, omDontCare);
        EXPECT_NE(manager_->DoRequestsFromXMLString(Query())->ToXMLString().find("EmployeeRet"), std::string::npos);
        manager_->EndSession();
        manager_->CloseConnection();
    }
}

TEST_P(SessionContract, ClosingStepsAfterAFailedBeginLeaveTheBeginError) {
    manager_->OpenConnection("", kAppName);
    ExpectQBError([&] { manager_->BeginSession(dir_.File("missing.qbw"), omDontCare); }, kQBErrCannotStart,
                  "Could not start QuickBooks.");
    manager_->EndSession();
    manager_->CloseConnection();
    manager_->OpenConnection("", kAppName);  // the connection really closed
    manager_->CloseConnection();
}

TEST_P(SessionContract, EndAndCloseWithNothingOpenDoNothing) {
    manager_->EndSession();
    manager_->CloseConnection();
    manager_->OpenConnection("", kAppName);
    manager_->EndSession();
    manager_->CloseConnection();
}

TEST_P(SessionContract, CallsOutOfOrderAreRefused) {
    struct Case {
        const char* name;
        std::function<void(IQBSessionManager&, const std::string&)> steps;
        const char* text;
    };
    const std::string request = Query();
    const Case cases[] = {
        {"begin before open", [](IQBSessionManager& m, const std::string& f) { m.BeginSession(f, omDontCare); },
         "BeginSession was called before OpenConnection."},
        {"second open",
         [](IQBSessionManager& m, const std::string&) {
             m.OpenConnection("", kAppName);
             m.OpenConnection("", kAppName);
         },
         "OpenConnection was called while a connection is open."},
        {"request without session",
         [&](IQBSessionManager& m, const std::string&) {
             m.OpenConnection("", kAppName);
             m.DoRequestsFromXMLString(request);
         },
         "DoRequestsFromXMLString was called outside a session."},
        {"second begin",
         [](IQBSessionManager& m, const std::string& f) {
             m.OpenConnection("", kAppName);
             m.BeginSession(f, omDontCare);
             m.BeginSession(f, omDontCare);
         },
         "BeginSession was called while a session is active."},
        {"file name outside session",
         [](IQBSessionManager& m, const std::string&) {
             m.OpenConnection("", kAppName);
             m.GetCurrentCompanyFileName();
         },
         "GetCurrentCompanyFileName was called outside a session."},
        {"close before end",
         [](IQBSessionManager& m, const std::string& f) {
             m.OpenConnection("", kAppName);
             m.BeginSession(f, omDontCare);
             m.CloseConnection();
         },
         "CloseConnection was called before EndSession."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto manager = GetParam().create();
        ExpectQBError([&] { c.steps(*manager, company_); }, kQBErrOrder, c.text);
        manager->EndSession();
        manager->CloseConnection();
    }
}

TEST_P(SessionContract, MalformedRequestFailsTheCallWithQuickBooksParseText) {
    manager_->OpenConnection("", kAppName);
    manager_->BeginSession(company_, omDontCare);
    ExpectQBError([&] { manager_->DoRequestsFromXMLString("<QBXML><QBXMLMsgsRq"); }, kQBErrParse,
                  "QuickBooks found an error when parsing the provided XML text stream.");
    // The session survives a refused request.
    EXPECT_NE(manager_->DoRequestsFromXMLString(Query())->ToXMLString().find("EmployeeRet"), std::string::npos);
    manager_->EndSession();
    manager_->CloseConnection();
}

TEST_P(SessionContract, TextCrossesAsUtf8) {
    manager_->OpenConnection("", kAppName);
    manager_->BeginSession(company_, omDontCare);
    const std::string text = manager_->DoRequestsFromXMLString(Query())->ToXMLString();
    manager_->EndSession();
    manager_->CloseConnection();
    EXPECT_NE(text.find("<LastName>Wi\xc5\x9bniewski</LastName>"), std::string::npos);
    EXPECT_NE(text.find("<LastName>O&apos;Brien</LastName>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(AllSessionManagers, SessionContract, testing::ValuesIn(kImplementations),
                         [](const testing::TestParamInfo<Implementation>& p) { return p.param.name; });

}  // namespace
}  // namespace kvr::test
