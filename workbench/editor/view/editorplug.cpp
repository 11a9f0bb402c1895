#include "workbench/editor/view/editorplug.h"

#include <memory>

#include <QMdiArea>

#include "workbench/editor/view/editorrows.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/editor/view/pagesetupdlg.h"
#include "workbench/editor/view/textdoc.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/shell/frames/childframe.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

FwDocTemplate* g_text_template = nullptr;

class TextProgramLink : public ProgramLink {
 public:
  bool Plugged() const override { return true; }
  bool OpenFile(const char* path, int) override {
    if (g_text_template == nullptr) return false;
    if (path != nullptr)
      for (FwDocument* d : g_text_template->Documents())
        if (d->PathName() == path) {
          for (FwChildFrame* f : d->Frames())
            if (f->mdiArea()) f->mdiArea()->setActiveSubWindow(f);
          return true;
        }
    return g_text_template->OpenDocument(path) != nullptr;
  }
  bool SaveAllModified() override {
    if (g_text_template == nullptr) return true;
    bool ok = true;
    for (FwDocument* d : g_text_template->Documents())
      if (auto* t = dynamic_cast<CTextDoc*>(d); t && t->GetTextObj()->IsModified() && !t->PathName().empty())
        ok = t->Save(t->PathName()) && ok;
    return ok;
  }
};

class PaneOutputLink : public OutputLink {
 public:
  bool Plugged() const override { return true; }
  bool IsShown() const override { return COutputDoc::IsShown(); }
  void Show(bool show) override { COutputDoc::Show(show); }
  void AppendText(int tab, const std::string& text) override { COutputDoc::AppendText(tab, text); }
  void ShowTab(int tab) override { COutputDoc::ActivateTab(tab); }
};

class PageSetupLink : public PaneLink {
 public:
  bool Plugged() const override { return YqApp() != nullptr; }
  int Run() override {
    if (YqApp() == nullptr) return 0;
    CPageSetupDlg dlg(&YqApp()->m_Config.PageSetup, CMainFrame::m_pMainFrame);
    return dlg.exec();
  }
};

}  // namespace

FwDocTemplate* Editor_TextTemplate() { return g_text_template; }

void Editor_Install() {
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  for (const auto& t : app->DocTemplates())
    if (t.get() == g_text_template) return;
  auto tmpl = std::make_unique<FwDocTemplate>(
      110, [] { return std::make_unique<CTextDoc>(); },
      [](FwDocument* doc) -> FwChildFrame* { return new CChildFrame(doc); },
      [](FwDocument* doc, QWidget* parent) -> FwView* { return new CEditorView(doc, parent); });
  g_text_template = app->AddDocTemplate(std::move(tmpl));
  app->Commands().AddRows(0, Editor_CommandRows(), Editor_PlaceRows());
  static TextProgramLink program;
  static PaneOutputLink output;
  static PageSetupLink page_setup;
  ShellNeighbours& n = Shell_Neighbours();
  if (!n.program->Plugged()) n.program = &program;
  if (!n.output->Plugged()) n.output = &output;
  if (!n.page_setup->Plugged()) n.page_setup = &page_setup;
}
