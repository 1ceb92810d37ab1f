// The keyword table (tests/keywords/keywords.table): every statement keyword
// and every function name of the language, typed at the real `torvic
// --batch`, with the transcript it must give. The format is described at the
// top of the table. The runner also checks that the table leaves no keyword
// of the keyword table and no name of the function table without a row, and
// that a row answering "?Not supported" says why (by design, or not built
// yet), so a new keyword, or a statement that gets built, shows up here.
//
// TORVIC_REGENERATE=1 rewrites the expected transcripts from the actual
// ones; read every changed row before committing the table.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "expr/function_table.h"
#include "frontend/keywords.h"
#include "shell/batch_run.h"

namespace fs = std::filesystem;

namespace torvic {
namespace {

constexpr std::string_view kByDesign = "by-design", kNotBuilt = "not-built",
                           kNoWindow = "no-window";
constexpr std::string_view kNotSupported = "?Not supported";
constexpr std::string_view kFunctionPrefix = "fn:";

fs::path TablePath() {
  return fs::path(TORVIC_SOURCE_DIR) / "tests" / "keywords" / "keywords.table";
}

struct Row {
  size_t lineIndex = 0;  // in the file
  std::string head;      // names and mark as written
  std::vector<std::string> names;
  std::string mark;       // "", by-design, not-built or no-window
  std::string typedText;  // as written (escaped)
  std::string expected;   // as written (escaped)
  std::string error;      // a malformed row
};

// "\n" is a line end and "\\" a backslash; false for any other escape.
bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 1 >= text.size()) return false;
    const char c = text[++i];
    if (c == 'n') out.push_back('\n');
    else if (c == '\\') out.push_back('\\');
    else return false;
  }
  return true;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else out.push_back(c);
  }
  return out;
}

Row ParseRow(const std::string& line, size_t index) {
  Row r;
  r.lineIndex = index;
  const size_t first = line.find(" | ");
  if (first == std::string::npos) {
    r.error = "no \" | \" after the names";
    return r;
  }
  r.head = line.substr(0, first);
  const std::string rest = line.substr(first + 3);
  const size_t second = rest.find(" | ");
  if (second != std::string::npos) {
    r.typedText = rest.substr(0, second);
    r.expected = rest.substr(second + 3);
  } else if (rest.size() >= 2 && rest.compare(rest.size() - 2, 2, " |") == 0) {
    r.typedText = rest.substr(0, rest.size() - 2);  // the row prints nothing
  } else {
    r.error = "no \" | \" before the transcript";
    return r;
  }
  std::istringstream words(r.head);
  for (std::string w; words >> w;) {
    if (w == kByDesign || w == kNotBuilt || w == kNoWindow) r.mark = w;
    else r.names.push_back(w);
  }
  if (r.names.empty()) r.error = "no names";
  return r;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TEST(KeywordTable, EveryRowGivesItsTranscriptAndEveryNameHasARow) {
  std::ifstream in(TablePath());
  ASSERT_TRUE(in) << TablePath();
  std::vector<std::string> fileLines;
  for (std::string line; std::getline(in, line);) fileLines.push_back(line);
  const bool regenerate = std::getenv("TORVIC_REGENERATE") != nullptr;

  // The statement keywords: the keyword table's, and the statements that
  // begin with a character instead of a word.
  std::set<std::string> statementNames = {"?",      "'",     "~",      "@",    ".",
                                          "$print", "$xref", "$color", "lines"};
  std::set<std::string> functionNames;
  for (const KeywordEntry& k : KeywordTable())
    if (k.token >= 1 && k.token <= 276) statementNames.insert(k.name);
  for (const FunctionRow& f : FunctionTable()) functionNames.insert(f.name);
  std::set<std::string> covered;

  const testing::ScratchFolder scratch("keywords");
  const fs::path input = scratch.path() / "typed";
  int rows = 0;
  for (size_t i = 0; i < fileLines.size(); ++i) {
    const std::string& line = fileLines[i];
    if (line.empty() || line[0] == '#') continue;
    Row row = ParseRow(line, i);
    const std::string where = "row at line " + std::to_string(i + 1) + " (" + row.head + ")";
    if (!row.error.empty()) {
      ADD_FAILURE() << where << ": " << row.error;
      continue;
    }
    ++rows;
    std::string typed;
    if (!Unescape(row.typedText, typed)) {
      ADD_FAILURE() << where << ": an escape other than \\n or \\\\ in the typed text";
      continue;
    }
    // The names must be names of the tables, and the row must type them.
    for (const std::string& name : row.names) {
      const bool isFunction = name.rfind(kFunctionPrefix, 0) == 0;
      const std::string bare = isFunction ? name.substr(kFunctionPrefix.size()) : name;
      if (!(isFunction ? functionNames : statementNames).count(bare))
        ADD_FAILURE() << where << ": " << name << " is no name of the "
                      << (isFunction ? "function" : "keyword") << " table";
      else if (Lower(typed).find(bare) == std::string::npos)
        ADD_FAILURE() << where << ": the typed text does not use " << bare;
      covered.insert(name);
    }
    std::ofstream(input, std::ios::binary) << typed << "\n";
    const testing::BatchResult r = testing::RunBatch("", input);
    const std::string actual = Escape(testing::SessionTranscript(r.out, typed));
    if (regenerate) {
      fileLines[i] = row.head + " | " + row.typedText + " |" + (actual.empty() ? "" : " " + actual);
      continue;
    }
    EXPECT_EQ(actual, row.expected) << where;
    // "?Not supported" is an answer only where the row says why.
    const bool notSupported = actual.find(kNotSupported) != std::string::npos;
    if (notSupported && row.mark.empty())
      ADD_FAILURE() << where
                    << ": answers ?Not supported; mark it by-design, not-built or no-window";
    if (!notSupported && !row.mark.empty())
      ADD_FAILURE() << where << ": marked " << row.mark << " but never answers ?Not supported";
  }
  if (regenerate) {
    std::ofstream out(TablePath(), std::ios::binary);
    for (const std::string& l : fileLines) out << l << "\n";
  }
  EXPECT_GT(rows, 0);
  for (const std::string& name : statementNames)
    EXPECT_TRUE(covered.count(name)) << "the keyword " << name << " has no row";
  for (const std::string& name : functionNames)
    EXPECT_TRUE(covered.count(std::string(kFunctionPrefix) + name))
        << "the function " << name << " has no row";
}

}  // namespace
}  // namespace torvic
