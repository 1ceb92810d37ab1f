#include "shell/desktop_settings.h"

#include <QGuiApplication>
#include <QStyleHints>

#include "platform/system_info.h"

#ifdef TORVIC_HAVE_X11
#include <X11/XKBlib.h>
#endif

namespace torvic::shell {

void ReadDesktopSettings() {
  platform::DesktopSettings& desktop = platform::Desktop();
  // The toolkit gives the whole on-and-off period; the caret changes twice
  // in it. No period means a caret that does not blink.
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  desktop.caretBlinkMs =
      flash > 0 ? static_cast<uint32_t>(flash / 2) : platform::DesktopSettings::kNoBlink;
#ifdef TORVIC_HAVE_X11
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (Display* display = x11 ? x11->display() : nullptr) {
    unsigned delay = 0, interval = 0;
    if (XkbGetAutoRepeatRate(display, XkbUseCoreKbd, &delay, &interval)) {
      desktop.keyboardDelay = platform::KeyboardDelaySetting(delay);
      desktop.keyboardSpeed = platform::KeyboardSpeedSetting(interval);
    }
  }
#endif
}

}  // namespace torvic::shell
