#include "help/help_book.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "expr/function_table.h"
#include "expr/functions.h"
#include "frontend/keywords.h"
#include "frontend/statements.h"
#include "help/help_sources.h"

namespace torvic::help {

namespace {

constexpr std::string_view kKeysOpen = "<!-- keys:";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kLinkScheme = "help:";
constexpr std::string_view kStandInChapter = "Not described yet";
constexpr std::string_view kNotSupportedNote = "   (answers ?Not supported)";

// The run column of every statement row: the handler's name, or the
// marks of the rows that answer "?Not supported".
struct RowRun {
  int code;
  const char* run;
};
#define RUN(handler) #handler
#define BY_DESIGN(list) "BY_DESIGN"
#define NOT_BUILT(part) "NOT_BUILT"
constexpr RowRun kRowRuns[] = {
#define STATEMENT(Name, code, listing, compile, run, grammar) {code, run},
#include "frontend/statements.def"
};
#undef RUN
#undef BY_DESIGN
#undef NOT_BUILT

// Statements whose handler checks its operands and then answers "?Not
// supported" carry that in their name (CountedListNotSupported, ...).
bool AnswersNotSupported(int code) {
  for (const RowRun& r : kRowRuns) {
    if (r.code != code) continue;
    const std::string_view run = r.run;
    return run == "BY_DESIGN" || run == "NOT_BUILT" || run.find("NotSupported") != run.npos;
  }
  return false;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// A name as keys are kept: upper case, blanks as "-" ("VOLUMES DIALOG" is
// the key VOLUMES-DIALOG, which a link can hold).
std::string KeyForm(std::string_view s);

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == text.npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string KeyForm(std::string_view s) {
  std::string key = Upper(Trim(s));
  std::replace(key.begin(), key.end(), ' ', '-');
  return key;
}

// The statement keywords the language knows: the keyword table's, and the
// statements that begin with a character or are found by a rule of their
// own.
std::vector<std::string> StatementKeywords() {
  std::set<std::string> names = {"?", "'", "~", "@", ".", "$PRINT", "$XREF", "$COLOR", "LINES"};
  for (const KeywordEntry& k : KeywordTable())
    if (k.token >= 1 && k.token <= 276) names.insert(Upper(k.name));
  return {names.begin(), names.end()};
}

// The record code a statement keyword compiles to, or -1.
int RecordCodeOf(std::string_view keyword) {
  static const std::map<std::string_view, int> kByCharacter = {
      {"?", stmt::kPrint}, {"'", stmt::kRem}, {"@", stmt::kLocate}, {".", stmt::kEdit}};
  if (auto it = kByCharacter.find(keyword); it != kByCharacter.end()) return it->second;
  const std::string lower = [&] {
    std::string s(keyword);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }();
  for (const KeywordEntry& k : KeywordTable())
    if (lower == k.name && k.token >= 1 && k.token <= 276) return DefaultRecordCode(k.token);
  for (const StatementRow& row : StatementRows())
    if (row.listing && keyword == row.listing) return row.code;
  return -1;
}

std::string ArgumentName(char kind, size_t position) {
  switch (kind) {
    case 'N': return position == 0 ? "x" : position == 1 ? "y" : "z" + std::to_string(position);
    case 'S': return position == 0 ? "s$" : position == 1 ? "t$" : "u$";
    default: return position == 0 ? "v" : "w";
  }
}

}  // namespace

std::vector<std::string> StatementSyntax(std::string_view keyword) {
  const int code = RecordCodeOf(Upper(keyword));
  if (code < 0) return {};
  const char* listing = StatementListingName(code);
  std::vector<std::string> lines;
  for (const StatementRow& row : StatementRows()) {
    if (!row.listing || !row.grammar) continue;
    const std::string_view name = row.listing;
    const bool same = row.code == code || (listing && name == listing);
    const bool longer = listing && name.size() > std::string_view(listing).size() &&
                        name.starts_with(listing) && name[std::string_view(listing).size()] == ' ';
    if (!same && !longer) continue;
    std::string line = row.grammar;
    if (AnswersNotSupported(row.code)) line += kNotSupportedNote;
    lines.push_back(line);
  }
  return lines;
}

std::string FunctionSyntax(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const FunctionRow* row = nullptr;
  for (const FunctionRow& f : FunctionTable())
    if (lower == f.name) row = &f;
  if (!row) return {};
  const std::string n = Upper(row->name);
  std::string s;
  switch (row->signature) {
    case sig::kUserFunction: s = "FN name [(argument [, argument ...])]"; break;
    case sig::kMaxLen: s = n + "(string variable)"; break;
    case sig::kMkTime: s = n + "(year, month, day [, hour [, minute [, second]]])"; break;
    case sig::kUsing: s = n + "(format$, value [, value ...])"; break;
    case sig::kChoose: s = n + "(selector, value [, value ...])"; break;
    case sig::kSwitch: s = n + "(condition, value [, condition, value ...])"; break;
    case sig::kVarPtr: s = n + "(variable)"; break;
    case sig::kChrList: s = n + "(code [, code ...])"; break;
    case sig::kMaxList:
    case sig::kMinList: s = n + "(x, y [, z ...])"; break;
    case sig::kUsr: s = n + "(x)"; break;
    case sig::kMaxSize: s = n + "(array)"; break;
    case sig::kLBound:
    case sig::kSize:
    case sig::kUBound: s = n + "(array [, dimension])"; break;
    default: {
      const SignatureKinds* kinds = FixedSignature(row->signature);
      const std::string_view args = kinds && kinds->args ? kinds->args : "";
      if (args.empty()) {
        s = n;
        break;
      }
      s = n + "(";
      size_t closing = 0;
      for (size_t i = 0; i < args.size(); ++i) {
        const bool optional = FindDefaultArg(row->number, static_cast<uint8_t>(i)) != nullptr;
        if (optional) {
          s += i == 0 ? "[" : " [";
          ++closing;
        }
        if (i > 0) s += ", ";
        s += ArgumentName(args[i] == '=' ? args[i - 1] : args[i], i);
      }
      s += std::string(closing, ']') + ")";
    }
  }
  const auto matches = [row](auto& r) { return r.number == row->number; };
  if (std::ranges::any_of(FunctionsNotSupported(), matches) ||
      std::ranges::any_of(FunctionsNotBuiltYet(), matches))
    s += kNotSupportedNote;
  return s;
}

// --- the book -------------------------------------------------------------------

const HelpBook& HelpBook::Get() {
  static const HelpBook book(HelpSources());
  return book;
}

HelpBook::HelpBook(std::span<const HelpSource> sources) {
  Read(sources);
  AddStandIns();
  CheckLinks();
}

namespace {

// The syntax block of a topic: every key's statement rows and functions.
std::string SyntaxBlock(const std::vector<std::string>& keys) {
  std::vector<std::string> lines;
  for (const std::string& key : keys) {
    std::vector<std::string> more;
    if (key.ends_with("()")) {
      const std::string f = FunctionSyntax(std::string_view(key).substr(0, key.size() - 2));
      if (!f.empty()) more.push_back(f);
    } else {
      more = StatementSyntax(key);
    }
    for (std::string& l : more)
      if (std::find(lines.begin(), lines.end(), l) == lines.end()) lines.push_back(std::move(l));
  }
  if (lines.empty()) return {};
  std::string block = "Syntax:\n\n```\n";
  for (const std::string& l : lines) block += l + "\n";
  return block + "```\n\n";
}

}  // namespace

// The names of a keys comment ("<!-- keys: A | B -->"), in key form.
std::vector<std::string> HelpBook::ReadKeys(std::string_view line, const std::string& title) {
  std::vector<std::string> keys;
  std::string_view list = line.substr(kKeysOpen.size());
  const size_t close = list.find(kCommentClose);
  if (close == list.npos) problems_.push_back(title + ": the keys comment is not closed");
  list = list.substr(0, close);
  while (!list.empty()) {
    const size_t bar = list.find('|');
    const std::string_view key = Trim(list.substr(0, bar));
    if (!key.empty()) keys.push_back(KeyForm(key));
    if (bar == list.npos) break;
    list.remove_prefix(bar + 1);
  }
  return keys;
}

void HelpBook::ReadChapter(const HelpSource& source) {
  Chapter chapter;
  const std::vector<std::string_view> lines = Lines(source.text);
  size_t i = 0;
  while (i < lines.size() && !lines[i].starts_with("# ")) ++i;
  if (i == lines.size()) {
    problems_.push_back(std::string(source.name) + ": no \"# \" title");
    return;
  }
  chapter.title = std::string(Trim(lines[i].substr(2)));
  ++i;
  // The introduction is the chapter's own topic; then one topic per "## ".
  bool introduction = true;
  while (i < lines.size()) {
    Topic topic;
    topic.chapter = chapter.title;
    topic.title = introduction ? chapter.title : std::string(Trim(lines[i].substr(3)));
    if (!introduction) ++i;
    while (i < lines.size() && Trim(lines[i]).empty()) ++i;
    if (i < lines.size() && lines[i].starts_with(kKeysOpen))
      topic.keys = ReadKeys(lines[i++], topic.title);
    std::string body;
    bool inFence = false;
    for (; i < lines.size(); ++i) {
      const std::string_view line = lines[i];
      if (line.starts_with("```")) inFence = !inFence;
      if (!inFence && line.starts_with("## ")) break;
      body.append(line).push_back('\n');
    }
    topic.markdown = (introduction ? "# " : "## ") + topic.title + "\n\n" +
                     SyntaxBlock(topic.keys) + std::string(Trim(body)) + "\n";
    chapter.topics.push_back(topics_.size());
    topics_.push_back(std::move(topic));
    introduction = false;
  }
  chapters_.push_back(std::move(chapter));
}

// The examples of a topic: each "basic" block with the "output" block after it.
void HelpBook::ReadExamples(const Topic& t) {
  const std::vector<std::string_view> lines = Lines(t.markdown);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "```basic") continue;
    Example e;
    e.topic = t.title;
    for (++i; i < lines.size() && lines[i] != "```"; ++i) e.typed.append(lines[i]).push_back('\n');
    size_t j = i + 1;
    while (j < lines.size() && Trim(lines[j]).empty()) ++j;
    if (j >= lines.size() || lines[j] != "```output") {
      problems_.push_back(t.title + ": an example without an \"output\" block after it");
      continue;
    }
    bool first = true;
    for (++j; j < lines.size() && lines[j] != "```"; ++j) {
      if (!first) e.output.push_back('\n');
      e.output.append(lines[j]);
      first = false;
    }
    i = j;
    examples_.push_back(std::move(e));
  }
}

