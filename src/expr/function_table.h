// The built-in function table: one row per function name, in table order.
// Aliases share a function number. The name matcher (keywords.h) scans these
// rows; the expression compiler and evaluator read the other columns.
#pragma once

#include <cstdint>
#include <span>

namespace torvic {

struct FunctionRow {
  const char* name;   // lower case, with "$" for string functions
  uint8_t number;     // function number 1..253
  int8_t argCount;    // -1 for a variable count
  bool stringResult;  // governs only name matching (the "$" rule)
  uint8_t signature;  // signature code: argument and result kinds
  bool optionalArgs;  // arguments may be omitted (default-argument table)
};

std::span<const FunctionRow> FunctionTable();

// The upper-case listing name of a function number, as $XREF prints it: one
// of the number's names in the rows above (null for a number no row has).
const char* FunctionListingName(int number);

// Signature codes with a meaning of their own beyond the fixed argument
// lists 1..25.
namespace sig {
inline constexpr uint8_t kInstr3 = 7;           // instr with a start position
inline constexpr uint8_t kTwoNumbers = 4;       // also max/min with two arguments
inline constexpr uint8_t kNumberToString = 14;  // also chr$ with one argument
inline constexpr uint8_t kUserFunction = 128, kMaxLen = 129, kMkTime = 130, kUsing = 131,
                         kChoose = 132, kSwitch = 133, kVarPtr = 134, kChrList = 144,
                         kMaxList = 145, kMinList = 146, kUsr = 160, kLBound = 176, kMaxSize = 177,
                         kSize = 178, kUBound = 179;
}  // namespace sig

// Function numbers the compiler and evaluator treat specially.
namespace fnum {
inline constexpr uint8_t kChr = 16, kInstr = 63, kMax = 78, kMaxLen = 79, kMin = 83, kMkTime = 88,
                         kUsing = 136, kFn = 50, kVarPtr = 206, kVarPtrString = 207, kSadd = 211,
                         kUsr = 215, kLBound = 250, kMaxSize = 251, kSize = 252, kUBound = 253;
}  // namespace fnum

// Default-argument table: what an omitted argument of an optional-arguments
// function compiles to. Kind Item emits one of the pseudo-operand item codes
// 128..133 (current colours, current volume, current time).
enum class DefaultKind : uint8_t { Number, String, Item };
struct DefaultArg {
  uint8_t number;    // function number
  uint8_t position;  // argument position counted from 0
  DefaultKind kind;
  double value;      // Number: the value; Code: the item code
  const char* text;  // String: the text
};

std::span<const DefaultArg> DefaultArgTable();
// The default of argument `position` of function `number`, or nullptr.
const DefaultArg* FindDefaultArg(uint8_t number, uint8_t position);

}  // namespace torvic
