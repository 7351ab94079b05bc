#include "support/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/expect_refused.h"

namespace kvr {
namespace {

TEST(NumText, AcceptedIntegers) {
    struct Case {
        const char* text;
        std::int64_t value;
    };
    const Case cases[] = {
        {"0", 0},
        {"-0", 0},
        {"+7", 7},
        {"0042", 42},
        {"-17", -17},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"000000000000000000000000001", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int64_t value = 99;
        ASSERT_TRUE(TryParseInt64(c.text, value));
        EXPECT_EQ(value, c.value);
    }
}

TEST(NumText, RefusedIntegers) {
    test::ExpectAllRefused<std::int64_t>({"", "+", "-", " 1", "1 ", "1.0", "1e3", "0x10", "--1", "+-1", "1-",
                                          "\xD9\xA1", "12a", std::string_view("1\0", 2), "9223372036854775808",
                                          "-9223372036854775809", "18446744073709551616", "99999999999999999999999"},
                                         TryParseInt64);
}

TEST(NumText, Int32Limits) {
    struct Case {
        const char* text;
        bool accepted;
        std::int32_t value;
    };
    const Case cases[] = {
        {"2147483647", true, 2147483647},  {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},          {"-2147483649", false, 0},
        {"4294967296", false, 0},          {"+2147483647", true, 2147483647},
        {"", false, 0},                    {"12 ", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t value = 99;
        EXPECT_EQ(TryParseInt32(c.text, value), c.accepted);
        EXPECT_EQ(value, c.accepted ? c.value : 99);
    }
}

TEST(NumText, AcceptedFloats) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1.5", 1.5},           {"-2", -2},          {".5", 0.5},         {"5.", 5},
        {"+3.25", 3.25},        {"3E-7", 3e-7},      {"3e7", 3e7},        {"1.5E+20", 1.5e20},
        {"  12.75  ", 12.75},   {"\t1\t", 1},        {"0", 0},            {"-0.0", -0.0},
        {"1.7976931348623157E308", std::numeric_limits<double>::max()},
        {"1e-400", 0},          {"-1e-400", -0.0},   {"4.9406564584124654E-324", 4.9406564584124654e-324},
        {"0.000000000000000000000000000000000001e-300", 0},
        {"12345678901234567890", 12345678901234567890.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = 99;
        ASSERT_TRUE(TryParseFloat(c.text, value));
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(std::signbit(value), std::signbit(c.value));
    }
}

TEST(NumText, RefusedFloats) {
    test::ExpectAllRefused<double>({"",      " ",     ".",      "-",       "+.",   "e5",   "1e",  "1e+",
                                    "1,5",   "1.5.2", "1 5",    "inf",     "-inf", "nan",  "NaN", "infinity",
                                    "0x1p3", "1e400", "-1e400", "1.8e308", "1d5",  "1.5f", "--1", "1e5.5",
                                    "100000000000000000000000000000000000e300"},
                                   TryParseFloat);
}

TEST(NumText, FloatToStr) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-1, "-1"},
        {100, "100"},
        {12.3456, "12.3456"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-1234.5, "-1234.5"},
        {999999999999999, "999999999999999"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {1.5e20, "1.5E20"},
        {-2.5e16, "-2.5E16"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.00001, "0.00001"},
        {0.000012345, "0.000012345"},
        {0.000001, "1E-6"},
        {1.5e-7, "1.5E-7"},
        {9.99999999999999999, "10"},
        {999999999999999.9, "1E15"},  // rounds to 16 digits before the point
        {0.0000099999999999999999, "0.00001"},
        {1e100, "1E100"},
        {1e-300, "1E-300"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStr(c.value), c.text);
    }
}

TEST(NumText, FloatToStrReadsBackWithinFifteenDigits) {
    const double samples[] = {12.3456, -0.000123, 98765.4321, 1.5e-7, 6.02214076e23, 42};
    for (double v : samples) {
        SCOPED_TRACE(v);
        double back = 0;
        ASSERT_TRUE(TryParseFloat(FloatToStr(v), back));
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
    }
}

TEST(NumText, FloatToShortest) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},          {1, "1"},         {-2, "-2"},       {0.1, "0.1"},
        {0.1 + 0.2, "0.30000000000000004"},  {1e20, "1e+20"},  {1.5e-7, "1.5e-07"},
        {std::numeric_limits<double>::infinity(), "null"},
        {-std::numeric_limits<double>::infinity(), "null"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToShortest(c.value), c.text);
    }
    const double samples[] = {0.1, 1.0 / 3, 123456.789, 5e-324, std::numeric_limits<double>::max(), -9.87e-10};
    for (double v : samples) {
        SCOPED_TRACE(v);
        double back = 0;
        ASSERT_TRUE(TryParseFloat(FloatToShortest(v), back));
        EXPECT_EQ(back, v);
    }
}

}  // namespace
}  // namespace kvr
