#include "shell/torvic_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "console/settings.h"
#include "platform/scripted_host.h"
#include "shell/qt_surface.h"
#include "shell/system_services.h"
#include "shell/window_host.h"

namespace torvic::shell {
namespace {

namespace vk = platform::vk;

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

}  // namespace
}  // namespace torvic::shell
