// The sample time-system employee list samples/kxEmp.bin: it is exactly what
// the writer makes of the list below, and it loads as the employee table the
// linking commands expect. Run with KVR_WRITE_SAMPLES=1 to write it anew
// after a deliberate change of the list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/datetime.h"
#include "support/file_io.h"
#include "tables/memtable.h"
#include "tables/table_formats.h"
#include "test_support/temp_dir.h"

namespace kvr::test {
namespace {

const std::string kSamplePath = std::string(KVR_SAMPLES_DIR) + "/kxEmp.bin";

struct Employee {
    int id;
    const char* lastName;
    const char* firstName;
    int year, month, day;
    const char* listId;  // the linked QuickBooks employee, empty when not linked
    const char* dept;    // none for an employee without a department
};

// Text is Windows-1252, as the time-and-attendance system exports it.
constexpr Employee kEmployees[] = {
    {1001, "Anderson", "Mary", 2011, 3, 14, "80000001-1357924680", "Office"},
    {1002, "Baker", "Thomas", 2014, 6, 2, "80000002-1357924681", "Production"},
    {1003, "Castillo", "Jos\xE9", 2016, 9, 21, "", "Production"},
    {1004, "Dubois", "Am\xE9lie", 2019, 1, 7, "", "Office"},
    {1005, "Evans", "Robert", 2008, 11, 30, "80000005-1357924684", "Shipping"},
    {1006, "Fischer", "J\xFCrgen", 2012, 4, 16, "", "Maint"},
    {1007, "Garc\xED" "a", "Luc\xED" "a", 2020, 2, 3, "", "Production"},
    {1008, "Hughes", "Patrick", 2015, 8, 24, "", "Shipping"},
    {1009, "Ivanova", "Elena", 2021, 5, 10, "", nullptr},
    {1010, "Johnson", "Michael", 2007, 10, 1, "", "Production"},
    {1011, "Kowalski", "Piotr", 2017, 12, 11, "", "Maint"},
    {1012, "Lef\xE8vre", "Claire", 2013, 7, 29, "", "Office"},
    {1013, "Martin", "Sarah", 2018, 4, 5, "", "Production"},
    {1014, "Nguyen", "Thanh", 2022, 1, 17, "", "Shipping"},
    {1015, "O'Brien", "Sean", 2010, 9, 13, "", "Production"},
    {1016, "Pe\xF1" "a", "Carlos", 2016, 3, 28, "", "Maint"},
    {1017, "Quinn", "Deborah", 2009, 6, 22, "", "Office"},
    {1018, "Rossi", "Marco", 2023, 8, 14, "", "Production"},
    {1019, "Smith", "John", 2006, 2, 20, "", "Shipping"},
    {1020, "Smith", "John", 2024, 10, 7, "", "Production"},
};

void BuildEmployeeList(TMemTable& table) {
    table.FieldDefs.Add("Id", FieldType::Integer);
    table.FieldDefs.Add("Last Name", FieldType::String, 20);
    table.FieldDefs.Add("First Name", FieldType::String, 15);
    table.FieldDefs.Add("Hire Date", FieldType::DateTime);
    table.FieldDefs.Add("ListId", FieldType::String, 20);
    table.FieldDefs.Add("Dept", FieldType::String, 10);
    table.IndexDefs.Add("EmpIDX", "Last Name;First Name;Hire Date");
    table.IndexDefs.Add("EmpIDX2", "Id", ixUnique);
    table.Open();
    for (const Employee& e : kEmployees) {
        table.Append();
        table.FieldByName("Id").SetAsInteger(e.id);
        table.FieldByName("Last Name").SetAsString(e.lastName);
        table.FieldByName("First Name").SetAsString(e.firstName);
        table.FieldByName("Hire Date").SetAsDateTime(EncodeDate(e.year, e.month, e.day));
        table.FieldByName("ListId").SetAsString(e.listId);
        if (e.dept != nullptr) table.FieldByName("Dept").SetAsString(e.dept);
        table.Post();
    }
}

TEST(KxEmpSample, IsWhatTheWriterMakesOfTheList) {
    TMemTable table;
    BuildEmployeeList(table);
    const std::string written = WriteCsvTable(table);
    if (std::getenv("KVR_WRITE_SAMPLES") != nullptr) ReplaceFileAtomically(kSamplePath, written);
    EXPECT_EQ(TempDir::Read(kSamplePath), written);
}

TEST(KxEmpSample, LoadsAsTheEmployeeTable) {
    TMemTable table("mtKXEmp");
    table.DefaultFormat = TableFormat::Csv;
    table.LoadFromFile(kSamplePath);
    ASSERT_EQ(table.RecordCount(), 20);
    EXPECT_EQ(table.FieldByName("Last Name").Size(), 20);
    EXPECT_EQ(table.FieldByName("Hire Date").DataType(), FieldType::DateTime);

    table.SetIndexName("EmpIDX");
    table.SetKey();
    table.FieldByName("Last Name").SetAsString("Smith");
    table.FieldByName("First Name").SetAsString("John");
    table.FieldByName("Hire Date").SetAsDateTime(EncodeDate(2024, 10, 7));
    ASSERT_TRUE(table.GotoKey());
    EXPECT_EQ(table.FieldByName("Id").AsInteger(), 1020);
    EXPECT_TRUE(table.FieldByName("ListId").AsString().empty());

    table.SetIndexName("EmpIDX2");
    table.SetKey();
    table.FieldByName("Id").SetAsInteger(1016);
    ASSERT_TRUE(table.GotoKey());
    EXPECT_EQ(table.FieldByName("Last Name").AsString(), "Pe\xF1" "a");
    EXPECT_EQ(table.FieldByName("ListId").AsString(), "");

    table.SetKey();
    table.FieldByName("Id").SetAsInteger(1009);
    ASSERT_TRUE(table.GotoKey());
    EXPECT_TRUE(table.FieldByName("Dept").IsNull());
}

}  // namespace
}  // namespace kvr::test
