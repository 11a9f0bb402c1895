// The property grid: the properties of one dialog object as an indented
// two-column list ("Property", "Value") in a docking window that follows
// the designer. Rows are the items of DlgPropRows, drawn with the tree
// lines of the list views; a value is edited in place with the
// environment's in-place edit field or combo box (named constants) and
// committed by Enter through the in-place message; Delete restores a default; groups
// expand and collapse by their box, Space or the context menu; Enter on an
// unbounded array asks for a new member. Values inherited from a template
// or a default are drawn on light grey.
#pragma once

#include <span>

#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>

#include "workbench/debugger/itemlistview.h"
#include "workbench/dialogs/views/dlg_proprows.h"

class CDlgEditDoc;

class CDlgPropView : public FwHandlers<CDlgPropView, CItemListView> {
 public:
  explicit CDlgPropView(QWidget* parent = nullptr);
  ~CDlgPropView() override;

  static std::span<const FwCmdEntry<CDlgPropView>> Handlers();

  // Opens the grid's docking window through the application's registry of
  // windows; the grid (null without an application).
  static CDlgPropView* Open();
  // The grid while its window is open, else null.
  static CDlgPropView* Find();
  QDockWidget* Dock() const;
  static constexpr int kWidth = 476;
  static constexpr int kPropertyColumn = 160;

  // Shows the object (nothing when it is shown already).
  void SetObject(CDlgEditDoc* doc, DlgObject* obj);
  // Repaints the values.
  void Refresh();
  // The object's property is made visible and, with `select`, selected.
  void ShowProperty(DlgObject* obj, const prop_def* def, bool select);
  // The object goes: the window closes when it shows it.
  void ObjectRemoved(DlgObject* obj);
  void ForgetDocument(CDlgEditDoc* doc);
  DlgPropRows& Rows() { return rows_; }
  DlgObject* Object() const { return rows_.Object(); }
  int SelectedRow() const { return selected_; }
  void SelectRow(int row);
  // The window's title: the object's path and " Properties", or "Dialog
  // Object Properties".
  QString Title() const;

  // Geometry of rows (tests drive the grid through them).
  int RowHeight() const { return row_height_; }
  QRect RowRect(int row) const;
  QRect ValueRect(int row) const;
  int RowAt(int y) const;
  // The live in-place editors (null when none).
  QLineEdit* EditBox() const { return edit_.data(); }
  QComboBox* ComboBox() const { return combo_.data(); }
  QMenu* OpenMenu() const { return menu_.data(); }

  // Editing.
  void BeginEdit(int row);
  void EndEdit();
  void ShowContextMenu(QPoint at);

  // Commands.
  void OnSave(int id);
  void OnUpdateSave(FwCmdUI& ui);
  // Save As and File Properties of the shown document: enabled while one
  // is shown.
  void OnUpdateFileCommand(FwCmdUI& ui);
  void OnUndo(int id);
  void OnUpdateUndo(FwCmdUI& ui);
  void OnFileProperties(int);
  void OnUpdateShown(FwCmdUI& ui);
  void OnPalette(int);
  void OnEdit(int);
  void OnUpdateEdit(FwCmdUI& ui);
  void OnRestore(int);
  void OnExpand(int);
  void OnUpdateExpand(FwCmdUI& ui);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void customEvent(QEvent* event) override;
  bool event(QEvent* event) override;
  void OnUpdateTimer() override;

 private:
  void Commit();
  void Retitle();
  bool OnGlyph(int row, int x) const;
  void RestoreRow(int row);
  void NewArrayMember(DlgPropContainer* group);
  void MeasureValues();

  DlgPropRows rows_;
  int selected_ = -1;
  int row_height_ = 0;
  int char_width_ = 0;
  int widest_ = 0;
  int held_key_ = 0;
  int context_row_ = -1;
  QPointer<QLineEdit> edit_;
  QPointer<QComboBox> combo_;
  QPointer<QMenu> menu_;
};

// The grid's docking window (the kind the registry of windows opens).
class CDlgPropFrame : public QDockWidget {
 public:
  explicit CDlgPropFrame(QWidget* parent = nullptr);
  CDlgPropView* View() const { return view_; }
  // Whether the bar has its place: the main frame's kept bar layout gave
  // it one, or it took its first width.
  bool Placed() const { return placed_; }
  void SetPlaced() { placed_ = true; }

 private:
  CDlgPropView* view_;
  bool placed_ = false;
};
