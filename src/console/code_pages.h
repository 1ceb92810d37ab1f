// Byte-to-Unicode tables of the console's character sets, for front ends
// that draw the screen's bytes with Unicode fonts (the Qt surface, a
// terminal).
//
//   0 ANSI = Windows-1252   161 Greek = 1253      162 Turkish = 1254
//   177 Hebrew = 1255        178 Arabic = 1256     186 Baltic = 1257
//   204 Russian = 1251       238 East Europe = 1250
//   255 OEM = code page 437 (so box-drawing bytes show as boxes)
//
// Bytes 0..31 map to the code page 437 glyphs in every table: they only
// reach the screen as glyphs (controls are consumed before drawing). Bytes
// a code page leaves undefined map to 0, drawn as an empty cell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvic {

// 256 entries; an unknown character set gives the ANSI table.
const char16_t* CodePageForCharset(int charset);

// (code_page_text.cpp) The byte a typed character has in the character set,
// or -1 when the set cannot hold it. Characters below 32 and 127 are the
// keyboard's controls and stand for themselves; no other character becomes
// a byte below 32 or 127, whose glyphs are only ever drawn.
int ByteOfCharacter(int charset, char32_t c);
// The bytes as UTF-8 of the glyphs the screen shows for them in the
// character set; a byte without a glyph (0, or undefined in the set) is a
// blank, so the text has one character per byte and no control characters.
std::string GlyphText(std::string_view bytes, int charset);

}  // namespace torvic
