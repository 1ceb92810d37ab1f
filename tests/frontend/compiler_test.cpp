#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/compiled_view.h"

namespace torvic {
namespace {

using testing::CompiledView;
using testing::Rec;

// Record codes in walk order (records nested in IF and stray ELSE included;
// 250 uncompiled, 251 jump, 248 label): the statement start rule, the
// remapping of keywords to record codes, and which forms fail.
TEST(StatementCompiler, RecordCodesOfEveryFamily) {
  struct Case {
    const char* line;
    const char* shape;
  };
  const Case cases[] = {
      // line structure, empty statements, remarks
      {"PRINT 1: FOO BAR: PRINT 2", "86 250 86"},
      {"PRINT 1::PRINT 2:", "86 86"},
      {":", ""},
      {"*START ' begin", "248 93"},
      {"*START: CLS", "248 15"},
      {"*START PRINT", "250"},
      {"PRINT \"A:B\"", "86"},
      {"~ say \"a:b\": PRINT", "94 86"},
      {"REM a: b: c", "93"},
      {"PRINT 1 ' note: x", "86 93"},
      // the statement-start rule
      {"?A", "86"},
      {"@5,10", "68"},
      {".100", "32"},
      {"\"PROG\"", "104"},
      {"PRINT: \"PROG\"", "86 250"},
      {"LETTER=5", "61"},
      {"X1=5", "61"},
      {"TO=5", "250"},
      {"THEN PRINT", "250"},
      {"OFF", "250"},
      {"STEP", "183"},
      {"GO  SUB 100", "47"},
      {"GO 100", "250"},
      {"S.\"PROG\"", "105"},
      {"ME.\"P\"", "71"},
      {"$COLOR", "234"},
      {"$ PRINT", "215"},
      {"$XREF", "216"},
      {"$FOO", "250"},
      {"PRINTER?", "135"},
      {"PRINTERS", "136"},
      {"LINES", "225"},
      {"MID $(A$,2)=\"X\"", "72"},
      // no-operand statements refuse operands
      {"CLS", "15"},
      {"HOME", "15"},
      {"CLS 5", "250"},
      {"NEW", "74"},
      {"BEEP", "7"},
      // IF family
      {"IF X THEN 100", "52 48"},
      {"IF X THEN 100 ELSE PRINT \"NO\"", "52 48 251 86"},
      {"IF X THEN PRINT 1 ELSE PRINT 2: PRINT 3", "52 86 251 86 86"},
      {"IF X THEN PRINT 1: PRINT 2 END IF: PRINT 3", "52 86 86 86"},
      {"IF A THEN IF B THEN 1 ELSE 2 ELSE 3", "52 52 48 251 48 251 48"},
      {"IF X GOTO 10", "52 48"},
      {"IF X GOSUB 10", "52 47"},
      {"IF X GOTO Y", "52 250"},
      {"IF X PRINT", "250"},
      {"IF X THEN", "52"},
      {"IF X THEN 10 20", "52 250"},
      {"ELSE PRINT 1", "33 86"},
      {"END IF", "35"},
      {"END", "34"},
      {"SYSTEM", "34"},
      {"PRINT 1 ELSE PRINT 2", "86 33 86"},
      // jumps and traps
      {"GOTO 100", "48"},
      {"GOTO *LOOP", "48"},
      {"GOTO TIMER", "49"},
      {"GOTO", "250"},
      {"GOTO 65536", "250"},
      {"GOSUB 10", "47"},
      {"GOIF X, 10, 20", "46"},
      {"ON X GOTO 10, 20, *A", "78"},
      {"ON X GOSUB 10", "78"},
      {"ON X PRINT", "250"},
      {"ON ERROR GOTO 100", "80"},
      {"ON ERROR RESUME NEXT", "80"},
      {"ON BREAK GOTO 0", "79"},
      {"ON TIMER GOTO 10", "81"},
      {"ON TIMER = 500 GOTO 10", "81"},
      {"ON TIMER (5) GOTO 10", "81"},
      {"ON TIMER 0 GOTO 100", "81"},
      {"ON TIMER 500 PRINT", "250"},
      {"RETURN", "101"},
      {"RESTORE 100", "99"},
      {"PUSH *A", "88"},
      {"RESUME", "100"},
      {"RESUME NEXT", "100"},
      {"RESUME 20", "100"},
      // variables
      {"LET A = 1", "61"},
      {"A, B$ = 1", "61"},
      {"A = 1, B = 2", "61"},
      {"A", "250"},
      {"FOR I = 1 TO 10", "42"},
      {"FOR I = 1 TO 10 STEP 2", "42"},
      {"FOR A$ = 1 TO 2", "250"},
      {"NEXT", "75"},
      {"NEXT I, J", "75"},
      {"DIM A(10), B$(2, 3)", "27"},
      {"DIM A", "250"},
      {"REDIM PRESERVE A(5)", "92"},
      {"ERASE", "36"},
      {"ERASE A, B$", "36"},
      {"CLEAR", "12"},
      {"OPTION BASE 1", "83"},
      {"OPTION EXPLICIT", "83"},
      {"CONST %X = 2", "18"},
      {"CONST X = 2", "18"},
      {"DEF FN SQ(X) = X * X", "23"},
      {"DEF USR = 5", "244"},
      {"DEF USR3 = 5", "244"},
      {"DEF X", "250"},
      {"READ A, B$", "91"},
      {"DATA 1, \"A:B\", X", "22"},
      {"DATA", "22"},
      {"SWAP A, B", "184"},
      {"SWAP 10, 20", "185"},
      {"INC A", "165"},
      {"LSET A$ = \"X\"", "70"},
      {"MID$(A$, 2, 1) = \"X\"", "72"},
      {"LEFT$(A$) = \"X\"", "166"},
      // program commands
      {"RUN", "104"},
      {"RUN 100", "104"},
      {"RUN \"PROG\"", "104"},
      {"CHAIN \"P\", 100", "11"},
      {"LOAD \"P\", R", "66"},
      {"LOAD \"P\", Q", "250"},
      {"LOADR \"APPLE2\"", "67"},
      {"FONT \"F\"", "161"},
      {"LOADC", "167"},
      {"SAVE \"P\", A", "105"},
      {"ASAVE \"P\"", "105"},
      {"BSAVE \"P\"", "105"},
      {"LSAVE 10-20, \"P\"", "169"},
      {"MERGE \"P\", 100, 5", "71"},
      {"OLD", "77"},
      {"DUMP \"F\", O", "31"},
      {"TYPE \"F\"", "31"},
      {"RENUM ,,5", "96"},
      {"RES", "96"},
      {"RESEQUENCE 1000, 5", "96"},
      {"NUMBER", "76"},
      {"AUTO ON, 5", "148"},
      {"AUTO OFF", "148"},
      {"RECALL 10", "221"},
      {"FIND \"X\", 10-20", "160"},
      {"LIST", "65"},
      {"LIST 10-20, 30", "65"},
      {"DEL", "250"},
      {"DEL 10", "24"},
      {"LLIST 10-", "129"},
      {"COPY 10 TO 20, E", "154"},
      {"MOVE 10 TO 20", "171"},
      {"APPEND 10 TO 20, E, D", "145"},
      {"SPLIT 10, 20", "181"},
      {"XCOPY 10-20 TO 100, 5", "189"},
      {"UNNUM", "246"},
      {"CHKSW", "151"},
      // switches
      {"TIMER ON", "114"},
      {"TIMER = 500", "115"},
      {"TIMER", "250"},
      {"WAIT", "126"},
      {"PAUSE 10", "173"},
      {"INVERSE", "56"},
      {"NORMAL", "56"},
      {"INVERSE OFF", "56"},
      {"BREAK ON", "9"},
      {"BREAK OFF", "8"},
      {"BREAK 10-20, *A", "149"},
      {"BREAK", "149"},
      {"NOBREAK 10", "172"},
      {"TRACE", "117"},
      {"TRACE OFF", "116"},
      {"CONFIRM ON", "17"},
      {"CURSOR", "250"},
      // console and graphics
      {"PRINT USING \"##\"; 5", "87"},
      {"PRINT #1, USING \"##\"; 5", "87"},
      {"LPRINT USING \"#\"; 1", "131"},
      {"DISPLAY 1", "86"},
      {"PRINT @ 5, 10; \"X\"", "86"},
      {"INPUT \"Name\"; N$", "54"},
      {"INPUT #1, A", "54"},
      {"LINE INPUT A$", "63"},
      {"LINE EDIT \"def\", A$", "62"},
      {"LINE , 1, 2", "64"},
      {"LINE (1, 2) - (3, 4)", "199"},
      {"LINE 1, 2, 3, 1", "199"},
      {"BOX 1, 2", "199"},
      {"HLINE 1", "199"},
      {"GET K$", "45"},
      {"GET #1, 5", "44"},
      {"GET (1, 2)", "195"},
      {"HGET 1", "195"},
      {"PUT #1, 5", "89"},
      {"PUT (1, 2)", "209"},
      {"HGR", "196"},
      {"GR", "196"},
      {"TEXT", "196"},
      {"COLOR 1, 2", "16"},
      {"COLOR = 3", "203"},
      {"HCOLOR 3", "203"},
      {"PLOT 1, 2", "208"},
      {"PRESET 1, 2", "208"},
      {"CLR", "212"},
      {"CLR 1, 2, 3, 4", "14"},
      {"LOCATE 1", "250"},
      {"FRAME 1, 2, 3, 4", "43"},
      {"ASK COLOR C", "3"},
      {"SET BACKGROUND COLOR 3", "110"},
      {"CMD 1, \"X\"", "213"},
      {"SCREEN -1", "106"},
      {"POKE$ 1, \"A\"", "220"},
      // files
      {"OPEN \"F\" FOR INPUT AS #1", "82"},
      {"OPEN \"F\" FOR RANDOM AS 2 LEN = 64", "82"},
      {"OPEN \"I\", #1, \"F\"", "82"},
      {"OPEN \"F\" FOR READING AS 1", "250"},
      {"OPEN PRINTER", "132"},
      {"CLOSE", "13"},
      {"CLOSE #1, #2", "13"},
      {"CLOSE PRINTER", "128"},
      {"FIELD #1, 10 AS A$, 20 AS B$", "40"},
      {"SEEK #1, 5", "108"},
      {"WRITE #1, A, B$", "127"},
      {"DELETE #1, 5", "25"},
      {"DELETE \"F\"", "59"},
      {"KILL \"F\"", "59"},
      {"KILL #1", "60"},
      {"CREATE \"F\"", "155"},
      {"CREATE #1, \"F\"", "156"},
      {"APPEND \"A\" TO \"B\"", "144"},
      {"APPEND #1, \"X\"", "146"},
      {"CONCAT \"A\" TO \"B\"", "144"},
      {"COPY \"A\" TO \"B\"", "20"},
      {"MOVE \"A\" TO \"B\"", "73"},
      {"RENAME \"A\" AS \"B\"", "95"},
      {"NAME \"A\" AS \"B\"", "95"},
      {"NAME \"A\" TO \"B\"", "250"},
      {"ATTRIB \"A\", ON", "5"},
      {"CATALOG", "41"},
      {"DIR \"V:*\", S, -W", "28"},
      {"CAT , P", "41"},
      {"BACKUP \"A\" TO \"B\"", "6"},
      {"REWIND", "102"},
      {"TRUNCATE #1", "118"},
      {"ABORT #2", "1"},
  };
  for (const Case& c : cases) {
    CompiledView v(c.line);
    EXPECT_EQ(v.Shape(), c.shape) << c.line << "\n" << v.Disassembly();
    std::string fault;
    EXPECT_TRUE(v.Valid(&fault)) << c.line << ": " << fault << "\n" << v.Disassembly();
  }
}

// The 250 record covers the whole failing statement as typed, from its first
// character to its end of statement, trailing blanks not counted; the
// records around it still compile.
TEST(StatementCompiler, UncompiledRecordsCoverTheFailingStatement) {
  struct Case {
    const char* line;
    const char* excerpt;
  };
  const Case cases[] = {
      {"PRINT 1: FOO BAR: PRINT 2", "FOO BAR"},
      {"FOO BAR  ", "FOO BAR"},
      {"CLS 5 : PRINT", "CLS 5"},
      {"X = \"A:B\" Q: PRINT", "X = \"A:B\" Q"},
      {"PRINT 1: GOTO ELSE", "GOTO"},
      {"*START PRINT", "*START PRINT"},
      {"TO=5 ' remark", "TO=5"},
      {"IF X THEN 10 20", "10 20"},
      {"DEL", "DEL"},
      {"FOO \"A:B\" BAR: PRINT", "FOO \"A:B\" BAR"},
      {"\"PROG\" X: PRINT 1", "\"PROG\" X"},
  };
  for (const Case& c : cases) {
    CompiledView v(c.line);
    const Rec& r = v.First(250);
    EXPECT_EQ(v.Excerpt(r), c.excerpt) << c.line << "\n" << v.Disassembly();
    EXPECT_TRUE(v.Valid()) << c.line;
  }
  EXPECT_EQ(CompiledView("\"PROG\" X: PRINT 1").Shape(), "250 86");
  // Frames record where each compiled statement stands in the text.
  CompiledView v("PRINT 1 : FOO BAR : PRINT 2  ");
  ASSERT_EQ(v.Records().size(), 3u);
  EXPECT_EQ(v.Excerpt(v.Records()[0]), "PRINT 1");
  EXPECT_EQ(v.Excerpt(v.Records()[2]), "PRINT 2");
}

// IF: THEN-start, false target and the 251 jump over the ELSE part; both
// branches end at the end of the line.
TEST(StatementCompiler, IfPatchesItsTargetsInsideTheLine) {
  CompiledView v("IF X THEN 100 ELSE PRINT \"NO\"");
  ASSERT_EQ(v.Shape(), "52 48 251 86");
  const Rec& ifRec = v.Records()[0];
  const Rec& thenGoto = v.Records()[1];
  const Rec& jump = v.Records()[2];
  const Rec& elsePrint = v.Records()[3];
  EXPECT_EQ(v.U16(ifRec.operands), thenGoto.at);    // THEN-start
  EXPECT_EQ(v.U16(thenGoto.at - 2), elsePrint.at);  // false target: the ELSE part
  EXPECT_EQ(v.U16(jump.at + 1), v.Size() - 1);      // over the ELSE part to the end
  EXPECT_EQ(ifRec.end, v.Size() - 1);               // the IF spans both parts
  EXPECT_EQ(v.Excerpt(thenGoto), "100");
  EXPECT_EQ(v.Excerpt(ifRec), "IF X THEN 100 ELSE PRINT \"NO\"");

  // Without ELSE the false target is the end of the THEN part.
  CompiledView plain("IF X THEN PRINT 1: PRINT 2");
  const Rec& r = plain.Records()[0];
  EXPECT_EQ(plain.U16(plain.U16(r.operands) - 2), r.end);

  // An END IF on the IF's line closes the construct: no stray record, and
  // what follows runs whatever the condition.
  CompiledView endIf("IF X THEN PRINT 1 END IF : PRINT 2");
  EXPECT_EQ(endIf.Shape(), "52 86 86");
  EXPECT_EQ(endIf.Records()[0].end, endIf.Records()[2].at);
}

// Operand bytes that the handlers rely on, statement by statement.
TEST(StatementCompiler, OperandAreasCarryTheirDefaults) {
  {  // RENUM ,,5: new 10, from the start, step 5
    CompiledView v("RENUM ,,5");
    const Rec& r = v.First(96);
    EXPECT_EQ(r.end - r.operands, 8u);
    EXPECT_EQ(v.U16(r.operands), 10);
    EXPECT_EQ(v.U32(r.operands + 2), kNoLineNumber);
    EXPECT_EQ(v.U16(r.operands + 6), 5);
  }
  {  // RES: new 100, all bits, step 10
    CompiledView v("RES");
    const Rec& r = v.First(96);
    EXPECT_EQ(v.U16(r.operands), 100);
    EXPECT_EQ(v.U32(r.operands + 2), kNoLineNumber);
    EXPECT_EQ(v.U16(r.operands + 6), 10);
  }
  {  // LIST alone: one whole-program range
    CompiledView v("LIST");
    const Rec& r = v.First(65);
    ASSERT_EQ(r.end - r.operands, 11u);
    EXPECT_EQ(v.U8(r.operands), 1);
    EXPECT_EQ(v.U32(r.operands + 1), kNoLineNumber);
    EXPECT_EQ(v.U8(r.operands + 5), 1);
    EXPECT_EQ(v.U32(r.operands + 6), kNoLineNumber);
    EXPECT_EQ(v.U8(r.operands + 10), 0);
  }
  {  // ranges: 100, 100-, -200, 100-200
    struct R {
      uint32_t first;
      uint8_t kind;
      uint32_t last;
    };
    const R expected[] = {
        {100, 0, kNoLineNumber}, {100, 1, kNoLineNumber}, {kNoLineNumber, 1, 200}, {100, 1, 200}};
    CompiledView v("DEL 100, 100-, -200, 100-200");
    const Rec& r = v.First(24);
    size_t at = r.operands;
    for (const R& e : expected) {
      EXPECT_EQ(v.U8(at), 1);
      EXPECT_EQ(v.U32(at + 1), e.first);
      EXPECT_EQ(v.U8(at + 5), e.kind);
      EXPECT_EQ(v.U32(at + 6), e.last);
      at += 10;
    }
    EXPECT_EQ(v.U8(at), 0);
    EXPECT_EQ(at + 1, r.end);
  }
  {  // FOR without STEP: the number 1
    CompiledView v("FOR I = 1 TO 10");
    const Rec& r = v.First(42);
    EXPECT_EQ(v.U8(r.end - 10), 1);
    EXPECT_EQ(v.F64(r.end - 9), 1.0);
    EXPECT_EQ(v.U8(r.end - 1), 0);
  }
  {  // WAIT alone: 1000; $XREF alone: 0
    CompiledView w("WAIT");
    EXPECT_EQ(w.F64(w.First(126).operands + 1), 1000.0);
    CompiledView x("$XREF");
    EXPECT_EQ(x.F64(x.First(216).operands + 1), 0.0);
  }
  {  // RESUME alone: kind 0, line 0, column 65535, 255 digits, off the chain
    CompiledView v("RESUME");
    const Rec& r = v.First(100);
    EXPECT_EQ(v.U8(r.operands), 0);
    EXPECT_EQ(v.U8(r.operands + 1), 0);
    EXPECT_EQ(v.U32(r.operands + 2), 0u);
    EXPECT_EQ(v.U16(r.operands + 6), 0xFFFF);
    EXPECT_EQ(v.U8(r.operands + 8), 255);
    EXPECT_TRUE(v.JumpLines().empty());
    EXPECT_EQ(CompiledView("RESUME NEXT").U8(kLineHeaderSize + 8), 1);
  }
  {  // ON: choice, end offset, count
    CompiledView v("ON X GOSUB 10, 20, 30: PRINT");
    const Rec& r = v.First(78);
    const size_t at = r.operands + 6;  // after the letter-variable item and its 0
    EXPECT_EQ(v.U8(at), 47);
    EXPECT_EQ(v.U16(at + 1), r.end);
    EXPECT_EQ(v.U8(at + 3), 3);
  }
  {  // GOIF: the offset leads to the flag byte after the first target
    CompiledView two("GOIF X, 10, 20");
    const Rec& r = two.First(46);
    const size_t flag = two.U16(r.operands + 6);  // after the 6-byte letter item and its 0
    EXPECT_EQ(two.U8(flag), 1);
    CompiledView one("GOIF X, 10");
    EXPECT_EQ(one.U8(one.U16(one.First(46).operands + 6)), 0);
  }
  {  // ON ERROR: choice byte; ON TIMER: offset of its target
    CompiledView e("ON ERROR RESUME NEXT");
    EXPECT_EQ(e.U8(e.First(80).operands), 100);
    CompiledView t("ON TIMER GOTO 10");
    const Rec& r = t.First(81);
    const size_t target = t.U16(r.operands);
    EXPECT_EQ(t.F64(r.operands + 3), 1000.0);
    EXPECT_EQ(t.U8(target), 0);
    EXPECT_EQ(t.U32(target + 1), 10u);
  }
  {  // option bytes, switches and forms
    struct Case {
      const char* line;
      uint8_t code;
      size_t offset;
      uint8_t value;
    };
    const Case cases[] = {
        {"TIMER OFF", 114, 0, 249},
        {"TIMER STOP", 114, 0, 112},
        {"NORMAL", 56, 0, 0},
        {"INVERSE", 56, 0, 1},
        {"AUTO OFF", 148, 0, 0},
        {"RUN", 104, 0, 0},
        {"RUN 10", 104, 0, 1},
        {"RUN \"P\"", 104, 0, 2},
        {"\"P\"", 104, 0, 2},
        {"OLD", 77, 0, 0},
        {"CLOSE", 13, 0, 0},
        {"CLOSE #1, 2", 13, 0, 2},
        {"OPEN \"I\", 1, \"F\"", 82, 0, 1},
        {"OPEN \"F\" FOR OUTPUT AS 1", 82, 0, 0},
        {"PRINT #1, 2", 86, 0, 1},
        {"PRINT @1, 2", 86, 0, 2},
        {"PRINT", 86, 0, 0},
        {"PRINT", 86, 1, 12},
        {"INPUT; A", 54, 1, 0},
        {"INPUT A", 54, 1, 1},
        {"INPUT \"N\"; A", 54, 2, 1},
        {"INPUT \"N\", A", 54, 2, 2},
        {"HGR", 196, 0, 1},
        {"TEXT", 196, 0, 0},
        {"CATALOG", 41, 0, 0},
        {"DEF USR7 = 1", 244, 0, 7},
        {"REDIM A(1)", 92, 0, 0},
        {"PRESET 1,2", 208, 0, 1},
    };
    for (const Case& c : cases) {
      CompiledView v(c.line);
      const Rec& r = v.First(c.code);
      ASSERT_LT(r.operands + c.offset, r.end) << c.line;
      EXPECT_EQ(v.U8(r.operands + c.offset), c.value) << c.line << "\n" << v.Disassembly();
    }
    // option bytes at the end of their records
    struct Tail {
      const char* line;
      uint8_t code;
      std::vector<uint8_t> bytes;
    };
    const Tail tails[] = {
        {"LOAD \"P\", R", 66, {1}},   {"LOAD \"P\"", 66, {0}},
        {"SAVE \"P\", A", 105, {1}},  {"ASAVE \"P\"", 105, {1}},
        {"BSAVE \"P\"", 105, {0}},    {"DUMP \"F\"", 31, {2}},
        {"DUMP \"F\", A", 31, {0}},   {"DUMP \"F\", D", 31, {1}},
        {"TYPE \"F\"", 31, {0}},      {"APPEND 1 TO 2, D", 145, {0, 1}},
        {"COPY 1 TO 2, E", 154, {1}}, {"DIR \"V:*\", S, -W", 28, {1, 0, 2}},
        {"CAT , P", 41, {0, 1, 0}},   {"ATTRIB \"F\", OFF", 5, {2}},
        {"ATTRIB \"F\"", 5, {0}},     {"CHAIN \"P\"", 11, {0}},
    };
    for (const Tail& t : tails) {
      CompiledView v(t.line);
      const Rec& r = v.First(t.code);
      ASSERT_GE(r.end - r.operands, t.bytes.size()) << t.line;
      for (size_t i = 0; i < t.bytes.size(); ++i)
        EXPECT_EQ(v.U8(r.end - t.bytes.size() + i), t.bytes[i]) << t.line << " byte " << i;
    }
  }
}

// PRINT items: inline words, zones, and when the new line is appended.
TEST(StatementCompiler, PrintItemsAndTheNewLine) {
  struct Case {
    const char* line;
    std::vector<uint8_t> items;
  };
  const Case cases[] = {
      {"PRINT", {12}},
      {"PRINT 1", {6, 12}},
      {"PRINT 1;", {6}},
      {"PRINT 1,", {6, 3}},
      {"PRINT \"A\",\"B\"", {6, 3, 6, 12}},
      {"PRINT REV; \"X\"; NOV", {11, 6, 9}},
      {"PRINT \"X\" SPC(3)", {6, 14}},
      {"PRINT ANSI OEM", {1, 10}},
  };
  for (const Case& c : cases) {
    CompiledView v(c.line);
    const Rec& r = v.First(86);
    // Walk the items: each item code, skipping the operand expressions.
    std::vector<uint8_t> items;
    size_t at = r.operands + 1;
    while (at < r.end && v.U8(at) != 0) {
      const uint8_t item = v.U8(at++);
      items.push_back(item);
      if (item == 6 || item == 14) {  // one expression: skip to its 0 byte
        while (v.U8(at) != 0) at += v.U8(at) == 1 ? 9 : v.U8(at) == 2 ? 3 + v.U8(at + 1) : 1;
        ++at;
      }
    }
    EXPECT_EQ(items, c.items) << c.line << "\n" << v.Disassembly();
  }
  // COLUMN is a function, not the inline item COL.
  CompiledView column("PRINT COLUMN");
  EXPECT_EQ(column.U8(column.First(86).operands + 1), 6);
  EXPECT_EQ(column.U8(column.First(86).end - 2), 12);
  // COL without arguments compiles the current colours as its defaults.
  CompiledView v("PRINT COL;");
  const Rec& r = v.First(86);
  EXPECT_EQ(v.U8(r.operands + 1), 2);
  EXPECT_EQ(v.U8(r.operands + 2), 128);
  EXPECT_EQ(v.U8(r.operands + 4), 129);
}

// DATA items are kept exactly as written.
TEST(StatementCompiler, DataItemsAsWritten) {
  struct Case {
    const char* line;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"DATA 1, 2 ,3", {"1", "2", "3"}},
      {"DATA \"A,B\", \"say \"\"hi\"\"\"", {"\"A,B\"", "\"say \"\"hi\"\"\""}},
      {"DATA \"A\" tail, X", {"\"A\" tail", "X"}},
      {"DATA 1,", {"1", ""}},
      {"DATA ,", {"", ""}},
      {"DATA", {}},
      {"DATA A: PRINT", {"A"}},
      {"DATA A ' rem", {"A"}},
      {"DATA ELSE, END IF", {"ELSE", "END IF"}},
      {"DATA \"open: x", {"\"open: x"}},
  };
  for (const Case& c : cases) {
    CompiledView v(c.line);
    std::vector<std::string> items;
    for (size_t at : v.ChainItems(Chain::Data))
      items.emplace_back(reinterpret_cast<const char*>(v.Code() + at + 2));
    EXPECT_EQ(items, c.items) << c.line << "\n" << v.Disassembly();
    EXPECT_TRUE(v.Valid()) << c.line;
  }
  // An item that holds a NUL byte cannot be stored as a 0-ended text.
  const std::string nul("DATA A\0B", 8);
  CompiledView v(nul);
  EXPECT_EQ(v.Shape(), "250");
  EXPECT_TRUE(v.ChainItems(Chain::Data).empty());
}

// Chains: jump targets in source order (with digit positions for RENUM),
// the zero targets that stay off, label definitions and references, and
// rollback of a failed statement's items.
TEST(StatementCompiler, ChainsInSourceOrderAndRollback) {
  struct Case {
    const char* line;
    std::vector<uint32_t> lines;
  };
  const Case cases[] = {
      {"GOTO 10: GOSUB 20: ON X GOTO 30, 40", {10, 20, 30, 40}},
      {"IF X THEN 100 ELSE 200", {100, 200}},
      {"GOTO 0", {0}},
      {"ON ERROR GOTO 0", {}},
      {"ON BREAK GOTO 0: ON TIMER GOTO 0", {}},
      {"RETURN 0: RETURN 5", {5}},
      {"RESTORE 0: PUSH 0", {0, 0}},
      {"RUN 7: CHAIN \"P\", 8: GOIF X, 9, 11", {7, 8, 9, 11}},
      {"RENUM 10, 20, 30: MERGE \"P\", 40: COPY 1 TO 2", {}},  // small numbers
      {"GOTO 10: FOO BAR 20: GOTO 30", {10, 30}},
      {"PRINT: GOTO 10 20", {}},
  };
  for (const Case& c : cases) {
    CompiledView v(c.line);
    EXPECT_EQ(v.JumpLines(), c.lines) << c.line << "\n" << v.Disassembly();
    EXPECT_TRUE(v.Valid()) << c.line;
  }
  // The digit column and count let RENUM rewrite the text.
  CompiledView digits("GOTO   1234");
  const size_t item = digits.ChainItems(Chain::JumpTarget).at(0);
  EXPECT_EQ(digits.U16(item + 4), 7);
  EXPECT_EQ(digits.U8(item + 6), 4);

  CompiledView labels("*TOP: GOTO *TOP: X = Y: FOO *BAD");
  const std::vector<size_t> l = labels.ChainItems(Chain::Label);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(labels.U8(l[0] + 2), 1);                         // the definition
  EXPECT_EQ(labels.U8(l[1] + 2), 0);                         // the reference
  EXPECT_EQ(labels.ChainItems(Chain::Variable).size(), 2u);  // X and Y, not FOO

  // A failed statement leaves nothing on any chain.
  CompiledView failed("A = 1: B = C + : DATA 1: FOR Q = 1 TO");
  EXPECT_EQ(failed.Shape(), "61 250 22 250");
  EXPECT_EQ(failed.ChainItems(Chain::Variable).size(), 1u);
  EXPECT_EQ(failed.ChainItems(Chain::Data).size(), 1u);

  // CONST with and without "%" defines the same constant, flag 1.
  for (const char* line : {"CONST %X = 2", "CONST X = 2"}) {
    CompiledView v(line);
    const std::vector<size_t> k = v.ChainItems(Chain::Constant);
    ASSERT_EQ(k.size(), 1u) << line;
    EXPECT_EQ(v.U8(k[0] - 1), 10);
    EXPECT_EQ(v.U8(k[0] + 2), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.Code() + k[0] + 4), 1), "X");
  }
}

