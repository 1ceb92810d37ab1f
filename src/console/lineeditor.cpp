#include "console/lineeditor.h"

#include <algorithm>

#include "console/screen.h"
#include "platform/host.h"

namespace torvic {

namespace vk = platform::vk;

void LineEditor::AnchorAtCursor() {
  anchorColumn_ = screen_.Column();
  anchorRow_ = screen_.Row();
}

void LineEditor::Clear() {
  text_.clear();
  position_ = 0;
  AnchorAtCursor();
}

void LineEditor::Redisplay() {
  AnchorAtCursor();
  if (position_ > Length()) position_ = Length();
  Redraw(0, 0);
}

void LineEditor::SetText(std::string_view text, int32_t position) {
  const int32_t old = Length();
  text_.assign(text.substr(0, static_cast<size_t>(kCapacity)));
  position_ = std::clamp(position, 0, Length());
  Redraw(0, std::max(0, old - Length()));
}

void LineEditor::CellOf(int32_t i, int32_t& column, int32_t& row) const {
  const int32_t cell = anchorColumn_ + i;
  column = cell % kScreenColumns;
  row = anchorRow_ + cell / kScreenColumns;
}

void LineEditor::PlaceCursor() {
  int32_t column, row;
  CellOf(position_, column, row);
  // WriteRaw has already scrolled for a line that fills its last row, so
  // the cell exists; the clamp only guards against an inhibited scroll.
  screen_.SetCursor(column, std::clamp(row, 0, kScreenRows - 1));
  screen_.RevealCursor();
}

void LineEditor::Redraw(int32_t from, int32_t erase) {
  if (suppressed_) return;
  from = std::clamp(from, 0, Length());
  int32_t column, row;
  CellOf(from, column, row);
  if (row < 0) {  // the start scrolled off: redraw what is still visible
    from = std::min(Length(), (0 - anchorRow_) * kScreenColumns - anchorColumn_);
    CellOf(from, column, row);
  }
  screen_.SetCursor(column, std::min(row, kScreenRows - 1));
  // The tail and the blanks that erase are drawn in pieces, not built into
  // one string: redrawing never needs storage (the line is shown again
  // when storage has run out).
  const std::string_view tail = std::string_view(text_).substr(static_cast<size_t>(from));
  // Where the drawing must end; WriteRaw scrolls when it passes row 24, and
  // the difference is how far the anchor moved up.
  const int32_t endCell = column + static_cast<int32_t>(tail.size()) + std::max(0, erase);
  const int32_t expectedRow = row + endCell / kScreenColumns;
  // The editor's drawing is not output: the echo file sees the line once,
  // when it is entered.
  EchoSink* echo = screen_.GetEchoSink();
  screen_.SetEchoSink(nullptr);
  screen_.WriteRaw(tail);
  static constexpr std::string_view kBlanks = "                                ";
  for (int32_t left = erase; left > 0; left -= static_cast<int32_t>(kBlanks.size()))
    screen_.WriteRaw(kBlanks.substr(
        0, static_cast<size_t>(std::min<int32_t>(left, static_cast<int32_t>(kBlanks.size())))));
  screen_.SetEchoSink(echo);
  if (screen_.Row() < expectedRow) anchorRow_ -= expectedRow - screen_.Row();
  PlaceCursor();
}

void LineEditor::TypeChar(uint8_t c) {
  const int32_t length = Length();
  if (insert_) {
    if (length >= maxLength_) return;
    text_.insert(text_.begin() + position_, static_cast<char>(c));
  } else {
    if (position_ >= maxLength_) return;
    if (position_ < length) text_[static_cast<size_t>(position_)] = static_cast<char>(c);
    else text_.push_back(static_cast<char>(c));
  }
  const int32_t from = position_++;
  Redraw(from, 0);
}

void LineEditor::Backspace() {
  if (position_ == 0) return;
  text_.erase(static_cast<size_t>(--position_), 1);
  Redraw(position_, 1);
}

void LineEditor::DeleteAtPosition() {
  if (position_ >= Length()) return;
  text_.erase(static_cast<size_t>(position_), 1);
  Redraw(position_, 1);
}

void LineEditor::DeleteAll() {
  const int32_t old = Length();
  text_.clear();
  position_ = 0;
  Redraw(0, old);
}

void LineEditor::DeleteToStart() {
  const int32_t n = position_;
  text_.erase(0, static_cast<size_t>(n));
  position_ = 0;
  Redraw(0, n);
}

void LineEditor::DeleteToEnd() {
  const int32_t n = Length() - position_;
  text_.erase(static_cast<size_t>(position_));
  Redraw(position_, n);
}

void LineEditor::MoveTo(int32_t position) {
  position_ = std::clamp(position, 0, Length());
  if (!suppressed_) PlaceCursor();
}

void LineEditor::Tab(bool shift) {
  if (shift) {
    MoveTo(position_ - std::min(8, position_));
    return;
  }
  int32_t steps = 8;
  if (!insert_) {
    // Overwrite mode walks over the existing text first.
    const int32_t walk = std::min(steps, Length() - position_);
    position_ += walk;
    steps -= walk;
  }
  const int32_t room = maxLength_ - Length();
  const int32_t blanks = std::max(0, std::min(steps, room));
  const int32_t from = position_;
  text_.insert(static_cast<size_t>(position_), static_cast<size_t>(blanks), ' ');
  position_ += blanks;
  Redraw(from, 0);
}

std::vector<int32_t> LineEditor::StatementStarts() const {
  std::vector<int32_t> starts;
  const int32_t n = Length();
  int32_t i = 0;
  while (i < n && text_[i] == ' ') ++i;
  while (i < n && text_[i] >= '0' && text_[i] <= '9') ++i;
  while (i < n && text_[i] == ' ') ++i;
  starts.push_back(i);
  bool quoted = false;
  for (; i < n; ++i) {
    const char c = text_[i];
    if (c == '"') {
      quoted = !quoted;  // a doubled quote closes and reopens: still inside
    } else if (c == ':' && !quoted) {
      int32_t j = i + 1;
      while (j < n && text_[j] == ' ') ++j;
      starts.push_back(j);
    }
  }
  return starts;
}

bool LineEditor::EditingKey(uint32_t key, bool ctrl, bool shift) {
  if (shift) return false;  // no editing key has a Shift form
  switch (key) {
    case vk::kInsert:
      if (ctrl) return false;
      ToggleInsert();
      return true;
    case vk::kDelete: ctrl ? DeleteAll() : DeleteAtPosition(); return true;
    case vk::kHome: ctrl ? DeleteToStart() : MoveTo(0); return true;
    case vk::kEnd: ctrl ? DeleteToEnd() : MoveToEnd(); return true;
    case vk::kLeft:
      if (!ctrl) {
        MoveTo(position_ - 1);
      } else {
        int32_t target = 0;
        for (int32_t s : StatementStarts())
          if (s < position_) target = s;
        MoveTo(target);
      }
      return true;
    case vk::kRight:
      if (!ctrl) {
        MoveTo(position_ + 1);
      } else {
        int32_t target = Length();
        for (int32_t s : StatementStarts())
          if (s > position_) {
            target = s;
            break;
          }
        MoveTo(target);
      }
      return true;
    case vk::kUp:
      if (ctrl) return false;
      MoveTo(position_ > 80 ? position_ - 80 : 0);
      return true;
    case vk::kDown:
      if (ctrl) return false;
      MoveTo(position_ + 80 < Length() ? position_ + 80 : Length());
      return true;
    default: return false;
  }
}

void LineEditor::AddHistory(std::string_view line, int32_t limit) {
  if (limit <= 0) return;
  if (!history_.empty() && history_.back() == line) {
    historyIndex_ = static_cast<int32_t>(history_.size());
    return;
  }
  while (static_cast<int32_t>(history_.size()) >= limit) history_.erase(history_.begin());
  history_.emplace_back(line);
  historyIndex_ = static_cast<int32_t>(history_.size());
}

void LineEditor::ClearHistory() {
  history_.clear();
  historyIndex_ = 0;
}

void LineEditor::HistoryPrevious() {
  if (historyIndex_ <= 0 || history_.empty()) return;
  --historyIndex_;
  SetText(history_[static_cast<size_t>(historyIndex_)], 0);
}

void LineEditor::HistoryNext() {
  if (historyIndex_ + 1 >= static_cast<int32_t>(history_.size())) return;
  ++historyIndex_;
  SetText(history_[static_cast<size_t>(historyIndex_)], 0);
}

}  // namespace torvic
