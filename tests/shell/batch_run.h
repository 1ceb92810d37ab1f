// Running the real batch executable from the tests: `torvic --batch` with
// extra arguments and a file as standard input, HOME and the XDG folders in
// a fresh folder so that every run starts from defaults and never sees the
// user's settings or documents.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace torvic::testing {

// A folder of its own for one run, removed with the object.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag) {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("torvic-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct BatchResult {
  std::string out;  // standard output
  int status = -1;  // exit status, -1 when the process did not exit
};

inline BatchResult RunBatch(const std::string& args, const std::filesystem::path& input) {
  const ScratchFolder home("home");
  const std::string h = home.path().string();
  const std::string command = "env -u XDG_DOCUMENTS_DIR HOME='" + h + "' XDG_CONFIG_HOME='" + h +
                              "/config' XDG_DATA_HOME='" + h + "/data' XDG_RUNTIME_DIR='" + h +
                              "/run' '" TORVIC_EXE "' --batch " + args + " < '" + input.string() +
                              "' 2>/dev/null";
  BatchResult r;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace torvic::testing
