#include "workbench/programs/view/progdocwin.h"

#include <utility>

#include <QMdiArea>

#include "workbench/base/shellsink.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/view/editorrows.h"
#include "workbench/editor/view/editview.h"
#include "workbench/programs/dirutil.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"

namespace {

const CfgSettings& global_config() {
  static const CfgSettings defaults;
  return YqApp() ? YqApp()->m_Config : defaults;
}

// The file mode the document made next is opened in (0: by its name).
int g_requested_mode = CfgFileMode_Auto;

CProgDoc::PluginOpener& plugin_opener() {
  static CProgDoc::PluginOpener opener;
  return opener;
}

std::vector<CProgDoc*> documents() { return Programs_Documents(); }

XrefTree* xref_tree() { return Shell_Neighbours().xref->Tree(); }

// The main frame's auto-save timer; null while the application ends.
CMainFrame* main_frame() { return Shell_MainFrame(); }

}  // namespace

CProgDoc::CProgDoc() : model_(this, global_config()), request_mode_(g_requested_mode) {}

CProgDoc::~CProgDoc() {
  // The marks outlive the window in the stored list (and so the session).
  if (YqApp()) model_.StoreBreakpoints(&YqApp()->m_Breakpoints);
  if (CMainFrame* main = main_frame()) main->Docs().Remove(&auto_saver_);
  if (XrefTree* tree = xref_tree()) tree->RemoveDocument(this);
}

// ------------------------------------------------------------ opening

void CProgDoc::SetPluginOpener(PluginOpener opener) { plugin_opener() = std::move(opener); }

bool CProgDoc::OfferToPlugins(const std::string& path) { return plugin_opener() && plugin_opener()(path); }

CProgDoc* CProgDoc::OpenFile(const char* path, bool allow_plugins, int mode) {
  FwDocTemplate* tmpl = Programs_Template();
  if (tmpl == nullptr) return nullptr;
  if (path != nullptr) {
    std::string name = path;
    DirUtil_NormalizePath(name);
    if (CProgDoc* open = FindOpen(name, true)) return open;
    if (allow_plugins && OfferToPlugins(name)) return nullptr;
  }
  const int previous = std::exchange(g_requested_mode, mode);
  FwDocument* doc = tmpl->OpenDocument(path);
  g_requested_mode = previous;
  return dynamic_cast<CProgDoc*>(doc);
}

CProgDoc* CProgDoc::FindOpen(const std::string& path, bool activate, const CProgDoc* other) {
  std::string name = path;
  DirUtil_NormalizePath(name);
  for (CProgDoc* d : documents()) {
    if (d == other || d->model_.PathName().empty() || !DirUtil_SamePath(d->model_.PathName().c_str(), name.c_str()))
      continue;
    if (activate) {
      if (YqApp()) YqApp()->m_MruFiles.AddFile(d->model_.PathName().c_str());
      d->ActivateView();
    }
    return d;
  }
  return nullptr;
}

CProgDoc* CProgDoc::FindByDebugName(const std::string& debug_name) {
  for (CProgDoc* d : documents())
    if (!d->model_.DebugName().empty() && d->model_.DebugName() == debug_name) return d;
  return nullptr;
}

void CProgDoc::SetOpenRequest(int mode, const std::string& new_path, bool read_only) {
  request_mode_ = mode;
  request_path_ = new_path;
  request_read_only_ = read_only;
}

bool CProgDoc::OnNewDocument() {
  model_.NewDocument(request_mode_, request_path_.empty() ? nullptr : request_path_.c_str());
  ApplySettings();
  ShowInXref();
  return true;
}

bool CProgDoc::OnOpenDocument(const std::string& path) {
  std::string name = path;
  DirUtil_ExactName(name);
  // Open already: that one comes forward and this open ends without a word.
  if (FindOpen(name, true, this) != nullptr) return false;
  if (!model_.Open(name.c_str(), request_mode_)) return false;
  if (request_read_only_) model_.Text().SetFlag(TextObj_READ_ONLY);
  CEditorDoc::SetPathName(model_.PathName(), true);
  if (request_read_only_) model_.Config().File.flags |= CfgFile::ReadOnly;
  ApplySettings();
  if (YqApp()) model_.MarkBreakpoints(&YqApp()->m_Breakpoints);
  ShowInXref();
  return true;
}

// ------------------------------------------------------------ views

void CProgDoc::ActivateView() {
  for (FwChildFrame* f : Frames()) {
    if (f->isMinimized()) f->showNormal();
    if (f->mdiArea()) f->mdiArea()->setActiveSubWindow(f);
  }
  if (!Views().empty()) Views().front()->setFocus();
}

void CProgDoc::GotoLine(uint32_t index, bool activate) {
  if (activate) ActivateView();
  for (FwView* v : Views())
    if (auto* ev = dynamic_cast<CEditorView*>(v)) {
      ev->GoToLine(index);
      break;
    }
}

void CProgDoc::XrefShowLocation(int line) { GotoLine(line < 0 ? 0 : static_cast<uint32_t>(line), true); }

void CProgDoc::XrefClose() {
  for (FwChildFrame* f : Frames()) f->close();
}

