// The file list of an explore window: the rows of the document's folder in
// one of four styles (large icons, small icons, list, details), folders
// first, sorted by the column whose header was clicked. Column widths are
// kept in the profile for the next window. Selecting rows puts their names
// into the file-name field; a double click or Enter opens a folder or acts
// on the file as the field's OK does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "workbench/explorer/exploremodel.h"
#include "workbench/framework/fwview.h"

class CExploreDoc;
class QListView;
class QStackedWidget;
class QStandardItemModel;
class QTreeView;
class QModelIndex;

// List styles as the explorer settings keep them.
enum : uint32_t {
  EXPLORE_STYLE_LARGE_ICONS = 0,
  EXPLORE_STYLE_DETAILS = 1,
  EXPLORE_STYLE_SMALL_ICONS = 2,
  EXPLORE_STYLE_LIST = 3,
};

class CFileView : public FwView {
 public:
  CFileView(FwDocument* doc, QWidget* parent);

  void OnUpdate(const FwUpdate& change) override;
  // Refills the list from the document's folder.
  void FillList();
  void SetStyle(uint32_t style);
  uint32_t Style() const { return style_; }
  void SortBy(int column);
  int SortColumn() const { return sort_column_; }

  const std::vector<ExploreRow>& Rows() const { return rows_; }
  // The rows of `path` when the list shows that folder, else null.
  const std::vector<ExploreRow>* RowsOf(const std::string& path) const;
  // Selects the row of that name (bytes); false when there is none.
  bool SelectName(const std::string& name);
  // The names of the selected rows, in list order.
  std::vector<std::string> SelectedNames() const;

  QTreeView* Details() const { return details_; }
  QListView* Icons() const { return icons_; }
  // The widget showing the rows now.
  QWidget* Current() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CExploreDoc* Doc() const;
  void Refill();
  void Activate(const QModelIndex& index);
  void OnSelectionChanged();
  void SaveColumnWidth(int column, int width);

  std::vector<ExploreRow> rows_;
  std::optional<std::string> listed_path_;  // the folder of `rows_`
  int sort_column_ = EXPLORE_COLUMN_NAME;
  uint32_t style_ = EXPLORE_STYLE_DETAILS;
  QStandardItemModel* model_;
  QStackedWidget* stack_;
  QTreeView* details_;
  QListView* icons_;
  bool filling_ = false;
};

// The display of a name kept as bytes.
QString Explore_DisplayName(const std::string& name);
