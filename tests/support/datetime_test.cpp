#include "support/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/errors.h"
#include "support/expect_refused.h"

namespace kvr {
namespace {

std::string Show(const DateTimeParts& p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second, p.millisecond);
    return buf;
}

TEST(DateTime, DatesHaveTheirDayNumbers) {
    struct Case {
        int year, month, day;
        double value;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},      {1899, 12, 31, 1},      {1900, 1, 1, 2},         {1899, 12, 29, -1},
        {1900, 2, 28, 60},      {1900, 3, 1, 61},       // 1900 is no leap year
        {2000, 2, 29, 36585},   {2000, 3, 1, 36586},    {1970, 1, 1, 25569},     {2024, 2, 29, 45351},
        {1, 1, 1, -693593},     {9999, 12, 31, 2958465}, {1600, 2, 29, -109512},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.value);
        const DateTimeParts parts = DecodeDateTime(c.value);
        EXPECT_EQ(parts.year, c.year);
        EXPECT_EQ(parts.month, c.month);
        EXPECT_EQ(parts.day, c.day);
    }
}

TEST(DateTime, EveryDayOfALeapCycleRoundTrips) {
    const double first = EncodeDate(1896, 1, 1);
    int year = 1896, month = 1, day = 1;
    for (double value = first; value < first + 146097; ++value) {
        const DateTimeParts p = DecodeDateTime(value);
        ASSERT_EQ(Show(p).substr(0, 10), Show({year, month, day, 0, 0, 0, 0}).substr(0, 10)) << value;
        if (++day > DaysInMonth(year, month)) {
            day = 1;
            if (++month > 12) month = 1, ++year;
        }
    }
}

TEST(DateTime, LeapYearsAndMonthLengths) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 12), 31);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

TEST(DateTime, EveryMillisecondOfADayIsExact) {
    const double date = EncodeDate(2024, 6, 30);
    for (int ms = 0; ms < 86'400'000; ms += 997) {
        const DateTimeParts in{2024, 6, 30, ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000};
        const double value = EncodeDateTime(in);
        ASSERT_EQ(value, date + EncodeTime(in.hour, in.minute, in.second, in.millisecond));
        ASSERT_EQ(Show(DecodeDateTime(value)), Show(in));
    }
    const DateTimeParts last{9999, 12, 31, 23, 59, 59, 999};
    EXPECT_EQ(Show(DecodeDateTime(EncodeDateTime(last))), Show(last));
}

TEST(DateTime, BeforeTheEpochTheTimeCountsForwardFromMidnight) {
    struct Case {
        DateTimeParts parts;
        double value;
    };
    const Case cases[] = {
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25},
        {{1899, 12, 29, 18, 0, 0, 0}, -1.75},
        {{1899, 12, 28, 12, 0, 0, 0}, -2.5},
        {{1899, 12, 30, 12, 0, 0, 0}, 0.5},
        {{1, 1, 1, 23, 59, 59, 999}, -693593 - 86'399'999 / 86'400'000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.parts));
        EXPECT_EQ(EncodeDateTime(c.parts), c.value);
        EXPECT_EQ(Show(DecodeDateTime(c.value)), Show(c.parts));
    }
}

TEST(DateTime, DecodingRoundsToTheNearestMillisecond) {
    const double ms = 1.0 / 86'400'000;
    EXPECT_EQ(Show(DecodeDateTime(10 + 0.4 * ms)), "1900-01-09 00:00:00.000");
    EXPECT_EQ(Show(DecodeDateTime(10 + 0.6 * ms)), "1900-01-09 00:00:00.001");
    // Just short of midnight rounds up into the next day, also before the epoch.
    EXPECT_EQ(Show(DecodeDateTime(10 + 1 - 0.2 * ms)), "1900-01-10 00:00:00.000");
    EXPECT_EQ(Show(DecodeDateTime(-2 - 1 + 0.2 * ms)), "1899-12-29 00:00:00.000");
}

TEST(DateTime, InvalidPartsAreRefused) {
    struct Case {
        int year, month, day;
    };
    const Case dates[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 2, 30}, {2024, 4, 31}, {2024, 0, 1},
                          {2024, 13, 1}, {2024, 1, 0},  {2024, 1, 32}, {0, 12, 31},   {10000, 1, 1}, {-1, 1, 1}};
    for (const Case& c : dates) {
        SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" + std::to_string(c.day));
        double value = 42;
        EXPECT_FALSE(TryEncodeDate(c.year, c.month, c.day, value));
        EXPECT_EQ(value, 42);
        try {
            EncodeDate(c.year, c.month, c.day);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to date encode");
        }
    }
    const int times[][4] = {{24, 0, 0, 0}, {-1, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {0, 0, 0, -1}};
    for (const auto& t : times) {
        SCOPED_TRACE(std::to_string(t[0]) + ":" + std::to_string(t[1]) + ":" + std::to_string(t[2]) + "." +
                     std::to_string(t[3]));
        double value = 42;
        EXPECT_FALSE(TryEncodeTime(t[0], t[1], t[2], t[3], value));
        EXPECT_EQ(value, 42);
        try {
            EncodeTime(t[0], t[1], t[2], t[3]);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to time encode");
        }
    }
    EXPECT_THROW(EncodeDateTime({2024, 1, 1, 24, 0, 0, 0}), EConvertError);
    EXPECT_THROW(EncodeDateTime({2024, 2, 30, 0, 0, 0, 0}), EConvertError);
}

