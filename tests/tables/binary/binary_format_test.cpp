// The binary table file through real files: the exact bytes the writer
// produces, every type written and read back, definitions and indexes, the
// layouts of older versions, and every failure with its message and offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_reader.h"
#include "support/errors.h"
#include "tables/memtable.h"
#include "tables/schemas.h"
#include "test_support/temp_dir.h"
#include "tables/binary/binary_file_builder.h"

namespace kvr {
namespace {

using test::BinaryFileBuilder;
using namespace std::string_literals;

std::unique_ptr<TMemTable> NewTable(const std::string& name = "mtTest") {
    auto table = std::make_unique<TMemTable>(name);
    table->DefaultFormat = TableFormat::Binary;
    return table;
}

// One field of a test table and the value its single row holds.
struct Column {
    std::string name;
    FieldType type;
    int size;
    TFieldValue value;
};

std::unique_ptr<TMemTable> TableWith(const std::vector<Column>& columns, int rows = 1) {
    auto table = NewTable();
    for (const Column& c : columns) table->FieldDefs.Add(c.name, c.type, c.size).DisplayWidth = 10;
    table->Open();
    for (int r = 0; r < rows; ++r) {
        table->Append();
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            table->Fields(i).SetValue(columns[static_cast<std::size_t>(i)].value);
        }
        table->Post();
    }
    return table;
}

// The file our writer makes of a one-field table of the given type holding
// one row whose value item is valueItem (empty: a null value).
std::string OneFieldFile(std::string_view typeName, int code, int size, std::string_view valueItem) {
    BinaryFileBuilder b;
    b.Signature().Int(251);
    b.ListStart().FieldDef("F", typeName, size).End();
    b.ListStart().End();
    b.TypeHeader({code});
    b.ListStart().ListStart().Int(0);
    if (valueItem.empty()) {
        b.Bool(true);
    } else {
        b.Bool(false).Raw(valueItem);
    }
    b.End().End();
    return b.Str();
}

std::string Item(const BinaryFileBuilder& b) { return b.Str(); }

class BinaryFormatTest : public ::testing::Test {
protected:
    std::string Save(TMemTable& table) {
        const std::string path = dir_.File("saved.bin");
        table.SaveToFile(path);
        return test::TempDir::Read(path);
    }

    void Load(TMemTable& table, std::string_view bytes) { table.LoadFromFile(dir_.Write("in.bin", bytes)); }

    std::unique_ptr<TMemTable> Loaded(std::string_view bytes) {
        auto table = NewTable("mtDummy");
        Load(*table, bytes);
        return table;
    }

    // The load fails with exactly that message, and at that byte offset
    // when one is given.
    void ExpectLoadFails(std::string_view bytes, std::string_view message, std::optional<std::size_t> offset = {}) {
        auto table = NewTable("mtDummy");
        ExpectLoadFails(*table, bytes, message, offset);
    }
    void ExpectLoadFails(TMemTable& table, std::string_view bytes, std::string_view message,
                         std::optional<std::size_t> offset = {}) {
        try {
            Load(table, bytes);
            ADD_FAILURE() << "loaded without failing";
        } catch (const EStreamFormatError& e) {
            EXPECT_EQ(std::string(e.what()), message);
            if (offset) {
                EXPECT_EQ(e.Offset(), *offset);
            }
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), message);
            EXPECT_FALSE(offset) << "no offset carried";
        }
    }

    test::TempDir dir_;
};

// ---- exact bytes of what the writer produces

TEST_F(BinaryFormatTest, SmallTableIsWrittenByteForByte) {
    auto table = TableWith({{"Id", FieldType::Integer, 0, std::int64_t{200}}});
    table->IndexDefs.Add("ByID", "Id", ixUnique);
    table->UpdateIndexes();
    const std::string expected =
        "TPF0"
        "\x03\xFB\x00"                                       // version 251
        "\x01"                                               // field definitions
        "\x06\x02Id" "\x06\x07Integer" "\x02\x00"            // name, type, size
        "\x06\x02Id" "\x12\x00\x00\x00\x00" "\x02\x0A"       // label, edit mask, width
        "\x08\x08" "\x06\x04" "Data" "\x12\x00\x00\x00\x00"  // required, read-only, kind, default
        "\x00"
        "\x01"                                               // index definitions
        "\x06\x04" "ByID" "\x06\x02Id" "\x06\x04" "ByID" "\x08\x08\x08\x09"
        "\x00"
        "\x01\x02\x01\x02\x03\x00"                           // type header: 1 field, Integer
        "\x01" "\x01\x02\x00\x08\x03\xC8\x00\x00" "\x00"s;   // one row: status 0, 200
    EXPECT_EQ(Save(*table), expected);
}

