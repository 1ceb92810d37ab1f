#include "shell/print_listing.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <cmath>

#include "console/code_pages.h"
#include "console/screen.h"

namespace torvic::shell {

namespace {

// The print font: the screen's face, which the desktop maps to its
// monospace font, at the point size on this device's resolution (the
// painter and the metrics convert points with the device's dots per inch).
QFont PrintFont(int32_t points) {
  QFont font(QString::fromLatin1(ConsoleScreen::kFontFace.data(),
                                 static_cast<qsizetype>(ConsoleScreen::kFontFace.size())));
  font.setStyleHint(QFont::TypeWriter, QFont::PreferDefault);
  font.setFixedPitch(true);
  font.setKerning(false);
  font.setPointSize(points);
  return font;
}

// The bytes of a row as the characters the screen shows for them; a byte
// without a glyph in the character set prints as a blank.
QString RowText(const std::string& bytes, const char16_t* codePage) {
  QString s;
  s.reserve(static_cast<qsizetype>(bytes.size()));
  for (unsigned char b : bytes) {
    const char16_t u = codePage[b];
    s.append(QChar(u == 0 ? u' ' : u));
  }
  return s;
}

// Ten dots to the point: every print font size (6 to 24 points) is a whole
// number of dots, so the PDF's type is exactly the size asked for (the
// toolkit makes its fonts at whole pixel sizes).
constexpr int kPdfDotsPerInch = 720;

}  // namespace

PageGeometry GeometryOf(const QPageLayout& layout, int dpiX, int dpiY) {
  QPageLayout points = layout;
  points.setUnits(QPageLayout::Point);
  const QRectF paper = points.fullRect(QPageLayout::Point);
  const QMarginsF edge = points.minimumMargins();
  auto x = [dpiX](qreal pt) { return static_cast<int32_t>(std::lround(pt * dpiX / 72.0)); };
  auto y = [dpiY](qreal pt) { return static_cast<int32_t>(std::lround(pt * dpiY / 72.0)); };
  PageGeometry g;
  g.paperWidth = x(paper.width());
  g.paperHeight = y(paper.height());
  g.printable = {x(edge.left()), y(edge.top()), g.paperWidth - x(edge.right()),
                 g.paperHeight - y(edge.bottom())};
  g.dpiX = dpiX;
  g.dpiY = dpiY;
  return g;
}

bool PrintListing(QPagedPaintDevice& device, const ListingJob& job, std::string& error) {
  const int dpiX = device.logicalDpiX(), dpiY = device.logicalDpiY();
  const PageGeometry page = GeometryOf(device.pageLayout(), dpiX, dpiY);
  const QFont font(PrintFont(job.settings.fontPoints), &device);
  const QFontMetrics fm(font, &device);
  const bool fixedPitch = QFontInfo(font).fixedPitch();
  PrintFontMetrics metrics;
  metrics.height = fm.height();
  metrics.cellWidth = fixedPitch ? fm.horizontalAdvance(QLatin1Char('0')) : fm.averageCharWidth();
  if (metrics.height <= 0 || metrics.cellWidth <= 0) {
    error = "The print font cannot be made.";
    return false;
  }
  QPainter painter;
  if (!painter.begin(&device)) {
    error = "The printer cannot start printing.";
    return false;
  }
  painter.setFont(font);
  painter.setPen(Qt::black);
  const char16_t* codePage = CodePageForCharset(job.charset);
  const int ascent = fm.ascent();
  ListingLayout layout(job.lines, job.settings);
  bool first = true;
  while (!layout.Done()) {
    if (!first && !device.newPage()) {
      painter.end();
      error = "The printer cannot start a new page.";
      return false;
    }
    first = false;
    const PrintedPage p = layout.NextPage(page, metrics);
    for (const PrintedRow& row : p.rows) {
      const QString text = RowText(row.text, codePage);
      if (fixedPitch) {
        painter.drawText(QPoint(row.x, row.y + ascent), text);
      } else {
        // A proportional face still keeps the columns: one cell each.
        for (qsizetype i = 0; i < text.size(); ++i)
          painter.drawText(QPoint(row.x + static_cast<int>(i) * metrics.cellWidth, row.y + ascent),
                           QString(text[i]));
      }
    }
    if (!p.footer.empty()) {
      const PrintRect& b = p.footerBox;
      painter.drawText(QRect(b.left, b.top, b.Width(), b.Height()),
                       Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                       QString::fromLatin1(p.footer.c_str()));
    }
  }
  if (!painter.end()) {
    error = "The printer could not finish the job.";
    return false;
  }
  return true;
}

bool PrintListingOn(QPrinter& printer, const ListingJob& job, std::string& error) {
  // The margins are measured from the paper's edges, so the painter starts
  // at the paper's corner.
  printer.setFullPage(true);
  if (printer.docName().isEmpty()) printer.setDocName("TORVIC Program");
  if (!PrintListing(printer, job, error)) return false;
  if (printer.printerState() == QPrinter::Error) {
    error = "The printer reported an error.";
    return false;
  }
  return true;
}

bool WriteListingPdf(const std::string& path, const QPageSize& paper, const ListingJob& job,
                     std::string& error) {
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) {
    error = "cannot write " + path + ": " + file.errorString().toStdString();
    return false;
  }
  {
    QPdfWriter writer(&file);
    writer.setResolution(kPdfDotsPerInch);
    writer.setCreator("TORVIC");
    writer.setTitle("TORVIC Program");
    writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF()));
    if (!PrintListing(writer, job, error)) {
      file.cancelWriting();
      return false;
    }
  }
  if (!file.commit()) {
    error = "cannot write " + path + ": " + file.errorString().toStdString();
    return false;
  }
  return true;
}

}  // namespace torvic::shell
