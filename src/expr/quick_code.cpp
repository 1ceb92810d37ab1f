#include "expr/quick_code.h"
#include "expr/quick_chain.h"

#include <array>
#include <cstring>
#include <new>

#include "expr/expression_code.h"
#include "expr/function_table.h"
#include "expr/functions.h"
#include "expr/operators.h"
#include "expr/variables.h"

namespace torvic::quick {

namespace {

// The step of arithmetic operator `o` whose right operand the step `pushed`
// pushes (a letter or a number), or `o` itself when it has none.
Op RightOperandStep(Op o, Op pushed) {
  const bool letter = pushed == Op::Letter;
  if (!letter && pushed != Op::Number) return o;
  switch (o) {
    case Op::Add: return letter ? Op::AddLetter : Op::AddNumber;
    case Op::Subtract: return letter ? Op::SubtractLetter : Op::SubtractNumber;
    case Op::Multiply: return letter ? Op::MultiplyLetter : Op::MultiplyNumber;
    case Op::Divide: return letter ? Op::DivideLetter : Op::DivideNumber;
    case Op::Less: return letter ? Op::LessLetter : Op::LessNumber;
    case Op::Greater: return letter ? Op::GreaterLetter : Op::GreaterNumber;
    case Op::Equal: return letter ? Op::EqualLetter : Op::EqualNumber;
    case Op::NotEqual: return letter ? Op::NotEqualLetter : Op::NotEqualNumber;
    case Op::LessEqual: return letter ? Op::LessEqualLetter : Op::LessEqualNumber;
    case Op::GreaterEqual: return letter ? Op::GreaterEqualLetter : Op::GreaterEqualNumber;
    case Op::OtherBinary: return letter ? Op::OtherBinaryLetter : Op::OtherBinaryNumber;
    default: return o;
  }
}

}  // namespace

bool FoldedRightOperand(Op step, Op& op, bool& letter) {
  for (const Op o : {Op::Add, Op::Subtract, Op::Multiply, Op::Divide, Op::Less, Op::Greater,
                     Op::Equal, Op::NotEqual, Op::LessEqual, Op::GreaterEqual, Op::OtherBinary}) {
    for (const Op pushed : {Op::Letter, Op::Number}) {
      if (RightOperandStep(o, pushed) == step) {
        op = o;
        letter = pushed == Op::Letter;
        return true;
      }
    }
  }
  return false;
}

namespace {

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
    case op::kIntDivide:
    case op::kDiv:
    case op::kMod: return Op::OtherBinary;
    default: return Op::Binary;
  }
}

// The built-ins plans run as steps of their own (the cutting and searching
// through the workers' own functions, string_functions.h); MixedCall for
// the others.
Op OwnStep(uint8_t number, uint8_t signature) {
  constexpr uint8_t kLeft = 69, kLen = 70, kRight = 107, kMid = 82, kOneString = 3,
                    kStringNumber = 19, kStringNumberNumber = 20, kTwoStrings = 9;
  if (number == kLen && signature == kOneString) return Op::Length;
  if (number == fnum::kChr && signature == sig::kNumberToString) return Op::Chr;
  if (number == kLeft && signature == kStringNumber) return Op::Left;
  if (number == kRight && signature == kStringNumber) return Op::Right;
  if (number == kMid && signature == kStringNumberNumber) return Op::Mid;
  if (number == fnum::kInstr && signature == kTwoStrings) return Op::Instr;
  if (number == fnum::kInstr && signature == sig::kInstr3) return Op::InstrFrom;
  return Op::MixedCall;
}

// The built-ins an expression with strings may call: they read their
// arguments and nothing else, and run no code. Their workers are the
// general evaluator's own.
bool PureBuiltIn(uint8_t number) {
  switch (number) {
    case 11:   // bin$
    case 16:   // chr$
    case 58:   // hex$
    case 63:   // instr
    case 67:   // lcase$
    case 69:   // left$
    case 70:   // len
    case 77:   // ltrim$
    case 78:   // max
    case 82:   // mid$
    case 83:   // min
    case 89:   // mod
    case 94:   // oct$
    case 96:   // asc
    case 104:  // remainder
    case 105:  // repeat$
    case 106:  // reverse$
    case 107:  // right$
    case 109:  // round
    case 111:  // rtrim$
    case 120:  // space$
    case 123:  // str$
    case 124:  // string$
    case 130:  // trim$
    case 134:  // ucase$
    case 137:  // val
    case 231:  // count
    case 235:  // lastindexof
    case 248:  // beginswith
    case 249:  // endswith
      return true;
    default: return false;
  }
}

