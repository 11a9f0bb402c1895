// The timers of one window under the ids its code gives them: setting an id
// again restarts it, killing an id kills the Qt timer behind it, and a Qt
// timer event is turned back into the window's own id.
#pragma once

#include <map>

class QObject;

class FwTimers {
 public:
  explicit FwTimers(QObject* owner) : owner_(owner) {}
  ~FwTimers();
  FwTimers(const FwTimers&) = delete;
  FwTimers& operator=(const FwTimers&) = delete;

  // Starts (or restarts) timer `id` with a period in milliseconds; returns
  // the id, or 0 when Qt gave no timer.
  int SetTimer(int id, int period_ms);
  // Stops timer `id`; false when it does not run.
  bool KillTimer(int id);
  void KillAll();
  bool Running(int id) const { return timers_.count(id) != 0; }
  // The window's id of a Qt timer id, or 0 when it is not one of ours.
  int IdOf(int qt_timer_id) const;
  // The Qt timer id behind an id of ours, or 0.
  int QtIdOf(int id) const {
    auto it = timers_.find(id);
    return it == timers_.end() ? 0 : it->second;
  }

 private:
  QObject* owner_;
  std::map<int, int> timers_;  // own id -> Qt timer id
};
