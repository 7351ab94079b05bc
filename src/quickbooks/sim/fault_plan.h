// Failures the simulator raises on purpose, so that tests can see what the
// program does when QuickBooks misbehaves.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quickbooks/qb_error.h"

namespace kvr::qbsim {

enum class FaultCall { OpenConnection, BeginSession, Request, EndSession, CloseConnection };

// A request fault raised Before the request is carried out changes nothing;
// one raised After it lets the company keep what the request stored while
// the caller gets only the failure ("stored, but the answer was lost").
enum class FaultPhase { Before, After };

// Ordinal 0 means every such call. Otherwise it counts from 1: requests
// within one session, the other calls over the session manager's life.
struct CallFault {
    FaultCall call = FaultCall::Request;
    int ordinal = 0;
    FaultPhase phase = FaultPhase::Before;
    QBResult hresult = kQBErrUnexpected;
    std::string text;  // UTF-8; empty means QuickBooks' text for hresult
};

// The ordinal-th TimeTrackingAdd of a session (from 1; 0 every one) is not
// stored and is answered with statusCode and message.
struct EntryRefusal {
    int ordinal = 0;
    int statusCode = 3180;
    std::string message;  // UTF-8; empty means a generic refusal text
};

struct FaultPlan {
    std::vector<CallFault> calls;
    std::vector<EntryRefusal> refusals;
    bool Empty() const { return calls.empty() && refusals.empty(); }
};

// The fault planned for the count-th call of that kind in that phase, if any.
const CallFault* FindCallFault(const FaultPlan& plan, FaultCall call, int count, FaultPhase phase);
const EntryRefusal* FindRefusal(const FaultPlan& plan, int count);

// Raises the planned failure.
[[noreturn]] void RaiseFault(const CallFault& fault);

// The names used in the company file and by kvrtool: "open-connection",
// "begin-session", "request", "end-session", "close-connection";
// "before", "after".
std::string_view FaultCallName(FaultCall call);
std::optional<FaultCall> ParseFaultCall(std::string_view name);
std::string_view FaultPhaseName(FaultPhase phase);
std::optional<FaultPhase> ParseFaultPhase(std::string_view name);

// The status message of a refusal planned without one.
inline constexpr std::string_view kDefaultRefusalMessage =
    "There was an error when saving a Time Tracking.  QuickBooks error message: The transaction could not be saved.";

}  // namespace kvr::qbsim
