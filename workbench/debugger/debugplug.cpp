#include "workbench/debugger/debugplug.h"

#include "workbench/debugger/callstackdoc.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/debugger/variables/variablelink.h"
#include "workbench/editor/view/outputdoc.h"
#include "platform/dirpath.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/xrefmodel.h"
#include "workbench/shell/statusmodel.h"

namespace {

// The shell's debugger link: the main frame's debug commands.
class ShellDebugLink : public DebugLink {
 public:
  bool Plugged() const override { return true; }
  bool SessionExists() const override { return DebugQueue != nullptr; }
  bool SessionWaiting() const override { return Debug_SessionWaiting(); }
  bool StartSession(int run_mode) override {
    Debug_SetBusy(true);
    bool ok = Debug_StartSession(run_mode != 0) != nullptr;
    Debug_SetBusy(false);
    return ok;
  }
  bool Continue(int kind, bool trace) override {
    Debug_SetBusy(true);
    bool ok = Debug_Cmd_CONT(kind, trace);
    Debug_SetBusy(false);
    return ok;
  }
  bool Break() override { return Debug_Cmd_BREAK(); }
  void CheckSession() override { Debug_CheckSession(); }
  void EndSession() override { Debug_EndSession(); }
  void CancelPending() override { Debug_CancelPending(); }
  void ProcessEnded() override {
    if (Debug_SessionWaiting() && DebugLocal_CurrentRunEnded()) Debug_CancelPending();
  }
};

// The environment's windows as the core sees them.
class ShellDebugHost : public DebugHost {
  static FwMainFrame* MainFrame() { return Fw_App() != nullptr ? Fw_App()->MainFrame() : nullptr; }

 public:
  // From the session's reader and watcher threads: the messages go to the
  // main frame's event queue.
  void PostOutput(std::string text) override {
    if (FwMainFrame* main = MainFrame()) Fw_PostBlock(main, FW_MSG_OUTPUT_LINE, std::move(text));
  }
  void PostEnded() override {
    if (FwMainFrame* main = MainFrame()) Fw_PostMessage(main, FW_MSG_DEBUG_ENDED);
  }
  void QueueOutputLine(const std::string& line) override { COutputDoc::QueueText(line); }
  void ShowDebugTabOnIdle() override {
    if (!COutputDoc::IsShown()) COutputDoc::ShowTabOnIdle(OUTPUT_TAB_DEBUG);
  }
  void ClearDebugTab() override { COutputDoc::ClearTab(OUTPUT_TAB_DEBUG); }
  void BringMainFrameForward() override {
    if (FwMainFrame* main = MainFrame()) {
      main->raise();
      main->activateWindow();
    }
  }
  void ClearStatementMarks() override {
    for (CProgDoc* doc : Programs_Documents()) doc->ClearStopLine();
  }
  DebugShown ShowStop(const DebugLocation& location, bool look_up, const std::string& open_name, bool activate,
                      bool file_changed) override {
    (void)file_changed;  // the view scrolls to the line either way
    CProgDoc* doc = Programs_FindByDebugName(location.file);
    if (doc == nullptr && look_up) {
      if (!open_name.empty() && DirUtil_IsAbsolute(open_name.c_str())) {
        doc = Programs_Open(open_name);
      } else if (FwDocTemplate* tmpl = Programs_Template()) {
        // Read through the debug connection; a file that cannot be read
        // takes its new window with it.
        doc = dynamic_cast<CProgDoc*>(tmpl->OpenDocument(nullptr));
        if (doc != nullptr && !doc->OpenDebugFile(DebugQueue, location.file)) {
          for (FwChildFrame* frame : doc->Frames()) frame->close();
          doc = nullptr;
        }
      }
      if (doc != nullptr) doc->Model().SetDebugName(location.file);
    }
    if (doc == nullptr) return DebugShown::NO_DOCUMENT;
    // The stop's segment is selected in the cross-reference pane, its path
    // expanded; a segment the pane does not list fails the stop.
    if (XrefTree* tree = Shell_Neighbours().xref->Tree())
      if (tree->SelectSegment(doc, location.segment) == nullptr) return DebugShown::NO_SEGMENT;
    return doc->ShowLocation(location.segment, location.line, true, activate) ? DebugShown::SHOWN
                                                                              : DebugShown::NO_SEGMENT;
  }
  DebugForeground ForegroundProgram(std::string* path) override {
    FwMainFrame* main = MainFrame();
    FwChildFrame* child = main != nullptr ? main->ActiveChild() : nullptr;
    auto* doc = child ? dynamic_cast<CProgDoc*>(child->Document()) : nullptr;
    if (doc == nullptr || !doc->Model().IsProgramFile()) return DebugForeground::NONE;
    if (doc->Model().IsModified() && !doc->Save(doc->Model().PathName())) return DebugForeground::SAVE_FAILED;
    if (!doc->Model().IsProgramFile()) return DebugForeground::NOT_PROGRAM;
    *path = doc->Model().PathName();
    return DebugForeground::READY;
  }
  bool DebugTabUsesEnhancements() const override {
    const CfgSettings* config = nullptr;
    if (COutputDoc* output = COutputDoc::Find()) config = output->GetDocConfig();
    if (config == nullptr && YqApp()) config = &YqApp()->m_Config;
    // The Debug tab shows program files' text: its edit item is theirs.
    const CfgEditItem* item = config ? config->Edit.GetItem(0) : nullptr;
    return item != nullptr && (item->flags & CfgEditItem::UseEnhancements);
  }
  void UpdateBreakpointList() override { Shell_Neighbours().program->UpdateBreakpointList(); }
  void RefreshBreakpointMarks() override { Shell_Neighbours().program->RefreshBreakpointMarks(); }
  bool CallStackOpen() const override { return CCallstackDoc::IsOpen(); }
  void ClearCallStack() override { CCallstackDoc::Clear(); }
  void AddCallStackEntry(const DebugLocation& entry) override { CCallstackDoc::AddEntry(entry); }
  void ShowCallStack() override { CCallstackDoc::Show(true); }
  // The application's Variables window, when it has one.
  VariablesPane* Variables() override { return variables; }
  CfgDebug& DebugSettings() override { return YqApp()->m_Config.Debug; }
  CfgBreakpoints& Breakpoints() override { return YqApp()->m_Breakpoints; }
  void StatusWarning(const char* text) override { Status(SK_WARNING, text); }
  void Status(int kind, const std::string& text) override {
    if (CYqStatusBar* bar = Shell_StatusBar()) bar->SetMessage(kind, text.c_str());
  }

  VariablesPane* variables = nullptr;
};

}  // namespace

void Debugger_Install(VariablesPane* variables) {
  static ShellDebugLink link;
  static ShellDebugHost host;
  host.variables = variables;
  Shell_Neighbours().debug = &link;
  CCallstackDoc::RegisterKind();
  Debug_SetHost(&host);
}
