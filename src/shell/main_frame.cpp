#include "shell/main_frame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QSessionManager>
#include <QStatusBar>
#include <QStyle>
#include <QSysInfo>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "shell/font_dialog.h"
#include "shell/help_window.h"
#include "shell/print_listing.h"
#include "shell/screen_text.h"
#include "shell/system_services.h"
#include "shell/torvic_view.h"
#include "shell/volume_windows.h"
#include "shell/window_host.h"
#include "volumes/volumes.h"

namespace torvic::shell {

namespace {

constexpr const char* kCaption = "TORVIC";
constexpr const char* kTerminateQuestion =
    "Windows cannot shut down this program automatically. It is recommended that you exit the "
    "program with its quit or exit command.\n\nDo you wish to terminate this program now and "
    "lose any unsaved information in the program?";
constexpr const char* kShutdownQuestion =
    "You must quit this program before you quit Windows.\n\nClick OK to quit the program and "
    "Windows, or click Cancel to continue running the program and Windows.";

QString Latin1(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// A status-bar pane: as wide as its sample text when there is room, and
// clipped rather than widening the window when there is not.
// A pane is always as wide as its widest text: one that does not fit is
// hidden whole (FitPanes), never shown cut.
class StatusPane final : public QLabel {
 public:
  StatusPane(int width, QWidget* parent) : QLabel(parent), width_(width) {}
  QSize sizeHint() const override { return {width_, QLabel::sizeHint().height()}; }
  QSize minimumSizeHint() const override { return sizeHint(); }

 private:
  int width_;
};

}  // namespace

// The menus 128 (the menu bar), 148 (the context menu at the prompt) and
// 149 (the context menu while a line executes) in one table. Copy, Copy
// Screen, Paste, Full Screen and Break are this system's own additions.
const std::vector<CommandRow>& CommandTable() {
  using C = FrameCommand;
  static const std::vector<CommandRow> table = {
      {C::PrintSetup, "&File", "Print &Setup...", "Print Set&up...",
       "Change the printer and printing options", true, false},
      {C::Print, "&File", "&Print...", "&Print...", "Print the current program", true, false},
      {C::Break, "&File", "&Break\tCtrl+Break", nullptr, "Stop the running program", false, false},
      {C::Reset, "&File", "&Reset", "Rese&t", "Reset TORVIC", false, true},
      {C::Exit, "&File", "E&xit", nullptr, "Quit TORVIC", false, false},
      {C::Copy, "&Edit", "&Copy\tCtrl+Shift+C", "&Copy", "Copy the selected screen text", false,
       true},
      {C::CopyScreen, "&Edit", "Copy &Screen", nullptr, "Copy all 25 rows of the screen", false,
       false},
      {C::Paste, "&Edit", "&Paste\tCtrl+Shift+V", "P&aste", "Type the text of the clipboard", false,
       true},
      {C::Volumes, "&Edit", "&Volumes...\tCtrl+V", "&Volumes...", "Map BASIC volumes to folders",
       true, false},
      {C::Resize, "&View", "&Resize\tCtrl+R", "Resi&ze",
       "Resize the window to fit the BASIC screen", false, true},
      {C::FullScreen, "&View", "&Full Screen\tAlt+Enter", nullptr,
       "Show the screen on the whole display", false, false},
      {C::Font, "&Tools", "&Font", "&Font...", "Change the font size", true, false},
      {C::HelpTopics, "&Help", "&Help Topics", "&Help Topics", "List Help topics", false, true},
      {C::About, "&Help", "&About...", "&About...", "Display program information and version", true,
       false},
  };
  return table;
}

CMainFrame::CMainFrame(Interpreter& in, ConsoleScreen& screen, CTorvicView& view, WindowHost& host,
                       platform::SettingsStore& settings, const FrameOptions& options)
    : in_(in), screen_(screen), view_(view), host_(host), settings_(settings), options_(options) {
  setWindowTitle(kCaption);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setAlignment(Qt::AlignCenter);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(&view_);
  setCentralWidget(scroll);
  BuildMenus();
  BuildStatusBar();
  const std::optional<uint32_t> stored = settings_.GetNumber("Settings", "ResizeWindow");
  resizeWindow_ = stored && *stored != 0;
  view_.SetContextMenuHandler([this](const QPoint& global) { ShowContextMenu(global); });
  view_.SetPasteHandler([this] { Paste(); });
  host_.SetWindowCommands([this](platform::WindowCommand c) { return PerformWindowCommand(c); });
  host_.SetHelpViewer([](std::string_view topic) {
    OpenHelp(topic);
    return true;
  });
  host_.SetFileChooser(
      [this](platform::FileDialogPurpose purpose) { return ChooseProgramFile(purpose); });
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager& manager) { CommitData(manager); });
  RefreshStatus();
}

