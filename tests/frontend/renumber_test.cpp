// RENUM and UNNUM on program lists: the planning rules as a table, the
// limits, and RENUM as a property over generated programs.
#include "frontend/renumber.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "frontend/compiler.h"
#include "frontend/line_ranges.h"
#include "frontend/reference_chains.h"

namespace torvic {
namespace {

// "10 A,- B": number (or "-" for an unnumbered line) and text of each line.
std::string Listing(const ProgramList& p) {
  std::string s;
  for (const ProgramLine* l = p.First(); l; l = l->Next()) {
    if (!s.empty()) s += ',';
    s += (l->IsNumbered() ? std::to_string(l->number) : "-") + " " + l->text;
  }
  return s;
}

void Enter(ProgramList& p, const std::vector<std::string>& lines) {
  for (const std::string& l : lines) EnterNumberedLine(p, l);
}

RenumberResult::Kind RenumberKind(ProgramList& p, RenumberRequest r,
                                  std::vector<std::string>* missing = nullptr) {
  return Renumber(
             p, r,
             [&](const ProgramLine& line, uint32_t n) {
               if (missing)
                 missing->push_back(std::to_string(line.SignedNumber()) + ":" + std::to_string(n));
             })
      .kind;
}

TEST(Renumber, PlansNumbersOrRefusesWithoutChangingAnything) {
  using K = RenumberResult::Kind;
  struct Case {
    std::vector<std::string> program;
    RenumberRequest request;
    K kind;
    const char* listing;
  };
  const uint32_t all = kNoLineNumber;
  const Case cases[] = {
      {{"10 A", "20 B", "30 C"}, {15, 30, 10}, K::OrderError, "10 A,20 B,30 C"},
      {{"10 A", "20 B", "30 C"}, {100, 20, 5}, K::Renumbered, "10 A,100 B,105 C"},
      {{"10 A", "20 B", "30 C"}, {10, all, 10}, K::NothingChanged, "10 A,20 B,30 C"},
      {{"10 A", "20 B", "30 C"}, {20, 20, 10}, K::NothingChanged, "10 A,20 B,30 C"},
      {{"10 A", "20 B", "30 C"}, {5, 20, 1}, K::OrderError, "10 A,20 B,30 C"},
      {{"10 A", "20 B", "30 C"}, {11, 20, 1}, K::Renumbered, "10 A,11 B,12 C"},
      {{"10 A", "20 B", "30 C"}, {65534, all, 1}, K::OrderError, "10 A,20 B,30 C"},
      {{"10 A", "20 B", "30 C"}, {65533, all, 1}, K::Renumbered, "65533 A,65534 B,65535 C"},
      {{"10 A", "20 B"}, {1, 15, 65535}, K::OrderError, "10 A,20 B"},
      {{"10 A", "20 B", "30 C"}, {40, 50, 10}, K::NothingChanged, "10 A,20 B,30 C"},
      {{"10 GOTO 30", "20 GOSUB 10", "30 ON A GOTO 10, 20, 30"},
       {100, all, 100},
       K::Renumbered,
       "100 GOTO 300,200 GOSUB 100,300 ON A GOTO 100, 200, 300"},
      // Only jump targets are rewritten: LIST's range and PRINT's number stay.
      {{"10 LIST 10-20: PRINT 20", "20 RESTORE 20: RUN 10"},
       {1, all, 1},
       K::Renumbered,
       "1 LIST 10-20: PRINT 20,2 RESTORE 2: RUN 1"},
      // Leading zeros go; a target that keeps its number keeps its digits.
      {{"10 GOTO 0020: GOTO 0010", "20 END"},
       {10, all, 5},
       K::Renumbered,
       "10 GOTO 15: GOTO 0010,15 END"},
      {{"10 GOTO 0020: GOTO 0010", "20 END"},
       {7, all, 3},
       K::Renumbered,
       "7 GOTO 10: GOTO 7,10 END"},
  };
  for (const Case& c : cases) {
    if (c.program.empty()) continue;
    ProgramList p;
    Enter(p, c.program);
    p.SetModified(false);
    const std::string before = Listing(p);
    SCOPED_TRACE(before + " RENUM " + std::to_string(c.request.start) + "," +
                 std::to_string(static_cast<int32_t>(c.request.first)) + "," +
                 std::to_string(c.request.step));
    EXPECT_EQ(RenumberKind(p, c.request), c.kind);
    EXPECT_EQ(Listing(p), c.listing);
    EXPECT_EQ(p.Modified(), c.kind == K::Renumbered);
    for (const ProgramLine* l = p.First(); l; l = l->Next()) EXPECT_EQ(l->newNumber, kNoLineNumber);
  }
}

TEST(Renumber, UnnumberedLinesGetNumbersUnlessTheSettingKeepsThem) {
  for (bool keep : {false, true}) {
    ProgramList p;
    Enter(p, {"10 GOTO 30", "20 A", "30 B", "40 C"});
    ASSERT_TRUE(Unnumber(p));
    ASSERT_EQ(Listing(p), "- GOTO 30,- A,30 B,- C");
    RenumberRequest r{100, kNoLineNumber, 10, keep};
    EXPECT_EQ(RenumberKind(p, r), RenumberResult::Renumbered);
    EXPECT_EQ(Listing(p), keep ? "- GOTO 100,- A,100 B,- C" : "100 GOTO 120,110 A,120 B,130 C");
  }
}

TEST(Renumber, FailsWhenTheNextNumberWouldPass65535) {
  ProgramList p;
  for (int i = 1; i <= 7000; ++i)
    EnterNumberedLine(p, std::to_string(i) + " A=" + std::to_string(i));
  const std::string before = Listing(p);
  EXPECT_EQ(RenumberKind(p, {10, kNoLineNumber, 10}), RenumberResult::OrderError);
  EXPECT_EQ(Listing(p), before);
  // 6553 lines fit exactly: the last one becomes 65530.
  EXPECT_EQ(RenumberKind(p, {10, 6554, 1}), RenumberResult::OrderError);  // 10 is not above 6553
  for (ProgramLine* l = p.First(); l;) {
    ProgramLine* next = l->Next();
    if (l->number > 6553) p.Remove(l);
    l = next;
  }
  EXPECT_EQ(RenumberKind(p, {10, kNoLineNumber, 10}), RenumberResult::Renumbered);
  EXPECT_EQ(p.Last()->number, 65530u);
}

TEST(Renumber, ALineThatWouldReach256CharactersStopsEverything) {
  for (size_t filler : {240u, 239u}) {
    ProgramList p;
    Enter(p, {"1 END", "2 GOTO 1: REM " + std::string(filler, 'X')});
    const std::string before = Listing(p);
    const RenumberResult r = Renumber(p, {10000, kNoLineNumber, 10000}, nullptr);
    if (filler == 240) {
      EXPECT_EQ(r.kind, RenumberResult::LineTooLong);
      EXPECT_EQ(r.line, p.Last());
      EXPECT_EQ(Listing(p), before);
    } else {
      EXPECT_EQ(r.kind, RenumberResult::Renumbered);
      EXPECT_EQ(p.Last()->text.size(), 255u);
    }
  }
}

TEST(Renumber, MissingTargetsAreReportedPerReferenceAndTheRestIsRewritten) {
  ProgramList p;
  Enter(p, {"10 GOTO 99: GOSUB 20", "20 ON A GOTO 10, 98", "30 GOTO 0"});
  std::vector<std::string> missing;
  EXPECT_EQ(RenumberKind(p, {100, kNoLineNumber, 10}, &missing), RenumberResult::Renumbered);
  EXPECT_EQ(missing, (std::vector<std::string>{"10:99", "20:98", "30:0"}));
  EXPECT_EQ(Listing(p), "100 GOTO 99: GOSUB 110,110 ON A GOTO 100, 98,120 GOTO 0");
}

TEST(Unnumber, KeepsTheNumbersOfJumpTargetsOnly) {
  ProgramList p;
  Enter(p, {"10 GOTO 30", "20 RESTORE 40: ON ERROR GOTO 0", "30 A", "40 DATA 1", "50 LIST 10"});
  p.SetModified(false);
  EXPECT_TRUE(Unnumber(p));
  EXPECT_TRUE(p.Modified());
  EXPECT_EQ(Listing(p), "- GOTO 30,- RESTORE 40: ON ERROR GOTO 0,30 A,40 DATA 1,- LIST 10");
  p.SetModified(false);
  EXPECT_FALSE(Unnumber(p));
  EXPECT_FALSE(p.Modified());
}

TEST(LineRanges, WalksTakeUnnumberedLinesAfterTheirStart) {
  ProgramList p;
  Enter(p, {"10 GOTO 50", "20 A", "50 GOTO 10", "55 B", "60 C"});
  Unnumber(p);  // 20, 55 and 60 lose their numbers
  auto walk = [&](LineRange r) {
    std::string s;
    WalkRange(p, r, [&](ProgramLine& l) {
      s += (s.empty() ? "" : ",") + l.text;
      return true;
    });
    return s;
  };
  constexpr int32_t open = LineRange::kOpen;
  EXPECT_EQ(walk({open, false, 50}), "GOTO 50,A,GOTO 10");  // LIST -50
  EXPECT_EQ(walk({50, false, open}), "GOTO 10,B,C");        // LIST 50-
  EXPECT_EQ(walk({45, false, open}), "GOTO 10,B,C");        // the first line above 45
  EXPECT_EQ(walk({open, false, open}), "GOTO 50,A,GOTO 10,B,C");
  EXPECT_EQ(walk({10, false, 10}), "GOTO 50");
  EXPECT_EQ(walk({11, false, 49}), "");  // nothing numbered in between starts the walk
  EXPECT_EQ(walk({50, true, open}), "GOTO 10");
  EXPECT_EQ(walk({55, true, open}), "");  // a lost number names nothing
  // The walk stops when asked to, and the visited line may be deleted.
  std::string seen;
  WalkRange(p, {open, false, open}, [&](ProgramLine& l) {
    seen += l.text.substr(0, 1);
    p.Remove(&l);
    return p.Count() > 2;
  });
  EXPECT_EQ(seen, "GAG");
  EXPECT_EQ(p.Count(), 2u);
}

TEST(LineRanges, ReadsTheCompiledRangeList) {
  CodeBuffer b;
  CompileLine("LIST 10, 20-, -30, 40-50, -", b);
  std::vector<LineRange> ranges;
  size_t offset = kLineHeaderSize + 8;
  ASSERT_TRUE(ReadRangeList(b.Data(), offset, b.Size() - 1, ranges));
  EXPECT_EQ(offset, b.Size() - 1);
  ASSERT_EQ(ranges.size(), 5u);
  EXPECT_TRUE(ranges[0].single && ranges[0].first == 10);
  EXPECT_TRUE(!ranges[1].single && ranges[1].first == 20 && ranges[1].last == -1);
  EXPECT_TRUE(ranges[2].first == -1 && ranges[2].last == 30);
  EXPECT_TRUE(ranges[3].first == 40 && ranges[3].last == 50);
  EXPECT_TRUE(ranges[4].first == -1 && ranges[4].last == -1 && !ranges[4].single);
  // A list cut short is refused.
  offset = kLineHeaderSize + 8;
  EXPECT_FALSE(ReadRangeList(b.Data(), offset, kLineHeaderSize + 8 + 12, ranges));
}

// ---------------------------------------------------------------------------
// RENUM as a property over generated programs: afterwards every jump target
// that named a line names the same line as before (a missing one is
// reported), the text holds the new numbers exactly where
// the items say (and nothing else changed), the stored code is what the new
// text compiles to, and a refused RENUM changed nothing.

struct Snapshot {
  std::vector<uint32_t> numbers;
  std::vector<std::string> texts;
  std::vector<std::vector<uint8_t>> codes;
  // Per line, per jump-target item: the index of the line it names (-1: none),
  // its column and digit count.
  struct Item {
    int target;
    size_t column, digits;
  };
  std::vector<std::vector<Item>> items;
};

int IndexOf(const ProgramList& p, const ProgramLine* line) {
  int i = 0;
  for (const ProgramLine* l = p.First(); l; l = l->Next(), ++i)
    if (l == line) return i;
  return -1;
}

Snapshot Take(const ProgramList& p) {
  Snapshot s;
  for (const ProgramLine* l = p.First(); l; l = l->Next()) {
    s.numbers.push_back(l->number);
    s.texts.push_back(l->text);
    s.codes.push_back(l->code);
    std::vector<Snapshot::Item> items;
    for (const LineNumberItem& item : LineNumberItems(l->Code(), l->CodeLength())) {
      const ProgramLine* t = item.number >= 1 && item.number <= 65535
                                 ? p.FindLine(item.number, l->IsNumbered() ? l : nullptr)
                                 : nullptr;
      items.push_back({IndexOf(p, t), item.column, item.digits});
    }
    s.items.push_back(items);
  }
  return s;
}

std::string Target(std::mt19937& rng, const std::vector<uint32_t>& numbers) {
  std::uniform_int_distribution<int> pick(0, static_cast<int>(numbers.size()) - 1);
  const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
  if (kind == 0) return std::to_string(std::uniform_int_distribution<int>(1, 65535)(rng));
  if (kind == 1) return "00" + std::to_string(numbers[static_cast<size_t>(pick(rng))]);
  return std::to_string(numbers[static_cast<size_t>(pick(rng))]);
}

std::string Statement(std::mt19937& rng, const std::vector<uint32_t>& numbers) {
  auto t = [&] { return Target(rng, numbers); };
  switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
    case 0: return "GOTO " + t();
    case 1: return "GOSUB " + t();
    case 2: return "IF A THEN " + t();
    case 3: return "IF A > 1 THEN " + t() + " ELSE " + t();
    case 4: return "ON A GOTO " + t() + ", " + t() + "," + t();
    case 5: return "ON B GOSUB " + t();
    case 6: return "IF A GOSUB " + t();
    case 7: return "RESTORE " + t();
    case 8: return "PRINT " + t() + "; X$";
    default: return "A = A + 1";
  }
}

TEST(RenumberProperty, TargetsNameTheSameLinesAndTextsFollow) {
  std::mt19937 rng(20261206);
  int renumbered = 0;
  for (int round = 0; round < 300; ++round) {
    ProgramList p;
    std::vector<uint32_t> numbers;
    uint32_t n = std::uniform_int_distribution<uint32_t>(1, 200)(rng);
    const int count = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int i = 0; i < count && n <= 65535; ++i) {
      numbers.push_back(n);
      n += std::uniform_int_distribution<uint32_t>(1, 3000)(rng);
    }
    for (uint32_t number : numbers) {
      std::string text = Statement(rng, numbers);
      const int more = std::uniform_int_distribution<int>(0, 3)(rng);
      for (int i = 0; i < more; ++i) text += ": " + Statement(rng, numbers);
      EnterNumberedLine(p, std::to_string(number) + " " + text);
    }
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) Unnumber(p);
    const Snapshot before = Take(p);

