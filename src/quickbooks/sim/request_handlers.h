// Carries out one validated request element against the company file and
// writes its response element, as QuickBooks answers it.
#pragma once

#include <pugixml.hpp>

#include "quickbooks/sim/company_file.h"
#include "quickbooks/sim/fault_plan.h"
#include "quickbooks/sim/response_writer.h"

namespace kvr::qbsim {

struct RequestContext {
    CompanyFile& company;
    const FaultPlan& plan;
    int entriesSent = 0;  // TimeTrackingAdd requests of the session so far
};

// Returns the response's statusCode.
int HandleRequest(pugi::xml_node request, RequestContext& context, ResponseWriter& out);

inline constexpr std::string_view kStatusOK = "Status OK";
inline constexpr std::string_view kNoMatch = "A query request did not find a matching object in QuickBooks";

}  // namespace kvr::qbsim
