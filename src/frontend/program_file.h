// Program files: the compiled binary form and the plain text form of a
// program, their writers and the one reader that tells them apart.
//
// The binary form keeps each line's text and its compiled code (the byte
// diagram is beside the writer, in program_file.cpp); a reader trusts the
// stored code only when the header says it was written by this compiler,
// both check sums match and the structural validator passes it. Any other
// line is compiled again from its text, and the program counts as modified.
// The text form is one program line per text line.
//
// Reading appends to the program it is given: LOAD, CHAIN and RUN empty the
// program first, MERGE reads into an empty list of its own. A read that
// fails keeps the lines read before the failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/program.h"

namespace torvic {

// The 40-byte header of a binary program file and its line records.
inline constexpr size_t kProgramHeaderSize = 40;
inline constexpr uint32_t kProgramFileVersion = 17105418;  // bytes 0A 02 05 01
inline constexpr uint32_t kMaxStoredText = 255;
inline constexpr uint32_t kMaxStoredCode = 4096;
// The longest logical line of a text program that is kept (a number of five
// digits, a space and 255 characters of text); later characters are dropped.
inline constexpr size_t kMaxTextProgramLine = 261;

// The check sums of a line record: text characters as signed bytes, code
// bytes unsigned, each times its index from 0, modulo 2^32.
uint32_t TextCheckSum(std::string_view text);
uint32_t CodeCheckSum(const uint8_t* code, size_t length);

// The whole file image of `program` in each form.
void AppendBinaryProgram(const ProgramList& program, std::string& out);
void AppendTextProgram(const ProgramList& program, std::string& out);

// Where a program file's bytes come from: an open host file or bytes held
// in memory (a built-in program, a test, the fuzzer). Reads are buffered, so
// the reader may take one byte at a time.
class ProgramSource {
 public:
  ProgramSource() = default;
  explicit ProgramSource(std::string_view bytes) : memory_(bytes) {}
  ~ProgramSource();
  ProgramSource(const ProgramSource&) = delete;
  ProgramSource& operator=(const ProgramSource&) = delete;

  // Opens a host file for reading: 0, or the error LOAD reports. The file
  // must be a plain file (a device, a pipe or a folder is "?I/O error"; a
  // FIFO is not waited for) below 2 GiB ("?Maximum file size exceeded").
  int32_t Open(const std::string& path);

  // The next byte, or -1 at the end (or after a read error, see Failed).
  int Get() {
    if (at_ < end_) return *at_++;
    return Refill() ? *at_++ : -1;
  }
  // Up to n bytes; fewer only at the end (or on a read error).
  size_t Read(uint8_t* to, size_t n);
  // Back to the first byte.
  bool Rewind();
  bool Failed() const { return failed_; }

 private:
  bool Refill();

  std::string_view memory_;
  int fd_ = -1;
  bool failed_ = false;
  const uint8_t* at_ = nullptr;
  const uint8_t* end_ = nullptr;
  std::string buffer_;
};

struct ProgramReadResult {
  int32_t error = 0;  // 0, or the BASIC error that stopped the read
  // For "?Syntax error" (a text line's number out of range): the digits,
  // which the report shows as its detail.
  std::string detail;
  bool binary = false;
  bool recompiled = false;  // a binary line's stored code was not used
};

// Reads a program file (either form) and appends its lines to `program`:
// a binary file's records in file order, a text file's numbered lines in
// number order (replacing a line of the same number) and unnumbered ones at
// the end. `forceRecompile` distrusts every stored line. Running out of
// memory is "?Out of memory"; the lines read before any failure stay. A
// recompiled line sets the program's modified flag.
ProgramReadResult ReadProgram(ProgramSource& source, ProgramList& program,
                              bool forceRecompile = false);

}  // namespace torvic
