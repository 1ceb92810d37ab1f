// The structural validator of a compiled line (layout in code_buffer.h and
// compiled_line.h). It checks what the run loop relies on without looking
// inside expression code: every record frame and length stays inside the
// line and inside the record that nests it, the line ends with its end
// byte, jumps and IF targets land on record boundaries, and every chain link
// points forward at an item of its chain's kind inside a statement record.
//
// The compiler's output always passes it (the tests and the fuzz target
// check that); the program-file loader runs it so that stored code read from
// a file is never executed unchecked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace torvic {

// True when the line is sound. Otherwise false, with a short description of
// the first fault in *fault when given. With `textLength` every record's
// column and text length must lie inside the source text.
bool ValidateCompiledLine(const uint8_t* code, size_t length, std::string* fault = nullptr,
                          size_t textLength = std::numeric_limits<size_t>::max());

}  // namespace torvic
