// The statement handler table: one entry per record code, derived at
// compile time from the run column of the statement table
// (frontend/statements.def): a row's handler, "?Not supported" for the
// statements not supported by design and for those whose part of the system
// is not built yet, and "?Internal error" for a code that names no
// statement. Nothing falls back to a default.
//
// Handler contract: the interpreter, the base of the code being executed and
// the offset, already past the record's 8-byte frame; the handler advances
// the offset past its operand area (Interpreter::PayloadEnd() says where it
// ends). Result: 0 success, a positive error code to raise, a negative code
// for an error already reported (stop without another message).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace torvic {

class Interpreter;
class ProgramLine;

using StatementHandler = int32_t (*)(Interpreter& in, const uint8_t* code, size_t& offset);

// The table indexed by record code; codes that name no statement hold a
// handler that answers "?Internal error", so dispatch never tests for a
// missing entry.
const std::array<StatementHandler, 256>& HandlerTable();

// The families of words the system keeps without their statement: they
// compile, and answer "?Not supported" in every form (BY_DESIGN rows).
enum class NotSupportedList : uint8_t {
  Printer,           // the printer statements (File > Print prints the listing)
  ProgramFileForms,  // LOADC, SAVEC, LSAVE
  EditingWords,      // program-editing words of the listing commands
  ProgramChecks,     // the checking, debugging and profiling words
  Graphics,          // graphics statements without arguments to check
  ConsoleWords,      // console words without arguments to check
};

// The parts of the system still to come, whose statements answer "?Not
// supported" until they are built (NOT_BUILT rows).
enum class ComingPart : uint8_t {
  // None at present: every statement the table names is built or not
  // supported by design.
};

// The run column of one row of the statement table.
enum class RunStatus : uint8_t { Built, NotSupportedByDesign, NotBuiltYet };
struct StatementRun {
  uint8_t code;
  RunStatus status;
  StatementHandler handler;  // what the table dispatches to
  NotSupportedList reason;   // NotSupportedByDesign rows
  ComingPart part;           // NotBuiltYet rows
};
// Every row's run column, in code order.
std::span<const StatementRun> StatementRuns();

