// The desktop application on Qt's offscreen platform: the frame, its menus
// and status bar, the close questions (answered in the real message boxes),
// the placement, the Volumes dialog through its widgets, paste and copy,
// and the bitmap at the display's pixel ratio.
#include "shell/main_frame.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engine/program_file_hooks.h"
#include "shell/font_dialog.h"
#include "shell/help_window.h"
#include "shell/print_listing.h"
#include "shell/volume_windows.h"
#include "shell/window_application.h"
#include "support/scripted_host.h"
#include "volumes/volumes.h"

namespace torvic::shell {
namespace {

namespace fs = std::filesystem;

QApplication& App() {
  static int argc = 1;
  static char name[] = "torvic_shell_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
  return *static_cast<QApplication*>(QCoreApplication::instance());
}

// Answers the modal dialogs as they open, one step per dialog, and keeps
// the texts of the message boxes it answered.
class ModalScript {
 public:
  using Step = std::function<void(QWidget*)>;
  ModalScript() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* w = QApplication::activeModalWidget();
      if (!w || w == last_ || steps_.empty()) return;
      last_ = w;
      if (auto* box = qobject_cast<QMessageBox*>(w)) texts.push_back(box->text().toStdString());
      Step step = std::move(steps_.front());
      steps_.pop_front();
      step(w);
    });
    timer_.start();
  }
  void Then(Step step) { steps_.push_back(std::move(step)); }
  // A message box answered with a button.
  void Answer(QMessageBox::StandardButton b) {
    Then([b](QWidget* w) {
      if (auto* box = qobject_cast<QMessageBox*>(w)) box->button(b)->click();
    });
  }
  bool Done() const { return steps_.empty(); }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
  QWidget* last_ = nullptr;
  std::deque<Step> steps_;
};

// A window application on an in-memory settings store.
struct Rig {
  platform::ScriptedHost store;
  BatchOptions options;
  std::unique_ptr<WindowApplication> app;
  explicit Rig(bool noRestore = false, bool another = false) { Make(noRestore, another); }
  void Make(bool noRestore, bool another) {
    App();
    options.startup.noRestore = noRestore;
    const fs::path docs = fs::temp_directory_path() / ("torvic-frame-" + std::to_string(getpid()));
    fs::create_directories(docs);
    options.mounts = {{"WORK", docs.string(), false}};
    app = std::make_unique<WindowApplication>(store, options, another);
    std::string error;
    EXPECT_TRUE(app->Create(error)) << error;
    app->Interp().RunStartupSequence("", "");
  }
  Interpreter& In() { return app->Interp(); }
  CMainFrame& Frame() { return app->Frame(); }
  // Serves what the window has queued.
  void Pump() {
    for (int i = 0; i < 3; ++i) {
      app->Host().ToolkitTurn(false);
      while (app->Host().AnyPending()) app->Host().PumpOnce();
    }
    Frame().RefreshStatus();
  }
  void Type(const QString& text) {
    app->View().TypeText(text);
    Pump();
  }
  std::string Row(int r) { return app->Screen().RowText(r); }
};

