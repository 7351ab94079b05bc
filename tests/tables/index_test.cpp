// Named indexes, uniqueness, key search, ranges, sorting and the filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/collation.h"
#include "table_fixture.h"

namespace kvr {
namespace {

using test::AddRow;
using test::Column;
using test::ErrorOf;
using Strings = std::vector<std::string>;

class IndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DefineTable(table,
                          {{"Id", FieldType::Integer}, {"Last", FieldType::String, 10}, {"Code", FieldType::String, 4}},
                          {{"ById", "Id", ixUnique},
                           {"ByName", "Last;Id"},
                           {"ByCode", "code"},
                           {"NoCase", "Last", ixCaseInsensitive},
                           {"Down", "Id", ixDescending}});
        AddRow(table, {"3", "smith", "REGL"});
        AddRow(table, {"1", "Adams", "OT"});
        AddRow(table, {"2", "Smith", "REGL"});
        AddRow(table, {"4", "<null>", "<null>"});
    }
    bool Find(const char* index, const std::vector<std::pair<const char*, const char*>>& key) {
        table.SetIndexName(index);
        table.SetKey();
        for (const auto& [field, value] : key) table.FieldByName(field).SetAsString(value);
        return table.GotoKey();
    }
    TMemTable table{"mtTest"};
};

TEST_F(IndexTest, NavigationFollowsTheActiveIndex) {
    const struct {
        const char* index;
        Strings ids;
    } cases[] = {
        {"ById", {"1", "2", "3", "4"}},
        {"Down", {"4", "3", "2", "1"}},
        {"ByName", {"4", "1", "3", "2"}},  // null first; lower case before upper case
        {"", {"3", "1", "2", "4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        table.SetIndexName(c.index);
        EXPECT_EQ(table.IndexName(), c.index);
        EXPECT_EQ(Column(table, "Id"), c.ids);
    }
}

TEST_F(IndexTest, UnknownIndexNameChangesNothing) {
    table.SetIndexName("ById");
    table.SetIndexName("NoSuchIndex");
    EXPECT_EQ(table.IndexName(), "ById");
}

TEST_F(IndexTest, DuplicateKeyInUniqueIndexIsRefused) {
    table.Append();
    table.FieldByName("Id").SetAsInteger(2);
    EXPECT_EQ(ErrorOf([&] { table.Post(); }), "Duplicate index value. Operation aborted.");
    table.Cancel();

    ASSERT_TRUE(Find("ById", {{"Id", "3"}}));
    table.Edit();
    table.FieldByName("Last").SetAsString("Jones");
    table.Post();  // its own unchanged key is no collision
    table.Edit();
    table.FieldByName("Id").SetAsInteger(1);
    EXPECT_EQ(ErrorOf([&] { table.Post(); }), "Duplicate index value. Operation aborted.");
    EXPECT_EQ(table.State(), TDataSetState::Edit);
    table.Cancel();
    EXPECT_EQ(Column(table, "Id"), (Strings{"1", "2", "3", "4"}));
}

TEST_F(IndexTest, EditedKeyMovesTheRowInEveryIndex) {
    ASSERT_TRUE(Find("ById", {{"Id", "1"}}));
    table.Edit();
    table.FieldByName("Id").SetAsInteger(9);
    table.Post();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 9) << "the cursor stays on the stored row";
    EXPECT_EQ(Column(table, "Id"), (Strings{"2", "3", "4", "9"}));
    table.SetIndexName("Down");
    EXPECT_EQ(Column(table, "Id"), (Strings{"9", "4", "3", "2"}));
}

TEST_F(IndexTest, KeySearch) {
    const struct {
        const char* index;
        std::vector<std::pair<const char*, const char*>> key;
        bool found;
        int id;
    } cases[] = {
        {"ById", {{"Id", "2"}}, true, 2},
        {"ById", {{"Id", "7"}}, false, 0},
        {"ByCode", {{"Code", "REGL"}}, true, 3},          // first of the equal keys in index order
        {"ByCode", {{"Code", "REGLULAR"}}, true, 3},      // the key is cut to the field's size
        {"ByCode", {}, true, 4},                         // an unset key field matches only null
        {"ByName", {{"Last", "Smith"}}, false, 0},       // "Id" left null: no row has a null Id
        {"ByName", {{"Last", "Smith"}, {"Id", "2"}}, true, 2},
        {"NoCase", {{"Last", "ADAMS"}}, true, 1},
        {"ByName", {{"Last", "ADAMS"}, {"Id", "1"}}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        table.SetIndexName("");
        table.First();  // on row 3
        EXPECT_EQ(Find(c.index, c.key), c.found);
        EXPECT_EQ(table.FieldByName("Id").AsInteger(), c.found ? c.id : 3) << "a failed search leaves the cursor";
        EXPECT_EQ(table.State(), TDataSetState::Browse);
    }
}

TEST_F(IndexTest, FilterHidesRowsFromNavigationCountAndSearch) {
    table.OnFilterRecord = [](TMemTable& t, bool& accept) { accept = t.FieldByName("Code").AsString() != "OT"; };
    table.SetFiltered(true);
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_FALSE(Find("ById", {{"Id", "1"}}));
    table.SetFiltered(false);
    EXPECT_EQ(table.RecordCount(), 4);
}

TEST_F(IndexTest, RowRejectedByTheFilterAfterItsEditMovesTheCursorOn) {
    table.SetIndexName("ById");
    table.OnFilterRecord = [](TMemTable& t, bool& accept) { accept = t.FieldByName("Code").AsString() != "X"; };
    table.SetFiltered(true);
    table.First();
    table.Edit();
    table.FieldByName("Code").SetAsString("X");
    table.Post();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 2);
    table.Last();
    table.Edit();
    table.FieldByName("Code").SetAsString("X");
    table.Post();
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 3) << "with no row after it, the previous one";
}

