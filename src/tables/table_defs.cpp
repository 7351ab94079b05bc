// Field and index definition lists.
#include "tables/table_defs.h"

#include "support/collation.h"

namespace kvr {

TFieldDef& TFieldDefs::Add(std::string name, FieldType type, int size, bool required) {
    TFieldDef def;
    def.Name = std::move(name);
    def.DataType = type;
    def.Size = size;
    def.Required = required;
    defs_.push_back(std::move(def));
    return defs_.back();
}

int TFieldDefs::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        if (SameText(defs_[i].Name, name)) return static_cast<int>(i);
    }
    return -1;
}

TIndexDef& TIndexDefs::Add(std::string name, std::string fields, TIndexOptions options) {
    TIndexDef def;
    def.DisplayName = name;
    def.Name = std::move(name);
    def.Fields = std::move(fields);
    def.Options = options;
    defs_.push_back(std::move(def));
    return defs_.back();
}

int TIndexDefs::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < defs_.size(); ++i) {
        if (SameText(defs_[i].Name, name)) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace kvr
