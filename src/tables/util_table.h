// TU_Table: rebuilds a memory table's fields from another table and copies
// row values between tables. The structure copy passes through a field-list
// text: the names as a comma list, "~", and the type codes as a comma list.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "tables/memtable.h"

namespace kvr {

class TU_Table {
public:
    // showMessage receives the texts the operator is to see in a message box.
    explicit TU_Table(std::function<void(const std::string&)> showMessage = {});

    // "S<size>", "I0", "B0", "F0", "C0", "D0" or "V0"; empty for the types
    // that do not survive a copy (Word, Time, LargeInt, memo, blob, ...).
    static std::string FieldTypeCode(const TField& field);

    // The field-list text of the table's fields (lookups only when asked).
    static std::string GetFld_Defs(const TMemTable& dataset, bool includeLookups);

    // Returns the part of text before the first separator and leaves the part
    // after it in text; without a separator returns all of it and empties text.
    static std::string Chop(std::string& text, char separator);

    // Clears the table (rows, activity, field definitions) and defines one
    // field per name that has a code.
    void LoadFields(TMemTable& table, std::string_view names, std::string_view codes) const;

    void CopyTableFldDefs(const TMemTable& dataset, TMemTable& table, bool includeLookups) const;

    // Copies values from the source's current row into the target's pending
    // row; fields is "ALL" or a comma list of field names.
    static void CopyTableFields(TMemTable& target, const TMemTable& source, std::string_view fields);

private:
    std::function<void(const std::string&)> showMessage_;
};

}  // namespace kvr
