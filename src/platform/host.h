// The host interfaces: everything the interpreter core needs from its
// surroundings (window system, clock, timers, message boxes, the per-user
// settings store, sound, process control, the screen surface).
//
// The core is plain C++; the desktop window and the batch mode in src/shell
// implement these interfaces on Qt, and tests use ScriptedHost
// (tests/support/scripted_host.h). Each interface stays small: an operation is added by
// the piece of the system that first needs it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvic::platform {

class Surface;  // the pixel bitmap of the console screen (surface.h)

// ---------------------------------------------------------------------------
// Events. Keys use the Windows virtual-key codes: they are the key vocabulary
// of the core (GET of the Up arrow is CHR$(0)+CHR$(38)), whatever the host's
// own keyboard codes are.
namespace vk {
inline constexpr uint32_t kCancel = 3;  // Ctrl+Break
inline constexpr uint32_t kBack = 8;
inline constexpr uint32_t kTab = 9;
inline constexpr uint32_t kReturn = 13;
inline constexpr uint32_t kShift = 16;
inline constexpr uint32_t kControl = 17;
inline constexpr uint32_t kMenu = 18;  // Alt
inline constexpr uint32_t kPause = 19;
inline constexpr uint32_t kCapital = 20;  // Caps Lock
inline constexpr uint32_t kEscape = 27;
inline constexpr uint32_t kSpace = 32;
inline constexpr uint32_t kPrior = 33;  // Page Up
inline constexpr uint32_t kNext = 34;   // Page Down
inline constexpr uint32_t kEnd = 35;
inline constexpr uint32_t kHome = 36;
inline constexpr uint32_t kLeft = 37;
inline constexpr uint32_t kUp = 38;
inline constexpr uint32_t kRight = 39;
inline constexpr uint32_t kDown = 40;
inline constexpr uint32_t kInsert = 45;
inline constexpr uint32_t kDelete = 46;
inline constexpr uint32_t kF1 = 112;  // F1..F12 are 112..123
inline constexpr uint32_t kF12 = 123;
inline constexpr uint32_t kNumLock = 144;
inline constexpr uint32_t kScroll = 145;  // Scroll Lock
}  // namespace vk

// One keyboard message: a key going down (virtual-key code) or a character.
struct KeyEvent {
  uint32_t key = 0;       // virtual-key code (key-down) or character code (char)
  uint32_t repeat = 1;    // repeat count as delivered
  uint32_t flags = 0;     // scan code and flag bits as delivered
  bool ctrl = false;      // Ctrl was down
  bool shift = false;     // Shift was down
  bool isRepeat = false;  // auto-repeat of a key held down
};

// Receives the events the pump dispatches; implemented by the console view.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void OnKeyDown(const KeyEvent& e) = 0;
  virtual void OnChar(const KeyEvent& e) = 0;
  virtual void OnTimer(int timerId) = 0;
};

// What a blocking wait is waiting for. The batch host types its next scripted
// key only when the core waits for the keyboard.
enum class WaitFor { AnyEvent, Keyboard };
// The three lock keys whose toggle states the settings memory mirrors.
enum class LockKey { CapsLock, NumLock, ScrollLock };

