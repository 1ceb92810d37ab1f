// CMainFrame: the desktop window around the console view.
//
// - The menu bar (File, Edit, View, Tools, Help), the context menus at the
//   prompt and while a line executes, and the status bar, all built from
//   one table of commands (their texts, shortcuts, status prompts and
//   whether they wait for the prompt).
// - The commands: Print Setup, Print, Resize, Font, Reset, Exit, Volumes,
//   About, Copy, Copy Screen, Paste, Full Screen, Break, and the window
//   commands statements ask for (SYS, EXEC 2350, MENU, RESIZE). Help Topics
//   (F1) opens the help viewer (help_window.h).
// - Printing: one printer for the session, set up by Print Setup and the
//   print dialog (which is skipped when settings address 2821 holds 15);
//   the listing's pages are shell/print_listing's.
// - Leaving: closing the window, Exit and the desktop session's end ask
//   about a running or modified program first, then let the interpreter
//   unwind; the window closes once it has (AllowClose).
// - The placement: saved as Qt's geometry record under Window/Placement
//   and restored at start, unless norestore or another copy is running.
//
// The status bar reads the interpreter after a pump turn (RefreshStatus)
// and repaints only the panes that changed.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/host.h"
#include "shell/status_panes.h"

class QMenu;
class QPrinter;
class QSessionManager;

namespace torvic {
class ConsoleScreen;
class Interpreter;
}  // namespace torvic

namespace torvic::shell {

class CTorvicView;
class WindowHost;

// The commands of the menus and their table.
enum class FrameCommand {
  PrintSetup,
  Print,
  Break,
  Reset,
  Exit,
  Copy,
  CopyScreen,
  Paste,
  Volumes,
  Resize,
  FullScreen,
  Font,
  HelpTopics,
  About,
};

struct CommandRow {
  FrameCommand command;
  const char* menu;     // the menu bar's menu
  const char* text;     // with "&" and "\t" and the shortcut shown
  const char* context;  // the text in the context menus (nullptr: not there)
  const char* prompt;   // the status-bar prompt
  bool promptOnly;      // disabled while a line or program executes
  bool whileExecuting;  // in the context menu while a line executes
};
const std::vector<CommandRow>& CommandTable();

struct FrameOptions {
  bool noRestore = false;        // /norestore
  bool anotherInstance = false;  // another copy holds the instance lock
};

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(Interpreter& in, ConsoleScreen& screen, CTorvicView& view, WindowHost& host,
             platform::SettingsStore& settings, const FrameOptions& options);
  ~CMainFrame() override;

  // Frame activation: the stored placement, unless norestore or another
  // copy. False when none was applied.
  bool RestorePlacement();
  // At exit: the placement (unless norestore) and ResizeWindow when changed.
  void SaveSettings();
  // The session has unwound: the next close really closes.
  void AllowClose() { allowClose_ = true; }

  // Reads the interpreter and repaints the panes that changed; cheap when
  // nothing did. Called after the pump's toolkit turns.
  void RefreshStatus();
  const StatusPanes& Panes() const { return panes_; }
  QLabel* Pane(std::string_view text) const;  // by its text ("MOD", "CMD"...)
  QLabel* MessagePane() const { return message_; }

  QAction* Action(FrameCommand c) const { return actions_.at(c); }
  void Perform(FrameCommand c);
  // SYS, EXEC 2350, MENU and RESIZE.
  bool PerformWindowCommand(platform::WindowCommand command);
  // The volume file dialog for LOAD?, SAVE? and the save at exit.
  std::optional<platform::ChosenFile> ChooseProgramFile(platform::FileDialogPurpose purpose);
  // The context menu at a point of the view (global coordinates); built
  // for the prompt or for a running line. Returned for the tests, shown by
  // ShowContextMenu.
  QMenu* BuildContextMenu(bool executing);
  void ShowContextMenu(const QPoint& global);
  // The context menu opened from the keyboard or a statement: at the mouse
  // when it is over the view, else 5 pixels inside the view's corner.
  QPoint KeyboardMenuPoint() const;

  // The session's printer, as Print Setup and the print dialog left it.
  QPrinter& Printer();

  // Closing and the desktop session's end (also for the tests).
  bool QueryClose();
  bool QueryEndSession();
  bool ResizeWindowSetting() const { return resizeWindow_; }
  // Fits the frame to the screen bitmap, then keeps it in the work area.
  void FitToScreen();
  void CenterOnDesktop();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildMenus();
  void BuildStatusBar();
  void FitPanes();
  void ChangeFont();
  void ShowAbout();
  void ShowVolumes();
  void PrintSetup();
  void PrintProgram();
  void CopySelection();
  void CopyScreen();
  void Paste();
  void ToggleFullScreen();
  void PostBreak();
  void EnableCommands(bool executing);
  void CommitData(QSessionManager& manager);

  Interpreter& in_;
  ConsoleScreen& screen_;
  CTorvicView& view_;
  WindowHost& host_;
  platform::SettingsStore& settings_;
  FrameOptions options_;
  std::map<FrameCommand, QAction*> actions_;
  std::unique_ptr<QPrinter> printer_;
  QLabel* message_ = nullptr;
  QLabel* volume_ = nullptr;
  QLabel* mode_ = nullptr;
  QLabel* insert_ = nullptr;
  std::array<QLabel*, static_cast<size_t>(Indicator::kCount)> indicators_{};
  StatusPanes panes_;
  bool first_ = true;
  bool allowClose_ = false;
  bool resizeWindow_ = false;
  bool resizeWindowChanged_ = false;
  bool menuPending_ = false;
};

// The frame rectangle moved back inside the desktop's work area: the right
// and bottom edges first, then the left and top, and shrunk to the work
// area when larger.
QRect FitInsideWorkArea(const QRect& frame, const QRect& work);

}  // namespace torvic::shell
