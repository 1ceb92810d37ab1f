// The interpreter's side of the expression evaluator: the variable store,
// the evaluator itself, and the environment the evaluator asks about the
// running system. It takes part in the run-time resets as a listener.
#pragma once

#include "engine/interpreter.h"
#include "expr/console_functions.h"
#include "expr/evaluator.h"
#include "expr/string_functions.h"
#include "expr/variables.h"
#include "expr/volume_functions.h"

namespace torvic {

class ExpressionContext final : public EvalEnvironment, public RunStateListener {
 public:
  explicit ExpressionContext(Interpreter& in);

  Evaluator& Eval() { return evaluator_; }
  VariableStore& Vars() { return vars_; }
  // The stop flag the evaluator polls after every item; refreshed by the
  // interpreter whenever the stop reason may have changed under it.
  void SyncPendingStop() { pendingStop_ = in_.Reason() != StopReason::None; }
  // The flag itself, for the interpreter's pump, which keeps it in step
  // after every turn without a call.
  bool& PendingStopFlag() { return pendingStop_; }

  // EvalEnvironment
  bool ProgramRunning() override { return in_.Running(); }
  const bool& PendingStop() override { return pendingStop_; }
  double ForegroundColor() override;
  double BackgroundColor() override;
  std::string CurrentVolumeName() override { return in_.VolumeName(); }
  platform::LocalTime LocalNow() override { return in_.Host().clock.Now(); }
  SettingsMemory& Settings() override { return in_.Memory(); }
  int32_t PeekByte(uint32_t address) override;
  bool IsValidFileName(std::string_view name) override;
  FileNameVolumes* FileVolumes() override { return &fileNames_; }
  ConsoleAccess* Console() override { return &console_; }
  int32_t CallFileFunction(FileFunction which, CallContext& ctx, const CValue* args, int count,
                           CValue& result) override;
  // The interpreter behind the evaluator, for the data-file functions
  // (file_functions.h).
  Interpreter& Owner() { return in_; }
  VolumeEnquiries* Volumes() override {
    volumeEnquiries_.table = &in_.Volumes();
    return &volumeEnquiries_;
  }
  void BreakFromUsr(std::string_view text) override;
  platform::Host* Host() override { return &host_; }
  int32_t LastErrorCode() override { return in_.Traps().Err(); }
  int32_t LastErrorLine() override { return in_.Traps().Erl(); }
  uint32_t TimerReading() override { return in_.Host().clock.TickCount() - in_.TimerBase(); }
  bool InterpreterInfo(int row, double& value) override;

  // RunStateListener
  void OnRunReset() override;
  void OnEditReset() override;
  void OnInit() override;
  void OnAbort() override { evaluator_.ResetStack(); }

 private:
  // fullname$ and tempname$ on the interpreter's volume table.
  class TableFileNames final : public FileNameVolumes {
   public:
    explicit TableFileNames(Interpreter& in) : in_(in) {}
    std::string CurrentVolume() override;
    bool VolumeExists(std::string_view volume) override;
    bool FileExists(std::string_view volume, std::string_view name) override;

   private:
    Interpreter& in_;
  };

  // The console functions on the interpreter's screen, key queue and
  // screen images.
  class InterpreterConsole final : public ConsoleAccess {
   public:
    explicit InterpreterConsole(Interpreter& in) : in_(in) {}
    std::string NextKey() override;
    int32_t OpenScreenImage(const double (&args)[6], size_t& images) override;
    int32_t CursorColumn() override;
    int32_t CursorRow() override;
    int32_t TextColor() override;
    int32_t BackColor() override;
    double FontPoints() override;
    int32_t CharacterSet() override;
    int32_t SelectCharacterSet(int32_t charset) override;

   private:
    Interpreter& in_;
  };

  Interpreter& in_;
  platform::Host host_;
  TableFileNames fileNames_{in_};
  InterpreterConsole console_{in_};
  VolumeEnquiries volumeEnquiries_;
  VariableStore vars_;
  Evaluator evaluator_;
  bool pendingStop_ = false;
};

}  // namespace torvic