enum class WaitResult {
  EventPending,    // an event is ready for PumpOnce
  TimedOut,        // the timeout passed without an event
  InputExhausted,  // no event will ever come (end of scripted or batch input)
};

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void SetSink(EventSink* sink) = 0;
  // Serves at most one pending event (a key-down together with the character
  // it produces counts as one) and never blocks. True when one was served.
  virtual bool PumpOnce() = 0;
  // Cheap: is anything waiting to be served?
  virtual bool AnyPending() = 0;
  // The run loop's turn after every statement: PumpOnce, except for the
  // turns the host has declared quiet, in which nothing can be waiting and
  // its PumpOnce would only count. Inline, so a quiet turn costs a test and
  // a decrement instead of a virtual call.
  bool Turn() {
    if (QuietTurn()) return false;
    return PumpOnce();
  }
  // Takes one of the quiet turns, if any is left: nothing happens in it.
  bool QuietTurn() {
    if (quietTurns_ == 0) return false;
    --quietTurns_;
    return true;
  }
  // The core's way to make the next turn a real one (the pause started, the
  // session is ending). A host grants quiet turns only from a call that
  // served no event, so one served meanwhile cannot undo this.
  void EndQuietTurns() { quietTurns_ = 0; }
  // Blocks until an event is pending, the timeout (milliseconds, negative =
  // none) passes, or no event can ever come. A keyboard wait with timeout 0
  // is a key function asking for a key (INKEY$, GET$): a host that types
  // scripted keys types its next one then, waiting for it to arrive if need
  // be, so what the function sees never depends on timing.
  virtual WaitResult WaitForEvent(WaitFor what, int timeoutMs) = 0;
  // The lock keys, where the desktop lets a program see and change them:
  // the toggle state (nullopt when the desktop does not tell), and a press
  // and release of the key (false when the desktop does not allow it).
  virtual std::optional<bool> LockKeyState(LockKey key) { return std::nullopt; }
  virtual bool PressLockKey(LockKey key) { return false; }

 protected:
  // A host that queues an event ends any quiet turns (SetQuietTurns(0)).
  void SetQuietTurns(uint32_t n) { quietTurns_ = n; }

 private:
  uint32_t quietTurns_ = 0;
};

// When a pump reads its clock. A host looks at its input (and the toolkit,
// the timers) at most once a millisecond; reading the clock on every turn to
// learn whether a millisecond has begun would cost more than a statement. So
// the clock is read on every stride-th turn only, and the stride follows how
// fast the statements run: it doubles while a reading shows the millisecond
// of the one before, and is divided by the milliseconds that passed when
// more than one did. Readings come a few times a millisecond in a tight loop
// and on nearly every turn when statements are slow, so Break and a due
// timer still wait about a millisecond, not a number of statements.
class TurnPacer {
 public:
  static constexpr uint32_t kFirstStride = 16;
  static constexpr uint32_t kMaxStride = 256;

  // The millisecond of the last look at the input (also taken by waits).
  void Looked(uint32_t now) { last_ = now; }
  // Counts a turn: true when this one reads the clock.
  bool Due() {
    if (++turns_ < stride_) return false;
    turns_ = 0;
    return true;
  }
  // The reading of a due turn: true when a millisecond has begun since the
  // last look (the turn looks, and that is remembered).
  bool NewMillisecond(uint32_t now) {
    uint32_t elapsed = now - last_;
    if (elapsed == 0) {
      if (stride_ < kMaxStride) stride_ *= 2;
      return false;
    }
    for (; elapsed > 1 && stride_ > 1; elapsed >>= 1) stride_ >>= 1;
    last_ = now;
    return true;
  }
  // After a turn that found nothing queued: the turns before the next
  // reading, counted now, for the host to declare quiet.
  uint32_t QuietTurns() {
    const uint32_t quiet = stride_ - 1 - turns_;
    turns_ += quiet;
    return quiet;
  }
  uint32_t Stride() const { return stride_; }

 private:
  uint32_t stride_ = kFirstStride;
  uint32_t turns_ = 0;  // since the last reading; always below stride_
  uint32_t last_ = 0;
};

// ---------------------------------------------------------------------------
struct LocalTime {
  int year = 1601, month = 1, day = 1;  // month 1..12, day 1..31
  int dayOfWeek = 1;                    // 0 = Sunday
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t TickCount() = 0;  // milliseconds since some start, wraps
  virtual LocalTime Now() = 0;       // local date and time
  virtual void Sleep(uint32_t ms) = 0;
};

// Window timers by identifier (1 drives ON TIMER, 2 keeps the caret steady).
// A timer fires repeatedly as an OnTimer event through the pump.
class Timers {
 public:
  virtual ~Timers() = default;
  virtual bool SetTimer(int id, uint32_t intervalMs) = 0;  // (re)start
  virtual void KillTimer(int id) = 0;
};