TEST(MainFrame, EveryMenuItemWithItsTextAndPrompt) {
  Rig rig;
  std::vector<std::string> menus;
  for (QAction* a : rig.Frame().menuBar()->actions()) menus.push_back(a->text().toStdString());
  EXPECT_EQ(menus, (std::vector<std::string>{"&File", "&Edit", "&View", "&Tools", "&Help"}));
  struct Item {
    FrameCommand command;
    const char* text;
    const char* prompt;
  };
  const Item items[] = {
      {FrameCommand::PrintSetup, "Print &Setup...", "Change the printer and printing options"},
      {FrameCommand::Print, "&Print...", "Print the current program"},
      {FrameCommand::Reset, "&Reset", "Reset TORVIC"},
      {FrameCommand::Exit, "E&xit", "Quit TORVIC"},
      {FrameCommand::Volumes, "&Volumes...\tCtrl+V", "Map BASIC volumes to folders"},
      {FrameCommand::Resize, "&Resize\tCtrl+R", "Resize the window to fit the BASIC screen"},
      {FrameCommand::Font, "&Font", "Change the font size"},
      {FrameCommand::HelpTopics, "&Help Topics", "List Help topics"},
      {FrameCommand::Break, "&Break\tCtrl+Break", "Stop the running program"},
      {FrameCommand::Paste, "&Paste\tCtrl+Shift+V", "Type the text of the clipboard"},
  };
  for (const Item& i : items) {
    QAction* a = rig.Frame().Action(i.command);
    EXPECT_EQ(a->text().toStdString(), i.text);
    EXPECT_EQ(a->statusTip().toStdString(), i.prompt);
  }
  EXPECT_EQ(rig.Frame().Action(FrameCommand::Volumes)->shortcut(),
            QKeySequence(Qt::CTRL | Qt::Key_V));
  EXPECT_EQ(rig.Frame().Action(FrameCommand::Resize)->shortcut(),
            QKeySequence(Qt::CTRL | Qt::Key_R));
  // The context menus: 148 at the prompt, 149 while a line executes.
  auto texts = [&](bool executing) {
    std::vector<std::string> out;
    QMenu* menu = rig.Frame().BuildContextMenu(executing);
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) out.push_back(a->text().toStdString());
    delete menu;
    return out;
  };
  EXPECT_EQ(texts(false), (std::vector<std::string>{"Print Set&up...", "&Print...", "&Volumes...",
                                                    "&Font...", "Resi&ze", "Rese&t", "&Help Topics",
                                                    "&About...", "&Copy", "P&aste"}));
  EXPECT_EQ(texts(true),
            (std::vector<std::string>{"Resi&ze", "Rese&t", "&Help Topics", "&Copy", "P&aste"}));
}

// While a program runs: PRG, "Executing...", the prompt-only items
// disabled, Break enabled; back at the prompt: CMD and the idle message;
// MOD once a line is stored.
TEST(MainFrame, StatusPanesAndMenuStatesFollowARun) {
  Rig rig;
  CMainFrame& f = rig.Frame();
  EXPECT_EQ(f.Pane("CMD")->text().toStdString(), "CMD");
  EXPECT_EQ(f.MessagePane()->text().toStdString(), "For Help, press F1");
  EXPECT_EQ(f.Pane("TORVIC"), nullptr);
  EXPECT_FALSE(f.Pane("MOD")->isEnabled());
  EXPECT_TRUE(f.Pane("BRK")->isEnabled());
  for (const char* never : {"LOG", "PROF", "DBG", "AUTO", "HIDDEN"})
    EXPECT_FALSE(f.Pane(never)->isEnabled()) << never;
  rig.Type("10 GOTO 10\n");
  EXPECT_TRUE(f.Pane("MOD")->isEnabled());
  std::string mode, message;
  bool volumesEnabled = true, breakEnabled = false;
  QTimer::singleShot(100, &f, [&] {
    f.RefreshStatus();
    mode = f.Pane("PRG")->text().toStdString();
    message = f.MessagePane()->text().toStdString();
    volumesEnabled = f.Action(FrameCommand::Volumes)->isEnabled();
    breakEnabled = f.Action(FrameCommand::Break)->isEnabled();
    f.Perform(FrameCommand::Reset);
  });
  rig.Type("RUN\n");
  EXPECT_EQ(mode, "PRG");
  EXPECT_EQ(message, "Executing...");
  EXPECT_FALSE(volumesEnabled);
  EXPECT_TRUE(breakEnabled);
  EXPECT_EQ(f.Pane("CMD")->text().toStdString(), "CMD");
  EXPECT_TRUE(f.Action(FrameCommand::Volumes)->isEnabled());
  rig.In().RequestExit();
}

