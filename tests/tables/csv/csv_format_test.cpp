// Writing and reading CSV table files: the written bytes, definitions and
// values read back, and the reading rules for files from other writers.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/datetime.h"
#include "support/errors.h"
#include "tables/memtable.h"
#include "tables/table_formats.h"
#include "csv_test_support.h"

namespace kvr::test {
namespace {

using namespace std::string_literals;

class CsvFormatTest : public CsvFileTest {};

TEST_F(CsvFormatTest, WrittenBytes) {
    TMemTable table("Emp");
    UseCsv(table);
    table.FieldDefs.Add("Id", FieldType::Integer).DisplayWidth = 10;
    TFieldDef& name = table.FieldDefs.Add("Name", FieldType::String, 20, true);
    name.DisplayWidth = 20;
    table.IndexDefs.Add("ByName", "Name", ixUnique | ixCaseInsensitive);
    table.Open();
    table.Append();
    table.FieldByName("Id").SetAsInteger(7);
    table.FieldByName("Name").SetAsString("O\"Neil 50%");
    table.Post();
    table.Append();
    table.FieldByName("Name").SetAsString("B\r\n");
    table.Post();

    EXPECT_EQ(Save(table),
              "\"@@FILE VERSION@@\",\"251\"\r\n"
              "\"@@TABLEDEF START@@\"\r\n"
              "\"Id=Integer,0,\"\"Id\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n"
              "\"Name=String,20,\"\"Name\"\",\"\"\"\",20,REQ,Data,\"\"\"\"\"\r\n"
              "\"@@INDEXDEF START@@\"\r\n"
              "\"ByName=\"\"Name\"\",\"\"ByName\"\",CASE,UNIQ\"\r\n"
              "\"@@INDEXDEF END@@\"\r\n"
              "\"@@TABLEDEF END@@\"\r\n"
              "\"Id\",\"Name\",\r\n"
              "\"7\",\"O\"\"Neil 50%%\",\r\n"
              ",\"B%c%n\",\r\n");
}

// A table with every attribute a definition line carries, in every combination
// that matters, and indexes with every option.
void DefineEveryAttribute(TMemTable& table) {
    TFieldDef& code = table.FieldDefs.Add("Code", FieldType::String, 4, true);
    code.DisplayLabel = "Code \"A\",RO";
    code.EditMask = ">LLL;0;_";
    code.DisplayWidth = 6;
    code.Visible = false;
    code.DefaultExpression = "RO";
    TFieldDef& count = table.FieldDefs.Add("Count", FieldType::SmallInt);
    count.ReadOnly = true;
    count.DisplayWidth = 5;
    table.FieldDefs.Add("Calc", FieldType::Float).Kind = FieldKind::InternalCalc;
    table.FieldDefs.Add("Shown", FieldType::Integer).Kind = FieldKind::Calculated;
    table.FieldDefs.Add("Last Name", FieldType::String, 20).DisplayLabel = "Last name";
    table.IndexDefs.Add("I1", "Code;Count", ixDescending);
    table.IndexDefs.Add("I2", "Count", ixNonMaintained);
    table.IndexDefs.Add("I3", "Code", ixDescending | ixCaseInsensitive | ixNonMaintained | ixUnique).DisplayName =
        "Index three";
    table.IndexDefs.Add("I4", "Last Name");
}

TEST_F(CsvFormatTest, DefinitionsRoundTrip) {
    TMemTable original;
    UseCsv(original);
    DefineEveryAttribute(original);
    original.Open();
    const std::string written = Save(original);
    EXPECT_EQ(written.find("Shown"), std::string::npos) << "calculated fields are not stored";

    TMemTable read;
    UseCsv(read);
    read.FieldDefs.Add("Old", FieldType::Integer);
    read.Open();
    Load(read, written);

    ASSERT_EQ(read.FieldCount(), 4);
    const std::vector<int> stored = {0, 1, 2, 4};
    for (int i = 0; i < read.FieldCount(); ++i) {
        const TField& want = original.Fields(stored[static_cast<std::size_t>(i)]);
        const TField& got = read.Fields(i);
        SCOPED_TRACE(want.FieldName());
        EXPECT_EQ(got.FieldName(), want.FieldName());
        EXPECT_EQ(got.DataType(), want.DataType());
        EXPECT_EQ(got.Size(), want.Size());
        EXPECT_EQ(got.DisplayLabel, want.DisplayLabel);
        EXPECT_EQ(got.EditMask, want.EditMask);
        EXPECT_EQ(got.DisplayWidth, want.DisplayWidth);
        EXPECT_EQ(got.Required, want.Required);
        EXPECT_EQ(got.ReadOnly, want.ReadOnly);
        EXPECT_EQ(got.Visible, want.Visible);
        EXPECT_EQ(got.Kind, want.Kind);
        EXPECT_EQ(got.DefaultExpression, want.DefaultExpression);
    }
    ASSERT_EQ(read.IndexDefs.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(original.IndexDefs[i].Name);
        EXPECT_EQ(read.IndexDefs[i].Name, original.IndexDefs[i].Name);
        EXPECT_EQ(read.IndexDefs[i].Fields, original.IndexDefs[i].Fields);
        EXPECT_EQ(read.IndexDefs[i].Options, original.IndexDefs[i].Options);
        EXPECT_EQ(read.IndexDefs[i].DisplayName, original.IndexDefs[i].DisplayName);
    }
    EXPECT_EQ(Save(read), written);
}

// One value of one type: the text written for it, and the value read back.
struct ValueCase {
    FieldType type;
    int size;
    TFieldValue value;
    std::string written;
};

std::vector<ValueCase> ValueCases() {
    const double date = EncodeDate(2018, 4, 5);
    const double time = EncodeTime(13, 45, 10, 0);
    std::string allBytes;
    for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(b);
    return {
        {FieldType::String, 20, "plain"s, "\"plain\""},
        {FieldType::String, 20, ""s, "\"\""},
        {FieldType::String, 20, "say \"hi\", 50%"s, "\"say \"\"hi\"\", 50%%\""},
        {FieldType::String, 20, "a\r\nb\0c"s, "\"a%c%nb%0c\""},
        {FieldType::String, 20, "M\xFCller-Pe\xF1" "a"s, "\"M\xFCller-Pe\xF1" "a\""},
        {FieldType::Memo, 0, "line 1\r\nline 2 %"s, "\"line 1%c%nline 2 %%\""},
        {FieldType::FixedChar, 3, "AB"s, "\"AB\""},
        {FieldType::Integer, 0, std::int64_t{200}, "\"200\""},
        {FieldType::Integer, 0, std::int64_t{-1}, "\"-1\""},
        {FieldType::Integer, 0, std::int64_t{-2147483647 - 1}, "\"-2147483648\""},
        {FieldType::SmallInt, 0, std::int64_t{-32768}, "\"-32768\""},
        {FieldType::Word, 0, std::int64_t{65535}, "\"65535\""},
        {FieldType::AutoInc, 0, std::int64_t{42}, "\"42\""},
        {FieldType::LargeInt, 0, std::int64_t{9007199254740993}, "\"9007199254740993\""},
        {FieldType::Boolean, 0, true, "\"True\""},
        {FieldType::Boolean, 0, false, "\"0\""},
        {FieldType::Float, 0, 1.5, "\"1.5\""},
        {FieldType::Float, 0, -0.1, "\"-0.1\""},
        {FieldType::Float, 0, 0.0, "\"0\""},
        {FieldType::Float, 0, 1e20, "\"1E20\""},
        {FieldType::Float, 0, 1.25e-7, "\"1.25E-7\""},
        {FieldType::Currency, 0, std::int64_t{123456}, "\"12.3456\""},
        {FieldType::Currency, 0, std::int64_t{-5}, "\"-0.0005\""},
        {FieldType::Currency, 0, std::int64_t{120000}, "\"12\""},
        {FieldType::Date, 0, date, "\"05/04/2018\""},
        {FieldType::Time, 0, time, "\"13:45:10\""},
        {FieldType::DateTime, 0, date + time, "\"05/04/2018 13:45:10\""},
        {FieldType::DateTime, 0, date, "\"05/04/2018\""},
        {FieldType::DateTime, 0, 0.0, "\"30/12/1899\""},
        {FieldType::Blob, 0, "\x01\x02"s, "\"!( \""},
        {FieldType::Blob, 0, ""s, "\"\""},
        {FieldType::Bytes, 0, allBytes, ""},  // text checked by the byte code tests
        {FieldType::Graphic, 0, "\"\"\"\"\"\"\"\""s, ""},
    };
}

TEST_F(CsvFormatTest, EachValueTypeWrittenAndReadBack) {
    for (const ValueCase& c : ValueCases()) {
        SCOPED_TRACE(std::string(FieldTypeName(c.type)) + " " + c.written);
        TMemTable table;
        UseCsv(table);
        table.FieldDefs.Add("V", c.type, c.size);
        table.FieldDefs.Add("Tail", FieldType::Integer);
        table.Open();
        table.Append();
        table.Fields(0).SetValue(c.value);
        table.Fields(1).SetAsInteger(1);
        table.Post();
        const std::string bytes = Save(table);
        if (!c.written.empty()) {
            EXPECT_EQ(DataLines(bytes), std::vector<std::string>{c.written + ",\"1\","});
        }

        TMemTable read;
        UseCsv(read);
        Load(read, bytes);
        ASSERT_EQ(read.RecordCount(), 1);
        const TFieldValue got = read.Fields(0).Value();
        if (ValueClassOf(c.type) == ValueClass::DateTime) {
            ASSERT_TRUE(std::holds_alternative<double>(got));
            EXPECT_NEAR(std::get<double>(got), std::get<double>(c.value), 1e-9);
        } else {
            EXPECT_EQ(got, c.value);
        }
        EXPECT_EQ(read.Fields(1).AsInteger(), 1);
        EXPECT_EQ(Save(read), bytes);
    }
}

TEST_F(CsvFormatTest, NullsRoundTripExceptTextInTheMiddleOfALine) {
    TMemTable table;
    UseCsv(table);
    table.FieldDefs.Add("Id", FieldType::Integer);
    table.FieldDefs.Add("Middle", FieldType::String, 10);
    table.FieldDefs.Add("When", FieldType::DateTime);
    table.FieldDefs.Add("Flag", FieldType::Boolean);
    table.FieldDefs.Add("Last", FieldType::String, 10);
    table.Open();
    table.Append();
    table.Post();
    const std::string bytes = Save(table);
    EXPECT_EQ(DataLines(bytes), std::vector<std::string>{",,,,,"});

    TMemTable read;
    UseCsv(read);
    Load(read, bytes);
    ASSERT_EQ(read.RecordCount(), 1);
    EXPECT_TRUE(read.FieldByName("Id").IsNull());
    EXPECT_FALSE(read.FieldByName("Middle").IsNull()) << "an empty value in the middle is empty text";
    EXPECT_EQ(read.FieldByName("Middle").AsString(), "");
    EXPECT_TRUE(read.FieldByName("When").IsNull());
    EXPECT_FALSE(read.FieldByName("Flag").IsNull()) << "an empty Boolean value reads as false";
    EXPECT_FALSE(read.FieldByName("Flag").AsBoolean());
    EXPECT_TRUE(read.FieldByName("Last").IsNull()) << "the empty last value is never taken";
}

// ---- reading files without definitions into a defined table

class CsvReadRowsTest : public CsvFileTest {
protected:
    CsvReadRowsTest() {
        UseCsv(table_);
        table_.FieldDefs.Add("Id", FieldType::Integer);
        table_.FieldDefs.Add("Name", FieldType::String, 20);
        table_.FieldDefs.Add("Hired", FieldType::DateTime);
        table_.FieldDefs.Add("Active", FieldType::Boolean);
        table_.FieldDefs.Add("Note", FieldType::String, 10);
        table_.Open();
    }

