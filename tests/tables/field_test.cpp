// Field value conversions: what each type stores and gives back for text,
// and the failures with their messages.
#include <gtest/gtest.h>

#include "support/datetime.h"
#include "table_fixture.h"

namespace kvr {
namespace {

using test::ErrorOf;

class FieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DefineTable(table, {{"Name", FieldType::String, 4},
                                  {"Count", FieldType::Integer},
                                  {"Rate", FieldType::Float},
                                  {"When", FieldType::DateTime},
                                  {"Day", FieldType::Date},
                                  {"Flag", FieldType::Boolean},
                                  {"Money", FieldType::Currency},
                                  {"Small", FieldType::SmallInt},
                                  {"Big", FieldType::LargeInt}});
        table.Append();
    }
    TField& F(const char* name) { return table.FieldByName(name); }
    TMemTable table{"mtTest"};
};

TEST_F(FieldTest, NullFieldsReadAsEmptyZeroAndFalse) {
    for (int i = 0; i < table.FieldCount(); ++i) {
        SCOPED_TRACE(table.Fields(i).FieldName());
        EXPECT_TRUE(table.Fields(i).IsNull());
        EXPECT_EQ(table.Fields(i).AsString(), "");
        EXPECT_EQ(table.Fields(i).AsFloat(), 0.0);
        EXPECT_FALSE(table.Fields(i).AsBoolean());
    }
    EXPECT_EQ(F("Count").AsInteger(), 0);
    EXPECT_EQ(F("When").AsDateTime(), 0.0);
    EXPECT_EQ(F("Name").AsInteger(), 0);
}

TEST_F(FieldTest, TextWrittenAndReadBack) {
    struct Case {
        const char* field;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"Name", "abcdefgh", "abcd"},         // cut silently to Size
        {"Name", "", ""},                     // empty text is a value
        {"Count", "-42", "-42"},
        {"Count", "+7", "7"},
        {"Rate", "12.5", "12.5"},
        {"Rate", "0.1", "0.1"},
        {"When", "05/04/2018", "05/04/2018"},
        {"When", "05/04/2018 13:45:10", "05/04/2018 13:45:10"},
        {"Day", "31/12/1999", "31/12/1999"},
        {"Flag", "t", "True"},
        {"Flag", "FALSE", "False"},
        {"Flag", "F", "False"},
        {"Flag", "true", "True"},
        {"Money", "12.3456", "12.3456"},
        {"Small", "-32768", "-32768"},
        {"Big", "9007199254740993", "9007199254740993"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.text);
        F(c.field).SetAsString(c.text);
        EXPECT_FALSE(F(c.field).IsNull());
        EXPECT_EQ(F(c.field).AsString(), c.expected);
    }
}

TEST_F(FieldTest, EmptyTextMakesNonTextFieldsNull) {
    const std::pair<const char*, const char*> values[] = {
        {"Count", "1"}, {"Rate", "1.5"}, {"When", "01/01/2000"}, {"Day", "01/01/2000"}, {"Flag", "T"}, {"Money", "2"}};
    for (const auto& [name, text] : values) {
        SCOPED_TRACE(name);
        F(name).SetAsString(text);
        ASSERT_FALSE(F(name).IsNull());
        F(name).SetAsString("");
        EXPECT_TRUE(F(name).IsNull());
    }
}

TEST_F(FieldTest, TextThatDoesNotConvertIsRefusedWithItsMessage) {
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"Count", "12a", "'12a' is not a valid integer value for field 'Count'"},
        {"Count", "2147483648", "'2147483648' is not a valid integer value for field 'Count'"},
        {"Small", "32768", "'32768' is not a valid integer value for field 'Small'"},
        {"Count", " 1", "' 1' is not a valid integer value for field 'Count'"},
        {"Rate", "1,5", "'1,5' is not a valid floating point value for field 'Rate'"},
        {"When", "32/01/2020", "''32/01/2020'' is not a valid date and time"},
        {"Day", "tomorrow", "''tomorrow'' is not a valid date"},
        {"Flag", "yes", "'yes' is not a valid boolean value for field 'Flag'"},
        {"Flag", "Truest", "'Truest' is not a valid boolean value for field 'Flag'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.text);
        EXPECT_EQ(ErrorOf([&] { F(c.field).SetAsString(c.text); }), c.message);
        EXPECT_TRUE(F(c.field).IsNull()) << "a refused text must leave the field as it was";
    }
}

TEST_F(FieldTest, MessagesNameTheDisplayLabel) {
    F("Flag").DisplayLabel = "Active";
    EXPECT_EQ(ErrorOf([&] { F("Flag").SetAsString("maybe"); }),
              "'maybe' is not a valid boolean value for field 'Active'");
}

TEST_F(FieldTest, ReadingTextAsNumber) {
    F("Name").SetAsString("17");
    EXPECT_EQ(F("Name").AsInteger(), 17);
    F("Name").SetAsString("x1");
    EXPECT_EQ(ErrorOf([&] { F("Name").AsInteger(); }), "''x1'' is not a valid integer value");
    F("Name").SetAsString("");
    EXPECT_EQ(ErrorOf([&] { F("Name").AsInteger(); }), "'''' is not a valid integer value");
}

TEST_F(FieldTest, ZeroIsAValueNotNull) {
    F("Count").SetAsInteger(0);
    F("When").SetAsDateTime(0);
    F("Rate").SetAsFloat(0);
    EXPECT_FALSE(F("Count").IsNull());
    EXPECT_FALSE(F("When").IsNull());
    EXPECT_FALSE(F("Rate").IsNull());
    EXPECT_EQ(F("When").AsString(), "30/12/1899");
}

TEST_F(FieldTest, CurrencyIsExactToFourDecimals) {
    F("Money").SetAsFloat(0.1 + 0.2);
    EXPECT_EQ(std::get<std::int64_t>(F("Money").Value()), 3000);
    F("Money").SetAsCurrency(12.34567);
    EXPECT_EQ(F("Money").AsCurrency(), 12.3457);
}

TEST_F(FieldTest, ClearMakesNull) {
    F("Count").SetAsInteger(5);
    F("Count").Clear();
    EXPECT_TRUE(F("Count").IsNull());
}

TEST_F(FieldTest, WritingInBrowseStateOrToReadOnlyFieldFails) {
    F("Count").SetAsInteger(1);
    table.Post();
    EXPECT_EQ(ErrorOf([&] { F("Count").SetAsInteger(2); }), "mtTest: Dataset is not in edit mode.");
    F("Count").ReadOnly = true;
    table.Edit();
    EXPECT_EQ(ErrorOf([&] { F("Count").SetAsInteger(2); }), "Field Count is read only");
}

TEST_F(FieldTest, DisplayHooksTranslateText) {
    F("Count").OnGetText = [](const TField& f) { return "#" + f.AsString(); };
    F("Count").OnSetText = [](TField& f, std::string_view text) { f.SetAsString(text.substr(1)); };
    F("Count").SetDisplayText("#12");
    EXPECT_EQ(F("Count").AsInteger(), 12);
    EXPECT_EQ(F("Count").DisplayText(), "#12");
}

}  // namespace
}  // namespace kvr
