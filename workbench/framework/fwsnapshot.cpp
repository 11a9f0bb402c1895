#include "workbench/framework/fwsnapshot.h"

#include <cstdio>
#include <cstdlib>

#include <QEvent>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

class SnapshotFilter : public QObject {
 public:
  SnapshotFilter(QWidget* window, QString path) : QObject(window), window_(window), path_(std::move(path)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Paint && !armed_) {
      armed_ = true;
      // Let the first paint (and the children's) finish, then grab.
      QTimer::singleShot(100, this, [this] { Take(); });
    }
    return false;
  }

 private:
  void Take() {
    if (!window_) return;
    QPixmap shot = window_->grab();
    if (!shot.save(path_, "PNG")) fprintf(stderr, "tessarine: cannot write %s\n", path_.toLocal8Bit().constData());
    window_->close();
  }

  QPointer<QWidget> window_;
  QString path_;
  bool armed_ = false;
};

}  // namespace

bool Fw_WatchForSnapshot(QWidget* window) {
  const char* path = std::getenv("VARNICA_SNAPSHOT");
  if (path == nullptr || *path == '\0' || window == nullptr) return false;
  window->installEventFilter(new SnapshotFilter(window, QString::fromLocal8Bit(path)));
  return true;
}
