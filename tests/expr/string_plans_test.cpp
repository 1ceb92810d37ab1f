// String expressions, string assignments and appends, and number
// expressions with string parts, run from program lines and typed as
// commands. Only the running program's lines may take decoded plans; the
// prompt takes the general evaluator. Whatever runs, a program line and the
// same command must print the same values and errors and leave the same
// variables behind.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "../engine/session.h"
#include "volumes/volume_fixture.h"

namespace torvic {
namespace {

// T$ has elements 0..5 (3 starts with a byte above 127), L$ is 1003
// characters long, C$ is never assigned; N is a number.
constexpr const char* kSetup =
    "A$=\"HELLO\":B$=\"\":S$=\"THE QUICK BROWN FOX\":DIM T$(5):T$(1)=\"ONE\":T$(2)=\"TWO\":"
    "T$(3)=CHR$(200)+\"X\":T$(4)=\"TWO\":N=3:L$=STRING$(\"-\",1000)+\"END\"";

// Without the line number of program errors, and without line ends (long
// strings wrap at column 80, where a message may wrap without one).
std::string Comparable(std::string s) {
  for (size_t at; (at = s.find(" in 10")) != std::string::npos;) s.erase(at, 6);
  std::erase(s, '\n');
  return s;
}

// What `line` prints as program line 10 after the setup (line 5), and
// typed after the setup; then `after` is typed in both sessions, to read
// what the line left behind. `prepare` readies each session before it runs.
std::pair<std::string, std::string> BothWays(const std::string& line, const std::string& after = "",
                                             const std::string& setup = kSetup,
                                             const std::function<void(Session&)>& prepare = {}) {
  Session program;
  if (prepare) prepare(program);
  program.Run("5 " + setup + "\n10 " + line + "\nRUN\n" + after);
  const std::string& ran = program.transcript;

  Session command;
  if (prepare) prepare(command);
  command.Run(setup + "\n" + line + "\n" + after);
  const std::string& typed = command.transcript;
  const size_t echo = typed.find('\n' + line + '\n');
  if (echo == std::string::npos) return {ran, "(the command was not echoed)\n" + typed};
  return {Comparable(ran.substr(ran.find("RUN\n") + 4)),
          Comparable(typed.substr(echo + line.size() + 2))};
}

// A string expression printed, assigned, and appended to a scalar and to
// an element.
void ExpectTextAgrees(const std::string& expr) {
  const auto [ran, typed] = BothWays("PRINT " + expr);
  EXPECT_EQ(ran, typed) << expr;
  const auto [assigned, typedAssigned] = BothWays("R$=" + expr + ":PRINT R$;LEN(R$)");
  EXPECT_EQ(assigned, typedAssigned) << "R$=" << expr;
  const auto [appended, typedAppended] =
      BothWays("A$=A$+" + expr + ":T$(2)=T$(2)+A$:PRINT A$;LEN(A$);T$(2)");
  EXPECT_EQ(appended, typedAppended) << "A$=A$+" << expr;
}

// A number expression printed, and assigned to a number.
void ExpectNumberAgrees(const std::string& expr) {
  const auto [ran, typed] = BothWays("PRINT " + expr);
  EXPECT_EQ(ran, typed) << expr;
  const auto [assigned, typedAssigned] = BothWays("Z=7:Z=" + expr + ":PRINT Z");
  EXPECT_EQ(assigned, typedAssigned) << "Z=" << expr;
}

// The items of a list written "item; item; ...", blanks around them dropped.
std::vector<std::string> Items(std::string_view list) {
  std::vector<std::string> items;
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find(';', at);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view item = list.substr(at, end - at);
    const size_t first = item.find_first_not_of(" \n");
    if (first != std::string_view::npos)
      items.emplace_back(item.substr(first, item.find_last_not_of(" \n") + 1 - first));
    at = end + 1;
  }
  return items;
}

TEST(StringPlans, ProgramLinesPrintWhatCommandsPrint) {
  // One group of string expressions a line: joining, CHR$, LEFT$, RIGHT$,
  // MID$, STR$, case, repeats, elements, and type mismatches.
  for (const std::string& expr : Items(R"(
A$+B$+S$; A$+" AND "+S$; "  TWO  WORDS "; B$+B$; C$+"X"+C$; L$+A$; L$+L$+L$+L$;
CHR$(65)+CHR$(200)+CHR$(255); CHR$(65,66,67); CHR$(-1); CHR$(256); CHR$(A$);
LEFT$(A$,2); LEFT$(A$,0); LEFT$(A$,99); LEFT$(A$,-1); LEFT$(A$); LEFT$(L$,90);
RIGHT$(S$,3); RIGHT$(A$,N+1); RIGHT$(A$,-1); RIGHT$(L$,1002);
MID$(S$,5); MID$(S$,5,5); MID$(A$,N,N); MID$(A$,6); MID$(A$,0); MID$(A$,70000);
MID$(A$,2,-1); MID$(L$,998,2.5); MID$(S$,INSTR(S$,"QUICK"),5); LEFT$(S$,INSTR(S$," ")-1);
STR$(N); STR$(-1/3); STR$(1E20); STR$(A$); UCASE$("mIxEd 1"); LCASE$(S$); REVERSE$(S$);
STRING$("XYZ",N); STRING$("*",70000); STRING$(5,42); SPACE$(3)+"|"; SPACE$(-1);
T$(1)+T$(N)+T$(0); T$(N-1); T$(LEN(A$)-4); T$(INSTR(S$,"Q")-N); T$(1.5); T$(9); T$(-1);
U$(2)+"U"; S$(1)+S$; A$+1; 1+A$; A$+N)"))
    ExpectTextAgrees(expr);

  // Numbers read from strings, mixed with number operators and functions;
  // comparisons of prefixes and of bytes above 127.
  for (const std::string& expr : Items(R"(
LEN(A$); LEN(B$)+N; LEN(L$+L$); -LEN(A$)^2; SQR(LEN(S$)+6); MAX(LEN(A$),ASC(A$)); LEN(5);
INSTR(S$,"QUICK"); INSTR(5,S$,"O"); INSTR(N,A$,"L"); INSTR(S$,""); INSTR(0,S$,"T");
INSTR(99,S$,"T"); INSTR(S$,T$(N)); INSTR(LEN(A$),S$+A$,"O")*2;
ASC(MID$(A$,3,1)); ASC(T$(3)); ASC(""); ASC(B$); ASC(A$)+ASC(S$);
VAL("12.5E1"); VAL("junk"); VAL("  -7X"); VAL("&HFF"); VAL(STR$(-N/3)); VAL(A$+"1");
VAL("1E400"); VAL(T$(9));
A$="HELLO"; A$<>"HELLO"; A$<"HELLOX"; A$>"HELL"; "HELL">=A$; A$<=A$; A$>=S$; B$<A$; B$=C$;
CHR$(200)<"A"; CHR$(200)>CHR$(100); CHR$(128)<CHR$(255); "a">"A"; T$(N)<T$(N-1);
T$(2)=T$(4); T$(2)>=T$(N+1); (A$<S$)+(S$<A$)*2; LEN(A$)*(A$>B$)-ASC(S$); NOT (A$=B$);
N+A$; A$ AND 1; A$<N)"))
    ExpectNumberAgrees(expr);

  // Doubling past the longest string: the error, and what A$ and I keep.
  const auto [ran, typed] = BothWays("FOR I=1 TO 20:A$=A$+A$:NEXT", "PRINT LEN(A$);I\n");
  EXPECT_EQ(ran, typed);
  EXPECT_NE(ran.find("?String too long"), std::string::npos) << ran;
  EXPECT_NE(ran.find(" 40960 14"), std::string::npos) << ran;
}

// A$=A$+X may grow A$ in place; the right side may read A$ itself, and an
// error or a limit must leave A$ as the general LET leaves it. Also string
// conditions of IF and string lengths as FOR bounds.
TEST(StringPlans, AssignmentsAppendsAndConditionsAgree) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"FOR I=1 TO 70:A$=A$+CHR$(65+I MOD 26):NEXT", "PRINT A$"},
      {"A$=A$+A$:A$=A$+A$", "PRINT A$"},
      {"A$=A$+LEFT$(A$,2):A$=A$+MID$(A$,3):A$=A$+RIGHT$(A$,4)", "PRINT A$"},
      {"A$=A$+UCASE$(LCASE$(A$))+STR$(LEN(A$))", "PRINT A$"},
      {"A$=B$+A$:A$=\"<\"+A$:A$=LEFT$(A$,2)+A$", "PRINT A$"},
      {"A$=MID$(A$,2,3):S$=RIGHT$(S$,9):T$(1)=LEFT$(T$(1),2):T$(2)=T$(2)+T$(2)",
       "PRINT A$;S$;T$(1);T$(2)"},
      {"T$(1)=MID$(L$,999)+T$(1):L$=MID$(L$,2,1000)+L$:A$=A$+RIGHT$(L$,1)",
       "PRINT T$(1);LEN(L$);A$"},
      {"A$=A$+A$+A$:B$=B$+A$:B$=B$+B$", "PRINT A$;B$"},
      {"A$=A$+\"\":A$=A$:B$=B$+B$", "PRINT A$;LEN(B$)"},
      {"FOR I=1 TO 5:T$(I)=T$(I)+\"x\"+T$(I-1):NEXT", "PRINT T$(1);T$(2);T$(5)"},
      {"T$(N)=T$(N)+T$(N):T$(1)=T$(1)+T$(N)", "PRINT T$(1);T$(N)"},
      {"FOR I=1 TO 4:T$(I)=T$(I+1)+T$(I):NEXT", "PRINT T$(1);T$(4)"},
      {"T$(6)=T$(6)+\"Q\"", "PRINT T$(5)"},
      {"Z$=Z$+\"A\":ZZ$(3)=ZZ$(3)+\"B\"", "PRINT Z$;ZZ$(3);LEN(Z$)"},
      {"IF LEN(A$) THEN A$=A$+\"!\" ELSE A$=A$+\"?\"", "PRINT A$"},
      {"A$=A$+\"1\",B$=A$+\"2\",A$=A$+B$", "PRINT A$;B$"},
      {"A$=A$+CHR$(300)", "PRINT A$;LEN(A$)"},
      {"A$=A$+1", "PRINT A$"},
      {"A$=5", "PRINT A$"},
      {"A$=STRING$(\"A\",65530):A$=A$+\"12345\"", "PRINT LEN(A$);RIGHT$(A$,6)"},
      {"A$=STRING$(\"A\",65530):A$=A$+\"123456\"", "PRINT LEN(A$);RIGHT$(A$,6)"},
      {"T$(2)=STRING$(\"B\",65000):FOR I=1 TO 9:T$(2)=T$(2)+L$:NEXT", "PRINT LEN(T$(2));I"},
      {"FOR I=1 TO 20:B$=B$+L$+B$:NEXT", "PRINT LEN(B$);I"},
      {"FOR I=1 TO LEN(A$)+1:B$=MID$(A$,I,1)+B$:NEXT", "PRINT B$;I"},
      {"FOR K=1 TO 5:FOR J=1 TO 5:IF T$(J)<T$(J-1) THEN X$=T$(J):T$(J)=T$(J-1):T$(J-1)=X$:"
       "NEXT J,K ELSE NEXT J,K",
       "PRINT T$(0);\"|\";T$(1);\"|\";T$(2);\"|\";T$(3);\"|\";T$(4);\"|\";T$(5)"},
      {"IF A$+\"!\">S$ AND LEN(A$)=5 THEN A$=A$+\"1\" ELSE A$=A$+\"2\"", "PRINT A$"},
  };
  for (const auto& [line, after] : cases) {
    const auto [ran, typed] = BothWays(line, std::string(after) + "\n");
    EXPECT_EQ(ran, typed) << line;
  }
}