CMainFrame::~CMainFrame() {
  host_.SetWindowCommands({});
  host_.SetHelpViewer({});
  host_.SetFileChooser({});
}

void CMainFrame::BuildMenus() {
  std::map<std::string, QMenu*> menus;
  std::string last;
  for (const CommandRow& row : CommandTable()) {
    QMenu*& menu = menus[row.menu];
    if (!menu) menu = menuBar()->addMenu(row.menu);
    else if (row.command == FrameCommand::Reset || row.command == FrameCommand::Exit ||
             row.command == FrameCommand::Volumes || row.command == FrameCommand::Break ||
             row.command == FrameCommand::About)
      menu->addSeparator();
    auto* action = new QAction(row.text, this);
    action->setStatusTip(row.prompt);
    menu->addAction(action);
    actions_[row.command] = action;
    connect(action, &QAction::triggered, this, [this, c = row.command] { Perform(c); });
  }
  // The shortcuts the menus show. Ctrl+Break is the view's own key (it
  // reaches the interpreter as a key), so the Break item only shows it.
  auto shortcuts = [this](FrameCommand c, std::initializer_list<QKeySequence> keys) {
    actions_[c]->setShortcuts(QList<QKeySequence>(keys));
    actions_[c]->setShortcutVisibleInContextMenu(false);
  };
  shortcuts(FrameCommand::Volumes, {QKeySequence(Qt::CTRL | Qt::Key_V)});
  shortcuts(FrameCommand::Resize, {QKeySequence(Qt::CTRL | Qt::Key_R)});
  shortcuts(FrameCommand::HelpTopics, {QKeySequence(Qt::Key_F1)});
  shortcuts(FrameCommand::Copy, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)});
  shortcuts(FrameCommand::Paste, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
                                  QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
  shortcuts(FrameCommand::FullScreen,
            {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
  // Ctrl+Shift+F10 centres the window on the desktop.
  auto* center = new QAction(this);
  center->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F10));
  addAction(center);
  connect(center, &QAction::triggered, this, [this] { CenterOnDesktop(); });
  for (const auto& [name, menu] : menus)
    connect(menu, &QMenu::aboutToShow, this, [this] { RefreshStatus(); });
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  // Eighteen panes beside a 640-pixel screen: a smaller face keeps most of
  // them whole.
  QFont small = bar->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  bar->setFont(small);
  const QFontMetrics fm(small);
  auto pane = [&](std::string_view sample, bool permanent) {
    auto* label = new StatusPane(fm.horizontalAdvance(Latin1(sample)) + 6, bar);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setObjectName(Latin1(sample));
    if (permanent) bar->addPermanentWidget(label);
    return label;
  };
  // The message pane gives way to the menus' prompts while a menu is open
  // (the status bar's temporary message) and comes back after.
  message_ = new StatusPane(fm.horizontalAdvance(Latin1(kIdleMessage)) + 8, bar);
  bar->addWidget(message_, 1);
  volume_ = pane(kVolumePaneSample, true);
  mode_ = pane("PRG", true);
  insert_ = pane("OVR", true);
  for (size_t i = 0; i < indicators_.size(); ++i) {
    indicators_[i] = pane(kIndicatorTexts[i], true);
    indicators_[i]->setText(Latin1(kIndicatorTexts[i]));
    indicators_[i]->setObjectName(Latin1(kIndicatorTexts[i]));
  }
  // The bar never makes the frame wider than the screen: FitPanes hides the
  // panes that do not fit the frame's width.
  bar->setMinimumWidth(1);
  bar->installEventFilter(this);
}

