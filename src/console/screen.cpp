#include "console/screen.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "base/errors.h"
#include "console/settings.h"

namespace torvic {

namespace {

// Settings memory addresses the screen keeps in step with its state.
constexpr uint16_t kAddrTextColor = 1994;
constexpr uint16_t kAddrBackColor = 1995;
constexpr uint16_t kAddrInverse = 3998;         // 255 while inverse is on
constexpr uint16_t kAddrCursorVisible = 49565;  // 1 visible, 0 hidden
constexpr uint16_t kAddrDeferred = 59125;       // 128 while an update is deferred
constexpr uint16_t kAddrCharset = 29538;
constexpr uint16_t kAddrMargin = 11266;

// The flags that POKE sets by a fixed test on the written byte (their rules
// are rows of settings_table.h). When the screen changes such a flag
// itself, the mirror is rewritten only if it no longer gives the flag, so a
// byte a program wrote survives.
constexpr FlagRule kFlagMirrors[] = {
    FlagRuleAt(41223),  // control characters act
    FlagRuleAt(46090),  // escape sequences act
    FlagRuleAt(10516),  // coordinate order exchanged
    FlagRuleAt(6023),   // scroll inhibit
    FlagRuleAt(23168),  // steady cursor
};

constexpr uint16_t kAddrControls = 41223;
constexpr uint16_t kAddrEscapes = 46090;
constexpr uint16_t kAddrCoordinateOrder = 10516;
constexpr uint16_t kAddrScrollInhibit = 6023;
constexpr uint16_t kAddrSteadyCursor = 23168;

bool IsControl(uint8_t c) { return c == 7 || c == 8 || c == 9 || c == 12 || c == 13; }

}  // namespace

const std::array<std::string_view, 3> ConsoleScreen::kBannerLines = {
    "TORVIC Version " TORVIC_VERSION,
    "Copyright (C) Quellorix. All rights reserved.",
    "An 80 x 25 BASIC console. Type HELP for help, EXIT to leave.",
};

bool ConsoleScreen::IsAcceptedCharset(int32_t charset) {
  switch (charset) {
    case 0:
    case 161:
    case 162:
    case 177:
    case 178:
    case 186:
    case 204:
    case 238:
    case 255: return true;
    default: return false;
  }
}

int32_t ConsoleScreen::FontHeightForPoints(int32_t points, int32_t dpi) {
  const int64_t product = static_cast<int64_t>(points) * dpi;
  return -static_cast<int32_t>((product + 36) / 72);
}

ConsoleScreen::ConsoleScreen(const platform::Host& host, SettingsMemory& memory)
    : host_(host), surface_(host.surface), memory_(memory) {
  metrics_ = {16, 13, 3, 8, 8, 400, 0};  // nominal cells for the surface-less screen
  // The batch mode never calls Create: its console exists from here on.
  startTick_ = host_.clock.TickCount();
  startTime_ = host_.clock.Now();
}

ConsoleScreen::~ConsoleScreen() {
  if (steadyTimerRunning_) host_.timers.KillTimer(kSteadyCursorTimer);
}

platform::FontRequest ConsoleScreen::RequestFor(int32_t points, int32_t charset) const {
  const int32_t dpi = surface_ ? surface_->VerticalDpi() : 96;
  return {std::string(kFontFace), FontHeightForPoints(points, dpi), static_cast<uint8_t>(charset)};
}

void ConsoleScreen::ApplyMetrics(const platform::FontMetrics& m) {
  metrics_ = m;
  cellWidth_ = std::max(1, m.averageWidth);
  cellHeight_ = std::max(1, m.height);
  fixedPitch_ = m.averageWidth == m.maxWidth;
}

bool ConsoleScreen::Create() {
  const std::optional<uint32_t> stored = host_.settings.GetNumber("Settings", "FontSize");
  int32_t points = kDefaultFontPoints;
  if (stored && *stored >= static_cast<uint32_t>(kMinFontPoints) &&
      *stored <= static_cast<uint32_t>(kMaxFontPoints))
    points = static_cast<int32_t>(*stored);

  if (surface_) {
    platform::FontMetrics m;
    if (!surface_->Rebuild(RequestFor(points, charset_), kScreenColumns, kScreenRows,
                           PaletteColor(kDefaultBackColor), &m))
      return false;
    ApplyMetrics(m);
  }
  fontPoints_ = points;
  cells_.Fill(CellRect::WholeScreen(), kDefaultTextColor, kDefaultBackColor);
  SetColors(kDefaultTextColor, kDefaultBackColor);
  memory_.SetMirror(kAddrCursorVisible, 1);

  for (std::string_view line : kBannerLines) {
    WriteText(line);
    NewLine();
  }
  SetCursor(0, kBannerCursorRow);
  invalid_ = CellRect::WholeScreen();
  startTick_ = host_.clock.TickCount();
  startTime_ = host_.clock.Now();
  return true;
}

void ConsoleScreen::SaveSettings() {
  if (fontSizeChanged_)
    host_.settings.SetNumber("Settings", "FontSize", static_cast<uint32_t>(fontPoints_));
}

// ---------------------------------------------------------------------------
// Drawing runs and the cursor

void ConsoleScreen::DrawRun(int32_t column, int32_t row, const uint8_t* bytes, size_t count) {
  if (count == 0 || row < 0 || row >= kScreenRows || column < 0 || column >= kScreenColumns) return;
  count = std::min(count, static_cast<size_t>(kScreenColumns - column));
  cells_.PutRun(column, row, bytes, count, text_, back_);
  if (surface_) {
    const platform::Rgb fg = PaletteColor(text_), bg = PaletteColor(back_);
    const int32_t x = column * cellWidth_, y = row * cellHeight_;
    if (fixedPitch_) {
      surface_->DrawText(x, y, cellWidth_, bytes, count, fg, bg);
    } else {
      // A proportional fallback font still fills the grid: each character
      // in its own cell.
      for (size_t i = 0; i < count; ++i)
        surface_->DrawText(x + static_cast<int32_t>(i) * cellWidth_, y, cellWidth_, bytes + i, 1,
                           fg, bg);
    }
  }
  Invalidate({column, row, column + static_cast<int32_t>(count), row + 1});
  Echo(bytes, count);
}

void ConsoleScreen::AdvanceAfterDraw() {
  if (++column_ >= kScreenColumns) LineFeed();
}

void ConsoleScreen::Invalidate(const CellRect& cells) {
  if (deferred_) deferredDirty_ = deferredDirty_.United(cells);
  else invalid_ = invalid_.United(cells);
}

CellRect ConsoleScreen::TakeInvalid() { return std::exchange(invalid_, CellRect{}); }

platform::PixelRect ConsoleScreen::CellsToPixels(const CellRect& c) const {
  return {c.left * cellWidth_, c.top * cellHeight_, c.right * cellWidth_, c.bottom * cellHeight_};
}

void ConsoleScreen::FollowCursor() {
  caret_.visible = cursorVisible_;
  caret_.parked = !cursorVisible_;
  if (cursorVisible_) {
    caret_.column = column_;
    caret_.row = row_;
  } else {
    caret_.column = caret_.row = kParkedCaret;
  }
}

// ---------------------------------------------------------------------------
// Text output

void ConsoleScreen::WriteText(const uint8_t* s, size_t n) {
  // A run is a stretch of printable bytes on one row, drawn with one call.
  size_t runStart = 0;
  int32_t runColumn = column_, runRow = row_;
  auto flush = [&](size_t end) { DrawRun(runColumn, runRow, s + runStart, end - runStart); };
  auto restart = [&](size_t at) {
    runStart = at;
    runColumn = column_;
    runRow = row_;
  };

  size_t i = 0;
  while (i < n) {
    const uint8_t c = s[i];
    if (controls_ && IsControl(c)) {
      flush(i);
      PutChar(c);
      restart(++i);
    } else if (escapes_ && c == 27) {
      flush(i);
      EchoByte(27);
      i += 1 + InterpretEscape(s + i + 1, n - i - 1);
      restart(i);
    } else {
      ++i;
      if (++column_ >= kScreenColumns) {
        flush(i);
        LineFeed();
        restart(i);
      }
    }
  }
  flush(n);
  FollowCursor();
}

void ConsoleScreen::WriteFormatted(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<size_t>(needed) < sizeof small) {
    va_end(copy);
    WriteText(reinterpret_cast<const uint8_t*>(small), static_cast<size_t>(needed));
    return;
  }
  std::string big(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(big.data(), big.size(), format, copy);
  va_end(copy);
  big.resize(static_cast<size_t>(needed));
  WriteText(big);
}

void ConsoleScreen::WriteRaw(const uint8_t* s, size_t n) {
  size_t runStart = 0;
  int32_t runColumn = column_, runRow = row_;
  for (size_t i = 0; i < n; ++i) {
    if (++column_ >= kScreenColumns) {
      DrawRun(runColumn, runRow, s + runStart, i + 1 - runStart);
      LineFeed();
      runStart = i + 1;
      runColumn = column_;
      runRow = row_;
    }
  }
  DrawRun(runColumn, runRow, s + runStart, n - runStart);
  FollowCursor();
}

void ConsoleScreen::PutChar(uint8_t c) {
  switch (c) {
    case 7:
      host_.sound.Beep();
      EchoByte(7);
      break;
    case 8:
      Backspace();
      EchoByte(8);
      break;
    case 12:
      ClearScreen();
      EchoByte(12);
      break;
    case 13: NewLine(); break;
    case 9: TabForward(1); break;
    default:
      DrawRun(column_, row_, &c, 1);
      AdvanceAfterDraw();
      break;
  }
  FollowCursor();
}

void ConsoleScreen::Backspace() {
  if (column_ > 0) {
    --column_;
  } else if (row_ > 0) {
    column_ = kScreenColumns - 1;
    --row_;
  }
  EraseCells({column_, row_, column_ + 1, row_ + 1});
}

void ConsoleScreen::EraseToEndOfRow() { EraseCells({column_, row_, kScreenColumns, row_ + 1}); }

void ConsoleScreen::NewLine() {
  EraseToEndOfRow();
  LineFeed();
  EchoByte(13);
  FollowCursor();
}

void ConsoleScreen::LineFeed() {
  ++row_;
  column_ = 0;
  if (row_ >= kScreenRows) {
    if (!scrollLock_ && !scrollInhibit_) {
      ScrollUp();
    } else {
      // Parked in the last cell: further output overwrites it until
      // something moves the cursor.
      column_ = kScreenColumns - 1;
      row_ = kScreenRows - 1;
    }
  }
  scrollInhibit_ = false;
  memory_.SetMirror(kAddrScrollInhibit, 0);
  FollowCursor();
}

void ConsoleScreen::TabForward(int32_t count) {
  static constexpr uint8_t kTab = 9;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t next = (column_ / 8 + 1) * 8;
    if (next < kScreenColumns) {
      EraseCells({column_, row_, next, row_ + 1});
      column_ = next;
      EchoByte(kTab);
    } else {
      NewLine();
    }
  }
  FollowCursor();
}

