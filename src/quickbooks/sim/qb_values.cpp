// qbXML value forms; see qb_values.h.
#include "quickbooks/sim/qb_values.h"

#include <chrono>
#include <cstdio>

#include "support/datetime.h"

namespace kvr::qbsim {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

int Digits(std::string_view text) {
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

// No time entry needs more than this, and it keeps every sum far from overflow.
constexpr std::int64_t kMaxDurationSeconds = 100000LL * 3600;

}  // namespace

bool IsQBDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(text[i])) return false;
    const int year = Digits(text.substr(0, 4));
    const int month = Digits(text.substr(5, 2));
    const int day = Digits(text.substr(8, 2));
    if (year < 1 || month < 1 || month > 12 || day < 1) return false;
    return day <= DaysInMonth(year, month);
}

bool ParseQBDuration(std::string_view text, std::int64_t& seconds) {
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.substr(0, 2) != "PT") return false;
    text.remove_prefix(2);
    static constexpr struct { char unit; std::int64_t factor; } kParts[] = {{'H', 3600}, {'M', 60}, {'S', 1}};
    std::int64_t total = 0;
    bool anyPart = false;
    for (const auto& part : kParts) {
        std::size_t n = 0;
        while (n < text.size() && IsDigit(text[n])) ++n;
        if (n == 0 || n >= text.size() || text[n] != part.unit) continue;
        std::int64_t value = 0;
        for (std::size_t i = 0; i < n; ++i) {
            value = value * 10 + (text[i] - '0');
            if (value > kMaxDurationSeconds) return false;
        }
        total += value * part.factor;
        if (total > kMaxDurationSeconds) return false;
        anyPart = true;
        text.remove_prefix(n + 1);
    }
    if (!text.empty() || !anyPart) return false;
    seconds = negative ? -total : total;
    return true;
}

std::string FormatQBDuration(std::int64_t seconds) {
    const bool negative = seconds < 0;
    if (negative) seconds = -seconds;
    return std::string(negative ? "-" : "") + "PT" + std::to_string(seconds / 3600) + "H" +
           std::to_string(seconds / 60 % 60) + "M" + std::to_string(seconds % 60) + "S";
}

std::int64_t NowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::string NowTimeStamp() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d+00:00", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::string TodayDate() { return NowTimeStamp().substr(0, 10); }

std::string MakeObjectID(std::int64_t counter, std::int64_t seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%llX-%lld", static_cast<unsigned long long>(counter),
                  static_cast<long long>(seconds));
    return text;
}

bool IsGuid(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !IsHex(text[i])) return false;
    }
    return true;
}

std::size_t Utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

}  // namespace kvr::qbsim
