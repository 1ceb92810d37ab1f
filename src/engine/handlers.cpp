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
    {22, SkipPayload},            // DATA
    {248, SkipPayload},           // label definition
    {93, Remark},                 // REM and '
    {94, Remark},                 // ~
    {33, StrayElse},              // ELSE reached without its IF
    {35, StrayEndIf},             // END IF reached without its IF
    {104, handlers::Run},
    {19, handlers::Cont},
    {112, handlers::Stop},
    {34, handlers::End},
    {53, handlers::Init},         // INIT, FRE
    {39, handlers::Exit},         // EXIT, BYE, QUIT
    {233, handlers::Restart},
    {222, handlers::Start},
    {231, handlers::Menu},
    {117, handlers::Tron},
    {116, handlers::Troff},       // TROFF, NOTRACE, UNTRACE
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
    {165, handlers::IncDec},      // INC
    {158, handlers::IncDec},      // DEC
    {184, handlers::Swap},
    {48, handlers::Goto},
    {47, handlers::Gosub},
    {101, handlers::Return},
    {78, handlers::OnGoto},       // ON expr GOTO / GOSUB
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
    {114, handlers::Timer},       // TIMER ON / OFF / STOP
    {115, handlers::TimerSet},    // TIMER =
    {49, handlers::GotoTimer},
    {37, handlers::Error},
    {147, handlers::Assert},
    {168, handlers::Log},
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
