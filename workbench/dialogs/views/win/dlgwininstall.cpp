#include "workbench/dialogs/views/win/dlgwininstall.h"

#include <strings.h>

#include <cstring>
#include <string>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/document/pluginid.h"
#include "workbench/dialogs/views/win/dlgctrlwnd.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgeditframe.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgpalette.h"
#include "workbench/dialogs/views/win/dlgpropview.h"
#include "workbench/dialogs/views/win/dlgtracker.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/fwmainframe.h"

namespace {

const FwCommandRow kCommands[] = {
    fw_command(ID_DLG_DESELECT_ALL, "De&select All", "Deselect the entire window contents\nDeselect All (Esc)"),
    fw_toggle(ID_DLG_TOGGLE_VISIBLE, "Visi&ble", "Toggle this object's visibility\nToggle Visibility"),
    fw_command(ID_DLG_EDIT_PROPERTIES, "Object P&roperties...", "Edit this object's properties\nEdit Properties"),
    fw_command(ID_DLG_PALETTE, "Object P&alette...",
               "Open the dialog object palette where new objects can be created\nDialog Object Palette"),
};

const FwCommandRow kGridCommands[] = {
    fw_command(ID_PROP_EDIT, "&Edit", "Edit the value of this property"),
    fw_command(ID_PROP_RESTORE, "&Restore Default Value", "Restore the default value of this property"),
    fw_command(ID_PROP_EXPAND, "&Expand", "Expand or collapse this group"),
};

const FwPlaceRow kPlaces[] = {
    {FwPlace::MenuEdit, 75, ID_NONE},
    {FwPlace::MenuEdit, 76, ID_DLG_DESELECT_ALL},
    {FwPlace::MenuEdit, 77, ID_DLG_TOGGLE_VISIBLE},
    // The windows of the designer: after the View menu's own.
    {FwPlace::MenuView, 110, ID_NONE},
    {FwPlace::MenuView, 111, ID_DLG_EDIT_PROPERTIES},
    {FwPlace::MenuView, 112, ID_DLG_PALETTE},
};

// Whether a path ends with a file type's extension (case does not matter).
bool HasExtension(const char* path, const PluginFileType* type) {
  if (!type || !type->Ext) return false;
  const size_t n = std::strlen(path), e = std::strlen(type->Ext);
  return e > 0 && n >= e && strcasecmp(path + n - e, type->Ext) == 0;
}

}  // namespace

std::span<const FwCommandRow> Dlg_CommandRows() { return kCommands; }
std::span<const FwPlaceRow> Dlg_PlaceRows() { return kPlaces; }
std::span<const FwCommandRow> Dlg_GridRows() { return kGridCommands; }

DlgWindows::DlgWindows(FwApp* app, DlgWinNotify* notify) {
  DlgCtrl_Install();
  DlgTracker::Install();
  if (!notify) {
    owned_notify_ = std::make_unique<DlgWinNotify>();
    notify = owned_notify_.get();
  }
  notify_ = notify;
  if (!app) return;
  auto tmpl = std::make_unique<FwDocTemplate>(
      IDR_DLGEDITTYPE, [notify] { return std::make_unique<CDlgDocWin>(notify); },
      [](FwDocument* doc) -> FwChildFrame* { return new CDlgEditFrame(doc); },
      [](FwDocument* doc, QWidget* parent) -> FwView* { return new CDlgEditView(doc, parent); });
  template_ = app->AddDocTemplate(std::move(tmpl));
  notify_->SetTemplate(template_);
  FwWindows& w = app->Windows();
  w.Register({IDR_DLGEDITTYPE, ID_NONE, nullptr, FwKindScope::PerDocument, FwKindHost::MdiChild, nullptr}, kCommands,
             kPlaces);
  // Both bars take the place the main frame's kept bar layout has for them;
  // the first time the grid docks on the right, the palette (as every
  // docking bar) on the left.
  w.Register({IDR_DLGPALETTYPE, ID_NONE, "DialogPaletteWindow", FwKindScope::Single, FwKindHost::Dock, [] {
                FwMainFrame* main = Fw_App() ? Fw_App()->MainFrame() : nullptr;
                auto* frame = new CDlgPaletteFrame(main);
                if (main && main->restoreDockWidget(frame)) frame->SetPlaced();
                return frame;
              }});
  w.Register({IDR_DLGPROPTYPE, ID_NONE, "DialogPropertyWindow", FwKindScope::Single, FwKindHost::Dock,
              [] {
                FwMainFrame* main = Fw_App() ? Fw_App()->MainFrame() : nullptr;
                auto* frame = new CDlgPropFrame(main);
                if (main && main->restoreDockWidget(frame))
                  frame->SetPlaced();
                else if (main)
                  main->addDockWidget(Qt::RightDockWidgetArea, frame);
                return frame;
              }},
             kGridCommands);
}

DlgWindows::~DlgWindows() = default;

bool DlgWindows::OpenFile(const char* path, PluginID* plugin, PluginFileType* type) {
  if (!path || !template_) return false;
  if (CDlgEditDoc::IsOpen(path, false)) {
    // Open already: it comes forward and goes on top of the recent files.
    notify_->AddRecentFile(path);
    for (CDlgEditDoc* d : CDlgEditDoc::Documents())
      if (d->GetPathName() == path)
        if (CDlgDocWin* w = CDlgDocWin::Of(d))
          if (DlgObject* first = d->FirstRootObject()) w->ActivateAnchorView(first->Anchor(), true);
    return true;
  }
  if (!plugin && !ClaimingType(path, &plugin, &type)) return false;
  if (!type) type = plugin->FirstType();
  return type && plugin->OpenDocument(path, type) != 0;
}

bool DlgWindows::ClaimingType(const char* path, PluginID** plugin, PluginFileType** type) {
  for (PluginID* p = PluginID::GetHead(); p; p = p->Next())
    for (PluginFileType* t = p->FirstFileType(); t; t = p->NextFileType())
      if (HasExtension(path, t)) {
        *plugin = p;
        *type = t;
        return true;
      }
  return false;
}

bool DlgWindows::NewFile(PluginID* plugin) {
  if (!plugin || !template_ || !plugin->FirstType()) return false;
  PluginID::SetPending(plugin, plugin->FirstType());
  return notify_->OpenDocument(nullptr) != nullptr;
}
