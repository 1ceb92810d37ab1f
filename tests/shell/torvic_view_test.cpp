#include "shell/torvic_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QStyleHints>

#include "console/settings.h"
#include "engine/interpreter.h"
#include "platform/system_info.h"
#include "shell/desktop_settings.h"
#include "shell/qt_surface.h"
#include "shell/system_services.h"
#include "shell/window_host.h"
#include "support/scripted_host.h"

namespace torvic::shell {
namespace {

namespace vk = platform::vk;

constexpr int kEuroKey = 0x20AC;  // Qt names a key by its character

QApplication& App() {
  static int argc = 1;
  static char name[] = "torvic_shell_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = qApp ? nullptr : new QApplication(argc, argv);
  (void)app;
  return *static_cast<QApplication*>(QCoreApplication::instance());
}

TEST(KeyTranslation, CtrlCAndCtrlPauseAreCtrlBreakWithoutACharacter) {
  for (int key : {int(Qt::Key_C), int(Qt::Key_Pause)}) {
    const TranslatedKey t = TranslateKey(key, Qt::ControlModifier, QString(QChar(3)), false);
    ASSERT_TRUE(t.hasKeyDown);
    EXPECT_EQ(t.keyDown.key, vk::kCancel);
    EXPECT_TRUE(t.keyDown.ctrl);
    EXPECT_FALSE(t.hasChar);
  }
}

// Break as X11 reports it (the keysym Break, Ctrl held or not), and the
// Ctrl forms other desktops report, all reach the core as Ctrl+Break.
TEST(KeyTranslation, EveryFormOfBreakIsCtrlBreak) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    uint32_t keysym;
  };
  const Case cases[] = {
      {0, Qt::ControlModifier, kBreakKeysym},  {0, Qt::NoModifier, kBreakKeysym},
      {Qt::Key_Pause, Qt::ControlModifier, 0}, {Qt::Key_Cancel, Qt::ControlModifier, 0},
      {Qt::Key_C, Qt::ControlModifier, 0},
  };
  for (const Case& c : cases) {
    const TranslatedKey t = TranslateKey(c.key, c.modifiers, "", false, c.keysym);
    ASSERT_TRUE(t.hasKeyDown) << c.key;
    EXPECT_EQ(t.keyDown.key, vk::kCancel) << c.key;
    EXPECT_TRUE(t.keyDown.ctrl) << c.key;
    EXPECT_FALSE(t.hasChar) << c.key;
  }
  // Pause alone stays the Pause key.
  const TranslatedKey pause = TranslateKey(Qt::Key_Pause, Qt::NoModifier, "", false, 0xFF13);
  EXPECT_EQ(pause.keyDown.key, vk::kPause);
}

// The characters reach the core as bytes of the screen's character set; the
// editing and function keys send none, whatever text the desktop attaches.
TEST(KeyTranslation, CharactersAreBytesOfTheScreensSetAndEditingKeysSendNone) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    int charset;
    int character;  // -1: none
  };
  const Case cases[] = {
      {Qt::Key_Delete, Qt::NoModifier, QString(QChar(127)), 0, -1},
      {Qt::Key_Delete, Qt::ControlModifier, QString(QChar(127)), 0, -1},
      {Qt::Key_Insert, Qt::NoModifier, "", 0, -1},
      {Qt::Key_F5, Qt::NoModifier, QString(QChar(16)), 0, -1},
      {Qt::Key_Home, Qt::ControlModifier, QString(QChar(1)), 0, -1},
      {kEuroKey, Qt::NoModifier, QString(QChar(0x20AC)), 0, 128},
      {kEuroKey, Qt::NoModifier, QString(QChar(0x20AC)), 204, 0x88},
      {kEuroKey, Qt::NoModifier, QString(QChar(0x20AC)), 255, -1},
      {Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), 0, 0xE9},
      {Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), 204, -1},
      {Qt::Key_A, Qt::ControlModifier, QString(QChar(1)), 0, 1},
      {Qt::Key_At, Qt::ControlModifier, QString(QChar(0)), 0, 0},
      {Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)), 0, 8},
      {Qt::Key_Space, Qt::NoModifier, " ", 0, 32},
  };
  for (const Case& c : cases) {
    const TranslatedKey t = TranslateKey(c.key, c.modifiers, c.text, false, 0, c.charset);
    EXPECT_EQ(t.hasChar, c.character >= 0) << c.key << " in " << c.charset;
    if (t.hasChar && c.character >= 0) {
      EXPECT_EQ(t.character.key, static_cast<uint32_t>(c.character)) << c.key;
    }
  }
  EXPECT_EQ(TranslateKey(Qt::Key_Delete, Qt::NoModifier, QString(QChar(127)), false).keyDown.key,
            vk::kDelete);
}