// How a step changes the string stack: strings taken, then strings given.
int StringsTaken(const Step& s) {
  switch (s.op) {
    case Op::Concat:
    case Op::CompareStrings:
    case Op::Instr:
    case Op::InstrFrom: return 2;
    case Op::Append:
    case Op::Length:
    case Op::Left:
    case Op::Right:
    case Op::Mid: return 1;
    case Op::MixedCall: {
      int n = 0;
      for (int i = 0; i < s.count; ++i) n += s.text[i] == 'S';
      return n;
    }
    default: return 0;
  }
}
int StringsGiven(const Step& s) {
  switch (s.op) {
    case Op::Text:
    case Op::StringScalar:
    case Op::StringElement:
    case Op::Concat:
    case Op::Chr:
    case Op::Left:
    case Op::Right:
    case Op::Mid: return 1;
    case Op::MixedCall: return s.stringResult ? 1 : 0;
    default: return 0;
  }
}

// The walk over one expression (up to its 0 byte), as the general evaluator
// reads it, keeping the kind of every value it would have on its stack.
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
    if (c < item::kNumericScalar || c > item::kStringElement) return false;
    const bool text = c == item::kStringScalar || c == item::kStringElement;
    Site site;
    site.itemCode = c;
    site.itemPos = static_cast<uint32_t>(pos - 1);
    pos += 3;
    if (!ReadCodeName(code_, pos, site.name)) return false;
    Step s;
    s.op = text ? Op::TargetStringScalar : Op::TargetScalar;
    if (c == item::kNumericElement || c == item::kStringElement) {
      uint8_t count;
      if (!ReadCode8(code_, pos, count) || count == 0 || count > kMaxDimensions) return false;
      for (int i = 0; i < count; ++i)
        if (!Expression(pos, false)) return false;
      Pop(count);
      s.op = text ? Op::TargetStringElement : Op::TargetElement;
      s.count = count;
    }
    plan.stringTarget = text;
    strings_ |= text;
    s.site = static_cast<uint32_t>(sites_.size());
    sites_.push_back(site);
    if (FoldLetterSubscript(s, Op::TargetElementLetter)) return true;
    steps_.push_back(s);
    return true;
  }

  // A numeric element step `s` whose one subscript is a letter: the step
  // that pushed the letter (the last one) becomes `folded`, which reads
  // the letter as its subscript.
  bool FoldLetterSubscript(const Step& s, Op folded) {
    if (s.count != 1 || (s.op != Op::Element && s.op != Op::TargetElement) ||
        steps_.back().op != Op::Letter)
      return false;
    Step& letter = steps_.back();
    letter.op = folded;
    letter.count = 1;
    letter.site = s.site;
    return true;
  }

  // One expression at pos that leaves exactly one value, a string when
  // `text`.
  bool Expression(size_t& pos, bool text) {
    const int base = top_;
    for (;;) {
      uint8_t c;
      if (!ReadCode8(code_, pos, c)) return false;
      Step s;
      switch (c) {
        case item::kEnd: return top_ == base + 1 && kinds_[top_ - 1] == text;
        case item::kNumber:
          if (!CodeHas(code_, pos, 8)) return false;
          s.op = Op::Number;
          s.number = ReadF64(code_.data() + pos);
          pos += 8;
          if (!Push(false)) return false;
          break;
        case item::kString:
          if (!TextItem(pos, s) || !Push(true)) return false;
          break;
        case item::kOperator: {
          bool folded = false;
          if (!OperatorItem(pos, base, s, folded)) return false;
          if (folded) continue;
          break;
        }
        case item::kCall: {
          bool folded = false;
          if (!CallItem(pos, base, s, folded)) return false;
          if (folded) continue;
          break;
        }
        case item::kLetter:
          if (!CodeHas(code_, pos, 4) || code_[pos + 3] > 25) return false;
          s.op = Op::Letter;
          s.place = letters_ + code_[pos + 3];
          pos += 4;
          if (!Push(false)) return false;
          break;
        case item::kNumericScalar:
        case item::kStringScalar:
        case item::kConstant: {
          Site site;
          site.itemCode = c;
          site.itemPos = static_cast<uint32_t>(pos - 1);
          pos += 3;
          if (!ReadCodeName(code_, pos, site.name)) return false;
          s.op = c == item::kConstant       ? Op::Constant
                 : c == item::kStringScalar ? Op::StringScalar
                                            : Op::Scalar;
          s.site = static_cast<uint32_t>(sites_.size());
          sites_.push_back(site);
          if (!Push(c == item::kStringScalar)) return false;
          break;
        }
        case item::kNumericElement:
        case item::kStringElement: {
          bool folded = false;
          if (!ElementItem(pos, c, s, folded)) return false;
          if (folded) continue;
          break;
        }
        default: return false;  // FN, parameters, pseudo-operands
      }
      steps_.push_back(s);
    }
  }

  // Whether the expression touches strings, and whether it calls a
  // built-in outside PureBuiltIn's list: the two may not meet.
  bool Qualifies() const { return !(strings_ && impure_); }
  bool UsesStrings() const { return strings_; }

 private:
  // The kinds of the values on the general stack at this point of the
  // walk (true: a string), and how many of each.
  bool Push(bool text) {
    if (top_ == static_cast<int>(kinds_.size())) return false;
    kinds_[static_cast<size_t>(top_++)] = text;
    int& n = text ? stringDepth_ : numberDepth_;
    strings_ |= text;
    return ++n <= kMaxDepth;
  }
  void Pop(int n) {
    for (; n > 0; --n) --(kinds_[static_cast<size_t>(--top_)] ? stringDepth_ : numberDepth_);
  }
  bool KindAt(int fromTop) const { return kinds_[static_cast<size_t>(top_ - fromTop)]; }

  // A string literal: its bytes up to the 0 byte (the length byte holds
  // only the low 8 bits).
  bool TextItem(size_t& pos, Step& s) {
    if (!CodeHas(code_, pos, 1)) return false;
    const uint8_t* start = code_.data() + pos + 1;
    const void* zero = std::memchr(start, 0, code_.size() - pos - 1);
    if (!zero) return false;
    const size_t n = static_cast<size_t>(static_cast<const uint8_t*>(zero) - start);
    s.op = Op::Text;
    s.text = reinterpret_cast<const char*>(start);
    s.end = static_cast<uint32_t>(n);
    pos += n + 2;
    return true;
  }

  // An operator item: its step, checked against the values it needs; x^2
  // folds into the step that pushed the 2 (`folded`: no step of its own).
  bool OperatorItem(size_t& pos, int base, Step& s, bool& folded) {
    uint8_t o;
    if (!ReadCode8(code_, pos, o) || o == 0 || o > op::kLast) return false;
    s.code = o;
    if (o == op::kNegate || o == op::kNot) {
      if (top_ <= base || KindAt(1)) return false;
      s.op = OperatorStep(o);
      return true;
    }
    if (top_ < base + 2 || KindAt(1) != KindAt(2)) return false;
    if (KindAt(1)) {
      if (o == op::kConcat || o == op::kPlus) s.op = Op::Concat;
      else if (o >= op::kEqual && o <= op::kGreaterEqual) s.op = Op::CompareStrings;
      else return false;
      Pop(2);
      return Push(s.op == Op::Concat);
    }
    if (o == op::kConcat) return false;
    s.op = OperatorStep(o);
    Pop(2);
    Push(false);
    // x^2: the exponent (the last number pushed) folds into one step.
    if (o == op::kPower && steps_.back().op == Op::Number && steps_.back().number == 2) {
      steps_.back().op = Op::Square;
      folded = true;
    }
    // A letter or a number pushed last is the right operand of + - * /,
    // a comparison, \ DIV or MOD: the operator folds into the step that
    // pushed it.
    if (const Op right = RightOperandStep(s.op, steps_.back().op); right != s.op) {
      steps_.back().op = right;
      steps_.back().code = o;
      folded = true;
    }
    return true;
  }

  // A call of a built-in function of fixed signature: a kernel when the
  // function has one, a step of its own (OwnStep), or a call of its worker.
  // len of a string scalar folds into the step that read the scalar
  // (`folded`), which then reads only its length.
  bool CallItem(size_t& pos, int base, Step& s, bool& folded) {
    if (!CodeHas(code_, pos, 6)) return false;
    const uint8_t number = code_[pos + 3];
    const uint8_t signature = code_[pos + 5];
    const SignatureKinds* kinds = FixedSignature(signature);
    if (!kinds) return false;
    const int n = static_cast<int>(std::strlen(kinds->args));
    if (top_ < base + n) return false;
    bool numbers = !kinds->stringResult;
    for (int i = 0; i < n; ++i) {
      const char k = kinds->args[i];
      if ((k != 'N' && k != 'S') || KindAt(n - i) != (k == 'S')) return false;
      numbers &= k == 'N';
    }
    pos += 6;
    Pop(n);
    if (!Push(kinds->stringResult)) return false;
    if (numbers && n == 1) {
      if (NumberKernel k = NumberKernelFor(number)) {  // needs nothing but its number
        s.op = Op::Kernel;
        s.kernel = k;
        return true;
      }
    }
    const Op own = OwnStep(number, signature);
    if (own == Op::Length && steps_.back().op == Op::StringScalar) {
      steps_.back().op = Op::ScalarLength;
      folded = true;
      return true;
    }
    if (own != Op::MixedCall) {
      s.op = own;
      return true;
    }
    impure_ |= !PureBuiltIn(number);
    s.op = numbers ? Op::Call : Op::MixedCall;
    s.code = number;
    s.count = static_cast<uint8_t>(n);
    s.signature = signature;
    s.end = static_cast<uint32_t>(pos);
    s.stringResult = kinds->stringResult;
    if (!numbers) s.text = kinds->args;
    return true;
  }

  // An array element: its subscripts' steps, then its own.
  bool ElementItem(size_t& pos, uint8_t c, Step& s, bool& folded) {
    Site site;
    site.itemCode = c;
    site.itemPos = static_cast<uint32_t>(pos - 1);
    pos += 3;
    uint8_t count;
    if (!ReadCodeName(code_, pos, site.name) || !ReadCode8(code_, pos, count)) return false;
    if (count == 0 || count > kMaxDimensions) return false;
    for (int i = 0; i < count; ++i)
      if (!Expression(pos, false)) return false;
    Pop(count);
    s.op = c == item::kStringElement ? Op::StringElement : Op::Element;
    s.count = count;
    s.site = static_cast<uint32_t>(sites_.size());
    sites_.push_back(site);
    folded = FoldLetterSubscript(s, Op::ElementLetter);
    return Push(c == item::kStringElement);
  }

  Code code_;
  double* letters_;
  std::vector<Step>& steps_;
  std::vector<Site>& sites_;
  std::array<bool, 2 * kMaxDepth + 2> kinds_{};
  int top_ = 0, numberDepth_ = 0, stringDepth_ = 0;
  bool strings_ = false, impure_ = false;
};

