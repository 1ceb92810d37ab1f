#include "frontend/program_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <new>

#include "base/errors.h"
#include "frontend/compiler.h"
#include "frontend/validator.h"

namespace torvic {

namespace {

// Binary program file (all numbers little-endian, fields unaligned):
//
//   offset size  content
//    0     4     41 07 0A 0E
//    4     4     "TORV"
//    8     4     "TVC" 00
//   12     4     u32 version 17105418 (0A 02 05 01)
//   16     4     u32 268435456 (00 00 00 10): bits 0 and 15 of its upper
//                half (the u16 at offset 18) are 0 in a file whose code
//                may be trusted
//   20     4     4B 54 57 01
//   24     4     4B 54 58 02
//   28     4     4B 54 59 03
//   32     8     zero
//   40     ...   one line record per program line, in program order, up to
//                the end of the file
//
// Line record:
//
//   u32  number        1..65535, or 4294967295 for an unnumbered line
//   u8   flag          0 (a reader accepts 0 or 1)
//   u32  text length   1..255
//   ...  text          the line's text, no terminating 0
//   u32  text check    TextCheckSum(text)
//   u32  code length   1..4096
//   ...  code          the compiled line (code_buffer.h), byte for byte
//   u32  code check    CodeCheckSum(code)
//
// A file is binary when its first 40 bytes could be read and the words at
// offsets 0, 4, 8, 20, 24 and 28 are these; anything else is read as text.
constexpr uint8_t kHeader[kProgramHeaderSize] = {
    0x41, 0x07, 0x0A, 0x0E, 'T',  'O',  'R',  'V',  'T',  'V',  'C',  0x00, 0x0A, 0x02,
    0x05, 0x01, 0x00, 0x00, 0x00, 0x10, 0x4B, 0x54, 0x57, 0x01, 0x4B, 0x54, 0x58, 0x02,
    0x4B, 0x54, 0x59, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};
constexpr size_t kIdentifyingWords[] = {0, 4, 8, 20, 24, 28};
constexpr size_t kVersionOffset = 12;
constexpr size_t kFlagsOffset = 18;  // the u16 whose bits 0 and 15 must be clear
constexpr uint16_t kUntrustedBits = 0x8001;
constexpr size_t kRecordFixedHead = 9;  // number, flag, text length

void PutU32(std::string& out, uint32_t v) {
  uint8_t b[4];
  WriteU32(b, v);
  out.append(reinterpret_cast<const char*>(b), 4);
}

bool IsBinaryHeader(const uint8_t* h) {
  for (size_t at : kIdentifyingWords)
    if (std::memcmp(h + at, kHeader + at, 4) != 0) return false;
  return true;
}

int32_t OpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return kErrFileNotFound;
    case EACCES:
    case EPERM: return kErrAccessDenied;
    case ENAMETOOLONG:
    case ELOOP: return kErrInvalidFileName;
    default: return kErrIoError;
  }
}

// Builds the program lines of one read.
class Loader {
 public:
  Loader(ProgramSource& source, ProgramList& program, ProgramReadResult& result)
      : source_(source), program_(program), result_(result) {}

  void Binary(bool trusted);
  void Text();

 private:
  bool Fail(int32_t error) {
    result_.error = error;
    return false;
  }
  // Reads exactly n bytes; false with 53 (or 24 after a read error) when
  // the file ends first.
  bool Exactly(uint8_t* to, size_t n) {
    if (source_.Read(to, n) == n) return true;
    return Fail(source_.Failed() ? kErrIoError : kErrUnexpectedEof);
  }
  bool ReadU32(uint32_t& v) {
    uint8_t b[4];
    if (!Exactly(b, 4)) return false;
    v = torvic::ReadU32(b);
    return true;
  }
  bool BinaryRecord(const uint8_t* head, bool trusted);
  // A logical line of a text file; false at the end of the file.
  bool NextTextLine();
  bool TextLine();
  std::unique_ptr<ProgramLine> Compiled(uint32_t number, std::string_view text) {
    CompileLine(text, buffer_);
    return std::make_unique<ProgramLine>(number, std::string(text), buffer_.Data(), buffer_.Size());
  }

  ProgramSource& source_;
  ProgramList& program_;
  ProgramReadResult& result_;
  CodeBuffer buffer_;
  std::string line_;
  int pending_ = -1;  // a byte read past a lone CR: it starts the next line
  uint8_t code_[kMaxStoredCode];
};

