#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace torvic::platform {

namespace {

// A directory stream closed on every road out.
class Directory {
 public:
  explicit Directory(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~Directory() {
    if (dir_) ::closedir(dir_);
  }
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

std::string Join(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

LocalTime ToLocalTime(const struct timespec& when) {
  LocalTime t;
  std::tm tm{};
  const time_t seconds = when.tv_sec;
  if (!::localtime_r(&seconds, &tm)) return t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.dayOfWeek = tm.tm_wday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = static_cast<int>(when.tv_nsec / 1000000);
  return t;
}

void FillInfo(const struct stat& st, FileInfo& info) {
  info.size = static_cast<uint64_t>(st.st_size);
  info.lastWrite = ToLocalTime(st.st_mtim);
  info.readOnly = (st.st_mode & S_IWUSR) == 0;
}

// The pattern matcher proper: "*" any run, "?" one character, the rest
// without regard to case.
bool Wildcard(std::string_view name, std::string_view pattern) {
  size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The home folder: $HOME, else the password database's.
std::string HomeFolder(const std::function<const char*(const char*)>& getenv) {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  const struct passwd* user = ::getpwuid(::getuid());
  return user && user->pw_dir ? std::string(user->pw_dir) : std::string();
}

// XDG_DOCUMENTS_DIR from a user-dirs.dirs file: a line
// XDG_DOCUMENTS_DIR="$HOME/Documents" (or an absolute path).
std::string DocumentsFromUserDirs(const std::string& file, const std::string& home) {
  std::FILE* in = std::fopen(file.c_str(), "r");
  if (!in) return {};
  std::string found;
  char line[4096];
  while (std::fgets(line, sizeof line, in)) {
    std::string_view s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    if (!s.starts_with(kKey)) continue;
    s.remove_prefix(kKey.size());
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    constexpr std::string_view kHome = "$HOME";
    if (s.starts_with(kHome) && (s.size() == kHome.size() || s[kHome.size()] == '/')) {
      if (home.empty()) continue;
      found = home + std::string(s.substr(kHome.size()));
    } else if (s.starts_with("/")) {
      found = std::string(s);
    }
  }
  std::fclose(in);
  return found;
}

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

bool FolderExists(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno != ENOENT && errno != ENOTDIR;
  return S_ISDIR(st.st_mode);
}

bool FolderWritable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::optional<std::string> FullPath(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(path), ec);
  if (ec) return std::nullopt;
  std::string s = full.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  if (s.empty() || s.front() != '/') return std::nullopt;
  return s;
}

int FreeSpace(const std::string& path, uint64_t& bytes) {
  struct statvfs fs;
  if (::statvfs(path.c_str(), &fs) != 0) return errno;
  bytes = static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
  return 0;
}

std::string ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  std::string folder = exe.parent_path().string();
  return folder.empty() ? std::string("/") : folder;
}

std::string DocumentsFolder(const std::function<const char*(const char*)>& getenv) {
  if (const char* dir = getenv("XDG_DOCUMENTS_DIR"); dir && *dir == '/') return dir;
  const std::string home = HomeFolder(getenv);
  const char* config = getenv("XDG_CONFIG_HOME");
  const std::string configFolder =
      config && *config == '/' ? std::string(config) : (home.empty() ? "" : home + "/.config");
  if (!configFolder.empty()) {
    std::string found = DocumentsFromUserDirs(configFolder + "/user-dirs.dirs", home);
    if (!found.empty()) return found;
  }
  return home.empty() ? std::string() : home + "/Documents";
}

std::string ConfigurationFolder(const std::function<const char*(const char*)>& getenv) {
  if (const char* config = getenv("XDG_CONFIG_HOME"); config && *config == '/')
    return std::string(config) + "/Quellorix";
  const std::string home = HomeFolder(getenv);
  return home.empty() ? std::string() : home + "/.config/Quellorix";
}

int Inspect(const std::string& path, FileInfo& info, bool* isFolder) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno;
  const size_t slash = path.rfind('/');
  info.name = slash == std::string::npos ? path : path.substr(slash + 1);
  FillInfo(st, info);
  if (isFolder) *isFolder = S_ISDIR(st.st_mode);
  return 0;
}

int SetReadOnly(const std::string& path, bool readOnly) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno;
  const mode_t mode = readOnly ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
  if (::chmod(path.c_str(), mode & 07777) != 0) return errno;
  return 0;
}

namespace {

// A descriptor closed on every road out.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  // Closes now, reporting what closing found (a write the disk refused).
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_;
};

// Writes all of `data`; an errno on failure.
int WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

mode_t CreationMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

int ReplaceFile(const std::string& path, const void* data, size_t size) {
  // A write past the process's file-size limit must fail with EFBIG, not
  // end the process (and the program in memory with it).
  static const bool fileSizeSignalIgnored = [] {
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)fileSizeSignalIgnored;

  std::string target = path;
  struct stat st;
  bool exists = ::lstat(target.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
    if (!ec) target = resolved.string();
    exists = ::stat(target.c_str(), &st) == 0;
  }
  mode_t mode = CreationMode();
  if (exists) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) return EACCES;
    // The read-only attribute (the owner's write bit) protects the file
    // from root as well; otherwise the host decides.
    if ((st.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0) return EACCES;
    mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return errno;
  }
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "./" : target.substr(0, slash + 1);
  std::string temporary = folder + ".torvic-save-XXXXXX";
  Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) return errno;
  int error = WriteAll(fd.get(), data, size);
  if (!error && ::fchmod(fd.get(), mode) != 0) error = errno;
  if (!error && ::fsync(fd.get()) != 0) error = errno;
  if (!error) error = fd.Close();
  if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temporary.c_str());
    return error;
  }
  // The new name on the disk too; a failure here loses nothing.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return 0;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  const bool hasDot = name.find('.') != std::string_view::npos;
  if (pattern.size() >= 2 && pattern.ends_with(".*")) {
    if (Wildcard(name, pattern)) return true;
    return !hasDot && Wildcard(name, pattern.substr(0, pattern.size() - 2));
  }
  if (!pattern.empty() && pattern.back() == '.')
    return !hasDot && Wildcard(name, pattern.substr(0, pattern.size() - 1));
  return Wildcard(name, pattern);
}

