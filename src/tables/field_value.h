// A field value as it crosses between a memory table and a table file reader
// or writer. Which alternative a field uses follows its ValueClass:
//   Integer, LargeInt        -> std::int64_t
//   Currency                 -> std::int64_t, in ten-thousandths
//   Float, DateTime          -> double (date-times as day counts)
//   Boolean                  -> bool
//   Text, Bytes              -> std::string (Windows-1252 text, raw bytes)
//   null                     -> std::monostate
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace kvr {

using TFieldValue = std::variant<std::monostate, std::int64_t, double, bool, std::string>;

inline bool IsNullValue(const TFieldValue& value) { return std::holds_alternative<std::monostate>(value); }

}  // namespace kvr
