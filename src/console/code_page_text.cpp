// Conversions between the screen's bytes and Unicode text, on the code-page
// tables of code_pages.cpp.
#include "console/code_pages.h"

namespace torvic {

int ByteOfCharacter(int charset, char32_t c) {
  if (c < 128) return static_cast<int>(c);
  const char16_t* page = CodePageForCharset(charset);
  for (int b = 128; b < 256; ++b)
    if (page[b] != 0 && page[b] == c) return b;
  return -1;
}

std::string GlyphText(std::string_view bytes, int charset) {
  const char16_t* page = CodePageForCharset(charset);
  std::string out;
  out.reserve(bytes.size());
  for (char byte : bytes) {
    const char16_t u = page[static_cast<uint8_t>(byte)];
    if (u < 0x20) {
      out.push_back(' ');
    } else if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

}  // namespace torvic
