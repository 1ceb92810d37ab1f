// The program-file statements: SAVE (ASAVE, BSAVE), LOAD, OLD, RUN with a
// file name (and RUN "*", the start-up program), CHAIN, MERGE, LOADR,
// RUNR, NEW, LOAD?, SAVE?, DOS and DIRR; the old-program store and the
// save the exit question offers (program_files.h).
//
// Operand layouts (frontend/compile_program.cpp):
//   SAVE, ASAVE, BSAVE   expr | u8 1 for a text file
//   LOAD, LOADR          expr | u8 1 with ",R"
//   RUNR                 expr
//   MERGE                expr | u32 first line (all bits set: none) | u16 step
//   CHAIN                expr | u8 0, or expr | u8 1 | jump target
//   OLD                  u8 0, or u8 1 | expr
//   RUN "name"           u8 2 | expr (the form byte read by Run)
//   NEW, LOAD?, SAVE?, DOS, DIRR: none
//
// Every load performs NEW first, so the program it replaces waits in the
// old-program store: its lines stay alive until the next NEW, which is what
// lets a running program's LOAD or CHAIN return through the statement that
// ran it.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/jump_target.h"
#include "engine/program_file_hooks.h"
#include "engine/program_files.h"
#include "engine/statement_operands.h"
#include "frontend/compiled_line.h"
#include "frontend/program_file.h"
#include "frontend/renumber.h"
#include "platform/file_system.h"
#include "resources/builtin_programs.h"
#include "volumes/filenames.h"

