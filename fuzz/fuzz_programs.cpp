// Runs random short programs in the scripted host: lines built from the
// statements that move execution (jumps, loops, traps, RESUME forms, DATA,
// STOP and CONT, timers) with random expressions and targets, then RUN and a
// few commands typed in whatever state the run left. Break may arrive at a
// random moment and the virtual clock may run, so traps fire mid-run.
//
// Every session is bounded: after a budget of pump turns the window is
// closed (every loop must unwind on that); a loop that keeps running long
// after it is a fault and aborts, as do crashes and sanitizer reports.
//
// The memory budget is small (64K to 1M), and statements that make stores
// grow (DIM, REDIM, strings that double, VARPTR, PUSH, GOSUB) are among the
// random ones, so runs keep meeting "?Out of memory" in every store. After
// each session every byte charged to the budget must have been given back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "platform/memory_budget.h"
#include "support/scripted_host.h"

namespace {

using namespace torvic;

constexpr long kTurnBudget = 4000;
constexpr long kTurnsAfterExit = 2000000;

// The scripted host's pump, counting turns and waits against the budget.
class BudgetPump final : public platform::EventPump {
 public:
  explicit BudgetPump(platform::ScriptedHost& inner) : inner_(inner) {}
  Interpreter* interpreter = nullptr;
  long breakAt = -1;  // the turn at which Break is pressed

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
    if (turns_ == breakAt) inner_.PostBreak();
    if (turns_ == kTurnBudget && interpreter) interpreter->RequestExit();
    if (turns_ > kTurnBudget + kTurnsAfterExit) {
      std::fprintf(stderr, "the session did not unwind after the window closed\n");
      std::abort();
    }
  }
  platform::ScriptedHost& inner_;
  long turns_ = 0;
};

class ProgramMaker {
 public:
  explicit ProgramMaker(FuzzedDataProvider& d) : d_(d) {}

  std::string Line() {
    std::string s;
    const int statements = d_.ConsumeIntegralInRange(1, 3);
    for (int i = 0; i < statements; ++i) {
      if (i) s += ": ";
      s += Statement(0);
    }
    return s;
  }

  std::string Statement(int depth) {
    switch (d_.ConsumeIntegralInRange(0, 57)) {
      case 0: return "GOTO " + Target();
      case 1: return "GOSUB " + Target();
      case 2: return "RETURN";
      case 3: return "RETURN " + Target();
      case 4: return "ON " + Expr() + " GOTO " + Target() + ", " + Target();
      case 5: return "ON " + Expr() + " GOSUB " + Target() + ", " + Target();
      case 6:
        if (depth > 1) return "A = 1";
        return "IF " + Expr() + " THEN " + Statement(depth + 1) + " ELSE " + Statement(depth + 1);
      case 7: return "IF " + Expr() + " THEN " + Target();
      case 8: return "GOIF " + Expr() + ", " + Target() + ", " + Target();
      case 9: return "FOR " + Var() + " = " + Expr() + " TO " + Expr() + " STEP " + Expr();
      case 10: return "FOR " + Var() + " = " + Expr() + " TO " + Expr();
      case 11: return "NEXT";
      case 12: return "NEXT " + Var();
      case 13: return "NEXT " + Var() + ", " + Var();
      case 14: return "WAIT " + Expr();
      case 15: return "DATA " + Data() + ", " + Data();
      case 16: return "READ " + Var();
      case 17: return "READ " + Var() + "$";
      case 18: return "RESTORE";
      case 19: return "RESTORE " + Target();
      case 20: return "ON ERROR GOTO " + Target();
      case 21: return "ON ERROR RESUME NEXT";
      case 22: return "ON BREAK GOTO " + Target();
      case 23: return "ON TIMER = " + Expr() + " GOTO " + Target();
      case 24: return "TIMER ON";
      case 25: return "TIMER OFF";
      case 26: return "TIMER STOP";
      case 27: return "TIMER = " + Expr();
      case 28: return "GOTO TIMER";
      case 29: return "RESUME";
      case 30: return "RESUME NEXT";
      case 31: return "RESUME " + Target();
      case 32: return "ERROR " + Expr();
      case 33: return "STOP";
      case 34: return "END";
      case 35: return "CONT";
      case 36: return "RUN";
      case 37: return "RUN " + Target();
      case 38: return "PUSH";
      case 39: return "POP";
      case 40: return "PRINT " + Expr() + ";";
      case 41: return "INPUT " + Var();
      case 42: return Var() + " = " + Expr();
      case 43: return d_.ConsumeBool() ? "BKOFF" : "BKON";
      case 44: return "*L" + std::to_string(d_.ConsumeIntegralInRange(0, 3));
      case 45: return "DIM A(" + Size() + ")";
      case 46: return "DIM T$(" + Size() + ", " + Size() + ")";
      case 47: return "REDIM PRESERVE A(" + Size() + ")";
      case 48: return "S$ = S$ + S$ + \"ABCDEFGHIJKLMNOP\"";
      case 49: return "T$(" + Expr() + ", 1) = STRING$(\"X\", " + Size() + ")";
      case 50: return "X = VARPTR(A(" + Expr() + "))";
      case 51: return d_.ConsumeBool() ? "ERASE A, T$" : "CLEAR";
      // String work the decoded plans take: appends (one to itself), cuts,
      // searches and string conditions, with out-of-range arguments.
      case 52: return "S$ = S$ + CHR$(" + Expr() + ")";
      case 53: return "T$(" + Expr() + ", 1) = T$(" + Expr() + ", 1) + LEFT$(S$, " + Expr() + ")";
      case 54:
        return "IF LEN(S$) > " + Expr() + " THEN S$ = MID$(S$, " + Expr() + ", " + Expr() + ")";
      case 55: return "X = INSTR(S$, MID$(S$, " + Expr() + ", 1)) + ASC(S$ + \"A\")";
      case 56: return "S$ = S$ + S$";

      default: return d_.ConsumeRandomLengthString(24);
    }
  }

