// Memory table benchmark: loading and saving a 100,000-row payroll file,
// loading a 10,000-row employee CSV file, rebuilding indexes, key searches and
// sorting, each measured beside the same work in an in-memory SQLite
// database. Prints ours / SQLite for every pair and the memory the loaded
// payroll table takes against its file's size.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "tables/memtable.h"
#include "tables/schemas.h"

// ---- allocation counting, for the memory figures

namespace {
// The benchmark runs on one thread; plain counters keep the counting cheap.
std::size_t gLiveBytes = 0;
std::size_t gPeakBytes = 0;

void* CountedAlloc(std::size_t size) {
    void* p = std::malloc(size + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<std::size_t*>(p) = size;
    gLiveBytes += size;
    if (gLiveBytes > gPeakBytes) gPeakBytes = gLiveBytes;
    return static_cast<char*>(p) + 16;
}

void CountedFree(void* p) noexcept {
    if (!p) return;
    void* base = static_cast<char*>(p) - 16;
    gLiveBytes -= *static_cast<std::size_t*>(base);
    std::free(base);
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, std::size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { CountedFree(p); }

namespace {

using kvr::TMemTable;

constexpr int kPayrollRows = 100000;
constexpr int kEmployees = 10000;
const char* const kEarnCodes[] = {"REG", "OT", "SICK", "VAC"};
const char* const kLastNames[] = {"Smith", "Johnson", "Williams", "Brown", "Jones", "Garcia", "Miller", "Davis",
                                  "Rodriguez", "Martinez", "Hernandez", "Lopez", "Gonzalez", "Wilson", "Anderson",
                                  "Thomas", "Taylor", "Moore", "Jackson", "Martin", "Lee", "Perez", "Thompson",
                                  "White", "Harris", "Sanchez", "Clark", "Ramirez", "Lewis", "Robinson", "Walker"};
const char* const kFirstNames[] = {"James", "Mary", "Robert", "Patricia", "John", "Jennifer", "Michael", "Linda",
                                   "David", "Elizabeth", "William", "Barbara", "Richard", "Susan", "Joseph", "Jessica"};

struct PayRow {
    int id;
    std::string dept, cls, earn;
    double rate, date;
    int minutes;
    double hours, amount;
    int rateInt;
};

struct EmpRow {
    int id;
    std::string last, first;
    double hired;
    std::string listId, dept;
};

std::vector<PayRow> MakePayroll() {
    std::vector<PayRow> rows;
    for (int i = 0; i < kPayrollRows; ++i) {
        const int id = 1000 + i % 2000;
        const double rate = 15.5 + (id % 20);
        const int minutes = 240 + (i % 5) * 60;
        rows.push_back({id, "D" + std::to_string(id % 12), "C" + std::to_string(id % 3), kEarnCodes[i % 4], rate,
                        45292.0 + i / 2000, minutes, minutes / 60.0, rate * minutes / 60.0, static_cast<int>(rate)});
    }
    return rows;
}

std::vector<EmpRow> MakeEmployees() {
    std::vector<EmpRow> rows;
    for (int i = 0; i < kEmployees; ++i) {
        char listId[32];
        std::snprintf(listId, sizeof listId, "%08X-%010d", 0x80000000u + static_cast<unsigned>(i * 7919 % kEmployees),
                      1200000000 + i);
        rows.push_back({1 + (i * 7919) % kEmployees, kLastNames[i % 31] + std::to_string(i % 97), kFirstNames[i % 16],
                        30000.0 + i % 9000, listId, "D" + std::to_string(i % 12)});
    }
    return rows;
}

void FillPayroll(TMemTable& pay, const std::vector<PayRow>& rows) {
    kvr::CreatePayrollTable(pay, 1);
    pay.SetIndexName("");
    for (const PayRow& r : rows) {
        pay.Append();
        pay.Fields(0).SetAsInteger(r.id);
        pay.Fields(1).SetAsString(r.dept);
        pay.Fields(2).SetAsString(r.cls);
        pay.Fields(3).SetAsString(r.earn);
        pay.Fields(4).SetAsFloat(r.rate);
        pay.Fields(5).SetAsDateTime(r.date);
        pay.Fields(6).SetAsInteger(r.minutes);
        pay.Fields(7).SetAsFloat(r.hours);
        pay.Fields(8).SetAsFloat(r.amount);
        pay.Fields(10).SetAsInteger(r.rateInt);
        pay.Post();
    }
}

void DefineEmployees(TMemTable& emp) {
    emp.Close();
    emp.FieldDefs.Clear();
    emp.FieldDefs.Add("Id", kvr::FieldType::Integer);
    emp.FieldDefs.Add("Last Name", kvr::FieldType::String, 20);
    emp.FieldDefs.Add("First Name", kvr::FieldType::String, 15);
    emp.FieldDefs.Add("Hire Date", kvr::FieldType::DateTime);
    emp.FieldDefs.Add("ListId", kvr::FieldType::String, 20);
    emp.FieldDefs.Add("Dept", kvr::FieldType::String, 6);
    emp.IndexDefs.Clear();
    emp.IndexDefs.Add("EmpIDX", "Last Name;First Name;Hire Date");
    emp.IndexDefs.Add("EmpIDX2", "Id");
    emp.IndexDefs.Add("ByListId", "ListId", kvr::ixUnique);
    emp.Open();
}

void FillEmployees(TMemTable& emp, const std::vector<EmpRow>& rows) {
    DefineEmployees(emp);
    for (const EmpRow& r : rows) {
        emp.Append();
        emp.Fields(0).SetAsInteger(r.id);
        emp.Fields(1).SetAsString(r.last);
        emp.Fields(2).SetAsString(r.first);
        emp.Fields(3).SetAsDateTime(r.hired);
        emp.Fields(4).SetAsString(r.listId);
        emp.Fields(5).SetAsString(r.dept);
        emp.Post();
    }
}

// Shared data, made once.
struct Data {
    std::vector<PayRow> payroll = MakePayroll();
    std::vector<EmpRow> employees = MakeEmployees();
    std::string payrollBinary;
    std::string employeesCsv;
    Data() {
        TMemTable pay("mtPay");
        pay.DefaultFormat = kvr::TableFormat::Binary;
        FillPayroll(pay, payroll);
        payrollBinary = pay.SaveToBytes();
        TMemTable emp("mtKXEmp");
        emp.DefaultFormat = kvr::TableFormat::Csv;
        FillEmployees(emp, employees);
        employeesCsv = emp.SaveToBytes();
    }
};

const Data& TheData() {
    static const Data data;
    return data;
}

// ---- SQLite side

struct Db {
    sqlite3* db = nullptr;
    Db() { sqlite3_open(":memory:", &db); }
    ~Db() { sqlite3_close(db); }
    void Exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "sqlite: %s\n", error);
            std::abort();
        }
    }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
        return stmt;
    }
};