void Loader::Binary(bool trusted) {
  for (;;) {
    uint8_t head[kRecordFixedHead];
    const size_t got = source_.Read(head, sizeof head);
    if (got == 0) {
      // The end exactly where a record would start.
      if (source_.Failed()) Fail(kErrIoError);
      return;
    }
    if (got < sizeof head) {
      Fail(source_.Failed() ? kErrIoError : kErrUnexpectedEof);
      return;
    }
    if (!BinaryRecord(head, trusted)) return;
  }
}

bool Loader::BinaryRecord(const uint8_t* head, bool trusted) {
  const uint32_t number = torvic::ReadU32(head);
  const uint32_t textLength = torvic::ReadU32(head + 5);
  if ((number == 0 || number > 65535) && number != kNoLineNumber) return Fail(kErrBadFile);
  if (head[4] > 1 || textLength == 0 || textLength > kMaxStoredText) return Fail(kErrBadFile);
  char text[kMaxStoredText];
  uint32_t textCheck, codeLength, codeCheck;
  if (!Exactly(reinterpret_cast<uint8_t*>(text), textLength) || !ReadU32(textCheck) ||
      !ReadU32(codeLength))
    return false;
  if (codeLength == 0 || codeLength > kMaxStoredCode) return Fail(kErrBadFile);
  if (!Exactly(code_, codeLength) || !ReadU32(codeCheck)) return false;
  const std::string_view textView(text, textLength);
  // Stored code runs only when it is sound as well as unchanged: a check
  // sum is no protection against a crafted file, and code whose records
  // reached outside the line would take the run loop with them.
  if (trusted && TextCheckSum(textView) == textCheck &&
      CodeCheckSum(code_, codeLength) == codeCheck &&
      ValidateCompiledLine(code_, codeLength, nullptr, textLength)) {
    program_.Append(
        std::make_unique<ProgramLine>(number, std::string(textView), code_, codeLength));
  } else {
    program_.Append(Compiled(number, textView));
    result_.recompiled = true;
    program_.SetModified(true);
  }
  return true;
}

bool Loader::NextTextLine() {
  line_.clear();
  bool any = false;
  for (;;) {
    int c = pending_;
    if (c >= 0) pending_ = -1;
    else c = source_.Get();
    if (c < 0) return any;
    any = true;
    if (c == 0) continue;
    if (c == '\n' || c == '\r') {
      bool joins = true;  // a backslash before LF or CR LF continues the line
      if (c == '\r') {
        const int next = source_.Get();
        if (next != '\n') {
          pending_ = next;
          joins = false;
        }
      }
      if (joins && !line_.empty() && line_.back() == '\\') {
        line_.pop_back();
        continue;
      }
      return true;
    }
    if (c == '\t') {
      for (int i = 0; i < 8 && line_.size() < kMaxStoredText; ++i) line_.push_back(' ');
      continue;
    }
    if (line_.size() < kMaxTextProgramLine) line_.push_back(static_cast<char>(c));
  }
}

void Loader::Text() {
  while (NextTextLine()) {
    if (!TextLine()) return;
  }
  if (source_.Failed()) Fail(kErrIoError);
}

bool Loader::TextLine() {
  std::string_view line = line_;
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  if (line.empty()) return true;
  size_t p = 0;
  while (p < line.size() && line[p] == ' ') ++p;
  uint32_t number = kNoLineNumber;
  std::string_view text = line;
  if (line[p] >= '0' && line[p] <= '9') {
    const size_t digits = p;
    uint32_t n = 0;
    while (p < line.size() && line[p] >= '0' && line[p] <= '9') {
      if (n <= 65535) n = n * 10 + static_cast<uint32_t>(line[p] - '0');
      ++p;
    }
    if (n == 0 || n > 65535) {
      result_.detail = std::string(line.substr(digits, p - digits));
      return Fail(kErrSyntaxError);
    }
    number = n;
    if (p < line.size() && line[p] == ' ') ++p;
    text = line.substr(p);
  }
  // A line holds at most 255 characters of text: a longer one could not be
  // stored in a binary file and read back.
  if (text.size() > kMaxStoredText) {
    text = text.substr(0, kMaxStoredText);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  }
  if (text.empty()) {
    if (number != kNoLineNumber)
      if (ProgramLine* old = program_.FindLine(number)) program_.Remove(old);
    return true;
  }
  if (number == kNoLineNumber) program_.Append(Compiled(number, text));
  else program_.InsertByNumber(Compiled(number, text));
  return true;
}

}  // namespace

