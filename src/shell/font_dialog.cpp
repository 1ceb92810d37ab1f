#include "shell/font_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QVBoxLayout>

#include "console/screen.h"
#include "shell/help_window.h"

namespace torvic::shell {

namespace {

// The sample in the console's face at the chosen size, centred.
class Sample final : public QWidget {
 public:
  explicit Sample(const FontDialog& dialog) : dialog_(dialog) {
    setMinimumSize(360, 90);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QFont font(QString::fromLatin1(ConsoleScreen::kFontFace.data(),
                                   static_cast<qsizetype>(ConsoleScreen::kFontFace.size())));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(dialog_.Points());
    p.setFont(font);
    p.drawText(rect(), Qt::AlignCenter, FontDialog::kSample);
  }

 private:
  const FontDialog& dialog_;
};

}  // namespace

FontDialog::FontDialog(int points, bool resizeWindow, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Font");
  sizes_ = new QListWidget;
  for (int size : kSizes) {
    sizes_->addItem(QString::number(size));
    if (size == points) sizes_->setCurrentRow(sizes_->count() - 1);
  }
  if (sizes_->currentRow() < 0) sizes_->setCurrentRow(2);  // 10 points
  sizes_->setMaximumWidth(80);
  auto* label = new QLabel("&Size:");
  label->setBuddy(sizes_);
  resize_ = new QCheckBox("&Resize Window");
  resize_->setChecked(resizeWindow);
  sample_ = new Sample(*this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  HelpOnF1(this, "Font dialog");
  connect(sizes_, &QListWidget::currentRowChanged, sample_, qOverload<>(&QWidget::update));

  auto* left = new QVBoxLayout;
  left->addWidget(label);
  left->addWidget(sizes_);
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addWidget(sample_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(resize_);
  layout->addWidget(buttons);
}

int FontDialog::Points() const {
  const int row = sizes_->currentRow();
  return row >= 0 ? kSizes[static_cast<size_t>(row)] : 10;
}

bool FontDialog::ResizeWindow() const { return resize_->isChecked(); }

}  // namespace torvic::shell
