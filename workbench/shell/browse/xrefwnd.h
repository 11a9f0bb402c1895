// The "Files" tab of the browse bar: the cross-reference tree of open
// documents and their segments. The window paints the tree model (shell's
// XrefTree) and turns its clicks and keys into model calls: a double click
// or Enter runs the item's default action, Space expands or collapses, and
// a held Enter or Space acts once per press. F1 shows the pane's topic.
// A dialog object is dragged with the left button onto another object of
// its dialog: the item under the pointer is highlighted while it takes the
// drop, and releasing over it moves the object before it (upper half) or
// after it (lower half).
#pragma once

#include <functional>
#include <string>

#include <QAbstractItemModel>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QWidget>

#include "workbench/shell/controls/keyrepeatguard.h"
#include "workbench/shell/xrefmodel.h"

class QMenu;
class QTreeView;

// The tree model as Qt's item model; rows follow the tree's listener calls.
class XrefItemModel : public QAbstractItemModel, public XrefListener {
 public:
  explicit XrefItemModel(XrefTree* tree, QObject* parent = nullptr);

  QModelIndex IndexOf(XrefNode* node) const;
  XrefNode* NodeOf(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void BeginInsert(XrefNode* parent, int first, int last) override;
  void EndInsert() override;
  void BeginRemove(XrefNode* parent, int first, int last) override;
  void EndRemove() override;
  void Changed(XrefNode* node) override;
  void ExpansionChanged(XrefNode* node) override;
  void SelectionChanged(XrefNode* node) override;

  // The item highlighted as the target of a drag (null: none).
  void SetDropTarget(XrefNode* node);
  XrefNode* DropTarget() const { return NodeOf(drop_target_); }

  // The view follows expansion and selection through these.
  std::function<void(XrefNode*)> on_expansion;
  std::function<void(XrefNode*)> on_selection;

 private:
  XrefTree* tree_;
  QPersistentModelIndex drop_target_;
};

class CXrefWnd : public QWidget {
 public:
  using ShowHelp = std::function<void(const std::string&)>;
  explicit CXrefWnd(ShowHelp show_help, QWidget* parent = nullptr);
  ~CXrefWnd() override;

  XrefTree& Tree() { return tree_; }
  QTreeView* View() const { return view_; }
  XrefItemModel* Model() const { return model_; }
  // The context menu of a node: its entries as actions whose data is the
  // command id (counted from ID_XREF_ITEM_FIRST); choosing one runs the
  // command on the node. Null node: no menu.
  QMenu* BuildContextMenu(XrefNode* node, QWidget* parent);
  // Pops up a node's menu (it becomes the selection) at a point of the
  // tree's viewport; nothing for no node.
  void PopupMenu(XrefNode* node, QPoint at);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The mouse on the tree's viewport: dragging dialog objects.
  bool DragEvent(QEvent* event);
  void EndDrag();

  struct DragState {
    QPersistentModelIndex item;  // pressed on a draggable item
    QPoint start;
    bool active = false;
  } drag_;
  XrefTree tree_;
  XrefItemModel* model_;
  QTreeView* view_;
  KeyRepeatGuard keys_;
  ShowHelp show_help_;
};