uint32_t TextCheckSum(std::string_view text) {
  uint32_t sum = 0;
  for (size_t i = 0; i < text.size(); ++i)
    sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(text[i]))) *
           static_cast<uint32_t>(i);
  return sum;
}

uint32_t CodeCheckSum(const uint8_t* code, size_t length) {
  uint32_t sum = 0;
  for (size_t i = 0; i < length; ++i)
    sum += static_cast<uint32_t>(code[i]) * static_cast<uint32_t>(i);
  return sum;
}

void AppendBinaryProgram(const ProgramList& program, std::string& out) {
  out.append(reinterpret_cast<const char*>(kHeader), sizeof kHeader);
  for (const ProgramLine* l = program.First(); l; l = l->Next()) {
    PutU32(out, l->number);
    out.push_back('\0');
    PutU32(out, static_cast<uint32_t>(l->text.size()));
    out += l->text;
    PutU32(out, TextCheckSum(l->text));
    PutU32(out, static_cast<uint32_t>(l->CodeLength()));
    out.append(reinterpret_cast<const char*>(l->Code()), l->CodeLength());
    PutU32(out, CodeCheckSum(l->Code(), l->CodeLength()));
  }
}

void AppendTextProgram(const ProgramList& program, std::string& out) {
  for (const ProgramLine* l = program.First(); l; l = l->Next()) {
    if (l->IsNumbered()) {
      char digits[12];
      const auto r = std::to_chars(digits, digits + sizeof digits, l->number);
      out.append(digits, r.ptr);
      out.push_back(' ');
    }
    out += l->text;
    out += "\r\n";
  }
}

// --- ProgramSource -------------------------------------------------------------

ProgramSource::~ProgramSource() {
  if (fd_ >= 0) ::close(fd_);
}

int32_t ProgramSource::Open(const std::string& path) {
  // Without waiting: opening a FIFO for reading would wait for a writer
  // before the check below could refuse it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenError(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kErrIoError;
  }
  if (st.st_size >= (off_t{1} << 31)) {
    ::close(fd);
    return kErrMaxFileSize;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  memory_ = {};
  at_ = end_ = nullptr;
  failed_ = false;
  return kOk;
}

bool ProgramSource::Refill() {
  if (fd_ < 0) {
    // Memory: handed out whole on the first call.
    if (memory_.empty() || at_ != nullptr) return false;
    at_ = reinterpret_cast<const uint8_t*>(memory_.data());
    end_ = at_ + memory_.size();
    return true;
  }
  if (failed_) return false;
  constexpr size_t kChunk = 65536;
  buffer_.resize(kChunk);
  ssize_t n;
  do { n = ::read(fd_, buffer_.data(), kChunk); } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    failed_ = n < 0;
    at_ = end_ = nullptr;
    return false;
  }
  at_ = reinterpret_cast<const uint8_t*>(buffer_.data());
  end_ = at_ + n;
  return true;
}

size_t ProgramSource::Read(uint8_t* to, size_t n) {
  size_t done = 0;
  while (done < n) {
    if (at_ == end_ && !Refill()) break;
    const size_t take = std::min(n - done, static_cast<size_t>(end_ - at_));
    std::memcpy(to + done, at_, take);
    at_ += take;
    done += take;
  }
  return done;
}

bool ProgramSource::Rewind() {
  if (fd_ < 0) {
    at_ = end_ = nullptr;
    return true;
  }
  at_ = end_ = nullptr;
  if (::lseek(fd_, 0, SEEK_SET) != 0) {
    failed_ = true;
    return false;
  }
  return true;
}

ProgramReadResult ReadProgram(ProgramSource& source, ProgramList& program, bool forceRecompile) {
  ProgramReadResult result;
  Loader loader(source, program, result);
  try {
    uint8_t header[kProgramHeaderSize];
    const size_t got = source.Read(header, sizeof header);
    if (source.Failed()) {
      result.error = kErrIoError;
      return result;
    }
    if (got == sizeof header && IsBinaryHeader(header)) {
      result.binary = true;
      const bool trusted = ReadU32(header + kVersionOffset) == kProgramFileVersion &&
                           (ReadU16(header + kFlagsOffset) & kUntrustedBits) == 0 &&
                           !forceRecompile;
      loader.Binary(trusted);
    } else {
      if (!source.Rewind()) {
        result.error = kErrIoError;
        return result;
      }
      loader.Text();
    }
  } catch (const std::bad_alloc&) { result.error = kErrOutOfMemory; }
  return result;
}

}  // namespace torvic