// Beside the 640-pixel screen the bar cannot hold all eighteen panes: the
// message pane keeps its idle text's width, the never-lit panes go first,
// and no pane is shown narrower than its text. A wide frame shows them all.
TEST(MainFrame, PanesThatDoNotFitAreHiddenWholeNeverCut) {
  Rig rig;
  CMainFrame& f = rig.Frame();
  f.show();
  QStatusBar* bar = f.statusBar();
  auto visible = [&](const char* name) { return f.Pane(name)->isVisibleTo(&f); };
  const std::vector<const char*> all = {"CMD",    "INS",    "MOD", "PAUSE", "BRK", "TRC",
                                        "CNFRM",  "SECURE", "LOG", "PROF",  "DBG", "AUTO",
                                        "HIDDEN", "CAP",    "NUM", "SCRL"};
  struct Case {
    int width;
    bool allShown;
  };
  for (const Case c : {Case{640, false}, Case{2000, true}}) {
    f.resize(c.width, f.height());
    QApplication::processEvents();
    EXPECT_GE(f.MessagePane()->width(), f.MessagePane()->sizeHint().width()) << c.width;
    EXPECT_LE(bar->width(), c.width);
    for (const char* name : all) {
      if (visible(name)) {
        EXPECT_GE(f.Pane(name)->width(), f.Pane(name)->sizeHint().width()) << name;
        EXPECT_LE(f.Pane(name)->geometry().right(), bar->width()) << name;
      }
      if (c.allShown) { EXPECT_TRUE(visible(name)) << name; }
    }
  }
  f.resize(640, f.height());
  QApplication::processEvents();
  EXPECT_FALSE(visible("HIDDEN"));  // never lit: the first to go
  EXPECT_TRUE(visible("CMD"));
  EXPECT_TRUE(visible("MOD"));
  rig.In().RequestExit();
}

TEST(MainFrame, CloseQuestionsAnsweredEachWay) {
  const std::string save = "Do you want to save the changes you made to the BASIC program?";
  // At the prompt with a modified program: Cancel stays, No leaves.
  for (auto [answer, leaves] : {std::pair{QMessageBox::Cancel, false}, {QMessageBox::No, true}}) {
    Rig rig;
    rig.Type("10 PRINT 1\n");
    ModalScript script;
    script.Answer(answer);
    rig.Frame().close();
    EXPECT_EQ(rig.In().ExitRequested(), leaves);
    ASSERT_EQ(script.texts.size(), 1u);
    EXPECT_EQ(script.texts[0], save);
    EXPECT_TRUE(rig.Frame().isVisible());  // closes only once the session has unwound
    rig.In().RequestExit();
  }
  // Yes: the volume file dialog; the program is saved under the name
  // chosen there, and the window goes.
  {
    Rig rig;
    const fs::path saved =
        fs::temp_directory_path() / ("torvic-frame-" + std::to_string(getpid())) / "PROG.tvc";
    fs::remove(saved);
    rig.Type("10 PRINT 1\n");
    ModalScript script;
    script.Answer(QMessageBox::Yes);
    script.Then([](QWidget* w) {
      auto* dialog = qobject_cast<VolumeFileWindow*>(w);
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle().toStdString(), "Save");
      EXPECT_EQ(dialog->NameField()->text().toStdString(), "Untitled.tvc");
      dialog->NameField()->setText("WORK:PROG");
      dialog->accept();
    });
    rig.Frame().close();
    EXPECT_TRUE(rig.In().ExitRequested());
    EXPECT_EQ(script.texts.size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(saved));
    EXPECT_FALSE(rig.In().Program().Modified());
    fs::remove(saved);
  }
  // While a program runs: No goes on running, Yes stops it and leaves.
  for (auto [answer, leaves] : {std::pair{QMessageBox::No, false}, {QMessageBox::Yes, true}}) {
    Rig rig;
    rig.Type("10 GOTO 10\n");
    ModalScript script;
    script.Answer(answer);
    bool stillRunning = false;
    QTimer::singleShot(50, &rig.Frame(), [&] { rig.Frame().close(); });
    QTimer::singleShot(400, &rig.Frame(), [&] {
      stillRunning = rig.In().Running();
      if (!rig.In().ExitRequested()) rig.Frame().Perform(FrameCommand::Reset);
    });
    rig.Type("RUN\n");
    ASSERT_EQ(script.texts.size(), 1u);
    EXPECT_EQ(script.texts[0].rfind("Windows cannot shut down this program", 0), 0u);
    EXPECT_EQ(rig.In().ExitRequested(), leaves);
    EXPECT_EQ(stillRunning, !leaves);
    EXPECT_FALSE(rig.In().Program().Modified() && leaves);
    rig.In().RequestExit();
  }
}

