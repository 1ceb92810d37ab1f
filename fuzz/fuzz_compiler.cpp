// Feeds arbitrary lines (up to 255 bytes, any byte values) to the line
// compiler. Every output must stay inside the buffer and pass the
// structural validator; anything else aborts the run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/code_buffer.h"
#include "frontend/compiler.h"
#include "frontend/validator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 255) size = 255;
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  static torvic::CodeBuffer out;
  torvic::CompileLine(line, out);
  std::string fault;
  if (out.Size() > torvic::CodeBuffer::kCapacity ||
      !torvic::ValidateCompiledLine(out.Data(), out.Size(), &fault, line.size())) {
    std::fprintf(stderr, "invalid compiled line: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
