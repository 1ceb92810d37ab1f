#include "shell/torvic_view.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>

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
  const qreal ratio = surface_.DevicePixelRatio();
  return QSize(qCeil(screen_.CellWidth() * kScreenColumns / ratio),
               qCeil(screen_.CellHeight() * kScreenRows / ratio));
}

qreal CTorvicView::Scale() const { return multiple_ / surface_.DevicePixelRatio(); }

QPointF CTorvicView::Origin() const {
  // Centred, on a whole device pixel: the copy is then pixel for pixel.
  const qreal ratio = surface_.DevicePixelRatio();
  const qreal w = screen_.CellWidth() * kScreenColumns * multiple_;
  const qreal h = screen_.CellHeight() * kScreenRows * multiple_;
  const qreal x = std::max<qreal>(0, std::floor((width() * ratio - w) / 2));
  const qreal y = std::max<qreal>(0, std::floor((height() * ratio - h) / 2));
  return QPointF(x / ratio, y / ratio);
}

QRect CTorvicView::ToView(const platform::PixelRect& r) const {
  const QPointF o = Origin();
  const qreal k = Scale();
  return QRectF(o.x() + r.left * k, o.y() + r.top * k, r.Width() * k, r.Height() * k)
      .toAlignedRect();
}

QRect CTorvicView::CaretRect() const {
  const int32_t w = screen_.CellWidth(), h = screen_.CellHeight();
  const int32_t x = screen_.Column() * w, y = screen_.Row() * h;
  return ToView({x, y, x + w, y + h});
}

void CTorvicView::SetWholeMultiples(bool on) {
  wholeMultiples_ = on;
  int k = 1;
  if (on) {
    const qreal ratio = surface_.DevicePixelRatio();
    const int w = screen_.CellWidth() * kScreenColumns, h = screen_.CellHeight() * kScreenRows;
    if (w > 0 && h > 0)
      k = std::max(1, static_cast<int>(std::min(width() * ratio / w, height() * ratio / h)));
  }
  if (k != multiple_) {
    multiple_ = k;
    update();
  }
}

void CTorvicView::resizeEvent(QResizeEvent*) {
  if (wholeMultiples_) SetWholeMultiples(true);
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
  update(ToView(screen_.CellsToPixels(r)));
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
  ClearSelection();
  updateGeometry();
  update();
}

void CTorvicView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  const QImage& image = surface_.Image();
  const QPointF o = Origin();
  const qreal k = Scale();
  const QRectF screenRect(o, QSizeF(image.width() * k, image.height() * k));
  // Only the margins take the margin brush; the bitmap area is copied, so a
  // repaint never flickers.
  const int32_t margin = screen_.MarginColor();
  const QColor marginColor =
      margin < 16 ? ToQColor(PaletteColor(margin)) : palette().color(QPalette::Window);
  const QRegion margins = QRegion(rect()).subtracted(QRegion(screenRect.toAlignedRect()));
  for (const QRect& m : margins) p.fillRect(m, marginColor);
  // A device pixel of the window is a pixel of the bitmap (times the whole
  // multiple): no smoothing, so glyph edges stay as the font drew them.
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(screenRect, image, QRectF(image.rect()));
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  if (HasSelection()) {
    for (int32_t row = 0; row < kScreenRows; ++row)
      for (int32_t column = 0; column < kScreenColumns; ++column)
        if (InSelection(anchor_, end_, {column, row})) {
          const int32_t w = screen_.CellWidth(), h = screen_.CellHeight();
          p.fillRect(ToView({column * w, row * h, (column + 1) * w, (row + 1) * h}), Qt::white);
        }
  }
  const CaretState& caret = screen_.Caret();
  if (screen_.CursorVisible() && hasFocus() && (caretOn_ || caret.steady) && !caret.parked)
    p.fillRect(CaretRect(), Qt::white);
  (void)e;
}

// --- selection and paste ---------------------------------------------------------

CellPoint CTorvicView::CellAt(const QPoint& pos) const {
  const QPointF o = Origin();
  const qreal k = Scale();
  const int32_t x = static_cast<int32_t>(std::floor((pos.x() - o.x()) / k));
  const int32_t y = static_cast<int32_t>(std::floor((pos.y() - o.y()) / k));
  return {std::clamp(x / std::max(1, screen_.CellWidth()), 0, kScreenColumns - 1),
          std::clamp(y / std::max(1, screen_.CellHeight()), 0, kScreenRows - 1)};
}

QRect CTorvicView::SelectionBounds() const {
  const int32_t first = std::min(anchor_.row, end_.row), last = std::max(anchor_.row, end_.row);
  return ToView(screen_.CellsToPixels({0, first, kScreenColumns, last + 1}));
}

void CTorvicView::Select(CellPoint from, CellPoint to) {
  if (HasSelection()) update(SelectionBounds());
  anchor_ = from;
  end_ = to;
  selected_ = true;
  update(SelectionBounds());
}

void CTorvicView::ClearSelection() {
  if (!HasSelection()) return;
  update(SelectionBounds());
  selecting_ = selected_ = false;
}

QString CTorvicView::SelectionText() const {
  if (!HasSelection()) return QString();
  return QString::fromStdString(shell::SelectionText(screen_, anchor_, end_));
}

void CTorvicView::TypeText(const QString& text) {
  const std::u32string chars = text.toStdU32String();
  for (uint8_t c : PastedKeys(chars, screen_.Charset())) {
    platform::KeyEvent e;
    e.key = c;
    host_.PostChar(e);
  }
}

void CTorvicView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    ClearSelection();
    anchor_ = end_ = CellAt(e->position().toPoint());
    selecting_ = true;
    setFocus();
  } else if (e->button() == Qt::MiddleButton) {
    if (paste_) paste_();
  }
}

void CTorvicView::mouseMoveEvent(QMouseEvent* e) {
  if (!selecting_) return;
  const CellPoint at = CellAt(e->position().toPoint());
  if (at == end_) return;
  update(SelectionBounds());
  end_ = at;
  update(SelectionBounds());
}

void CTorvicView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  // A click without a drag selects nothing.
  selected_ = !(anchor_ == end_);
  update(SelectionBounds());
}

void CTorvicView::contextMenuEvent(QContextMenuEvent* e) {
  if (!contextMenu_) return;
  QPoint global = e->globalPos();
  // From the keyboard with the mouse outside the view: 5 pixels inside its
  // top-left corner.
  if (e->reason() == QContextMenuEvent::Keyboard && !rect().contains(mapFromGlobal(QCursor::pos())))
    global = mapToGlobal(QPoint(5, 5));
  else if (e->reason() == QContextMenuEvent::Keyboard) global = QCursor::pos();
  contextMenu_(global);
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
