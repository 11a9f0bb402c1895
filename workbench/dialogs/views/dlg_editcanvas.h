// The editing operations of a designer view, without windows: what the
// canvas window turns its mouse, keyboard, drop and command events into.
// One canvas shows one anchor (one dialog) of a dialog document and is one
// of the document's views; the window around it draws, scrolls and tracks
// the mouse, and hands the results here.
//
// Every operation that touches the anchor runs with the canvas's drawing
// context (its origin). Status texts and errors go through the document
// (and so through its notifier), questions through the shell's sink.
#pragma once

#include <cstdint>

#include "workbench/dialogs/model/dlg_types.h"
#include "workbench/dialogs/model/dlg_view.h"

class CDlgEditDoc;

// Modifier keys of a mouse event.
enum : unsigned { DLG_KEY_SHIFT = 0x1, DLG_KEY_CTRL = 0x2, DLG_KEY_ALT = 0x4 };

class DlgEditCanvas : public DlgView {
 public:
  // Shows `anchor` of `doc` (null anchor is fatal) and registers with both.
  DlgEditCanvas(CDlgEditDoc* doc, DlgAnchor* anchor);
  ~DlgEditCanvas() override;
  DlgEditCanvas(const DlgEditCanvas&) = delete;
  DlgEditCanvas& operator=(const DlgEditCanvas&) = delete;

  // DlgView.
  DlgDocument* Document() override;
  DlgAnchor* Anchor() override { return m_pAnchor; }
  const DlgPoint* Origin() override { return &origin_; }
  void SelectObject(DlgObject* obj) override;
  void SetCoord(int32_t value, int coord_idx) override;
  void Close() override;

  // Where the root object's 0,0 lies on the canvas.
  void SetOrigin(DlgPoint origin);
  bool Closed() const { return m_pAnchor == nullptr; }
  // The primary (newest) selected object, or null.
  DlgObject* Primary() const;

  // Commands.
  int CanDeleteSelection() const;
  void DeleteSelection();
  void SelectAll();
  void DeselectAll();
  void ToggleVisibility();
  void Undo();
  void Redo();
  // Asks whether the whole dialog may go; 1 for Yes.
  int ConfirmDeleteDialog();

  // The cross-reference window's entry points.
  void DeleteObject(DlgObject* pObj);
  void ToggleHidden(DlgObject* obj);
  void ReorderObject(DlgObject* pObj, DlgObject* parent, DlgObject* insert_after);

  // Mouse: a click selection of an object, a rubber band (a band of 1 pixel
  // or less in either direction is a click at its start), and the press,
  // moves and release of a drag of the selection.
  void ClickSelect(DlgObject* obj, unsigned keys, bool dbl);
  void BandSelect(const DlgRect& band, unsigned keys);
  // 1 when the press armed a drag of the selection; else the caller tracks
  // a band.
  int Press(DlgPoint point, unsigned keys, bool dbl);
  void MouseMove(DlgPoint point);
  // A release without a drag is a click selection with the keys held then.
  void Release(DlgPoint point, unsigned keys = 0);
  // The object under a point (with Alt its parent).
  DlgObject* ObjectAt(DlgPoint point, unsigned keys);

  // Drops of a palette template: the container that takes it at the point
  // (null: refused), and the insert itself; 1 when an object was made.
  DlgObject* DropTarget(DlgObject* pTmplObj, DlgPoint point, unsigned keys);
  int Drop(DlgObject* pTmplObj, DlgPoint point, unsigned keys);
  // Makes an object from the template at the point in the container (null:
  // a new dialog); the new object, or null.
  DlgObject* InsertFromTemplate(DlgObject* pTmplObj, DlgPoint point, DlgObject* container);

  // The last double click without Ctrl asked for the property window.
  bool PropertiesRequested() const { return properties_requested_; }

 private:
  void CommitDrag();
  void CancelDrag();

  CDlgEditDoc* doc_;
  DlgAnchor* m_pAnchor;
  DlgPoint origin_{0, 0};
  // Drag state.
  DlgObject* drag_obj_ = nullptr;
  DlgPoint last_{0, 0};
  DlgPoint start_{0, 0};
  DlgRect drag_bounds_;
  bool drag_dbl_ = false;
  bool drag_started_ = false;
  bool captured_ = false;
  bool properties_requested_ = false;
};
