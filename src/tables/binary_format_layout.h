// The layout of the binary table file: item tags, signature, the versions
// that changed the layout, and the item form each field type's values take.
// docs/formats/binary-table.md describes the format as a whole.
#pragma once

#include <cstdint>
#include <string_view>

#include "tables/field_types.h"

namespace kvr::binfmt {

// Item tags. These values are stored in every binary table file ever written,
// by this system and by the time-and-attendance system: they are permanent
// and must never be renumbered or reused.
enum class Tag : std::uint8_t {
    EndOfList = 0x00,
    ListStart = 0x01,
    Int8 = 0x02,
    Int16 = 0x03,
    Int32 = 0x04,
    Extended = 0x05,   // 80-bit extended float
    ShortBytes = 0x06, // 1-byte length, then ANSI bytes
    False = 0x08,
    True = 0x09,
    LongBytes = 0x0C,  // 4-byte length, then ANSI bytes
    Utf16 = 0x12,      // 4-byte length in code units, then UTF-16LE
    Int64 = 0x13,
    Utf8 = 0x14,       // 4-byte length in bytes, then UTF-8
    Double = 0x15,
};

inline constexpr std::string_view kSignature = "TPF0";
inline constexpr std::size_t kExtendedBytes = 10;

// Versions. A file without a version item (a list start right after the
// signature) is version 100; each later threshold adds what its name says.
inline constexpr int kVersionWritten = 251;
inline constexpr int kVersionUnnumbered = 100;
inline constexpr int kVersionIndexDefs = 200;
inline constexpr int kVersionRowGroups = 230;  // list around each row, change status
inline constexpr int kVersionNullFlags = 249;
inline constexpr int kVersionFieldKind = 250;
inline constexpr int kVersionDefaultExpression = 251;

inline constexpr int kMaxRowStatus = 3;  // 0 unmodified, 1 modified, 2 inserted, 3 deleted

// How a non-null value of a field type is stored.
enum class ValueForm : std::uint8_t {
    Integer,        // integer item
    Boolean,        // Boolean item
    Float,          // float item
    Currency,       // float item of the amount; ten-thousandths in the table
    DateTime,       // float item of the day count; 0.0 reads back as null
    LargeInt,       // float item, rounded to an integer on reading
    Text,           // text item of the field's text (texts, blobs, wide text)
    IntegerText,    // text item of the decimal digits (LongWord, ShortInt, Byte)
    FloatText,      // text item of the number (Extended)
    CurrencyText,   // text item of the amount (FMTBcd)
    DateTimeText,   // text item of the date-time text (SQLTimeStamp)
};

// Only the types named in the value table travel as numbers; every other
// type travels as the field's text, which for the number-like ones is
// their text form.
constexpr ValueForm ValueFormOf(FieldType type) {
    switch (type) {
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::Word:
        case FieldType::AutoInc:
            return ValueForm::Integer;
        case FieldType::Boolean:
            return ValueForm::Boolean;
        case FieldType::Float:
            return ValueForm::Float;
        case FieldType::Currency:
        case FieldType::BCD:
            return ValueForm::Currency;
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::DateTime:
            return ValueForm::DateTime;
        case FieldType::LargeInt:
            return ValueForm::LargeInt;
        default:
            break;
    }
    switch (ValueClassOf(type)) {
        case ValueClass::Integer:
        case ValueClass::LargeInt:
            return ValueForm::IntegerText;
        case ValueClass::Float:
            return ValueForm::FloatText;
        case ValueClass::Currency:
            return ValueForm::CurrencyText;
        case ValueClass::DateTime:
            return ValueForm::DateTimeText;
        default:
            return ValueForm::Text;
    }
}

}  // namespace kvr::binfmt
