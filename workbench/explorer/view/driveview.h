// The folder tree of an explore window: "My Computer" with "/", the home
// folder, the mounted volumes and the configured program servers; folders
// are listed when a node is first expanded and dropped again when it is
// collapsed. Selecting a node makes its path the document's folder.
#pragma once

#include <map>

#include <QTreeWidget>

#include "workbench/explorer/exploremodel.h"
#include "workbench/framework/fwview.h"

class CExploreDoc;

// The icon of one of the model's images.
QIcon Explore_Icon(int image);

class CDriveView : public FwView {
 public:
  CDriveView(FwDocument* doc, QWidget* parent);

  // Selects the node of a path, expanding its ancestors. When there is none
  // and `report` is set the user is told ("Cannot Change Directory").
  bool SelectPath(const std::string& path, bool report);
  // Whether `name` is a folder below the selected node; with `navigate` it
  // is selected.
  bool IsFolder(const std::string& name, bool navigate);
  // Selects the parent of the selected node; false at the top.
  bool Up();
  bool CanGoUp() const;

  ExploreTree& Tree() { return tree_; }
  QTreeWidget* Widget() const { return widget_; }
  ExploreNode* SelectedNode() const;
  QTreeWidgetItem* ItemOf(ExploreNode* node);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  CExploreDoc* Doc() const;
  void Populate(QTreeWidgetItem* item);
  QTreeWidgetItem* MakeItem(ExploreNode* node);
  void OnExpanded(QTreeWidgetItem* item);
  // The name column as wide as its widest shown name, at least the width
  // of the tree.
  void FitColumn();
  void OnCollapsed(QTreeWidgetItem* item);
  void OnSelectionChanged();

  ExploreTree tree_;
  QTreeWidget* widget_;
  std::map<ExploreNode*, QTreeWidgetItem*> items_;
  bool filling_ = false;
};
