// Feeds arbitrary bytes to the program-file reader, as LOAD would read
// them from a file, then lists and runs what was loaded for a bounded number
// of pump turns.
//
// The first byte chooses how: bit 0 puts the binary header in front of the
// rest (so that mutations reach the line records at once; the seeds are
// whole binary files, header included, behind a 0 byte), bit 1 distrusts
// all stored code as forced recompiling does, bits 2..7 pick the memory
// budget (64K up to about 1M, so that loads meet "?Out of memory").
//
// What must hold, besides no crash and no sanitizer report:
//  - every line loaded passes the structural validator, whether its stored
//    code was trusted or it was compiled again;
//  - the binary image of what was loaded reads back as the same lines, all
//    of them trusted;
//  - after the session every byte charged to the memory budget is given
//    back.
// The interpreter's volume table is never attached, so a loaded program
// that saves, loads or deletes files finds no volume and touches nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "frontend/program.h"
#include "frontend/program_file.h"
#include "frontend/validator.h"
#include "platform/memory_budget.h"
#include "support/scripted_host.h"

namespace {

using namespace torvic;

constexpr long kTurnBudget = 3000;
constexpr long kTurnsAfterExit = 2000000;

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The scripted host's pump, counting turns against the budget.
class BudgetPump final : public platform::EventPump {
 public:
  explicit BudgetPump(platform::ScriptedHost& inner) : inner_(inner) {}
  Interpreter* interpreter = nullptr;

  void SetSink(platform::EventSink* sink) override { inner_.SetSink(sink); }
  bool PumpOnce() override {
    Spend();
    return inner_.PumpOnce();
  }
  bool AnyPending() override { return inner_.AnyPending(); }
  platform::WaitResult WaitForEvent(platform::WaitFor what, int timeoutMs) override {
    Spend();
    return inner_.WaitForEvent(what, timeoutMs);
  }

 private:
  void Spend() {
    ++turns_;
    if (turns_ == kTurnBudget && interpreter) interpreter->RequestExit();
    if (turns_ > kTurnBudget + kTurnsAfterExit) Fault("the session did not unwind after exit");
  }
  platform::ScriptedHost& inner_;
  long turns_ = 0;
};

// The header a binary program file starts with, taken from the writer.
std::string BinaryHeader() {
  std::string image;
  AppendBinaryProgram(ProgramList(), image);
  return image;
}

void CheckLoadedLines(const ProgramList& program) {
  for (const ProgramLine* l = program.First(); l; l = l->Next()) {
    std::string fault;
    if (!ValidateCompiledLine(l->Code(), l->CodeLength(), &fault, l->text.size())) {
      std::fprintf(stderr, "line %u: %s\n", l->number, fault.c_str());
      Fault("a loaded line holds unsound code");
    }
  }
}

// The binary image of `program` must read back line for line, trusted.
void CheckBinaryRoundTrip(const ProgramList& program) {
  std::string image;
  AppendBinaryProgram(program, image);
  ProgramSource source(image);
  ProgramList again;
  const ProgramReadResult r = ReadProgram(source, again);
  if (r.error == kErrOutOfMemory) return;  // the copy did not fit the budget
  if (r.error != 0 || !r.binary || r.recompiled) Fault("a saved image did not read back whole");
  const ProgramLine* a = program.First();
  const ProgramLine* b = again.First();
  for (; a && b; a = a->Next(), b = b->Next())
    if (a->number != b->number || a->text != b->text || a->code != b->code)
      Fault("a line changed between saving and loading");
  if (a || b) Fault("the number of lines changed between saving and loading");
}

void RunSession(std::string_view bytes, bool forceRecompile) {
  platform::ScriptedHost scripted;
  BudgetPump pump(scripted);
  platform::Host host = scripted.AsHost();
  platform::Host budgeted{pump,          host.clock, host.timers,  host.dialogs,
                          host.settings, host.sound, host.process, nullptr};
  SettingsMemory memory;
  ConsoleScreen screen(budgeted, memory);
  Interpreter in(budgeted, screen, memory);
  pump.interpreter = &in;
  scripted.SetAutoAdvance(1);

  ProgramSource source(bytes);
  const ProgramReadResult r = ReadProgram(source, in.Program(), forceRecompile);
  CheckLoadedLines(in.Program());
  if (r.error == 0) CheckBinaryRoundTrip(in.Program());

  scripted.TypeText("LIST\nRUN\n");
  in.ShowPrompt();
  in.RunSession();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 16384) return 0;
  const uint8_t mode = data[0];
  std::string bytes;
  if (mode & 1) bytes = BinaryHeader();
  bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

  const uint64_t held = memory::Used();
  memory::SetLimit((uint64_t{64} << 10) + (static_cast<uint64_t>(mode >> 2) << 14));
  RunSession(bytes, (mode & 2) != 0);
  memory::SetLimit(memory::kInitialLimit);
  if (memory::Used() != held) {
    std::fprintf(stderr, "the session did not give back %llu bytes of the memory budget\n",
                 static_cast<unsigned long long>(memory::Used() - held));
    std::abort();
  }
  return 0;
}
