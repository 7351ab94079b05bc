#include "xml/xml_text.h"

#include "support/errors.h"

namespace kvr {

std::string_view TrimXmlBlanks(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsXmlBlank(text[first])) ++first;
    while (last > first && IsXmlBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string_view WithoutEnclosingQuotes(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

bool SameXmlNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

bool HasVisibleChar(std::string_view text) {
    for (char c : text) {
        if (!IsXmlBlank(c)) return true;
    }
    return false;
}

void RaiseNotAnInteger(std::string_view text) {
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace kvr
