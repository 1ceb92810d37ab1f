// The status bar's panes, in order, as data: the message pane, the current
// volume, the mode, INS/OVR, and the indicators that are lit or dark. The
// frame reads them from the interpreter after a pump turn and redraws only
// the panes that changed, so the run loop never waits for the status bar.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace torvic {
class Interpreter;
}

namespace torvic::shell {

inline constexpr std::string_view kIdleMessage = "For Help, press F1";
// The volume pane is always wide enough for this text.
inline constexpr std::string_view kVolumePaneSample = "<<DEFAULT VOLUME>>";

// The indicator panes after INS/OVR, in order. LOG, PROF, DBG, AUTO and
// HIDDEN stand for features this system does not have: never lit.
enum class Indicator {
  Modified,
  Pause,
  Break,
  Trace,
  Confirm,
  Secure,
  Log,
  Profile,
  Debug,
  Auto,
  Hidden,
  CapsLock,
  NumLock,
  ScrollLock,
  kCount
};
inline constexpr std::array<std::string_view, static_cast<size_t>(Indicator::kCount)>
    kIndicatorTexts = {"MOD",  "PAUSE", "BRK",  "TRC",    "CNFRM", "SECURE", "LOG",
                       "PROF", "DBG",   "AUTO", "HIDDEN", "CAP",   "NUM",    "SCRL"};

struct StatusPanes {
  std::string message;  // kIdleMessage or "Executing..."
  std::string volume;   // the current volume's name
  std::string mode;     // "PRG", "EDT", "IMM" or "CMD"
  std::string insert;   // "INS" or "OVR"
  std::array<bool, static_cast<size_t>(Indicator::kCount)> lit{};
  bool executing = false;  // a line or program executes (menu items disabled)
  bool Lit(Indicator i) const { return lit[static_cast<size_t>(i)]; }
  friend bool operator==(const StatusPanes&, const StatusPanes&) = default;
};

StatusPanes ReadStatusPanes(Interpreter& in);

}  // namespace torvic::shell
