// The escape sequences of console output: ESC, an optional number n, an
// optional ";" with a second number m, and a letter.
//
//   ESC A / ESC O        save / restore the cursor position
//   ESC [n]B F U D       cursor left / right / up / down by n (default 1),
//                        stopping at the screen's edge
//   ESC [n][;[m]]L       cursor to row min(n,24), column min(m,79)
//   ESC [n][;[m]]C       colours min(n,15) on min(m,15) (defaults 0 on 15)
//   ESC R                colours 0 on 15
//   ESC [n]T             n = 0 or none: colours from the saved colour slot;
//                        otherwise save the current colours there
//   ESC [n]I             inverse on when n is given and not 0, else off
//   ESC S                clear the screen
//   ESC E / G / N        erase to the end of the row / from column 0
//                        through the cursor / the whole row
//   ESC [n]X             erase n cells (default 1) from the cursor
//   ESC [n]H J K P       region shifts: consumed, no effect
//
// Numbers accumulate in a byte and wrap modulo 256. The letter is matched
// without regard to case. An unknown letter consumes only what came before
// it (nothing, or the digits, or up to and including the ";") and is then
// drawn as text. Everything consumed is echoed.
#include <algorithm>
#include <cstring>

#include "console/screen.h"

namespace torvic {

namespace {

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// Reads digits from s[pos] on; wraps like the byte it accumulates in.
bool ReadNumber(const uint8_t* s, size_t count, size_t& pos, uint8_t& value) {
  bool any = false;
  while (pos < count && IsDigit(s[pos])) {
    value = static_cast<uint8_t>(value * 10 + (s[pos] - '0'));
    ++pos;
    any = true;
  }
  return any;
}

}  // namespace

size_t ConsoleScreen::InterpretEscape(const uint8_t* s, size_t count) {
  size_t pos = 0;
  uint8_t n = 0, m = 0;
  const bool hasN = ReadNumber(s, count, pos, n);
  bool hasSemicolon = false, hasM = false;
  if (pos < count && s[pos] == ';') {
    hasSemicolon = true;
    ++pos;
    hasM = ReadNumber(s, count, pos, m);
  }
  // Letters are matched in ASCII upper case, whatever the host's locale.
  const int letter = pos >= count ? -1 : (s[pos] >= 'a' && s[pos] <= 'z') ? s[pos] - 32 : s[pos];

  // After a ";" only C and L are sequences.
  const bool known = hasSemicolon
                         ? (letter == 'C' || letter == 'L')
                         : (letter > 0 && std::strchr("AOBFUDLCRTISEGNXHJKP", letter) != nullptr);
  if (!known) {
    Echo(s, pos);
    return pos;
  }
  ++pos;  // the letter

  const int32_t by = hasN ? n : 1;
  switch (letter) {
    case 'A':
      savedColumn_ = column_;
      savedRow_ = row_;
      break;
    case 'O': SetCursor(savedColumn_, savedRow_); break;
    case 'B': column_ = std::max(0, column_ - by); break;
    case 'F': column_ = std::min(kScreenColumns - 1, column_ + by); break;
    case 'U': row_ = std::max(0, row_ - by); break;
    case 'D': row_ = std::min(kScreenRows - 1, row_ + by); break;
    case 'L':
      LocateCursor(hasN ? std::min<int32_t>(n, kScreenRows - 1) : 0,
                   hasM ? std::min<int32_t>(m, kScreenColumns - 1) : 0);
      break;
    case 'C':
      SetColors(hasN ? std::min<int32_t>(n, 15) : 0, hasM ? std::min<int32_t>(m, 15) : 15);
      break;
    case 'R': SetColors(0, 15); break;
    case 'T':
      if (hasN && n != 0) {
        savedText_ = text_;
        savedBack_ = back_;
      } else {
        SetColors(savedText_, savedBack_);
      }
      break;
    case 'I': SetInverse(hasN && n != 0); break;
    case 'S': ClearScreen(); break;
    case 'E': EraseToEndOfRow(); break;
    case 'G': EraseCells({0, row_, column_ + 1, row_ + 1}); break;
    case 'N': EraseCells({0, row_, kScreenColumns, row_ + 1}); break;
    case 'X': EraseCells({column_, row_, std::min(kScreenColumns, column_ + by), row_ + 1}); break;
    default:  // H, J, K, P: region shifts are not supported; consumed only
      break;
  }
  Echo(s, pos);
  FollowCursor();
  return pos;
}

}  // namespace torvic
