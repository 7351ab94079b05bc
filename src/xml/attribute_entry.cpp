#include "xml/attribute_entry.h"

#include "xml/xml_text.h"

namespace kvr {

std::string_view AttributeEntryName(std::string_view entry) { return entry.substr(0, entry.find('=')); }

std::string_view AttributeEntryValue(std::string_view entry) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) return {};
    return WithoutEnclosingQuotes(TrimXmlBlanks(entry.substr(equals + 1)));
}

std::string MakeAttributeEntry(std::string_view name, std::string_view value) {
    std::string entry;
    entry.reserve(name.size() + value.size() + 3);
    entry.append(name).append("=\"").append(value).append("\"");
    return entry;
}

std::ptrdiff_t FindAttributeEntry(const std::vector<std::string>& entries, std::string_view name) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (SameXmlName(AttributeEntryName(entries[i]), name)) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
}

}  // namespace kvr
