// What the simulated company accepts and how it refuses, request by request.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "quickbooks/sim/sim_session_manager.h"
#include "qb_test_company.h"

namespace kvr::test {
namespace {

using qbsim::Edition;

class SimulatorRequest : public testing::Test {
protected:
    void SetUp() override {
        company_ = MakeDemoCompany(dir_);
        smith_ = EmployeeListID(company_, "John Smith");
        inactive_ = EmployeeListID(company_, "Thomas Martin");
        regular_ = WageItemListID(company_, "Regular Pay");
        manager_.OpenConnection("", "Korvex Payroll Interface");
        manager_.BeginSession(company_, omDontCare);
    }
    void TearDown() override {
        manager_.EndSession();
        manager_.CloseConnection();
    }

    std::string Send(const std::string& text) { return manager_.DoRequestsFromXMLString(text)->ToXMLString(); }

    std::vector<qbsim::TimeEntry> Entries() { return qbsim::CompanyFile(company_).TimeEntries(); }

    TempDir dir_;
    std::string company_, smith_, inactive_, regular_;
    qbsim::SimSessionManager manager_;
};

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

std::string QuotesEscaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '"' ? std::string("&quot;") : std::string(1, c);
    return out;
}

TEST_F(SimulatorRequest, AcceptedTimeEntryIsStoredAndAnsweredWithItsTransaction) {
    const std::string response = Send(Envelope(TimeAdd("2018-03-05", smith_, "PT8H30M", regular_), "continueOnError"));
    EXPECT_TRUE(Contains(response, "<TimeTrackingAddRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" "
                                   "statusMessage=\"Status OK\">"))
        << response;
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(Contains(response, "<TxnID>" + entries[0].txnID + "</TxnID>"));
    EXPECT_TRUE(Contains(response, "<Duration>PT8H30M0S</Duration>"));
    EXPECT_TRUE(Contains(response, "<FullName>John Smith</FullName>"));
    EXPECT_EQ(entries[0].txnDate, "2018-03-05");
    EXPECT_EQ(entries[0].durationSeconds, 8 * 3600 + 30 * 60);
    EXPECT_EQ(entries[0].entityListID, smith_);
    EXPECT_EQ(entries[0].payrollItemListID, regular_);
    EXPECT_EQ(entries[0].billableStatus, "NotBillable");
}

TEST_F(SimulatorRequest, SameEntrySentTwiceIsStoredTwiceWithDistinctIDs) {
    const std::string request = Envelope(TimeAdd("2018-03-05", smith_, "PT8H", regular_), "continueOnError");
    Send(request);
    Send(request);
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].txnID, entries[1].txnID);
    EXPECT_NE(entries[0].txnNumber, entries[1].txnNumber);
}

