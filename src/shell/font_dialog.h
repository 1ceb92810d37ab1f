// The "Font" dialog of the Tools menu: the screen font's size in points
// from a fixed list, a sample of "AaBbCcXxYyZz" in the chosen size drawn
// centred, and "&Resize Window" (fit the window to the screen after the
// change, remembered as the ResizeWindow setting).
#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QListWidget;

namespace torvic::shell {

class FontDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr std::array<int, 22> kSizes = {8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                                 19, 20, 21, 22, 24, 26, 28, 30, 32, 34, 36};
  static constexpr const char* kSample = "AaBbCcXxYyZz";

  FontDialog(int points, bool resizeWindow, QWidget* parent);

  int Points() const;
  bool ResizeWindow() const;
  QListWidget* Sizes() const { return sizes_; }
  QCheckBox* ResizeBox() const { return resize_; }

 private:
  QListWidget* sizes_;
  QCheckBox* resize_;
  QWidget* sample_;
};

}  // namespace torvic::shell
