// The simulated QuickBooks' own cost: per accepted TimeTrackingAdd and per
// employee query over 10,000 employees, so that measurements of the program
// can tell its cost per posted row from the simulator's.
#include <filesystem>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "quickbooks/sim/company_file.h"
#include "quickbooks/sim/sim_session_manager.h"

namespace {

using namespace kvr;

class BenchCompany {
public:
    explicit BenchCompany(int employees) {
        std::random_device rd;
        dir_ = std::filesystem::temp_directory_path() / ("kvrbench-" + std::to_string(rd()));
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "bench.qbw").string();
        qbsim::CompanyFile::Create(path_, "Bench", qbsim::Edition::US);
        qbsim::CompanyFile company(path_);
        company.BeginTransaction();
        for (int i = 0; i < employees; ++i) {
            qbsim::Employee e;
            e.firstName = "First" + std::to_string(i);
            e.lastName = "Last" + std::to_string(i);
            e.name = e.firstName + " " + e.lastName;
            e.addr1 = std::to_string(i) + " Main St";
            e.hiredDate = "2015-06-01";
            const std::string id = company.AddEmployee(e);
            if (i == 0) employeeID_ = id;
        }
        qbsim::WageItem wage;
        wage.name = "Regular Pay";
        wage.wageType = "HourlyRegular";
        wageID_ = company.AddWageItem(wage);
        company.Commit();
    }
    ~BenchCompany() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Path() const { return path_; }
    const std::string& EmployeeID() const { return employeeID_; }
    const std::string& WageID() const { return wageID_; }

private:
    std::filesystem::path dir_;
    std::string path_, employeeID_, wageID_;
};

std::string Envelope(const std::string& body, const char* onError) {
    return "<?xml version=\"1.0\" ?>\r\n<!DOCTYPE QBXML PUBLIC '-//INTUIT//DTD QBXML QBD 9.0//EN' "
           "'http://developer.intuit.com'>\r\n<QBXML>\r\n<QBXMLMsgsRq onError=\"" +
           std::string(onError) + "\">\r\n" + body + "\r\n</QBXMLMsgsRq>\r\n</QBXML>\r\n";
}

void BM_TimeTrackingAdd(benchmark::State& state) {
    BenchCompany company(100);
    const std::string request = Envelope(
        "<TimeTrackingAddRq requestID=\"1\"><TimeTrackingAdd><TxnDate>2018-03-05</TxnDate><EntityRef><ListID>" +
            company.EmployeeID() + "</ListID></EntityRef><Duration>PT8H30M</Duration><PayrollItemWageRef><ListID>" +
            company.WageID() + "</ListID></PayrollItemWageRef><BillableStatus>NotBillable</BillableStatus>"
                               "</TimeTrackingAdd></TimeTrackingAddRq>",
        "continueOnError");
    qbsim::SimSessionManager manager;
    manager.OpenConnection("", "Korvex Payroll Interface");
    manager.BeginSession(company.Path(), omDontCare);
    for (auto _ : state) {
        const std::string response = manager.DoRequestsFromXMLString(request)->ToXMLString();
        if (response.find("statusCode=\"0\"") == std::string::npos) state.SkipWithError("entry refused");
        benchmark::DoNotOptimize(response.data());
    }
    manager.EndSession();
    manager.CloseConnection();
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("per accepted TimeTrackingAdd, one per request, one session");
}
BENCHMARK(BM_TimeTrackingAdd)->Unit(benchmark::kMicrosecond);

void BM_EmployeeQuery10000(benchmark::State& state) {
    BenchCompany company(10000);
    const std::string request =
        Envelope("<EmployeeQueryRq requestID=\"1\"><MaxReturned>10000</MaxReturned></EmployeeQueryRq>", "stopOnError");
    qbsim::SimSessionManager manager;
    manager.OpenConnection("", "Korvex Payroll Interface");
    manager.BeginSession(company.Path(), omDontCare);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string response = manager.DoRequestsFromXMLString(request)->ToXMLString();
        bytes += response.size();
        benchmark::DoNotOptimize(response.data());
    }
    manager.EndSession();
    manager.CloseConnection();
    state.SetItemsProcessed(state.iterations() * 10000);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetLabel("one EmployeeQueryRq answering 10,000 employees");
}
BENCHMARK(BM_EmployeeQuery10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
