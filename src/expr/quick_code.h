// Quick code: expressions of program lines decoded once into fixed steps,
// so that running them again reads no item headers, checks no bounds and
// touches no value of the general stack.
//
// What qualifies: number and string literals, letters, named scalars,
// array elements (with quick subscripts), named constants, the operators,
// and built-in functions of fixed signature (numbers and strings in, a
// number or a string out). Anything else (FN, USR, list signatures, the
// pseudo-operands, malformed code) is left to the general evaluator, which
// also reports every error of malformed code; so is an operator or a
// function given the wrong kind of value, so that "?Type mismatch" keeps
// coming from one place.
//
// Numbers and strings have a stack each; every step knows from the decoder
// which it works on. A string on the stack is a view: of a literal in the
// code, of a variable, or of the stack entry's own storage (what joining,
// chr$ and the other built-ins make); left$, right$ and mid$ cut the view.
// Nothing a plan runs changes a variable before its last step, so the
// views of variables stay valid while it runs. An expression that touches strings may call only the
// built-ins that neither run code nor look outside their arguments (the
// list in quick_code.cpp), so no plan runs while one with strings is under
// way and the evaluator's one string stack serves them all.
//
// A one-target string assignment whose expression begins with the target
// and ends with joining something to it (A$=A$+X$, A$=A$+CHR$(N)+B$) is an
// append: the target is not copied out and back, the tail is added to it.
//
// A plan runs the same operations in the same order as the general
// evaluator: variables are created when read, arrays dimensioned on first
// use, errors and the pending-stop rule are the same, so a program cannot
// tell which path ran. Plans are found by the address of the expression's
// first byte and live while the program's code is unchanged (the code epoch
// of ProgramLine); every variable record a plan keeps is checked against the
// variable store's removal count before use.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "base/code_reader.h"

