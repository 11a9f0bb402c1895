// The one QApplication of a gui test program (offscreen), made on first use.
#pragma once

#include <cstdlib>

#include <QApplication>

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