TEST(KeyTranslation, LettersArrowsAndEnter) {
  TranslatedKey t = TranslateKey(Qt::Key_A, Qt::NoModifier, "a", false);
  EXPECT_EQ(t.keyDown.key, uint32_t('A'));
  ASSERT_TRUE(t.hasChar);
  EXPECT_EQ(t.character.key, uint32_t('a'));
  t = TranslateKey(Qt::Key_Up, Qt::ShiftModifier, "", true);
  EXPECT_EQ(t.keyDown.key, vk::kUp);
  EXPECT_TRUE(t.keyDown.shift);
  EXPECT_TRUE(t.keyDown.isRepeat);
  EXPECT_FALSE(t.hasChar);
  t = TranslateKey(Qt::Key_Return, Qt::NoModifier, "\r", false);
  EXPECT_EQ(t.character.key, 13u);
  t = TranslateKey(Qt::Key_F9, Qt::ShiftModifier, "", false);
  EXPECT_EQ(t.keyDown.key, vk::kF1 + 8);
}

TEST(TorvicView, KeyPressesBecomeCoreEventsAndTheScreenFitsTheView) {
  App();
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    GTEST_SKIP() << "another test made a non-widget application object first";
  SystemClock clock;
  WindowHost host(clock);
  platform::ScriptedHost other;
  QtSurface surface;
  platform::Host h = other.AsHost(&surface);
  SettingsMemory memory;
  ConsoleScreen screen(h, memory);
  ASSERT_TRUE(screen.Create());
  CTorvicView view(screen, surface, host);
  EXPECT_GE(view.minimumWidth(), view.ScreenPixelSize().width());
  EXPECT_EQ(view.ScreenPixelSize(), surface.Image().size());

  // The view shows the bitmap itself: a solid cell glyph, which exists only
  // in pixels, appears in the painted view.
  screen.SetCursor(0, 12);
  screen.DrawCellGlyph(1);
  view.resize(view.ScreenPixelSize() + QSize(40, 20));
  const QImage shown = view.grab().toImage();
  const QPoint cellCentre(20 + screen.CellWidth() / 2,
                          10 + 12 * screen.CellHeight() + screen.CellHeight() / 2);
  EXPECT_EQ(QColor(shown.pixel(cellCentre)), QColor(Qt::black));
  EXPECT_EQ(QColor(shown.pixel(QPoint(2, 2))), view.palette().color(QPalette::Window));
  struct Sink : platform::EventSink {
    std::vector<uint32_t> downs, chars;
    void OnKeyDown(const platform::KeyEvent& e) override { downs.push_back(e.key); }
    void OnChar(const platform::KeyEvent& e) override { chars.push_back(e.key); }
    void OnTimer(int) override {}
  } sink;
  host.SetSink(&sink);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
  QCoreApplication::sendEvent(&view, &press);
  EXPECT_TRUE(host.AnyPending());
  while (host.AnyPending()) host.PumpOnce();
  ASSERT_EQ(sink.downs.size(), 1u);
  EXPECT_EQ(sink.downs[0], uint32_t('B'));
  ASSERT_EQ(sink.chars.size(), 1u);
  EXPECT_EQ(sink.chars[0], uint32_t('b'));
}

