// Field types, field kinds and the type table shared by both table file
// formats. The numeric codes are stored in binary table files: they are
// permanent and must never be renumbered.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kvr {

enum class FieldType : std::uint8_t {
    Unknown = 0, String = 1, SmallInt = 2, Integer = 3, Word = 4, Boolean = 5,
    Float = 6, Currency = 7, BCD = 8, Date = 9, Time = 10, DateTime = 11,
    Bytes = 12, VarBytes = 13, AutoInc = 14, Blob = 15, Memo = 16, Graphic = 17,
    FmtMemo = 18, ParadoxOle = 19, DBaseOle = 20, TypedBinary = 21, Cursor = 22,
    FixedChar = 23, WideString = 24, LargeInt = 25, ADT = 26, Array = 27,
    Reference = 28, DataSet = 29, HugeBlob = 30, HugeClob = 31, Variant = 32,
    Interface = 33, IDispatch = 34, Guid = 35, SQLTimeStamp = 36, FMTBcd = 37,
    FixedWideChar = 38, WideMemo = 39, SQLTimeStamp2 = 40, String2 = 41,
    LongWord = 42, ShortInt = 43, Byte = 44, Extended = 45, Connection = 46,
    Params = 47, Stream = 48, SQLTimeStampOffset = 49, Object = 50, Single = 51,
};

inline constexpr int kFieldTypeCount = 52;

// The name stored in table files for a type code ("String", "Integer", ...).
std::string_view FieldTypeName(FieldType type);

// The first type of the table with exactly that name (letter case counts);
// none for a name not in the table. Because names repeat, "SQLTimeStamp"
// gives code 36 and "String" code 1.
std::optional<FieldType> FieldTypeFromName(std::string_view name);

// True iff a memory table can hold fields of this type: codes 1 to 21, 23 to
// 27, 30, 31 and 35 to 45.
bool IsLoadableFieldType(FieldType type);

// How a type's values are held and compared.
enum class ValueClass : std::uint8_t {
    Integer,   // SmallInt, Integer, Word, AutoInc, ShortInt, Byte, LongWord: 32/64-bit integer
    LargeInt,  // 64-bit integer
    Boolean,
    Float,     // Float, Extended, Single
    Currency,  // Currency, BCD, FMTBcd: a 64-bit count of ten-thousandths
    DateTime,  // Date, Time, DateTime, SQLTimeStamp: day count
    Text,      // String and every other text type
    Bytes,     // Bytes, VarBytes, blobs: uninterpreted bytes
};
ValueClass ValueClassOf(FieldType type);

// True for the types whose Size counts characters ("String", "FixedChar", wide text).
bool IsSizedTextType(FieldType type);

enum class FieldKind : std::uint8_t { Data, Calculated, Lookup, InternalCalc, Aggregate };

std::string_view FieldKindName(FieldKind kind);
// The kind of that name (letter case counts); "Data" for a name that matches none.
FieldKind FieldKindFromName(std::string_view name);

}  // namespace kvr