TEST_F(BinaryFormatTest, IntegersTakeTheSmallestItem) {
    struct Case {
        std::int32_t value;
        std::string item;
    };
    const Case cases[] = {
        {0, std::string("\x02\x00", 2)},
        {-1, "\x02\xFF"},
        {127, "\x02\x7F"},
        {-128, "\x02\x80"},
        {128, std::string("\x03\x80\x00", 3)},
        {200, std::string("\x03\xC8\x00", 3)},
        {-129, "\x03\x7F\xFF"},
        {32767, "\x03\xFF\x7F"},
        {-32768, std::string("\x03\x00\x80", 3)},
        {32768, std::string("\x04\x00\x80\x00\x00", 5)},
        {40000, std::string("\x04\x40\x9C\x00\x00", 5)},
        {-32769, "\x04\xFF\x7F\xFF\xFF"},
        {std::numeric_limits<std::int32_t>::max(), "\x04\xFF\xFF\xFF\x7F"},
        {std::numeric_limits<std::int32_t>::min(), std::string("\x04\x00\x00\x00\x80", 5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        auto table = TableWith({{"F", FieldType::Integer, 0, std::int64_t{c.value}}});
        const std::string bytes = Save(*table);
        EXPECT_EQ(bytes, OneFieldFile("Integer", 3, 0, c.item));
        EXPECT_EQ(Loaded(bytes)->Fields(0).AsInteger(), c.value);
    }
}

TEST_F(BinaryFormatTest, TextTakesTheFormItsEncodingsChoose) {
    struct Case {
        const char* what;
        std::string ansi;  // Windows-1252
        std::string item;
    };
    const std::string a255(255, 'a'), a256(256, 'a');
    const Case cases[] = {
        {"empty", "", std::string("\x12\x00\x00\x00\x00", 5)},
        {"ASCII", "abc", "\x06\x03" "abc"},
        {"255 ASCII characters", a255, "\x06\xFF" + a255},
        {"256 ASCII characters", a256, std::string("\x0C\x00\x01\x00\x00", 5) + a256},
        {"a few accented letters", "caf\xE9", std::string("\x14\x05\x00\x00\x00" "caf\xC3\xA9", 10)},
        {"characters above U+07FF", "\x80\x80", std::string("\x12\x02\x00\x00\x00\xAC\x20\xAC\x20", 9)},
        {"as long in UTF-8 as in UTF-16", "a\x80", std::string("\x12\x02\x00\x00\x00" "a\x00\xAC\x20", 9)},
        {"shorter in UTF-8", "ab\x80", std::string("\x14\x05\x00\x00\x00" "ab\xE2\x82\xAC", 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = TableWith({{"F", FieldType::String, 300, c.ansi}});
        const std::string bytes = Save(*table);
        EXPECT_EQ(bytes, OneFieldFile("String", 1, 300, c.item));
        auto back = Loaded(bytes);
        EXPECT_FALSE(back->Fields(0).IsNull());
        EXPECT_EQ(back->Fields(0).AsString(), c.ansi);
    }
}

TEST_F(BinaryFormatTest, NullIsTheFlagAlone) {
    auto table = TableWith({{"F", FieldType::Float, 0, std::monostate{}}});
    const std::string bytes = Save(*table);
    EXPECT_EQ(bytes, OneFieldFile("Float", 6, 0, ""));
    EXPECT_TRUE(Loaded(bytes)->Fields(0).IsNull());
}

TEST_F(BinaryFormatTest, ValuesOfNumberTypesAreWrittenAsTheirItems) {
    struct Case {
        const char* typeName;
        FieldType type;
        TFieldValue value;
        std::string item;
    };
    const Case cases[] = {
        {"Boolean", FieldType::Boolean, true, "\x09"},
        {"Boolean", FieldType::Boolean, false, "\x08"},
        {"Float", FieldType::Float, 1.0, Item(BinaryFileBuilder().Float(1.0))},
        {"Currency", FieldType::Currency, std::int64_t{123456}, Item(BinaryFileBuilder().Float(12.3456))},
        {"DateTime", FieldType::DateTime, 45000.5, Item(BinaryFileBuilder().Float(45000.5))},
        {"LargeInt", FieldType::LargeInt, std::int64_t{-40000}, Item(BinaryFileBuilder().Float(-40000.0))},
        {"SmallInt", FieldType::SmallInt, std::int64_t{-1}, "\x02\xFF"},
        {"Word", FieldType::Word, std::int64_t{40000}, std::string("\x04\x40\x9C\x00\x00", 5)},
        {"AutoInc", FieldType::AutoInc, std::int64_t{200}, std::string("\x03\xC8\x00", 3)},
        {"LongWord", FieldType::LongWord, std::int64_t{4000000000}, "\x06\x0A" "4000000000"},
        {"FMTBcdField", FieldType::FMTBcd, std::int64_t{-123400}, "\x06\x06" "-12.34"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeName);
        auto table = TableWith({{"F", c.type, 0, c.value}});
        const std::string bytes = Save(*table);
        EXPECT_EQ(bytes, OneFieldFile(c.typeName, static_cast<int>(c.type), 0, c.item));
        EXPECT_EQ(Loaded(bytes)->Fields(0).Value(), c.value);
    }
    EXPECT_EQ(Item(BinaryFileBuilder().Float(1.0)), std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F", 11));
}

// ---- every type written and read back

TEST_F(BinaryFormatTest, EveryTypeComesBackAndIsWrittenAgainUnchanged) {
    const std::vector<Column> columns = {
        {"S", FieldType::String, 20, std::string("Gr\xFC\xDF" " Gott \x80")},
        {"SI", FieldType::SmallInt, 0, std::int64_t{-32768}},
        {"I", FieldType::Integer, 0, std::int64_t{-2147483647 - 1}},
        {"W", FieldType::Word, 0, std::int64_t{65535}},
        {"B", FieldType::Boolean, 0, true},
        {"F", FieldType::Float, 0, -0.1},
        {"C", FieldType::Currency, 0, std::int64_t{-922337203685477}},
        {"BC", FieldType::BCD, 0, std::int64_t{5}},
        {"D", FieldType::Date, 0, 45292.0},
        {"T", FieldType::Time, 0, 0.75},
        {"DT", FieldType::DateTime, 0, -693593.25},
        {"AI", FieldType::AutoInc, 0, std::int64_t{7}},
        {"LI", FieldType::LargeInt, 0, std::numeric_limits<std::int64_t>::min() + 1},
        {"M", FieldType::Memo, 0, std::string(70000, 'm') + "\xE9"},
        {"BL", FieldType::Blob, 0, std::string("\x00\x01\x81\x8D\x8F\x90\x9D\xFF", 8)},
        {"FC", FieldType::FixedChar, 4, std::string("abcd")},
        {"WS", FieldType::WideString, 10, std::string("na\xEFve")},
        {"G", FieldType::Guid, 38, std::string("{01234567-89AB-CDEF-0123-456789ABCDEF}")},
        {"LW", FieldType::LongWord, 0, std::int64_t{4294967295}},
        {"SH", FieldType::ShortInt, 0, std::int64_t{-128}},
        {"BY", FieldType::Byte, 0, std::int64_t{255}},
        {"EX", FieldType::Extended, 0, 2.5},
        {"FB", FieldType::FMTBcd, 0, std::int64_t{123456}},
        {"TS", FieldType::SQLTimeStamp, 0, 45292.5},
    };
    auto table = TableWith(columns, 2);
    table->Append();  // a row of nulls
    table->Post();
    const std::string bytes = Save(*table);

    auto back = Loaded(bytes);
    ASSERT_EQ(back->FieldCount(), static_cast<int>(columns.size()));
    back->First();
    for (int i = 0; i < back->FieldCount(); ++i) {
        SCOPED_TRACE(columns[static_cast<std::size_t>(i)].name);
        EXPECT_EQ(back->Fields(i).DataType(), columns[static_cast<std::size_t>(i)].type);
        EXPECT_EQ(back->Fields(i).Value(), columns[static_cast<std::size_t>(i)].value);
    }
    back->Last();
    for (int i = 0; i < back->FieldCount(); ++i) EXPECT_TRUE(back->Fields(i).IsNull()) << i;
    EXPECT_EQ(back->StoredRowCount(), 3);
    EXPECT_EQ(Save(*back), bytes);
}

TEST_F(BinaryFormatTest, DefinitionsAndIndexesComeBack) {
    auto table = NewTable();
    TFieldDef& id = table->FieldDefs.Add("ID", FieldType::Integer, 0, true);
    id.DisplayLabel = "Employee \xE9";
    id.EditMask = "!999;0;_";
    id.DisplayWidth = 7;
    id.ReadOnly = true;
    id.Kind = FieldKind::InternalCalc;
    id.DefaultExpression = "0";
    table->FieldDefs.Add("Name", FieldType::String, 41);
    table->IndexDefs.Add("IdxA", "ID;Name", ixDescending | ixCaseInsensitive).DisplayName = "By id";
    table->IndexDefs.Add("IdxB", "Name", ixNonMaintained | ixUnique);
    table->Open();
    const std::string bytes = Save(*table);

    auto back = Loaded(bytes);
    ASSERT_EQ(back->FieldCount(), 2);
    const TField& f = back->Fields(0);
    EXPECT_EQ(f.FieldName(), "ID");
    EXPECT_TRUE(f.Required);
    EXPECT_TRUE(f.ReadOnly);
    EXPECT_EQ(f.DisplayLabel, "Employee \xE9");
    EXPECT_EQ(f.EditMask, "!999;0;_");
    EXPECT_EQ(f.DisplayWidth, 7);
    EXPECT_EQ(f.Kind, FieldKind::InternalCalc);
    EXPECT_EQ(f.DefaultExpression, "0");
    EXPECT_EQ(back->Fields(1).Size(), 41);
    ASSERT_EQ(back->IndexDefs.Count(), 2);
    EXPECT_EQ(back->IndexDefs[0].Fields, "ID;Name");
    EXPECT_EQ(back->IndexDefs[0].DisplayName, "By id");
    EXPECT_EQ(back->IndexDefs[0].Options, ixDescending | ixCaseInsensitive);
    EXPECT_EQ(back->IndexDefs[1].Options, ixNonMaintained | ixUnique);
    EXPECT_EQ(back->IndexName(), "");
    EXPECT_EQ(Save(*back), bytes);
}

TEST_F(BinaryFormatTest, TheSystemsOwnTablesComeBackWithTheirDefinitions) {
    struct Case {
        const char* what;
        void (*create)(TMemTable&);
    };
    const Case cases[] = {
        {"payroll", [](TMemTable& t) { CreatePayrollTable(t, 1); }},
        {"QuickBooks employees", CreateQBEmployeeTable},
        {"wage items", CreateQBWageTable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = NewTable();
        c.create(*table);
        table->Append();
        for (int i = 0; i < table->FieldCount(); ++i) {
            TField& field = table->Fields(i);
            if (ValueClassOf(field.DataType()) == ValueClass::Text) field.SetAsString("T\xE9xt" + std::to_string(i));
            if (ValueClassOf(field.DataType()) == ValueClass::Integer) field.SetAsInteger(40000 + i);
        }
        table->Post();
        const std::string bytes = Save(*table);
        auto back = Loaded(bytes);
        ASSERT_EQ(back->FieldCount(), table->FieldCount());
        for (int i = 0; i < back->FieldCount(); ++i) {
            EXPECT_EQ(back->Fields(i).FieldName(), table->Fields(i).FieldName());
            EXPECT_EQ(back->Fields(i).DataType(), table->Fields(i).DataType());
            EXPECT_EQ(back->Fields(i).Size(), table->Fields(i).Size());
            EXPECT_EQ(back->Fields(i).Value(), table->Fields(i).Value());
        }
        ASSERT_EQ(back->IndexDefs.Count(), table->IndexDefs.Count());
        for (int i = 0; i < back->IndexDefs.Count(); ++i) {
            EXPECT_EQ(back->IndexDefs[i].Name, table->IndexDefs[i].Name);
            EXPECT_EQ(back->IndexDefs[i].Fields, table->IndexDefs[i].Fields);
            EXPECT_EQ(back->IndexDefs[i].Options, table->IndexDefs[i].Options);
        }
        EXPECT_EQ(Save(*back), bytes);
    }
}

TEST_F(BinaryFormatTest, RowsAreWrittenInTheActiveIndexOrderWithTheirStatus) {
    auto table = TableWith({{"N", FieldType::Integer, 0, std::int64_t{3}}});
    table->Append();
    table->Fields(0).SetValue(std::int64_t{1});
    table->Post();
    table->First();
    table->Edit();
    table->Fields(0).SetAsInteger(5);
    table->Post();
    table->IndexDefs.Add("ByN", "N");
    table->UpdateIndexes();
    table->SetIndexName("ByN");
    table->SetFiltered(true);
    table->OnFilterRecord = [](TMemTable&, bool& accept) { accept = false; };

    auto back = Loaded(Save(*table));
    std::vector<std::pair<int, std::int32_t>> rows;
    for (back->First(); !back->Eof(); back->Next()) rows.emplace_back(back->RecordStatus(), back->Fields(0).AsInteger());
    EXPECT_EQ(rows, (std::vector<std::pair<int, std::int32_t>>{{0, 1}, {1, 5}}));
}

TEST_F(BinaryFormatTest, FieldsOfKindsNotStoredAreLeftOut) {
    auto table = NewTable();
    table->FieldDefs.Add("A", FieldType::Integer).DisplayWidth = 10;
    table->FieldDefs.Add("Calc", FieldType::Integer).Kind = FieldKind::Calculated;
    table->Open();
    table->Append();
    table->Fields(0).SetValue(std::int64_t{200});
    table->Post();
    const std::string expected = OneFieldFile("Integer", 3, 0, std::string("\x03\xC8\x00", 3));
    std::string bytes = Save(*table);
    // Only the name differs from the one-field file.
    bytes.replace(bytes.find("\x06\x01" "A"), 3, "\x06\x01" "F");
    bytes.replace(bytes.find("\x06\x01" "A"), 3, "\x06\x01" "F");
    EXPECT_EQ(bytes, expected);
}

// ---- reading what the writer never writes

TEST_F(BinaryFormatTest, ValuesOfFieldsOfOtherKindsInAFileAreReadAndDropped) {
    BinaryFileBuilder b;
    b.Signature().Int(251).ListStart();
    b.FieldDef("A", "Integer", 0).FieldDef("Calc", "String", 10, 251, "Calculated").FieldDef("B", "Integer", 0);
    b.End().ListStart().End().TypeHeader({3, 1, 3});
    b.ListStart().ListStart().Int(0).Bool(false).Int(1).Bool(false).Text("dropped").Bool(false).Int(2).End().End();
    auto table = Loaded(b.Str());
    ASSERT_EQ(table->FieldCount(), 3);
    EXPECT_EQ(table->Fields(1).Kind, FieldKind::Calculated);
    EXPECT_EQ(table->Fields(0).AsInteger(), 1);
    EXPECT_EQ(table->Fields(2).AsInteger(), 2);
}

TEST_F(BinaryFormatTest, ReadingAcceptsEveryFormOfAnItem) {
    struct Case {
        const char* what;
        const char* typeName;
        int code;
        int size;
        std::string item;
        TFieldValue expected;
    };
    const Case cases[] = {
        {"float as double", "Float", 6, 0, Item(BinaryFileBuilder().DoubleItem(-2.25)), -2.25},
        {"float as 64-bit integer", "Float", 6, 0, Item(BinaryFileBuilder().Int64Item(-5)), -5.0},
        {"float as integer", "Float", 6, 0, "\x02\x07", 7.0},
        {"large integer as 64-bit integer", "LargeInt", 25, 0,
         Item(BinaryFileBuilder().Int64Item(std::numeric_limits<std::int64_t>::max())),
         std::numeric_limits<std::int64_t>::max()},
        {"large integer rounded", "LargeInt", 25, 0, Item(BinaryFileBuilder().Float(2.5)), std::int64_t{2}},
        {"currency rounded", "Currency", 7, 0, Item(BinaryFileBuilder().DoubleItem(1.23456789)), std::int64_t{12346}},
        {"date-time zero is null", "DateTime", 11, 0, Item(BinaryFileBuilder().Float(0.0)), std::monostate{}},
        {"Boolean true", "Boolean", 5, 0, "\x09", true},
        {"Boolean as end of list", "Boolean", 5, 0, std::string("\x00", 1), false},
        {"Boolean as another tag", "Boolean", 5, 0, "\x05", false},
        {"8-bit text in Windows-1252", "String", 1, 10, "\x06\x03" "\xE9t\xE9", std::string("\xE9t\xE9")},
        {"long byte string", "String", 1, 10, Item(BinaryFileBuilder().LongText("ab")), std::string("ab")},
        {"UTF-8 text", "String", 1, 10, Item(BinaryFileBuilder().Utf8Text("\xE2\x82\xAC" "1")), std::string("\x80" "1")},
        {"UTF-16 text", "String", 1, 10, Item(BinaryFileBuilder().Utf16Text(u"\u00E9\u4E2D")), std::string("\xE9?")},
        {"text cut to the size", "String", 1, 3, "\x06\x06" "abcdef", std::string("abc")},
        {"wide text kept in Windows-1252", "WideString", 24, 10, Item(BinaryFileBuilder().Utf8Text("\xC3\xA9")),
         std::string("\xE9")},
        {"SQLTimeStamp text", "SQLTimeStamp", 36, 0, "\x06\x13" "02/01/2023 12:00:00", 44928.5},
        {"LongWord text empty is null", "LongWord", 42, 0, std::string("\x12\x00\x00\x00\x00", 5), std::monostate{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto table = Loaded(OneFieldFile(c.typeName, c.code, c.size, c.item));
        EXPECT_EQ(table->Fields(0).Value(), c.expected);
    }
}

TEST_F(BinaryFormatTest, RepeatedTypeNamesReadAsTheirFirstEntry) {
    auto table = Loaded(OneFieldFile("SQLTimeStamp", 40, 0, ""));
    EXPECT_EQ(table->Fields(0).DataType(), FieldType::SQLTimeStamp);
    table = Loaded(OneFieldFile("String", 41, 5, ""));
    EXPECT_EQ(table->Fields(0).DataType(), FieldType::String);
}

// ---- older versions

// Field definitions A Integer and B String(10); rows (1, "x") and (2, "yz").
BinaryFileBuilder OldFile(int version) {
    BinaryFileBuilder b;
    b.Signature();
    if (version != 100) b.Int(version);
    b.ListStart().FieldDef("A", "Integer", 0, version).FieldDef("B", "String", 10, version).End();
    if (version >= 200) {
        b.ListStart().Text("ByA").Text("A").Text("ByA").Bool(false).Bool(false).Bool(false).Bool(true).End();
    }
    b.TypeHeader({3, 1});
    b.ListStart();
    const std::pair<int, std::string_view> rows[] = {{1, "x"}, {2, "yz"}};
    for (const auto& [a, text] : rows) {
        if (version >= 230) b.ListStart().Int(2);
        if (version >= 249) b.Bool(false);
        b.Int(a);
        if (version >= 249) b.Bool(false);
        b.Text(text);
        if (version >= 230) b.End();
    }
    return b.End();
}

TEST_F(BinaryFormatTest, EveryVersionsLayoutIsRead) {
    for (const int version : {100, 200, 229, 230, 248, 249, 250, 251, 300}) {
        SCOPED_TRACE(version);
        auto table = NewTable("mtDummy");
        table->IndexDefs.Add("Kept", "A");
        Load(*table, OldFile(version).Str());
        ASSERT_EQ(table->FieldCount(), 2);
        EXPECT_EQ(table->Fields(0).Kind, FieldKind::Data);
        EXPECT_EQ(table->Fields(1).Size(), 10);
        ASSERT_EQ(table->IndexDefs.Count(), 1);
        EXPECT_EQ(table->IndexDefs[0].Name, version >= 200 ? "ByA" : "Kept");
        std::vector<std::string> rows;
        for (table->First(); !table->Eof(); table->Next()) {
            rows.push_back(table->Fields(0).AsString() + table->Fields(1).AsString() +
                           std::to_string(table->RecordStatus()));
        }
        const int status = version >= 230 ? 2 : 0;
        EXPECT_EQ(rows, (std::vector<std::string>{"1x" + std::to_string(status), "2yz" + std::to_string(status)}));
    }
}

TEST_F(BinaryFormatTest, FileWithoutFieldDefinitionsKeepsTheTablesStructure) {
    auto table = TableWith({{"A", FieldType::Integer, 0, std::int64_t{1}}});
    BinaryFileBuilder b;
    b.Signature().Int(251).ListStart().End().ListStart().End().TypeHeader({3});
    b.ListStart().ListStart().Int(0).Bool(false).Int(9).End().End();
    Load(*table, b.Str());
    ASSERT_EQ(table->FieldCount(), 1);
    EXPECT_EQ(table->StoredRowCount(), 1);
    EXPECT_EQ(table->Fields(0).AsInteger(), 9);
}

TEST_F(BinaryFormatTest, EarlierVersionsOfARowAreReadAndDropped) {
    // The row as it is (status 1, 5), then two earlier versions: one bare,
    // one in a list of its own.
    BinaryFileBuilder b;
    b.Signature().Int(251).ListStart().FieldDef("A", "Integer", 0).End().ListStart().End().TypeHeader({3});
    b.ListStart();
    b.ListStart().Int(1).Bool(false).Int(5);
    b.Int(0).Bool(false).Int(4);
    b.ListStart().Int(2).Bool(true).End();
    b.End();
    b.ListStart().Int(0).Bool(false).Int(6).End();
    b.End();
    auto table = Loaded(b.Str());
    ASSERT_EQ(table->StoredRowCount(), 2);
    table->First();
    EXPECT_EQ(table->Fields(0).AsInteger(), 5);
    EXPECT_EQ(table->RecordStatus(), 1);
    table->Next();
    EXPECT_EQ(table->Fields(0).AsInteger(), 6);
}

TEST_F(BinaryFormatTest, DeeplyNestedVersionsNeitherRecurseNorHang) {
    constexpr int kDepth = 200000;
    BinaryFileBuilder b;
    b.Signature().Int(251).ListStart().FieldDef("A", "Integer", 0).End().ListStart().End().TypeHeader({3});
    b.ListStart().ListStart().Int(0).Bool(true);
    for (int i = 0; i < kDepth; ++i) b.ListStart().Int(0).Bool(true);
    BinaryFileBuilder closed = b;
    for (int i = 0; i < kDepth + 1; ++i) closed.End();
    closed.End();
    EXPECT_EQ(Loaded(closed.Str())->StoredRowCount(), 1);
    ExpectLoadFails(b.Str(), "Stream read error", b.Size());
}

// ---- failures

TEST_F(BinaryFormatTest, DamagedFilesFailWithTheirMessage) {
    const std::string good = OneFieldFile("Integer", 3, 0, std::string("\x03\xC8\x00", 3));
    const std::size_t typeAt = good.find("\x06\x07Integer");
    const std::size_t rowAt = good.size() - 9;  // the row group's list start
    auto replaced = [&](std::size_t at, std::size_t count, std::string_view with) {
        std::string s = good;
        s.replace(at, count, with);
        return s;
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;
        std::size_t offset;
    };
    const Case cases[] = {
        {"empty file", "", "Stream read error", 0},
        {"short signature", "TPF", "Stream read error", 0},
        {"wrong signature", "TPF1" + good.substr(4), "Invalid stream format", 0},
        {"signature only", "TPF0", "Stream read error", 4},
        {"version as text", replaced(4, 3, "\x06\x01" "x"), "Invalid property value", 4},
        {"field name as integer", replaced(8, 3, "\x02\x01\x02"), "Invalid property value", 8},
        {"no list start for the fields", replaced(7, 1, "\x02"), "Invalid property value", 7},
        {"unknown type name", replaced(typeAt, 9, "\x06\x07Integra"), "Unknown field type (Integra)", typeAt},
        {"type name in other letter case", replaced(typeAt, 9, "\x06\x07integer"), "Unknown field type (integer)",
         typeAt},
        {"type that cannot be loaded", replaced(typeAt, 9, "\x06\x06" "Cursor"), "Unknown field type (Cursor)", typeAt},
        {"type name Unknown", replaced(typeAt, 9, "\x06\x07Unknown"), "Unknown field type (Unknown)", typeAt},
        {"size as a float", replaced(typeAt + 9, 2, Item(BinaryFileBuilder().Float(0))), "Invalid property value",
         typeAt + 9},
        {"row status out of range", replaced(rowAt + 1, 2, "\x02\x04"), "Invalid property value", rowAt + 1},
        {"integer value as a float", replaced(rowAt + 4, 3, Item(BinaryFileBuilder().Float(200))),
         "Invalid property value", rowAt + 4},
        {"missing end of the row list", good.substr(0, good.size() - 1), "Stream read error", good.size() - 1},
        {"long string past the end", replaced(typeAt, 9, "\x0C\xFF\xFF\xFF\x7F" "Integer"), "Stream read error",
         typeAt + 5},
        {"UTF-16 string past the end", replaced(typeAt, 9, "\x12\xFF\xFF\xFF\xFF" "Integer"), "Stream read error",
         typeAt + 5},
        {"UTF-8 string past the end", replaced(typeAt, 9, "\x14\x00\x00\x00\x80" "Integer"), "Stream read error",
         typeAt + 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectLoadFails(c.bytes, c.message, c.offset);
    }
}

TEST_F(BinaryFormatTest, ValuesBeyondWhatTheTableCanHoldFail) {
    // The type names below are all eight letters long, so the value sits at
    // the same offset in each file.
    const std::size_t valueAt = OneFieldFile("LargeInt", 25, 0, "\x09").size() - 3;
    struct Case {
        const char* what;
        std::string file;
    };
    const Case cases[] = {
        {"LargeInt of 2^63", OneFieldFile("LargeInt", 25, 0, Item(BinaryFileBuilder().Float(9223372036854775808.0)))},
        {"Currency beyond 64 bits", OneFieldFile("Currency", 7, 0, Item(BinaryFileBuilder().Float(1e300)))},
        {"date-time not a number",
         OneFieldFile("DateTime", 11, 0, Item(BinaryFileBuilder().DoubleItem(std::numeric_limits<double>::quiet_NaN())))},
        {"date-time infinite", OneFieldFile("DateTime", 11, 0, Item(BinaryFileBuilder().Float(-std::numeric_limits<double>::infinity())))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectLoadFails(c.file, "Invalid property value", valueAt);
    }
}

TEST_F(BinaryFormatTest, OldRowsWithoutValuesToReadCannotHang) {
    auto table = NewTable("mtDummy");
    table->FieldDefs.Add("Calc", FieldType::Integer).Kind = FieldKind::Calculated;
    table->Open();
    // Version 100, no field definitions, an empty type header, and a row list
    // holding something that is not its end.
    ExpectLoadFails(*table, "TPF0" "\x01\x00" "\x01\x02\x00\x00" "\x01\x02\x05\x00"s, "Invalid property value", 11);
}

TEST_F(BinaryFormatTest, TextOfANumberTypeThatIsNoNumberFails) {
    ExpectLoadFails(OneFieldFile("LongWord", 42, 0, "\x06\x02" "x1"), "'x1' is not a valid integer value for field 'F'");
    ExpectLoadFails(OneFieldFile("Extended", 45, 0, "\x06\x01" "?"),
                    "'?' is not a valid floating point value for field 'F'");
}

TEST_F(BinaryFormatTest, DuplicateKeysInAUniqueIndexFailTheLoad) {
    auto table = TableWith({{"A", FieldType::Integer, 0, std::int64_t{1}}}, 2);
    table->IndexDefs.Add("ByA", "A");
    const std::string bytes = Save(*table);
    std::string unique = bytes;
    const std::size_t options = unique.find("ByA\x08\x08\x08\x08");
    ASSERT_NE(options, std::string::npos);
    unique[options + 6] = '\x09';
    ExpectLoadFails(unique, "Duplicate index value. Operation aborted.");
}

TEST_F(BinaryFormatTest, FailedLoadKeepsTheStructureAndRowsReadSoFar) {
    auto table = TableWith({{"A", FieldType::Integer, 0, std::int64_t{1}}, {"B", FieldType::String, 5, std::string("b")}}, 3);
    const std::string bytes = Save(*table);
    auto target = NewTable("mtDummy");
    ExpectLoadFails(*target, bytes.substr(0, bytes.size() - 5), "Stream read error", bytes.size() - 5);
    EXPECT_EQ(target->FieldCount(), 2);
    EXPECT_EQ(target->StoredRowCount(), 2);
}

// ---- robustness

class DamageTest : public BinaryFormatTest {
protected:
    std::string Sample() {
        auto table = TableWith({{"Id", FieldType::Integer, 0, std::int64_t{40000}},
                                {"Name", FieldType::String, 20, std::string("Ren\xE9" " \x80")},
                                {"When", FieldType::DateTime, 0, 45000.25},
                                {"Ok", FieldType::Boolean, 0, true},
                                {"Amt", FieldType::Currency, 0, std::int64_t{123456}},
                                {"Big", FieldType::LargeInt, 0, std::int64_t{1} << 60}},
                               2);
        table->IndexDefs.Add("ById", "Id");
        return Save(*table);
    }

    // From memory rather than a file, so the many cases run fast; each copy
    // is sized to the bytes so AddressSanitizer sees any read past them.
    static void ReadCopy(const std::string& bytes) {
        auto buffer = std::make_unique<char[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), buffer.get());
        auto table = NewTable("mtDummy");
        table->LoadFromBytes(std::string_view(buffer.get(), bytes.size()));
    }
};

TEST_F(DamageTest, EveryCutShortFileIsAStreamReadError) {
    const std::string bytes = Sample();
    ASSERT_NO_THROW(ReadCopy(bytes));
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        try {
            ReadCopy(bytes.substr(0, length));
            ADD_FAILURE() << "read without failing";
        } catch (const EStreamFormatError& e) {
            EXPECT_EQ(std::string(e.what()), "Stream read error");
            EXPECT_LE(e.Offset(), length);
        }
    }
}

TEST_F(DamageTest, FlippedBytesFailCleanlyOrLoad) {
    const std::string bytes = Sample();
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        for (const unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(damaged[at] ^ mask);
            try {
                ReadCopy(damaged);
            } catch (const Exception&) {
                // Any of the system's failures is a clean outcome.
            }
        }
    }
}

}  // namespace
}  // namespace kvr