// An assignment A$=A$+tail becomes an append when its expression, from
// step `first` on, reads the target's own scalar first and keeps it at the
// bottom of the string stack until the last step joins the tail to it.
void MakeAppend(std::vector<Step>& steps, const std::vector<Site>& sites, size_t first,
                const Site& target, Plan& plan) {
  const size_t last = steps.size() - 1;
  if (last <= first + 1 || steps[first].op != Op::StringScalar || steps[last].op != Op::Concat)
    return;
  const Site& read = sites[steps[first].site];
  if (read.itemCode != item::kStringScalar || read.name != target.name) return;
  int depth = 1;
  for (size_t i = first + 1; i < last; ++i) {
    depth -= StringsTaken(steps[i]);
    if (depth < 1) return;
    depth += StringsGiven(steps[i]);
  }
  if (depth != 2) return;
  steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(first));
  steps.back().op = Op::Append;
  plan.append = true;
}

}  // namespace

bool Decode(Code code, size_t pos, double* letters, std::vector<Step>& steps,
            std::vector<Site>& sites, Plan& plan) {
  const size_t stepMark = steps.size(), siteMark = sites.size(), start = pos;
  Decoder d(code, letters, steps, sites);
  if (!d.Expression(pos, false) || !d.Qualifies()) {
    steps.resize(stepMark);
    sites.resize(siteMark);
    return false;
  }
  plan.firstStep = static_cast<uint32_t>(stepMark);
  plan.stepCount = static_cast<uint32_t>(steps.size() - stepMark);
  plan.length = static_cast<uint32_t>(pos - start);
  plan.strings = d.UsesStrings();
  return true;
}

