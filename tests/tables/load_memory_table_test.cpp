// Loading table files through the scratch table, and field copying.
#include <gtest/gtest.h>

#include <filesystem>

#include "tables/load_memory_table.h"
#include "tables/schemas.h"
#include "tables/util_table.h"
#include "table_fixture.h"
#include "test_support/temp_dir.h"

namespace kvr {
namespace {

using test::AddRow;

class LoadMemoryTableTest : public ::testing::Test {
protected:
    LoadMemoryTableTest() {
        scratch.DefaultFormat = TableFormat::Binary;
        source.DefaultFormat = TableFormat::Binary;
    }
    std::string Save(TMemTable& table, const char* name) {
        const std::string path = dir.File(name);
        table.SaveToFile(path);
        return path;
    }
    bool Load(const std::string& path, TMemTable& target, std::optional<TableFormat> format = std::nullopt) {
        return LoadMemoryTable(path, target, TableLoader{scratch, util, [&](const std::string& m) { messages.push_back(m); },
                                                        [&] { ++events; }},
                               format);
    }
    test::TempDir dir;
    TMemTable scratch{"mtDummy"};
    TMemTable source{"mtSource"};
    std::vector<std::string> messages;
    TU_Table util{[&](const std::string& m) { messages.push_back(m); }};
    int events = 0;
};

TEST_F(LoadMemoryTableTest, FieldListTextQuotesNamesWithBlanks) {
    test::DefineTable(source, {{"Id", FieldType::Integer}, {"Last Name", FieldType::String, 20},
                               {"Hire Date", FieldType::Date}, {"Wide", FieldType::WideString, 10},
                               {"When", FieldType::Time}});
    EXPECT_EQ(TU_Table::GetFld_Defs(source, false), "Id,\"Last Name\",\"Hire Date\"~I0,S20,D0");
    TMemTable target("mtTarget");
    util.CopyTableFldDefs(source, target, false);
    ASSERT_EQ(target.FieldDefs.Count(), 3);
    EXPECT_EQ(target.FieldDefs[1].Name, "Last Name");
    EXPECT_EQ(target.FieldDefs[1].DataType, FieldType::String);
    EXPECT_EQ(target.FieldDefs[1].Size, 20);
    EXPECT_EQ(target.FieldDefs[2].DataType, FieldType::DateTime);
}

TEST_F(LoadMemoryTableTest, ChopSplitsAtTheFirstSeparator) {
    std::string text = "a~b~c";
    EXPECT_EQ(TU_Table::Chop(text, '~'), "a");
    EXPECT_EQ(text, "b~c");
    text = "abc";
    EXPECT_EQ(TU_Table::Chop(text, '~'), "abc");
    EXPECT_EQ(text, "");
}

TEST_F(LoadMemoryTableTest, MalformedSizeCodeIsReportedAndSkipped) {
    TMemTable target("mtTarget");
    util.LoadFields(target, "A,B,C", "S1x,I0,q0");
    ASSERT_EQ(messages, (std::vector<std::string>{"Unknown data type for memory table :S1x"}));
    ASSERT_EQ(target.FieldDefs.Count(), 1);
    EXPECT_EQ(target.FieldDefs[0].Name, "B");
}

TEST_F(LoadMemoryTableTest, QuickBooksCacheLoadsWithItsFirstIndexCurrent) {
    CreateQBEmployeeTable(source);
    AddRow(source, {"Zed", "Amy", "01/02/2003", "", "True", "12", "8000-2"});
    AddRow(source, {"Able", "Bob", "", "1 Main St", "False", "", "8000-1"});
    const std::string path = Save(source, "qbEmp.bin");

    TMemTable target("mtQBEmp");
    ASSERT_TRUE(Load(path, target));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(events, 1);
    EXPECT_EQ(target.IndexName(), "QBEmpIndex1");
    EXPECT_EQ(target.IndexDefs.Count(), 4);
    EXPECT_EQ(test::Column(target, "ListId"), (std::vector<std::string>{"8000-1", "8000-2"}));
    target.First();
    // Null numbers and dates arrive as zero; null texts as empty text; Booleans stay as they were.
    EXPECT_FALSE(target.FieldByName("ID").IsNull());
    EXPECT_EQ(target.FieldByName("ID").AsInteger(), 0);
    EXPECT_FALSE(target.FieldByName("HiredDate").IsNull());
    EXPECT_EQ(target.FieldByName("HiredDate").AsDateTime(), 0.0);
    EXPECT_FALSE(target.FieldByName("LastName").IsNull());
    EXPECT_FALSE(target.FieldByName("IsActive").AsBoolean());
}

TEST_F(LoadMemoryTableTest, EmptyFileGivesTheFilesStructureWithoutRows) {
    CreateQBWageTable(source);
    const std::string path = Save(source, "qbEarnCodes.bin");
    TMemTable target("mtQBPay");
    test::DefineTable(target, {{"Other", FieldType::Integer}});
    AddRow(target, {"1"});
    ASSERT_TRUE(Load(path, target));
    EXPECT_EQ(target.RecordCount(), 0);
    EXPECT_EQ(target.FieldCount(), 5);
    EXPECT_EQ(target.FindField("Other"), nullptr);
    EXPECT_EQ(target.IndexName(), "QBPayIndex1");
}

TEST_F(LoadMemoryTableTest, TypesWithoutACodeAreLeftOut) {
    test::DefineTable(source, {{"A", FieldType::Integer}, {"W", FieldType::Word}, {"B", FieldType::Integer}});
    AddRow(source, {"1", "2", "3"});
    const std::string path = Save(source, "x.bin");
    TMemTable target("mtTarget");
    ASSERT_TRUE(Load(path, target));
    ASSERT_EQ(target.FieldCount(), 2);
    target.First();
    EXPECT_EQ(target.FieldByName("B").AsInteger(), 3);
}

TEST_F(LoadMemoryTableTest, RowThatCannotBeStoredIsReportedAndSkipped) {
    // Null and 0 are different keys in the file but both become 0 in the target.
    test::DefineTable(source, {{"Id", FieldType::Integer}, {"Name", FieldType::String, 5}}, {{"U", "Id", ixUnique}});
    AddRow(source, {"<null>", "a"});
    AddRow(source, {"0", "b"});
    AddRow(source, {"5", "c"});
    const std::string path = Save(source, "dup.bin");
    TMemTable target("mtTarget");
    ASSERT_TRUE(Load(path, target));
    EXPECT_EQ(messages, (std::vector<std::string>{"LoadMemoryTable: Duplicate index value. Operation aborted."}));
    EXPECT_EQ(test::Column(target, "Name"), (std::vector<std::string>{"a", "c"}));
}

TEST_F(LoadMemoryTableTest, UnreadableFileLeavesTheTargetAsItWas) {
    TMemTable target("mtTarget");
    test::DefineTable(target, {{"Keep", FieldType::Integer}});
    AddRow(target, {"1"});
    const std::string bad = dir.Write("bad.bin", "not a table");
    EXPECT_FALSE(Load(bad, target));
    EXPECT_EQ(messages, (std::vector<std::string>{"LoadMemoryTable:Invalid stream format"}));
    EXPECT_EQ(target.RecordCount(), 1);
    messages.clear();
    EXPECT_FALSE(Load(dir.File("missing.bin"), target));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("LoadMemoryTable:Cannot open file", 0), 0u) << messages[0];
    EXPECT_EQ(target.RecordCount(), 1);
}

TEST_F(LoadMemoryTableTest, AFormatNamedForOneLoadDoesNotChangeTheScratchFormat) {
    test::DefineTable(source, {{"Id", FieldType::Integer}});
    AddRow(source, {"4"});
    source.DefaultFormat = TableFormat::Csv;
    const std::string csv = Save(source, "list.csv");
    TMemTable target("mtTarget");
    EXPECT_FALSE(Load(csv, target)) << "the scratch table reads binary";
    messages.clear();
    ASSERT_TRUE(Load(csv, target, TableFormat::Csv));
    EXPECT_EQ(scratch.DefaultFormat, TableFormat::Binary);
    EXPECT_EQ(test::Column(target, "Id"), (std::vector<std::string>{"4"}));
}

TEST_F(LoadMemoryTableTest, PostsIntoTheTargetRunItsEvents) {
    CreateQBWageTable(source);
    AddRow(source, {"1", "Regular", "Hourly", "True", "1"});
    AddRow(source, {"2", "Overtime", "Hourly", "True", "2"});
    const std::string path = Save(source, "wages.bin");
    TMemTable target("mtQBPay");
    int posts = 0;
    target.AfterPost = [&](TMemTable&) { ++posts; };
    ASSERT_TRUE(Load(path, target));
    EXPECT_EQ(posts, 2);
}

TEST_F(LoadMemoryTableTest, SaveThatFailsLeavesTheOldFileAsItWas) {
    test::DefineTable(source, {{"Id", FieldType::Integer}});
    AddRow(source, {"1"});
    const std::string path = Save(source, "cache.bin");
    const std::string before = test::TempDir::Read(path);
    // The CSV writer refuses a field name it could not read back.
    test::DefineTable(source, {{"A=B", FieldType::Integer}});
    source.DefaultFormat = TableFormat::Csv;
    EXPECT_NE(test::ErrorOf([&] { source.SaveToFile(path); }), "(no error)");
    EXPECT_EQ(test::TempDir::Read(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1)
        << "no temporary file is left behind";
}

}  // namespace
}  // namespace kvr
