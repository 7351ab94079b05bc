// kvrtool table: the JSON dump, the loading routine's messages, conversion,
// and the exit statuses and first error lines the tool promises.
#include <gtest/gtest.h>

#include "tables/memtable.h"
#include "tables/schemas.h"
#include "test_support/run_process.h"
#include "test_support/temp_dir.h"

namespace kvr {
namespace {

using test::FirstLine;
using test::RunProcess;

std::string Tool(const std::string& args) { return std::string(KVRTOOL_PATH) + " table " + args; }

class TableCommandTest : public ::testing::Test {
protected:
    // One row of every kind of value the dump writes.
    std::string SaveSample(TableFormat format, const char* name) {
        TMemTable table("mtSample");
        table.DefaultFormat = format;
        table.FieldDefs.Add("Id", FieldType::Integer);
        table.FieldDefs.Add("Name", FieldType::String, 20);
        table.FieldDefs.Add("On", FieldType::Boolean);
        table.FieldDefs.Add("Rate", FieldType::Float);
        table.FieldDefs.Add("Money", FieldType::Currency);
        table.FieldDefs.Add("When", FieldType::DateTime);
        table.IndexDefs.Add("ById", "Id", ixUnique);
        table.Open();
        table.Append();
        table.FieldByName("Id").SetAsInteger(-7);
        table.FieldByName("Name").SetAsString("O'Brien \"Caf\xe9\"");
        table.FieldByName("On").SetAsBoolean(true);
        table.FieldByName("Rate").SetAsFloat(0.1);
        table.FieldByName("Money").SetAsCurrency(12.3456);
        table.FieldByName("When").SetAsDateTime(45292.5);
        table.Post();
        table.Append();
        table.FieldByName("Id").SetAsInteger(8);
        table.Post();
        const std::string path = dir.File(name);
        table.SaveToFile(path);
        return path;
    }
    test::TempDir dir;
};

TEST_F(TableCommandTest, DumpWritesFieldsIndexesAndRowsAsJson) {
    const std::string file = SaveSample(TableFormat::Binary, "sample.bin");
    const auto result = RunProcess(Tool("dump --from binary '" + file + "'"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "{\"fields\":["
              "{\"name\":\"Id\",\"type\":\"Integer\",\"size\":0,\"label\":\"Id\",\"mask\":\"\",\"width\":10,"
              "\"required\":false,\"readonly\":false,\"visible\":true,\"kind\":\"Data\",\"default\":\"\"},"
              "{\"name\":\"Name\",\"type\":\"String\",\"size\":20,\"label\":\"Name\",\"mask\":\"\",\"width\":20,"
              "\"required\":false,\"readonly\":false,\"visible\":true,\"kind\":\"Data\",\"default\":\"\"},"
              "{\"name\":\"On\",\"type\":\"Boolean\",\"size\":0,\"label\":\"On\",\"mask\":\"\",\"width\":5,"
              "\"required\":false,\"readonly\":false,\"visible\":true,\"kind\":\"Data\",\"default\":\"\"},"
              "{\"name\":\"Rate\",\"type\":\"Float\",\"size\":0,\"label\":\"Rate\",\"mask\":\"\",\"width\":10,"
              "\"required\":false,\"readonly\":false,\"visible\":true,\"kind\":\"Data\",\"default\":\"\"},"
              "{\"name\":\"Money\",\"type\":\"Currency\",\"size\":0,\"label\":\"Money\",\"mask\":\"\",\"width\":10,"
              "\"required\":false,\"readonly\":false,\"visible\":true,\"kind\":\"Data\",\"default\":\"\"},"
              "{\"name\":\"When\",\"type\":\"DateTime\",\"size\":0,\"label\":\"When\",\"mask\":\"\",\"width\":18,"
              "\"required\":false,\"readonly\":false,\"visible\":true,\"kind\":\"Data\",\"default\":\"\"}],"
              "\"indexes\":[{\"name\":\"ById\",\"fields\":\"Id\",\"descending\":false,\"caseInsensitive\":false,"
              "\"nonMaintained\":false,\"unique\":true}],"
              "\"rows\":["
              "{\"status\":0,\"values\":[-7,\"O'Brien \\\"Caf\xc3\xa9\\\"\",true,0.1,12.3456,45292.5]},"
              "{\"status\":0,\"values\":[8,null,null,null,null,null]}]}\n");
}

TEST_F(TableCommandTest, CsvFilesDumpTheSameValues) {
    const std::string binary = SaveSample(TableFormat::Binary, "sample.bin");
    const std::string csv = SaveSample(TableFormat::Csv, "sample.csv");
    const auto fromBinary = RunProcess(Tool("dump --from binary '" + binary + "'"));
    const auto fromCsv = RunProcess(Tool("dump --from csv '" + csv + "'"));
    ASSERT_EQ(fromCsv.exitCode, 0) << fromCsv.err;
    // A CSV line cannot tell a null text or Boolean before the line's end from
    // an empty one: those read back as empty text and false.
    std::string expected = fromBinary.out;
    const std::string nulls = "[8,null,null,null,null,null]";
    expected.replace(expected.find(nulls), nulls.size(), "[8,\"\",false,null,null,null]");
    EXPECT_EQ(fromCsv.out, expected);
}

TEST_F(TableCommandTest, LoadGoesThroughTheLoadingRoutine) {
    TMemTable table("mtQBEmp");
    table.DefaultFormat = TableFormat::Binary;
    table.FieldDefs.Add("Id", FieldType::Integer);
    table.FieldDefs.Add("Clock", FieldType::Time);  // no copy for this type
    table.IndexDefs.Add("U", "Id", ixUnique);
    table.Open();
    for (const char* id : {"", "0", "3"}) {
        table.Append();
        table.FieldByName("Id").SetAsString(id);
        table.FieldByName("Clock").SetAsString("10:00:00");
        table.Post();
    }
    const std::string file = dir.File("emp.bin");
    table.SaveToFile(file);
    const auto result = RunProcess(Tool("load --from binary '" + file + "'"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "LoadMemoryTable: Duplicate index value. Operation aborted.\n");
    EXPECT_NE(result.out.find("\"rows\":[{\"status\":0,\"values\":[0]},{\"status\":0,\"values\":[3]}]"), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("Clock"), std::string::npos);
}

TEST_F(TableCommandTest, CanonicalBinaryFileConvertsToTheSameBytes) {
    TMemTable emp("mtQBEmp");
    emp.DefaultFormat = TableFormat::Binary;
    CreateQBEmployeeTable(emp);
    emp.Append();
    emp.FieldByName("LastName").SetAsString("M\xfcller");
    emp.FieldByName("ListId").SetAsString("80000001-1");
    emp.FieldByName("HiredDate").SetAsString("05/04/2018");
    emp.Post();
    const std::string in = dir.File("qbEmp.bin");
    emp.SaveToFile(in);
    const std::string out = dir.File("copy.bin");
    const auto result = RunProcess(Tool("convert --from binary --to binary '" + in + "' '" + out + "'"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(test::TempDir::Read(out), test::TempDir::Read(in));

}

TEST_F(TableCommandTest, FailuresPrintTheSystemsMessage) {
    const std::string notTable = dir.Write("bad.bin", "TPX0....");
    const std::string truncated = dir.Write("cut.bin", std::string("TPF0\x03\xfb", 6));
    const std::string missing = dir.File("missing.bin");
    const struct {
        std::string args;
        std::string firstLine;
    } cases[] = {
        {"dump --from binary '" + notTable + "'", "Invalid stream format"},
        {"dump --from binary '" + truncated + "'", "Stream read error"},
        {"load --from binary '" + notTable + "'", "LoadMemoryTable:Invalid stream format"},
        {"load --from binary '" + truncated + "'", "LoadMemoryTable:Stream read error"},
        {"dump --from binary '" + missing + "'", "Cannot open file \"" + missing + "\". No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const auto result = RunProcess(Tool(c.args));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(FirstLine(result.err), c.firstLine);
    }
}

TEST_F(TableCommandTest, WrongArgumentsExitWithStatusTwo) {
    for (const char* args : {"", "dump", "dump --from xml f", "dump --to binary f", "convert --from binary x y",
                             "convert --from binary --to json a b", "frobnicate"}) {
        SCOPED_TRACE(args);
        const auto result = RunProcess(Tool(args));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err.rfind("usage: kvrtool table", 0), 0u) << result.err;
    }
}

}  // namespace
}  // namespace kvr
