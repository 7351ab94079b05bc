// Writing binary table files, version 251: every stored field (kinds Data
// and InternalCalc), every index definition, the type header and every row
// in the order of the active index. The writer uses only the canonical item
// forms, so a file it wrote, read and written again, is the same bytes.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "support/codepage.h"
#include "support/datetime.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "tables/binary_format_layout.h"
#include "tables/binary_value_text.h"
#include "tables/extended_float.h"
#include "tables/memtable.h"
#include "tables/table_formats.h"

namespace kvr {

namespace {

using binfmt::Tag;
using binfmt::ValueForm;

class ItemWriter {
public:
    void Raw(std::string_view bytes) { out_ += bytes; }
    void Put(Tag tag) { out_ += static_cast<char>(tag); }

    void ListStart() { Put(Tag::ListStart); }
    void EndOfList() { Put(Tag::EndOfList); }
    void Boolean(bool value) { Put(value ? Tag::True : Tag::False); }

    // The smallest of the three integer forms that holds the value.
    void Integer(std::int32_t value) {
        if (value >= -128 && value <= 127) {
            Put(Tag::Int8);
            LittleEndian(static_cast<std::uint8_t>(value), 1);
        } else if (value >= -32768 && value <= 32767) {
            Put(Tag::Int16);
            LittleEndian(static_cast<std::uint16_t>(value), 2);
        } else {
            Put(Tag::Int32);
            LittleEndian(static_cast<std::uint32_t>(value), 4);
        }
    }

    void Float(double value) { Extended(extended::FromDouble(value)); }

    void Extended(const extended::Bytes& bytes) {
        Put(Tag::Extended);
        out_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    // Windows-1252 text, in the form the item rules choose from its UTF-8 and
    // UTF-16 lengths. Every 1252 character is one UTF-16 code unit, so the
    // text's length is its code unit count.
    void Text(std::string_view ansi) {
        const std::string utf8 = AnsiToUtf8(ansi);
        if (utf8.size() < 2 * ansi.size()) {
            if (!IsAscii(utf8)) {
                Bytes(Tag::Utf8, utf8, utf8.size());
            } else if (utf8.size() > 255) {
                Bytes(Tag::LongBytes, utf8, utf8.size());
            } else {
                Put(Tag::ShortBytes);
                out_ += static_cast<char>(utf8.size());
                out_ += utf8;
            }
            return;
        }
        const std::u16string utf16 = AnsiToUtf16(ansi);
        std::string raw;
        raw.reserve(2 * utf16.size());
        for (const char16_t unit : utf16) {
            raw += static_cast<char>(unit & 0xFF);
            raw += static_cast<char>(unit >> 8);
        }
        Bytes(Tag::Utf16, raw, utf16.size());
    }

    std::string Take() { return std::move(out_); }

private:
    void Bytes(Tag tag, std::string_view payload, std::size_t length) {
        if (length > std::numeric_limits<std::int32_t>::max()) throw EStreamError("Stream write error");
        Put(tag);
        LittleEndian(static_cast<std::uint32_t>(length), 4);
        out_ += payload;
    }

    void LittleEndian(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) out_ += static_cast<char>((value >> (8 * i)) & 0xFF);
    }

    std::string out_;
};

// The stored value in the alternative its class uses; an alternative the
// class does not expect (never produced by the table) converts where no
// information is lost.
std::int64_t IntegerOf(const TFieldValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    if (const auto* b = std::get_if<bool>(&value)) return *b ? 1 : 0;
    return 0;
}

double FloatOf(const TFieldValue& value) {
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    return 0;
}

std::string TextOf(const TFieldValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    return {};
}

class BinaryTableWriter {
public:
    explicit BinaryTableWriter(const TMemTable& table) : table_(table) {
        for (int i = 0; i < table_.FieldCount(); ++i) {
            const FieldKind kind = table_.Fields(i).Kind;
            if (kind == FieldKind::Data || kind == FieldKind::InternalCalc) stored_.push_back(i);
        }
    }

