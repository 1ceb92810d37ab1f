#include "shell/torvic_view.h"

#include <QKeyEvent>
#include <QPainter>

#include "console/code_pages.h"
#include "console/palette.h"
#include "platform/system_info.h"
#include "shell/qt_surface.h"
#include "shell/window_host.h"

namespace torvic::shell {

namespace vk = platform::vk;

namespace {

QColor ToQColor(platform::Rgb c) { return QColor(c.r, c.g, c.b); }

// Qt keys as virtual-key codes; 0 for keys the core has no code for.
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
    case Qt::Key_Cancel: return vk::kCancel;
    case Qt::Key_CapsLock: return vk::kCapital;
    case Qt::Key_Escape: return vk::kEscape;
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
  // Letters, digits and the space bar: Qt's codes are their characters.
  if (qtKey >= Qt::Key_Space && qtKey <= Qt::Key_Z)
    return VirtualKeyOfCharacter(static_cast<uint8_t>(qtKey));
  return 0;
}

}  // namespace

TranslatedKey TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool autoRepeat, uint32_t nativeKey, int charset) {
  KeyPress press;
  // X11 names the Break key by its own keysym, with or without Ctrl held.
  press.virtualKey = nativeKey == kBreakKeysym ? vk::kCancel : VirtualKeyOf(qtKey);
  press.ctrl = modifiers & Qt::ControlModifier;
  press.shift = modifiers & Qt::ShiftModifier;
  press.autoRepeat = autoRepeat;
  // The character the key produces, in the character set of the screen; a
  // character the set cannot hold is dropped. A NUL character is sent only
  // by Ctrl+@; other keys without text send none.
  if (const uint8_t c = CharacterOfKey(press.virtualKey)) {
    press.character = c;
  } else if (text.size() == 1) {
    const int ch = ByteOfCharacter(charset, text[0].unicode());
    if (ch > 0 || (ch == 0 && qtKey == Qt::Key_At)) press.character = static_cast<uint8_t>(ch);
  }
  return TranslateKeyPress(press);
}

CTorvicView::CTorvicView(ConsoleScreen& screen, const QtSurface& surface, WindowHost& host,
                         QWidget* parent)
    : QWidget(parent), screen_(screen), surface_(surface), host_(host) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(ScreenPixelSize());
  // The caret blinks at the desktop's rate (ReadDesktopSettings), which the
  // screen's steady cursor keeps too; a desktop caret that does not blink
  // stays lit.
  const uint32_t blink = platform::Desktop().caretBlinkMs;
  const bool blinks = blink != platform::DesktopSettings::kNoBlink;
  screen_.SetCaretBlinkTime(blinks ? blink : ConsoleScreen::kDefaultCaretBlinkMs);
  blink_.setInterval(static_cast<int>(blinks ? blink : ConsoleScreen::kDefaultCaretBlinkMs));
  connect(&blink_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    update(CaretRect());
  });
  if (blinks) blink_.start();
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
