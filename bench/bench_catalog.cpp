// CATALOG of a volume that holds 10,000 files: the time of the listing in
// the normal, sorted and wide layouts (the statement's own work, its rows
// written to a console that keeps only their length), and, given the path
// of `torvic`, the whole batch run `CATALOG "V:"` with the transcript
// written to /dev/null (start-up and the volume table included).
//   bench_catalog [PATH_TO_TORVIC]
// Prints the figures; asserts nothing.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "volumes/file_commands.h"
#include "volumes/volumes.h"

using namespace torvic;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFiles = 10000;

// A console that writes nowhere: the listing's own cost.
class NullConsole final : public FileCommandConsole {
 public:
  size_t bytes = 0;
  int32_t column = 0;
  void Write(std::string_view text) override {
    bytes += text.size();
    column = static_cast<int32_t>((column + text.size()) % 80);
  }
  void EndRow() override {
    if (column) NewRow();
  }
  void NewRow() override { column = 0; }
  int32_t Column() override { return column; }
  void PadToColumn(int32_t c) override { column = c; }
  bool Ask(std::string_view) override { return true; }
  bool Proceed(std::string_view) override { return true; }
  bool Turn() override { return true; }
  bool PageBreak() override { return true; }
};

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("torvic-bench-catalog-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  for (int i = 0; i < kFiles; ++i)
    std::ofstream(folder / ("Report number " + std::to_string(i) + ".txt")) << i;

  VolumeTable table;
  table.AddSessionVolume("V", folder.string(), false);
  struct {
    const char* name;
    CatalogOptions options;
  } layouts[] = {{"normal", {false, false, false}},
                 {"sorted", {true, false, false}},
                 {"wide", {false, false, true}}};
  std::printf("CATALOG of %d files\n", kFiles);
  for (const auto& l : layouts) {
    double best = 1e9;
    size_t bytes = 0;
    for (int run = 0; run < 5; ++run) {
      NullConsole console;
      const auto start = Clock::now();
      const int32_t r = ListCatalog(table, std::string_view("V:"), l.options, console);
      best = std::min(best, Seconds(start));
      bytes = console.bytes;
      if (r != 0) std::printf("  error %d\n", r);
    }
    std::printf("  %-7s %8.1f ms (best of 5), %zu bytes of rows\n", l.name, best * 1000, bytes);
  }
  if (argc > 1) {
    const std::string command = "printf 'CATALOG \"V:\"\\n' | '" + std::string(argv[1]) +
                                "' --batch --mount V='" + folder.string() + "' > /dev/null 2>&1";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    std::printf("  torvic --batch, whole run: %.1f ms (status %d)\n", Seconds(start) * 1000,
                status);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
