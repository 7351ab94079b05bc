// The failures of the XML document model: the reader's parse error with its
// code and position, and the index error of a child list.
#pragma once

#include <cstdint>
#include <string>

#include "support/errors.h"

namespace kvr {

// The reader's error codes; the texts that go with them are part of the
// system's messages and never change.
enum XmlErrorCode : int {
    xeCloseTagExpected = 1001,
    xeOpenTagMissed = 1002,
    xeTagExpected = 1003,
};

// "Close tag expected", "Open tag missed", "Tag expected", and for any other
// code "XML parser error #" followed by the code.
std::string XmlErrorMessage(int code);

// Raised by the reader; Position is the 1-based index into the 8-bit text at
// which reading stopped (one past the last character when the text ran out).
class ExmlParseException : public Exception {
public:
    ExmlParseException(int errorCode, std::int64_t position);

    int ErrorCode;
    std::int64_t Position;
};

// A child list was asked for a position it does not have; the message names
// the 0-based list index: "List index out of bounds (5)".
class EListError : public Exception {
public:
    explicit EListError(std::int64_t index);
};

}  // namespace kvr
