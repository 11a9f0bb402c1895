#include "workbench/shell/frames/keylamps.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#if defined(VARNICA_HAVE_XKB) && QT_CONFIG(xcb)
#include <X11/XKBlib.h>
#endif

KeyLamps KeyLamps_Read() {
  KeyLamps lamps;
#if defined(VARNICA_HAVE_XKB) && QT_CONFIG(xcb)
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  if (display == nullptr) return lamps;
  // The lamps by name: which indicator is which belongs to the keymap.
  // The names are the display's, looked up once per display.
  static Display* named_for = nullptr;
  static Atom caps_name = None, num_name = None;
  if (named_for != display) {
    caps_name = XInternAtom(display, "Caps Lock", False);
    num_name = XInternAtom(display, "Num Lock", False);
    named_for = display;
  }
  Bool caps = False, num = False;
  const bool read_caps = XkbGetNamedIndicator(display, caps_name, nullptr, &caps, nullptr, nullptr);
  const bool read_num = XkbGetNamedIndicator(display, num_name, nullptr, &num, nullptr, nullptr);
  lamps.readable = read_caps || read_num;
  lamps.caps = read_caps && caps;
  lamps.num = read_num && num;
#endif
  return lamps;
}
