// The program's own table schemas.
#include <gtest/gtest.h>

#include "tables/schemas.h"
#include "table_fixture.h"

namespace kvr {
namespace {

using test::ErrorOf;

void AddPay(TMemTable& pay, int id, const char* earn, const char* date) {
    pay.Append();
    pay.FieldByName("Id").SetAsInteger(id);
    pay.FieldByName("Earn").SetAsString(earn);
    pay.FieldByName("Date").SetAsString(date);
    pay.Post();
}

TEST(SchemaTest, PayrollModeOneIsUniqueOnIdEarnAndDate) {
    TMemTable pay("mtPay");
    CreatePayrollTable(pay, 1);
    EXPECT_EQ(pay.IndexName(), "PyIndex1");
    AddPay(pay, 7, "REG", "01/02/2024");
    EXPECT_EQ(ErrorOf([&] { AddPay(pay, 7, "REG", "01/02/2024"); }), "Duplicate index value. Operation aborted.");
}

TEST(SchemaTest, PayrollModeZeroKeepsRowsInTheOrderAdded) {
    TMemTable pay("mtPay");
    CreatePayrollTable(pay, 0);
    EXPECT_EQ(pay.IndexName(), "");
    AddPay(pay, 9, "REG", "01/02/2024");
    AddPay(pay, 7, "REG", "01/02/2024");
    AddPay(pay, 7, "REG", "01/02/2024");
    EXPECT_EQ(test::Column(pay, "Id"), (std::vector<std::string>{"9", "7", "7"}));
}

TEST(SchemaTest, EachSchemaHasItsFieldsIndexesAndCurrentIndex) {
    const struct {
        void (*create)(TMemTable&);
        const char* fields;
        const char* indexes;
        const char* current;
    } cases[] = {
        {CreateQBEmployeeTable, "LastName:String:20 FirstName:String:15 HiredDate:DateTime:0 Addr1:String:41 "
                                "IsActive:Boolean:0 ID:Integer:0 ListId:String:20",
         "QBEmpIndex1=ListID QBEmpIndex2=ListId;LastName;FirstName QBEmpIndex3=ID QBEmpIndex4=LastName;FirstName;ListId",
         "QBEmpIndex1"},
        {CreateQBWageTable, "ListId:String:20 Name:String:35 WageType:String:20 IsActive:Boolean:0 EID:String:4",
         "QBPayIndex1=ListID QBPayIndex2=EID", "QBPayIndex1"},
        {[](TMemTable& t) { CreatePayrollTable(t, 1); },
         "Id:Integer:0 Dept:String:6 Class:String:6 Earn:String:10 Rate:Float:0 Date:DateTime:0 Time:Integer:0 "
         "Hours:Float:0 Amount:Float:0 Num:String:10 RateInt:Integer:0 Comment:String:30",
         "PyIndex1=Id;Earn;Date", "PyIndex1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        TMemTable table("mt");
        c.create(table);
        std::string fields, indexes;
        for (int i = 0; i < table.FieldCount(); ++i) {
            const TField& f = table.Fields(i);
            fields += (i ? " " : "") + f.FieldName() + ":" + std::string(FieldTypeName(f.DataType())) + ":" +
                      std::to_string(f.Size());
        }
        for (int i = 0; i < table.IndexDefs.Count(); ++i) {
            indexes += (i ? " " : "") + table.IndexDefs[i].Name + "=" + table.IndexDefs[i].Fields;
        }
        EXPECT_EQ(fields, c.fields);
        EXPECT_EQ(indexes, c.indexes);
        EXPECT_EQ(table.IndexName(), c.current);
        EXPECT_TRUE(table.EnableIndexes());
    }
}

TEST(SchemaTest, RedefiningRemovesEveryRow) {
    TMemTable emp("mtQBEmp");
    CreateQBEmployeeTable(emp);
    emp.Append();
    emp.FieldByName("ListId").SetAsString("80000001-1");
    emp.Post();
    CreateQBEmployeeTable(emp);
    EXPECT_EQ(emp.RecordCount(), 0);
}

}  // namespace
}  // namespace kvr