    // Every row, each field as its text or none when null.
    std::vector<std::vector<std::optional<std::string>>> Rows() {
        std::vector<std::vector<std::optional<std::string>>> rows;
        for (table_.First(); !table_.Eof(); table_.Next()) {
            auto& row = rows.emplace_back();
            for (int i = 0; i < table_.FieldCount(); ++i) {
                const TField& f = table_.Fields(i);
                row.push_back(f.IsNull() ? std::nullopt : std::optional<std::string>(f.AsString()));
            }
        }
        return rows;
    }

    TMemTable table_;
};

TEST_F(CsvReadRowsTest, ReadingRules) {
    using Row = std::vector<std::optional<std::string>>;
    const auto none = std::nullopt;
    struct Case {
        std::string name;
        std::string file;
        std::vector<Row> rows;
    };
    const std::vector<Case> cases = {
        {"doubled quotes", "\"Id\",\"Name\",\r\n\"1\",\"say \"\"hi\"\"\",\r\n",
         {{"1", "say \"hi\"", none, none, none}}},
        {"escapes", "\"Name\",\r\n\"50%% a%nb%cc%0d\",\r\n", {{none, "50% a\nb\rc\0d"s, none, none, none}}},
        {"other escape pairs kept", "\"Name\",\r\n\"50%off%\",\r\n", {{none, "50%off", none, none, none}}},
        {"titles without letter case", "\"NAME\",\"iD\",\r\n\"x\",\"2\",\r\n", {{"2", "x", none, none, none}}},
        {"column of no field ignored", "\"Id\",\"Bogus\",\"Name\",\r\n\"1\",\"zzz\",\"n\",\r\n",
         {{"1", "n", none, none, none}}},
        {"values beyond the titles ignored", "\"Id\",\r\n\"1\",\"extra\",\"more\",\r\n",
         {{"1", none, none, none, none}}},
        {"booleans", "\"Id\",\"Active\",\r\n\"1\",\"True\",\r\n\"2\",\"true\",\r\n\"3\",\"0\",\r\n\"4\",\"\",\r\n"
                     "\"5\",x,\r\n\"6\",True\r\n",
         {{"1", none, none, "True", none},
          {"2", none, none, "False", none},
          {"3", none, none, "False", none},
          {"4", none, none, "False", none},
          {"5", none, none, "False", none},
          {"6", none, none, "True", none}}},
        {"two characters must remain", "\"Id\",\"Name\",\r\n\"1\",ab\r\n\"2\",a\r\n\"3\",\"a\"\r\n\"4\",a,\r\n",
         {{"1", "ab", none, none, none},
          {"2", none, none, none, none},
          {"3", "a", none, none, none},
          {"4", "a", none, none, none}}},
        {"empty text in the middle, null at the end", "\"Id\",\"Name\",\"Note\",\r\n\"1\",,,\r\n\"2\",,\"n\",\r\n",
         {{"1", "", none, none, none}, {"2", "", none, none, "n"}}},
        {"empty numbers and dates are null", "\"Id\",\"Hired\",\"Name\",\r\n\"\",\"\",\"z\",\r\n,,\"y\",\r\n",
         {{none, "z", none, none, none}, {none, "y", none, none, none}}},
        {"line-end runs are one line end", "\"Id\",\r\n\"1\",\r\n\r\n\n\r\0\0\"2\",\n\n"s,
         {{"1", none, none, none, none}, {"2", none, none, none, none}}},
        {"a line too short for a value is an empty row", "\"Id\",\"Name\",\r\nx\r\n",
         {{none, none, none, none, none}}},
        {"dates", "\"Hired\",\r\n\"05/04/2018\",\r\n\"05/04/2018 13:45:10\",\r\n\"5/4/18\",\r\n\"05/04/75\",\r\n"
                  "\"05/04/2018 1:45 PM\",\r\n",
         {{none, none, "05/04/2018", none, none},
          {none, none, "05/04/2018 13:45:10", none, none},
          {none, none, "05/04/2018", none, none},
          {none, none, "05/04/1975", none, none},
          {none, none, "05/04/2018 13:45:00", none, none}}},
        {"text cut to its size", "\"Note\",\r\n\"0123456789ABC\",\r\n", {{none, none, none, none, "0123456789"}}},
        {"unterminated quote runs to the line end", "\"Id\",\"Name\",\r\n\"1\",\"open, still open\r\n",
         {{"1", "open, still open", none, none, none}}},
        {"no lines after the header", "\"Id\",\"Name\",", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        table_.EmptyTable();
        Load(table_, c.file);
        EXPECT_EQ(Rows(), c.rows);
    }
}

TEST_F(CsvReadRowsTest, DayComesBeforeMonth) {
    Load(table_, "\"Hired\",\r\n\"05/04/2018\",\r\n");
    const DateTimeParts parts = DecodeDateTime(table_.FieldByName("Hired").AsDateTime());
    EXPECT_EQ(parts.day, 5);
    EXPECT_EQ(parts.month, 4);
    EXPECT_EQ(parts.year, 2018);
}

TEST_F(CsvReadRowsTest, RowsAreAppendedToTheRowsTheTableHolds) {
    table_.Append();
    table_.FieldByName("Id").SetAsInteger(1);
    table_.Post();
    Load(table_, "\"Id\",\r\n\"2\",\r\n");
    EXPECT_EQ(table_.RecordCount(), 2);
    EXPECT_EQ(table_.FieldCount(), 5);
}

TEST_F(CsvReadRowsTest, EmptyFileChangesNothing) {
    table_.Append();
    table_.Post();
    for (const std::string& file : {""s, "\r\n\r\n"s, "\0"s}) {
        Load(table_, file);
        EXPECT_EQ(table_.RecordCount(), 1);
        EXPECT_EQ(table_.FieldCount(), 5);
    }
}

TEST_F(CsvReadRowsTest, FieldsNamedByNoTitleTakeTheirNewRowState) {
    TMemTable table;
    UseCsv(table);
    table.FieldDefs.Add("Id", FieldType::Integer);
    table.FieldDefs.Add("Dept", FieldType::String, 10).DefaultExpression = "Office";
    table.FieldDefs.Add("Note", FieldType::String, 10);
    table.Open();
    Load(table, "\"Id\",\r\n\"1\",\r\n");
    EXPECT_EQ(table.FieldByName("Dept").AsString(), "Office");
    EXPECT_TRUE(table.FieldByName("Note").IsNull());
}

TEST_F(CsvReadRowsTest, EveryRowIsPostedWithItsEvent) {
    int posts = 0;
    table_.AfterPost = [&](TMemTable&) { ++posts; };
    Load(table_, "\"Id\",\r\n\"1\",\r\n\"2\",\r\n\"3\",\r\n");
    EXPECT_EQ(posts, 3);
}

// ---- definitions read from other writers

TEST_F(CsvFormatTest, FieldDefinitionItems) {
    struct Case {
        std::string definition;
        FieldKind kind;
        std::string defaultExpression;
        bool required, readOnly, visible;
    };
    const std::vector<Case> cases = {
        {"A=String,8,\"A\",\"\",10", FieldKind::Data, "", false, false, true},
        {"A=String,8,\"A\",\"\",10,Lookup", FieldKind::Lookup, "", false, false, true},
        {"A=String,8,\"A\",\"\",10,REQ,RO,INV,Aggregate,\"7\"", FieldKind::Aggregate, "7", true, true, false},
        {"A=String,8,\"A\",\"\",10,Bogus,\"\"", FieldKind::Data, "", false, false, true},
        {"A=String,8,\"A\",\"\",10,REQ", FieldKind::Data, "", true, false, true},
        {"A=String,8,\"A\",\"\",10,INV,Data,\"RO\"", FieldKind::Data, "RO", false, false, false},
        {"A=String,8,\"A,RO\",\"RO\",10,Data,\"\"", FieldKind::Data, "", false, false, true},
        {"A=String 8 \"A\" \"\" 10 RO InternalCalc \"x y\"", FieldKind::InternalCalc, "x y", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.definition);
        TMemTable table;
        UseCsv(table);
        Load(table, DefinitionFile({c.definition}));
        ASSERT_EQ(table.FieldCount(), 1);
        const TField& f = table.Fields(0);
        EXPECT_EQ(f.FieldName(), "A");
        EXPECT_EQ(f.DataType(), FieldType::String);
        EXPECT_EQ(f.Size(), 8);
        EXPECT_EQ(f.DisplayWidth, 10);
        EXPECT_EQ(f.Kind, c.kind);
        EXPECT_EQ(f.DefaultExpression, c.defaultExpression);
        EXPECT_EQ(f.Required, c.required);
        EXPECT_EQ(f.ReadOnly, c.readOnly);
        EXPECT_EQ(f.Visible, c.visible);
        EXPECT_EQ(table.RecordCount(), 0);
    }
}

TEST_F(CsvFormatTest, TypeNamesResolveToTheFirstEntry) {
    TMemTable table;
    UseCsv(table);
    Load(table, DefinitionFile({"A=SQLTimeStamp,0,\"A\",\"\",10,Data,\"\"", "B=String,5,\"B\",\"\",5,Data,\"\""}));
    EXPECT_EQ(table.Fields(0).DataType(), FieldType::SQLTimeStamp);
    EXPECT_EQ(table.Fields(1).DataType(), FieldType::String);
}

TEST_F(CsvFormatTest, IndexDefinitionItems) {
    TMemTable table;
    UseCsv(table);
    Load(table, DefinitionFile({"Last=String,10,\"Last\",\"\",10,Data,\"\"", "First=String,10,\"First\",\"\",10,Data,\"\""},
                               {"ByName=\"Last;First\",\"Shown\",NONMT,DESC", "Plain=\"First\"",
                                "Quoted=\"Last\",\"UNIQ\",\"CASE\""}));
    ASSERT_EQ(table.IndexDefs.Count(), 3);
    EXPECT_EQ(table.IndexDefs[0].Name, "ByName");
    EXPECT_EQ(table.IndexDefs[0].Fields, "Last;First");
    EXPECT_EQ(table.IndexDefs[0].DisplayName, "Shown");
    EXPECT_EQ(table.IndexDefs[0].Options, ixDescending | ixNonMaintained);
    EXPECT_EQ(table.IndexDefs[1].DisplayName, "Plain");
    EXPECT_EQ(table.IndexDefs[1].Options, 0u);
    EXPECT_EQ(table.IndexDefs[2].DisplayName, "UNIQ") << "a quoted option word is a value";
    EXPECT_EQ(table.IndexDefs[2].Options, 0u);
    table.SetIndexName("ByName");
    EXPECT_EQ(table.IndexName(), "ByName");
}

TEST_F(CsvFormatTest, DefinitionsReplaceStructureAndRows) {
    TMemTable table;
    UseCsv(table);
    table.FieldDefs.Add("Old", FieldType::Integer);
    table.IndexDefs.Add("OldIdx", "Old");
    table.Open();
    table.Append();
    table.Post();
    Load(table, DefinitionFile({"New=Integer,0,\"New\",\"\",10,Data,\"\""}) + "\"New\",\r\n\"5\",\r\n");
    ASSERT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.Fields(0).FieldName(), "New");
    EXPECT_EQ(table.IndexDefs.Count(), 0);
    ASSERT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.Fields(0).AsInteger(), 5);
}

TEST_F(CsvFormatTest, DefinitionsWithoutHeaderLoadTheStructureOnly) {
    TMemTable table;
    UseCsv(table);
    Load(table, DefinitionFile({"A=Integer,0,\"A\",\"\",10,Data,\"\""}));
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(CsvFormatTest, DefinitionsCutBeforeTheirEndStillOpenTheTable) {
    TMemTable table;
    UseCsv(table);
    Load(table, std::string(kCsvPrologue) + "\"A=Integer,0,\"\"A\"\",\"\"\"\",10,Data,\"\"\"\"\"\r\n");
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.FieldCount(), 1);
}

TEST_F(CsvFormatTest, ValuesOfFieldsOtherThanDataAreNotRead) {
    TMemTable table;
    UseCsv(table);
    Load(table, DefinitionFile({"A=Integer,0,\"A\",\"\",10,Data,\"\"", "B=Integer,0,\"B\",\"\",10,InternalCalc,\"\""}) +
                    "\"A\",\"B\",\r\n\"1\",\"2\",\r\n");
    ASSERT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.FieldByName("A").AsInteger(), 1);
    EXPECT_TRUE(table.FieldByName("B").IsNull());
}

