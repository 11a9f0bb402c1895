// The selection of one object: the tracker the designer draws around it.
// The dialog model only hands calls down to it; the editing layer makes the
// real one (through the factory below). The basic selection keeps the
// rectangle and nothing else.
#pragma once

#include <cstdint>

#include "workbench/dialogs/model/dlg_types.h"

// A device context of the painting layer, opaque to the model.
struct DlgDC;
// What a tracker operation hands back (filled by the editing layer).
struct DlgTrackerResult;

class DlgSelection {
 public:
  // Links the selection into the object's anchor (newest first) and sets
  // the object's tracker.
  explicit DlgSelection(DlgObject* obj);
  // Unlinks from the anchor and clears the object's tracker.
  virtual ~DlgSelection();
  DlgSelection(const DlgSelection&) = delete;
  DlgSelection& operator=(const DlgSelection&) = delete;

  DlgObject* Object() const { return obj_; }
  const DlgRect& Rect() const { return rect_; }
  void SetRect(const DlgRect& r) { rect_ = r; }
  uint32_t Marks() const { return marks_; }
  void SetMarks(uint32_t marks) { marks_ = marks; }

  // Takes the object's changed canvas rectangle.
  virtual void SyncFromObject();
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

  // Draws the tracker.
  virtual void Draw(DlgDC*) {}

  // The tracker operations, by their position in the object's operation
  // list (28 to 36). 29, 30 and 32 return 1 when they took the call.
  virtual void Op28(DlgDC*) {}
  virtual int Op29(DlgDC*) { return 1; }
  virtual int Op30(DlgDC*) { return 1; }
  virtual void Op31(DlgDC*, DlgTrackerResult*) {}
  virtual int Op32(DlgDC*, void*, DlgTrackerResult*) { return 1; }
  virtual void Op33(DlgDC*) {}
  virtual void Op34(DlgDC*) {}
  virtual void Op35(DlgDC*) {}
  virtual void Op36() {}

  DlgSelection* prev = nullptr;
  DlgSelection* next = nullptr;

 protected:
  DlgObject* obj_;
  DlgRect rect_;
  uint32_t marks_ = 0;
  DlgRect resize_;
  bool resize_pending_ = false;
};

// Makes the selection of an object; the editing layer installs its own.
using DlgSelectionFactory = DlgSelection* (*)(DlgObject* obj);
// Installs a factory (null restores the basic selection); returns the previous.
DlgSelectionFactory DlgSelection_SetFactory(DlgSelectionFactory factory);
DlgSelection* DlgSelection_Make(DlgObject* obj);
