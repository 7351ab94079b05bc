// Reader and writer of the CSV table file: optional definitions, a header
// line of column titles and one line per row.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/collation.h"
#include "support/datetime.h"
#include "support/errors.h"
#include "support/numtext.h"
#include "tables/csv_format_layout.h"
#include "tables/csv_text.h"
#include "tables/memtable.h"
#include "tables/table_formats.h"

namespace kvr {

namespace {

using csv::DefinitionItem;
using csv::LineReader;
using csv::Quote;
using csv::ValueReader;

// A field's column title: its display label, which defaults to its name.
std::string_view TitleOf(const TField& field) {
    return field.DisplayLabel.empty() ? std::string_view(field.FieldName()) : std::string_view(field.DisplayLabel);
}

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = FoldCase(c);
    return out;
}

bool IsStored(const TField& field) {
    return field.Kind == FieldKind::Data || field.Kind == FieldKind::InternalCalc;
}

// ---------------------------------------------------------------- reading

// A Size or display width: a decimal number, never negative.
int ParseCount(std::string_view text) {
    std::int32_t value = 0;
    if (!TryParseInt32(text, value) || value < 0) {
        throw EConvertError(FormatMessage("''%s'' is not a valid integer value", {text}));
    }
    return value;
}

bool HasOption(const std::vector<DefinitionItem>& items, std::size_t first, std::string_view word) {
    for (std::size_t i = first; i < items.size(); ++i) {
        if (!items[i].Quoted && items[i].Text == word) return true;
    }
    return false;
}

std::string_view ItemText(const std::vector<DefinitionItem>& items, std::size_t i) {
    return i < items.size() ? std::string_view(items[i].Text) : std::string_view();
}

// The name before the first "=", and the items after it.
struct Definition {
    std::string_view Name;
    std::vector<DefinitionItem> Items;
};

Definition SplitDefinition(std::string_view text) {
    const std::size_t end = text.find(csv::kDefinitionNameEnd);
    if (end == std::string_view::npos) return {text, {}};
    return {text.substr(0, end), csv::SplitDefinitionItems(text.substr(end + 1))};
}

class CsvTableReader {
public:
    CsvTableReader(TMemTable& table, std::string_view bytes) : table_(table), lines_(bytes) {}

    void Read() {
        std::string_view header;
        const bool hasHeader = ReadDefinitions(header);
        if (!table_.Active() && table_.FieldDefs.Count() > 0) table_.Open();
        if (!hasHeader) {
            if (table_.FieldCount() == 0) FailFieldCount();
            return;
        }
        const std::vector<int> columns = table_.FieldCount() > 0 ? MapColumns(header) : CreateTextFields(header);
        ReadRows(columns);
    }

private:
    [[noreturn]] static void FailFieldCount() {
        throw EDatabaseError("Couldnt determine field count for load.");
    }

    // Runs through the definition lines; true with the header line when one follows.
    bool ReadDefinitions(std::string_view& header) {
        bool inTable = false;
        bool inIndexes = false;
        std::string_view line;
        while (lines_.Next(line)) {
            const std::string first = ValueReader(line).Next();
            if (first == csv::kFileVersionMarker) continue;
            if (first == csv::kTableDefStart) {
                table_.Close();
                table_.FieldDefs.Clear();
                inTable = true;
                inIndexes = false;
            } else if (first == csv::kTableDefEnd) {
                if (!table_.Active()) table_.Open();
                inTable = false;
                inIndexes = false;
            } else if (first == csv::kIndexDefStart) {
                table_.IndexDefs.Clear();
                if (table_.Active()) table_.UpdateIndexes();
                inIndexes = true;
            } else if (first == csv::kIndexDefEnd) {
                // An inactive table creates its indexes when it opens.
                if (table_.Active()) table_.UpdateIndexes();
                inIndexes = false;
            } else if (inTable) {
                if (inIndexes) {
                    ReadIndexDefinition(first);
                } else {
                    ReadFieldDefinition(first);
                }
            } else {
                header = line;
                return true;
            }
        }
        return false;
    }