namespace torvic {

struct CVariable;

namespace quick {

enum class Op : uint8_t {
  Number,    // push `number`
  Letter,    // push *place
  Scalar,    // push the named scalar of site `site`
  Element,   // pop `count` subscripts, push the element of site `site`
  Constant,  // push the named constant of site `site`
  Negate,
  Not,
  Add,
  Subtract,
  Multiply,
  Divide,
  Less,
  Greater,
  Equal,
  NotEqual,
  LessEqual,
  GreaterEqual,
  Power,
  Square,  // ^ 2
  // + - * / whose right operand is a letter (`place`) or a number
  // (`number`): folded into the step that pushed that operand.
  AddLetter,
  AddNumber,
  SubtractLetter,
  SubtractNumber,
  MultiplyLetter,
  MultiplyNumber,
  DivideLetter,
  DivideNumber,
  // The comparisons and \ DIV MOD the same way.
  LessLetter,
  LessNumber,
  GreaterLetter,
  GreaterNumber,
  EqualLetter,
  EqualNumber,
  NotEqualLetter,
  NotEqualNumber,
  LessEqualLetter,
  LessEqualNumber,
  GreaterEqualLetter,
  GreaterEqualNumber,
  OtherBinaryLetter,  // `code` as for OtherBinary
  OtherBinaryNumber,
  OtherBinary,  // \ DIV MOD (`code`), which need no more than their numbers
  Binary,       // any other number operator `code`
  Call,         // built-in `code` (function number) with `count` numbers, signature `signature`
  Kernel,       // a one-number built-in that needs nothing but its number: `kernel`
  // Strings.
  Text,            // push the literal `text` of `end` bytes
  StringScalar,    // push the string scalar of site `site`
  StringElement,   // pop `count` subscripts, push the string element of site `site`
  Concat,          // join the top two strings
  Length,          // pop a string, push its length (len)
  ScalarLength,    // push the length of the string scalar of site `site` (len of it)
  Chr,             // pop a number, push chr$ of it
  Left,            // pop a count, cut left$ of the top string
  Right,           // the same for right$
  Mid,             // pop a count and a position, cut mid$ of the top string
  Instr,           // pop two strings, push instr of them
  InstrFrom,       // the same from the position on the number stack (instr(p, a, b))
  CompareStrings,  // pop two strings, push the truth of comparison `code`
  // Built-in `code` with `count` arguments of kinds `text` ('N', 'S'),
  // giving a string when `stringResult`: signature `signature`.
  MixedCall,
  // Assignment targets: find the place the value will go to, before the
  // expression runs (as the general LET resolves its targets first).
  TargetScalar,   // the named scalar of site `site`
  TargetElement,  // pop `count` subscripts: the element of site `site`
  // Element and TargetElement of one subscript that is a letter (`place`),
  // folded into the step that pushed the letter.
  ElementLetter,
  TargetElementLetter,
  TargetStringScalar,   // the same for strings
  TargetStringElement,  //
  Append,               // add the top string to the target (the last step of an append)
};

struct Step {
  Op op;
  uint8_t code = 0;           // operator code or function number
  uint8_t count = 0;          // subscripts or arguments
  uint8_t signature = 0;      // Call
  uint32_t site = 0;          // Scalar, Element, Constant
  uint32_t end = 0;           // Call: code offset just past the item (a stop leaves pos there)
  bool stringResult = false;  // MixedCall
  union {
    double number;
    double* place;
    int32_t (*kernel)(double x, double& out);
    const char* text;  // Text (into the line's code), MixedCall (argument kinds)
  };
  Step() : op(Op::Number), number(0) {}
};

// A named variable or constant a plan reads: its name (pointing into the
// line's code, which lives as long as the plan) and the record found for
// it, valid while the store's removal count is `removals`.
struct Site {
  uint8_t itemCode = 0;  // 6/7 numeric/string scalar, 8/9 element, 10 constant
  uint32_t itemPos = 0;  // the item's offset in the code
  std::string_view name;
  CVariable* record = nullptr;
  uint64_t removals = ~uint64_t{0};
};

struct Plan {
  uint32_t firstStep = 0;
  uint32_t stepCount = 0;
  uint32_t length = 0;  // bytes of the expression with its 0 byte
  // Assignments: the statement ends after the expression (a 0 byte follows).
  bool endsStatement = false;
  // Assignments: the target is a string (a target step finds it), and
  // the plan appends to it rather than giving it a value.
  bool stringTarget = false;
  bool append = false;
  // The plan has string steps (and runs in the loop that has them).
  bool strings = false;
  // Assignments: a letter target's place (else a target step finds it).
  double* place = nullptr;
};

// The operator of a step that folds its right operand (AddLetter: Add),
// and whether that operand is a letter; false for any other step.
bool FoldedRightOperand(Op step, Op& op, bool& letter);

// The deepest number stack, and string stack, a plan may need; deeper
// expressions stay general.
inline constexpr int kMaxDepth = 32;

// Decodes the expression at code[pos] into steps and sites appended to the
// pools; false (pools unchanged) when it does not qualify. `letters` is the
// place of letter variable A (B follows it, and so on).
bool Decode(Code code, size_t pos, double* letters, std::vector<Step>& steps,
            std::vector<Site>& sites, Plan& plan);
// The same for an assignment of LET with one target: a variable item
// (letter, scalar or element with quick subscripts), the 0 byte that ends
// the target list, and the expression of the target's kind; `length`
// covers all three.
bool DecodeAssignment(Code code, size_t pos, double* letters, std::vector<Step>& steps,
                      std::vector<Site>& sites, Plan& plan);

// Every plan of the current code, found by expression address. Cleared
// whenever the code epoch changes.
class PlanCache {
 public:
  // Plans of expressions, or (`assignments`) of one-target assignments.
  explicit PlanCache(double* letters, bool assignments = false)
      : letters_(letters), assignments_(assignments) {}
  // The plan for the expression at `at`, decoding it on first sight; null
  // when the expression does not qualify. The plan may move when another is
  // added: callers copy it before anything else is decoded.
  const Plan* Find(Code code, size_t pos, uint64_t epoch) {
    if (epoch != epoch_ && !Reset(epoch)) return nullptr;
    const uint8_t* at = code.data() + pos;
    for (size_t i = Hash(at);; i = (i + 1) & mask_) {
      Entry& e = table_[i];
      if (e.at == at) return e.plan.stepCount == 0 ? nullptr : &e.plan;
      if (!e.at) return Add(code, pos, i);
    }
  }
  std::vector<Step>& Steps() { return steps_; }
  std::vector<Site>& Sites() { return sites_; }
  // The epoch the plans were decoded in: a copy of a plan may run while
  // this stays the epoch it was found in.
  uint64_t Epoch() const { return epoch_; }

 private:
  // The plan lives in its entry (one load less per lookup); a plan of no
  // steps marks an expression that does not qualify (every plan has one).
  struct Entry {
    const uint8_t* at = nullptr;
    Plan plan;
  };
  static size_t HashIn(const uint8_t* at, size_t mask) {
    return static_cast<size_t>((reinterpret_cast<uintptr_t>(at) * 0x9E3779B97F4A7C15ULL) >> 40) &
           mask;
  }
  size_t Hash(const uint8_t* at) const { return HashIn(at, mask_); }
  bool Reset(uint64_t epoch);  // false (nothing changed) without storage
  const Plan* Add(Code code, size_t pos, size_t slot);
  const Plan* Decoded(Code code, size_t pos, size_t slot);

  double* letters_;
  bool assignments_;
  uint64_t epoch_ = ~uint64_t{0};
  std::vector<Entry> table_;
  size_t mask_ = 0;
  size_t used_ = 0;
  std::vector<Step> steps_;
  std::vector<Site> sites_;
};

}  // namespace quick
}  // namespace torvic
