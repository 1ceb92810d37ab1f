// Index of the operand layouts of every record code: which compile routine
// writes it and in which file its byte diagram stands (the diagram sits in
// the comment above the routine). Handlers read exactly those layouts.
//
// Shared blocks (expression, default number, default item, presence byte,
// option byte, jump target, small line number, range, range list):
// compiler_context.h. Expression items: expr/expr_compiler.h. The frame and
// the structural records 248, 250, 251, 0: compiler.cpp, compiled_line.h.
//
// control = compile_control.cpp, program = compile_program.cpp,
// console = compile_console.cpp, data = compile_data.cpp,
// files = compile_files.cpp
//
//   code  statement(s)                      routine                 file
//   ----  --------------------------------  ----------------------  -------
//     1   ABORT [#n, ...]                   CompileFileList         files
//     3   ASK word target                   CompileAskSet           console
//     4   ATTACH [#]n                       pattern "e"             console
//     5   ATTRIB name$ [, ON|OFF]           CompileAttrib           files
//     6   BACKUP a$ TO|, b$                 CompileTwoNames         files
//  8, 9   BKOFF, BKON, BREAK OFF/ON         (none)
//    10   CALL [args]                       CompileGenericList      console
//    11   CHAIN                             CompileChain            program
//    12   CLEAR [arrays]                    CompileArrayList        data
//    13   CLOSE [#n, ...]                   CompileClose            files
//    14   CLR row, col, w, h                CompileClr              console
//    16   COLOR [t] [, b]                   CompileColor            console
//    17   CONFIRM ON|OFF                    CompileOnOffSwitch      control
//    18   CONST                             CompileConst            control
//    20   COPY a$ TO b$                     CompileCopyMove         files
//    21   CURSOR ON|OFF                     CompileOnOffSwitch      control
//    22   DATA                              CompileData             control
//    23   DEF FN                            CompileDef              control
//    24   DEL ranges                        CompileRangesRequired   program
//    25   DELETE #n, record                 CompileDelete           files
//    26   DETACH [args]                     CompileGenericList      console
//    27   DIM                               CompileDim              data
//    28   DIR (as 41)                       CompileCatalog          files
//    29   DLOAD name$, target$              CompileDload            files
//    30   DSAVE name$, s$                   CompileTwoNames         files
//    31   DUMP, TYPE                        CompileDump             program
//    32   EDIT, "." ranges                  CompileRangesRequired   program
//    33   ELSE (stray)                      CompileElse             control
//    34   END, SYSTEM                       CompileEnd              control
//    35   END IF (stray)                    CompileEnd              control
//    36   ERASE [arrays]                    CompileArrayList        data
// 37, 38  ERROR n, EXEC n                   pattern "e"             console
//    40   FIELD                             CompileField            files
//    41   CATALOG, CAT, FILES               CompileCatalog          files
//    42   FOR                               CompileFor              control
//    43   FRAME                             pattern                 console
//    44   GET #n, record                    CompileGet              console
//    45   GET target                        CompileGet              console
//    46   GOIF                              CompileGoif             control
// 47, 48  GOSUB, GOTO                       CompileGotoGosub        control
//    49   GOTO TIMER                        (none)
//    50   HELP [topic$]                     pattern "p"             console
//    51   HTAB n                            pattern "e"             console
//    52   IF                                CompileIf               control
//    54   INPUT                             CompileInput            console
//    55   INSERT #n, record                 CompileFileAndNumber    files
//    56   INVERSE, NORMAL                   CompileInverse          control
//    57   INVERT                            pattern                 console
//    58   KEEP ranges                       CompileRangesRequired   program
// 59, 60  KILL name$, KILL #n, DELETE name$ CompileKill/Delete      files
//    61   LET                               CompileLet              control
// 62..64  LINE EDIT, LINE INPUT, LINE ,     CompileLineWord         console
//    65   LIST [ranges]                     CompileRangesOptional   program
// 66, 67  LOAD, LOADR                       CompileLoad             program
//    68   LOCATE, AT, @                     pattern "e,e"           console
// 69, 120 LOCK, UNLOCK [args]               CompileGenericList      console
// 70, 103 LSET, RSET                        CompileLsetRset         data
//    71   MERGE                             CompileMerge            program
//    72   MID$ statement                    CompileMidLeftRight     data
//    73   MOVE a$ TO b$                     CompileCopyMove         files
//    75   NEXT                              CompileNext             control
//    76   NUMBER                            CompileNumber           program
//    77   OLD                               CompileOld              program
//    78   ON ... GOTO/GOSUB                 CompileOn               control
// 79..81  ON BREAK, ON ERROR, ON TIMER      CompileOn               control
//    82   OPEN                              CompileOpen             files
//    83   OPTION                            CompileOption           data
//    84   POKE                              pattern "e,e"           console
// 86, 87  PRINT, PRINT USING (also ?, DISPLAY) CompilePrint         console
// 88, 99, 101  PUSH, RESTORE, RETURN        CompileOptionalTarget   control
//    89   PUT #n, record                    CompilePut              console
//    91   READ                              CompileTargetList       data
//    92   REDIM                             CompileDim              data
// 93, 94  REM and ', ~                      CompileRem, CompileTildeRemark  control
//    95   RENAME, NAME                      CompileRename           files
//    96   RENUM, RES, RESEQUENCE            CompileRenum            program
// 97, 119 REOPEN, UNLOAD [args]             CompileGenericList      console
//   100   RESUME                            CompileResume           control
// 102, 118 REWIND, TRUNCATE [#n, ...]       CompileFileList         files
//   104   RUN                               CompileRun              program
//   105   SAVE, ASAVE, BSAVE                CompileSave             program
//   106   SCREEN args                       CompileGenericList      console
//   107   SECURE ON|OFF                     CompileOnOffSwitch      control
//   108   SEEK #n, position                 CompileFileAndNumber    files
//   109   SELECT n|name$                    pattern "e"             console
//   110   SET word expr                     CompileAskSet           console
//   111   SOUND f, d                        pattern "e,e"           console
//   113   SYS n                             pattern "e"             console
// 114, 115 TIMER ON/OFF/STOP, TIMER =       CompileTimer            control
// 116, 117 TROFF, TRON, TRACE               CompileTrace            control
// 122, 123 VOLINI, VOLUME, CV               pattern "e"             console
//   125   VTAB n                            pattern "e"             console
// 126, 173 WAIT, PAUSE                      CompileWaitPause        control
//   127   WRITE                             CompileWrite            files
// 128, 132 CLOSE PRINTER, OPEN PRINTER      (none)
//   129   LLIST                             CompileLlist            program
// 130, 131 LPRINT, LPRINT USING             CompilePrint            console
//   134   PRINTER [args]                    CompileGenericList      console
//   144   APPEND a$ TO b$, CONCAT           CompileAppend           files
//   145   APPEND n TO m                     CompileLineCopy         program
//   146   APPEND #n, expr                   CompileAppend           files
//   147   ASSERT [args]                     CompileGenericList      console
//   168   LOG [ON|OFF] [args]               CompileSwitchedList     console
//   148   AUTO                              CompileAuto             program
// 149, 172 BREAK list, NOBREAK list         CompileBreakList        control
// 150, 178 BUILD, RUNR                      pattern "e"             console
// 151..153, 186, 224 CHKSW ... UNHIDE, CHKIO CompileRangesOptional  program
// 154, 171 COPY/MOVE n TO m                 CompileLineCopy         program
// 155, 156 CREATE name$, CREATE #n, name$   CompileCreate           files
// 157, 174 DEBUG, PROFILE [ON|OFF]          CompileOnOffSwitch      control
// 158, 165 DEC, INC                         CompileOneTarget        data
//   160   FIND                              CompileFind             program
//   161   FONT                              CompileLoad             program
// 159, 162..164, 170, 182, 188 FILL, FORMAT, HIDE, HSCROLL, MODE, SPLITNAME,
//         VSCROLL [args]                    CompileGenericList      console
// 166, 177 LEFT$, RIGHT$ statements         CompileMidLeftRight     data
//   167   LOADC                             CompileLoadc            program
//   169   LSAVE                             CompileLsave            program
//   175   PROMPT s$                         pattern "e"             console
// 176, 187 REMARK, UNREMARK ranges          CompileRangesRequired   program
//   180   SEARCH                            CompileCatalog          files
//   181   SPLIT                             CompileSplit            program
// 183     STEP [args]                       CompileGenericList      console
//   184   SWAP a, b                         CompileSwap             data
//   185   SWAP n, m                         CompileLineCopy         program
// 189, 190 XCOPY, XMOVE                     CompileXcopyXmove       program
// 192, 193, 197, 198, 200..202, 205, 210  graphics lists  CompileGraphics  console
// 194, 204 DRAW, PFONT                      pattern "e"             console
// 195, 209 GET (...), PUT (...), HGET, HPUT CompileGet, CompilePut  console
//   196   GRAPH, HGR, GR, TEXT              CompileGraph            console
//   199   LINE (console and graphics), BOX  CompileLineWord         console
//   203   PCOLOR, COLOR =, HCOLOR           CompileColor            console
// 206, 207 PPRINT, PPRINT USING             CompilePrint            console
//   208   PSET, PLOT, PRESET                CompilePset             console
//   213   CMD                               CompileCmd              console
//   216   $XREF                             CompileXref             program
//   220   POKE$                             pattern "e,e"           console
//   221   RECALL                            CompileRecall           program
//   223   TITLE                             pattern "e"             console
//   247   WORK [volume$]                    CompileOptionalExpression console
//   244   DEF USR                           CompileDef              control
//   212   CLR alone                         CompileClr              console
//
// Codes not listed (2 ABOUT, 7 BEEP, 15 CLS, 19 CONT, 39 EXIT, 53 INIT,
// 74 NEW, 85 POP, 90 RANDOMIZE, 98 RESET, 112 STOP, 121 VER, 124 VOLUMES,
// 133, 135, 136, 179, 215, 218, 219, 222, 225..228, 231..234, 245, 246) have
// no operands. The argument patterns are the table kPatterns in
// compile_console.cpp.
#pragma once
