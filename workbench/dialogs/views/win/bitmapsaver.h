// The offscreen copy of a canvas area: a drag or a resize keeps the pixels
// under its rectangle so that it can put them back when the rectangle moves
// on. All savers share one counted context (made by the first, freed with
// the last). The draw context is what the canvas hands to the objects and
// trackers it paints.
#pragma once

#include <QPixmap>
#include <QPoint>

class QPainter;
class QWidget;

class CBitmapSaver {
 public:
  // A saver of width x height pixels (0 or less: one that copies nothing).
  CBitmapSaver(int width, int height);
  ~CBitmapSaver();
  CBitmapSaver(const CBitmapSaver&) = delete;
  CBitmapSaver& operator=(const CBitmapSaver&) = delete;

  // Copies the saver's area at `from` out of `source`.
  void Save(const QPixmap& source, QPoint from);
  // Paints the saved pixels at `to`.
  void Restore(QPainter& target, QPoint to) const;
  const QPixmap& Pixmap() const { return bitmap_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // The shared context: its users, and how many times it was made (tests).
  static unsigned SharedUsers();
  static unsigned SharedMade();

 private:
  int width_;
  int height_;
  QPixmap bitmap_;
};

// What a painting hands down: the painter, the canvas window, and whether
// it is made for painting.
struct DlgDrawContext {
  DlgDrawContext(QPainter* painter, QWidget* window) : dc(painter), wnd(window) {}
  QPainter* dc;
  QWidget* wnd;
  int paint = 1;
};
