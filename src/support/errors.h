// The exception types of the system. Every failure carries the system's own
// message text; the command that catches one shows exactly that text.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kvr {

// Base of every failure the system raises itself.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text could not be converted to a number, date or time.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A memory table refused an operation (missing field, duplicate key, state).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A table file could not be read or written ("Stream read error", "Invalid stream format", ...).
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A file could not be opened, created, replaced or removed.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

// Replaces each "%s" of format in turn by the next argument; the system's
// message texts use no other placeholder. A placeholder left without an
// argument stays as "%s"; arguments are inserted as they are, never rescanned.
std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace kvr