// Random string expressions: the string variables, literals, CHR$ and
// STR$ under the string functions, with number arguments read from
// strings (LEN, ASC, INSTR, VAL, comparisons). Arguments stay mostly in
// range; some fall outside, so errors occur too.
class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}
  std::string Text(int depth) {
    if (depth <= 0) return TextAtom();
    switch (Pick(11)) {
      case 0:
      case 1: return TextAtom();
      case 2:
      case 3: return Text(depth - 1) + "+" + Text(depth - 1);
      case 4: return (Pick(2) ? "LEFT$(" : "RIGHT$(") + Text(depth - 1) + "," + Count(depth) + ")";
      case 5:
        return "MID$(" + Text(depth - 1) + "," + Count(depth) +
               (Pick(2) ? std::string() : "," + Count(depth)) + ")";
      case 6: {
        static const char* const fns[] = {"UCASE$(", "LCASE$(", "TRIM$(", "REVERSE$("};
        return fns[Pick(4)] + Text(depth - 1) + ")";
      }
      case 7: return "CHR$(" + Count(depth) + "+64)";
      case 8: return "STR$(" + Number(depth - 1) + ")";
      case 9: return "STRING$(" + Text(depth - 1) + "," + Count(depth) + ")";
      default: return "T$(" + Count(depth) + ")";
    }
  }
  std::string Number(int depth) {
    switch (Pick(depth <= 0 ? 2 : 10)) {
      case 0: return "N";
      case 1: return std::to_string(Pick(9));
      case 2: return "LEN(" + Text(depth - 1) + ")";
      case 3: return "ASC(" + Text(depth - 1) + ")";
      case 4: return "INSTR(" + Text(depth - 1) + "," + Text(depth - 1) + ")";
      case 5:
        return "INSTR(" + Count(depth - 1) + "," + Text(depth - 1) + "," + Text(depth - 1) + ")";
      case 6: return "VAL(" + Text(depth - 1) + ")";
      case 7: {
        static const char* const cmps[] = {"=", "<>", "<", ">", "<=", ">="};
        return "(" + Text(depth - 1) + cmps[Pick(6)] + Text(depth - 1) + ")";
      }
      default: return Number(depth - 1) + (Pick(2) ? "+" : "-") + Number(depth - 1);
    }
  }

 private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  std::string TextAtom() {
    static const char* const atoms[] = {"A$",       "B$",       "C$",        "S$",     "T$(1)",
                                        "T$(N)",    "\"AB\"",   "\"x y\"",   "\"\"",   "\"123\"",
                                        "\" 4.5\"", "\"&H1F\"", "CHR$(200)", "STR$(N)"};
    return atoms[Pick(sizeof atoms / sizeof *atoms)];
  }
  // A length, position or subscript: small and mostly valid.
  std::string Count(int depth) {
    const int pick = Pick(12);
    if (pick == 0) return "-1";
    if (pick == 1 && depth > 0) return Number(depth - 1);
    if (pick == 2) return "N";
    return std::to_string(Pick(7));
  }
  std::mt19937 rng_;
};