TEST_F(SimulatorRequest, TimeEntryRefusalsCarryQuickBooksStatus) {
    struct Case {
        const char* name;
        std::string body;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {"unknown employee", TimeAdd("2018-03-05", "80000999-1", "PT8H", regular_), 3140,
         "There is an invalid reference to QuickBooks Entity \"80000999-1\" in the Time Tracking."},
        {"inactive employee", TimeAdd("2018-03-05", inactive_, "PT8H", regular_), 3140,
         "There is an invalid reference to QuickBooks Entity \"" + inactive_ + "\" in the Time Tracking."},
        {"unknown wage item", TimeAdd("2018-03-05", smith_, "PT8H", "80000999-2"), 3140,
         "There is an invalid reference to QuickBooks Payroll Item Wage \"80000999-2\" in the Time Tracking."},
        {"no such day", TimeAdd("2018-02-29", smith_, "PT8H", regular_), 3020,
         "There was an error when converting the date value \"2018-02-29\" in the field \"TxnDate\"."},
        {"date in another form", TimeAdd("05/03/2018", smith_, "PT8H", regular_), 3020,
         "There was an error when converting the date value \"05/03/2018\" in the field \"TxnDate\"."},
        {"duration without parts", TimeAdd("2018-03-05", smith_, "PT", regular_), 3035,
         "There was an error when converting the time interval \"PT\" in the field \"Duration\"."},
        {"zero duration", TimeAdd("2018-03-05", smith_, "PT0H0M", regular_), 3035,
         "There was an error when converting the time interval \"PT0H0M\" in the field \"Duration\"."},
        {"negative duration", TimeAdd("2018-03-05", smith_, "-PT1H", regular_), 3035,
         "There was an error when converting the time interval \"-PT1H\" in the field \"Duration\"."},
        {"parts out of order", TimeAdd("2018-03-05", smith_, "PT30M8H", regular_), 3035,
         "There was an error when converting the time interval \"PT30M8H\" in the field \"Duration\"."},
        {"duration overflow", TimeAdd("2018-03-05", smith_, "PT99999999999999999999H", regular_), 3035,
         "There was an error when converting the time interval \"PT99999999999999999999H\" in the field \"Duration\"."},
        {"customer the company lacks",
         "<TimeTrackingAddRq requestID=\"1\"><TimeTrackingAdd><TxnDate>2018-03-05</TxnDate><EntityRef><ListID>" +
             smith_ + "</ListID></EntityRef><CustomerRef><FullName>Acme</FullName></CustomerRef>"
                      "<Duration>PT1H</Duration></TimeTrackingAdd></TimeTrackingAddRq>",
         3140, "There is an invalid reference to QuickBooks Customer \"Acme\" in the Time Tracking."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string response = Send(Envelope(c.body, "continueOnError"));
        const std::string expected = "<TimeTrackingAddRs requestID=\"1\" statusCode=\"" + std::to_string(c.code) +
                                     "\" statusSeverity=\"Error\" statusMessage=\"" +
                                     QuotesEscaped(c.message) + "\" />";
        EXPECT_TRUE(Contains(response, expected)) << response;
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(SimulatorRequest, DurationFormsAccepted) {
    const struct {
        const char* text;
        std::int64_t seconds;
    } cases[] = {{"PT8H30M", 30600}, {"PT8H", 28800}, {"PT45M", 2700}, {"PT90M", 5400}, {"PT1S", 1},
                 {"+PT2H", 7200},    {"PT1H1M1S", 3661}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string response = Send(Envelope(TimeAdd("2018-03-05", smith_, c.text, regular_)));
        EXPECT_TRUE(Contains(response, "statusCode=\"0\"")) << response;
    }
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), std::size(cases));
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].durationSeconds, cases[i].seconds);
}

