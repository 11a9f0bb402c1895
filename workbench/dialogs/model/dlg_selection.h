// The selection of one object: the tracker the designer draws around it.
// The dialog model only hands calls down to it; the editing layer makes the
// real one (through the factory below). The basic selection keeps the
// rectangle and nothing else.
#pragma once

#include <cstdint>

#include "workbench/dialogs/model/dlg_types.h"

// A device context of the painting layer, opaque to the model.
struct DlgDC;

// Tracker styles (as the framework's rectangle tracker numbers them).
enum : uint32_t {
  DLG_TRK_HATCHED_BORDER = 4,
  DLG_TRK_RESIZE_OUTSIDE = 16,
  DLG_TRK_PRIMARY = DLG_TRK_HATCHED_BORDER | DLG_TRK_RESIZE_OUTSIDE,  // 20
};

// Tracker flags.
enum : uint32_t { DLG_TRK_DRAWING = 0x1, DLG_TRK_IMAGE_SHOWN = 0x2 };

// Drag flags of a selection.
enum : uint32_t { DLG_DRAG_MOVED = 0x4 };

// Resize handles, numbered as the framework's tracker numbers them.
enum : int {
  DLG_HANDLE_TOP_LEFT = 0,
  DLG_HANDLE_TOP_RIGHT = 1,
  DLG_HANDLE_BOTTOM_RIGHT = 2,
  DLG_HANDLE_BOTTOM_LEFT = 3,
  DLG_HANDLE_TOP = 4,
  DLG_HANDLE_RIGHT = 5,
  DLG_HANDLE_BOTTOM = 6,
  DLG_HANDLE_LEFT = 7
};

class DlgSelection {
 public:
  // Links the selection into the object's anchor as its primary (newest)
  // selection, demotes the previous primary, sets the object's tracker and
  // takes the object's canvas rectangle, parent rectangle and grids.
  explicit DlgSelection(DlgObject* obj);
  // Unlinks from the anchor and clears the object's tracker; the next
  // selection becomes the primary one.
  virtual ~DlgSelection();
  DlgSelection(const DlgSelection&) = delete;
  DlgSelection& operator=(const DlgSelection&) = delete;

  DlgObject* Object() const { return obj_; }
  const DlgRect& Rect() const { return rect_; }
  void SetRect(const DlgRect& r) { rect_ = r; }
  uint32_t Marks() const { return marks_; }
  void SetMarks(uint32_t marks) { marks_ = marks; }

  // Tracker state: style, the parent's canvas rectangle (empty for a root),
  // the parent's grid and the object's own unit.
  uint32_t Style() const { return style_; }
  void SetStyle(uint32_t style);
  const DlgRect& ParentRect() const { return parent_rect_; }
  DlgPoint Grid() const { return grid_; }
  DlgPoint Unit() const { return unit_; }
  uint32_t TrackerFlags() const { return tracker_flags_; }
  void SetTrackerFlags(uint32_t flags) { tracker_flags_ = flags; }
  // Takes the parent rectangle and grids of `parent` (null: a root).
  void TakeParent(DlgObject* parent);

  // Takes the object's changed canvas rectangle.
  virtual void SyncFromObject();
  // Sets the object's rectangle to the tracker's (without recording) and
  // takes back what the object made of it.
  void ApplyToObject();
  // Shows the change from `from` to `to` and lets the object take it.
  void Replay(const DlgRect& from, const DlgRect& to);
  // The end of a handle drag from `old_rect` to `new_rect` (the tracking
  // itself is the window's): recorded as one RESIZE action when undo can
  // record, then replayed onto the object. 1.
  int FinishResize(const DlgRect& old_rect, const DlgRect& new_rect);
  // Bit n shows handle n.
  int GetHandleMask() const;
  // The adjustment of a handle drag's rectangle: inside the parent, on the
  // parent's grid and the own unit, then the object's own check.
  void AdjustRect(int handle, DlgRect* r) const;

  // Drags: the snapshot starts a drag at the tracker rectangle; a step
  // moves it by an offset and answers the offset of the snapped rectangle
  // from the tracker rectangle (0,0 when it would not move).
  void SetDragSnapshot();
  DlgPoint DragStep(int32_t dx, int32_t dy);
  const DlgRect& DragRect() const { return drag_rect_; }
  const DlgRect& SnappedRect() const { return snapped_rect_; }
  uint32_t DragFlags() const { return drag_flags_; }

  // The tracker has resized the object: true with the new canvas rectangle
  // (once per resize).
  virtual bool TakeResize(DlgRect* canvas);
  // Leaves a resize for the next TakeResize (what a handle drag ends with).
  void SetResize(const DlgRect& canvas) {
    resize_ = canvas;
    resize_pending_ = true;
  }
  // Moves the tracker by an origin change.
  virtual void MoveBy(int32_t dx, int32_t dy) { rect_ = rect_.Offset(dx, dy); }
  // The tracker's rectangle with its handles.
  virtual DlgRect HandleRect() const { return rect_; }
  // Marks the tracker's border for repainting (the painting layer's).
  virtual void Invalidate() {}

  // Draws the tracker.
  virtual void Draw(DlgDC*) {}

  DlgSelection* prev = nullptr;
  DlgSelection* next = nullptr;

 protected:
  DlgObject* obj_;
  DlgObject* parent_ = nullptr;  // the parent at the last check
  DlgRect rect_;
  uint32_t marks_ = 0;
  uint32_t style_ = DLG_TRK_PRIMARY;
  DlgRect parent_rect_;
  DlgPoint grid_{1, 1};
  DlgPoint unit_{1, 1};
  uint32_t tracker_flags_ = 0;
  DlgRect drag_rect_;
  DlgRect snapped_rect_;
  uint32_t drag_flags_ = 0;
  DlgRect resize_;
  bool resize_pending_ = false;
};

// Makes the selection of an object; the editing layer installs its own.
using DlgSelectionFactory = DlgSelection* (*)(DlgObject* obj);
// Installs a factory (null restores the basic selection); returns the previous.
DlgSelectionFactory DlgSelection_SetFactory(DlgSelectionFactory factory);
DlgSelection* DlgSelection_Make(DlgObject* obj);
