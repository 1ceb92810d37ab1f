#include "shell/batch_mode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/errors.h"
#include "engine/interpreter.h"
#include "frontend/program.h"
#include "platform/memory_budget.h"
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

// The error a program file that cannot be opened gives, as the data files
// map the host's errors.
int32_t OpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return kErrFileNotFound;
    case EACCES:
    case EPERM: return kErrAccessDenied;
    default: return kErrIoError;
  }
}

// Program text: numbered lines as LOAD reads a text program; blank lines
// are passed over. 0, or the BASIC error that stopped the load. The file
// must be a regular one, its size known and below 2^31 bytes, which is
// checked before anything is read: a device or a pipe (/dev/zero, a FIFO)
// would be read for ever, and a folder cannot be read. A line keeps its
// first 261 characters, as a text program's lines do, so no line of the
// file can take more memory than that.
int32_t LoadProgramText(const std::string& path, ProgramList& program) {
  // Opened without waiting: opening a FIFO for reading would wait for a
  // writer before the check below could refuse it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenError(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kErrIoError;
  }
  if (st.st_size >= (off_t{1} << 31)) {
    ::close(fd);
    return kErrMaxFileSize;
  }
  // C stdio rather than a file stream: the streams' locale set-up would be
  // a noticeable part of a short run's start.
  std::FILE* in = ::fdopen(fd, "rb");
  if (!in) {
    ::close(fd);
    return kErrIoError;
  }
  constexpr size_t kLineLimit = 261;
  char buffer[kLineLimit];
  int32_t result = 0;
  for (bool more = true; more && result == 0;) {
    size_t length = 0;
    int c;
    while ((c = getc_unlocked(in)) != EOF && c != '\n')
      if (length < kLineLimit) buffer[length++] = static_cast<char>(c);
    more = c != EOF;
    std::string_view line(buffer, length);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(' ') == std::string_view::npos) continue;
    if (EnterNumberedLine(program, line).kind == LineEntryResult::OutOfMemory)
      result = kErrOutOfMemory;
  }
  if (result == 0 && std::ferror(in)) result = kErrIoError;
  std::fclose(in);
  if (result == 0) program.SetModified(false);
  return result;
}

}  // namespace

bool ParseBatchArguments(const std::vector<std::string>& args, bool& isBatch, BatchOptions& options,
                         std::string& error) {
  isBatch = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--memory" || a.rfind("--memory=", 0) == 0) {
      std::string size;
      if (a.size() > 8) size = a.substr(9);
      else if (i + 1 < args.size()) size = args[++i];
      if (!memory::ParseSize(size, options.memory)) {
        error = "--memory needs a size from 64K to 1024T, as 256M or 4G";
        return false;
      }
    } else if (a == "--batch") {
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
  memory::SetLimit(options.memory ? options.memory : memory::DefaultLimit());
  SystemClock clock;
  BatchHost host(STDIN_FILENO, options.braceNames, clock);
  DeferredSettingsStore settings;
  SystemSound sound;
  SystemProcess process;
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
    if (const int32_t e = LoadProgramText(options.program, interpreter.Program())) {
      // The message in the transcript, as a LOAD would show it; the file's
      // name on standard error.
      interpreter.ReportError(e, -1, std::nullopt);
      std::fflush(stdout);
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
  process.RestartIfRequested();
  return status;
}

}  // namespace torvic::shell
