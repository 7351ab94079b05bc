// Small builders for memory tables in tests: define, open and fill a table
// in one expression.
#pragma once

#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tables/memtable.h"

namespace kvr::test {

struct FieldSpec {
    std::string name;
    FieldType type;
    int size = 0;
};

struct IndexSpec {
    std::string name;
    std::string fields;
    TIndexOptions options = 0;
};

inline void DefineTable(TMemTable& table, const std::vector<FieldSpec>& fields,
                        const std::vector<IndexSpec>& indexes = {}) {
    table.Close();
    table.FieldDefs.Clear();
    for (const auto& f : fields) table.FieldDefs.Add(f.name, f.type, f.size);
    table.IndexDefs.Clear();
    for (const auto& i : indexes) table.IndexDefs.Add(i.name, i.fields, i.options);
    table.Open();
}

// Appends one row; each value is written with AsString, an empty text leaving
// the field null (nullptr-like marker "<null>" leaves it untouched).
inline void AddRow(TMemTable& table, const std::vector<std::string>& values) {
    table.Append();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == "<null>") continue;
        table.Fields(static_cast<int>(i)).SetAsString(values[i]);
    }
    table.Post();
}

// The values of one field over the visible rows, in navigation order.
inline std::vector<std::string> Column(TMemTable& table, const std::string& field) {
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next()) values.push_back(table.FieldByName(field).AsString());
    return values;
}

inline std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace kvr::test
