#include "workbench/framework/fwlifetime.h"

#include <utility>
#include <vector>

namespace {

int g_depth = 0;

std::vector<std::function<void()>>& Pending() {
  static std::vector<std::function<void()>> pending;
  return pending;
}

}  // namespace

FwBusyScope::FwBusyScope() { ++g_depth; }

FwBusyScope::~FwBusyScope() {
  if (--g_depth > 0) return;
  // An action may queue more (a frame that closes another); they run too.
  while (!Pending().empty()) {
    std::vector<std::function<void()>> now;
    now.swap(Pending());
    for (auto& action : now) action();
  }
}

int FwBusyScope::Depth() { return g_depth; }

void Fw_WhenSafe(std::function<void()> action) {
  if (g_depth == 0)
    action();
  else
    Pending().push_back(std::move(action));
}
