// A simulated QuickBooks company file: an SQLite database holding the
// company, its employees, wage payroll items, time-tracking transactions and
// a stored fault plan (docs/formats/company-file.md). All text is UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quickbooks/sim/fault_plan.h"

struct sqlite3;

namespace kvr::qbsim {

class Statement;

enum class Edition { US, CA };

struct Employee {
    std::string listID, timeCreated, timeModified, editSequence, name;
    bool isActive = true;
    std::string firstName, middleName, lastName, addr1, hiredDate;  // hiredDate "yyyy-mm-dd" or empty
};

struct WageItem {
    std::string listID, timeCreated, timeModified, editSequence, name;
    bool isActive = true;
    std::string wageType;
};

struct TimeEntry {
    std::string txnID;
    std::int64_t txnNumber = 0;
    std::string timeCreated, timeModified, editSequence, txnDate;
    std::string entityListID, entityName;            // the name is read, never stored
    std::string payrollItemListID, payrollItemName;  // empty when the entry has no wage item
    std::int64_t durationSeconds = 0;
    std::string billableStatus, notes, externalGUID;
};

struct TimeEntryFilter {
    std::vector<std::string> txnIDs;  // when not empty, only these
    std::string fromDate, toDate;     // "yyyy-mm-dd", empty for open
    std::vector<std::string> entityListIDs;
};

class CompanyFile {
public:
    // Makes a new, empty company file; raises EFileError when path exists
    // or cannot be created.
    static void Create(const std::string& path, const std::string& companyName, Edition edition);

    // Opens an existing company file; raises EQBSessionError 0x80040408
    // ("Could not start QuickBooks.") for anything else.
    explicit CompanyFile(const std::string& path);
    ~CompanyFile();
    CompanyFile(const CompanyFile&) = delete;
    CompanyFile& operator=(const CompanyFile&) = delete;

    const std::string& Path() const { return path_; }
    Edition GetEdition() const { return edition_; }
    std::string CompanyName();

    // One write transaction; a process that dies inside one leaves the file as before it.
    void BeginTransaction();
    void Commit();
    void Rollback();

    // Each returns the new object's ListID / TxnID.
    std::string AddEmployee(const Employee& employee);
    std::string AddWageItem(const WageItem& item);
    TimeEntry AddTimeEntry(const TimeEntry& entry);
    bool DeleteTimeEntry(const std::string& txnID);

    // Sorted by name, as QuickBooks lists them.
    std::vector<Employee> Employees();
    std::vector<WageItem> WageItems();
    std::optional<Employee> FindEmployee(const std::string& listID, const std::string& fullName);
    std::optional<WageItem> FindWageItem(const std::string& listID, const std::string& fullName);
    // By date, then by transaction number.
    std::vector<TimeEntry> TimeEntries(const TimeEntryFilter& filter = {});

    FaultPlan LoadFaultPlan();
    void StoreFaultPlan(const FaultPlan& plan);

private:
    std::int64_t NextCounter(const char* column);
    // Binds the six columns every list row starts with; returns the new ListID.
    std::string BindListHeader(Statement& insert, const std::string& name, bool isActive);

    std::string path_;
    sqlite3* db_ = nullptr;
    Edition edition_ = Edition::US;
};

std::string_view EditionName(Edition edition);  // "US", "CA"

}  // namespace kvr::qbsim
