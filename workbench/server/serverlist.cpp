#include "workbench/server/serverlist.h"

#include <map>

#include <QApplication>
#include <QStyle>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"

CServerList::CServerList(QWidget* parent) : CInfoListCtrl(parent) {}

CServerList::~CServerList() {
  for (int i = 0; i < GetItemCount(); ++i) delete static_cast<ServerINFO*>(GetItemData(i));
  columns_set_up = false;
}

bool CServerList::Init() {
  if (columns_set_up) return true;
  setSelectionBehavior(QAbstractItemView::SelectRows);
  // The selection stays visible when the list loses the focus.
  QPalette pal = palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(pal);
  setIconSize(QSize(16, 16));
  setColumnCount(2);
  setHeaderLabels({"Server", "Description"});
  headerItem()->setIcon(0, QIcon());
  setColumnWidth(0, 80);
  server_icon_ = style()->standardIcon(QStyle::SP_ComputerIcon);
  columns_set_up = true;

  CfgProfileBatch batch;
  int total = Cfg_ListTotal("Server");
  for (int i = 0; i < total; ++i) {
    std::string entry = Cfg_ListGet("Server", i);
    if (entry.empty()) continue;
    auto* info = new ServerINFO;
    info->Server = Cfg_EntryName(entry.c_str());
    info->Title = Cfg_GetString(entry.c_str(), "Title");
    info->Service = Cfg_GetString(entry.c_str(), "Service");
    info->Login = Cfg_GetString(entry.c_str(), "Login");
    info->SecurePswd = Cfg_GetString(entry.c_str(), "SecurePswd");
    if (AddItem(info) < 0) {
      delete info;
      return false;
    }
  }
  return true;
}

int CServerList::AddItem(ServerINFO* info) {
  SYS_ASSERT(info);
  if (!columns_set_up) return -1;
  int row = AppendRow(info);
  if (row >= 0) topLevelItem(row)->setIcon(0, server_icon_);
  return row;
}

bool CServerList::RemoveItem(int index) {
  if (!columns_set_up || index < 0 || index >= GetItemCount()) return false;
  auto* info = static_cast<ServerINFO*>(GetItemData(index));
  DeleteRow(index);
  delete info;
  return true;
}

void CServerList::UpdateItem(int index, ServerINFO* srv) {
  if (srv != static_cast<ServerINFO*>(GetItemData(index)))
    Sys_AssertFailed("srv == (ServerINFO*)GetItemData(idx)", __FILE__, __LINE__);
  SetItemData(index, srv);
  RedrawRow(index);
}

std::string CServerList::ItemText(const void* record, int column) const {
  const auto* info = static_cast<const ServerINFO*>(record);
  if (!info) return "";
  if (column == 0) return info->Server;
  if (column == 1) return info->Title;
  return "";
}

bool CServerList::SaveConfig() {
  if (!columns_set_up) return false;
  for (int i = 0; i < GetItemCount(); ++i)
    if (!GetItemData(i)) return false;
  CfgProfileBatch batch;
  // A time-out set by hand in the profile stays with its server.
  std::map<std::string, int> timeouts;
  for (const std::string& name : Cfg_ListNames("Server")) {
    std::string entry = Cfg_ListFind("Server", name.c_str());
    int32_t seconds = 0;
    if (!entry.empty() && !Cfg_GetString(entry.c_str(), "Timeout").empty() &&
        Cfg_GetInt(entry.c_str(), "Timeout", &seconds))
      timeouts[name] = seconds;
  }
  Cfg_ListClear("Server");
  bool ok = true;
  for (int i = 0; i < GetItemCount(); ++i) {
    const auto* info = static_cast<const ServerINFO*>(GetItemData(i));
    std::string entry = Cfg_ListAppendUnique("Server", info->Server.c_str());
    if (entry.empty()) {
      ok = false;
      continue;
    }
    Cfg_PutString(entry.c_str(), "Title", info->Title.c_str());
    Cfg_PutString(entry.c_str(), "Service", info->Service.c_str());
    Cfg_PutString(entry.c_str(), "Login", info->Login.c_str());
    Cfg_PutString(entry.c_str(), "SecurePswd", info->SecurePswd.c_str());
    auto kept = timeouts.find(info->Server);
    if (kept != timeouts.end()) Cfg_PutInt(entry.c_str(), "Timeout", kept->second);
  }
  return ok;
}
