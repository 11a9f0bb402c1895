// The Variables window's view: paints the rows of its VariableRowList as a
// three-column list ("Name" with the tree, "Type", "Value") and turns
// clicks and keys into the list's calls. A click on a row's expand box area
// toggles it, a double click elsewhere or Enter edits a scalar's value in
// place, Space toggles a container; a held Enter or Space acts once.
//
// The rows outlive the view: the view takes them from the saved chain when
// it opens and gives them back when it closes.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>

#include <memory>

#include "workbench/debugger/itemlistview.h"
#include "workbench/debugger/variables/variablerows.h"
#include "workbench/shell/controls/keyrepeatguard.h"

class QHeaderView;
class QMenu;
class QToolButton;
class QStandardItemModel;

// Colours of the rows.
constexpr QRgb VARVIEW_GRID = 0xC0C0C0;         // cell borders, RGB(192,192,192)
constexpr QRgb VARVIEW_TREE = 0x808080;         // tree lines, RGB(128,128,128)
constexpr QRgb VARVIEW_CHANGED = 0xFF0000;      // a changed value, RGB(255,0,0)
constexpr QRgb VARVIEW_CHANGED_SEL = 0x008080;  // the same on a selected row, RGB(0,128,128)
constexpr int VARVIEW_BOX_SIZE = 9;             // the expand box, 9 by 9

class CVariableView : public CItemListView, public VariableListHost {
 public:
  // `saved` holds the rows while no view shows them.
  CVariableView(FwDocument* doc, VariableTarget& target, VariableChain& saved, QWidget* parent = nullptr);
  ~CVariableView() override;
  void OnLeaveDocument() override;

  VariableRowList& Rows() { return rows_; }
  // The refresh of the Refresh command: the rows go first; without a
  // stopped session a beep.
  bool RefreshAll();

  // Geometry, in the coordinates of the rows' widget (RowsWidget()).
  int RowHeight() const { return row_height_; }
  QRect RowRect(int row) const;
  // The left edge of the box column of a depth.
  static int BoxLeft(int depth) { return VARVIEW_LEVEL_INDENT * depth + 2; }
  QWidget* RowsWidget() const;
  QToolButton* RefreshButton() const { return refresh_; }
  int RowAt(int y) const;

  void BeginEdit(int row);
  // Takes the in-place edit's text (after it signalled Enter).
  void EndEdit();
  void CancelEdit() { rows_.CancelEdit(); }

  // VariableListHost.
  int MeasureText(const std::string& text) override;
  void RowsChanged() override;
  void RedrawRow(int row) override;
  void EnsureVisible(int row) override;
  void DestroyEditControl() override;
  void ValueWidthChanged(int width) override;

  // The canvas's events, handled here.
  void PaintRows(QPainter& painter, const QRect& exposed);
  void ClickAt(const QPoint& pos, bool double_click);
  bool HandleKey(QKeyEvent* event);

  // The context menu of a row (-1: none): "&Edit" for a scalar, "&Expand"
  // or "Collaps&e" for a container. Its actions act on that row.
  std::unique_ptr<QMenu> ContextMenu(int row);
  // Opens it at a point of the rows' widget and runs the chosen action.
  void OpenContextMenu(int row, const QPoint& pos);
  // Shift+F10 and the menu key: at the centre of the selected row's name,
  // or 5 pixels inside the top-left corner when no row is selected.
  void OpenContextMenuByKey();

 protected:
  void OnUpdateTimer() override;
  void customEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class Canvas;
  void UpdateScrollRanges();
  void PaintNameCell(QPainter& painter, const QRect& cell, Variable* var, bool selected);
  bool OnBoxArea(int row, int x) const;

  VariableChain& saved_;
  VariableRowList rows_;
  QStandardItemModel* header_model_;
  QHeaderView* header_;
  Canvas* canvas_;
  QToolButton* refresh_;
  KeyRepeatGuard keys_;
  int row_height_ = 16;
  int avg_char_width_ = 7;
  bool rows_saved_ = false;    // the frame closed: the rows went to the saved chain
  bool edit_pending_ = false;  // Enter in the edit control, taken when the control's handler returned
};
