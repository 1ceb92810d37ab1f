// One open host file as the data files and the whole-file statements use
// it: a POSIX descriptor read and written at explicit offsets, with the
// advisory lock that keeps other writers away.
//
// Sharing. Every opener of a data file denies writing to the others. On
// Linux that is an flock(2) lock taken without waiting: readers share one
// (LOCK_SH), writers hold theirs alone (LOCK_EX), so a file open for
// writing cannot be opened again in any mode, and a file open for reading
// can be read by others but not written. The lock belongs to the open file
// description: the same process opening the same file twice conflicts with
// itself, as a second handle does on DOS-style systems. Programs that ignore
// advisory locks are not stopped; nothing on Linux stops them.
//
// Errors come back as errno values (0 for success), an unobtainable lock as
// EWOULDBLOCK; callers map them to BASIC errors (MapOpenError and the like
// in the data files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace torvic::platform {

class HostFile {
 public:
  enum class Access { Read, Write, ReadWrite };
  enum class Lock { None, Shared, Exclusive };

  HostFile() = default;
  ~HostFile() { Close(); }
  HostFile(HostFile&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  HostFile& operator=(HostFile&& o) noexcept;
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;

  // Opens `path`; with `create` a missing file is made (mode 0666 less the
  // umask). The lock is taken before anything changes, so `truncate` never
  // empties a file another opener holds. Only plain files open: a folder is
  // EISDIR, any other kind of entry (a FIFO, a device) ENODEV, and opening
  // never waits for a FIFO's other end.
  int Open(const std::string& path, Access access, bool create, bool truncate, Lock lock);
  bool IsOpen() const { return fd_ >= 0; }
  // Closes (also releasing the lock); the descriptor's last error, if any.
  int Close();

  // Reads up to n bytes at `offset`; `got` is what was read (0 at the end).
  int ReadAt(int64_t offset, void* bytes, size_t n, size_t& got);
  // Writes all n bytes at `offset`; `put` is what reached the file before
  // a failure (all of them on success).
  int WriteAt(int64_t offset, const void* bytes, size_t n, size_t& put);
  int Size(int64_t& size);
  int Truncate(int64_t size);

  // A file of the host that would pass the process's file-size limit must
  // fail the write (EFBIG) instead of ending the process: the signal the
  // kernel sends for it is ignored from the first open on.
  static void IgnoreFileSizeSignal();

 private:
  friend class ReplacementFile;
  int fd_ = -1;
};

// A temporary file beside `path` for a replacement written whole (DSAVE):
// written, then renamed over `path`, so that a failure never leaves a
// half-written file in place of the old one.
class ReplacementFile {
 public:
  explicit ReplacementFile(std::string path) : path_(std::move(path)) {}
  ~ReplacementFile();  // removes the temporary file unless committed
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Makes the temporary file in the target's folder.
  int Create();
  // Appends n bytes.
  int Write(const void* bytes, size_t n);
  // Flushes to the disk and renames over the target; the old file's
  // permissions are kept when there was one.
  int Commit();

 private:
  std::string path_;
  std::string temporary_;
  HostFile file_;
  int64_t written_ = 0;
  bool committed_ = false;
};

}  // namespace torvic::platform
