// Shared set-up of the console screen tests: a scripted host, a settings
// memory, an optional recording surface and a created screen.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "console/recording_surface.h"
#include "console/screen.h"
#include "console/settings.h"
#include "support/scripted_host.h"

namespace torvic::test {

struct EchoLog final : EchoSink {
  std::string bytes;
  void Echo(const uint8_t* b, size_t n) override {
    bytes.append(reinterpret_cast<const char*>(b), n);
  }
};

struct ObserverLog final : ScreenObserver {
  int paints = 0, reveals = 0, blinks = 0, geometry = 0, margins = 0;
  void PaintNow() override { ++paints; }
  void RevealCursor() override { ++reveals; }
  void RestartCaretBlink() override { ++blinks; }
  void GeometryChanged() override { ++geometry; }
  void MarginColorChanged() override { ++margins; }
};

// A created screen, cleared, cursor at (0, 0), invalid rectangle and call
// counts reset, with an echo log attached.
struct ScreenRig {
  explicit ScreenRig(bool withSurface = false) {
    if (withSurface) surface = std::make_unique<RecordingSurface>();
    screen = std::make_unique<ConsoleScreen>(host.AsHost(surface.get()), memory);
    EXPECT_TRUE(screen->Create());
    screen->ClearScreen();
    screen->TakeInvalid();
    screen->SetEchoSink(&echo);
    screen->SetObserver(&observer);
    if (surface) {
      surface->texts.clear();
      surface->scrolls = 0;
    }
  }
  ConsoleScreen& operator*() { return *screen; }
  ConsoleScreen* operator->() { return screen.get(); }
  uint8_t Cell(int32_t column, int32_t row) const { return screen->Cells().At(column, row).byte; }
  void Fill(char c) {
    for (int32_t row = 0; row < kScreenRows; ++row) {
      screen->SetCursor(0, row);
      screen->WriteRaw(std::string(row == kScreenRows - 1 ? 79 : 80, c));
    }
    echo.bytes.clear();
  }

  platform::ScriptedHost host;
  SettingsMemory memory;
  std::unique_ptr<RecordingSurface> surface;
  std::unique_ptr<ConsoleScreen> screen;
  EchoLog echo;
  ObserverLog observer;
};

}  // namespace torvic::test
