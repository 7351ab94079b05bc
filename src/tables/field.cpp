// Field value reads and writes with the conversions between types.
#include <cmath>
#include <limits>

#include "support/collation.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "tables/memtable.h"

namespace kvr {

namespace {

int DefaultDisplayWidth(FieldType type, int size) {
    if (IsSizedTextType(type)) return size;
    switch (ValueClassOf(type)) {
        case ValueClass::Boolean: return 5;
        case ValueClass::DateTime: return type == FieldType::DateTime ? 18 : 10;
        default: return 10;
    }
}

struct IntRange {
    std::int64_t low, high;
};

IntRange RangeOf(FieldType type) {
    switch (type) {
        case FieldType::SmallInt: return {-32768, 32767};
        case FieldType::Word: return {0, 65535};
        case FieldType::ShortInt: return {-128, 127};
        case FieldType::Byte: return {0, 255};
        case FieldType::LongWord: return {0, 4294967295LL};
        case FieldType::LargeInt:
            return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
        default: return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    }
}

std::int32_t NarrowToInt32(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        throw EConvertError(FormatMessage("%s is not a valid integer value", {std::to_string(value)}));
    }
    return static_cast<std::int32_t>(value);
}

std::int64_t RoundToInt64(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) {
        throw EConvertError(FormatMessage("%s is not a valid integer value", {FloatToStr(value)}));
    }
    return static_cast<std::int64_t>(std::nearbyint(value));
}

// True iff text is a leading part (of its own length) of word, letter case ignored.
bool IsPrefixOf(std::string_view text, std::string_view word) {
    return text.size() <= word.size() && SameText(text, word.substr(0, text.size()));
}

}  // namespace

TField::TField(TMemTable& table, int index, const TFieldDef& def)
    : Required(def.Required),
      ReadOnly(def.ReadOnly),
      Visible(def.Visible),
      DisplayLabel(def.DisplayLabel.empty() ? def.Name : def.DisplayLabel),
      EditMask(def.EditMask),
      DisplayWidth(def.DisplayWidth > 0 ? def.DisplayWidth : DefaultDisplayWidth(def.DataType, def.Size)),
      Kind(def.Kind),
      DefaultExpression(def.DefaultExpression),
      table_(&table),
      index_(index),
      name_(def.Name),
      type_(def.DataType),
      size_(def.Size) {}

const TRecord& TField::Source() const { return table_->CurrentSource(); }

TRecord& TField::Target() { return table_->WriteTarget(*this); }

void TField::ConversionFailure(std::string_view format, std::string_view text) const {
    throw EConvertError(FormatMessage(format, {text, DisplayLabel}));
}

bool TField::IsNull() const { return Source().IsNull(table_->layout_, index_); }

void TField::Clear() { Target().SetNull(table_->layout_, index_); }

// ---- reads

std::string TField::AsString() const {
    const TRecord& record = Source();
    const RecordLayout& layout = table_->layout_;
    if (record.IsNull(layout, index_)) return {};
    switch (ValueClassOf(type_)) {
        case ValueClass::Integer:
        case ValueClass::LargeInt: return std::to_string(record.GetInt(layout, index_));
        case ValueClass::Float: return FloatToStr(record.GetDouble(layout, index_));
        case ValueClass::Currency: return FloatToStr(static_cast<double>(record.GetInt(layout, index_)) / 10000.0);
        case ValueClass::Boolean: return record.GetBool(layout, index_) ? "True" : "False";
        case ValueClass::DateTime: {
            const double value = record.GetDouble(layout, index_);
            if (type_ == FieldType::Date) return FormatDate(value);
            if (type_ == FieldType::Time) return FormatTime(value);
            return FormatDateTime(value);
        }
        case ValueClass::Text:
        case ValueClass::Bytes: return std::string(record.GetVar(layout, index_));
    }
    return {};
}

std::int64_t TField::AsLargeInt() const {
    const TRecord& record = Source();
    const RecordLayout& layout = table_->layout_;
    if (record.IsNull(layout, index_)) return 0;
    switch (ValueClassOf(type_)) {
        case ValueClass::Integer:
        case ValueClass::LargeInt: return record.GetInt(layout, index_);
        case ValueClass::Boolean: return record.GetBool(layout, index_) ? 1 : 0;
        case ValueClass::Float: return RoundToInt64(record.GetDouble(layout, index_));
        case ValueClass::DateTime: return static_cast<std::int64_t>(std::trunc(record.GetDouble(layout, index_)));
        case ValueClass::Currency: return RoundToInt64(static_cast<double>(record.GetInt(layout, index_)) / 10000.0);
        case ValueClass::Text:
        case ValueClass::Bytes: {
            const std::string text(record.GetVar(layout, index_));
            std::int64_t value = 0;
            if (!TryParseInt64(text, value)) {
                throw EConvertError(FormatMessage("''%s'' is not a valid integer value", {text}));
            }
            return value;
        }
    }
    return 0;
}

