// The host of the desktop window: Qt's event loop behind the core's pump.
//
// The view turns Qt key events into core events and posts them here; window
// timers post timer events. PumpOnce serves one posted event and gives Qt
// its own turn (input, painting) at most once per millisecond of the clock,
// so a statement that finds nothing pending pays a quiet turn or now and
// then a clock read (platform::TurnPacer), not a trip through the
// toolkit's event loop.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "platform/host.h"
#include "shell/event_queue.h"

class QWidget;

namespace torvic::shell {

class WindowHost final : public QObject,
                         public platform::EventPump,
                         public platform::Timers,
                         public platform::Dialogs {
  Q_OBJECT

 public:
  explicit WindowHost(platform::Clock& clock);
  ~WindowHost() override;

  void SetDialogParent(QWidget* parent) { dialogParent_ = parent; }
  // Called before every toolkit turn (the view takes the screen's invalid
  // cells and schedules their repaint).
  void SetBeforeTurn(std::function<void()> f) { beforeTurn_ = std::move(f); }

  void PostKeyDown(const platform::KeyEvent& e) {
    queue_.PostKeyDown(e);
    SetQuietTurns(0);
  }
  void PostChar(const platform::KeyEvent& e) {
    queue_.PostChar(e);
    SetQuietTurns(0);
  }
  // Ends the current wait without an event (the window is closing).
  void Wake() { wake_ = true; }
  // The frame's side of the dialogs: the volume file dialog and the window
  // commands of statements (none performed until the frame is attached).
  void SetFileChooser(
      std::function<std::optional<platform::ChosenFile>(platform::FileDialogPurpose)> f) {
    fileChooser_ = std::move(f);
  }
  void SetWindowCommands(std::function<bool(platform::WindowCommand)> f) {
    windowCommands_ = std::move(f);
  }
  void SetHelpViewer(std::function<bool(std::string_view)> f) { helpViewer_ = std::move(f); }

  // --- EventPump -----------------------------------------------------------
  void SetSink(platform::EventSink* sink) override { sink_ = sink; }
  bool PumpOnce() override;
  bool AnyPending() override { return !queue_.Empty(); }
  platform::WaitResult WaitForEvent(platform::WaitFor what, int timeoutMs) override;
  std::optional<bool> LockKeyState(platform::LockKey key) override;
  bool PressLockKey(platform::LockKey key) override;

  // --- Timers --------------------------------------------------------------
  bool SetTimer(int id, uint32_t intervalMs) override;
  void KillTimer(int id) override;

  // --- Dialogs -------------------------------------------------------------
  platform::Answer MessageBox(std::string_view text, std::string_view caption,
                              platform::Buttons buttons, platform::Icon icon) override;
  // The frame's volume file dialog where there is a frame; before it
  // exists, the name is asked for on the console line.
  platform::FileDialogResult ChooseFile(platform::FileDialogMode mode,
                                        platform::FileChoice& choice) override {
    if (!fileChooser_) return platform::FileDialogResult::AskOnConsole;
    const std::optional<platform::ChosenFile> file =
        fileChooser_(mode == platform::FileDialogMode::Open ? platform::FileDialogPurpose::Open
                                                            : platform::FileDialogPurpose::Save);
    if (!file) return platform::FileDialogResult::Cancelled;
    choice.name = file->BasicName();
    choice.asText = file->type == platform::ProgramFileType::Text;
    return platform::FileDialogResult::Chosen;
  }
  bool PerformWindowCommand(platform::WindowCommand command) override {
    return windowCommands_ && windowCommands_(command);
  }
  // HELP: the frame's help viewer; before the frame exists, the console.
  bool ShowHelp(std::string_view topic) override { return helpViewer_ && helpViewer_(topic); }

  // The toolkit turn itself (also used by the waits).
  void ToolkitTurn(bool wait);

 private:
  platform::Clock& clock_;
  platform::EventSink* sink_ = nullptr;
  EventQueue queue_;
  std::map<int, std::unique_ptr<QTimer>> timers_;
  std::function<void()> beforeTurn_;
  std::function<std::optional<platform::ChosenFile>(platform::FileDialogPurpose)> fileChooser_;
  std::function<bool(platform::WindowCommand)> windowCommands_;
  std::function<bool(std::string_view)> helpViewer_;
  QWidget* dialogParent_ = nullptr;
  platform::TurnPacer pacer_;
  bool wake_ = false;
};

}  // namespace torvic::shell
