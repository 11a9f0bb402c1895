// The base of the list views (the Variables view, the explorer's file view,
// the designer's property grid): a view whose layout step is deferred.
// Painting and resizing call ScheduleUpdate; the step runs once when the
// event loop comes round, however many requests came before it.
#pragma once

#include <functional>
#include <string>

#include <QColor>
#include <QRect>

#include "workbench/framework/fwtimers.h"
#include "workbench/framework/fwview.h"

class QPainter;

// The tree part of a row's first cell as the tree lists (the Variables
// view, the property grid) draw it: levels 13 pixels apart, the text 17
// pixels beyond its level (the box column, where a click expands or
// collapses), a 9-pixel box on rows with children, grey lines.
constexpr int ITEMLIST_LEVEL_INDENT = 13;
constexpr int ITEMLIST_BOX_MARGIN = 17;
constexpr int ITEMLIST_BOX_SIZE = 9;
constexpr QRgb ITEMLIST_TREE = 0x808080;  // tree lines, RGB(128,128,128)

struct ItemTreeRow {
  int depth = 0;  // 0 for a top-level row
  // Whether the row's ancestor at a level (0 outermost, below `depth`) has
  // later siblings: its line goes on past the row.
  std::function<bool(int level)> ancestor_goes_on;
  bool later_sibling = false;
  bool has_children = false;
  bool expanded = false;
};

// Paints the lines and the box of a row into its first cell less an inset
// of `inset` pixels on each side (the lines reach the cell's edges).
void ItemList_PaintTree(QPainter& painter, const QRect& cell, const ItemTreeRow& row, int inset);
// Where a row's text starts, from the (inset) cell's left.
inline int ItemList_TextLeft(int depth) { return ITEMLIST_LEVEL_INDENT * depth + ITEMLIST_BOX_MARGIN; }
// Whether a point `x` pixels right of the cell's left lies in the row's box
// column.
inline bool ItemList_OnBox(int x, int depth) { return x >= 0 && x < ItemList_TextLeft(depth); }

class CItemListView : public FwView {
 public:
  explicit CItemListView(FwDocument* doc, QWidget* parent = nullptr);
  ~CItemListView() override;

  // Restarts the one-shot update timer (0 ms); a pending one is killed first.
  void ScheduleUpdate();
  bool UpdatePending() const { return update_timer_ != 0; }

 protected:
  // The deferred layout step of a subclass.
  virtual void OnUpdateTimer() {}
  void timerEvent(QTimerEvent* event) override;

 private:
  // The timer id of the deferred update.
  static constexpr int kUpdateTimer = 1;

  FwTimers timers_{this};
  int update_timer_ = 0;  // 0 when no update is pending
};
