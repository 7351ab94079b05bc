// Text to number and number to text rules of the field conversions and the
// table file formats: decimal integers with an optional sign, floats with "."
// as decimal separator, and no locale read at run time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kvr {

// The text without the blanks and tabs at either end, which the readers of
// numbers, dates and times allow around a value.
std::string_view TrimBlanks(std::string_view text);

// Decimal digits with an optional leading "+" or "-"; nothing else, not even
// blanks. False on overflow of the result type.
bool TryParseInt64(std::string_view text, std::int64_t& result);
bool TryParseInt32(std::string_view text, std::int32_t& result);

// A decimal number with "." as separator and an optional exponent ("1.5",
// "-2", ".5", "3E-7"); blanks around it are allowed. False for anything else,
// including "inf" and "nan".
bool TryParseFloat(std::string_view text, double& result);

// The number with up to 15 significant digits and no trailing zeros, "." as
// separator, no thousands separator: fixed-point when it has at most 15
// digits before the decimal point and is zero or at least 0.00001 in
// magnitude, otherwise scientific ("1.5E20", "1E-7": the exponent carries a
// minus sign only when negative). Zero of either sign gives "0"; infinities
// and NaN give "INF", "-INF" and "NAN".
std::string FloatToStr(double value);

// The shortest decimal text that reads back to the same double (for JSON),
// e.g. "0.1", "-2", "1e+20", "1.5e-07". Infinities and NaN, which JSON cannot
// hold, give "null".
std::string FloatToShortest(double value);

}  // namespace kvr
