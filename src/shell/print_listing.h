// Printing the program listing: the pages of shell/print_layout drawn on a
// printer or into a PDF file with the toolkit's print support. File ▸
// Print, SYS 1 and `torvic --print-pdf` all come here.
#pragma once

#include <QPageSize>
#include <string>
#include <vector>

#include "shell/print_layout.h"

class QPagedPaintDevice;
class QPageLayout;
class QPrinter;

namespace torvic::shell {

// What one print job prints.
struct ListingJob {
  std::vector<ListingLine> lines;
  PrintSettings settings;
  int charset = 0;  // the screen's character set: the bytes' glyphs
};

// The page of a device whose painter starts at the paper's top-left corner
// (a full-page printer, a PDF writer without margins).
PageGeometry GeometryOf(const QPageLayout& layout, int dpiX, int dpiY);

// Draws every page of the listing on the device, which must paint from the
// paper's corner. False, with the reason, when the print font cannot be
// made (nothing is printed then) or the device refuses the job.
bool PrintListing(QPagedPaintDevice& device, const ListingJob& job, std::string& error);

// The listing on a printer set up by the print dialogs.
bool PrintListingOn(QPrinter& printer, const ListingJob& job, std::string& error);

// The listing as a PDF file of that paper size, at 720 dots per inch, the
// paper's whole area printable. The file is replaced only once every page
// is written.
bool WriteListingPdf(const std::string& path, const QPageSize& paper, const ListingJob& job,
                     std::string& error);

}  // namespace torvic::shell