TEST(MainFrame, PlacementRoundTripNoRestoreAndASecondCopy) {
  platform::ScriptedHost store;
  QRect placed;
  {
    Rig rig;
    rig.Frame().setGeometry(QRect(120, 90, 700, 500));
    placed = rig.Frame().geometry();
    rig.In().RequestExit();
    rig.app->Close();
    const auto bytes = rig.store.GetBytes("Window", "Placement");
    ASSERT_TRUE(bytes && !bytes->empty());
    store.SetBytes("Window", "Placement", *bytes);
  }
  auto reopen = [&](bool noRestore, bool another) {
    Rig rig(noRestore, another);
    rig.store.SetBytes("Window", "Placement", *store.GetBytes("Window", "Placement"));
    const bool restored = rig.Frame().RestorePlacement();
    const QRect geometry = rig.Frame().geometry();
    rig.In().RequestExit();
    rig.app->Close();
    return std::tuple{restored, geometry, rig.store.GetBytes("Window", "Placement")};
  };
  auto [restored, geometry, after] = reopen(false, false);
  EXPECT_TRUE(restored);
  EXPECT_EQ(geometry, placed);
  auto [restored2, geometry2, after2] = reopen(true, false);
  EXPECT_FALSE(restored2);                                   // norestore: neither read...
  EXPECT_EQ(after2, store.GetBytes("Window", "Placement"));  // ... nor written anew
  auto [restored3, geometry3, after3] = reopen(false, true);
  EXPECT_FALSE(restored3);  // a second copy leaves it alone
  // A record that does not restore is ignored.
  Rig rig;
  rig.store.SetBytes("Window", "Placement", {1, 2, 3});
  EXPECT_FALSE(rig.Frame().RestorePlacement());
  rig.In().RequestExit();
}

TEST(MainFrame, VolumesDialogThroughItsWidgets) {
  Rig rig;
  const fs::path other = fs::temp_directory_path() / ("torvic-vol-" + std::to_string(getpid()));
  fs::create_directories(other);
  VolumesWindow dialog(rig.In().Volumes(), rig.In().Host(), &rig.Frame());
  auto names = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i)
      out.push_back(dialog.List()->topLevelItem(i)->text(0).toStdString());
    return out;
  };
  const std::vector<std::string> before = names();
  ASSERT_FALSE(before.empty());
  ModalScript script;
  // Add: the volume dialog, filled in; its OK checks and saves.
  auto fill = [](const char* name, std::string folder, bool makeDefault) {
    return [=](QWidget* w) {
      auto* editor = qobject_cast<VolumeEditorWindow*>(w);
      ASSERT_NE(editor, nullptr);
      editor->NameField()->setText(name);
      editor->FolderField()->setText(QString::fromStdString(folder));
      editor->DefaultBox()->setChecked(makeDefault);
      editor->accept();
    };
  };
  script.Then(fill("EXTRA", other.string(), false));
  dialog.Button("&Add...")->click();
  std::vector<std::string> after = names();
  ASSERT_NE(std::find(after.begin(), after.end(), "EXTRA"), after.end());
  EXPECT_TRUE(rig.In().Volumes().FindVolume("EXTRA"));
  // Remove of the default volume is refused with its message.
  const std::string current = rig.In().Volumes().DefaultName();
  for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i)
    if (dialog.List()->topLevelItem(i)->text(0).toStdString() == current)
      dialog.List()->setCurrentItem(dialog.List()->topLevelItem(i));
  script.Answer(QMessageBox::Ok);
  dialog.Button("&Remove")->click();
  ASSERT_FALSE(script.texts.empty());
  EXPECT_EQ(script.texts.back(), "Cannot remove the default volume!");
  // Make Default on EXTRA.
  for (int i = 0; i < dialog.List()->topLevelItemCount(); ++i)
    if (dialog.List()->topLevelItem(i)->text(0) == "EXTRA")
      dialog.List()->setCurrentItem(dialog.List()->topLevelItem(i));
  dialog.Button("&Make Default")->click();
  EXPECT_EQ(rig.In().Volumes().DefaultName(), "EXTRA");
  // Properties with each validation message: the dialog stays open on a
  // refused OK, and the last try is accepted.
  struct Try {
    const char* name;
    std::string folder;
    const char* message;
  };
  const Try tries[] = {
      {"BAD_NAME", other.string(), "Invalid volume specified!"},
      {current.c_str(), other.string(), "Volume already exists!"},
      {"EXTRA", (other / "missing").string(), "Specified folder does not exist!"},
  };
  script.Then([&](QWidget* w) {
    auto* editor = qobject_cast<VolumeEditorWindow*>(w);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->DefaultBox()->isEnabled());  // it is the default
    for (const Try& t : tries) {
      editor->NameField()->setText(t.name);
      editor->FolderField()->setText(QString::fromStdString(t.folder));
      QTimer::singleShot(20, editor, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          box->setProperty("seen", box->text());
          box->button(QMessageBox::Ok)->click();
        }
      });
      editor->accept();
      EXPECT_TRUE(editor->isVisible()) << t.message;
    }
    editor->NameField()->setText("EXTRA2");
    editor->FolderField()->setText(QString::fromStdString(other.string()));
    editor->accept();
  });
  dialog.Button("&Properties")->click();
  EXPECT_TRUE(rig.In().Volumes().FindVolume("EXTRA2"));
  EXPECT_FALSE(rig.In().Volumes().FindVolume("EXTRA"));
  dialog.done(QDialog::Accepted);
  EXPECT_TRUE(rig.store.GetNumber("Settings", "VolumeColumnWidth").has_value());
  EXPECT_TRUE(script.Done());
  rig.In().RequestExit();
}

