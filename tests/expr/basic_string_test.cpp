// CBasicString's building operations: assignment and appending at every
// length the short-copy path distinguishes and from its own bytes, the 65535
// clamp, reuse of the block, strings bound to a record buffer, and the
// one-byte search.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "expr/value.h"

namespace torvic::testing {
namespace {

constexpr size_t kMax = CBasicString::kMaxLength;

std::string Pattern(size_t n, char first = 'a') {
  std::string s(n, ' ');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(first + i % 26);
  return s;
}

// Lengths around each width the copy distinguishes, and the clamp.
const size_t kLengths[] = {0,  1,  2,  3,  4,  5,  7,   8,     9,     15,    16,   17,
                           23, 24, 31, 32, 33, 64, 100, 65534, 65535, 65536, 70000};

TEST(BasicString, AssignAndAppendClampAtEveryLength) {
  for (size_t a : kLengths) {
    for (size_t b : kLengths) {
      const std::string x = Pattern(a), y = Pattern(b, 'A');
      // Into a fresh string, into one with a large block, and into one whose
      // block has just the first text's size.
      CBasicString fresh, roomy(Pattern(65535)), tight(Pattern(a));
      for (CBasicString* s : {&fresh, &roomy, &tight}) {
        s->Assign(x);
        ASSERT_EQ(s->View(), x.substr(0, kMax)) << a;
        s->Append(y);
        const std::string want = (x.substr(0, kMax) + y).substr(0, kMax);
        ASSERT_EQ(s->View(), want) << a << "+" << b;
        ASSERT_LE(s->Length(), s->Capacity());
      }
    }
  }
}

TEST(BasicString, BlockIsReusedWhileItFits) {
  CBasicString s(Pattern(40));
  const uint8_t* block = s.Data();
  const int32_t capacity = s.Capacity();
  for (size_t n : {0u, 1u, 12u, 33u, 40u}) {
    s.Assign(Pattern(n));
    EXPECT_EQ(s.Data(), block) << n;
    EXPECT_EQ(s.Capacity(), capacity) << n;
  }
  s.Assign("ab");
  while (s.Length() < capacity) s.AppendByte('x');
  EXPECT_EQ(s.Data(), block);
  EXPECT_EQ(s.View(), "ab" + std::string(static_cast<size_t>(capacity) - 2, 'x'));
  // SetEmpty keeps the block too.
  s.SetEmpty();
  EXPECT_TRUE(s.Empty());
  s.Assign("short");
  EXPECT_EQ(s.Data(), block);
}

TEST(BasicString, RandomBuildingMatchesAModel) {
  std::mt19937 rng(65535);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  CBasicString s;
  std::string model;
  for (int step = 0; step < 20000; ++step) {
    const std::string piece = Pattern(static_cast<size_t>(pick(0, step % 100 == 0 ? 30000 : 40)),
                                      static_cast<char>('a' + pick(0, 20)));
    switch (pick(0, 5)) {
      case 0:
        s.Assign(piece);
        model = piece.substr(0, kMax);
        break;
      case 1:
      case 2:
        s.Append(piece);
        model = (model + piece).substr(0, kMax);
        break;
      case 3: {  // a piece of itself, overlapping in every way
        const size_t from =
            model.empty() ? 0 : static_cast<size_t>(pick(0, static_cast<int>(model.size()) - 1));
        const size_t len = static_cast<size_t>(pick(0, 40));
        const std::string cut = model.substr(from, len);
        if (pick(0, 1)) {
          s.Assign(s.View().substr(from, len));
          model = cut;
        } else {
          s.Append(s.View().substr(from, len));
          model = (model + cut).substr(0, kMax);
        }
        break;
      }
      case 4:
        s.SetEmpty();
        model.clear();
        break;
      case 5: {
        const int32_t n = pick(0, 60);
        s.Resize(n);
        model.resize(static_cast<size_t>(n), '\0');
        break;
      }
    }
    ASSERT_EQ(s.View(), model) << step;
  }
}

TEST(BasicString, BoundStringsLeaveTheRecordAlone) {
  struct Case {
    const char* op;
    const char* arg;
    const char* want;
    bool borrowed;
  };
  const Case cases[] = {
      {"assign", "zz", "zz", false},      // shorter than the field: unbound, not written through
      {"assign", "wxyz", "wxyz", false},  // the field's width exactly
      {"assign", "", "", false},         {"append", "q", "abcdq", false},
      {"append", "", "abcd", true},  // nothing appended: still bound
  };
  for (const Case& c : cases) {
    uint8_t record[6] = {'a', 'b', 'c', 'd', '!', '!'};
    CBasicString s;
    s.Bind(record, 4);
    ASSERT_EQ(s.View(), "abcd");
    const std::string op = c.op;
    if (op == "assign") s.Assign(c.arg);
    if (op == "append") s.Append(c.arg);
    EXPECT_EQ(s.View(), c.want) << c.op << " " << c.arg;
    EXPECT_EQ(s.Borrowed(), c.borrowed) << c.op << " " << c.arg;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record), 6), "abcd!!") << c.op << " " << c.arg;
  }
}

TEST(BasicString, OneByteSearch) {
  struct Case {
    std::string text;
    char byte;
    int32_t start;
    int32_t want;
  };
  const Case cases[] = {
      {"abcabc", 'c', 1, 3},       {"abcabc", 'c', 3, 3}, {"abcabc", 'c', 4, 6},
      {"abcabc", 'c', 7, -1},      {"abcabc", 'a', 0, 1}, {"abcabc", 'a', -5, 1},
      {"abcabc", 'x', 1, -1},      {"", 'a', 1, -1},      {std::string("a\0b", 3), '\0', 1, 2},
      {"\xC8x\xC8", '\xC8', 2, 3}, {"abc", 'c', 3, 3},
  };
  for (const Case& c : cases) {
    const CBasicString s(c.text);
    EXPECT_EQ(s.Find(std::string_view(&c.byte, 1), c.start), c.want) << c.text << " " << c.start;
  }
}

}  // namespace
}  // namespace torvic::testing
