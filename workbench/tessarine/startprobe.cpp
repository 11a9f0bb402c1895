#include "workbench/tessarine/startprobe.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

#include "workbench/framework/fwdesktopsink.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"

namespace {

// Quits the event loop after the watched window's first paint.
class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      QTimer::singleShot(0, [] { QApplication::exit(0); });
    }
    return false;
  }

 private:
  bool seen_ = false;
};

}  // namespace

int Tessarine_RunToFirstPaint(int argc, char** argv, bool bare) {
  QApplication qt(argc, argv);
  FirstPaint watch;
  if (bare) {
    QMainWindow window;
    window.resize(1000, 700);
    window.installEventFilter(&watch);
    window.show();
    return QApplication::exec();
  }
  FwDesktopSink sink;
  Shell_SetSink(&sink);
  int code = 1;
  {
    CYqApp app;
    if (app.InitInstance({"-nologo"})) {
      app.MainWnd()->installEventFilter(&watch);
      code = QApplication::exec();
    }
  }
  Shell_SetSink(nullptr);
  return code;
}
