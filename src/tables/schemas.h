// The schemas of the program's own tables: the payroll table, the QuickBooks
// employee table and the wage item table. Each operation empties, closes and
// redefines the table it is given, then opens it with its current index.
#pragma once

#include "tables/memtable.h"

namespace kvr {

// mode 1: unique index "PyIndex1" on "Id;Earn;Date", current; mode 0: index
// "PyIndex2" on "Id;Dept;Class;Earn;Rate", rows kept in the order added.
void CreatePayrollTable(TMemTable& table, int mode);
void CreateQBEmployeeTable(TMemTable& table);
void CreateQBWageTable(TMemTable& table);

}  // namespace kvr
