#include "shell/key_script.h"

#include <gtest/gtest.h>

#include <vector>

namespace torvic::shell {
namespace {

std::vector<ScriptKey> All(bool braces, std::string_view input) {
  KeyScriptReader r(braces);
  r.Feed(input);
  r.FeedEnd();
  std::vector<ScriptKey> keys;
  while (auto k = r.Next()) keys.push_back(*k);
  return keys;
}

TEST(KeyScript, PlainBytesAndLineEnds) {
  const auto keys = All(false, "A{B}\r\nC\n");
  ASSERT_EQ(keys.size(), 7u);
  EXPECT_EQ(keys[1].code, '{');  // without --keys braces are characters
  EXPECT_EQ(keys[4].code, 13u);  // CR LF is one Enter
  EXPECT_EQ(keys[5].code, 'C');
  EXPECT_EQ(keys[6].code, 13u);
}

TEST(KeyScript, BraceNamesWithPrefixes) {
  const auto keys = All(true, "{C-HOME}{S-F9}{BREAK}{{{ESC}{NOPE}{F12}");
  ASSERT_GE(keys.size(), 6u);
  EXPECT_EQ(keys[0].kind, ScriptKey::KeyDown);
  EXPECT_EQ(keys[0].code, 36u);
  EXPECT_TRUE(keys[0].ctrl);
  EXPECT_EQ(keys[1].code, 120u);
  EXPECT_TRUE(keys[1].shift);
  EXPECT_TRUE(keys[2].IsBreak());
  EXPECT_EQ(keys[3].code, '{');
  EXPECT_EQ(keys[3].kind, ScriptKey::Char);
  EXPECT_EQ(keys[4].code, 27u);
  // An unknown name is typed as it stands.
  EXPECT_EQ(keys[5].code, '{');
  EXPECT_EQ(keys[6].code, 'N');
  EXPECT_EQ(keys.back().code, 123u);
}

TEST(KeyScript, AKeySplitAcrossReadsWaitsForTheRest) {
  KeyScriptReader r(true);
  r.Feed("{PG");
  EXPECT_FALSE(r.Next());
  r.Feed("DN}\r");
  auto k = r.Next();
  ASSERT_TRUE(k);
  EXPECT_EQ(k->code, 34u);
  EXPECT_FALSE(r.Next());  // a CR may still be followed by its LF
  r.FeedEnd();
  k = r.Next();
  ASSERT_TRUE(k);
  EXPECT_EQ(k->code, 13u);
  EXPECT_TRUE(r.Exhausted());
}

}  // namespace
}  // namespace torvic::shell
