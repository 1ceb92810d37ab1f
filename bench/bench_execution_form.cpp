// The execution form's memory and making time: a program of 60,000 lines
// (three statements each: a LET, an IF with its THEN GOTO, a string LET) is
// run twice; the first run makes every line's form, the second finds them.
// Prints the form's statements and bytes beside the compiled code's bytes.
// Asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "frontend/program.h"
#include "support/scripted_host.h"

using namespace torvic;
using Clock = std::chrono::steady_clock;

namespace {

struct Rig {
  platform::ScriptedHost host;
  platform::Host h = host.AsHost();
  SettingsMemory memory;
  ConsoleScreen screen{h, memory};
  Interpreter in{h, screen, memory};
};

double TimeRun(Rig& rig) {
  const auto t0 = Clock::now();
  rig.in.RunProgramOnce();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main() {
  constexpr int kLines = 60000;
  Rig rig;
  for (int i = 1; i <= kLines; ++i)
    EnterNumberedLine(rig.in.Program(), std::to_string(i) + " A=A+1: IF A<0 THEN 1: B$=\"LINE\"");
  size_t codeBytes = 0;
  for (const ProgramLine* l = rig.in.Program().First(); l; l = l->Next())
    codeBytes += l->CodeLength();
  const double making = TimeRun(rig);
  const size_t statements = rig.in.Forms().Statements();
  const size_t formBytes = rig.in.Forms().Bytes();
  const double found = TimeRun(rig);
  std::printf("program: %d lines, %zu bytes of compiled code\n", kLines, codeBytes);
  std::printf("execution form: %zu statements, %zu bytes (%.2f x the code, %zu per statement)\n",
              statements, formBytes,
              static_cast<double>(formBytes) / static_cast<double>(codeBytes),
              sizeof(FormStatement));
  std::printf("first run (forms made): %.3f s; second run (forms found): %.3f s\n", making, found);
  return 0;
}