  std::string Target() {
    switch (d_.ConsumeIntegralInRange(0, 9)) {
      case 0: return "0";
      case 1: return "999";
      case 2: return "*L" + std::to_string(d_.ConsumeIntegralInRange(0, 3));
      default: return std::to_string(10 * d_.ConsumeIntegralInRange(1, 8));
    }
  }

  std::string Var() {
    static const char* const kNames[] = {"I", "J", "A", "X", "COUNT1"};
    return kNames[d_.ConsumeIntegralInRange(0, 4)];
  }

  std::string Expr() {
    static const char* const kAtoms[] = {
        "0",   "1",   "-1",    "2", "3", "0.5", "255", "256",   "1E308", "-1E308",    "1/0",
        "ERR", "ERL", "TIMER", "I", "J", "A+1", "X*2", "\"S\"", "10",    "2147483648"};
    std::string e = kAtoms[d_.ConsumeIntegralInRange(0, 20)];
    if (d_.ConsumeIntegralInRange(0, 3) == 0)
      e += " + " + std::string(kAtoms[d_.ConsumeIntegralInRange(0, 20)]);
    return e;
  }

  std::string Size() {
    static const char* const kSizes[] = {"10", "100", "1000", "9999", "65535", "65536", "I * 100"};
    return kSizes[d_.ConsumeIntegralInRange(0, 6)];
  }

  std::string Data() {
    static const char* const kItems[] = {"1",     "ABC", "\"Q,R\"", "&HFF",
                                         "1E999", "",    "-2.5",    "\"X\"Y"};
    return kItems[d_.ConsumeIntegralInRange(0, 7)];
  }

 private:
  FuzzedDataProvider& d_;
};

// One session on a fresh interpreter.
void RunSession(FuzzedDataProvider& d) {
  platform::ScriptedHost scripted;
  BudgetPump pump(scripted);
  platform::Host host = scripted.AsHost();
  platform::Host budgeted{pump,          host.clock, host.timers,  host.dialogs,
                          host.settings, host.sound, host.process, nullptr};
  SettingsMemory memory;
  ConsoleScreen screen(budgeted, memory);
  Interpreter in(budgeted, screen, memory);
  pump.interpreter = &in;
  scripted.SetAutoAdvance(d.ConsumeIntegralInRange<uint32_t>(0, 5));
  if (d.ConsumeBool()) pump.breakAt = d.ConsumeIntegralInRange<long>(1, kTurnBudget);

  ProgramMaker maker(d);
  std::string typed;
  const int lines = d.ConsumeIntegralInRange(1, 8);
  for (int i = 0; i < lines; ++i)
    typed += std::to_string(10 * d.ConsumeIntegralInRange(1, 8)) + " " + maker.Line() + "\n";
  typed += "RUN\n";
  const int commands = d.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < commands; ++i) typed += maker.Line() + "\n";
  scripted.TypeText(typed);
  if (std::getenv("TORVIC_FUZZ_SHOW")) std::fputs(typed.c_str(), stderr);  // to replay a finding

  in.ShowPrompt();
  in.RunSession();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  FuzzedDataProvider d(data, size);
  const uint64_t held = memory::Used();
  memory::SetLimit(d.ConsumeIntegralInRange<uint64_t>(64 << 10, 1 << 20));
  RunSession(d);
  if (memory::Used() != held) {
    std::fprintf(stderr, "the session did not give back %llu bytes of the memory budget\n",
                 static_cast<unsigned long long>(memory::Used() - held));
    std::abort();
  }
  return 0;
}
