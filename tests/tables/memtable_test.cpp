// The memory table's lifecycle, editing, navigation and events.
#include <gtest/gtest.h>

#include "table_fixture.h"

namespace kvr {
namespace {

using test::AddRow;
using test::Column;
using test::ErrorOf;

class MemTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DefineTable(table, {{"Id", FieldType::Integer}, {"Name", FieldType::String, 20}},
                          {{"ByName", "Name"}});
    }
    TMemTable table{"mtTest"};
};

TEST_F(MemTableTest, RowsKeepTheOrderTheyWereAdded) {
    AddRow(table, {"3", "c"});
    AddRow(table, {"1", "a"});
    AddRow(table, {"2", "b"});
    EXPECT_EQ(Column(table, "Id"), (std::vector<std::string>{"3", "1", "2"}));
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST_F(MemTableTest, InsertGoesBeforeTheCurrentRowInRowOrder) {
    AddRow(table, {"1", "a"});
    AddRow(table, {"2", "b"});
    table.First();
    table.Next();
    table.Insert();
    table.FieldByName("Id").SetAsInteger(9);
    table.Post();
    EXPECT_EQ(Column(table, "Id"), (std::vector<std::string>{"1", "9", "2"}));
    // Under a named index the new row takes its key position instead.
    table.SetIndexName("ByName");
    table.First();
    table.Insert();
    table.FieldByName("Name").SetAsString("zz");
    table.Post();
    EXPECT_EQ(Column(table, "Name"), (std::vector<std::string>{"", "a", "b", "zz"}));
}

TEST_F(MemTableTest, ManyInsertsBeforeTheSameRowKeepTheirOrder) {
    AddRow(table, {"0", "end"});
    for (int i = 1; i <= 100; ++i) {
        table.Last();
        table.Insert();
        table.FieldByName("Id").SetAsInteger(i);
        table.Post();
    }
    table.Last();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 0);
    table.First();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 1);
    table.Next();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 2);
}

TEST_F(MemTableTest, EditOnAnEmptyTableStartsANewRow) {
    table.Edit();
    EXPECT_EQ(table.State(), TDataSetState::Insert);
    table.FieldByName("Id").SetAsInteger(5);
    table.Post();
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(MemTableTest, CancelAbandonsNewAndEditedRows) {
    AddRow(table, {"1", "a"});
    table.Edit();
    table.FieldByName("Name").SetAsString("changed");
    table.Cancel();
    EXPECT_EQ(table.FieldByName("Name").AsString(), "a");
    table.Append();
    table.FieldByName("Id").SetAsInteger(2);
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(MemTableTest, MovingStoresAWrittenRowAndDropsAnUntouchedOne) {
    AddRow(table, {"1", "a"});
    table.Append();
    table.First();
    EXPECT_EQ(table.RecordCount(), 1) << "a new row with no field written is abandoned";
    table.Append();
    table.FieldByName("Id").SetAsInteger(2);
    table.First();
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.State(), TDataSetState::Browse);
}

TEST_F(MemTableTest, ChangeStatusFollowsEdits) {
    AddRow(table, {"1", "a"});
    table.First();
    EXPECT_EQ(table.RecordStatus(), 0);
    table.Edit();
    table.Post();
    EXPECT_EQ(table.RecordStatus(), 0) << "nothing was written";
    table.Edit();
    table.FieldByName("Name").SetAsString("b");
    table.Post();
    EXPECT_EQ(table.RecordStatus(), 1);
}

TEST_F(MemTableTest, RequiredFieldMustHaveAValue) {
    table.FieldByName("Name").Required = true;
    table.FieldByName("Name").DisplayLabel = "Last Name";
    table.Append();
    table.FieldByName("Id").SetAsInteger(1);
    EXPECT_EQ(ErrorOf([&] { table.Post(); }), "Field 'Last Name' must have a value");
    EXPECT_EQ(table.State(), TDataSetState::Insert) << "a failed store keeps the pending row";
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 1);
}

TEST_F(MemTableTest, FailureMessagesOfTheTable) {
    EXPECT_EQ(ErrorOf([&] { table.FieldByName("Nope"); }), "mtTest: Field 'Nope' not found");
    EXPECT_EQ(table.FindField("nope"), nullptr);
    EXPECT_EQ(&table.FieldByName("NAME"), &table.FieldByName("name"));
    table.Close();
    EXPECT_EQ(ErrorOf([&] { table.RecordCount(); }), "mtTest: Cannot perform this operation on a closed dataset");
    TMemTable bare("mtBare");
    EXPECT_EQ(ErrorOf([&] { bare.Open(); }), "There must be at least one field");
    EXPECT_EQ(ErrorOf([&] { bare.LoadFromFile("x"); }), "No format specified.");
}

TEST_F(MemTableTest, CloseAndOpenGiveAnEmptyTableWithTheSameDefinitions) {
    AddRow(table, {"1", "a"});
    table.Close();
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.FieldCount(), 0);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.IndexDefs.Count(), 1);
}

TEST_F(MemTableTest, EmptyTableKeepsDefinitionsAndActiveIndex) {
    table.SetIndexName("ByName");
    AddRow(table, {"1", "a"});
    table.EmptyTable();
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.IndexName(), "ByName");
    AddRow(table, {"2", "b"});
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST_F(MemTableTest, NavigationFlagsAndEvents) {
    int scrolls = 0, posts = 0;
    table.AfterScroll = [&](TMemTable&) { ++scrolls; };
    table.AfterPost = [&](TMemTable&) { ++posts; };
    table.First();
    EXPECT_TRUE(table.Eof());
    EXPECT_TRUE(table.BOF());
    AddRow(table, {"1", "a"});
    AddRow(table, {"2", "b"});
    EXPECT_EQ(posts, 2);
    scrolls = 0;
    table.First();
    EXPECT_FALSE(table.Eof());
    table.Next();
    table.Next();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 2) << "the cursor stays on the last row";
    table.Prior();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 1);
    EXPECT_EQ(scrolls, 3);
}

TEST_F(MemTableTest, ViewsAreToldOfChangesUnlessControlsAreDisabled) {
    int changes = 0;
    const int id = table.AddChangeListener([&](TableChange) { ++changes; });
    AddRow(table, {"1", "a"});
    EXPECT_GT(changes, 0);
    changes = 0;
    table.DisableControls();
    table.DisableControls();
    AddRow(table, {"2", "b"});
    table.EnableControls();
    EXPECT_EQ(changes, 0);
    table.EnableControls();
    EXPECT_EQ(changes, 1);
    table.RemoveChangeListener(id);
    AddRow(table, {"3", "c"});
    EXPECT_EQ(changes, 1);
}

TEST_F(MemTableTest, LongTextsAndManyFieldsSurviveEditing) {
    TMemTable wide("mtWide");
    std::vector<test::FieldSpec> fields;
    for (int i = 0; i < 20; ++i) fields.push_back({"T" + std::to_string(i), FieldType::Memo});
    test::DefineTable(wide, fields);
    wide.Append();
    for (int i = 0; i < 20; ++i) wide.Fields(i).SetAsString(std::string(static_cast<std::size_t>(i * 100), 'a' + i % 26));
    wide.Post();
    wide.Edit();
    wide.Fields(7).SetAsString("short");
    wide.Post();
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(wide.Fields(i).AsString(),
                  i == 7 ? "short" : std::string(static_cast<std::size_t>(i * 100), 'a' + i % 26));
    }
}

}  // namespace
}  // namespace kvr
