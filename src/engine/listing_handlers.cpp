// The commands that show the stored program or hand its lines to the line
// editor: LIST, LINES, $XREF, EDIT (and "."), RECALL. Like every command of
// program editing they are refused while a program runs ("?Mode error").
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "frontend/compiler.h"
#include "frontend/line_ranges.h"
#include "frontend/xref.h"

namespace torvic::handlers {

namespace {

// Reads the range list operand (line_ranges.h) and moves past the operands.
bool ReadRanges(Interpreter& in, const uint8_t* code, size_t& offset,
                std::vector<LineRange>& ranges) {
  const bool ok = ReadRangeList(code, offset, in.Position().PayloadEnd(), ranges);
  offset = in.Position().PayloadEnd();
  return ok;
}

// Lets waiting events run between two lines of a listing or an edit walk;
// false when that brought a break (or any other stop).
bool PumpBetweenLines(Interpreter& in) {
  in.PumpOnce();
  return in.Reason() == StopReason::None;
}

void StartNewLineIfNeeded(ConsoleScreen& screen) {
  if (screen.Column() != 0) screen.NewLine();
}

// LIST output of one line: "%i " and the text, or the text alone for an
// unnumbered line. The text is drawn as stored: a control or escape
// character in a line must not clear the screen or move the cursor while
// the program is looked at.
class ListingPrinter {
 public:
  static constexpr int32_t kRowsPerPage = 24;
  static constexpr std::string_view kMorePrompt = "More...";

  explicit ListingPrinter(Interpreter& in) : in_(in), paged_(in.Memory().PagedListing()) {}

  // False when a break ended the listing at the "More..." prompt.
  bool Print(const ProgramLine& line) {
    std::string s;
    if (line.IsNumbered()) s = std::to_string(line.number) + " ";
    s += line.text;
    ConsoleScreen& screen = in_.Screen();
    if (!paged_) {
      screen.WriteRaw(s);
      screen.NewLine();
      return true;
    }
    // Paged: in pieces that fit the row from the current column, each one
    // screen line of the page.
    size_t at = 0;
    do {
      if (rows_ == kRowsPerPage) {
        if (!More()) return false;
        rows_ = 0;
      }
      const size_t room =
          static_cast<size_t>(kScreenColumns - std::min(screen.Column(), kScreenColumns - 1));
      const size_t n = std::min(room, s.size() - at);
      screen.WriteRaw(std::string_view(s).substr(at, n));
      at += n;
      ++rows_;
    } while (at < s.size());
    screen.NewLine();
    return true;
  }

 private:
  // "More..." in the bottom row until a key (which is used up) or a break;
  // then the prompt is wiped and the listing goes on where it was.
  bool More() {
    ConsoleScreen& screen = in_.Screen();
    const int32_t column = screen.Column(), row = screen.Row();
    if (!in_.WaitMore()) return false;
    screen.EraseCells({0, kScreenRows - 1, static_cast<int32_t>(kMorePrompt.size()), kScreenRows});
    screen.SetCursor(column, row);
    return true;
  }

