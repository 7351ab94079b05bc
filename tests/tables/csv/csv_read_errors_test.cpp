// Refused CSV table files: which error, with which message, and what the
// table holds afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/errors.h"
#include "tables/memtable.h"
#include "csv_test_support.h"

namespace kvr::test {
namespace {

using namespace std::string_literals;

enum class ErrorKind { None, Convert, Database, Other };

struct Outcome {
    ErrorKind kind = ErrorKind::None;
    std::string message;
};

class CsvReadErrorsTest : public CsvFileTest {
protected:
    Outcome TryLoad(TMemTable& table, std::string_view bytes) {
        try {
            Load(table, bytes);
        } catch (const EConvertError& e) {
            return {ErrorKind::Convert, e.what()};
        } catch (const EDatabaseError& e) {
            return {ErrorKind::Database, e.what()};
        } catch (const std::exception& e) {
            return {ErrorKind::Other, e.what()};
        }
        return {};
    }

    // A table defined by the program, for files without definitions.
    static void DefineTypedTable(TMemTable& table) {
        table.FieldDefs.Add("Id", FieldType::Integer);
        table.FieldDefs.Add("Amount", FieldType::Float);
        table.FieldDefs.Add("Day", FieldType::Date);
        table.FieldDefs.Add("At", FieldType::Time);
        table.FieldDefs.Add("When", FieldType::DateTime);
        table.FieldDefs.Add("Small", FieldType::SmallInt);
        table.Open();
    }
};

std::string Field(std::string_view definition) { return DefinitionFile({std::string(definition)}); }

TEST_F(CsvReadErrorsTest, RefusedFiles) {
    struct Case {
        std::string name;
        bool typedTable;  // else a table without fields
        std::string file;
        ErrorKind kind;
        std::string message;
        int rowsKept;
    };
    const std::string goodRow = "\"Id\",\"Amount\",\"Day\",\"At\",\"When\",\"Small\",\r\n\"1\",\"1.5\",,,,,\r\n";
    const std::vector<Case> cases = {
        {"type not in the table", false, Field("X=Foo,0,\"X\",\"\",10,Data,\"\""), ErrorKind::Database,
         "Unknown field type (Foo) in CSV file. (X=Foo,0,\"X\",\"\",10,Data,\"\")", 0},
        {"type that cannot be loaded", false, Field("X=Cursor,0,\"X\",\"\",10,Data,\"\""), ErrorKind::Database,
         "Unknown field type (Cursor) in CSV file. (X=Cursor,0,\"X\",\"\",10,Data,\"\")", 0},
        {"code 0", false, Field("X=Unknown,0,\"X\",\"\",10"), ErrorKind::Database,
         "Unknown field type (Unknown) in CSV file. (X=Unknown,0,\"X\",\"\",10)", 0},
        {"letter case of a type name counts", false, Field("X=integer,0,\"X\",\"\",10"), ErrorKind::Database,
         "Unknown field type (integer) in CSV file. (X=integer,0,\"X\",\"\",10)", 0},
        {"no type at all", false, Field("X"), ErrorKind::Database, "Unknown field type () in CSV file. (X)", 0},
        {"a header line inside the definitions", false, std::string(kCsvPrologue) + "\"Id\",\"Name\",\r\n",
         ErrorKind::Database, "Unknown field type () in CSV file. (Id)", 0},
        {"size not decimal", false, Field("X=String,abc,\"X\",\"\",10"), ErrorKind::Convert,
         "''abc'' is not a valid integer value", 0},
        {"negative width", false, Field("X=String,10,\"X\",\"\",-3"), ErrorKind::Convert,
         "''-3'' is not a valid integer value", 0},
        {"size missing", false, Field("X=String"), ErrorKind::Convert, "'''' is not a valid integer value", 0},
        {"size with blanks", false, Field("X=String,\" 5\",\"X\",\"\",10"), ErrorKind::Convert,
         "'' 5'' is not a valid integer value", 0},
        {"index on a field the file does not define", false,
         DefinitionFile({"A=Integer,0,\"A\",\"\",10"}, {"I=\"Nope\",\"I\""}), ErrorKind::Database,
         "MemTable: Field 'Nope' not found", 0},
        {"empty file, no fields", false, "", ErrorKind::Database, "Couldnt determine field count for load.", 0},
        {"line ends only, no fields", false, "\r\n\0\n"s, ErrorKind::Database,
         "Couldnt determine field count for load.", 0},
        {"titles all empty, no fields", false, ",,,,\r\n\"1\",", ErrorKind::Database,
         "Couldnt determine field count for load.", 0},
        {"definitions without fields", false, DefinitionFile({}), ErrorKind::Database,
         "There must be at least one field", 0},
        {"integer with letters", true, goodRow + "\"12a\",\r\n", ErrorKind::Convert,
         "'12a' is not a valid integer value for field 'Id'", 1},
        {"integer too big", true, goodRow + "\"2147483648\",\r\n", ErrorKind::Convert,
         "'2147483648' is not a valid integer value for field 'Id'", 1},
        {"small integer too big", true, goodRow + ",,,,,\"40000\",\r\n", ErrorKind::Convert,
         "'40000' is not a valid integer value for field 'Small'", 1},
        {"float with a comma", true, goodRow + "\"2\",\"1,5\",\r\n", ErrorKind::Convert,
         "'1,5' is not a valid floating point value for field 'Amount'", 1},
        {"impossible date", true, goodRow + "\"2\",,\"31/02/2018\",\r\n", ErrorKind::Convert,
         "''31/02/2018'' is not a valid date", 1},
        {"impossible time", true, goodRow + "\"2\",,,\"25:00\",\r\n", ErrorKind::Convert,
         "''25:00'' is not a valid time", 1},
        {"date in another form", true, goodRow + "\"2\",,,,\"2018-04-05\",\r\n", ErrorKind::Convert,
         "''2018-04-05'' is not a valid date and time", 1},
        {"required field left empty", false,
         Field("Name=String,10,\"Full name\",\"\",10,REQ,Data,\"\"") + "\"Full name\",\r\n\"a\",\r\n\"\",\r\nx\r\n",
         ErrorKind::Database, "Field 'Full name' must have a value", 2},
        {"equal keys in a unique index", false,
         DefinitionFile({"Id=Integer,0,\"Id\",\"\",10,Data,\"\""}, {"ById=\"Id\",\"ById\",UNIQ"}) +
             "\"Id\",\r\n\"1\",\r\n\"2\",\r\n\"1\",\r\n",
         ErrorKind::Database, "Duplicate index value. Operation aborted.", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TMemTable table;
        UseCsv(table);
        if (c.typedTable) DefineTypedTable(table);
        const Outcome outcome = TryLoad(table, c.file);
        EXPECT_EQ(outcome.kind, c.kind);
        EXPECT_EQ(outcome.message, c.message);
        if (table.Active()) {
            EXPECT_EQ(table.RecordCount(), c.rowsKept);
            EXPECT_EQ(table.State(), TDataSetState::Browse) << "the failing row is not left pending";
        } else {
            EXPECT_EQ(c.rowsKept, 0);
        }
    }
}

TEST_F(CsvReadErrorsTest, TheFailingRowIsNotStoredLater) {
    TMemTable table;
    UseCsv(table);
    DefineTypedTable(table);
    const Outcome outcome = TryLoad(table, "\"Id\",\"Amount\",\r\n\"1\",,\r\n\"2\",\"x\",\r\n");
    ASSERT_EQ(outcome.kind, ErrorKind::Convert);
    table.Last();
    table.First();
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 1);
}

}  // namespace
}  // namespace kvr::test
