// A nested wait: runs a QEventLoop until Exit is called (a reply arrived, a
// modal box closed) or a deadline passes. Every event is dispatched inside,
// and idle time runs whenever the loop is about to block. Code that may run
// inside a wait must not delete what an outer frame uses: a wait is a busy
// scope (fwlifetime.h), so windows and documents closed inside it are freed
// after it.
#pragma once

#include <QEventLoop>

class FwNestedWait {
 public:
  FwNestedWait() = default;
  FwNestedWait(const FwNestedWait&) = delete;
  FwNestedWait& operator=(const FwNestedWait&) = delete;

  // Waits; returns the code given to Exit, or -1 when the time (ms, 0 for
  // none) ran out first.
  int Run(int timeout_ms = 0);
  void Exit(int code);
  bool Running() const { return loop_.isRunning(); }
  // How deep the nested waits are at the moment.
  static int Depth();

 private:
  QEventLoop loop_;
};