TEST(StringPlans, RandomExpressionsAgreeWithTheGeneralEvaluator) {
  Generator g(20261207);
  for (int i = 0; i < 300; ++i) {
    std::string expr;
    do expr = g.Text(3);
    while (expr.size() > 180);
    ExpectTextAgrees(expr);
    do expr = g.Number(3);
    while (expr.size() > 180);
    ExpectNumberAgrees(expr);
  }
}

// Errors raised inside string expressions, trapped and resumed: the codes
// and lines the handler sees, and what the failed statements left behind.
TEST(StringPlans, TrappedErrorsInsideStringExpressions) {
  Session s;
  s.Run(
      "10 ON ERROR GOTO 900:DIM R(20),Q(20),T$(3):A$=\"HELLO\":T$(1)=\"ONE\":B$=\"OLD\"\n"
      "20 B$=CHR$(300):A=1\n"
      "30 B$=A$+MID$(A$,0):B=LEN(B$)\n"
      "40 C=7:C=LEN(T$(9))+C\n"
      "50 D$=A$:FOR I=1 TO 20:D$=D$+D$:NEXT I:D=LEN(D$)\n"
      "60 E=ASC(\"\"):E=E+5\n"
      "70 F=A$<T$(N+4):F$=\"X\"+LEFT$(A$,-1):F=F+LEN(F$)\n"
      "80 T$(1)=T$(1)+STRING$(\"A\",65534):G=LEN(T$(1))\n"
      "90 H$=A$:H$=H$+1:H=LEN(H$)\n"
      "100 FOR I=1 TO K:PRINT R(I);Q(I);:NEXT:PRINT:PRINT B$;\"|\";T$(1);\"|\";H$\n"
      "110 END\n"
      "900 K=K+1:R(K)=ERR:Q(K)=ERL:RESUME NEXT\n"
      "RUN\n");
  EXPECT_TRUE(
      s.Has("RUN\n 18 20 18 30 5 40 42 50 42 50 42 50 42 50 42 50 42 50 42 50 18 60 5 70 18 70 "
            "42 80 47 90\n"))
      << s.transcript;
  EXPECT_TRUE(s.Has("\nOLD|ONE|HELLO\n")) << s.transcript;
  const std::pair<char, double> left[] = {{'A', 1}, {'B', 3}, {'C', 7}, {'D', 40960},
                                          {'E', 5}, {'F', 0}, {'G', 3}, {'H', 5}};
  for (const auto& [letter, value] : left) EXPECT_EQ(s.Var(letter), value) << letter;
}