TEST_F(CsvFormatTest, ReadOnlyAndRequiredFieldsAreRead) {
    TMemTable table;
    UseCsv(table);
    Load(table, DefinitionFile({"A=Integer,0,\"A\",\"\",10,REQ,RO,Data,\"\""}) + "\"A\",\r\n\"1\",\r\n");
    EXPECT_EQ(table.FieldByName("A").AsInteger(), 1);
}

// ---- a header without definitions on a table without fields

TEST_F(CsvFormatTest, HeaderOnAFieldlessTableMakesTextFields) {
    TMemTable table;
    UseCsv(table);
    Load(table, "\"Last Name\",,\"Dept\",\"last name\",\"\xDC" "ber\",\"\xFC" "BER\",\r\n"
                "\"Smith\",\"x\",\"Office\",\"Jones\",\"1\",\"2\",\r\n");
    ASSERT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.Fields(2).AsString(), "2") << "letter case of Windows-1252 letters is ignored too";
    EXPECT_EQ(table.Fields(0).FieldName(), "Last Name");
    EXPECT_EQ(table.Fields(0).DataType(), FieldType::String);
    EXPECT_EQ(table.Fields(0).Size(), 255);
    EXPECT_EQ(table.Fields(1).FieldName(), "Dept");
    ASSERT_EQ(table.RecordCount(), 1);
    // A repeated title names the same field, as a title matches a display label.
    EXPECT_EQ(table.Fields(0).AsString(), "Jones");
    EXPECT_EQ(table.Fields(1).AsString(), "Office");
}

