// The simulated company file; layout in docs/formats/company-file.md.
#include "quickbooks/sim/company_file.h"

#include <filesystem>

#include "quickbooks/qb_error.h"
#include "quickbooks/sim/qb_values.h"
#include "quickbooks/sim/sqlite_statement.h"
#include "support/codepage.h"
#include "support/errors.h"

namespace kvr::qbsim {

namespace {

// Written to the SQLite header so that any other database is refused: "KVRQ".
constexpr std::int64_t kApplicationID = 0x4B565251;
// Permanent: raise it, and teach the reader the old layout, when the layout changes.
constexpr std::int64_t kFormatVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE company (
  id INTEGER PRIMARY KEY CHECK (id = 1),
  name TEXT NOT NULL,
  edition TEXT NOT NULL CHECK (edition IN ('US', 'CA')),
  next_list_counter INTEGER NOT NULL,
  next_txn_counter INTEGER NOT NULL);
CREATE TABLE employee (
  list_id TEXT PRIMARY KEY, time_created TEXT NOT NULL, time_modified TEXT NOT NULL,
  edit_sequence TEXT NOT NULL, name TEXT NOT NULL UNIQUE COLLATE NOCASE, is_active INTEGER NOT NULL,
  first_name TEXT NOT NULL, middle_name TEXT NOT NULL, last_name TEXT NOT NULL,
  addr1 TEXT NOT NULL, hired_date TEXT NOT NULL);
CREATE TABLE wage_item (
  list_id TEXT PRIMARY KEY, time_created TEXT NOT NULL, time_modified TEXT NOT NULL,
  edit_sequence TEXT NOT NULL, name TEXT NOT NULL UNIQUE COLLATE NOCASE, is_active INTEGER NOT NULL,
  wage_type TEXT NOT NULL);
CREATE TABLE time_entry (
  txn_id TEXT PRIMARY KEY, txn_number INTEGER NOT NULL, time_created TEXT NOT NULL,
  time_modified TEXT NOT NULL, edit_sequence TEXT NOT NULL, txn_date TEXT NOT NULL,
  entity_list_id TEXT NOT NULL, payroll_item_list_id TEXT NOT NULL, duration_seconds INTEGER NOT NULL,
  billable_status TEXT NOT NULL, notes TEXT NOT NULL, external_guid TEXT NOT NULL);
CREATE INDEX time_entry_by_date ON time_entry (txn_date, txn_number);
CREATE TABLE fault (
  position INTEGER PRIMARY KEY, kind TEXT NOT NULL CHECK (kind IN ('call', 'refusal')),
  call TEXT NOT NULL, ordinal INTEGER NOT NULL, phase TEXT NOT NULL,
  hresult INTEGER NOT NULL, status_code INTEGER NOT NULL, text TEXT NOT NULL);
)sql";

[[noreturn]] void CannotStart() { throw QBError(kQBErrCannotStart); }

sqlite3* OpenDatabase(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 10000);
    return db;
}

std::int64_t PragmaValue(sqlite3* db, const char* sql) {
    Statement pragma(db, sql);
    return pragma.Step() ? pragma.Int(0) : 0;
}

const char* kEmployeeColumns =
    "list_id, time_created, time_modified, edit_sequence, name, is_active, first_name, middle_name, "
    "last_name, addr1, hired_date";

// The six columns every list row starts with.
template <typename T>
T ReadListHeader(const Statement& row) {
    T item;
    item.listID = row.Text(0);
    item.timeCreated = row.Text(1);
    item.timeModified = row.Text(2);
    item.editSequence = row.Text(3);
    item.name = row.Text(4);
    item.isActive = row.Int(5) != 0;
    return item;
}

Employee ReadEmployee(const Statement& row) {
    Employee e = ReadListHeader<Employee>(row);
    e.firstName = row.Text(6);
    e.middleName = row.Text(7);
    e.lastName = row.Text(8);
    e.addr1 = row.Text(9);
    e.hiredDate = row.Text(10);
    return e;
}

