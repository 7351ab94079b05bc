// The one routine through which every table file is read: the file goes into
// the scratch table first and the target is rebuilt from it, definitions and
// rows, so that a file whose rows cannot all be stored loads as far as it can.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "tables/memtable.h"
#include "tables/util_table.h"

namespace kvr {

struct TableLoader {
    TMemTable& scratch;
    const TU_Table& utilTable;
    // Receives each text the operator is to see in a message box.
    std::function<void(const std::string&)> showMessage;
    // Lets the user interface process pending events (once per load).
    std::function<void()> processEvents;
};

// Loads fileName into target through loader.scratch, read with the scratch
// table's current format or, when given, with format for this one load.
// Errors are shown through loader.showMessage: "LoadMemoryTable: <text>" for
// each row that cannot be stored (the load goes on), "LoadMemoryTable:<text>"
// for an error that ends the load. Returns false iff the load was ended by
// an error; the callers of the main window need not look.
bool LoadMemoryTable(const std::string& fileName, TMemTable& target, const TableLoader& loader,
                     std::optional<TableFormat> format = std::nullopt);

}  // namespace kvr