TEST_F(CsvFormatTest, InactiveTableWithDefinitionsIsOpenedForAFileWithout) {
    TMemTable table;
    UseCsv(table);
    table.FieldDefs.Add("Id", FieldType::Integer);
    Load(table, "\"Id\",\r\n\"3\",\r\n");
    ASSERT_EQ(table.FieldCount(), 1);
    EXPECT_EQ(table.Fields(0).AsInteger(), 3);
}

TEST_F(CsvFormatTest, TheRowsAreWrittenInTheOrderOfTheActiveIndex) {
    TMemTable table;
    UseCsv(table);
    table.FieldDefs.Add("Name", FieldType::String, 10);
    table.IndexDefs.Add("ByName", "Name");
    table.Open();
    for (const char* name : {"b", "c", "a"}) {
        table.Append();
        table.Fields(0).SetAsString(name);
        table.Post();
    }
    table.SetIndexName("ByName");
    table.OnFilterRecord = [](TMemTable&, bool& accept) { accept = false; };
    table.SetFiltered(true);
    EXPECT_EQ(DataLines(Save(table)), (std::vector<std::string>{"\"a\",", "\"b\",", "\"c\","}));
}

TEST_F(CsvFormatTest, DefinitionsThatCannotBeReadBackAreNotWritten) {
    struct Case {
        std::string name;
        std::function<void(TMemTable&)> spoil;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"= in a field name", [](TMemTable& t) { t.FieldDefs.Add("a=b", FieldType::Integer); },
         "Field 'a=b' cannot be written to a CSV table file: its name holds \"=\""},
        {"line feed in a label", [](TMemTable& t) { t.FieldDefs.Add("L", FieldType::Integer).DisplayLabel = "x\ny"; },
         "Field 'L' cannot be written to a CSV table file: its definition holds a line break or NUL byte"},
        {"NUL in an edit mask", [](TMemTable& t) { t.FieldDefs.Add("M", FieldType::Integer).EditMask = "0\0"s; },
         "Field 'M' cannot be written to a CSV table file: its definition holds a line break or NUL byte"},
        {"carriage return in a default",
         [](TMemTable& t) { t.FieldDefs.Add("D", FieldType::String, 5).DefaultExpression = "\r"; },
         "Field 'D' cannot be written to a CSV table file: its definition holds a line break or NUL byte"},
        {"= in an index name", [](TMemTable& t) { t.IndexDefs.Add("x=y", "Id"); },
         "Index 'x=y' cannot be written to a CSV table file: its name holds \"=\""},
        {"line feed in an index display name", [](TMemTable& t) { t.IndexDefs.Add("I", "Id").DisplayName = "\n"; },
         "Index 'I' cannot be written to a CSV table file: its definition holds a line break or NUL byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemTable table;
        UseCsv(table);
        table.FieldDefs.Add("Id", FieldType::Integer);
        c.spoil(table);
        table.Open();
        try {
            WriteCsvTable(table);
            ADD_FAILURE() << "written";
        } catch (const EStreamError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST_F(CsvFormatTest, AFirstTitleThatIsAMarkerIsNotWritten) {
    TMemTable table;
    UseCsv(table);
    table.FieldDefs.Add("A", FieldType::Integer).DisplayLabel = "@@TABLEDEF START@@";
    table.FieldDefs.Add("B", FieldType::Integer).DisplayLabel = "@@TABLEDEF END@@";
    table.Open();
    try {
        WriteCsvTable(table);
        ADD_FAILURE() << "written";
    } catch (const EStreamError& e) {
        EXPECT_STREQ(e.what(), "Field 'A' cannot be written to a CSV table file: its display label is a definition marker");
    }
    table.Fields(0).DisplayLabel = "A";
    TMemTable read;
    UseCsv(read);
    Load(read, WriteCsvTable(table));
    EXPECT_EQ(read.Fields(1).DisplayLabel, "@@TABLEDEF END@@") << "only the first title is taken for a marker";
}

}  // namespace
}  // namespace kvr::test
