// The requests the simulated company answers; see request_handlers.h.
#include "quickbooks/sim/request_handlers.h"

#include <cstring>
#include <string>
#include <vector>

#include "quickbooks/sim/qb_values.h"
#include "support/errors.h"

namespace kvr::qbsim {

namespace {

constexpr std::size_t kMaxNotes = 4095;

std::string Value(pugi::xml_node node, const char* name) { return node.child(name).child_value(); }

std::vector<std::string> Values(pugi::xml_node node, const char* name) {
    std::vector<std::string> values;
    for (pugi::xml_node child : node.children(name)) values.emplace_back(child.child_value());
    return values;
}

std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string NotFullyCompleted(const std::string& missing) {
    return "The query request has not been fully completed. There was a required element (" + Quote(missing) +
           ") that could not be found in QuickBooks.";
}

std::string InvalidReference(std::string_view kind, std::string_view value) {
    return "There is an invalid reference to QuickBooks " + std::string(kind) + " " + Quote(value) +
           " in the Time Tracking.";
}

// The reference's ListID when it has one, else its FullName: what QuickBooks looks up and names.
std::string RefValue(pugi::xml_node ref) {
    const pugi::xml_node listID = ref.child("ListID");
    return listID ? listID.child_value() : Value(ref, "FullName");
}

struct ListFilter {
    std::vector<std::string> listIDs, fullNames;
    std::size_t maxReturned = 0;  // 0: no limit
    std::string activeStatus = "ActiveOnly";
};

ListFilter ReadListFilter(pugi::xml_node request) {
    ListFilter filter;
    filter.listIDs = Values(request, "ListID");
    filter.fullNames = Values(request, "FullName");
    if (request.child("MaxReturned")) filter.maxReturned = std::stoul(Value(request, "MaxReturned"));
    if (request.child("ActiveStatus")) filter.activeStatus = Value(request, "ActiveStatus");
    return filter;
}

// Selects from a list the way QuickBooks' list queries do: by identifiers
// (whatever their active state, a warning naming the first one missing), or
// by active state and count (status 1 when nothing matches).
template <typename T, typename Find>
int SelectList(const ListFilter& filter, std::vector<T> all, Find find, std::vector<T>& selected, std::string& message) {
    if (!filter.listIDs.empty() || !filter.fullNames.empty()) {
        std::string missing;
        for (const std::string& id : filter.listIDs) {
            if (auto found = find(id, std::string())) selected.push_back(std::move(*found));
            else if (missing.empty()) missing = id;
        }
        for (const std::string& name : filter.fullNames) {
            if (auto found = find(std::string(), name)) selected.push_back(std::move(*found));
            else if (missing.empty()) missing = name;
        }
        if (missing.empty()) return 0;
        message = NotFullyCompleted(missing);
        return 500;
    }
    for (T& item : all) {
        if (filter.maxReturned && selected.size() >= filter.maxReturned) break;
        const bool wanted = filter.activeStatus == "All" || (filter.activeStatus == "ActiveOnly") == item.isActive;
        if (wanted) selected.push_back(std::move(item));
    }
    if (!selected.empty()) return 0;
    message = kNoMatch;
    return 1;
}

void WriteListHeader(ResponseWriter& out, const auto& item) {
    out.Leaf("ListID", item.listID);
    out.Leaf("TimeCreated", item.timeCreated);
    out.Leaf("TimeModified", item.timeModified);
    out.Leaf("EditSequence", item.editSequence);
    out.Leaf("Name", item.name);
    out.Leaf("IsActive", item.isActive ? "true" : "false");
}

// A list query's response: status, then one record per selected item,
// each the common list header and what body writes.
template <typename T, typename Find, typename Body>
int AnswerListQuery(pugi::xml_node request, std::vector<T> all, Find find, std::string_view responseName,
                    std::string_view recordName, ResponseWriter& out, Body body) {
    std::vector<T> selected;
    std::string message(kStatusOK);
    const int code = SelectList(ReadListFilter(request), std::move(all), find, selected, message);
    out.OpenStatus(responseName, request.attribute("requestID").value(), code, message);
    for (const T& item : selected) {
        out.Open(recordName);
        WriteListHeader(out, item);
        body(item);
        out.Close();
    }
    out.Close();
    return code;
}

int EmployeeQuery(pugi::xml_node request, RequestContext& context, ResponseWriter& out) {
    const auto find = [&](const std::string& id, const std::string& name) {
        return context.company.FindEmployee(id, name);
    };
    return AnswerListQuery(request, context.company.Employees(), find, "EmployeeQueryRs", "EmployeeRet", out,
                           [&](const Employee& e) {
                               out.Leaf("FirstName", e.firstName);
                               out.Leaf("MiddleName", e.middleName);
                               out.Leaf("LastName", e.lastName);
                               if (!e.addr1.empty()) {
                                   out.Open("EmployeeAddress");
                                   out.Leaf("Addr1", e.addr1);
                                   out.Close();
                               }
                               out.Leaf("HiredDate", e.hiredDate);
                           });
}

int WageItemQuery(pugi::xml_node request, RequestContext& context, ResponseWriter& out) {
    const auto find = [&](const std::string& id, const std::string& name) {
        return context.company.FindWageItem(id, name);
    };
    return AnswerListQuery(request, context.company.WageItems(), find, "PayrollItemWageQueryRs",
                           "PayrollItemWageRet", out, [&](const WageItem& w) { out.Leaf("WageType", w.wageType); });
}

void WriteRef(ResponseWriter& out, std::string_view name, const std::string& listID, const std::string& fullName) {
    if (listID.empty()) return;
    out.Open(name);
    out.Leaf("ListID", listID);
    out.Leaf("FullName", fullName);
    out.Close();
}

void WriteTimeEntry(ResponseWriter& out, const TimeEntry& t) {
    out.Open("TimeTrackingRet");
    out.Leaf("TxnID", t.txnID);
    out.Leaf("TimeCreated", t.timeCreated);
    out.Leaf("TimeModified", t.timeModified);
    out.Leaf("EditSequence", t.editSequence);
    out.Leaf("TxnNumber", std::to_string(t.txnNumber));
    out.Leaf("TxnDate", t.txnDate);
    WriteRef(out, "EntityRef", t.entityListID, t.entityName);
    out.Leaf("Duration", FormatQBDuration(t.durationSeconds));
    WriteRef(out, "PayrollItemWageRef", t.payrollItemListID, t.payrollItemName);
    out.Leaf("Notes", t.notes);
    out.Leaf("BillableStatus", t.billableStatus);
    out.Leaf("ExternalGUID", t.externalGUID);
    out.Close();
}

struct Refusal {
    int code = 0;
    std::string message;
};

// The checks QuickBooks makes of a new time entry, in the order it makes
// them: value formats first, then the references.
Refusal CheckTimeEntry(pugi::xml_node add, RequestContext& context, TimeEntry& entry) {
    const pugi::xml_node date = add.child("TxnDate");
    entry.txnDate = date ? date.child_value() : TodayDate();
    if (!IsQBDate(entry.txnDate))
        return {3020, "There was an error when converting the date value " + Quote(entry.txnDate) +
                          " in the field \"TxnDate\"."};
    const std::string duration = Value(add, "Duration");
    if (!ParseQBDuration(duration, entry.durationSeconds) || entry.durationSeconds <= 0)
        return {3035, "There was an error when converting the time interval " + Quote(duration) +
                          " in the field \"Duration\"."};
    entry.notes = Value(add, "Notes");
    if (Utf8Length(entry.notes) > kMaxNotes)
        return {3070, "The string " + Quote(entry.notes) + " in the field \"Notes\" is too long."};
    entry.externalGUID = Value(add, "ExternalGUID");
    if (!entry.externalGUID.empty() && !IsGuid(entry.externalGUID))
        return {3000, "The given object ID " + Quote(entry.externalGUID) + " in the field \"ExternalGUID\" is invalid."};

    const pugi::xml_node entityRef = add.child("EntityRef");
    const auto employee =
        context.company.FindEmployee(Value(entityRef, "ListID"), entityRef.child("ListID") ? "" : Value(entityRef, "FullName"));
    if (!employee || !employee->isActive || RefValue(entityRef).empty())
        return {3140, InvalidReference("Entity", RefValue(entityRef))};
    entry.entityListID = employee->listID;
    entry.entityName = employee->name;
    // The simulated company keeps no customers, service items or classes.
    static constexpr std::pair<const char*, std::string_view> kAbsentLists[] = {
        {"CustomerRef", "Customer"}, {"ItemServiceRef", "Item Service"}, {"ClassRef", "Class"}};
    for (const auto& [element, kind] : kAbsentLists)
        if (const pugi::xml_node ref = add.child(element)) return {3140, InvalidReference(kind, RefValue(ref))};
    if (const pugi::xml_node wageRef = add.child("PayrollItemWageRef")) {
        const auto item =
            context.company.FindWageItem(Value(wageRef, "ListID"), wageRef.child("ListID") ? "" : Value(wageRef, "FullName"));
        if (!item || RefValue(wageRef).empty()) return {3140, InvalidReference("Payroll Item Wage", RefValue(wageRef))};
        entry.payrollItemListID = item->listID;
        entry.payrollItemName = item->name;
    }
    entry.billableStatus = add.child("BillableStatus") ? Value(add, "BillableStatus") : "NotBillable";
    return {};
}

int TimeTrackingAdd(pugi::xml_node request, RequestContext& context, ResponseWriter& out) {
    const std::string requestID = request.attribute("requestID").value();
    ++context.entriesSent;
    TimeEntry entry;
    Refusal refusal = CheckTimeEntry(request.child("TimeTrackingAdd"), context, entry);
    if (refusal.code == 0) {
        if (const EntryRefusal* planned = FindRefusal(context.plan, context.entriesSent)) {
            refusal.code = planned->statusCode;
            refusal.message = planned->message.empty() ? std::string(kDefaultRefusalMessage) : planned->message;
        }
    }
    if (refusal.code != 0) {
        out.Status("TimeTrackingAddRs", requestID, refusal.code, refusal.message);
        return refusal.code;
    }
    const TimeEntry stored = context.company.AddTimeEntry(entry);
    out.OpenStatus("TimeTrackingAddRs", requestID, 0, kStatusOK);
    WriteTimeEntry(out, stored);
    out.Close();
    return 0;
}

int TimeTrackingQuery(pugi::xml_node request, RequestContext& context, ResponseWriter& out) {
    const std::string requestID = request.attribute("requestID").value();
    TimeEntryFilter filter;
    filter.txnIDs = Values(request, "TxnID");
    const pugi::xml_node range = request.child("TxnDateRangeFilter");
    filter.fromDate = Value(range, "FromTxnDate");
    filter.toDate = Value(range, "ToTxnDate");
    for (const char* field : {"FromTxnDate", "ToTxnDate"}) {
        const std::string value = Value(range, field);
        if (range.child(field) && !IsQBDate(value)) {
            const std::string message = "There was an error when converting the date value " + Quote(value) +
                                        " in the field " + Quote(field) + ".";
            out.Status("TimeTrackingQueryRs", requestID, 3020, message);
            return 3020;
        }
    }
    const pugi::xml_node entities = request.child("EntityFilter");
    bool unknownEntity = false;
    for (const std::string& id : Values(entities, "ListID")) filter.entityListIDs.push_back(id);
    for (const std::string& name : Values(entities, "FullName")) {
        if (auto employee = context.company.FindEmployee("", name)) filter.entityListIDs.push_back(employee->listID);
        else unknownEntity = true;
    }
    std::vector<TimeEntry> found;
    if (!unknownEntity || !filter.entityListIDs.empty()) found = context.company.TimeEntries(filter);
    if (request.child("MaxReturned")) {
        const std::size_t limit = std::stoul(Value(request, "MaxReturned"));
        if (found.size() > limit) found.resize(limit);
    }

    int code = 0;
    std::string message(kStatusOK);
    if (!filter.txnIDs.empty()) {
        for (const std::string& id : filter.txnIDs) {
            bool present = false;
            for (const TimeEntry& t : found) present = present || t.txnID == id;
            if (!present) {
                code = 500;
                message = NotFullyCompleted(id);
                break;
            }
        }
    } else if (found.empty()) {
        code = 1;
        message = kNoMatch;
    }
    out.OpenStatus("TimeTrackingQueryRs", requestID, code, message);
    for (const TimeEntry& t : found) WriteTimeEntry(out, t);
    out.Close();
    return code;
}

int TxnDel(pugi::xml_node request, RequestContext& context, ResponseWriter& out) {
    const std::string requestID = request.attribute("requestID").value();
    const std::string type = Value(request, "TxnDelType");
    const std::string txnID = Value(request, "TxnID");
    // Time entries are the only transactions a simulated company holds.
    if (type != "TimeTracking" || !context.company.DeleteTimeEntry(txnID)) {
        out.Status("TxnDelRs", requestID, 3120, "Object " + Quote(txnID) + " specified in the request cannot be found.");
        return 3120;
    }
    out.OpenStatus("TxnDelRs", requestID, 0, kStatusOK);
    out.Leaf("TxnDelType", type);
    out.Leaf("TxnID", txnID);
    out.Leaf("TimeDeleted", NowTimeStamp());
    out.Close();
    return 0;
}

}  // namespace

int HandleRequest(pugi::xml_node request, RequestContext& context, ResponseWriter& out) {
    static constexpr struct {
        const char* name;
        int (*handler)(pugi::xml_node, RequestContext&, ResponseWriter&);
    } kHandlers[] = {
        {"EmployeeQueryRq", EmployeeQuery},       {"PayrollItemWageQueryRq", WageItemQuery},
        {"TimeTrackingAddRq", TimeTrackingAdd},   {"TimeTrackingQueryRq", TimeTrackingQuery},
        {"TxnDelRq", TxnDel},
    };
    for (const auto& entry : kHandlers)
        if (std::strcmp(entry.name, request.name()) == 0) return entry.handler(request, context, out);
    throw Exception(std::string("No handler for the request ") + request.name());
}

}  // namespace kvr::qbsim
