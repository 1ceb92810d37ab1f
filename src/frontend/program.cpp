#include "frontend/program.h"

#include <new>
#include <unordered_map>
#include <utility>

#include "frontend/compiler.h"

namespace torvic {

void ProgramList::CheckOrder(const ProgramLine* l) {
  ++shape_;
  if (!ordered_ || !l->IsNumbered()) return;
  const ProgramLine* before = l->prev_;
  while (before && !before->IsNumbered()) before = before->prev_;
  const ProgramLine* after = l->next_;
  while (after && !after->IsNumbered()) after = after->next_;
  if ((before && before->number >= l->number) || (after && after->number <= l->number))
    ordered_ = false;
}

ProgramLine* ProgramList::Append(std::unique_ptr<ProgramLine> line) {
  ProgramLine* l = line.release();
  l->prev_ = last_;
  l->next_ = nullptr;
  if (last_) last_->next_ = l;
  else first_ = l;
  last_ = l;
  ++count_;
  CheckOrder(l);
  return l;
}

ProgramLine* ProgramList::InsertBefore(ProgramLine* before, std::unique_ptr<ProgramLine> line) {
  if (!before) return Append(std::move(line));
  ProgramLine* l = line.release();
  l->next_ = before;
  l->prev_ = before->prev_;
  if (before->prev_) before->prev_->next_ = l;
  else first_ = l;
  before->prev_ = l;
  ++count_;
  CheckOrder(l);
  return l;
}

std::unique_ptr<ProgramLine> ProgramList::Detach(ProgramLine* line) {
  if (line->prev_) line->prev_->next_ = line->next_;
  else first_ = line->next_;
  if (line->next_) line->next_->prev_ = line->prev_;
  else last_ = line->prev_;
  line->prev_ = line->next_ = nullptr;
  --count_;
  ++shape_;
  if (count_ == 0) ordered_ = true;
  return std::unique_ptr<ProgramLine>(line);
}

void ProgramList::Swap(ProgramList& other) {
  std::swap(first_, other.first_);
  std::swap(last_, other.last_);
  std::swap(count_, other.count_);
  std::swap(modified_, other.modified_);
  std::swap(ordered_, other.ordered_);
  // Each list remembers lines it found; those are the other list's now.
  ++shape_;
  ++other.shape_;
}

void ProgramList::Clear() {
  ProgramLine* l = first_;
  while (l) {
    ProgramLine* next = l->next_;
    delete l;
    l = next;
  }
  first_ = last_ = nullptr;
  count_ = 0;
  ++shape_;
  ordered_ = true;
}

void ProgramList::TakeAllFrom(ProgramList& other) {
  while (other.first_) Append(other.Detach(other.first_));
}

ProgramLine* ProgramList::InsertByNumber(std::unique_ptr<ProgramLine> line) {
  const int32_t n = line->SignedNumber();
  // A program is typed or loaded mostly in number order: the tail is
  // looked at first, so that such a load takes constant time per line.
  if (!last_ || (last_->IsNumbered() && n > last_->SignedNumber())) return Append(std::move(line));
  if (last_->number == line->number) {
    ProgramLine* old = last_;
    ProgramLine* at = InsertBefore(old, std::move(line));
    Remove(old);
    return at;
  }
  for (ProgramLine* l = first_; l; l = l->next_) {
    if (l->number == line->number) {
      ProgramLine* at = InsertBefore(l, std::move(line));
      Remove(l);
      return at;
    }
    if (l->SignedNumber() > n) return InsertBefore(l, std::move(line));
  }
  return Append(std::move(line));
}

ProgramLine* ProgramList::FindLine(uint32_t n, const ProgramLine* start) const {
  const ProgramLine* s = start ? start : first_;
  if (!s || n == kNoLineNumber) return nullptr;  // unnumbered lines are never targets
  const bool forward = s->SignedNumber() <= static_cast<int32_t>(n);
  // The lines next to the start are looked at first: most jumps are short,
  // and that walk is cheaper than the remembered lines.
  const ProgramLine* l = s;
  for (int near = 0; near < 2; ++near) {
    if (l->number == n) return const_cast<ProgramLine*>(l);
    l = forward ? l->next_ : l->prev_;
    if (!l) return nullptr;
  }
  // From an unnumbered line other than the first, what is found depends on
  // where the start stands: such searches always walk.
  const bool remembered = ordered_ && (s->IsNumbered() || s == first_);
  FoundLine& f = found_[FoundSlot(n)];
  if (remembered && f.number == n && f.shape == shape_ && f.line->number == n) return f.line;
  for (; l; l = forward ? l->next_ : l->prev_) {
    if (l->number != n) continue;
    if (remembered) f = FoundLine{n, shape_, const_cast<ProgramLine*>(l)};
    return const_cast<ProgramLine*>(l);
  }
  return nullptr;
}

std::string_view ProgramLine::LabelText() const {
  if (Label().empty() || code.size() < kLineHeaderSize + kRecordFrameSize) return {};
  const RecordFrame frame = ReadFrame(code.data(), kLineHeaderSize);
  if (frame.code != kRecordLabel || frame.column >= text.size()) return {};
  return std::string_view(text).substr(frame.column, frame.textLength);
}

ProgramLine* ProgramList::FindLabel(std::string_view name) const {
  for (ProgramLine* l = first_; l; l = l->next_)
    if (l->Label() == name && l->code[kHeaderLabelFlag] == 1) return l;
  return nullptr;
}

ProgramLine* ProgramList::FindDuplicateLabel() const {
  // First occurrence of each label by position; the answer is the second
  // occurrence of the label whose first occurrence comes earliest.
  struct Seen {
    size_t index;
    ProgramLine* second;
  };
  std::unordered_map<std::string_view, Seen> seen;
  size_t bestIndex = SIZE_MAX;
  ProgramLine* best = nullptr;
  size_t index = 0;
  for (ProgramLine* l = first_; l; l = l->next_, ++index) {
    if (l->code.size() <= kHeaderLabelFlag || l->code[kHeaderLabelFlag] != 1) continue;
    auto [it, inserted] = seen.try_emplace(l->Label(), Seen{index, nullptr});
    if (!inserted && !it->second.second) {
      it->second.second = l;
      if (it->second.index < bestIndex) {
        bestIndex = it->second.index;
        best = l;
      }
    }
  }
  return best;
}

LineEntryResult EnterNumberedLine(ProgramList& program, std::string_view typed) {
  LineEntryResult r;
  size_t p = 0;
  while (p < typed.size() && typed[p] == ' ') ++p;
  const size_t digitsStart = p;
  uint64_t n = 0;
  while (p < typed.size() && typed[p] >= '0' && typed[p] <= '9') {
    if (n <= 65535) n = n * 10 + static_cast<uint64_t>(typed[p] - '0');
    ++p;
  }
  if (n == 0 || n > 65535) {
    r.digits = std::string(typed.substr(digitsStart, p - digitsStart));
    r.column = static_cast<int32_t>(digitsStart);
    return r;
  }
  r.number = static_cast<uint32_t>(n);
  if (p < typed.size() && typed[p] == ' ') ++p;  // the one space after the number
  std::string_view text = typed.substr(p);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

  if (text.empty()) {
    if (ProgramLine* old = program.FindLine(r.number)) program.Remove(old);
    program.SetModified(!program.Empty());
    r.kind = LineEntryResult::Deleted;
    return r;
  }

  try {
    CodeBuffer buffer;
    CompileLine(text, buffer);
    // A number beyond the last line names no line yet: no walk.
    const ProgramLine* last = program.Last();
    const bool beyondLast =
        last && last->IsNumbered() && last->number < r.number && program.NumbersAscend();
    if (ProgramLine* old = beyondLast ? nullptr : program.FindLine(r.number)) {
      // Copies first, so a failed allocation leaves the old line intact.
      std::string newText(text);
      std::vector<uint8_t> newCode(buffer.Data(), buffer.Data() + buffer.Size());
      old->ReplaceTextAndCode(newText, newCode);
      r.line = old;
    } else {
      r.line = program.InsertByNumber(
          std::make_unique<ProgramLine>(r.number, std::string(text), buffer.Data(), buffer.Size()));
    }
  } catch (const std::bad_alloc&) {
    r.kind = LineEntryResult::OutOfMemory;
    return r;
  }
  program.SetModified(true);
  r.kind = LineEntryResult::Stored;
  return r;
}

}  // namespace torvic
