// Reading binary table files: signature, version, field and index
// definitions, type header and rows, every version from 100 to 251, through
// one bounded cursor. The layout is in binary_format_layout.h and
// docs/formats/binary-table.md; the writer is binary_writer.cpp.
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_reader.h"
#include "support/codepage.h"
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

constexpr std::string_view kInvalidStreamFormat = "Invalid stream format";
constexpr std::string_view kInvalidPropertyValue = "Invalid property value";
constexpr std::string_view kUnknownFieldType = "Unknown field type (%s)";

constexpr std::uint8_t TagByte(Tag tag) { return static_cast<std::uint8_t>(tag); }

// Typed items on top of the byte cursor. Each read fails at the offset of the
// item's tag, so a message points at the item that was wrong.
class ItemReader {
public:
    explicit ItemReader(std::string_view bytes) : in_(bytes) {}

    std::size_t Position() const { return in_.Position(); }
    bool NextIs(Tag tag) const { return in_.PeekU8() == TagByte(tag); }

    void ReadSignature() {
        if (in_.ReadBytes(binfmt::kSignature.size()) != binfmt::kSignature) ByteReader::FailAt(0, kInvalidStreamFormat);
    }

    void ReadListStart() { Expect(Tag::ListStart); }
    void ReadEndOfList() { Expect(Tag::EndOfList); }

    std::int32_t ReadInteger() {
        const std::size_t at = in_.Position();
        switch (static_cast<Tag>(in_.ReadU8())) {
            case Tag::Int8: return static_cast<std::int8_t>(in_.ReadU8());
            case Tag::Int16: return static_cast<std::int16_t>(in_.ReadU16());
            case Tag::Int32: return static_cast<std::int32_t>(in_.ReadU32());
            default: ByteReader::FailAt(at, kInvalidPropertyValue);
        }
    }

    // Any single tag byte other than true reads as false, as it always has.
    bool ReadBoolean() { return in_.ReadU8() == TagByte(Tag::True); }

    double ReadFloat() {
        const std::size_t at = in_.Position();
        switch (static_cast<Tag>(in_.PeekU8())) {
            case Tag::Extended: in_.ReadU8(); return extended::ToDouble(ReadExtendedBytes());
            case Tag::Double: in_.ReadU8(); return std::bit_cast<double>(in_.ReadU64());
            case Tag::Int64: in_.ReadU8(); return static_cast<double>(static_cast<std::int64_t>(in_.ReadU64()));
            case Tag::Int8:
            case Tag::Int16:
            case Tag::Int32: return ReadInteger();
            default: ByteReader::FailAt(at, kInvalidPropertyValue);
        }
    }

    // A float item rounded to a 64-bit integer. An extended float is rounded
    // from its own 64-bit significand, so a value written from a 64-bit
    // integer comes back exactly.
    std::int64_t ReadRoundedInteger() {
        const std::size_t at = in_.Position();
        std::int64_t result = 0;
        bool fits = true;
        switch (static_cast<Tag>(in_.PeekU8())) {
            case Tag::Extended: in_.ReadU8(); fits = extended::ToInt64(ReadExtendedBytes(), result); break;
            case Tag::Int64: in_.ReadU8(); result = static_cast<std::int64_t>(in_.ReadU64()); break;
            default: fits = extended::ToInt64(extended::FromDouble(ReadFloat()), result); break;
        }
        if (!fits) ByteReader::FailAt(at, kInvalidPropertyValue);
        return result;
    }