int ListFiles(const std::string& folder, std::string_view pattern, std::vector<FileInfo>& out) {
  Directory dir(folder);
  if (!dir.get()) return errno;
  const int fd = ::dirfd(dir.get());
  for (;;) {
    errno = 0;
    const struct dirent* entry = ::readdir(dir.get());
    if (!entry) {
      if (errno != 0) return errno;
      break;
    }
    const std::string_view name(entry->d_name);
    if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
    struct stat st;
    // A file that vanished between the listing and the look is passed over.
    if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    FileInfo info;
    info.name = std::string(name);
    FillInfo(st, info);
    out.push_back(std::move(info));
  }
  return 0;
}

void SortByName(std::vector<FileInfo>& files) {
  std::stable_sort(files.begin(), files.end(), [](const FileInfo& a, const FileInfo& b) {
    const size_t n = std::min(a.name.size(), b.name.size());
    for (size_t i = 0; i < n; ++i) {
      const unsigned char x = static_cast<unsigned char>(UpperAscii(a.name[i]));
      const unsigned char y = static_cast<unsigned char>(UpperAscii(b.name[i]));
      if (x != y) return x < y;
    }
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;
  });
}

namespace {

// Opens a plain file for reading; its facts in `st`.
int OpenSource(const std::string& path, Descriptor& fd, struct stat& st) {
  // Without waiting: a pipe named as a source must not hang the statement.
  const int raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (raw < 0) return errno;
  fd.Reset(raw);
  if (::fstat(raw, &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return EINVAL;
  return 0;
}

TrashHandler trashHandler = nullptr;

bool IsDosCharacter(unsigned char c) {
  if (c >= 128) return true;
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'()-@^_`{}~").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string DosPart(std::string_view part, size_t most) {
  std::string out;
  for (char c : part.substr(0, most)) {
    const char u = UpperAscii(c);
    out += IsDosCharacter(static_cast<unsigned char>(u)) ? u : '_';
  }
  return out;
}

}  // namespace

int CopyFile(const std::string& from, const std::string& to) {
  Descriptor source;
  struct stat st;
  if (int e = OpenSource(from, source, st)) return e;
  struct stat existing;
  if (::stat(to.c_str(), &existing) == 0) {
    // Truncating the destination would empty the source itself.
    if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) return EBUSY;
    if (S_ISDIR(existing.st_mode)) return EISDIR;
    if ((existing.st_mode & S_IWUSR) == 0) return EACCES;  // the read-only attribute
  }
  const int raw = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
  if (raw < 0) return errno;
  Descriptor destination(raw);
  int error = 0;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(source.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    if (n == 0) break;
    if ((error = WriteAll(raw, buffer, static_cast<size_t>(n))) != 0) break;
  }
  if (error == 0) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(raw, times);  // a file system without times still has the copy
    error = destination.Close();
  }
  if (error != 0) {
    destination.Close();
    ::unlink(to.c_str());
  }
  return error;
}

