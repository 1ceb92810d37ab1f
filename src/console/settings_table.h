// The settings memory's address tables, written once as data: what a write
// to a special address does (kWriteRows) and which addresses read live
// values (kReadRows). PokeByte and PeekByte (settings_map.h) walk these
// rows; the named accessors of SettingsMemory take their trigger values
// from here at compile time (FlagRuleAt), so a trigger is written once.
//
// A row's test derives a boolean setting from the written byte V: Equal
// means flag = (V == trigger), NotEqual flag = (V != trigger). A row that
// stores keeps V (after its action's conversion) as the mirror PEEK
// returns; a row that does not store is an action: it runs when its test
// holds (always for test None) and leaves the byte as it was.
#pragma once

#include <cstddef>
#include <cstdint>

namespace torvic {

enum class SettingTest : uint8_t { None, Equal, NotEqual };

// What a write does beside storing. Actions on the screen, the line editor
// and the key queue are performed by the map itself; the rest reach the
// interpreter through SettingsMachine.
enum class SettingAction : uint8_t {
  None,
  PrintFontSize,  // 0 stays, 1..5 become 6, above 24 become 24
  RestartOnExit,  // the restart request follows the flag
  NumLock,
  ScrollLock,
  CapsLock,        // toggle the key when its state differs
  RecoverProgram,  // put back the program the last NEW discarded
  TextColor,       // 16 and above become 0; applies at once, inverse off
  BackColor,       // 16 and above become 15; applies at once, inverse off
  EmptyKeyQueue,
  Inverse,
  ClearOptions,  // writes 0 to 10516, 12420 and 15041
  ScrollInhibit,
  RestartAndRenew,  // restart on exit, NEW, clear screen, ABOUT's text
  ScrollOneRow,
  CoordinateOrder,
  MarginColor,
  PauseKey,  // turning the Pause key off releases a pause
  CharacterSet,
  SteadyCursor,
  ClearHistory,
  ReseedFromClock,
  DefaultColors,  // text 0 on background 15
  ControlCharacters,
  Escapes,
  CursorVisible,
  ResetDataPointer,
  TimerEvents,   // 0 off, 1 on, anything else stops the timer
  HistoryLimit,  // clears the history; the byte is the new limit
};

struct SettingRow {
  uint16_t address;
  SettingTest test;
  uint8_t trigger;
  bool stores;
  SettingAction action;
};

namespace settings_rows {
using T = SettingTest;
using A = SettingAction;
constexpr bool kStore = true, kAct = false;

// The write table, in address order. Addresses without a row simply store.
inline constexpr SettingRow kWriteRows[] = {
    // address, test, trigger, stores, action            setting
    {872, T::None, 0, kStore, A::PrintFontSize},    // printing font size (0: 10 points)
    {1032, T::Equal, 3, kStore, A::RestartOnExit},  // restart on exit, one shot at INIT
    {1107, T::Equal, 255, kStore, A::NumLock},
    {1210, T::Equal, 255, kStore, A::ScrollLock},  // also stops scrolling
    {1966, T::Equal, 34, kStore, A::None},         // prompt after every line
    {1967, T::NotEqual, 18, kStore, A::None},      // key auto-repeat accepted
    {1969, T::Equal, 224, kAct, A::RecoverProgram},
    {1994, T::None, 0, kStore, A::TextColor},
    {1995, T::None, 0, kStore, A::BackColor},
    {1999, T::Equal, 117, kAct, A::EmptyKeyQueue},
    {2821, T::Equal, 15, kStore, A::None},  // print without the dialog
    {3998, T::Equal, 255, kStore, A::Inverse},
    {4879, T::Equal, 5, kAct, A::ClearOptions},
    {5776, T::Equal, 255, kStore, A::CapsLock},
    {5794, T::Equal, 255, kStore, A::None},           // Ctrl+Break enabled
    {6023, T::Equal, 128, kStore, A::ScrollInhibit},  // one shot
    {6732, T::None, 0, kAct, A::RestartAndRenew},
    {6809, T::Equal, 2, kStore, A::None},    // nothing reads it
    {6817, T::Equal, 255, kStore, A::None},  // paged program listing
    {7695, T::Equal, 255, kStore, A::None},  // trace
    {7822, T::Equal, 238, kStore, A::None},  // file statements' count line
    {8204, T::Equal, 2, kAct, A::ScrollOneRow},
    {8655, T::Equal, 15, kStore, A::None},    // file statements' progress lines
    {9305, T::NotEqual, 5, kStore, A::None},  // status refresh while running
    {10131, T::Equal, 8, kStore, A::None},    // clear screen when the run ends
    {10516, T::Equal, 2, kStore, A::CoordinateOrder},
    {11266, T::None, 0, kStore, A::MarginColor},  // 16 and above: none
    {11799, T::NotEqual, 128, kStore, A::PauseKey},
    {12393, T::Equal, 255, kStore, A::None},   // catalogue sorted by name
    {12420, T::Equal, 15, kStore, A::None},    // CLEAR keeps the scalars
    {12454, T::NotEqual, 5, kStore, A::None},  // nothing reads it
    {13141, T::Equal, 255, kStore, A::None},   // catalogue pages
    {15041, T::Equal, 7, kStore, A::None},     // GET does not wait
    {17984, T::NotEqual, 2, kStore, A::None},  // clear after SCREEN save
    {18450, T::NotEqual, 4, kStore, A::None},  // $XREF in capitals
    {19941, T::NotEqual, 5, kStore, A::None},  // COPY enabled
    {20417, T::NotEqual, 5, kStore, A::None},  // KILL enabled
    {20570, T::Equal, 38, kStore, A::None},    // input-line redisplay option
    {21493, T::Equal, 128, kStore, A::None},   // restore colours after a run
    {21505, T::Equal, 1, kStore, A::None},     // KILL to the recycle bin
    {22469, T::Equal, 255, kStore, A::None},   // upper-case input
    {23028, T::Equal, 255, kStore, A::None},   // VOLUMES pages
    {23168, T::Equal, 224, kStore, A::SteadyCursor},
    {23792, T::Equal, 255, kStore, A::None},  // confirmations
    {24352, T::Equal, 128, kAct, A::ClearHistory},
    {24795, T::NotEqual, 5, kStore, A::None},    // MOVE enabled
    {25422, T::NotEqual, 5, kStore, A::None},    // RENAME enabled
    {26435, T::Equal, 197, kStore, A::None},     // syntax errors bypass ON ERROR
    {28779, T::NotEqual, 32, kStore, A::None},   // LIST allowed
    {29538, T::None, 0, kAct, A::CharacterSet},  // the screen keeps the byte
    {30471, T::NotEqual, 32, kStore, A::None},   // BACKUP enabled
    {30654, T::Equal, 255, kStore, A::None},     // program-search listing pages
    {32783, T::NotEqual, 5, kStore, A::None},    // cursor at "Press any key"
    {34122, T::NotEqual, 32, kStore, A::None},   // VOLINI enabled
    {34352, T::Equal, 5, kAct, A::ReseedFromClock},
    {34364, T::NotEqual, 5, kStore, A::None},  // SAVE enabled
    {38829, T::Equal, 8, kAct, A::DefaultColors},
    {39072, T::Equal, 1, kStore, A::None},  // RENUM keeps unnumbered lines
    {41223, T::NotEqual, 146, kStore, A::ControlCharacters},
    {41307, T::None, 0, kStore, A::None},        // prompt style
    {42302, T::Equal, 255, kStore, A::None},     // wide catalogue
    {43113, T::NotEqual, 127, kStore, A::None},  // new row after the prompt
    {45254, T::Equal, 20, kStore, A::None},      // ABOUT adds system information
    {46090, T::NotEqual, 214, kStore, A::Escapes},
    {46332, T::NotEqual, 5, kStore, A::None},  // echo while a program reads
    {47952, T::Equal, 80, kStore, A::None},    // VOLUMES word layout
    {49565, T::Equal, 1, kStore, A::CursorVisible},
    {49864, T::NotEqual, 5, kStore, A::None},  // nothing reads it
    {49956, T::Equal, 2, kAct, A::ResetDataPointer},
    {51520, T::None, 0, kAct, A::TimerEvents},  // keeps its own mirror
    {53904, T::Equal, 255, kStore, A::None},    // paged DUMP and TYPE
    {54801, T::None, 0, kStore, A::None},       // prompt clock: 119 or 239
    {56136, T::None, 0, kStore, A::HistoryLimit},
    {59325, T::Equal, 255, kStore, A::None},  // SCREEN restores paint once
};
}  // namespace settings_rows
using settings_rows::kWriteRows;

// Live reads. Fixed rows return their value; the others are answered by
// the screen (the map) or the interpreter (SettingsMachine::Live).
enum class LiveValue : uint8_t {
  Fixed,
  Info,             // the INFO function for the same argument
  ArmedTraps,       // bit 0 error, bit 1 break, bit 2 timer set
  FrameState,       // 1 minimised, 8 maximised, else 0
  RunningHandlers,  // bit 0 error, bit 1 break, bit 2 timer handler running
  EchoFileAttached,
  OsMinorVersion,
  OsMajorVersion,
  KeyWaiting,
  LastError,
  StoppedDepth,  // immediate mode nested in a paused program, low byte
  SavedScreenImages,
  DataPointerInProgram,
  OpenDataFiles,
  RandomByte,
  // Answered by the screen.
  CharacterSet,
  DeferredUpdate,  // 128 while LOCK is open
  KeyboardFocus,
  FontPoints,
};

struct ReadRow {
  uint16_t address;
  LiveValue value;
  uint8_t fixed;  // the value of a Fixed row
};

inline constexpr ReadRow kReadRows[] = {
    {23, LiveValue::Fixed, 1},
    {36, LiveValue::Info, 0},
    {586, LiveValue::ArmedTraps, 0},
    {631, LiveValue::Fixed, 10},
    {677, LiveValue::FrameState, 0},
    {704, LiveValue::RunningHandlers, 0},
    {706, LiveValue::EchoFileAttached, 0},
    {3943, LiveValue::OsMinorVersion, 0},
    {3944, LiveValue::OsMajorVersion, 0},
    {5025, LiveValue::KeyWaiting, 0},
    {9591, LiveValue::LastError, 0},
    {17654, LiveValue::StoppedDepth, 0},
    {21998, LiveValue::Fixed, 25},  // screen rows
    {21999, LiveValue::Fixed, 80},  // screen columns
    {27616, LiveValue::Fixed, 0},
    {27617, LiveValue::Fixed, 15},
    {29538, LiveValue::CharacterSet, 0},
    {33307, LiveValue::SavedScreenImages, 0},
    {33934, LiveValue::SavedScreenImages, 0},
    {38360, LiveValue::DataPointerInProgram, 0},
    {39038, LiveValue::Fixed, 8},
    {54336, LiveValue::OpenDataFiles, 0},
    {59125, LiveValue::DeferredUpdate, 0},
    {61345, LiveValue::KeyboardFocus, 0},
    {61803, LiveValue::FontPoints, 0},
    {65104, LiveValue::RandomByte, 0},
};

// The boolean test of a flag row, for the named accessors.
struct FlagRule {
  uint16_t address;
  uint8_t trigger;
  bool onWhenEqual;
  constexpr bool Holds(uint8_t v) const { return onWhenEqual ? v == trigger : v != trigger; }
};

// The flag rule of a stored row; through kFlagRuleOf, an address whose row
// has no test is a compile error.
constexpr FlagRule FlagRuleAt(uint16_t address) {
  for (const SettingRow& r : kWriteRows)
    if (r.address == address && r.stores && r.test != SettingTest::None)
      return {address, r.trigger, r.test == SettingTest::Equal};
  throw "no flag row at this address";
}
// The same as a constant per address (evaluated once, at compile time).
template <uint16_t Address>
inline constexpr FlagRule kFlagRuleOf = FlagRuleAt(Address);

}  // namespace torvic
