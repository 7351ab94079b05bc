// Field and index definitions of the program's own tables.
#include "tables/schemas.h"

#include <initializer_list>
#include <string_view>

namespace kvr {

namespace {

struct FieldSpec {
    const char* name;
    FieldType type;
    int size;
};

struct IndexSpec {
    const char* name;
    const char* fields;
    TIndexOptions options;
};

void Define(TMemTable& table, std::initializer_list<FieldSpec> fields, std::initializer_list<IndexSpec> indexes,
            std::string_view currentIndex) {
    table.EmptyTable();
    table.Close();
    table.MasterSource = nullptr;
    table.FieldDefs.Clear();
    for (const FieldSpec& field : fields) table.FieldDefs.Add(field.name, field.type, field.size, false);
    table.IndexDefs.Clear();
    for (const IndexSpec& index : indexes) table.IndexDefs.Add(index.name, index.fields, index.options);
    table.CreateTable();
    table.SetEnableIndexes(true);
    table.Open();
    table.SetIndexName(currentIndex);
}

}  // namespace

void CreatePayrollTable(TMemTable& table, int mode) {
    const std::initializer_list<FieldSpec> fields = {
        {"Id", FieldType::Integer, 0},    {"Dept", FieldType::String, 6},     {"Class", FieldType::String, 6},
        {"Earn", FieldType::String, 10},  {"Rate", FieldType::Float, 0},      {"Date", FieldType::DateTime, 0},
        {"Time", FieldType::Integer, 0},  {"Hours", FieldType::Float, 0},     {"Amount", FieldType::Float, 0},
        {"Num", FieldType::String, 10},   {"RateInt", FieldType::Integer, 0}, {"Comment", FieldType::String, 30},
    };
    if (mode == 1) {
        Define(table, fields, {{"PyIndex1", "Id;Earn;Date", ixUnique}}, "PyIndex1");
    } else {
        Define(table, fields, {{"PyIndex2", "Id;Dept;Class;Earn;Rate", 0}}, "PyIndex1");
    }
}

void CreateQBEmployeeTable(TMemTable& table) {
    Define(table,
           {{"LastName", FieldType::String, 20}, {"FirstName", FieldType::String, 15},
            {"HiredDate", FieldType::DateTime, 0}, {"Addr1", FieldType::String, 41},
            {"IsActive", FieldType::Boolean, 0}, {"ID", FieldType::Integer, 0}, {"ListId", FieldType::String, 20}},
           {{"QBEmpIndex1", "ListID", ixUnique},
            {"QBEmpIndex2", "ListId;LastName;FirstName", 0},
            {"QBEmpIndex3", "ID", 0},
            {"QBEmpIndex4", "LastName;FirstName;ListId", 0}},
           "QBEmpIndex1");
}

void CreateQBWageTable(TMemTable& table) {
    Define(table,
           {{"ListId", FieldType::String, 20}, {"Name", FieldType::String, 35}, {"WageType", FieldType::String, 20},
            {"IsActive", FieldType::Boolean, 0}, {"EID", FieldType::String, 4}},
           {{"QBPayIndex1", "ListID", ixUnique}, {"QBPayIndex2", "EID", 0}}, "QBPayIndex1");
}

}  // namespace kvr