  Interpreter& in_;
  bool paged_;
  int32_t rows_ = 0;
};

// One line in the line editor: the number (numbered lines only) and the
// text, the edit position at the first character of the text. Accepting
// replaces the line's text and code, or deletes it when the text was
// emptied; cancelling keeps it. The result is 0 or "?Out of memory".
int32_t EditOneLine(Interpreter& in, ProgramLine& line) {
  ConsoleScreen& screen = in.Screen();
  StartNewLineIfNeeded(screen);
  if (!in.EditLine(line, 0)) return 0;
  StartNewLineIfNeeded(screen);
  std::string_view text = in.Entry().Editor().Text();
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  ProgramList& program = in.Program();
  if (text.empty()) {
    program.Remove(&line);
    program.SetModified(!program.Empty());
    in.ResetAfterEdit();
    return 0;
  }
  try {
    CodeBuffer buffer;
    CompileLine(text, buffer);
    // Copies first, so that running out of memory leaves the line intact.
    std::string newText(text);
    std::vector<uint8_t> newCode(buffer.Data(), buffer.Data() + buffer.Size());
    line.ReplaceTextAndCode(newText, newCode);
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  program.SetModified(true);
  in.ResetAfterEdit();
  return 0;
}

}  // namespace

// LIST [ranges]   (operands: range list)
int32_t List(Interpreter& in, const uint8_t* code, size_t& offset) {
  std::vector<LineRange> ranges;
  const bool ok = ReadRanges(in, code, offset, ranges);
  if (in.Running()) return kErrModeError;
  if (!ok) return kErrInternalError;
  ProgramList& program = in.Program();
  if (!in.Memory().ListingAllowed() || program.Empty()) return 0;
  StartNewLineIfNeeded(in.Screen());
  ListingPrinter printer(in);
  for (const LineRange& range : ranges) {
    const bool finished = WalkRange(program, range, [&](ProgramLine& line) {
      return printer.Print(line) && (range.single || PumpBetweenLines(in));
    });
    if (!finished) break;
  }
  return 0;
}

// LINES
int32_t Lines(Interpreter& in, const uint8_t*, size_t&) {
  if (in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  StartNewLineIfNeeded(screen);
  screen.WriteFormatted(" %i", static_cast<int>(in.Program().Count()));
  screen.NewLine();
  return 0;
}

// $XREF [mode]   (operand: expression, the number 0 when omitted)
int32_t Xref(Interpreter& in, const uint8_t* code, size_t& offset) {
  CValue value;
  const int32_t r =
      in.Expressions().Eval().EvaluateValue(Code(code, in.Position().PayloadEnd()), offset, value);
  offset = in.Position().PayloadEnd();
  if (r != 0) return r;
  if (in.Reason() != StopReason::None) return 0;
  const int mode =
      value.IsNumber() ? XrefModeFromNumber(value.number) : XrefModeFromText(value.str.View());
  if (mode < 0) return kErrCommandError;
  return ListCrossReference(in, mode);
}

int32_t ListCrossReference(Interpreter& in, int mode) {
  if (in.Running()) return kErrModeError;
  const ProgramList& program = in.Program();
  if (program.Empty()) return 0;
  ConsoleScreen& screen = in.Screen();
  StartNewLineIfNeeded(screen);
  const std::vector<std::string> lines =
      BuildXref(program, static_cast<XrefMode>(mode), in.Memory().XrefNamesInCapitals(),
                [&](const ProgramLine& line) {
                  in.ReportError(kErrInternalError, line.SignedNumber(), std::nullopt);
                });
  for (const std::string& text : lines) {
    screen.WriteText(text);
    screen.NewLine();
    if (!PumpBetweenLines(in)) break;
  }
  return 0;
}

// EDIT ranges, . ranges   (operands: range list with at least one range)
int32_t Edit(Interpreter& in, const uint8_t* code, size_t& offset) {
  std::vector<LineRange> ranges;
  const bool ok = ReadRanges(in, code, offset, ranges);
  if (in.Running()) return kErrModeError;
  if (!ok) return kErrInternalError;
  ProgramList& program = in.Program();
  for (const LineRange& range : ranges) {
    if (range.single) {
      ProgramLine* line =
          range.first >= 1 ? program.FindLine(static_cast<uint32_t>(range.first)) : nullptr;
      if (!line) return kErrUndefinedLine;
      if (const int32_t r = EditOneLine(in, *line)) return r;
      if (in.Reason() != StopReason::None) return 0;
      continue;
    }
    int32_t result = 0;
    const bool finished = WalkRange(program, range, [&](ProgramLine& line) {
      result = EditOneLine(in, line);
      return result == 0 && in.Reason() == StopReason::None && PumpBetweenLines(in);
    });
    if (result != 0) return result;
    if (!finished) return 0;
  }
  return 0;
}

// RECALL n   (operand: small line number, u16)
int32_t Recall(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint16_t number = offset + 2 <= in.Position().PayloadEnd() ? ReadU16(code + offset) : 0;
  offset = in.Position().PayloadEnd();
  if (in.Running()) return kErrModeError;
  const ProgramLine* line = number ? in.Program().FindLine(number) : nullptr;
  if (!line) return kErrUndefinedLine;
  in.SetRecalledInput(line->text);
  return 0;
}

}  // namespace torvic::handlers