// DEF FN: parameters compile to slots, and the body offset leads to its end.
TEST(StatementCompiler, DefFnParameterTableAndBody) {
  CompiledView v("DEF FN AREA(W, H$) = W * LEN(H$) + Q");
  const Rec& r = v.First(23);
  const size_t count = r.operands + 3 + 1 + 4 + 1;  // link, flag, length, "AREA", 0
  EXPECT_EQ(v.U8(count), 2);
  EXPECT_EQ(v.U16(count + 1), r.end);
  EXPECT_EQ(v.U8(count + 3), 11);  // W is parameter slot 0
  EXPECT_EQ(v.U8(count + 4), 0);
  EXPECT_EQ(v.ChainItems(Chain::Variable).size(), 1u);  // only Q is a variable
  EXPECT_EQ(v.ChainItems(Chain::UserFunction).size(), 1u);
  EXPECT_TRUE(v.Valid());
  EXPECT_EQ(CompiledView("DEF FN F(A,B,C,D,E,F,G,H,I,J,K) = 1").Shape(), "250");
}

// The header flags: label and $COLOR.
TEST(StatementCompiler, HeaderFlags) {
  EXPECT_EQ(CompiledView("*A").U8(kHeaderLabelFlag), 1);
  EXPECT_EQ(CompiledView("PRINT: *A").U8(kHeaderLabelFlag), 0);
  EXPECT_EQ(CompiledView("PRINT: $COLOR").U8(kHeaderColorFlag), 1);
  EXPECT_EQ(CompiledView("PRINT: $COLOR 5").U8(kHeaderColorFlag), 0);
  // A $COLOR inside an IF that fails as a whole leaves no flag behind.
  EXPECT_EQ(CompiledView("IF X THEN $COLOR END IF junk").U8(kHeaderColorFlag), 0);
  EXPECT_EQ(CompiledView("$COLOR: IF X THEN $COLOR END IF junk").U8(kHeaderColorFlag), 1);
  EXPECT_EQ(CompiledView("IF X THEN $COLOR").U8(kHeaderColorFlag), 1);
}

// Lines that fill the buffer never overrun it: a statement that would not
// fit fails like any other, and the line still ends properly.
TEST(StatementCompiler, LongLinesStayInsideTheBuffer) {
  const std::string lines[] = {
      "PRINT " + std::string(249, ','),
      "DATA " + std::string(250, ','),
      "FRAME" + std::string(1, ' ') +
          [] {
            std::string s;
            for (int i = 0; i < 62; ++i) s += "1,";
            return s;
          }(),
      std::string(255, ':'),
      "LIST " +
          [] {
            std::string s;
            for (int i = 0; i < 125; ++i) s += "-,";
            return s;
          }(),
  };
  for (const std::string& line : lines) {
    CompiledView v(line);
    std::string fault;
    EXPECT_TRUE(v.Valid(&fault)) << line << ": " << fault;
    EXPECT_LE(v.Size(), CodeBuffer::kCapacity);
  }
}

}  // namespace
}  // namespace torvic
