#include "workbench/dialogs/views/win/bitmapsaver.h"

#include <QPainter>

namespace {

// The shared context of all savers.
struct SharedContext {
  unsigned users = 0;
  unsigned made = 0;
  bool alive = false;
};

SharedContext& Shared() {
  static SharedContext context;
  return context;
}

}  // namespace

CBitmapSaver::CBitmapSaver(int width, int height) : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0) {
  SharedContext& s = Shared();
  if (!s.alive) {
    s.alive = true;
    ++s.made;
  }
  ++s.users;
  if (width_ > 0 && height_ > 0) bitmap_ = QPixmap(width_, height_);
}

CBitmapSaver::~CBitmapSaver() {
  SharedContext& s = Shared();
  if (--s.users == 0) s.alive = false;
}

void CBitmapSaver::Save(const QPixmap& source, QPoint from) {
  if (bitmap_.isNull()) return;
  bitmap_.fill(Qt::white);
  QPainter p(&bitmap_);
  p.drawPixmap(QPoint(0, 0), source, QRect(from, QSize(width_, height_)));
}

void CBitmapSaver::Restore(QPainter& target, QPoint to) const {
  if (bitmap_.isNull()) return;
  target.drawPixmap(to, bitmap_);
}

unsigned CBitmapSaver::SharedUsers() { return Shared().users; }
unsigned CBitmapSaver::SharedMade() { return Shared().made; }
