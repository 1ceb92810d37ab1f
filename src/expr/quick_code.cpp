#include "expr/quick_code.h"

#include <new>

#include "expr/expression_code.h"
#include "expr/function_table.h"
#include "expr/functions.h"
#include "expr/operators.h"
#include "expr/variables.h"

namespace torvic::quick {

namespace {

// The fixed signatures that take and give numbers only: "", "N", "NN",
// "NNN", "NNNNNN" (functions.cpp has the whole list). Their argument counts.
int NumberSignatureArgs(uint8_t signature) {
  switch (signature) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 5: return 3;
    case 6: return 6;
    default: return -1;
  }
}

Op OperatorStep(uint8_t code) {
  switch (code) {
    case op::kPlus: return Op::Add;
    case op::kMinus: return Op::Subtract;
    case op::kMultiply: return Op::Multiply;
    case op::kDivide: return Op::Divide;
    case op::kPower: return Op::Power;
    case op::kLess: return Op::Less;
    case op::kGreater: return Op::Greater;
    case op::kEqual: return Op::Equal;
    case op::kNotEqual: return Op::NotEqual;
    case op::kLessEqual: return Op::LessEqual;
    case op::kGreaterEqual: return Op::GreaterEqual;
    case op::kNegate: return Op::Negate;
    case op::kNot: return Op::Not;
    default: return Op::Binary;
  }
}

// The walk over one expression (up to its 0 byte), as the general evaluator
// reads it; `depth` is the number stack depth reached.
class Decoder {
 public:
  Decoder(Code code, double* letters, std::vector<Step>& steps, std::vector<Site>& sites)
      : code_(code), letters_(letters), steps_(steps), sites_(sites) {}

  // The target item at pos as its steps: the subscripts of an element,
  // then the step that finds the place (a letter's place is in the plan).
  bool Target(size_t& pos, Plan& plan) {
    uint8_t c;
    if (!ReadCode8(code_, pos, c)) return false;
    if (c == item::kLetter) {
      if (!CodeHas(code_, pos, 4) || code_[pos + 3] > 25) return false;
      plan.place = letters_ + code_[pos + 3];
      pos += 4;
      return true;
    }
    if (c != item::kNumericScalar && c != item::kNumericElement) return false;
    Site site;
    site.itemCode = c;
    site.itemPos = static_cast<uint32_t>(pos - 1);
    pos += 3;
    if (!ReadCodeName(code_, pos, site.name)) return false;
    Step s;
    s.op = Op::TargetScalar;
    if (c == item::kNumericElement) {
      uint8_t count;
      if (!ReadCode8(code_, pos, count) || count == 0 || count > kMaxDimensions) return false;
      for (int i = 0; i < count; ++i)
        if (!Expression(pos, i)) return false;
      s.op = Op::TargetElement;
      s.count = count;
    }
    s.site = static_cast<uint32_t>(sites_.size());
    sites_.push_back(site);
    steps_.push_back(s);
    return true;
  }

  // One expression at pos that leaves exactly one number.
  bool Expression(size_t& pos, int baseDepth) {
    int depth = baseDepth;
    for (;;) {
      uint8_t c;
      if (!ReadCode8(code_, pos, c)) return false;
      Step s;
      switch (c) {
        case item::kEnd: return depth == baseDepth + 1;
        case item::kNumber:
          if (!CodeHas(code_, pos, 8)) return false;
          s.op = Op::Number;
          s.number = ReadF64(code_.data() + pos);
          pos += 8;
          ++depth;
          break;
        case item::kOperator: {
          bool folded = false;
          if (!OperatorItem(pos, baseDepth, depth, s, folded)) return false;
          if (folded) continue;
          break;
        }
        case item::kCall:
          if (!CallItem(pos, baseDepth, depth, s)) return false;
          break;
        case item::kLetter:
          if (!CodeHas(code_, pos, 4) || code_[pos + 3] > 25) return false;
          s.op = Op::Letter;
          s.place = letters_ + code_[pos + 3];
          pos += 4;
          ++depth;
          break;
        case item::kNumericScalar:
        case item::kConstant: {
          Site site;
          site.itemCode = c;
          site.itemPos = static_cast<uint32_t>(pos - 1);
          pos += 3;
          if (!ReadCodeName(code_, pos, site.name)) return false;
          s.op = c == item::kConstant ? Op::Constant : Op::Scalar;
          s.site = static_cast<uint32_t>(sites_.size());
          sites_.push_back(site);
          ++depth;
          break;
        }
        case item::kNumericElement:
          if (!ElementItem(pos, depth, s)) return false;
          ++depth;
          break;
        default: return false;  // strings, FN, parameters, pseudo-operands
      }
      if (depth > kMaxDepth) return false;
      steps_.push_back(s);
    }
  }

 private:
  // An operator item: its step, checked against the depth it needs; x^2
  // folds into the step that pushed the 2 (`folded`: no step of its own).
  bool OperatorItem(size_t& pos, int baseDepth, int& depth, Step& s, bool& folded) {
    uint8_t o;
    if (!ReadCode8(code_, pos, o) || o == 0 || o > op::kLast || o == op::kConcat) return false;
    s.op = OperatorStep(o);
    s.code = o;
    if (o == op::kNegate || o == op::kNot) {
      if (depth <= baseDepth) return false;
    } else {
      if (depth < baseDepth + 2) return false;
      --depth;
    }
    // x^2: the exponent (the last number pushed) folds into one step.
    if (o == op::kPower && steps_.back().op == Op::Number && steps_.back().number == 2) {
      steps_.back().op = Op::Square;
      folded = true;
    }
    return true;
  }

