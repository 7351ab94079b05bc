// The date-time text forms of XML values: what AsDateTime reads
// ("mm/dd/yyyy[ hh:nn:ss]" or "yyyy-mm-dd hh:nn:ss") and what it writes.
#pragma once

#include <string>
#include <string_view>

#include "support/datetime.h"

namespace kvr {

// Text of any other shape, or a date part that fails its range check, gives
// the zero date-time. A day the month lacks, or a time part that is not a
// number or out of range, raises EConvertError. The text is taken untrimmed.
TDateTime ParseXmlDateTime(std::string_view text);

// "yyyy-mm-dd hh:nn:ss", 24-hour clock, zero-padded.
std::string FormatXmlDateTime(TDateTime value);

}  // namespace kvr
