// The built-in programs: small BASIC programs in the text program form,
// compiled into the executable, that LOADR and RUNR load by name and DIRR
// lists. Each sets up the console for a familiar look through the settings
// memory (PEEK and POKE addresses) and ends.
#pragma once

#include <span>
#include <string_view>

namespace torvic {

struct BuiltinProgram {
  std::string_view name;  // upper case
  std::string_view text;  // the program as a text program file
};

// All of them, in name order (the order DIRR lists them in).
std::span<const BuiltinProgram> BuiltinPrograms();

// The program of that name, compared without regard to case (as resource
// names are); null when there is none.
const BuiltinProgram* FindBuiltinProgram(std::string_view name);

}  // namespace torvic
