#include "workbench/debugger/itemlistview.h"

#include <QPainter>
#include <QTimerEvent>

void ItemList_PaintTree(QPainter& painter, const QRect& cell, const ItemTreeRow& row, int inset) {
  const int depth = row.depth;
  const int mid = cell.top() + cell.height() / 2;
  const int half = ITEMLIST_BOX_SIZE / 2;
  auto centre = [&cell](int level) { return cell.left() + ITEMLIST_LEVEL_INDENT * level + half; };
  painter.save();
  painter.setPen(QColor(ITEMLIST_TREE));
  // Ancestors' lines go on where they have later siblings.
  for (int level = 0; level < depth; ++level)
    if (row.ancestor_goes_on && row.ancestor_goes_on(level))
      painter.drawLine(centre(level), cell.top() - inset, centre(level), cell.bottom() + inset);
  const int x = centre(depth);
  painter.drawLine(x, cell.top() - inset, x, row.later_sibling ? cell.bottom() + inset : mid);
  painter.drawLine(x, mid, cell.left() + ItemList_TextLeft(depth) - 4, mid);
  if (row.has_children) {
    if (row.expanded) painter.drawLine(centre(depth + 1), mid, centre(depth + 1), cell.bottom() + inset);
    const QRect box(x - half, mid - half, ITEMLIST_BOX_SIZE, ITEMLIST_BOX_SIZE);
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawLine(x - 2, mid, x + 2, mid);
    if (!row.expanded) painter.drawLine(x, mid - 2, x, mid + 2);
  }
  painter.restore();
}

CItemListView::CItemListView(FwDocument* doc, QWidget* parent) : FwView(doc, parent) {}

CItemListView::~CItemListView() { timers_.KillAll(); }

void CItemListView::ScheduleUpdate() {
  if (update_timer_ != 0) timers_.KillTimer(update_timer_);
  update_timer_ = timers_.SetTimer(kUpdateTimer, 0);
}

void CItemListView::timerEvent(QTimerEvent* event) {
  if (timers_.IdOf(event->timerId()) != kUpdateTimer) {
    FwView::timerEvent(event);
    return;
  }
  if (update_timer_ == 0) return;
  timers_.KillTimer(update_timer_);
  update_timer_ = 0;
  OnUpdateTimer();
}
