// kvrtool company: creates simulated QuickBooks company files, sends request
// text through the session manager as the program does, lists a company's
// contents and sets its stored fault plan.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>

#include "commands.h"
#include "quickbooks/qb_error.h"
#include "quickbooks/qb_session.h"
#include "support/codepage.h"
#include "support/errors.h"

#ifdef KVR_HAVE_QBSIM
#include "quickbooks/sim/company_file.h"
#include "quickbooks/sim/demo_company.h"
#include "quickbooks/sim/qb_values.h"
#endif

namespace kvr::tool {

namespace {

constexpr const char* kUsage =
    "usage: kvrtool company create FILE [--edition US|CA] [--demo]\n"
    "       kvrtool company request FILE  (request text on standard input)\n"
    "       kvrtool company list FILE employees|wage-items|time\n"
    "       kvrtool company fault FILE clear|show\n"
    "       kvrtool company fault FILE open-connection|begin-session|end-session|close-connection [N] HRESULT [TEXT]\n"
    "       kvrtool company fault FILE request N before|after HRESULT [TEXT]\n"
    "       kvrtool company fault FILE entry N STATUS [MESSAGE]\n";

constexpr const char* kAppName = "Korvex Payroll Interface";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Sends the request the way the program's exchanges do: the closing steps
// run also after a failure, and a failure of theirs replaces an earlier one.
int Request(const std::string& file) {
    const std::string request{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    const auto manager = CoQBSessionManager();
    std::string response;
    std::optional<EQBSessionError> failure;
    try {
        manager->OpenConnection("", kAppName);
        manager->BeginSession(file, omDontCare);
        manager->GetCurrentCompanyFileName();
        response = manager->DoRequestsFromXMLString(request)->ToXMLString();
    } catch (const EQBSessionError& e) {
        failure = e;
    }
    manager->EndSession();
    manager->CloseConnection();
    if (failure) throw *failure;
    std::fwrite(response.data(), 1, response.size(), stdout);
    return 0;
}

#ifdef KVR_HAVE_QBSIM

using namespace qbsim;

int Create(const Args& args) {
    std::optional<Edition> edition;
    bool demo = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--demo" && !demo) {
            demo = true;
        } else if (args[i] == "--edition" && !edition && i + 1 < args.size() &&
                   (args[i + 1] == "US" || args[i + 1] == "CA")) {
            edition = args[++i] == "US" ? Edition::US : Edition::CA;
        } else {
            return Usage();
        }
    }
    const std::string& file = args[1];
    CompanyFile::Create(file, demo ? "Korvex Demo Company" : "New Company", edition.value_or(Edition::US));
    if (demo) {
        CompanyFile company(file);
        AddDemoLists(company);
    }
    return 0;
}

// Values are printed with tabs, line breaks and backslashes escaped, so that
// every row stays one line of fields.
std::string Field(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

void PrintRow(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) line += '\t';
        first = false;
        line += Field(field);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

const char* Bool(bool value) { return value ? "true" : "false"; }

int List(const Args& args) {
    if (args.size() != 3) return Usage();
    const std::string& what = args[2];
    if (what != "employees" && what != "wage-items" && what != "time") return Usage();
    CompanyFile company(args[1]);
    if (what == "employees") {
        PrintRow({"ListID", "Name", "IsActive", "FirstName", "MiddleName", "LastName", "Addr1", "HiredDate",
                  "TimeCreated", "TimeModified", "EditSequence"});
        for (const Employee& e : company.Employees())
            PrintRow({e.listID, e.name, Bool(e.isActive), e.firstName, e.middleName, e.lastName, e.addr1, e.hiredDate,
                      e.timeCreated, e.timeModified, e.editSequence});
    } else if (what == "wage-items") {
        PrintRow({"ListID", "Name", "IsActive", "WageType", "TimeCreated", "TimeModified", "EditSequence"});
        for (const WageItem& w : company.WageItems())
            PrintRow({w.listID, w.name, Bool(w.isActive), w.wageType, w.timeCreated, w.timeModified, w.editSequence});
    } else {
        PrintRow({"TxnID", "TxnNumber", "TxnDate", "EntityListID", "EntityName", "Duration", "PayrollItemWageListID",
                  "PayrollItemWageName", "BillableStatus", "Notes", "ExternalGUID", "TimeCreated"});
        for (const TimeEntry& t : company.TimeEntries())
            PrintRow({t.txnID, std::to_string(t.txnNumber), t.txnDate, t.entityListID, t.entityName,
                      FormatQBDuration(t.durationSeconds), t.payrollItemListID, t.payrollItemName, t.billableStatus,
                      t.notes, t.externalGUID, t.timeCreated});
    }
    return 0;
}

std::optional<int> ParseCount(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    return std::stoi(text);
}

std::optional<QBResult> ParseHResult(const std::string& text) {
    if (text.size() < 3 || text.size() > 10 || (text.substr(0, 2) != "0x" && text.substr(0, 2) != "0X"))
        return std::nullopt;
    QBResult value = 0;
    for (char c : text.substr(2)) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<QBResult>(digit);
    }
    return value;
}

std::string HexText(QBResult value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

void ShowPlan(const FaultPlan& plan) {
    PrintRow({"Kind", "Call", "Ordinal", "Phase", "Code", "Text"});
    for (const CallFault& f : plan.calls)
        PrintRow({"call", FaultCallName(f.call), std::to_string(f.ordinal), FaultPhaseName(f.phase), HexText(f.hresult),
                  f.text});
    for (const EntryRefusal& r : plan.refusals)
        PrintRow({"refusal", "entry", std::to_string(r.ordinal), "", std::to_string(r.statusCode), r.message});
}

// Adds the fault that args[2..] describe to plan; false for wrong arguments.
bool AddFault(const Args& args, FaultPlan& plan) {
    std::size_t i = 2;
    const auto next = [&]() -> const std::string* { return i < args.size() ? &args[i++] : nullptr; };
    const std::string* kind = next();
    if (*kind == "entry") {
        const std::string* n = next();
        const std::string* status = next();
        const auto ordinal = n ? ParseCount(*n) : std::nullopt;
        const auto code = status ? ParseCount(*status) : std::nullopt;
        if (!ordinal || !code || *code == 0) return false;
        const std::string* message = next();
        if (next()) return false;
        plan.refusals.push_back({*ordinal, *code, message ? *message : std::string()});
        return true;
    }
    const auto call = ParseFaultCall(*kind);
    if (!call) return false;
    CallFault fault;
    fault.call = *call;
    if (*call == FaultCall::Request) {
        const std::string* n = next();
        const std::string* phase = next();
        const auto ordinal = n ? ParseCount(*n) : std::nullopt;
        const auto parsedPhase = phase ? ParseFaultPhase(*phase) : std::nullopt;
        if (!ordinal || !parsedPhase) return false;
        fault.ordinal = *ordinal;
        fault.phase = *parsedPhase;
    } else if (i < args.size() && ParseCount(args[i])) {
        fault.ordinal = *ParseCount(*next());
    }
    const std::string* code = next();
    const auto hresult = code ? ParseHResult(*code) : std::nullopt;
    if (!hresult) return false;
    fault.hresult = *hresult;
    if (const std::string* text = next()) fault.text = *text;
    if (next()) return false;
    plan.calls.push_back(fault);
    return true;
}

int Fault(const Args& args) {
    if (args.size() < 3) return Usage();
    if (args[2] == "clear" || args[2] == "show") {
        if (args.size() != 3) return Usage();
        CompanyFile company(args[1]);
        if (args[2] == "clear") company.StoreFaultPlan({});
        else ShowPlan(company.LoadFaultPlan());
        return 0;
    }
    FaultPlan added;
    if (!AddFault(args, added)) return Usage();
    CompanyFile company(args[1]);
    FaultPlan plan = company.LoadFaultPlan();
    plan.calls.insert(plan.calls.end(), added.calls.begin(), added.calls.end());
    plan.refusals.insert(plan.refusals.end(), added.refusals.begin(), added.refusals.end());
    company.StoreFaultPlan(plan);
    return 0;
}

#else

int SimulatorMissing() {
    std::fputs("The QuickBooks company simulator is not available in this build.\n", stderr);
    return 1;
}
int Create(const Args&) { return SimulatorMissing(); }
int List(const Args&) { return SimulatorMissing(); }
int Fault(const Args&) { return SimulatorMissing(); }

#endif

}  // namespace

int RunCompanyCommand(const Args& args) {
    if (args.size() < 2) return Usage();
    const std::string& command = args[0];
    try {
        if (command == "create") return Create(args);
        if (command == "request") return args.size() == 2 ? Request(args[1]) : Usage();
        if (command == "list") return List(args);
        if (command == "fault") return Fault(args);
    } catch (const Exception& e) {
        const std::string text = AnsiToUtf8(e.what()) + "\n";
        std::fputs(text.c_str(), stderr);
        return 1;
    }
    return Usage();
}

}  // namespace kvr::tool
