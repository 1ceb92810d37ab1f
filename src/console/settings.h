// The settings memory: the 65,536-byte store behind PEEK and POKE.
//
// Most special addresses hold a mirror byte (what PEEK returns) from which a
// setting is derived by a fixed test. This class owns the bytes and their
// creation defaults; the write and read rules of the special addresses
// (PokeByte, PeekByte) are layered on it by the console view. Other parts of
// the system read settings through the named accessors below, never through
// scattered address literals.
#pragma once

#include <array>
#include <cstdint>

namespace torvic {

class SettingsMemory {
 public:
  static constexpr uint32_t kSize = 65536;

  SettingsMemory() { ResetToDefaults(); }

  void ResetToDefaults();

  uint8_t Byte(uint32_t address) const { return bytes_[address & 0xFFFF]; }
  // Stores a mirror byte without any of the address's side effects.
  void SetMirror(uint32_t address, uint8_t value) { bytes_[address & 0xFFFF] = value; }

  // --- named accessors (settings read by more than one part) ---------------
  // CLEAR without names keeps the scalars when address 12420 holds 15.
  bool ClearKeepsScalars() const { return Byte(12420) == 15; }

 private:
  std::array<uint8_t, kSize> bytes_{};
};

}  // namespace torvic