// Plans keep variable records and decoded code; none of it may outlive the
// code or the records it was made from.
TEST(StringPlans, PlansFollowEditsAndRemovedVariables) {
  // The same line retyped with other functions and operators at the same
  // places: freed code is soon reused for code of the same size, so a later
  // version lands where an earlier one was, and its old plan must not run.
  static const char* const versions[] = {"LEFT$(AB$,2)+CD$;AB$<CD$", "RIGHT$(CD$,2)+AB$;AB$>=CD$",
                                         "LEFT$(CD$,1)+CD$;AB$>CD$"};
  static const char* const results[] = {"HEWORLD-1\n", "LDHELLO 0\n", "WWORLD 0\n"};
  std::string typed, expected;
  for (int i = 0; i < 12; ++i) {
    typed += std::string("10 AB$=\"HELLO\":CD$=\"WORLD\":PRINT ") + versions[i % 3] + "\nRUN\n";
    expected += results[i % 3];
  }
  Session retyped;
  retyped.Run(typed);
  std::string printed;
  for (size_t at = 0; (at = retyped.transcript.find("RUN\n", at)) != std::string::npos; at += 4)
    printed += retyped.transcript.substr(at + 4, retyped.transcript.find('\n', at + 4) - at - 3);
  EXPECT_EQ(printed, expected) << retyped.transcript;

  const std::vector<std::pair<const char*, const char*>> cases = {
      // ERASE and DIM again inside the run: the new array is read and written.
      {"10 DIM Q$(5):Q$(3)=\"OLD\":X$=Q$(3):ERASE Q$:DIM Q$(20):Q$(15)=Q$(15)+\"NEW\"\n"
       "20 PRINT X$;Q$(15);LEN(Q$(3))\nRUN\n",
       "OLDNEW 0\n"},
      {"10 FOR I=1 TO 3:V$(1)=V$(1)+\"AB\":S=S+LEN(V$(1)):ERASE V$:NEXT I:PRINT S\nRUN\n", " 6\n"},
      // CLEAR and ERASE at the prompt between runs of the same code.
      {"10 A$=A$+\"X\":PRINT A$;LEN(A$)\nRUN\nGOTO 10\nCLEAR:Q$=\"Q\":R$=\"R\"\nGOTO 10\n"
       "PRINT Q$;R$\nRUN\n",
       "X 1\nReady\nGOTO 10\nXX 2\nReady\nCLEAR:Q$=\"Q\":R$=\"R\"\nReady\nGOTO 10\nX 1\nReady\n"
       "PRINT Q$;R$\nQR\nReady\nRUN\nX 1\n"},
      {"10 T$(2)=T$(2)+\"AB\":PRINT T$(2)\nRUN\nGOTO 10\nERASE T$:DIM T$(3)\nGOTO 10\n"
       "ERASE T$:DIM T$(1)\nGOTO 10\n",
       "ABAB\nReady\nERASE T$:DIM T$(3)\nReady\nGOTO 10\nAB\nReady\nERASE T$:DIM T$(1)\nReady\n"
       "GOTO 10\n?Bad subscript in 10"},
      {"10 A$=A$+\"X\":IF LEN(A$)<3 THEN 10\n20 PRINT A$:CLEAR:A$=A$+\"Y\":PRINT A$\nRUN\n",
       "XXX\nY\n"},
  };
  for (const auto& [session, shown] : cases) {
    Session s;
    s.Run(session);
    EXPECT_TRUE(s.Has(shown)) << session << "\n" << s.transcript;
  }
}

