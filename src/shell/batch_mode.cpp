#include "shell/batch_mode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/errors.h"
#include "console/code_pages.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "frontend/disassembler.h"
#include "frontend/program.h"
#include "frontend/program_file.h"
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

// PROGRAM read as LOAD reads a program file, binary or text, whatever its
// name: 0, or the BASIC error that stopped the read (reported here when it
// is a text line's bad number). ProgramSource::Open looks at the file
// before anything is read: a device, a FIFO or a folder is "?I/O error"
// and 2 GiB or more "?Maximum file size exceeded", so nothing is read for
// ever and no huge file is read at all.
int32_t LoadProgram(const std::string& path, Interpreter& interpreter) {
  ProgramSource source;
  if (const int32_t e = source.Open(path)) return e;
  const ProgramReadResult r = ReadProgram(source, interpreter.Program());
  if (r.error == kErrSyntaxError) {
    interpreter.ReportError(r.error, -1, r.detail);
    return -r.error;
  }
  return r.error;
}

}  // namespace

bool ParseMount(std::string_view text, MountOption& mount, std::string& error) {
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    error = "--mount needs NAME=FOLDER[,ro], not \"" + std::string(text) + "\"";
    return false;
  }
  const std::string_view name = text.substr(0, equals);
  std::string_view folder = text.substr(equals + 1);
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
      std::string_view text;
      if (a == "--mount") {
        if (i + 1 == args.size()) {
          error = "--mount needs NAME=FOLDER[,ro]";
          return false;
        }
        text = args[++i];
      } else {
        text = std::string_view(a).substr(8);
      }
      MountOption mount;
      if (!ParseMount(text, mount, error)) return false;
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
    } else if (a == "--disassemble") {
      options.disassemble = true;
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
  if (options.disassemble) {
    if (isBatch || options.window || options.braceNames || options.screenDump ||
        options.program.empty()) {
      error = "--disassemble needs PROGRAM and no --batch, --window, --keys or --screen";
      return false;
    }
    return true;
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
  platform::SetTrashHandler(DeferredMoveToTrash);
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
  // A terminating signal or an unwritable transcript unwinds the session
  // as closing the window does.
  host.SetEndSession([&interpreter] { interpreter.RequestExit(); });

  int status = 0;
  if (!options.program.empty()) {
    if (const int32_t e = LoadProgram(options.program, interpreter)) {
      // The message in the transcript, as a LOAD would show it; the file's
      // name on standard error.
      if (e > 0) interpreter.ReportError(e, -1, std::nullopt);
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

bool ReadProgramArgument(const std::string& path, ProgramList& program) {
  ProgramSource source;
  int32_t e = source.Open(path);
  if (e == 0) e = ReadProgram(source, program).error;
  if (e == 0) return true;
  const char* message = ErrorMessage(e);
  if (*message == '?') ++message;
  std::fprintf(stderr, "torvic: cannot read %s: %s\n", path.c_str(), message);
  return false;
}

int RunDisassemble(const BatchOptions& options) {
  GuardStandardDescriptors();
  memory::SetLimit(options.memory ? options.memory : memory::DefaultLimit());
  ProgramList program;
  if (!ReadProgramArgument(options.program, program)) return 2;
  const std::string text = DisassembleProgram(program);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
    return 2;
  return 0;
}

}  // namespace torvic::shell
