// One pane of the status bar: a command id (0 for none), a width (or the
// width of its text), style bits, a text and optional colours. A pane may
// hold one child widget (a progress bar, an edit field) that fills it.
#pragma once

#include <optional>

#include <QColor>
#include <QString>
#include <QWidget>

#include "workbench/framework/fwpanestyle.h"

class FwStatusPane : public QWidget {
 public:
  FwStatusPane(int id, unsigned style, int width, QWidget* parent = nullptr);

  int Id() const { return id_; }
  unsigned Style() const { return style_; }
  void SetStyle(unsigned style);
  // A fixed width in pixels, or 0 for the width of the text.
  void SetPaneWidth(int width);
  int PaneWidth() const { return width_; }
  const QString& Text() const { return text_; }
  void SetText(const QString& text);
  void SetColors(std::optional<QColor> fg, std::optional<QColor> bg);
  // The one child widget of the pane (owned by the pane).
  void SetChild(QWidget* child);
  QWidget* Child() const { return child_; }
  // How often the pane was painted (tests count repaints).
  int PaintCount() const { return paints_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The inside of the pane, within its one-pixel border.
  QRect Inner() const { return rect().adjusted(1, 1, -1, -1); }

 private:
  int id_;
  unsigned style_;
  int width_;
  QString text_;
  std::optional<QColor> fg_, bg_;
  QWidget* child_ = nullptr;
  int paints_ = 0;
};
