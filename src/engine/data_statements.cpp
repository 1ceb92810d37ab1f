// READ and RESTORE, and the DATA pointer they move. DATA itself does
// nothing when executed (its row in the handler table skips it).
//
// The DATA items of a line form a chain (code_buffer.h): the line header's
// DATA head (offset 2) holds the offset of the first item's link, and each
// item is  u16 link to the next item (0 at the line's end) | the item's text
// as written | u8 0  (CompileData, compile_control.cpp). The pointer holds
// the line and the offset of the next item's link.
//
//   READ      target items (5..9) | u8 0        (CompileTargetList, compile_data.cpp)
//   RESTORE   u8 0, or u8 1 | target            (CompileOptionalTarget)
#include <string_view>

#include "base/errors.h"
#include "engine/control_operands.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "expr/numeric_functions.h"
#include "frontend/compiled_line.h"

namespace torvic::handlers {

namespace {

// The first line from `from` onward that holds DATA, with its first item.
DataPointer FirstDataFrom(const ProgramLine* from) {
  for (const ProgramLine* l = from; l; l = l->Next())
    if (const uint16_t head = ChainHead(l->Code(), Chain::Data)) return DataPointer{l, head, false};
  return DataPointer{nullptr, 0, false};
}

// The item at the pointer; the pointer moves to the next item. False when
// no DATA is left.
bool TakeItem(Interpreter& in, std::string_view& item) {
  DataPointer d = in.Position().Data();
  if (d.fresh) d = FirstDataFrom(in.Program().First());
  if (!d.line) {
    in.Position().SetData(d);
    return false;
  }
  const uint8_t* code = d.line->Code();
  const size_t size = d.line->CodeLength();
  const size_t textAt = d.offset + 2;
  size_t end = textAt;
  while (end < size && code[end] != 0) ++end;
  item = std::string_view(reinterpret_cast<const char*>(code + textAt), end - textAt);
  const uint16_t link = ReadU16(code + d.offset);
  if (link != 0) d.offset = link;
  else d = FirstDataFrom(d.line->Next());
  in.Position().SetData(d);
  return true;
}

bool OnlyBlanks(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// A numeric item: a based literal ("&H", "&O", "&B") or a decimal number,
// nothing but blanks after it.
int32_t ItemNumber(std::string_view item, double& out) {
  size_t end = 0;
  if (int32_t e = ReadLeadingNumber(item, out, &end)) return e;
  if (end == 0 || !OnlyBlanks(item.substr(end))) return kErrSyntaxError;
  return 0;
}

// A string item: as written, or a quoted text without its quotes (a doubled
// quote inside stands for one), nothing but blanks after the closing quote.
int32_t ItemText(std::string_view item, std::string& out) {
  if (item.empty() || item[0] != '"') {
    out.assign(item);
    return 0;
  }
  out.clear();
  size_t p = 1;
  for (;;) {
    if (p >= item.size()) return 0;  // an unterminated quote runs to the end
    if (item[p] == '"') {
      if (p + 1 < item.size() && item[p + 1] == '"') {
        out.push_back('"');
        p += 2;
        continue;
      }
      return OnlyBlanks(item.substr(p + 1)) ? 0 : kErrSyntaxError;
    }
    out.push_back(item[p++]);
  }
}

}  // namespace

// READ target [, target ...]
int32_t Read(Interpreter& in, const uint8_t* code, size_t& offset) {
  const Code span = StatementSpan(in, code);
  Evaluator& ev = in.Expressions().Eval();
  while (offset < in.Position().PayloadEnd() && code[offset] != 0) {
    ResolvedRef ref;
    if (int32_t e = ev.ResolveReference(span, offset, ref); e || EvaluationStopped(in)) return e;
    std::string_view item;
    if (!TakeItem(in, item)) return kErrOutOfData;
    if (ref.slot.IsString()) {
      std::string text;
      if (int32_t e = ItemText(item, text)) return e;
      ref.slot.str->Assign(text);
    } else {
      double v = 0;
      if (int32_t e = ItemNumber(item, v)) return e;
      *ref.slot.number = v;
    }
  }
  offset = in.Position().PayloadEnd();
  return 0;
}

// RESTORE [line | label]
int32_t Restore(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t form = code[offset++];
  const ProgramLine* from = in.Program().First();
  if (form == 1) {
    int32_t error = 0;
    from = TargetOperand(in, code, offset, error);
    if (!from) return error;
  }
  offset = in.Position().PayloadEnd();
  in.Position().SetData(FirstDataFrom(from));
  return 0;
}

}  // namespace torvic::handlers