// Keys typed in the view edit the input line as the core's key handling
// says, and nothing else: Delete removes one character and leaves no
// invisible character behind.
TEST(TorvicView, TypedLinesReachTheInterpreterAsTyped) {
  App();
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    GTEST_SKIP() << "another test made a non-widget application object first";
  SystemClock clock;
  WindowHost host(clock);
  platform::ScriptedHost other;
  QtSurface surface;
  const platform::Host scripted = other.AsHost(&surface);
  const platform::Host h{host,           scripted.clock,   host,    host, scripted.settings,
                         scripted.sound, scripted.process, &surface};
  SettingsMemory memory;
  ConsoleScreen screen(h, memory);
  ASSERT_TRUE(screen.Create());
  CTorvicView view(screen, surface, host);
  Interpreter in(h, screen, memory);
  host.SetSink(&in);
  screen.ClearScreen();
  in.ShowPrompt();
  auto type = [&](int key, Qt::KeyboardModifiers modifiers, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&view, &press);
    while (host.AnyPending()) host.PumpOnce();
  };
  auto typeText = [&](const QString& text) {
    for (QChar c : text) type(c.toUpper().unicode(), Qt::NoModifier, QString(c));
  };
  // PRINT 34, Left, Delete, Enter: the 4 goes, the line prints 3.
  typeText("PRINT 34");
  type(Qt::Key_Left, Qt::NoModifier, "");
  type(Qt::Key_Delete, Qt::NoModifier, QString(QChar(127)));
  type(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(screen.RowText(1), "PRINT 3");
  EXPECT_EQ(screen.RowText(2), " 3");
  // Ctrl+Delete empties the line and leaves nothing in it either.
  typeText("PRINT 5");
  type(Qt::Key_Delete, Qt::ControlModifier, QString(QChar(127)));
  typeText("?LEN(\"\")");
  type(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(screen.RowText(4), "?LEN(\"\")");
  EXPECT_EQ(screen.RowText(5), " 0");
  // The euro sign is typed as the byte the screen shows it with.
  typeText("?ASC(\"");
  type(kEuroKey, Qt::NoModifier, QString(QChar(0x20AC)));
  typeText("\")");
  type(Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(screen.RowText(8), " 128");
  host.SetSink(nullptr);
}

// cbt reads the caret blink time the window found on the desktop at
// start: half the toolkit's flash period, or "never" for a caret that does
// not blink.
TEST(TorvicView, CbtIsTheDesktopsCaretBlinkTime) {
  App();
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    GTEST_SKIP() << "another test made a non-widget application object first";
  QStyleHints* hints = QGuiApplication::styleHints();
  const int savedFlash = hints->cursorFlashTime();
  const platform::DesktopSettings savedDesktop = platform::Desktop();
  for (const auto& [flash, shown] : {std::pair{800, " 400"}, std::pair{0, " 4294967295"}}) {
    hints->setCursorFlashTime(flash);
    ReadDesktopSettings();
    SystemClock clock;
    WindowHost host(clock);
    platform::ScriptedHost other;
    QtSurface surface;
    const platform::Host scripted = other.AsHost(&surface);
    const platform::Host h{host,           scripted.clock,   host,    host, scripted.settings,
                           scripted.sound, scripted.process, &surface};
    SettingsMemory memory;
    ConsoleScreen screen(h, memory);
    ASSERT_TRUE(screen.Create());
    CTorvicView view(screen, surface, host);
    Interpreter in(h, screen, memory);
    host.SetSink(&in);
    screen.ClearScreen();
    in.ShowPrompt();
    for (QChar c : QString("PRINT CBT\r")) {
      QKeyEvent press(QEvent::KeyPress, c == '\r' ? int{Qt::Key_Return} : c.toUpper().unicode(),
                      Qt::NoModifier, QString(c));
      QCoreApplication::sendEvent(&view, &press);
      while (host.AnyPending()) host.PumpOnce();
    }
    EXPECT_EQ(screen.RowText(2), shown) << flash;
    host.SetSink(nullptr);
  }
  hints->setCursorFlashTime(savedFlash);
  platform::Desktop() = savedDesktop;
}

}  // namespace
}  // namespace torvic::shell
