#include "workbench/framework/fwtimers.h"

#include <QObject>

FwTimers::~FwTimers() { KillAll(); }

int FwTimers::SetTimer(int id, int period_ms) {
  KillTimer(id);
  int qt = owner_->startTimer(period_ms);
  if (qt == 0) return 0;
  timers_[id] = qt;
  return id;
}

bool FwTimers::KillTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return false;
  owner_->killTimer(it->second);
  timers_.erase(it);
  return true;
}

void FwTimers::KillAll() {
  for (auto& [id, qt] : timers_) owner_->killTimer(qt);
  timers_.clear();
}

int FwTimers::IdOf(int qt_timer_id) const {
  for (const auto& [id, qt] : timers_)
    if (qt == qt_timer_id) return id;
  return 0;
}
