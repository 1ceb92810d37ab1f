// Feeds arbitrary text to the expression compiler and, when it compiles,
// evaluates it on a fresh variable store, the general way and then as a
// running line's code (through a decoded plan when it qualifies). The first byte chooses whether a
// program counts as running (option base and OPTION EXPLICIT apply then).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/settings.h"
#include "expr/evaluator.h"
#include "frontend/code_buffer.h"
#include "frontend/expr_compiler.h"
#include "platform/host.h"

namespace {

using namespace torvic;

struct FuzzEnv : EvalEnvironment {
  bool running = false;
  bool stop = false;
  SettingsMemory settings;
  bool ProgramRunning() override { return running; }
  const bool& PendingStop() override { return stop; }
  double ForegroundColor() override { return 7; }
  double BackgroundColor() override { return 0; }
  std::string CurrentVolumeName() override { return "WORK"; }
  platform::LocalTime LocalNow() override { return {}; }
  SettingsMemory& Settings() override { return settings; }
  bool IsValidFileName(std::string_view) override { return false; }
  void BreakFromUsr(std::string_view) override {}
  platform::Host* Host() override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 300) return 0;  // a line holds at most 255 characters
  static FuzzEnv env;
  static CodeBuffer out;
  env.running = data[0] & 1;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  out.Reset();
  const size_t start = out.Size();
  size_t pos = 0;
  if (!CompileExpression(text, pos, out) || out.Failed()) return 0;
  VariableStore vars;
  Evaluator ev(vars, env);
  size_t at = start;
  CValue v;
  ev.EvaluateValue(Code(out.Data(), out.Size()), at, v);
  // The same code as the running program's: decoded into a plan on first
  // sight (when it qualifies), then run from the plan.
  static uint64_t epoch = 0;
  ev.SetCachedCode(out.Data(), ++epoch);
  for (int i = 0; i < 2; ++i) {
    at = start;
    ev.EvaluateValue(Code(out.Data(), out.Size()), at, v);
  }
  ev.SetCachedCode(nullptr, 0);
  // Variable references compile on their own too (the targets of LET).
  out.Reset();
  pos = 0;
  if (CompileVariableReference(text, pos, out) && !out.Failed()) {
    at = start;
    ResolvedRef ref;
    ev.ResolveReference(Code(out.Data(), out.Size()), at, ref);
  }
  return 0;
}
