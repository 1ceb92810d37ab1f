#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frontend/compiled_line.h"
#include "frontend/compiler.h"
#include "frontend/program.h"
#include "frontend/renumber.h"

namespace torvic {
namespace {

// "10 A,20 B" style listing of the program: number (or "-") and text.
std::string Listing(const ProgramList& p) {
  std::string s;
  for (ProgramLine* l = p.First(); l; l = l->Next()) {
    if (!s.empty()) s += ',';
    s += l->IsNumbered() ? std::to_string(l->number) : "-";
    s += ' ';
    s += l->text;
  }
  return s;
}

std::unique_ptr<ProgramLine> Unnumbered(const std::string& text) {
  CodeBuffer b;
  CompileLine(text, b);
  return std::make_unique<ProgramLine>(kNoLineNumber, text, b.Data(), b.Size());
}

TEST(ProgramStore, EnteringLinesOrdersReplacesAndDeletes) {
  struct Step {
    const char* typed;
    LineEntryResult::Kind kind;
    const char* listing;
    bool modified;
  };
  const Step steps[] = {
      {"20 B", LineEntryResult::Stored, "20 B", true},
      {"10 A", LineEntryResult::Stored, "10 A,20 B", true},
      {"30 C", LineEntryResult::Stored, "10 A,20 B,30 C", true},
      {"  20   X  ", LineEntryResult::Stored, "10 A,20   X,30 C", true},  // one space dropped
      {"15 M", LineEntryResult::Stored, "10 A,15 M,20   X,30 C", true},
      {"99", LineEntryResult::Deleted, "10 A,15 M,20   X,30 C", true},  // nothing to delete
      {"15", LineEntryResult::Deleted, "10 A,20   X,30 C", true},
      {"0 PRINT", LineEntryResult::BadNumber, "10 A,20   X,30 C", true},
      {"65536 PRINT", LineEntryResult::BadNumber, "10 A,20   X,30 C", true},
      {"65535 Z", LineEntryResult::Stored, "10 A,20   X,30 C,65535 Z", true},
      {"10", LineEntryResult::Deleted, "20   X,30 C,65535 Z", true},
      {"20 ", LineEntryResult::Deleted, "30 C,65535 Z", true},
      {"30", LineEntryResult::Deleted, "65535 Z", true},
      {"65535", LineEntryResult::Deleted, "", false},  // empty program: not modified
  };
  ProgramList p;
  for (const Step& s : steps) {
    LineEntryResult r = EnterNumberedLine(p, s.typed);
    EXPECT_EQ(r.kind, s.kind) << s.typed;
    EXPECT_EQ(Listing(p), s.listing) << s.typed;
    EXPECT_EQ(p.Modified(), s.modified) << s.typed;
  }
}

TEST(ProgramStore, BadNumbersReportTheDigitsAndTheirColumn) {
  ProgramList p;
  LineEntryResult r = EnterNumberedLine(p, "  65536 PRINT");
  EXPECT_EQ(r.kind, LineEntryResult::BadNumber);
  EXPECT_EQ(r.digits, "65536");
  EXPECT_EQ(r.column, 2);
  r = EnterNumberedLine(p, "0PRINT");
  EXPECT_EQ(r.digits, "0");
  EXPECT_TRUE(p.Empty());
}

TEST(ProgramStore, UnnumberedLinesKeepTheirPlace) {
  ProgramList p;
  EnterNumberedLine(p, "10 A");
  p.Append(Unnumbered("U"));
  EnterNumberedLine(p, "30 C");  // last line unnumbered: walk from the start
  EnterNumberedLine(p, "5 Z");
  EnterNumberedLine(p, "20 B");
  EXPECT_EQ(Listing(p), "5 Z,10 A,- U,20 B,30 C");
}

TEST(ProgramStore, FindLineWalksTowardTheTarget) {
  ProgramList p;
  for (const char* t : {"10 A", "20 B", "30 C"}) EnterNumberedLine(p, t);
  ProgramLine* l10 = p.First();
  ProgramLine* l30 = p.Last();
  ProgramLine* u = p.InsertBefore(l10->Next(), Unnumbered("U"));  // 10, U, 20, 30
  EXPECT_EQ(p.FindLine(10, l30), l10);                            // backward from 30
  EXPECT_EQ(p.FindLine(30, l10), l30);                            // forward from 10
  EXPECT_EQ(p.FindLine(30, u), l30);      // an unnumbered start reads as -1: forward
  EXPECT_EQ(p.FindLine(10, u), nullptr);  // ... so a line before it is not found
  EXPECT_EQ(p.FindLine(10), l10);         // from the first line
  EXPECT_EQ(p.FindLine(25), nullptr);
  EXPECT_EQ(p.FindLine(kNoLineNumber, l30), nullptr);
}

TEST(ProgramStore, LabelsAndTheDuplicateCheck) {
  ProgramList p;
  EXPECT_EQ(p.FindDuplicateLabel(), nullptr);
  for (const char* t : {"10 *LOOP", "20 *START: X", "30 *loop ' again", "40 *START", "50 *OTHER X"})
    EnterNumberedLine(p, t);
  EXPECT_EQ(p.FindLabel("LOOP"), p.First());
  EXPECT_EQ(p.FindLabel("loop"), nullptr);   // names are compared as stored
  EXPECT_EQ(p.FindLabel("OTHER"), nullptr);  // not a label: "X" follows the name
  ProgramLine* dup = p.FindDuplicateLabel();
  ASSERT_NE(dup, nullptr);
  EXPECT_EQ(dup->number, 30u);  // LOOP's first occurrence comes before START's
  EXPECT_EQ(p.FindLine(20)->Label(), "START");
}

TEST(ProgramStore, UncompiledStatementsKeepTheirTextBesideCompiledOnes) {
  // A statement that does not compile is kept as its text (column and
  // length, trailing spaces not counted); the others compile, and a colon
  // inside a string stays in the string.
  CodeBuffer b;
  CompileLine("PRINT \"A:B\" :  FOO BAR  :: X", b);
  size_t at = kLineHeaderSize;
  ASSERT_EQ(b.At(at), 86);  // PRINT
  EXPECT_EQ(ReadFrame(b.Data(), at).textLength, 11);
  at += kRecordFrameSize + ReadFrame(b.Data(), at).operandLength;
  struct Rec {
    uint16_t column, length;
  };
  std::vector<Rec> recs;
  while (b.At(at) == kRecordUncompiled) {
    recs.push_back(Rec{ReadU16(b.Data() + at + 1), ReadU16(b.Data() + at + 3)});
    at += kUncompiledRecordSize;
  }
  EXPECT_EQ(b.At(at), kRecordEnd);
  EXPECT_EQ(at + 1, b.Size());
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0].column, 15);
  EXPECT_EQ(recs[0].length, 7);
  EXPECT_EQ(recs[1].column, 27);
  EXPECT_EQ(recs[1].length, 1);
}