    // Text as Windows-1252: byte strings are taken as they stand, Unicode
    // strings converted (a character 1252 lacks becomes "?").
    std::string ReadText() {
        const std::size_t at = in_.Position();
        switch (static_cast<Tag>(in_.ReadU8())) {
            case Tag::ShortBytes: return std::string(in_.ReadBytes(in_.ReadU8()));
            case Tag::LongBytes: return std::string(in_.ReadBytes(in_.ReadU32()));
            case Tag::Utf8: return Utf8ToAnsi(in_.ReadBytes(in_.ReadU32()));
            case Tag::Utf16: {
                const std::uint64_t units = in_.ReadU32();
                const std::string_view raw = in_.ReadBytes(units * 2);
                std::u16string text(static_cast<std::size_t>(units), u'\0');
                for (std::size_t i = 0; i < text.size(); ++i) {
                    text[i] = static_cast<char16_t>(static_cast<std::uint8_t>(raw[2 * i]) |
                                                    (static_cast<std::uint8_t>(raw[2 * i + 1]) << 8));
                }
                return Utf16ToAnsi(text);
            }
            default: ByteReader::FailAt(at, kInvalidPropertyValue);
        }
    }

private:
    void Expect(Tag tag) {
        const std::size_t at = in_.Position();
        if (in_.ReadU8() != TagByte(tag)) ByteReader::FailAt(at, kInvalidPropertyValue);
    }

    extended::Bytes ReadExtendedBytes() {
        const std::string_view raw = in_.ReadBytes(binfmt::kExtendedBytes);
        extended::Bytes bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(raw[i]);
        return bytes;
    }

    ByteReader in_;
};

// One value-carrying entry of a row: the field's type, and where its value
// goes in the table (-1: read and discarded).
struct RowField {
    FieldType type;
    int tableField;
    int size;
    std::string label;
};

class BinaryTableReader {
public:
    BinaryTableReader(TMemTable& table, std::string_view bytes) : table_(table), in_(bytes) {}

    void Read() {
        in_.ReadSignature();
        ReadVersion();
        ReadDefinitions();
        // Without definitions in the file the table keeps its structure,
        // but its rows are still replaced by the file's.
        if (!table_.Active()) table_.Open();
        if (!fieldsDefined_) table_.EmptyTable();
        BuildRowFields();
        ReadTypeHeader();
        ReadRows();
        // Anything after the last end of list is left unread: older writers
        // never put anything there, and it cannot change what was loaded.
    }

private:
    void ReadVersion() {
        version_ = in_.NextIs(Tag::ListStart) ? binfmt::kVersionUnnumbered : in_.ReadInteger();
    }

    // Field and index definitions replace the table's only when the file has
    // some; the table is opened with whatever was defined, also when reading
    // the definitions fails part-way.
    void ReadDefinitions() {
        try {
            ReadFieldDefinitions();
            if (version_ >= binfmt::kVersionIndexDefs) ReadIndexDefinitions();
        } catch (...) {
            if (fieldsDefined_ && table_.FieldDefs.Count() > 0) {
                try {
                    table_.Open();
                } catch (const Exception&) {
                    // The reading failure is the one the operator needs to see.
                }
            }
            throw;
        }
        if (fieldsDefined_) {
            table_.Open();
        } else if (indexesDefined_ && table_.Active()) {
            table_.UpdateIndexes();
        }
    }

    void ReadFieldDefinitions() {
        in_.ReadListStart();
        while (!in_.NextIs(Tag::EndOfList)) {
            if (!fieldsDefined_) {
                table_.Close();
                table_.FieldDefs.Clear();
                fieldsDefined_ = true;
            }
            ReadFieldDefinition();
        }
        in_.ReadEndOfList();
    }

    void ReadFieldDefinition() {
        std::string name = in_.ReadText();
        const std::size_t typeAt = in_.Position();
        const std::string typeName = in_.ReadText();
        const std::optional<FieldType> type = FieldTypeFromName(typeName);
        if (!type || !IsLoadableFieldType(*type)) {
            ByteReader::FailAt(typeAt, FormatMessage(kUnknownFieldType, {typeName}));
        }
        const int size = in_.ReadInteger();
        std::string label = in_.ReadText();
        std::string mask = in_.ReadText();
        const int width = in_.ReadInteger();
        const bool required = in_.ReadBoolean();
        const bool readOnly = in_.ReadBoolean();
        const FieldKind kind =
            version_ >= binfmt::kVersionFieldKind ? FieldKindFromName(in_.ReadText()) : FieldKind::Data;
        std::string defaultExpression = version_ >= binfmt::kVersionDefaultExpression ? in_.ReadText() : std::string();

        TFieldDef& def = table_.FieldDefs.Add(std::move(name), *type, size, required);
        def.DisplayLabel = std::move(label);
        def.EditMask = std::move(mask);
        def.DisplayWidth = width;
        def.ReadOnly = readOnly;
        def.Kind = kind;
        def.DefaultExpression = std::move(defaultExpression);
    }

