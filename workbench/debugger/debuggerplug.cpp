#include "workbench/debugger/debuggerplug.h"

#include "workbench/debugger/breakpointsdlg.h"
#include "workbench/debugger/debugplug.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debughost.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

// The Breakpoints command's dialog on the stored list (the application's).
void RegisterBreakpoints(FwWindows& windows, CfgBreakpoints& stored, std::function<void(const std::string&)> help) {
  if (windows.Kind(ID_EDIT_BREAKPOINTS) != nullptr) return;
  windows.Register({ID_EDIT_BREAKPOINTS, ID_EDIT_BREAKPOINTS, nullptr, FwKindScope::Single, FwKindHost::Modal,
                    [&stored, help] {
                      auto* dlg = new CBreakpointsDlg(stored, *Shell_Neighbours().program, help, Shell_MainFrame());
                      dlg->OnInitDialog();
                      return dlg;
                    },
                    [](QWidget* window, int result) {
                      // A document or line that is not there ends the command
                      // silently.
                      auto* dlg = static_cast<CBreakpointsDlg*>(window);
                      if (result == IDC_BREAKPOINT_GOTO)
                        Shell_Neighbours().program->GoToLine(dlg->m_FileName.c_str(), dlg->m_Segment, dlg->m_Line);
                    }});
}

}  // namespace

DebuggerWindows::DebuggerWindows(CfgBreakpoints& stored, CfgWindowPositions* positions,
                                 std::function<void(const std::string&)> help)
    : variables(target, positions) {
  if (FwApp* app = Fw_App()) RegisterBreakpoints(app->Windows(), stored, std::move(help));
}

DebuggerWindows::~DebuggerWindows() {
  // The core stops reading the window that goes.
  if (DebugHost* host = Debug_Host(); host != nullptr && host->Variables() == &variables) Debugger_Install();
}

std::unique_ptr<DebuggerWindows> Debugger_InstallWindows(CYqApp& app) {
  return std::make_unique<DebuggerWindows>(app.m_Breakpoints, &app.m_Config.WindowPositions,
                                           [&app](const std::string& topic) { app.ShowHelp(topic); });
}
