#include "workbench/explorer/view/fileview.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/explorer/view/driveview.h"
#include "workbench/explorer/view/exploredoc.h"
#include "workbench/explorer/view/exploreframe.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/shell/controls/filecombos.h"

namespace {

constexpr int kSmallIcon = 16;
constexpr int kLargeIcon = 32;

// The profile section of the column widths.
std::string ColumnSection() {
  std::string section = EXPLORE_COLUMNS_SECTION;
  if (!section.empty() && section.back() == '\\') section.pop_back();
  return section;
}

Qt::Alignment ColumnAlignment(int column) {
  switch (column) {
    case EXPLORE_COLUMN_SIZE: return Qt::AlignRight | Qt::AlignVCenter;
    case EXPLORE_COLUMN_TIME: return Qt::AlignCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

}  // namespace

QString Explore_DisplayName(const std::string& name) {
  return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

CFileView::CFileView(FwDocument* doc, QWidget* parent)
    : FwView(doc, parent),
      model_(new QStandardItemModel(0, EXPLORE_COLUMN_COUNT, this)),
      stack_(new QStackedWidget(this)),
      details_(new QTreeView(stack_)),
      icons_(new QListView(stack_)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(stack_);
  QStringList headings;
  for (const ExploreColumn& column : explore_columns) headings << column.heading;
  model_->setHorizontalHeaderLabels(headings);
  for (int c = 0; c < EXPLORE_COLUMN_COUNT; ++c) model_->horizontalHeaderItem(c)->setTextAlignment(ColumnAlignment(c));

  const CExploreDoc* d = Doc();
  const auto selection = d != nullptr && d->Mode() == ExploreMode::save_as ? QAbstractItemView::SingleSelection
                                                                           : QAbstractItemView::ExtendedSelection;
  details_->setModel(model_);
  details_->setRootIsDecorated(false);
  details_->setUniformRowHeights(true);
  details_->setItemsExpandable(false);
  details_->setSelectionMode(selection);
  details_->setSelectionBehavior(QAbstractItemView::SelectRows);
  details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  details_->setIconSize(QSize(kSmallIcon, kSmallIcon));
  details_->header()->setSectionsClickable(true);
  details_->header()->setStretchLastSection(false);
  details_->header()->setSortIndicatorShown(true);
  details_->header()->setSortIndicator(EXPLORE_COLUMN_NAME, Qt::AscendingOrder);
  const std::string section = ColumnSection();
  for (int c = 0; c < EXPLORE_COLUMN_COUNT; ++c) {
    int32_t stored = 0;
    Cfg_GetInt(section.c_str(), std::to_string(c).c_str(), &stored);
    details_->setColumnWidth(c, Explore_ColumnWidth(c, stored));
  }
  connect(details_->header(), &QHeaderView::sectionClicked, this, [this](int column) { SortBy(column); });
  connect(details_->header(), &QHeaderView::sectionResized, this,
          [this](int column, int, int width) { SaveColumnWidth(column, width); });

  icons_->setModel(model_);
  icons_->setSelectionModel(details_->selectionModel());
  icons_->setSelectionMode(selection);
  icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  icons_->setResizeMode(QListView::Adjust);
  icons_->setWrapping(true);
  stack_->addWidget(details_);
  stack_->addWidget(icons_);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
    v->installEventFilter(this);
    connect(v, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) { Activate(index); });
  }
  connect(details_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { OnSelectionChanged(); });
  uint32_t style = EXPLORE_STYLE_DETAILS;
  if (d != nullptr) style = Explore_ListStyle(d->Windows().Explore().ListStyle);
  SetStyle(style);
}

CExploreDoc* CFileView::Doc() const { return dynamic_cast<CExploreDoc*>(Document()); }

QWidget* CFileView::Current() const { return stack_->currentWidget(); }

void CFileView::OnUpdate(const FwUpdate& change) {
  if (change.kind == FwUpdateKind::FolderChanged || change.kind == FwUpdateKind::FilterChanged) FillList();
}

void CFileView::SaveColumnWidth(int column, int width) {
  if (filling_ || width <= 0) return;
  Cfg_PutInt(ColumnSection().c_str(), std::to_string(column).c_str(), width);
}

const std::vector<ExploreRow>* CFileView::RowsOf(const std::string& path) const {
  return listed_path_ == path ? &rows_ : nullptr;
}

void CFileView::FillList() {
  rows_.clear();
  listed_path_.reset();
  CExploreDoc* doc = Doc();
  const std::string path = doc != nullptr ? doc->CurrentPath() : std::string();
  if (!path.empty()) {
    listed_path_ = path;
    CExploreFrame* frame = doc->Frame();
    CFileTypeCB* filter = frame != nullptr && frame->TopBar() != nullptr ? frame->TopBar()->Filter() : nullptr;
    if (filter != nullptr) filter->setEnabled(false);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (std::unique_ptr<DirList> list = DirList_Open(path.c_str(), "", DIRLIST_ALL, 0)) {
      std::function<bool(const std::string&)> matches;
      if (filter != nullptr) matches = [filter](const std::string& name) { return filter->Matches(name); };
      rows_ = Explore_FillRows(*list, matches, sort_column_);
    }
    QGuiApplication::restoreOverrideCursor();
    if (filter != nullptr) filter->setEnabled(true);
  }
  Refill();
}

void CFileView::Refill() {
  filling_ = true;
  model_->removeRows(0, model_->rowCount());
  for (size_t i = 0; i < rows_.size(); ++i) {
    const ExploreRow& row = rows_[i];
    QList<QStandardItem*> cells;
    for (int c = 0; c < EXPLORE_COLUMN_COUNT; ++c) {
      auto* cell = new QStandardItem(c == EXPLORE_COLUMN_NAME ? Explore_DisplayName(row.name)
                                                              : QString::fromStdString(Explore_CellText(row, c)));
      cell->setTextAlignment(ColumnAlignment(c));
      if (c == EXPLORE_COLUMN_NAME) {
        cell->setIcon(Explore_Icon(Explore_RowImage(row)));
        cell->setData(static_cast<qulonglong>(i), Qt::UserRole);
      }
      cells << cell;
    }
    model_->appendRow(cells);
  }
  filling_ = false;
}

void CFileView::SortBy(int column) {
  if (column < 0 || column >= EXPLORE_COLUMN_COUNT) return;
  const std::vector<std::string> selected = SelectedNames();
  sort_column_ = column;
  Explore_SortRows(rows_, column);
  details_->header()->setSortIndicator(column, Qt::AscendingOrder);
  Refill();
  for (const std::string& name : selected) SelectName(name);
}

void CFileView::SetStyle(uint32_t style) {
  style_ = style;
  switch (style) {
    case EXPLORE_STYLE_DETAILS: stack_->setCurrentWidget(details_); return;
    case EXPLORE_STYLE_LARGE_ICONS:
      icons_->setViewMode(QListView::IconMode);
      icons_->setIconSize(QSize(kLargeIcon, kLargeIcon));
      icons_->setFlow(QListView::LeftToRight);
      break;
    case EXPLORE_STYLE_SMALL_ICONS:
      icons_->setViewMode(QListView::ListMode);
      icons_->setIconSize(QSize(kSmallIcon, kSmallIcon));
      icons_->setFlow(QListView::LeftToRight);
      break;
    default:
      style_ = EXPLORE_STYLE_LIST;
      icons_->setViewMode(QListView::ListMode);
      icons_->setIconSize(QSize(kSmallIcon, kSmallIcon));
      icons_->setFlow(QListView::TopToBottom);
      break;
  }
  icons_->setWrapping(true);
  stack_->setCurrentWidget(icons_);
}

bool CFileView::SelectName(const std::string& name) {
  for (int r = 0; r < model_->rowCount(); ++r) {
    const size_t i = model_->item(r, 0)->data(Qt::UserRole).toULongLong();
    if (i < rows_.size() && rows_[i].name == name) {
      const QModelIndex index = model_->index(r, 0);
      details_->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
      details_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
      details_->scrollTo(index);
      return true;
    }
  }
  return false;
}

std::vector<std::string> CFileView::SelectedNames() const {
  std::vector<std::string> names;
  for (int r = 0; r < model_->rowCount(); ++r)
    if (details_->selectionModel()->isRowSelected(r, QModelIndex())) {
      const size_t i = model_->item(r, 0)->data(Qt::UserRole).toULongLong();
      if (i < rows_.size()) names.push_back(rows_[i].name);
    }
  return names;
}

void CFileView::OnSelectionChanged() {
  if (filling_) return;
  CExploreDoc* doc = Doc();
  if (doc == nullptr) return;
  std::vector<std::string> files;
  for (const std::string& name : SelectedNames())
    for (const ExploreRow& row : rows_)
      if (row.name == name && !row.IsFolder()) files.push_back(name);
  if (!files.empty()) doc->SetNamesFromList(files);
}

void CFileView::Activate(const QModelIndex& index) {
  CExploreDoc* doc = Doc();
  if (doc == nullptr || !index.isValid()) return;
  const size_t i = model_->item(index.row(), 0)->data(Qt::UserRole).toULongLong();
  if (i >= rows_.size()) return;
  const ExploreRow row = rows_[i];
  if (row.IsFolder()) {
    CDriveView* tree = doc->GetDriveView();
    if (!tree->IsFolder(row.name, true)) tree->SelectPath(Explore_ResolveName(doc->CurrentPath(), row.name), true);
    return;
  }
  doc->SetNamesFromList({row.name});
  doc->DocAction();
}

bool CFileView::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == details_ || watched == icons_) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      Activate(details_->selectionModel()->currentIndex());
      return true;
    }
    if (key->key() == Qt::Key_Backspace) {
      if (FwApp* app = Fw_App()) app->Commands().Trigger(ID_EXPLORE_UP);
      return true;
    }
  }
  return FwView::eventFilter(watched, event);
}
