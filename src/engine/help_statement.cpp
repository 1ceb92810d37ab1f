// HELP [topic$]: the help viewer where the host has one, else the topic's
// text on the console, paged with "More..." as long listings are.
#include <algorithm>

#include "base/errors.h"
#include "console/screen.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/statement_operands.h"
#include "help/help_book.h"

namespace torvic::handlers {

namespace {

constexpr std::string_view kMorePrompt = "More...";
constexpr int32_t kRowsPerPage = 24;
// One column short of the screen, so that a full row does not wrap the
// cursor onto an empty row.
constexpr size_t kTextWidth = kScreenColumns - 1;

// The lines, a page of rows at a time; false when a break ended them at
// the "More..." prompt.
bool WritePaged(Interpreter& in, const std::vector<std::string>& lines) {
  ConsoleScreen& screen = in.Screen();
  if (screen.Column() != 0) screen.NewLine();
  int32_t rows = 0;
  for (const std::string& line : lines) {
    const int32_t needs = std::max<int32_t>(
        1, static_cast<int32_t>((line.size() + kScreenColumns - 1) / kScreenColumns));
    if (rows + needs > kRowsPerPage) {
      if (!in.WaitMore()) return false;
      screen.EraseCells(
          {0, kScreenRows - 1, static_cast<int32_t>(kMorePrompt.size()), kScreenRows});
      screen.SetCursor(0, kScreenRows - 1);
      rows = 0;
    }
    screen.WriteRaw(line);
    if (screen.Column() != 0 || line.empty()) screen.NewLine();
    rows += needs;
    in.PumpOnce();
    if (in.Reason() != StopReason::None) return false;
  }
  return true;
}

}  // namespace

int32_t Help(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  OperandReader ops(in, code, offset);
  uint8_t present;
  if (int32_t r = ops.Byte(present)) return r;
  CBasicString topic;
  if (present) {
    if (int32_t r = ops.String(topic)) return r;
    if (ops.Stopped()) return 0;
  }
  if (!in.Host().dialogs.ShowHelp(topic.View())) {
    const help::HelpBook& book = help::HelpBook::Get();
    WritePaged(in, help::PlainText(book.Page(topic.View()), kTextWidth));
  }
  return ops.Done(offset);
}

}  // namespace torvic::handlers
