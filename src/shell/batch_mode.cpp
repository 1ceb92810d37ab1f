#include "shell/batch_mode.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "frontend/program.h"
#include "shell/batch_host.h"
#include "shell/deferred_settings.h"
#include "shell/system_services.h"

namespace torvic::shell {

namespace {

// The transcript: the echo stream with CR written as LF.
class TranscriptSink final : public EchoSink {
 public:
  void Echo(const uint8_t* bytes, size_t count) override {
    for (size_t i = 0; i < count; ++i) std::fputc(bytes[i] == 13 ? '\n' : bytes[i], stdout);
  }
};

// Program text: numbered lines as LOAD reads a text program; blank lines
// are passed over.
bool LoadProgramText(const std::string& path, ProgramList& program) {
  // C stdio rather than a file stream: the streams' locale set-up would be
  // a noticeable part of a short run's start.
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  char* buffer = nullptr;
  size_t capacity = 0;
  ssize_t got;
  while ((got = ::getline(&buffer, &capacity, in)) >= 0) {
    std::string_view line(buffer, static_cast<size_t>(got));
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;
    EnterNumberedLine(program, line);
  }
  std::free(buffer);
  const bool failed = std::ferror(in) != 0;
  std::fclose(in);
  if (failed) return false;
  program.SetModified(false);
  return true;
}

}  // namespace

bool ParseBatchArguments(const std::vector<std::string>& args, bool& isBatch, BatchOptions& options,
                         std::string& error) {
  isBatch = false;
  for (const std::string& a : args) {
    if (a == "--batch") {
      isBatch = true;
    } else if (a == "--keys") {
      options.braceNames = true;
    } else if (a == "--screen") {
      options.screenDump = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return false;
    } else if (options.program.empty()) {
      options.program = a;
    } else {
      error = "more than one program file";
      return false;
    }
  }
  if (!isBatch && (options.braceNames || options.screenDump || !options.program.empty())) {
    error = "--keys, --screen and PROGRAM need --batch";
    return false;
  }
  return true;
}

int RunBatch(const BatchOptions& options) {
  SystemClock clock;
  BatchHost host(STDIN_FILENO, options.braceNames, clock);
  DeferredSettingsStore settings;
  SystemSound sound;
  SystemProcess process(SystemProcess::Instances::Never);
  const platform::Host h{host, clock, host, host, settings, sound, process, nullptr};

  // Static storage, constant-initialised: the 64 KB with their defaults are
  // part of the program image, and only the pages a program writes are
  // copied. A second run in the same process starts afresh.
  static constinit SettingsMemory memory{SettingsMemory::StaticStorage{}};
  static bool used = false;
  if (used) memory.ResetToDefaults();
  used = true;
  ConsoleScreen screen(h, memory);  // no surface: the cell record only
  TranscriptSink transcript;
  if (!options.screenDump) screen.SetEchoSink(&transcript);
  Interpreter interpreter(h, screen, memory);

  int status = 0;
  if (!options.program.empty()) {
    if (!LoadProgramText(options.program, interpreter.Program())) {
      std::fprintf(stderr, "torvic: cannot read %s\n", options.program.c_str());
      return 2;
    }
    status = interpreter.RunProgramOnce() == Interpreter::RunOutcome::Normal ? 0 : 1;
  } else {
    interpreter.ShowPrompt();
    interpreter.RunSession();
  }
  if (options.screenDump) {
    for (int32_t row = 0; row < kScreenRows; ++row) {
      std::string text = screen.RowText(row);
      while (!text.empty() && text.back() == ' ') text.pop_back();
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fputc('\n', stdout);
    }
  }
  std::fflush(stdout);
  return status;
}

}  // namespace torvic::shell
