// Drives the explorer's Save As window in a window test: runs the command
// that opens it and, once it is up, the test's steps inside it.
#pragma once

#include <functional>

#include <QCoreApplication>
#include <QTimer>

#include "workbench/explorer/view/exploredoc.h"

// Runs `command`, then `inside` in the Save As window it opened; false when
// none opened. A window still open after the steps is closed, so that a
// test fails instead of waiting for a user.
inline bool Explorer_RunSaveAs(ExplorerWindows& windows, const std::function<void()>& command,
                               const std::function<void(CExploreDoc*)>& inside) {
  bool opened = false;
  QTimer::singleShot(0, [&] {
    CExploreDoc* d = windows.SaveAsDoc();
    if (d == nullptr) return;
    opened = true;
    inside(d);
    QTimer::singleShot(0, [&windows] { windows.CloseSaveAs(); });
  });
  command();
  QCoreApplication::processEvents();
  return opened;
}
