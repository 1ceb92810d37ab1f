#include "frontend/validator.h"

#include <algorithm>
#include <set>
#include <vector>

#include "base/codebytes.h"
#include "frontend/code_buffer.h"
#include "frontend/compiled_line.h"

namespace torvic {

namespace {

struct Record {
  size_t at;        // first byte of the frame
  size_t operands;  // first byte of the operand area
  size_t end;       // one past the operand area
  uint8_t code;
};

class Validator {
 public:
  Validator(const uint8_t* code, size_t length, size_t textLength)
      : code_(code), length_(length), textLength_(textLength) {}

  bool Run() {
    if (length_ < kLineHeaderSize + 1) return Fail("shorter than a header and an end byte");
    if (code_[kHeaderLabelFlag] > 1 || code_[kHeaderColorFlag] > 1) return Fail("header flag");
    if (code_[length_ - 1] != kRecordEnd) return Fail("no end byte");
    if (!Walk(kLineHeaderSize, length_ - 1, 0)) return false;
    boundaries_.insert(length_ - 1);
    const bool labelFirst = !records_.empty() && records_.front().code == kRecordLabel &&
                            records_.front().at == kLineHeaderSize;
    if ((code_[kHeaderLabelFlag] == 1) != labelFirst) return Fail("label flag");
    bool color = false;
    for (const Record& r : records_) color |= r.code == stmt::kDollarColor;
    if (color != (code_[kHeaderColorFlag] == 1)) return Fail("$COLOR flag");
    for (size_t target : jumps_)
      if (!boundaries_.count(target)) return Fail("jump off a record boundary");
    for (Chain c : kAllChains)
      if (!CheckChain(c)) return false;
    return true;
  }

  const std::string& Fault() const { return fault_; }

 private:
  bool Fail(const char* what) {
    fault_ = what;
    return false;
  }

  // Walks the records in [from, to) (a nested walk for the parts of an IF
  // or a stray ELSE). The top-level walk stops at the end byte.
  bool Walk(size_t from, size_t to, int depth) {
    if (depth > 200) return Fail("nesting too deep");
    size_t at = from;
    while (at < to) {
      boundaries_.insert(at);
      const uint8_t rc = code_[at];
      if (rc == kRecordEnd) return Fail("end byte inside the line");
      if (rc == kRecordUncompiled) {
        if (to - at < kUncompiledRecordSize) return Fail("250 record cut short");
        if (!TextFits(ReadU16(code_ + at + 1), ReadU16(code_ + at + 3))) return Fail("250 text");
        at += kUncompiledRecordSize;
        continue;
      }
      if (rc == kRecordJump) {
        if (to - at < kJumpRecordSize) return Fail("251 record cut short");
        jumps_.push_back(ReadU16(code_ + at + 1));
        at += kJumpRecordSize;
        continue;
      }
      if (rc > kRecordLabel) return Fail("unknown record code");
      if (to - at < kRecordFrameSize) return Fail("frame cut short");
      const RecordFrame f = ReadFrame(code_, at);
      if (code_[at + 7] != 0) return Fail("frame byte 7");
      const size_t operands = at + kRecordFrameSize;
      if (f.operandLength > to - operands) return Fail("operand length past its container");
      const size_t end = operands + f.operandLength;
      if (!TextFits(f.column, f.textLength)) return Fail("record text");
      if (rc == kRecordLabel && !CheckLabelRecord(at, operands, end)) return false;
      records_.push_back(Record{at, operands, end, rc});
      if (rc == stmt::kIf) {
        if (end - operands < 4) return Fail("IF operands cut short");
        const size_t thenStart = ReadU16(code_ + operands);
        if (thenStart < operands + 4 || thenStart > end) return Fail("IF THEN-start");
        jumps_.push_back(ReadU16(code_ + thenStart - 2));  // the false target
        if (!Walk(thenStart, end, depth + 1)) return false;
      } else if (rc == stmt::kElse) {
        if (!Walk(operands, end, depth + 1)) return false;
      }
      at = end;
      boundaries_.insert(at);
    }
    return at == to || Fail("records overrun their container");
  }

