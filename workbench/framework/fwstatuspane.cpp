#include "workbench/framework/fwstatuspane.h"

#include <QPainter>
#include <QStyleOption>

FwStatusPane::FwStatusPane(int id, unsigned style, int width, QWidget* parent)
    : QWidget(parent), id_(id), style_(style), width_(width) {
  setSizePolicy((style & FW_PANE_STRETCH) ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void FwStatusPane::SetStyle(unsigned style) {
  if (style_ == style) return;
  style_ = style;
  setSizePolicy((style & FW_PANE_STRETCH) ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Preferred);
  updateGeometry();
  update();
}

void FwStatusPane::SetPaneWidth(int width) {
  if (width_ == width) return;
  width_ = width;
  updateGeometry();
}

void FwStatusPane::SetText(const QString& text) {
  if (text_ == text) return;
  text_ = text;
  if (width_ == 0) updateGeometry();
  update();
}

void FwStatusPane::SetColors(std::optional<QColor> fg, std::optional<QColor> bg) {
  fg_ = fg;
  bg_ = bg;
  update();
}

void FwStatusPane::SetChild(QWidget* child) {
  child_ = child;
  child_->setParent(this);
  child_->setGeometry(Inner());
  child_->show();
}

QSize FwStatusPane::sizeHint() const {
  QFontMetrics fm(font());
  int w = width_ > 0 ? width_ : fm.horizontalAdvance(text_) + 8;
  return QSize(w, fm.height() + 6);
}

void FwStatusPane::paintEvent(QPaintEvent*) {
  ++paints_;
  QPainter p(this);
  if (!(style_ & FW_PANE_NOBORDERS)) {
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  if (bg_) p.fillRect(Inner(), *bg_);
  if (child_ != nullptr || text_.isEmpty()) return;
  bool disabled = (style_ & FW_PANE_DISABLED) || !isEnabled();
  p.setPen(fg_ ? *fg_ : palette().color(disabled ? QPalette::Disabled : QPalette::Active, QPalette::WindowText));
  if (disabled && !fg_) return;  // a disabled indicator shows no text
  p.drawText(Inner().adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

void FwStatusPane::resizeEvent(QResizeEvent* event) {
  if (child_ != nullptr) child_->setGeometry(Inner());
  QWidget::resizeEvent(event);
}
