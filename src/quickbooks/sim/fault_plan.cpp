// Planned failures; see fault_plan.h.
#include "quickbooks/sim/fault_plan.h"

#include "support/codepage.h"

namespace kvr::qbsim {

namespace {

constexpr struct {
    FaultCall call;
    std::string_view name;
} kCallNames[] = {
    {FaultCall::OpenConnection, "open-connection"}, {FaultCall::BeginSession, "begin-session"},
    {FaultCall::Request, "request"},                {FaultCall::EndSession, "end-session"},
    {FaultCall::CloseConnection, "close-connection"},
};

bool Matches(int ordinal, int count) { return ordinal == 0 || ordinal == count; }

}  // namespace

const CallFault* FindCallFault(const FaultPlan& plan, FaultCall call, int count, FaultPhase phase) {
    for (const CallFault& fault : plan.calls)
        if (fault.call == call && fault.phase == phase && Matches(fault.ordinal, count)) return &fault;
    return nullptr;
}

const EntryRefusal* FindRefusal(const FaultPlan& plan, int count) {
    for (const EntryRefusal& refusal : plan.refusals)
        if (Matches(refusal.ordinal, count)) return &refusal;
    return nullptr;
}

void RaiseFault(const CallFault& fault) {
    if (fault.text.empty()) {
        const std::string_view known = QBErrorText(fault.hresult);
        throw EQBSessionError(fault.hresult, std::string(known.empty() ? QBErrorText(kQBErrUnexpected) : known));
    }
    throw EQBSessionError(fault.hresult, Utf8ToAnsi(fault.text));
}

std::string_view FaultCallName(FaultCall call) {
    for (const auto& entry : kCallNames)
        if (entry.call == call) return entry.name;
    return {};
}

std::optional<FaultCall> ParseFaultCall(std::string_view name) {
    for (const auto& entry : kCallNames)
        if (entry.name == name) return entry.call;
    return std::nullopt;
}

std::string_view FaultPhaseName(FaultPhase phase) { return phase == FaultPhase::Before ? "before" : "after"; }

std::optional<FaultPhase> ParseFaultPhase(std::string_view name) {
    if (name == "before") return FaultPhase::Before;
    if (name == "after") return FaultPhase::After;
    return std::nullopt;
}

}  // namespace kvr::qbsim