TEST_F(SimulatorRequest, WholeCallFailsOnRequestsQuickBooksCannotParse) {
    struct Case {
        const char* name;
        std::string text;
    };
    const std::string add = TimeAdd("2018-03-05", smith_, "PT8H", regular_);
    const std::string query = "<EmployeeQueryRq requestID=\"1\"></EmployeeQueryRq>";
    const Case cases[] = {
        {"not XML", "hello"},
        {"unclosed element", Envelope("<EmployeeQueryRq requestID=\"1\">")},
        {"no version line", "<?xml version=\"1.0\" ?>\n<QBXML><QBXMLMsgsRq onError=\"stopOnError\">" + query +
                                "</QBXMLMsgsRq></QBXML>"},
        {"unknown version form", Envelope(query, "stopOnError", "<!DOCTYPE QBXML SYSTEM 'qbxml.dtd'>")},
        {"version line after root", "<QBXML><QBXMLMsgsRq onError=\"stopOnError\">" + query +
                                        "</QBXMLMsgsRq></QBXML>\n<?qbxml version=\"13.0\"?>"},
        {"no onError", "<?qbxml version=\"13.0\"?><QBXML><QBXMLMsgsRq>" + query + "</QBXMLMsgsRq></QBXML>"},
        {"unknown onError", Envelope(query, "ignoreErrors")},
        {"unknown request", Envelope("<InvoiceAddRq requestID=\"1\"/>")},
        {"unknown element in request",
         Envelope("<EmployeeQueryRq requestID=\"1\"><Colour>red</Colour></EmployeeQueryRq>")},
        {"elements out of schema order",
         Envelope("<TimeTrackingAddRq requestID=\"1\"><TimeTrackingAdd><EntityRef><ListID>" + smith_ +
                  "</ListID></EntityRef><TxnDate>2018-03-05</TxnDate><Duration>PT8H</Duration>"
                  "</TimeTrackingAdd></TimeTrackingAddRq>")},
        {"required Duration missing",
         Envelope("<TimeTrackingAddRq requestID=\"1\"><TimeTrackingAdd><EntityRef><ListID>" + smith_ +
                  "</ListID></EntityRef></TimeTrackingAdd></TimeTrackingAddRq>")},
        {"BillableStatus outside its values",
         Envelope(TimeAdd("2018-03-05", smith_, "PT8H", regular_, "<BillableStatus>Maybe</BillableStatus>"))},
        {"MaxReturned not a number",
         Envelope("<EmployeeQueryRq requestID=\"1\"><MaxReturned>all</MaxReturned></EmployeeQueryRq>")},
        {"MaxReturned zero", Envelope("<EmployeeQueryRq requestID=\"1\"><MaxReturned>0</MaxReturned></EmployeeQueryRq>")},
        {"ActiveStatus outside its values",
         Envelope("<EmployeeQueryRq requestID=\"1\"><ActiveStatus>Some</ActiveStatus></EmployeeQueryRq>")},
        {"identifiers with a filter",
         Envelope("<EmployeeQueryRq requestID=\"1\"><ListID>" + smith_ +
                  "</ListID><MaxReturned>5</MaxReturned></EmployeeQueryRq>")},
        {"unknown attribute", Envelope("<EmployeeQueryRq requestID=\"1\" colour=\"red\"/>")},
        {"malformed UTF-8", Envelope("<EmployeeQueryRq requestID=\"\xff\"/>")},
        {"good request after a bad one", Envelope(add + "<Bogus/>", "continueOnError")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectQBError([&] { Send(c.text); }, kQBErrParse,
                      "QuickBooks found an error when parsing the provided XML text stream.");
    }
    EXPECT_TRUE(Entries().empty());
}

TEST_F(SimulatorRequest, RequestCutAtEveryLengthFailsAsParseError) {
    const std::string whole = Envelope(TimeAdd("2018-03-05", smith_, "PT8H", regular_));
    const std::size_t complete = whole.rfind("</QBXML>") + std::string_view("</QBXML>").size();
    for (std::size_t length = 0; length < complete; ++length) {
        SCOPED_TRACE(length);
        ExpectQBError([&] { Send(whole.substr(0, length)); }, kQBErrParse,
                      "QuickBooks found an error when parsing the provided XML text stream.");
    }
    EXPECT_TRUE(Contains(Send(whole.substr(0, complete)), "statusCode=\"0\""));
    EXPECT_EQ(Entries().size(), 1u);
}

TEST_F(SimulatorRequest, VersionLineMustFitTheEdition) {
    const std::string query = "<EmployeeQueryRq requestID=\"1\"/>";
    const char* version = "The version of QBXML that was requested is not supported or is unknown.";
    const struct {
        const char* name;
        std::string_view line;
        bool accepted;
    } usCases[] = {
        {"US document type", kUSDoctype, true},
        {"US instruction", "<?qbxml version=\"13.0\"?>", true},
        {"CA document type", kCADoctype, false},
        {"CA instruction", "<?qbxml version=\"CA13.0\"?>", false},
        {"unsupported version", "<?qbxml version=\"99.0\"?>", false},
    };
    for (const auto& c : usCases) {
        SCOPED_TRACE(c.name);
        if (c.accepted) EXPECT_TRUE(Contains(Send(Envelope(query, "stopOnError", c.line)), "statusCode=\"0\""));
        else ExpectQBError([&] { Send(Envelope(query, "stopOnError", c.line)); }, kQBErrVersion, version);
    }

    TempDir caDir;
    const std::string ca = MakeDemoCompany(caDir, Edition::CA);
    qbsim::SimSessionManager canadian;
    canadian.OpenConnection("", "Korvex Payroll Interface");
    canadian.BeginSession(ca, omDontCare);
    EXPECT_TRUE(Contains(canadian.DoRequestsFromXMLString(Envelope(query, "stopOnError", kCADoctype))->ToXMLString(),
                         "statusCode=\"0\""));
    ExpectQBError([&] { canadian.DoRequestsFromXMLString(Envelope(query, "stopOnError", kUSDoctype)); },
                  kQBErrVersion, version);
    canadian.EndSession();
    canadian.CloseConnection();
}

TEST_F(SimulatorRequest, OnErrorDecidesWhatFollowsAFailedRequest) {
    const std::string bad = TimeAdd("2018-02-30", smith_, "PT1H", regular_);
    const std::string good = TimeAdd("2018-03-01", smith_, "PT1H", regular_);
    const struct {
        const char* mode;
        int responses;
        std::size_t stored;
    } cases[] = {{"stopOnError", 2, 1}, {"continueOnError", 3, 2}, {"rollbackOnError", 2, 0}};
    std::size_t before = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string response = Send(Envelope(good + bad + good, c.mode));
        std::size_t count = 0;
        for (std::size_t at = response.find("<TimeTrackingAddRs"); at != std::string::npos;
             at = response.find("<TimeTrackingAddRs", at + 1))
            ++count;
        EXPECT_EQ(count, static_cast<std::size_t>(c.responses)) << response;
        const std::size_t now = Entries().size();
        EXPECT_EQ(now - before, c.stored);
        before = now;
    }
}

