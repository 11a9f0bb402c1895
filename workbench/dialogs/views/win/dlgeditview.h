// The designer canvas window: draws one dialog (one anchor) of a dialog
// document on white with its caption bar, and turns the mouse, keys, drops
// and commands into the editing operations of DlgEditCanvas. A press on a
// handle of the primary selection resizes it (Esc cancels); a press on a
// selected object arms a drag that starts after more than 2 pixels and
// moves the selection as two offscreen layers (the dialog without the
// selection, and the selection) without drawing the objects again; a press
// elsewhere tracks a rubber band. The dialog area, the scroll ranges and
// the origin are computed in 64 bits and clamped.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include <QMenu>
#include <QPixmap>
#include <QPointer>

#include "workbench/dialogs/views/dlg_editcanvas.h"
#include "workbench/framework/fwview.h"

class CDlgEditDoc;
class CDlgDocWin;
class DlgWinNotify;
class DlgTracker;
class QScrollBar;

// What the canvas is doing with the mouse.
enum class DlgMouseMode { None, Drag, Band, Resize };

class CDlgEditView : public FwHandlers<CDlgEditView, FwView> {
 public:
  // Shows the pending anchor of CDlgDocWin (or a new empty one).
  CDlgEditView(FwDocument* doc, QWidget* parent);
  ~CDlgEditView() override;

  static std::span<const FwCmdEntry<CDlgEditView>> Handlers();

  DlgEditCanvas* Canvas() const;
  DlgAnchor* Anchor() const;
  CDlgEditDoc* Model() const;
  CDlgDocWin* DocWin() const;
  // The notifier of the designer that made the document (null: none).
  DlgWinNotify* Notifier() const;
  // The view forgets its anchor (its frame is closing for good).
  void Detach();
  // The frame closed: the editing operations leave the document now.
  void OnLeaveDocument() override;
  // First display: the frame takes the size that shows the whole dialog
  // area (within the main frame's MDI area), without moving.
  void OnInitialUpdate() override;

  // Metrics: the edge, the dialog's frame border (three edges) and the
  // caption bar's height.
  static int Edge();
  static int CaptionHeight();
  // The rectangle the canvas paints in (the client area less the scroll
  // bars shown).
  QRect CanvasRect() const;
  // The dialog area's size: the root with its caption and frame (empty
  // without a root), clamped to what the window layer can scroll.
  QSize DialogArea() const;
  // Recomputes the scroll bars and the origin.
  void RecalcLayout();
  DlgMouseMode MouseMode() const { return mode_; }
  QScrollBar* HorizontalBar() const { return hbar_; }
  QScrollBar* VerticalBar() const { return vbar_; }
  // The object under a canvas point as a click would take it.
  DlgObject* ObjectAt(QPoint p, unsigned keys) const;
  // The window's menu at a point (the context menu; its entries route
  // like the menu's).
  void ShowContextMenu(QPoint at);
  // The context menu while it is open (tests), else null.
  QMenu* OpenMenu() const { return menu_; }
  // The drag layers are alive (a drag is being shown).
  bool DragLayersShown() const { return !drag_bg_.isNull(); }
  QSize DragLayersSize() const { return drag_bg_.size().expandedTo(drag_layer_.size()); }

  // Commands.
  void OnWindowNew(int);
  void OnFileSave(int id);
  void OnUpdateFileSave(FwCmdUI& ui);
  void OnEditClear(int);
  void OnUpdateEditClear(FwCmdUI& ui);
  void OnSelectAll(int);
  void OnUpdateSelectAll(FwCmdUI& ui);
  void OnDeselectAll(int);
  void OnUpdateSelection(FwCmdUI& ui);
  void OnToggleVisible(int);
  void OnUpdateToggleVisible(FwCmdUI& ui);
  void OnEditProperties(int);
  void OnPalette(int);
  void OnFileProperties(int);
  void OnUndo(int);
  void OnUpdateUndo(FwCmdUI& ui);
  void OnRedo(int);
  void OnUpdateRedo(FwCmdUI& ui);
  void OnUpdateCoord(FwCmdUI& ui);
  void OnAlways(FwCmdUI& ui) { ui.Enable(true); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;

 private:
  class ViewCanvas;
  friend class ViewCanvas;

  void Press(QMouseEvent* event, bool dbl);
  void PaintDialog(QPainter& p, const QRect& clip, bool with_selection);
  void BeginDragLayers();
  void EndDragLayers();
  void CancelResize();
  void Scrolled();
  void UpdateCursor(QPoint at);
  DlgTracker* PrimaryTracker() const;
  bool ReadOnly() const;
  // The primary object as the grid and the status bar show it.
  void ShowPrimary();

  std::unique_ptr<ViewCanvas> canvas_;
  QScrollBar* hbar_ = nullptr;
  QScrollBar* vbar_ = nullptr;
  DlgMouseMode mode_ = DlgMouseMode::None;
  unsigned press_keys_ = 0;
  bool press_dbl_ = false;
  // Rubber band.
  QPoint band_start_;
  QRect band_;
  // Resize.
  int handle_ = -1;
  DlgRect resize_start_;
  DlgRect resize_rect_;
  QPoint resize_press_;
  // Drag layers: the dialog without the selection, and the selection on a
  // transparent layer with its offset on the canvas.
  QPixmap drag_bg_;
  QPixmap drag_layer_;
  QPoint drag_layer_at_;
  QPointer<QMenu> menu_;
  bool layout_busy_ = false;
};
