#include "shell/print_command.h"

#include <QGuiApplication>
#include <QLocale>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "base/errors.h"
#include "console/settings.h"
#include "frontend/program.h"
#include "frontend/program_file.h"
#include "platform/memory_budget.h"
#include "shell/batch_mode.h"
#include "shell/print_listing.h"
#include "shell/print_options.h"

namespace torvic::shell {

namespace {

// The toolkit's fatal messages (a platform that cannot start) end the
// command with its status for failure instead of an abort.
void PrintMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg && type != QtCriticalMsg) return;
  std::fprintf(stderr, "torvic: %s\n", message.section('\n', 0, 0).toStdString().c_str());
  if (type == QtFatalMsg) std::_Exit(2);
}

QPageSize PaperOf(const std::string& name) {
  // The sizes of kPaperNames, in its order.
  static constexpr QPageSize::PageSizeId kIds[] = {
      QPageSize::A3,     QPageSize::A4,    QPageSize::A5,        QPageSize::B4,     QPageSize::B5,
      QPageSize::Letter, QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid};
  static_assert(std::size(kIds) == std::size(kPaperNames));
  for (size_t i = 0; i < std::size(kPaperNames); ++i)
    if (name == kPaperNames[i]) return QPageSize(kIds[i]);
  // No paper named: the one a printer of this locale would start with.
  return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
                       ? QPageSize::Letter
                       : QPageSize::A4);
}

}  // namespace

int RunPrintPdf(int argc, char** argv) {
  PrintPdfOptions options;
  std::string error;
  if (!ParsePrintPdfArguments(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "torvic: %s\n", error.c_str());
    return 2;
  }
  // The pages need fonts, not a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(PrintMessages);
  QGuiApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  memory::SetLimit(memory::DefaultLimit());

  ProgramList program;
  if (!ReadProgramArgument(options.program, program)) return 2;
  // A fresh start's settings memory, with the print settings given.
  auto memory = std::make_unique<SettingsMemory>();
  for (const auto& [address, value] : options.pokes)
    memory->SetMirror(address, address == PrintSettings::kFontAddress
                                   ? SettingsMemory::StoredPrintFontSize(value)
                                   : value);
  ListingJob job;
  job.lines = ListingLayout::LinesOf(program);
  job.settings = PrintSettings::From(*memory);
  if (!WriteListingPdf(options.output, PaperOf(options.paper), job, error)) {
    std::fprintf(stderr, "torvic: %s\n", error.c_str());
    return 2;
  }
  return 0;
}

}  // namespace torvic::shell
