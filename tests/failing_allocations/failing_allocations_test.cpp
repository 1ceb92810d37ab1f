// Storage that runs out at any moment of a session: this test executable
// replaces the global allocator with one that can fail a chosen allocation,
// and runs whole sessions (programs typed, run, and a command after them)
// once with each of their allocations failing in turn. Whatever fails, the
// session must go on: "?Out of memory" where something could not be made
// (or error 35 trapped by ON ERROR, or no visible change at all where a
// failure is absorbed: a decoded expression that falls back to the general
// evaluator), the command typed
// after the failure working, no abort, and every byte charged to the
// memory budget given back at the end.
//
// A separate executable: the replacement allocator is global.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "engine/session.h"
#include "platform/memory_budget.h"

namespace {

// The allocation hook. While armed, allocations are counted; those
// numbered `failAt` to `failAt + burst - 1` throw std::bad_alloc.
struct Hook {
  bool armed = false;
  long count = 0;
  long failAt = -1;
  long burst = 1;
  bool fired = false;
  const std::string* transcript = nullptr;  // where the session stood when the
  size_t lastFiredAt = 0;                   // last failure came
};
Hook hook;

void* Allocate(std::size_t n) {
  if (hook.armed && ++hook.count >= hook.failAt && hook.count < hook.failAt + hook.burst) {
    hook.lastFiredAt = hook.transcript ? hook.transcript->size() : 0;
    hook.fired = true;
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace torvic {
namespace {

// The command typed after each program; it must work whatever failed before.
constexpr std::string_view kLastCommand = "PRINT 4321\n";
constexpr std::string_view kLastOutput = "PRINT 4321\n 4321\n";

struct Outcome {
  std::string transcript;
  long allocations = 0;
  bool fired = false;
  size_t lastFiredAt = 0;
};

// One session with allocations `failAt` to `failAt + burst - 1` failing
// (-1: none).
Outcome RunFailing(std::string_view typed, long failAt, long burst = 1) {
  const uint64_t before = memory::Used();
  Outcome o;
  {
    Session s;
    s.transcript.reserve(1 << 16);  // the test's own record never fails
    s.host.TypeText(typed);
    s.host.TypeText(kLastCommand);
    hook = Hook{};
    hook.transcript = &s.transcript;
    hook.failAt = failAt;
    hook.burst = burst;
    hook.armed = true;
    s.in.ShowPrompt();
    s.in.RunSession();
    hook.armed = false;
    o.transcript = s.transcript;
    o.allocations = hook.count;
    o.fired = hook.fired;
    o.lastFiredAt = hook.lastFiredAt;
  }
  EXPECT_EQ(memory::Used(), before) << "budget not given back, allocation " << failAt;
  return o;
}

// Runs `typed` with each of its allocations failing in turn, alone and
// with the next few failing too (a report made while storage is short).
void FailEveryAllocation(std::string_view typed) {
  const Outcome clean = RunFailing(typed, -1);
  ASSERT_NE(clean.transcript.find(kLastOutput), std::string::npos) << clean.transcript;
  ASSERT_EQ(clean.transcript.find("?Out of memory"), std::string::npos) << clean.transcript;
  ASSERT_GT(clean.allocations, 10);
  int reported = 0;
  for (long run = 0; run < 2 * clean.allocations && !::testing::Test::HasFailure(); ++run) {
    const long n = run % clean.allocations + 1, burst = run < clean.allocations ? 1 : 4;
    const Outcome o = RunFailing(typed, n, burst);
    if (!o.fired) continue;  // fewer allocations this time: nothing failed
    // Reported, or trapped by ON ERROR (the sessions' handlers print it).
    size_t oom = o.transcript.find("?Out of memory");
    if (oom == std::string::npos) oom = o.transcript.find("TRAPPED 35");
    if (oom == std::string::npos) {
      // Absorbed: nothing may differ from the clean session.
      EXPECT_EQ(o.transcript, clean.transcript) << "allocation " << n << " (" << burst << ")";
      continue;
    }
    ++reported;
    // The last command is always typed; failures before it was entered
    // leave it working.
    const size_t entered = o.transcript.rfind(kLastCommand);
    EXPECT_NE(entered, std::string::npos) << "allocation " << n << " (" << burst << "):\n"
                                          << o.transcript;
    if (entered != std::string::npos && o.lastFiredAt <= entered) {
      EXPECT_EQ(o.transcript.compare(entered, kLastOutput.size(), kLastOutput), 0)
          << "allocation " << n << " (" << burst << "):\n"
          << o.transcript;
    }
    EXPECT_TRUE(Session::EndsWith(o.transcript, "Ready\n"))
        << "allocation " << n << " (" << burst << ")"
        << ":\n"
        << o.transcript;
  }
  EXPECT_GT(reported, 0);
  std::printf("%ld allocations, %d failures reported\n", clean.allocations, reported);
}

TEST(FailingAllocations, StringsAndArrays) {
  FailEveryAllocation(
      "10 DIM A$(20), N(30): FOR I = 0 TO 20: A$(I) = STRING$(\"X\", I * 10) + STR$(I): NEXT\n"
      "20 B$ = \"\": FOR I = 1 TO 40: B$ = B$ + CHR$(65 + I MOD 26): N(I MOD 30) = I: NEXT\n"
      "30 REDIM PRESERVE A$(30): C$ = MID$(B$, 3, 20) + LEFT$(A$(5), 7): ERASE N\n"
      "40 PRINT LEN(B$); C$; INSTR(B$, \"KL\"); UCASE$(\"abc\"); USING$(\"##.#\", 3.14159)\n"
      "RUN\n");
}

TEST(FailingAllocations, JumpsLoopsTrapsAndFunctions) {
  FailEveryAllocation(
      "10 ON ERROR GOTO 100: DEF FN F(X) = X * 2 + FN G(X)\n"
      "15 DEF FN G(Y) = Y + 1: CONST K = 5: READ D$, E\n"
      "20 FOR I = 1 TO 6: GOSUB 200: PUSH: POP: FOR LONGLOOPNAME1234 = 1 TO 2: NEXT: NEXT\n"
      "30 ERROR 7: ON I GOSUB 200, 200\n"
      "40 PRINT FN F(I); %K; D$; E; VARPTR(Q) > 0; A(3)\n"
      "50 END\n"
      "60 DATA \"HELLO, WORLD\", 42\n"
      "100 PRINT \"TRAPPED\"; ERR: RESUME NEXT\n"
      "200 A(I MOD 10) = I: LONGVARIABLENAME123 = I: RETURN\n"
      "RUN\n");
}

TEST(FailingAllocations, EditingAndListing) {
  FailEveryAllocation(
      "30 PRINT \"C\"\n10 PRINT \"A\": GOTO 30\n20 PRINT \"B\"\n"
      "LIST\nRENUM 100, 10\nLIST 100-110\n20 X = 1\nDEL 110\n$XREF\nRUN\nPRINT 1 + 2\n");
}

TEST(FailingAllocations, StoppedStateAndImmediateCommands) {
  FailEveryAllocation(
      "10 FOR I = 1 TO 3: PRINT I: NEXT: STOP: PRINT \"AFTER\"\nRUN\n"
      "A$ = \"TYPED \" + STR$(I): PRINT A$\nFOR J = 1 TO 2: PRINT J;: NEXT\nCONT\n"
      "GOSUB 10\n");
}

TEST(FailingAllocations, InputScreenImagesAndGrowingStores) {
  std::string names;
  for (int i = 1; i <= 24; ++i)
    names += "VARIABLE" + std::to_string(i) + " = " + std::to_string(i) + ": ";
  FailEveryAllocation(
      "10 INPUT \"NAME\"; N$: INPUT A, B: PRINT N$; A + B\n"
      "20 SCREEN 2, 2, 20, 5, 1, 14: PRINT \"INSIDE\": SCREEN -1\n"
      "30 FOR I = 1 TO 120: W$ = W$ + \"ABCDEFGH\": V(I MOD 11) = I: NEXT: PRINT LEN(W$)\n"
      "40 DIM BIG(3000), S$(200): FOR I = 1 TO 200: S$(I) = STR$(I) + \"XXXXXXXXXXXXXXXXXXXX\": "
      "NEXT\n"
      "50 " +
      names +
      "PRINT VARIABLE24\n"
      "RUN\nA TYPED NAME THAT IS LONG\n3, 4\nLIST 20-30\nPRINT INFO(2) > 0; FRE(0) > 0\n");
}

}  // namespace
}  // namespace torvic
