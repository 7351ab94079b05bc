#include "xml/xml_datetime.h"

#include <cstdint>
#include <cstdio>

#include "support/numtext.h"
#include "xml/xml_text.h"

namespace kvr {

namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// A date part: digits only and within [low, high]; a number too long for the
// range simply fails the check.
bool ReadDatePart(std::string_view text, int low, int high, int& result) {
    std::int64_t value = 0;
    if (!AllDigits(text) || text.size() > 9 || !TryParseInt64(text, value)) return false;
    if (value < low || value > high) return false;
    result = static_cast<int>(value);
    return true;
}

int ReadTimePart(std::string_view text) {
    std::int32_t value = 0;
    if (!TryParseInt32(text, value)) RaiseNotAnInteger(text);
    return value;
}

// Characters 1-2, 4-5 and 7-8 of the time text; shorter texts leave empty
// parts, which are not numbers.
void ReadTime(std::string_view text, DateTimeParts& parts) {
    auto piece = [&](std::size_t from) { return from < text.size() ? text.substr(from, 2) : std::string_view(); };
    parts.hour = ReadTimePart(piece(0));
    parts.minute = ReadTimePart(piece(3));
    parts.second = ReadTimePart(piece(6));
}

TDateTime ParseSlashed(std::string_view text) {
    const std::size_t slash1 = text.find('/');
    const std::size_t slash2 = text.find('/', slash1 + 1);
    if (slash2 == std::string_view::npos) return 0;
    const std::size_t blank = text.find(' ', slash2 + 1);
    DateTimeParts parts;
    const std::string_view year = text.substr(slash2 + 1, blank == std::string_view::npos ? std::string_view::npos : blank - slash2 - 1);
    if (!ReadDatePart(text.substr(0, slash1), 1, 12, parts.month) ||
        !ReadDatePart(text.substr(slash1 + 1, slash2 - slash1 - 1), 1, 31, parts.day) ||
        !ReadDatePart(year, 1, 999999999, parts.year)) {
        return 0;
    }
    if (blank != std::string_view::npos) {
        const std::string_view time = TrimXmlBlanks(text.substr(blank + 1));
        if (!time.empty()) ReadTime(time, parts);
    }
    return EncodeDateTime(parts);
}

TDateTime ParseDashed(std::string_view text) {
    DateTimeParts parts;
    if (!ReadDatePart(text.substr(0, 4), 1, 9999, parts.year) ||
        !ReadDatePart(text.substr(5, 2), 1, 12, parts.month) ||
        !ReadDatePart(text.substr(8, 2), 1, 31, parts.day)) {
        return 0;
    }
    ReadTime(text.substr(11, 8), parts);
    return EncodeDateTime(parts);
}

bool IsDashedShape(std::string_view text) {
    return text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
           text[16] == ':';
}

}  // namespace

TDateTime ParseXmlDateTime(std::string_view text) {
    if (text.find('/') != std::string_view::npos) return ParseSlashed(text);
    if (IsDashedShape(text)) return ParseDashed(text);
    return 0;
}

std::string FormatXmlDateTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return buffer;
}

}  // namespace kvr
