#include "workbench/dialogs/views/pluginui/pluginlist.h"

#include "workbench/base/sysassert.h"
#include "workbench/dialogs/document/pluginid.h"

namespace {
constexpr const char* kPluginListHeading = "Installed Plug-In Modules";
}

CPluginList::CPluginList(QWidget* parent) : CInfoListCtrl(parent) {}

int CPluginList::Init() {
  if (columns_set_up) return 1;
  columns_set_up = true;
  InsertFittedColumn(this, 0, kPluginListHeading);
  for (PluginID* plugin = PluginID::GetHead(); plugin != nullptr; plugin = plugin->Next())
    if (AddItem(plugin) < 0) return 0;
  return 1;
}

int CPluginList::AddItem(PluginID* plugin) {
  if (plugin == nullptr) Sys_AssertFailed("plugin", __FILE__, __LINE__);
  if (!columns_set_up) return -1;
  return AppendRow(plugin);
}

std::string CPluginList::ItemText(const void* record, int column) const {
  const auto* plugin = static_cast<const PluginID*>(record);
  if (plugin == nullptr || column != 0 || plugin->Desc() == nullptr || plugin->Desc()->Description == nullptr)
    return "";
  return plugin->Desc()->Description;
}
