// Data files: the numbered files BASIC programs read and write (OPEN #1 to
// #255), the table of the open ones in opening order, their block buffers,
// the FIELD definitions that share a RANDOM file's record buffer, and the
// echo file of ATTACH. The statements are in file_statements.cpp (OPEN,
// CLOSE, FIELD, GET #, PUT #, ...), the file forms of PRINT, WRITE, INPUT
// and LINE INPUT in print_statement.cpp and input_statements.cpp, the
// functions (eof, loc, lof, ...) in file_functions.cpp, the whole-file
// statements in file_transfer.cpp.
//
// Modes and buffers. APPEND and OUTPUT files collect their text in a
// buffer of the record length (LEN, 512 by default) and write it to the
// host file a block at a time; INPUT files read a block at a time; a RANDOM
// file's buffer is its record, which GET fills and PUT writes, and which
// the FIELD variables show without copying (CBasicString::Bind).
//
// Host failures are never dropped. A block write that fails keeps the
// bytes that did not reach the file in the buffer: the statement that made
// the block full reports the failure, the next write tries again, and
// CLOSE reports it (the file then stays open; ABORT closes it anyway). The
// implicit closes (END, RUN, program edits, NEW, error aborts, leaving the
// system) close every file like ABORT but say on the screen when bytes
// could not be written.
//
// Sharing: an advisory lock per open file (platform/host_file.h); readers
// share, writers hold the file alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "engine/interpreter.h"
#include "expr/value.h"
#include "platform/host_file.h"
#include "platform/memory_budget.h"

namespace torvic {

class OperandReader;

enum class FileMode : int32_t { Append = 0, Input = 1, Output = 2, Random = 3 };

inline constexpr int32_t kMaxFileNumber = 255;
inline constexpr int32_t kDefaultRecordLength = 512;
// The largest host file a data file may reach: one byte less than 2 GiB.
inline constexpr int64_t kMaxDataFileSize = 2147483647;

// "APPEND", "INPUT", "OUTPUT", "RANDOM".
std::string_view ModeWord(FileMode mode);
// The mode a letter names in the short OPEN form and REOPEN: A, I, O, R or
// D in either case; false for any other letter.
bool ModeOfLetter(char letter, FileMode& mode);

// One open data file.
struct DataFile {
  int32_t number = 0;
  FileMode mode = FileMode::Input;
  int32_t recordLength = kDefaultRecordLength;
  // INPUT: no byte is left to read. RANDOM: the last GET read a short record.
  bool atEnd = false;
  std::string volume;  // the volume it lies on (upper case)
  std::string name;    // its name in the volume's folder
  std::string path;    // the host path
  platform::HostFile host;
  // The output block, the input block or the record; recordLength bytes.
  std::unique_ptr<uint8_t[]> buffer;
  // APPEND/OUTPUT: bytes waiting in the block; INPUT: bytes not yet used;
  // RANDOM: the record length.
  int32_t buffered = 0;
  // The offset of the next byte in the buffer (RANDOM: in the record).
  int32_t position = 0;
  int32_t recordNumber = 0;  // RANDOM: the record last read, written or sought
  // APPEND/OUTPUT: where the block goes in the host file; INPUT: where the
  // next block comes from. LOC of these modes.
  int64_t hostPosition = 0;
  // The output column of PRINT's comma zones and TAB: bytes since the last
  // line end (sequential files) or the position in the record (RANDOM).
  int32_t column = 0;
  memory::Reservation held;  // the record, its names and its buffer

  bool Writes() const { return mode == FileMode::Append || mode == FileMode::Output; }
  int32_t OutputColumn() const { return mode == FileMode::Random ? position : column; }
};

// BASIC errors for host errno values: opening (not found 16, bad path 22,
// refused or shared 1, full 54, no memory 35, else 24), writing (full 54,
// over the host's size limit 28, else 24), closing (full 54, else 24).
int32_t MapOpenError(int error);
int32_t MapWriteError(int error);
int32_t MapCloseError(int error);

class DataFileTable final : public RunStateListener {
 public:
  explicit DataFileTable(Interpreter& in);
  ~DataFileTable() override;
  DataFileTable(const DataFileTable&) = delete;
  DataFileTable& operator=(const DataFileTable&) = delete;

