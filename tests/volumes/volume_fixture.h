// Test support for the volume table: scratch folders removed with the
// object, and host folder answers the test chooses (which folders may be
// written, where the default table lives), so no test depends on the
// user's documents folder or on running as root.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "volumes/volumes.h"

namespace torvic::testing {

class ScratchFolder {
 public:
  ScratchFolder() {
    static int serial = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("torvic-volumes-" + std::to_string(::getpid()) + "-" + std::to_string(++serial)))
                .string();
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  // A subfolder, created.
  std::string Folder(const std::string& name) const {
    const std::string p = path_ + "/" + name;
    std::filesystem::create_directories(p);
    return p;
  }
  // A file with some bytes in it.
  std::string File(const std::string& name, const std::string& text = "x") const {
    const std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }

 private:
  std::string path_;
};

// Folders exist as the host says; writability and the default table's
// folder are the test's.
struct TestFolders : VolumeFolders {
  std::set<std::string> readOnly;  // folders the host refuses to write
  std::string defaultFolder;
  int defaultTablesMade = 0;

  bool Writable(const std::string& folder) override { return readOnly.count(folder) == 0; }
  std::string DefaultTableFolder() override {
    ++defaultTablesMade;
    return defaultFolder;
  }
};

}  // namespace torvic::testing
