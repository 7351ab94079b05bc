// A bounded cursor over bytes read from outside: every get checks what
// remains first, so a reader built on it can never read past the end, and a
// declared length is compared with what remains before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "support/errors.h"

namespace kvr {

// A stream failure at a known byte offset. what() is the system's message
// text alone ("Stream read error", "Invalid property value", ...), so callers
// that show it add nothing the operator did not see before; the offset is for
// logs and tests.
class EStreamFormatError : public EStreamError {
public:
    EStreamFormatError(const std::string& message, std::size_t offset) : EStreamError(message), offset_(offset) {}
    std::size_t Offset() const { return offset_; }

private:
    std::size_t offset_;
};

inline constexpr std::string_view kStreamReadError = "Stream read error";

class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> bytes) : bytes_(bytes) {}
    explicit ByteReader(std::string_view bytes)
        : bytes_(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

    // The next byte without consuming it.
    std::uint8_t PeekU8() const {
        Need(1);
        return static_cast<std::uint8_t>(bytes_[pos_]);
    }

    std::uint8_t ReadU8() {
        const std::uint8_t value = PeekU8();
        ++pos_;
        return value;
    }

    // Unsigned little-endian integers of 2, 4 or 8 bytes; the caller
    // reinterprets them as signed where the format says so.
    std::uint16_t ReadU16() { return static_cast<std::uint16_t>(ReadLittleEndian(2)); }
    std::uint32_t ReadU32() { return static_cast<std::uint32_t>(ReadLittleEndian(4)); }
    std::uint64_t ReadU64() { return ReadLittleEndian(8); }

    // A view of the next count bytes, valid as long as the underlying bytes.
    // count is checked against what remains before anything else happens, so a
    // forged length costs nothing.
    std::string_view ReadBytes(std::uint64_t count) {
        Need(count);
        const auto* start = reinterpret_cast<const char*>(bytes_.data() + pos_);
        pos_ += static_cast<std::size_t>(count);
        return {start, static_cast<std::size_t>(count)};
    }

    void Skip(std::uint64_t count) { ReadBytes(count); }

    // Raises the failure at the current position, or at an earlier one the
    // caller remembered (the start of the item that turned out wrong).
    [[noreturn]] void Fail(std::string_view message) const { FailAt(pos_, message); }
    [[noreturn]] static void FailAt(std::size_t offset, std::string_view message) {
        throw EStreamFormatError(std::string(message), offset);
    }

private:
    void Need(std::uint64_t count) const {
        if (count > Remaining()) Fail(kStreamReadError);
    }

    std::uint64_t ReadLittleEndian(unsigned width) {
        Need(width);
        std::uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i) {
            value |= static_cast<std::uint64_t>(bytes_[pos_ + i]) << (8 * i);
        }
        pos_ += width;
        return value;
    }

    std::span<const std::byte> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace kvr
