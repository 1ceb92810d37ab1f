// The help book: every statement keyword and function name has a topic
// written for it, the sources are well formed, and every example, typed at
// the real `torvic --batch`, shows the output its topic writes after it.
// TORVIC_REGENERATE=1 rewrites the output blocks of docs/help from the
// actual output; read every changed block before committing it.
#include "help/help_book.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "expr/function_table.h"
#include "frontend/keywords.h"
#include "help/help_sources.h"
#include "shell/batch_run.h"

namespace fs = std::filesystem;

namespace torvic::help {
namespace {

fs::path HelpFolder() { return fs::path(TORVIC_SOURCE_DIR) / "docs" / "help"; }

TEST(HelpBook, EveryKeywordAndFunctionHasATopicWrittenForIt) {
  const HelpBook& book = HelpBook::Get();
  for (const std::string& p : book.Problems()) ADD_FAILURE() << p;
  for (const Topic& t : book.Topics())
    EXPECT_TRUE(t.described) << t.title << " has no topic in docs/help";
  for (const KeywordEntry& k : KeywordTable())
    if (k.token >= 1 && k.token <= 276) { EXPECT_NE(book.Find(k.name), nullptr) << k.name; }
  for (const FunctionRow& f : FunctionTable()) {
    const Topic* t = book.Find(std::string(f.name) + "()");
    ASSERT_NE(t, nullptr) << f.name;
    // The syntax comes from the function table.
    EXPECT_NE(t->markdown.find(FunctionSyntax(f.name)), std::string::npos) << f.name;
  }
}

// A book of two small chapters shows what the tables add and what a
// source may get wrong.
TEST(HelpBook, ReadsTopicsKeysSyntaxAndExamples) {
  static constexpr HelpSource kSources[] = {
      {"a",
       "# First\n<!-- keys: FIRST -->\n\nIntro.\n\n## PRINT\n<!-- keys: PRINT | LEN() -->\n\n"
       "Writes.\n\n```basic\nPRINT 1\n```\n\n```output\n 1\n```\n\n## Bad\n\n"
       "See [nothing](help:NOSUCH).\n\n```basic\nPRINT 2\n```\n"},
      {"b", "# Second\n\n## Twice\n<!-- keys: PRINT -->\n\nText.\n"},
  };
  const HelpBook book(kSources);
  ASSERT_GE(book.Chapters().size(), 2u);
  EXPECT_EQ(book.Chapters()[0].title, "First");
  const Topic* print = book.Find(" print ");
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->title, "PRINT");
  EXPECT_NE(print->markdown.find("PRINT [#n, | @ row, col] USING"), std::string::npos);
  EXPECT_NE(print->markdown.find("LEN(s$)"), std::string::npos);
  EXPECT_EQ(book.Find("len"), print);   // a function without its "()"
  EXPECT_EQ(book.Find("len("), print);  // ... or with half of it
  EXPECT_EQ(book.Find("first"), &book.Topics()[0]);
  EXPECT_EQ(book.Find("NOSUCH"), nullptr);
  ASSERT_EQ(book.Examples().size(), 1u);
  EXPECT_EQ(book.Examples()[0].typed, "PRINT 1\n");
  EXPECT_EQ(book.Examples()[0].output, " 1");
  const std::vector<std::string> problems = book.Problems();
  const auto has = [&](std::string_view text) {
    for (const std::string& p : problems)
      if (p.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has("the key PRINT is in PRINT and Twice"));
  EXPECT_TRUE(has("a link to NOSUCH"));
  EXPECT_TRUE(has("Bad: an example without"));
  // Every other keyword gets a stand-in that says it is not described.
  const Topic* goto_ = book.Find("GOTO");
  ASSERT_NE(goto_, nullptr);
  EXPECT_FALSE(goto_->described);
  EXPECT_NE(goto_->markdown.find("GOTO target"), std::string::npos);
}

TEST(HelpBook, SyntaxComesFromTheTables) {
  struct Case {
    std::string_view name;
    std::string_view syntax;
  };
  const Case functions[] = {
      {"left$", "LEFT$(s$ [, y])"},
      {"mid$", "MID$(s$, y [, z2])"},
      {"pi", "PI"},
      {"mktime", "MKTIME(year, month, day [, hour [, minute [, second]]])"},
      {"eval", "EVAL(s$)   (answers ?Not supported)"},
      {"nosuch", ""},
  };
  for (const Case& c : functions) EXPECT_EQ(FunctionSyntax(c.name), c.syntax) << c.name;
  const std::vector<std::string> on = StatementSyntax("ON");
  EXPECT_EQ(on.size(), 4u);  // ON, ON BREAK, ON ERROR, ON TIMER
  const std::vector<std::string> circle = StatementSyntax("arc");
  ASSERT_EQ(circle.size(), 1u);
  EXPECT_NE(circle[0].find("(answers ?Not supported)"), std::string::npos);
  EXPECT_EQ(StatementSyntax("?"), StatementSyntax("PRINT"));
  EXPECT_TRUE(StatementSyntax("NOSUCH").empty());
}

TEST(HelpBook, UnknownNamesOpenTheIndexWithTheNearestNames) {
  const HelpBook& book = HelpBook::Get();
  const std::vector<std::string> near = book.Nearest("PRIN", 3);
  ASSERT_FALSE(near.empty());
  EXPECT_EQ(near[0].rfind("PRIN", 0), 0u);
  bool found = true;
  const std::string page = book.Page("GOTOO", &found);
  EXPECT_FALSE(found);
  EXPECT_NE(page.find("There is no topic \"GOTOO\""), std::string::npos);
  EXPECT_NE(page.find("[GOTO]"), std::string::npos);
  EXPECT_NE(book.Page("").find("# Contents"), std::string::npos);
  EXPECT_NE(book.Page("index").find("[PRINT](help:PRINT)"), std::string::npos);
  // Every link of the generated pages leads to a topic.
  for (const std::string& md : {book.ContentsMarkdown(), book.IndexMarkdown()}) {
    std::string_view text = md;
    for (size_t at; (at = text.find("](help:")) != text.npos;) {
      text.remove_prefix(at + 7);
      const std::string_view target = text.substr(0, text.find(')'));
      EXPECT_NE(book.Find(target), nullptr) << target;
    }
  }
}

TEST(HelpBook, PlainTextWrapsAndDropsTheMarkup) {
  const std::vector<std::string> lines = PlainText(
      "## Title\n<!-- keys: X -->\n\nSome `code` and a [link](help:X) and **bold** words that "
      "run on.\n\n- an item that wraps\n\n```basic\nPRINT \"**\"\n```\n\n| a | b |\n|---|---|\n",
      20);
  const std::vector<std::string> expected = {"Title",
                                             "-----",
                                             "",
                                             "Some code and a link",
                                             "and bold words that",
                                             "run on.",
                                             "",
                                             "- an item that wraps",
                                             "",
                                             "Example:",
                                             "  PRINT \"**\"",
                                             "",
                                             "| a | b |"};
  EXPECT_EQ(lines, expected);
}

// The examples of the sources, in order: what is typed and the output
// block after it, with where that block starts and ends.
struct SourceExample {
  std::string typed, output;
  size_t outputBegin = 0, outputEnd = 0;
};

std::vector<SourceExample> ExamplesOf(const std::string& text) {
  std::vector<SourceExample> out;
  const std::string open = "```basic\n", outputOpen = "```output\n", close = "```\n";
  for (size_t at = 0; (at = text.find(open, at)) != std::string::npos;) {
    SourceExample e;
    const size_t typedEnd = text.find(close, at + open.size());
    if (typedEnd == std::string::npos) break;
    e.typed = text.substr(at + open.size(), typedEnd - at - open.size());
    const size_t o = text.find(outputOpen, typedEnd);
    if (o == std::string::npos) break;
    e.outputBegin = o + outputOpen.size();
    e.outputEnd = text.find(close, e.outputBegin);
    if (e.outputEnd == std::string::npos) break;
    e.output = text.substr(e.outputBegin, e.outputEnd - e.outputBegin);
    if (!e.output.empty() && e.output.back() == '\n') e.output.pop_back();
    out.push_back(e);
    at = e.outputEnd;
  }
  return out;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(HelpBook, EveryExampleShowsTheOutputWrittenAfterIt) {
  const bool regenerate = std::getenv("TORVIC_REGENERATE") != nullptr;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(HelpFolder()))
    if (entry.path().extension() == ".md") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  const testing::ScratchFolder scratch("help");
  const fs::path input = scratch.path() / "typed";
  size_t count = 0;
  for (const fs::path& file : files) {
    std::string text = ReadFile(file);
    // The embedded book must be the sources' own text (a stale build is
    // caught here rather than tested in its place).
    bool embedded = false;
    for (const HelpSource& s : HelpSources())
      if (s.name == file.stem().string()) embedded = s.text == text;
    EXPECT_TRUE(embedded) << file << " differs from the help built into the executable";
    std::vector<SourceExample> examples = ExamplesOf(text);
    count += examples.size();
    // From the last, so that a rewritten block leaves the earlier offsets.
    for (auto e = examples.rbegin(); e != examples.rend(); ++e) {
      std::ofstream(input, std::ios::binary) << e->typed;
      const testing::BatchResult r = testing::RunBatch("", input);
      const std::string actual = testing::SessionTranscript(r.out, e->typed);
      if (regenerate) {
        text.replace(e->outputBegin, e->outputEnd - e->outputBegin,
                     actual.empty() ? "" : actual + "\n");
        continue;
      }
      EXPECT_EQ(actual, e->output) << file.filename() << ", the example typing:\n" << e->typed;
    }
    if (regenerate) std::ofstream(file, std::ios::binary) << text;
  }
  EXPECT_EQ(count, HelpBook::Get().Examples().size());
  EXPECT_GT(count, 100u);
}

}  // namespace
}  // namespace torvic::help