    // Items: type, Size, display label, edit mask, display width, then the
    // flags, the kind and the default expression.
    void ReadFieldDefinition(std::string_view text) {
        const Definition def = SplitDefinition(text);
        const std::vector<DefinitionItem>& items = def.Items;
        const std::string_view typeName = ItemText(items, 0);
        const std::optional<FieldType> type = FieldTypeFromName(typeName);
        if (!type || !IsLoadableFieldType(*type)) {
            throw EDatabaseError(FormatMessage("Unknown field type (%s) in CSV file. (%s)", {typeName, text}));
        }
        const int size = ParseCount(ItemText(items, 1));
        const int width = ParseCount(ItemText(items, 4));
        constexpr std::size_t kFirstFlag = 5;
        std::string_view kind;
        std::string_view defaultExpression;
        if (items.size() > 6) {
            kind = items[items.size() - 2].Text;
            defaultExpression = items.back().Text;
        } else if (items.size() == 6) {
            kind = items[5].Text;
        }
        TFieldDef& field = table_.FieldDefs.Add(std::string(def.Name), *type, size,
                                                HasOption(items, kFirstFlag, csv::kRequiredFlag));
        field.DisplayLabel = ItemText(items, 2);
        field.EditMask = ItemText(items, 3);
        field.DisplayWidth = width;
        field.ReadOnly = HasOption(items, kFirstFlag, csv::kReadOnlyFlag);
        field.Visible = !HasOption(items, kFirstFlag, csv::kInvisibleFlag);
        field.Kind = FieldKindFromName(kind);
        field.DefaultExpression = defaultExpression;
    }

    // Items: field list, display name, then the options.
    void ReadIndexDefinition(std::string_view text) {
        const Definition def = SplitDefinition(text);
        constexpr std::size_t kFirstOption = 2;
        TIndexOptions options = 0;
        if (HasOption(def.Items, kFirstOption, csv::kDescendingOption)) options |= ixDescending;
        if (HasOption(def.Items, kFirstOption, csv::kCaseInsensitiveOption)) options |= ixCaseInsensitive;
        if (HasOption(def.Items, kFirstOption, csv::kNonMaintainedOption)) options |= ixNonMaintained;
        if (HasOption(def.Items, kFirstOption, csv::kUniqueOption)) options |= ixUnique;
        TIndexDef& index =
            table_.IndexDefs.Add(std::string(def.Name), std::string(ItemText(def.Items, 0)), options);
        if (def.Items.size() > 1) index.DisplayName = def.Items[1].Text;
    }

    // Field position per column, -1 for a column no field's title matches.
    std::vector<int> MapColumns(std::string_view header) const {
        std::unordered_map<std::string, int> byTitle;
        for (int i = 0; i < table_.FieldCount(); ++i) byTitle.emplace(Folded(TitleOf(table_.Fields(i))), i);
        std::vector<int> columns;
        ValueReader titles(header);
        while (!titles.AtEnd()) {
            const auto found = byTitle.find(Folded(titles.Next()));
            columns.push_back(found == byTitle.end() ? -1 : found->second);
        }
        return columns;
    }

    // A table without fields gets one text field per distinct column title;
    // an empty title names no field and its column is ignored.
    std::vector<int> CreateTextFields(std::string_view header) {
        std::unordered_map<std::string, int> byTitle;
        std::vector<int> columns;
        ValueReader titles(header);
        while (!titles.AtEnd()) {
            const std::string title = titles.Next();
            if (title.empty()) {
                columns.push_back(-1);
                continue;
            }
            const auto [entry, added] = byTitle.emplace(Folded(title), table_.FieldDefs.Count());
            if (added) table_.FieldDefs.Add(title, FieldType::String, csv::kDefaultTextFieldSize);
            columns.push_back(entry->second);
        }
        if (table_.FieldDefs.Count() == 0) FailFieldCount();
        table_.Open();
        return columns;
    }

