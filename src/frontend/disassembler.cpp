#include "frontend/disassembler.h"

#include <algorithm>
#include <cstdio>

#include "frontend/compiled_line.h"
#include "frontend/program.h"
#include "frontend/statements.h"

namespace torvic {

namespace {

void AppendFormatted(std::string& out, const char* format, auto... args) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n > 0) out.append(buffer, std::min(static_cast<size_t>(n), sizeof buffer - 1));
}

// The source a record came from, quoted; an empty string when the column
// and length lie outside the text (a record made by a compiler for no
// text of its own).
void AppendSource(std::string& out, std::string_view text, size_t column, size_t length) {
  if (column > text.size() || length > text.size() - column) return;
  out += "  \"";
  for (const char c : text.substr(column, length)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

void AppendBytes(std::string& out, Code bytes) {
  for (const uint8_t b : bytes) AppendFormatted(out, " %02x", b);
}

void AppendHeader(std::string& out, Code code) {
  static constexpr struct {
    Chain chain;
    const char* name;
  } kChains[] = {{Chain::JumpTarget, "jump"},
                 {Chain::Data, "data"},
                 {Chain::Label, "label"},
                 {Chain::Variable, "variable"},
                 {Chain::UserFunction, "fn"},
                 {Chain::Constant, "constant"},
                 {Chain::BuiltinFunction, "function"}};
  out += "  header";
  for (const auto& c : kChains)
    if (const uint16_t head = ChainHead(code.data(), c.chain))
      AppendFormatted(out, "  %s %04x", c.name, static_cast<unsigned>(head));
  if (code[kHeaderLabelFlag]) out += "  labelled";
  if (code[kHeaderColorFlag]) out += "  $color";
  out += '\n';
}

}  // namespace

std::string DisassembleLine(uint32_t number, std::string_view text, Code code) {
  std::string out;
  if (number != kNoLineNumber) AppendFormatted(out, "%u ", static_cast<unsigned>(number));
  out.append(text);
  out += '\n';
  if (code.size() < kLineHeaderSize) {
    out += "  malformed: no line header\n";
    return out;
  }
  AppendHeader(out, code);
  size_t at = kLineHeaderSize;
  while (at < code.size()) {
    const uint8_t op = code[at];
    AppendFormatted(out, "  %04zx  ", at);
    if (op == kRecordEnd) {
      out += "end\n";
      if (at + 1 != code.size())
        AppendFormatted(out, "  malformed: %zu bytes after the end\n", code.size() - at - 1);
      return out;
    }
    if (op == kRecordUncompiled) {
      if (!CodeHas(code, at, kUncompiledRecordSize)) break;
      const uint16_t column = ReadU16(&code[at + 1]), length = ReadU16(&code[at + 3]);
      AppendFormatted(out, "uncompiled  @%u+%u", static_cast<unsigned>(column),
                      static_cast<unsigned>(length));
      AppendSource(out, text, column, length);
      out += '\n';
      at += kUncompiledRecordSize;
      continue;
    }
    if (op == kRecordJump) {
      if (!CodeHas(code, at, kJumpRecordSize)) break;
      AppendFormatted(out, "jump to %04x\n", static_cast<unsigned>(ReadU16(&code[at + 1])));
      at += kJumpRecordSize;
      continue;
    }
    if (!CodeHas(code, at, kRecordFrameSize)) break;
    const RecordFrame frame = ReadFrame(code.data(), at);
    const size_t operands = at + kRecordFrameSize;
    if (!CodeHas(code, operands, frame.operandLength)) break;
    if (const char* name = StatementListingName(op)) out += name;
    else if (op == kRecordLabel) out += "label";
    else AppendFormatted(out, "code %u", static_cast<unsigned>(op));
    AppendFormatted(out, "  @%u+%u", static_cast<unsigned>(frame.column),
                    static_cast<unsigned>(frame.textLength));
    AppendSource(out, text, frame.column, frame.textLength);
    if (frame.operandLength) {
      out += "  operands";
      AppendBytes(out, code.subspan(operands, frame.operandLength));
    }
    out += '\n';
    at = operands + frame.operandLength;
  }
  if (at >= code.size()) {
    AppendFormatted(out, "  %04zx  malformed: no end record\n", at);
    return out;
  }
  out += "malformed: the code ends inside a record\n";
  return out;
}

std::string DisassembleProgram(const ProgramList& program) {
  std::string out;
  for (const ProgramLine* line = program.First(); line; line = line->Next())
    out += DisassembleLine(line->number, line->text, Code(line->Code(), line->CodeLength()));
  return out;
}

}  // namespace torvic
