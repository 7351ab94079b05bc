// kvrtool table: dump, load and convert table files.
//   kvrtool table dump --from binary|csv FILE
//   kvrtool table load --from binary|csv FILE
//   kvrtool table convert --from binary|csv --to binary|csv IN OUT
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "json_text.h"
#include "support/codepage.h"
#include "support/numtext.h"
#include "tables/load_memory_table.h"
#include "tables/memtable.h"
#include "tables/util_table.h"

namespace kvr::tool {

namespace {

int Usage() {
    std::fputs(
        "usage: kvrtool table dump --from binary|csv FILE\n"
        "       kvrtool table load --from binary|csv FILE\n"
        "       kvrtool table convert --from binary|csv --to binary|csv IN OUT\n",
        stderr);
    return 2;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return 1;
}

std::optional<TableFormat> ParseFormat(const std::string& name) {
    if (name == "binary") return TableFormat::Binary;
    if (name == "csv") return TableFormat::Csv;
    return std::nullopt;
}

std::string HexBytes(std::string_view bytes) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
    return out;
}

std::string JsonValue(const TField& field) {
    if (field.IsNull()) return "null";
    const TFieldValue value = field.Value();
    switch (ValueClassOf(field.DataType())) {
        case ValueClass::Integer:
        case ValueClass::LargeInt: return std::to_string(std::get<std::int64_t>(value));
        case ValueClass::Boolean: return JsonBool(std::get<bool>(value));
        case ValueClass::Float:
        case ValueClass::DateTime: return FloatToShortest(std::get<double>(value));
        case ValueClass::Currency:
            return FloatToShortest(static_cast<double>(std::get<std::int64_t>(value)) / 10000.0);
        case ValueClass::Text: return JsonString(AnsiToUtf8(std::get<std::string>(value)));
        case ValueClass::Bytes: return JsonString(HexBytes(std::get<std::string>(value)));
    }
    return "null";
}

std::string Text(std::string_view ansi) { return JsonString(AnsiToUtf8(ansi)); }

std::string DumpJson(TMemTable& table) {
    std::string out = "{\"fields\":[";
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField& f = table.Fields(i);
        if (i > 0) out += ',';
        out += "{\"name\":" + Text(f.FieldName()) + ",\"type\":" + JsonString(FieldTypeName(f.DataType())) +
               ",\"size\":" + std::to_string(f.Size()) + ",\"label\":" + Text(f.DisplayLabel) +
               ",\"mask\":" + Text(f.EditMask) + ",\"width\":" + std::to_string(f.DisplayWidth) +
               ",\"required\":" + JsonBool(f.Required) + ",\"readonly\":" + JsonBool(f.ReadOnly) +
               ",\"visible\":" + JsonBool(f.Visible) + ",\"kind\":" + JsonString(FieldKindName(f.Kind)) +
               ",\"default\":" + Text(f.DefaultExpression) + "}";
    }
    out += "],\"indexes\":[";
    for (int i = 0; i < table.IndexDefs.Count(); ++i) {
        const TIndexDef& d = table.IndexDefs[i];
        if (i > 0) out += ',';
        out += "{\"name\":" + Text(d.Name) + ",\"fields\":" + Text(d.Fields) +
               ",\"descending\":" + JsonBool(d.Options & ixDescending) +
               ",\"caseInsensitive\":" + JsonBool(d.Options & ixCaseInsensitive) +
               ",\"nonMaintained\":" + JsonBool(d.Options & ixNonMaintained) +
               ",\"unique\":" + JsonBool(d.Options & ixUnique) + "}";
    }
    out += "],\"rows\":[";
    if (table.Active()) {
        bool firstRow = true;
        for (table.First(); !table.Eof(); table.Next()) {
            if (!firstRow) out += ',';
            firstRow = false;
            out += "{\"status\":" + std::to_string(table.RecordStatus()) + ",\"values\":[";
            for (int i = 0; i < table.FieldCount(); ++i) {
                if (i > 0) out += ',';
                out += JsonValue(table.Fields(i));
            }
            out += "]}";
        }
    }
    out += "]}\n";
    return out;
}

int Dump(TableFormat format, const std::string& file) {
    TMemTable table("MemTable");
    table.DefaultFormat = format;
    table.LoadFromFile(file);
    std::fputs(DumpJson(table).c_str(), stdout);
    return 0;
}

int Load(TableFormat format, const std::string& file) {
    TMemTable scratch("mtDummy");
    TMemTable target("MemTable");
    scratch.DefaultFormat = format;
    target.DefaultFormat = format;
    std::vector<std::string> messages;
    const TU_Table utilTable([&](const std::string& text) { messages.push_back(text); });
    const TableLoader loader{scratch, utilTable, [&](const std::string& text) { messages.push_back(text); }, {}};
    if (!LoadMemoryTable(file, target, loader)) return Failure(messages.back());
    const std::string json = DumpJson(target);
    for (const std::string& message : messages) std::fprintf(stderr, "%s\n", message.c_str());
    std::fputs(json.c_str(), stdout);
    return 0;
}

int Convert(TableFormat from, TableFormat to, const std::string& in, const std::string& out) {
    TMemTable table("MemTable");
    table.DefaultFormat = from;
    table.LoadFromFile(in);
    table.DefaultFormat = to;
    table.SaveToFile(out);
    return 0;
}

}  // namespace

int RunTableCommand(const Args& args) {
    if (args.empty()) return Usage();
    const std::string& verb = args[0];
    try {
        if ((verb == "dump" || verb == "load") && args.size() == 4 && args[1] == "--from") {
            const auto format = ParseFormat(args[2]);
            if (!format) return Usage();
            return verb == "dump" ? Dump(*format, args[3]) : Load(*format, args[3]);
        }
        if (verb == "convert" && args.size() == 7 && args[1] == "--from" && args[3] == "--to") {
            const auto from = ParseFormat(args[2]);
            const auto to = ParseFormat(args[4]);
            if (!from || !to) return Usage();
            return Convert(*from, *to, args[5], args[6]);
        }
    } catch (const std::exception& e) {
        return Failure(e.what());
    }
    return Usage();
}

}  // namespace kvr::tool
