#include "workbench/debugger/debuggerplug.h"

#include "workbench/debugger/breakpointsdlg.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"

BreakpointsLink::BreakpointsLink(CfgBreakpoints& breakpoints, std::function<void(const std::string&)> help)
    : breakpoints_(breakpoints), help_(std::move(help)) {}

int BreakpointsLink::Run() {
  ProgramLink& program = *Shell_Neighbours().program;
  CBreakpointsDlg dlg(breakpoints_, program, help_, Shell_MainFrame());
  const int result = dlg.DoModal();
  // A document or line that is not there ends the command silently.
  if (result == IDC_BREAKPOINT_GOTO) program.GoToLine(dlg.m_FileName.c_str(), dlg.m_Segment, dlg.m_Line);
  return result;
}

DebuggerWindows::DebuggerWindows(CfgBreakpoints& stored, CfgWindowPositions* positions,
                                 std::function<void(const std::string&)> help)
    : variables(target, positions), breakpoints(stored, std::move(help)) {
  ShellNeighbours& n = Shell_Neighbours();
  previous_variables_ = n.variables;
  previous_breakpoints_ = n.breakpoints;
  n.variables = &variables;
  n.breakpoints = &breakpoints;
}

DebuggerWindows::~DebuggerWindows() {
  ShellNeighbours& n = Shell_Neighbours();
  if (n.variables == &variables) n.variables = previous_variables_;
  if (n.breakpoints == &breakpoints) n.breakpoints = previous_breakpoints_;
}

std::unique_ptr<DebuggerWindows> Debugger_InstallWindows(CYqApp& app) {
  return std::make_unique<DebuggerWindows>(app.m_Breakpoints, &app.m_Config.WindowPositions,
                                           [&app](const std::string& topic) { app.ShowHelp(topic); });
}