int MoveFile(const std::string& from, const std::string& to, bool replace) {
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return errno;
  struct stat existing;
  if (!replace && ::lstat(to.c_str(), &existing) == 0 &&
      !(existing.st_dev == st.st_dev && existing.st_ino == st.st_ino))
    return EEXIST;
  if (replace && ::lstat(to.c_str(), &existing) == 0 && (existing.st_mode & S_IWUSR) == 0 &&
      !S_ISLNK(existing.st_mode))
    return EACCES;  // the read-only attribute protects the destination
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  if (errno != EXDEV) return errno;
  if (int e = CopyFile(from, to)) return e;
  if (::unlink(from.c_str()) != 0) {
    const int e = errno;
    ::unlink(to.c_str());  // one file, not two
    return e;
  }
  return 0;
}

int DeleteFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if ((st.st_mode & S_IWUSR) == 0) return EACCES;
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

void SetTrashHandler(TrashHandler handler) { trashHandler = handler; }

int MoveToTrash(const std::string& path) {
  if (!trashHandler) return ENOSYS;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  return trashHandler(path);
}

int CheckAccess(const std::string& path, bool read, bool write) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return errno;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  // The read-only attribute refuses writing even to the superuser.
  if (write && (st.st_mode & S_IWUSR) == 0) return EACCES;
  const int mode = (read ? R_OK : 0) | (write ? W_OK : 0);
  return ::access(path.c_str(), mode == 0 ? F_OK : mode) == 0 ? 0 : errno;
}

AppendTarget::~AppendTarget() { Close(); }

int AppendTarget::Open(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd_ < 0 ? errno : 0;
}

int AppendTarget::Append(const std::string& from, uint64_t room, uint64_t& appended) {
  appended = 0;
  Descriptor source;
  struct stat st;
  if (int e = OpenSource(from, source, st)) return e;
  char block[kBlock];
  for (;;) {
    const ssize_t n = ::read(source.get(), block, sizeof block);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    const uint64_t fits = std::min<uint64_t>(static_cast<uint64_t>(n), room - appended);
    if (int e = WriteAll(fd_, block, static_cast<size_t>(fits))) return e;
    appended += fits;
    if (fits < static_cast<uint64_t>(n)) return EFBIG;
  }
}

bool AppendTarget::IsSameFile(const std::string& path) const {
  struct stat mine, other;
  return fd_ >= 0 && ::fstat(fd_, &mine) == 0 && ::stat(path.c_str(), &other) == 0 &&
         mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

int AppendTarget::Close() {
  if (fd_ < 0) return 0;
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0 ? 0 : errno;
}

void DosShortName(std::string_view name, std::string& base, std::string& extension) {
  const size_t stop = name.rfind('.');
  if (stop == std::string_view::npos || stop == 0) {
    base = DosPart(name, 8);
    extension.clear();
  } else {
    base = DosPart(name.substr(0, stop), 8);
    extension = DosPart(name.substr(stop + 1), 3);
  }
}

std::optional<std::string> FindNameIgnoringCase(const std::string& folder, std::string_view name) {
  const std::string exact = Join(folder, name);
  struct stat st;
  if (::lstat(exact.c_str(), &st) == 0) return std::string(name);
  Directory dir(folder);
  if (!dir.get()) return std::nullopt;
  const int fd = ::dirfd(dir.get());
  std::optional<std::string> best;
  while (const struct dirent* entry = ::readdir(dir.get())) {
    const std::string_view candidate(entry->d_name);
    if (!EqualIgnoringCase(candidate, name) || (best && candidate >= *best)) continue;
    if (::fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) continue;
    best = std::string(candidate);
  }
  return best;
}

}  // namespace torvic::platform
