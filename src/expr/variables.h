// The variable store: everything a program can name and assign. The 26
// letter variables, named numeric and string scalars, numeric and string
// arrays, named constants, user functions (DEF FN), the function parameter
// table, the option base, the explicit-arrays and arrays-exist flags, and the
// identities that VARPTR hands out.
//
// Name spaces are separate (A, A$, A(...), A$(...), %A and FN A may all exist
// at once). Names arrive upper-cased and cut to 31 characters by the
// compiler. Each list keeps its records in creation order (the order any
// listing of variables shows) and finds them through a hash index, so a
// program with hundreds of names does not slow down; records never move, so
// a pointer to a scalar stays valid until the record is deleted.
//
// Every operation that can fail returns a BASIC error code (0 for success).
// Everything here is charged to the memory budget (memory_budget.h): records
// by their reservation, elements, lists and indexes by their containers'
// allocator; storage that cannot be had is "?Out of memory" (or
// std::bad_alloc from the few inline paths, which the statement's dispatch
// turns into the same error), and the store is left as it was.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/errors.h"
#include "expr/value.h"
#include "platform/memory_budget.h"

namespace torvic {

// Kinds of named records: the same numbers as the operand codes of
// expression code.
enum VarKind : uint32_t {
  kNumericScalar = 6,
  kStringScalar = 7,
  kNumericArray = 8,
  kStringArray = 9,
};

inline constexpr int kMaxDimensions = 10;
inline constexpr int kMaxAutoDimensions = 3;
inline constexpr int32_t kAutoUpperBound = 10;
inline constexpr double kSubscriptLimit = 65537;         // subscripts and bounds stay below
inline constexpr uint64_t kMaxArrayElements = 16777216;  // 2^24

// One named scalar or array.
struct CVariable {
  std::string name;  // upper case, without "$"
  uint32_t kind = kNumericScalar;
  // Scalars.
  double number = 0;
  CBasicString str;
  // Arrays: every dimension starts at `base`; elements are row-major (the
  // last subscript varies fastest).
  int32_t base = 0;
  int32_t dimensions = 0;
  std::array<int32_t, kMaxDimensions> extents{};
  memory::Vector<double> numbers;        // kind 8
  memory::Vector<CBasicString> strings;  // kind 9
  memory::Reservation held;              // the record and its name

  bool IsArray() const { return kind == kNumericArray || kind == kStringArray; }
  uint64_t ElementCount() const;

  // Element addressing. A subscript x names the element RoundHalfUp(x);
  // it must lie in base .. base + extent - 1. Because base is 0 or 1 and
  // every extent fits in 65537 - base, that one range test also keeps the
  // rounded subscript within 0 .. 65536, so no other check is needed.
  // floor(x + 0.5) >= lo holds exactly when x + 0.5 >= lo for a whole lo,
  // and likewise for "<", so the range is tested on x + 0.5 itself and no
  // rounding call is made; NaN fails both tests.
  //
  // The position of subscript x in dimension d, or false when out of range.
  bool IndexIn(int d, double x, uint64_t& index) const {
    const double y = x + 0.5;
    const double lo = base;
    if (!(y >= lo && y < lo + extents[d])) return false;
    index = static_cast<uint64_t>(static_cast<int64_t>(y) - base);  // y >= 0: truncation is floor
    return true;
  }
  // The linear (row-major) index of the element at `count` subscripts;
  // false when the count is not the array's or a subscript is out of range.
  // One and two subscripts, the common cases, take no loop.
  bool LinearIndex(int count, const double* subscripts, uint64_t& at) const {
    if (count == 1 && dimensions == 1) return IndexIn(0, subscripts[0], at);
    return LinearIndexOfMany(count, subscripts, at);
  }
  bool LinearIndexOfMany(int count, const double* subscripts, uint64_t& at) const {
    if (count != dimensions) return false;
    if (count == 1) return IndexIn(0, subscripts[0], at);
    if (count == 2) {
      uint64_t i, j;
      if (!IndexIn(0, subscripts[0], i) || !IndexIn(1, subscripts[1], j)) return false;
      at = i * static_cast<uint64_t>(extents[1]) + j;
      return true;
    }
    if (count < 1) return false;  // a record that is no array
    at = 0;
    for (int d = 0; d < count; ++d) {
      uint64_t i;
      if (!IndexIn(d, subscripts[d], i)) return false;
      at = at * static_cast<uint64_t>(extents[d]) + i;
    }
    return true;
  }
};

// A writable place: a number or a string, as reference resolution yields it.
struct VarSlot {
  double* number = nullptr;
  CBasicString* str = nullptr;
  bool IsString() const { return str != nullptr; }
};

struct UserFunction {
  std::string name;
  uint32_t paramCount = 0;
  const void* line = nullptr;  // the program line that holds the definition
  uint32_t bodyPos = 0;        // offset of the body expression in that line
  // A copy of the body's expression code: a call never reads the line
  // itself, so replacing or deleting the line cannot leave a call reading
  // freed code.
  memory::Vector<uint8_t> body;
  memory::Reservation held;  // the record and its name
};

// One call's parameter values (slot kinds follow the arguments).
struct ParamFrame {
  struct Slot {
    ValueKind kind = ValueKind::Number;
    double number = 0;
    CBasicString str;
  };
  uint32_t count = 0;
  std::array<Slot, 10> slots;
};

class VariableStore {
 public:
  VariableStore();

