// The statements that read the keyboard: INPUT, LINE INPUT, LINE EDIT and
// GET. Operand layouts: CompileInput, CompileLineWord and CompileGet in
// frontend/compile_console.cpp.
//
// INPUT # and LINE INPUT # read data files (datafiles.h) through
// ReadNumberField, ReadStringField and ReadFileLine; file 0 is the console.
//
// All of them read only while a program runs. A line read that ends
// without Enter (Break, END typed in the stopped state, a trap handler that
// ended the run) ends the statement without assigning anything; the run
// then unwinds by its stop reason. Break without ON BREAK does not get here
// until the stopped state is left: CONT goes on with the same read and the
// text typed so far (the stopped state keeps it).
#include <string>
#include <string_view>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/datafiles.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "expr/numeric_functions.h"
#include "expr/numeric_rules.h"

namespace torvic::handlers {

namespace {

constexpr uint8_t kConsoleForm = 0;
// Prompt flags of the layout: 0 none, 1 followed by ";" (adds "? "), 2 by ",".
constexpr uint8_t kNoPrompt = 0, kPromptQuestion = 1;
// The longest line LINE INPUT assigns.
constexpr size_t kMaxLineInput = 255;

void EndLineIfNeeded(ConsoleScreen& screen) {
  if (screen.Column() != 0) screen.NewLine();
}

// The prompt of INPUT, LINE INPUT and LINE EDIT: u8 flag | [prompt expr].
// INPUT writes "? " also without a prompt; the LINE forms do not.
int32_t ReadPrompt(OperandReader& ops, uint8_t flag, CBasicString& prompt) {
  if (flag == kNoPrompt) return 0;
  return ops.String(prompt);
}

void WritePrompt(ConsoleScreen& screen, uint8_t flag, const CBasicString& prompt,
                 bool questionWithoutPrompt) {
  if (flag != kNoPrompt) screen.WriteText(prompt.Data(), static_cast<size_t>(prompt.Length()));
  if (flag == kPromptQuestion || (flag == kNoPrompt && questionWithoutPrompt))
    screen.WriteText("? ");
}

// Assigns to the target at `targetPos`, resolving it again: a line read may
// have run a Break handler that changed the arrays, so a place resolved
// before the read is not trusted after it.
int32_t AssignTarget(OperandReader& ops, size_t targetPos, const CValue& value) {
  ops.Position() = targetPos;
  ResolvedRef ref;
  if (int32_t r = ops.Target(ref)) return r;
  if (ops.Stopped()) return 0;
  if (ref.slot.IsString() != value.IsString()) return kErrTypeMismatch;
  if (value.IsString()) ref.slot.str->Assign(value.str.View());
  else *ref.slot.number = value.number;
  return 0;
}

// One field of an INPUT line for a target of the given kind, from `pos`.
// Malformed: false (the caller asks again). Overflow and underflow come
// back in `error`.
bool ParseField(std::string_view line, size_t& pos, bool isString, CValue& out, int32_t& error) {
  error = 0;
  auto skipBlanks = [&] {
    while (pos < line.size() && line[pos] == ' ') ++pos;
  };
  auto atFieldEnd = [&] { return pos >= line.size() || line[pos] == ','; };
  skipBlanks();
  if (!isString) {
    out.SetNumber(0);
    if (atFieldEnd()) return true;
    double v;
    size_t end;
    error = ReadLeadingNumber(line.substr(pos), v, &end);
    if (error) return true;
    if (end == 0) return false;  // no number there
    pos += end;
    skipBlanks();
    out.SetNumber(v);
    return atFieldEnd();
  }
  CBasicString& s = out.MakeString();
  if (atFieldEnd()) return true;
  if (line[pos] == '"') {
    const size_t close = line.find('"', pos + 1);
    const size_t stop = close == std::string_view::npos ? line.size() : close;
    s.Assign(line.substr(pos + 1, stop - pos - 1));
    pos = close == std::string_view::npos ? line.size() : close + 1;
    skipBlanks();
    return atFieldEnd();
  }
  size_t stop = line.find(',', pos);
  if (stop == std::string_view::npos) stop = line.size();
  size_t last = stop;
  while (last > pos && line[last - 1] == ' ') --last;
  s.Assign(line.substr(pos, last - pos));
  pos = stop;
  return true;
}

// A fresh line for INPUT ("?Redo", "?? "): false when the read was ended.
bool ReadAgain(Interpreter& in, std::string_view message, bool newLine, std::string& line) {
  ConsoleScreen& screen = in.Screen();
  EndLineIfNeeded(screen);
  screen.WriteText(message);
  if (message == "?Redo") screen.NewLine();
  if (!in.Entry().ReadLine(true)) return false;
  if (newLine) screen.NewLine();
  line = in.Entry().Editor().Text();
  return true;
}

// The target's kind without assigning: resolving it creates it as a read
// would, which INPUT does anyway.
int32_t TargetIsString(OperandReader& ops, bool& isString) {
  const size_t at = ops.Position();
  ResolvedRef ref;
  if (int32_t r = ops.Target(ref)) return r;
  isString = ref.slot.IsString();
  ops.Position() = at;
  return 0;
}

// The data file of INPUT # and LINE INPUT #: null for file 0 (the
// console); otherwise open (17) for INPUT or RANDOM (15).
int32_t ReadFile(Interpreter& in, OperandReader& ops, DataFile*& file) {
  file = nullptr;
  double number;
  if (int32_t r = ops.Number(number)) return r;
  if (ops.Stopped()) return 0;
  number = RoundHalfUp(number);
  if (!(number >= 0 && number <= kMaxFileNumber)) return kErrCommandError;
  if (number == 0) return 0;
  file = in.Files().FindFile(static_cast<int32_t>(number));
  if (!file) return kErrFileNotOpen;
  if (file->mode != FileMode::Input && file->mode != FileMode::Random) return kErrFileModeError;
  return 0;
}

// INPUT # from a data file: a field per target, numbers with
// ReadNumberField, strings with ReadStringField.
int32_t InputFromFile(Interpreter& in, OperandReader& ops, DataFile& file, size_t& offset) {
  DataFileTable& files = in.Files();
  CValue value;
  while (ops.PeekByte() != 0) {
    const size_t targetPos = ops.Position();
    bool isString = false;
    if (int32_t r = TargetIsString(ops, isString)) return r;
    if (ops.Stopped()) return 0;
    if (isString) {
      if (int32_t r = files.ReadStringField(file, value.MakeString())) return r;
    } else {
      double x;
      if (int32_t r = files.ReadNumberField(file, x)) return r;
      value.SetNumber(x);
    }
    if (int32_t r = AssignTarget(ops, targetPos, value)) return r;
    if (ops.Stopped()) return 0;
  }
  return ops.Done(offset);
}

}  // namespace

// INPUT [;] ["prompt" ; | ,] target, ...
int32_t Input(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (!in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  OperandReader ops(in, code, offset);
  uint8_t form, newLineFlag = 1, promptFlag = kNoPrompt;
  CBasicString prompt;
  if (int32_t r = ops.Byte(form)) return r;
  if (form == kConsoleForm) {
    if (int32_t r = ops.Byte(newLineFlag)) return r;
    if (int32_t r = ops.Byte(promptFlag)) return r;
    if (int32_t r = ReadPrompt(ops, promptFlag, prompt)) return r;
  } else {
    // INPUT # 0 is the console without a prompt.
    DataFile* file;
    if (int32_t r = ReadFile(in, ops, file)) return r;
    if (file) return InputFromFile(in, ops, *file, offset);
  }
  if (ops.Stopped()) return 0;
  const bool newLine = newLineFlag != 0;

  WritePrompt(screen, promptFlag, prompt, true);
  if (!in.Entry().ReadLine(true)) return 0;
  if (newLine) screen.NewLine();
  std::string line = in.Entry().Editor().Text();
  size_t pos = 0;
  CValue value;
  while (ops.PeekByte() != 0) {
    const size_t targetPos = ops.Position();
    bool isString = false;
    if (int32_t r = TargetIsString(ops, isString)) return r;
    if (ops.Stopped()) return 0;
    int32_t error;
    while (!ParseField(line, pos, isString, value, error)) {
      if (!ReadAgain(in, "?Redo", newLine, line)) return 0;
      pos = 0;
    }
    if (error) return error;
    if (int32_t r = AssignTarget(ops, targetPos, value)) return r;
    if (ops.Stopped()) return 0;
    const bool comma = pos < line.size() && line[pos] == ',';
    if (ops.PeekByte() == 0) {
      if (comma) {
        EndLineIfNeeded(screen);
        screen.WriteText("?Extra ignored");
        screen.NewLine();
      }
      break;
    }
    if (comma) {
      ++pos;
    } else {
      if (!ReadAgain(in, "?? ", newLine, line)) return 0;
      pos = 0;
    }
  }
  return ops.Done(offset);
}

// LINE INPUT ["prompt" ; | ,] target$      LINE INPUT # file, target$
int32_t LineInput(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (!in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  OperandReader ops(in, code, offset);
  uint8_t form, promptFlag = kNoPrompt;
  CBasicString prompt;
  DataFile* file = nullptr;
  if (int32_t r = ops.Byte(form)) return r;
  if (form == kConsoleForm) {
    if (int32_t r = ops.Byte(promptFlag)) return r;
    if (int32_t r = ReadPrompt(ops, promptFlag, prompt)) return r;
  } else if (int32_t r = ReadFile(in, ops, file)) {
    return r;
  }
  const size_t targetPos = ops.Position();
  bool isString = false;
  if (int32_t r = TargetIsString(ops, isString)) return r;
  if (ops.Stopped()) return 0;
  if (!isString) return kErrInternalError;
  if (file) {
    // One line of the file, up to 65535 characters.
    CValue value;
    if (int32_t r = in.Files().ReadFileLine(*file, value.MakeString())) return r;
    if (int32_t r = AssignTarget(ops, targetPos, value)) return r;
    if (ops.Stopped()) return 0;
    return ops.Done(offset);
  }

  WritePrompt(screen, promptFlag, prompt, false);
  if (!in.Entry().ReadLine(true)) return 0;
  screen.NewLine();
  CValue value;
  value.SetString(std::string_view(in.Entry().Editor().Text()).substr(0, kMaxLineInput));
  if (int32_t r = AssignTarget(ops, targetPos, value)) return r;
  if (ops.Stopped()) return 0;
  return ops.Done(offset);
}

// LINE EDIT [default$ ,] ["prompt" ; | ,] target$
// The read starts with default$ in the line, the edit position at its start.
int32_t LineEdit(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (!in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  OperandReader ops(in, code, offset);
  uint8_t defaultFlag, promptFlag;
  CBasicString initial, prompt;
  if (int32_t r = ops.Byte(defaultFlag)) return r;
  if (int32_t r = ops.Byte(promptFlag)) return r;
  if (defaultFlag)
    if (int32_t r = ops.String(initial)) return r;
  if (int32_t r = ReadPrompt(ops, promptFlag, prompt)) return r;
  const size_t targetPos = ops.Position();
  bool isString = false;
  if (int32_t r = TargetIsString(ops, isString)) return r;
  if (ops.Stopped()) return 0;
  if (!isString) return kErrInternalError;

  WritePrompt(screen, promptFlag, prompt, false);
  LineEditor& editor = in.Entry().Editor();
  editor.Clear();
  // Placed without drawing: the read draws the line once when it starts.
  editor.SetEchoSuppressed(true);
  editor.SetText(initial.View().substr(0, static_cast<size_t>(editor.MaxLength())), 0);
  if (!in.Entry().ReadLine(false)) return 0;
  screen.NewLine();
  CValue value;
  value.SetString(std::string_view(editor.Text()).substr(0, kMaxLineInput));
  if (int32_t r = AssignTarget(ops, targetPos, value)) return r;
  if (ops.Stopped()) return 0;
  return ops.Done(offset);
}

// GET target$: the next key as NextKey encodes it. Waits for a key unless
// the no-wait setting is on; then one empty look leaves the target as it
// was.
int32_t Get(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (!in.Running()) return kErrModeError;
  OperandReader ops(in, code, offset);
  const size_t targetPos = ops.Position();
  bool isString = false;
  if (int32_t r = TargetIsString(ops, isString)) return r;
  if (ops.Stopped()) return 0;
  if (!isString) return kErrTypeMismatch;
  const bool wait = !in.Memory().GetNoWait();
  std::string key;
  for (;;) {
    key = in.NextKey();
    // A trap handler that ended with RESUME while GET waited: the wait
    // goes on.
    if (in.Reason() == StopReason::RetryStatement) in.SetReason(StopReason::None);
    if (in.Reason() != StopReason::None || in.QuitPending()) return 0;
    if (!key.empty() || !wait) break;
    in.WaitForKey();
  }
  if (key.empty()) return ops.Done(offset);
  CValue value;
  value.SetString(key);
  if (int32_t r = AssignTarget(ops, targetPos, value)) return r;
  if (ops.Stopped()) return 0;
  return ops.Done(offset);
}

}  // namespace torvic::handlers