namespace torvic {

namespace {

constexpr std::string_view kCaption = "TORVIC";
constexpr std::string_view kEraseQuestion =
    "The current modified program is about to be erased.  Continue?";
constexpr std::string_view kStartupFileName = "_$torvic.tvc";
constexpr std::string_view kStartupLoading = " loading \"_$TORVIC.TVC\"";
constexpr std::string_view kDosProgram = "dosrun15.tvc";
constexpr std::string_view kDosText = "There is no DOS to return to: TORVIC is all there is.";
constexpr int32_t kRowsPerPage = 24;
constexpr std::string_view kMorePrompt = "More...";

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = platform::UpperAscii(c);
  return u;
}

bool PlainFileExists(const std::string& path) {
  platform::FileInfo info;
  bool folder = false;
  return platform::Inspect(path, info, &folder) == 0 && !folder;
}

// The statement's own text, for the reports made after its line has left
// the program (its object waits in the old-program store).
std::string StatementText(Interpreter& in, const uint8_t* code) {
  const RecordFrame frame = ReadFrame(code, in.Position().StatementStart());
  std::string_view source = in.LastCommandText();
  if (in.Running() && in.Position().Line()) source = in.Position().Line()->text;
  if (frame.column >= source.size()) return {};
  return std::string(source.substr(frame.column, frame.textLength));
}

// Resolves a program file that must exist and be readable.
int32_t ResolveExisting(Interpreter& in, std::string_view name, ResolvedName& file) {
  if (int32_t e = ResolveFileName(in.Volumes(), name, kProgramExtension, file)) return e;
  return CheckReadAccess(file.path);
}

// The questions before the program is replaced (LOAD step 2): in a running
// program with a modified program the erase box, at the prompt with
// confirmations on the "Load?" question. False when the answer stops the
// statement (like the Break key).
bool ConfirmReplace(Interpreter& in, bool eraseBox = true) {
  const ProgramList& program = in.Program();
  if (!program.Modified()) return true;
  if (in.Running()) {
    if (!eraseBox) return true;
    if (in.Host().dialogs.MessageBox(kEraseQuestion, kCaption, platform::Buttons::YesNo,
                                     platform::Icon::Exclamation) == platform::Answer::Yes)
      return true;
  } else if (!in.Memory().Confirm() || in.Entry().AskYesNo("Load?")) {
    return true;
  }
  in.StopRun(StopReason::BreakKey);
  return false;
}

// Reads a program file into the (emptied) program. The start-up program's
// loading byte (19140) forces every stored line to be compiled again; the
// loading statements set it back.
ProgramReadResult ReadFile(Interpreter& in, const std::string& path) {
  const bool force = in.Memory().ForceRecompile();
  in.Memory().SetMirror(SettingsMemory::kStartupLoadingAddress, 0);
  ProgramReadResult r;
  ProgramSource source;
  r.error = source.Open(path);
  if (r.error == 0) r = ReadProgram(source, in.Program(), force);
  return r;
}

// A read that failed: a bad line number of a text file is reported here
// with its digits; in a running program whose program is now empty, the
// error is reported with the statement's text (its line is gone).
int32_t ReadFailed(Interpreter& in, const ProgramReadResult& r, const std::string& statement) {
  if (r.error == kErrSyntaxError) {
    in.ReportError(kErrSyntaxError, -1, r.detail);
    return -kErrSyntaxError;
  }
  if (in.Running() && in.Program().Empty()) {
    in.ReportError(r.error, -1, statement);
    return -r.error;
  }
  return r.error;
}

// ",R": the program starts at its first line as RUN starts it.
int32_t StartProgram(Interpreter& in) {
  in.SetReason(StopReason::None);
  size_t none = 0;
  return handlers::Run(in, nullptr, none);
}

// LOAD, OLD name, RUN name, LOAD?, DOS.
int32_t LoadNamed(Interpreter& in, std::string_view name, bool run, const std::string& statement) {
  ResolvedName file;
  if (int32_t e = ResolveExisting(in, name, file)) return e;
  if (!ConfirmReplace(in)) return 0;
  in.Program().SetModified(false);
  DiscardProgram(in);
  const ProgramReadResult r = ReadFile(in, file.path);
  if (r.error) return ReadFailed(in, r, statement);
  in.ProgramFile() = {file.volume + ":" + file.file, !r.binary};
  return run ? StartProgram(in) : 0;
}

// RUN "*": the start-up program as a command; when it ends normally it is
// cleared again, so it leaves nothing behind.
int32_t RunStartup(Interpreter& in) {
  if (!ConfirmReplace(in)) return 0;
  in.Program().SetModified(false);
  DiscardProgram(in);
  const std::string path = StartupProgramPath();
  if (path.empty()) return kErrFileNotFound;
  const ProgramReadResult r = ReadFile(in, path);
  if (r.error) {
    // "?message[, /digits/] loading "_$TORVIC.TVC"", written in pieces.
    ConsoleScreen& screen = in.Screen();
    if (screen.Column() != 0) screen.NewLine();
    if (const char* message = ErrorMessage(r.error)) screen.WriteRaw(message);
    if (r.error == kErrSyntaxError) {
      screen.WriteRaw(", /");
      screen.WriteRaw(r.detail);
      screen.WriteRaw("/");
    }
    screen.WriteRaw(kStartupLoading);
    screen.NewLine();
    return -r.error;
  }
  const int32_t result = StartProgram(in);
  if (result == 0 && !in.Running() && in.Reason() == StopReason::Ended) DiscardProgram(in);
  return result;
}

// LOADR name$ [, R] and RUNR name$: a built-in program, read with the text
// file's rules.
int32_t LoadBuiltin(Interpreter& in, std::string_view name, bool run) {
  if (in.Running()) return kErrModeError;
  if (!ConfirmReplace(in, /*eraseBox=*/false)) return 0;
  in.Program().SetModified(false);
  DiscardProgram(in);
  const BuiltinProgram* builtin = FindBuiltinProgram(name);
  if (!builtin) return kErrResourceNotFound;
  ProgramSource source(builtin->text);
  const ProgramReadResult r = ReadProgram(source, in.Program());
  if (r.error) return ReadFailed(in, r, {});
  return run ? StartProgram(in) : 0;
}

// The save of SAVE, ASAVE, BSAVE, SAVE? and the exit question. With
// `questions`, the overwrite question (at the prompt, confirmations on) and
// the SECURE warning (in a running program) come first.
int32_t SaveProgram(Interpreter& in, std::string_view name, bool asText, bool questions) {
  if (!in.Memory().SaveEnabled()) return 0;
  ResolvedName file;
  if (int32_t e = ResolveFileName(in.Volumes(), name, kProgramExtension, file)) return e;
  if (file.readOnly) return kErrAccessDenied;
  const std::string shown = file.volume + ":" + Upper(file.file);
  if (questions) {
    if (!in.Running() && in.Memory().Confirm() && PlainFileExists(file.path) &&
        !in.Entry().AskYesNo("File \"" + shown + "\" exists, overwrite?"))
      return 0;
    if (in.Running() && in.Secure()) {
      const std::string warning =
          "Warning: SAVE \"" + shown + "\"" + (asText ? ",A" : "") +
          " is about to be executed.\n\nThe SAVE statement saves a program.";
      switch (in.Host().dialogs.MessageBox(warning, kCaption, platform::Buttons::AbortRetryIgnore,
                                           platform::Icon::Exclamation)) {
        case platform::Answer::Abort: in.StopRun(StopReason::BreakKey); return 0;
        case platform::Answer::Ignore: return 0;
        default: break;
      }
    }
  }
  ProgramList& program = in.Program();
  // Every line must be one a reader takes back.
  for (const ProgramLine* l = program.First(); l; l = l->Next())
    if (l->text.empty() || l->text.size() > kMaxStoredText || l->CodeLength() == 0 ||
        l->CodeLength() > kMaxStoredCode)
      return kErrLineTooLong;
  std::string image;
  if (asText) AppendTextProgram(program, image);
  else AppendBinaryProgram(program, image);
  switch (platform::ReplaceFile(file.path, image.data(), image.size())) {
    case 0: break;
    case ENOENT: return kErrFileNotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
    case EINVAL: return kErrInvalidFileName;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EBUSY: return kErrAccessDenied;
    case ENOSPC:
    case EDQUOT: return kErrVolumeFull;
    case EFBIG: return kErrMaxFileSize;
    case ENOMEM: return kErrOutOfMemory;
    default: return kErrIoError;
  }
  program.SetModified(false);
  in.ProgramFile() = {file.volume + ":" + file.file, asText};
  return 0;
}

// The name of the file statements: an expression that must be a string.
int32_t NameOperand(OperandReader& ops, std::string& name) {
  CBasicString s;
  if (int32_t r = ops.String(s)) return r;
  name = std::string(s.View());
  return 0;
}

// The volume file dialog on the console line, for hosts that draw none.
bool AskFileOnConsole(Interpreter& in, platform::FileDialogMode mode,
                      platform::FileChoice& choice) {
  ConsoleScreen& screen = in.Screen();
  VolumeTable& table = in.Volumes();
  const bool saving = mode == platform::FileDialogMode::Save;
  for (;;) {
    if (screen.Column() != 0) screen.NewLine();
    screen.WriteText(saving ? "Save as: " : "Open file: ");
    if (!in.Entry().ReadLine(true)) return false;
    std::string name = in.Entry().Editor().Text();
    screen.NewLine();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (name.empty()) return false;
    // The dialog's messages, on the console too.
    std::string volume;
    if (VolumeOfName(table, name, volume) && !table.FindVolume(volume)) {
      screen.WriteText("Volume " + Upper(volume) + " does not exist.");
      screen.NewLine();
      screen.WriteText("Please verify the appropriate volume was given.");
      screen.NewLine();
      continue;
    }
    ResolvedName existing;
    if (saving && ResolveFileName(table, name, kProgramExtension, existing) == 0 &&
        PlainFileExists(existing.path)) {
      screen.WriteText(existing.volume + ":" + Upper(existing.file));
      screen.NewLine();
      screen.WriteText("This file already exists.");
      screen.NewLine();
      if (!in.Entry().AskYesNo("Relpace existing file?")) continue;
    }
    // The type follows the name, as the dialog's "ASCII file (*.txt)" does.
    const size_t colon = name.find(':');
    const std::string_view file = colon == std::string::npos
                                      ? std::string_view(name)
                                      : std::string_view(name).substr(colon + 1);
    const size_t stop = file.rfind('.');
    choice.name = name;
    choice.asText = stop != std::string_view::npos && Upper(file.substr(stop + 1)) == "TXT";
    return true;
  }
}

}  // namespace

