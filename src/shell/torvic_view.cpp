#include "shell/torvic_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

#include "console/code_pages.h"
#include "console/palette.h"
#include "shell/qt_surface.h"
#include "shell/window_host.h"

namespace torvic::shell {

namespace vk = platform::vk;

namespace {

QColor ToQColor(platform::Rgb c) { return QColor(c.r, c.g, c.b); }

// Qt keys without a character, as virtual-key codes.
uint32_t VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Backspace: return vk::kBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::kReturn;
    case Qt::Key_Shift: return vk::kShift;
    case Qt::Key_Control: return vk::kControl;
    case Qt::Key_Alt: return vk::kMenu;
    case Qt::Key_Pause: return vk::kPause;
    case Qt::Key_CapsLock: return vk::kCapital;
    case Qt::Key_Escape: return vk::kEscape;
    case Qt::Key_Space: return vk::kSpace;
    case Qt::Key_PageUp: return vk::kPrior;
    case Qt::Key_PageDown: return vk::kNext;
    case Qt::Key_End: return vk::kEnd;
    case Qt::Key_Home: return vk::kHome;
    case Qt::Key_Left: return vk::kLeft;
    case Qt::Key_Up: return vk::kUp;
    case Qt::Key_Right: return vk::kRight;
    case Qt::Key_Down: return vk::kDown;
    case Qt::Key_Insert: return vk::kInsert;
    case Qt::Key_Delete: return vk::kDelete;
    case Qt::Key_NumLock: return vk::kNumLock;
    case Qt::Key_ScrollLock: return vk::kScroll;
    default: break;
  }
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
    return vk::kF1 + static_cast<uint32_t>(qtKey - Qt::Key_F1);
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
    return static_cast<uint32_t>(qtKey);  // the same codes as the virtual keys
  return 0;
}

// Keys whose whole meaning is their key-down: they produce no character.
bool ActsByKeyDownOnly(uint32_t virtualKey) {
  switch (virtualKey) {
    case vk::kShift:
    case vk::kControl:
    case vk::kMenu:
    case vk::kPause:
    case vk::kCapital:
    case vk::kPrior:
    case vk::kNext:
    case vk::kEnd:
    case vk::kHome:
    case vk::kLeft:
    case vk::kUp:
    case vk::kRight:
    case vk::kDown:
    case vk::kInsert:
    case vk::kDelete:
    case vk::kNumLock:
    case vk::kScroll: return true;
    default: return virtualKey >= vk::kF1 && virtualKey < vk::kF1 + 24;
  }
}

}  // namespace

TranslatedKey TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool autoRepeat, uint32_t nativeKey, int charset) {
  TranslatedKey t;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool shift = modifiers & Qt::ShiftModifier;
  platform::KeyEvent base;
  base.ctrl = ctrl;
  base.shift = shift;
  base.isRepeat = autoRepeat;
  // Ctrl+Break in every form a desktop reports it: X11 names the key Break
  // (with or without Ctrl held), others Ctrl+Pause or Ctrl+Cancel; Ctrl+C
  // serves keyboards without the key.
  if (nativeKey == kBreakKeysym ||
      (ctrl && (qtKey == Qt::Key_Pause || qtKey == Qt::Key_C || qtKey == Qt::Key_Cancel))) {
    t.hasKeyDown = true;
    t.keyDown = base;
    t.keyDown.key = vk::kCancel;
    t.keyDown.ctrl = true;
    t.keyDown.shift = false;
    return t;
  }
  const uint32_t code = VirtualKeyOf(qtKey);
  if (code) {
    t.hasKeyDown = true;
    t.keyDown = base;
    t.keyDown.key = code;
  }
  // The editing and function keys act through their key-down alone; the
  // control characters some desktops attach to them (127 for Delete) must
  // not reach the input line as well.
  if (ActsByKeyDownOnly(code)) return t;
  // The character the key produces, in the character set of the screen; a
  // character the set cannot hold is dropped.
  int ch = -1;
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: ch = 13; break;
    case Qt::Key_Backspace: ch = 8; break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: ch = 9; break;
    case Qt::Key_Escape: ch = 27; break;
    default:
      if (text.size() == 1) ch = ByteOfCharacter(charset, text[0].unicode());
      // A NUL character is sent only by Ctrl+@; other keys without text
      // send none.
      if (ch == 0 && qtKey != Qt::Key_At) ch = -1;
      break;
  }
  if (ch >= 0) {
    t.hasChar = true;
    t.character = base;
    t.character.key = static_cast<uint32_t>(ch);
  }
  return t;
}

