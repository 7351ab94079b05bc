// Date-time values: a double day count from 1899-12-30 00:00, the integer part
// the date and the fraction the time of day (negative values count back, with
// the fraction still taken forward from midnight of the day).
#pragma once

#include <string>
#include <string_view>

namespace kvr {

using TDateTime = double;

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Raises EConvertError for a date outside 0001-01-01..9999-12-31 or an
// impossible day, month, hour, minute, second or millisecond ("Invalid
// argument to date encode" / "Invalid argument to time encode"). The Try forms
// return false instead.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(const DateTimeParts& parts);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);

// Exact to the millisecond (the value is rounded to the nearest millisecond first).
// Raises EConvertError ("Invalid argument to date decode") for a value that is
// not finite or lies outside 0001-01-01..9999-12-31; the Format* functions
// below decode and so raise the same.
DateTimeParts DecodeDateTime(TDateTime value);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The fixed text forms the table files use: "dd/mm/yyyy", "hh:nn:ss" and,
// for a date-time, the date followed by a blank and the time unless the time
// is exactly midnight.
std::string FormatDate(TDateTime value);
std::string FormatTime(TDateTime value);
std::string FormatDateTime(TDateTime value);

// Readers of those forms: day, month and year separated by "/", a two-digit
// year taken as 19xx/20xx around a 50-year window (00-49 are 20xx, 50-99 19xx,
// fixed so that reading never depends on the clock); hours, minutes and
// optional seconds (and milliseconds after ".") separated by ":", an optional
// "AM"/"PM" marker. Blanks around the text are ignored. Return false when the
// text is not such a value.
bool TryParseDate(std::string_view text, TDateTime& result);
bool TryParseTime(std::string_view text, TDateTime& result);
bool TryParseDateTime(std::string_view text, TDateTime& result);

}  // namespace kvr
