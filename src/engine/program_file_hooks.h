// The program-file operations the shell's start-up and exit need: reading a
// program file into the program, saving the program under a BASIC file
// name, and erasing it as NEW does.
//
// The program files (program_file_handlers.cpp) implement them; tests put
// other implementations in their place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/host.h"

namespace torvic {

class Interpreter;

class ProgramFileHooks {
 public:
  virtual ~ProgramFileHooks() = default;
  // Reads the program file at a host path into the program, which the
  // caller has emptied (the start-up program, a file named on the command
  // line). 0 or a BASIC error code.
  virtual int32_t LoadProgram(Interpreter& in, const std::string& hostPath) = 0;
  // Saves the program under a BASIC file name as SAVE does (text when
  // `file.asText`), clearing the modified flag on success. 0 or a BASIC
  // error code.
  virtual int32_t SaveProgram(Interpreter& in, const platform::FileChoice& file) = 0;
  // NEW without a question: the program is erased and the interpreter reset.
  virtual void NewProgram(Interpreter& in) = 0;
};

// The program files themselves: the reader of both forms, SAVE's writer
// and NEW's move into the old-program store.
ProgramFileHooks& StoredProgramFiles();

}  // namespace torvic