const char* kWageColumns = "list_id, time_created, time_modified, edit_sequence, name, is_active, wage_type";

WageItem ReadWageItem(const Statement& row) {
    WageItem w = ReadListHeader<WageItem>(row);
    w.wageType = row.Text(6);
    return w;
}

// The list object with that ListID or, when listID is empty, that name
// (without regard to letter case, as QuickBooks compares names).
template <typename T, typename Read>
std::optional<T> FindOne(sqlite3* db, const char* columns, const char* table, const std::string& listID,
                         const std::string& fullName, Read read) {
    const bool byID = !listID.empty();
    Statement query(db, (std::string("SELECT ") + columns + " FROM " + table + " WHERE " +
                         (byID ? "list_id = ?" : "name = ?"))
                            .c_str());
    query.Bind(1, byID ? listID : fullName);
    if (!query.Step()) return std::nullopt;
    return read(query);
}

}  // namespace

std::string_view EditionName(Edition edition) { return edition == Edition::US ? "US" : "CA"; }

void CompanyFile::Create(const std::string& path, const std::string& companyName, Edition edition) {
    std::error_code ec;
    if (path.empty() || std::filesystem::exists(path, ec))
        throw EFileError("Cannot create company file \"" + Utf8ToAnsi(path) + "\". It already exists.");
    sqlite3* db = OpenDatabase(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!db) throw EFileError("Cannot create company file \"" + Utf8ToAnsi(path) + "\".");
    try {
        ExecSql(db, "PRAGMA journal_mode = WAL");
        ExecSql(db, "BEGIN IMMEDIATE");
        ExecSql(db, ("PRAGMA application_id = " + std::to_string(kApplicationID)).c_str());
        ExecSql(db, ("PRAGMA user_version = " + std::to_string(kFormatVersion)).c_str());
        ExecSql(db, kSchema);
        Statement insert(db, "INSERT INTO company VALUES (1, ?, ?, ?, 1)");
        insert.Bind(1, companyName).Bind(2, EditionName(edition)).Bind(3, std::int64_t{0x80000001});
        insert.Step();
        ExecSql(db, "COMMIT");
    } catch (...) {
        sqlite3_close(db);
        std::filesystem::remove(path, ec);
        throw;
    }
    sqlite3_close(db);
}

CompanyFile::CompanyFile(const std::string& path) : path_(path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) CannotStart();
    db_ = OpenDatabase(path, SQLITE_OPEN_READWRITE);
    if (!db_) CannotStart();
    try {
        if (PragmaValue(db_, "PRAGMA application_id") != kApplicationID ||
            PragmaValue(db_, "PRAGMA user_version") != kFormatVersion)
            CannotStart();
        ExecSql(db_, "PRAGMA synchronous = NORMAL");
        Statement company(db_, "SELECT edition FROM company WHERE id = 1");
        if (!company.Step()) CannotStart();
        edition_ = company.Text(0) == "CA" ? Edition::CA : Edition::US;
    } catch (const EQBSessionError&) {
        sqlite3_close(db_);
        CannotStart();
    }
}

CompanyFile::~CompanyFile() { sqlite3_close(db_); }

std::string CompanyFile::CompanyName() {
    Statement company(db_, "SELECT name FROM company WHERE id = 1");
    return company.Step() ? company.Text(0) : std::string();
}

