#include "workbench/shell/browse/browseplug.h"

#include <QPointer>

#include "workbench/shell/browse/contentwnd.h"
#include "workbench/shell/browse/xrefwnd.h"
#include "workbench/shell/frames/browsebar.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

enum BrowseTab { kFilesTab = 0, kHelpTab = 1 };

void show_help(const std::string& topic) {
  if (CYqApp* app = YqApp()) app->ShowHelp(topic);
}

// The help pane as the shell's neighbour: applying the help settings
// reloads it.
class HelpPaneLink : public PaneLink {
 public:
  bool Plugged() const override { return pane != nullptr; }
  bool IsOpen() const override { return pane != nullptr; }
  void Toggle() override {
    if (pane) pane->Reload();
  }
  QPointer<ContentWnd> pane;
};

HelpPaneLink g_help_link;

// The cross-reference pane as the shell's neighbour: the documents reach
// its tree through it.
class XrefPaneLink : public XrefLink {
 public:
  bool Plugged() const override { return pane != nullptr; }
  bool IsOpen() const override { return pane != nullptr; }
  XrefTree* Tree() override { return pane ? &pane->Tree() : nullptr; }
  QPointer<CXrefWnd> pane;
};

XrefPaneLink g_xref_link;

}  // namespace

BrowsePanes Browse_Install(CBrowseBar* bar) {
  BrowsePanes panes;
  CYqApp* app = YqApp();
  if (bar == nullptr || app == nullptr) return panes;
  panes.xref = new CXrefWnd(show_help);
  panes.contents = new ContentWnd(&app->m_Config.Help, show_help);
  bar->SetPane(kFilesTab, panes.xref);
  bar->SetPane(kHelpTab, panes.contents);
  g_help_link.pane = panes.contents;
  Shell_Neighbours().help_pane = &g_help_link;
  g_xref_link.pane = panes.xref;
  Shell_Neighbours().xref = &g_xref_link;
  return panes;
}
