// The program-file operations the shell's start-up and exit need: reading a
// program file into the program, saving the program under a BASIC file
// name, and erasing it as NEW does.
//
// They belong to the program-files part of the interpreter (SAVE, LOAD,
// NEW and their relatives), which implements this interface. Until it is
// attached, NotBuiltProgramFiles answers every load and save with
// "?Not supported", so a caller reports a failure and never a save or load
// that did not happen.
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
  // Saves the program under a BASIC file name as SAVE does (text for
  // ProgramFileType::Text), clearing the modified flag on success. 0 or a
  // BASIC error code.
  virtual int32_t SaveProgram(Interpreter& in, const platform::ChosenFile& file) = 0;
  // NEW without a question: the program is erased and the interpreter reset.
  virtual void NewProgram(Interpreter& in) = 0;
};

class NotBuiltProgramFiles final : public ProgramFileHooks {
 public:
  int32_t LoadProgram(Interpreter& in, const std::string& hostPath) override;
  int32_t SaveProgram(Interpreter& in, const platform::ChosenFile& file) override;
  void NewProgram(Interpreter& in) override;
};

}  // namespace torvic