  // The open file with this number (1..255), or null.
  DataFile* FindFile(int32_t number) const {
    return number > 0 && number <= kMaxFileNumber ? byNumber_[number] : nullptr;
  }
  size_t Count() const { return files_.size(); }
  // The open files in opening order.
  const memory::Vector<std::unique_ptr<DataFile>>& Files() const { return files_; }
  // The lowest number 1..255 that is not open, 0 when all are.
  int32_t FreeNumber() const;

  // OPEN's steps 5 to 8 for a name already resolved and checked: the record
  // and its buffer, the host file in the mode's way, the size check, the
  // start position. The record is not kept when any step fails.
  int32_t Open(int32_t number, FileMode mode, int32_t recordLength, std::string volume,
               std::string name, std::string path);
  // REOPEN: the same number and record length in another mode (datafiles.cpp
  // says how).
  int32_t Reopen(DataFile& f, FileMode mode);

  // Text written to a file: APPEND/OUTPUT through the block buffer,
  // RANDOM into the record at the position ("?FIELD overflow" when it would
  // not fit: nothing is written then).
  int32_t WriteFileText(DataFile& f, const uint8_t* bytes, size_t count);
  int32_t WriteFileText(DataFile& f, std::string_view text) {
    return WriteFileText(f, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  // APPEND/OUTPUT: the waiting bytes to the host file (other modes: nothing).
  int32_t FlushFile(DataFile& f);

  // LINE INPUT #: one line (INPUT and RANDOM files).
  int32_t ReadFileLine(DataFile& f, CBasicString& line);
  // INPUT # of a number and of a string field.
  int32_t ReadNumberField(DataFile& f, double& value);
  int32_t ReadStringField(DataFile& f, CBasicString& text);
  // input$: up to `count` bytes as they are (INPUT and RANDOM files).
  int32_t ReadBytes(DataFile& f, int32_t count, CBasicString& bytes);

  // RANDOM records. `record` has been checked (1.., record x length below
  // 2 GiB).
  int32_t GetRecord(DataFile& f, int32_t record);
  int32_t PutRecord(DataFile& f, int32_t record);
  int32_t InsertRecord(DataFile& f, int32_t record);
  int32_t DeleteRecord(DataFile& f, int32_t record);
  // SEEK, REWIND, TRUNCATE on one open file.
  int32_t Seek(DataFile& f, int32_t position);
  int32_t Rewind(DataFile& f);
  int32_t Truncate(DataFile& f);
  // RANDOM: records in the host file (its length over the record length,
  // rounded up); other modes: the length in bytes. -1 with `error` set
  // when the host does not tell.
  int64_t Length(DataFile& f, int32_t& error);

  // CLOSE of one number: nothing for 0 or a number not open; a failed
  // flush leaves the file open and is returned; a failed close of the
  // host file is returned with the file closed.
  int32_t CloseFile(int32_t number);
  // ABORT: closed whatever fails; the first failure comes back for the
  // implicit closes to show.
  int32_t AbortFile(int32_t number);
  // CLOSE and RESET without numbers: in opening order, stopping at the
  // first failure.
  int32_t CloseAllFiles();
  // ABORT without numbers and the implicit closes.
  int32_t AbortAllFiles();

  // FIELD: `variable` (a string scalar) shows `width` bytes of the record
  // of file `f` from `offset`; a definition it had before is replaced.
  int32_t DefineField(DataFile& f, int32_t offset, int32_t width, std::string_view variable,
                      CBasicString& storage);
  // Drops the FIELD definition of a variable about to take a value of its
  // own (DLOAD).
  void ForgetField(std::string_view variable);

  // The echo file (ATTACH, DETACH, CMD; PEEK(706)): every character the
  // screen sends to its echo sink also goes to this file. The batch
  // transcript, when there is one, keeps receiving them: the table puts
  // its own sink in front of the screen's and passes every character on.
  int32_t Attach(int32_t number);
  void Detach();
  int32_t EchoNumber() const { return echoNumber_; }

  // RunStateListener: RUN, program edits (NEW too), END and an error that
  // aborts a running program close the files. An error in a command typed
  // at the prompt aborts no run: the files opened there stay open.
  void OnRunReset() override { ImplicitClose(); }
  void OnEditReset() override { ImplicitClose(); }
  void OnAbort() override {
    if (in_.Running()) ImplicitClose();
  }
  void OnEnd() override { ImplicitClose(); }

 private:
  class EchoTee final : public EchoSink {
   public:
    explicit EchoTee(DataFileTable& table) : table_(table) {}
    void Echo(const uint8_t* bytes, size_t count) override;
    EchoSink* next = nullptr;

   private:
    DataFileTable& table_;
  };
  struct FieldDefinition {
    int32_t number;
    std::string name;
    memory::Reservation held;
  };

  void Remove(DataFile* f);
  // Drops the FIELD definitions of a file; their variables become empty.
  void DropFields(int32_t number);
  // Writes the output block; bytes that could not be written stay.
  int32_t WriteBlock(DataFile& f);
  // INPUT: the next block into the buffer; false at the end of the file.
  int32_t Refill(DataFile& f, bool& any);
  // INPUT: after a read, at end when no byte is left.
  int32_t NoteEnd(DataFile& f);
  int32_t ReadQuotedField(DataFile& f, CBasicString& text, bool& any, uint8_t& b, bool& ended);
  int32_t ReadPlainField(DataFile& f, CBasicString& text, bool& any, uint8_t& b);
  // The next byte of an INPUT file or of the record: false at the end.
  int32_t PeekByte(DataFile& f, bool& any, uint8_t& byte);
  // Closing by the run-state resets: every file aborted, a failure shown.
  void ImplicitClose();
  CBasicString* FieldVariable(std::string_view name);

  Interpreter& in_;
  memory::Vector<std::unique_ptr<DataFile>> files_;
  std::array<DataFile*, kMaxFileNumber + 1> byNumber_{};
  memory::Vector<FieldDefinition> fields_;
  EchoTee tee_{*this};
  int32_t echoNumber_ = 0;
  bool echoing_ = false;  // inside the tee: a failure must not recurse
};

// The items of PRINT (PRINT #, CMD) written to a data file, up to their
// closing 0 byte (print_statement.cpp).
int32_t PrintItemsToFile(Interpreter& in, OperandReader& ops, DataFile& f);
// The same items on the screen, as PRINT shows them (CMD 0, items).
int32_t PrintItemsOnScreen(Interpreter& in, OperandReader& ops);

// The warning of SECURE before a running program changes files: `text`
// ("Warning: OPEN ...") with Abort, Retry and Ignore. Retry goes on (Go);
// Ignore skips the statement without an error (Skip); Abort stops the
// program as the Break key does (Stopped): the statement is executed again
// when the program continues, so `offset` is moved back to its start.
// Without SECURE, or in immediate mode, Go at once.
enum class SecureAnswer { Go, Skip, Stopped };
SecureAnswer SecureWarning(Interpreter& in, std::string_view text, size_t& offset);

// The deletion of one file by KILL #, with the KILL statement's rules: it
// may be switched off (nothing happens), a read-only volume refuses it,
// SECURE warns, confirmations ask "File ... exists, delete?" in immediate
// mode, and the progress and count lines follow their settings.
int32_t KillOneFile(Interpreter& in, const std::string& volume, const std::string& name,
                    const std::string& path, size_t& offset);

}  // namespace torvic
