#include "engine/expression_context.h"

#include <sys/stat.h>

#include "console/screen.h"
#include "console/settings_map.h"
#include "volumes/filenames.h"

namespace torvic {

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
