#include "shell/print_layout.h"

#include <algorithm>
#include <cstdio>

#include "console/settings.h"
#include "frontend/code_buffer.h"
#include "frontend/program.h"

namespace torvic::shell {

PrintSettings PrintSettings::From(const SettingsMemory& memory) {
  PrintSettings s;
  // POKE keeps the size at 0 or 6..24; 0 is the default size.
  const uint8_t points = memory.PrintFontSize();
  s.fontPoints = points == 0 ? kDefaultPoints : std::clamp<int32_t>(points, 6, 24);
  s.lineNumberFormat = memory.Byte(kLineNumberAddress);
  s.footerFormat = memory.Byte(kFooterAddress);
  for (uint32_t i = 0; i < 4; ++i) s.margins[i] = memory.Byte(kMarginsAddress + i);
  return s;
}

std::string FormatLineNumber(uint8_t format, uint32_t number) {
  const char* pattern = format == 1 ? "%5u" : format == 2 ? "%05u" : format == 3 ? "%-5u" : "%u";
  char text[16];
  std::snprintf(text, sizeof text, pattern, number);
  return text;
}

std::string FormatFooter(uint8_t format, int32_t page) {
  static constexpr const char* kPatterns[] = {"", "%d", "Page %d", "-%d-", "<%d>", "[%d]"};
  if (format == 0) return {};
  const char* pattern = format < std::size(kPatterns) ? kPatterns[format] : "%d";
  char text[32];
  std::snprintf(text, sizeof text, pattern, page);
  return text;
}

int32_t ContinuationIndent(uint8_t lineNumberFormat) {
  return lineNumberFormat == 1 || lineNumberFormat == 2 ? 6 : 0;
}

PrintRect TextRect(const PageGeometry& page, const std::array<uint8_t, 4>& margins) {
  // Hundredths of an inch to dots, rounded.
  auto dots = [](uint8_t hundredths, int32_t dpi) { return (hundredths * dpi + 50) / 100; };
  const PrintRect& area = page.printable;
  PrintRect r{dots(margins[0], page.dpiX), dots(margins[1], page.dpiY),
              page.paperWidth - dots(margins[2], page.dpiX),
              page.paperHeight - dots(margins[3], page.dpiY)};
  r.left = std::max(r.left, area.left);
  r.top = std::max(r.top, area.top);
  r.right = std::min(r.right, area.right);
  r.bottom = std::min(r.bottom, area.bottom);
  // Margins that leave no room at all would print nothing on every page.
  if (r.left >= r.right) {
    r.left = area.left;
    r.right = area.right;
  }
  if (r.top >= r.bottom) {
    r.top = area.top;
    r.bottom = area.bottom;
  }
  return r;
}

ListingLayout::ListingLayout(std::vector<ListingLine> lines, const PrintSettings& settings)
    : lines_(std::move(lines)), settings_(settings) {}

std::vector<ListingLine> ListingLayout::LinesOf(const ProgramList& program) {
  std::vector<ListingLine> lines;
  for (const ProgramLine* l = program.First(); l; l = l->Next())
    lines.push_back({l->number, l->text});
  return lines;
}

PrintedPage ListingLayout::NextPage(const PageGeometry& page, const PrintFontMetrics& font) {
  PrintedPage out;
  out.number = ++pages_;
  const PrintRect rect = TextRect(page, settings_.margins);
  const int32_t height = std::max(1, font.height);
  const int32_t cell = std::max(1, font.cellWidth);
  int32_t bodyBottom = rect.bottom;
  out.footer = FormatFooter(settings_.footerFormat, out.number);
  if (!out.footer.empty()) {
    // One and a half rows stay free above the bottom for the footer.
    bodyBottom = rect.bottom - height * 3 / 2;
    out.footerBox = {rect.left, rect.bottom - height, rect.right, rect.bottom};
  }
  const int32_t columns = std::max(1, rect.Width() / cell);
  // A continuation row keeps at least one cell, however narrow the paper.
  const int32_t indent = std::min(ContinuationIndent(settings_.lineNumberFormat), columns - 1);
  int32_t y = rect.top;
  while (line_ < lines_.size()) {
    if (!out.rows.empty() && y + height > bodyBottom) break;
    if (offset_ == 0) {
      const ListingLine& l = lines_[line_];
      current_ = l.number == kNoLineNumber
                     ? l.text
                     : FormatLineNumber(settings_.lineNumberFormat, l.number) + " " + l.text;
    }
    const bool continuation = offset_ > 0;
    const size_t room = static_cast<size_t>(continuation ? columns - indent : columns);
    PrintedRow row;
    row.x = rect.left + (continuation ? indent * cell : 0);
    row.y = y;
    row.text = current_.substr(offset_, room);
    offset_ += row.text.size();
    out.rows.push_back(std::move(row));
    y += height;
    if (offset_ >= current_.size()) {
      ++line_;
      offset_ = 0;
    }
  }
  return out;
}

std::vector<PrintedPage> LayOutListing(std::vector<ListingLine> lines,
                                       const PrintSettings& settings, const PageGeometry& page,
                                       const PrintFontMetrics& font) {
  ListingLayout layout(std::move(lines), settings);
  std::vector<PrintedPage> pages;
  while (!layout.Done()) pages.push_back(layout.NextPage(page, font));
  return pages;
}

}  // namespace torvic::shell
