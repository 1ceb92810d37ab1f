// The pages of a printed program listing, as data: which text goes on which
// row of which page, where each row starts, and the page-number footer.
// Plain C++ without the toolkit, so the tests check the arithmetic directly;
// shell/print_listing draws the pages on a printer or into a PDF file.
//
// Everything is in the device's units (its dots), measured from the top-left
// corner of the paper. One byte of a program line is one character cell:
// the font is fixed-pitch, or drawn one cell per character when it is not.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace torvic {
class ProgramList;
class SettingsMemory;
}  // namespace torvic

namespace torvic::shell {

// The print settings of the settings memory.
struct PrintSettings {
  static constexpr uint32_t kFontAddress = 872;        // points; 0 means 10
  static constexpr uint32_t kLineNumberAddress = 875;  // line-number format
  static constexpr uint32_t kFooterAddress = 847;      // page-number footer
  static constexpr uint32_t kMarginsAddress = 26892;   // left, top, right, bottom
  static constexpr uint32_t kNoDialogAddress = 2821;   // 15: print without the dialog
  static constexpr int32_t kDefaultPoints = 10;

  int32_t fontPoints = kDefaultPoints;
  uint8_t lineNumberFormat = 0;
  uint8_t footerFormat = 0;
  std::array<uint8_t, 4> margins{50, 50, 50, 50};  // hundredths of an inch from the paper edges

  static PrintSettings From(const SettingsMemory& memory);
};

// The line number as format 1 "%5i", 2 "%05i", 3 "%-5i" or any other "%i".
std::string FormatLineNumber(uint8_t format, uint32_t number);
// The footer of a page: 1 "%i", 2 "Page %i", 3 "-%i-", 4 "<%i>", 5 "[%i]",
// any other value but 0 "%i"; empty for 0 (no footer).
std::string FormatFooter(uint8_t format, int32_t page);
// Continuation rows of a long line start this many cells in (formats 1 and
// 2, whose numbers are five wide, so the text stays in its column).
int32_t ContinuationIndent(uint8_t lineNumberFormat);

struct PrintRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const PrintRect&) const = default;
};

// The page as the device describes it.
struct PageGeometry {
  int32_t paperWidth = 0, paperHeight = 0;  // the physical sheet
  PrintRect printable;                      // where the device can print
  int32_t dpiX = 72, dpiY = 72;
};

// The print font as the device measures it.
struct PrintFontMetrics {
  int32_t cellWidth = 1;  // the width of one character
  int32_t height = 1;     // one row
};

// The text rectangle: the margins from the paper edges, clipped to the
// printable area; an edge pair that crosses (or meets) takes the printable
// area's edges instead.
PrintRect TextRect(const PageGeometry& page, const std::array<uint8_t, 4>& margins);

struct PrintedRow {
  int32_t x = 0, y = 0;  // the row's top-left corner
  std::string text;      // bytes of the program's character set, one per cell
  bool operator==(const PrintedRow&) const = default;
};

struct PrintedPage {
  int32_t number = 1;
  std::vector<PrintedRow> rows;
  std::string footer;   // empty: none
  PrintRect footerBox;  // one row at the bottom of the text rectangle
};

// One program line as it is printed.
struct ListingLine {
  uint32_t number = 0;  // kNoLineNumber: printed without a number
  std::string text;
};

// Lays out the pages one at a time, keeping the line and the character
// offset reached, so a line cut by the end of a page goes on at the top of
// the next one. Every page takes at least one row, so a page too small for
// a row still makes progress instead of printing empty pages for ever.
class ListingLayout {
 public:
  ListingLayout(std::vector<ListingLine> lines, const PrintSettings& settings);
  // The program's lines as the listing shows them.
  static std::vector<ListingLine> LinesOf(const ProgramList& program);

  // True once every line is on a page; an empty program still gets one page.
  bool Done() const { return pages_ > 0 && line_ >= lines_.size(); }
  PrintedPage NextPage(const PageGeometry& page, const PrintFontMetrics& font);

 private:
  std::vector<ListingLine> lines_;
  PrintSettings settings_;
  size_t line_ = 0;      // the line being printed
  size_t offset_ = 0;    // characters of its printed form already on a page
  std::string current_;  // that printed form: number, blank, text
  int32_t pages_ = 0;
};

// All pages of a listing with one geometry and font (the PDF writer and the
// tests).
std::vector<PrintedPage> LayOutListing(std::vector<ListingLine> lines,
                                       const PrintSettings& settings, const PageGeometry& page,
                                       const PrintFontMetrics& font);

}  // namespace torvic::shell