namespace handlers {
// GOSUB's step once its target is found: the return point (past the
// statement, `returnOffset`) pushed, then the jump (control_flow.cpp).
int32_t GosubTo(Interpreter& in, ProgramLine* line, size_t returnOffset);
// DATA and the label definition are passed over (their operands are read by
// READ and by the label search); remarks too. ELSE and END IF reached
// without their IF are errors (handlers.cpp).
int32_t SkipPayload(Interpreter&, const uint8_t*, size_t&);
int32_t Remark(Interpreter&, const uint8_t*, size_t&);
int32_t StrayElse(Interpreter&, const uint8_t*, size_t&);
int32_t StrayEndIf(Interpreter&, const uint8_t*, size_t&);
// The run-control statements (run_statements.cpp).
int32_t Run(Interpreter&, const uint8_t*, size_t&);
int32_t Cont(Interpreter&, const uint8_t*, size_t&);
int32_t Stop(Interpreter&, const uint8_t*, size_t&);
int32_t End(Interpreter&, const uint8_t*, size_t&);
int32_t Init(Interpreter&, const uint8_t*, size_t&);
int32_t Exit(Interpreter&, const uint8_t*, size_t&);
int32_t Restart(Interpreter&, const uint8_t*, size_t&);
int32_t Start(Interpreter&, const uint8_t*, size_t&);
int32_t Menu(Interpreter&, const uint8_t*, size_t&);
// HELP [topic$] (help_statement.cpp).
int32_t Help(Interpreter&, const uint8_t*, size_t&);
int32_t Tron(Interpreter&, const uint8_t*, size_t&);
int32_t Troff(Interpreter&, const uint8_t*, size_t&);
int32_t Bkon(Interpreter&, const uint8_t*, size_t&);
int32_t Bkoff(Interpreter&, const uint8_t*, size_t&);
int32_t Confirm(Interpreter&, const uint8_t*, size_t&);
int32_t Secure(Interpreter&, const uint8_t*, size_t&);
int32_t Push(Interpreter&, const uint8_t*, size_t&);
int32_t Pop(Interpreter&, const uint8_t*, size_t&);
int32_t DollarColor(Interpreter&, const uint8_t*, size_t&);
int32_t Pause(Interpreter&, const uint8_t*, size_t&);
// The variable statements (variable_handlers.cpp).
int32_t Let(Interpreter&, const uint8_t*, size_t&);
int32_t Dim(Interpreter&, const uint8_t*, size_t&);
int32_t Redim(Interpreter&, const uint8_t*, size_t&);
int32_t Erase(Interpreter&, const uint8_t*, size_t&);
int32_t Clear(Interpreter&, const uint8_t*, size_t&);
int32_t Option(Interpreter&, const uint8_t*, size_t&);
int32_t Const(Interpreter&, const uint8_t*, size_t&);
int32_t DefFn(Interpreter&, const uint8_t*, size_t&);
int32_t DefUsr(Interpreter&, const uint8_t*, size_t&);
int32_t IncDec(Interpreter&, const uint8_t*, size_t&);
int32_t Swap(Interpreter&, const uint8_t*, size_t&);
int32_t ClrVariables(Interpreter&, const uint8_t*, size_t&);  // CLR alone
int32_t Randomize(Interpreter&, const uint8_t*, size_t&);
// MID$, LEFT$ and RIGHT$ as statements.
int32_t MidStatement(Interpreter&, const uint8_t*, size_t&);
int32_t LeftRightStatement(Interpreter&, const uint8_t*, size_t&);
// Listing and program editing (listing_handlers.cpp, editing_handlers.cpp).
int32_t List(Interpreter&, const uint8_t*, size_t&);
int32_t Lines(Interpreter&, const uint8_t*, size_t&);
int32_t Xref(Interpreter&, const uint8_t*, size_t&);
int32_t Edit(Interpreter&, const uint8_t*, size_t&);
int32_t Recall(Interpreter&, const uint8_t*, size_t&);
int32_t Del(Interpreter&, const uint8_t*, size_t&);
int32_t Keep(Interpreter&, const uint8_t*, size_t&);
int32_t Renum(Interpreter&, const uint8_t*, size_t&);
int32_t Unnum(Interpreter&, const uint8_t*, size_t&);
int32_t Find(Interpreter&, const uint8_t*, size_t&);
// The cross-reference listing of $XREF in mode 0..6 (EXEC 54264 lists it in
// the style of its setting).
int32_t ListCrossReference(Interpreter&, int mode);
// POKE and POKE$ (settings_statements.cpp).
int32_t Poke(Interpreter&, const uint8_t*, size_t&);
int32_t PokeString(Interpreter&, const uint8_t*, size_t&);
// Control flow (control_flow.cpp).
int32_t Goto(Interpreter&, const uint8_t*, size_t&);
int32_t Gosub(Interpreter&, const uint8_t*, size_t&);
int32_t Return(Interpreter&, const uint8_t*, size_t&);
int32_t OnGoto(Interpreter&, const uint8_t*, size_t&);
int32_t If(Interpreter&, const uint8_t*, size_t&);
int32_t Goif(Interpreter&, const uint8_t*, size_t&);
int32_t For(Interpreter&, const uint8_t*, size_t&);
int32_t Next(Interpreter&, const uint8_t*, size_t&);
int32_t Wait(Interpreter&, const uint8_t*, size_t&);
// READ and RESTORE (data_statements.cpp).
int32_t Read(Interpreter&, const uint8_t*, size_t&);
int32_t Restore(Interpreter&, const uint8_t*, size_t&);
// Errors and traps (traps.cpp).
int32_t OnError(Interpreter&, const uint8_t*, size_t&);
int32_t OnBreak(Interpreter&, const uint8_t*, size_t&);
int32_t OnTimer(Interpreter&, const uint8_t*, size_t&);
int32_t Resume(Interpreter&, const uint8_t*, size_t&);
int32_t Timer(Interpreter&, const uint8_t*, size_t&);
int32_t TimerSet(Interpreter&, const uint8_t*, size_t&);
int32_t GotoTimer(Interpreter&, const uint8_t*, size_t&);
int32_t Error(Interpreter&, const uint8_t*, size_t&);
int32_t Assert(Interpreter&, const uint8_t*, size_t&);
int32_t Log(Interpreter&, const uint8_t*, size_t&);
// PRINT and PRINT USING on the screen (print_statement.cpp).
int32_t Print(Interpreter&, const uint8_t*, size_t&);
int32_t PrintUsing(Interpreter&, const uint8_t*, size_t&);
// The keyboard reads (input_statements.cpp).
int32_t Input(Interpreter&, const uint8_t*, size_t&);
int32_t LineInput(Interpreter&, const uint8_t*, size_t&);
int32_t LineEdit(Interpreter&, const uint8_t*, size_t&);
int32_t Get(Interpreter&, const uint8_t*, size_t&);
// The screen statements and the checked "?Not supported" group
// (screen_statements.cpp).
int32_t Cls(Interpreter&, const uint8_t*, size_t&);
int32_t Htab(Interpreter&, const uint8_t*, size_t&);
int32_t Vtab(Interpreter&, const uint8_t*, size_t&);
int32_t Locate(Interpreter&, const uint8_t*, size_t&);
int32_t Color(Interpreter&, const uint8_t*, size_t&);
int32_t Inverse(Interpreter&, const uint8_t*, size_t&);
int32_t Cursor(Interpreter&, const uint8_t*, size_t&);
int32_t Ask(Interpreter&, const uint8_t*, size_t&);
int32_t Set(Interpreter&, const uint8_t*, size_t&);
int32_t Select(Interpreter&, const uint8_t*, size_t&);
int32_t Invert(Interpreter&, const uint8_t*, size_t&);
int32_t ClrRectangle(Interpreter&, const uint8_t*, size_t&);
int32_t Frame(Interpreter&, const uint8_t*, size_t&);
int32_t Line(Interpreter&, const uint8_t*, size_t&);
int32_t Call(Interpreter&, const uint8_t*, size_t&);
int32_t Sound(Interpreter&, const uint8_t*, size_t&);
int32_t Beep(Interpreter&, const uint8_t*, size_t&);
int32_t Title(Interpreter&, const uint8_t*, size_t&);
int32_t Ver(Interpreter&, const uint8_t*, size_t&);
int32_t About(Interpreter&, const uint8_t*, size_t&);
int32_t Exec(Interpreter&, const uint8_t*, size_t&);
int32_t Sys(Interpreter&, const uint8_t*, size_t&);
int32_t Resize(Interpreter&, const uint8_t*, size_t&);
int32_t Lock(Interpreter&, const uint8_t*, size_t&);
int32_t Unlock(Interpreter&, const uint8_t*, size_t&);
int32_t Fill(Interpreter&, const uint8_t*, size_t&);
int32_t Font(Interpreter&, const uint8_t*, size_t&);
int32_t Prompt(Interpreter&, const uint8_t*, size_t&);
int32_t CountedListNotSupported(Interpreter&, const uint8_t*, size_t&);
int32_t FormAndListNotSupported(Interpreter&, const uint8_t*, size_t&);
int32_t OneValueNotSupported(Interpreter&, const uint8_t*, size_t&);
// SCREEN (screen_images.cpp).
int32_t Screen(Interpreter&, const uint8_t*, size_t&);
// The data files (file_statements.cpp) and the whole-file statements
// (file_transfer.cpp).
int32_t Open(Interpreter&, const uint8_t*, size_t&);
int32_t Close(Interpreter&, const uint8_t*, size_t&);
int32_t Reset(Interpreter&, const uint8_t*, size_t&);
int32_t Abort(Interpreter&, const uint8_t*, size_t&);
int32_t Field(Interpreter&, const uint8_t*, size_t&);
int32_t Lset(Interpreter&, const uint8_t*, size_t&);
int32_t Rset(Interpreter&, const uint8_t*, size_t&);
int32_t GetRecord(Interpreter&, const uint8_t*, size_t&);     // GET #
int32_t PutRecord(Interpreter&, const uint8_t*, size_t&);     // PUT #
int32_t InsertRecord(Interpreter&, const uint8_t*, size_t&);  // INSERT #
int32_t DeleteRecord(Interpreter&, const uint8_t*, size_t&);  // DELETE #
int32_t Seek(Interpreter&, const uint8_t*, size_t&);
int32_t Rewind(Interpreter&, const uint8_t*, size_t&);
int32_t Truncate(Interpreter&, const uint8_t*, size_t&);
int32_t KillFile(Interpreter&, const uint8_t*, size_t&);  // KILL #
int32_t Reopen(Interpreter&, const uint8_t*, size_t&);
int32_t Unload(Interpreter&, const uint8_t*, size_t&);
int32_t Write(Interpreter&, const uint8_t*, size_t&);
int32_t Attach(Interpreter&, const uint8_t*, size_t&);
int32_t Detach(Interpreter&, const uint8_t*, size_t&);
int32_t Cmd(Interpreter&, const uint8_t*, size_t&);
int32_t ArgumentsThenNotSupported(Interpreter&, const uint8_t*, size_t&);
int32_t Dload(Interpreter&, const uint8_t*, size_t&);
int32_t Dsave(Interpreter&, const uint8_t*, size_t&);
int32_t Dump(Interpreter&, const uint8_t*, size_t&);  // DUMP, TYPE
// Program files (program_file_handlers.cpp). RunFile is RUN with a file
// name, called by Run.
int32_t Save(Interpreter&, const uint8_t*, size_t&);  // SAVE, ASAVE, BSAVE
int32_t Load(Interpreter&, const uint8_t*, size_t&);
int32_t Loadr(Interpreter&, const uint8_t*, size_t&);
int32_t Runr(Interpreter&, const uint8_t*, size_t&);
int32_t Merge(Interpreter&, const uint8_t*, size_t&);
int32_t Chain(Interpreter&, const uint8_t*, size_t&);
int32_t New(Interpreter&, const uint8_t*, size_t&);
int32_t Old(Interpreter&, const uint8_t*, size_t&);
int32_t LoadDialog(Interpreter&, const uint8_t*, size_t&);  // LOAD?
int32_t SaveDialog(Interpreter&, const uint8_t*, size_t&);  // SAVE?
int32_t Dos(Interpreter&, const uint8_t*, size_t&);
int32_t Dirr(Interpreter&, const uint8_t*, size_t&);
int32_t RunFile(Interpreter&, const uint8_t*, size_t&);
// The volume table's statements (volume_statements.cpp).
int32_t Volumes(Interpreter&, const uint8_t*, size_t&);
int32_t Cv(Interpreter&, const uint8_t*, size_t&);  // CV, VOLUME
int32_t Work(Interpreter&, const uint8_t*, size_t&);
int32_t Pwork(Interpreter&, const uint8_t*, size_t&);
int32_t Pdv(Interpreter&, const uint8_t*, size_t&);
// File-system statements (file_system_statements.cpp).
int32_t Copy(Interpreter&, const uint8_t*, size_t&);
int32_t Move(Interpreter&, const uint8_t*, size_t&);
int32_t Rename(Interpreter&, const uint8_t*, size_t&);  // RENAME, NAME
int32_t Kill(Interpreter&, const uint8_t*, size_t&);    // KILL name, DELETE name
int32_t Attrib(Interpreter&, const uint8_t*, size_t&);
int32_t Backup(Interpreter&, const uint8_t*, size_t&);
int32_t Volini(Interpreter&, const uint8_t*, size_t&);
int32_t Catalog(Interpreter&, const uint8_t*, size_t&);  // CATALOG, CAT, FILES, DIR, SEARCH
}  // namespace handlers

}  // namespace torvic
