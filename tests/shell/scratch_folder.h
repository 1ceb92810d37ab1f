// A folder of its own for one run of the real executable, removed with the
// object, and the environment that points HOME and the XDG folders into a
// fresh folder, so that no run sees the user's settings or documents.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace torvic::testing {

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

  // The start of a shell command that runs with HOME and the XDG folders
  // inside this folder (and no documents folder named by the environment).
  std::string HomeAssignments() const {
    const std::string h = path_.string();
    return "env -u XDG_DOCUMENTS_DIR HOME='" + h + "' XDG_CONFIG_HOME='" + h +
           "/config' XDG_DATA_HOME='" + h + "/data' XDG_RUNTIME_DIR='" + h + "/run'";
  }

 private:
  std::filesystem::path path_;
};

}  // namespace torvic::testing
