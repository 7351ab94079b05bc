// kvrtool company: creating, listing, requests through the session manager
// and the stored fault plan, as the acceptance checks use them.
#include <string>

#include <gtest/gtest.h>

#include "test_support/run_process.h"
#include "test_support/temp_dir.h"

namespace kvr::test {
namespace {

const std::string kTool = KVRTOOL_PATH;

class CompanyCommand : public testing::Test {
protected:
    ProcessResult Run(const std::string& arguments, const std::string& input = {}) {
        return RunProcess(kTool + " company " + arguments, input);
    }
    std::string Quoted(const std::string& path) { return "'" + path + "'"; }

    std::string Demo(const std::string& extra = {}) {
        const std::string path = dir_.File("demo.qbw");
        const ProcessResult created = Run("create " + Quoted(path) + " --demo" + extra);
        EXPECT_EQ(created.exitCode, 0) << created.err;
        return path;
    }

    static std::string Request(std::string_view body, std::string_view version = "QBD 9.0") {
        return "<?xml version=\"1.0\" ?>\r\n<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML " + std::string(version) +
               "//EN' 'http://developer.intuit.com'>\r\n<QBXML>\r\n<QBXMLMsgsRq onError=\"stopOnError\">\r\n" +
               std::string(body) + "\r\n</QBXMLMsgsRq>\r\n</QBXML>\r\n";
    }

