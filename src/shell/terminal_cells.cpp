#include "shell/terminal_cells.h"

#include "console/palette.h"

namespace torvic::shell {

namespace {

// The cell glyphs of PRINT's EXT item (screen_graphics.cpp draws them in
// pixels) as the characters that look most like them; 0 and 15..255 show
// only the background.
constexpr char32_t kGlyphCharacters[15] = {
    U' ',
    U'\u2588',  //  1 solid cell
    U'\u25AF',  //  2 the cell's outline (a tall rectangle)
    U'\u25AA',  //  3 small filled square
    U'\u25AB',  //  4 small hollow square
    U'\u25CF',  //  5 filled circle
    U'\u25CB',  //  6 hollow circle
    U'\u258C',  //  7 left half
    U'\u2590',  //  8 right half
    U'\u2580',  //  9 upper half
    U'\u2584',  // 10 lower half
    U'\u25AC',  // 11 middle band across
    U'\u25AE',  // 12 middle band down
    U'\u25A1',  // 13 hollow square
    U'\u22A0',  // 14 square with its diagonals
};

// Box-drawing characters by the line bits of a cell (left 1, right 2, up 4,
// down 8): the one-pixel lines of FRAME and LINE meet in the cell's centre.
constexpr char32_t kLineCharacters[16] = {
    U' ',      U'\u2574', U'\u2576', U'\u2500', U'\u2575', U'\u2518', U'\u2514', U'\u2534',
    U'\u2577', U'\u2510', U'\u250C', U'\u252C', U'\u2502', U'\u2524', U'\u251C', U'\u253C',
};

bool Shows(char32_t c) { return c >= 0x20 && !(c >= 0x7F && c < 0xA0); }

int Luminance(int32_t index) {
  const platform::Rgb c = PaletteColor(index);
  return 299 * c.r + 587 * c.g + 114 * c.b;
}

}  // namespace

char32_t CellCharacter(const Cell& cell, const char16_t* codePage) {
  if (cell.flags & cellflag::kGlyph) return cell.byte < 15 ? kGlyphCharacters[cell.byte] : U' ';
  if (cell.byte != ' ' || !(cell.flags & cellflag::kLines)) {
    const char32_t c = codePage[cell.byte];
    return Shows(c) ? c : U' ';
  }
  return kLineCharacters[(cell.flags & cellflag::kLines) >> 4];
}

char AsciiStandIn(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return static_cast<char>(c);
  if (c == U'\u2500' || c == U'\u2574' || c == U'\u2576' || c == U'\u25AC') return '-';
  if (c == U'\u2502' || c == U'\u2575' || c == U'\u2577' || c == U'\u25AE') return '|';
  if (c >= U'\u2500' && c <= U'\u257F') return '+';  // corners and crossings
  if (c >= U'\u2580' && c <= U'\u259F') return '#';  // blocks
  return '?';
}

std::optional<uint8_t> ByteOfCharacter(char32_t c, const char16_t* codePage) {
  for (int b = 32; b < 256; ++b)
    if (codePage[b] == c) return static_cast<uint8_t>(b);
  return std::nullopt;
}

ColorDepth ColorDepthOf(int colors) {
  if (colors >= 0x1000000) return ColorDepth::Direct;
  if (colors >= 16) return ColorDepth::Sixteen;
  if (colors >= 8) return ColorDepth::Eight;
  return ColorDepth::None;
}

TerminalColors ColorsOf(int32_t text, int32_t back, ColorDepth depth) {
  text = FoldTextColor(text);
  back = FoldBackColor(back);
  TerminalColors t;
  switch (depth) {
    case ColorDepth::Direct: {
      // In a direct-colour description the lowest numbers still name the
      // indexed colours, so black is given as the nearest value above them.
      auto rgb = [](int32_t index) {
        const platform::Rgb c = PaletteColor(index);
        const int value = (c.r << 16) | (c.g << 8) | c.b;
        return value == 0 ? 0x010101 : value;
      };
      t.text = rgb(text);
      t.back = rgb(back);
      break;
    }
    case ColorDepth::Sixteen:
      // The palette is in the order of the terminal colours.
      t.text = text;
      t.back = back;
      break;
    case ColorDepth::Eight:
      t.text = text & 7;
      t.bold = text >= 8;
      // Grey behind text is nearer to silver than to black.
      t.back = back == 8 ? 7 : back & 7;
      break;
    case ColorDepth::None:
      t.text = -1;
      t.back = -1;
      t.reverse = Luminance(text) > Luminance(back);
      break;
  }
  return t;
}

}  // namespace torvic::shell
