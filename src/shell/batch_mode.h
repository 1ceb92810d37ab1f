// The batch mode: torvic --batch [--keys] [--screen] [--memory SIZE] [PROGRAM]
//
// No window, no fonts, no banner and no start-up program. Standard input is
// typed at the keyboard (BatchHost); standard output is the transcript, the
// echo stream of the console screen with every carriage return written as a
// line feed, or with --screen the 25 screen rows at exit (UTF-8 of the
// glyphs shown, one line per row, trailing blanks cut).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace torvic {
class Interpreter;
class ProgramList;
}  // namespace torvic

namespace torvic::shell {

// --mount NAME=FOLDER[,ro]: a volume for this run only (batch and window).
struct MountOption {
  std::string name;    // upper case
  std::string folder;  // full path of an existing folder
  bool readOnly = false;
};

// The start-up options of the window, after "-" or "/" in any case:
// nostartup (the three below together), nocolor, nomessage, noprogram,
// norestore. Nothing reads the first three yet; norestore keeps the
// window's placement from being read or written.
struct StartupOptions {
  bool noColor = false;
  bool noMessage = false;
  bool noProgram = false;
  bool noRestore = false;
};
// True when `arg` is one of the start-up options (recorded in `options`).
bool ScanStartupOption(std::string_view arg, StartupOptions& options);

struct BatchOptions {
  bool braceNames = false;   // --keys
  bool screenDump = false;   // --screen
  bool window = false;       // --window: the window even without a terminal
  std::string program;       // PROGRAM (FILE.tvc for the window), or empty
  bool disassemble = false;  // --disassemble PROGRAM
  std::vector<MountOption> mounts;
  uint64_t memory = 0;  // --memory SIZE in bytes; 0 for the default budget
  StartupOptions startup;
};

// Parses the arguments after the program name; false for a bad command line
// (an unknown option, a malformed --mount or one whose folder is missing, a
// bad --memory size, --window with --batch). `isBatch` tells whether --batch
// was given at all. The window and the terminal take the same arguments
// (--mount, --memory).
bool ParseBatchArguments(const std::vector<std::string>& args, bool& isBatch, BatchOptions& options,
                         std::string& error);
// NAME=FOLDER[,ro]; a relative FOLDER is taken from the current folder.
bool ParseMount(std::string_view text, MountOption& mount, std::string& error);
// Attaches the interpreter's volume table to the settings store and adds
// the session volumes; the table itself is read on first use.
void AttachVolumes(Interpreter& interpreter, platform::SettingsStore& store,
                   const std::vector<MountOption>& mounts);

// Runs a batch session on standard input and output; the exit status:
// 0 normal, 1 the program ended with an error or Break, 2 a PROGRAM that
// cannot be read (a missing or unreadable file, one that is not a regular
// file, too big, or more than the memory budget holds) or standard output
// that could not be written. A terminating signal ends the session cleanly
// and then the process, by that signal.
int RunBatch(const BatchOptions& options);

// --disassemble PROGRAM: loads the program as the batch mode does and prints
// every line's compiled records (frontend/disassembler.h) instead of running
// it; the exit status is 0, or 2 for a program that cannot be read.
// Reads the program file a command line names into `program`; false, with
// "torvic: cannot read PATH: MESSAGE" on standard error, when it cannot.
bool ReadProgramArgument(const std::string& path, ProgramList& program);
int RunDisassemble(const BatchOptions& options);

}  // namespace torvic::shell
