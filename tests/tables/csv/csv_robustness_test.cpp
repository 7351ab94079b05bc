// Damaged and hostile CSV table files: every cut, byte flips and degenerate
// inputs either load or fail with one of the system's errors, and whatever
// loads writes back to a file that reads back the same.
#include <gtest/gtest.h>

#include <random>
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

// A table of every value class, with a required field and a unique index so
// that damage can break a rule as well as the syntax.
std::string CanonicalFile() {
    TMemTable table;
    table.DefaultFormat = TableFormat::Csv;
    table.FieldDefs.Add("Id", FieldType::Integer, 0, true);
    table.FieldDefs.Add("Name", FieldType::String, 12);
    table.FieldDefs.Add("Rate", FieldType::Float);
    table.FieldDefs.Add("Pay", FieldType::Currency);
    table.FieldDefs.Add("Day", FieldType::Date);
    table.FieldDefs.Add("At", FieldType::Time);
    table.FieldDefs.Add("When", FieldType::DateTime);
    table.FieldDefs.Add("Ok", FieldType::Boolean);
    table.FieldDefs.Add("Raw", FieldType::Blob);
    table.FieldDefs.Add("Big", FieldType::LargeInt).Visible = false;
    table.IndexDefs.Add("ById", "Id", ixUnique);
    table.IndexDefs.Add("ByName", "Name;When", ixCaseInsensitive | ixDescending);
    table.Open();
    for (int i = 1; i <= 4; ++i) {
        table.Append();
        table.FieldByName("Id").SetAsInteger(i * 7);
        if (i != 2) table.FieldByName("Name").SetAsString(i == 3 ? "50% \"off\"\r\n" : "Smith");
        table.FieldByName("Rate").SetAsFloat(i * 1.25);
        table.FieldByName("Pay").SetAsString("12.3456");
        table.FieldByName("Day").SetAsDateTime(EncodeDate(2018, 4, i));
        table.FieldByName("At").SetAsDateTime(EncodeTime(i, 30, 0, 0));
        if (i != 4) table.FieldByName("When").SetAsDateTime(EncodeDate(2020, i, 28) + EncodeTime(8, 0, 1, 0));
        table.FieldByName("Ok").SetAsBoolean(i % 2 == 0);
        table.FieldByName("Raw").SetValue(TFieldValue(std::string("\0\xFF,\"%"s.substr(0, static_cast<std::size_t>(i)))));
        table.FieldByName("Big").SetAsLargeInt(-(std::int64_t{1} << (40 + i)));
        table.Post();
    }
    return WriteCsvTable(table);
}

// Loads the bytes; a failure must be one of the system's errors. What loads
// must write back to a file that, after one more pass (a null text or Boolean
// value before the end of a line comes back as empty text or false), is its
// own fixed point.
void LoadSafely(std::string_view bytes, bool typedTable) {
    TMemTable table;
    table.DefaultFormat = TableFormat::Csv;
    if (typedTable) {
        table.FieldDefs.Add("Id", FieldType::Integer);
        table.FieldDefs.Add("Name", FieldType::String, 5);
        table.FieldDefs.Add("When", FieldType::DateTime);
        table.FieldDefs.Add("Raw", FieldType::Blob);
        table.Open();
    }
    try {
        table.LoadFromBytes(bytes);
    } catch (const Exception&) {
        return;
    }
    if (!table.Active()) return;
    std::string written;
    try {
        written = table.SaveToBytes();
    } catch (const EStreamError&) {
        return;  // a name from the file that no definition line can carry
    }
    for (int pass = 0; pass < 2; ++pass) {
        TMemTable again;
        again.DefaultFormat = TableFormat::Csv;
        again.LoadFromBytes(written);
        const std::string rewritten = again.SaveToBytes();
        if (pass == 1) {
            ASSERT_EQ(rewritten, written);
        }
        written = rewritten;
    }
}

TEST(CsvRobustness, CutAtEveryLength) {
    const std::string file = CanonicalFile();
    const std::size_t headerStart = file.find("\"Id\",\"Name\"");
    ASSERT_NE(headerStart, std::string::npos);
    for (std::size_t n = 0; n <= file.size(); ++n) {
        SCOPED_TRACE(n);
        // A copy of exactly n bytes, so that an over-read leaves the allocation.
        const std::string cut = file.substr(0, n);
        LoadSafely(cut, false);
        if (n >= headerStart) LoadSafely(cut.substr(headerStart), true);
    }
}

TEST(CsvRobustness, RandomByteChanges) {
    const std::string file = CanonicalFile();
    const std::string special = "\"\",,%\r\n\0=;RO "s;
    std::mt19937 random(20260101);
    for (int round = 0; round < 1000; ++round) {
        std::string damaged = file;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            const std::size_t at = random() % damaged.size();
            damaged[at] = random() % 2 ? special[random() % special.size()] : static_cast<char>(random() % 256);
        }
        SCOPED_TRACE(round);
        LoadSafely(damaged, false);
    }
}

TEST(CsvRobustness, DegenerateInputs) {
    std::string manyTitles, manyValues;
    for (int i = 0; i < 400; ++i) {
        manyTitles += "\"t" + std::to_string(i) + "\",";
        manyValues += "\"" + std::to_string(i) + "\",";
    }
    std::string manyDefinitions;
    for (int i = 0; i < 2000; ++i) manyDefinitions += "F" + std::to_string(i) + "=Integer,0,\"\",\"\",10,Data,\"\"\n";
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"long line", std::string(1 << 16, 'x')},
        {"long line after a header", "\"Id\",\"Name\",\r\n" + std::string(1 << 16, 'y')},
        {"unterminated quote", "\"Id\",\"Name\",\r\n\"1\",\"" + std::string(1 << 18, 'z')},
        {"all delimiters", std::string(1 << 18, ',')},
        {"delimiters after a header", "\"Id\",\r\n" + std::string(1 << 18, ',')},
        {"quotes only", std::string(1 << 18, '"')},
        {"NUL bytes", std::string(1 << 16, '\0')},
        {"NUL inside values", "\"Id\",\"Name\",\r\n\"1\0\",\"a\0b\",\r\n"s},
        {"escapes only", "\"Name\",\r\n\"" + std::string(1 << 16, '%') + "\","},
        {"many titles and values", manyTitles + "\r\n" + manyValues + "\r\n"},
        {"many definitions", std::string(kCsvPrologue) + manyDefinitions + "\"@@TABLEDEF END@@\"\r\n"},
        {"markers only", "\"@@TABLEDEF END@@\"\r\n\"@@INDEXDEF START@@\"\r\n\"@@INDEXDEF END@@\"\r\n"},
        {"index definitions outside the table definitions",
         "\"@@INDEXDEF START@@\"\r\n\"X=\"\"Id\"\"\"\r\n\"@@INDEXDEF END@@\"\r\n\"1\",\r\n"},
        {"index on a missing field", DefinitionFile({"A=Integer,0,\"A\",\"\",10"}, {"I=\"Nope\",\"I\""})},
        {"8-bit bytes", "\"\xE9t\xE9\",\"\x80\xFF\",\r\n\"\x81\",\"\x9D\",\r\n"},
    };
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        LoadSafely(bytes, false);
        LoadSafely(bytes, true);
    }
}

}  // namespace
}  // namespace kvr::test
