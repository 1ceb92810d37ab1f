// Test helper: compiles a line and exposes its records in walk order
// (records nested in an IF or a stray ELSE included) and its chains.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/codebytes.h"
#include "frontend/compiled_line.h"
#include "frontend/compiler.h"
#include "frontend/disassembler.h"
#include "frontend/validator.h"

namespace torvic::testing {

struct Rec {
  size_t at;
  uint8_t code;
  size_t operands;  // first operand byte (frame records), else 0
  size_t end;
  uint16_t column, length;  // frame or 250 record
};

class CompiledView {
 public:
  explicit CompiledView(std::string_view text) : text_(text) {
    CompileLine(text, buffer_);
    Walk(kLineHeaderSize, buffer_.Size() - 1);
  }

  const uint8_t* Code() const { return buffer_.Data(); }
  size_t Size() const { return buffer_.Size(); }
  const std::vector<Rec>& Records() const { return records_; }

  // "86 250 86": the record codes in walk order.
  std::string Shape() const {
    std::string s;
    for (const Rec& r : records_) s += (s.empty() ? "" : " ") + std::to_string(r.code);
    return s;
  }
  // The records by name with their operands, for failure messages.
  std::string Disassembly() const {
    return DisassembleLine(kNoLineNumber, text_, torvic::Code(buffer_.Data(), buffer_.Size()));
  }
  // The source text a record covers.
  std::string Excerpt(const Rec& r) const { return std::string(text_.substr(r.column, r.length)); }
  // The first record with this code (fails the test when there is none).
  const Rec& First(uint8_t code) const {
    for (const Rec& r : records_)
      if (r.code == code) return r;
    ADD_FAILURE() << "no record " << int(code) << " in " << Shape();
    static const Rec none{};
    return none;
  }
  uint8_t U8(size_t at) const { return buffer_.At(at); }
  uint16_t U16(size_t at) const { return ReadU16(buffer_.Data() + at); }
  uint32_t U32(size_t at) const { return ReadU32(buffer_.Data() + at); }
  double F64(size_t at) const { return ReadF64(buffer_.Data() + at); }

  // Chain item offsets in chain order.
  std::vector<size_t> ChainItems(Chain c) const {
    std::vector<size_t> items;
    size_t next = ChainHead(buffer_.Data(), c);
    while (next != 0 && items.size() < 1000) {
      items.push_back(next);
      next = U16(ChainLinkOffset(c, next));
    }
    return items;
  }
  // The line numbers on the jump-target chain, in order.
  std::vector<uint32_t> JumpLines() const {
    std::vector<uint32_t> lines;
    for (size_t at : ChainItems(Chain::JumpTarget)) lines.push_back(U32(at));
    return lines;
  }

  bool Valid(std::string* fault = nullptr) const {
    return ValidateCompiledLine(buffer_.Data(), buffer_.Size(), fault, text_.size());
  }

 private:
  void Walk(size_t at, size_t to) {
    const uint8_t* code = buffer_.Data();
    while (at < to && records_.size() < 1000) {
      const uint8_t c = code[at];
      if (c == kRecordUncompiled) {
        records_.push_back(Rec{at, c, 0, at + 5, ReadU16(code + at + 1), ReadU16(code + at + 3)});
        at += 5;
      } else if (c == kRecordJump) {
        records_.push_back(Rec{at, c, 0, at + 3, 0, 0});
        at += 3;
      } else if (c == kRecordEnd) {
        return;
      } else {
        const RecordFrame f = ReadFrame(code, at);
        const size_t end = at + kRecordFrameSize + f.operandLength;
        records_.push_back(Rec{at, c, at + kRecordFrameSize, end, f.column, f.textLength});
        if (c == 52) Walk(ReadU16(code + at + kRecordFrameSize), end);
        else if (c == 33) Walk(at + kRecordFrameSize, end);
        at = end;
      }
    }
  }

  std::string_view text_;
  CodeBuffer buffer_;
  std::vector<Rec> records_;
};

}  // namespace torvic::testing
