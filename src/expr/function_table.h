// The built-in function table: one row per function name, in table order.
// Aliases share a function number. The name matcher (keywords.h) scans these
// rows; the expression compiler and evaluator read the other columns.
#pragma once

#include <cstdint>
#include <span>

namespace torvic {

struct FunctionRow {
  const char* name;     // lower case, with "$" for string functions
  uint8_t number;       // function number 1..253
  int8_t argCount;      // -1 for a variable count
  bool stringResult;    // governs only name matching (the "$" rule)
  uint8_t signature;    // signature code: argument and result kinds
  bool optionalArgs;    // arguments may be omitted (default-argument table)
};

std::span<const FunctionRow> FunctionTable();

}  // namespace torvic
