#include "shell/torvic_view.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include "console/palette.h"
#include "shell/window_host.h"

namespace torvic::shell {

namespace vk = platform::vk;

namespace {

QColor ToQColor(platform::Rgb c) { return QColor(c.r, c.g, c.b); }

// Qt keys without a character, as virtual-key codes.
uint32_t VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Backspace: return vk::kBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vk::kTab;
    case Qt::Key_Return: case Qt::Key_Enter: return vk::kReturn;
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

}  // namespace

TranslatedKey TranslateKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text,
                           bool autoRepeat) {
  TranslatedKey t;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool shift = modifiers & Qt::ShiftModifier;
  platform::KeyEvent base;
  base.ctrl = ctrl;
  base.shift = shift;
  base.isRepeat = autoRepeat;
  if (ctrl && (qtKey == Qt::Key_Pause || qtKey == Qt::Key_C || qtKey == Qt::Key_Cancel)) {
    t.hasKeyDown = true;
    t.keyDown = base;
    t.keyDown.key = vk::kCancel;
    t.keyDown.shift = false;
    return t;
  }
  if (const uint32_t code = VirtualKeyOf(qtKey)) {
    t.hasKeyDown = true;
    t.keyDown = base;
    t.keyDown.key = code;
  }
  // The character the key produces, in the 8-bit code page of the screen.
  uint32_t ch = 0;
  switch (qtKey) {
    case Qt::Key_Return: case Qt::Key_Enter: ch = 13; break;
    case Qt::Key_Backspace: ch = 8; break;
    case Qt::Key_Tab: case Qt::Key_Backtab: ch = 9; break;
    case Qt::Key_Escape: ch = 27; break;
    default:
      if (text.size() == 1 && text[0].unicode() < 256) ch = text[0].unicode();
      break;
  }
  if (ch != 0 || (text.size() == 1 && text[0].unicode() == 0 && qtKey == Qt::Key_At)) {
    t.hasChar = true;
    t.character = base;
    t.character.key = ch;
  }
  return t;
}

CTorvicView::CTorvicView(ConsoleScreen& screen, WindowHost& host, QWidget* parent)
    : QWidget(parent), screen_(screen), host_(host) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  font_ = QFont(QString::fromLatin1(ConsoleScreen::kFontFace.data(),
                                    static_cast<qsizetype>(ConsoleScreen::kFontFace.size())),
                ConsoleScreen::kDefaultFontPoints);
  font_.setStyleHint(QFont::TypeWriter);
  font_.setFixedPitch(true);
  const QFontMetrics m(font_);
  cellWidth_ = std::max(1, m.horizontalAdvance(QLatin1Char('M')));
  cellHeight_ = std::max(1, m.height());
  ascent_ = m.ascent();
  setMinimumSize(ScreenPixelSize());
  const int flash = QApplication::cursorFlashTime();
  blink_.setInterval(flash > 0 ? flash / 2 : static_cast<int>(ConsoleScreen::kDefaultCaretBlinkMs));
  connect(&blink_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    update();
  });
  if (flash > 0) blink_.start();
  screen_.SetObserver(this);
}

QSize CTorvicView::ScreenPixelSize() const {
  return QSize(cellWidth_ * kScreenColumns, cellHeight_ * kScreenRows);
}

QPoint CTorvicView::Origin() const {
  const QSize s = ScreenPixelSize();
  return QPoint(std::max(0, (width() - s.width()) / 2), std::max(0, (height() - s.height()) / 2));
}

void CTorvicView::SyncFromScreen() {
  const CellRect r = screen_.TakeInvalid();
  if (r.Empty()) return;
  const QPoint o = Origin();
  update(QRect(o.x() + r.left * cellWidth_, o.y() + r.top * cellHeight_, r.Width() * cellWidth_,
               r.Height() * cellHeight_));
  update(QRect(o.x() + screen_.Column() * cellWidth_, o.y() + screen_.Row() * cellHeight_,
               cellWidth_, cellHeight_));
}

void CTorvicView::PaintNow() {
  screen_.TakeInvalid();
  repaint();
}

void CTorvicView::RestartCaretBlink() {
  caretOn_ = true;
  if (blink_.isActive()) blink_.start();
  update();
}

void CTorvicView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QSize s = ScreenPixelSize();
  const QPoint o = Origin();
  const int32_t margin = screen_.MarginColor();
  const QColor marginColor = margin < 16 ? ToQColor(PaletteColor(margin))
                                         : palette().color(QPalette::Window);
  p.fillRect(rect(), marginColor);
  p.setFont(font_);
  const CellRecord& cells = screen_.Cells();
  for (int32_t row = 0; row < kScreenRows; ++row) {
    for (int32_t column = 0; column < kScreenColumns; ++column) {
      const Cell& c = cells.At(column, row);
      QColor text = ToQColor(PaletteColor(c.text)), back = ToQColor(PaletteColor(c.back));
      if (c.flags & cellflag::kInverted) std::swap(text, back);
      const QRect cell(o.x() + column * cellWidth_, o.y() + row * cellHeight_, cellWidth_,
                       cellHeight_);
      p.fillRect(cell, back);
      if (c.byte != ' ' && !(c.flags & cellflag::kGlyph)) {
        p.setPen(text);
        p.drawText(cell.x(), cell.y() + ascent_, QString(QChar(c.byte)));
      }
    }
  }
  const CaretState& caret = screen_.Caret();
  if (screen_.CursorVisible() && hasFocus() && (caretOn_ || caret.steady) && !caret.parked) {
    const QRect cell(o.x() + screen_.Column() * cellWidth_, o.y() + screen_.Row() * cellHeight_,
                     cellWidth_, cellHeight_);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(cell, Qt::white);
  }
  (void)s;
}

void CTorvicView::keyPressEvent(QKeyEvent* e) {
  const TranslatedKey t = TranslateKey(e->key(), e->modifiers(), e->text(), e->isAutoRepeat());
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
