// The built-in functions of the data files: eof, loc, lof, rec, bufsiz,
// open, freefile, filemode, filemode$, filename$ and input$. Their workers
// read the interpreter's data-file table through the evaluator's
// environment (EvalEnvironment::CallFileFunction, which the engine answers
// from engine/file_functions.h); under any other environment (tests of the
// evaluator alone) they answer "?Not supported".
//
// A file number argument is rounded half up and must be 0..255 ("?Function
// call error"); number 0 stands for the console and gives the console's
// value of each function; a number that is not open is "?File not open"
// unless the function says otherwise.
#pragma once

#include <cstdint>

#include "expr/functions.h"

namespace torvic {

// The data-file functions, as the environment is asked for them.
enum class FileFunction : uint8_t {
  Eof,
  Loc,
  Lof,
  Rec,
  Bufsiz,
  Open,
  Freefile,
  Filemode,
  ModeLetter,
  FileName,
  InputText
};

// eof(n): -1 at the end of an INPUT or RANDOM file, else 0; 0 for n = 0.
int32_t FnEof(CallContext& ctx, const CValue* args, int count, CValue& result);
// loc(n): RANDOM the record number, else the host file's position in bytes;
// the cursor column for n = 0.
int32_t FnLoc(CallContext& ctx, const CValue* args, int count, CValue& result);
// lof(n): the length in bytes (RANDOM: in records, rounded up); for n = 0
// the number of keys waiting in the key queue.
int32_t FnLof(CallContext& ctx, const CValue* args, int count, CValue& result);
// rec(n): the records of a RANDOM file; 0 for n = 0.
int32_t FnRec(CallContext& ctx, const CValue* args, int count, CValue& result);
// bufsiz(n): the record length; 0 for n = 0.
int32_t FnBufsiz(CallContext& ctx, const CValue* args, int count, CValue& result);
// open(n): -1 when n is open (and for 0), else 0.
int32_t FnOpen(CallContext& ctx, const CValue* args, int count, CValue& result);
// freefile: the lowest number that is not open, 0 when all are.
int32_t FnFreefile(CallContext& ctx, const CValue* args, int count, CValue& result);
// filemode(n): 0 APPEND, 1 INPUT, 2 OUTPUT, 3 RANDOM; 3 for n = 0.
int32_t FnFilemode(CallContext& ctx, const CValue* args, int count, CValue& result);
// filemode$(n): "A", "I", "O" or "R"; "" when not open; "R" for n = 0.
int32_t FnModeLetter(CallContext& ctx, const CValue* args, int count, CValue& result);
// filename$(n): "VOLUME:NAME"; "" when not open or for n = 0; "?Volume
// does not exist" when the file's volume has gone from the table.
int32_t FnFileName(CallContext& ctx, const CValue* args, int count, CValue& result);
// input$(count [, n]): count bytes (1..65535) read as they are from an
// INPUT or RANDOM file, or count keys from the keyboard for n = 0 (as GET
// reads them, waiting for each).
int32_t FnInputText(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