std::int32_t TField::AsInteger() const {
    if (ValueClassOf(type_) == ValueClass::Text || ValueClassOf(type_) == ValueClass::Bytes) {
        const std::string text = AsString();
        std::int32_t value = 0;
        if (!text.empty() || !IsNull()) {
            if (!TryParseInt32(text, value)) {
                throw EConvertError(FormatMessage("''%s'' is not a valid integer value", {text}));
            }
        }
        return value;
    }
    return NarrowToInt32(AsLargeInt());
}

double TField::AsFloat() const {
    const TRecord& record = Source();
    const RecordLayout& layout = table_->layout_;
    if (record.IsNull(layout, index_)) return 0;
    switch (ValueClassOf(type_)) {
        case ValueClass::Integer:
        case ValueClass::LargeInt: return static_cast<double>(record.GetInt(layout, index_));
        case ValueClass::Boolean: return record.GetBool(layout, index_) ? 1 : 0;
        case ValueClass::Float:
        case ValueClass::DateTime: return record.GetDouble(layout, index_);
        case ValueClass::Currency: return static_cast<double>(record.GetInt(layout, index_)) / 10000.0;
        case ValueClass::Text:
        case ValueClass::Bytes: {
            const std::string text(record.GetVar(layout, index_));
            double value = 0;
            if (!TryParseFloat(text, value)) {
                throw EConvertError(FormatMessage("''%s'' is not a valid floating point value", {text}));
            }
            return value;
        }
    }
    return 0;
}

double TField::AsCurrency() const {
    if (ValueClassOf(type_) == ValueClass::Currency) {
        return static_cast<double>(Source().GetInt(table_->layout_, index_)) / 10000.0;
    }
    return std::nearbyint(AsFloat() * 10000.0) / 10000.0;
}

TDateTime TField::AsDateTime() const {
    const TRecord& record = Source();
    const RecordLayout& layout = table_->layout_;
    if (record.IsNull(layout, index_)) return 0;
    const ValueClass cls = ValueClassOf(type_);
    if (cls == ValueClass::Text || cls == ValueClass::Bytes) {
        const std::string text(record.GetVar(layout, index_));
        TDateTime value = 0;
        if (!TryParseDateTime(text, value)) {
            throw EConvertError(FormatMessage("''%s'' is not a valid date and time", {text}));
        }
        return value;
    }
    return AsFloat();
}

bool TField::AsBoolean() const {
    const TRecord& record = Source();
    const RecordLayout& layout = table_->layout_;
    if (record.IsNull(layout, index_)) return false;
    const ValueClass cls = ValueClassOf(type_);
    if (cls == ValueClass::Text || cls == ValueClass::Bytes) {
        const std::string_view text = record.GetVar(layout, index_);
        return !text.empty() && std::string_view("YyTt1").find(text.front()) != std::string_view::npos;
    }
    return AsFloat() != 0;
}

TFieldValue TField::Value() const { return Source().Get(table_->layout_, index_); }

std::string TField::DisplayText() const { return OnGetText ? OnGetText(*this) : AsString(); }

// ---- writes

void TField::SetValue(const TFieldValue& value) { Target().Set(table_->layout_, index_, value); }

void TField::SetDisplayText(std::string_view text) {
    if (OnSetText) {
        OnSetText(*this, text);
    } else {
        SetAsString(text);
    }
}

