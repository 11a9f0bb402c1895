// tessarine: the development environment. Starts the application object on
// the desktop (message boxes and beeps through the desktop sink), runs the
// event loop and saves what changed at exit.
#include <string>
#include <vector>

#include <QApplication>

#include "workbench/editor/view/editorplug.h"
#include "workbench/framework/fwdesktopsink.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/shellsink.h"

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  FwDesktopSink sink;
  Shell_SetSink(&sink);
  int code = 1;
  {
    CYqApp app;
    Editor_Install();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (app.InitInstance(args)) {
      QApplication::exec();
      code = app.ExitInstance();
    }
  }
  Shell_SetSink(nullptr);
  return code;
}
