#include "console/line_entry.h"

#include <new>
#include <optional>

#include "console/screen.h"
#include "console/settings.h"

namespace torvic {

namespace vk = platform::vk;

namespace {

bool IsModifierOrLock(uint32_t key) {
  switch (key) {
    case vk::kShift:
    case vk::kControl:
    case vk::kMenu:
    case vk::kCapital:
    case vk::kNumLock:
    case vk::kScroll: return true;
    default: return false;
  }
}

std::optional<platform::LockKey> LockKeyOf(uint32_t key) {
  switch (key) {
    case vk::kCapital: return platform::LockKey::CapsLock;
    case vk::kNumLock: return platform::LockKey::NumLock;
    case vk::kScroll: return platform::LockKey::ScrollLock;
    default: return std::nullopt;
  }
}

KeyRecord RecordOf(const platform::KeyEvent& e, uint32_t key) {
  KeyRecord r;
  r.key = key;
  r.repeat = e.repeat;
  r.flags = e.flags;
  r.ctrl = e.ctrl;
  r.shift = e.shift;
  return r;
}

}  // namespace

LineEntry::LineEntry(ConsoleScreen& screen, SettingsMemory& memory, platform::Sound& sound,
                     LineEntryOwner& owner)
    : screen_(screen), memory_(memory), sound_(sound), owner_(owner), editor_(screen) {}

void LineEntry::KeyDown(const platform::KeyEvent& e) {
  if (e.isRepeat && !memory_.AutoRepeat()) return;
  // The Pause key is taken before the view sees it: it toggles the pause.
  if (e.key == vk::kPause && !e.ctrl && !e.shift && memory_.PauseKeyEnabled()) {
    owner_.PausePressed();
    return;
  }
  const bool isBreak = e.key == vk::kCancel && e.ctrl && !e.shift;
  if ((mode_ == kExecuting || draining_) && !isBreak && !IsModifierOrLock(e.key)) {
    QueueKey(RecordOf(e, e.key), /*keyDown=*/true);
    return;
  }
  if (isBreak) {
    owner_.BreakPressed();
    return;
  }
  if (IsModifierOrLock(e.key)) {
    // A lock key's new state is read again into its settings mirror.
    if (const std::optional<platform::LockKey> lock = LockKeyOf(e.key))
      owner_.LockKeyPressed(*lock);
    return;
  }
  EditingKeyDown(e);
}

void LineEntry::EditingKeyDown(const platform::KeyEvent& e) {
  if (editor_.EditingKey(e.key, e.ctrl, e.shift)) return;
  if (mode_ != kIdle || e.ctrl) return;  // the function keys act at the prompt only
  switch (e.key) {
    case vk::kF1 + 4:  // F5: run
      if (e.shift) return;
      editor_.SetText("run", 3);
      EditingChar(13, false);
      return;
    case vk::kF1 + 7: {  // F8: back to the last error
      if (e.shift) return;
      // A stored line comes back as a numbered line to edit: Enter stores
      // it again, as the line editor of EDIT would.
      std::string storedLine;
      int32_t position = 0;
      if (!owner_.TakeErrorPlace(storedLine, position)) return;
      editor_.SetText(storedLine.empty() ? lastEntered_ : storedLine, position);
      return;
    }
    case vk::kF1 + 8:  // F9 / Shift+F9: the history
      e.shift ? editor_.HistoryNext() : editor_.HistoryPrevious();
      return;
    case vk::kF12:
      if (e.shift) return;
      screen_.ClearScreen();
      editor_.Clear();
      if (memory_.PromptAfterEveryLine()) {
        owner_.PrintPrompt();
        editor_.Clear();
        screen_.ShowCursor(true);
      }
      return;
    default: return;
  }
}

void LineEntry::Char(const platform::KeyEvent& e) {
  if (e.isRepeat && !memory_.AutoRepeat()) return;
  uint32_t c = e.key & 0xFF;
  if (memory_.UpperCaseInput() && c >= 'a' && c <= 'z') c -= 32;
  if (mode_ == kExecuting || draining_) {
    QueueKey(RecordOf(e, c), /*keyDown=*/false);
    return;
  }
  EditingChar(c, e.shift);
}

void LineEntry::QueueKey(const KeyRecord& r, bool keyDown) {
  // The queue is charged to the memory budget. A key that finds no room is
  // dropped with a beep, as a full keyboard buffer drops it: no statement
  // asked for it, so there is none to fail.
  try {
    if (keyDown) keys_.PushKeyDown(r);
    else keys_.PushChar(r);
  } catch (const std::bad_alloc&) { sound_.Beep(); }
}

void LineEntry::EditingChar(uint32_t c, bool shift) {
  switch (c) {
    case 13:
    case 10: {
      editor_.MoveToEnd();
      // The entered line reaches the echo file (not while typing), except
      // a line typed with the echo off, which must stay unseen.
      if (EchoSink* echo = screen_.GetEchoSink(); echo && !editor_.EchoSuppressed())
        echo->Echo(reinterpret_cast<const uint8_t*>(editor_.Text().data()), editor_.Text().size());
      if (mode_ == kIdle) owner_.LineEntered();
      else if (mode_ == kEditingLine || mode_ == kReadingInput) end_ = InputEnd::Accepted;
      return;
    }
    case 27:
      if (mode_ == kEditingLine) {
        editor_.MoveToEnd();
        if (screen_.Column() != 0) screen_.NewLine();
        screen_.WriteText("Cancel");
        screen_.NewLine();
        end_ = InputEnd::Cancelled;
      } else {
        editor_.DeleteAll();
      }
      return;
    case 8: editor_.Backspace(); return;
    case 9:
      if (mode_ == kIdle || mode_ == kEditingLine || mode_ == kReadingInput) editor_.Tab(shift);
      return;
    default: editor_.TypeChar(static_cast<uint8_t>(c)); return;
  }
}

void LineEntry::DrainKeyQueue() {
  while (!keys_.Empty() && mode_ != kExecuting) {
    // Keys that arrive while the queue is replayed join it at the back, so
    // type-ahead keeps its order.
    draining_ = true;
    owner_.ServeEvents();
    draining_ = false;
    if (keys_.Empty() || mode_ == kExecuting) break;
    const KeyRecord r = keys_.Pop();
    platform::KeyEvent e;
    e.key = r.key;
    e.repeat = r.repeat;
    e.flags = r.flags;
    e.ctrl = r.ctrl;
    e.shift = r.shift;
    if (r.kind == KeyRecord::kKeyDown) {
      if (e.key == vk::kCancel && e.ctrl) owner_.BreakPressed();
      else EditingKeyDown(e);
    } else EditingChar(r.key, r.shift);
  }
}

// ---------------------------------------------------------------------------
// Reads

bool LineEntry::WaitForLine() {
  while (end_ == InputEnd::None && owner_.KeyboardTurn()) {}
  return end_ == InputEnd::Accepted;
}

bool LineEntry::ReadLine(bool clearFirst) {
  mode_ = kReadingInput;
  end_ = InputEnd::None;
  editor_.SetEchoSuppressed(!memory_.InputEcho());
  if (clearFirst) editor_.Clear();
  else editor_.Redisplay();
  const bool wasVisible = screen_.CursorVisible();
  screen_.ShowCursor(true);
  bool ok = false;
  try {
    DrainKeyQueue();
    ok = WaitForLine();
  } catch (const std::bad_alloc&) {
    // The statement reads on no more: it fails with the mode put back.
    mode_ = kExecuting;
    editor_.SetEchoSuppressed(false);
    throw;
  }
  mode_ = kExecuting;
  editor_.SetEchoSuppressed(false);
  screen_.ShowCursor(wasVisible);
  return ok;
}

bool LineEntry::EditText(std::string_view text, int32_t position) {
  const int32_t saved = mode_;
  editor_.Clear();
  mode_ = kEditingLine;
  end_ = InputEnd::None;
  editor_.SetText(text, position < 0 ? static_cast<int32_t>(text.size()) : position);
  screen_.ShowCursor(true);
  bool ok = false;
  try {
    DrainKeyQueue();
    ok = WaitForLine();
  } catch (const std::bad_alloc&) {
    mode_ = saved;
    throw;
  }
  mode_ = saved;
  return ok;
}

bool LineEntry::AskYesNo(std::string_view question) {
  if (screen_.Column() != 0) screen_.NewLine();
  screen_.WriteText(question);
  screen_.WriteText(" ");
  const int32_t column = screen_.Column(), row = screen_.Row();
  editor_.SetMaxLength(1);
  bool answer = false;
  for (;;) {
    screen_.SetCursor(column, row);
    screen_.WriteRaw(" ");  // erase the reply cell
    screen_.SetCursor(column, row);
    if (!ReadLine(true)) break;
    const char c = editor_.Text().empty() ? '\0' : editor_.Text()[0];
    if (c == 'Y' || c == 'y' || c == 'N' || c == 'n') {
      answer = c == 'Y' || c == 'y';
      screen_.NewLine();
      break;
    }
  }
  editor_.SetMaxLength(LineEditor::kCapacity);
  return answer;
}

PartialInput LineEntry::SavePartialInput() const {
  return {editor_.Text(), editor_.Position(), editor_.MaxLength()};
}

void LineEntry::RestorePartialInput(const PartialInput& saved) {
  if (screen_.Column() != 0) screen_.NewLine();
  editor_.Clear();
  editor_.SetMaxLength(saved.maxLength);
  editor_.SetEchoSuppressed(!memory_.InputEcho());
  editor_.SetText(saved.text, saved.position);
  end_ = InputEnd::None;
}

}  // namespace torvic