CTorvicView::CTorvicView(ConsoleScreen& screen, const QtSurface& surface, WindowHost& host,
                         QWidget* parent)
    : QWidget(parent), screen_(screen), surface_(surface), host_(host) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(ScreenPixelSize());
  const int flash = QApplication::cursorFlashTime();
  blink_.setInterval(flash > 0 ? flash / 2 : static_cast<int>(ConsoleScreen::kDefaultCaretBlinkMs));
  connect(&blink_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    update(CaretRect());
  });
  if (flash > 0) blink_.start();
  screen_.SetObserver(this);
}

QSize CTorvicView::ScreenPixelSize() const {
  return QSize(screen_.CellWidth() * kScreenColumns, screen_.CellHeight() * kScreenRows);
}

QPoint CTorvicView::Origin() const {
  const QSize s = ScreenPixelSize();
  return QPoint(std::max(0, (width() - s.width()) / 2), std::max(0, (height() - s.height()) / 2));
}

QRect CTorvicView::CaretRect() const {
  const QPoint o = Origin();
  return QRect(o.x() + screen_.Column() * screen_.CellWidth(),
               o.y() + screen_.Row() * screen_.CellHeight(), screen_.CellWidth(),
               screen_.CellHeight());
}

void CTorvicView::SyncFromScreen() {
  const CellRect r = screen_.TakeInvalid();
  const QRect caret = CaretRect();
  if (caret != lastCaret_) {
    update(lastCaret_);
    update(caret);
    lastCaret_ = caret;
  }
  if (r.Empty()) return;
  const platform::PixelRect px = screen_.CellsToPixels(r);
  const QPoint o = Origin();
  update(QRect(o.x() + px.left, o.y() + px.top, px.Width(), px.Height()));
}

void CTorvicView::PaintNow() {
  SyncFromScreen();
  repaint();
}

void CTorvicView::RestartCaretBlink() {
  caretOn_ = true;
  if (blink_.isActive()) blink_.start();
  update(CaretRect());
}

void CTorvicView::GeometryChanged() {
  setMinimumSize(ScreenPixelSize());
  updateGeometry();
  update();
}

void CTorvicView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const QPoint o = Origin();
  const QImage& image = surface_.Image();
  const QRect screenRect(o, image.size());
  // Only the margins take the margin brush; the bitmap area is copied, so a
  // repaint never flickers.
  const int32_t margin = screen_.MarginColor();
  const QColor marginColor =
      margin < 16 ? ToQColor(PaletteColor(margin)) : palette().color(QPalette::Window);
  const QRegion margins = QRegion(rect()).subtracted(QRegion(screenRect));
  for (const QRect& m : margins) p.fillRect(m, marginColor);
  const QRect dirty = e->rect().intersected(screenRect);
  if (!dirty.isEmpty()) p.drawImage(dirty.topLeft(), image, dirty.translated(-o));
  const CaretState& caret = screen_.Caret();
  if (screen_.CursorVisible() && hasFocus() && (caretOn_ || caret.steady) && !caret.parked) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(CaretRect(), Qt::white);
  }
}

void CTorvicView::keyPressEvent(QKeyEvent* e) {
  const TranslatedKey t = TranslateKey(e->key(), e->modifiers(), e->text(), e->isAutoRepeat(),
                                       e->nativeVirtualKey(), screen_.Charset());
  if (t.hasKeyDown) host_.PostKeyDown(t.keyDown);
  if (t.hasChar) host_.PostChar(t.character);
  e->accept();
}

void CTorvicView::focusInEvent(QFocusEvent*) {
  screen_.SetFocus(true);
  // The lock keys may have changed while another window had the focus.
  for (uint32_t key : {vk::kCapital, vk::kNumLock, vk::kScroll}) {
    platform::KeyEvent e;
    e.key = key;
    host_.PostKeyDown(e);
  }
  update();
}

void CTorvicView::focusOutEvent(QFocusEvent*) {
  screen_.SetFocus(false);
  update();
}

}  // namespace torvic::shell
