// The statements that move a whole file at once: DLOAD (a file into a
// string variable), DSAVE (a string into a file) and DUMP/TYPE (a file
// shown on the screen as text or as a dump). Operand layouts:
// CompileDload and CompileTwoNames in frontend/compile_files.cpp,
// CompileDump in frontend/compile_program.cpp.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/datafiles.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "platform/file_system.h"
#include "platform/host_file.h"
#include "volumes/filenames.h"

namespace torvic {

namespace {

// Opens an existing file for reading as INPUT does (others may read, not
// write) and checks its size: unreadable "?I/O error", 2 GiB or more
// "?Maximum file size exceeded".
int32_t OpenForReading(const std::string& path, platform::HostFile& file, int64_t& size) {
  using platform::HostFile;
  if (int e = file.Open(path, HostFile::Access::Read, false, false, HostFile::Lock::Shared))
    return MapOpenError(e);
  if (file.Size(size) != 0) return kErrIoError;
  if (size > kMaxDataFileSize) return kErrMaxFileSize;
  return 0;
}

// "VOLUME:NAME" of a resolved name, as the questions and warnings show it.
std::string Shown(const ResolvedName& name) { return name.volume + ":" + name.file; }

// The rows of DUMP and TYPE, with the paged output's "More..." every 24
// rows (settings address 53904). False when a break (or declining the
// prompt) ends the listing.
class DumpPager {
 public:
  static constexpr int32_t kRowsPerPage = 24;
  static constexpr std::string_view kMorePrompt = "More...";

  explicit DumpPager(Interpreter& in) : in_(in), paged_(in.Memory().PagedDump()) {}
  bool Paged() const { return paged_; }

  // Before a row is started.
  bool RowStarts() {
    if (!paged_ || rows_ < kRowsPerPage) return true;
    rows_ = 0;
    ConsoleScreen& screen = in_.Screen();
    const int32_t column = screen.Column(), row = screen.Row();
    if (!in_.WaitMore()) return false;
    screen.EraseCells({0, kScreenRows - 1, static_cast<int32_t>(kMorePrompt.size()), kScreenRows});
    screen.SetCursor(column, row);
    return true;
  }
  void RowEnded() { ++rows_; }
  void PageCleared() { rows_ = 0; }

