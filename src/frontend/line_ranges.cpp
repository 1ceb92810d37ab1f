#include "frontend/line_ranges.h"

#include "base/codebytes.h"

namespace torvic {

// range list: { u8 1 | u32 first | u8 kind | u32 last } ... u8 0
// (compiler_context.h)
bool ReadRangeList(const uint8_t* code, size_t& offset, size_t end, std::vector<LineRange>& out) {
  constexpr size_t kEntrySize = 1 + 4 + 1 + 4;
  out.clear();
  while (offset < end && code[offset] == 1) {
    if (end - offset < kEntrySize) return false;
    LineRange r;
    r.first = static_cast<int32_t>(ReadU32(code + offset + 1));
    r.single = code[offset + 5] == 0;
    r.last = static_cast<int32_t>(ReadU32(code + offset + 6));
    out.push_back(r);
    offset += kEntrySize;
  }
  if (offset >= end || code[offset] != 0) return false;
  ++offset;
  return true;
}

bool WalkRange(ProgramList& program, const LineRange& range,
               const std::function<bool(ProgramLine&)>& visit) {
  if (range.single) {
    // Only real line numbers name a single line; an unnumbered line is
    // never found this way.
    if (range.first < 1 || range.first > 65535) return true;
    ProgramLine* line = program.FindLine(static_cast<uint32_t>(range.first));
    return !line || visit(*line);
  }
  bool started = false;
  for (ProgramLine* line = program.First(); line;) {
    ProgramLine* next = line->Next();
    const int32_t number = line->SignedNumber();
    if ((started || number >= range.first) &&
        (range.last == LineRange::kOpen || number <= range.last)) {
      started = true;
      if (!visit(*line)) return false;
    }
    if (range.last != LineRange::kOpen && number >= range.last) break;
    line = next;
  }
  return true;
}

}  // namespace torvic
