// The debugger's windows plugged into the shell's neighbours: the Variables
// window, with the debugger core as its target, behind the main frame's
// Variables command, and the Breakpoints dialog behind its Breakpoints
// command. The application keeps the returned object for its whole run.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "workbench/debugger/session/debugtarget.h"
#include "workbench/debugger/variablesdoc.h"

class CYqApp;
class CfgBreakpoints;

class BreakpointsLink : public PaneLink {
 public:
  BreakpointsLink(CfgBreakpoints& breakpoints, std::function<void(const std::string&)> help);
  bool Plugged() const override { return true; }
  // Runs the dialog; after a Go To the breakpoint's line is shown in its
  // program document.
  int Run() override;

 private:
  CfgBreakpoints& breakpoints_;
  std::function<void(const std::string&)> help_;
};

struct DebuggerWindows {
  DebuggerWindows(CfgBreakpoints& stored, CfgWindowPositions* positions, std::function<void(const std::string&)> help);
  ~DebuggerWindows();
  DebugVariableTarget target;
  VariablesWindow variables;
  BreakpointsLink breakpoints;

 private:
  PaneLink* previous_variables_ = nullptr;
  PaneLink* previous_breakpoints_ = nullptr;
};

// Makes the windows for the application and plugs them in.
std::unique_ptr<DebuggerWindows> Debugger_InstallWindows(CYqApp& app);
