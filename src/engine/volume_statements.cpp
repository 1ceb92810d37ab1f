// The statements of the volume table: VOLUMES, CV (also VOLUME), WORK,
// PWORK and PDV. SET VOLUME and ASK VOLUME live with SET and ASK
// (engine/screen_statements.cpp).
//
// Operand layouts: CV and VOLUME take one expression (pattern "e" in
// frontend/compile_console.cpp); WORK takes u8 0, or u8 1 | expr
// (CompileOptionalExpression); VOLUMES, PWORK and PDV have none.
#include <string>
#include <vector>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"
#include "volumes/volumes.h"

namespace torvic::handlers {

namespace {

constexpr int32_t kRowsPerPage = 24;
constexpr std::string_view kMorePrompt = "More...";

void EndLineIfNeeded(ConsoleScreen& screen) {
  if (screen.Column() != 0) screen.NewLine();
}

std::string PaddedName(const Volume& v) {
  std::string s = v.name;
  s.resize(kMaxVolumeName, ' ');
  return s;
}

// One row of the VOLUMES listing in the layout the settings choose.
std::string VolumeRow(const Volume& v, bool folderExists, bool words, uint8_t layout) {
  if (words) {
    std::string row = PaddedName(v) + ' ';
    std::string joined;
    for (const auto& [on, word] :
         {std::pair{v.isDefault, "Default"}, std::pair{v.readOnly, "Read-only"},
          std::pair{!folderExists, "Unmapped"}}) {
      if (!on) continue;
      if (!joined.empty()) joined += ',';
      joined += word;
    }
    return row + joined;
  }
  const char filler = layout == 1 || layout == 3 ? '-' : ' ';
  std::string markers;
  markers += v.isDefault ? '*' : filler;
  markers += v.readOnly ? 'R' : filler;
  markers += folderExists ? filler : '!';
  if (layout == 2 || layout == 3) return markers + ' ' + v.name;
  return PaddedName(v) + ' ' + markers;
}

}  // namespace

// VOLUMES: the table in name order, one volume a row.
int32_t Volumes(Interpreter& in, const uint8_t*, size_t& offset) {
  if (in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  const SettingsMemory& settings = in.Memory();
  const bool words = settings.VolumesWordLayout();
  const uint8_t layout = settings.VolumesLayout();
  const bool paged = settings.VolumesPaged();
  VolumeTable& table = in.Volumes();
  EndLineIfNeeded(screen);
  // A copy: the page pause serves events.
  const std::vector<Volume> volumes = table.Volumes();
  int32_t rows = 0;
  for (const Volume& v : volumes) {
    if (paged && rows == kRowsPerPage) {
      if (!in.WaitMore()) break;
      // The next rows go on from the bottom row, over the wiped prompt.
      screen.EraseCells(
          {0, kScreenRows - 1, static_cast<int32_t>(kMorePrompt.size()), kScreenRows});
      screen.SetCursor(0, kScreenRows - 1);
      rows = 0;
    }
    screen.WriteText(VolumeRow(v, table.FolderExists(v.folder), words, layout));
    screen.NewLine();
    ++rows;
  }
  offset = in.Position().PayloadEnd();
  return 0;
}

// CV name$, VOLUME name$: the default volume for the rest of the run.
int32_t Cv(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  CBasicString name;
  if (int32_t r = ops.String(name)) return r;
  if (ops.Stopped()) return 0;
  if (int32_t r = in.Volumes().SetDefaultForSession(name.View())) return r;
  return ops.Done(offset);
}

// WORK [name$]: with a name, remember the work volume ("." the current
// one); alone, make the work volume the default for the rest of the run.
int32_t Work(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  OperandReader ops(in, code, offset);
  uint8_t present;
  if (int32_t r = ops.Byte(present)) return r;
  VolumeTable& table = in.Volumes();
  if (!present) {
    const std::string work = table.WorkVolume();
    if (work.empty() || !table.FindVolume(work)) return kErrVolumeDoesNotExist;
    if (int32_t r = table.SetDefaultForSession(work)) return r;
    return ops.Done(offset);
  }
  CBasicString name;
  if (int32_t r = ops.String(name)) return r;
  if (ops.Stopped()) return 0;
  std::string_view wanted = name.View();
  if (wanted.empty()) return kErrCommandError;
  const std::string current = table.DefaultName();
  if (wanted == ".") wanted = current;
  if (!IsVolumeName(wanted)) return kErrInvalidVolume;
  const torvic::Volume* v = table.FindVolume(wanted);
  if (!v) return kErrVolumeDoesNotExist;
  table.SetWorkVolume(v->name);
  return ops.Done(offset);
}

// PWORK: the work volume's name on a row of its own.
int32_t Pwork(Interpreter& in, const uint8_t*, size_t& offset) {
  if (in.Running()) return kErrModeError;
  ConsoleScreen& screen = in.Screen();
  EndLineIfNeeded(screen);
  screen.WriteText(in.Volumes().WorkVolume());
  screen.NewLine();
  offset = in.Position().PayloadEnd();
  return 0;
}

// PDV: the current volume's name on a row of its own.
int32_t Pdv(Interpreter& in, const uint8_t*, size_t& offset) {
  ConsoleScreen& screen = in.Screen();
  EndLineIfNeeded(screen);
  screen.WriteText(in.VolumeName());
  screen.NewLine();
  offset = in.Position().PayloadEnd();
  return 0;
}

}  // namespace torvic::handlers