  // A call of a built-in function of numbers: a kernel when the function
  // has one, else the general call.
  bool CallItem(size_t& pos, int baseDepth, int& depth, Step& s) {
    if (!CodeHas(code_, pos, 6)) return false;
    const uint8_t number = code_[pos + 3];
    const uint8_t signature = code_[pos + 5];
    const int n = NumberSignatureArgs(signature);
    if (n < 0 || depth < baseDepth + n) return false;
    pos += 6;
    if (signature == 2) {
      if (NumberKernel k = NumberKernelFor(number)) {
        s.op = Op::Kernel;
        s.kernel = k;
        return true;
      }
    }
    s.op = Op::Call;
    s.code = number;
    s.count = static_cast<uint8_t>(n);
    s.signature = signature;
    s.end = static_cast<uint32_t>(pos);
    depth = depth - n + 1;
    return true;
  }

  // A numeric array element: its subscripts' steps, then its own.
  bool ElementItem(size_t& pos, int depth, Step& s) {
    Site site;
    site.itemCode = item::kNumericElement;
    site.itemPos = static_cast<uint32_t>(pos - 1);
    pos += 3;
    uint8_t count;
    if (!ReadCodeName(code_, pos, site.name) || !ReadCode8(code_, pos, count)) return false;
    if (count == 0 || count > kMaxDimensions) return false;
    for (int i = 0; i < count; ++i)
      if (!Expression(pos, depth + i)) return false;
    s.op = Op::Element;
    s.count = count;
    s.site = static_cast<uint32_t>(sites_.size());
    sites_.push_back(site);
    return true;
  }

  Code code_;
  double* letters_;
  std::vector<Step>& steps_;
  std::vector<Site>& sites_;
};

}  // namespace

bool Decode(Code code, size_t pos, double* letters, std::vector<Step>& steps,
            std::vector<Site>& sites, Plan& plan) {
  const size_t stepMark = steps.size(), siteMark = sites.size(), start = pos;
  Decoder d(code, letters, steps, sites);
  if (!d.Expression(pos, 0)) {
    steps.resize(stepMark);
    sites.resize(siteMark);
    return false;
  }
  plan.firstStep = static_cast<uint32_t>(stepMark);
  plan.stepCount = static_cast<uint32_t>(steps.size() - stepMark);
  plan.length = static_cast<uint32_t>(pos - start);
  return true;
}

bool DecodeAssignment(Code code, size_t pos, double* letters, std::vector<Step>& steps,
                      std::vector<Site>& sites, Plan& plan) {
  const size_t stepMark = steps.size(), siteMark = sites.size(), start = pos;
  Decoder d(code, letters, steps, sites);
  plan.place = nullptr;
  bool ok = d.Target(pos, plan) && CodeHas(code, pos, 1) && code[pos] == item::kEnd;
  if (ok) {
    ++pos;
    ok = d.Expression(pos, 0);
  }
  if (!ok) {
    steps.resize(stepMark);
    sites.resize(siteMark);
    return false;
  }
  plan.firstStep = static_cast<uint32_t>(stepMark);
  plan.stepCount = static_cast<uint32_t>(steps.size() - stepMark);
  plan.length = static_cast<uint32_t>(pos - start);
  plan.endsStatement = pos < code.size() && code[pos] == 0;
  return true;
}

// The new epoch is taken last: when no storage can be had for the new
// table, the old one stays marked with its own epoch and serves nothing.
bool PlanCache::Reset(uint64_t epoch) {
  try {
    std::vector<Entry> fresh(256);
    table_.swap(fresh);
  } catch (const std::bad_alloc&) { return false; }
  mask_ = table_.size() - 1;
  used_ = 0;
  steps_.clear();
  sites_.clear();
  epoch_ = epoch;
  return true;
}

const Plan* PlanCache::Add(Code code, size_t pos, size_t slot) {
  // A plan is only a faster way to the same value: when there is no
  // storage for one the expression runs the general way.
  try {
    return Decoded(code, pos, slot);
  } catch (const std::bad_alloc&) { return nullptr; }
}

const Plan* PlanCache::Decoded(Code code, size_t pos, size_t slot) {
  Plan plan;
  const bool ok = assignments_ ? DecodeAssignment(code, pos, letters_, steps_, sites_, plan)
                               : Decode(code, pos, letters_, steps_, sites_, plan);
  if (!ok) plan = Plan{};
  if ((used_ + 1) * 2 > table_.size()) {
    // Grow first, keeping every entry: the bigger table is made before the
    // old one goes.
    std::vector<Entry> grown(table_.size() * 2);
    const size_t mask = grown.size() - 1;
    for (const Entry& e : table_) {
      if (!e.at) continue;
      size_t i = HashIn(e.at, mask);
      while (grown[i].at) i = (i + 1) & mask;
      grown[i] = e;
    }
    table_.swap(grown);
    mask_ = mask;
    slot = HashIn(code.data() + pos, mask_);
    while (table_[slot].at) slot = (slot + 1) & mask_;
  }
  table_[slot] = Entry{code.data() + pos, plan};
  ++used_;
  const uint8_t* at = code.data() + pos;
  if (!ok) return nullptr;
  // Found again: the table may have grown.
  for (size_t i = Hash(at);; i = (i + 1) & mask_)
    if (table_[i].at == at) return &table_[i].plan;
}

}  // namespace torvic::quick
