// ConsoleScreen: the 80 x 25 text screen of the console and its output
// primitives.
//
// Every piece of text the system shows (PRINT, listings, messages, the
// prompt and the line editor) goes through these primitives. The screen
// keeps three things in step:
//   - the pixels on a platform::Surface, when there is one (the desktop);
//   - the cell record (cell_record.h), always, also in the batch mode that
//     runs without a surface and without fonts;
//   - the echo sink, which receives every character that ATTACH or the
//     batch transcript must see.
// It does not repaint anything itself: drawing accumulates an invalid
// rectangle of cells that the view takes (TakeInvalid) and paints when the
// event pump runs, so output never costs one repaint per character.
//
// Statement-level range checks (LOCATE 25,0 and the like) belong to the
// statement handlers. The primitives clip to the screen so that a caller's
// mistake can never write outside the cell record.
#pragma once

#include <array>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/cell_record.h"
#include "console/palette.h"
#include "platform/host.h"
#include "platform/memory_budget.h"
#include "platform/surface.h"

namespace torvic {

class SettingsMemory;

// Receives every character the screen sends to the echo file: runs as they
// are drawn, the control and escape characters it consumes, 13 for NewLine,
// 9 for a tab, blanks for PadToColumn. Write errors stay with the sink.
class EchoSink {
 public:
  virtual ~EchoSink() = default;
  virtual void Echo(const uint8_t* bytes, size_t count) = 0;
};

// What the view hears from the screen model. Every hook has an empty
// default, so a screen without a view (tests, batch mode) needs none.
class ScreenObserver {
 public:
  virtual ~ScreenObserver() = default;
  // Paint the invalid rectangle now (end of a deferred update, CURSOR ON).
  virtual void PaintNow() {}
  // Scroll the window so that the cursor cell is fully visible.
  virtual void RevealCursor() {}
  // The steady-cursor timer fired: restart the caret's blink phase.
  virtual void RestartCaretBlink() {}
  // Cell size and bitmap size changed (font size change): recompute the
  // scroll sizes and centring, recreate the caret, empty the input line.
  virtual void GeometryChanged() {}
  virtual void MarginColorChanged() {}
};

// A saved rectangle of the screen for the screen images of SCREEN: its
// pixels, its cells and the colours current when it was saved.
struct ScreenImage {
  CellRect cells;
  platform::PixelRect pixels;  // where the pixels were taken
  platform::PixelBlock pixelCopy;
  std::vector<Cell> cellCopy;
  int32_t textColor = kDefaultTextColor;
  int32_t backColor = kDefaultBackColor;
  bool inverse = false;
  memory::Reservation held;  // the copies, charged to the memory budget
};

// The caret as the view must draw it: a block of one cell at (column, row)
// while the cursor is visible and the view has the focus.
struct CaretState {
  bool visible = true;  // cursor-visible flag (CURSOR ON/OFF, LOCK)
  bool hasFocus = false;
  bool steady = false;
  bool parked = false;  // hidden: parked at (kParkedCaret, kParkedCaret)
  int32_t column = 0, row = 0;
};

class ConsoleScreen {
 public:
  static constexpr std::string_view kFontFace = "Courier New";
  static constexpr int32_t kMinFontPoints = 6;
  static constexpr int32_t kMaxFontPoints = 99;
  static constexpr int32_t kDefaultFontPoints = 10;
  static constexpr int kSteadyCursorTimer = 2;  // window timer identifier
  static constexpr uint32_t kDefaultCaretBlinkMs = 530;
  static constexpr int32_t kParkedCaret = -32768;
  static constexpr int32_t kBannerCursorRow = 8;
  // The three banner lines of the start-up screen (also ABOUT's text).
  static const std::array<std::string_view, 3> kBannerLines;
  // The character sets a font may be made with.
  static bool IsAcceptedCharset(int32_t charset);
  // Font height for a point size: minus (points x dpi / 72), rounded to the
  // nearest pixel in one multiply-then-divide.
  static int32_t FontHeightForPoints(int32_t points, int32_t dpi);

  // `host.surface` may be null: the screen then keeps the cell record only.
  ConsoleScreen(const platform::Host& host, SettingsMemory& memory);
  ~ConsoleScreen();
  ConsoleScreen(const ConsoleScreen&) = delete;
  ConsoleScreen& operator=(const ConsoleScreen&) = delete;

  // Reads Settings/FontSize (out of range: 10), makes the font and a bitmap
  // filled with white, sets black on white, writes the banner in rows 0..2,
  // puts the cursor at column 0, row 8 and records the start-up tick count
  // and local time. False when the font or the bitmap cannot be made.
  bool Create();
  // Writes Settings/FontSize when the size was changed in this run.
  void SaveSettings();