void SqlitePayroll(Db& db, const std::vector<PayRow>& rows) {
    db.Exec("CREATE TABLE pay(Id INTEGER, Dept TEXT, Class TEXT, Earn TEXT, Rate REAL, Date REAL, Time INTEGER,"
            " Hours REAL, Amount REAL, Num TEXT, RateInt INTEGER, Comment TEXT);"
            "CREATE UNIQUE INDEX PyIndex1 ON pay(Id, Earn, Date);");
    db.Exec("BEGIN");
    sqlite3_stmt* insert = db.Prepare("INSERT INTO pay VALUES(?,?,?,?,?,?,?,?,?,NULL,?,NULL)");
    for (const PayRow& r : rows) {
        sqlite3_bind_int(insert, 1, r.id);
        sqlite3_bind_text(insert, 2, r.dept.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, r.cls.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 4, r.earn.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 5, r.rate);
        sqlite3_bind_double(insert, 6, r.date);
        sqlite3_bind_int(insert, 7, r.minutes);
        sqlite3_bind_double(insert, 8, r.hours);
        sqlite3_bind_double(insert, 9, r.amount);
        sqlite3_bind_int(insert, 10, r.rateInt);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    db.Exec("COMMIT");
}

void SqliteEmployees(Db& db, const std::vector<EmpRow>& rows) {
    db.Exec("CREATE TABLE emp(Id INTEGER, Last TEXT, First TEXT, Hired REAL, ListId TEXT, Dept TEXT);"
            "CREATE INDEX EmpIDX ON emp(Last, First, Hired); CREATE INDEX EmpIDX2 ON emp(Id);"
            "CREATE UNIQUE INDEX ByListId ON emp(ListId);");
    db.Exec("BEGIN");
    sqlite3_stmt* insert = db.Prepare("INSERT INTO emp VALUES(?,?,?,?,?,?)");
    for (const EmpRow& r : rows) {
        sqlite3_bind_int(insert, 1, r.id);
        sqlite3_bind_text(insert, 2, r.last.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 3, r.first.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_double(insert, 4, r.hired);
        sqlite3_bind_text(insert, 5, r.listId.c_str(), -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, r.dept.c_str(), -1, SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    db.Exec("COMMIT");
}

// ---- the pairs

void Ours_LoadPayrollBinary(benchmark::State& state) {
    const Data& data = TheData();
    for (auto _ : state) {
        TMemTable pay("mtPay");
        pay.DefaultFormat = kvr::TableFormat::Binary;
        pay.LoadFromBytes(data.payrollBinary);
        benchmark::DoNotOptimize(pay.RecordCount());
    }
}
void SQLite_LoadPayrollBinary(benchmark::State& state) {
    const Data& data = TheData();
    for (auto _ : state) {
        Db db;
        SqlitePayroll(db, data.payroll);
    }
}

void Ours_SavePayrollBinary(benchmark::State& state) {
    TMemTable pay("mtPay");
    pay.DefaultFormat = kvr::TableFormat::Binary;
    pay.LoadFromBytes(TheData().payrollBinary);
    for (auto _ : state) benchmark::DoNotOptimize(pay.SaveToBytes());
}
void SQLite_SavePayrollBinary(benchmark::State& state) {
    Db db;
    SqlitePayroll(db, TheData().payroll);
    sqlite3_stmt* select = db.Prepare("SELECT * FROM pay");
    for (auto _ : state) {
        double sum = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            for (int c = 0; c < 12; ++c) {
                if (sqlite3_column_type(select, c) == SQLITE_TEXT) {
                    sum += static_cast<double>(sqlite3_column_bytes(select, c));
                } else {
                    sum += sqlite3_column_double(select, c);
                }
            }
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(select);
}

void Ours_LoadEmployeesCsv(benchmark::State& state) {
    const Data& data = TheData();
    for (auto _ : state) {
        TMemTable emp("mtKXEmp");
        emp.DefaultFormat = kvr::TableFormat::Csv;
        emp.LoadFromBytes(data.employeesCsv);
        benchmark::DoNotOptimize(emp.RecordCount());
    }
}
void SQLite_LoadEmployeesCsv(benchmark::State& state) {
    const Data& data = TheData();
    for (auto _ : state) {
        Db db;
        SqliteEmployees(db, data.employees);
    }
}

void Ours_RebuildIndexes(benchmark::State& state) {
    TMemTable pay("mtPay");
    pay.DefaultFormat = kvr::TableFormat::Binary;
    pay.LoadFromBytes(TheData().payrollBinary);
    for (auto _ : state) {
        pay.IndexDefs.Clear();
        pay.UpdateIndexes();
        pay.IndexDefs.Add("PyIndex1", "Id;Earn;Date", kvr::ixUnique);
        pay.UpdateIndexes();
    }
}
void SQLite_RebuildIndexes(benchmark::State& state) {
    Db db;
    SqlitePayroll(db, TheData().payroll);
    for (auto _ : state) {
        db.Exec("DROP INDEX PyIndex1");
        db.Exec("CREATE UNIQUE INDEX PyIndex1 ON pay(Id, Earn, Date)");
    }
}

void Ours_GotoKeyString(benchmark::State& state) {
    const Data& data = TheData();
    TMemTable emp("mtKXEmp");
    emp.DefaultFormat = kvr::TableFormat::Csv;
    emp.LoadFromBytes(data.employeesCsv);
    emp.SetIndexName("ByListId");
    std::size_t i = 0;
    for (auto _ : state) {
        emp.SetKey();
        emp.Fields(4).SetAsString(data.employees[i++ % data.employees.size()].listId);
        if (!emp.GotoKey()) state.SkipWithError("key not found");
    }
}
void SQLite_GotoKeyString(benchmark::State& state) {
    const Data& data = TheData();
    Db db;
    SqliteEmployees(db, data.employees);
    sqlite3_stmt* find = db.Prepare("SELECT rowid FROM emp WHERE ListId = ?");
    std::size_t i = 0;
    for (auto _ : state) {
        sqlite3_bind_text(find, 1, data.employees[i++ % data.employees.size()].listId.c_str(), -1, SQLITE_STATIC);
        if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("key not found");
        sqlite3_reset(find);
    }
    sqlite3_finalize(find);
}

void Ours_GotoKeyInteger(benchmark::State& state) {
    const Data& data = TheData();
    TMemTable emp("mtKXEmp");
    emp.DefaultFormat = kvr::TableFormat::Csv;
    emp.LoadFromBytes(data.employeesCsv);
    emp.SetIndexName("EmpIDX2");
    std::size_t i = 0;
    for (auto _ : state) {
        emp.SetKey();
        emp.Fields(0).SetAsInteger(data.employees[i++ % data.employees.size()].id);
        if (!emp.GotoKey()) state.SkipWithError("key not found");
    }
}
void SQLite_GotoKeyInteger(benchmark::State& state) {
    const Data& data = TheData();
    Db db;
    SqliteEmployees(db, data.employees);
    sqlite3_stmt* find = db.Prepare("SELECT rowid FROM emp WHERE Id = ?");
    std::size_t i = 0;
    for (auto _ : state) {
        sqlite3_bind_int(find, 1, data.employees[i++ % data.employees.size()].id);
        if (sqlite3_step(find) != SQLITE_ROW) state.SkipWithError("key not found");
        sqlite3_reset(find);
    }
    sqlite3_finalize(find);
}

void Ours_SortOnOneField(benchmark::State& state) {
    TMemTable emp("mtKXEmp");
    emp.DefaultFormat = kvr::TableFormat::Csv;
    emp.LoadFromBytes(TheData().employeesCsv);
    for (auto _ : state) emp.SortOn("Last Name");
}
void SQLite_SortOnOneField(benchmark::State& state) {
    Db db;
    SqliteEmployees(db, TheData().employees);
    for (auto _ : state) {
        db.Exec("CREATE INDEX SortIdx ON emp(Last)");
        db.Exec("DROP INDEX SortIdx");
    }
}

#define PAIR(name)                                                              \
    BENCHMARK(Ours_##name)->Unit(benchmark::kMicrosecond)->MinTime(0.3);        \
    BENCHMARK(SQLite_##name)->Unit(benchmark::kMicrosecond)->MinTime(0.3)

PAIR(LoadPayrollBinary);
PAIR(SavePayrollBinary);
PAIR(LoadEmployeesCsv);
PAIR(RebuildIndexes);
PAIR(GotoKeyString);
PAIR(GotoKeyInteger);
PAIR(SortOnOneField);

// Collects each benchmark's time per iteration for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

void PrintMemory() {
    const std::string& file = TheData().payrollBinary;
    const std::size_t before = gLiveBytes;
    gPeakBytes = before;
    std::size_t after;
    {
        TMemTable pay("mtPay");
        pay.DefaultFormat = kvr::TableFormat::Binary;
        pay.LoadFromBytes(file);
        after = gLiveBytes;
    }
    const double table = static_cast<double>(after - before);
    const double peak = static_cast<double>(gPeakBytes - before);
    std::printf("\nmemory: payroll file %.0f bytes; loaded table %.0f bytes (%.2fx the file); "
                "peak while loading %.0f bytes (%.2fx the file; goal under 3x)\n",
                static_cast<double>(file.size()), table, table / static_cast<double>(file.size()), peak,
                peak / static_cast<double>(file.size()));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TheData();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratio ours / SQLite (goal at or below 0.5):\n");
    for (const auto& [name, ours] : reporter.times) {
        if (name.rfind("Ours_", 0) != 0) continue;
        const std::string pair = name.substr(5);
        const auto theirs = reporter.times.find("SQLite_" + pair);
        if (theirs == reporter.times.end()) continue;
        std::printf("  %-20s %10.1f us / %10.1f us = %.3f  (CPU time)\n", pair.c_str(), ours, theirs->second, ours / theirs->second);
    }
    PrintMemory();
    benchmark::Shutdown();
    return 0;
}
