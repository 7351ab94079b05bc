// Reading, formatting and walking an employee query response of 10,000
// records as the employee import does, next to pugixml parsing and writing
// the same text. Prints ours / pugixml for parsing, for writing the indented
// text, and for our whole read-format-walk against pugixml's parse.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "xml/xml_node.h"

namespace {

std::string EmployeeResponse(int records) {
    std::string text =
        "<?xml version=\"1.0\" ?>\r\n<QBXML>\r\n<QBXMLMsgsRs>\r\n"
        "<EmployeeQueryRs requestID=\"1\" statusCode=\"0\" statusSeverity=\"Info\" statusMessage=\"Status OK\">\r\n";
    char record[2048];
    for (int i = 0; i < records; ++i) {
        std::snprintf(record, sizeof record,
                      "<EmployeeRet>\r\n"
                      "<ListID>%08X-1234567890</ListID>\r\n"
                      "<TimeCreated>2019-04-01T09:12:33-05:00</TimeCreated>\r\n"
                      "<TimeModified>2023-11-20T16:45:02-05:00</TimeModified>\r\n"
                      "<EditSequence>1700516702</EditSequence>\r\n"
                      "<Name>O&apos;Brien %d, Pat</Name>\r\n"
                      "<IsActive>true</IsActive>\r\n"
                      "<FirstName>Pat</FirstName>\r\n"
                      "<LastName>O&apos;Brien %d</LastName>\r\n"
                      "<EmployeeAddress>\r\n<Addr1>%d Main Street</Addr1>\r\n<City>Springfield</City>\r\n"
                      "<State>IL</State>\r\n<PostalCode>62704</PostalCode>\r\n</EmployeeAddress>\r\n"
                      "<PrintAs>Pat O&apos;Brien</PrintAs>\r\n"
                      "<Phone>555-01%02d</Phone>\r\n"
                      "<Email>pat.obrien%d@example.com</Email>\r\n"
                      "<EmployeeType>Regular</EmployeeType>\r\n"
                      "<Gender>Female</Gender>\r\n"
                      "<HiredDate>2019-04-01</HiredDate>\r\n"
                      "<EmployeePayrollInfo>\r\n<PayPeriod>Biweekly</PayPeriod>\r\n"
                      "<Earnings>\r\n<PayrollItemWageRef>\r\n<ListID>80000004-1234567890</ListID>\r\n"
                      "<FullName>Hourly Regular</FullName>\r\n</PayrollItemWageRef>\r\n<Rate>21.50</Rate>\r\n"
                      "</Earnings>\r\n</EmployeePayrollInfo>\r\n"
                      "</EmployeeRet>\r\n",
                      0x80000000u + static_cast<unsigned>(i), i, i, i + 1, i % 100, i);
        text.append(record);
    }
    text.append("</EmployeeQueryRs>\r\n</QBXMLMsgsRs>\r\n</QBXML>\r\n");
    return text;
}

const std::string& Response() {
    static const std::string text = EmployeeResponse(10'000);
    return text;
}

// What the employee import reads of each record.
std::size_t Walk(const kvr::TxdataNode& root) {
    std::size_t bytes = 0;
    root.ForEach("QBXMLMsgsRs/EmployeeQueryRs", "EmployeeRet", [&](kvr::TxdataNode* x) {
        for (const char* path : {"ListID", "LastName", "FirstName", "HiredDate", "EmployeeAddress/Addr1", "IsActive"}) {
            bytes += x->ValueByPath(path).size();
        }
    });
    return bytes;
}

void OursParse(benchmark::State& state) {
    for (auto _ : state) {
        kvr::TxdataNode node;
        node.LoadXml(std::string_view(Response()));
        benchmark::DoNotOptimize(node.Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Response().size()));
}
BENCHMARK(OursParse)->Unit(benchmark::kMillisecond);

void PugixmlParse(benchmark::State& state) {
    for (auto _ : state) {
        pugi::xml_document document;
        const pugi::xml_parse_result result = document.load_buffer(Response().data(), Response().size());
        benchmark::DoNotOptimize(result.status);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Response().size()));
}
BENCHMARK(PugixmlParse)->Unit(benchmark::kMillisecond);

void OursFormat(benchmark::State& state) {
    kvr::TxdataNode node;
    node.LoadXml(std::string_view(Response()));
    std::vector<std::string> lines;
    for (auto _ : state) {
        node.FormatXml(&lines);
        benchmark::DoNotOptimize(lines.size());
    }
}
BENCHMARK(OursFormat)->Unit(benchmark::kMillisecond);

// Into a new list every time, as a caller does that formats a tree once.
void OursFormatFresh(benchmark::State& state) {
    kvr::TxdataNode node;
    node.LoadXml(std::string_view(Response()));
    for (auto _ : state) {
        const std::vector<std::string> lines = node.FormatXml();
        benchmark::DoNotOptimize(lines.size());
    }
}
BENCHMARK(OursFormatFresh)->Unit(benchmark::kMillisecond);

void PugixmlFormat(benchmark::State& state) {
    pugi::xml_document document;
    document.load_buffer(Response().data(), Response().size());
    for (auto _ : state) {
        struct Sink : pugi::xml_writer {
            std::string text;
            void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
        } sink;
        document.save(sink, "  ", pugi::format_indent | pugi::format_no_declaration);
        benchmark::DoNotOptimize(sink.text.size());
    }
}
BENCHMARK(PugixmlFormat)->Unit(benchmark::kMillisecond);

void OursWalk(benchmark::State& state) {
    kvr::TxdataNode node;
    node.LoadXml(std::string_view(Response()));
    for (auto _ : state) benchmark::DoNotOptimize(Walk(node));
}
BENCHMARK(OursWalk)->Unit(benchmark::kMillisecond);

void OursReadFormatWalk(benchmark::State& state) {
    for (auto _ : state) {
        kvr::TxdataNode node;
        node.LoadXml(std::string_view(Response()));
        std::vector<std::string> lines;
        node.FormatXml(&lines);
        benchmark::DoNotOptimize(Walk(node));
    }
}
BENCHMARK(OursReadFormatWalk)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's CPU time per iteration for the ratios printed at the
// end; CPU time, because the machine is shared and wall time wanders. With
// --benchmark_repetitions the fastest repetition counts: others sharing the
// machine only ever add time.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                const double perIteration = run.cpu_accumulated_time / static_cast<double>(run.iterations);
                const auto [it, fresh] = seconds.try_emplace(run.run_name.function_name, perIteration);
                if (!fresh && perIteration < it->second) it->second = perIteration;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintRatio(const RatioReporter& reporter, const char* label, const char* ours, const char* theirs) {
    const auto a = reporter.seconds.find(ours);
    const auto b = reporter.seconds.find(theirs);
    if (a == reporter.seconds.end() || b == reporter.seconds.end() || b->second <= 0) return;
    std::printf("%-44s %6.2f\n", label, a->second / b->second);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("employee response: %zu bytes, 10000 records\n", Response().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nratios (ours / pugixml):\n");
    PrintRatio(reporter, "parse", "OursParse", "PugixmlParse");
    PrintRatio(reporter, "write indented text, into the same list", "OursFormat", "PugixmlFormat");
    PrintRatio(reporter, "write indented text, into a new list", "OursFormatFresh", "PugixmlFormat");
    PrintRatio(reporter, "read-format-walk / pugixml parse (goal < 3)", "OursReadFormatWalk", "PugixmlParse");
    benchmark::Shutdown();
    return 0;
}
