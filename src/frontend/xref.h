// The cross-reference listing ($XREF): which numbered lines use each line
// number, label, variable, user function, named constant, statement or
// built-in function, built from the reference chains and records of the
// compiled lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/program.h"

namespace torvic {

enum class XrefMode : int {
  Lines = 0,
  Labels = 1,
  Variables = 2,
  UserFunctions = 3,
  Constants = 4,
  Statements = 5,
  Functions = 6,
};

// The mode a string operand names, or -1. The text is cut of blanks at both
// ends and upper-cased, then compared over its own length with the mode
// names in a fixed order (so "VAR" and "STAT" are abbreviations and the
// empty text is mode 0); a line number (digits only, at most 65535) also
// gives mode 0.
int XrefModeFromText(std::string_view text);
// The mode a number names (truncated; 0 to 6), or -1.
int XrefModeFromNumber(double value);

// The order of the entries: a locale-style comparison that gives the same
// result in every process locale. Characters weigh, at the first level,
// blanks and punctuation (in character-code order) below digits below
// letters, letters without regard to case, bytes from 128 on last, while
// hyphens and apostrophes are passed over (word order). Names equal at that
// level are told apart by case (the lower-case letter first) and at last by
// their bytes. Returns <0, 0 or >0.
int CompareXrefNames(std::string_view a, std::string_view b);

// A line whose compiled code is damaged (a code without a listing name, a
// letter index past Z, a broken chain); the caller reports "?Internal error"
// for it. The listing goes on without the damaged part.
using DamagedLineReport = std::function<void(const ProgramLine& line)>;

// The output lines of the listing in `mode`, in order, without line ends.
// Only numbered lines are looked at. With `capitals` off names are given in
// lower case ("fn" for "FN").
std::vector<std::string> BuildXref(const ProgramList& program, XrefMode mode, bool capitals,
                                   const DamagedLineReport& onDamaged);

}  // namespace torvic