 private:
  Interpreter& in_;
  bool paged_;
  int32_t rows_ = 0;
};

// A window turn between characters or rows; false once a stop came.
bool Turn(Interpreter& in) {
  in.PumpOnce();
  return in.Reason() == StopReason::None;
}

// DUMP ..., A and TYPE: the file as text. CR (with a LF after it) and LF
// end a line; with paged output backspace and form feed act, otherwise
// they are shown as their glyphs.
void ShowText(Interpreter& in, platform::HostFile& file, int64_t size) {
  ConsoleScreen& screen = in.Screen();
  DumpPager pager(in);
  std::vector<uint8_t> block(4096);
  bool afterCr = false, rowOpen = false;
  for (int64_t at = 0; at < size;) {
    size_t got;
    if (file.ReadAt(at, block.data(), block.size(), got) != 0 || got == 0) return;
    at += static_cast<int64_t>(got);
    for (size_t i = 0; i < got; ++i) {
      const uint8_t c = block[i];
      if (c == 10 && afterCr) {
        afterCr = false;
        continue;
      }
      afterCr = c == 13;
      if (!rowOpen) {
        if (!pager.RowStarts()) return;
        rowOpen = true;
      }
      if (c == 13 || c == 10) {
        screen.NewLine();
        pager.RowEnded();
        rowOpen = false;
      } else if ((c == 8 || c == 12) && !pager.Paged()) {
        screen.WriteRaw(&c, 1);
      } else {
        screen.PutChar(c);
        if (c == 12) {
          pager.PageCleared();
        } else if (screen.Column() == 0 && c != 8) {
          pager.RowEnded();  // the row wrapped
          rowOpen = false;
        }
      }
      if (!Turn(in)) return;
    }
  }
  if (screen.Column() != 0) screen.NewLine();
}

// The dump forms: the offset, the bytes in a base, then the bytes as
// characters (codes below 32 and above 126 as ".").
struct DumpForm {
  int perRow;           // bytes per row
  int groupAfter;       // an extra blank after this many bytes
  const char* offset;   // the offset's format
  const char* byte;     // one byte's format
  const char* missing;  // in place of a byte past the end
};
constexpr DumpForm kDecimal{10, 5, "%010u  ", "%3u ", "    "};
constexpr DumpForm kHexadecimal{16, 8, "%08X  ", "%02X ", "   "};
constexpr DumpForm kOctal{8, 4, "%011o  ", "%03o ", "    "};

void ShowDump(Interpreter& in, platform::HostFile& file, int64_t size, const DumpForm& form) {
  ConsoleScreen& screen = in.Screen();
  DumpPager pager(in);
  std::vector<uint8_t> bytes(static_cast<size_t>(form.perRow));
  char piece[24];
  for (int64_t at = 0; at < size; at += form.perRow) {
    size_t got;
    if (file.ReadAt(at, bytes.data(), bytes.size(), got) != 0 || got == 0) return;
    if (!pager.RowStarts()) return;
    std::string row;
    std::snprintf(piece, sizeof piece, form.offset, static_cast<unsigned>(at));
    row += piece;
    for (int i = 0; i < form.perRow; ++i) {
      if (static_cast<size_t>(i) < got) {
        std::snprintf(piece, sizeof piece, form.byte, static_cast<unsigned>(bytes[i]));
        row += piece;
      } else {
        row += form.missing;
      }
      if (i + 1 == form.groupAfter) row += ' ';
    }
    row += ' ';
    for (size_t i = 0; i < got; ++i)
      row += bytes[i] < 32 || bytes[i] > 126 ? '.' : static_cast<char>(bytes[i]);
    screen.WriteRaw(row);
    screen.NewLine();
    pager.RowEnded();
    if (!Turn(in)) return;
  }
}

}  // namespace

namespace handlers {

// DLOAD name$, target$: the whole file (at most 65535 bytes) into a string
// variable or string array element.
int32_t Dload(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString name;
  if (int32_t r = ops.String(name)) return r;
  ResolvedRef ref;
  if (int32_t r = ops.Target(ref)) return r;
  if (ops.Stopped()) return 0;
  if (ref.code != item::kStringScalar && ref.code != item::kStringElement) return kErrInternalError;
  ResolvedName resolved;
  if (int32_t r = ResolveFileName(in.Volumes(), name.View(), kDataExtension, resolved)) return r;
  if (int32_t r = CheckReadAccess(resolved.path)) return r;
  platform::HostFile file;
  int64_t size;
  if (int32_t r = OpenForReading(resolved.path, file, size)) return r;
  if (size > CBasicString::kMaxLength) return kErrStringTooLong;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  size_t got;
  if (file.ReadAt(0, bytes.data(), bytes.size(), got) != 0) return kErrIoError;
  // A FIELD variable takes a value of its own: its definition goes.
  if (ref.code == item::kStringScalar) in.Files().ForgetField(ref.name);
  ref.slot.str->Assign(bytes.data(), static_cast<int32_t>(got));
  return ops.Done(offset);
}

// DSAVE name$, s$: the string's bytes as the whole file, through a
// temporary file renamed over the old one, so that a failure leaves the
// old file as it was.
int32_t Dsave(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (!in.Memory().SaveEnabled()) {
    offset = in.Position().PayloadEnd();
    return 0;
  }
  OperandReader ops(in, code, offset);
  CBasicString name, text;
  if (int32_t r = ops.String(name)) return r;
  if (int32_t r = ops.String(text)) return r;
  if (ops.Stopped()) return 0;
  VolumeTable& volumes = in.Volumes();
  std::string volumeName;
  if (!VolumeOfName(volumes, name.View(), volumeName)) {
    return volumes.DefaultVolume() ? kErrInvalidVolume : kErrVolumeDoesNotExist;
  }
  const Volume* volume = volumes.FindVolume(volumeName);
  if (!volume) return kErrVolumeDoesNotExist;
  if (volume->readOnly) return kErrAccessDenied;
  ResolvedName resolved;
  if (int32_t r = ResolveFileName(volumes, name.View(), kDataExtension, resolved)) return r;

  platform::FileInfo info;
  bool isFolder = false;
  const bool exists = platform::Inspect(resolved.path, info, &isFolder) == 0;
  if (exists && !in.Running() && in.Memory().Confirm() &&
      !in.Entry().AskYesNo("File \"" + Shown(resolved) + "\" exists, overwrite?"))
    return ops.Done(offset);
  switch (SecureWarning(in,
                        "Warning: DSAVE \"" + Shown(resolved) +
                            "\" is about to be executed.\n\nThe DSAVE statement saves a string "
                            "to a file.",
                        offset)) {
    case SecureAnswer::Go: break;
    case SecureAnswer::Skip: return ops.Done(offset);
    case SecureAnswer::Stopped: return 0;
  }
  if (exists) {
    // A folder, a read-only file, or a file some opener holds (a data file
    // open for writing, here or elsewhere) is not replaced.
    if (isFolder || info.readOnly) return kErrAccessDenied;
    platform::HostFile old;
    using platform::HostFile;
    if (int e = old.Open(resolved.path, HostFile::Access::Read, false, false,
                         HostFile::Lock::Exclusive))
      return MapOpenError(e);
  }
  platform::ReplacementFile file(resolved.path);
  if (int e = file.Create()) return MapOpenError(e);
  if (int e = file.Write(text.Data(), static_cast<size_t>(text.Length()))) return MapWriteError(e);
  if (int e = file.Commit()) return MapWriteError(e);
  return ops.Done(offset);
}

// DUMP name$ [, A | D | O]; TYPE name$: immediate mode only.
int32_t Dump(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  OperandReader ops(in, code, offset);
  CBasicString name;
  uint8_t mode;
  if (int32_t r = ops.String(name)) return r;
  if (int32_t r = ops.Byte(mode)) return r;
  if (ops.Stopped()) return 0;
  if (mode > 3) return kErrInternalError;
  ResolvedName resolved;
  if (int32_t r = ResolveFileName(in.Volumes(), name.View(), "", resolved)) return r;
  platform::HostFile file;
  int64_t size;
  if (int32_t r = OpenForReading(resolved.path, file, size)) return r;
  ConsoleScreen& screen = in.Screen();
  if (screen.Column() != 0) screen.NewLine();
  switch (mode) {
    case 0: ShowText(in, file, size); break;
    case 1: ShowDump(in, file, size, kDecimal); break;
    case 2: ShowDump(in, file, size, kHexadecimal); break;
    default: ShowDump(in, file, size, kOctal); break;
  }
  if (in.Reason() != StopReason::None) return 0;
  return ops.Done(offset);
}

}  // namespace handlers

}  // namespace torvic