void TField::SetAsString(std::string_view text) {
    const RecordLayout& layout = table_->layout_;
    switch (ValueClassOf(type_)) {
        case ValueClass::Text: {
            if (IsSizedTextType(type_) && size_ > 0 && text.size() > static_cast<std::size_t>(size_)) {
                text = text.substr(0, static_cast<std::size_t>(size_));
            }
            Target().SetVar(layout, index_, text);
            return;
        }
        case ValueClass::Bytes: Target().SetVar(layout, index_, text); return;
        case ValueClass::Integer:
        case ValueClass::LargeInt: {
            if (text.empty()) return Clear();
            std::int64_t value = 0;
            const IntRange range = RangeOf(type_);
            if (!TryParseInt64(text, value) || value < range.low || value > range.high) {
                ConversionFailure("'%s' is not a valid integer value for field '%s'", text);
            }
            Target().SetInt(layout, index_, value);
            return;
        }
        case ValueClass::Float:
        case ValueClass::Currency: {
            if (text.empty()) return Clear();
            double value = 0;
            if (!TryParseFloat(text, value)) ConversionFailure("'%s' is not a valid floating point value for field '%s'", text);
            if (ValueClassOf(type_) == ValueClass::Currency) {
                SetAsCurrency(value);
            } else {
                Target().SetDouble(layout, index_, value);
            }
            return;
        }
        case ValueClass::DateTime: {
            if (text.empty()) return Clear();
            TDateTime value = 0;
            if (type_ == FieldType::Date) {
                if (!TryParseDate(text, value)) ConversionFailure("''%s'' is not a valid date", text);
            } else if (type_ == FieldType::Time) {
                if (!TryParseTime(text, value)) ConversionFailure("''%s'' is not a valid time", text);
            } else if (!TryParseDateTime(text, value)) {
                ConversionFailure("''%s'' is not a valid date and time", text);
            }
            Target().SetDouble(layout, index_, value);
            return;
        }
        case ValueClass::Boolean: {
            if (text.empty()) return Clear();
            if (IsPrefixOf(text, "False")) {
                Target().SetBool(layout, index_, false);
            } else if (IsPrefixOf(text, "True")) {
                Target().SetBool(layout, index_, true);
            } else {
                ConversionFailure("'%s' is not a valid boolean value for field '%s'", text);
            }
            return;
        }
    }
}

void TField::SetAsLargeInt(std::int64_t value) {
    const RecordLayout& layout = table_->layout_;
    switch (ValueClassOf(type_)) {
        case ValueClass::Integer:
        case ValueClass::LargeInt: {
            const IntRange range = RangeOf(type_);
            if (value < range.low || value > range.high) {
                ConversionFailure("'%s' is not a valid integer value for field '%s'", std::to_string(value));
            }
            Target().SetInt(layout, index_, value);
            return;
        }
        case ValueClass::Currency: Target().SetInt(layout, index_, value * 10000); return;
        case ValueClass::Boolean: Target().SetBool(layout, index_, value != 0); return;
        case ValueClass::Float:
        case ValueClass::DateTime: Target().SetDouble(layout, index_, static_cast<double>(value)); return;
        case ValueClass::Text:
        case ValueClass::Bytes: SetAsString(std::to_string(value)); return;
    }
}

void TField::SetAsInteger(std::int32_t value) { SetAsLargeInt(value); }

void TField::SetAsFloat(double value) {
    const RecordLayout& layout = table_->layout_;
    switch (ValueClassOf(type_)) {
        case ValueClass::Float:
        case ValueClass::DateTime: Target().SetDouble(layout, index_, value); return;
        case ValueClass::Currency: SetAsCurrency(value); return;
        case ValueClass::Integer:
        case ValueClass::LargeInt: SetAsLargeInt(RoundToInt64(value)); return;
        case ValueClass::Boolean: Target().SetBool(layout, index_, value != 0); return;
        case ValueClass::Text:
        case ValueClass::Bytes: SetAsString(FloatToStr(value)); return;
    }
}

void TField::SetAsCurrency(double amount) {
    if (ValueClassOf(type_) != ValueClass::Currency) return SetAsFloat(amount);
    Target().SetInt(table_->layout_, index_, RoundToInt64(amount * 10000.0));
}

void TField::SetAsDateTime(TDateTime value) {
    const RecordLayout& layout = table_->layout_;
    switch (ValueClassOf(type_)) {
        case ValueClass::DateTime: {
            if (type_ == FieldType::Date) value = std::trunc(value);
            if (type_ == FieldType::Time) value = std::fabs(value - std::trunc(value));
            Target().SetDouble(layout, index_, value);
            return;
        }
        case ValueClass::Text:
        case ValueClass::Bytes: SetAsString(FormatDateTime(value)); return;
        default: SetAsFloat(value); return;
    }
}

void TField::SetAsBoolean(bool value) {
    switch (ValueClassOf(type_)) {
        case ValueClass::Boolean: Target().SetBool(table_->layout_, index_, value); return;
        case ValueClass::Text:
        case ValueClass::Bytes: SetAsString(value ? "True" : "False"); return;
        default: SetAsLargeInt(value ? 1 : 0); return;
    }
}

}  // namespace kvr
