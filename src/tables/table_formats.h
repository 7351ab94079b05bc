// The readers and writers of the two table file formats. A reader runs on a
// table whose Loading() is true (TMemTable::LoadFromBytes sets it, rebuilds
// the indexes afterwards and moves to the first row); a writer writes every
// stored row in the order of the active index.
#pragma once

#include <string>
#include <string_view>

namespace kvr {

class TMemTable;

// Binary table file (signature "TPF0", version 251 written).
void ReadBinaryTable(TMemTable& table, std::string_view bytes);
std::string WriteBinaryTable(const TMemTable& table);

// CSV table file (definitions, header line, one line per row).
void ReadCsvTable(TMemTable& table, std::string_view bytes);
std::string WriteCsvTable(const TMemTable& table);

}  // namespace kvr
