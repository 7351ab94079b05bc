// Shared pieces of the QuickBooks tests: demo company files in a temporary
// folder and request texts in the envelope the program sends.
#pragma once

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "quickbooks/qb_error.h"
#include "quickbooks/sim/company_file.h"
#include "quickbooks/sim/demo_company.h"
#include "test_support/temp_dir.h"

namespace kvr::test {

inline constexpr std::string_view kUSDoctype =
    "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 9.0//EN' 'http://developer.intuit.com'>";
inline constexpr std::string_view kCADoctype =
    "<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD CA9.0//EN' 'http://developer.intuit.com'>";

// The request text: declaration, version line, QBXML / QBXMLMsgsRq around body.
inline std::string Envelope(std::string_view body, std::string_view onError = "stopOnError",
                            std::string_view versionLine = kUSDoctype) {
    return "<?xml version=\"1.0\" ?>\r\n" + std::string(versionLine) + "\r\n<QBXML>\r\n<QBXMLMsgsRq onError=\"" +
           std::string(onError) + "\">\r\n" + std::string(body) + "\r\n</QBXMLMsgsRq>\r\n</QBXML>\r\n";
}

inline std::string MakeDemoCompany(const TempDir& dir, qbsim::Edition edition = qbsim::Edition::US,
                                   std::string_view name = "demo.qbw") {
    const std::string path = dir.File(name);
    qbsim::CompanyFile::Create(path, "Test Company", edition);
    qbsim::CompanyFile company(path);
    qbsim::AddDemoLists(company);
    return path;
}

// The ListID of the demo list object of that name, found in list.
template <typename List>
std::string ListIDByName(const List& list, std::string_view name) {
    for (const auto& item : list)
        if (item.name == name) return item.listID;
    ADD_FAILURE() << "no demo list object " << name;
    return {};
}

inline std::string EmployeeListID(const std::string& path, std::string_view name) {
    return ListIDByName(qbsim::CompanyFile(path).Employees(), name);
}

inline std::string WageItemListID(const std::string& path, std::string_view name) {
    return ListIDByName(qbsim::CompanyFile(path).WageItems(), name);
}

// A TimeTrackingAddRq as the posting pass builds it, with the given parts.
inline std::string TimeAdd(std::string_view date, std::string_view entity, std::string_view duration,
                           std::string_view wage, std::string_view extra = "<BillableStatus>NotBillable</BillableStatus>") {
    std::string add = "<TimeTrackingAddRq requestID=\"1\"><TimeTrackingAdd>";
    if (!date.empty()) add += "<TxnDate>" + std::string(date) + "</TxnDate>";
    add += "<EntityRef><ListID>" + std::string(entity) + "</ListID></EntityRef>";
    add += "<Duration>" + std::string(duration) + "</Duration>";
    if (!wage.empty()) add += "<PayrollItemWageRef><ListID>" + std::string(wage) + "</ListID></PayrollItemWageRef>";
    return add + std::string(extra) + "</TimeTrackingAdd></TimeTrackingAddRq>";
}

// Asserts that call raises EQBSessionError with that HRESULT and text.
template <typename Call>
void ExpectQBError(Call&& call, QBResult hresult, std::string_view text) {
    try {
        call();
        ADD_FAILURE() << "no error; expected " << text;
    } catch (const EQBSessionError& e) {
        EXPECT_EQ(e.HResult(), hresult) << e.what();
        EXPECT_EQ(std::string(e.what()), text);
    }
}

}  // namespace kvr::test
