// The check both table file fuzzers make: arbitrary bytes go into a table
// without fields and into a defined one; whatever loads is written back, and
// after the given number of settling passes the file must load and be
// written as the same bytes.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "support/errors.h"
#include "tables/memtable.h"

namespace kvr::fuzz {

inline std::string Rewrite(std::string_view bytes, TableFormat format) {
    TMemTable table("mtDummy");
    table.DefaultFormat = format;
    table.LoadFromBytes(bytes);
    return table.SaveToBytes();
}

inline void LoadAndWriteBack(std::string_view bytes, TableFormat format, bool defined, int settlingPasses) {
    TMemTable table("mtDummy");
    table.DefaultFormat = format;
    if (defined) {
        table.FieldDefs.Add("Id", FieldType::Integer);
        table.FieldDefs.Add("Name", FieldType::String, 8);
        table.FieldDefs.Add("When", FieldType::DateTime);
        table.FieldDefs.Add("Raw", FieldType::Blob);
        table.Open();
    }
    std::string written;
    try {
        table.LoadFromBytes(bytes);
        if (!table.Active()) return;
        written = table.SaveToBytes();
    } catch (const Exception&) {
        return;
    }
    for (int pass = 0; pass < settlingPasses; ++pass) written = Rewrite(written, format);
    if (Rewrite(written, format) != written) std::abort();
}

inline void CheckRoundTrip(std::string_view bytes, TableFormat format, int settlingPasses) {
    LoadAndWriteBack(bytes, format, false, settlingPasses);
    LoadAndWriteBack(bytes, format, true, settlingPasses);
}

}  // namespace kvr::fuzz
