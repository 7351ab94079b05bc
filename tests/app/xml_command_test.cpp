// kvrtool xml: format, compact and value over a file, and its errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support/run_process.h"
#include "test_support/temp_dir.h"

namespace kvr {
namespace {

using test::RunProcess;

class XmlCommandTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string Tool(const std::string& args) { return std::string(KVRTOOL_PATH) + " xml " + args; }
    std::string Write(const std::string& bytes) { return "'" + dir.Write("in.xml", bytes) + "'"; }
};

TEST_F(XmlCommandTest, PrintsTheIndentedCompactAndValueForms) {
    const std::string file = Write(
        "<?xml version=\"1.0\" ?>\r\n<QBXML><QBXMLMsgsRs><EmployeeQueryRs requestID=\"1\">"
        "<EmployeeRet><Name>Caf\xE9 O'Neil</Name></EmployeeRet></EmployeeQueryRs></QBXMLMsgsRs></QBXML>");
    const struct {
        std::string args;
        std::string out;
    } cases[] = {
        {"format " + file,
         "<QBXML>\n  <QBXMLMsgsRs>\n    <EmployeeQueryRs requestID=\"1\">\n      <EmployeeRet>\n        <Name>\n"
         "          Caf\xE9 O&apos;Neil\n        </Name>\n      </EmployeeRet>\n    </EmployeeQueryRs>\n"
         "  </QBXMLMsgsRs>\n</QBXML>\n"},
        {"compact " + file,
         "<QBXML><QBXMLMsgsRs><EmployeeQueryRs requestID=\"1\"><EmployeeRet><Name>Caf\xE9 O'Neil</Name>"
         "</EmployeeRet></EmployeeQueryRs></QBXMLMsgsRs></QBXML>\n"},
        {"value " + file + " QBXMLMsgsRs/EmployeeQueryRs/EmployeeRet/Name", "Caf\xE9 O'Neil\n"},
        {"value " + file + " qbxmlmsgsrs/EmployeeQueryRs/requestID", "1\n"},
        {"value " + file + " Missing", "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const auto result = RunProcess(Tool(c.args));
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(XmlCommandTest, AReaderErrorGivesCodePositionAndMessage) {
    const struct {
        std::string text;
        std::string firstLine;
    } cases[] = {
        {"<a> <b></a>", "1001 8 Close tag expected"},
        {"</a>", "1002 1 Open tag missed"},
        {"<?xml version=\"1.0\" ?>\n", "1003 24 Tag expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string file = Write(c.text);
        for (const std::string& args : {"format " + file, "compact " + file, "value " + file + " a"}) {
            const auto result = RunProcess(Tool(args));
            EXPECT_EQ(result.exitCode, 1);
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(test::FirstLine(result.err), c.firstLine);
        }
    }
}

TEST_F(XmlCommandTest, WrongArgumentsAndMissingFiles) {
    const std::string file = Write("<a/>");
    for (const std::string& args : std::vector<std::string>{"", "format", "format " + file + " extra", "value " + file, "print " + file}) {
        SCOPED_TRACE(args);
        const auto result = RunProcess(Tool(args));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage: kvrtool xml"), std::string::npos);
    }
    const auto missing = RunProcess(Tool("format '" + dir.File("absent.xml") + "'"));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("absent.xml"), std::string::npos);
}

}  // namespace
}  // namespace kvr
