// The statements of the data files: OPEN, CLOSE, RESET, ABORT, FIELD, LSET,
// RSET, GET #, PUT #, INSERT #, DELETE #, SEEK, REWIND, TRUNCATE, KILL #,
// REOPEN, UNLOAD, WRITE, and the echo file's ATTACH, DETACH and CMD. The
// operand layouts are the compile routines' (frontend/compile_files.cpp,
// CompileCmd and the argument patterns in compile_console.cpp).
//
// File numbers and record numbers are rounded half up and range-checked
// before anything changes ("?Command error"). A stop reason that appears
// while an argument is evaluated ends the statement without its effect.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/datafiles.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "expr/number_format.h"
#include "expr/numeric_rules.h"
#include "platform/file_system.h"
#include "volumes/filenames.h"

namespace torvic {

namespace {

constexpr int32_t kMaxOpenLength = 32768;    // OPEN ... LEN = 1..32768
constexpr int32_t kMaxShortLength = 32767;   // OPEN mode$, #n, name$, 1..32767
constexpr int32_t kShortRandomLength = 128;  // its default for RANDOM
constexpr int32_t kMaxFieldWidth = 32768;
constexpr int64_t kMaxRecordNumber = 2147483647;
constexpr uint8_t kCrLf[] = {13, 10};

// A whole number from an expression, rounded half up, in lo..hi; else
// "?Command error".
int32_t WholeArg(OperandReader& ops, int64_t lo, int64_t hi, int64_t& out) {
  double x;
  out = 0;
  if (int32_t r = ops.Number(x)) return r;
  if (ops.Stopped()) return 0;
  x = RoundHalfUp(x);
  if (!(x >= static_cast<double>(lo) && x <= static_cast<double>(hi))) return kErrCommandError;
  out = static_cast<int64_t>(x);
  return 0;
}

int32_t FileArg(OperandReader& ops, int32_t lo, int32_t& number) {
  int64_t n;
  const int32_t r = WholeArg(ops, lo, kMaxFileNumber, n);
  number = static_cast<int32_t>(n);
  return r;
}

// The open file `number` (17 when it is not).
int32_t OpenFile(Interpreter& in, int32_t number, DataFile*& f) {
  f = in.Files().FindFile(number);
  return f ? 0 : kErrFileNotOpen;
}

// A volume that refuses the modes that write.
bool WritesRefused(Interpreter& in, const std::string& volume, FileMode mode) {
  if (mode == FileMode::Input) return false;
  const Volume* v = in.Volumes().FindVolume(volume);
  return v && v->readOnly;
}

std::string OpenWarning(std::string_view volume, std::string_view name, FileMode mode,
                        int32_t number, int32_t length) {
  std::string text = "Warning: OPEN \"";
  text += volume;
  text += ':';
  text += name;
  text += "\" FOR ";
  text += ModeWord(mode);
  text += " AS #" + std::to_string(number) + " LEN=" + std::to_string(length);
  text += " is about to be executed.\n\nThe OPEN statement opens the specified file.";
  return text;
}

// The file number and record number of GET #, PUT #, INSERT # and
// DELETE #: both in range (6), the file open (17) and RANDOM (15), the
// record's end inside 2 GiB (4).
int32_t RecordArgs(Interpreter& in, OperandReader& ops, DataFile*& f, int32_t& record) {
  int32_t number;
  int64_t r64;
  if (int32_t r = FileArg(ops, 1, number)) return r;
  if (int32_t r = WholeArg(ops, 1, kMaxRecordNumber, r64)) return r;
  if (ops.Stopped()) return 0;
  if (int32_t r = OpenFile(in, number, f)) return r;
  if (f->mode != FileMode::Random) return kErrFileModeError;
  if (r64 * f->recordLength > kMaxDataFileSize) return kErrBadRecordNumber;
  record = static_cast<int32_t>(r64);
  return 0;
}

using RecordOperation = int32_t (DataFileTable::*)(DataFile&, int32_t);

int32_t RecordStatement(Interpreter& in, const uint8_t* code, size_t& offset,
                        RecordOperation operation) {
  OperandReader ops(in, code, offset);
  DataFile* f = nullptr;
  int32_t record = 0;
  if (int32_t r = RecordArgs(in, ops, f, record)) return r;
  if (ops.Stopped()) return 0;
  if (int32_t r = (in.Files().*operation)(*f, record)) return r;
  return ops.Done(offset);
}

// The statements with a list of file numbers: each number in turn (0 has
// a meaning of its own), or every open file when the list is empty.
template <typename ForZero, typename ForFile>
int32_t EachFile(Interpreter& in, const uint8_t* code, size_t& offset, ForZero forZero,
                 ForFile forFile) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (count == 0) {
    // The numbers first: a file closed on the way leaves the list.
    std::vector<int32_t> numbers;
    for (const auto& f : in.Files().Files()) numbers.push_back(f->number);
    for (int32_t n : numbers)
      if (DataFile* f = in.Files().FindFile(n))
        if (int32_t r = forFile(*f)) return r;
    return ops.Done(offset);
  }
  for (uint8_t i = 0; i < count; ++i) {
    int32_t number;
    if (int32_t r = FileArg(ops, 0, number)) return r;
    if (ops.Stopped()) return 0;
    if (number == 0) {
      forZero();
      continue;
    }
    DataFile* f;
    if (int32_t r = OpenFile(in, number, f)) return r;
    if (int32_t r = forFile(*f)) return r;
  }
  return ops.Done(offset);
}

// The numbers of CLOSE and ABORT: 0 and numbers not open do nothing.
template <typename Close>
int32_t CloseList(Interpreter& in, const uint8_t* code, size_t& offset, Close close) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  for (uint8_t i = 0; i < count; ++i) {
    int32_t number;
    if (int32_t r = FileArg(ops, 0, number)) return r;
    if (ops.Stopped()) return 0;
    if (int32_t r = close(number)) return r;
  }
  return ops.Done(offset);
}

