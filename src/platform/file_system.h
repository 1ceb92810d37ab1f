// The host file system as the interpreter core sees it: plain POSIX and
// std::filesystem helpers, no toolkit. Volumes map BASIC names onto host
// folders (volumes/), and the file statements list, copy and inspect host
// files through these functions.
//
// Errors come back as errno values (0 for success); each caller maps them to
// its own BASIC errors, since the statements do not all map them alike.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace torvic::platform {

// --- folders ------------------------------------------------------------------
// False only when the host says the path is not there (or is not a folder);
// any other failure (no permission to look) counts as existing.
bool FolderExists(const std::string& path);
// The host grants write access to the folder. A process running as root is
// granted it everywhere, so root sees every folder as writable.
bool FolderWritable(const std::string& path);
// An absolute, lexically normal form of `path` (relative paths are taken
// from the current folder), without a trailing "/" except for the root
// itself; nullopt for an empty path or one holding a NUL byte.
std::optional<std::string> FullPath(std::string_view path);
// Free bytes for an unprivileged user on the file system holding `path`.
int FreeSpace(const std::string& path, uint64_t& bytes);

// The folder of the running executable ("" when the host does not say).
std::string ExecutableFolder();
// The user's documents folder: XDG_DOCUMENTS_DIR from the environment, else
// from $XDG_CONFIG_HOME/user-dirs.dirs (~/.config/user-dirs.dirs), else
// ~/Documents. `getenv` reads the environment (std::getenv in the product).
std::string DocumentsFolder(const std::function<const char*(const char*)>& getenv);

// TORVIC's per-user configuration folder, where the settings store keeps
// its file: $XDG_CONFIG_HOME/Quellorix, else ~/.config/Quellorix ("" when
// neither is known). The start-up program is looked for there first.
std::string ConfigurationFolder(const std::function<const char*(const char*)>& getenv);

// --- files --------------------------------------------------------------------
struct FileInfo {
  std::string name;  // the name inside its folder
  uint64_t size = 0;
  LocalTime lastWrite;    // local time of the last write
  bool readOnly = false;  // the owner may not write it
};

// Facts about one path; an errno (ENOENT for a missing one) on failure.
// `isFolder` tells a folder from a plain file.
int Inspect(const std::string& path, FileInfo& info, bool* isFolder = nullptr);
// Sets or clears the read-only attribute: the owner's write permission.
int SetReadOnly(const std::string& path, bool readOnly);

// Writes `size` bytes as the whole content of the file at `path`, which is
// created or replaced, so that no failure on the way loses the old
// content: the bytes go to a new file in the same folder, which is flushed
// to the disk and then takes the name (a link keeps its place: the file it
// points at is replaced). On any failure (a full volume, a file-size limit,
// an I/O error) the new file is removed and the old one stays as it was. A
// folder, or a file whose owner may not write it (the read-only attribute),
// is not replaced: EISDIR, EACCES. A replaced file keeps its permissions; a
// new one gets those the process creates files with. 0 or an errno.
int ReplaceFile(const std::string& path, const void* data, size_t size);

// Does `name` match a file pattern? "*" stands for any run of characters,
// "?" for one; letters match without regard to case. As on DOS-style
// systems, a trailing ".*" also matches a name without any extension, and a
// trailing "." asks for a name without extension.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// The plain files of `folder` whose names match `pattern`, appended to `out`
// in the order the host lists them; an errno on failure. Folders, sockets,
// pipes and devices are never files to the BASIC system; a symbolic link
// counts as the plain file it leads to.
int ListFiles(const std::string& folder, std::string_view pattern, std::vector<FileInfo>& out);
// Orders a listing by name without regard to case (then byte order, so
// names that differ only in case keep a fixed order).
void SortByName(std::vector<FileInfo>& files);

// Copies a plain file over `to` (created or replaced), keeping the source's
// modification time and permissions, as a file manager does. A copy that
// fails once the destination was opened removes the partial destination.
// An existing destination with the read-only attribute (its owner may not
// write it) is refused with EACCES, whoever runs the program.
// A source that is the destination itself is refused (EBUSY) before
// anything is truncated; a source that is no plain file gives EISDIR or
// EINVAL.
int CopyFile(const std::string& from, const std::string& to);
// Renames `from` to `to`. Without `replace` an existing destination is
// refused (EEXIST), as a DOS-style move is; across file systems
// the file is copied and the source removed. A read-only destination is
// not replaced (EACCES).
int MoveFile(const std::string& from, const std::string& to, bool replace);
// Deletes a plain file. A read-only file (its owner may not write it) is
// refused with EACCES: the read-only attribute protects a file from
// deletion on DOS-style systems, and ATTRIB ON keeps meaning that here.
int DeleteFile(const std::string& path);
// Moves a file to the desktop's trash, through the handler the front end
// installs (the freedesktop.org trash of the toolkit); ENOSYS without one.
using TrashHandler = int (*)(const std::string& path);
void SetTrashHandler(TrashHandler handler);
int MoveToTrash(const std::string& path);
// Can the file be read, written, or both (access(2) with the process's
// real identity)? An errno (ENOENT when missing; EISDIR for a folder;
// EACCES for a write to a file with the read-only attribute, even for the
// superuser).
int CheckAccess(const std::string& path, bool read, bool write);

// Appending whole files to one open destination (COPY and MOVE from a
// pattern to a single name).
class AppendTarget {
 public:
  AppendTarget() = default;
  ~AppendTarget();
  AppendTarget(const AppendTarget&) = delete;
  AppendTarget& operator=(const AppendTarget&) = delete;
  // Creates or truncates the destination.
  int Open(const std::string& path);
  // Appends `from` in blocks of `kBlock` bytes, at most `room` bytes of it;
  // `appended` says how many went in. EFBIG when the file did not fit.
  static constexpr size_t kBlock = 512;
  int Append(const std::string& from, uint64_t room, uint64_t& appended);
  // The destination's identity, to pass over it among the sources.
  bool IsSameFile(const std::string& path) const;
  int Close();

 private:
  int fd_ = -1;
};

// The name a DOS-era program would see for a long name: upper case, the
// base (up to the last full stop) cut to 8 characters and the extension to
// 3, every character a DOS name cannot hold replaced by "_". A full stop at
// the start belongs to the base.
void DosShortName(std::string_view name, std::string& base, std::string& extension);

// The file in `folder` named `name` without regard to case: `name` itself
// when it exists as written, else the first matching entry (not a folder)
// in byte order; nullopt when none matches.
std::optional<std::string> FindNameIgnoringCase(const std::string& folder, std::string_view name);

// ASCII case folding, independent of the process locale.
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace torvic::platform
