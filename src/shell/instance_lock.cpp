#include "shell/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace torvic::shell {

std::string InstanceLock::Path() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/" + kName;
  std::error_code ec;
  std::string temp = std::filesystem::temp_directory_path(ec).string();
  if (ec || temp.empty()) temp = "/tmp";
  return temp + "/" + kName + "-" + std::to_string(::getuid());
}

InstanceLock::InstanceLock() {
  fd_ = ::open(Path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock that cannot be made at all is no sign of another copy.
  if (fd_ < 0) return;
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) another_ = true;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace torvic::shell