void HelpBook::Read(std::span<const HelpSource> sources) {
  for (const HelpSource& source : sources) ReadChapter(source);
  // The examples, the keys of two topics, and what the screen cannot show.
  std::map<std::string, std::string> owner;
  for (const Topic& t : topics_) {
    for (const std::string& key : t.keys) {
      auto [it, fresh] = owner.emplace(key, t.title);
      if (!fresh)
        problems_.push_back("the key " + key + " is in " + it->second + " and " + t.title);
    }
    ReadExamples(t);
    if (std::any_of(t.markdown.begin(), t.markdown.end(),
                    [](char c) { return (c < 32 || c > 126) && c != '\n'; }))
      problems_.push_back(t.title + ": a character outside printable ASCII");
  }
}

void HelpBook::AddStandIns() {
  std::set<std::string> keys;
  for (const Topic& t : topics_) keys.insert(t.keys.begin(), t.keys.end());
  std::vector<std::string> missing;
  for (const std::string& k : StatementKeywords())
    if (!keys.count(k)) missing.push_back(k);
  for (const FunctionRow& f : FunctionTable()) {
    const std::string k = Upper(f.name) + "()";
    if (!keys.count(k) && std::find(missing.begin(), missing.end(), k) == missing.end())
      missing.push_back(k);
  }
  if (missing.empty()) return;
  Chapter chapter;
  chapter.title = kStandInChapter;
  for (const std::string& k : missing) {
    Topic t;
    t.title = k;
    t.chapter = chapter.title;
    t.keys = {k};
    t.described = false;
    t.markdown = "## " + k + "\n\n" + SyntaxBlock(t.keys) + "This word is not described yet.\n";
    chapter.topics.push_back(topics_.size());
    topics_.push_back(std::move(t));
  }
  chapters_.push_back(std::move(chapter));
}

