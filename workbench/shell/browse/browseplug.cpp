#include "workbench/shell/browse/browseplug.h"

#include <QTabWidget>

#include "workbench/shell/browse/contentwnd.h"
#include "workbench/shell/browse/xrefwnd.h"
#include "workbench/shell/frames/browsebar.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

enum BrowseTab { kFilesTab = 0, kHelpTab = 1 };

void show_help(const std::string& topic) {
  if (CYqApp* app = YqApp()) app->ShowHelp(topic);
}

// The pane on a tab of the main frame's browse bar, when it is a Pane.
template <class Pane>
Pane* PaneAt(int tab) {
  CMainFrame* main = Shell_MainFrame();
  CBrowseBar* bar = main != nullptr ? main->BrowseBar() : nullptr;
  QTabWidget* tabs = bar != nullptr ? bar->Tabs() : nullptr;
  return tabs != nullptr ? dynamic_cast<Pane*>(tabs->widget(tab)) : nullptr;
}

// The cross-reference tree as the documents' neighbour: the one in the
// main frame's browse bar.
class XrefPaneLink : public XrefLink {
 public:
  XrefTree* Tree() override {
    CXrefWnd* pane = Browse_XrefPane();
    return pane != nullptr ? &pane->Tree() : nullptr;
  }
};

}  // namespace

BrowsePanes Browse_Install(CBrowseBar* bar) {
  BrowsePanes panes;
  CYqApp* app = YqApp();
  if (bar == nullptr || app == nullptr) return panes;
  panes.xref = new CXrefWnd(show_help);
  panes.contents = new ContentWnd(&app->m_Config.Help, show_help);
  bar->SetPane(kFilesTab, panes.xref);
  bar->SetPane(kHelpTab, panes.contents);
  static XrefPaneLink xref;
  Shell_Neighbours().xref = &xref;
  return panes;
}

CXrefWnd* Browse_XrefPane() { return PaneAt<CXrefWnd>(kFilesTab); }
ContentWnd* Browse_HelpPane() { return PaneAt<ContentWnd>(kHelpTab); }
