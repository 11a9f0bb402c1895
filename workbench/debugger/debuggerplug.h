// The debugger's windows: the Variables window, with the debugger core as
// its target, a kind of the application's registry of windows behind the
// View menu's Variables command (Debugger_Install hands it to the core);
// and the Breakpoints dialog, a modal kind of the
// application's registry of windows behind the Breakpoints command (after
// a Go To the breakpoint's line is shown in its program document). The
// application keeps the returned object for its whole run.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "workbench/debugger/session/debugtarget.h"
#include "workbench/debugger/variablesdoc.h"

class CYqApp;
class CfgBreakpoints;

struct DebuggerWindows {
  DebuggerWindows(CfgBreakpoints& stored, CfgWindowPositions* positions, std::function<void(const std::string&)> help);
  ~DebuggerWindows();
  DebugVariableTarget target;
  VariablesWindow variables;
};

// Makes the windows for the application and plugs them in.
std::unique_ptr<DebuggerWindows> Debugger_InstallWindows(CYqApp& app);
