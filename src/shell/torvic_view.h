// CTorvicView: the desktop view of the console screen.
//
// It copies the screen bitmap (the QtSurface the screen draws on) centred
// into its area, paints the margins in the margin colour, draws the block
// caret blinking at the desktop's cursor flash time, and turns Qt key events
// into the core's virtual-key and character events. The bitmap is the record
// of what is shown: text, cell glyphs, frames and lines all arrive through it.
#pragma once

#include <QTimer>
#include <QWidget>

#include "console/screen.h"
#include "platform/host.h"
#include "shell/key_vocabulary.h"

namespace torvic {
class Interpreter;
}

namespace torvic::shell {

class WindowHost;
class QtSurface;

// Translates one Qt key press: a key-down with its virtual-key code, and the
// character it produces, if any, as a byte of the screen's character set
// (`charset`; a character the set cannot hold is dropped), by the shared
// rules of key_vocabulary.h. Break (the X11 keysym `nativeKey`, with or
// without Ctrl) is Ctrl+Break too.
inline constexpr uint32_t kBreakKeysym = 0xFF6B;
TranslatedKey TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool autoRepeat, uint32_t nativeKey = 0, int charset = 0);

class CTorvicView final : public QWidget, public ScreenObserver {
  Q_OBJECT

 public:
  CTorvicView(ConsoleScreen& screen, const QtSurface& surface, WindowHost& host,
              QWidget* parent = nullptr);

  void SetInterpreter(Interpreter* interpreter) { interpreter_ = interpreter; }
  // Takes the screen's changed cells and schedules their repaint.
  void SyncFromScreen();
  QSize ScreenPixelSize() const;
  QSize sizeHint() const override { return ScreenPixelSize() + QSize(16, 16); }

  // ScreenObserver
  void PaintNow() override;
  void RestartCaretBlink() override;
  void GeometryChanged() override;
  void MarginColorChanged() override { update(); }

 protected:
  void paintEvent(QPaintEvent*) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent*) override;
  void focusOutEvent(QFocusEvent*) override;
  bool focusNextPrevChild(bool) override { return false; }  // Tab is a key of the editor

 private:
  QPoint Origin() const;
  QRect CaretRect() const;

  ConsoleScreen& screen_;
  const QtSurface& surface_;
  WindowHost& host_;
  Interpreter* interpreter_ = nullptr;
  QTimer blink_;
  bool caretOn_ = true;
  QRect lastCaret_;
};

}  // namespace torvic::shell
