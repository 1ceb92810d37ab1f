#include "engine/datafiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "base/errors.h"
#include "engine/expression_context.h"
#include "expr/numeric_functions.h"

namespace torvic {

namespace {

constexpr uint8_t kCr = 13, kLf = 10;
// The longest number field INPUT # collects.
constexpr size_t kMaxNumberField = 32768;

bool IsLineEnd(uint8_t b) { return b == kCr || b == kLf; }

using Access = platform::HostFile::Access;
using Lock = platform::HostFile::Lock;

// How each mode opens its host file: APPEND and RANDOM create without
// truncating, OUTPUT creates and truncates, INPUT only reads an existing
// file. Every mode keeps other writers away; only readers share.
struct OpenWay {
  Access access;
  bool create, truncate;
  Lock lock;
};
OpenWay WayOf(FileMode mode) {
  switch (mode) {
    case FileMode::Append: return {Access::Write, true, false, Lock::Exclusive};
    case FileMode::Input: return {Access::Read, false, false, Lock::Shared};
    case FileMode::Output: return {Access::Write, true, true, Lock::Exclusive};
    case FileMode::Random: break;
  }
  return {Access::ReadWrite, true, false, Lock::Exclusive};
}

// What a record holds beside its buffer, charged to the memory budget.
uint64_t RecordBytes(const DataFile& f) {
  return memory::BlockBytes(sizeof(DataFile)) + memory::StringBytes(f.volume.size()) +
         memory::StringBytes(f.name.size()) + memory::StringBytes(f.path.size()) +
         memory::BlockBytes(static_cast<uint64_t>(f.recordLength));
}

}  // namespace

std::string_view ModeWord(FileMode mode) {
  switch (mode) {
    case FileMode::Append: return "APPEND";
    case FileMode::Input: return "INPUT";
    case FileMode::Output: return "OUTPUT";
    case FileMode::Random: break;
  }
  return "RANDOM";
}

bool ModeOfLetter(char letter, FileMode& mode) {
  switch (letter) {
    case 'A':
    case 'a': mode = FileMode::Append; return true;
    case 'I':
    case 'i': mode = FileMode::Input; return true;
    case 'O':
    case 'o': mode = FileMode::Output; return true;
    case 'R':
    case 'r':
    case 'D':
    case 'd': mode = FileMode::Random; return true;
    default: return false;
  }
}

int32_t MapOpenError(int error) {
  switch (error) {
    case 0: return kOk;
    case ENOENT: return kErrFileNotFound;
    case ENAMETOOLONG:
    case ENOTDIR:
    case ELOOP:
    case EINVAL: return kErrInvalidFileName;
    case EACCES:
    case EPERM:
    case EROFS:
    case EWOULDBLOCK:
    case ETXTBSY:
    case EISDIR: return kErrAccessDenied;
    case ENOSPC:
    case EDQUOT: return kErrVolumeFull;
    case ENOMEM: return kErrOutOfMemory;
    default: return kErrIoError;
  }
}

int32_t MapWriteError(int error) {
  switch (error) {
    case 0: return kOk;
    case ENOSPC:
    case EDQUOT: return kErrVolumeFull;
    case EFBIG: return kErrMaxFileSize;
    default: return kErrIoError;
  }
}

int32_t MapCloseError(int error) {
  switch (error) {
    case 0: return kOk;
    case ENOSPC:
    case EDQUOT: return kErrVolumeFull;
    default: return kErrIoError;
  }
}

// ---------------------------------------------------------------------------
// The table

DataFileTable::DataFileTable(Interpreter& in) : in_(in) {}

DataFileTable::~DataFileTable() {
  // Bytes still buffered reach their files; a failure cannot be shown any
  // more (the session end has shown one already, see ImplicitClose).
  AbortAllFiles();
}

int32_t DataFileTable::FreeNumber() const {
  for (int32_t n = 1; n <= kMaxFileNumber; ++n)
    if (!byNumber_[n]) return n;
  return 0;
}

int32_t DataFileTable::Open(int32_t number, FileMode mode, int32_t recordLength, std::string volume,
                            std::string name, std::string path) {
  auto f = std::make_unique<DataFile>();
  f->number = number;
  f->mode = mode;
  f->recordLength = recordLength;
  f->volume = std::move(volume);
  f->name = std::move(name);
  f->path = std::move(path);
  f->held = memory::Reservation(RecordBytes(*f));
  f->buffer = std::make_unique<uint8_t[]>(static_cast<size_t>(recordLength));  // cleared
  if (mode == FileMode::Random) f->buffered = recordLength;

  const OpenWay way = WayOf(mode);
  if (int e = f->host.Open(f->path, way.access, way.create, way.truncate, way.lock))
    return MapOpenError(e);
  int64_t size;
  if (f->host.Size(size) != 0) return kErrIoError;
  if (size > kMaxDataFileSize) return kErrMaxFileSize;
  if (mode == FileMode::Append) f->hostPosition = size;
  if (mode == FileMode::Input) f->atEnd = size == 0;
  files_.push_back(std::move(f));
  byNumber_[number] = files_.back().get();
  return kOk;
}

// REOPEN gives an open number another mode: the waiting output is written
// first (a failure changes nothing), the host file is closed and opened
// again in the new mode's way (OUTPUT empties it), and the record starts as
// after OPEN (position, record number and buffer reset; APPEND at the end,
// INPUT at end when the file is empty). FIELD definitions stay only with a
// RANDOM file, the echo only with one that is written. When the new mode
// cannot open the file, it is opened again as it was (without emptying it);
// when even that fails the number is closed. Either way the error of the
// new mode is returned.
int32_t DataFileTable::Reopen(DataFile& f, FileMode mode) {
  if (int32_t r = FlushFile(f)) return r;
  const int32_t closed = MapCloseError(f.host.Close());
  const OpenWay way = WayOf(mode);
  int32_t result =
      MapOpenError(f.host.Open(f.path, way.access, way.create, way.truncate, way.lock));
  int64_t size = 0;
  if (result == kOk && f.host.Size(size) != 0) result = kErrIoError;
  if (result == kOk && size > kMaxDataFileSize) result = kErrMaxFileSize;
  if (result != kOk) {
    f.host.Close();
    const OpenWay old = WayOf(f.mode);
    if (f.host.Open(f.path, old.access, false, false, old.lock) != 0) AbortFile(f.number);
    return result;
  }
  f.mode = mode;
  std::memset(f.buffer.get(), 0, static_cast<size_t>(f.recordLength));
  f.buffered = mode == FileMode::Random ? f.recordLength : 0;
  f.position = f.column = f.recordNumber = 0;
  f.hostPosition = mode == FileMode::Append ? size : 0;
  f.atEnd = mode == FileMode::Input && size == 0;
  if (mode != FileMode::Random) DropFields(f.number);
  if (echoNumber_ == f.number && !f.Writes()) Detach();
  return closed;
}

void DataFileTable::Remove(DataFile* f) {
  byNumber_[f->number] = nullptr;
  const auto at = std::find_if(files_.begin(), files_.end(),
                               [f](const std::unique_ptr<DataFile>& p) { return p.get() == f; });
  if (at != files_.end()) files_.erase(at);
}

// ---------------------------------------------------------------------------
// Output

int32_t DataFileTable::WriteBlock(DataFile& f) {
  if (f.buffered == 0) return kOk;
  size_t put;
  const int e =
      f.host.WriteAt(f.hostPosition, f.buffer.get(), static_cast<size_t>(f.buffered), put);
  f.hostPosition += static_cast<int64_t>(put);
  if (put > 0) {
    // What did not reach the file stays, in front, for the next attempt.
    std::memmove(f.buffer.get(), f.buffer.get() + put, static_cast<size_t>(f.buffered) - put);
    f.buffered -= static_cast<int32_t>(put);
  }
  f.position = f.buffered;
  return MapWriteError(e);
}

int32_t DataFileTable::FlushFile(DataFile& f) { return f.Writes() ? WriteBlock(f) : kOk; }

int32_t DataFileTable::WriteFileText(DataFile& f, const uint8_t* bytes, size_t count) {
  if (f.mode == FileMode::Random) {
    if (count > static_cast<size_t>(f.recordLength - f.position)) return kErrFieldOverflow;
    std::memcpy(f.buffer.get() + f.position, bytes, count);
    f.position += static_cast<int32_t>(count);
    return kOk;
  }
  if (!f.Writes()) return kErrFileModeError;
  while (count > 0) {
    // A block still full from a write that failed goes first.
    if (f.buffered == f.recordLength)
      if (int32_t r = WriteBlock(f)) return r;
    const int64_t room = kMaxDataFileSize - f.hostPosition - f.buffered;
    if (room <= 0) return kErrMaxFileSize;
    const size_t n = static_cast<size_t>(
        std::min<int64_t>({static_cast<int64_t>(count), f.recordLength - f.buffered, room}));
    std::memcpy(f.buffer.get() + f.buffered, bytes, n);
    // The output column counts from the last line end.
    size_t last = n;
    while (last > 0 && !IsLineEnd(bytes[last - 1])) --last;
    f.column = last > 0 ? static_cast<int32_t>(n - last) : f.column + static_cast<int32_t>(n);
    f.buffered += static_cast<int32_t>(n);
    f.position = f.buffered;
    bytes += n;
    count -= n;
    if (f.buffered == f.recordLength)
      if (int32_t r = WriteBlock(f)) return r;
  }
  return kOk;
}

// ---------------------------------------------------------------------------
// Input

int32_t DataFileTable::Refill(DataFile& f, bool& any) {
  size_t got;
  const int e =
      f.host.ReadAt(f.hostPosition, f.buffer.get(), static_cast<size_t>(f.recordLength), got);
  f.position = 0;
  f.buffered = 0;
  any = false;
  if (e) return kErrIoError;
  f.hostPosition += static_cast<int64_t>(got);
  f.buffered = static_cast<int32_t>(got);
  any = got > 0;
  return kOk;
}

// At end means no byte is left: found out as soon as a read has used the
// last one, so that EOF turns true after the last line or field rather
// than one read later.
int32_t DataFileTable::NoteEnd(DataFile& f) {
  if (f.mode != FileMode::Input || f.buffered > 0) return kOk;
  bool any;
  if (int32_t r = Refill(f, any)) return r;
  if (!any) f.atEnd = true;
  return kOk;
}

int32_t DataFileTable::PeekByte(DataFile& f, bool& any, uint8_t& byte) {
  any = false;
  if (f.mode == FileMode::Random) {
    if (f.position >= f.recordLength) return kOk;
  } else if (f.buffered == 0) {
    if (int32_t r = Refill(f, any)) return r;
    if (!any) {
      f.atEnd = true;
      return kOk;
    }
  }
  any = true;
  byte = f.buffer[static_cast<size_t>(f.position)];
  return kOk;
}

namespace {

// Moves past the byte PeekByte gave.
void TakeByte(DataFile& f) {
  ++f.position;
  if (f.mode != FileMode::Random) --f.buffered;
}

}  // namespace

int32_t DataFileTable::ReadFileLine(DataFile& f, CBasicString& line) {
  line.SetEmpty();
  if (f.mode == FileMode::Random) {
    // Inside the record: the line must end before the record does.
    const uint8_t* p = f.buffer.get();
    int32_t at = f.position;
    while (at < f.recordLength && !IsLineEnd(p[at])) ++at;
    if (at == f.recordLength) return kErrFieldOverflow;
    for (int32_t i = f.position; i < at; ++i)
      if (p[i] != 0) line.AppendByte(p[i]);
    f.position = at + 1;
    if (p[at] == kCr && f.position < f.recordLength && p[f.position] == kLf) ++f.position;
    return kOk;
  }
  if (f.atEnd) return kErrInputPastEnd;
  for (;;) {
    if (f.buffered == 0) {
      bool any;
      if (int32_t r = Refill(f, any)) return r;
      if (!any) {
        f.atEnd = true;
        return kOk;
      }
    }
    // The run up to the next line end or NUL goes in at once.
    const uint8_t* start = f.buffer.get() + f.position;
    const uint8_t* end = start + f.buffered;
    const uint8_t* q = start;
    while (q < end && *q != kCr && *q != kLf && *q != 0) ++q;
    const size_t run = static_cast<size_t>(q - start);
    if (!line.FitsAppend(static_cast<int64_t>(run))) return kErrStringTooLong;
    line.Append(std::string_view(reinterpret_cast<const char*>(start), run));
    f.position += static_cast<int32_t>(run);
    f.buffered -= static_cast<int32_t>(run);
    if (q == end) continue;
    const uint8_t b = *q;
    TakeByte(f);
    if (b == 0) continue;
    if (b == kCr) {
      // A LF after the CR belongs to the same line end, also when it opens
      // the next block.
      bool any;
      uint8_t next;
      if (int32_t r = PeekByte(f, any, next)) return r;
      if (any && next == kLf) TakeByte(f);
    }
    return NoteEnd(f);
  }
}

int32_t DataFileTable::ReadNumberField(DataFile& f, double& value) {
  value = 0;
  if (f.mode == FileMode::Input && f.atEnd) return kErrInputPastEnd;
  const bool random = f.mode == FileMode::Random;
  bool any;
  uint8_t b;
  // Blanks and leading zeros go first.
  for (;;) {
    if (int32_t r = PeekByte(f, any, b)) return r;
    if (!any) {
      if (random) return kErrFieldOverflow;
      return kOk;
    }
    if (b != ' ' && b != '0') break;
    TakeByte(f);
  }
  std::string text;
  bool blankEnded = false;
  for (;;) {
    if (int32_t r = PeekByte(f, any, b)) return r;
    if (!any) {
      if (random) return kErrFieldOverflow;
      break;
    }
    if (b == ',' || IsLineEnd(b) || (b == ' ' && !random)) {
      blankEnded = b == ' ';
      break;
    }
    TakeByte(f);
    if (b != 0 && text.size() < kMaxNumberField) text.push_back(static_cast<char>(b));
  }
  if (any) {
    // The separator goes with the field: a blank with the blanks after it
    // and a comma or line end that follows them.
    if (blankEnded)
      while (PeekByte(f, any, b) == kOk && any && b == ' ') TakeByte(f);
    if (any && b == ',') {
      TakeByte(f);
    } else if (any && IsLineEnd(b)) {
      TakeByte(f);
      if (b == kCr && PeekByte(f, any, b) == kOk && any && b == kLf) TakeByte(f);
    }
  }
  if (int32_t r = NoteEnd(f)) return r;
  // A text that is no number reads as 0.
  if (int32_t r = ReadLeadingNumber(text, value)) return r;
  return kOk;
}

namespace {
// One character of a field read into `text`; 0 bytes are left out.
int32_t AppendFieldByte(CBasicString& text, uint8_t c) {
  if (c == 0) return kOk;
  if (!text.FitsAppend(1)) return kErrStringTooLong;
  text.AppendByte(c);
  return kOk;
}
}  // namespace

// The quoted form of a field: the characters up to the closing quote, then
// the blanks after it, leaving `any` and `b` at the byte that follows.
// `ended` says the data ran out inside the quotes: the field is complete as
// read and nothing follows it.
int32_t DataFileTable::ReadQuotedField(DataFile& f, CBasicString& text, bool& any, uint8_t& b,
                                       bool& ended) {
  TakeByte(f);
  for (;;) {
    if (int32_t r = PeekByte(f, any, b)) return r;
    if (!any) {
      if (f.mode == FileMode::Random) return kErrFieldOverflow;
      ended = true;
      return NoteEnd(f);
    }
    TakeByte(f);
    if (b == '"') break;
    if (int32_t r = AppendFieldByte(text, b)) return r;
  }
  while (PeekByte(f, any, b) == kOk && any && b == ' ') TakeByte(f);
  return kOk;
}

// The plain form: the characters up to a comma or the line's end, trailing
// blanks dropped, leaving `any` and `b` at the byte that ended it.
int32_t DataFileTable::ReadPlainField(DataFile& f, CBasicString& text, bool& any, uint8_t& b) {
  for (;;) {
    if (int32_t r = PeekByte(f, any, b)) return r;
    if (!any) {
      if (f.mode == FileMode::Random) return kErrFieldOverflow;
      break;
    }
    if (b == ',' || IsLineEnd(b)) break;
    TakeByte(f);
    if (int32_t r = AppendFieldByte(text, b)) return r;
  }
  int32_t n = text.Length();
  while (n > 0 && text[n - 1] == ' ') --n;
  text.Resize(n);
  return kOk;
}

int32_t DataFileTable::ReadStringField(DataFile& f, CBasicString& text) {
  text.SetEmpty();
  if (f.mode == FileMode::Input && f.atEnd) return kErrInputPastEnd;
  bool any;
  uint8_t b;
  for (;;) {
    if (int32_t r = PeekByte(f, any, b)) return r;
    if (!any) return f.mode == FileMode::Random ? kErrFieldOverflow : kOk;
    if (b != ' ') break;
    TakeByte(f);
  }
  if (b == '"') {
    bool ended = false;
    if (int32_t r = ReadQuotedField(f, text, any, b, ended); r || ended) return r;
  } else if (int32_t r = ReadPlainField(f, text, any, b)) {
    return r;
  }
  if (any && b == ',') {
    TakeByte(f);
  } else if (any && IsLineEnd(b)) {
    TakeByte(f);
    if (b == kCr && PeekByte(f, any, b) == kOk && any && b == kLf) TakeByte(f);
  }
  return NoteEnd(f);
}

int32_t DataFileTable::ReadBytes(DataFile& f, int32_t count, CBasicString& bytes) {
  bytes.SetEmpty();
  if (f.mode == FileMode::Random) {
    if (count > f.recordLength - f.position) return kErrFieldOverflow;
    bytes.Assign(f.buffer.get() + f.position, count);
    f.position += count;
    return kOk;
  }
  if (f.atEnd) return kErrInputPastEnd;
  while (bytes.Length() < count) {
    if (f.buffered == 0) {
      bool any;
      if (int32_t r = Refill(f, any)) return r;
      if (!any) {
        f.atEnd = true;
        return kOk;
      }
    }
    const int32_t n = std::min(count - bytes.Length(), f.buffered);
    bytes.Append(std::string_view(reinterpret_cast<const char*>(f.buffer.get() + f.position),
                                  static_cast<size_t>(n)));
    f.position += n;
    f.buffered -= n;
  }
  return NoteEnd(f);
}

// ---------------------------------------------------------------------------
// Records

int32_t DataFileTable::GetRecord(DataFile& f, int32_t record) {
  const int64_t at = int64_t{record - 1} * f.recordLength;
  std::memset(f.buffer.get(), 0, static_cast<size_t>(f.recordLength));
  size_t got;
  if (f.host.ReadAt(at, f.buffer.get(), static_cast<size_t>(f.recordLength), got) != 0)
    return kErrIoError;
  f.atEnd = got < static_cast<size_t>(f.recordLength);
  f.position = 0;
  f.recordNumber = record;
  return kOk;
}

int32_t DataFileTable::PutRecord(DataFile& f, int32_t record) {
  const int64_t at = int64_t{record - 1} * f.recordLength;
  size_t put;
  if (int e = f.host.WriteAt(at, f.buffer.get(), static_cast<size_t>(f.recordLength), put))
    return MapWriteError(e);
  f.atEnd = false;
  f.position = 0;
  f.recordNumber = record;
  return kOk;
}

// The records from `record` on move up by one, the buffer becomes that
// record. They move from the last one down: the first write is the one
// that makes the file longer, so a full volume fails it before any record
// has moved, and nothing is lost or doubled.
int32_t DataFileTable::InsertRecord(DataFile& f, int32_t record) {
  int64_t size;
  if (f.host.Size(size) != 0) return kErrIoError;
  const int64_t length = f.recordLength;
  const int64_t count = (size + length - 1) / length;
  if (record <= count && size + length > kMaxDataFileSize) return kErrMaxFileSize;
  std::vector<uint8_t> moving(static_cast<size_t>(length));
  for (int64_t r = count; r >= record; --r) {
    size_t got, put;
    if (f.host.ReadAt((r - 1) * length, moving.data(), moving.size(), got) != 0) return kErrIoError;
    if (int e = f.host.WriteAt(r * length, moving.data(), got, put)) return MapWriteError(e);
  }
  return PutRecord(f, record);
}

// The records after `record` move down by one and the file loses its last
// record's length; a record beyond the end changes nothing.
int32_t DataFileTable::DeleteRecord(DataFile& f, int32_t record) {
  int64_t size;
  if (f.host.Size(size) != 0) return kErrIoError;
  const int64_t length = f.recordLength;
  const int64_t count = (size + length - 1) / length;
  if (record > count) return kOk;
  std::vector<uint8_t> moving(static_cast<size_t>(length));
  for (int64_t r = record + 1; r <= count; ++r) {
    size_t got, put;
    if (f.host.ReadAt((r - 1) * length, moving.data(), moving.size(), got) != 0) return kErrIoError;
    if (int e = f.host.WriteAt((r - 2) * length, moving.data(), got, put)) return MapWriteError(e);
  }
  const int64_t newSize = record == count ? (count - 1) * length : size - length;
  if (f.host.Truncate(newSize) != 0) return kErrIoError;
  f.atEnd = false;
  f.position = 0;
  f.recordNumber = 0;
  return kOk;
}

int32_t DataFileTable::Seek(DataFile& f, int32_t position) {
  if (f.mode == FileMode::Random) {
    if (position < 1 || int64_t{position} * f.recordLength > kMaxDataFileSize)
      return kErrBadRecordNumber;
    std::memset(f.buffer.get(), 0, static_cast<size_t>(f.recordLength));
    f.recordNumber = position;
    f.position = 0;
    return kOk;
  }
  if (int32_t r = FlushFile(f)) return r;
  f.hostPosition = position;
  f.buffered = f.position = f.column = 0;
  if (f.mode == FileMode::Input) {
    int64_t size;
    if (f.host.Size(size) != 0) return kErrIoError;
    f.atEnd = position >= size;
  }
  return kOk;
}

int32_t DataFileTable::Rewind(DataFile& f) {
  if (int32_t r = FlushFile(f)) return r;
  f.position = f.column = 0;
  f.hostPosition = 0;
  if (f.mode == FileMode::Random) {
    std::memset(f.buffer.get(), 0, static_cast<size_t>(f.recordLength));
    f.recordNumber = 0;
    return kOk;
  }
  f.buffered = 0;
  if (f.mode == FileMode::Input) {
    int64_t size;
    if (f.host.Size(size) != 0) return kErrIoError;
    f.atEnd = size == 0;
  }
  return kOk;
}

int32_t DataFileTable::Truncate(DataFile& f) {
  std::memset(f.buffer.get(), 0, static_cast<size_t>(f.recordLength));
  f.buffered = f.mode == FileMode::Random ? f.recordLength : 0;
  f.position = f.column = f.recordNumber = 0;
  f.hostPosition = 0;
  f.atEnd = false;
  return f.host.Truncate(0) == 0 ? kOk : kErrIoError;
}

int64_t DataFileTable::Length(DataFile& f, int32_t& error) {
  int64_t size;
  if (f.host.Size(size) != 0) {
    error = kErrIoError;
    return -1;
  }
  error = kOk;
  return f.mode == FileMode::Random ? (size + f.recordLength - 1) / f.recordLength : size;
}

// ---------------------------------------------------------------------------
// Closing

int32_t DataFileTable::CloseFile(int32_t number) {
  DataFile* f = FindFile(number);
  if (!f) return kOk;
  if (int32_t r = FlushFile(*f)) return r;
  const int32_t closed = MapCloseError(f->host.Close());
  DropFields(number);
  if (echoNumber_ == number) Detach();
  Remove(f);
  return closed;
}

int32_t DataFileTable::AbortFile(int32_t number) {
  DataFile* f = FindFile(number);
  if (!f) return kOk;
  int32_t first = FlushFile(*f);
  const int32_t closed = MapCloseError(f->host.Close());
  if (first == kOk) first = closed;
  DropFields(number);
  if (echoNumber_ == number) Detach();
  Remove(f);
  return first;
}

int32_t DataFileTable::CloseAllFiles() {
  while (!files_.empty())
    if (int32_t r = CloseFile(files_.front()->number)) return r;
  return kOk;
}

int32_t DataFileTable::AbortAllFiles() {
  int32_t first = kOk;
  while (!files_.empty()) {
    const int32_t r = AbortFile(files_.front()->number);
    if (first == kOk) first = r;
  }
  return first;
}

void DataFileTable::ImplicitClose() {
  if (files_.empty()) return;
  // The run is over or its state is gone; bytes that could not be written
  // are reported even so, as a message without a line.
  if (int32_t r = AbortAllFiles()) in_.ReportError(r, -1, std::nullopt);
}

// ---------------------------------------------------------------------------
// FIELD

CBasicString* DataFileTable::FieldVariable(std::string_view name) {
  CVariable* v = in_.Expressions().Vars().FindScalar(kStringScalar, name);
  return v ? &v->str : nullptr;
}

int32_t DataFileTable::DefineField(DataFile& f, int32_t offset, int32_t width,
                                   std::string_view variable, CBasicString& storage) {
  const auto at = std::find_if(fields_.begin(), fields_.end(),
                               [&](const FieldDefinition& d) { return d.name == variable; });
  if (at != fields_.end()) {
    at->number = f.number;
  } else {
    FieldDefinition d{
        f.number, std::string(variable),
        memory::Reservation(sizeof(FieldDefinition) + memory::StringBytes(variable.size()))};
    fields_.push_back(std::move(d));
  }
  storage.Bind(f.buffer.get() + offset, width);
  return kOk;
}

void DataFileTable::ForgetField(std::string_view variable) {
  std::erase_if(fields_, [&](const FieldDefinition& d) { return d.name == variable; });
}

void DataFileTable::DropFields(int32_t number) {
  for (const FieldDefinition& d : fields_)
    if (d.number == number)
      if (CBasicString* s = FieldVariable(d.name)) s->Clear();
  std::erase_if(fields_, [&](const FieldDefinition& d) { return d.number == number; });
}

// ---------------------------------------------------------------------------
// The echo file

int32_t DataFileTable::Attach(int32_t number) {
  if (number == 0) {
    Detach();
    return kOk;
  }
  DataFile* f = FindFile(number);
  if (!f) return kErrFileNotOpen;
  if (!f->Writes()) return kErrFileModeError;
  ConsoleScreen& screen = in_.Screen();
  if (echoNumber_ == 0) {
    tee_.next = screen.GetEchoSink();
    screen.SetEchoSink(&tee_);
  }
  echoNumber_ = number;
  return kOk;
}

void DataFileTable::Detach() {
  if (echoNumber_ == 0) return;
  echoNumber_ = 0;
  ConsoleScreen& screen = in_.Screen();
  if (screen.GetEchoSink() == &tee_) screen.SetEchoSink(tee_.next);
  tee_.next = nullptr;
}

void DataFileTable::EchoTee::Echo(const uint8_t* bytes, size_t count) {
  // The transcript first: what the file cannot take, the screen still shows.
  if (next) next->Echo(bytes, count);
  DataFileTable& t = table_;
  DataFile* f = t.FindFile(t.echoNumber_);
  if (!f || t.echoing_) return;
  t.echoing_ = true;
  const int32_t r = t.WriteFileText(*f, bytes, count);
  t.echoing_ = false;
  if (r != kOk) {
    // The echo stops at the first failure (the file keeps what it had);
    // the statement that wrote to the screen fails with it.
    t.Detach();
    t.in_.DeferError(r);
  }
}

}  // namespace torvic
