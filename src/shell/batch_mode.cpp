#include "shell/batch_mode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "console/code_pages.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/errors.h"
#include "engine/interpreter.h"
#include "frontend/program.h"
#include "platform/file_system.h"
#include "platform/memory_budget.h"
#include "shell/batch_host.h"
#include "shell/deferred_settings.h"
#include "shell/system_services.h"
#include "shell/termination_signals.h"
#include "shell/transcript.h"
#include "volumes/volumes.h"

namespace torvic::shell {

namespace {

// A standard descriptor the caller closed gets a stand-in, so that no file
// the session opens can take its number: the transcript would end up in
// it. Standard output's stand-in is read-only, so the first write fails as
// it would have and is reported.
void GuardStandardDescriptors() {
  static constexpr int kModes[] = {O_RDONLY, O_RDONLY, O_WRONLY};
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", kModes[fd]);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

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

bool ParseMount(std::string_view spec, MountOption& mount, std::string& error) {
  const size_t equals = spec.find('=');
  if (equals == std::string_view::npos) {
    error = "--mount needs NAME=FOLDER[,ro], not \"" + std::string(spec) + "\"";
    return false;
  }
  const std::string_view name = spec.substr(0, equals);
  std::string_view folder = spec.substr(equals + 1);
  mount.readOnly = folder.ends_with(",ro");
  if (mount.readOnly) folder.remove_suffix(3);
  if (!IsVolumeName(name)) {
    error =
        "--mount: the volume name \"" + std::string(name) + "\" must be 1 to 15 letters and digits";
    return false;
  }
  mount.name = UpperVolumeName(name);
  const std::optional<std::string> full = platform::FullPath(folder);
  if (!full) {
    error = "--mount " + mount.name + ": no folder given";
    return false;
  }
  if (!platform::FolderExists(*full)) {
    error = "--mount " + mount.name + ": the folder " + *full + " does not exist";
    return false;
  }
  mount.folder = *full;
  return true;
}

void AttachVolumes(Interpreter& interpreter, platform::SettingsStore& store,
                   const std::vector<MountOption>& mounts) {
  VolumeTable& table = interpreter.Volumes();
  table.Attach(store);
  for (const MountOption& m : mounts) table.AddSessionVolume(m.name, m.folder, m.readOnly);
}

bool ParseBatchArguments(const std::vector<std::string>& args, bool& isBatch, BatchOptions& options,
                         std::string& error) {
  isBatch = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--mount" || a.starts_with("--mount=")) {
      std::string_view spec;
      if (a == "--mount") {
        if (i + 1 == args.size()) {
          error = "--mount needs NAME=FOLDER[,ro]";
          return false;
        }
        spec = args[++i];
      } else {
        spec = std::string_view(a).substr(8);
      }
      MountOption mount;
      if (!ParseMount(spec, mount, error)) return false;
      for (const MountOption& m : options.mounts)
        if (m.name == mount.name) {
          error = "--mount " + mount.name + " is given twice";
          return false;
        }
      options.mounts.push_back(std::move(mount));
    } else if (a == "--memory" || a.rfind("--memory=", 0) == 0) {
      std::string size;
      if (a.size() > 8) size = a.substr(9);
      else if (i + 1 < args.size()) size = args[++i];
      if (!memory::ParseSize(size, options.memory)) {
        error = "--memory needs a size from 64K to 1024T, as 256M or 4G";
        return false;
      }
    } else if (a == "--batch") {
      isBatch = true;
    } else if (a == "--window") {
      options.window = true;
    } else if (ScanStartupOption(a, options.startup)) {
      continue;
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
  if (!isBatch && (options.braceNames || options.screenDump)) {
    error = "--keys and --screen need --batch";
    return false;
  }
  if (isBatch && options.window) {
    error = "--window and --batch exclude each other";
    return false;
  }
  return true;
}

bool ScanStartupOption(std::string_view arg, StartupOptions& options) {
  if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) return false;
  std::string name;
  for (char c : arg.substr(1)) name += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (name == "nostartup") options.noColor = options.noMessage = options.noProgram = true;
  else if (name == "nocolor") options.noColor = true;
  else if (name == "nomessage") options.noMessage = true;
  else if (name == "noprogram") options.noProgram = true;
  else if (name == "norestore") options.noRestore = true;
  else return false;
  return true;
}

int RunBatch(const BatchOptions& options) {
  GuardStandardDescriptors();
  TerminationSignals::Install();
  memory::SetLimit(options.memory ? options.memory : memory::DefaultLimit());
  SystemClock clock;
  BatchHost host(STDIN_FILENO, options.braceNames, clock);
  Transcript transcript(STDOUT_FILENO, clock);
  host.SetTranscript(&transcript);
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
  if (!options.screenDump) screen.SetEchoSink(&transcript);
  Interpreter interpreter(h, screen, memory);
  AttachVolumes(interpreter, settings, options.mounts);
  host.SetVolumes(&interpreter.Volumes());
  // A terminating signal or an unwritable transcript unwinds the session
  // as closing the window does.
  host.SetEndSession([&interpreter] { interpreter.RequestExit(); });

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
    // Each row as the glyphs the screen shows, in UTF-8: a cell holding a
    // control character's glyph can never break the dump's lines.
    for (int32_t row = 0; row < kScreenRows; ++row) {
      std::string text = GlyphText(screen.RowText(row), screen.Charset());
      while (!text.empty() && text.back() == ' ') text.pop_back();
      text.push_back('\n');
      transcript.Write(text);
    }
  }
  // Output that could not be written is a failure of the session whatever
  // the program did.
  if (!transcript.Flush()) status = 2;
  TerminationSignals::DieOfReceivedSignal();
  return status;
}

}  // namespace torvic::shell
