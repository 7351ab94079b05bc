// The value forms of qbXML that the simulator reads and writes: dates,
// durations, time stamps and object identifiers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kvr::qbsim {

// True iff text is "yyyy-mm-dd" naming a real date.
bool IsQBDate(std::string_view text);

// Reads [+-]?PT([0-9]+H)?([0-9]+M)?([0-9]+S)? into seconds (negative for
// "-"). False when the text has another form, no part at all, or a total
// beyond what a time entry can hold.
bool ParseQBDuration(std::string_view text, std::int64_t& seconds);

// The form QuickBooks answers with: hours, minutes and seconds, minutes and
// seconds carried over ("PT1H30M0S" for PT90M).
std::string FormatQBDuration(std::int64_t seconds);

// Now, as a qbXML date-time ("2026-12-11T14:30:00+00:00"; the simulator keeps UTC).
std::string NowTimeStamp();
// Today's date, "yyyy-mm-dd".
std::string TodayDate();
// Seconds since 1970, the edit sequence and second part of identifiers.
std::int64_t NowSeconds();

// "80000001-1765459800": the counter in upper-case hex and the creation time.
std::string MakeObjectID(std::int64_t counter, std::int64_t seconds);

// True iff text is a GUID in braces: {8-4-4-4-12 hex digits}.
bool IsGuid(std::string_view text);

// Number of Unicode characters in UTF-8 text (QuickBooks limits count characters).
std::size_t Utf8Length(std::string_view text);

}  // namespace kvr::qbsim
