// Attribute entries as the node keeps them: the attribute's whole source
// text, normally name, "=", and the value in double quotes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kvr {

// The text before the first "=" (the whole entry when it has none).
std::string_view AttributeEntryName(std::string_view entry);

// The text after the first "=", trimmed, with one pair of enclosing double
// quotes removed; nothing is decoded. Empty when the entry has no "=".
std::string_view AttributeEntryValue(std::string_view entry);

// name="value", nothing escaped.
std::string MakeAttributeEntry(std::string_view name, std::string_view value);

// Index of the first entry whose name equals name without regard to ASCII
// case, or -1.
std::ptrdiff_t FindAttributeEntry(const std::vector<std::string>& entries, std::string_view name);

}  // namespace kvr