void HelpBook::CheckLinks() {
  for (const Topic& t : topics_) {
    std::string_view text = t.markdown;
    for (size_t at; (at = text.find(std::string("](") + std::string(kLinkScheme))) != text.npos;) {
      text.remove_prefix(at + 2 + kLinkScheme.size());
      const std::string_view target = text.substr(0, text.find(')'));
      if (!Find(target)) problems_.push_back(t.title + ": a link to " + std::string(target));
    }
  }
}

const Topic* HelpBook::Find(std::string_view name) const {
  const std::string wanted = KeyForm(name);
  if (wanted.empty()) return nullptr;
  // "@N": the topic of that number (the generated pages link so).
  if (wanted[0] == '@' && wanted.size() > 1 &&
      std::all_of(wanted.begin() + 1, wanted.end(), [](char c) { return std::isdigit(c); })) {
    const size_t n = std::stoul(wanted.substr(1));
    return n < topics_.size() ? &topics_[n] : nullptr;
  }
  const auto byKey = [this](const std::string& key) -> const Topic* {
    for (const Topic& t : topics_)
      if (std::find(t.keys.begin(), t.keys.end(), key) != t.keys.end()) return &t;
    return nullptr;
  };
  if (const Topic* t = byKey(wanted)) return t;
  if (!wanted.ends_with(")")) {
    if (const Topic* t = byKey(wanted.ends_with("(") ? wanted + ")" : wanted + "()")) return t;
  }
  for (const Topic& t : topics_)
    if (KeyForm(t.title) == wanted) return &t;
  return nullptr;
}