    std::string Write() {
        out_.Raw(binfmt::kSignature);
        out_.Integer(binfmt::kVersionWritten);
        WriteFieldDefinitions();
        WriteIndexDefinitions();
        WriteTypeHeader();
        WriteRows();
        return out_.Take();
    }

private:
    void WriteFieldDefinitions() {
        out_.ListStart();
        for (const int i : stored_) {
            const TField& field = table_.Fields(i);
            out_.Text(field.FieldName());
            out_.Text(FieldTypeName(field.DataType()));
            out_.Integer(field.Size());
            out_.Text(field.DisplayLabel.empty() ? field.FieldName() : field.DisplayLabel);
            out_.Text(field.EditMask);
            out_.Integer(field.DisplayWidth);
            out_.Boolean(field.Required);
            out_.Boolean(field.ReadOnly);
            out_.Text(FieldKindName(field.Kind));
            out_.Text(field.DefaultExpression);
        }
        out_.EndOfList();
    }

    void WriteIndexDefinitions() {
        out_.ListStart();
        for (int i = 0; i < table_.IndexDefs.Count(); ++i) {
            const TIndexDef& def = table_.IndexDefs[i];
            out_.Text(def.Name);
            out_.Text(def.Fields);
            out_.Text(def.DisplayName.empty() ? def.Name : def.DisplayName);
            out_.Boolean((def.Options & ixDescending) != 0);
            out_.Boolean((def.Options & ixCaseInsensitive) != 0);
            out_.Boolean((def.Options & ixNonMaintained) != 0);
            out_.Boolean((def.Options & ixUnique) != 0);
        }
        out_.EndOfList();
    }

    void WriteTypeHeader() {
        out_.ListStart();
        out_.Integer(static_cast<std::int32_t>(stored_.size()));
        for (const int i : stored_) out_.Integer(static_cast<std::int32_t>(table_.Fields(i).DataType()));
        out_.EndOfList();
    }

    void WriteRows() {
        out_.ListStart();
        table_.ForEachStoredRow([&](int status, const std::function<TFieldValue(int)>& value) {
            out_.ListStart();
            out_.Integer(status);
            for (const int i : stored_) {
                const TFieldValue v = value(i);
                out_.Boolean(IsNullValue(v));
                if (!IsNullValue(v)) WriteValue(table_.Fields(i).DataType(), v);
            }
            out_.EndOfList();
        });
        out_.EndOfList();
    }

    void WriteValue(FieldType type, const TFieldValue& value) {
        switch (binfmt::ValueFormOf(type)) {
            // The table holds these types in 32 bits.
            case ValueForm::Integer: out_.Integer(static_cast<std::int32_t>(IntegerOf(value))); return;
            case ValueForm::Boolean: out_.Boolean(IntegerOf(value) != 0); return;
            case ValueForm::Float:
            case ValueForm::DateTime: out_.Float(FloatOf(value)); return;
            case ValueForm::Currency:
                out_.Float(static_cast<double>(IntegerOf(value)) / static_cast<double>(binfmt::kCurrencyScale));
                return;
            case ValueForm::LargeInt: out_.Extended(extended::FromInt64(IntegerOf(value))); return;
            case ValueForm::Text: out_.Text(TextOf(value)); return;
            case ValueForm::IntegerText: out_.Text(std::to_string(IntegerOf(value))); return;
            case ValueForm::FloatText: out_.Text(FloatToStr(FloatOf(value))); return;
            case ValueForm::CurrencyText: out_.Text(binfmt::CurrencyToText(IntegerOf(value))); return;
            case ValueForm::DateTimeText: out_.Text(FormatDateTime(FloatOf(value))); return;
        }
    }

    const TMemTable& table_;
    std::vector<int> stored_;
    ItemWriter out_;
};

}  // namespace

std::string WriteBinaryTable(const TMemTable& table) { return BinaryTableWriter(table).Write(); }

}  // namespace kvr