void ConsoleScreen::PadToColumn(int32_t column) {
  column = std::clamp(column, 0, kScreenColumns - 1);
  if (column > column_) {
    EraseCells({column_, row_, column, row_ + 1});
    static const std::string kBlanks(kScreenColumns, ' ');
    Echo(Bytes(kBlanks), static_cast<size_t>(column - column_));
  }
  column_ = column;
  FollowCursor();
}

void ConsoleScreen::ScrollUp() {
  if (surface_) surface_->ScrollUp(cellHeight_, PaletteColor(back_));
  cells_.ScrollUp(text_, back_);
  Invalidate(CellRect::WholeScreen());
  // Scrolling from row 0 (an explicit scroll request) keeps the cursor on
  // the screen.
  row_ = std::max(0, row_ - 1);
  FollowCursor();
}

void ConsoleScreen::EraseCells(const CellRect& rect) {
  const CellRect r = rect.Clipped();
  if (r.Empty()) return;
  if (surface_) surface_->FillRect(CellsToPixels(r), PaletteColor(back_));
  cells_.Fill(r, text_, back_);
  Invalidate(r);
}

void ConsoleScreen::InvertCells(const CellRect& rect) {
  const CellRect r = rect.Clipped();
  if (r.Empty()) return;
  if (surface_) surface_->InvertRect(CellsToPixels(r));
  cells_.ToggleInverted(r);
  Invalidate(r);
}

