#include "engine/handlers.h"

#include "engine/errors.h"
#include "engine/interpreter.h"

namespace torvic {

namespace {

int32_t InternalError(Interpreter&, const uint8_t*, size_t&) { return kErrInternalError; }
// A statement of the language that this system does not implement.
int32_t NotSupported(Interpreter&, const uint8_t*, size_t&) { return kErrNotSupported; }
// A statement whose part of the system is not built yet: the same answer,
// kept apart so that the two can never be mistaken for one another.
int32_t NotBuiltYet(Interpreter&, const uint8_t*, size_t&) { return kErrNotSupported; }

// DATA and label definitions are passed over; their operands are read by
// READ and by the label search.
int32_t SkipPayload(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.PayloadEnd();
  return 0;
}
int32_t Remark(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.PayloadEnd();
  return 0;
}
int32_t StrayElse(Interpreter&, const uint8_t*, size_t&) { return kErrElseWithoutIf; }
int32_t StrayEndIf(Interpreter&, const uint8_t*, size_t&) { return kErrEndIfWithoutIf; }

// The handlers, one row per record code. A statement's handler is added
// here in one line (and its code leaves the list of statements not built
// yet).
constexpr HandlerRow kHandlers[] = {
    {22, SkipPayload},   // DATA
    {248, SkipPayload},  // label definition
    {93, Remark},        // REM and '
    {94, Remark},        // ~
    {33, StrayElse},     // ELSE reached without its IF
    {35, StrayEndIf},    // END IF reached without its IF
    {104, handlers::Run},
    {19, handlers::Cont},
    {112, handlers::Stop},
    {34, handlers::End},
    {53, handlers::Init},  // INIT, FRE
    {39, handlers::Exit},  // EXIT, BYE, QUIT
    {233, handlers::Restart},
    {222, handlers::Start},
    {231, handlers::Menu},
    {117, handlers::Tron},
    {116, handlers::Troff},  // TROFF, NOTRACE, UNTRACE
    {9, handlers::Bkon},
    {8, handlers::Bkoff},
    {17, handlers::Confirm},
    {107, handlers::Secure},
    {88, handlers::Push},
    {85, handlers::Pop},
    {234, handlers::DollarColor},
    {173, handlers::Pause},
    {61, handlers::Let},
    {27, handlers::Dim},
    {92, handlers::Redim},
    {36, handlers::Erase},
    {12, handlers::Clear},
    {83, handlers::Option},
    {18, handlers::Const},
    {23, handlers::DefFn},
    {244, handlers::DefUsr},
    {212, handlers::ClrVariables},  // CLR alone
    {90, handlers::Randomize},
    {72, handlers::MidStatement},
    {166, handlers::LeftRightStatement},  // LEFT$ (v, n) = r
    {177, handlers::LeftRightStatement},  // RIGHT$ (v, n) = r
    {165, handlers::IncDec},              // INC
    {158, handlers::IncDec},              // DEC
    {184, handlers::Swap},
    {84, handlers::Poke},
    {220, handlers::PokeString},  // POKE$
    {48, handlers::Goto},
    {47, handlers::Gosub},
    {101, handlers::Return},
    {78, handlers::OnGoto},  // ON expr GOTO / GOSUB
    {52, handlers::If},
    {46, handlers::Goif},
    {42, handlers::For},
    {75, handlers::Next},
    {126, handlers::Wait},
    {91, handlers::Read},
    {99, handlers::Restore},
    {80, handlers::OnError},
    {79, handlers::OnBreak},
    {81, handlers::OnTimer},
    {100, handlers::Resume},
    {114, handlers::Timer},     // TIMER ON / OFF / STOP
    {115, handlers::TimerSet},  // TIMER =
    {49, handlers::GotoTimer},
    {37, handlers::Error},
    {147, handlers::Assert},
    {168, handlers::Log},
    {65, handlers::List},
    {225, handlers::Lines},
    {216, handlers::Xref},  // $XREF
    {32, handlers::Edit},   // EDIT, .
    {221, handlers::Recall},
    {24, handlers::Del},
    {58, handlers::Keep},
    {96, handlers::Renum},  // RENUM, RENUMBER, RES, RESEQUENCE
    {246, handlers::Unnum},
    {160, handlers::Find},  // FIND checks its text, then "?Not supported"
    {86, handlers::Print},  // PRINT, ?, DISPLAY
    {87, handlers::PrintUsing},
    {54, handlers::Input},
    {63, handlers::LineInput},
    {62, handlers::LineEdit},
    {45, handlers::Get},
    {15, handlers::Cls},  // CLS, HOME
    {51, handlers::Htab},
    {125, handlers::Vtab},
    {68, handlers::Locate},  // LOCATE, AT, @
    {16, handlers::Color},
    {56, handlers::Inverse},  // INVERSE, NORMAL and their aliases
    {21, handlers::Cursor},
    {3, handlers::Ask},
    {110, handlers::Set},
    {109, handlers::Select},
    {57, handlers::Invert},
    {14, handlers::ClrRectangle},
    {43, handlers::Frame},
    {199, handlers::Line},  // LINE of cells; graphics LINE, BOX, HLINE
    {10, handlers::Call},
    {111, handlers::Sound},
    {7, handlers::Beep},
    {223, handlers::Title},
    {121, handlers::Ver},
    {2, handlers::About},
    {38, handlers::Exec},
    {113, handlers::Sys},
    {232, handlers::Resize},
    {69, handlers::Lock},
    {120, handlers::Unlock},
    {159, handlers::Fill},
    {161, handlers::Font},
    {175, handlers::Prompt},
    // Graphics and region statements: arguments evaluated, then "?Not supported".
    {192, handlers::CountedListNotSupported},  // CHORD
    {193, handlers::CountedListNotSupported},  // CIRCLE, ARC, HCIRCLE
    {197, handlers::CountedListNotSupported},  // HLIN
    {198, handlers::CountedListNotSupported},  // HPLOT
    {200, handlers::CountedListNotSupported},  // PAINT, HPAINT
    {201, handlers::CountedListNotSupported},  // PCLR
    {202, handlers::CountedListNotSupported},  // PCLS, HCLS
    {205, handlers::CountedListNotSupported},  // PIE
    {210, handlers::CountedListNotSupported},  // VLIN
    {64, handlers::CountedListNotSupported},   // LINE ,
    {195, handlers::CountedListNotSupported},  // GET (x, y), HGET
    {209, handlers::CountedListNotSupported},  // PUT (x, y), HPUT
    {203, handlers::CountedListNotSupported},  // PCOLOR, COLOR =, HCOLOR
    {163, handlers::CountedListNotSupported},  // HIDE
    {170, handlers::CountedListNotSupported},  // MODE
    {164, handlers::CountedListNotSupported},  // HSCROLL
    {188, handlers::CountedListNotSupported},  // VSCROLL
    {208, handlers::FormAndListNotSupported},  // PSET, PLOT, PRESET
    {194, handlers::OneValueNotSupported},     // DRAW, HDRAW
    {204, handlers::OneValueNotSupported},     // PFONT
    // The SPLITNAME statement evaluates its name and targets first.
    {182, handlers::CountedListNotSupported},
    {106, handlers::Screen},
    {124, handlers::Volumes},
    {123, handlers::Cv},  // CV, VOLUME
    {247, handlers::Work},
    {245, handlers::Pwork},
    {219, handlers::Pdv},
    // The data files and the whole-file statements.
    {82, handlers::Open},
    {13, handlers::Close},
    {98, handlers::Reset},
    {1, handlers::Abort},
    {40, handlers::Field},
    {70, handlers::Lset},
    {103, handlers::Rset},
    {44, handlers::GetRecord},     // GET #
    {89, handlers::PutRecord},     // PUT #
    {55, handlers::InsertRecord},  // INSERT #
    {25, handlers::DeleteRecord},  // DELETE #
    {108, handlers::Seek},
    {102, handlers::Rewind},
    {118, handlers::Truncate},
    {60, handlers::KillFile},  // KILL #
    {97, handlers::Reopen},
    {119, handlers::Unload},
    {127, handlers::Write},
    {4, handlers::Attach},
    {26, handlers::Detach},
    {213, handlers::Cmd},
    {29, handlers::Dload},
    {30, handlers::Dsave},
    {31, handlers::Dump},  // DUMP, TYPE
    // APPEND and CREATE in all their forms evaluate their arguments, then
    // "?Not supported".
    {144, handlers::ArgumentsThenNotSupported},  // APPEND a TO b, CONCAT
    {146, handlers::ArgumentsThenNotSupported},  // APPEND #
    {155, handlers::ArgumentsThenNotSupported},  // CREATE name
    {156, handlers::ArgumentsThenNotSupported},  // CREATE #
    {105, handlers::Save},                       // SAVE, ASAVE, BSAVE
    {66, handlers::Load},
    {67, handlers::Loadr},
    {178, handlers::Runr},
    {71, handlers::Merge},
    {11, handlers::Chain},
    {74, handlers::New},
    {77, handlers::Old},
    {226, handlers::LoadDialog},  // LOAD?
    {227, handlers::SaveDialog},  // SAVE?
    {228, handlers::Dos},
    {218, handlers::Dirr},
    {20, handlers::Copy},
    {73, handlers::Move},
    {95, handlers::Rename},  // RENAME, NAME
    {59, handlers::Kill},    // KILL name, DELETE name
    {5, handlers::Attrib},
    {6, handlers::Backup},
    {122, handlers::Volini},
    {41, handlers::Catalog},   // FILES, CATALOG, CAT
    {28, handlers::Catalog},   // DIR
    {180, handlers::Catalog},  // SEARCH checks its operands, then "?Not supported"
};

// Statements this system does not implement: they compile and answer
// "?Not supported" in every form. The argument-checking ones (FIND, the
// graphics statements with arguments, FILL, FONT, PROMPT...) have handler
// rows above.
using L = NotSupportedList;
constexpr NotSupportedRow kNotSupported[] = {
    {130, L::Printer},           // LPRINT
    {131, L::Printer},           // LPRINT USING
    {128, L::Printer},           // CLOSE PRINTER
    {133, L::Printer},           // PCP
    {135, L::Printer},           // PRINTER?
    {136, L::Printer},           // PRINTERS
    {179, L::ProgramFileForms},  // SAVEC
    {167, L::ProgramFileForms},  // LOADC
    {169, L::ProgramFileForms},  // LSAVE
    {76, L::EditingWords},       // NUMBER, NUM
    {148, L::EditingWords},      // AUTO
    {129, L::EditingWords},      // LLIST
    {176, L::EditingWords},      // REMARK
    {187, L::EditingWords},      // UNREMARK
    {162, L::EditingWords},      // FORMAT
    {154, L::EditingWords},      // COPY n TO m
    {171, L::EditingWords},      // MOVE n TO m
    {145, L::EditingWords},      // APPEND n TO m
    {181, L::EditingWords},      // SPLIT
    {185, L::EditingWords},      // SWAP n, m
    {189, L::EditingWords},      // XCOPY
    {190, L::EditingWords},      // XMOVE
    {149, L::ProgramChecks},     // BREAK with ranges or labels
    {172, L::ProgramChecks},     // NOBREAK, UNBREAK
    {150, L::ProgramChecks},     // BUILD
    {151, L::ProgramChecks},     // CHKSW
    {152, L::ProgramChecks},     // CHKSYN
    {153, L::ProgramChecks},     // CHKUL
    {224, L::ProgramChecks},     // CHKIO, one of the CHK words
    {157, L::ProgramChecks},     // DEBUG
    {174, L::ProgramChecks},     // PROFILE
    {183, L::ProgramChecks},     // STEP
    {196, L::Graphics},          // GRAPH, GR, HGR, HGR2, TEXT
    {206, L::Graphics},          // PPRINT
    {207, L::Graphics},          // PPRINT USING
    {186, L::ConsoleWords},      // UNHIDE
};

// The statements of the parts still to come. Each part moves its codes from
// here to the handler rows as it is built.
using P = ComingPart;
constexpr ComingRow kNotBuiltYet[] = {
    {50, P::Help},             // HELP
    {215, P::Printing},        // $PRINT
    {132, P::Printing},        // OPEN PRINTER
    {134, P::Printing},        // PRINTER
};

std::array<StatementHandler, 256> BuildTable() {
  std::array<StatementHandler, 256> table;
  table.fill(InternalError);
  for (const NotSupportedRow& r : kNotSupported) table[r.code] = NotSupported;
  for (const ComingRow& r : kNotBuiltYet) table[r.code] = NotBuiltYet;
  for (const HandlerRow& r : kHandlers) table[r.code] = r.handler;
  return table;
}

}  // namespace

const std::array<StatementHandler, 256>& HandlerTable() {
  static const std::array<StatementHandler, 256> table = BuildTable();
  return table;
}

std::span<const HandlerRow> HandlerRows() { return kHandlers; }
std::span<const NotSupportedRow> NotSupportedRows() { return kNotSupported; }
std::span<const ComingRow> NotBuiltYetRows() { return kNotBuiltYet; }

}  // namespace torvic