// ---------------------------------------------------------------------------
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
enum class Icon { None, Information, Exclamation, Stop, Question };
enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// The volume file dialog of LOAD?, SAVE? and of the save that the exit
// question offers: a BASIC file name ("VOLUME:NAME.EXT") and the file type
// chosen with it.
enum class FileDialogMode { Open, Save };
struct FileChoice {
  std::string name;     // a BASIC file name
  bool asText = false;  // the type "ASCII file (*.txt)": a text program
};
enum class FileDialogResult {
  Chosen,
  Cancelled,
  // The host draws no such dialog: the interpreter asks for the name on the
  // console line instead (engine/program_files.h).
  AskOnConsole,
};

// The volume file dialog: what it is opened for, and the file types it
// offers ("TORVIC program (*.tvc)", "ASCII file (*.txt)", "All files (*.*)").
enum class FileDialogPurpose { Open, Save };
enum class ProgramFileType { Program, Text, All };
struct ChosenFile {
  std::string volume;  // the volume the file is on
  std::string name;    // NAME.EXT on that volume
  ProgramFileType type = ProgramFileType::Program;
  std::string BasicName() const { return volume + ":" + name; }
};

// The frame window's commands that statements reach: SYS 0..4, MENU,
// EXEC 2350 (with the window command of settings address 9388) and RESIZE.
enum class WindowCommand {
  PrintSetup,   // SYS 0
  Print,        // SYS 1
  Volumes,      // SYS 2: the Volumes dialog
  Font,         // SYS 3: the font dialog
  ContextMenu,  // SYS 4 and MENU: the context menu at the caret
  Minimize,     // EXEC 2350 with 1
  Maximize,     // ... with 6
  Restore,      // ... with 8
  Resize,       // ... with 15, and RESIZE: fit the window to the screen
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual Answer MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                            Icon icon) = 0;
  virtual FileDialogResult ChooseFile(FileDialogMode mode, FileChoice& choice) = 0;
  // Performs a command of the frame window; false when this host has no
  // window to perform it in (the statement then answers "?Not supported").
  virtual bool PerformWindowCommand(WindowCommand command) = 0;
  // Opens the help viewer at a topic, or at the contents when `topic` is
  // empty; false when this host has no viewer (HELP then writes the topic
  // on the console).
  virtual bool ShowHelp(std::string_view topic) { return false; }
};

// The per-user settings store: keys with sub-keys under the application's own
// key (a path such as "Settings" or "Volumes/WORK"), each holding named
// 32-bit numbers, strings and byte blocks.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<uint32_t> GetNumber(std::string_view key, std::string_view name) = 0;
  virtual bool SetNumber(std::string_view key, std::string_view name, uint32_t value) = 0;
  virtual std::optional<std::string> GetString(std::string_view key, std::string_view name) = 0;
  virtual bool SetString(std::string_view key, std::string_view name, std::string_view value) = 0;
  virtual std::optional<std::vector<uint8_t>> GetBytes(std::string_view key,
                                                       std::string_view name) = 0;
  virtual bool SetBytes(std::string_view key, std::string_view name,
                        const std::vector<uint8_t>& value) = 0;
  virtual bool KeyExists(std::string_view key) = 0;
  virtual bool CreateKey(std::string_view key) = 0;
  virtual std::vector<std::string> EnumSubKeys(std::string_view key) = 0;  // direct children
  virtual bool DeleteKey(std::string_view key) = 0;                        // with its sub-keys
};

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void Beep() = 0;  // the desktop's default beep
  // Starts a tone of `ms` milliseconds and returns at once. SOUND blocks for
  // the length itself, serving the event pump meanwhile, so that Break and
  // closing the window end a tone of any length within a few milliseconds;
  // StopTone silences a tone whose wait ended early.
  virtual void StartTone(uint32_t hertz, uint32_t ms) = 0;
  virtual void StopTone() = 0;
};

class Process {
 public:
  virtual ~Process() = default;
  virtual bool StartSecondInstance() = 0;
  virtual void SetRestartAtExit(bool restart) = 0;
  virtual void SetWindowTitle(std::string_view title) = 0;
  virtual std::string WindowTitle() = 0;
};

// Everything the core may reach, handed to it at creation.
struct Host {
  EventPump& pump;
  Clock& clock;
  Timers& timers;
  Dialogs& dialogs;
  SettingsStore& settings;
  Sound& sound;
  Process& process;
  Surface* surface = nullptr;  // the console screen's pixels
};

}  // namespace torvic::platform