  // --- scalars ---------------------------------------------------------
  double& Letter(int index) { return letters_[index]; }
  // Numeric (kind 6) or string (kind 7) scalar, created (0 or empty) when
  // absent. Null only when memory runs out.
  CVariable* Scalar(uint32_t kind, std::string_view name);
  const CVariable* FindScalar(uint32_t kind, std::string_view name) const;
  CVariable* FindScalar(uint32_t kind, std::string_view name) { return List(kind).Find(name); }

  // --- arrays ----------------------------------------------------------
  CVariable* FindArray(uint32_t kind, std::string_view name);
  // Element reference: subscripts as evaluated (rounded half up here),
  // creating the array automatically when the rules allow. `running` tells
  // whether a program runs (the option base and OPTION EXPLICIT apply then).
  // `record`, when given, receives the array's record (also one created
  // here), for ElementOf on later accesses.
  int32_t Element(uint32_t kind, std::string_view name, int count, const double* subscripts,
                  bool running, VarSlot& slot, uint64_t* linearIndex = nullptr,
                  CVariable** record = nullptr);
  // The element of an existing array record, with Element's checks
  // ("?Bad subscript" for a wrong count or a subscript out of range). Inline
  // and allocation-free: this is the path of every element access once the
  // evaluator has cached the record.
  int32_t ElementOf(CVariable& v, int count, const double* subscripts, VarSlot& slot,
                    uint64_t* linearIndex = nullptr) {
    uint64_t at;
    if (!v.LinearIndex(count, subscripts, at)) return kErrBadSubscript;
    if (v.kind == kNumericArray) slot = VarSlot{v.numbers.data() + at, nullptr};
    else slot = VarSlot{nullptr, v.strings.data() + at};
    if (linearIndex) *linearIndex = at;
    return kOk;
  }
  // The same for callers that know the kind: the element's place, or null
  // for "?Bad subscript". NumberAt needs a numeric array record, StringAt a
  // string array record.
  static double* NumberAt(CVariable& v, int count, const double* subscripts) {
    uint64_t at;
    return v.LinearIndex(count, subscripts, at) ? v.numbers.data() + at : nullptr;
  }
  static CBasicString* StringAt(CVariable& v, int count, const double* subscripts) {
    uint64_t at;
    return v.LinearIndex(count, subscripts, at) ? v.strings.data() + at : nullptr;
  }
  // Counts removals of scalar and array records: a record pointer taken
  // while the count was n stays valid as long as it is still n.
  uint64_t Removals() const { return removals_; }
  // DIM of one array.
  int32_t CreateArray(uint32_t kind, std::string_view name, int count, const double* bounds,
                      bool running);
  // REDIM [PRESERVE] of one array.
  int32_t ResizeArray(bool preserve, uint32_t kind, std::string_view name, int count,
                      const double* bounds, bool running);
  // Deletes the array; false when it does not exist.
  bool DeleteArray(uint32_t kind, std::string_view name);
  void DeleteAllArrays();
  // ERASE name / CLEAR name: an absent array is first created as by an
  // element reference with subscript 10 (so OPTION EXPLICIT in a running
  // program makes it "?Bad subscript").
  int32_t EraseArray(uint32_t kind, std::string_view name, bool running);
  int32_t ClearArray(uint32_t kind, std::string_view name, bool running);