// --- program_files.h -------------------------------------------------------------

void DiscardProgram(Interpreter& in) {
  if (in.Running()) {
    in.EndRun();
    in.Position().MoveTo(nullptr, 0);
  }
  ProgramList& program = in.Program();
  ProgramList& old = in.OldProgram();
  old.Clear();
  old.Swap(program);
  program.SetModified(false);
  in.OldProgramFile() = std::move(in.ProgramFile());
  in.ProgramFile() = {};
  in.ResetAfterEdit();
  in.ResetInit();
}

int32_t RecoverDiscardedProgram(Interpreter& in) {
  const ProgramList& old = in.OldProgram();
  // Nothing discarded (or an empty program): nothing to put back.
  if (old.Empty()) return 0;
  ProgramList copy;
  try {
    for (const ProgramLine* l = old.First(); l; l = l->Next())
      copy.Append(std::make_unique<ProgramLine>(l->number, l->text, l->Code(), l->CodeLength()));
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  copy.SetModified(old.Modified());
  if (in.Running()) {
    in.EndRun();
    in.Position().MoveTo(nullptr, 0);
  }
  in.Program().Clear();
  in.Program().Swap(copy);
  in.ProgramFile() = in.OldProgramFile();
  in.ResetAfterEdit();
  return 0;
}

std::string StartupProgramPath() {
  for (const std::string& folder :
       {platform::ConfigurationFolder(std::getenv), platform::ExecutableFolder()}) {
    if (folder.empty()) continue;
    if (const auto found = platform::FindNameIgnoringCase(folder, kStartupFileName)) {
      const std::string path = folder + "/" + *found;
      if (PlainFileExists(path)) return path;
    }
  }
  return {};
}

bool ChooseProgramFile(Interpreter& in, platform::FileDialogMode mode,
                       platform::FileChoice& choice) {
  switch (in.Host().dialogs.ChooseFile(mode, choice)) {
    case platform::FileDialogResult::Chosen: return true;
    case platform::FileDialogResult::Cancelled: return false;
    case platform::FileDialogResult::AskOnConsole: return AskFileOnConsole(in, mode, choice);
  }
  return false;
}

namespace {

// The operations the start-up sequence and the exit question need.
class StoredFiles final : public ProgramFileHooks {
 public:
  int32_t LoadProgram(Interpreter& in, const std::string& hostPath) override {
    const ProgramReadResult r = ReadFile(in, hostPath);
    return r.error;
  }
  int32_t SaveProgram(Interpreter& in, const platform::FileChoice& file) override {
    return torvic::SaveProgram(in, file.name, file.asText, /*questions=*/false);
  }
  void NewProgram(Interpreter& in) override { DiscardProgram(in); }
};

}  // namespace

ProgramFileHooks& StoredProgramFiles() {
  static StoredFiles files;
  return files;
}

// --- the statements --------------------------------------------------------------

namespace handlers {

// SAVE name$ [, A]; ASAVE name$; BSAVE name$
int32_t Save(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  std::string name;
  uint8_t text = 0;
  if (int32_t r = NameOperand(ops, name)) return r;
  if (int32_t r = ops.Byte(text)) return r;
  if (ops.Stopped()) return 0;
  ops.Done(offset);
  return SaveProgram(in, name, text != 0, /*questions=*/true);
}

// LOAD name$ [, R]
int32_t Load(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  std::string name;
  uint8_t run = 0;
  if (int32_t r = NameOperand(ops, name)) return r;
  if (int32_t r = ops.Byte(run)) return r;
  if (ops.Stopped()) return 0;
  const std::string statement = StatementText(in, code);
  // Read before anything can move execution: in a running program the
  // offset is the run position itself.
  ops.Done(offset);
  return LoadNamed(in, name, run != 0, statement);
}

int32_t Loadr(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  std::string name;
  uint8_t run = 0;
  if (int32_t r = NameOperand(ops, name)) return r;
  if (int32_t r = ops.Byte(run)) return r;
  if (ops.Stopped()) return 0;
  ops.Done(offset);
  return LoadBuiltin(in, name, run != 0);
}

int32_t Runr(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  std::string name;
  if (int32_t r = NameOperand(ops, name)) return r;
  if (ops.Stopped()) return 0;
  ops.Done(offset);
  return LoadBuiltin(in, name, true);
}

// RUN name$ (the form byte already read by Run); "*" is the start-up program.
int32_t RunFile(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  std::string name;
  if (int32_t r = NameOperand(ops, name)) return r;
  if (ops.Stopped()) return 0;
  const std::string statement = StatementText(in, code);
  ops.Done(offset);
  if (name == "*") return RunStartup(in);
  return LoadNamed(in, name, true, statement);
}

// MERGE name$ [, first [, step]]: the file's lines join the program, by
// number; on any failure the program stays as it was.
int32_t Merge(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  OperandReader ops(in, code, offset);
  std::string name;
  if (int32_t r = NameOperand(ops, name)) return r;
  uint8_t b[6];
  for (uint8_t& byte : b)
    if (int32_t r = ops.Byte(byte)) return r;
  if (ops.Stopped()) return 0;
  ops.Done(offset);
  const uint32_t first = ReadU32(b);
  const uint16_t step = ReadU16(b + 4);
  ResolvedName file;
  if (int32_t e = ResolveExisting(in, name, file)) return e;

  ProgramList& program = in.Program();
  ProgramList aside;  // the program, with its modified flag
  aside.Swap(program);
  // NEW's resets, on the program that is empty meanwhile.
  in.ResetAfterEdit();
  in.ResetInit();
  auto putBack = [&](int32_t error) {
    program.Clear();
    program.Swap(aside);
    in.ResetAfterEdit();
    return error;
  };
  try {
    const ProgramReadResult r = ReadFile(in, file.path);
    if (r.error) return putBack(ReadFailed(in, r, {}));
    if (first != kNoLineNumber && !program.Empty()) {
      if (first == 0 || step == 0) return putBack(kErrCommandError);
      if (first > 65535) return putBack(kErrRenumberError);
      RenumberRequest request;
      request.start = static_cast<uint16_t>(first);
      request.step = step;
      request.keepUnnumbered = in.Memory().RenumKeepsUnnumbered();
      const RenumberResult result =
          Renumber(program, request, [&](const ProgramLine& line, uint32_t number) {
            in.ReportError(kErrUndefinedLine, line.SignedNumber(), std::to_string(number));
          });
      if (result.kind == RenumberResult::OrderError) return putBack(kErrRenumberError);
      if (result.kind == RenumberResult::LineTooLong) {
        in.ReportError(kErrLineTooLong, result.line->SignedNumber(), std::nullopt);
        return putBack(-kErrLineTooLong);
      }
    }
    for (const ProgramLine* l = program.First(); l; l = l->Next())
      if (!l->IsNumbered()) return putBack(kErrMergeError);
  } catch (const std::bad_alloc&) { return putBack(kErrOutOfMemory); }
  ProgramList merged;
  merged.Swap(program);
  program.Swap(aside);
  while (ProgramLine* l = merged.First()) program.InsertByNumber(merged.Detach(l));
  program.SetModified(true);
  in.ResetAfterEdit();
  return 0;
}

// CHAIN name$ [, line | label]: the next program goes on running with the
// variables of this one.
int32_t Chain(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  std::string name;
  uint8_t form = 0;
  if (int32_t r = NameOperand(ops, name)) return r;
  if (int32_t r = ops.Byte(form)) return r;
  if (ops.Stopped()) return 0;
  JumpTarget target;
  if (form == 1) {
    // The target lies inside the operand area, or the line is damaged.
    const size_t at = ops.Position(), end = in.Position().PayloadEnd();
    const size_t need =
        at < end && code[at] == 1 && at + 5 <= end ? 6 + code[at + 4] : kJumpTargetItemSize;
    if (at + need > end) return kErrInternalError;
    size_t p = at;
    target = ReadJumpTarget(code, p);
    if (!target.valid) return kErrInternalError;
  }
  const std::string statement = StatementText(in, code);
  ops.Done(offset);
  ResolvedName file;
  if (int32_t e = ResolveExisting(in, name, file)) return e;
  ProgramList& program = in.Program();
  if (in.Running() && program.Modified() &&
      in.Host().dialogs.MessageBox(kEraseQuestion, kCaption, platform::Buttons::YesNo,
                                   platform::Icon::Exclamation) != platform::Answer::Yes) {
    in.StopRun(StopReason::BreakKey);
    return 0;
  }
  in.OldProgram().Clear();
  in.OldProgram().Swap(program);
  program.SetModified(false);
  in.OldProgramFile() = std::move(in.ProgramFile());
  in.ProgramFile() = {};
  in.ResetProgramPositions();
  // From here on the CHAIN statement's line has left the program.
  auto failed = [&](int32_t error) {
    if (!in.Running()) return error;
    in.ReportError(error, -1, statement);
    return -error;
  };
  const ProgramReadResult r = ReadFile(in, file.path);
  if (r.error) {
    if (r.error == kErrSyntaxError) return ReadFailed(in, r, statement);
    return failed(r.error);
  }
  in.ProgramFile() = {file.volume + ":" + file.file, !r.binary};
  if (const ProgramLine* dup = program.FindDuplicateLabel()) {
    in.ReportError(kErrDuplicateLabel, dup->SignedNumber(), dup->LabelText());
    return -kErrDuplicateLabel;
  }
  ProgramLine* start = program.First();
  if (form == 1) {
    int32_t error = 0;
    start = FindJumpTarget(program, target, nullptr, error);
    if (!start) return failed(error);
  }
  if (!start) {
    in.EndRun();
    return 0;
  }
  in.JumpTo(start);
  return 0;
}

// NEW
int32_t New(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.Position().PayloadEnd();
  if (!in.Running() && in.Memory().Confirm() && in.Program().Modified() &&
      !in.Entry().AskYesNo("New?")) {
    in.StopRun(StopReason::BreakKey);
    return 0;
  }
  DiscardProgram(in);
  return 0;
}

// OLD [name$]: with a name LOAD without running; alone, the program NEW
// discarded comes back.
int32_t Old(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t form = 0;
  if (int32_t r = ops.Byte(form)) return r;
  if (form == 1) {
    std::string name;
    if (int32_t r = NameOperand(ops, name)) return r;
    if (ops.Stopped()) return 0;
    const std::string statement = StatementText(in, code);
    ops.Done(offset);
    return LoadNamed(in, name, false, statement);
  }
  ops.Done(offset);
  if (in.Running()) return kErrModeError;
  ProgramList& program = in.Program();
  if (program.Modified()) return kErrCommandError;
  program.Clear();
  program.Swap(in.OldProgram());
  in.ProgramFile() = std::move(in.OldProgramFile());
  in.OldProgramFile() = {};
  in.ResetAfterEdit();
  in.ResetInit();
  return 0;
}

// LOAD?
int32_t LoadDialog(Interpreter& in, const uint8_t* code, size_t& offset) {
  offset = in.Position().PayloadEnd();
  const std::string statement = StatementText(in, code);
  platform::FileChoice choice;
  if (!ChooseProgramFile(in, platform::FileDialogMode::Open, choice)) return 0;
  return LoadNamed(in, choice.name, false, statement);
}

// SAVE?
int32_t SaveDialog(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.Position().PayloadEnd();
  platform::FileChoice choice;
  if (!ChooseProgramFile(in, platform::FileDialogMode::Save, choice)) return 0;
  return SaveProgram(in, choice.name, choice.asText, /*questions=*/true);
}

// DOS: "dosrun15.tvc" of the current volume runs as RUN "name" would run
// it; without one the screen is cleared, a fixed text written, and the
// command ends without a prompt.
int32_t Dos(Interpreter& in, const uint8_t* code, size_t& offset) {
  offset = in.Position().PayloadEnd();
  ResolvedName file;
  if (ResolveFileName(in.Volumes(), kDosProgram, {}, file) == 0 && PlainFileExists(file.path))
    return LoadNamed(in, file.volume + ":" + file.file, true, StatementText(in, code));
  ConsoleScreen& screen = in.Screen();
  screen.ClearScreen();
  screen.WriteText(kDosText);
  screen.NewLine();
  in.SetReason(StopReason::NoPrompt);
  return 0;
}

// DIRR: the built-in programs' names, a row each.
int32_t Dirr(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.Position().PayloadEnd();
  if (in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  const bool paged = in.Memory().CatalogPaged();
  if (screen.Column() != 0) screen.NewLine();
  int32_t rows = 0;
  for (const BuiltinProgram& p : BuiltinPrograms()) {
    if (paged && rows == kRowsPerPage) {
      if (!in.WaitMore()) break;
      screen.EraseCells(
          {0, kScreenRows - 1, static_cast<int32_t>(kMorePrompt.size()), kScreenRows});
      screen.SetCursor(0, kScreenRows - 1);
      rows = 0;
    }
    screen.WriteText(p.name);
    screen.NewLine();
    ++rows;
  }
  return 0;
}

}  // namespace handlers

}  // namespace torvic
