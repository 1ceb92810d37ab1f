#include "console/settings_map.h"

#include "base/errors.h"
#include "console/key_queue.h"
#include "console/lineeditor.h"
#include "console/palette.h"
#include "console/screen.h"
#include "console/settings.h"

namespace torvic {

namespace {

const SettingRow* FindWriteRow(uint32_t address) {
  for (const SettingRow& r : kWriteRows)
    if (r.address == address) return &r;
  return nullptr;
}

const ReadRow* FindReadRow(uint32_t address) {
  for (const ReadRow& r : kReadRows)
    if (r.address == address) return &r;
  return nullptr;
}

}  // namespace

int32_t SettingsMap::PokeByte(uint32_t address, uint8_t value) {
  address &= kTop;
  const SettingRow* row = FindWriteRow(address);
  if (!row) {
    memory_.SetMirror(address, value);
    return kOk;
  }
  const bool flag = row->test == SettingTest::Equal      ? value == row->trigger
                    : row->test == SettingTest::NotEqual ? value != row->trigger
                                                         : true;
  // An action row does nothing (and stores nothing) unless its test holds.
  if (!row->stores && !flag) return kOk;
  const int32_t r = Perform(*row, value, flag);
  if (r != kOk) return r;
  // Stored after the action, so the mirror is the written byte even where
  // the action rewrote it from the setting (colours, screen flags).
  if (row->stores) memory_.SetMirror(address, value);
  return kOk;
}

int32_t SettingsMap::Perform(const SettingRow& row, uint8_t& value, bool flag) {
  using A = SettingAction;
  switch (row.action) {
    case A::None: return kOk;
    case A::PrintFontSize: value = SettingsMemory::StoredPrintFontSize(value); return kOk;
    case A::RestartOnExit: machine_.SetRestartOnExit(flag); return kOk;
    case A::NumLock: machine_.SetLockKey(platform::LockKey::NumLock, flag); return kOk;
    case A::CapsLock: machine_.SetLockKey(platform::LockKey::CapsLock, flag); return kOk;
    case A::ScrollLock:
      machine_.SetLockKey(platform::LockKey::ScrollLock, flag);
      screen_.SetScrollLock(flag);
      return kOk;
    case A::RecoverProgram: return machine_.RecoverDiscardedProgram();
    case A::TextColor:
      if (value >= kPaletteSize) value = 0;
      screen_.SetColors(value, screen_.BackColor());
      return kOk;
    case A::BackColor:
      if (value >= kPaletteSize) value = 15;
      screen_.SetColors(screen_.TextColor(), value);
      return kOk;
    case A::EmptyKeyQueue: keys_.Clear(); return kOk;
    case A::Inverse: screen_.SetInverse(flag); return kOk;
    case A::ClearOptions:
      // Through PokeByte, so the coordinate order reaches the screen.
      for (uint32_t a : {10516u, 12420u, 15041u}) PokeByte(a, 0);
      return kOk;
    case A::ScrollInhibit: screen_.SetScrollInhibit(flag); return kOk;
    case A::RestartAndRenew: return machine_.RestartAndRenew();
    case A::ScrollOneRow: screen_.ScrollUp(); return kOk;
    case A::CoordinateOrder: screen_.SetCoordinateOrder(flag); return kOk;
    case A::MarginColor: screen_.SetMarginColor(value); return kOk;
    case A::PauseKey:
      if (!flag) machine_.ReleasePause();
      return kOk;
    case A::CharacterSet: return screen_.SetCharacterSet(value);
    case A::SteadyCursor: screen_.SetSteadyCursor(flag); return kOk;
    case A::ClearHistory: editor_.ClearHistory(); return kOk;
    case A::ReseedFromClock: machine_.ReseedFromClock(); return kOk;
    case A::DefaultColors: screen_.SetColors(0, 15); return kOk;
    case A::ControlCharacters: screen_.SetControlCharacters(flag); return kOk;
    case A::Escapes: screen_.SetEscapes(flag); return kOk;
    case A::CursorVisible: screen_.ShowCursor(flag); return kOk;
    case A::ResetDataPointer: machine_.ResetDataPointer(); return kOk;
    case A::TimerEvents: return machine_.TimerEvents(value);
    case A::HistoryLimit: editor_.ClearHistory(); return kOk;
  }
  return kOk;
}

int32_t SettingsMap::PokeBytes(uint32_t address, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (address > kTop) return kErrFunctionCallError;
    if (const int32_t r = PokeByte(address, bytes[i]); r != kOk) return r;
    ++address;
  }
  return kOk;
}

int32_t SettingsMap::PeekByte(uint32_t address) {
  address &= kTop;
  const ReadRow* row = FindReadRow(address);
  if (!row) return memory_.Byte(address);
  switch (row->value) {
    case LiveValue::Fixed: return row->fixed;
    case LiveValue::CharacterSet: return screen_.Charset() & 0xFF;
    case LiveValue::DeferredUpdate: return screen_.Deferred() ? 128 : 0;
    case LiveValue::KeyboardFocus: return screen_.Caret().hasFocus ? 1 : 0;
    case LiveValue::FontPoints: return screen_.FontPoints() & 0xFF;
    default: return machine_.Live(row->value, address) & 0xFF;
  }
}

}  // namespace torvic