    // A line gives values while titles remain and at least two characters are
    // unread, so neither the final delimiter nor an empty last value is taken.
    void ReadRows(const std::vector<int>& columns) {
        std::string_view line;
        while (lines_.Next(line)) {
            // A row that fails is left pending; the table abandons it when the load ends.
            table_.Append();
            ValueReader values(line);
            for (std::size_t column = 0; column < columns.size() && values.Remaining() >= 2; ++column) {
                const std::string value = values.Next();
                if (columns[column] < 0) continue;
                TField& field = table_.Fields(columns[column]);
                if (field.Kind == FieldKind::Data) Assign(field, value);
            }
            table_.Post();
        }
    }

    static void Assign(TField& field, const std::string& value) {
        switch (ValueClassOf(field.DataType())) {
            case ValueClass::Text:
                field.SetAsString(csv::UnescapeText(value));
                break;
            case ValueClass::Bytes:
                field.SetValue(TFieldValue(csv::DecodeSixBit(value)));
                break;
            case ValueClass::Boolean:
                field.SetAsBoolean(value == csv::kTrueText);
                break;
            default:
                field.SetAsString(value);
        }
    }

    TMemTable& table_;
    LineReader lines_;
};

// ---------------------------------------------------------------- writing

[[noreturn]] void FailUnwritable(std::string_view owner, std::string_view name, std::string_view reason) {
    throw EStreamError(
        FormatMessage("%s '%s' cannot be written to a CSV table file: %s", {owner, name, reason}));
}

// A definition is one line and its name ends at the first "=": line-end
// bytes anywhere, or "=" in a name, would make the file read back differently.
void CheckDefinitionText(std::string_view owner, std::string_view name,
                         std::initializer_list<std::string_view> attributes) {
    const auto breaksLine = [](std::string_view text) {
        return text.find_first_of(std::string_view("\0\n\r", 3)) != std::string_view::npos;
    };
    if (name.find(csv::kDefinitionNameEnd) != std::string_view::npos) FailUnwritable(owner, name, "its name holds \"=\"");
    bool breaks = breaksLine(name);
    for (const std::string_view attribute : attributes) breaks = breaks || breaksLine(attribute);
    if (breaks) FailUnwritable(owner, name, "its definition holds a line break or NUL byte");
}

// The reader takes a header line whose first title is a marker for that
// marker, and the rows would then be read as definitions.
void CheckFirstTitle(const TField& field) {
    const std::string_view title = TitleOf(field);
    for (const std::string_view marker : {csv::kFileVersionMarker, csv::kTableDefStart, csv::kTableDefEnd,
                                          csv::kIndexDefStart, csv::kIndexDefEnd}) {
        if (title == marker) FailUnwritable("Field", field.FieldName(), "its display label is a definition marker");
    }
}

std::string FieldDefinitionText(const TField& field) {
    CheckDefinitionText("Field", field.FieldName(), {TitleOf(field), field.EditMask, field.DefaultExpression});
    std::string text = field.FieldName();
    text += csv::kDefinitionNameEnd;
    text += FieldTypeName(field.DataType());
    text += ',' + std::to_string(field.Size());
    text += ',' + Quote(TitleOf(field));
    text += ',' + Quote(field.EditMask);
    text += ',' + std::to_string(field.DisplayWidth);
    if (field.Required) (text += ',') += csv::kRequiredFlag;
    if (field.ReadOnly) (text += ',') += csv::kReadOnlyFlag;
    if (!field.Visible) (text += ',') += csv::kInvisibleFlag;
    (text += ',') += FieldKindName(field.Kind);
    text += ',' + Quote(field.DefaultExpression);
    return text;
}

std::string IndexDefinitionText(const TIndexDef& index) {
    CheckDefinitionText("Index", index.Name, {index.Fields, index.DisplayName});
    std::string text = index.Name;
    text += csv::kDefinitionNameEnd;
    text += Quote(index.Fields);
    text += ',' + Quote(index.DisplayName);
    if (index.Options & ixDescending) (text += ',') += csv::kDescendingOption;
    if (index.Options & ixCaseInsensitive) (text += ',') += csv::kCaseInsensitiveOption;
    if (index.Options & ixNonMaintained) (text += ',') += csv::kNonMaintainedOption;
    if (index.Options & ixUnique) (text += ',') += csv::kUniqueOption;
    return text;
}

// Exact to the ten-thousandth, in the form of FloatToStr: no trailing zeros.
std::string CurrencyText(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(tenThousandths) : static_cast<std::uint64_t>(tenThousandths);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    std::string fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += '.' + fraction;
    return text;
}

std::string DateTimeText(FieldType type, double value) {
    switch (type) {
        case FieldType::Date: return FormatDate(value);
        case FieldType::Time: return FormatTime(value);
        default: return FormatDateTime(value);
    }
}

// The unquoted text of a non-null value.
std::string ValueText(FieldType type, const TFieldValue& value) {
    switch (ValueClassOf(type)) {
        case ValueClass::Text: return csv::EscapeText(std::get<std::string>(value));
        case ValueClass::Bytes: return csv::EncodeSixBit(std::get<std::string>(value));
        case ValueClass::Boolean: return std::string(std::get<bool>(value) ? csv::kTrueText : csv::kFalseText);
        case ValueClass::Integer:
        case ValueClass::LargeInt: return std::to_string(std::get<std::int64_t>(value));
        case ValueClass::Float: return FloatToStr(std::get<double>(value));
        case ValueClass::Currency: return CurrencyText(std::get<std::int64_t>(value));
        case ValueClass::DateTime: return DateTimeText(type, std::get<double>(value));
    }
    return {};
}

void AppendLine(std::string& out, std::string_view line) {
    out += line;
    out += csv::kLineEnd;
}

}  // namespace

