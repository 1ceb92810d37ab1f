// The interpreter's side of the shell's commands: the start-up sequence,
// the question about a modified program that EXIT and closing the window
// ask, the Reset command, and the state the status bar shows.
#include <filesystem>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/program_file_hooks.h"
#include "engine/program_files.h"

namespace torvic {

namespace {

constexpr std::string_view kCaption = "TORVIC";
constexpr std::string_view kSaveQuestion =
    "Do you want to save the changes you made to the BASIC program?";

}  // namespace

void Interpreter::SetProgramFiles(ProgramFileHooks* files) {
  programFiles_ = files ? files : &StoredProgramFiles();
}

// --- start-up ------------------------------------------------------------------

void Interpreter::RunStartupSequence(const std::string& startupPath,
                                     const std::string& programPath) {
  host_.pump.SetSink(this);
  // A load error stands on a line of its own, naming the file.
  auto reportLoadError = [this](int32_t code, std::string_view name) {
    const char* message = ErrorMessage(NormalizeErrorCode(code));
    if (!message) return;
    if (screen_.Column() != 0) screen_.NewLine();
    screen_.WriteRaw(std::string(message) + " loading \"" + std::string(name) + "\"");
    screen_.NewLine();
  };
  bool prompt = true;
  std::error_code ec;
  if (!startupPath.empty() && std::filesystem::is_regular_file(startupPath, ec)) {
    memory_.SetMirror(SettingsMemory::kStartupLoadingAddress, 1);
    if (const int32_t r = programFiles_->LoadProgram(*this, startupPath)) {
      reportLoadError(r, "_$TORVIC.TVC");
    } else {
      screen_.ShowCursor(false);
      ShowStatus("Executing...");
      stopReason_ = StopReason::None;
      commandExecuting_ = true;
      entry_.SetMode(kExecuting);
      size_t offset = 0;
      if (const int32_t runError = handlers::Run(*this, nullptr, offset); runError > 0)
        ReportError(runError, -1, std::nullopt);
      entry_.SetMode(kIdle);
      commandExecuting_ = false;
      ShowStatus("");
      screen_.ShowCursor(true);
      entry_.Editor().Clear();
      // A start-up program that ends normally leaves nothing behind.
      if (stopReason_ == StopReason::Ended) programFiles_->NewProgram(*this);
      if ((stopReason_ == StopReason::NoPrompt && !memory_.PromptAfterEveryLine()) ||
          stopReason_ == StopReason::ExitRequested || stopReason_ == StopReason::Abandoned)
        prompt = false;
    }
  }
  if (!programPath.empty() && !ExitRequested()) {
    programFiles_->NewProgram(*this);
    if (const int32_t r = programFiles_->LoadProgram(*this, programPath))
      reportLoadError(r, programPath);
  }
  if (ExitRequested()) return;
  if (prompt) PrintPrompt();
  entry_.Editor().Clear();
  screen_.ShowCursor(true);
  entry_.DrainKeyQueue();
}

// --- leaving -------------------------------------------------------------------

bool Interpreter::AskToSaveChanges() {
  if (!program_.Modified()) return true;
  const platform::Answer a = host_.dialogs.MessageBox(
      kSaveQuestion, kCaption, platform::Buttons::YesNoCancel, platform::Icon::Exclamation);
  if (a == platform::Answer::Cancel) return false;
  if (a == platform::Answer::Yes) {
    // The program goes back to the file it came from, in its form; one
    // that has none is named in the volume file dialog.
    platform::FileChoice file{programFile_.name, programFile_.text};
    if (file.name.empty() && !ChooseProgramFile(*this, platform::FileDialogMode::Save, file))
      return false;
    int32_t r;
    try {
      r = programFiles_->SaveProgram(*this, file);
    } catch (const std::bad_alloc&) { r = kErrOutOfMemory; }
    if (r == 0) return true;
    const char* message = ErrorMessage(NormalizeErrorCode(r));
    const std::string question = "Unable to save the file (" + std::string(message) +
                                 ").\nDo you want to exit without saving?";
    if (host_.dialogs.MessageBox(question, kCaption, platform::Buttons::YesNo,
                                 platform::Icon::Exclamation) != platform::Answer::Yes)
      return false;
  }
  program_.SetModified(false);
  return true;
}

void Interpreter::ResetCommand() {
  if (Running() && screen_.Deferred()) screen_.EndDeferredUpdate();
  quitPending_ = true;
  unwindDone_ = true;  // the session loop lets the pump serve again once all has unwound
  NoQuietTurns();
  entry_.Keys().Clear();
  stopReason_ = StopReason::NoPrompt;
  entry_.SetEnd(InputEnd::Cancelled);
  paused_ = false;
  screen_.ClearScreen();
  entry_.Editor().Clear();
  if (memory_.PromptAfterEveryLine()) PrintPrompt();
}

Interpreter::StatusMode Interpreter::Mode() const {
  if (entry_.Mode() == kEditingLine) return StatusMode::Editing;
  if (Running()) return StatusMode::Program;
  if (commandExecuting_ || entry_.Mode() == kExecuting) return StatusMode::Immediate;
  return StatusMode::Command;
}

}  // namespace torvic
