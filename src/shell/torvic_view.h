// CTorvicView: the desktop view of the console screen.
//
// It copies the screen bitmap (the QtSurface the screen draws on) centred
// into its area, paints the margins in the margin colour, draws the block
// caret blinking at the desktop's cursor flash time, and turns Qt key events
// into the core's virtual-key and character events. The bitmap is the record
// of what is shown: text, cell glyphs, frames and lines all arrive through it.
//
// The bitmap is made at the screen's device pixel ratio (a 10-point font
// on a 200 % display is drawn with twice the pixels), and copied to the
// window pixel for pixel at a device-aligned origin, so text stays sharp
// at any scaling. In full screen it is enlarged by a whole multiple when
// that fits. The mouse selects cells (shown inverted) for the clipboard;
// the middle button pastes.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

#include "console/screen.h"
#include "platform/host.h"
#include "shell/key_vocabulary.h"
#include "shell/screen_text.h"

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
  // The screen's size in the window's (device-independent) pixels.
  QSize ScreenPixelSize() const;
  QSize sizeHint() const override { return ScreenPixelSize() + QSize(16, 16); }
  QRect CaretRectInView() const { return CaretRect(); }
  // Full screen: enlarge by the largest whole multiple that fits.
  void SetWholeMultiples(bool on);
  int Multiple() const { return multiple_; }

  // The selection, in cells; the text of the selected cells.
  bool HasSelection() const { return selecting_ || selected_; }
  void Select(CellPoint from, CellPoint to);
  void ClearSelection();
  QString SelectionText() const;
  // Types text as the keyboard would (the paste): see PastedKeys.
  void TypeText(const QString& text);
  // The cell under a point of the view (clamped to the screen).
  CellPoint CellAt(const QPoint& p) const;

  void SetContextMenuHandler(std::function<void(const QPoint& global)> f) {
    contextMenu_ = std::move(f);
  }
  void SetPasteHandler(std::function<void()> f) { paste_ = std::move(f); }

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
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  // Bitmap pixels to the view's pixels: the whole multiple over the device
  // pixel ratio.
  qreal Scale() const;
  // The bitmap's top-left corner in the view, on a device pixel.
  QPointF Origin() const;
  QRect ToView(const platform::PixelRect& r) const;
  QRect CaretRect() const;
  QRect SelectionBounds() const;

  ConsoleScreen& screen_;
  const QtSurface& surface_;
  WindowHost& host_;
  Interpreter* interpreter_ = nullptr;
  QTimer blink_;
  bool caretOn_ = true;
  QRect lastCaret_;
  int multiple_ = 1;
  bool wholeMultiples_ = false;
  bool selecting_ = false, selected_ = false;
  CellPoint anchor_, end_;
  std::function<void(const QPoint&)> contextMenu_;
  std::function<void()> paste_;
};

}  // namespace torvic::shell