// The text of WRITE: numbers in the free format without a blank, strings
// between double quotes (a quote inside is not doubled), commas between.
int32_t WriteItems(OperandReader& ops, uint8_t count, CBasicString& text) {
  CValue value;
  for (uint8_t i = 0; i < count; ++i) {
    if (int32_t r = ops.Value(value)) return r;
    if (ops.Stopped()) return 0;
    const int64_t need = 1 + (value.IsString() ? value.str.Length() + 2 : kFreeFormatBuffer);
    if (!text.FitsAppend(need)) return kErrStringTooLong;
    if (i > 0) text.AppendByte(',');
    if (value.IsString()) {
      text.AppendByte('"');
      text.Append(value.str);
      text.AppendByte('"');
    } else {
      AppendFreeFormat(text, value.number);
    }
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared with the whole-file statements

SecureAnswer SecureWarning(Interpreter& in, std::string_view text, size_t& offset) {
  if (!in.Secure() || !in.Running()) return SecureAnswer::Go;
  const platform::Answer a = in.Host().dialogs.MessageBox(
      text, "TORVIC", platform::Buttons::AbortRetryIgnore, platform::Icon::Exclamation);
  if (a == platform::Answer::Retry) return SecureAnswer::Go;
  if (a == platform::Answer::Ignore) return SecureAnswer::Skip;
  offset = in.Position().StatementStart();
  in.StopRun(StopReason::BreakKey);
  return SecureAnswer::Stopped;
}

int32_t KillOneFile(Interpreter& in, const std::string& volume, const std::string& name,
                    const std::string& path, size_t& offset) {
  SettingsMemory& settings = in.Memory();
  if (!settings.KillEnabled()) return 0;
  if (WritesRefused(in, volume, FileMode::Output)) return kErrAccessDenied;
  std::string shown = volume + ":" + name;
  for (char& c : shown) c = platform::UpperAscii(c);
  const std::string warning = "Warning: KILL \"" + shown +
                              "\" is about to be executed.\n\nThe KILL statement deletes the "
                              "specified file(s).";
  if (SecureWarning(in, warning, offset) != SecureAnswer::Go) return 0;
  const bool immediate = !in.Running();
  ConsoleScreen& screen = in.Screen();
  if (immediate && settings.FileProgressLines()) {
    if (screen.Column() != 0) screen.NewLine();
    screen.WriteText("Deleting \"" + shown + "\"...");
    screen.NewLine();
  }
  if (immediate && settings.Confirm() && ::access(path.c_str(), F_OK) == 0 &&
      !in.Entry().AskYesNo("File \"" + shown + "\" exists, delete?"))
    return 0;
  if (::unlink(path.c_str()) != 0) {
    switch (errno) {
      case ENOENT: return kErrFileNotFound;
      case ENAMETOOLONG:
      case ENOTDIR: return kErrInvalidFileName;
      case EACCES:
      case EPERM:
      case EROFS:
      case EBUSY:
      case EISDIR: return kErrAccessDenied;
      default: return kErrIoError;
    }
  }
  if (immediate && settings.FileCountLine()) {
    if (screen.Column() != 0) screen.NewLine();
    screen.WriteText(" 1 file(s) deleted");
    screen.NewLine();
  }
  return 0;
}

namespace handlers {

// OPEN name$ FOR APPEND|INPUT|OUTPUT|RANDOM AS #n [LEN = length]
// OPEN mode$, #n, name$ [, length]
int32_t Open(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t form;
  if (int32_t r = ops.Byte(form)) return r;
  CBasicString name;
  FileMode mode = FileMode::Input;
  int32_t number;
  int64_t length;
  if (form == 0) {
    uint8_t modeByte;
    if (int32_t r = ops.String(name)) return r;
    if (int32_t r = ops.Byte(modeByte)) return r;
    if (modeByte > 3) return kErrInternalError;
    mode = static_cast<FileMode>(modeByte);
    if (int32_t r = FileArg(ops, 0, number)) return r;
    if (int32_t r = WholeArg(ops, 1, kMaxOpenLength, length)) return r;
  } else {
    CBasicString modeText;
    uint8_t hasLength;
    if (int32_t r = ops.String(modeText)) return r;
    if (ops.Stopped()) return 0;
    if (modeText.Empty() || !ModeOfLetter(static_cast<char>(modeText[0]), mode))
      return kErrCommandError;
    if (int32_t r = FileArg(ops, 1, number)) return r;
    if (int32_t r = ops.String(name)) return r;
    if (int32_t r = ops.Byte(hasLength)) return r;
    length = mode == FileMode::Random ? kShortRandomLength : kDefaultRecordLength;
    if (hasLength)
      if (int32_t r = WholeArg(ops, 1, kMaxShortLength, length)) return r;
  }
  if (ops.Stopped()) return 0;
  if (number == 0) return ops.Done(offset);
  DataFileTable& files = in.Files();
  if (files.FindFile(number)) return kErrAlreadyOpen;

  // The volume's errors first, then its refusal to be written, then the
  // name's own errors.
  ResolvedName resolved;
  const int32_t resolveError = ResolveFileName(in.Volumes(), name.View(), kDataExtension, resolved);
  if (resolveError == kErrInvalidVolume || resolveError == kErrVolumeDoesNotExist)
    return resolveError;
  std::string volume;
  if (VolumeOfName(in.Volumes(), name.View(), volume) && WritesRefused(in, volume, mode))
    return kErrAccessDenied;
  if (resolveError) return resolveError;

  switch (SecureWarning(
      in, OpenWarning(resolved.volume, resolved.file, mode, number, static_cast<int32_t>(length)),
      offset)) {
    case SecureAnswer::Go: break;
    case SecureAnswer::Skip: return ops.Done(offset);
    case SecureAnswer::Stopped: return 0;
  }
  if (int32_t r = files.Open(number, mode, static_cast<int32_t>(length), resolved.volume,
                             resolved.file, resolved.path))
    return r;
  return ops.Done(offset);
}

// CLOSE [#n, ...]: every file in opening order when no number is given;
// the first failure stops the statement (that file stays open).
int32_t Close(Interpreter& in, const uint8_t* code, size_t& offset) {
  DataFileTable& files = in.Files();
  if (OperandReader(in, code, offset).PeekByte() == 0) {
    if (int32_t r = files.CloseAllFiles()) return r;
    offset = in.Position().PayloadEnd();
    return 0;
  }
  return CloseList(in, code, offset, [&](int32_t n) { return files.CloseFile(n); });
}

// RESET: CLOSE of every file.
int32_t Reset(Interpreter& in, const uint8_t*, size_t& offset) {
  if (int32_t r = in.Files().CloseAllFiles()) return r;
  offset = in.Position().PayloadEnd();
  return 0;
}

// ABORT [#n, ...]: closed whatever fails.
int32_t Abort(Interpreter& in, const uint8_t* code, size_t& offset) {
  DataFileTable& files = in.Files();
  if (OperandReader(in, code, offset).PeekByte() == 0) {
    files.AbortAllFiles();
    offset = in.Position().PayloadEnd();
    return 0;
  }
  return CloseList(in, code, offset, [&](int32_t n) {
    files.AbortFile(n);
    return 0;
  });
}

// FIELD #n, width AS target$ [, width AS target$ ...]
int32_t Field(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t number;
  if (int32_t r = FileArg(ops, 1, number)) return r;
  if (ops.Stopped()) return 0;
  DataFile* f;
  if (int32_t r = OpenFile(in, number, f)) return r;
  if (f->mode != FileMode::Random) return kErrFileModeError;
  int32_t at = 0;
  for (;;) {
    uint8_t more;
    if (int32_t r = ops.Byte(more)) return r;
    if (!more) break;
    int64_t width;
    if (int32_t r = WholeArg(ops, 1, kMaxFieldWidth, width)) return r;
    if (ops.Stopped()) return 0;
    // The definitions before this one stay.
    if (at + width > f->recordLength) return kErrFieldOverflow;
    ResolvedRef ref;
    if (int32_t r = ops.Target(ref)) return r;
    if (ops.Stopped()) return 0;
    if (ref.code != item::kStringScalar) return kErrInternalError;
    in.Files().DefineField(*f, at, static_cast<int32_t>(width), ref.name, *ref.slot.str);
    at += static_cast<int32_t>(width);
  }
  return ops.Done(offset);
}

// LSET target$ = s$; RSET target$ = s$: s$ cut or padded with blanks to
// the target's length and copied into its storage (a FIELD variable's is
// the record); a target of length 0 stays as it is.
static int32_t SetInPlace(Interpreter& in, const uint8_t* code, size_t& offset, bool left) {
  OperandReader ops(in, code, offset);
  ResolvedRef ref;
  if (int32_t r = ops.Target(ref)) return r;
  if (ops.Stopped()) return 0;
  if (!ref.slot.IsString()) return kErrTypeMismatch;
  CBasicString value;
  if (int32_t r = ops.String(value)) return r;
  if (ops.Stopped()) return 0;
  CBasicString& target = *ref.slot.str;
  const int32_t length = target.Length();
  if (length > 0) {
    const int32_t n = std::min(length, value.Length());
    uint8_t* p = target.MutableData();
    if (left) {
      std::memcpy(p, value.Data(), static_cast<size_t>(n));
      std::memset(p + n, ' ', static_cast<size_t>(length - n));
    } else {
      std::memset(p, ' ', static_cast<size_t>(length - n));
      std::memcpy(p + length - n, value.Data(), static_cast<size_t>(n));
    }
  }
  return ops.Done(offset);
}

int32_t Lset(Interpreter& in, const uint8_t* code, size_t& offset) {
  return SetInPlace(in, code, offset, true);
}
int32_t Rset(Interpreter& in, const uint8_t* code, size_t& offset) {
  return SetInPlace(in, code, offset, false);
}

int32_t GetRecord(Interpreter& in, const uint8_t* code, size_t& offset) {
  return RecordStatement(in, code, offset, &DataFileTable::GetRecord);
}
int32_t PutRecord(Interpreter& in, const uint8_t* code, size_t& offset) {
  return RecordStatement(in, code, offset, &DataFileTable::PutRecord);
}
int32_t InsertRecord(Interpreter& in, const uint8_t* code, size_t& offset) {
  return RecordStatement(in, code, offset, &DataFileTable::InsertRecord);
}
int32_t DeleteRecord(Interpreter& in, const uint8_t* code, size_t& offset) {
  return RecordStatement(in, code, offset, &DataFileTable::DeleteRecord);
}

// SEEK #n, position: a record number (RANDOM) or a byte offset.
int32_t Seek(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t number;
  int64_t position;
  if (int32_t r = FileArg(ops, 1, number)) return r;
  if (int32_t r = WholeArg(ops, 0, kMaxDataFileSize, position)) return r;
  if (ops.Stopped()) return 0;
  DataFile* f;
  if (int32_t r = OpenFile(in, number, f)) return r;
  if (int32_t r = in.Files().Seek(*f, static_cast<int32_t>(position))) return r;
  return ops.Done(offset);
}

// REWIND [#n, ...]; #0 clears the screen.
int32_t Rewind(Interpreter& in, const uint8_t* code, size_t& offset) {
  return EachFile(
      in, code, offset, [&] { in.Screen().ClearScreen(); },
      [&](DataFile& f) { return in.Files().Rewind(f); });
}

// TRUNCATE [#n, ...]; #0 empties the key queue.
int32_t Truncate(Interpreter& in, const uint8_t* code, size_t& offset) {
  return EachFile(
      in, code, offset, [&] { in.Entry().Keys().Clear(); },
      [&](DataFile& f) {
        if (f.mode == FileMode::Input) return static_cast<int32_t>(kErrFileModeError);
        return in.Files().Truncate(f);
      });
}

// KILL #n: the file is closed without a care for its buffer and deleted as
// KILL deletes a file; #0 empties the key queue and clears the screen.
int32_t KillFile(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t number;
  if (int32_t r = FileArg(ops, 0, number)) return r;
  if (ops.Stopped()) return 0;
  if (number == 0) {
    in.Entry().Keys().Clear();
    in.Screen().ClearScreen();
    return ops.Done(offset);
  }
  DataFile* f;
  if (int32_t r = OpenFile(in, number, f)) return r;
  const std::string volume = f->volume, name = f->name, path = f->path;
  in.Files().AbortFile(number);
  size_t statementOffset = offset;
  if (int32_t r = KillOneFile(in, volume, name, path, statementOffset)) return r;
  // Abort in the SECURE warning: the file is closed, the deletion waits
  // for CONT.
  if (statementOffset != offset) {
    offset = statementOffset;
    return 0;
  }
  return ops.Done(offset);
}

// REOPEN mode$, #n | REOPEN #n, mode$
int32_t Reopen(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (count != 2) return kErrCommandError;
  CValue first, second;
  if (int32_t r = ops.Value(first)) return r;
  if (int32_t r = ops.Value(second)) return r;
  if (ops.Stopped()) return 0;
  const CValue& modeValue = first.IsString() ? first : second;
  const CValue& numberValue = first.IsString() ? second : first;
  if (!modeValue.IsString() || numberValue.IsString()) return kErrTypeMismatch;
  const double x = RoundHalfUp(numberValue.number);
  if (!(x >= 0 && x <= kMaxFileNumber)) return kErrCommandError;
  FileMode mode;
  if (modeValue.str.Empty() || !ModeOfLetter(static_cast<char>(modeValue.str[0]), mode))
    return kErrCommandError;
  const int32_t number = static_cast<int32_t>(x);
  if (number == 0) return ops.Done(offset);
  DataFile* f;
  if (int32_t r = OpenFile(in, number, f)) return r;
  if (WritesRefused(in, f->volume, mode)) return kErrAccessDenied;
  if (mode != FileMode::Input) {
    switch (
        SecureWarning(in, OpenWarning(f->volume, f->name, mode, number, f->recordLength), offset)) {
      case SecureAnswer::Go: break;
      case SecureAnswer::Skip: return ops.Done(offset);
      case SecureAnswer::Stopped: return 0;
    }
  }
  if (int32_t r = in.Files().Reopen(*f, mode)) return r;
  return ops.Done(offset);
}

// UNLOAD volume$: every file on the volume written out and closed, in
// opening order; a failure stops the statement.
int32_t Unload(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (count != 1) return kErrCommandError;
  CBasicString name;
  if (int32_t r = ops.String(name)) return r;
  if (ops.Stopped()) return 0;
  if (!IsVolumeName(name.View())) return kErrInvalidVolume;
  const Volume* v = in.Volumes().FindVolume(name.View());
  if (!v) return kErrVolumeDoesNotExist;
  const std::string volume = v->name;
  DataFileTable& files = in.Files();
  std::vector<int32_t> numbers;
  for (const auto& f : files.Files())
    if (f->volume == volume) numbers.push_back(f->number);
  for (int32_t n : numbers)
    if (int32_t r = files.CloseFile(n)) return r;
  return ops.Done(offset);
}

// WRITE [#n,] [expr, ...]: file 0 (or none) is the screen.
int32_t Write(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t number;
  uint8_t count;
  if (int32_t r = FileArg(ops, 0, number)) return r;
  if (int32_t r = ops.Byte(count)) return r;
  if (ops.Stopped()) return 0;
  DataFile* f = nullptr;
  if (number != 0) {
    if (int32_t r = OpenFile(in, number, f)) return r;
    if (f->mode == FileMode::Input) return kErrFileModeError;
  }
  CBasicString text;
  if (int32_t r = WriteItems(ops, count, text)) return r;
  if (ops.Stopped()) return 0;
  if (!f) {
    ConsoleScreen& screen = in.Screen();
    screen.WriteText(text.Data(), static_cast<size_t>(text.Length()));
    screen.NewLine();
    return ops.Done(offset);
  }
  DataFileTable& files = in.Files();
  if (f->mode == FileMode::Random) {
    // The line fills the record: blanks up to its last two bytes, which
    // take the CR LF.
    if (text.Length() > f->recordLength - 2 - f->position) return kErrFieldOverflow;
    const int32_t blanks = f->recordLength - 2 - f->position - text.Length();
    files.WriteFileText(*f, text.Data(), static_cast<size_t>(text.Length()));
    std::memset(f->buffer.get() + f->position, ' ', static_cast<size_t>(blanks));
    f->position += blanks;
    files.WriteFileText(*f, kCrLf, 2);
    return ops.Done(offset);
  }
  text.Append(std::string_view("\r\n"));
  if (int32_t r = files.WriteFileText(*f, text.Data(), static_cast<size_t>(text.Length())))
    return r;
  return ops.Done(offset);
}

// ATTACH [#]n: data file n receives what the screen shows; 0 ends it.
int32_t Attach(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t number;
  if (int32_t r = FileArg(ops, 0, number)) return r;
  if (ops.Stopped()) return 0;
  if (int32_t r = in.Files().Attach(number)) return r;
  return ops.Done(offset);
}

// DETACH: the echo ends (arguments are evaluated and not used).
int32_t Detach(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  CValue value;
  for (uint8_t i = 0; i < count; ++i)
    if (int32_t r = ops.Value(value)) return r;
  if (ops.Stopped()) return 0;
  in.Files().Detach();
  return ops.Done(offset);
}

// CMD n [, items]: ATTACH n, then the items printed to file n (to the
// screen for 0) as PRINT # prints them.
int32_t Cmd(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  int32_t number;
  if (int32_t r = FileArg(ops, 0, number)) return r;
  if (ops.Stopped()) return 0;
  DataFileTable& files = in.Files();
  if (int32_t r = files.Attach(number)) return r;
  if (ops.PeekByte() != 0) {
    if (number == 0) {
      // PRINT # 0 is the screen: the items as PRINT writes them.
      if (int32_t r = PrintItemsOnScreen(in, ops)) return r;
    } else if (int32_t r = PrintItemsToFile(in, ops, *files.FindFile(number))) {
      return r;
    }
    if (ops.Stopped() || in.Reason() != StopReason::None) return 0;
  }
  return ops.Done(offset);
}

// CREATE and APPEND in their file forms: the arguments are evaluated, and
// the statement is not supported.
int32_t ArgumentsThenNotSupported(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CValue value;
  while (ops.Position() < in.Position().PayloadEnd()) {
    if (int32_t r = ops.Value(value)) return r;
    if (ops.Stopped()) return 0;
  }
  return kErrNotSupported;
}

}  // namespace handlers

}  // namespace torvic
