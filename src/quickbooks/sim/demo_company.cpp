// The demo company; see demo_company.h.
#include "quickbooks/sim/demo_company.h"

namespace kvr::qbsim {

namespace {

struct DemoEmployee {
    const char* first;
    const char* middle;
    const char* last;
    const char* addr1;
    const char* hired;
    bool active;
    const char* name = nullptr;  // when the default name is taken
};

// Among them: an apostrophe, an ampersand, accented letters, a name that
// Windows-1252 cannot hold, two people sharing first and last name (told
// apart by their hire dates) and two who have left.
const DemoEmployee kEmployees[] = {
    {"Mary", "", "O'Brien", "14 Harbour Rd", "2012-04-16", true},
    {"James", "T", "Smith & Jones", "220 Main St", "2016-08-01", true},
    {"José", "", "García", "7 Calle Mayor", "2018-01-08", true},
    {"Zoë", "", "Müller", "3 Lindenweg", "2019-05-20", true},
    {"François", "", "Lefèvre", "88 Rue de l'Église", "2014-11-03", true},
    {"Łukasz", "", "Wiśniewski", "15 Ogrodowa", "2020-02-17", true},
    {"John", "", "Smith", "101 Elm St", "2010-03-01", true},
    {"John", "", "Smith", "45 Oak Ave", "2022-06-13", true, "John Smith 2"},
    {"Patricia", "L", "Johnson", "9 Birch Ln", "2011-09-12", true},
    {"Robert", "", "Williams", "612 Pine St", "2013-02-25", true},
    {"Linda", "M", "Brown", "77 Cedar Ct", "2015-07-06", true},
    {"Michael", "", "Davis", "18 Maple Dr", "2017-10-30", true},
    {"Barbara", "", "Miller", "5 Spruce Way", "2009-01-19", true},
    {"William", "J", "Wilson", "300 Lake Rd", "2021-04-05", true},
    {"Elizabeth", "", "Moore", "42 Hill St", "2016-03-14", true},
    {"David", "", "Taylor", "61 River Rd", "2018-08-27", true},
    {"Jennifer", "A", "Anderson", "12 Park Pl", "2019-12-02", true},
    {"Richard", "", "Thomas", "8 Bay St", "2012-06-18", true},
    {"Susan", "", "Jackson", "230 King St", "2014-09-08", true},
    {"Joseph", "", "White", "17 Queen St", "2020-10-19", true},
    {"Jessica", "", "Harris", "90 Mill Rd", "2023-01-09", true},
    {"Thomas", "", "Martin", "4 Station Rd", "2008-05-12", false},
    {"Sarah", "", "Thompson", "26 Church St", "2015-02-23", false},
    {"Charles", "", "Martínez", "33 Vine St", "2022-11-07", true},
    {"Karen", "", "Robinson", "", "", true},
};

const WageItem kWageItems[] = {
    {"", "", "", "", "Regular Pay", true, "HourlyRegular"},
    {"", "", "", "", "Overtime Rate", true, "HourlyOvertime"},
    {"", "", "", "", "Sick Hourly", true, "HourlySick"},
    {"", "", "", "", "Vacation Hourly", true, "HourlyVacation"},
    {"", "", "", "", "Salary", true, "SalaryRegular"},
    {"", "", "", "", "Double Time (old)", false, "HourlyOvertime"},
};

}  // namespace

std::string EmployeeFullName(const Employee& e) {
    std::string name = e.firstName;
    for (const std::string* part : {&e.middleName, &e.lastName}) {
        if (part->empty()) continue;
        if (!name.empty()) name += ' ';
        name += *part;
    }
    return name;
}

void AddDemoLists(CompanyFile& company) {
    company.BeginTransaction();
    try {
        for (const DemoEmployee& d : kEmployees) {
            Employee e;
            e.firstName = d.first;
            e.middleName = d.middle;
            e.lastName = d.last;
            e.addr1 = d.addr1;
            e.hiredDate = d.hired;
            e.isActive = d.active;
            e.name = d.name ? d.name : EmployeeFullName(e);
            company.AddEmployee(e);
        }
        for (const WageItem& w : kWageItems) company.AddWageItem(w);
        company.Commit();
    } catch (...) {
        company.Rollback();
        throw;
    }
}

}  // namespace kvr::qbsim
