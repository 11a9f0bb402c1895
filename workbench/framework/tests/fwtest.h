// The one QApplication of a gui test program (offscreen), made on first use.
#pragma once

#include <cstdlib>

#include <QApplication>

// The leak checker of the sanitizer build reads these: the font
// configuration library keeps caches that it never frees.
extern "C" __attribute__((used)) inline const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

inline QApplication* Fw_TestQApp() {
  static int argc = 1;
  static char name[] = "guitest";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return app;
}