    TempDir dir_;
};

int Lines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

TEST_F(CompanyCommand, WrongArgumentsExitWithUsage) {
    const std::string file = Quoted(dir_.File("c.qbw"));
    for (const std::string& args :
         {std::string(), std::string("create"), "frobnicate " + file, "create " + file + " --edition UK",
          "create " + file + " --edition", "create " + file + " --demo --demo", "list " + file,
          "list " + file + " customers", std::string("request"), "request " + file + " extra", "fault " + file,
          "fault " + file + " request 1 sideways 0x80040402", "fault " + file + " begin-session 80040402",
          "fault " + file + " entry x 3180", "fault " + file + " clear now"}) {
        SCOPED_TRACE(args);
        const ProcessResult result = Run(args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(FirstLine(result.err).rfind("usage: kvrtool company", 0), 0u) << result.err;
    }
}

TEST_F(CompanyCommand, DemoCompanyListsItsEmployeesAndWageItems) {
    const std::string file = Quoted(Demo());
    const ProcessResult employees = Run("list " + file + " employees");
    ASSERT_EQ(employees.exitCode, 0) << employees.err;
    EXPECT_EQ(FirstLine(employees.out),
              "ListID\tName\tIsActive\tFirstName\tMiddleName\tLastName\tAddr1\tHiredDate\tTimeCreated\tTimeModified\t"
              "EditSequence");
    EXPECT_EQ(Lines(employees.out), 26);
    EXPECT_NE(employees.out.find("\tMary O'Brien\ttrue\tMary\t\tO'Brien\t"), std::string::npos);
    EXPECT_NE(employees.out.find("\t\xc5\x81ukasz\t"), std::string::npos);

    const ProcessResult wages = Run("list " + file + " wage-items");
    ASSERT_EQ(wages.exitCode, 0) << wages.err;
    EXPECT_EQ(FirstLine(wages.out), "ListID\tName\tIsActive\tWageType\tTimeCreated\tTimeModified\tEditSequence");
    EXPECT_EQ(Lines(wages.out), 7);

    const ProcessResult time = Run("list " + file + " time");
    EXPECT_EQ(time.exitCode, 0);
    EXPECT_EQ(Lines(time.out), 1);
}

TEST_F(CompanyCommand, RequestPrintsTheResponseAndStoresTheEntry) {
    const std::string path = Demo();
    const ProcessResult employees = Run("list " + Quoted(path) + " employees");
    const std::size_t row = employees.out.find("\tJohn Smith\t");
    const std::size_t start = employees.out.rfind('\n', row) + 1;
    const std::string listID = employees.out.substr(start, row - start);
    const ProcessResult wages = Run("list " + Quoted(path) + " wage-items");
    const std::size_t wageRow = wages.out.find("\tRegular Pay\t");
    const std::size_t wageStart = wages.out.rfind('\n', wageRow) + 1;
    const std::string wageID = wages.out.substr(wageStart, wageRow - wageStart);

    const std::string add = "<TimeTrackingAddRq requestID=\"1\">\r\n<TimeTrackingAdd>\r\n<TxnDate>2018-03-05</TxnDate>\r\n"
                            "<EntityRef>\r\n<ListID>" + listID + "</ListID>\r\n</EntityRef>\r\n<Duration>PT8H30M</Duration>\r\n"
                            "<PayrollItemWageRef>\r\n<ListID>" + wageID + "</ListID>\r\n</PayrollItemWageRef>\r\n"
                            "<BillableStatus>NotBillable</BillableStatus>\r\n</TimeTrackingAdd>\r\n</TimeTrackingAddRq>";
    const ProcessResult response = Run("request " + Quoted(path), Request(add));
    ASSERT_EQ(response.exitCode, 0) << response.err;
    EXPECT_NE(response.out.find("<TimeTrackingAddRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" "
                                "statusMessage=\"Status OK\">"),
              std::string::npos)
        << response.out;
    const ProcessResult time = Run("list " + Quoted(path) + " time");
    EXPECT_EQ(Lines(time.out), 2);
    EXPECT_NE(time.out.find("\t2018-03-05\t" + listID + "\tJohn Smith\tPT8H30M0S\t" + wageID + "\tRegular Pay\tNotBillable\t"),
              std::string::npos)
        << time.out;
}

TEST_F(CompanyCommand, FailuresPrintQuickBooksTextAndExitWithOne) {
    const std::string path = Demo(" --edition CA");
    const std::string query = "<EmployeeQueryRq requestID=\"1\"/>";
    const struct {
        const char* name;
        std::string file, input, error;
    } cases[] = {
        {"not a company file", dir_.Write("x.qbw", "text"), Request(query), "Could not start QuickBooks.\n"},
        {"malformed request", path, "<QBXML>", "QuickBooks found an error when parsing the provided XML text stream.\n"},
        {"US version on a Canadian company", path, Request(query),
         "The version of QBXML that was requested is not supported or is unknown.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessResult result = Run("request " + Quoted(c.file), c.input);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, c.error);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(Run("request " + Quoted(path), Request(query, "QBD CA9.0")).exitCode, 0);
}

TEST_F(CompanyCommand, CreateRefusesAnExistingFile) {
    const std::string path = Demo();
    const ProcessResult again = Run("create " + Quoted(path));
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "Cannot create company file \"" + path + "\". It already exists.\n");
}

TEST_F(CompanyCommand, StoredFaultPlanFailsTheProgramsCalls) {
    const std::string file = Quoted(Demo());
    const std::string query = Request("<EmployeeQueryRq requestID=\"1\"/>");
    ASSERT_EQ(Run("fault " + file + " begin-session 0x80040418").exitCode, 0);
    ASSERT_EQ(Run("fault " + file + " request 1 after 0x80040402 'The answer was lost.'").exitCode, 0);
    ASSERT_EQ(Run("fault " + file + " entry 2 3180").exitCode, 0);
    const ProcessResult shown = Run("fault " + file + " show");
    EXPECT_EQ(shown.out,
              "Kind\tCall\tOrdinal\tPhase\tCode\tText\n"
              "call\tbegin-session\t0\tbefore\t0x80040418\t\n"
              "call\trequest\t1\tafter\t0x80040402\tThe answer was lost.\n"
              "refusal\tentry\t2\t\t3180\t\n");

    ProcessResult result = Run("request " + file, query);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "This application has not accessed this QuickBooks company data file before.\n");

    ASSERT_EQ(Run("fault " + file + " clear").exitCode, 0);
    ASSERT_EQ(Run("fault " + file + " request 1 after 0x80040402 'The answer was lost.'").exitCode, 0);
    result = Run("request " + file, query);
    EXPECT_EQ(result.err, "The answer was lost.\n");

    ASSERT_EQ(Run("fault " + file + " clear").exitCode, 0);
    EXPECT_EQ(Run("fault " + file + " show").out, "Kind\tCall\tOrdinal\tPhase\tCode\tText\n");
    EXPECT_EQ(Run("request " + file, query).exitCode, 0);
}

}  // namespace
}  // namespace kvr::test
