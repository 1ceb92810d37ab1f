// The handlers of the file-system statements: they read their operands,
// look at the switches of the settings memory and hand the work to
// volumes/file_commands.h, giving it the console, the questions, the
// secure-mode warning and the event pump through StatementConsole.
//
// Operand layouts (frontend/compile_files.cpp): COPY, MOVE, RENAME and
// BACKUP take two expressions; KILL and DELETE one; VOLINI one (pattern
// "e"); ATTRIB an expression and a setting byte; CATALOG, CAT, FILES, DIR
// and SEARCH the pattern form and three option bytes (CompileCatalog).
#include <optional>
#include <string>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "volumes/file_commands.h"

namespace torvic::handlers {

namespace {

constexpr std::string_view kMorePrompt = "More...";

// The console and the interpreter as the file statements see them.
class StatementConsole final : public FileCommandConsole {
 public:
  explicit StatementConsole(Interpreter& in) : in_(in), screen_(in.Screen()) {}

  void Write(std::string_view text) override { screen_.WriteText(text); }
  void EndRow() override {
    if (screen_.Column() != 0) screen_.NewLine();
  }
  void NewRow() override { screen_.NewLine(); }
  int32_t Column() override { return screen_.Column(); }
  void PadToColumn(int32_t column) override { screen_.PadToColumn(column); }
  bool Ask(std::string_view question) override { return in_.Entry().AskYesNo(question); }

  // Secure mode warns a running program: Abort stops it as Break does,
  // Ignore passes the statement over, Retry goes on.
  bool Proceed(std::string_view warning) override {
    if (!in_.Secure() || !in_.Running()) return true;
    const platform::Answer a = in_.Host().dialogs.MessageBox(
        warning, "TORVIC", platform::Buttons::AbortRetryIgnore, platform::Icon::Exclamation);
    if (a == platform::Answer::Retry) return true;
    if (a == platform::Answer::Abort) in_.StopRun(StopReason::BreakKey);
    return false;
  }

  bool Turn() override {
    in_.PumpOnce();
    return in_.Reason() == StopReason::None;
  }

  bool PageBreak() override {
    if (!in_.WaitMore()) return false;
    // The next rows go on from the bottom row, over the wiped prompt.
    screen_.EraseCells({0, kScreenRows - 1, static_cast<int32_t>(kMorePrompt.size()), kScreenRows});
    screen_.SetCursor(0, kScreenRows - 1);
    return true;
  }

