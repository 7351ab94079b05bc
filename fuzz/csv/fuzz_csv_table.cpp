// Feeds arbitrary bytes to the CSV table reader. Whatever loads is written
// back; after one settling pass (a null text or Boolean value before the end
// of a line comes back as empty text or false) the file must load and be
// written as the same bytes.
#include <cstddef>
#include <cstdint>

#include "../table_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvr::fuzz::CheckRoundTrip({reinterpret_cast<const char*>(data), size}, kvr::TableFormat::Csv, 1);
    return 0;
}