void CompanyFile::BeginTransaction() { ExecSql(db_, "BEGIN IMMEDIATE"); }
void CompanyFile::Commit() { ExecSql(db_, "COMMIT"); }
void CompanyFile::Rollback() {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::int64_t CompanyFile::NextCounter(const char* column) {
    const std::string name = column;
    Statement read(db_, ("SELECT " + name + " FROM company WHERE id = 1").c_str());
    if (!read.Step()) FailSqlite(db_);
    const std::int64_t value = read.Int(0);
    Statement write(db_, ("UPDATE company SET " + name + " = " + name + " + 1 WHERE id = 1").c_str());
    write.Step();
    return value;
}

std::string CompanyFile::BindListHeader(Statement& insert, const std::string& name, bool isActive) {
    const std::int64_t now = NowSeconds();
    const std::string listID = MakeObjectID(NextCounter("next_list_counter"), now);
    const std::string stamp = NowTimeStamp();
    insert.Bind(1, listID).Bind(2, stamp).Bind(3, stamp).Bind(4, std::to_string(now)).Bind(5, name);
    insert.Bind(6, std::int64_t{isActive});
    return listID;
}

std::string CompanyFile::AddEmployee(const Employee& e) {
    Statement insert(db_, "INSERT INTO employee VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const std::string listID = BindListHeader(insert, e.name, e.isActive);
    insert.Bind(7, e.firstName).Bind(8, e.middleName).Bind(9, e.lastName).Bind(10, e.addr1).Bind(11, e.hiredDate);
    insert.Step();
    return listID;
}

std::string CompanyFile::AddWageItem(const WageItem& w) {
    Statement insert(db_, "INSERT INTO wage_item VALUES (?, ?, ?, ?, ?, ?, ?)");
    const std::string listID = BindListHeader(insert, w.name, w.isActive);
    insert.Bind(7, w.wageType).Step();
    return listID;
}

TimeEntry CompanyFile::AddTimeEntry(const TimeEntry& entry) {
    TimeEntry stored = entry;
    const std::int64_t now = NowSeconds();
    stored.txnNumber = NextCounter("next_txn_counter");
    stored.txnID = MakeObjectID(stored.txnNumber, now);
    stored.timeCreated = stored.timeModified = NowTimeStamp();
    stored.editSequence = std::to_string(now);
    Statement insert(db_, "INSERT INTO time_entry VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.Bind(1, stored.txnID).Bind(2, stored.txnNumber).Bind(3, stored.timeCreated);
    insert.Bind(4, stored.timeModified).Bind(5, stored.editSequence).Bind(6, stored.txnDate);
    insert.Bind(7, stored.entityListID).Bind(8, stored.payrollItemListID).Bind(9, stored.durationSeconds);
    insert.Bind(10, stored.billableStatus).Bind(11, stored.notes).Bind(12, stored.externalGUID);
    insert.Step();
    return stored;
}

bool CompanyFile::DeleteTimeEntry(const std::string& txnID) {
    Statement del(db_, "DELETE FROM time_entry WHERE txn_id = ?");
    del.Bind(1, txnID).Step();
    return sqlite3_changes(db_) > 0;
}

std::vector<Employee> CompanyFile::Employees() {
    Statement query(db_, (std::string("SELECT ") + kEmployeeColumns + " FROM employee ORDER BY name").c_str());
    std::vector<Employee> result;
    while (query.Step()) result.push_back(ReadEmployee(query));
    return result;
}

std::vector<WageItem> CompanyFile::WageItems() {
    Statement query(db_, (std::string("SELECT ") + kWageColumns + " FROM wage_item ORDER BY name").c_str());
    std::vector<WageItem> result;
    while (query.Step()) result.push_back(ReadWageItem(query));
    return result;
}

std::optional<Employee> CompanyFile::FindEmployee(const std::string& listID, const std::string& fullName) {
    return FindOne<Employee>(db_, kEmployeeColumns, "employee", listID, fullName, ReadEmployee);
}

std::optional<WageItem> CompanyFile::FindWageItem(const std::string& listID, const std::string& fullName) {
    return FindOne<WageItem>(db_, kWageColumns, "wage_item", listID, fullName, ReadWageItem);
}

std::vector<TimeEntry> CompanyFile::TimeEntries(const TimeEntryFilter& filter) {
    Statement query(db_,
                    "SELECT t.txn_id, t.txn_number, t.time_created, t.time_modified, t.edit_sequence, t.txn_date, "
                    "t.entity_list_id, coalesce(e.name, ''), t.payroll_item_list_id, coalesce(w.name, ''), "
                    "t.duration_seconds, t.billable_status, t.notes, t.external_guid "
                    "FROM time_entry t LEFT JOIN employee e ON e.list_id = t.entity_list_id "
                    "LEFT JOIN wage_item w ON w.list_id = t.payroll_item_list_id "
                    "WHERE (?1 = '' OR t.txn_date >= ?1) AND (?2 = '' OR t.txn_date <= ?2) "
                    "ORDER BY t.txn_date, t.txn_number");
    query.Bind(1, filter.fromDate).Bind(2, filter.toDate);
    const auto wanted = [](const std::vector<std::string>& list, const std::string& value) {
        if (list.empty()) return true;
        for (const std::string& item : list)
            if (item == value) return true;
        return false;
    };
    std::vector<TimeEntry> result;
    while (query.Step()) {
        TimeEntry t;
        t.txnID = query.Text(0);
        t.txnNumber = query.Int(1);
        t.timeCreated = query.Text(2);
        t.timeModified = query.Text(3);
        t.editSequence = query.Text(4);
        t.txnDate = query.Text(5);
        t.entityListID = query.Text(6);
        t.entityName = query.Text(7);
        t.payrollItemListID = query.Text(8);
        t.payrollItemName = query.Text(9);
        t.durationSeconds = query.Int(10);
        t.billableStatus = query.Text(11);
        t.notes = query.Text(12);
        t.externalGUID = query.Text(13);
        if (wanted(filter.txnIDs, t.txnID) && wanted(filter.entityListIDs, t.entityListID))
            result.push_back(std::move(t));
    }
    return result;
}

FaultPlan CompanyFile::LoadFaultPlan() {
    Statement query(db_, "SELECT kind, call, ordinal, phase, hresult, status_code, text FROM fault ORDER BY position");
    FaultPlan plan;
    while (query.Step()) {
        const std::int64_t ordinal = query.Int(2);
        const int safeOrdinal = ordinal < 0 || ordinal > 1000000000 ? -1 : static_cast<int>(ordinal);
        if (query.Text(0) == "refusal") {
            plan.refusals.push_back({safeOrdinal, static_cast<int>(query.Int(5)), query.Text(6)});
            continue;
        }
        const auto call = ParseFaultCall(query.Text(1));
        const auto phase = ParseFaultPhase(query.Text(3));
        if (!call || !phase) continue;  // a plan written by a later simulator; its other faults still hold
        plan.calls.push_back({*call, safeOrdinal, *phase, static_cast<QBResult>(query.Int(4)), query.Text(6)});
    }
    return plan;
}

void CompanyFile::StoreFaultPlan(const FaultPlan& plan) {
    BeginTransaction();
    try {
        ExecSql(db_, "DELETE FROM fault");
        Statement insert(db_, "INSERT INTO fault (kind, call, ordinal, phase, hresult, status_code, text) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?)");
        for (const CallFault& f : plan.calls) {
            insert.Bind(1, "call").Bind(2, FaultCallName(f.call)).Bind(3, std::int64_t{f.ordinal});
            insert.Bind(4, FaultPhaseName(f.phase)).Bind(5, std::int64_t{f.hresult}).Bind(6, std::int64_t{0});
            insert.Bind(7, f.text).Step();
            insert.Reset();
        }
        for (const EntryRefusal& r : plan.refusals) {
            insert.Bind(1, "refusal").Bind(2, "request").Bind(3, std::int64_t{r.ordinal}).Bind(4, "before");
            insert.Bind(5, std::int64_t{0}).Bind(6, std::int64_t{r.statusCode}).Bind(7, r.message).Step();
            insert.Reset();
        }
        Commit();
    } catch (...) {
        Rollback();
        throw;
    }
}

}  // namespace kvr::qbsim
