#include "engine/expression_context.h"

#include <sys/stat.h>

#include "base/errors.h"
#include "console/palette.h"
#include "console/screen.h"
#include "console/settings_map.h"
#include "engine/file_functions.h"
#include "engine/screen_images.h"
#include "expr/file_functions.h"
#include "volumes/filenames.h"

namespace torvic {

// scrw and scrh answer without a console; they must agree with it.
static_assert(kConsoleColumns == kScreenColumns && kConsoleRows == kScreenRows);

ExpressionContext::ExpressionContext(Interpreter& in)
    : in_(in), host_(in.Host()), evaluator_(vars_, *this) {}

int32_t ExpressionContext::PeekByte(uint32_t address) { return in_.Settings().PeekByte(address); }

double ExpressionContext::ForegroundColor() { return in_.Screen().TextColor(); }
double ExpressionContext::BackgroundColor() { return in_.Screen().BackColor(); }

void ExpressionContext::BreakFromUsr(std::string_view text) {
  in_.Screen().WriteText(text);
  in_.StopRun(StopReason::BreakKey);
  SyncPendingStop();
}

bool ExpressionContext::IsValidFileName(std::string_view name) {
  std::string volume;
  return torvic::IsValidFileName(name) && VolumeOfName(in_.Volumes(), name, volume) &&
         in_.Volumes().FindVolume(volume) != nullptr;
}

std::string ExpressionContext::TableFileNames::CurrentVolume() { return in_.VolumeName(); }

bool ExpressionContext::TableFileNames::VolumeExists(std::string_view volume) {
  return in_.Volumes().FindVolume(volume) != nullptr;
}

bool ExpressionContext::TableFileNames::FileExists(std::string_view volume, std::string_view name) {
  ResolvedName file;
  if (ResolveFileName(in_.Volumes(), std::string(volume) + ":" + std::string(name), "", file) != 0)
    return false;
  struct stat st;
  return ::lstat(file.path.c_str(), &st) == 0;
}

std::string ExpressionContext::InterpreterConsole::NextKey() {
  std::string key = in_.NextKey();
  // A trap handler that ended with RESUME while the key was looked for.
  if (in_.Reason() == StopReason::RetryStatement) in_.SetReason(StopReason::None);
  return key;
}

int32_t ExpressionContext::InterpreterConsole::OpenScreenImage(const double (&args)[6],
                                                               size_t& images) {
  return torvic::OpenScreenImage(in_, args, images);
}

int32_t ExpressionContext::InterpreterConsole::CursorColumn() { return in_.Screen().Column(); }
int32_t ExpressionContext::InterpreterConsole::CursorRow() { return in_.Screen().Row(); }
int32_t ExpressionContext::InterpreterConsole::TextColor() { return in_.Screen().TextColor(); }
int32_t ExpressionContext::InterpreterConsole::BackColor() { return in_.Screen().BackColor(); }
double ExpressionContext::InterpreterConsole::FontPoints() { return in_.Screen().FontPoints(); }
int32_t ExpressionContext::InterpreterConsole::CharacterSet() { return in_.Screen().Charset(); }

int32_t ExpressionContext::InterpreterConsole::SelectCharacterSet(int32_t charset) {
  if (!ConsoleScreen::IsAcceptedCharset(charset)) return kErrFunctionCallError;
  return in_.Screen().SetCharacterSet(charset);
}

// info(6): the volumes; 11: the program's lines; 24: the GOSUB levels
// open; 25: the FOR loops active; 33: when the console window was made;
// 34: the stopped states nested (STOP or Break inside one another).
bool ExpressionContext::InterpreterInfo(int row, double& value) {
  switch (row) {
    case 6: value = static_cast<double>(in_.Volumes().Count()); return true;
    case 11: value = static_cast<double>(in_.Program().Count()); return true;
    case 24: value = static_cast<double>(in_.Position().GosubDepth()); return true;
    case 25: value = static_cast<double>(in_.Position().ActiveLoops()); return true;
    case 33: value = SecondsSince1601(in_.Screen().StartTime()); return true;
    case 34: value = in_.StopDepth(); return true;
    default: return false;
  }
}

int32_t ExpressionContext::CallFileFunction(FileFunction which, CallContext& ctx,
                                            const CValue* args, int count, CValue& result) {
  using Worker = int32_t (*)(CallContext&, const CValue*, int, CValue&);
  static constexpr Worker kWorkers[] = {
      files::FnEof,        files::FnLoc,      files::FnLof,       files::FnRec,
      files::FnBufsiz,     files::FnOpen,     files::FnFreefile,  files::FnFilemode,
      files::FnModeLetter, files::FnFileName, files::FnInputText,
  };
  static_assert(std::size(kWorkers) == static_cast<size_t>(FileFunction::InputText) + 1);
  const auto index = static_cast<size_t>(which);
  if (index >= std::size(kWorkers)) return kErrInternalError;
  return kWorkers[index](ctx, args, count, result);
}

void ExpressionContext::OnRunReset() {
  vars_.ResetProgramState();
  evaluator_.ResetStack();
}

void ExpressionContext::OnEditReset() {
  vars_.DeleteAll();
  evaluator_.ResetStack();
}

void ExpressionContext::OnInit() {
  vars_.DeleteAll();
  evaluator_.ResetStack();
}

}  // namespace torvic
