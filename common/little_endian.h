// Decoding the little-endian integers and IEEE 754 doubles of the solver's
// binary files, whatever the byte order of the host.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace sheet {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559,
              "the result files hold IEEE 754 binary64 reals");

inline std::uint32_t DecodeUint32(const unsigned char* bytes) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
  } else {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
  }
}

inline std::int32_t DecodeInt32(const unsigned char* bytes) {
  return static_cast<std::int32_t>(DecodeUint32(bytes));  // two's complement
}

inline double DecodeDouble(const unsigned char* bytes) {
  std::uint64_t bits;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bits, bytes, sizeof bits);
  } else {
    bits = std::uint64_t{DecodeUint32(bytes)} | std::uint64_t{DecodeUint32(bytes + 4)} << 32;
  }
  return std::bit_cast<double>(bits);
}

}  // namespace sheet
