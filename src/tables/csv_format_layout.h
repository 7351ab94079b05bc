// The fixed vocabulary of the CSV table file: quote, delimiters, escape, the
// definition markers and the option words of definition lines. Files in the
// field carry these exact bytes, so none of them may change.
#pragma once

#include <string_view>

namespace kvr::csv {

inline constexpr char kQuote = '"';
inline constexpr char kFieldDelimiter = ',';
// Written after the last value of the header line and of every data line.
inline constexpr char kRecordDelimiter = ',';
inline constexpr char kEscape = '%';
inline constexpr std::string_view kLineEnd = "\r\n";

// Escape pairs of text values: the escape character followed by one of these.
inline constexpr char kEscapedNul = '0';
inline constexpr char kEscapedCarriageReturn = 'c';
inline constexpr char kEscapedLineFeed = 'n';

// The 6-bit text code of byte values: each 6-bit group is written as this
// offset plus the group, so the characters run from the blank to "_".
inline constexpr int kSixBitOffset = 32;

inline constexpr std::string_view kTrueText = "True";
inline constexpr std::string_view kFalseText = "0";

// Size of the text fields made from the column titles of a file that has no
// definitions, read into a table that has no fields.
inline constexpr int kDefaultTextFieldSize = 255;

inline constexpr std::string_view kFileVersionMarker = "@@FILE VERSION@@";
inline constexpr std::string_view kFileVersion = "251";
inline constexpr std::string_view kTableDefStart = "@@TABLEDEF START@@";
inline constexpr std::string_view kTableDefEnd = "@@TABLEDEF END@@";
inline constexpr std::string_view kIndexDefStart = "@@INDEXDEF START@@";
inline constexpr std::string_view kIndexDefEnd = "@@INDEXDEF END@@";

// Separates the name of a field or index from the rest of its definition.
inline constexpr char kDefinitionNameEnd = '=';

// Field definition flags, written in this order.
inline constexpr std::string_view kRequiredFlag = "REQ";
inline constexpr std::string_view kReadOnlyFlag = "RO";
inline constexpr std::string_view kInvisibleFlag = "INV";

// Index definition options, written in this order.
inline constexpr std::string_view kDescendingOption = "DESC";
inline constexpr std::string_view kCaseInsensitiveOption = "CASE";
inline constexpr std::string_view kNonMaintainedOption = "NONMT";
inline constexpr std::string_view kUniqueOption = "UNIQ";

}  // namespace kvr::csv
