// The settings memory: the 65,536-byte store behind PEEK and POKE.
//
// Most special addresses hold a mirror byte (what PEEK returns) from which a
// setting is derived by a fixed test. This class owns the bytes and their
// creation defaults; the write and read rules of the special addresses
// (PokeByte, PeekByte) are the settings map's (settings_map.h), and the
// tests with their trigger values are the rows of settings_table.h. Other
// parts of the system read settings through the named accessors below,
// never through scattered address literals.
#pragma once

#include <array>
#include <cstdint>

#include "console/settings_table.h"

namespace torvic {

class SettingsMemory {
 public:
  static constexpr uint32_t kSize = 65536;

  SettingsMemory() { ResetToDefaults(); }
  // For an object of static storage (constinit): the bytes with their
  // defaults are the program image's initialised data, so starting writes
  // none of them and the pages a program never writes stay shared.
  struct StaticStorage {};
  explicit constexpr SettingsMemory(StaticStorage) : bytes_(DefaultBytes()) {}

  void ResetToDefaults();

  uint8_t Byte(uint32_t address) const { return bytes_[address & 0xFFFF]; }
  // Stores a mirror byte without any of the address's side effects.
  void SetMirror(uint32_t address, uint8_t value) { bytes_[address & 0xFFFF] = value; }

  // --- named accessors (settings read by more than one part) ---------------
  // CLEAR without names keeps the scalars when address 12420 holds 15.
  bool ClearKeepsScalars() const { return Flag<12420>(); }

  // Line entry and the prompt.
  bool PromptAfterEveryLine() const { return Flag<1966>(); }
  bool NewLineAfterPrompt() const { return Flag<43113>(); }
  int32_t PromptStyle() const { return Byte(41307); }
  int32_t PromptClock() const { return Byte(54801); }  // 119 12-hour, 239 24-hour
  int32_t HistoryLimit() const { return Byte(56136); }
  bool UpperCaseInput() const { return Flag<22469>(); }
  bool InputEcho() const { return Flag<46332>(); }
  bool AutoRepeat() const { return Flag<1967>(); }
  bool PauseKeyEnabled() const { return Flag<11799>(); }
  static constexpr uint32_t kLastLineAddress = 8334;  // length, then the bytes

  // The interpreter's flags with their mirrors (255 on, 0 off).
  static constexpr uint32_t kTraceAddress = 7695;
  static constexpr uint32_t kBreakEnableAddress = 5794;
  static constexpr uint32_t kConfirmAddress = 23792;
  bool BreakEnabled() const { return Flag<kBreakEnableAddress>(); }
  bool Trace() const { return Flag<kTraceAddress>(); }
  bool Confirm() const { return Flag<kConfirmAddress>(); }
  void SetFlag(uint32_t address, bool on) { SetMirror(address, on ? 255 : 0); }

  // The run loop.
  uint8_t StatementDelay() const { return Byte(49542); }
  void SetStatementDelay(uint8_t ms) { SetMirror(49542, ms); }
  bool SyntaxErrorsBypassOnError() const { return Flag<26435>(); }
  bool RestoreColorsAfterRun() const { return Flag<21493>(); }
  bool ClearScreenAfterRun() const { return Flag<10131>(); }
  void ClearClearScreenAfterRun() { SetMirror(10131, 0); }
  // The console statements.
  bool GetNoWait() const { return Flag<15041>(); }
  bool ScreenClearAfterSave() const { return Flag<17984>(); }
  bool ScreenRestoreRepaintOnce() const { return Flag<59325>(); }
  bool AboutShowsSystem() const { return Flag<45254>(); }
  bool CursorOnWait() const { return Flag<32783>(); }
  int32_t ExecWindowCommand() const { return Byte(9388); }
  int32_t ExecCaseConversion() const { return Byte(3800); }  // 64 upper, 128 lower
  int32_t ExecListingStyle() const { return Byte(49549); }
  // The number of saved screen images, mirrored at both addresses.
  static constexpr uint32_t kScreenImageCountAddress = 33307;
  static constexpr uint32_t kScreenImageCountAddress2 = 33934;
  void SetScreenImageCount(uint8_t n) {
    SetMirror(kScreenImageCountAddress, n);
    SetMirror(kScreenImageCountAddress2, n);
  }