  void SetEchoSink(EchoSink* sink) { echo_ = sink; }
  EchoSink* GetEchoSink() const { return echo_; }
  void SetObserver(ScreenObserver* observer) { observer_ = observer; }

  // --- output primitives ------------------------------------------------------
  // Text with wrapping at column 80, control characters (7, 8, 9, 12, 13)
  // and escape sequences (27) as the flags allow.
  void WriteText(const uint8_t* bytes, size_t count);
  void WriteText(std::string_view text) { WriteText(Bytes(text), text.size()); }
  // printf formatting, then WriteText.
  void WriteFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Every byte drawn as a glyph; wraps at column 80; no controls or escapes.
  void WriteRaw(const uint8_t* bytes, size_t count);
  void WriteRaw(std::string_view text) { WriteRaw(Bytes(text), text.size()); }
  // One character; 7, 8, 9, 12 and 13 always act as controls here.
  void PutChar(uint8_t c);
  void NewLine();
  void LineFeed();
  void TabForward(int32_t count);
  void PadToColumn(int32_t column);
  void ScrollUp();
  void EraseCells(const CellRect& cells);
  void InvertCells(const CellRect& cells);
  // (row, column), or (column, row) while the coordinate-order flag is on.
  void LocateCursor(int32_t first, int32_t second);
  // The cursor by column and row, whatever the coordinate order.
  void SetCursor(int32_t column, int32_t row);
  void ClearScreen();
  void SetColors(int32_t text, int32_t back);
  void SetInverse(bool on);
  // Puts back colours saved earlier (screen images, PRINT's inline items):
  // the indices as they were, including an inverse exchange in effect.
  void RestoreColorState(int32_t text, int32_t back, bool inverse);
  void ShowCursor(bool show);
  void BeginDeferredUpdate();
  void EndDeferredUpdate();
  // Performs one escape sequence from the characters after ESC; returns
  // how many of them it consumed (0..count).
  size_t InterpretEscape(const uint8_t* after, size_t count);
  void RevealCursor();

  // --- graphics in cells --------------------------------------------------------
  // Cell glyph n of PRINT's EXT item at the cursor; the cursor advances.
  void DrawCellGlyph(int32_t n);
  // FRAME: style 0 a border one cell wide in `colour`, style 1 a one-pixel
  // outline through the middle of the border cells. Clipped to the screen;
  // the caller places the cursor.
  void DrawFrame(const CellRect& cells, int32_t style, int32_t colour);
  // LINE of cells, horizontal (height 1) or vertical (width 1): style 0
  // fills the cells with `colour`, style 1 draws a one-pixel line through
  // their middle. Clipped; the caller places the cursor.
  void DrawCellLine(const CellRect& cells, int32_t style, int32_t colour);
  // Screen images: 0 or kErrOutOfMemory.
  int32_t SaveImage(const CellRect& cells, ScreenImage* image) const;
  // Pixels and cells back in place; colours are the caller's choice.
  void RestoreImage(const ScreenImage& image);

  // --- font and settings ----------------------------------------------------------
  // The font dialog: re-creates font and bitmap, clears the screen. Shows
  // "Unable to change the font!" and keeps the old font on failure.
  bool ChangeFontSize(int32_t points);
  // The surface's resolution changed (the window moved to a display with
  // another pixel ratio): font and bitmap made again at the same point
  // size, and every cell drawn again from the cell record, so nothing on
  // the screen is lost. False (the old bitmap kept) when they cannot be made.
  bool RemakeBitmap();
  // Character set change: kept only when the new font's metrics equal the
  // current ones; 0 also when ignored; kErrOutOfMemory when the font cannot
  // be made.
  int32_t SetCharacterSet(int32_t charset);
  // Margin colour as written to settings address 11266 (16 and above: none).
  void SetMarginColor(int32_t value);
  void SetControlCharacters(bool on);
  void SetEscapes(bool on);
  void SetCoordinateOrder(bool on);
  void SetScrollInhibit(bool on);
  void SetScrollLock(bool on) { scrollLock_ = on; }
  void SetSteadyCursor(bool on);
  void SetCaretBlinkTime(uint32_t ms) { caretBlinkMs_ = ms; }
  void SetFocus(bool hasFocus);
  // Timer 2 fired (the view forwards its timer events).
  void OnSteadyCursorTimer();