TEST_F(SimulatorRequest, ListQueriesFollowActiveStatusAndMaxReturned) {
    const struct {
        const char* name;
        std::string body;
        int records;
    } cases[] = {
        {"employees, active by default", "<EmployeeQueryRq requestID=\"1\"/>", 23},
        {"employees, all", "<EmployeeQueryRq requestID=\"1\"><ActiveStatus>All</ActiveStatus></EmployeeQueryRq>", 25},
        {"employees, inactive",
         "<EmployeeQueryRq requestID=\"1\"><ActiveStatus>InactiveOnly</ActiveStatus></EmployeeQueryRq>", 2},
        {"employees, at most 5", "<EmployeeQueryRq requestID=\"1\"><MaxReturned>5</MaxReturned></EmployeeQueryRq>", 5},
        {"employees by ListID, inactive too",
         "<EmployeeQueryRq requestID=\"1\"><ListID>" + inactive_ + "</ListID></EmployeeQueryRq>", 1},
        {"wage items, active by default", "<PayrollItemWageQueryRq requestID=\"1\"/>", 5},
        {"wage items, all",
         "<PayrollItemWageQueryRq requestID=\"1\"><ActiveStatus>All</ActiveStatus></PayrollItemWageQueryRq>", 6},
        {"wage item by name in other case",
         "<PayrollItemWageQueryRq requestID=\"1\"><FullName>regular pay</FullName></PayrollItemWageQueryRq>", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string response = Send(Envelope(c.body));
        EXPECT_TRUE(Contains(response, "statusCode=\"0\""));
        int records = 0;
        for (std::size_t at = response.find("Ret>"); at != std::string::npos; at = response.find("Ret>", at + 1))
            ++records;
        EXPECT_EQ(records / 2, c.records) << response;
    }
}

TEST_F(SimulatorRequest, QueriesReportWhatTheyCouldNotFind) {
    const std::string missing = Send(Envelope("<EmployeeQueryRq requestID=\"2\"><ListID>1-2</ListID></EmployeeQueryRq>"));
    EXPECT_TRUE(Contains(missing, "<EmployeeQueryRs requestID=\"2\" statusCode=\"500\" statusSeverity=\"Warn\" "
                                  "statusMessage=\"The query request has not been fully completed. There was a "
                                  "required element (&quot;1-2&quot;) that could not be found in QuickBooks.\">"))
        << missing;
    const std::string empty = Send(Envelope("<TimeTrackingQueryRq requestID=\"3\"/>"));
    EXPECT_TRUE(Contains(empty, "<TimeTrackingQueryRs requestID=\"3\" statusCode=\"1\" statusSeverity=\"Info\" "
                                "statusMessage=\"A query request did not find a matching object in QuickBooks\""))
        << empty;
}

TEST_F(SimulatorRequest, NamesAreEscapedTheWayQuickBooksEscapes) {
    const std::string response = Send(Envelope("<EmployeeQueryRq requestID=\"a&amp;b\"/>"));
    EXPECT_TRUE(Contains(response, "<EmployeeQueryRs requestID=\"a&amp;b\""));
    EXPECT_TRUE(Contains(response, "<LastName>O&apos;Brien</LastName>"));
    EXPECT_TRUE(Contains(response, "<LastName>Smith &amp; Jones</LastName>"));
    EXPECT_TRUE(Contains(response, "<Addr1>88 Rue de l&apos;\xc3\x89glise</Addr1>"));
}

TEST_F(SimulatorRequest, TimeEntriesAreFoundByIdDateAndEntityAndDeleted) {
    const std::string mary = EmployeeListID(company_, "Mary O'Brien");
    Send(Envelope(TimeAdd("2018-03-05", smith_, "PT8H", regular_) + TimeAdd("2018-03-06", mary, "PT7H", regular_) +
                  TimeAdd("2018-03-07", smith_, "PT6H", regular_)));
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 3u);
    const struct {
        const char* name;
        std::string body;
        std::vector<std::string> txnIDs;
    } cases[] = {
        {"by id", "<TxnID>" + entries[1].txnID + "</TxnID>", {entries[1].txnID}},
        {"by dates", "<TxnDateRangeFilter><FromTxnDate>2018-03-06</FromTxnDate><ToTxnDate>2018-03-07</ToTxnDate>"
                     "</TxnDateRangeFilter>",
         {entries[1].txnID, entries[2].txnID}},
        {"by entity", "<EntityFilter><ListID>" + smith_ + "</ListID></EntityFilter>", {entries[0].txnID, entries[2].txnID}},
        {"by entity name", "<EntityFilter><FullName>Mary O&apos;Brien</FullName></EntityFilter>", {entries[1].txnID}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string response = Send(Envelope("<TimeTrackingQueryRq requestID=\"1\">" + c.body + "</TimeTrackingQueryRq>"));
        std::size_t count = 0;
        for (std::size_t at = response.find("<TxnID>"); at != std::string::npos; at = response.find("<TxnID>", at + 1))
            ++count;
        EXPECT_EQ(count, c.txnIDs.size()) << response;
        for (const std::string& id : c.txnIDs) EXPECT_TRUE(Contains(response, "<TxnID>" + id + "</TxnID>"));
    }
    const std::string del = "<TxnDelRq requestID=\"1\"><TxnDelType>TimeTracking</TxnDelType><TxnID>" +
                            entries[0].txnID + "</TxnID></TxnDelRq>";
    EXPECT_TRUE(Contains(Send(Envelope(del)), "statusCode=\"0\""));
    EXPECT_EQ(Entries().size(), 2u);
    EXPECT_TRUE(Contains(Send(Envelope(del)), "<TxnDelRs requestID=\"1\" statusCode=\"3120\" statusSeverity=\"Error\" "
                                              "statusMessage=\"Object &quot;" + entries[0].txnID +
                                                  "&quot; specified in the request cannot be found.\" />"));
}

}  // namespace
}  // namespace kvr::test
