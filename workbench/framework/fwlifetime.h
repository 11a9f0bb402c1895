// Deferred lifetime: nothing is freed while a call above it on the stack may
// still use it. A routed command and a nested wait each hold a busy scope;
// what a window or document asks to have done "when safe" (freeing itself)
// runs when the outermost scope ends, or at once when none is open. Frames
// free themselves there with deleteLater, so the deletion also waits for the
// event handler that closed them to return.
#pragma once

#include <functional>

class FwBusyScope {
 public:
  FwBusyScope();
  ~FwBusyScope();
  FwBusyScope(const FwBusyScope&) = delete;
  FwBusyScope& operator=(const FwBusyScope&) = delete;

  // How many scopes are open.
  static int Depth();
};

// Runs `action` now when no busy scope is open, else when the last one ends.
void Fw_WhenSafe(std::function<void()> action);
