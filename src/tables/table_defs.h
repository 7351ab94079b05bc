// Field and index definitions of a memory table: what a table's fields and
// indexes are created from, and what table files store.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tables/field_types.h"

namespace kvr {

// A field definition. Name, type, size and required are the definition
// proper; the attributes after them are what the field created from it
// starts with (table files carry them; a plain Add leaves the defaults).
struct TFieldDef {
    std::string Name;
    FieldType DataType = FieldType::Unknown;
    int Size = 0;
    bool Required = false;

    std::string DisplayLabel;  // empty: the field name
    std::string EditMask;
    int DisplayWidth = 0;      // 0: the type's default width
    bool ReadOnly = false;
    bool Visible = true;
    FieldKind Kind = FieldKind::Data;
    std::string DefaultExpression;
};

class TFieldDefs {
public:
    void Clear() { defs_.clear(); }
    TFieldDef& Add(std::string name, FieldType type, int size = 0, bool required = false);
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef& operator[](int i) const { return defs_.at(static_cast<std::size_t>(i)); }
    TFieldDef& operator[](int i) { return defs_.at(static_cast<std::size_t>(i)); }
    // Position of the definition of that name (letter case ignored), or -1.
    int IndexOf(std::string_view name) const;

private:
    std::vector<TFieldDef> defs_;
};

enum TIndexOption : unsigned {
    ixUnique = 1u << 0,
    ixDescending = 1u << 1,
    ixCaseInsensitive = 1u << 2,
    ixNonMaintained = 1u << 3,
};
using TIndexOptions = unsigned;

struct TIndexDef {
    std::string Name;
    std::string Fields;  // field names separated by ";"
    TIndexOptions Options = 0;
    std::string DisplayName;
};

class TIndexDefs {
public:
    void Clear() { defs_.clear(); }
    // The display name is the index name.
    TIndexDef& Add(std::string name, std::string fields, TIndexOptions options = 0);
    int Count() const { return static_cast<int>(defs_.size()); }
    const TIndexDef& operator[](int i) const { return defs_.at(static_cast<std::size_t>(i)); }
    TIndexDef& operator[](int i) { return defs_.at(static_cast<std::size_t>(i)); }
    int IndexOf(std::string_view name) const;
    void Assign(const TIndexDefs& other) { defs_ = other.defs_; }

private:
    std::vector<TIndexDef> defs_;
};

}  // namespace kvr
