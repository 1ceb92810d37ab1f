// What a terminal shows for the cells of the console screen: the character
// of each cell as Unicode and the terminal colours of the 16-colour palette.
//
// Everything here is plain data work on the cell record, without the
// terminal library, so the rules can be tested on their own.
#pragma once

#include <cstdint>
#include <optional>

#include "console/cell_record.h"

namespace torvic::shell {

// The character a cell shows: its byte through the character set's code
// page, a cell glyph of PRINT's EXT item as the nearest block or geometric
// character, or the box-drawing character of the FRAME and LINE lines that
// run through a blank cell. Blanks for what shows nothing.
char32_t CellCharacter(const Cell& cell, const char16_t* codePage);

// A stand-in from printable ASCII for a terminal that cannot show
// `c` (a locale that is not UTF-8): lines as - | +, blocks as #, the rest as ?.
char AsciiStandIn(char32_t c);

// The byte of the code page that shows `c` (32..255 only: controls never
// arrive as typed text), if the character set has it.
std::optional<uint8_t> ByteOfCharacter(char32_t c, const char16_t* codePage);

// How many colours the terminal can show, as its description says.
enum class ColorDepth {
  None,     // monochrome: colours as plain and reverse video
  Eight,    // the eight ANSI colours; bright text colours as bold
  Sixteen,  // the sixteen ANSI colours, which are the palette's order
  Direct,   // 24-bit colour: the palette's exact values
};
ColorDepth ColorDepthOf(int colors);

// A cell's colours as the terminal takes them.
struct TerminalColors {
  int text = 0;
  int back = 0;
  bool bold = false;     // Eight: the bright half of the text colours
  bool reverse = false;  // None: light text on a dark background
  friend bool operator==(const TerminalColors&, const TerminalColors&) = default;
};
TerminalColors ColorsOf(int32_t text, int32_t back, ColorDepth depth);

}  // namespace torvic::shell