void CProgDoc::ShowInXref() {
  XrefTree* tree = xref_tree();
  if (tree == nullptr) return;
  tree->AddDocument(this);
  tree->RemoveChildren(this);
  for (const ProgDocSegment& seg : model_.Segments())
    tree->AddSegment(this, seg.name.c_str(), seg.number, static_cast<int>(seg.start_line));
}

void CProgDoc::SegmentsChanged() { ShowInXref(); }

// ------------------------------------------------------------ saving

void CProgDoc::SetModified(bool flag) {
  model_.Text().SetModified(flag);
  UpdateFrameTitles();
  if (xref_modified_ == flag) return;
  xref_modified_ = flag;
  if (XrefTree* tree = xref_tree()) tree->RedrawDocument(this);
}

bool CProgDoc::Save(const std::string& path) {
  if (path.empty()) {
    const std::string folder = YqApp() ? YqApp()->m_Explore.GetSaveDirectory() : CfgExplore().GetSaveDirectory();
    const std::string proposed =
        folder.empty() || folder.back() == '/' ? folder + model_.Title() : folder + "/" + model_.Title();
    return Shell_Neighbours().explorer->DoSaveAs(this, proposed, nullptr) == 1;
  }
  const std::string old_title = model_.Title();
  if (!model_.Save(path)) {
    SetModified(true);
    return false;
  }
  UpdateFrameTitles();
  if (model_.Title() != old_title)
    ShowInXref();
  else if (XrefTree* tree = xref_tree())
    tree->RedrawDocument(this);
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

int CProgDoc::GetContextMenu() { return IDR_PROGRAM_CONTEXT; }

bool CProgDoc::Compile() {
  if (!model_.IsProgramFile()) return false;
  // The compile lists every line in the program's columns; a caret in the
  // text of its line stays on its character when the indentation changes.
  struct Caret {
    CEditorView* view;
    TextLine* line;
    uint32_t indent;
  };
  std::vector<Caret> carets;
  TextObj& text = model_.Text();
  for (FwView* v : Views())
    if (auto* view = dynamic_cast<CEditorView*>(v); view && !view->Model().HasAnchor())
      if (TextLine* line = text.Line(view->Model().caret_line))
        carets.push_back({view, line, line->NextNonBlankColumn(0)});
  model_.Compile();
  for (const Caret& c : carets) {
    EditorModel& m = c.view->Model();
    const uint32_t indent = c.line->NextNonBlankColumn(0);
    if (indent != c.indent && m.caret_col >= c.indent && text.IndexOf(c.line) == m.caret_line)
      m.GoToLineCol(m.caret_line, m.caret_col - c.indent + indent);
  }
  UpdateFrameTitles();
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
  UpdateFrameTitles();
  UpdateAllViews(nullptr);
  ShowInXref();
  return true;
}

void CProgDoc::ShowInfo() {
  model_.FillFileRecord();
  Shell_Neighbours().settings->RunDocumentSheet(model_.Title(), &model_.Config());
  ApplySettings();
}

void CProgDoc::ApplySettings() {
  const int interval = model_.ApplySettings();
  if (CMainFrame* main = main_frame()) main->GetDocID(&auto_saver_)->SetAutoSaveInterval(interval);
  UpdateAllViews(nullptr);
}

int CProgDoc::UpdateLineNumberPanes(FwCmdUI& ui) {
  ui.Enable(model_.IsProgramFile());
  return model_.IsProgramFile() ? 1 : 0;
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

const void* CProgDoc::BreakpointQuery(uint32_t line_idx) {
  return model_.CanToggleBreakpoint(line_idx) ? model_.Text().Line(line_idx) : nullptr;
}

void* CProgDoc::LocationQuery(uint32_t line_idx) { return model_.RunToLine(line_idx); }

int CProgDoc::ToggleBreakpoint(uint32_t line_idx) {
  return model_.ToggleBreakpoint(line_idx, YqApp() ? &YqApp()->m_Breakpoints : nullptr) ? 1 : 0;
}

// ------------------------------------------------------------ host

void CProgDoc::StatusText(const std::string& text) {
  if (CYqStatusBar* bar = Shell_StatusBar()) bar->Message("%s", text.c_str());
}

void CProgDoc::StatusError(const std::string& text) {
  if (CYqStatusBar* bar = Shell_StatusBar()) bar->Error("%s", text.c_str());
}

void CProgDoc::BuildClear(const std::string& file_name) {
  COutputDoc::ClearTab(OUTPUT_TAB_BUILD);
  COutputDoc::SetTabFileName(OUTPUT_TAB_BUILD, file_name.c_str());
}

void CProgDoc::BuildAppend(const std::string& text, uint32_t line_ident) {
  COutputDoc::AppendText(OUTPUT_TAB_BUILD, text, line_ident);
}

void CProgDoc::BuildShow() { COutputDoc::ShowTabOnIdle(OUTPUT_TAB_BUILD); }

bool CProgDoc::AskPassword(const std::string& file_name, std::string* digest, bool* remember) {
  return Shell_Neighbours().settings->AskPassword(file_name.c_str(), digest, remember);
}

std::string CProgDoc::TranslatePath(const std::string& path) {
  std::string target;
  return Debug_TranslatePath(path, &target) ? target : path;
}

void CProgDoc::RememberPassword(const std::string& digest) { Shell_Neighbours().settings->AddToPasswordList(digest); }
