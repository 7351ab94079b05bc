// Feeds arbitrary bytes to the binary table reader. Whatever loads is written
// back; that file must load again and be written as the same bytes.
#include <cstddef>
#include <cstdint>

#include "../table_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvr::fuzz::CheckRoundTrip({reinterpret_cast<const char*>(data), size}, kvr::TableFormat::Binary, 0);
    return 0;
}
