#include "expr/system_values.h"

#include <string>
#include <string_view>

#include "console/screen.h"
#include "base/errors.h"
#include "expr/date_functions.h"
#include "expr/evaluator.h"
#include "expr/numeric_rules.h"
#include "platform/host.h"
#include "platform/system_info.h"

namespace torvic {

namespace {

constexpr std::string_view kApplicationTitle = "TORVIC";
constexpr size_t kMaxTitle = 259;

// The banner's lines: the version, the copyright, the console's description.
constexpr size_t kVersionLine = 0, kCopyrightLine = 1, kDescriptionLine = 2;

// n rounded half up, 0..255.
bool RowOf(double n, int& row) {
  const double r = RoundHalfUp(n);
  if (!(r >= 0 && r <= 255)) return false;
  row = static_cast<int>(r);
  return true;
}

// The host's description and the executable's time do not change while
// the program runs: read once.
const std::string& HostText() {
  static const std::string text = platform::HostDescription();
  return text;
}

double ExecutableTimeValue() {
  static const double value = [] {
    const std::optional<platform::LocalTime> t = platform::ExecutableTime();
    return t ? static_cast<double>(TimeValueOfLocal(*t)) : 0.0;
  }();
  return value;
}

}  // namespace

int32_t FnVer(CallContext&, const CValue*, int, CValue& result) {
  result.SetString(ConsoleScreen::kBannerLines[kVersionLine]);
  return kOk;
}

int32_t FnCopyright(CallContext&, const CValue*, int, CValue& result) {
  result.SetString(ConsoleScreen::kBannerLines[kCopyrightLine]);
  return kOk;
}

int32_t FnHost(CallContext&, const CValue*, int, CValue& result) {
  result.SetString(std::string_view(HostText()).substr(0, CBasicString::kMaxLength));
  return kOk;
}

int32_t FnTitle(CallContext& ctx, const CValue*, int, CValue& result) {
  platform::Host* host = ctx.env.Host();
  const std::string title = host ? host->process.WindowTitle() : std::string(kApplicationTitle);
  result.SetString(std::string_view(title).substr(0, kMaxTitle));
  return kOk;
}

int32_t FnCbt(CallContext&, const CValue*, int, CValue& result) {
  result.SetNumber(platform::Desktop().caretBlinkMs);
  return kOk;
}

bool InfoOfTheSystem(CallContext& ctx, int row, double& value) {
  switch (row) {
    case 6:
    case 11:
    case 24:
    case 25:
    case 33:
    case 34:
      value = 0;
      ctx.env.InterpreterInfo(row, value);
      return true;
    case 13: value = kReleaseBuild; return true;
    case 19: value = platform::Desktop().keyboardDelay; return true;
    case 20: value = platform::Desktop().keyboardSpeed; return true;
    case 21: value = ExecutableTimeValue(); return true;
    default: return false;
  }
}

int32_t FnInfoText(CallContext&, const CValue* args, int, CValue& result) {
  int row;
  if (!RowOf(args[0].number, row)) return kErrFunctionCallError;
  std::string_view text;
  switch (row) {
    case 1: text = ConsoleScreen::kBannerLines[kDescriptionLine]; break;
    case 2: text = kApplicationTitle; break;
    case 3: text = ConsoleScreen::kBannerLines[kCopyrightLine]; break;
    case 4: text = "Ready"; break;
    case 7: text = TORVIC_VERSION; break;
    default: break;
  }
  result.SetString(text);
  return kOk;
}

}  // namespace torvic