  // --- constants and user functions ------------------------------------
  int32_t AddConstant(std::string_view name, double value);  // 7 when it exists
  const double* FindConstant(std::string_view name) const;
  // Records (or replaces) a definition; `body` is the body's expression code.
  int32_t DefineUserFunction(std::string_view name, uint32_t paramCount, const void* line,
                             uint32_t bodyPos, const uint8_t* body, size_t bodyLength);
  const UserFunction* FindUserFunction(std::string_view name) const;

  // --- parameter table --------------------------------------------------
  // Each FN call gets a frame of its own; the frame of the innermost call is
  // the parameter table its body reads, so an outer body's later parameter
  // references still read its own arguments.
  ParamFrame& Params() { return frames_[frameDepth_]; }
  bool PushParamFrame(size_t maxDepth);  // false past maxDepth
  void PopParamFrame();
  size_t ParamDepth() const { return frameDepth_; }
  // Outside any call: the frames of past calls and their strings go.
  void ReleaseParamFrames();

  // --- options -----------------------------------------------------------
  int32_t OptionBase() const { return optionBase_; }
  bool ExplicitArrays() const { return explicit_; }
  bool ArraysExist() const { return arraysExist_; }
  void SetOptionBase(int32_t b) { optionBase_ = b; }
  void SetExplicitArrays(bool on) { explicit_ = on; }

  // --- whole-store operations --------------------------------------------
  // Letters and numeric scalars to 0, string scalars empty; records stay.
  void ResetScalars();
  // Every element 0 or empty; shapes kept.
  void ZeroArrays();
  // The start of every RUN: scalars reset, arrays, constants and user
  // functions deleted, options back to base 0 and implicit arrays.
  void ResetProgramState();
  // Every record removed, letters 0 (INIT, closing the interpreter).
  void DeleteAll();

  // --- storage identities (VARPTR and USR) -------------------------------
  // A number that identifies a variable or element; the same place gives
  // the same number. 0 when the identity table is full.
  double IdentityOf(uint32_t kind, std::string_view name, uint64_t element, int letter);
  // The place a number from IdentityOf stands for, when it still exists.
  bool ResolveIdentity(double id, VarSlot& slot);

  // Records in creation order, for listings.
  const memory::Vector<std::unique_ptr<CVariable>>& Records(uint32_t kind) const {
    return lists_[kind - kNumericScalar].order;
  }

  // INFO's estimates: the bytes held by variables, arrays, strings, user
  // functions and constants (2), and by string variables and string array
  // elements with their records (3).
  uint64_t HeldBytes() const;
  uint64_t StringBytes() const;

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  template <typename T>
  using NameMap = std::unordered_map<std::string, T, NameHash, std::equal_to<>,
                                     memory::Allocator<std::pair<const std::string, T>>>;

  struct NameList {
    uint64_t* removals = nullptr;  // the store's count, bumped on Remove and Clear
    memory::Vector<std::unique_ptr<CVariable>> order;
    NameMap<CVariable*> index;
    CVariable* Find(std::string_view name) const;
    CVariable* Add(uint32_t kind, std::string_view name);
    bool Remove(std::string_view name);
    void Clear();
  };
  struct Identity {
    uint32_t kind;
    int letter;
    std::string name;
    uint64_t element;
    memory::Reservation held;  // the name and its index key
  };

  NameList& List(uint32_t kind) { return lists_[kind - kNumericScalar]; }
  int32_t AllocateArray(CVariable& v, int count,
                        const std::array<int32_t, kMaxDimensions>& extents);
  int32_t BoundsToExtents(uint32_t kind, int count, const double* bounds, int32_t base,
                          std::array<int32_t, kMaxDimensions>& extents) const;

  uint64_t removals_ = 0;
  std::array<double, 26> letters_{};
  std::array<NameList, 4> lists_;
  memory::Vector<std::pair<std::string, double>> constants_;
  NameMap<size_t> constantIndex_;
  memory::Vector<std::unique_ptr<UserFunction>> functions_;
  NameMap<UserFunction*> functionIndex_;
  memory::Deque<ParamFrame> frames_;  // a deque: frames never move
  size_t frameDepth_ = 0;
  int32_t optionBase_ = 0;
  bool explicit_ = false;
  bool arraysExist_ = false;
  memory::Vector<Identity> identities_;
  NameMap<uint32_t> identityIndex_;
};

}  // namespace torvic
