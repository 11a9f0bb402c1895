#include "workbench/shell/dlgservices.h"

#include "workbench/base/sysassert.h"

void PluginID::Initialize() {}
PluginRecord* PluginID::GetHead() { return nullptr; }

PluginFileType* PluginID::FirstFileType(PluginRecord* plugin) {
  if (plugin != nullptr) plugin->filetype_idx = 0;
  return nullptr;
}

PluginFileType* PluginID::NextFileType(PluginRecord* plugin) {
  if (plugin != nullptr) SYS_ASSERT(plugin->filetype_idx >= 0);
  return nullptr;
}

bool PluginID::OpenFile(const char* path, PluginFileType* type) {
  (void)path;
  SYS_ASSERT(type);
  return false;
}

CPluginInfoDlg::CPluginInfoDlg(void* parent) { (void)parent; }

bool CPluginList::Init(void* list) {
  (void)list;
  return true;
}

std::string CPluginList::OnGetDispInfo(PluginRecord* plugin, int column) {
  if (plugin == nullptr || column != 0 || plugin->descriptor == nullptr || plugin->descriptor->texts[0] == nullptr)
    return std::string();
  return plugin->descriptor->texts[0];
}

bool CDlgEditDoc::SaveAll() { return true; }
CDlgEditView* CDlgEditDoc::ActivateAnchorView(CDlgEditDoc*, void*, bool, bool) { return nullptr; }
void CDlgEditDoc::ToggleVisible(DlgObject*) {}
void CDlgEditView::SelectObject(CDlgEditView*, DlgObject*) {}
void CDlgEditView::ToggleHidden(CDlgEditView*, DlgObject*) {}
void CDlgEditView::DeleteObject(CDlgEditView*, DlgObject*) {}
void CDlgEditView::ReorderObject(CDlgEditView*, DlgObject*, DlgObject*, bool) {}
void CDlgEditView::SetCoord(CDlgEditView*, int, int) {}
std::string DlgObject::GetDisplayName(const DlgObject*) { return std::string(); }
void CDlgPropDoc::ShowProperties(int) {}
int CDlgPropDoc::IsOpen() { return 0; }
void CDlgPropDoc::SetObject(DlgObject*) {}
void CDlgPaletDoc::ShowPalette(int) {}
void CDlgPaletDoc::SetDialog(DlgObject*, void*) {}
