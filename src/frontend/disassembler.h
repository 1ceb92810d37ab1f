// The disassembler: a compiled line (layout in code_buffer.h and
// compiled_line.h) as text, one row per record, for people reading code:
// the tests' failure messages and `torvic --disassemble PROGRAM`.
//
//   10 BEEP: GOTO 20
//     header  jump 0021
//     0010  BEEP  @0+4  "BEEP"
//     0018  GOTO  @6+7  "GOTO 20"  operands 00 14 00 00 00 0b 00 02 00 00
//     002a  end
//
// A row gives the record's offset, its listing name (or the number of a
// code that names no statement), the source column and length it came
// from, that source text, and its operand bytes in hex. Malformed code
// (a frame that runs past the end) ends the listing with a "malformed" row
// rather than reading beyond it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/code_reader.h"

namespace torvic {

class ProgramList;

// The records of one compiled line; `text` is the source the columns refer
// to (the line's text after its number), `number` the line number
// (kNoLineNumber for an unnumbered or typed line).
std::string DisassembleLine(uint32_t number, std::string_view text, Code code);

// Every line of the program, in order.
std::string DisassembleProgram(const ProgramList& program);

}  // namespace torvic