// FindLine remembers the lines it found; after any change to the list or
// to the numbers it must still answer exactly as the plain walk from the
// start line does.
ProgramLine* WalkTo(const ProgramList& p, uint32_t n, const ProgramLine* start) {
  const ProgramLine* s = start ? start : p.First();
  if (!s || n == kNoLineNumber) return nullptr;
  const bool forward = s->SignedNumber() <= static_cast<int32_t>(n);
  for (const ProgramLine* l = s; l; l = forward ? l->Next() : l->Prev())
    if (l->number == n) return const_cast<ProgramLine*>(l);
  return nullptr;
}

void ExpectFindLineAsWalk(const ProgramList& p, const char* step) {
  std::vector<const ProgramLine*> starts{nullptr};
  for (const ProgramLine* l = p.First(); l; l = l->Next()) starts.push_back(l);
  for (int pass = 0; pass < 2; ++pass)  // the second pass answers from what the first found
    for (const ProgramLine* from : starts)
      for (uint32_t n = 5; n <= 1100; n += 5)
        ASSERT_EQ(p.FindLine(n, from), WalkTo(p, n, from))
            << step << ": " << n << " from " << (from ? from->SignedNumber() : 0) << "\n"
            << Listing(p);
}

TEST(ProgramStore, RememberedLinesFollowEveryChange) {
  ProgramList p;
  ProgramList other;
  for (int n = 10; n <= 200; n += 10)
    EnterNumberedLine(p, std::to_string(n) + " L" + std::to_string(n));
  struct Step {
    const char* name;
    std::function<void()> change;
  };
  const Step steps[] = {
      {"as entered", [] {}},
      {"a line inserted", [&] { EnterNumberedLine(p, "55 NEW"); }},
      {"a line deleted", [&] { EnterNumberedLine(p, "120"); }},
      {"a line replaced", [&] { EnterNumberedLine(p, "150 OTHER"); }},
      {"renumbered",
       [&] {
         RenumberRequest r;
         r.start = 1000;
         r.step = 5;
         ASSERT_EQ(Renumber(p, r, nullptr).kind, RenumberResult::Renumbered);
       }},
      {"renumbered back",
       [&] {
         RenumberRequest r;
         r.start = 10;
         r.step = 10;
         ASSERT_EQ(Renumber(p, r, nullptr).kind, RenumberResult::Renumbered);
       }},
      {"unnumbered", [&] { Unnumber(p); }},
      {"numbers set again",
       [&] {
         uint32_t n = 10;
         for (ProgramLine* l = p.First(); l; l = l->Next(), n += 10) l->number = n;
       }},
      {"an unnumbered line in between",
       [&] { p.InsertBefore(p.First()->Next()->Next(), Unnumbered("U")); }},
      {"moved to another list and back",
       [&] {
         other.TakeAllFrom(p);
         EnterNumberedLine(p, "30 ONLY");
         ExpectFindLineAsWalk(p, "while moved");
         p.Clear();
         p.TakeAllFrom(other);
       }},
      {"numbers out of order",
       [&] {
         CodeBuffer b;
         CompileLine("A", b);
         p.Append(std::make_unique<ProgramLine>(40, "SECOND 40", b.Data(), b.Size()));
       }},
      {"cleared",
       [&] {
         p.Clear();
         for (int n = 100; n >= 10; n -= 10) EnterNumberedLine(p, std::to_string(n) + " X");
       }},
  };
  for (const Step& s : steps) {
    s.change();
    ExpectFindLineAsWalk(p, s.name);
  }
}

TEST(ProgramStore, ReplacingALinesCodeCountsAsFreeingCode) {
  // What is remembered about code by its address must be dropped when a
  // stored line gets new code in place.
  ProgramList p;
  EnterNumberedLine(p, "10 A=1");
  const uint64_t before = ProgramLine::CodeEpoch();
  EnterNumberedLine(p, "10 B=2");
  EXPECT_NE(ProgramLine::CodeEpoch(), before);
  EXPECT_EQ(Listing(p), "10 B=2");
}

}  // namespace
}  // namespace torvic
