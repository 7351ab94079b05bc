// The type table of the table file formats and the classes of values.
#include "tables/field_types.h"

#include <array>

namespace kvr {

namespace {

constexpr std::array<std::string_view, kFieldTypeCount> kTypeNames = {
    "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency",
    "BCD", "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo",
    "Graphic", "FmtMemo", "ParadoxOle", "dBaseOle", "TypedBinary", "Cursor", "FixedChar",
    "WideString", "LargeInt", "ADT", "Array", "Reference", "DataSet", "HugeBlob", "HugeClob",
    "Variant", "Interface", "Dispatch", "Guid", "SQLTimeStamp", "FMTBcdField", "FixedWideChar",
    "WideMemo", "SQLTimeStamp", "String", "LongWord", "ShortInt", "Byte", "Extended",
    "Connection", "Params", "Stream", "SQLTimeStampOffset", "Object", "Single",
};

constexpr std::array<std::string_view, 5> kKindNames = {"Data", "Calculated", "Lookup", "InternalCalc",
                                                        "Aggregate"};

}  // namespace

std::string_view FieldTypeName(FieldType type) {
    const auto code = static_cast<std::size_t>(type);
    return code < kTypeNames.size() ? kTypeNames[code] : kTypeNames[0];
}

std::optional<FieldType> FieldTypeFromName(std::string_view name) {
    for (std::size_t code = 0; code < kTypeNames.size(); ++code) {
        if (kTypeNames[code] == name) return static_cast<FieldType>(code);
    }
    return std::nullopt;
}

bool IsLoadableFieldType(FieldType type) {
    const int code = static_cast<int>(type);
    return (code >= 1 && code <= 21) || (code >= 23 && code <= 27) || code == 30 || code == 31 ||
           (code >= 35 && code <= 45);
}

ValueClass ValueClassOf(FieldType type) {
    switch (type) {
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::Word:
        case FieldType::AutoInc:
        case FieldType::ShortInt:
        case FieldType::Byte:
        case FieldType::LongWord:
            return ValueClass::Integer;
        case FieldType::LargeInt:
            return ValueClass::LargeInt;
        case FieldType::Boolean:
            return ValueClass::Boolean;
        case FieldType::Float:
        case FieldType::Extended:
        case FieldType::Single:
            return ValueClass::Float;
        case FieldType::Currency:
        case FieldType::BCD:
        case FieldType::FMTBcd:
            return ValueClass::Currency;
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::DateTime:
        case FieldType::SQLTimeStamp:
        case FieldType::SQLTimeStamp2:
            return ValueClass::DateTime;
        case FieldType::Bytes:
        case FieldType::VarBytes:
        case FieldType::Blob:
        case FieldType::Graphic:
        case FieldType::ParadoxOle:
        case FieldType::DBaseOle:
        case FieldType::TypedBinary:
        case FieldType::HugeBlob:
            return ValueClass::Bytes;
        default:
            return ValueClass::Text;
    }
}

bool IsSizedTextType(FieldType type) {
    return type == FieldType::String || type == FieldType::String2 || type == FieldType::FixedChar ||
           type == FieldType::WideString || type == FieldType::FixedWideChar;
}

std::string_view FieldKindName(FieldKind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

FieldKind FieldKindFromName(std::string_view name) {
    for (std::size_t i = 0; i < kKindNames.size(); ++i) {
        if (kKindNames[i] == name) return static_cast<FieldKind>(i);
    }
    return FieldKind::Data;
}

}  // namespace kvr
