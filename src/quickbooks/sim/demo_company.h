// The demo company that "kvrtool company create --demo" writes: employees
// and wage items chosen to exercise names, escaping and matching.
#pragma once

#include "quickbooks/sim/company_file.h"

namespace kvr::qbsim {

// Adds the demo employees and wage items to an empty company, in one transaction.
void AddDemoLists(CompanyFile& company);

// "First Middle Last", the name QuickBooks gives an employee by default.
std::string EmployeeFullName(const Employee& employee);

}  // namespace kvr::qbsim