    void ReadIndexDefinitions() {
        in_.ReadListStart();
        while (!in_.NextIs(Tag::EndOfList)) {
            if (!indexesDefined_) {
                table_.IndexDefs.Clear();
                indexesDefined_ = true;
            }
            std::string name = in_.ReadText();
            std::string fields = in_.ReadText();
            std::string displayName = in_.ReadText();
            TIndexOptions options = 0;
            if (in_.ReadBoolean()) options |= ixDescending;
            if (in_.ReadBoolean()) options |= ixCaseInsensitive;
            if (in_.ReadBoolean()) options |= ixNonMaintained;
            if (in_.ReadBoolean()) options |= ixUnique;
            table_.IndexDefs.Add(std::move(name), std::move(fields), options).DisplayName = std::move(displayName);
        }
        in_.ReadEndOfList();
    }

    // Rows hold one value per field definition of the file. Fields of a kind
    // the table does not store (calculated, lookup, aggregate) are defined
    // but their values are read and dropped, so the row reads on correctly.
    // A file without definitions is read against the table's own stored
    // fields, which is what our writer would have written for it.
    void BuildRowFields() {
        for (int i = 0; i < table_.FieldCount(); ++i) {
            const TField& field = table_.Fields(i);
            const bool stored = field.Kind == FieldKind::Data || field.Kind == FieldKind::InternalCalc;
            if (!stored && !fieldsDefined_) continue;
            const std::string& label = field.DisplayLabel.empty() ? field.FieldName() : field.DisplayLabel;
            rowFields_.push_back({field.DataType(), stored ? i : -1, field.Size(), label});
        }
    }

    // The type codes repeat what the definitions say; they are checked for
    // form only.
    void ReadTypeHeader() {
        in_.ReadListStart();
        const std::int32_t count = in_.ReadInteger();
        for (std::int32_t i = 0; i < count; ++i) in_.ReadInteger();
        in_.ReadEndOfList();
    }

    void ReadRows() {
        in_.ReadListStart();
        while (!in_.NextIs(Tag::EndOfList)) {
            if (version_ >= binfmt::kVersionRowGroups) {
                ReadRowGroup();
            } else {
                // Without a list around each row, a row without values would
                // never advance: such a file cannot be read.
                if (rowFields_.empty()) ByteReader::FailAt(in_.Position(), kInvalidPropertyValue);
                std::vector<TFieldValue> values(static_cast<std::size_t>(table_.FieldCount()));
                ReadRowValues(&values);
                table_.AppendLoadedRow(0, values);
            }
        }
        in_.ReadEndOfList();
    }

    // A row group holds the row as it is, then any earlier versions (a saved
    // change history). The table keeps no history, so those are read for
    // their form and dropped. Earlier versions may come bare or in lists of
    // their own; nesting is counted, never recursed into.
    void ReadRowGroup() {
        in_.ReadListStart();
        std::vector<TFieldValue> values(static_cast<std::size_t>(table_.FieldCount()));
        const int status = ReadRowStatus();
        ReadRowValues(&values);
        std::size_t depth = 1;
        while (depth > 0) {
            if (in_.NextIs(Tag::EndOfList)) {
                in_.ReadEndOfList();
                --depth;
                continue;
            }
            if (in_.NextIs(Tag::ListStart)) {
                in_.ReadListStart();
                ++depth;
            }
            ReadRowStatus();
            ReadRowValues(nullptr);
        }
        table_.AppendLoadedRow(status, values);
    }

