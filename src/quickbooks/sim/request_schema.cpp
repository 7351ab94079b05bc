// The request schema the simulator knows; see request_schema.h.
#include "quickbooks/sim/request_schema.h"

#include <cstring>

#include "quickbooks/qb_error.h"

namespace kvr::qbsim {

namespace {

using K = ValueKind;

constexpr std::string_view kActiveStatus[] = {"ActiveOnly", "InactiveOnly", "All"};
constexpr std::string_view kBillableStatus[] = {"Billable", "NotBillable", "HasBeenBilled"};
constexpr std::string_view kTxnDelTypes[] = {
    "ARRefundCreditCard", "Bill", "BillPaymentCheck", "BillPaymentCreditCard", "BuildAssembly", "Charge",
    "Check", "CreditCardCharge", "CreditCardCredit", "CreditMemo", "Deposit", "Estimate",
    "InventoryAdjustment", "Invoice", "ItemReceipt", "JournalEntry", "PayrollLiabilityAdjustment",
    "PayrollPriorPayment", "PayrollYearToDateAdjustment", "PurchaseOrder", "ReceivePayment", "SalesOrder",
    "SalesReceipt", "SalesTaxPaymentCheck", "TimeTracking", "TransferInventory", "VehicleMileage",
    "VendorCredit"};

constexpr ElementRule kRef[] = {{"ListID"}, {"FullName"}};

constexpr ElementRule kListQuery[] = {
    {"ListID", 0, -1, K::Text, {}, {}, 1},
    {"FullName", 0, -1, K::Text, {}, {}, 1},
    {"MaxReturned", 0, 1, K::PositiveInt, {}, {}, 2},
    {"ActiveStatus", 0, 1, K::Enum, {}, kActiveStatus, 2},
};

constexpr ElementRule kTimeTrackingAdd[] = {
    {"TxnDate"},
    {"EntityRef", 1, 1, K::Complex, kRef},
    {"CustomerRef", 0, 1, K::Complex, kRef},
    {"ItemServiceRef", 0, 1, K::Complex, kRef},
    {"Rate", 0, 1, K::Decimal},
    {"Duration", 1, 1},
    {"ClassRef", 0, 1, K::Complex, kRef},
    {"PayrollItemWageRef", 0, 1, K::Complex, kRef},
    {"Notes"},
    {"BillableStatus", 0, 1, K::Enum, {}, kBillableStatus},
    {"ExternalGUID"},
};
constexpr ElementRule kTimeTrackingAddRq[] = {{"TimeTrackingAdd", 1, 1, K::Complex, kTimeTrackingAdd}};

constexpr ElementRule kDateRange[] = {{"FromTxnDate"}, {"ToTxnDate"}};
constexpr ElementRule kEntityFilter[] = {
    {"ListID", 0, -1, K::Text, {}, {}, 1},
    {"FullName", 0, -1, K::Text, {}, {}, 2},
};
constexpr ElementRule kTimeTrackingQuery[] = {
    {"TxnID", 0, -1, K::Text, {}, {}, 1},
    {"MaxReturned", 0, 1, K::PositiveInt, {}, {}, 2},
    {"TxnDateRangeFilter", 0, 1, K::Complex, kDateRange, {}, 2},
    {"EntityFilter", 0, 1, K::Complex, kEntityFilter, {}, 2},
};

constexpr ElementRule kTxnDel[] = {
    {"TxnDelType", 1, 1, K::Enum, {}, kTxnDelTypes},
    {"TxnID", 1, 1},
};

constexpr ElementRule kRequests[] = {
    {"EmployeeQueryRq", 1, 1, K::Complex, kListQuery},
    {"PayrollItemWageQueryRq", 1, 1, K::Complex, kListQuery},
    {"TimeTrackingAddRq", 1, 1, K::Complex, kTimeTrackingAddRq},
    {"TimeTrackingQueryRq", 1, 1, K::Complex, kTimeTrackingQuery},
    {"TxnDelRq", 1, 1, K::Complex, kTxnDel},
};

[[noreturn]] void ParseError() { throw QBError(kQBErrParse); }

bool IsPositiveInt(std::string_view text) {
    if (text.empty() || text.size() > 9 || text[0] == '0') return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsDecimal(std::string_view text) {
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    bool digits = false, point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') digits = true;
        else if (c == '.' && !point) point = true;
        else return false;
    }
    return digits;
}

// The element's text, or a parse error when it holds elements.
std::string_view SimpleValue(pugi::xml_node node) {
    for (pugi::xml_node child : node.children())
        if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata) ParseError();
    return node.child_value();
}

void ValidateValue(pugi::xml_node node, const ElementRule& rule) {
    if (rule.kind == K::Complex) {
        for (pugi::xml_node child : node.children())
            if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) ParseError();
        return;
    }
    const std::string_view value = SimpleValue(node);
    switch (rule.kind) {
        case K::PositiveInt:
            if (!IsPositiveInt(value)) ParseError();
            break;
        case K::Decimal:
            if (!IsDecimal(value)) ParseError();
            break;
        case K::Enum: {
            bool known = false;
            for (std::string_view v : rule.values) known = known || v == value;
            if (!known) ParseError();
            break;
        }
        default: break;
    }
}

void ValidateChildren(pugi::xml_node node, std::span<const ElementRule> rules) {
    std::size_t position = 0;
    int count = 0;
    int groupsSeen = 0;
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) continue;  // text was refused by ValidateValue
        while (position < rules.size() && rules[position].name != child.name()) {
            if (count < rules[position].minOccurs) ParseError();
            ++position;
            count = 0;
        }
        if (position == rules.size()) ParseError();  // unknown, or out of schema order
        const ElementRule& rule = rules[position];
        if (rule.maxOccurs >= 0 && ++count > rule.maxOccurs) ParseError();
        if (rule.maxOccurs < 0) ++count;
        if (rule.group) groupsSeen |= rule.group;
        ValidateElement(child, rule, false);
    }
    for (; position < rules.size(); ++position, count = 0)
        if (count < rules[position].minOccurs) ParseError();
    if (groupsSeen == 3) ParseError();
}

}  // namespace

const ElementRule* FindRequestRule(std::string_view name) {
    for (const ElementRule& rule : kRequests)
        if (rule.name == name) return &rule;
    return nullptr;
}

void ValidateElement(pugi::xml_node node, const ElementRule& rule, bool isRequest) {
    for (pugi::xml_attribute attribute : node.attributes())
        if (!isRequest || std::strcmp(attribute.name(), "requestID") != 0) ParseError();
    ValidateValue(node, rule);
    if (rule.kind == K::Complex) ValidateChildren(node, rule.children);
}

}  // namespace kvr::qbsim
