#include "platform/host_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace torvic::platform {

HostFile& HostFile::operator=(HostFile&& o) noexcept {
  if (this != &o) {
    Close();
    fd_ = o.fd_;
    o.fd_ = -1;
  }
  return *this;
}

void HostFile::IgnoreFileSizeSignal() {
  static const bool ignored = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)ignored;
}

int HostFile::Open(const std::string& path, Access access, bool create, bool truncate, Lock lock) {
  Close();
  IgnoreFileSizeSignal();
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  switch (access) {
    case Access::Read: flags |= O_RDONLY; break;
    case Access::Write: flags |= O_WRONLY; break;
    case Access::ReadWrite: flags |= O_RDWR; break;
  }
  if (create) flags |= O_CREAT;
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) return errno;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    return e;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
  }
  // Plain files never block; the flag only kept a FIFO from waiting.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (lock != Lock::None &&
      ::flock(fd, (lock == Lock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    const int e = errno == EINTR ? EWOULDBLOCK : errno;
    ::close(fd);
    return e;
  }
  if (truncate && ::ftruncate(fd, 0) != 0) {
    const int e = errno;
    ::close(fd);
    return e;
  }
  fd_ = fd;
  return 0;
}

int HostFile::Close() {
  if (fd_ < 0) return 0;
  const int fd = fd_;
  fd_ = -1;
  // The descriptor is gone whatever close reports; EINTR means nothing was
  // lost on Linux, the others (EIO, ENOSPC, EDQUOT on network and quota
  // file systems) are data that did not reach the disk.
  if (::close(fd) != 0 && errno != EINTR) return errno;
  return 0;
}

int HostFile::ReadAt(int64_t offset, void* bytes, size_t n, size_t& got) {
  got = 0;
  auto* p = static_cast<uint8_t*>(bytes);
  while (got < n) {
    const ssize_t r = ::pread(fd_, p + got, n - got, static_cast<off_t>(offset) + got);
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  return 0;
}

int HostFile::WriteAt(int64_t offset, const void* bytes, size_t n, size_t& put) {
  put = 0;
  const auto* p = static_cast<const uint8_t*>(bytes);
  while (put < n) {
    const ssize_t r = ::pwrite(fd_, p + put, n - put, static_cast<off_t>(offset) + put);
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) return EIO;
    put += static_cast<size_t>(r);
  }
  return 0;
}

int HostFile::Size(int64_t& size) {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return errno;
  size = st.st_size;
  return 0;
}

int HostFile::Truncate(int64_t size) {
  return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

// ---------------------------------------------------------------------------

ReplacementFile::~ReplacementFile() {
  file_.Close();
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

int ReplacementFile::Create() {
  HostFile::IgnoreFileSizeSignal();
  const size_t slash = path_.rfind('/');
  std::string pattern = path_.substr(0, slash == std::string::npos ? 0 : slash + 1);
  pattern += ".torvic-XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  temporary_ = pattern;
  file_.fd_ = fd;
  // mkostemp makes the file for its owner only; a saved file gets the
  // permissions a new file of the folder would get, or the old file's.
  struct stat st;
  mode_t mode;
  if (::stat(path_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  return 0;
}

int ReplacementFile::Write(const void* bytes, size_t n) {
  size_t put;
  const int e = file_.WriteAt(written_, bytes, n, put);
  written_ += static_cast<int64_t>(put);
  return e;
}

int ReplacementFile::Commit() {
  if (::fsync(file_.fd_) != 0) return errno;
  if (int e = file_.Close()) return e;
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) return errno;
  committed_ = true;
  return 0;
}

}  // namespace torvic::platform
