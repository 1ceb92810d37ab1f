// The listing's page arithmetic without a printer: the number and footer
// formats, the text rectangle, rows, wrapping and page breaks, on a page
// of round numbers (100 dots per inch, one cell 10 dots wide, rows 20 high).
#include "shell/print_layout.h"

#include <gtest/gtest.h>

#include "console/settings.h"
#include "frontend/code_buffer.h"

namespace torvic::shell {
namespace {

TEST(PrintLayout, LineNumberAndFooterFormats) {
  struct Case {
    uint8_t format;
    uint32_t number;
    const char* text;
  };
  const Case numbers[] = {{0, 10, "10"},    {1, 10, "   10"},    {2, 10, "00010"},
                          {3, 10, "10   "}, {4, 65535, "65535"}, {1, 65535, "65535"},
                          {255, 7, "7"},    {2, 123, "00123"}};
  for (const Case& c : numbers)
    EXPECT_EQ(FormatLineNumber(c.format, c.number), c.text) << int{c.format};
  const Case footers[] = {{0, 1, ""},         {1, 3, "3"},   {2, 1, "Page 1"},
                          {2, 12, "Page 12"}, {3, 2, "-2-"}, {4, 2, "<2>"},
                          {5, 2, "[2]"},      {6, 4, "4"},   {255, 9, "9"}};
  for (const Case& c : footers)
    EXPECT_EQ(FormatFooter(c.format, static_cast<int32_t>(c.number)), c.text) << int{c.format};
  for (uint8_t f : {0, 3, 4, 255}) EXPECT_EQ(ContinuationIndent(f), 0) << int{f};
  EXPECT_EQ(ContinuationIndent(1), 6);
  EXPECT_EQ(ContinuationIndent(2), 6);
}

// A letter-like sheet of 850 x 1100 dots at 100 dpi.
PageGeometry Sheet(PrintRect printable = {0, 0, 850, 1100}) {
  PageGeometry g;
  g.paperWidth = 850;
  g.paperHeight = 1100;
  g.printable = printable;
  g.dpiX = g.dpiY = 100;
  return g;
}

TEST(PrintLayout, TextRectFromMarginsClippedToThePrintableArea) {
  struct Case {
    const char* what;
    PrintRect printable;
    std::array<uint8_t, 4> margins;
    PrintRect expected;
  };
  const Case cases[] = {
      {"half-inch margins", {0, 0, 850, 1100}, {50, 50, 50, 50}, {50, 50, 800, 1050}},
      {"unequal margins", {0, 0, 850, 1100}, {100, 25, 0, 200}, {100, 25, 850, 900}},
      {"device edges wider than the margins",
       {60, 70, 790, 1030},
       {50, 50, 50, 50},
       {60, 70, 790, 1030}},
      {"zero margins", {25, 25, 825, 1075}, {0, 0, 0, 0}, {25, 25, 825, 1075}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TextRect(Sheet(c.printable), c.margins), c.expected) << c.what;
  // A narrow sheet where margins cross (left and right) and meet (top and
  // bottom): that pair takes the printable edges, the other stays.
  PageGeometry narrow = Sheet({5, 5, 300, 400});
  narrow.paperWidth = 305;
  narrow.paperHeight = 405;
  EXPECT_EQ(TextRect(narrow, {200, 50, 200, 50}), (PrintRect{5, 50, 300, 355}));
  EXPECT_EQ(TextRect(narrow, {50, 200, 50, 205}), (PrintRect{50, 5, 255, 400}));
}

constexpr PrintFontMetrics kFont{10, 20};

PrintSettings Settings(uint8_t numbers, uint8_t footer) {
  PrintSettings s;
  s.lineNumberFormat = numbers;
  s.footerFormat = footer;
  return s;
}

std::vector<std::string> Texts(const PrintedPage& page) {
  std::vector<std::string> out;
  for (const PrintedRow& r : page.rows) out.push_back(r.text);
  return out;
}

// 750 dots of text are 75 cells: the number, a blank and the text fill the
// first row; continuation rows start six cells in with formats 1 and 2
// (69 cells of text), at the left edge otherwise (75 cells).
TEST(PrintLayout, LongLinesWrapWithTheIndentOfTheirFormat) {
  const std::string text(200, 'X');
  struct Case {
    uint8_t format;
    std::vector<size_t> widths;  // of each row
    int32_t indent;
  };
  const Case cases[] = {
      {1, {75, 69, 62}, 60},  // "   10 " + 69, 69, 62
      {2, {75, 69, 62}, 60},  // "00010 " + 69 ...
      {3, {75, 75, 56}, 0},   // "10    " + 69, 75, 56
      {0, {75, 75, 53}, 0},   // "10 " + 72, 75, 53
  };
  for (const Case& c : cases) {
    const auto pages = LayOutListing({{10, text}}, Settings(c.format, 0), Sheet(), kFont);
    ASSERT_EQ(pages.size(), 1u);
    const auto& rows = pages[0].rows;
    ASSERT_EQ(rows.size(), c.widths.size()) << int{c.format};
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].text.size(), c.widths[i]) << int{c.format} << " row " << i;
      EXPECT_EQ(rows[i].x, 50 + (i ? c.indent : 0)) << int{c.format};
      EXPECT_EQ(rows[i].y, 50 + 20 * static_cast<int32_t>(i));
    }
    std::string joined;
    for (const auto& r : rows) joined += r.text;
    EXPECT_EQ(joined, FormatLineNumber(c.format, 10) + " " + text);
  }
}

