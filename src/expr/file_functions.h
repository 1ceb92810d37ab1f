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

// Each function's worker in the function table is one instance of a single
// forwarder to EvalEnvironment::CallFileFunction (functions.cpp); what each
// one answers is documented with the engine's workers.

}  // namespace torvic
