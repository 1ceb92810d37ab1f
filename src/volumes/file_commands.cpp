#include "volumes/file_commands.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/errors.h"
#include "volumes/filenames.h"

namespace torvic {

namespace {

using platform::FileInfo;

// The largest file append mode makes (a signed 32-bit file size, which
// BASIC programs expect).
constexpr uint64_t kMaxAppendedSize = 2147483647;
constexpr int32_t kRowsPerPage = 24;
constexpr int32_t kWideStep = 20;
constexpr int32_t kLastColumn = 79;

// How a host failure reads as a BASIC error. `fullIsVolumeFull`: COPY,
// MOVE, RENAME and BACKUP say "?Volume full" for a full disk, the others
// "?I/O error".
int32_t HostError(int e, bool fullIsVolumeFull = true) {
  switch (e) {
    case 0: return kOk;
    case ENOENT: return kErrFileNotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP: return kErrInvalidFileName;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:  // the file is the destination itself: the host's sharing violation
    case ETXTBSY:
    case EISDIR:  // a folder, or no plain file, named as a file
    case EINVAL: return kErrAccessDenied;
    case ENOSPC:
    case EDQUOT: return fullIsVolumeFull ? kErrVolumeFull : kErrIoError;
    default: return kErrIoError;
  }
}

bool HasWildcards(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = platform::UpperAscii(c);
  return out;
}

// "VOLUME:NAME" as the messages show it.
std::string Shown(std::string_view volume, std::string_view file) {
  return Upper(volume) + ":" + Upper(file);
}

// A resolved name or pattern, split into what the statements need.
struct Place {
  std::string volume;
  std::string folder;  // the volume's folder, with a trailing "/"
  std::string file;    // a name or a pattern inside it
  bool readOnly = false;
  bool wild = false;
  std::string Path(std::string_view name) const { return folder + std::string(name); }
};

int32_t Locate(VolumeTable& table, std::string_view name, std::string_view extension, Place& out) {
  ResolvedName r;
  if (int32_t e = ResolveFilePattern(table, name, extension, r)) return e;
  out.volume = r.volume;
  out.folder = r.path.substr(0, r.path.size() - r.file.size());
  out.file = r.file;
  out.readOnly = r.readOnly;
  out.wild = HasWildcards(r.file);
  // A single name finds its file whatever the case it is written in.
  if (!out.wild)
    if (auto found = platform::FindNameIgnoringCase(out.folder, out.file)) out.file = *found;
  return kOk;
}

// The plain files matching a place, or "?File not found" when none does.
int32_t Matching(const Place& p, std::vector<FileInfo>& files, bool fullIsVolumeFull = true) {
  files.clear();
  if (int e = platform::ListFiles(p.folder, p.file, files)) return HostError(e, fullIsVolumeFull);
  // In name order, as DOS-style file systems give them, so that
  // the questions come in an order the user can follow.
  platform::SortByName(files);
  return files.empty() ? kErrFileNotFound : kOk;
}

bool Exists(const std::string& path) {
  FileInfo info;
  bool folder = false;
  return platform::Inspect(path, info, &folder) == 0 && !folder;
}

std::string ExistingName(const std::string& folder, const std::string& name) {
  auto found = platform::FindNameIgnoringCase(folder, name);
  return found ? *found : name;
}

void CountLine(FileCommandConsole& console, const FileCommandSwitches& sw, std::string_view text) {
  if (!sw.countLine) return;
  console.EndRow();
  console.Write(text);
  console.NewRow();
}

std::string Counted(int32_t n, std::string_view what) {
  return " " + std::to_string(n) + " file(s) " + std::string(what);
}

struct TransferWords {
  const char* statement;  // COPY
  const char* doing;      // Copying
  const char* done;       // copied
  const char* explains;   // the warning's second sentence
};

constexpr TransferWords kTransferWords[] = {
    {"COPY", "Copying", "copied", "The COPY statement copies the specified file(s)."},
    {"MOVE", "Moving", "moved", "The MOVE statement moves the specified file(s)."},
    {"RENAME", "Renaming", "renamed", "The RENAME statement renames the specified file(s)."},
};

std::string SubstitutePart(std::string_view pattern, std::string_view source) {
  std::string out;
  size_t at = 0;
  for (char c : pattern) {
    if (c == '*') {
      out += source.substr(at);
      at = source.size();
    } else if (c == '?') {
      if (at < source.size()) out += source[at++];
    } else {
      out += c;
      if (at < source.size()) ++at;
    }
  }
  return out;
}

// The transfer of one file; `replace` when the user agreed to replace an
// existing destination.
int TransferOne(TransferKind kind, const std::string& from, const std::string& to, bool replace) {
  switch (kind) {
    case TransferKind::Copy: return platform::CopyFile(from, to);
    case TransferKind::Move: return platform::MoveFile(from, to, replace);
    case TransferKind::Rename: return platform::MoveFile(from, to, false);
  }
  return EINVAL;
}

// One file of COPY, MOVE or RENAME: progress line, question, transfer.
// `agreed` is set to false when the user said No.
int32_t TransferFile(TransferKind kind, const Place& from, const std::string& fromName,
                     const Place& to, const std::string& toName, const FileCommandSwitches& sw,
                     FileCommandConsole& console, bool& agreed) {
  const TransferWords& w = kTransferWords[static_cast<int>(kind)];
  agreed = true;
  if (sw.progress)
    console.Write(std::string(w.doing) + " \"" + Shown(from.volume, fromName) + "\" to \"" +
                  Shown(to.volume, toName) + "\"...");
  const std::string destination = to.Path(toName);
  bool replace = false;
  if (kind != TransferKind::Rename && sw.confirm && Exists(destination)) {
    if (!console.Ask("File \"" + Shown(to.volume, toName) + "\" exists, overwrite?")) {
      agreed = false;
      return kOk;
    }
    replace = true;
  }
  if (int e = TransferOne(kind, from.Path(fromName), destination, replace)) return HostError(e);
  if (sw.progress) console.EndRow();
  return kOk;
}

// Append mode: every matching file, one after another, into one file.
int32_t AppendFiles(TransferKind kind, const Place& from, const Place& to,
                    const FileCommandSwitches& sw, FileCommandConsole& console) {
  const TransferWords& w = kTransferWords[static_cast<int>(kind)];
  const std::string destination = to.Path(to.file);
  if (sw.confirm && Exists(destination) &&
      !console.Ask("File \"" + Shown(to.volume, to.file) + "\" exists, overwrite?"))
    return kOk;
  platform::AppendTarget target;
  if (int e = target.Open(destination)) return HostError(e);
  std::vector<FileInfo> files;
  if (int32_t e = Matching(from, files)) return e;
  uint64_t total = 0;
  int32_t count = 0;
  bool first = true;
  for (const FileInfo& f : files) {
    if (!first && !console.Turn()) return kOk;
    first = false;
    const std::string source = from.Path(f.name);
    if (target.IsSameFile(source)) continue;
    if (sw.progress)
      console.Write(std::string(w.doing) + " (appending) \"" + Shown(from.volume, f.name) +
                    "\" to \"" + Shown(to.volume, to.file) + "\"...");
    uint64_t appended = 0;
    const int e = target.Append(source, kMaxAppendedSize - total, appended);
    total += appended;
    if (e == EFBIG) return kErrMaxFileSize;
    if (e == ENOENT) return kErrIoError;  // its size could not be had: it went away
    if (e) return HostError(e);
    if (kind == TransferKind::Move)
      if (int d = platform::DeleteFile(source)) return HostError(d);
    if (sw.progress) console.EndRow();
    ++count;
  }
  if (int e = target.Close()) return HostError(e);
  CountLine(console, sw, Counted(count, std::string(w.done) + " (appended)"));
  return kOk;
}

}  // namespace

std::string SubstituteWildcards(std::string_view pattern, std::string_view source) {
  const size_t p = pattern.rfind('.'), s = source.rfind('.');
  const std::string_view patternBase = pattern.substr(0, p);
  const std::string_view sourceBase = source.substr(0, s);
  const std::string_view patternExt =
      p == std::string_view::npos ? std::string_view() : pattern.substr(p + 1);
  const std::string_view sourceExt =
      s == std::string_view::npos ? std::string_view() : source.substr(s + 1);
  std::string out = SubstitutePart(patternBase, sourceBase);
  const std::string ext = SubstitutePart(patternExt, sourceExt);
  if (!ext.empty()) out += "." + ext;
  return out;
}

std::string WithThousands(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string CatalogRow(const FileInfo& file) {
  std::string base, ext;
  platform::DosShortName(file.name, base, ext);
  const platform::LocalTime& t = file.lastWrite;
  const unsigned hour = static_cast<unsigned>(t.hour > 12 ? t.hour - 12 : t.hour);
  char row[128];
  std::snprintf(row, sizeof row, "%-8s %-3s %14s %02u/%02u/%u %2u:%02u%s ", base.c_str(),
                ext.c_str(), WithThousands(file.size).c_str(), static_cast<unsigned>(t.month),
                static_cast<unsigned>(t.day), static_cast<unsigned>(t.year), hour,
                static_cast<unsigned>(t.minute), t.hour < 12 ? "am" : "pm");
  return row + file.name;
}

int32_t TransferFiles(VolumeTable& table, TransferKind kind, std::string_view source,
                      std::string_view destination, const FileCommandSwitches& sw,
                      FileCommandConsole& console) {
  const TransferWords& w = kTransferWords[static_cast<int>(kind)];
  Place from, to;
  if (int32_t e = Locate(table, source, kProgramExtension, from)) return e;
  if (int32_t e = Locate(table, destination, kProgramExtension, to)) return e;
  if (to.readOnly) return kErrAccessDenied;
  if (kind != TransferKind::Copy && from.readOnly) return kErrAccessDenied;
  // RENAME changes names inside one folder; moving between folders is MOVE's.
  if (kind == TransferKind::Rename && !platform::EqualIgnoringCase(from.folder, to.folder))
    return kErrCommandError;
  if (!console.Proceed(std::string("Warning: ") + w.statement + " \"" +
                       Shown(from.volume, from.file) + "\" TO \"" + Shown(to.volume, to.file) +
                       "\" is about to be executed.\n\n" + w.explains))
    return kOk;

  bool agreed = true;
  if (!from.wild) {
    const std::string toName =
        to.wild ? ExistingName(to.folder, SubstituteWildcards(to.file, from.file)) : to.file;
    if (int32_t e = TransferFile(kind, from, from.file, to, toName, sw, console, agreed)) return e;
    if (agreed) CountLine(console, sw, Counted(1, w.done));
    return kOk;
  }
  if (!to.wild && kind != TransferKind::Rename) return AppendFiles(kind, from, to, sw, console);

  std::vector<FileInfo> files;
  if (int32_t e = Matching(from, files)) return e;
  int32_t count = 0;
  bool first = true;
  for (const FileInfo& f : files) {
    if (!first && !console.Turn()) return kOk;
    first = false;
    const std::string toName = ExistingName(to.folder, SubstituteWildcards(to.file, f.name));
    if (int32_t e = TransferFile(kind, from, f.name, to, toName, sw, console, agreed)) return e;
    if (agreed) ++count;
  }
  CountLine(console, sw, Counted(count, w.done));
  return kOk;
}

int32_t KillFiles(VolumeTable& table, std::string_view name, const FileCommandSwitches& sw,
                  FileCommandConsole& console) {
  Place p;
  if (int32_t e = Locate(table, name, kProgramExtension, p)) return e;
  if (p.readOnly) return kErrAccessDenied;
  if (!console.Proceed("Warning: KILL \"" + Shown(p.volume, p.file) +
                       "\" is about to be executed.\n\nThe KILL statement deletes the specified "
                       "file(s)."))
    return kOk;
  // One file: false when the user said No, which ends the statement.
  auto killOne = [&](const std::string& file, int32_t& error) {
    error = kOk;
    if (sw.progress) console.Write("Deleting \"" + Shown(p.volume, file) + "\"...");
    const std::string path = p.Path(file);
    if (sw.confirm && Exists(path) &&
        !console.Ask("File \"" + Shown(p.volume, file) + "\" exists, delete?"))
      return false;
    const int e = sw.recycle ? platform::MoveToTrash(path) : platform::DeleteFile(path);
    if (e) {
      error = HostError(e, false);
      return false;
    }
    if (sw.progress) console.EndRow();
    return true;
  };
  int32_t error = kOk;
  if (!p.wild) {
    if (killOne(p.file, error)) CountLine(console, sw, Counted(1, "deleted"));
    return error;
  }
  std::vector<FileInfo> files;
  if (int32_t e = Matching(p, files, false)) return e;
  int32_t count = 0;
  bool first = true;
  for (const FileInfo& f : files) {
    if (!first && !console.Turn()) return kOk;
    first = false;
    if (!killOne(f.name, error)) return error;
    ++count;
  }
  CountLine(console, sw, Counted(count, "deleted"));
  return kOk;
}

int32_t AttribFiles(VolumeTable& table, std::string_view name, int setting,
                    const FileCommandSwitches& sw, FileCommandConsole& console) {
  Place p;
  if (int32_t e = Locate(table, name, kProgramExtension, p)) return e;
  std::vector<FileInfo> files;
  if (p.wild) {
    if (int32_t e = Matching(p, files, false)) return e;
  } else {
    FileInfo info;
    bool folder = false;
    if (int e = platform::Inspect(p.Path(p.file), info, &folder)) return HostError(e, false);
    if (folder) return kErrFileNotFound;
    info.name = p.file;
    files.push_back(info);
  }
  int32_t count = 0;
  for (const FileInfo& f : files) {
    if (count > 0 && !console.Turn()) return kOk;
    if (setting == 0) {
      console.EndRow();
      console.Write(std::string(f.readOnly ? "R" : "-") + "  " + Upper(p.volume) + ":" + f.name);
      console.NewRow();
    } else {
      if (sw.progress) console.Write("Modifying \"" + Shown(p.volume, f.name) + "\"...");
      if (int e = platform::SetReadOnly(p.Path(f.name), setting == 1)) return HostError(e, false);
      if (sw.progress) console.EndRow();
    }
    ++count;
  }
  if (setting == 0) {
    if (p.wild) {
      console.Write(" " + std::to_string(count) + " file(s)");
      console.NewRow();
    }
  } else {
    CountLine(console, sw, Counted(count, "modified"));
  }
  return kOk;
}

namespace {

// A bare volume name of BACKUP and VOLINI.
int32_t FindBareVolume(VolumeTable& table, std::string_view name, const Volume*& out) {
  if (!IsVolumeName(name)) return kErrInvalidVolume;
  out = table.FindVolume(name);
  if (!out) return kErrVolumeDoesNotExist;
  // An empty listing of a folder that is gone would pass for success.
  if (!table.FolderExists(out->folder)) return kErrFolderGone;
  return kOk;
}

std::string FolderOf(const Volume& v) {
  return v.folder.empty() || v.folder.back() != '/' ? v.folder + "/" : v.folder;
}

}  // namespace

int32_t BackupVolume(VolumeTable& table, std::string_view source, std::string_view destination,
                     const FileCommandSwitches& sw, FileCommandConsole& console) {
  const Volume *from = nullptr, *to = nullptr;
  if (int32_t e = FindBareVolume(table, source, from)) return e;
  if (int32_t e = FindBareVolume(table, destination, to)) return e;
  if (from == to || from->folder == to->folder) return kErrCommandError;
  if (to->readOnly) return kErrAccessDenied;
  const std::string fromName = from->name, toName = to->name;
  const std::string fromFolder = FolderOf(*from), toFolder = FolderOf(*to);
  if (sw.confirm &&
      !console.Ask("Backup volume \"" + fromName + "\" to volume \"" + toName + "\"?"))
    return kOk;
  if (!console.Proceed("Warning: BACKUP \"" + fromName + "\" TO \"" + toName +
                       "\" is about to be executed.\n\nThe BACKUP statement copies files from "
                       "one volume to another."))
    return kOk;
  std::vector<FileInfo> files;
  if (int e = platform::ListFiles(fromFolder, "*", files)) return HostError(e);
  bool first = true;
  for (const FileInfo& f : files) {
    if (!first && !console.Turn()) return kOk;
    first = false;
    const int e = platform::CopyFile(fromFolder + f.name, toFolder + f.name);
    if (e == ENOENT) continue;  // gone since the listing
    if (e) return HostError(e);
  }
  return kOk;
}

int32_t InitializeVolume(VolumeTable& table, std::string_view volume, const FileCommandSwitches& sw,
                         FileCommandConsole& console) {
  const Volume* v = nullptr;
  if (int32_t e = FindBareVolume(table, volume, v)) return e;
  if (v->readOnly) return kErrAccessDenied;
  const std::string name = v->name, folder = FolderOf(*v);
  if (sw.confirm && !console.Ask("Initialize volume \"" + name + "\"?")) return kOk;
  if (!console.Proceed("Warning: VOLINI \"" + name +
                       "\" is about to be executed.\n\nThe VOLINI statement deletes all files "
                       "from the specified volume."))
    return kOk;
  auto mapped = [](int e) {
    switch (HostError(e, false)) {
      case kErrInvalidFileName: return kErrInvalidVolume;
      case kErrAccessDenied: return kErrAccessDenied;
      default: return kErrIoError;
    }
  };
  std::vector<FileInfo> files;
  if (int e = platform::ListFiles(folder, "*", files)) return mapped(e);
  bool first = true;
  for (const FileInfo& f : files) {
    if (!first && !console.Turn()) return kOk;
    first = false;
    const int e = platform::DeleteFile(folder + f.name);
    if (e == ENOENT) continue;
    if (e) return mapped(e);
  }
  return kOk;
}

int32_t ListCatalog(VolumeTable& table, std::optional<std::string_view> pattern,
                    const CatalogOptions& options, FileCommandConsole& console) {
  Place p;
  if (int32_t e = Locate(table, pattern.value_or(std::string_view()), "", p)) return e;
  console.EndRow();
  console.Write("Volume: " + p.volume);
  console.NewRow();
  std::vector<FileInfo> files;
  if (int e = platform::ListFiles(p.folder, p.file, files); e && e != ENOENT)
    return HostError(e, false);
  if (options.sorted) platform::SortByName(files);

  int32_t rows = 0;
  // A new row of the listing, with the page pause before the 25th.
  auto nextRow = [&]() {
    console.NewRow();
    if (++rows == kRowsPerPage && options.paged) {
      rows = 0;
      return console.PageBreak();
    }
    return true;
  };
  uint64_t bytes = 0;
  bool first = true;
  for (const FileInfo& f : files) {
    if (!first && !console.Turn()) return kOk;
    first = false;
    bytes += f.size;
    if (!options.wide) {
      console.Write(CatalogRow(f));
      if (!nextRow()) return kOk;
      continue;
    }
    const int32_t length = static_cast<int32_t>(f.name.size());
    if (console.Column() > 0 && console.Column() + length > kLastColumn + 1 && !nextRow())
      return kOk;
    console.Write(f.name);
    const int32_t next = (console.Column() / kWideStep + 1) * kWideStep;
    if (next > kLastColumn) {
      if (console.Column() > 0 && !nextRow()) return kOk;
    } else {
      console.PadToColumn(next);
    }
  }
  console.EndRow();
  if (files.empty()) {
    console.Write(" No file(s) found");
  } else {
    console.Write(" " + std::to_string(files.size()) + " file(s)  " + WithThousands(bytes) +
                  " byte(s)");
  }
  console.NewRow();
  if (options.paged) console.PageBreak();
  return kOk;
}

}  // namespace torvic
