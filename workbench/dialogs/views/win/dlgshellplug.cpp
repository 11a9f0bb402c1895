#include "workbench/dialogs/views/win/dlgshellplug.h"

#include <string>
#include <utility>
#include <vector>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgpropview.h"
#include "workbench/dialogs/views/win/dlgwininstall.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/dialogs/views/win/dlgxref.h"
#include "workbench/dialogs/views/pluginui/plugininfodlg.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/frames/yqstatusbar.h"
#include "workbench/shell/neighbours.h"
#include "platform/dynlib.h"

namespace {

std::string Text(const char* text) { return text != nullptr ? text : ""; }

// The plug-in at a place of the list, or null.
PluginID* PluginAt(int index) {
  if (index < 0) return nullptr;
  PluginID* p = PluginID::GetHead();
  for (int i = 0; p != nullptr && i < index; ++i) p = p->Next();
  return p;
}

// The file type at a place of a plug-in's list, or null.
PluginFileType* TypeAt(PluginID* plugin, int index) {
  if (plugin == nullptr || index < 0) return nullptr;
  PluginFileType* t = plugin->FirstFileType();
  for (int i = 0; t != nullptr && i < index; ++i) t = plugin->NextFileType();
  return t;
}

// What the dialog documents ask of the environment around the designer:
// the status texts and progress on the main frame's status bar, the recent
// files, the auto-save countdown of the main frame's document list, the
// explorer's Save As window and the program documents.
class ShellNotify final : public DlgWinNotify {
 public:
  // The text before the bar ("Opening ...", "Saving ...") goes with it.
  void ProgressShow(int max) override {
    CYqStatusBar* bar = Shell_StatusBar();
    if (bar == nullptr) return;
    const std::string text = LastStatus();
    bar->Message("%s", "");
    bar->ShowProgress(text.c_str(), 0, max);
  }
  void ProgressSet(int position) override {
    if (CYqStatusBar* bar = Shell_StatusBar()) bar->StepProgress(position);
  }
  void ProgressHide() override {
    if (CYqStatusBar* bar = Shell_StatusBar()) bar->ShowProgress(nullptr, 0, 0);
  }
  void AddRecentFile(const char* path) override {
    if (CYqApp* app = YqApp(); app != nullptr && path != nullptr && *path != '\0') app->m_MruFiles.AddFile(path);
  }
  void AutoSaveInterval(CDlgEditDoc* doc, int minutes) override {
    if (CMainFrame* main = MainFrame()) main->GetDocID(doc)->SetAutoSaveInterval(minutes);
  }
  void DocumentRemoved(CDlgEditDoc* doc) override {
    DlgWinNotify::DocumentRemoved(doc);
    if (CMainFrame* main = MainFrame()) main->Docs().Remove(doc);
  }
  bool SaveAs(CDlgEditDoc* doc, const char* proposed) override {
    CDlgDocWin* d = CDlgDocWin::Of(doc);
    if (d == nullptr) return false;
    const SaveAsPlugin types = d->SaveAsTypes();
    return Shell_Neighbours().explorer->DoSaveAs(d, proposed != nullptr ? proposed : "", &types) == 1;
  }
  bool OpenSource(const char* path, int line) override {
    return path != nullptr && Shell_Neighbours().program->OpenSource(path, line);
  }

 protected:
  void ShowStatus(const char* text, bool error) override {
    CYqStatusBar* bar = Shell_StatusBar();
    if (bar == nullptr) return;
    if (error)
      bar->Error("%s", text != nullptr ? text : "");
    else
      bar->Message("%s", text != nullptr ? text : "");
  }

 private:
  // The main frame with the auto-save timer; null while the application ends.
  static CMainFrame* MainFrame() { return Shell_MainFrame(); }
};

class Plug final : public DlgShellPlug, public DesignerLink {
 public:
  Plug(FwApp& app, std::string plugin_dir)
      : app_(app), windows_(&app, &notify_), plugin_dir_(std::move(plugin_dir)), before_(Shell_Neighbours().designer) {
    Shell_Neighbours().designer = this;
    if (CYqApp* yq = dynamic_cast<CYqApp*>(&app)) CDlgEditDoc::SetEnvironment(&yq->m_Config, &yq->m_Explore);
  }
  ~Plug() override {
    CDlgEditDoc::SetEnvironment(nullptr, nullptr);
    if (Shell_Neighbours().designer == this) Shell_Neighbours().designer = before_;
  }

  DlgWindows& Windows() override { return windows_; }