TEST_F(IndexTest, RangeShowsRowsBetweenTheKeys) {
    table.SetIndexName("ByName");
    table.SetRangeStart();
    table.FieldByName("Last").SetAsString("Smith");
    table.SetRangeEnd();
    table.FieldByName("Last").SetAsString("Smith");
    table.ApplyRange();
    EXPECT_EQ(Column(table, "Id"), (Strings{"2"}));
    EXPECT_EQ(table.RecordCount(), 1);
    table.CancelRange();
    EXPECT_EQ(table.RecordCount(), 4);

    table.SetIndexName("ById");
    table.SetRangeStart();
    table.FieldByName("Id").SetAsInteger(2);
    table.SetRangeEnd();
    table.FieldByName("Id").SetAsInteger(3);
    table.ApplyRange();
    EXPECT_EQ(Column(table, "Id"), (Strings{"2", "3"}));
    EXPECT_TRUE(Find("ById", {{"Id", "2"}}));
    table.SetIndexName("ById");
    table.SetRangeStart();
    table.FieldByName("Id").SetAsInteger(2);
    table.SetRangeEnd();
    table.FieldByName("Id").SetAsInteger(3);
    table.ApplyRange();
    EXPECT_FALSE(Find("ById", {{"Id", "4"}})) << "rows outside the range are not found";
}

TEST_F(IndexTest, SortOnOrdersByOneFieldAndKeepsTheCurrentRow) {
    ASSERT_TRUE(Find("ById", {{"Id", "2"}}));
    table.SortOn("Last");
    EXPECT_EQ(table.IndexName(), "");
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 2);
    EXPECT_EQ(Column(table, "Last"), (Strings{"", "Adams", "smith", "Smith"}));
    table.SortOn("");
    EXPECT_EQ(Column(table, "Id"), (Strings{"3", "1", "2", "4"}));
}

TEST_F(IndexTest, UpdateIndexesFollowsTheDefinitions) {
    table.SetIndexName("ByCode");
    table.IndexDefs.Clear();
    table.IndexDefs.Add("ByLast", "Last", ixDescending);
    table.UpdateIndexes();
    EXPECT_EQ(table.IndexName(), "") << "the active index was dropped";
    table.SetIndexName("ByLast");
    EXPECT_EQ(Column(table, "Id"), (Strings{"2", "3", "1", "4"}));
}

