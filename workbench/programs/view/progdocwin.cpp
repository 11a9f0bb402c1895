#include "workbench/programs/view/progdocwin.h"

#include <QMdiArea>

#include "workbench/base/shellsink.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/view/editview.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"

namespace {

// The program document's context menu.
constexpr int kProgDocContextMenu = 110;

const CfgSettings& global_config() {
  static const CfgSettings defaults;
  return YqApp() ? YqApp()->m_Config : defaults;
}

}  // namespace

CProgDoc::CProgDoc() : model_(this, global_config()) {}

CProgDoc::~CProgDoc() = default;

void CProgDoc::TakeNames() {
  SetTitle(model_.Title());
  if (!model_.PathName().empty()) FwDocument::SetPathName(model_.PathName());
  SetModifiedFlag(model_.IsModified());
}

void CProgDoc::SetOpenRequest(int mode, const std::string& new_path, bool read_only) {
  request_mode_ = mode;
  request_path_ = new_path;
  request_read_only_ = read_only;
}

bool CProgDoc::OnNewDocument() {
  model_.NewDocument(request_mode_, request_path_.empty() ? nullptr : request_path_.c_str());
  TakeNames();
  return true;
}

bool CProgDoc::OnOpenDocument(const std::string& path) {
  if (!model_.Open(path.c_str(), request_mode_)) return false;
  if (request_read_only_) model_.Text().SetFlag(TextObj_READ_ONLY);
  CEditorDoc::SetPathName(model_.PathName(), true);
  TakeNames();
  if (YqApp()) model_.MarkBreakpoints(&YqApp()->m_Breakpoints);
  return true;
}

void CProgDoc::SetModified(bool flag) {
  model_.Text().SetModified(flag);
  SetModifiedFlag(flag);
}

bool CProgDoc::Save(const std::string& path) {
  if (!model_.Save(path)) {
    SetModifiedFlag(true);
    return false;
  }
  TakeNames();
  UpdateFrameTitles();
  return true;
}

void CProgDoc::SaveDocument(int as_new) { Save(as_new ? std::string() : model_.PathName()); }

bool CProgDoc::SaveModified() {
  if (!model_.IsModified()) return true;
  const std::string name = model_.PathName().empty() ? model_.Title() : model_.PathName();
  const std::string question = "Save changes to " + name + "?";
  switch (Shell_Sink().message_box(Shell_OwnerWindow(), Shell_AppName(), question.c_str(),
                                   SHELL_MB_YESNOCANCEL | SHELL_MB_ICONQUESTION)) {
    case SHELL_IDYES: return Save(model_.PathName());
    case SHELL_IDNO: SetModified(false); return true;
    default: return false;
  }
}

int CProgDoc::OnAutoSave() {
  model_.OnAutoSave();
  return model_.AutoSaveName().empty() ? 0 : 1;
}

int CProgDoc::GetContextMenu() { return kProgDocContextMenu; }

bool CProgDoc::Compile() {
  if (!model_.IsProgramFile()) return false;
  model_.Compile();
  SetModifiedFlag(model_.IsModified());
  return true;
}

int CProgDoc::LineEditEnd(TextLine* line) {
  if (!line) return 0;
  model_.CheckLine(model_.Text().IndexOf(line));
  return 1;
}

bool CProgDoc::ShowLocation(uint16_t segment, uint16_t line_number, bool stop, bool activate) {
  TextLine* line = model_.FindLine(segment, line_number);
  CEditorView* view = nullptr;
  for (FwView* v : Views())
    if ((view = dynamic_cast<CEditorView*>(v)) != nullptr) break;
  if (line == nullptr || view == nullptr) return false;
  if (activate)
    for (FwChildFrame* frame : Frames()) {
      if (frame->isMinimized()) frame->showNormal();
      if (frame->mdiArea()) frame->mdiArea()->setActiveSubWindow(frame);
      break;
    }
  // The editor finds a program line by its number and the count of numbered
  // lines after the number's first line: the line's place among them.
  TextObj& text = model_.Text();
  uint32_t nth = 0;
  for (TextLine* l = text.LineByNumber(line_number, 0); l && l != line; l = l->next)
    if (l->line_number) ++nth;
  if (!view->Model().GoToLineNumber(line_number, nth, stop)) return false;
  UpdateAllViews(nullptr);
  return true;
}

bool CProgDoc::OpenDebugFile(SrvQueue* debug, const std::string& name) {
  if (!model_.OpenDebugFile(debug, name.c_str())) return false;
  TakeNames();
  UpdateFrameTitles();
  UpdateAllViews(nullptr);
  return true;
}

void CProgDoc::ClearStopLine() {
  if (model_.StopLine() == 0) return;
  model_.SetStopLine(0);
  UpdateAllViews(nullptr);
}

bool CProgDoc::GetStopLine(uint32_t* line_number) const {
  *line_number = model_.StopLine();
  return *line_number != 0;
}

void CProgDoc::StatusText(const std::string& text) {
  if (CYqStatusBar* bar = CMainFrame::GetStatusBar()) bar->Message("%s", text.c_str());
}

void CProgDoc::StatusError(const std::string& text) {
  if (CYqStatusBar* bar = CMainFrame::GetStatusBar()) bar->Error("%s", text.c_str());
}

void CProgDoc::BuildClear(const std::string& file_name) {
  COutputDoc::ClearTab(OUTPUT_TAB_BUILD);
  COutputDoc::SetTabFileName(OUTPUT_TAB_BUILD, file_name.c_str());
}

void CProgDoc::BuildAppend(const std::string& text, uint32_t line_ident) {
  COutputDoc::AppendText(OUTPUT_TAB_BUILD, text, line_ident);
}

void CProgDoc::BuildShow() { COutputDoc::ShowTabOnIdle(OUTPUT_TAB_BUILD); }
