// Feeds arbitrary bytes to the CSV table reader, into a table without fields
// and into a defined one. Whatever loads is written back; after one more pass
// (a null text or Boolean value before the end of a line comes back as empty
// text or false) the file must load and be written as the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/errors.h"
#include "tables/memtable.h"

namespace {

std::string Rewrite(std::string_view bytes) {
    kvr::TMemTable table("mtDummy");
    table.DefaultFormat = kvr::TableFormat::Csv;
    table.LoadFromBytes(bytes);
    return table.SaveToBytes();
}

void LoadAndWriteBack(std::string_view bytes, bool defined) {
    kvr::TMemTable table("mtDummy");
    table.DefaultFormat = kvr::TableFormat::Csv;
    if (defined) {
        table.FieldDefs.Add("Id", kvr::FieldType::Integer);
        table.FieldDefs.Add("Name", kvr::FieldType::String, 8);
        table.FieldDefs.Add("When", kvr::FieldType::DateTime);
        table.FieldDefs.Add("Raw", kvr::FieldType::Blob);
        table.Open();
    }
    std::string written;
    try {
        table.LoadFromBytes(bytes);
        if (!table.Active()) return;
        written = table.SaveToBytes();
    } catch (const kvr::Exception&) {
        return;
    }
    const std::string settled = Rewrite(written);
    if (Rewrite(settled) != settled) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LoadAndWriteBack(bytes, false);
    LoadAndWriteBack(bytes, true);
    return 0;
}