// A pasted program of 500 lines is entered completely: LIST gives back
// the text. Characters the screen cannot show arrive as "?".
// HELP at the window's prompt, Help Topics (F1) and the Volumes dialog's
// Help button open the help viewer at their topics.
TEST(MainFrame, HelpOpensTheViewerAtItsTopic) {
  Rig rig;
  const auto viewer = []() -> HelpWindow* {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) return h;
    return nullptr;
  };
  rig.Type("HELP \"GOTO\"\r");
  HelpWindow* help = viewer();
  ASSERT_NE(help, nullptr);
  EXPECT_NE(help->Browser()->toPlainText().indexOf("GOTO target"), -1);
  EXPECT_EQ(rig.Frame().Action(FrameCommand::HelpTopics)->shortcut(), QKeySequence(Qt::Key_F1));
  rig.Frame().Perform(FrameCommand::HelpTopics);
  EXPECT_NE(help->Browser()->toPlainText().indexOf("Contents"), -1);
  help->close();
  VolumesWindow dialog(rig.In().Volumes(), rig.In().Host(), &rig.Frame());
  auto* button = dialog.findChild<QPushButton*>("&Help");
  ASSERT_NE(button, nullptr);
  button->click();
  help = viewer();
  ASSERT_NE(help, nullptr);
  EXPECT_NE(help->Browser()->toPlainText().indexOf("Make Default"), -1);
  help->close();
}

TEST(MainFrame, PasteEntersEveryLineAndCopyGivesTheSelection) {
  Rig rig;
  QString text;
  for (int n = 1; n <= 500; ++n)
    text += QString("%1 PRINT \"LINE %2 OF THE PASTED PROGRAM\"\r\n").arg(n * 10).arg(n);
  QGuiApplication::clipboard()->setText(text);
  rig.Frame().Perform(FrameCommand::Paste);
  rig.Pump();
  int count = 0;
  for (const ProgramLine* l = rig.In().Program().First(); l; l = l->Next(), ++count) {
    const std::string expected =
        "PRINT \"LINE " + std::to_string(count + 1) + " OF THE PASTED PROGRAM\"";
    ASSERT_EQ(l->number, static_cast<uint32_t>((count + 1) * 10)) << l->text;
    ASSERT_EQ(l->text, expected);
  }
  EXPECT_EQ(count, 500);

  rig.Type("CLS\n");
  QGuiApplication::clipboard()->setText(QString::fromUtf8("PRINT \"\u20ac\u4e2d\"\n"));
  rig.Frame().Perform(FrameCommand::Paste);
  rig.Pump();
  EXPECT_EQ(rig.Row(1), "PRINT \"\x80?\"");
  EXPECT_EQ(rig.Row(2), "\x80?");
  // Copy: the cells from (7, 1) to (1, 2), in reading order, as UTF-8.
  rig.app->View().Select({7, 1}, {1, 2});
  rig.Frame().Perform(FrameCommand::Copy);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "\xe2\x82\xac?\"\n\xe2\x82\xac?");
  rig.Frame().Perform(FrameCommand::CopyScreen);
  EXPECT_EQ(QGuiApplication::clipboard()->text().count('\n'), 24);
  rig.In().RequestExit();
}

