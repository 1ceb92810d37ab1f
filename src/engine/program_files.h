// The program-file operations that more than the statements need: NEW's
// move into the old-program store, the start-up program's place and the
// volume file dialog. The statements themselves
// are in program_file_handlers.cpp; the file formats and the reader in
// frontend/program_file.h.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host.h"

namespace torvic {

class Interpreter;

// NEW without its question: a running program ends, the program (with its
// modified flag and file name) moves to the old-program store, whose
// earlier contents are freed, and the edit and INIT resets run.
void DiscardProgram(Interpreter& in);

// Settings address 1969: a copy of the old-program store (when it holds
// lines) becomes the
// program (with the stored modified flag), any run ends and the run state
// is reset. "?Out of memory", the program unchanged, when the copy does
// not fit.
int32_t RecoverDiscardedProgram(Interpreter& in);

// The start-up program "_$torvic.tvc" (any case): in TORVIC's per-user
// configuration folder (beside the settings store), else in the folder of
// the executable. "" when neither holds it.
std::string StartupProgramPath();

// The volume file dialog: the host's, or, where the host draws none, the
// name asked for on the console line ("Open file: ", "Save as: "; an
// empty line cancels), where the dialog's checks answer on the console as
// well: a name whose volume part names no volume is told and asked again;
// for saving, an existing file is replaced only after a "Y". False when
// cancelled.
bool ChooseProgramFile(Interpreter& in, platform::FileDialogMode mode,
                       platform::FileChoice& choice);

}  // namespace torvic
