// The execution form: which way each statement is given, that a form
// follows its line through edits, and that the fast ways give what the
// handlers give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/execution_form.h"
#include "session.h"

namespace torvic {
namespace {

using Kind = FormStatement::Kind;

// The kinds of line n's statements, in order, after a run made its form.
std::vector<Kind> KindsOf(Session& s, uint32_t n) {
  std::vector<Kind> kinds;
  const ProgramLine* line = s.in.Program().FindLine(n, nullptr);
  if (!line) return kinds;
  const FormStatement* f = s.in.Forms().At(*line, kLineHeaderSize, s.in.Expressions().Eval());
  if (!f) return kinds;
  for (uint32_t i = 0; i < line->form.count; ++i) kinds.push_back(line->form.first[i].kind);
  return kinds;
}

TEST(ExecutionForm, EachStatementGetsItsWay) {
  Session s;
  s.Run(
      "10 A=A+1: B=A: C=5: D=A*B+C\n"
      "20 IF A<3 THEN 10 ELSE GOSUB 100\n"
      "30 IF A+B+C THEN X=1\n"
      "40 DIM M(3): M(1)=A: GOTO *L\n"
      "50 *L: A$=\"X\": IF A$=\"X\" THEN 60\n"
      "60 FOR I=1 TO 2: FOR AB=1 TO 2: NEXT AB: NEXT: NEXT I: FOR J=1 TO 1: NEXT J,I\n"
      "70 END\n"
      "100 RETURN\n"
      "RUN\n");
  EXPECT_EQ(KindsOf(s, 10), (std::vector<Kind>{Kind::AssignFused, Kind::AssignFused,
                                               Kind::AssignFused, Kind::AssignChain}));
  // The THEN and ELSE parts stand inside the IF record: they have entries.
  EXPECT_EQ(KindsOf(s, 20), (std::vector<Kind>{Kind::IfFused, Kind::Goto, Kind::Gosub}));
  EXPECT_EQ(KindsOf(s, 30), (std::vector<Kind>{Kind::IfChain, Kind::AssignFused}));
  // THEN 10 is a jump the IF makes itself; THEN X=1 is not.
  const ProgramLine* line20 = s.in.Program().FindLine(20, nullptr);
  const ProgramLine* line30 = s.in.Program().FindLine(30, nullptr);
  ASSERT_TRUE(line20 && line30);
  EXPECT_NE(line20->form.first[0].thenJump, 0U);
  EXPECT_EQ(line20->form.first[0].number, 10U);
  EXPECT_EQ(line30->form.first[0].thenJump, 0U);
  // An element target is found by a step; a label target takes the handler.
  EXPECT_EQ(KindsOf(s, 40), (std::vector<Kind>{Kind::General, Kind::Assign, Kind::General}));
  // String assignments and conditions keep their plans as numbers do.
  EXPECT_EQ(KindsOf(s, 50), (std::vector<Kind>{Kind::General, Kind::Assign, Kind::If, Kind::Goto}));
  // FOR and NEXT of no name or of one letter; a named scalar's loop and a
  // list of names take the handler (which reports the NEXT I without its
  // FOR).
  EXPECT_EQ(KindsOf(s, 60), (std::vector<Kind>{Kind::For, Kind::General, Kind::General, Kind::Next,
                                               Kind::Next, Kind::For, Kind::General}));
  EXPECT_EQ(KindsOf(s, 100), (std::vector<Kind>{Kind::Return}));
  EXPECT_TRUE(s.Has("?NEXT without matching FOR in 60")) << s.transcript;
  EXPECT_EQ(s.Var('A'), 3);
  EXPECT_EQ(s.Var('X'), 1);
}

TEST(ExecutionForm, FollowsEditsAndRenumbering) {
  Session s;
  s.Run(
      "10 A=A+1: IF A<5 THEN 10\n"
      "20 B=A\n"
      "RUN\nPRINT \"FIRST\";B\n"
      "10 A=A+2: IF A<9 THEN 10\n"
      "RUN\nPRINT \"RETYPED\";B\n"
      "RENUM 100\nRUN\nPRINT \"RENUMBERED\";B\n"
      "100 A=A-1: IF A>0 THEN 100\nRUN\nPRINT \"AGAIN\";B\n");
  EXPECT_TRUE(s.Has("FIRST 5")) << s.transcript;
  EXPECT_TRUE(s.Has("RETYPED 10")) << s.transcript;  // the new line ran, not the old form
  EXPECT_TRUE(s.Has("RENUMBERED 10")) << s.transcript;
  EXPECT_TRUE(s.Has("AGAIN-1")) << s.transcript;
  EXPECT_FALSE(s.Has("?Undefined line")) << s.transcript;
}

// The same statements run by a program (the fast ways) and typed at the
// prompt (the handlers, since only running lines have forms) leave the same
// values; the errors of the fused operations are the operations' own.
TEST(ExecutionForm, FastWaysAndHandlersAgree) {
  const std::vector<std::string> lines = {
      "G=-0: IF G THEN H=1 ELSE H=2",
      "I=0.1: I=I+0.2: J=I*3: K=J/I: L=K-J",
      "M=(I<J)+(J>=K)*2+(K<>L)*4+(L=L)*8+(I<=I)*16+(J>I)*32",
      "A=-1.5: B=A*A: C=B/A: D=C-B: IF D<C THEN E=D ELSE E=C",
      "IF A+B+C+D THEN F=7",
      "N=-7.25: O=N^2: P=ABS(N): Q=SQR(P): R=O^2: S=INT(N): IF SGN(N) THEN T=1",
  };
  std::string program, typed;
  for (size_t i = 0; i < lines.size(); ++i) {
    program += std::to_string(10 * (i + 1)) + " " + lines[i] + "\n";
    typed += lines[i] + "\n";
  }
  Session fast, handlers;
  fast.Run(program + "RUN\n");
  handlers.Run(typed);
  for (char v = 'A'; v <= 'T'; ++v)
    EXPECT_EQ(fast.Var(v), handlers.Var(v)) << v << "\n" << fast.transcript;
  EXPECT_EQ(fast.Var('H'), 2);

  Session errors;
  errors.Run(
      "10 ON ERROR GOTO 900\n"
      "20 A=1E308: B=A+A\n"
      "30 C=7: D=C/0\n"
      "40 E=1E-300: F=E*1E-300\n"
      "60 IF A+A THEN N=1\n"
      "70 END\n"
      "900 O=O*100+ERR: P=P*100+ERL/10: RESUME NEXT\n"
      "RUN\n");
  EXPECT_EQ(errors.Var('O'), 36095236);  // overflow, /0, underflow, overflow
  EXPECT_EQ(errors.Var('P'), 2030406);
  EXPECT_EQ(errors.Var('B'), 0);
  EXPECT_EQ(errors.Var('N'), 0);

  // A letter given a built-in of a letter, or a letter squared, is fused:
  // the built-in's and the power's errors are theirs.
  Session kernels;
  kernels.Run(
      "10 ON ERROR GOTO 900\n"
      "20 G=0: H=LOG(G)\n"
      "30 I=1E200: J=I^2\n"
      "40 K=-4: L=SQR(K)\n"
      "50 END\n"
      "900 O=O*100+ERR: P=P*100+ERL/10: RESUME NEXT\n"
      "RUN\n"
      "PRINT ERR\n");
  EXPECT_EQ(kernels.Var('P'), 20304);
  EXPECT_EQ(kernels.Var('H'), 0);
  EXPECT_EQ(kernels.Var('J'), 0);
  EXPECT_EQ(kernels.Var('O'), 183618);  // LOG(0), 1E200^2, SQR(-4)
}

TEST(ExecutionForm, BreakStopsAFusedLoop) {
  Session s;
  s.onLine = [&](const std::string& t) {
    if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(300);
  };
  s.Run("10 A=A+1: IF A>0 THEN 10\nRUN\n");
  EXPECT_TRUE(s.Has("Break in 10")) << s.transcript;
  EXPECT_GT(s.Var('A'), 0);

  // A FOR loop whose NEXT goes back to another line, stopped and continued.
  Session loop;
  loop.onLine = [&](const std::string& t) {
    if (Session::EndsWith(t, "RUN\n")) loop.PostBreakAfter(300);
  };
  loop.Run("10 FOR I=1 TO 2E9\n20 NEXT I\nRUN\nI=2E9-5\nCONT\nPRINT \"AFTER\";I\n");
  EXPECT_TRUE(loop.Has("Break in 20") || loop.Has("Break in 10")) << loop.transcript;
  EXPECT_TRUE(loop.Has("AFTER 2000000001")) << loop.transcript;
}

// FOR of a letter with bounds that are number literals or letters (a
// parenthesised letter compiles to the letter) and a literal step; a
// negated number is an expression. RETURN with a target takes the handler.
TEST(ExecutionForm, ForAndReturnKinds) {
  Session s;
  s.Run(
      "10 A=1: B=2: N=2\n"
      "20 FOR I=10 TO 1 STEP -1: NEXT: FOR I=A TO B STEP 2: NEXT: FOR I=0 TO N-1: NEXT\n"
      "30 FOR I=(A) TO 1E3 STEP .5: NEXT: FOR I=A TO B STEP A: NEXT: FOR I=-3 TO B: NEXT\n"
      "40 GOSUB 60: GOSUB 70\n"
      "60 RETURN\n"
      "70 RETURN 80\n"
      "80 END\n"
      "RUN\n");
  EXPECT_EQ(KindsOf(s, 20), (std::vector<Kind>{Kind::General, Kind::Next, Kind::For, Kind::Next,
                                               Kind::General, Kind::Next}));
  EXPECT_EQ(KindsOf(s, 30), (std::vector<Kind>{Kind::For, Kind::Next, Kind::General, Kind::Next,
                                               Kind::General, Kind::Next}));
  EXPECT_EQ(KindsOf(s, 60), (std::vector<Kind>{Kind::Return}));
  EXPECT_EQ(KindsOf(s, 70), (std::vector<Kind>{Kind::General}));
}

// An element of one letter subscript given a fused value is AssignElement;
// other element targets keep their plans. Comparisons and MOD fold their
// right operand, so a letter compared with a letter or a number is a fused
// IF, and a MOD compared is a chain; an operator whose right operand is
// worked out first is neither.
TEST(ExecutionForm, ElementAndComparisonKinds) {
  Session s;
  s.Run(
      "10 DIM M(5),P(2,2): A=1: K=2: L=3\n"
      "20 M(L)=A: M(L)=7: M(L)=K+1: M(L)=LOG(K): M(L)=K^2: M(L)=K/2*3\n"
      "30 M(2)=A: P(L,L)=1: S$(L)=\"X\": M(L)=A$<\"B\": M(L+1)=A\n"
      "40 IF K<L THEN A=1\n"
      "50 IF K>=2 THEN A=2\n"
      "60 IF K MOD 2=0 THEN A=3\n"
      "70 IF K MOD L THEN A=4\n"
      "80 IF A+K*L THEN A=5\n"
      "90 A=-K*L: A=2+K: A=K-L*K\n"
      "RUN\n");
  EXPECT_EQ(KindsOf(s, 20),
            (std::vector<Kind>{Kind::AssignElement, Kind::AssignElement, Kind::AssignElement,
                               Kind::AssignElement, Kind::AssignElement, Kind::Assign}));
  EXPECT_EQ(KindsOf(s, 30), (std::vector<Kind>{Kind::Assign, Kind::Assign, Kind::Assign,
                                               Kind::Assign, Kind::Assign}));
  EXPECT_EQ(KindsOf(s, 40).front(), Kind::IfFused);
  EXPECT_EQ(KindsOf(s, 50).front(), Kind::IfFused);
  EXPECT_EQ(KindsOf(s, 60).front(), Kind::IfChain);
  EXPECT_EQ(KindsOf(s, 70).front(), Kind::IfChain);
  EXPECT_EQ(KindsOf(s, 80).front(), Kind::If);
  EXPECT_EQ(KindsOf(s, 90),
            (std::vector<Kind>{Kind::AssignChain, Kind::AssignChain, Kind::Assign}));
}

// Break served in the window's turn right after a jump finds the program
// where the statement-by-statement loop leaves it: a RETURN to the end of
// line 10 is still in line 10 (the next line's trace is printed when the
// run goes on), a THEN n jump is at the start of its line (traced on CONT),
// and a RETURN to the end of the last line takes its turn before the run
// ends. The scripted host has no quiet turns: `turns` counts statements.
TEST(ExecutionForm, BreakRightAfterAJump) {
  struct Case {
    const char* program;
    int turns;
    const char* stopped;
    const char* afterCont;
  };
  const Case cases[] = {
      {"10 GOSUB 100\n20 PRINT \"TWENTY\"\n30 END\n100 RETURN\n", 1, "Break in 10\n",
       "CONT\n[20]TWENTY\n"},
      {"10 A=A+1: IF A<9 THEN 10\n20 PRINT \"OUT\";A\n", 1, "Break in 10\n",
       "CONT\n[10][20]OUT 9\n"},
      {"10 GOTO 100\n50 RETURN\n100 GOSUB 50\n", 2, "Break in 100\n", "CONT\nReady\n"},
  };
  for (const Case& c : cases) {
    Session s;
    bool posted = false;
    s.onLine = [&](const std::string& t) {
      if (!posted && Session::EndsWith(t, "RUN\n")) {
        posted = true;
        s.PostBreakAfter(c.turns);
      }
    };
    s.Run(std::string(c.program) + "RUN\nA=8\nTRON\nCONT\nTROFF\n");
    EXPECT_TRUE(s.Has(c.stopped)) << c.program << s.transcript;
    EXPECT_TRUE(s.Has(c.afterCont)) << c.program << s.transcript;
  }
}

}  // namespace
}  // namespace torvic