    int ReadRowStatus() {
        const std::size_t at = in_.Position();
        const std::int32_t status = in_.ReadInteger();
        if (status < 0 || status > binfmt::kMaxRowStatus) ByteReader::FailAt(at, kInvalidPropertyValue);
        return status;
    }

    // Reads one version's values; stores them in values unless it is null.
    void ReadRowValues(std::vector<TFieldValue>* values) {
        const bool nullFlags = version_ >= binfmt::kVersionNullFlags;
        for (const RowField& field : rowFields_) {
            if (nullFlags && in_.ReadBoolean()) continue;
            TFieldValue value = ReadValue(field);
            if (values && field.tableField >= 0) (*values)[static_cast<std::size_t>(field.tableField)] = std::move(value);
        }
    }

    TFieldValue ReadValue(const RowField& field) {
        const std::size_t at = in_.Position();
        switch (binfmt::ValueFormOf(field.type)) {
            case ValueForm::Integer: return std::int64_t{in_.ReadInteger()};
            case ValueForm::Boolean: return in_.ReadBoolean();
            case ValueForm::Float: return in_.ReadFloat();
            case ValueForm::Currency: {
                std::int64_t amount = 0;
                if (!binfmt::AmountToTenThousandths(in_.ReadFloat(), amount)) ByteReader::FailAt(at, kInvalidPropertyValue);
                return amount;
            }
            case ValueForm::DateTime: {
                // A day count that is not a number would break every date
                // shown or compared later; refuse it here.
                const double days = in_.ReadFloat();
                if (!std::isfinite(days)) ByteReader::FailAt(at, kInvalidPropertyValue);
                if (days == 0.0) return std::monostate{};
                return days;
            }
            case ValueForm::LargeInt: return in_.ReadRoundedInteger();
            case ValueForm::Text: return ReadSizedText(field);
            case ValueForm::IntegerText:
            case ValueForm::FloatText:
            case ValueForm::CurrencyText:
            case ValueForm::DateTimeText: return ParseTextValue(field, in_.ReadText());
        }
        ByteReader::FailAt(at, kInvalidPropertyValue);
    }

    std::string ReadSizedText(const RowField& field) {
        std::string text = in_.ReadText();
        // As assigning text to the field would: a size of 0 sets no limit.
        if (IsSizedTextType(field.type) && field.size > 0 && text.size() > static_cast<std::size_t>(field.size)) {
            text.resize(static_cast<std::size_t>(field.size));
        }
        return text;
    }

    // The number-like types that travel as text convert as text assigned to
    // the field would: empty text is null, anything unreadable fails.
    static TFieldValue ParseTextValue(const RowField& field, const std::string& text) {
        if (text.empty()) return std::monostate{};
        switch (binfmt::ValueFormOf(field.type)) {
            case ValueForm::IntegerText: {
                std::int64_t value = 0;
                if (TryParseInt64(text, value)) return value;
                throw EConvertError(
                    FormatMessage("'%s' is not a valid integer value for field '%s'", {text, field.label}));
            }
            case ValueForm::FloatText: {
                double value = 0;
                if (TryParseFloat(text, value)) return value;
                throw EConvertError(
                    FormatMessage("'%s' is not a valid floating point value for field '%s'", {text, field.label}));
            }
            case ValueForm::CurrencyText: {
                std::int64_t value = 0;
                if (binfmt::TryParseCurrencyText(text, value)) return value;
                throw EConvertError(
                    FormatMessage("'%s' is not a valid floating point value for field '%s'", {text, field.label}));
            }
            default: {
                TDateTime value = 0;
                if (binfmt::TryParseDateTimeText(text, value)) return value;
                throw EConvertError(FormatMessage("''%s'' is not a valid date and time", {text}));
            }
        }
    }

    TMemTable& table_;
    ItemReader in_;
    int version_ = binfmt::kVersionWritten;
    bool fieldsDefined_ = false;
    bool indexesDefined_ = false;
    std::vector<RowField> rowFields_;
};

}  // namespace

void ReadBinaryTable(TMemTable& table, std::string_view bytes) { BinaryTableReader(table, bytes).Read(); }

}  // namespace kvr
