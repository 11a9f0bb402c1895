#include "workbench/editor/view/editorplug.h"

#include "workbench/editor/view/editdialogs.h"
#include "workbench/editor/view/editorrows.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/editor/view/pagesetupdlg.h"
#include "workbench/framework/fwapp.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

class PaneOutputLink : public OutputLink {
 public:
  bool Plugged() const override { return true; }
  bool IsShown() const override { return COutputDoc::IsShown(); }
  void Show(bool show) override { COutputDoc::Show(show); }
  void AppendText(int tab, const std::string& text) override { COutputDoc::AppendText(tab, text); }
  void ShowTab(int tab) override { COutputDoc::ActivateTab(tab); }
};

}  // namespace

void Editor_Install() {
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  // Once per application object: its command table has the rows then.
  if (app->Commands().Row(Editor_CommandRows().front().id) != nullptr) return;
  app->Commands().AddRows(0, Editor_CommandRows(), Editor_PlaceRows());
  EditorDialogs_Register(app->Windows());
  // File/Page Setup: the application's page settings.
  if (YqApp() != nullptr)
    app->Windows().Register(
        {ID_FILE_PAGE_SETUP, ID_FILE_PAGE_SETUP, nullptr, FwKindScope::Single, FwKindHost::Modal, []() -> QWidget* {
           CYqApp* yq = YqApp();
           return yq ? new CPageSetupDlg(&yq->m_Config.PageSetup, Shell_MainFrame()) : nullptr;
         }});
  static PaneOutputLink output;
  ShellNeighbours& n = Shell_Neighbours();
  if (!n.output->Plugged()) n.output = &output;
}