TEST(IndexOrder, LargeRandomTableMatchesASortedModel) {
    TMemTable table("mtBig");
    test::DefineTable(table, {{"Key", FieldType::Integer}, {"Name", FieldType::String, 8}},
                      {{"ByKey", "Key"}, {"ByName", "Name;Key", ixDescending}});
    table.SetIndexName("ByKey");
    std::mt19937 random(7);
    std::vector<int> keys;
    for (int i = 0; i < 5000; ++i) {
        const int key = static_cast<int>(random() % 1000);
        keys.push_back(key);
        table.Append();
        table.FieldByName("Key").SetAsInteger(key);
        table.FieldByName("Name").SetAsString("n" + std::to_string(key % 37));
        table.Post();
    }
    // Re-key a tenth of the rows, found by key search, so rows move inside the index.
    for (int i = 0; i < 500; ++i) {
        table.SetKey();
        table.FieldByName("Key").SetAsInteger(keys[static_cast<std::size_t>(i)]);
        ASSERT_TRUE(table.GotoKey());
        table.Edit();
        const int key = 1000 + i;
        table.FieldByName("Key").SetAsInteger(key);
        table.Post();
        keys[static_cast<std::size_t>(i)] = key;
    }
    std::sort(keys.begin(), keys.end());
    std::vector<int> seen;
    for (table.First(); !table.Eof(); table.Next()) seen.push_back(table.FieldByName("Key").AsInteger());
    EXPECT_EQ(seen, keys);

    table.SetIndexName("ByName");
    std::string previous;
    int previousKey = 0;
    int count = 0;
    for (table.First(); !table.Eof(); table.Next(), ++count) {
        const std::string name = table.FieldByName("Name").AsString();
        const int key = table.FieldByName("Key").AsInteger();
        if (count > 0) {
            const int order = CollateText(previous, name, false);
            ASSERT_TRUE(order > 0 || (order == 0 && previousKey >= key)) << previous << " " << name;
        }
        previous = name;
        previousKey = key;
    }
    EXPECT_EQ(count, 5000);
}

}  // namespace
}  // namespace kvr

namespace kvr {
namespace {

// An index sorted in one go after a load must order rows exactly as the same
// index kept up row by row, or key search (which bisects) would miss rows.
TEST(IndexOrder, RebuiltIndexMatchesTheMaintainedOne) {
    TMemTable posted("mtPosted");
    posted.DefaultFormat = TableFormat::Binary;
    test::DefineTable(posted,
                      {{"Name", FieldType::String, 6}, {"Rate", FieldType::Float}, {"On", FieldType::Boolean},
                       {"Id", FieldType::Integer}},
                      {{"Mixed", "Name;Rate;On", ixCaseInsensitive}, {"Down", "Rate;Name", ixDescending},
                       {"ById", "Id", ixUnique}});
    const char* names[] = {"abc", "ABC", "Abd", "", "<null>", "éa", "ea", "Zz", "zZ", "b"};
    const char* rates[] = {"1.5", "-0", "0", "<null>", "-2.25", "1E300", "1.5"};
    std::mt19937 random(11);
    for (int i = 0; i < 3000; ++i) {
        test::AddRow(posted, {names[random() % 10], rates[random() % 7], random() % 3 == 0 ? "<null>" : (random() % 2 ? "True" : "False"),
                              std::to_string(i)});
    }
    TMemTable loaded("mtLoaded");
    loaded.DefaultFormat = TableFormat::Binary;
    loaded.LoadFromBytes(posted.SaveToBytes());
    for (const char* index : {"Mixed", "Down", "ById"}) {
        SCOPED_TRACE(index);
        posted.SetIndexName(index);
        loaded.SetIndexName(index);
        EXPECT_EQ(test::Column(posted, "Id"), test::Column(loaded, "Id"));
    }
}

}  // namespace
}  // namespace kvr
