// The 80-bit extended float of binary table files, converted by bit
// manipulation so the result does not depend on what `long double` is on the
// compiler at hand: 64-bit significand with explicit integer bit in bytes 0-7,
// then a 15-bit exponent (bias 16383) with the sign in the top bit of byte 9,
// all little-endian.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace kvr::extended {

using Bytes = std::array<std::uint8_t, 10>;

namespace detail {

inline constexpr int kBias = 16383;
inline constexpr std::uint16_t kMaxExponent = 0x7FFF;
inline constexpr std::uint64_t kIntegerBit = 1ull << 63;

struct Parts {
    bool negative;
    std::uint16_t exponent;  // biased, 15 bits
    std::uint64_t significand;
};

constexpr Bytes Pack(const Parts& p) {
    Bytes out{};
    for (int i = 0; i < 8; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(p.significand >> (8 * i));
    const std::uint16_t se = static_cast<std::uint16_t>((p.negative ? 0x8000u : 0u) | (p.exponent & kMaxExponent));
    out[8] = static_cast<std::uint8_t>(se & 0xFF);
    out[9] = static_cast<std::uint8_t>(se >> 8);
    return out;
}

constexpr Parts Unpack(const Bytes& in) {
    std::uint64_t significand = 0;
    for (int i = 0; i < 8; ++i) significand |= static_cast<std::uint64_t>(in[static_cast<std::size_t>(i)]) << (8 * i);
    const auto se = static_cast<std::uint16_t>(in[8] | (in[9] << 8));
    return {(se & 0x8000u) != 0, static_cast<std::uint16_t>(se & kMaxExponent), significand};
}

// value >> shift, rounded to nearest with ties to even. Never overflows: the
// quotient of a shift of one or more is below 2^63.
constexpr std::uint64_t RoundShift(std::uint64_t value, int shift) {
    if (shift <= 0) return value;
    if (shift > 64) return 0;  // below a quarter of the last place kept
    const std::uint64_t quotient = shift == 64 ? 0 : value >> shift;
    const std::uint64_t rest = shift == 64 ? value : value & ((1ull << shift) - 1);
    const std::uint64_t half = 1ull << (shift - 1);
    return (rest > half || (rest == half && (quotient & 1))) ? quotient + 1 : quotient;
}

// A finite non-zero value as significand * 2^exponent with the significand's
// top bit set. Unnormal and pseudo-denormal encodings (integer bit clear
// with a non-zero exponent) take the value their bits spell out.
struct Normalized {
    std::uint64_t significand;
    int exponent;
};

constexpr Normalized Normalize(const Parts& p) {
    int exponent = (p.exponent == 0 ? 1 : p.exponent) - kBias - 63;
    const int shift = std::countl_zero(p.significand);
    exponent -= shift;
    return {p.significand << shift, exponent};
}

}  // namespace detail

constexpr Bytes FromDouble(double value) {
    using namespace detail;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((1ull << 52) - 1);
    if (exponent == 0x7FF) return Pack({negative, kMaxExponent, kIntegerBit | (fraction << 11)});
    if (exponent == 0) {
        if (fraction == 0) return Pack({negative, 0, 0});
        const int shift = std::countl_zero(fraction);
        const int unbiased = -1074 + 63 - shift;
        return Pack({negative, static_cast<std::uint16_t>(unbiased + kBias), fraction << shift});
    }
    return Pack({negative, static_cast<std::uint16_t>(exponent - 1023 + kBias), kIntegerBit | (fraction << 11)});
}

// The nearest double (ties to even), with overflow to infinity, gradual
// underflow to the double's denormals, and infinities and NaNs kept (a NaN
// keeps its sign and the top of its payload and is made quiet).
constexpr double ToDouble(const Bytes& bytes) {
    using namespace detail;
    const Parts p = Unpack(bytes);
    const std::uint64_t sign = p.negative ? 1ull << 63 : 0;
    constexpr std::uint64_t kInfinity = 0x7FFull << 52;
    constexpr std::uint64_t kFractionMask = (1ull << 52) - 1;
    if (p.exponent == kMaxExponent) {
        const std::uint64_t payload = p.significand & ~kIntegerBit;
        if (payload == 0) return std::bit_cast<double>(sign | kInfinity);
        return std::bit_cast<double>(sign | kInfinity | (1ull << 51) | ((payload >> 11) & kFractionMask));
    }
    if (p.significand == 0) return std::bit_cast<double>(sign);
    const Normalized n = Normalize(p);
    int unbiased = n.exponent + 63;
    if (unbiased > 1023) return std::bit_cast<double>(sign | kInfinity);
    if (unbiased >= -1022) {
        std::uint64_t kept = RoundShift(n.significand, 11);
        if (kept == (1ull << 53)) {
            kept >>= 1;
            if (++unbiased > 1023) return std::bit_cast<double>(sign | kInfinity);
        }
        return std::bit_cast<double>(sign | (static_cast<std::uint64_t>(unbiased + 1023) << 52) | (kept & kFractionMask));
    }
    // A denormal is kept * 2^-1074; a carry into bit 52 lands on the
    // smallest normal, which is the right answer.
    const std::uint64_t kept = RoundShift(n.significand, -unbiased - 1011);
    return std::bit_cast<double>(sign | kept);
}

// Exact: the 64-bit significand holds every 64-bit integer.
constexpr Bytes FromInt64(std::int64_t value) {
    using namespace detail;
    if (value == 0) return Pack({false, 0, 0});
    const bool negative = value < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const int shift = std::countl_zero(magnitude);
    return Pack({negative, static_cast<std::uint16_t>(63 - shift + kBias), magnitude << shift});
}

// The value rounded to the nearest integer (ties to even); false when it is
// not finite or does not fit in 64 bits.
constexpr bool ToInt64(const Bytes& bytes, std::int64_t& result) {
    using namespace detail;
    const Parts p = Unpack(bytes);
    if (p.exponent == kMaxExponent) return false;
    if (p.significand == 0) {
        result = 0;
        return true;
    }
    const Normalized n = Normalize(p);
    const std::uint64_t limit = p.negative ? kIntegerBit : kIntegerBit - 1;
    std::uint64_t magnitude = 0;
    if (n.exponent >= 0) {
        if (n.exponent > 0) return false;  // at least 2^64
        magnitude = n.significand;
    } else {
        magnitude = RoundShift(n.significand, -n.exponent);
    }
    if (magnitude > limit) return false;
    result = p.negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

}  // namespace kvr::extended
