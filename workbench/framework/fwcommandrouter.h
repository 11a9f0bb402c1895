// What the command table needs of the application: routing a command,
// asking for its update record, and the kind of the active window, whose
// rows join the frame's in the menus.
#pragma once

#include "workbench/framework/fwcmdui.h"

class FwCommandRouter {
 public:
  virtual ~FwCommandRouter() = default;
  // Runs a command; false when no target handled it.
  virtual bool RouteCommand(int id) = 0;
  // The state of an id as the targets say it.
  virtual FwCmdUI RouteUpdate(int id) const = 0;
  // The window kind whose rows are shown beside those of kind 0.
  virtual int ActiveKind() const { return 0; }
};