    RenumberRequest request;
    request.start = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 2000)(rng));
    request.step = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 500)(rng));
    request.keepUnnumbered = std::uniform_int_distribution<int>(0, 1)(rng) == 1;
    if (std::uniform_int_distribution<int>(0, 1)(rng) == 1)
      request.first = numbers[std::uniform_int_distribution<size_t>(0, numbers.size() - 1)(rng)];
    std::vector<std::string> missing;
    const RenumberResult::Kind kind = RenumberKind(p, request, &missing);
    const Snapshot after = Take(p);
    SCOPED_TRACE("round " + std::to_string(round));

    if (kind != RenumberResult::Renumbered) {
      EXPECT_EQ(after.numbers, before.numbers);
      EXPECT_EQ(after.texts, before.texts);
      EXPECT_EQ(after.codes, before.codes);
      continue;
    }
    ++renumbered;
    size_t line = 0;
    int32_t previous = -1;
    for (const ProgramLine* l = p.First(); l; l = l->Next(), ++line) {
      if (l->IsNumbered()) {
        EXPECT_GT(l->SignedNumber(), previous);
        previous = l->SignedNumber();
      }
      ASSERT_EQ(after.items[line].size(), before.items[line].size());
      // The text the original one becomes when each item's digits are
      // replaced by its target's new number (renumbered targets only).
      std::string expected = before.texts[line];
      for (size_t i = before.items[line].size(); i-- > 0;) {
        const Snapshot::Item& item = before.items[line][i];
        if (item.target < 0) {
          // A jump to a missing line keeps its number (which may now name a
          // renumbered line) and was reported.
          EXPECT_FALSE(missing.empty());
          continue;
        }
        EXPECT_EQ(after.items[line][i].target, item.target) << l->text;
        const uint32_t was = before.numbers[static_cast<size_t>(item.target)];
        const uint32_t now = after.numbers[static_cast<size_t>(item.target)];
        if (was != now) expected.replace(item.column, item.digits, std::to_string(now));
      }
      EXPECT_EQ(l->text, expected);
      CodeBuffer recompiled;
      CompileLine(l->text, recompiled);
      EXPECT_EQ(l->code,
                std::vector<uint8_t>(recompiled.Data(), recompiled.Data() + recompiled.Size()))
          << l->text;
    }
  }
  EXPECT_GT(renumbered, 100);  // the generator must not make mostly refused requests
}

}  // namespace
}  // namespace torvic