  bool TextFits(size_t column, size_t length) const {
    return textLength_ == std::numeric_limits<size_t>::max() ||
           (column <= textLength_ && length <= textLength_ - column);
  }

  bool CheckLabelRecord(size_t at, size_t operands, size_t end) {
    if (at != kLineHeaderSize) return Fail("label record not first");
    if (end - operands < 5 || code_[operands + 2] != 1) return Fail("label record");
    const size_t n = code_[operands + 3];
    if (operands + 4 + n + 1 != end || code_[end - 1] != 0) return Fail("label name");
    return true;
  }

  // The innermost statement record whose operand area holds [from, to).
  const Record* Holder(size_t from, size_t to) const {
    const Record* best = nullptr;
    for (const Record& r : records_)
      if (r.operands <= from && to <= r.end && (!best || r.operands >= best->operands)) best = &r;
    return best;
  }

  // A 0-ended name of `n` bytes at p, inside the holder.
  bool NameFits(size_t p, size_t n, const Record* holder) const {
    return p + n < holder->end && code_[p + n] == 0;
  }

  bool CheckChain(Chain c) {
    size_t previous = 0;
    size_t next = ReadU16(code_ + static_cast<size_t>(c));
    while (next != 0) {
      if (next <= previous || next < kLineHeaderSize + 1) return Fail("chain does not run forward");
      const size_t link = ChainLinkOffset(c, next);
      if (link + 2 > length_) return Fail("chain item past the line");
      if (!CheckItem(c, next, link)) return false;
      previous = next;
      next = ReadU16(code_ + link);
    }
    return true;
  }

  bool CheckItem(Chain c, size_t at, size_t link) {
    switch (c) {
      case Chain::JumpTarget: {
        const Record* h = Holder(at - 1, link + 2);
        if (!h || code_[at - 1] != 0) return Fail("jump-target chain item");
        return true;
      }
      case Chain::Data: {
        const Record* h = Holder(at, link + 2);
        if (!h || h->code != stmt::kData) return Fail("DATA chain item outside DATA");
        for (size_t p = link + 2; p < h->end; ++p)
          if (code_[p] == 0) return true;
        return Fail("DATA item without its 0 byte");
      }
      case Chain::Label: {
        const Record* h = Holder(at, link + 4);
        if (!h) return Fail("label chain item outside a record");
        const uint8_t flag = code_[link + 2];
        if (flag == 1 && (h->code != kRecordLabel || at != h->operands))
          return Fail("label definition outside the label record");
        if (flag == 0 && code_[at - 1] != 1) return Fail("label reference kind");
        if (flag > 1 || !NameFits(link + 4, code_[link + 3], h)) return Fail("label chain item");
        return true;
      }
      case Chain::UserFunction: {
        // The name item of DEF FN opens its record's operand area; every
        // other item is an FN call (code 4).
        const Record* def = Holder(at, link + 3);
        if (def && def->code == stmt::kDefFn && at == def->operands)
          return code_[link + 2] == 1 || Fail("DEF FN name flag");
        [[fallthrough]];
      }
      case Chain::Variable:
      case Chain::Constant:
      case Chain::BuiltinFunction: {
        const Record* h = Holder(at - 1, link + 3);
        if (!h) return Fail("reference outside a record");
        const uint8_t kind = code_[at - 1];
        bool ok;
        if (c == Chain::Variable) ok = kind >= 5 && kind <= 9;
        else if (c == Chain::Constant) ok = kind == 10;
        else ok = kind == 4;
        if (!ok) return Fail("chain item of the wrong kind");
        if (code_[link + 2] > 1) return Fail("definition flag");
        return true;
      }
    }
    return Fail("unknown chain");
  }

  const uint8_t* code_;
  size_t length_;
  size_t textLength_;
  std::string fault_;
  std::vector<Record> records_;
  std::vector<size_t> jumps_;
  std::set<size_t> boundaries_;
};

}  // namespace

bool ValidateCompiledLine(const uint8_t* code, size_t length, std::string* fault,
                          size_t textLength) {
  Validator v(code, length, textLength);
  const bool ok = code != nullptr && v.Run();
  if (!ok && fault) *fault = code ? v.Fault() : "no code";
  return ok;
}

}  // namespace torvic