bool DecodeAssignment(Code code, size_t pos, double* letters, std::vector<Step>& steps,
                      std::vector<Site>& sites, Plan& plan) {
  const size_t stepMark = steps.size(), siteMark = sites.size(), start = pos;
  Decoder d(code, letters, steps, sites);
  plan.place = nullptr;
  plan.stringTarget = plan.append = false;
  bool ok = d.Target(pos, plan) && CodeHas(code, pos, 1) && code[pos] == item::kEnd;
  const size_t first = steps.size();
  if (ok) {
    ++pos;
    ok = d.Expression(pos, plan.stringTarget) && d.Qualifies();
  }
  if (!ok) {
    steps.resize(stepMark);
    sites.resize(siteMark);
    return false;
  }
  if (first > stepMark && steps[first - 1].op == Op::TargetStringScalar)
    MakeAppend(steps, sites, first, sites[steps[first - 1].site], plan);
  plan.firstStep = static_cast<uint32_t>(stepMark);
  plan.stepCount = static_cast<uint32_t>(steps.size() - stepMark);
  plan.length = static_cast<uint32_t>(pos - start);
  plan.endsStatement = pos < code.size() && code[pos] == 0;
  plan.strings = d.UsesStrings();
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

int32_t RunChain(std::span<const Step> steps, double& out) {
  const Step* s = steps.data();
  const Step* last = s + steps.size();
  double v = s->op == Op::Letter ? *s->place : s->number;
  for (++s; s != last; ++s)
    if (int32_t e = ChainStep(*s, v)) return e;
  out = v;
  return kOk;
}

}  // namespace torvic::quick
