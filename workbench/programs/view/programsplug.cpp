#include "workbench/programs/view/programsplug.h"

#include <memory>
#include <optional>
#include <string>

#include <QMdiArea>

#include "workbench/editor/view/editview.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwwindows.h"
#include "workbench/programs/dirutil.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsrows.h"
#include "workbench/shell/frames/childframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

FwDocTemplate* g_template = nullptr;

// The explorer's request for the document made next.
struct OpenRequest {
  int mode = 0;
  std::string new_path;
  bool read_only = false;
};
std::optional<OpenRequest> g_request;

std::vector<CProgDoc*> documents() { return Programs_Documents(); }

class ProgDocLink : public ProgramLink {
 public:
  static CProgDoc* Find(const char* path) { return path != nullptr ? Programs_FindByPath(path) : nullptr; }
  bool Plugged() const override { return true; }
  bool OpenFile(const char* path, int mode) override { return CProgDoc::OpenFile(path, true, mode) != nullptr; }
  bool GoToLine(const char* path, uint16_t segment, uint16_t line) override {
    CProgDoc* doc = path ? Programs_Open(path) : nullptr;
    return doc != nullptr && doc->ShowLocation(segment, line, false, true);
  }
  bool IsOpen(const char* path) const override { return Find(path) != nullptr; }
  bool OpenSource(const char* path, int line) override {
    CProgDoc* doc = path != nullptr ? CProgDoc::OpenFile(path, false) : nullptr;
    if (doc == nullptr) return false;
    if (line > 0) doc->GotoLine(static_cast<uint32_t>(line - 1), true);
    return true;
  }
  bool OpenRequest(const char* path, int mode, bool read_only, bool create) override {
    if (g_template == nullptr || path == nullptr) return false;
    if (CProgDoc* d = Find(path)) {
      for (FwChildFrame* f : d->Frames())
        if (f->mdiArea()) f->mdiArea()->setActiveSubWindow(f);
      return true;
    }
    std::string name = path;
    DirUtil_NormalizePath(name);
    // "Auto" and the plug-ins' entries let a plug-in file type take an
    // existing file over (a dialog file opens in the designer).
    if (!create && (mode == CfgFileMode_Auto || mode == CfgFileMode_PlugIn) && CProgDoc::OfferToPlugins(name))
      return true;
    g_request = ::OpenRequest{mode, create ? name : std::string(), read_only};
    FwDocument* doc = g_template->OpenDocument(create ? nullptr : name.c_str());
    g_request.reset();
    return doc != nullptr;
  }
  bool SaveAllModified() override {
    bool ok = true;
    for (CProgDoc* d : documents())
      if (d->Model().IsModified() && !d->Model().PathName().empty()) ok = d->Save(d->Model().PathName()) && ok;
    return ok;
  }
  void RemoveAllBreakpoints() override {
    for (CProgDoc* d : documents())
      for (TextLine* l = d->Model().Text().head; l; l = l->next) l->line_flags &= ~TextLine_BREAKPOINT;
    if (!YqApp()) return;
    // The empty list is written at the end and sent before the program
    // goes on.
    YqApp()->m_Breakpoints.Clear();
    YqApp()->m_Breakpoints.SetModified(true);
  }
  bool AnyBreakpoint() const override {
    for (CProgDoc* d : documents())
      for (TextLine* l = d->Model().Text().head; l; l = l->next)
        if (l->line_flags & TextLine_BREAKPOINT) return true;
    // The stored breakpoints of files that no program window shows.
    if (!YqApp()) return false;
    for (const CfgBreakpoint* bp = YqApp()->m_Breakpoints.head; bp; bp = bp->next) {
      bool shown = false;
      for (CProgDoc* d : documents())
        shown = shown ||
                (d->Model().IsProgramFile() && DirUtil_SamePath(bp->FileName.c_str(), d->Model().PathName().c_str()));
      if (!bp->temporary && !shown) return true;
    }
    return false;
  }
  void UpdateBreakpointList() override {
    if (!YqApp()) return;
    for (CProgDoc* d : documents()) d->Model().StoreBreakpoints(&YqApp()->m_Breakpoints);
  }
  void DropBreakpointMark(const CfgBreakpoint& bp) override {
    for (CProgDoc* d : documents())
      if (DirUtil_SamePath(bp.FileName.c_str(), d->Model().PathName().c_str()))
        if (TextLine* l = d->Model().FindLine(bp.Segment, bp.Line)) l->line_flags &= ~TextLine_BREAKPOINT;
  }
  void ApplySettings() override {
    for (CProgDoc* d : documents()) {
      if (YqApp()) d->Model().TakeAutoSaveSettings(YqApp()->m_Config.General);
      d->ApplySettings();
    }
  }
  void RunToMarked() override {
    if (YqApp()) YqApp()->m_Breakpoints.SetModified(true);
  }
  void ClearRunToMarks() override {
    for (CProgDoc* d : documents())
      for (TextLine* l = d->Model().Text().head; l; l = l->next) l->line_flags &= ~TextLine_RUN_TO;
    if (!YqApp()) return;
    CfgBreakpoints& list = YqApp()->m_Breakpoints;
    for (CfgBreakpoint* bp = list.head; bp;) {
      CfgBreakpoint* next = bp->next;
      if (bp->temporary) delete bp;
      bp = next;
    }
    list.SetModified(true);
  }
  void RefreshBreakpointMarks() override {
    if (!YqApp()) return;
    for (CProgDoc* d : documents()) {
      for (TextLine* l = d->Model().Text().head; l; l = l->next) l->line_flags &= ~TextLine_BREAKPOINT;
      d->Model().MarkBreakpoints(&YqApp()->m_Breakpoints);
    }
  }
};

}  // namespace

