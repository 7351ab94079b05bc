// The 80-bit extended float conversions: known byte patterns, round trips of
// doubles, rounding of the 64-bit significand, the edges of the double range,
// and the exact path for 64-bit integers.
#include "tables/extended_float.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace kvr {
namespace {

using extended::Bytes;

Bytes Make(std::uint64_t significand, std::uint16_t signExponent) {
    Bytes b{};
    for (int i = 0; i < 8; ++i) b[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(significand >> (8 * i));
    b[8] = static_cast<std::uint8_t>(signExponent & 0xFF);
    b[9] = static_cast<std::uint8_t>(signExponent >> 8);
    return b;
}

std::string Hex(const Bytes& b) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (const auto byte : b) {
        if (!s.empty()) s += ' ';
        s += digits[byte >> 4];
        s += digits[byte & 15];
    }
    return s;
}

std::uint64_t Bits(double d) { return std::bit_cast<std::uint64_t>(d); }

constexpr double kMinDenormal = std::numeric_limits<double>::denorm_min();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ExtendedFloat, KnownBytePatterns) {
    struct Case {
        double value;
        const char* bytes;
    };
    const Case cases[] = {
        {1.0, "00 00 00 00 00 00 00 80 FF 3F"},
        {-1.0, "00 00 00 00 00 00 00 80 FF BF"},
        {2.0, "00 00 00 00 00 00 00 80 00 40"},
        {0.5, "00 00 00 00 00 00 00 80 FE 3F"},
        {0.1, "00 D0 CC CC CC CC CC CC FB 3F"},
        {0.0, "00 00 00 00 00 00 00 00 00 00"},
        {-0.0, "00 00 00 00 00 00 00 00 00 80"},
        {kInf, "00 00 00 00 00 00 00 80 FF 7F"},
        {-kInf, "00 00 00 00 00 00 00 80 FF FF"},
        {kMax, "00 F8 FF FF FF FF FF FF FE 43"},
        {kMinNormal, "00 00 00 00 00 00 00 80 01 3C"},
        {kMinDenormal, "00 00 00 00 00 00 00 80 CD 3B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Hex(extended::FromDouble(c.value)), c.bytes);
        EXPECT_EQ(Bits(extended::ToDouble(extended::FromDouble(c.value))), Bits(c.value));
    }
}

TEST(ExtendedFloat, EveryKindOfDoubleComesBackExactly) {
    const double values[] = {
        3.141592653589793, -12.3456, 12.3456, 45000.75, 1e300, -1e-300, 1e-310, -4.9e-320,
        kMinNormal - kMinDenormal,  // largest denormal
        std::nextafter(1.0, 2.0), std::nextafter(kMax, 0.0), 123456789012345678.0,
        44927.999988425923,  // a date-time near midnight
    };
    for (const double v : values) {
        SCOPED_TRACE(v);
        EXPECT_EQ(Bits(extended::ToDouble(extended::FromDouble(v))), Bits(v));
    }
}

TEST(ExtendedFloat, NaNStaysNaNWithItsSign) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double back = extended::ToDouble(extended::FromDouble(nan));
    EXPECT_TRUE(std::isnan(back));
    EXPECT_TRUE(std::signbit(extended::ToDouble(extended::FromDouble(-nan))));
    // A NaN whose payload lives only below the bits a double keeps is still a NaN.
    EXPECT_TRUE(std::isnan(extended::ToDouble(Make(0x8000000000000001ull, 0x7FFF))));
}

TEST(ExtendedFloat, SignificandIsRoundedToNearestEven) {
    struct Case {
        const char* what;
        std::uint64_t significand;
        std::uint16_t exponent;
        double expected;
    };
    const Case cases[] = {
        {"tie, even stays", 0x8000000000000400ull, 0x3FFF, 1.0},
        {"above tie rounds up", 0x8000000000000401ull, 0x3FFF, 1.0 + 0x1p-52},
        {"below tie rounds down", 0x80000000000003FFull, 0x3FFF, 1.0},
        {"tie, odd rounds up", 0x8000000000000C00ull, 0x3FFF, 1.0 + 0x1p-51},
        {"all ones carry into the exponent", 0xFFFFFFFFFFFFFFFFull, 0x3FFF, 2.0},
        {"just below overflow", 0xFFFFFFFFFFFFFBFFull, 0x43FE, kMax},
        {"tie at the top overflows", 0xFFFFFFFFFFFFFC00ull, 0x43FE, kInf},
        {"beyond the double range", 0x8000000000000000ull, 0x7FFE, kInf},
        {"largest denormal rounds up to the smallest normal", 0xFFFFFFFFFFFFF800ull, 0x3C00, kMinNormal},
        {"half the smallest denormal ties to zero", 0x8000000000000000ull, 0x3BCC, 0.0},
        {"just above half the smallest denormal", 0x8000000000000001ull, 0x3BCC, kMinDenormal},
        {"three quarters of the smallest denormal", 0xC000000000000000ull, 0x3BCC, kMinDenormal},
        {"far below the range", 0x8000000000000000ull, 0x0001, 0.0},
        {"extended denormal", 0x0000000000000001ull, 0x0000, 0.0},
        {"unnormal takes the value of its bits", 0x4000000000000000ull, 0x3FFF, 0.5},
        {"pseudo-infinity", 0x0000000000000000ull, 0x7FFF, kInf},
        {"negative overflow", 0x8000000000000000ull, 0xFFFE, -kInf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Bits(extended::ToDouble(Make(c.significand, c.exponent))), Bits(c.expected));
    }
    EXPECT_TRUE(std::signbit(extended::ToDouble(Make(0x8000000000000000ull, 0x8001))));
}

TEST(ExtendedFloat, IntegersTravelExactly) {
    const std::int64_t values[] = {0, 1, -1, 255, -40000, (std::int64_t{1} << 53) + 1, std::numeric_limits<std::int64_t>::max(),
                                   std::numeric_limits<std::int64_t>::min()};
    for (const std::int64_t v : values) {
        SCOPED_TRACE(v);
        std::int64_t back = 42;
        ASSERT_TRUE(extended::ToInt64(extended::FromInt64(v), back));
        EXPECT_EQ(back, v);
    }
    EXPECT_EQ(extended::FromInt64(1), extended::FromDouble(1.0));
    EXPECT_EQ(extended::FromInt64(-40000), extended::FromDouble(-40000.0));
}

TEST(ExtendedFloat, RoundingToIntegers) {
    struct Case {
        double value;
        bool fits;
        std::int64_t expected;
    };
    const Case cases[] = {
        {2.5, true, 2},   {3.5, true, 4},     {-2.5, true, -2},   {0.49, true, 0}, {-0.5, true, 0},
        {0.5000001, true, 1}, {1e-300, true, 0}, {-9223372036854775808.0, true, std::numeric_limits<std::int64_t>::min()},
        {9223372036854775808.0, false, 0}, {1e300, false, 0}, {kInf, false, 0},
        {std::numeric_limits<double>::quiet_NaN(), false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::int64_t result = 0;
        EXPECT_EQ(extended::ToInt64(extended::FromDouble(c.value), result), c.fits);
        if (c.fits) {
            EXPECT_EQ(result, c.expected);
        }
    }
    // Just below 2^63, exactly representable in 64 bits but not in a double.
    std::int64_t result = 0;
    EXPECT_TRUE(extended::ToInt64(Make(0xFFFFFFFFFFFFFFFCull, 0x403D), result));
    EXPECT_EQ(result, std::numeric_limits<std::int64_t>::max() - 1);
}

}  // namespace
}  // namespace kvr