void ConsoleScreen::ClearScreen() {
  EraseCells(CellRect::WholeScreen());
  column_ = row_ = 0;
  FollowCursor();
}

// ---------------------------------------------------------------------------
// Cursor

void ConsoleScreen::LocateCursor(int32_t first, int32_t second) {
  if (coordinateOrder_) SetCursor(first, second);
  else SetCursor(second, first);
}

void ConsoleScreen::SetCursor(int32_t column, int32_t row) {
  // Clamped so that a cursor can never address a cell off the screen (the
  // exchanged coordinate order can turn a valid row into a column of 79).
  column_ = std::clamp(column, 0, kScreenColumns - 1);
  row_ = std::clamp(row, 0, kScreenRows - 1);
  FollowCursor();
}

void ConsoleScreen::ShowCursor(bool show) {
  if (show) {
    if (deferred_) {
      deferred_ = false;
      memory_.SetMirror(kAddrDeferred, 0);
      invalid_ = invalid_.United(std::exchange(deferredDirty_, CellRect{}));
      if (observer_) observer_->PaintNow();
    }
    cursorVisible_ = true;
    memory_.SetMirror(kAddrCursorVisible, 1);
  } else {
    cursorVisible_ = false;
    memory_.SetMirror(kAddrCursorVisible, 0);
  }
  FollowCursor();
}