// A string bound by FIELD is a slice of the record buffer: assigning or
// appending to it gives it storage of its own (the general LET), so the
// record and the neighbouring field keep their bytes.
TEST(StringPlans, AssigningAFieldStringUnbindsIt) {
  testing::ScratchFolder folders[2];
  int sessions = 0;
  // K$ copies G$ while it is bound; F$ grows and G$ is given a value, so
  // neither is bound after; the record keeps what LSET put there before.
  const auto [ran, typed] = BothWays(
      "LSET F$=\"ABCD\":LSET G$=\"WXYZ\":K$=G$:LSET G$=\"MNOP\":F$=F$+\"Q\":G$=\"1234\":"
      "PRINT F$;\"|\";G$;\"|\";K$;LEN(F$):LSET F$=\"1\":LSET G$=\"2\":PUT #1,1:GET #1,1:"
      "PRINT F$;\"|\";G$;\"|\";K$",
      "CLOSE #1\n", "OPEN \"WORK:REC\" FOR RANDOM AS #1 LEN=8:FIELD #1,4 AS F$,4 AS G$",
      [&](Session& s) {
        s.in.Volumes().AddSessionVolume("WORK", folders[sessions++].Path(), false);
      });
  EXPECT_EQ(ran, typed);
  EXPECT_EQ(ran, "ABCDQ|1234|WXYZ 51    |2   |WXYZReadyCLOSE #1Ready");
  for (const auto& folder : folders) {
    std::ifstream in(folder.Path() + "/REC.dat", std::ios::binary);
    std::ostringstream record;
    record << in.rdbuf();
    EXPECT_EQ(record.str(), "ABCDMNOP");
  }
}

}  // namespace
}  // namespace torvic
