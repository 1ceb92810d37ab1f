// The screen statements: cursor, colours, rectangles of cells, sound, the
// window title, the version and banner texts, EXEC's built-in routines,
// SYS, LOCK and UNLOCK; and the console and graphics statements that answer
// "?Not supported" after checking their arguments.
//
// Operand layouts: the argument patterns (kPatterns) and CompileClr,
// CompileColor, CompileAskSet, CompileLineWord, CompileGenericList,
// CompileGraphics, CompileGraph, CompilePset and CompilePrint in
// frontend/compile_console.cpp; CompileInverse and CompileOnOffSwitch in
// frontend/compile_control.cpp; CompileLoad (FONT) in
// frontend/compile_program.cpp. Every range check comes before the
// statement changes anything.
#include <sys/utsname.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "expr/console_functions.h"
#include "expr/numeric_functions.h"
#include "expr/system_functions.h"
#include "expr/system_values.h"
#include "volumes/volumes.h"

namespace torvic::handlers {

namespace {

constexpr int32_t kLastRow = kScreenRows - 1, kLastColumn = kScreenColumns - 1;

// row, col, width, height as the rectangle statements take them.
int32_t ReadRectangle(OperandReader& ops, CellRect& rect) {
  int32_t row, column, width, height;
  if (int32_t r = ops.Whole(row, 0, kLastRow)) return r;
  if (int32_t r = ops.Whole(column, 0, kLastColumn)) return r;
  if (int32_t r = ops.Whole(width, 1, kScreenColumns)) return r;
  if (int32_t r = ops.Whole(height, 1, kScreenRows)) return r;
  rect = CellRect::FromRowColumn(row, column, width, height).Clipped();
  return 0;
}

// Evaluates every expression of a counted list (graphics list, generic
// list: u8 count | expressions), so that their errors show.
int32_t EvaluateList(OperandReader& ops, uint8_t count) {
  CValue v;
  for (uint8_t i = 0; i < count; ++i)
    if (int32_t r = ops.Value(v)) return r;
  return 0;
}

void EndLineIfNeeded(ConsoleScreen& screen) {
  if (screen.Column() != 0) screen.NewLine();
}

}  // namespace

// --- cursor and colours ---------------------------------------------------

// CLS, HOME
int32_t Cls(Interpreter& in, const uint8_t*, size_t&) {
  in.Screen().ClearScreen();
  return 0;
}

// HTAB column
int32_t Htab(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t column;
  if (int32_t r = ops.Whole(column, 0, kLastColumn)) return r;
  if (ops.Stopped()) return 0;
  in.Screen().SetCursor(column, in.Screen().Row());
  return ops.Done(offset);
}

// VTAB row
int32_t Vtab(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t row;
  if (int32_t r = ops.Whole(row, 0, kLastRow)) return r;
  if (ops.Stopped()) return 0;
  in.Screen().SetCursor(in.Screen().Column(), row);
  return ops.Done(offset);
}

// LOCATE row, col (also AT and @)
int32_t Locate(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t row, column;
  if (int32_t r = ops.Whole(row, 0, kLastRow)) return r;
  if (int32_t r = ops.Whole(column, 0, kLastColumn)) return r;
  if (ops.Stopped()) return 0;
  in.Screen().LocateCursor(row, column);
  return ops.Done(offset);
}

// COLOR [text] [, background]: omitted colours are the current ones.
int32_t Color(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t text, back;
  if (int32_t r = ops.Whole(text, 0, 15)) return r;
  if (int32_t r = ops.Whole(back, 0, 15)) return r;
  if (ops.Stopped()) return 0;
  in.Screen().SetColors(text, back);
  return ops.Done(offset);
}

// INVERSE [ON|OFF], REVERSE; NORMAL, NOINVERSE, NOREVERSE: u8 on
int32_t Inverse(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t on;
  if (int32_t r = ops.Byte(on)) return r;
  in.Screen().SetInverse(on != 0);
  return ops.Done(offset);
}

// CURSOR ON|OFF: u8 on
int32_t Cursor(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t on;
  if (int32_t r = ops.Byte(on)) return r;
  in.Screen().ShowCursor(on != 0);
  return ops.Done(offset);
}

// ASK word target: u8 word (1 background, 2 text colour, 3 zone width,
// 4 volume, 5 printer) | target
int32_t Ask(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t word;
  if (int32_t r = ops.Byte(word)) return r;
  ResolvedRef ref;
  if (int32_t r = ops.Target(ref)) return r;
  if (ops.Stopped()) return 0;
  double value;
  switch (word) {
    case 1: value = in.Expressions().BackgroundColor(); break;
    case 2: value = in.Expressions().ForegroundColor(); break;
    case 3: value = 10; break;
    case 4:
      if (!ref.slot.IsString()) return kErrTypeMismatch;
      ref.slot.str->Assign(in.VolumeName());
      return ops.Done(offset);
    // The printer is not served: the target is resolved first.
    case 5: return ref.slot.IsString() ? kErrNotSupported : kErrTypeMismatch;
    default: return kErrInternalError;
  }
  if (ref.slot.IsString()) return kErrTypeMismatch;
  *ref.slot.number = value;
  return ops.Done(offset);
}

// SET word expr: u8 word (as ASK) | expr
int32_t Set(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t word;
  if (int32_t r = ops.Byte(word)) return r;
  ConsoleScreen& screen = in.Screen();
  const int32_t text = static_cast<int32_t>(in.Expressions().ForegroundColor());
  const int32_t back = static_cast<int32_t>(in.Expressions().BackgroundColor());
  int32_t n;
  CValue v;
  switch (word) {
    case 1:
    case 2:
      if (int32_t r = ops.Whole(n, 0, 15)) return r;
      if (ops.Stopped()) return 0;
      if (word == 1) screen.SetColors(text, n);
      else screen.SetColors(n, back);
      return ops.Done(offset);
    case 4: {
      // The default volume until the application ends, not saved.
      CBasicString name;
      if (int32_t r = ops.String(name)) return r;
      if (ops.Stopped()) return 0;
      if (int32_t r = in.Volumes().SetDefaultForSession(name.View())) return r;
      return ops.Done(offset);
    }
    case 3:
    case 5:
      if (int32_t r = ops.Value(v)) return r;
      return ops.Stopped() ? 0 : kErrNotSupported;
    default: return kErrInternalError;
  }
}

// SELECT n | name$: the screen character set for good.
int32_t Select(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CValue v;
  if (int32_t r = ops.Value(v)) return r;
  if (ops.Stopped()) return 0;
  int32_t charset = -1;
  if (v.IsString()) {
    charset = CharsetOfName(v.str.View());
  } else {
    int32_t n;
    if (TruncatedInRange(v.number, 0, 255, n)) charset = n;
  }
  if (!ConsoleScreen::IsAcceptedCharset(charset)) return kErrCommandError;
  if (int32_t r = in.Screen().SetCharacterSet(charset)) return r;
  return ops.Done(offset);
}

// --- rectangles of cells ------------------------------------------------------

// INVERT row, col, width, height
int32_t Invert(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CellRect rect;
  if (int32_t r = ReadRectangle(ops, rect)) return r;
  if (ops.Stopped()) return 0;
  in.Screen().InvertCells(rect);
  return ops.Done(offset);
}

// CLR row, col, width, height
int32_t ClrRectangle(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CellRect rect;
  if (int32_t r = ReadRectangle(ops, rect)) return r;
  if (ops.Stopped()) return 0;
  in.Screen().EraseCells(rect);
  return ops.Done(offset);
}

// FRAME row, col, width, height [, style [, colour]]; the cursor goes
// inside the frame.
int32_t Frame(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CellRect rect;
  int32_t style, colour;
  if (int32_t r = ReadRectangle(ops, rect)) return r;
  if (int32_t r = ops.Whole(style, 0, 1)) return r;
  if (int32_t r = ops.Whole(colour, 0, 15)) return r;
  if (ops.Stopped()) return 0;
  ConsoleScreen& screen = in.Screen();
  screen.DrawFrame(rect, style, colour);
  screen.SetCursor(rect.left + 1, rect.top + 1);
  return ops.Done(offset);
}

// LINE row, col, width, height [, style [, colour]]: u8 0 | the arguments
// LINE (x, y) - (x, y) ..., BOX, HLINE:               u8 1 | graphics list
// A line of cells one cell wide or high; the cursor goes after a
// horizontal line, or beside the last cell of a vertical one.
int32_t Line(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t form;
  if (int32_t r = ops.Byte(form)) return r;
  if (form != 0) {
    uint8_t count;
    if (int32_t r = ops.Byte(count)) return r;
    if (int32_t r = EvaluateList(ops, count)) return r;
    return ops.Stopped() ? 0 : kErrNotSupported;
  }
  CellRect rect;
  int32_t style, colour;
  if (int32_t r = ReadRectangle(ops, rect)) return r;
  if (int32_t r = ops.Whole(style, 0, 1)) return r;
  if (int32_t r = ops.Whole(colour, 0, 15)) return r;
  if (ops.Stopped()) return 0;
  if (rect.Width() != 1 && rect.Height() != 1) return kErrCommandError;
  ConsoleScreen& screen = in.Screen();
  screen.DrawCellLine(rect, style, colour);
  if (rect.Height() == 1) {
    if (rect.right >= kScreenColumns)
      screen.SetCursor(0, rect.top + 1 < kScreenRows ? rect.top + 1 : kLastRow);
    else screen.SetCursor(rect.right, rect.top);
  } else {
    screen.SetCursor(rect.left + 1, rect.bottom - 1);
  }
  return ops.Done(offset);
}

// CALL [n]: clears the screen, first setting background colour n. CALL
// with four arguments is not supported. Generic list: u8 count | exprs.
int32_t Call(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  ConsoleScreen& screen = in.Screen();
  if (count == 0) {
    screen.ClearScreen();
    return ops.Done(offset);
  }
  if (count != 1) {
    if (int32_t r = EvaluateList(ops, count)) return r;
    if (ops.Stopped()) return 0;
    return count == 4 ? kErrNotSupported : kErrCommandError;
  }
  int32_t back;
  if (int32_t r = ops.Whole(back, 0, 15)) return r;
  if (ops.Stopped()) return 0;
  screen.SetColors(static_cast<int32_t>(in.Expressions().ForegroundColor()), back);
  screen.ClearScreen();
  return ops.Done(offset);
}

// --- sound, title, texts ----------------------------------------------------------

// SOUND frequency, duration: blocks for the duration while the tone plays.
// The wait serves the window as WAIT's does, so Break and closing the window
// end a tone of any length within a few milliseconds and silence it.
int32_t Sound(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t hertz, ms;
  if (int32_t r = ops.Whole(hertz, 37, 32767)) return r;
  if (int32_t r = ops.Whole(ms, 0, INT32_MAX)) return r;
  if (ops.Stopped()) return 0;
  // Before the wait: a trap handler that runs meanwhile comes back here.
  ops.Done(offset);
  platform::Sound& sound = in.Host().sound;
  sound.StartTone(static_cast<uint32_t>(hertz), static_cast<uint32_t>(ms));
  if (!in.WaitServingEvents(static_cast<uint32_t>(ms))) sound.StopTone();
  return 0;
}

int32_t Beep(Interpreter& in, const uint8_t*, size_t&) {
  in.Host().sound.Beep();
  return 0;
}

// TITLE s$: NUL characters dropped, at most 259 characters; an empty title
// gives the window back its own.
int32_t Title(Interpreter& in, const uint8_t* code, size_t& offset) {
  static constexpr size_t kMaxTitle = 259;
  OperandReader ops(in, code, offset);
  CBasicString s;
  if (int32_t r = ops.String(s)) return r;
  if (ops.Stopped()) return 0;
  std::string title;
  for (char c : s.View())
    if (c != '\0' && title.size() < kMaxTitle) title.push_back(c);
  in.Host().process.SetWindowTitle(title.empty() ? std::string_view("TORVIC") : title);
  return ops.Done(offset);
}

int32_t Ver(Interpreter& in, const uint8_t*, size_t&) {
  ConsoleScreen& screen = in.Screen();
  EndLineIfNeeded(screen);
  screen.WriteText(ConsoleScreen::kBannerLines[0]);
  screen.NewLine();
  return 0;
}

namespace {

// Thousands separated with commas: 1234567 -> "1,234,567".
std::string Grouped(unsigned long long n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

// The system information ABOUT adds when the settings ask for it.
void WriteSystemInformation(Interpreter& in) {
  ConsoleScreen& screen = in.Screen();
  auto line = [&](const std::string& text) {
    screen.WriteText(text);
    screen.NewLine();
  };
  // Its carriage returns end its two lines.
  screen.WriteText(
      "32 bit edition for Windows 95\xAE, Windows 98\xAE and Windows NT\xAE (4.0 or\rlater)\r");
  line("Release " + std::to_string(kReleaseBuild) + ": torvic");
  utsname u{};
  if (::uname(&u) == 0) line(std::string(u.sysname) + " " + u.release + " " + u.machine);
  const double kb = PhysicalMemoryAvailable() / 1024;
  line("Physical Memory Available to Windows: " + Grouped(static_cast<unsigned long long>(kb)) +
       " KB");
  std::error_code ec;
  const std::filesystem::space_info space = std::filesystem::space("/", ec);
  if (ec) {
    line("Free Disk Space: Unavailable");
  } else {
    double amount = static_cast<double>(space.available) / 1024;
    char unit = 'K';
    for (char next : {'M', 'G'}) {
      if (amount <= 1024) break;
      amount /= 1024;
      unit = next;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s %cB Free on %s",
                  Grouped(static_cast<unsigned long long>(amount)).c_str(), unit, "/");
    line(std::string("Free Disk Space: ") + text);
  }
  line("All trademarks are the property of their respective owners.");
}

}  // namespace

int32_t About(Interpreter& in, const uint8_t*, size_t&) {
  ConsoleScreen& screen = in.Screen();
  EndLineIfNeeded(screen);
  for (std::string_view text : ConsoleScreen::kBannerLines) {
    screen.WriteText(text);
    screen.NewLine();
  }
  if (in.Memory().AboutShowsSystem()) WriteSystemInformation(in);
  return 0;
}

// --- EXEC and SYS -------------------------------------------------------------------

namespace {

// EXEC 37637: "Press any key to continue...", then one key is taken.
void PressAnyKey(Interpreter& in) {
  ConsoleScreen& screen = in.Screen();
  EndLineIfNeeded(screen);
  screen.WriteText("Press any key to continue...");
  const bool shown = !screen.CursorVisible() && in.Memory().CursorOnWait();
  if (shown) screen.ShowCursor(true);
  for (;;) {
    if (in.WaitForKey()) break;
    if (in.Reason() != StopReason::RetryStatement) break;
    in.SetReason(StopReason::None);
  }
  if (shown) screen.ShowCursor(false);
  if (!in.Entry().Keys().Empty()) in.Entry().Keys().Pop();
}

// EXEC 55939: the program text in upper or lower case outside strings.
void ConvertProgramCase(Interpreter& in) {
  const int32_t mode = in.Memory().ExecCaseConversion();
  if (mode != 64 && mode != 128) return;
  for (ProgramLine* line = in.Program().First(); line; line = line->Next()) {
    bool quoted = false;
    for (char& c : line->text) {
      if (c == '"') quoted = !quoted;
      else if (quoted) continue;
      // ASCII letters only: the program text means the same in every locale.
      else if (mode == 64 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      else if (mode == 128 && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
  }
  in.Program().SetModified(true);
}

// EXEC 2350: the window command that settings address 9388 names; other
// values do nothing.
int32_t WindowCommandOfSetting(Interpreter& in) {
  platform::WindowCommand command;
  switch (in.Memory().ExecWindowCommand()) {
    case 1: command = platform::WindowCommand::Minimize; break;
    case 6: command = platform::WindowCommand::Maximize; break;
    case 8: command = platform::WindowCommand::Restore; break;
    case 15: command = platform::WindowCommand::Resize; break;
    default: return 0;
  }
  return in.Host().dialogs.PerformWindowCommand(command) ? 0 : kErrNotSupported;
}

}  // namespace

// EXEC n: one of the built-in routines; other numbers do nothing.
int32_t Exec(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t n;
  if (int32_t r = ops.Whole(n, 0, 65535)) return r;
  if (ops.Stopped()) return 0;
  ops.Done(offset);
  ConsoleScreen& screen = in.Screen();
  switch (n) {
    case 0:
      screen.ClearScreen();
      screen.WriteText(ConsoleScreen::kBannerLines[0]);
      screen.NewLine();
      return 0;
    case 30710:
      in.EndRun();
      screen.ClearScreen();
      in.ResetInit();
      return About(in, code, offset);
    case 2350: return WindowCommandOfSetting(in);
    case 37637: PressAnyKey(in); return 0;
    case 55939: ConvertProgramCase(in); return 0;
    // The cross-reference listing in the style of its setting (the $XREF
    // modes 0..6; any other value lists the line references).
    case 54264: {
      const int32_t style = in.Memory().ExecListingStyle();
      return ListCrossReference(in, style <= 6 ? style : 0);
    }
    default: return 0;
  }
}

// SYS n: the dialogs of the shell, typed at the prompt only: 0 print setup,
// 1 print, 2 the Volumes dialog, 3 the font dialog, 4 the context menu;
// other numbers do nothing. One SYS within 2 seconds of the last one that
// acted is ignored, so a line that repeats it cannot stack dialogs.
int32_t Sys(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t n;
  if (int32_t r = ops.Whole(n, 0, 255)) return r;
  if (ops.Stopped()) return 0;
  if (in.Running()) return kErrModeError;
  if (int32_t r = ops.Done(offset)) return r;
  if (n > 4) return 0;
  constexpr uint32_t kGuardMs = 2000;
  const uint32_t now = in.Host().clock.TickCount();
  std::optional<uint32_t>& last = in.LastSysTick();
  if (last && now - *last < kGuardMs) return 0;
  static constexpr platform::WindowCommand kCommands[] = {
      platform::WindowCommand::PrintSetup, platform::WindowCommand::Print,
      platform::WindowCommand::Volumes, platform::WindowCommand::Font,
      platform::WindowCommand::ContextMenu};
  if (!in.Host().dialogs.PerformWindowCommand(kCommands[n])) return kErrNotSupported;
  last = in.Host().clock.TickCount();
  return 0;
}

// RESIZE: the window fitted to the screen, as the View menu's Resize.
int32_t Resize(Interpreter& in, const uint8_t*, size_t&) {
  return in.Host().dialogs.PerformWindowCommand(platform::WindowCommand::Resize) ? 0
                                                                                 : kErrNotSupported;
}

// --- LOCK and UNLOCK -------------------------------------------------------------

namespace {

// LOCK [list], UNLOCK [list] (generic list): the arguments are evaluated, so
// their errors show, and have no further meaning; only a running program
// may hold the screen's updates back.
int32_t DeferredUpdate(Interpreter& in, const uint8_t* code, size_t& offset, bool begin) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (int32_t r = EvaluateList(ops, count)) return r;
  if (ops.Stopped()) return 0;
  if (!in.Running()) return kErrModeError;
  if (begin) in.Screen().BeginDeferredUpdate();
  else in.Screen().EndDeferredUpdate();
  return ops.Done(offset);
}

}  // namespace

// LOCK: drawing collects until UNLOCK (or the end of the run) shows it at once.
int32_t Lock(Interpreter& in, const uint8_t* code, size_t& offset) {
  return DeferredUpdate(in, code, offset, true);
}

// UNLOCK: everything drawn since LOCK is painted at once.
int32_t Unlock(Interpreter& in, const uint8_t* code, size_t& offset) {
  return DeferredUpdate(in, code, offset, false);
}

// --- statements answered "?Not supported" after their checks ---------------------

// FILL s$, row, col, width, height (generic list)
int32_t Fill(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (count != 5) {
    if (int32_t r = EvaluateList(ops, count)) return r;
    return ops.Stopped() ? 0 : kErrNotSupported;
  }
  CBasicString s;
  CellRect rect;
  if (int32_t r = ops.String(s)) return r;
  if (int32_t r = ReadRectangle(ops, rect)) return r;
  return ops.Stopped() ? 0 : kErrNotSupported;
}

// FONT size [, R]: expr | option byte
int32_t Font(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t size;
  if (int32_t r = ops.Whole(size, ConsoleScreen::kMinFontPoints, ConsoleScreen::kMaxFontPoints))
    return r;
  return ops.Stopped() ? 0 : kErrNotSupported;
}

// PROMPT s$
int32_t Prompt(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString s;
  if (int32_t r = ops.String(s)) return r;
  return ops.Stopped() ? 0 : kErrNotSupported;
}

// The graphics statements and HIDE, MODE, HSCROLL, VSCROLL: their argument
// lists (u8 count | exprs) are evaluated, then "?Not supported".
int32_t CountedListNotSupported(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (int32_t r = EvaluateList(ops, count)) return r;
  return ops.Stopped() ? 0 : kErrNotSupported;
}

// GRAPH / PSET and relatives: u8 mode or form | graphics list
int32_t FormAndListNotSupported(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t form, count;
  if (int32_t r = ops.Byte(form)) return r;
  if (int32_t r = ops.Byte(count)) return r;
  if (int32_t r = EvaluateList(ops, count)) return r;
  return ops.Stopped() ? 0 : kErrNotSupported;
}

// DRAW s$, PFONT n: one expression
int32_t OneValueNotSupported(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CValue v;
  if (int32_t r = ops.Value(v)) return r;
  return ops.Stopped() ? 0 : kErrNotSupported;
}

}  // namespace torvic::handlers