void ReadCsvTable(TMemTable& table, std::string_view bytes) { CsvTableReader(table, bytes).Read(); }

std::string WriteCsvTable(const TMemTable& table) {
    std::vector<const TField*> stored;
    for (int i = 0; i < table.FieldCount(); ++i) {
        if (IsStored(table.Fields(i))) stored.push_back(&table.Fields(i));
    }

    if (!stored.empty()) CheckFirstTitle(*stored.front());

    std::string out;
    AppendLine(out, Quote(csv::kFileVersionMarker) + csv::kFieldDelimiter + Quote(csv::kFileVersion));
    AppendLine(out, Quote(csv::kTableDefStart));
    for (const TField* field : stored) AppendLine(out, Quote(FieldDefinitionText(*field)));
    AppendLine(out, Quote(csv::kIndexDefStart));
    for (int i = 0; i < table.IndexDefs.Count(); ++i) AppendLine(out, Quote(IndexDefinitionText(table.IndexDefs[i])));
    AppendLine(out, Quote(csv::kIndexDefEnd));
    AppendLine(out, Quote(csv::kTableDefEnd));

    // Every value, the last included, is followed by a delimiter: the field
    // delimiter between values and the record delimiter after the last.
    const auto appendValue = [&](std::string_view text, bool last) {
        out += text;
        out += last ? csv::kRecordDelimiter : csv::kFieldDelimiter;
    };
    for (std::size_t i = 0; i < stored.size(); ++i) appendValue(Quote(TitleOf(*stored[i])), i + 1 == stored.size());
    out += csv::kLineEnd;

    table.ForEachStoredRow([&](int, const std::function<TFieldValue(int)>& value) {
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const TFieldValue v = value(stored[i]->Index());
            appendValue(IsNullValue(v) ? std::string() : Quote(ValueText(stored[i]->DataType(), v)),
                        i + 1 == stored.size());
        }
        out += csv::kLineEnd;
    });
    return out;
}

}  // namespace kvr
