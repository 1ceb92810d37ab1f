// BASIC error codes and their messages.
//
// Statement handlers and most internal operations return a signed 32-bit
// result: 0 for success, a positive error code to be reported by the caller,
// or the negated code when the error has already been reported. Errors never
// travel as exceptions between statements.
#pragma once

#include <cstdint>

namespace torvic {

// One row per error: the enum and the message table are both derived from it.
#define TORVIC_ERRORS(X)                                        \
  X(1, AccessDenied, "?Access denied")                          \
  X(2, AlreadyDimensioned, "?Already dimensioned")              \
  X(3, AlreadyOpen, "?Already open")                            \
  X(4, BadRecordNumber, "?Bad record number")                   \
  X(5, BadSubscript, "?Bad subscript")                          \
  X(6, CommandError, "?Command error")                          \
  X(7, ConstRedefined, "?Const redefined")                      \
  X(8, CannotContinue, "?Cannot continue")                      \
  X(9, DivisionByZero, "?/0 error")                             \
  X(10, DuplicateLabel, "?Duplicate label")                     \
  X(11, ElseWithoutIf, "?ELSE without matching IF")             \
  X(12, EndIfWithoutIf, "?END IF without matching IF")          \
  X(13, FieldOverflow, "?FIELD overflow")                       \
  X(14, BadFile, "?Bad file")                                   \
  X(15, FileModeError, "?File mode error")                      \
  X(16, FileNotFound, "?File not found")                        \
  X(17, FileNotOpen, "?File not open")                          \
  X(18, FunctionCallError, "?Function call error")              \
  X(19, IllegalConstant, "?Illegal constant definition")        \
  X(20, InputPastEnd, "?Input past end of file")                \
  X(21, InternalError, "?Internal error")                       \
  X(22, InvalidFileName, "?Invalid file name")                  \
  X(23, InvalidVolume, "?Invalid volume")                       \
  X(24, IoError, "?I/O error")                                  \
  X(25, LineTooLong, "?Line too long")                          \
  X(26, LogNotOpen, "?Log not open")                            \
  X(27, FolderGone, "?Volume's mapped folder no longer exists") \
  X(28, MaxFileSize, "?Maximum file size exceeded")             \
  X(29, MergeError, "?Merge error")                             \
  X(30, ModeError, "?Mode error")                               \
  X(31, NextWithoutFor, "?NEXT without matching FOR")           \
  X(32, NoPrinter, "?No printer connected")                     \
  X(33, NotSupported, "?Not supported")                         \
  X(34, OutOfData, "?Out of data")                              \
  X(35, OutOfMemory, "?Out of memory")                          \
  X(36, Overflow, "?Overflow error")                            \
  X(37, RenumberError, "?Renumber error")                       \
  X(38, ResourceNotFound, "?Resource not found")                \
  X(39, ResumeWithoutOn, "?RESUME without ON")                  \
  X(40, ReturnWithoutGosub, "?RETURN without GOSUB")            \
  X(41, UnableToStart, "?Unable to start TORVIC")               \
  X(42, StringTooLong, "?String too long")                      \
  X(43, SyntaxError, "?Syntax error")                           \
  X(44, SystemError, "?System error")                           \
  X(45, UnableToCreateTimer, "?Unable to create timer")         \
  X(46, TimerNotSet, "?Timer not set")                          \
  X(47, TypeMismatch, "?Type mismatch")                         \
  X(48, UndefinedConstant, "?Undefined constant")               \
  X(49, UndefinedFunction, "?Undefined function")               \
  X(50, UndefinedLabel, "?Undefined label")                     \
  X(51, UndefinedLine, "?Undefined line")                       \
  X(52, Underflow, "?Underflow error")                          \
  X(53, UnexpectedEof, "?Unexpected end of file")               \
  X(54, VolumeFull, "?Volume full")                             \
  X(55, VolumeDoesNotExist, "?Volume does not exist")           \
  X(56, ClipboardError, "?Unable to open clipboard")            \
  X(57, PrinterAlreadyOpen, "?Printer already open")            \
  X(58, PrinterError, "?Printer error")                         \
  X(59, PrinterNotOpen, "?Printer not open")                    \
  X(256, LoggingStopped, "?Unable to continue logging")         \
  X(1024, UndefinedError, "?Undefined error")                   \
  X(1025, UserDefinedError, "?User defined error")

enum Err : int32_t {
  kOk = 0,
#define TORVIC_ERROR_ENUM(code, name, text) kErr##name = code,
  TORVIC_ERRORS(TORVIC_ERROR_ENUM)
#undef TORVIC_ERROR_ENUM
};

// The message of exactly this code (question mark included), or nullptr when
// the code has none. No normalising: used where a message is embedded in other
// text and by ERR$.
const char* ErrorMessage(int32_t code);

// The code the console reports for a raised code: 128..255 become 1025
// ("?User defined error"), any other code above 59 becomes 1024.
int32_t NormalizeErrorCode(int32_t code);

}  // namespace torvic