std::vector<std::string> HelpBook::Index() const {
  std::set<std::string> all;
  for (const Topic& t : topics_) all.insert(t.keys.begin(), t.keys.end());
  return {all.begin(), all.end()};
}

namespace {

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<std::string> HelpBook::Nearest(std::string_view name, size_t count) const {
  const std::string wanted = Upper(Trim(name));
  std::vector<std::pair<size_t, std::string>> ranked;
  for (const std::string& key : Index()) {
    const std::string_view bare =
        key.ends_with("()") ? std::string_view(key).substr(0, key.size() - 2) : key;
    const size_t rank =
        !wanted.empty() && bare.starts_with(wanted) ? 0 : 1 + EditDistance(wanted, bare);
    ranked.emplace_back(rank, key);
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> out;
  for (size_t i = 0; i < ranked.size() && out.size() < count; ++i) out.push_back(ranked[i].second);
  return out;
}

std::string HelpBook::ContentsMarkdown() const {
  std::string md =
      "# Contents\n\nType HELP and a name in quotes: a statement or function (HELP \"PRINT\"), "
      "or a chapter or topic below (HELP \"Getting started\"). HELP \"INDEX\" lists every "
      "name.\n";
  // Long chapters (the statements, the functions) as one paragraph of
  // titles, so that the contents stay a few screens long on the console.
  constexpr size_t kListedTopics = 12;
  for (const Chapter& c : chapters_) {
    md += "\n## [" + c.title + "](help:@" + std::to_string(c.topics.front()) + ")\n\n";
    const bool paragraph = c.topics.size() > kListedTopics;
    for (size_t i = 1; i < c.topics.size(); ++i) {
      const std::string link =
          "[" + topics_[c.topics[i]].title + "](help:@" + std::to_string(c.topics[i]) + ")";
      md += paragraph ? (i > 1 ? "; " : "") + link : "- " + link + "\n";
    }
    if (paragraph) md += "\n";
  }
  return md;
}

// A link to the topic of a key; a key that a link cannot hold as it is
// links by the topic's number.
std::string HelpBook::Link(const std::string& key) const {
  const Topic* t = Find(key);
  if (!t) return key;
  const bool plain = key.find_first_of("?()#<>[]' ") == std::string::npos;
  const std::string target = plain ? key : "@" + std::to_string(t - topics_.data());
  std::string shown;
  for (char c : key) {
    if (c == '[' || c == ']' || c == '*' || c == '`' || c == '\\') shown.push_back('\\');
    shown.push_back(c);
  }
  return "[" + shown + "](help:" + target + ")";
}

std::string HelpBook::IndexMarkdown(std::string_view unknown) const {
  std::string md = "# Index\n\n";
  if (!Trim(unknown).empty()) {
    md += "There is no topic \"" + std::string(Trim(unknown)) + "\". The nearest names: ";
    const std::vector<std::string> near = Nearest(unknown, 8);
    for (size_t i = 0; i < near.size(); ++i) md += (i ? ", " : "") + Link(near[i]);
    md += ".\n\nHELP \"INDEX\" lists every name.\n";
    return md;
  }
  const std::vector<std::string> all = Index();
  for (size_t i = 0; i < all.size(); ++i) md += (i ? ", " : "") + Link(all[i]);
  return md + "\n";
}

std::string HelpBook::Page(std::string_view name, bool* found) const {
  const std::string wanted = Upper(Trim(name));
  if (found) *found = true;
  if (wanted.empty() || wanted == "CONTENTS") return ContentsMarkdown();
  if (wanted == "INDEX") return IndexMarkdown();
  if (const Topic* t = Find(wanted)) return t->markdown;
  if (found) *found = false;
  return IndexMarkdown(name);
}

// --- plain text -------------------------------------------------------------------

namespace {

// Inline Markdown reduced to its text: code spans, emphasis, links.
std::string InlineText(std::string_view s) {
  std::string out;
  bool code = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '`') {
      code = !code;
      continue;
    }
    if (code) {
      out.push_back(c);
      continue;
    }
    if (c == '\\' && i + 1 < s.size()) {
      out.push_back(s[++i]);
    } else if (c == '*' && i + 1 < s.size() && s[i + 1] == '*') {
      ++i;
    } else if (c == '[') {
      const size_t close = s.find("](", i);
      const size_t end = close == s.npos ? s.npos : s.find(')', close);
      if (end == s.npos) {
        out.push_back(c);
        continue;
      }
      out += InlineText(s.substr(i + 1, close - i - 1));
      i = end;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void Wrap(std::string_view text, std::string_view first, std::string_view rest, size_t width,
          std::vector<std::string>& out) {
  std::string line(first);
  bool empty = true;
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size()) break;
    size_t end = text.find(' ', at);
    if (end == text.npos) end = text.size();
    const std::string_view word = text.substr(at, end - at);
    if (!empty && line.size() + 1 + word.size() > width) {
      out.push_back(line);
      line = std::string(rest);
      empty = true;
    }
    if (!empty) line.push_back(' ');
    line.append(word);
    empty = false;
    at = end;
  }
  if (!empty) out.push_back(line);
}

}  // namespace

std::vector<std::string> PlainText(std::string_view markdown, size_t width) {
  std::vector<std::string> out;
  std::string paragraph;
  bool item = false, inFence = false;
  const auto flush = [&] {
    if (!paragraph.empty())
      Wrap(InlineText(paragraph), item ? "- " : "", item ? "  " : "", width, out);
    paragraph.clear();
    item = false;
  };
  const auto blank = [&] {
    if (!out.empty() && !out.back().empty()) out.emplace_back();
  };
  for (std::string_view line : Lines(markdown)) {
    if (line.starts_with("```")) {
      flush();
      inFence = !inFence;
      if (line == "```basic") out.emplace_back("Example:");
      if (line == "```output") out.emplace_back("Output:");
      continue;
    }
    if (inFence) {
      out.push_back("  " + std::string(line));
      continue;
    }
    const std::string_view trimmed = Trim(line);
    if (trimmed.starts_with("<!--")) continue;
    if (trimmed.empty()) {
      flush();
      blank();
    } else if (line.starts_with("#")) {
      flush();
      blank();
      const std::string title = InlineText(Trim(line.substr(line.find(' ') + 1)));
      out.push_back(title);
      out.push_back(std::string(std::min(title.size(), width), line.starts_with("# ") ? '=' : '-'));
    } else if (trimmed.starts_with("|")) {
      flush();
      if (trimmed.find_first_not_of("|-: ") == trimmed.npos) continue;  // the rule under a head
      out.push_back(InlineText(trimmed));
    } else if (line.starts_with("- ") || line.starts_with("* ")) {
      flush();
      item = true;
      paragraph = std::string(line.substr(2));
    } else if (line.starts_with("    ") && paragraph.empty()) {
      out.push_back(std::string(line));
    } else {
      if (!paragraph.empty()) paragraph.push_back(' ');
      paragraph.append(trimmed);
    }
  }
  flush();
  while (!out.empty() && out.back().empty()) out.pop_back();
  return out;
}

}  // namespace torvic::help