FwDocTemplate* Programs_Template() { return g_template; }

std::vector<CProgDoc*> Programs_Documents() {
  std::vector<CProgDoc*> out;
  if (g_template)
    for (FwDocument* d : g_template->Documents())
      if (auto* p = dynamic_cast<CProgDoc*>(d)) out.push_back(p);
  return out;
}

CProgDoc* Programs_FindByPath(const std::string& path) { return CProgDoc::FindByPath(path); }

CProgDoc* Programs_FindByDebugName(const std::string& name) { return CProgDoc::FindByDebugName(name); }

CProgDoc* Programs_Open(const std::string& path) { return CProgDoc::OpenFile(path.c_str()); }

void Programs_ShowInXref() {
  for (CProgDoc* d : documents()) d->ShowInXref();
}

void Programs_Install() {
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  for (const auto& t : app->DocTemplates())
    if (t.get() == g_template) return;
  auto tmpl = std::make_unique<FwDocTemplate>(
      IDR_EDITTYPE,
      [] {
        auto doc = std::make_unique<CProgDoc>();
        if (g_request) doc->SetOpenRequest(g_request->mode, g_request->new_path, g_request->read_only);
        return doc;
      },
      [](FwDocument* doc) -> FwChildFrame* { return new CChildFrame(doc); },
      [](FwDocument* doc, QWidget* parent) -> FwView* { return new CEditorView(doc, parent); });
  g_template = app->AddDocTemplate(std::move(tmpl));
  // The kind of the program documents' frames, with the rows shown while
  // one is active; its frames are tracked by the template.
  app->Windows().Register({IDR_EDITTYPE, ID_NONE, nullptr, FwKindScope::PerDocument, FwKindHost::MdiChild,
                           []() -> QWidget* {
                             CProgDoc* doc = CProgDoc::OpenFile(nullptr);
                             return doc != nullptr && !doc->Frames().empty() ? doc->Frames().front() : nullptr;
                           }},
                          Programs_CommandRows(), Programs_PlaceRows());
  static ProgDocLink program;
  ShellNeighbours& n = Shell_Neighbours();
  if (!n.program->Plugged()) n.program = &program;
}