// The panes that do not fit are hidden, those that are never lit first, then
// from the right; the message pane keeps room for its idle text, so
// "Executing..." and the menus' prompts stay readable.
void CMainFrame::FitPanes() {
  QStatusBar* bar = statusBar();
  constexpr int kSpacing = 6;  // the bar's gap between panes and its margins
  int room = bar->contentsRect().width() - message_->sizeHint().width() - 2 * kSpacing;
  if (bar->isSizeGripEnabled()) room -= bar->style()->pixelMetric(QStyle::PM_SizeGripSize);
  std::vector<QLabel*> panes = {volume_, mode_, insert_};
  panes.insert(panes.end(), indicators_.begin(), indicators_.end());
  for (QLabel* p : panes) room -= p->sizeHint().width() + kSpacing;
  using I = Indicator;
  static constexpr I kHiddenFirst[] = {
      I::Hidden,   I::Auto,   I::Debug,   I::Profile, I::Log,   I::ScrollLock, I::NumLock,
      I::CapsLock, I::Secure, I::Confirm, I::Trace,   I::Break, I::Pause,      I::Modified};
  std::vector<QLabel*> order;
  for (I i : kHiddenFirst) order.push_back(indicators_[static_cast<size_t>(i)]);
  order.insert(order.end(), {insert_, mode_, volume_});
  std::vector<QLabel*> hide;
  for (QLabel* p : order) {
    if (room >= 0) break;
    hide.push_back(p);
    room += p->sizeHint().width() + kSpacing;
  }
  for (QLabel* p : panes) p->setVisible(std::find(hide.begin(), hide.end(), p) == hide.end());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
  if (watched == statusBar() && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
    FitPanes();
  return QMainWindow::eventFilter(watched, e);
}

QLabel* CMainFrame::Pane(std::string_view text) const {
  const QString name = Latin1(text);
  if (text == "PRG" || text == "EDT" || text == "IMM" || text == "CMD") return mode_;
  if (text == "INS" || text == "OVR") return insert_;
  for (QLabel* l : indicators_)
    if (l->objectName() == name) return l;
  return nullptr;
}

void CMainFrame::RefreshStatus() {
  StatusPanes p = ReadStatusPanes(in_);
  // With the refresh setting off (9305 = 5) the indicators keep what they
  // showed while a program runs; the message pane always follows.
  if (!first_ && in_.Running() && !in_.Memory().StatusRefreshWhileRunning()) {
    const std::string message = p.message;
    p = panes_;
    p.message = message;
  }
  if (!first_ && p == panes_) return;
  if (first_ || p.message != panes_.message) message_->setText(QString::fromStdString(p.message));
  if (first_ || p.volume != panes_.volume) volume_->setText(QString::fromStdString(p.volume));
  if (first_ || p.mode != panes_.mode) mode_->setText(QString::fromStdString(p.mode));
  if (first_ || p.insert != panes_.insert) insert_->setText(QString::fromStdString(p.insert));
  for (size_t i = 0; i < indicators_.size(); ++i)
    if (first_ || p.lit[i] != panes_.lit[i]) indicators_[i]->setEnabled(p.lit[i]);
  if (first_ || p.executing != panes_.executing) EnableCommands(p.executing);
  panes_ = p;
  first_ = false;
}

void CMainFrame::EnableCommands(bool executing) {
  for (const CommandRow& row : CommandTable())
    if (row.promptOnly) actions_[row.command]->setEnabled(!executing);
  actions_[FrameCommand::Break]->setEnabled(executing);
}

void CMainFrame::Perform(FrameCommand c) {
  switch (c) {
    case FrameCommand::PrintSetup: PrintSetup(); break;
    case FrameCommand::Print: PrintProgram(); break;
    case FrameCommand::HelpTopics: OpenHelp({}); break;
    case FrameCommand::Break: PostBreak(); break;
    case FrameCommand::Reset:
      in_.ResetCommand();
      host_.Wake();
      break;
    case FrameCommand::Exit: close(); break;
    case FrameCommand::Copy: CopySelection(); break;
    case FrameCommand::CopyScreen: CopyScreen(); break;
    case FrameCommand::Paste: Paste(); break;
    case FrameCommand::Volumes: ShowVolumes(); break;
    case FrameCommand::Resize: FitToScreen(); break;
    case FrameCommand::FullScreen: ToggleFullScreen(); break;
    case FrameCommand::Font: ChangeFont(); break;
    case FrameCommand::About: ShowAbout(); break;
  }
  RefreshStatus();
}

// --- printing -------------------------------------------------------------------------

QPrinter& CMainFrame::Printer() {
  // Made on first use: finding the printers may ask the print system.
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void CMainFrame::PrintSetup() {
  QPageSetupDialog dialog(&Printer(), this);
  dialog.exec();
}

void CMainFrame::PrintProgram() {
  QPrinter& printer = Printer();
  // Printing at once needs somewhere to print: without a printer and
  // without a file chosen before, the dialog asks for one after all.
  const bool nowhere =
      printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
  if (!in_.Memory().PrintWithoutDialog() || nowhere) {
    QPrintDialog dialog(&printer, this);
    // The whole program is printed: no selection, no page range.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    if (dialog.exec() != QDialog::Accepted) return;
  }
  ListingJob job;
  job.lines = ListingLayout::LinesOf(in_.Program());
  job.settings = PrintSettings::From(in_.Memory());
  job.charset = screen_.Charset();
  std::string error;
  if (!PrintListingOn(printer, job, error))
    host_.MessageBox(error, kCaption, platform::Buttons::Ok, platform::Icon::Exclamation);
}

bool CMainFrame::PerformWindowCommand(platform::WindowCommand command) {
  using W = platform::WindowCommand;
  switch (command) {
    case W::PrintSetup: Perform(FrameCommand::PrintSetup); return true;
    case W::Print: Perform(FrameCommand::Print); return true;
    case W::Volumes: Perform(FrameCommand::Volumes); return true;
    case W::Font: Perform(FrameCommand::Font); return true;
    case W::ContextMenu:
      // Opened once the line has ended, at the prompt, where the caret is.
      if (!menuPending_) {
        menuPending_ = true;
        QTimer::singleShot(0, this, [this] {
          menuPending_ = false;
          const QRect caret = view_.CaretRectInView();
          ShowContextMenu(view_.mapToGlobal(caret.bottomLeft()));
        });
      }
      return true;
    case W::Minimize: showMinimized(); return true;
    case W::Maximize: showMaximized(); return true;
    case W::Restore: showNormal(); return true;
    case W::Resize: FitToScreen(); return true;
  }
  return false;
}

// --- the context menus ------------------------------------------------------------

QMenu* CMainFrame::BuildContextMenu(bool executing) {
  // Their own order: the menus 148 and 149, then Copy and Paste.
  using C = FrameCommand;
  static constexpr C kOrder[] = {C::PrintSetup, C::Print,      C::Volumes, C::Font, C::Resize,
                                 C::Reset,      C::HelpTopics, C::About,   C::Copy, C::Paste};
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (C command : kOrder) {
    const CommandRow& row =
        *std::find_if(CommandTable().begin(), CommandTable().end(),
                      [command](const CommandRow& r) { return r.command == command; });
    if (!row.context || (executing && !row.whileExecuting)) continue;
    if (row.command == FrameCommand::Copy) menu->addSeparator();
    QAction* target = actions_[row.command];
    QAction* item = menu->addAction(row.context);
    item->setStatusTip(row.prompt);
    item->setEnabled(target->isEnabled());
    connect(item, &QAction::triggered, this, [this, c = row.command] { Perform(c); });
  }
  return menu;
}

void CMainFrame::ShowContextMenu(const QPoint& global) {
  RefreshStatus();
  QMenu* menu = BuildContextMenu(panes_.executing);
  menu->popup(global);
}

QPoint CMainFrame::KeyboardMenuPoint() const {
  const QPoint mouse = view_.mapFromGlobal(QCursor::pos());
  if (view_.rect().contains(mouse)) return QCursor::pos();
  return view_.mapToGlobal(QPoint(5, 5));
}

// --- commands -------------------------------------------------------------------------

void CMainFrame::FitToScreen() {
  if (isFullScreen() || isMaximized() || isMinimized()) showNormal();
  // The view's viewport must show the whole bitmap: the frame grows or
  // shrinks by the difference.
  auto* scroll = static_cast<QScrollArea*>(centralWidget());
  const QSize want = view_.ScreenPixelSize();
  const QSize have = scroll->viewport()->size();
  resize(size() + (want - have));
  const QScreen* s = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect outer = frameGeometry();
  const QRect fitted = FitInsideWorkArea(outer, s->availableGeometry());
  if (fitted == outer) return;
  const QSize decoration = outer.size() - size();
  move(fitted.topLeft());
  resize(fitted.size() - decoration);
}

QRect FitInsideWorkArea(const QRect& frame, const QRect& work) {
  QRect r = frame;
  if (r.right() > work.right()) r.moveRight(work.right());
  if (r.bottom() > work.bottom()) r.moveBottom(work.bottom());
  if (r.left() < work.left()) r.moveLeft(work.left());
  if (r.top() < work.top()) r.moveTop(work.top());
  if (r.width() > work.width()) r.setWidth(work.width());
  if (r.height() > work.height()) r.setHeight(work.height());
  return r;
}

void CMainFrame::CenterOnDesktop() {
  if (isMinimized() || isMaximized() || isFullScreen()) return;
  const QScreen* s = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  QRect r = frameGeometry();
  r.moveCenter(s->availableGeometry().center());
  move(r.topLeft());
}

void CMainFrame::ChangeFont() {
  FontDialog dialog(screen_.FontPoints(), resizeWindow_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (dialog.ResizeWindow() != resizeWindow_) {
    resizeWindow_ = dialog.ResizeWindow();
    resizeWindowChanged_ = true;
  }
  if (!screen_.ChangeFontSize(dialog.Points())) return;
  // The screen is cleared with the new font: the input line goes too, and
  // a command that opened the dialog (SYS 3) ends without a prompt.
  in_.Entry().Editor().Clear();
  if (in_.CommandExecuting()) in_.SetReason(StopReason::NoPrompt);
  if (resizeWindow_) FitToScreen();
}

void CMainFrame::ShowVolumes() {
  VolumesWindow dialog(in_.Volumes(), in_.Host(), this);
  dialog.exec();
}

std::optional<platform::ChosenFile> CMainFrame::ChooseProgramFile(
    platform::FileDialogPurpose purpose) {
  VolumeFileDialog model(in_.Volumes(), host_, purpose);
  VolumeFileWindow dialog(model, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return model.Chosen();
}

void CMainFrame::ShowAbout() {
  QDialog dialog(this);
  dialog.setWindowTitle("About TORVIC");
  auto* layout = new QVBoxLayout(&dialog);
  auto* icon = new QLabel;
  icon->setPixmap(windowIcon().pixmap(64, 64));
  layout->addWidget(icon, 0, Qt::AlignHCenter);
  for (std::string_view line : ConsoleScreen::kBannerLines)
    layout->addWidget(new QLabel(Latin1(line)));
  layout->addSpacing(8);
  layout->addWidget(new QLabel(
      QString("Release %1: %2").arg(TORVIC_VERSION).arg(QString::fromStdString(ExecutablePath()))));
  layout->addWidget(new QLabel(QSysInfo::prettyProductName() + ", " + QSysInfo::kernelType() + " " +
                               QSysInfo::kernelVersion() + " (" +
                               QSysInfo::currentCpuArchitecture() + ")"));
  layout->addWidget(new QLabel(QString("Qt %1, %2 display").arg(qVersion(), qApp->platformName())));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  dialog.exec();
}

void CMainFrame::CopySelection() {
  const QString text = view_.SelectionText();
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void CMainFrame::CopyScreen() {
  QGuiApplication::clipboard()->setText(QString::fromStdString(ScreenText(screen_)));
}

void CMainFrame::Paste() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return;
  view_.TypeText(text);
}

void CMainFrame::ToggleFullScreen() {
  if (isFullScreen()) {
    showNormal();
    menuBar()->show();
    statusBar()->show();
  } else {
    menuBar()->hide();
    statusBar()->hide();
    showFullScreen();
  }
  view_.SetWholeMultiples(isFullScreen());
}

void CMainFrame::PostBreak() {
  platform::KeyEvent e;
  e.key = platform::vk::kCancel;
  e.ctrl = true;
  host_.PostKeyDown(e);
}

// --- leaving ------------------------------------------------------------------------------

bool CMainFrame::QueryClose() {
  if (in_.ExitRequested()) return true;  // already unwinding: close once it has
  if (panes_.executing || in_.CommandExecuting()) {
    if (host_.MessageBox(kTerminateQuestion, kCaption, platform::Buttons::YesNo,
                         platform::Icon::Exclamation) != platform::Answer::Yes)
      return false;
    in_.Program().SetModified(false);
  } else if (!in_.AskToSaveChanges()) {
    return false;
  }
  in_.RequestExit();
  host_.Wake();
  return true;
}

bool CMainFrame::QueryEndSession() {
  if (in_.ExitRequested()) return true;
  if (in_.CommandExecuting()) {
    if (host_.MessageBox(kShutdownQuestion, kCaption, platform::Buttons::OkCancel,
                         platform::Icon::Exclamation) != platform::Answer::Ok)
      return false;
    in_.Program().SetModified(false);
  } else if (!in_.AskToSaveChanges()) {
    return false;
  }
  in_.RequestExit();
  host_.Wake();
  return true;
}

void CMainFrame::CommitData(QSessionManager& manager) {
#ifndef QT_NO_SESSIONMANAGER
  if (!manager.allowsInteraction()) return;
  const bool leave = QueryEndSession();
  manager.release();
  if (!leave) manager.cancel();
#else
  (void)manager;
#endif
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  if (allowClose_) {
    e->accept();
    return;
  }
  e->ignore();
  QueryClose();
}

void CMainFrame::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange) view_.SetWholeMultiples(isFullScreen());
}

// --- placement ------------------------------------------------------------------------------

bool CMainFrame::RestorePlacement() {
  if (options_.noRestore || options_.anotherInstance) return false;
  const std::optional<std::vector<uint8_t>> stored = settings_.GetBytes("Window", "Placement");
  if (!stored || stored->empty()) return false;
  const QByteArray bytes(reinterpret_cast<const char*>(stored->data()),
                         static_cast<qsizetype>(stored->size()));
  return restoreGeometry(bytes);
}

void CMainFrame::SaveSettings() {
  if (!options_.noRestore) {
    const QByteArray bytes = saveGeometry();
    settings_.SetBytes("Window", "Placement", std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  if (resizeWindowChanged_) settings_.SetNumber("Settings", "ResizeWindow", resizeWindow_ ? 1 : 0);
}

}  // namespace torvic::shell
