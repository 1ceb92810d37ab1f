#include "shell/lock_keys.h"

#include <QGuiApplication>

#ifdef TORVIC_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace torvic::shell {

#ifdef TORVIC_HAVE_X11
namespace {

Display* X11Display() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return nullptr;
  auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

KeySym KeySymOf(platform::LockKey key) {
  switch (key) {
    case platform::LockKey::CapsLock: return XK_Caps_Lock;
    case platform::LockKey::NumLock: return XK_Num_Lock;
    case platform::LockKey::ScrollLock: return XK_Scroll_Lock;
  }
  return NoSymbol;
}

const char* IndicatorOf(platform::LockKey key) {
  switch (key) {
    case platform::LockKey::CapsLock: return "Caps Lock";
    case platform::LockKey::NumLock: return "Num Lock";
    case platform::LockKey::ScrollLock: return "Scroll Lock";
  }
  return "";
}

// The modifier the key locks; 0 where the keymap gives it none (Scroll
// Lock usually), and then only its indicator tells its state.
unsigned ModifierOf(Display* d, platform::LockKey key) {
  return XkbKeysymToModifiers(d, KeySymOf(key));
}

}  // namespace

std::optional<bool> DesktopLockKeyState(platform::LockKey key) {
  Display* d = X11Display();
  if (!d) return std::nullopt;
  if (const unsigned mask = ModifierOf(d, key)) {
    XkbStateRec state{};
    if (XkbGetState(d, XkbUseCoreKbd, &state) != Success) return std::nullopt;
    return (state.locked_mods & mask) != 0;
  }
  Bool on = False;
  const Atom name = XInternAtom(d, IndicatorOf(key), True);
  if (name == None || !XkbGetNamedIndicator(d, name, nullptr, &on, nullptr, nullptr))
    return std::nullopt;
  return on == True;
}

bool PressDesktopLockKey(platform::LockKey key) {
  Display* d = X11Display();
  if (!d) return false;
  const unsigned mask = ModifierOf(d, key);
  const std::optional<bool> on = DesktopLockKeyState(key);
  if (!mask || !on) return false;
  if (!XkbLockModifiers(d, XkbUseCoreKbd, mask, *on ? 0 : mask)) return false;
  XFlush(d);
  return true;
}

#else

std::optional<bool> DesktopLockKeyState(platform::LockKey) { return std::nullopt; }
bool PressDesktopLockKey(platform::LockKey) { return false; }

#endif

}  // namespace torvic::shell