 private:
  Interpreter& in_;
  ConsoleScreen& screen_;
};

// The switches, narrowed to the mode: questions, progress lines and count
// lines belong to immediate mode.
FileCommandSwitches Switches(Interpreter& in) {
  const SettingsMemory& m = in.Memory();
  const bool immediate = !in.Running();
  FileCommandSwitches sw;
  sw.confirm = immediate && m.Confirm();
  sw.progress = immediate && m.FileProgressLines();
  sw.countLine = immediate && m.FileCountLine();
  sw.recycle = m.KillToRecycleBin();
  return sw;
}

// The end of a statement that did its work, or was declined or stopped:
// the offset moves past it. After the secure-mode warning's Abort the
// program stopped inside the statement; CONT goes on with the next one.
int32_t Finish(OperandReader& ops, int32_t result, size_t& offset) {
  if (result != 0) return result;
  return ops.Done(offset);
}

// Two string operands (COPY, MOVE, RENAME, BACKUP).
int32_t TwoStrings(OperandReader& ops, CBasicString& a, CBasicString& b) {
  if (int32_t r = ops.String(a)) return r;
  return ops.String(b);
}

int32_t Transfer(Interpreter& in, const uint8_t* code, size_t& offset, TransferKind kind,
                 bool enabled) {
  OperandReader ops(in, code, offset);
  CBasicString from, to;
  if (int32_t r = TwoStrings(ops, from, to)) return r;
  if (ops.Stopped()) return 0;
  if (!enabled) return ops.Done(offset);
  StatementConsole console(in);
  return Finish(ops,
                TransferFiles(in.Volumes(), kind, from.View(), to.View(), Switches(in), console),
                offset);
}

// A catalogue option byte: 0 keeps the setting, 1 turns it on, anything
// else off, for this listing only.
bool Option(uint8_t byte, bool setting) { return byte == 0 ? setting : byte == 1; }

}  // namespace

// COPY source$ TO destination$
int32_t Copy(Interpreter& in, const uint8_t* code, size_t& offset) {
  return Transfer(in, code, offset, TransferKind::Copy, in.Memory().CopyEnabled());
}

// MOVE source$ TO destination$
int32_t Move(Interpreter& in, const uint8_t* code, size_t& offset) {
  return Transfer(in, code, offset, TransferKind::Move, in.Memory().MoveEnabled());
}

// RENAME old$ AS|TO new$, NAME old$ AS new$
int32_t Rename(Interpreter& in, const uint8_t* code, size_t& offset) {
  return Transfer(in, code, offset, TransferKind::Rename, in.Memory().RenameEnabled());
}

// KILL name$, DELETE name$
int32_t Kill(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString name;
  if (int32_t r = ops.String(name)) return r;
  if (ops.Stopped()) return 0;
  if (!in.Memory().KillEnabled()) return ops.Done(offset);
  StatementConsole console(in);
  return Finish(ops, KillFiles(in.Volumes(), name.View(), Switches(in), console), offset);
}

// ATTRIB name$ [, ON | OFF]
int32_t Attrib(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString name;
  uint8_t setting = 0;
  if (int32_t r = ops.String(name)) return r;
  if (int32_t r = ops.Byte(setting)) return r;
  if (ops.Stopped()) return 0;
  if (setting > 2) return kErrInternalError;
  StatementConsole console(in);
  return Finish(ops, AttribFiles(in.Volumes(), name.View(), setting, Switches(in), console),
                offset);
}

// BACKUP source$ TO|, destination$
int32_t Backup(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString from, to;
  if (int32_t r = TwoStrings(ops, from, to)) return r;
  if (ops.Stopped()) return 0;
  if (!in.Memory().BackupEnabled()) return ops.Done(offset);
  StatementConsole console(in);
  return Finish(ops, BackupVolume(in.Volumes(), from.View(), to.View(), Switches(in), console),
                offset);
}

// VOLINI volume$
int32_t Volini(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString name;
  if (int32_t r = ops.String(name)) return r;
  if (ops.Stopped()) return 0;
  if (!in.Memory().VolIniEnabled()) return ops.Done(offset);
  StatementConsole console(in);
  return Finish(ops, InitializeVolume(in.Volumes(), name.View(), Switches(in), console), offset);
}

// CATALOG, CAT, FILES, DIR [pattern$] [, S|P|W ...]; SEARCH text$ [, ...]
int32_t Catalog(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  OperandReader ops(in, code, offset);
  const bool search = code[in.Position().StatementStart()] == 180;
  uint8_t present = 1;
  CBasicString pattern;
  uint8_t sorted = 0, paged = 0, wide = 0;
  if (!search)
    if (int32_t r = ops.Byte(present)) return r;
  if (present)
    if (int32_t r = ops.String(pattern)) return r;
  if (int32_t r = ops.Byte(sorted)) return r;
  if (int32_t r = ops.Byte(paged)) return r;
  if (int32_t r = ops.Byte(wide)) return r;
  if (ops.Stopped()) return 0;
  // Searching the files' contents is not part of this system.
  if (search) return kErrNotSupported;
  const SettingsMemory& m = in.Memory();
  const CatalogOptions options{Option(sorted, m.CatalogSorted()), Option(paged, m.CatalogPaged()),
                               Option(wide, m.CatalogWide())};
  StatementConsole console(in);
  std::optional<std::string_view> wanted;
  if (present) wanted = pattern.View();
  return Finish(ops, ListCatalog(in.Volumes(), wanted, options, console), offset);
}

}  // namespace torvic::handlers