  bool OpenClaimedFile(const std::string& path) override {
    PluginID* plugin = nullptr;
    PluginFileType* type = nullptr;
    if (!DlgWindows::ClaimingType(path.c_str(), &plugin, &type)) return false;
    windows_.OpenFile(path.c_str(), plugin, type);
    return true;
  }

  void ShowInXref() override {
    for (CDlgEditDoc* d : CDlgEditDoc::Documents())
      if (CDlgDocWin* w = CDlgDocWin::Of(d); w && w->Xref()) w->Xref()->Show();
  }

  bool Plugged() const override { return true; }
  void Start() override {
    if (started_) return;
    started_ = true;
    if (plugin_dir_.empty())
      PluginID::Initialize();
    else
      PluginID::InitializeFrom(plugin_dir_.c_str());
  }

  std::vector<DesignerPlugin> Plugins() const override {
    std::vector<DesignerPlugin> out;
    for (PluginID* p = PluginID::GetHead(); p != nullptr; p = p->Next()) {
      const PluginDesc* d = p->Desc();
      DesignerPlugin& plugin = out.emplace_back();
      plugin.type_name = Text(d->DefaultType);
      plugin.filter = Text(d->FilterTitle);
      plugin.open_as = Text(d->DefaultType);
      plugin.texts = {Text(d->Description), Text(d->Category), Text(d->Ident),
                      Text(d->Revision),    Text(d->Date),     Text(d->Module)};
      for (PluginFileType* t = p->FirstFileType(); t != nullptr; t = p->NextFileType())
        plugin.file_types.push_back({Text(t->Name), Text(t->Ext), t->BeginObj != nullptr});
    }
    return out;
  }

  bool NewDocument(int plugin) override { return windows_.NewFile(PluginAt(plugin)); }

  bool OpenFile(const char* path, int plugin, int file_type) override {
    PluginID* p = PluginAt(plugin);
    return windows_.OpenFile(path, p, TypeAt(p, file_type));
  }

  bool SaveAll() override { return CDlgEditDoc::SaveAll() != 0; }

  void SetCoord(int value, int index) override {
    if (CDlgEditView* view = ActiveView()) view->Canvas()->SetCoord(value, index);
  }

  // The grid and the cross-reference window follow the object.
  void CurrentObject(const void* object) override {
    CDlgPropView* grid = windows_.Notify().Grid();
    CDlgEditView* view = ActiveView();
    if (view == nullptr || object == nullptr) return;
    auto* doc = dynamic_cast<CDlgDocWin*>(view->Document());
    if (doc == nullptr) return;
    // The status bar holds the designer's own objects.
    auto* obj = static_cast<DlgObject*>(const_cast<void*>(object));
    if (grid != nullptr) grid->SetObject(doc->Model(), obj);
    if (DlgXrefDoc* xref = doc->Xref()) xref->Select(obj);
  }

  bool HasView() const override { return ActiveView() != nullptr; }

  const void* PrimaryObject(bool* editable) const override {
    CDlgEditView* view = ActiveView();
    DlgObject* obj = view != nullptr && view->Canvas() != nullptr ? view->Canvas()->Primary() : nullptr;
    *editable = obj != nullptr && (view->Model()->Root().Flags() & F_READ_ONLY) == 0;
    return obj;
  }

  void FocusView() override {
    if (CDlgEditView* view = ActiveView()) view->setFocus();
  }

  void ShowInfo(int plugin) override {
    PluginID* p = PluginAt(plugin);
    if (p == nullptr) return;
    CPluginInfoDlg info(app_.MainFrame());
    info.Fill(p);
    info.DoModal();
  }

  void Setup(int plugin) override {
    PluginID* p = PluginAt(plugin);
    if (p == nullptr || p->Module() == nullptr) return;
    // Looked up each time: the module decides whether it has a set-up.
    if (auto setup = reinterpret_cast<SetupPluginFn>(dynlib_symbol(p->Module(), "SetupPlugin"))) setup();
  }

 private:
  CDlgEditView* ActiveView() const {
    FwMainFrame* main = app_.MainFrame();
    FwChildFrame* child = main != nullptr ? main->ActiveChild() : nullptr;
    return child != nullptr ? dynamic_cast<CDlgEditView*>(child->ActiveView()) : nullptr;
  }

  FwApp& app_;
  ShellNotify notify_;
  DlgWindows windows_;
  std::string plugin_dir_;
  DesignerLink* before_;
  bool started_ = false;
};

}  // namespace

std::unique_ptr<DlgShellPlug> Designer_Install(FwApp& app, std::string plugin_dir) {
  return std::make_unique<Plug>(app, std::move(plugin_dir));
}
