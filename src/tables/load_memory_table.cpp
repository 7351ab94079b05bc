// The loading routine.
#include "tables/load_memory_table.h"

#include <exception>

#include "support/errors.h"

namespace kvr {

namespace {

void Show(const TableLoader& loader, const std::string& text) {
    if (loader.showMessage) loader.showMessage(text);
}

void ReadIntoScratch(const std::string& fileName, TMemTable& scratch, std::optional<TableFormat> format) {
    scratch.Close();
    scratch.EmptyTable();
    const TableFormat current = scratch.DefaultFormat;
    if (format) scratch.DefaultFormat = *format;
    try {
        scratch.LoadFromFile(fileName);
    } catch (...) {
        scratch.DefaultFormat = current;
        throw;
    }
    scratch.DefaultFormat = current;
}

void CopyRows(TMemTable& scratch, TMemTable& target, const TableLoader& loader) {
    for (scratch.First(); !scratch.Eof(); scratch.Next()) {
        try {
            target.Append();
            TU_Table::CopyTableFields(target, scratch, "ALL");
            target.Post();
        } catch (const std::exception& e) {
            target.Cancel();
            Show(loader, std::string("LoadMemoryTable: ") + e.what());
        }
    }
}

}  // namespace

bool LoadMemoryTable(const std::string& fileName, TMemTable& target, const TableLoader& loader,
                     std::optional<TableFormat> format) {
    try {
        ReadIntoScratch(fileName, loader.scratch, format);

        target.Close();
        if (loader.processEvents) loader.processEvents();
        target.EmptyTable();
        target.FieldDefs.Clear();
        target.IndexDefs.Clear();

        loader.utilTable.CopyTableFldDefs(loader.scratch, target, false);
        target.IndexDefs.Assign(loader.scratch.IndexDefs);
        target.Open();
        if (target.IndexDefs.Count() > 0) target.SetIndexName(target.IndexDefs[0].Name);

        CopyRows(loader.scratch, target, loader);
        return true;
    } catch (const std::exception& e) {
        Show(loader, std::string("LoadMemoryTable:") + e.what());
        return false;
    }
}

}  // namespace kvr
