// SCREEN and the screen-image stack. SCREEN's operands are a generic list
// (CompileGenericList, frontend/compile_console.cpp: u8 count | exprs):
// six arguments save an image, one restores.
//
// Restored rectangles are invalidated and painted together on the next
// turn of the event pump, so the setting that asks for one repaint of
// their union at the end (settings address 59325) is always met.
#include "engine/screen_images.h"

#include <algorithm>

#include "console/settings.h"
#include "engine/handlers.h"
#include "engine/statement_operands.h"

namespace torvic {

ScreenImageStack::ScreenImageStack(ConsoleScreen& screen, SettingsMemory& memory)
    : screen_(screen), memory_(memory) {}

void ScreenImageStack::PublishCount() {
  memory_.SetScreenImageCount(static_cast<uint8_t>(images_.size()));
}

int32_t ScreenImageStack::Open(const CellRect& rect, int32_t text, int32_t back) {
  if (images_.size() >= kMaxImages) return kErrCommandError;
  ScreenImage image;
  if (int32_t r = screen_.SaveImage(rect, &image)) return r;
  try {
    images_.push_back(std::move(image));
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  PublishCount();
  screen_.SetColors(text, back);
  if (memory_.ScreenClearAfterSave()) screen_.EraseCells(rect.Clipped());
  return 0;
}

void ScreenImageStack::PutBack(const ScreenImage& image, bool allColours) {
  screen_.RestoreImage(image);
  if (allColours) screen_.RestoreColorState(image.textColor, image.backColor, image.inverse);
  else screen_.RestoreColorState(screen_.TextColor(), image.backColor, screen_.Inverse());
}

void ScreenImageStack::Restore(int32_t n) {
  if (n < 0) {
    const size_t take = std::min(images_.size(), static_cast<size_t>(-n));
    for (size_t i = 0; i < take; ++i) {
      PutBack(images_.back(), true);
      images_.pop_back();
    }
  } else if (n == 0) {
    while (!images_.empty()) {
      PutBack(images_.back(), false);
      images_.pop_back();
    }
  } else if (static_cast<size_t>(n) <= images_.size()) {
    for (size_t i = images_.size(); i >= static_cast<size_t>(n); --i)
      PutBack(images_[i - 1], false);
  }
  PublishCount();
}

void ScreenImageStack::Discard() {
  images_.clear();
  PublishCount();
}

namespace {

// row, col, width, height, text, background as SCREEN and `screen` take them.
int32_t CheckedImageArguments(const double* a, CellRect& rect, int32_t& text, int32_t& back) {
  int32_t row, column, width, height;
  if (!TruncatedInRange(a[0], 0, kScreenRows - 1, row) ||
      !TruncatedInRange(a[1], 0, kScreenColumns - 1, column) ||
      !TruncatedInRange(a[2], 1, kScreenColumns, width) ||
      !TruncatedInRange(a[3], 1, kScreenRows, height) || !TruncatedInRange(a[4], 0, 15, text) ||
      !TruncatedInRange(a[5], 0, 15, back))
    return kErrCommandError;
  rect = CellRect::FromRowColumn(row, column, width, height);
  return 0;
}

}  // namespace

int32_t OpenScreenImage(Interpreter& in, const double* args, size_t& count) {
  if (!in.Running()) return kErrModeError;
  CellRect rect;
  int32_t text, back;
  if (int32_t r = CheckedImageArguments(args, rect, text, back)) return r;
  if (int32_t r = in.ScreenImages().Open(rect, text, back)) return r;
  count = in.ScreenImages().Count();
  return 0;
}

namespace handlers {

// SCREEN row, col, width, height, text, background | SCREEN n
int32_t Screen(Interpreter& in, const uint8_t* code, size_t& offset) {
  OperandReader ops(in, code, offset);
  uint8_t count;
  if (int32_t r = ops.Byte(count)) return r;
  if (count != 1 && count != 6) return kErrCommandError;
  double args[6];
  for (uint8_t i = 0; i < count; ++i)
    if (int32_t r = ops.Number(args[i])) return r;
  if (ops.Stopped()) return 0;
  if (count == 6) {
    size_t images;
    if (int32_t r = OpenScreenImage(in, args, images)) return r;
    return ops.Done(offset);
  }
  int32_t n;
  if (!TruncatedInRange(args[0], -255, 255, n)) return kErrCommandError;
  if (!in.Running()) return kErrModeError;
  in.ScreenImages().Restore(n);
  return ops.Done(offset);
}

}  // namespace handlers

}  // namespace torvic
