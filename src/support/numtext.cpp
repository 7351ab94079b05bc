// Locale-free number parsing and formatting for the field conversions and table files.
#include "support/numtext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace kvr {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True iff text is [+-]digits[.digits][(e|E)[+-]digits] with at least one
// mantissa digit; from_chars alone would also take "inf", "nan" and hex forms.
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

// True iff the decimal number (already checked by IsDecimalNumber) is nearer
// zero than 1, so an out-of-range result is an underflow rather than an overflow.
bool IsBelowOne(std::string_view text) {
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-') ++i;
    // Decimal position of the first non-zero digit relative to the point.
    long long lead = 0;
    bool seenNonZero = false, afterPoint = false;
    for (; i < text.size() && (IsDigit(text[i]) || text[i] == '.'); ++i) {
        if (text[i] == '.') {
            afterPoint = true;
            continue;
        }
        if (!seenNonZero) {
            if (text[i] != '0') {
                seenNonZero = true;
                if (afterPoint) --lead;
            } else if (afterPoint) {
                --lead;
            }
        } else if (!afterPoint) {
            ++lead;
        }
    }
    if (!seenNonZero) return true;
    long long exponent = 0;
    if (i < text.size()) {
        ++i;  // the 'e'
        bool negative = false;
        if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
        for (; i < text.size(); ++i) {
            if (exponent < 1000000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return lead + exponent < 0;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool TryParseInt64(std::string_view text, std::int64_t& result) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 63 : static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i])) return false;
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    result = negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
    return true;
}

bool TryParseInt32(std::string_view text, std::int32_t& result) {
    std::int64_t wide = 0;
    if (!TryParseInt64(text, wide)) return false;
    if (wide < std::numeric_limits<std::int32_t>::min() || wide > std::numeric_limits<std::int32_t>::max()) return false;
    result = static_cast<std::int32_t>(wide);
    return true;
}

bool TryParseFloat(std::string_view text, double& result) {
    text = TrimBlanks(text);
    if (!IsDecimalNumber(text)) return false;
    const bool negative = text.front() == '-';
    std::string_view digits = text;
    if (digits.front() == '+') digits.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too small to hold is zero; too large to hold is refused.
        if (!IsBelowOne(text)) return false;
        result = negative ? -0.0 : 0.0;
        return true;
    }
    if (ec != std::errc{} || end != digits.data() + digits.size()) return false;
    result = value;
    return true;
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    // Rounding to 15 significant digits first decides both the digits and the
    // exponent, so 0.1 + 0.2 shows as "0.3" and 9.99999999999999999 as "10".
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    (void)ec;
    const std::string_view sci(buf, static_cast<std::size_t>(end - buf));
    const std::size_t ePos = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string digits;
    for (char c : sci.substr(0, ePos)) {
        if (IsDigit(c)) digits.push_back(c);
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());

    std::string out = negative ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else if (count <= exponent + 1) {
            out += digits;
            out.append(static_cast<std::size_t>(exponent + 1 - count), '0');
        } else {
            out.append(digits, 0, static_cast<std::size_t>(exponent + 1));
            out += '.';
            out.append(digits, static_cast<std::size_t>(exponent + 1));
        }
        return out;
    }
    out += digits[0];
    if (count > 1) {
        out += '.';
        out.append(digits, 1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

std::string FloatToShortest(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    return std::string(buf, end);
}

}  // namespace kvr