  // --- invalidation ------------------------------------------------------------------
  // The cells drawn since the last call; empty when nothing changed. During
  // a deferred update drawing collects elsewhere until EndDeferredUpdate.
  CellRect TakeInvalid();
  const CellRect& Invalid() const { return invalid_; }
  platform::PixelRect CellsToPixels(const CellRect& cells) const;

  // --- state --------------------------------------------------------------------------
  int32_t Column() const { return column_; }
  int32_t Row() const { return row_; }
  int32_t TextColor() const { return text_; }
  int32_t BackColor() const { return back_; }
  bool Inverse() const { return inverse_; }
  bool CursorVisible() const { return cursorVisible_; }
  bool Deferred() const { return deferred_; }
  const CaretState& Caret() const { return caret_; }
  bool ControlCharacters() const { return controls_; }
  bool Escapes() const { return escapes_; }
  bool CoordinateOrder() const { return coordinateOrder_; }
  bool ScrollInhibit() const { return scrollInhibit_; }
  bool ScrollLock() const { return scrollLock_; }
  int32_t MarginColor() const { return margin_; }

  int32_t FontPoints() const { return fontPoints_; }
  int32_t Charset() const { return charset_; }
  int32_t CellWidth() const { return cellWidth_; }
  int32_t CellHeight() const { return cellHeight_; }
  bool FixedPitch() const { return fixedPitch_; }
  const platform::FontMetrics& Metrics() const { return metrics_; }
  bool FontSizeChanged() const { return fontSizeChanged_; }

  uint32_t StartTick() const { return startTick_; }
  const platform::LocalTime& StartTime() const { return startTime_; }

  const CellRecord& Cells() const { return cells_; }
  std::string RowText(int32_t row) const { return cells_.RowText(row); }

 private:
  static const uint8_t* Bytes(std::string_view s) {
    return reinterpret_cast<const uint8_t*>(s.data());
  }
  platform::FontRequest RequestFor(int32_t points, int32_t charset) const;
  void ApplyMetrics(const platform::FontMetrics& m);

  // Building blocks; the public primitives end with FollowCursor.
  void DrawRun(int32_t column, int32_t row, const uint8_t* bytes, size_t count);
  void AdvanceAfterDraw();  // column + 1, LineFeed at 80
  void Backspace();
  void EraseToEndOfRow();
  void Invalidate(const CellRect& cells);
  void Echo(const uint8_t* bytes, size_t count) {
    if (echo_ && count) echo_->Echo(bytes, count);
  }
  void EchoByte(uint8_t b) { Echo(&b, 1); }
  void FollowCursor();
  void WriteColorMirrors();
  void SyncFlagMirror(uint16_t address, bool on);

  // Graphics helpers (screen_graphics.cpp).
  void DrawGlyphPixels(int32_t n, const platform::PixelRect& cell, platform::Rgb text,
                       platform::Rgb back);
  void MarkLine(int32_t column0, int32_t row0, int32_t column1, int32_t row1, int32_t colour);
  void RedrawCells(const CellRect& cells);

  platform::Host host_;
  platform::Surface* surface_;
  SettingsMemory& memory_;
  EchoSink* echo_ = nullptr;
  ScreenObserver* observer_ = nullptr;
  CellRecord cells_;

  // Font and geometry.
  int32_t fontPoints_ = kDefaultFontPoints;
  int32_t charset_ = 0;
  platform::FontMetrics metrics_;
  int32_t cellWidth_ = 8, cellHeight_ = 16;
  bool fixedPitch_ = true;
  bool fontSizeChanged_ = false;

  // Colours.
  int32_t text_ = kDefaultTextColor;
  int32_t back_ = kDefaultBackColor;
  bool inverse_ = false;
  int32_t margin_ = 255;

  // Cursor, caret and the saved slots of ESC A / ESC O and ESC nT / ESC T.
  int32_t column_ = 0, row_ = 0;
  int32_t savedColumn_ = 0, savedRow_ = 0;
  int32_t savedText_ = kDefaultTextColor, savedBack_ = kDefaultBackColor;
  bool cursorVisible_ = true;
  CaretState caret_;
  uint32_t caretBlinkMs_ = kDefaultCaretBlinkMs;
  bool steadyTimerRunning_ = false;

  // Output flags.
  bool controls_ = true;
  bool escapes_ = true;
  bool coordinateOrder_ = false;
  bool scrollInhibit_ = false;
  bool scrollLock_ = false;

  // Invalidation and deferred update.
  CellRect invalid_;
  bool deferred_ = false;
  CellRect deferredDirty_;
  bool visibleBeforeDefer_ = true;

  uint32_t startTick_ = 0;
  platform::LocalTime startTime_;
};

}  // namespace torvic
