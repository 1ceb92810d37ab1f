// The statement compile routines, one per statement family. The statement
// table (statements.def) names the routine of each record code; the byte
// layout a routine writes is documented above it.
#pragma once

#include "frontend/compiler_context.h"

namespace torvic {

// What a keyword token starts: the record code it compiles into unless the
// routine changes it, and the routine (null: the keyword alone). False for a
// token that starts no statement (statements.cpp, from the table).
bool StatementFormOfToken(int token, uint8_t& code, CompileRoutine& routine);

// compiler.cpp: the label definition that may open a line (record 248).
bool CompileLabel(LineCompiler& c);

// compile_control.cpp: IF/ELSE/END, jumps, ON, traps, LET, FOR/NEXT, DEF,
// CONST, DATA, remarks, switches.
bool CompileIf(LineCompiler& c);
bool CompileElse(LineCompiler& c);
bool CompileEnd(LineCompiler& c);
bool CompileGotoGosub(LineCompiler& c);
bool CompileGoif(LineCompiler& c);
bool CompileOn(LineCompiler& c);
bool CompileOptionalTarget(LineCompiler& c);  // RETURN, RESTORE, PUSH
bool CompileResume(LineCompiler& c);
bool CompileLet(LineCompiler& c);
bool CompileFor(LineCompiler& c);
bool CompileNext(LineCompiler& c);
bool CompileDef(LineCompiler& c);
bool CompileConst(LineCompiler& c);
bool CompileData(LineCompiler& c);
bool CompileRem(LineCompiler& c);
bool CompileTildeRemark(LineCompiler& c);
bool CompileTimer(LineCompiler& c);
bool CompileInverse(LineCompiler& c);
bool CompileOnOffSwitch(LineCompiler& c);
bool CompileBreakList(LineCompiler& c);
bool CompileTrace(LineCompiler& c);
bool CompileWaitPause(LineCompiler& c);

// compile_program.cpp: program commands, line ranges, line copying.
bool CompileRun(LineCompiler& c);
bool CompileChain(LineCompiler& c);
bool CompileLoad(LineCompiler& c);
bool CompileLoadc(LineCompiler& c);
bool CompileSave(LineCompiler& c);
bool CompileLsave(LineCompiler& c);
bool CompileMerge(LineCompiler& c);
bool CompileOld(LineCompiler& c);
bool CompileDump(LineCompiler& c);
bool CompileRenum(LineCompiler& c);
bool CompileNumber(LineCompiler& c);
bool CompileAuto(LineCompiler& c);
bool CompileRecall(LineCompiler& c);
bool CompileFind(LineCompiler& c);
bool CompileXref(LineCompiler& c);
bool CompileRangesRequired(LineCompiler& c);
bool CompileRangesOptional(LineCompiler& c);
bool CompileLlist(LineCompiler& c);
bool CompileXcopyXmove(LineCompiler& c);
bool CompileSplit(LineCompiler& c);
bool CompileLineCopy(LineCompiler& c);  // COPY/MOVE/APPEND/SWAP with line numbers

// compile_console.cpp: PRINT and its relatives, INPUT, GET, screen and
// graphics statements, and the argument-list statements.
bool CompilePrint(LineCompiler& c);
bool CompileInput(LineCompiler& c);
bool CompileLineWord(LineCompiler& c);  // LINE INPUT, LINE EDIT, LINE ,, LINE
bool CompileGet(LineCompiler& c);
bool CompilePut(LineCompiler& c);
bool CompileCmd(LineCompiler& c);
bool CompileColor(LineCompiler& c);
bool CompileClr(LineCompiler& c);
bool CompileAskSet(LineCompiler& c);
bool CompileGraph(LineCompiler& c);
bool CompilePset(LineCompiler& c);
bool CompileGraphics(LineCompiler& c);
bool CompileGenericList(LineCompiler& c);
bool CompileSwitchedList(LineCompiler& c);  // LOG
bool CompileByPattern(LineCompiler& c);
bool CompileOneExpression(LineCompiler& c);
bool CompileOptionalExpression(LineCompiler& c);

// compile_data.cpp: variables, arrays and their statements.
bool CompileTargetList(LineCompiler& c);  // READ
bool CompileDim(LineCompiler& c);         // DIM, REDIM
bool CompileArrayList(LineCompiler& c);   // ERASE, CLEAR
bool CompileOption(LineCompiler& c);
bool CompileMidLeftRight(LineCompiler& c);
bool CompileOneTarget(LineCompiler& c);  // INC, DEC
bool CompileSwap(LineCompiler& c);
bool CompileLsetRset(LineCompiler& c);

// compile_files.cpp: data files and the file-system statements.
bool CompileOpen(LineCompiler& c);
bool CompileClose(LineCompiler& c);
bool CompileFileList(LineCompiler& c);
bool CompileField(LineCompiler& c);
bool CompileFileAndNumber(LineCompiler& c);  // SEEK, INSERT
bool CompileWrite(LineCompiler& c);
bool CompileDelete(LineCompiler& c);
bool CompileKill(LineCompiler& c);
bool CompileCreate(LineCompiler& c);
bool CompileAppend(LineCompiler& c);
bool CompileCopyMove(LineCompiler& c);
bool CompileRename(LineCompiler& c);
bool CompileAttrib(LineCompiler& c);
bool CompileTwoNames(LineCompiler& c);  // BACKUP, DSAVE
bool CompileCatalog(LineCompiler& c);
bool CompileDload(LineCompiler& c);

}  // namespace torvic
