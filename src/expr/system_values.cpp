#include "expr/system_values.h"

#include <string>
#include <string_view>

#include "console/screen.h"
#include "engine/errors.h"
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

// The rows of info whose values are fixed numbers.
struct FixedRow {
  int row;
  double value;
};
constexpr FixedRow kFixedRows[] = {{0, 34},  {1, 12532364820.0},  {12, 255},
                                   {23, 15}, {26, 12372285600.0}, {29, 65536},
                                   {30, 7},  {31, 17105418},      {32, 14}};

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

int32_t FnInfo(CallContext& ctx, const CValue* args, int, CValue& result) {
  int row;
  if (!RowOf(args[0].number, row)) return kErrFunctionCallError;
  for (const FixedRow& f : kFixedRows) {
    if (f.row == row) {
      result.SetNumber(f.value);
      return kOk;
    }
  }
  double value = 0;
  if (ctx.env.InterpreterInfo(row, value)) {
    result.SetNumber(value);
    return kOk;
  }
  switch (row) {
    case 2:
    case 3:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18: return kErrNotSupported;
    case 5: {
      platform::Host* host = ctx.env.Host();
      value = host ? host->clock.TickCount() : 0;
      break;
    }
    case 13: value = kReleaseBuild; break;
    case 19: value = platform::Desktop().keyboardDelay; break;
    case 20: value = platform::Desktop().keyboardSpeed; break;
    case 21: value = ExecutableTimeValue(); break;
    default: break;
  }
  result.SetNumber(value);
  return kOk;
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
