// The input line editor: one line of up to 255 characters edited in place
// on the console screen, with insert and overwrite, the editing keys, and
// the command history.
//
// The editor is a model with a view onto the screen: it keeps the buffer,
// the edit position and the screen cell where the line begins (the anchor),
// and after every edit redraws the changed tail with WriteRaw, which wraps
// at column 80 and scrolls at the bottom; scrolling moves the anchor up.
// Nothing it draws reaches the echo file; the entered line is echoed by the
// caller when Enter is pressed. Which keys reach the editor (and what Enter,
// Esc, F5, F8, F9 and F12 mean) is decided by line entry
// (console/line_entry.h); this class only performs the edits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvic {

class ConsoleScreen;

class LineEditor {
 public:
  static constexpr int32_t kCapacity = 255;

  // The buffer holds the longest line from the start: typing never needs
  // storage.
  explicit LineEditor(ConsoleScreen& screen) : screen_(screen) { text_.reserve(kCapacity); }

  const std::string& Text() const { return text_; }
  int32_t Length() const { return static_cast<int32_t>(text_.size()); }
  int32_t Position() const { return position_; }
  int32_t MaxLength() const { return maxLength_; }
  void SetMaxLength(int32_t n) { maxLength_ = n < 0 ? 0 : (n > kCapacity ? kCapacity : n); }
  bool InsertMode() const { return insert_; }
  void ToggleInsert() { insert_ = !insert_; }
  // While suppressed, edits change the buffer only: nothing is drawn and
  // the screen cursor stays (INPUT with the input echo off).
  void SetEchoSuppressed(bool on) { suppressed_ = on; }
  bool EchoSuppressed() const { return suppressed_; }

  // Empties the buffer without drawing; the line starts at the screen cursor.
  void Clear();
  // Starts the line at the screen cursor and draws the current text there,
  // the cursor at the edit position (a line read that keeps its contents).
  void Redisplay();
  // Replaces the text, draws it and puts the edit position at `position`.
  void SetText(std::string_view text, int32_t position);
  // Anchor bookkeeping for a caller that drew the line itself.
  void AnchorAtCursor();

  // --- edits ---------------------------------------------------------------
  void TypeChar(uint8_t c);  // insert or overwrite; nothing at the limit
  void Backspace();
  void DeleteAtPosition();
  void DeleteAll();
  void DeleteToStart();
  void DeleteToEnd();
  void MoveTo(int32_t position);
  void MoveToEnd() { MoveTo(Length()); }
  void Tab(bool shift);
  // The editing keys of the key table that need no interpreter state:
  // Insert, Delete, Home, End, Left, Right, Up, Down with their Ctrl forms.
  // False when the key (with these modifiers) is not one of them.
  bool EditingKey(uint32_t vk, bool ctrl, bool shift);

  // Statement starts: after leading blanks, a line number and blanks; then
  // after every colon outside double quotes, blanks skipped.
  std::vector<int32_t> StatementStarts() const;

  // --- history ----------------------------------------------------------------
  // Appends unless equal to the newest entry; drops the oldest when full;
  // limit 0 keeps no history. The index moves past the newest entry.
  void AddHistory(std::string_view line, int32_t limit);
  void ClearHistory();
  // F9: the entry before the index (nothing at the first); Shift+F9: the
  // one after it (nothing at the last). The entry replaces the line.
  void HistoryPrevious();
  void HistoryNext();
  const std::vector<std::string>& History() const { return history_; }

 private:
  // Redraws from character `from` to the end, erases `erase` cells freed
  // beyond the new end, and puts the screen cursor at the edit position.
  void Redraw(int32_t from, int32_t erase);
  void PlaceCursor();
  // Cell of character i of the line.
  void CellOf(int32_t i, int32_t& column, int32_t& row) const;

  ConsoleScreen& screen_;
  std::string text_;
  int32_t position_ = 0;
  int32_t maxLength_ = kCapacity;
  bool insert_ = true;
  bool suppressed_ = false;
  int32_t anchorColumn_ = 0, anchorRow_ = 0;

  std::vector<std::string> history_;
  int32_t historyIndex_ = 0;
};

}  // namespace torvic
