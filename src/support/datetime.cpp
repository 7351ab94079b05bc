// Day-count date-time values: encoding, decoding and the fixed text forms.
#include "support/datetime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "support/errors.h"
#include "support/numtext.h"

namespace kvr {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Day numbers of 0001-01-01 and 9999-12-31 on this scale.
constexpr std::int64_t kMinDay = -693'593;
constexpr std::int64_t kMaxDay = 2'958'465;
// 1899-12-30 counted from 1970-01-01, the epoch of the civil-day arithmetic below.
constexpr std::int64_t kEpochOffset = -25'569;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

// Date and time of day joined the way the scale defines them: the time counts
// forward from midnight even on days before the epoch.
TDateTime Combine(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }

// Reads 1..maxDigits decimal digits at pos.
bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits, int& value, std::size_t& digits) {
    value = 0;
    digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (digits == maxDigits) return false;
        value = value * 10 + (text[pos] - '0');
        ++digits;
        ++pos;
    }
    return digits > 0;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != upper[i]) return false;
    }
    return true;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    result = static_cast<TDateTime>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                                    kEpochOffset);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return false;
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    result = static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    TDateTime result = 0;
    if (!TryEncodeTime(hour, minute, second, millisecond, result)) throw EConvertError("Invalid argument to time encode");
    return result;
}

TDateTime EncodeDateTime(const DateTimeParts& parts) {
    const TDateTime date = EncodeDate(parts.year, parts.month, parts.day);
    return Combine(date, EncodeTime(parts.hour, parts.minute, parts.second, parts.millisecond));
}

DateTimeParts DecodeDateTime(TDateTime value) {
    // The range check comes before any integer conversion, which would be
    // undefined for values far outside it.
    if (!std::isfinite(value) || value <= static_cast<double>(kMinDay - 1) || value >= static_cast<double>(kMaxDay + 1))
        throw EConvertError("Invalid argument to date decode");
    const double whole = std::trunc(value);
    auto day = static_cast<std::int64_t>(whole);
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * static_cast<double>(kMsPerDay)));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++day;
    }
    if (day < kMinDay || day > kMaxDay) throw EConvertError("Invalid argument to date decode");
    DateTimeParts parts;
    CivilFromDays(day + kEpochOffset, parts.year, parts.month, parts.day);
    parts.millisecond = static_cast<int>(ms % 1000);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.minute = static_cast<int>(ms / 60'000 % 60);
    parts.hour = static_cast<int>(ms / 3'600'000);
    return parts;
}

std::string FormatDate(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", p.day, p.month, p.year);
    return text;
}

std::string FormatTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return text;
}

std::string FormatDateTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    std::string text = FormatDate(value);
    if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.millisecond != 0) {
        text += ' ';
        text += FormatTime(value);
    }
    return text;
}

bool TryParseDate(std::string_view text, TDateTime& result) {
    text = TrimBlanks(text);
    std::size_t pos = 0, digits = 0;
    int day = 0, month = 0, year = 0;
    if (!ReadNumber(text, pos, 2, day, digits) || pos >= text.size() || text[pos++] != '/') return false;
    if (!ReadNumber(text, pos, 2, month, digits) || pos >= text.size() || text[pos++] != '/') return false;
    if (!ReadNumber(text, pos, 4, year, digits) || pos != text.size()) return false;
    // A fixed pivot rather than one moving with the clock keeps reading a file
    // independent of the day it is read.
    if (digits <= 2) year += year < 50 ? 2000 : 1900;
    return TryEncodeDate(year, month, day, result);
}

bool TryParseTime(std::string_view text, TDateTime& result) {
    text = TrimBlanks(text);
    int marker = 0;  // 0 none, 1 AM, 2 PM
    if (text.size() >= 2) {
        const std::string_view tail = text.substr(text.size() - 2);
        if (EqualsIgnoringCase(tail, "AM")) marker = 1;
        if (EqualsIgnoringCase(tail, "PM")) marker = 2;
        if (marker != 0) text = TrimBlanks(text.substr(0, text.size() - 2));
    }
    std::size_t pos = 0, digits = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    if (!ReadNumber(text, pos, 2, hour, digits) || pos >= text.size() || text[pos++] != ':') return false;
    if (!ReadNumber(text, pos, 2, minute, digits)) return false;
    if (pos < text.size()) {
        if (text[pos++] != ':' || !ReadNumber(text, pos, 2, second, digits)) return false;
        if (pos < text.size()) {
            if (text[pos++] != '.' || !ReadNumber(text, pos, 3, millisecond, digits) || pos != text.size())
                return false;
            for (; digits < 3; ++digits) millisecond *= 10;
        }
    }
    if (marker != 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + (marker == 2 ? 12 : 0);
    }
    return TryEncodeTime(hour, minute, second, millisecond, result);
}

bool TryParseDateTime(std::string_view text, TDateTime& result) {
    text = TrimBlanks(text);
    if (text.find('/') == std::string_view::npos) return TryParseTime(text, result);
    const std::size_t blank = text.find_first_of(" \t");
    TDateTime date = 0, time = 0;
    if (!TryParseDate(text.substr(0, blank), date)) return false;
    if (blank != std::string_view::npos && !TryParseTime(text.substr(blank + 1), time)) return false;
    result = Combine(date, time);
    return true;
}

}  // namespace kvr