TEST(MainFrame, ResetEndsARunAndClearsTheScreen) {
  Rig rig;
  rig.Type("10 PRINT \"X\";: GOTO 10\n");
  QTimer::singleShot(100, &rig.Frame(), [&] { rig.Frame().Perform(FrameCommand::Reset); });
  rig.Type("RUN\n");
  EXPECT_FALSE(rig.In().Running());
  rig.Type("PRINT 6*7\n");
  EXPECT_EQ(rig.Row(0), "PRINT 6*7");
  EXPECT_EQ(rig.Row(1), " 42");
  rig.In().RequestExit();
}

TEST(MainFrame, FontDialogAboutFullScreenAndTheMenuStatement) {
  Rig rig;
  ModalScript script;
  script.Then([](QWidget* w) {
    auto* dialog = qobject_cast<FontDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Font");
    EXPECT_EQ(dialog->Points(), 10);
    EXPECT_EQ(dialog->Sizes()->count(), 22);
    dialog->Sizes()->setCurrentRow(4);  // 12 points
    dialog->ResizeBox()->setChecked(true);
    dialog->accept();
  });
  rig.Frame().Perform(FrameCommand::Font);
  EXPECT_EQ(rig.app->Screen().FontPoints(), 12);
  EXPECT_TRUE(rig.Frame().ResizeWindowSetting());
  // SYS 3 through the frame: the font dialog inside the command, which
  // then ends without a prompt; Cancel keeps the font.
  script.Then([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  rig.Type("SYS 3\n");
  EXPECT_EQ(rig.app->Screen().FontPoints(), 12);
  script.Then([](QWidget* w) {
    EXPECT_EQ(w->windowTitle().toStdString(), "About TORVIC");
    qobject_cast<QDialog*>(w)->accept();
  });
  rig.Frame().Perform(FrameCommand::About);
  EXPECT_TRUE(script.Done());
  // MENU: the context menu opens once the line has ended, at the prompt.
  rig.Type("MENU\n");
  rig.Pump();
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->actions().front()->text().toStdString(), "Print Set&up...");
  menu->close();
  // Full screen and back.
  rig.Frame().Perform(FrameCommand::FullScreen);
  EXPECT_TRUE(rig.Frame().isFullScreen());
  EXPECT_GE(rig.app->View().Multiple(), 1);
  rig.Frame().Perform(FrameCommand::FullScreen);
  EXPECT_FALSE(rig.Frame().isFullScreen());
  EXPECT_EQ(rig.app->View().Multiple(), 1);
  // ResizeWindow and FontSize are written at exit because they changed.
  rig.In().RequestExit();
  rig.app->Close();
  EXPECT_EQ(rig.store.GetNumber("Settings", "ResizeWindow"), 1u);
  EXPECT_EQ(rig.store.GetNumber("Settings", "FontSize"), 12u);
}

// A window moved to a display of another pixel ratio: font and bitmap are
// made again and every cell drawn again; nothing on the screen is lost and
// the window size stays the same in window pixels.
TEST(MainFrame, AnotherPixelRatioRemakesTheBitmapAndKeepsTheScreen) {
  Rig rig;
  rig.Type("PRINT \"KEPT\"\n");
  ConsoleScreen& screen = rig.app->Screen();
  const int32_t height = screen.CellHeight();
  const QSize logical = rig.app->View().ScreenPixelSize();
  rig.app->Surface().SetDevicePixelRatio(2);
  ASSERT_TRUE(screen.RemakeBitmap());
  EXPECT_EQ(rig.app->Surface().DevicePixelRatio(), 2);
  EXPECT_GE(screen.CellHeight(), 2 * height - 1);
  EXPECT_NEAR(rig.app->View().ScreenPixelSize().height(), logical.height(), 2);
  EXPECT_EQ(rig.Row(10), "KEPT");
  // The cells were drawn again: the bitmap is not blank where the text is.
  const QImage& after = rig.app->Surface().Image();
  int dark = 0;
  for (int y = 10 * screen.CellHeight(); y < 11 * screen.CellHeight(); ++y)
    for (int x = 0; x < 5 * screen.CellWidth(); ++x) dark += qGray(after.pixel(x, y)) < 128;
  EXPECT_GT(dark, 20);
  EXPECT_EQ(after.width(), 80 * screen.CellWidth());
  rig.In().RequestExit();
}

// File > Print and SYS 1: the print dialog without selection and page
// range (Cancel prints nothing); with 2821 holding 15 the listing goes to
// the printer at once, here a PDF file; Print waits for the prompt.
TEST(MainFrame, PrintWithTheDialogAndAtOnce) {
  Rig rig;
  const fs::path pdf =
      fs::temp_directory_path() / ("torvic-frame-print-" + std::to_string(getpid()) + ".pdf");
  fs::remove(pdf);
  QPrinter& printer = rig.Frame().Printer();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf.string()));
  rig.Type("10 PRINT \"FIRST\"\n20 GOTO 10\n");
  ModalScript script;
  bool selection = true, range = true;
  script.Then([&](QWidget* w) {
    auto* dialog = qobject_cast<QPrintDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    selection = dialog->testOption(QAbstractPrintDialog::PrintSelection);
    range = dialog->testOption(QAbstractPrintDialog::PrintPageRange);
    dialog->reject();
  });
  rig.Frame().Perform(FrameCommand::Print);
  EXPECT_TRUE(script.Done());
  EXPECT_FALSE(selection);
  EXPECT_FALSE(range);
  EXPECT_FALSE(fs::exists(pdf));
  // At once: SYS 1 prints without a dialog, and so does the menu.
  rig.Type("POKE 2821,15: POKE 847,2: POKE 875,2\n");
  rig.Type("SYS 1\n");
  ASSERT_TRUE(fs::exists(pdf));
  FILE* text = ::popen(("pdftotext -layout '" + pdf.string() + "' -").c_str(), "r");
  ASSERT_NE(text, nullptr);
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, text)) > 0) out.append(buffer, n);
  ::pclose(text);
  EXPECT_NE(out.find("00010 PRINT \"FIRST\""), std::string::npos) << out;
  EXPECT_NE(out.find("00020 GOTO 10"), std::string::npos) << out;
  EXPECT_NE(out.find("Page 1"), std::string::npos) << out;
  fs::remove(pdf);
  rig.Frame().Perform(FrameCommand::Print);
  EXPECT_TRUE(fs::exists(pdf));
  fs::remove(pdf);
  // While the program runs, Print and Print Setup wait for the prompt.
  bool printEnabled = true, setupEnabled = true;
  QTimer::singleShot(100, &rig.Frame(), [&] {
    rig.Frame().RefreshStatus();
    printEnabled = rig.Frame().Action(FrameCommand::Print)->isEnabled();
    setupEnabled = rig.Frame().Action(FrameCommand::PrintSetup)->isEnabled();
    rig.Frame().Perform(FrameCommand::Reset);
  });
  rig.Type("RUN\n");
  EXPECT_FALSE(printEnabled);
  EXPECT_FALSE(setupEnabled);
  EXPECT_TRUE(rig.Frame().Action(FrameCommand::Print)->isEnabled());
  rig.In().RequestExit();
}

