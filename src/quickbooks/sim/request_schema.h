// The part of the qbXML 13.0 request schema the simulator answers: which
// children each element may have, in which order and how often, and which
// values an enumerated or numeric element takes. A request that breaks it
// fails as a whole, as QuickBooks' parser fails it.
#pragma once

#include <span>
#include <string_view>

#include <pugixml.hpp>

namespace kvr::qbsim {

enum class ValueKind { Complex, Text, PositiveInt, Decimal, Enum };

struct ElementRule {
    std::string_view name;
    int minOccurs = 0;
    int maxOccurs = 1;  // -1: unbounded
    ValueKind kind = ValueKind::Text;
    std::span<const ElementRule> children = {};
    std::span<const std::string_view> values = {};  // of an Enum
    // Children of group 1 and of group 2 exclude each other (the schema's
    // choice between a list of identifiers and a filter).
    int group = 0;
};

// The rule of a request element ("EmployeeQueryRq", ...), or nullptr when
// the simulator does not know it.
const ElementRule* FindRequestRule(std::string_view name);

// Raises the parse error (0x80040400) unless node satisfies rule: its
// attributes (a request element may carry "requestID" only), its children
// in schema order and count, its value.
void ValidateElement(pugi::xml_node node, const ElementRule& rule, bool isRequest);

}  // namespace kvr::qbsim
