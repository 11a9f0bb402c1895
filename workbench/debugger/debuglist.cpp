#include "workbench/debugger/debuglist.h"

#include "workbench/base/sysassert.h"

CDebugList::CDebugList(QWidget* parent) : CInfoListCtrl(parent) {}

CDebugList::~CDebugList() {
  for (int i = 0; i < GetItemCount(); ++i) delete static_cast<DebugINFO*>(GetItemData(i));
  columns_set_up = false;
}

bool CDebugList::Setup() {
  if (columns_set_up) return true;
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setColumnCount(1);
  setHeaderLabels({"Description"});
  columns_set_up = true;
  for (DebugINFO& stored : DebugInfo_Load()) {
    auto* info = new DebugINFO(std::move(stored));
    if (AddItem(info) < 0) {
      delete info;
      return false;
    }
  }
  return true;
}

int CDebugList::AddItem(DebugINFO* info) {
  SYS_ASSERT(info);
  if (!columns_set_up) return -1;
  return AppendRow(info);
}

bool CDebugList::RemoveItem(int row) {
  if (!columns_set_up || row < 0 || row >= GetItemCount()) return false;
  auto* info = static_cast<DebugINFO*>(GetItemData(row));
  DeleteRow(row);
  delete info;
  return true;
}

bool CDebugList::UpdateItem(int idx, DebugINFO* dbg) {
  SYS_ASSERT(dbg);
  if (!columns_set_up || idx < 0 || idx >= GetItemCount()) return false;
  if (dbg != static_cast<DebugINFO*>(GetItemData(idx)))
    Sys_AssertFailed("dbg == (DebugINFO*)GetItemData(idx)", __FILE__, __LINE__);
  SetItemData(idx, dbg);
  RedrawRow(idx);
  return true;
}

int CDebugList::SelectItem(int row) {
  const int count = GetItemCount();
  for (int i = 0; i < count; ++i) topLevelItem(i)->setSelected(i == row);
  return count;
}

bool CDebugList::SaveConfig() {
  if (!columns_set_up) return false;
  std::vector<const DebugINFO*> sessions;
  for (int i = 0; i < GetItemCount(); ++i) sessions.push_back(static_cast<const DebugINFO*>(GetItemData(i)));
  return DebugInfo_Save(sessions);
}

std::string CDebugList::ItemText(const void* record, int column) const {
  const auto* info = static_cast<const DebugINFO*>(record);
  if (!info || column != 0) return "";
  return info->Description;
}