void ConsoleScreen::BeginDeferredUpdate() {
  if (deferred_) return;
  deferredDirty_ = {};
  deferred_ = true;
  memory_.SetMirror(kAddrDeferred, 128);
  visibleBeforeDefer_ = cursorVisible_;
  ShowCursor(false);
}

void ConsoleScreen::EndDeferredUpdate() {
  if (!deferred_) return;
  deferred_ = false;
  memory_.SetMirror(kAddrDeferred, 0);
  invalid_ = invalid_.United(std::exchange(deferredDirty_, CellRect{}));
  if (observer_) observer_->PaintNow();
  if (visibleBeforeDefer_) ShowCursor(true);
  FollowCursor();
}

void ConsoleScreen::RevealCursor() {
  if (observer_) observer_->RevealCursor();
}

// ---------------------------------------------------------------------------
// Colours

void ConsoleScreen::WriteColorMirrors() {
  memory_.SetMirror(kAddrTextColor, static_cast<uint8_t>(text_));
  memory_.SetMirror(kAddrBackColor, static_cast<uint8_t>(back_));
  memory_.SetMirror(kAddrInverse, inverse_ ? 255 : 0);
}

void ConsoleScreen::SetColors(int32_t text, int32_t back) {
  text_ = FoldTextColor(text);
  back_ = FoldBackColor(back);
  inverse_ = false;
  WriteColorMirrors();
}

void ConsoleScreen::SetInverse(bool on) {
  if (on == inverse_) return;
  std::swap(text_, back_);
  inverse_ = on;
  WriteColorMirrors();
}

void ConsoleScreen::RestoreColorState(int32_t text, int32_t back, bool inverse) {
  text_ = FoldTextColor(text);
  back_ = FoldBackColor(back);
  inverse_ = inverse;
  WriteColorMirrors();
}

// ---------------------------------------------------------------------------
// Flags, focus and the steady cursor

void ConsoleScreen::SyncFlagMirror(uint16_t address, bool on) {
  for (const FlagRule& f : kFlagMirrors) {
    if (f.address != address) continue;
    const uint8_t v = memory_.Byte(address);
    const bool current = f.onWhenEqual ? v == f.trigger : v != f.trigger;
    if (current != on) memory_.SetMirror(address, on == f.onWhenEqual ? f.trigger : 0);
    return;
  }
}

void ConsoleScreen::SetControlCharacters(bool on) {
  controls_ = on;
  SyncFlagMirror(kAddrControls, on);
}

