// The screen surface: the pixel bitmap the console screen draws on.
//
// Its place is reserved here; its operations (font creation and metrics,
// opaque text runs, fills, pixel inversion, scrolling, one-pixel lines and
// the rectangle copies used by screen images) are defined together with the
// console screen that uses them.
#pragma once

namespace torvic::platform {

class Surface {
 public:
  virtual ~Surface() = default;
};

}  // namespace torvic::platform
