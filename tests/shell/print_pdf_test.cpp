// `torvic --print-pdf` through the real executable: the listing's pages read
// back from the PDF file with poppler's pdftotext (words with their boxes)
// and from the file's own content streams (the type size), and the
// command line's refusals.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "shell/batch_run.h"

namespace torvic::testing {
namespace {

namespace fs = std::filesystem;

// `torvic ARGS` with standard error in the output too.
BatchResult RunPrint(const ScratchFolder& home, const std::string& args) {
  const std::string command =
      home.HomeAssignments() + " timeout -k 5 120 '" TORVIC_EXE "' " + args + " < /dev/null 2>&1";
  return RunShell(command);
}

std::string Command(const std::string& command) { return RunShell(command).out; }

struct Word {
  double xMin, yMin, xMax;
  std::string text;
};
struct Page {
  double width = 0, height = 0;
  std::vector<Word> words;
};

// pdftotext -bbox: one <page> per page, one <word> per word with its box.
std::vector<Page> ReadPages(const fs::path& pdf) {
  const std::string xml = Command("pdftotext -bbox '" + pdf.string() + "' - 2>&1");
  std::vector<Page> pages;
  static const QRegularExpression tag(
      R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
  auto it = tag.globalMatch(QString::fromStdString(xml));
  while (it.hasNext()) {
    const auto m = it.next();
    if (!m.captured(1).isEmpty()) {
      pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
    } else if (!pages.empty()) {
      QString text = m.captured(6);
      text.replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
      pages.back().words.push_back({m.captured(3).toDouble(), m.captured(4).toDouble(),
                                    m.captured(5).toDouble(), text.toStdString()});
    }
  }
  return pages;
}

// The rows of a page as text: words grouped by their top edge, each put at
// the character column its left edge stands at.
std::vector<std::string> Rows(const Page& page, double left, double cell) {
  std::map<long, std::string> rows;
  for (const Word& w : page.words) {
    std::string& row = rows[std::lround(w.yMin * 100)];
    const auto column = static_cast<size_t>(std::lround((w.xMin - left) / cell));
    if (row.size() < column) row.resize(column, ' ');
    row.replace(column, w.text.size(), w.text);
  }
  std::vector<std::string> out;
  for (auto& [y, row] : rows) out.push_back(row);
  return out;
}

// A program of 150 lines; every tenth (5, 15, ...) is 200 characters long,
// three rows on A4, so some page ends cut one of them.
std::vector<std::string> LongProgram() {
  std::vector<std::string> lines;
  for (int i = 1; i <= 150; ++i) {
    char text[300];
    if (i % 10 == 5) {
      std::string s = "PRINT \"";
      for (int k = 0; k < 24; ++k) {
        std::snprintf(text, sizeof text, "LONG%03d-", i);
        s += text;
      }
      lines.push_back(s + "\"");
    } else {
      std::snprintf(text, sizeof text, "PRINT %d", i);
      lines.push_back(text);
    }
  }
  return lines;
}

void WriteProgram(const fs::path& file, const std::vector<std::string>& lines) {
  std::ofstream out(file, std::ios::binary);
  for (size_t i = 0; i < lines.size(); ++i) out << (i + 1) * 10 << ' ' << lines[i] << "\r\n";
}

// The listing with footer 2 and line-number format 1 on A4 at half-inch
// margins: every row where the layout puts it, continuation rows six
// characters in, a cut line going on at the top of the next page, and
// "Page n" centred under each page.
TEST(PrintPdf, ListingPagesWithFooterAndLineNumbers) {
  const ScratchFolder scratch("print-pdf");
  const fs::path program = scratch.path() / "long.tvc", pdf = scratch.path() / "long.pdf";
  const std::vector<std::string> lines = LongProgram();
  WriteProgram(program, lines);
  const BatchResult r =
      RunPrint(scratch, "--print-pdf '" + pdf.string() +
                            "' --paper A4 --poke 847=2 --poke 875=1 '" + program.string() + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "");
  const std::vector<Page> pages = ReadPages(pdf);
  ASSERT_GE(pages.size(), 2u) << "is poppler-utils (pdftotext) installed?";
  const double left = 36;  // half an inch
  // The cell: "PRINT" of the first row is five cells wide.
  const Word& print = pages[0].words.at(1);
  ASSERT_EQ(print.text, "PRINT");
  const double cell = (print.xMax - print.xMin) / 5;
  EXPECT_NEAR(print.xMin, left + 6 * cell, 0.01);  // "   10 PRINT"
  const auto columns = static_cast<size_t>((pages[0].width - 2 * left) / cell + 1e-6);

  std::vector<std::string> expected;
  for (size_t i = 0; i < lines.size(); ++i) {
    char number[24];
    std::snprintf(number, sizeof number, "%5zu ", (i + 1) * 10);
    const std::string text = number + lines[i];
    expected.push_back(text.substr(0, columns));
    for (size_t at = columns; at < text.size(); at += columns - 6)
      expected.push_back("      " + text.substr(at, columns - 6));
  }
  for (std::string& row : expected) row = row.substr(0, row.find_last_not_of(' ') + 1);

  std::vector<std::string> printed;
  size_t rowsPerPage = 0;
  bool cutLine = false;
  for (size_t p = 0; p < pages.size(); ++p) {
    std::vector<std::string> rows = Rows(pages[p], left, cell);
    ASSERT_FALSE(rows.empty());
    // The footer is the last row: "Page n", centred on the text rectangle.
    const std::string footer = "Page " + std::to_string(p + 1);
    EXPECT_NE(rows.back().find(footer), std::string::npos) << rows.back();
    const Word& last = pages[p].words.back();
    const Word& pageWord = pages[p].words[pages[p].words.size() - 2];
    EXPECT_EQ(pageWord.text, "Page");
    EXPECT_EQ(last.text, std::to_string(p + 1));
    EXPECT_NEAR((pageWord.xMin + last.xMax) / 2, pages[p].width / 2, 0.5);
    EXPECT_GT(last.yMin, pages[p].height - 36 - 24);  // at the bottom margin
    rows.pop_back();
    if (p == 0) rowsPerPage = rows.size();
    if (p + 1 < pages.size()) { EXPECT_EQ(rows.size(), rowsPerPage) << "page " << p + 1; }
    if (p > 0 && rows.front().starts_with("      ")) cutLine = true;
    for (std::string& row : rows) printed.push_back(row.substr(0, row.find_last_not_of(' ') + 1));
  }
  EXPECT_EQ(printed, expected);
  EXPECT_EQ(pages.size(), (expected.size() + rowsPerPage - 1) / rowsPerPage);
  EXPECT_TRUE(cutLine) << "no page began with the rest of a line";
}

// A program file in the binary form, as SAVE writes it, prints as its
// text: here with left-aligned numbers and the footer "<1>".
TEST(PrintPdf, BinaryProgramFile) {
  const ScratchFolder scratch("print-binary");
  const fs::path keys = scratch.path() / "keys.txt", pdf = scratch.path() / "bin.pdf";
  std::ofstream(keys) << "10 PRINT \"BINARY\"\n20 *AGAIN: GOTO *AGAIN\nSAVE \"WORK:BIN\"\n";
  const BatchResult saved = RunBatch("--mount WORK='" + scratch.path().string() + "'", keys);
  ASSERT_EQ(saved.status, 0) << saved.out;
  const fs::path program = scratch.path() / "BIN.tvc";
  std::ifstream in(program, std::ios::binary);
  std::string head(4, '\0');
  in.read(head.data(), 4);
  ASSERT_NE(head.substr(0, 2), "10") << "SAVE wrote the text form";
  const BatchResult r =
      RunPrint(scratch, "--print-pdf '" + pdf.string() + "' --poke 875=3 --poke 847=4 '" +
                            program.string() + "'");
  ASSERT_EQ(r.status, 0) << r.out;
  const std::vector<Page> pages = ReadPages(pdf);
  ASSERT_EQ(pages.size(), 1u);
  const auto print = std::find_if(pages[0].words.begin(), pages[0].words.end(),
                                  [](const Word& w) { return w.text == "PRINT"; });
  ASSERT_NE(print, pages[0].words.end());
  const std::vector<std::string> rows = Rows(pages[0], 36, (print->xMax - print->xMin) / 5);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], "10    PRINT \"BINARY\"");
  EXPECT_EQ(rows[1], "20    *AGAIN: GOTO *AGAIN");
  EXPECT_EQ(rows[2].substr(rows[2].find_first_not_of(' ')), "<1>");
}

// The type size of a PDF file: the size of its first text font operator
// ("/F7 100 Tf") times the scale of the page's matrix ("0.1 0 0 -0.1 0 842
// cm"), read from the first content stream, inflated.
double FontPoints(const fs::path& pdf) {
  std::ifstream in(pdf, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (size_t at = bytes.find("stream\n"); at != std::string::npos;
       at = bytes.find("stream\n", at + 1)) {
    const size_t start = at + 7, end = bytes.find("endstream", start);
    if (end == std::string::npos) break;
    QByteArray zipped("\x00\x10\x00\x00", 4);  // qUncompress's expected length first
    zipped.append(bytes.data() + start, static_cast<qsizetype>(end - start));
    const QString content = QString::fromLatin1(qUncompress(zipped));
    static const QRegularExpression font(R"(/F\d+ ([\d.]+) Tf)");
    static const QRegularExpression matrix(R"(([\d.]+) 0 0 -?([\d.]+) [\d.]+ [\d.]+ cm)");
    const auto f = font.match(content);
    const auto m = matrix.match(content);
    if (f.hasMatch() && m.hasMatch()) {
      return f.captured(1).toDouble() * m.captured(2).toDouble();
    }
  }
  return 0;
}

TEST(PrintPdf, TypeSizeFromTheFontSetting) {
  const ScratchFolder scratch("print-size");
  const fs::path program = scratch.path() / "short.tvc";
  WriteProgram(program, {"PRINT \"SIZE\"", "END"});
  struct Case {
    const char* pokes;
    double points;
  };
  const Case cases[] = {
      {"", 10},
      {"--poke 872=0", 10},
      {"--poke 872=12", 12},
      {"--poke 872=3", 6},
      {"--poke=872=200", 24},
  };
  for (const Case& c : cases) {
    const fs::path pdf = scratch.path() / "size.pdf";
    const BatchResult r = RunPrint(
        scratch, "--print-pdf='" + pdf.string() + "' " + c.pokes + " '" + program.string() + "'");
    ASSERT_EQ(r.status, 0) << c.pokes << ": " << r.out;
    EXPECT_NEAR(FontPoints(pdf), c.points, 0.001) << c.pokes;
  }
}

// What the command refuses, with its message and status 2; a file that
// cannot be written leaves the old one as it was.
TEST(PrintPdf, RefusalsLeaveNoHalfFile) {
  const ScratchFolder scratch("print-bad");
  const fs::path program = scratch.path() / "p.tvc", pdf = scratch.path() / "out.pdf";
  WriteProgram(program, {"END"});
  const std::string p = "'" + program.string() + "'", out = "'" + pdf.string() + "'";
  struct Case {
    std::string args;
    std::string message;
  };
  const Case cases[] = {
      {"--print-pdf " + out, "--print-pdf needs OUT.pdf and PROGRAM"},
      {"--print-pdf", "--print-pdf needs OUT.pdf"},
      {"--print-pdf " + out + " --poke 1994=3 " + p, "--poke takes the print settings"},
      {"--print-pdf " + out + " --poke 872=256 " + p, "--poke needs a VALUE from 0 to 255"},
      {"--print-pdf " + out + " --poke 872 " + p, "--poke needs ADDRESS=VALUE"},
      {"--print-pdf " + out + " --paper A9 " + p, "--paper takes A3, A4"},
      {"--print-pdf " + out + " --batch " + p, "takes only --paper and --poke"},
      {"--print-pdf " + out + " " + p + " " + p, "more than one program file"},
      {"--print-pdf " + out + " '" + (scratch.path() / "none.tvc").string() + "'",
       "cannot read " + (scratch.path() / "none.tvc").string() + ": File not found"},
      {"--print-pdf '" + (scratch.path() / "no" / "x.pdf").string() + "' " + p,
       "cannot write " + (scratch.path() / "no" / "x.pdf").string()},
  };
  for (const Case& c : cases) {
    const BatchResult r = RunPrint(scratch, c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.args << "\n" << r.out;
  }
  EXPECT_FALSE(fs::exists(pdf));
  // A folder in the way of the output: refused, the folder untouched.
  fs::create_directories(pdf);
  const BatchResult r = RunPrint(scratch, "--print-pdf " + out + " " + p);
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(fs::is_directory(pdf));
}

}  // namespace
}  // namespace torvic::testing