  static constexpr uint32_t kRestartAddress = 1032;
  bool RestartRequested() const { return Flag<kRestartAddress>(); }
  // ON TIMER's armed state as PEEK shows it: 1 armed, 0 disarmed (TIMER
  // OFF), 255 stopped (no timer running).
  static constexpr uint32_t kTimerArmedAddress = 51520;
  static constexpr uint8_t kTimerArmed = 1, kTimerDisarmed = 0, kTimerStopped = 255;
  bool TimerArmed() const { return Byte(kTimerArmedAddress) == kTimerArmed; }
  void SetTimerArmed(uint8_t state) { SetMirror(kTimerArmedAddress, state); }

  // --- flags read by later parts (tests and triggers in settings_table.h) --
  // The flag a stored row derives from its byte.
  template <uint16_t Address>
  bool Flag() const {
    return kFlagRuleOf<Address>.Holds(Byte(Address));
  }
  // Printing (font size 0 means 10 points; footer, line numbers, margins).
  uint8_t PrintFontSize() const { return Byte(872); }
  // What POKE stores at 872: 0 keeps the default, and the rest is held to
  // what the printer font can be made at.
  static constexpr uint8_t StoredPrintFontSize(uint8_t v) {
    return v == 0 ? 0 : v < 6 ? 6 : v > 24 ? 24 : v;
  }
  bool PrintWithoutDialog() const { return Flag<2821>(); }
  static constexpr uint32_t kPrintFooterAddress = 847, kPrintLineNumbersAddress = 875,
                            kPrintMarginsAddress = 26892;  // four bytes
  // Listings (the listing statements' own accessors are below).
  bool SearchListingPaged() const { return Flag<30654>(); }
  bool SaveEnabled() const { return Flag<34364>(); }
  // 1 while the start-up program loads: the program-loading statements
  // then compile every stored line again (and set the byte back to 0).
  static constexpr uint32_t kStartupLoadingAddress = 19140;
  bool ForceRecompile() const { return Byte(kStartupLoadingAddress) == 1; }
  // The file-system statements and the volumes listing.
  bool FileCountLine() const { return Flag<7822>(); }
  bool FileProgressLines() const { return Flag<8655>(); }
  bool CatalogSorted() const { return Flag<12393>(); }
  bool CatalogPaged() const { return Flag<13141>(); }
  bool CatalogWide() const { return Flag<42302>(); }
  bool CopyEnabled() const { return Flag<19941>(); }
  bool KillEnabled() const { return Flag<20417>(); }
  bool KillToRecycleBin() const { return Flag<21505>(); }
  bool MoveEnabled() const { return Flag<24795>(); }
  bool RenameEnabled() const { return Flag<25422>(); }
  bool BackupEnabled() const { return Flag<30471>(); }
  bool VolIniEnabled() const { return Flag<34122>(); }
  bool VolumesPaged() const { return Flag<23028>(); }
  bool VolumesWordLayout() const { return Flag<47952>(); }
  uint8_t VolumesLayout() const { return Byte(18320); }
  // Console statements (their own accessors are above).
  bool PagedDump() const { return Flag<53904>(); }
  bool InputRedisplayOption() const { return Flag<20570>(); }
  bool StatusRefreshWhileRunning() const { return Flag<9305>(); }

  // Listing and program editing.
  bool ListingAllowed() const { return Flag<28779>(); }
  bool PagedListing() const { return Flag<6817>(); }
  bool XrefNamesInCapitals() const { return Flag<18450>(); }
  bool RenumKeepsUnnumbered() const { return Flag<39072>(); }

 private:
  // The mirrors whose defaults are not 0. The lock-key mirrors (1107,
  // 1210, 5776) are filled from the real keyboard state by the console view.
  struct Default {
    uint16_t address;
    uint8_t value;
  };
  static constexpr Default kDefaults[] = {
      {872, 10},   {1995, 15},  {5794, 255}, {7822, 238}, {11266, 255}, {26469, 42}, {26892, 50},
      {26893, 50}, {26894, 50}, {26895, 50}, {49565, 1},  {51520, 255}, {56136, 32}, {59250, 15},
  };
  void ApplyDefaults() {
    for (const Default& d : kDefaults) bytes_[d.address] = d.value;
  }
  static constexpr std::array<uint8_t, kSize> DefaultBytes() {
    std::array<uint8_t, kSize> bytes{};
    for (const Default& d : kDefaults) bytes[d.address] = d.value;
    return bytes;
  }

  std::array<uint8_t, kSize> bytes_;  // cleared by the constructors
};

}  // namespace torvic