// Without a printer, and without a file chosen before, printing at once
// still asks where to print: the dialog's "Print to File (PDF)" with the
// file named in it.
TEST(MainFrame, PrintToAPdfFileWithoutAPrinter) {
  Rig rig;
  QPrinter& printer = rig.Frame().Printer();
  if (printer.outputFormat() != QPrinter::PdfFormat) GTEST_SKIP() << "a printer is installed";
  const fs::path pdf =
      fs::temp_directory_path() / ("torvic-frame-file-" + std::to_string(getpid()) + ".pdf");
  fs::remove(pdf);
  rig.Type("10 REM LISTED\nPOKE 2821,15\n");
  ModalScript script;
  std::vector<std::string> names;
  script.Then([&](QWidget* w) {
    auto* dialog = qobject_cast<QPrintDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    for (auto* edit : dialog->findChildren<QLineEdit*>()) {
      names.push_back(edit->objectName().toStdString());
      if (edit->objectName() == "filename") edit->setText(QString::fromStdString(pdf.string()));
    }
    dialog->accept();
  });
  rig.Frame().Perform(FrameCommand::Print);
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(fs::exists(pdf)) << ::testing::PrintToString(names);
  fs::remove(pdf);
  rig.In().RequestExit();
}

TEST(MainFrame, WorkAreaFitMovesRightAndBottomFirst) {
  const QRect work(0, 0, 1000, 700);
  EXPECT_EQ(FitInsideWorkArea(QRect(900, 650, 300, 200), work), QRect(700, 500, 300, 200));
  EXPECT_EQ(FitInsideWorkArea(QRect(-50, -20, 300, 200), work), QRect(0, 0, 300, 200));
  EXPECT_EQ(FitInsideWorkArea(QRect(100, 100, 1200, 800), work), QRect(0, 0, 1000, 700));
  EXPECT_EQ(FitInsideWorkArea(QRect(10, 10, 300, 200), work), QRect(10, 10, 300, 200));
}

