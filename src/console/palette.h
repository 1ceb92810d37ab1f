// The 16-colour palette of the console and the cell geometry of the screen.
//
// Colours are palette indices everywhere in the core (COLOR, the settings
// memory mirrors, the cell record); only the surface sees RGB values.
#pragma once

#include <array>
#include <cstdint>

#include "platform/surface.h"

namespace torvic {

inline constexpr int32_t kScreenColumns = 80;
inline constexpr int32_t kScreenRows = 25;
inline constexpr int32_t kPaletteSize = 16;

inline constexpr std::array<platform::Rgb, kPaletteSize> kPalette = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

inline constexpr int32_t kDefaultTextColor = 0;
inline constexpr int32_t kDefaultBackColor = 15;

// Indices outside 0..15 never reach the palette: they are folded as the
// settings memory folds them (a text colour of 16 or more becomes 0, a
// background colour becomes 15).
inline constexpr int32_t FoldTextColor(int32_t c) { return c >= 0 && c < kPaletteSize ? c : 0; }
inline constexpr int32_t FoldBackColor(int32_t c) { return c >= 0 && c < kPaletteSize ? c : 15; }

inline constexpr platform::Rgb PaletteColor(int32_t index) {
  return kPalette[static_cast<size_t>(index & 15)];
}

}  // namespace torvic
