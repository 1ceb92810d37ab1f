// The screen images of SCREEN and the `screen` function: a stack of saved
// rectangles of the screen, used to open a temporary area over the text and
// take it away again.
//
// Each image keeps the rectangle's pixels and cells and the colours and
// inverse flag current when it was saved (ScreenImage, console/screen.h).
// The stack is discarded, without putting anything back, by END, RUN, an
// error that ends a run and a program edit: it takes part in those resets
// as a listener of the interpreter.
#pragma once

#include <cstdint>
#include <vector>

#include "console/screen.h"
#include "engine/interpreter.h"

namespace torvic {

class ScreenImageStack final : public RunStateListener {
 public:
  static constexpr size_t kMaxImages = 255;

  ScreenImageStack(ConsoleScreen& screen, SettingsMemory& memory);

  size_t Count() const { return images_.size(); }

  // Saves the rectangle (clipped to the screen) with the current colours,
  // then makes text and back the colours (inverse off) and, unless the
  // clear-after-save setting is off, fills the rectangle with the new
  // background. "?Command error" with the stack full; "?Out of memory"
  // when the copy cannot be made. Nothing changes on failure.
  int32_t Open(const CellRect& rect, int32_t text, int32_t back);
  // SCREEN n, n in -255..255 (checked by the caller): n < 0 takes the |n|
  // newest images off, putting back their cells and colours; n > 0 puts
  // back the images from the newest down to number n (the oldest is 1)
  // and takes only the background colour from each, keeping them; 0 puts
  // back every image that way and empties the stack.
  void Restore(int32_t n);
  void Discard();

  // RunStateListener
  void OnRunReset() override { Discard(); }
  void OnEditReset() override { Discard(); }
  void OnAbort() override { Discard(); }
  void OnEnd() override { Discard(); }

 private:
  void PutBack(const ScreenImage& image, bool allColours);
  void PublishCount();

  ConsoleScreen& screen_;
  SettingsMemory& memory_;
  memory::Vector<ScreenImage> images_;
};

// SCREEN's save and the `screen` function: running only; the six
// arguments range-checked; `count` the number of images afterwards.
int32_t OpenScreenImage(Interpreter& in, const double* args, size_t& count);

}  // namespace torvic