// The window at scale 1 and at scale 2 (a child process of this test with
// QT_SCALE_FACTOR=2): the bitmap is made at the pixel ratio and reaches
// the window pixel for pixel, so the glyphs in the window have exactly the
// grey levels the font drew, at twice the pixels on the scaled display.
void CheckScreenshot(qreal expectedRatio) {
  Rig rig;
  rig.Type("PRINT \"HXH\"\n");
  QtSurface& surface = rig.app->Surface();
  EXPECT_EQ(surface.DevicePixelRatio(), expectedRatio);
  CTorvicView& view = rig.app->View();
  const QImage shown = view.grab().toImage();
  EXPECT_EQ(shown.devicePixelRatio(), expectedRatio);
  const QImage& bitmap = surface.Image();
  ASSERT_EQ(qRound(view.ScreenPixelSize().width() * expectedRatio), bitmap.width());
  // Find the bitmap in the grabbed view and compare every pixel.
  const int dx = (shown.width() - bitmap.width()) / 2, dy = (shown.height() - bitmap.height()) / 2;
  int differing = 0;
  for (int y = 0; y < bitmap.height(); ++y)
    for (int x = 0; x < bitmap.width(); ++x)
      if ((shown.pixel(x + dx, y + dy) & 0xFFFFFF) != (bitmap.pixel(x, y) & 0xFFFFFF)) ++differing;
  // Only the caret may differ (it blinks).
  EXPECT_LE(differing, rig.app->Screen().CellWidth() * rig.app->Screen().CellHeight())
      << "at ratio " << expectedRatio;
  // The cell height in device pixels doubles with the ratio (10 points).
  EXPECT_GE(rig.app->Screen().CellHeight(), qRound(10 * expectedRatio));
  if (const char* out = std::getenv("TORVIC_SCREENSHOT_DIR"))
    shown.save(QString("%1/window-at-%2.png").arg(out).arg(expectedRatio));
  rig.In().RequestExit();
}

TEST(Screenshot, SharpAtScaleOneAndTwo) {
  if (std::getenv("TORVIC_SCALE_CHILD")) {
    CheckScreenshot(2.0);
    return;
  }
  CheckScreenshot(1.0);
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::string command = "TORVIC_SCALE_CHILD=1 QT_SCALE_FACTOR=2 QT_QPA_PLATFORM=offscreen '" +
                              self + "' --gtest_filter=Screenshot.SharpAtScaleOneAndTwo >/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the scale 2 run failed";
}

}  // namespace
}  // namespace torvic::shell
