// The help book: the topics of docs/help (help_sources.h) with the syntax
// of their statements and functions taken from the statement table and the
// function table, so that a statement or function added to a table shows
// up in its topic (or, without one, as a topic of its own that says it is
// not described yet; the help tests fail for that).
//
// Source format. Each Markdown file is a chapter: a "# Title" line, an
// introduction, then topics, each a "## Title" line followed by
//   <!-- keys: PRINT | ? | DISPLAY | LEN() -->
// naming the statement keywords (as the keyword table spells them), the
// functions (with "()") and the other names the topic answers to. Links
// between topics are written [text](help:NAME). A fenced block marked
// "basic" is an example: the lines typed at the prompt; the "output" block
// after it is what the screen shows, without the prompts and the echo of
// the typed lines. The help tests run every example.
//
// HELP, the window's viewer and the tests all read this one book.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace torvic::help {

struct Topic {
  std::string title;
  std::string chapter;            // the chapter's title
  std::vector<std::string> keys;  // upper case; functions end in "()"
  std::string markdown;           // "## Title", the syntax, the body
  bool described = true;          // false for a generated stand-in
};

struct Example {
  std::string topic;   // the title of the topic it is in
  std::string typed;   // the lines typed, each ended by "\n"
  std::string output;  // the lines shown, without the last line end
};

struct Chapter {
  std::string title;
  std::vector<size_t> topics;  // indexes into Topics()
};

class HelpBook {
 public:
  // The book, read from the built-in sources on first use.
  static const HelpBook& Get();
  // A book of other sources (the tests).
  explicit HelpBook(std::span<const struct HelpSource> sources);

  std::span<const Topic> Topics() const { return topics_; }
  std::span<const Chapter> Chapters() const { return chapters_; }
  std::span<const Example> Examples() const { return examples_; }

  // The topic a name opens: a key (any case, blanks around it ignored),
  // else the name as a function ("LEN" finds "LEN()"), else a topic's
  // title. Null when none does.
  const Topic* Find(std::string_view name) const;
  // Up to `count` keys nearest to a name that finds no topic: those that
  // begin with it first, then by the fewest edits.
  std::vector<std::string> Nearest(std::string_view name, size_t count) const;
  // Every key in alphabetical order.
  std::vector<std::string> Index() const;

  // Generated pages: the contents (chapters and their topics, linked) and
  // the index (every key, linked), the latter headed by the nearest names
  // when `unknown` names no topic.
  std::string ContentsMarkdown() const;
  std::string IndexMarkdown(std::string_view unknown = {}) const;

  // The page HELP shows for its argument: the contents for none (or
  // "CONTENTS"), the index for "INDEX", a topic, or for a name without a
  // topic the index headed by the nearest names. `found` tells which.
  std::string Page(std::string_view name, bool* found = nullptr) const;

  // What is wrong with the sources: keys of two topics, links to nothing,
  // an example without its output, characters outside printable ASCII.
  std::vector<std::string> Problems() const { return problems_; }

 private:
  void Read(std::span<const struct HelpSource> sources);
  void ReadChapter(const struct HelpSource& source);
  std::vector<std::string> ReadKeys(std::string_view line, const std::string& title);
  void ReadExamples(const Topic& topic);
  void AddStandIns();
  void CheckLinks();
  std::string Link(const std::string& key) const;

  std::vector<Topic> topics_;
  std::vector<Chapter> chapters_;
  std::vector<Example> examples_;
  std::vector<std::string> problems_;
};

// The syntax lines of a statement keyword (one per statement-table row
// whose listing name is the keyword or begins with it and a blank) and of a
// function ("LEFT$(s$ [, n])"); a row or function that answers "?Not
// supported" says so after its syntax. Empty when the name is none.
std::vector<std::string> StatementSyntax(std::string_view keyword);
std::string FunctionSyntax(std::string_view name);

// Markdown as plain text for the console: headings, paragraphs and list
// items wrapped to `width` columns, code blocks indented, links and
// emphasis reduced to their text.
std::vector<std::string> PlainText(std::string_view markdown, size_t width);

}  // namespace torvic::help
