#include <gtest/gtest.h>

#include <string>

#include "console/code_pages.h"

namespace torvic {
namespace {

TEST(CodePageText, TypedCharactersBecomeBytesOfTheCharacterSet) {
  struct Case {
    int charset;
    char32_t c;
    int byte;
  };
  const Case cases[] = {
      {0, U'A', 'A'},         {0, U'\u20AC', 128},     // the euro sign in ANSI
      {0, U'\u00E9', 0xE9},   {204, U'\u20AC', 0x88},  // Russian has it elsewhere
      {204, U'\u0416', 0xC6},                          // a Cyrillic letter
      {255, U'\u20AC', -1},                            // OEM has no euro sign
      {255, U'\u2591', 0xB0},                          // a shade block
      {0, U'\u0416', -1},     {0, U'\u263A', -1},      // a glyph of byte 1 is no byte 1
      {0, 0x7F, 0x7F},        {0, 1, 1},               // the keyboard's controls stand
      {0, U'\U0001F600', -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ByteOfCharacter(c.charset, c.c), c.byte)
        << c.charset << " " << static_cast<uint32_t>(c.c);
}

TEST(CodePageText, GlyphTextHasOneCharacterPerByteAndNoControls) {
  struct Case {
    int charset;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {0, "AB 1", "AB 1"},
      {0, std::string("\x0A\x0D\x01", 3), "\u25D9\u266A\u263A"},  // glyphs, not controls
      {0, std::string("\x00\x7F\x81", 3), "   "},                 // no glyph: a blank each
      {0, "\x80\xE9", "\u20AC\u00E9"},
      {255, "\xB0\x7F", "\u2591\u2302"},
      {204, "\xC6", "\u0416"},
  };
  for (const Case& c : cases) EXPECT_EQ(GlyphText(c.bytes, c.charset), c.text) << c.charset;
}

}  // namespace
}  // namespace torvic
