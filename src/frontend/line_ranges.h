// Line ranges as LIST, EDIT, DEL and KEEP name them, and the walk over the
// program lines a range takes in.
//
// The operand is the range list written by LineCompiler::RangeList (layout in
// compiler_context.h): { u8 1 | u32 first | u8 kind | u32 last } ... u8 0,
// a missing number all bits set. Numbers are read as signed 32-bit values,
// so "open" is -1, like the signed number of an unnumbered line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "frontend/program.h"

namespace torvic {

struct LineRange {
  static constexpr int32_t kOpen = -1;
  int32_t first = kOpen;
  bool single = false;  // kind 0: the line numbered `first` alone
  int32_t last = kOpen;
};

// Reads the range list at code[offset], not past `end`; offset moves past
// its end byte. False when the list is cut short or malformed.
bool ReadRangeList(const uint8_t* code, size_t& offset, size_t end, std::vector<LineRange>& out);

// Visits the lines of one range in program order until `visit` returns
// false; returns false when it did.
//
// A single line is found by number. A range starts at the first line whose
// signed number is at least `first` and takes every line after it while the
// number is at most `last`, so unnumbered lines (signed -1) that follow the
// start are included. The walk ends after the first line, in range or not,
// whose number is at least `last`. The visited line may be deleted by
// `visit`: the walk has already read what it needs from it.
bool WalkRange(ProgramList& program, const LineRange& range,
               const std::function<bool(ProgramLine&)>& visit);

}  // namespace torvic
