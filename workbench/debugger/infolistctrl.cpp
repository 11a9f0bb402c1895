#include "workbench/debugger/infolistctrl.h"

#include <QFontMetrics>
#include <QHeaderView>

#include "workbench/base/sysassert.h"

namespace {

// A row whose texts come from the list's record on request.
class InfoRow : public QTreeWidgetItem {
 public:
  InfoRow(CInfoListCtrl* list, void* record)
      : QTreeWidgetItem(QTreeWidgetItem::UserType), list_(list), record_(record) {}
  QVariant data(int column, int role) const override {
    if (role == Qt::DisplayRole) return QString::fromStdString(list_->ItemText(record_, column));
    return QTreeWidgetItem::data(column, role);
  }
  CInfoListCtrl* list_;
  void* record_;
};

}  // namespace

int InsertFittedColumn(QTreeWidget* list, int column, const char* heading, Qt::Alignment format) {
  SYS_ASSERT(list);
  if (list->columnCount() <= column) list->setColumnCount(column + 1);
  list->headerItem()->setText(column, heading);
  list->headerItem()->setTextAlignment(column, format);
  list->header()->resizeSection(column, QFontMetrics(list->font()).horizontalAdvance(heading) + FittedColumnMargin);
  return column;
}

CInfoListCtrl::CInfoListCtrl(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
}

int CInfoListCtrl::GetSelectedIdx() const {
  if (!columns_set_up) return -1;
  for (int i = 0; i < topLevelItemCount(); ++i)
    if (topLevelItem(i)->isSelected()) return i;
  return -1;
}

void* CInfoListCtrl::GetItemInfo(int row) const {
  if (!columns_set_up || row < 0 || row >= topLevelItemCount()) return nullptr;
  return GetItemData(row);
}

int CInfoListCtrl::AppendRow(void* record) {
  auto* item = new InfoRow(this, record);
  if (!headerItem()->icon(0).isNull()) item->setIcon(0, headerItem()->icon(0));
  addTopLevelItem(item);
  return indexOfTopLevelItem(item);
}

void* CInfoListCtrl::GetItemData(int row) const {
  auto* item = static_cast<InfoRow*>(topLevelItem(row));
  return item ? item->record_ : nullptr;
}

void CInfoListCtrl::SetItemData(int row, void* record) {
  auto* item = static_cast<InfoRow*>(topLevelItem(row));
  if (item) item->record_ = record;
}

void CInfoListCtrl::DeleteRow(int row) { delete takeTopLevelItem(row); }

void CInfoListCtrl::RedrawRow(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item) viewport()->update(visualItemRect(item));
}