TEST(DateTime, ValuesOutsideTheCalendarAreRefusedWhenDecoded) {
    const double values[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466, -693594,
                             2958465.999999999};
    for (double v : values) {
        SCOPED_TRACE(v);
        try {
            DecodeDateTime(v);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "Invalid argument to date decode");
        }
    }
    EXPECT_THROW(FormatDate(1e300), EConvertError);
}

TEST(DateTime, TextForms) {
    const double noon = EncodeDateTime({2024, 3, 5, 13, 7, 9, 600});
    EXPECT_EQ(FormatDate(noon), "05/03/2024");
    EXPECT_EQ(FormatTime(noon), "13:07:09");
    EXPECT_EQ(FormatDateTime(noon), "05/03/2024 13:07:09");
    EXPECT_EQ(FormatDateTime(EncodeDate(2024, 3, 5)), "05/03/2024");
    EXPECT_EQ(FormatDateTime(EncodeDateTime({2024, 3, 5, 0, 0, 0, 1})), "05/03/2024 00:00:00");
    EXPECT_EQ(FormatDate(EncodeDate(1, 1, 1)), "01/01/0001");
    EXPECT_EQ(FormatDateTime(-1.25), "29/12/1899 06:00:00");
}

TEST(DateTime, ParsesDates) {
    struct Case {
        const char* text;
        int year, month, day;
    };
    const Case cases[] = {
        {"05/03/2024", 2024, 3, 5}, {"5/3/2024", 2024, 3, 5}, {"  29/02/2000 ", 2000, 2, 29},
        {"31/12/9999", 9999, 12, 31}, {"01/01/0001", 1, 1, 1}, {"1/1/49", 2049, 1, 1},
        {"1/1/50", 1950, 1, 1},     {"1/1/00", 2000, 1, 1},   {"1/1/99", 1999, 1, 1},
        {"1/1/123", 123, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = 0;
        ASSERT_TRUE(TryParseDate(c.text, value));
        EXPECT_EQ(value, EncodeDate(c.year, c.month, c.day));
    }
    test::ExpectAllRefused<TDateTime>({"",           "  ",          "05/03",     "05-03-2024", "29/02/2023",
                                       "32/01/2024", "05/13/2024",  "005/03/2024", "5/3/20245", "5/3/2024x",
                                       "5//2024",    "a/3/2024",    "5/3/ 2024", "5/3/-2024",  "5/3/",
                                       "0/1/2024",   "5 /3/2024",   "5/3/2024 10:00"},
                                      TryParseDate);
}

TEST(DateTime, ParsesTimes) {
    struct Case {
        const char* text;
        int hour, minute, second, millisecond;
    };
    const Case cases[] = {
        {"13:07:09", 13, 7, 9, 0},    {"13:07", 13, 7, 0, 0},        {"1:2:3", 1, 2, 3, 0},
        {" 23:59:59.999 ", 23, 59, 59, 999}, {"10:00:00.5", 10, 0, 0, 500}, {"10:00:00.05", 10, 0, 0, 50},
        {"12:00 AM", 0, 0, 0, 0},     {"12:30 PM", 12, 30, 0, 0},    {"1:15:00 pm", 13, 15, 0, 0},
        {"11:59:59PM", 23, 59, 59, 0}, {"00:00:00", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double value = 0;
        ASSERT_TRUE(TryParseTime(c.text, value));
        EXPECT_EQ(value, EncodeTime(c.hour, c.minute, c.second, c.millisecond));
    }
    test::ExpectAllRefused<TDateTime>({"",        "13",         "24:00",   "12:60",  "12:00:60", "13:00 PM",
                                       "0:00 AM", "12:00:00.",  "1:2:3.1234", "1:2:3:4", "12h00", "123:00",
                                       "12:00 XM", "AM",        "-1:00",   "12:00 PM PM", "12 :00"},
                                      TryParseTime);
}

TEST(DateTime, ParsesDateTimes) {
    double value = 0;
    ASSERT_TRUE(TryParseDateTime("05/03/2024 13:07:09", value));
    EXPECT_EQ(value, EncodeDateTime({2024, 3, 5, 13, 7, 9, 0}));
    ASSERT_TRUE(TryParseDateTime("05/03/2024", value));
    EXPECT_EQ(value, EncodeDate(2024, 3, 5));
    ASSERT_TRUE(TryParseDateTime("13:07", value));
    EXPECT_EQ(value, EncodeTime(13, 7, 0, 0));
    ASSERT_TRUE(TryParseDateTime("29/12/1899 06:00:00", value));
    EXPECT_EQ(value, -1.25);
    ASSERT_TRUE(TryParseDateTime("05/03/2024   1:00 PM", value));
    EXPECT_EQ(value, EncodeDateTime({2024, 3, 5, 13, 0, 0, 0}));

    test::ExpectAllRefused<TDateTime>(
        {"", "05/03/2024 25:00", "30/02/2024 10:00", "05/03/2024 x", "13:07 05/03/2024"}, TryParseDateTime);
}

TEST(DateTime, FormattedTextReadsBack) {
    const DateTimeParts samples[] = {{2024, 3, 5, 13, 7, 9, 0}, {1899, 12, 29, 6, 0, 0, 0}, {1, 1, 1, 0, 0, 1, 0},
                                     {9999, 12, 31, 23, 59, 59, 0}, {2000, 2, 29, 0, 0, 0, 0}};
    for (const DateTimeParts& p : samples) {
        SCOPED_TRACE(Show(p));
        const double value = EncodeDateTime(p);
        double back = 0;
        ASSERT_TRUE(TryParseDateTime(FormatDateTime(value), back));
        EXPECT_EQ(back, value);
    }
}

}  // namespace
}  // namespace kvr
