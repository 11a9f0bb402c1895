#include "workbench/framework/fwsnapshot.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QEvent>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandtable.h"

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
    if (!commands_run_) {
      commands_run_ = true;
      if (RunCommands()) {
        // Let what the commands showed lay itself out and paint first.
        QTimer::singleShot(kSettleMs, this, [this] { Take(); });
        return;
      }
    }
    QPixmap shot = window_->grab();
    if (!shot.save(path_, "PNG")) fprintf(stderr, "tessarine: cannot write %s\n", path_.toLocal8Bit().constData());
    window_->close();
  }

  // Runs the commands of VARNICA_SNAPSHOT_COMMANDS; false when none ran.
  static bool RunCommands() {
    const char* list = std::getenv("VARNICA_SNAPSHOT_COMMANDS");
    FwApp* app = Fw_App();
    if (list == nullptr || *list == '\0' || app == nullptr) return false;
    bool ran = false;
    std::string names = list;
    size_t pos = 0;
    while (pos <= names.size()) {
      size_t comma = names.find(',', pos);
      if (comma == std::string::npos) comma = names.size();
      const std::string name = names.substr(pos, comma - pos);
      pos = comma + 1;
      if (name.empty()) continue;
      const int id = app->Commands().IdOfText(name);
      if (id != 0 && app->Commands().Trigger(id))
        ran = true;
      else
        fprintf(stderr, "tessarine: snapshot command \"%s\" %s\n", name.c_str(), id ? "is disabled" : "is unknown");
    }
    return ran;
  }

  // Time for a command's windows to settle before the grab.
  static constexpr int kSettleMs = 300;

  QPointer<QWidget> window_;
  QString path_;
  bool armed_ = false;
  bool commands_run_ = false;
};

}  // namespace

bool Fw_WatchForSnapshot(QWidget* window) {
  const char* path = std::getenv("VARNICA_SNAPSHOT");
  if (path == nullptr || *path == '\0' || window == nullptr) return false;
  int width = 0, height = 0;
  const char* size = std::getenv("VARNICA_SNAPSHOT_SIZE");
  if (size != nullptr && std::sscanf(size, "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
    window->resize(width, height);
  window->installEventFilter(new SnapshotFilter(window, QString::fromLocal8Bit(path)));
  return true;
}
