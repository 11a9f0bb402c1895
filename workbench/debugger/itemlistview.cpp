#include "workbench/debugger/itemlistview.h"

#include <QTimerEvent>

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
