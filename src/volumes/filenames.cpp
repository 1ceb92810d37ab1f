#include "volumes/filenames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/errors.h"
#include "platform/file_system.h"

namespace torvic {

namespace {

// The longest name of one folder entry the host accepts.
constexpr size_t kMaxEntryName = 255;

constexpr std::string_view kReserved[] = {
    "CON",  "PRN",  "AUX",  "CLOCK$", "NUL",  "COM1", "COM2", "COM3",
    "COM4", "COM5", "COM6", "COM7",   "COM8", "COM9", "LPT1", "LPT2",
    "LPT3", "LPT4", "LPT5", "LPT6",   "LPT7", "LPT8", "LPT9",
};

bool IsReserved(std::string_view base) {
  return std::find(std::begin(kReserved), std::end(kReserved), base) != std::end(kReserved);
}

bool IsAllowed(char c, bool pattern) {
  const unsigned char u = static_cast<unsigned char>(c);
  if (u < 32) return false;
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '/':
    case '\\':
    case '|': return false;
    case '*':
    case '?': return pattern;
    default: return true;
  }
}

bool AllAllowed(std::string_view s, bool pattern) {
  return std::all_of(s.begin(), s.end(), [&](char c) { return IsAllowed(c, pattern); });
}

// A folder entry that is the folder itself or its parent.
bool IsDotName(std::string_view entry) { return entry == "." || entry == ".."; }

// The name split as the rules read it.
struct NameSplit {
  bool hasColon = false;
  std::string_view volume;     // before the first colon
  std::string_view name;       // NAME: after it (or everything)
  std::string_view base;       // NAME up to its last full stop
  std::string_view extension;  // after the last full stop
  bool endsWithStop = false;   // NAME ends with its last full stop
};

NameSplit Split(std::string_view text) {
  NameSplit s;
  const size_t colon = text.find(':');
  s.hasColon = colon != std::string_view::npos;
  if (s.hasColon) {
    s.volume = text.substr(0, colon);
    s.name = text.substr(colon + 1);
  } else {
    s.name = text;
  }
  const size_t stop = s.name.rfind('.');
  if (stop == std::string_view::npos) {
    s.base = s.name;
  } else {
    s.base = s.name.substr(0, stop);
    s.extension = s.name.substr(stop + 1);
    s.endsWithStop = s.extension.empty();
  }
  return s;
}

int32_t Resolve(VolumeTable& table, std::string_view text, std::string_view defaultExtension,
                bool pattern, ResolvedName& out) {
  out = ResolvedName();
  if (text.find('\0') != std::string_view::npos) return kErrInvalidFileName;
  const NameSplit s = Split(text);
  const Volume* volume;
  if (s.hasColon && !s.volume.empty()) {
    if (!IsVolumeName(s.volume)) return kErrInvalidVolume;
    volume = table.FindVolume(s.volume);
  } else {
    volume = table.DefaultVolume();
  }
  if (!volume) return kErrVolumeDoesNotExist;
  std::string path = volume->folder;
  if (path.empty() || path.back() != '/') path += '/';
  if (!table.FolderExists(volume->folder)) return kErrFolderGone;
  out.volume = volume->name;
  out.readOnly = volume->readOnly;
  const size_t folderLength = path.size();

  if (s.name.empty()) {
    if (!pattern) return kErrInvalidFileName;
    out.file = "*.*";
    out.path = path + out.file;
    return kOk;
  }
  if (s.base.size() > kMaxNamePart || path.size() + s.base.size() >= kMaxHostPath + 1 ||
      !AllAllowed(s.base, pattern) || IsReserved(UpperVolumeName(s.base)))
    return kErrInvalidFileName;
  path += s.base;
  if (!s.extension.empty()) {
    if (s.extension.size() > kMaxNamePart || path.size() + 1 + s.extension.size() > kMaxHostPath ||
        !AllAllowed(s.extension, pattern))
      return kErrInvalidFileName;
    path += '.';
    path += s.extension;
  } else {
    if (s.base.empty()) return kErrInvalidFileName;
    if (s.endsWithStop) {
      // An explicit "no extension": the host opens the name without the
      // full stop. A pattern with wildcards keeps it, as the request for
      // names without an extension (platform::MatchesPattern).
      if (pattern && s.base.find_first_of("*?") != std::string_view::npos) {
        if (path.size() + 1 > kMaxHostPath) return kErrInvalidFileName;
        path += '.';
      }
    } else if (!defaultExtension.empty()) {
      // The callers' extensions obey the rules of a written one as well.
      if (path.size() + 1 + defaultExtension.size() > kMaxHostPath ||
          !AllAllowed(defaultExtension, false) ||
          defaultExtension.find('.') != std::string_view::npos)
        return kErrInvalidFileName;
      path += '.';
      path += defaultExtension;
    }
  }
  out.file = path.substr(folderLength);
  if (out.file.size() > kMaxEntryName || IsDotName(out.file) ||
      (s.endsWithStop && IsDotName(s.base)))
    return kErrInvalidFileName;
  if (!pattern) {
    const std::string folder = path.substr(0, folderLength);
    if (const auto found = platform::FindNameIgnoringCase(folder, out.file)) out.file = *found;
    path.resize(folderLength);
    path += out.file;
  }
  out.path = std::move(path);
  return kOk;
}

}  // namespace

int32_t ResolveFileName(VolumeTable& table, std::string_view name,
                        std::string_view defaultExtension, ResolvedName& out) {
  return Resolve(table, name, defaultExtension, false, out);
}

int32_t ResolveFilePattern(VolumeTable& table, std::string_view name,
                           std::string_view defaultExtension, ResolvedName& out) {
  return Resolve(table, name, defaultExtension, true, out);
}

bool IsValidFileName(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return false;
  const NameSplit s = Split(text);
  if (s.hasColon && !s.volume.empty() && !IsVolumeName(s.volume)) return false;
  if (s.name.empty()) return false;
  // ".." and "..." would name the folder itself or its parent.
  if (s.base.size() > kMaxHostPath || !AllAllowed(s.base, false) || IsReserved(s.base) ||
      (s.endsWithStop && IsDotName(s.base)))
    return false;
  return s.extension.size() <= kMaxHostPath && AllAllowed(s.extension, false);
}

bool VolumeOfName(VolumeTable& table, std::string_view name, std::string& volume) {
  const NameSplit s = Split(name);
  if (s.hasColon && !s.volume.empty()) {
    if (!IsVolumeName(s.volume)) return false;
    volume = std::string(s.volume);
    return true;
  }
  const Volume* v = table.DefaultVolume();
  if (!v) return false;
  volume = v->name;
  return true;
}

int32_t CheckReadAccess(const std::string& hostPath) {
  // Without waiting: a FIFO with no writer would otherwise hold the
  // statement for ever.
  const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    struct stat st;
    const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    // A folder is no file to read.
    return folder ? kErrAccessDenied : kOk;
  }
  switch (errno) {
    case EACCES:
    case EPERM:
    case EISDIR: return kErrAccessDenied;
    case ENOENT: return kErrFileNotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
    case EBADF: return kErrInvalidFileName;
    case EINVAL:
    case EIO: return kErrIoError;
    default: return kOk;
  }
}

}  // namespace torvic
