// Field-list texts, field definitions from them, and value copying.
#include "tables/util_table.h"

#include <vector>

#include "support/collation.h"
#include "support/errors.h"
#include "support/numtext.h"

namespace kvr {

namespace {

// Comma lists: an item holding a blank, a comma or a double quote is quoted,
// with embedded quotes doubled, so names such as "Last Name" read back unchanged.
std::string JoinCommaList(const std::vector<std::string>& items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += ',';
        const std::string& item = items[i];
        if (item.find_first_of(" ,\"") == std::string::npos) {
            text += item;
            continue;
        }
        text += '"';
        for (char c : item) {
            if (c == '"') text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

std::vector<std::string> SplitCommaList(std::string_view text) {
    std::vector<std::string> items;
    if (text.empty()) return items;
    std::string item;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                item += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                item += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            items.push_back(std::move(item));
            item.clear();
        } else {
            item += c;
        }
    }
    items.push_back(std::move(item));
    return items;
}

void CopyValue(TField& target, const TField& source) {
    switch (target.DataType()) {
        case FieldType::Integer: target.SetAsInteger(source.AsInteger()); break;
        case FieldType::Float: target.SetAsFloat(source.AsFloat()); break;
        case FieldType::Currency: target.SetAsCurrency(source.AsCurrency()); break;
        case FieldType::DateTime: target.SetAsDateTime(source.AsDateTime()); break;
        default: target.SetAsString(source.AsString()); break;
    }
}

}  // namespace

TU_Table::TU_Table(std::function<void(const std::string&)> showMessage) : showMessage_(std::move(showMessage)) {}

std::string TU_Table::FieldTypeCode(const TField& field) {
    switch (field.DataType()) {
        case FieldType::String: return "S" + std::to_string(field.Size());
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::AutoInc: return "I0";
        case FieldType::Boolean: return "B0";
        case FieldType::Float: return "F0";
        case FieldType::Currency: return "C0";
        case FieldType::Date:
        case FieldType::DateTime: return "D0";
        case FieldType::Variant: return "V0";
        default: return {};
    }
}

std::string TU_Table::GetFld_Defs(const TMemTable& dataset, bool includeLookups) {
    std::vector<std::string> names, codes;
    for (int i = 0; i < dataset.FieldCount(); ++i) {
        const TField& field = dataset.Fields(i);
        if (field.Kind == FieldKind::Lookup && !includeLookups) continue;
        std::string code = FieldTypeCode(field);
        if (code.empty()) continue;
        names.push_back(field.FieldName());
        codes.push_back(std::move(code));
    }
    return JoinCommaList(names) + "~" + JoinCommaList(codes);
}

std::string TU_Table::Chop(std::string& text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string::npos) {
        std::string all = std::move(text);
        text.clear();
        return all;
    }
    std::string head = text.substr(0, at);
    text.erase(0, at + 1);
    return head;
}

void TU_Table::LoadFields(TMemTable& table, std::string_view names, std::string_view codes) const {
    const std::vector<std::string> nameList = SplitCommaList(names);
    const std::vector<std::string> codeList = SplitCommaList(codes);
    table.EmptyTable();
    table.Close();
    table.FieldDefs.Clear();
    for (std::size_t i = 0; i < nameList.size(); ++i) {
        if (i >= codeList.size() || codeList[i].empty()) continue;
        if (table.FieldDefs.IndexOf(nameList[i]) >= 0) continue;
        const std::string& code = codeList[i];
        int size = 0;
        FieldType type;
        switch (FoldCase(code.front())) {
            case 'b': type = FieldType::Boolean; break;
            case 'c': type = FieldType::Currency; break;
            case 'd': type = FieldType::DateTime; break;
            case 'f': type = FieldType::Float; break;
            case 'i': type = FieldType::Integer; break;
            case 'v': type = FieldType::Variant; break;
            case 's': {
                std::int32_t parsed = 0;
                if (!TryParseInt32(std::string_view(code).substr(1), parsed) || parsed < 0) {
                    if (showMessage_) showMessage_("Unknown data type for memory table :" + code);
                    continue;
                }
                type = FieldType::String;
                size = parsed;
                break;
            }
            default: type = FieldType::Unknown; break;
        }
        if (type == FieldType::Unknown) continue;  // a code of no known type makes no field
        table.FieldDefs.Add(nameList[i], type, size, false);
    }
}

void TU_Table::CopyTableFldDefs(const TMemTable& dataset, TMemTable& table, bool includeLookups) const {
    std::string text = GetFld_Defs(dataset, includeLookups);
    // The names may hold "~" themselves only inside quotes; split at the last one.
    const std::size_t tilde = text.rfind('~');
    const std::string names = text.substr(0, tilde);
    const std::string codes = text.substr(tilde + 1);
    if (!codes.empty()) LoadFields(table, names, codes);
}

void TU_Table::CopyTableFields(TMemTable& target, const TMemTable& source, std::string_view fields) {
    if (SameText(fields, "ALL")) {
        for (int i = 0; i < target.FieldCount(); ++i) {
            TField& field = target.Fields(i);
            if (const TField* from = source.FindField(field.FieldName())) CopyValue(field, *from);
        }
        return;
    }
    for (const std::string& name : SplitCommaList(fields)) {
        CopyValue(target.FieldByName(name), source.FieldByName(name));
    }
}

}  // namespace kvr