void ConsoleScreen::SetEscapes(bool on) {
  escapes_ = on;
  SyncFlagMirror(kAddrEscapes, on);
}

void ConsoleScreen::SetCoordinateOrder(bool on) {
  coordinateOrder_ = on;
  SyncFlagMirror(kAddrCoordinateOrder, on);
}

void ConsoleScreen::SetScrollInhibit(bool on) {
  scrollInhibit_ = on;
  SyncFlagMirror(kAddrScrollInhibit, on);
}

void ConsoleScreen::SetSteadyCursor(bool on) {
  caret_.steady = on;
  SyncFlagMirror(kAddrSteadyCursor, on);
  if (on) {
    steadyTimerRunning_ =
        host_.timers.SetTimer(kSteadyCursorTimer, std::max(1u, caretBlinkMs_ / 2));
  } else if (steadyTimerRunning_) {
    host_.timers.KillTimer(kSteadyCursorTimer);
    steadyTimerRunning_ = false;
  }
}

void ConsoleScreen::SetFocus(bool hasFocus) {
  caret_.hasFocus = hasFocus;
  if (hasFocus) {
    if (caret_.steady)
      steadyTimerRunning_ =
          host_.timers.SetTimer(kSteadyCursorTimer, std::max(1u, caretBlinkMs_ / 2));
  } else if (steadyTimerRunning_) {
    host_.timers.KillTimer(kSteadyCursorTimer);
    steadyTimerRunning_ = false;
  }
  FollowCursor();
}

void ConsoleScreen::OnSteadyCursorTimer() {
  if (observer_) observer_->RestartCaretBlink();
}

void ConsoleScreen::SetMarginColor(int32_t value) {
  memory_.SetMirror(kAddrMargin, static_cast<uint8_t>(value));
  const int32_t margin = value >= 0 && value < kPaletteSize ? value : 255;
  if (margin == margin_) return;
  margin_ = margin;
  if (observer_) observer_->MarginColorChanged();
}

// ---------------------------------------------------------------------------
// Fonts

bool ConsoleScreen::ChangeFontSize(int32_t points) {
  if (points < kMinFontPoints || points > kMaxFontPoints) return false;
  if (surface_) {
    platform::FontMetrics m;
    if (!surface_->Rebuild(RequestFor(points, charset_), kScreenColumns, kScreenRows,
                           PaletteColor(back_), &m)) {
      host_.dialogs.MessageBox("Unable to change the font!", "TORVIC", platform::Buttons::Ok,
                               platform::Icon::Exclamation);
      return false;
    }
    ApplyMetrics(m);
  }
  fontPoints_ = points;
  fontSizeChanged_ = true;
  cells_.Fill(CellRect::WholeScreen(), text_, back_);
  invalid_ = CellRect::WholeScreen();
  column_ = row_ = 0;
  FollowCursor();
  if (observer_) observer_->GeometryChanged();
  return true;
}

bool ConsoleScreen::RemakeBitmap() {
  if (!surface_) return false;
  platform::FontMetrics m;
  if (!surface_->Rebuild(RequestFor(fontPoints_, charset_), kScreenColumns, kScreenRows,
                         PaletteColor(back_), &m))
    return false;
  ApplyMetrics(m);
  RedrawCells(CellRect::WholeScreen());
  invalid_ = CellRect::WholeScreen();
  FollowCursor();
  if (observer_) observer_->GeometryChanged();
  return true;
}

int32_t ConsoleScreen::SetCharacterSet(int32_t charset) {
  if (!IsAcceptedCharset(charset) || charset == charset_) return kOk;
  if (surface_) {
    const platform::FontRequest request = RequestFor(fontPoints_, charset);
    platform::FontMetrics m;
    if (!surface_->ProbeFont(request, &m)) return kErrOutOfMemory;
    // A font with other metrics would break the cell grid: keep the old one.
    if (!(m == metrics_)) return kOk;
    if (!surface_->SelectFont(request)) return kErrOutOfMemory;
  }
  charset_ = charset;
  memory_.SetMirror(kAddrCharset, static_cast<uint8_t>(charset));
  return kOk;
}

}  // namespace torvic
