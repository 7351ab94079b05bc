// The text forms in which a binary table file carries the values of the
// number-like types that travel as text (LongWord, ShortInt, Byte, Extended,
// FMTBcd, SQLTimeStamp), shared by the reader and the writer so that one
// reads back what the other wrote.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/datetime.h"
#include "support/numtext.h"
#include "tables/extended_float.h"

namespace kvr::binfmt {

inline constexpr std::int64_t kCurrencyScale = 10000;

// An amount in ten-thousandths as exact decimal text, without trailing zeros
// ("12.3456", "-0.5", "7").
inline std::string CurrencyToText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(tenThousandths) : static_cast<std::uint64_t>(tenThousandths);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / kCurrencyScale);
    std::string decimals = std::to_string(magnitude % kCurrencyScale);
    if (decimals != "0") {
        decimals.insert(0, 4 - decimals.size(), '0');
        while (decimals.back() == '0') decimals.pop_back();
        text += "." + decimals;
    }
    return text;
}

// An amount multiplied by 10000 and rounded to the nearest integer (ties to
// even); false when it is not finite or beyond a 64-bit count.
inline bool AmountToTenThousandths(double amount, std::int64_t& result) {
    return extended::ToInt64(extended::FromDouble(amount * static_cast<double>(kCurrencyScale)), result);
}

inline bool TryParseCurrencyText(std::string_view text, std::int64_t& result) {
    double amount = 0;
    return TryParseFloat(text, amount) && AmountToTenThousandths(amount, result);
}

// A date-time text with or without its time part, or a time alone.
inline bool TryParseDateTimeText(std::string_view text, TDateTime& result) {
    return TryParseDateTime(text, result) || TryParseDate(text, result) || TryParseTime(text, result);
}

}  // namespace kvr::binfmt
