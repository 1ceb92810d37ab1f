#include "engine/handlers.h"

#include "engine/errors.h"
#include "engine/interpreter.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

int32_t InternalError(Interpreter&, const uint8_t*, size_t&) { return kErrInternalError; }
int32_t NotSupported(Interpreter&, const uint8_t*, size_t&) { return kErrNotSupported; }

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

struct Row {
  uint8_t code;
  StatementHandler handler;
};

// The handlers, one row per record code. A statement's handler is added
// here in one line.
constexpr Row kHandlers[] = {
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
    {165, handlers::IncDec},  // INC
    {158, handlers::IncDec},  // DEC
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
    // Program-editing words that compile but are not supported here.
    {160, handlers::Find},  // FIND (checks its text first)
    {76, NotSupported},     // NUMBER
    {180, NotSupported},    // SEARCH
    {129, NotSupported},    // LLIST
    {176, NotSupported},    // REMARK
    {187, NotSupported},    // UNREMARK
    {162, NotSupported},    // FORMAT
    {154, NotSupported},    // COPY n TO m
    {171, NotSupported},    // MOVE n TO m
    {145, NotSupported},    // APPEND n TO m
    {181, NotSupported},    // SPLIT
    {189, NotSupported},    // XCOPY
    {190, NotSupported},    // XMOVE
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
    {106, handlers::Screen},
    {124, handlers::Volumes},
    {123, handlers::Cv},  // CV, VOLUME
    {247, handlers::Work},
    {245, handlers::Pwork},
    {219, handlers::Pdv},
};

// Statements this system does not implement: they compile and answer
// "?Not supported" in every form.
constexpr uint8_t kNeverSupported[] = {
    130, 131,            // LPRINT, LPRINT USING
    128, 133, 135, 136,  // CLOSE PRINTER, PCP, PRINTER?, PRINTERS
    179, 167,            // SAVEC, LOADC
    148, 149, 172,       // AUTO, BREAK, NOBREAK
    150, 151, 152, 153,  // BUILD, CHKSW, CHKSYN, CHKUL
    157, 196, 174, 183,  // DEBUG, GRAPH, PROFILE, STEP
    185,                 // SWAP, second form
};

std::array<StatementHandler, 256> BuildTable() {
  std::array<StatementHandler, 256> table;
  table.fill(InternalError);
  // ---- NOT YET BUILT --------------------------------------------------------
  // Every statement keyword without a handler row answers "?Not supported"
  // until the part of the system that executes it adds its row above. Codes
  // that name no statement stay "?Internal error".
  for (int code = 1; code < 248; ++code)
    if (StatementListingName(code)) table[code] = NotSupported;
  // ---------------------------------------------------------------------------
  for (uint8_t code : kNeverSupported) table[code] = NotSupported;
  for (const Row& r : kHandlers) table[r.code] = r.handler;
  return table;
}

}  // namespace

const std::array<StatementHandler, 256>& HandlerTable() {
  static const std::array<StatementHandler, 256> table = BuildTable();
  return table;
}

}  // namespace torvic
