// Little-endian, unaligned readers and writers for compiled code and program
// files. Every multi-byte field of a compiled line is stored this way.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace torvic {

inline uint8_t ReadU8(const uint8_t* p) { return p[0]; }
inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline int16_t ReadI16(const uint8_t* p) { return static_cast<int16_t>(ReadU16(p)); }
inline uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline double ReadF64(const uint8_t* p) {
  uint64_t bits = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bits, p, sizeof bits);  // one load: literals are read on every evaluation
  } else {
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | p[i];
  }
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

inline void WriteU8(uint8_t* p, uint8_t v) { p[0] = v; }
inline void WriteU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void WriteF64(uint8_t* p, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace torvic