TEST(PrintLayout, UnnumberedAndEmptyLines) {
  const auto pages = LayOutListing(
      {{10, "PRINT 1"}, {kNoLineNumber, "*LOOP"}, {20, ""}, {kNoLineNumber, ""}, {30, "END"}},
      Settings(2, 0), Sheet(), kFont);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(Texts(pages[0]),
            (std::vector<std::string>{"00010 PRINT 1", "*LOOP", "00020 ", "", "00030 END"}));
}

// 1000 dots of body hold 50 rows; with a footer the body stops 30 dots
// (one and a half rows) higher: 48 rows. A line cut by the end of a page
// goes on at the top of the next, as a continuation row.
TEST(PrintLayout, PagesBreakInsideALineAndCarryTheFooter) {
  std::vector<ListingLine> lines;
  for (uint32_t n = 1; n <= 46; ++n) lines.push_back({n, "REM"});
  lines.push_back({48, std::string(140, 'L')});  // three rows: two on page 1, one on page 2
  lines.push_back({49, "END"});
  const auto pages = LayOutListing(lines, Settings(1, 2), Sheet(), kFont);
  ASSERT_EQ(pages.size(), 2u);
  ASSERT_EQ(pages[0].rows.size(), 48u);
  EXPECT_EQ(pages[0].rows[47].text, std::string(69, 'L'));
  ASSERT_EQ(pages[1].rows.size(), 2u);
  EXPECT_EQ(pages[1].rows[0].text, std::string(2, 'L'));
  EXPECT_EQ(pages[1].rows[0].x, 110);  // six cells in
  EXPECT_EQ(pages[1].rows[0].y, 50);   // at the top
  EXPECT_EQ(pages[1].rows[1].text, "   49 END");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(pages[i].number, i + 1);
    EXPECT_EQ(pages[i].footer, "Page " + std::to_string(i + 1));
    EXPECT_EQ(pages[i].footerBox, (PrintRect{50, 1030, 800, 1050}));
  }
  // Without the footer the same lines fit on one page of 50 rows.
  const auto plain = LayOutListing(lines, Settings(1, 0), Sheet(), kFont);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].rows.size(), 50u);
  EXPECT_TRUE(plain[0].footer.empty());
}

// Pages that cannot hold a single row, or a single cell, still move on:
// one row a page, one character a row, and the last page comes.
TEST(PrintLayout, TinyPagesStillMakeProgress) {
  PageGeometry tiny = Sheet({0, 0, 15, 25});
  tiny.paperWidth = 15;
  tiny.paperHeight = 25;
  const auto pages = LayOutListing({{1, "AB"}}, Settings(1, 2), tiny, kFont);
  // "    1 AB" is eight characters: eight rows of one cell, one per page.
  ASSERT_EQ(pages.size(), 8u);
  for (const auto& p : pages) ASSERT_EQ(p.rows.size(), 1u);
  EXPECT_EQ(pages[7].rows[0].text, "B");
  EXPECT_EQ(pages[7].rows[0].x, 0);  // no room for the indent
}

TEST(PrintLayout, AnEmptyProgramPrintsOneEmptyPage) {
  const auto pages = LayOutListing({}, Settings(0, 2), Sheet(), kFont);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(pages[0].rows.empty());
  EXPECT_EQ(pages[0].footer, "Page 1");
}

TEST(PrintLayout, SettingsFromTheSettingsMemory) {
  SettingsMemory memory;
  PrintSettings s = PrintSettings::From(memory);
  EXPECT_EQ(s.fontPoints, 10);
  EXPECT_EQ(s.lineNumberFormat, 0);
  EXPECT_EQ(s.footerFormat, 0);
  EXPECT_EQ(s.margins, (std::array<uint8_t, 4>{50, 50, 50, 50}));
  memory.SetMirror(872, 0);  // 0 means 10 points
  memory.SetMirror(875, 2);
  memory.SetMirror(847, 5);
  memory.SetMirror(26892, 100);
  memory.SetMirror(26895, 0);
  s = PrintSettings::From(memory);
  EXPECT_EQ(s.fontPoints, 10);
  EXPECT_EQ(s.lineNumberFormat, 2);
  EXPECT_EQ(s.footerFormat, 5);
  EXPECT_EQ(s.margins, (std::array<uint8_t, 4>{100, 50, 50, 0}));
  memory.SetMirror(872, 24);
  EXPECT_EQ(PrintSettings::From(memory).fontPoints, 24);
}

}  // namespace
}  // namespace torvic::shell
