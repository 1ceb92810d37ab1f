// Feeds arbitrary byte strings to the file-name resolution with a few
// volumes mounted and checks that every result names an entry directly
// inside its volume's folder (never the folder itself, its parent or a
// deeper path) or is an error. The first byte picks the default extension.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "volumes/filenames.h"
#include "volumes/volumes.h"

namespace {

using namespace torvic;

struct Volumes {
  std::string base;
  VolumeTable table;
  ~Volumes() {
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
  }
  Volumes() {
    base = (std::filesystem::temp_directory_path() /
            ("torvic-fuzz-names-" + std::to_string(::getpid())))
               .string();
    std::filesystem::create_directories(base + "/work/sub");
    std::filesystem::create_directories(base + "/data");
    std::filesystem::create_directories(base + "/gone");
    // Files that names may find without regard to case.
    for (const char* name : {"work/STARTREK.TVC", "work/startrek.tvc", "work/x", "work/..x",
                             "data/SCORES.DAT", "data/.hidden"})
      std::ofstream(base + "/" + name) << "x";
    table.AddSessionVolume("WORK", base + "/work", false);
    table.AddSessionVolume("DATA", base + "/data", true);
    table.AddSessionVolume("GONE", base + "/gone", false);
    table.AddSessionVolume("ROOT", "/", true);
    table.Volumes();
    std::filesystem::remove(base + "/gone");
  }
};

void Check(VolumeTable& table, int32_t error, const ResolvedName& r) {
  if (error != 0) return;
  const Volume* v = table.FindVolume(r.volume);
  if (!v) __builtin_trap();
  const std::string prefix = v->folder == "/" ? "/" : v->folder + "/";
  if (r.path.compare(0, prefix.size(), prefix) != 0) __builtin_trap();
  const std::string_view file = std::string_view(r.path).substr(prefix.size());
  if (file != r.file || file.empty() || file == "." || file == "..") __builtin_trap();
  if (file.find('/') != std::string_view::npos || file.find('\0') != std::string_view::npos)
    __builtin_trap();
  if (r.path.size() > kMaxHostPath || file.size() > 255) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 600) return 0;
  static Volumes volumes;
  static constexpr std::string_view kExtensions[] = {"tvc", "dat", "", "a.b", "x/y", ".."};
  const std::string_view extension = kExtensions[data[0] % std::size(kExtensions)];
  const std::string_view name(reinterpret_cast<const char*>(data + 1), size - 1);
  ResolvedName r;
  Check(volumes.table, ResolveFileName(volumes.table, name, extension, r), r);
  Check(volumes.table, ResolveFilePattern(volumes.table, name, extension, r), r);
  IsValidFileName(name);
  std::string volume;
  VolumeOfName(volumes.table, name, volume);
  return 0;
}
