// The built-in functions that build, cut, search and compare strings, the
// file-name functions, and the MID$, LEFT$ and RIGHT$ statements.
//
// Workers (functions.h) write their text into the result value's string,
// whose storage the evaluator reuses from call to call, so most calls do not
// allocate. Counts and positions are rounded half up and range-checked
// ("?Function call error"); a "character argument" is a string of which
// only the first byte counts and which must not be empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "expr/evaluator.h"
#include "expr/functions.h"

namespace torvic {

using WorkerFunction = int32_t(CallContext& ctx, const CValue* args, int count, CValue& result);

// Cutting and building.
WorkerFunction FnLeft, FnRight, FnMid, FnRepeat, FnStringOf, FnSpace, FnNul, FnEsc, FnRet, FnLCase,
    FnUCase, FnReverse, FnCompress, FnLTrim, FnRTrim, FnTrim, FnSet, FnQuote, FnIsEmpty;

// Searching and comparing (numeric results). FnInstr serves both forms:
// instr(a, b) and instr(p, a, b).
WorkerFunction FnInstr, FnLastIndexOf, FnCount, FnBeginsWith, FnEndsWith;

// What left$, right$ and mid$ cut from s, as a part of s; false for a count
// or position out of range ("?Function call error"). And instr's answer:
// the position of pat in s searching from `from` (a start position that is
// out of range is false), 0 when it is not there. The workers and the
// quick plans (quick_code.h) both cut and search through these.
bool LeftPart(std::string_view s, double count, std::string_view& out);
bool RightPart(std::string_view s, double count, std::string_view& out);
bool MidPart(std::string_view s, double position, double count, std::string_view& out);
bool InstrFrom(double position, int32_t& from);
inline double InstrPosition(std::string_view s, std::string_view pat, int32_t from) {
  const int32_t found = CBasicString::Find(s, pat, from);
  return found < 0 ? 0 : found;
}

// File-name strings.
WorkerFunction FnSplitName, FnFullName, FnTempName;

// ---------------------------------------------------------------------------
// What the file-name functions need to know about volumes. The interpreter
// answers through its volume table (EvalEnvironment::FileVolumes). Where no
// table is (a bare evaluator), one built-in volume named TORVIC stands in:
// it is always the current volume and holds no files; SetFileNameVolumes
// replaces that stand-in.
class FileNameVolumes {
 public:
  virtual ~FileNameVolumes() = default;
  virtual std::string CurrentVolume() = 0;
  virtual bool VolumeExists(std::string_view volume) = 0;
  // Does the file `name` (name and extension) exist on the volume's folder?
  virtual bool FileExists(std::string_view volume, std::string_view name) = 0;
};
// Null restores the built-in volume.
void SetFileNameVolumes(FileNameVolumes* volumes);
// Sets the interpreter's temporary-name counter, the next number tempname$
// tries (it starts at 0).
void SetTempNameCounter(uint32_t value);

// ---------------------------------------------------------------------------
// The assignment statements on parts of a string variable, on the operand
// areas CompileMidLeftRight (frontend/compile_data.cpp) writes (ref is a
// string variable item 7 or 9, the others expressions with their 0 bytes):
//
//   MID$     ref | expr position | expr count | expr replacement
//            (an omitted count is compiled as the number 65535, so that all
//            of the replacement is used)
//   LEFT$    ref | expr count | expr replacement
//   RIGHT$   as LEFT$
//
// `pos` is the offset of the operand area in the compiled line.

// MID$(v, p [, n]) = r: overwrites v from position p with the first n bytes
// of r, growing v when they reach past its end.
int32_t ExecuteMidStatement(Evaluator& ev, Code code, size_t pos);
// LEFT$(v, n) = r and RIGHT$(v, n) = r: checked, then "?Not supported".
int32_t ExecuteLeftRightStatement(Evaluator& ev, Code code, size_t pos);

}  // namespace torvic
