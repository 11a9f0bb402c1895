// The base of the list views (the Variables view, the explorer's file view,
// the designer's property grid): a view whose layout step is deferred.
// Painting and resizing call ScheduleUpdate; the step runs once when the
// event loop comes round, however many requests came before it.
#pragma once

#include <string>

#include "workbench/framework/fwtimers.h"
#include "workbench/framework/fwview.h"

class CItemListView : public FwView {
 public:
  explicit CItemListView(FwDocument* doc, QWidget* parent = nullptr);
  ~CItemListView() override;

  // Restarts the one-shot update timer (0 ms); a pending one is killed first.
  void ScheduleUpdate();
  bool UpdatePending() const { return update_timer_ != 0; }

 protected:
  // The deferred layout step of a subclass.
  virtual void OnUpdateTimer() {}
  void timerEvent(QTimerEvent* event) override;

 private:
  // The timer id of the deferred update.
  static constexpr int kUpdateTimer = 1;

  FwTimers timers_{this};
  int update_timer_ = 0;  // 0 when no update is pending
};
