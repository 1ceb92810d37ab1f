// Tells a second running copy of the window apart from the first: a lock
// on the file "QX_TORVIC_MUTEX" in the user's runtime folder
// (XDG_RUNTIME_DIR, else the temporary folder with the user's id in the
// name). The first copy holds the lock for as long as it runs; the system
// drops it when the process ends however it ends, so a crash never leaves
// a stale lock behind. A copy that finds the lock held still runs: it only
// leaves the window placement alone.
#pragma once

#include <string>

namespace torvic::shell {

class InstanceLock {
 public:
  static constexpr const char* kName = "QX_TORVIC_MUTEX";

  InstanceLock();
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Another copy held the lock when this one was made.
  bool AnotherInstance() const { return another_; }
  static std::string Path();

 private:
  int fd_ = -1;
  bool another_ = false;
};

}  // namespace torvic::shell
