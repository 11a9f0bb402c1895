// The anchor binds the root object of one dialog to the designer view that
// shows it, to the canvas origin it is drawn at, to the selections of its
// objects and to the update hint. Most of its operations hand the call to
// the root object, whose containers pass it down the tree. The control
// windows are the windowed layer's; here the anchor only knows the view.
#pragma once

#include <cstdint>

#include "workbench/dialogs/model/dlg_types.h"

// Option bits of an anchor.
enum : uint32_t {
  DLG_ANCHOR_REMOVE = 0x1,          // goes away when its last frame closes
  DLG_ANCHOR_TRACKERS_DIRTY = 0x2,  // cleared when the trackers are painted
  DLG_ANCHOR_SELECTED_ONLY = 0x4,   // paint children only under a selection
  DLG_ANCHOR_PAINTING = 0x8,
};

// Mark bits of a selection for MarkOverlaps.
enum : uint32_t { DLG_SEL_OVERLAP = 0x1, DLG_SEL_OVERLAP_BEFORE = 0x2, DLG_SEL_TEST = 0x4 };

class DlgAnchor {
 public:
  // Appends to the root anchor's list with a new id.
  explicit DlgAnchor(DlgRootAnchor* root);
  // Another anchor of the same dialog, with the options of `other`.
  DlgAnchor(const DlgAnchor& other);
  // An anchor with a given id, after the anchor `after_id` (0: at the head).
  DlgAnchor(DlgRootAnchor* root, uint32_t new_id, uint32_t after_id);
  // Clears the selection, deletes the root object, unlinks.
  ~DlgAnchor();
  DlgAnchor& operator=(const DlgAnchor&) = delete;

  uint32_t Id() const { return id_; }
  DlgRootAnchor* Root() const { return root_; }
  DlgObject* RootObject() const { return root_obj_; }
  void SetRootObject(DlgObject* obj) { root_obj_ = obj; }

  DlgView* View() const { return view_; }
  // 0 for the view it has; else takes it and 1 (a null view is fatal).
  int SetView(DlgView* view);
  // The view closed: another view of the document that shows this anchor
  // takes its place, or none.
  void ViewClosed(DlgView* view);

  const DlgPoint* Context() const { return context_; }
  // Returns the previous origin.
  const DlgPoint* SetContext(const DlgPoint* origin);
  // Takes a new origin (one must be set) and sends the collected hint to
  // the views of the document; then resets the hint.
  void ChangeContext(const DlgPoint* origin);
  void AddUpdateRect(const DlgRect& r);
  DlgViewUpdate& UpdateHint() { return hint_; }
  void EnableHint(bool on) { hint_enabled_ = on; }
  // Moves every tracker by the change of the origin.
  void SetOrigin(DlgPoint origin);

  // Hand-downs to the root object; null or 0 without one.
  DlgObject* HitTest(DlgPoint point);
  DlgObject* FindByPath(const char* path);
  DlgObject* FindDropTarget(const DlgObject* moved, const DlgRect& rect);
  void SelectInRect(const DlgRect* rect);
  // Delete the temporary (selected) objects; 1 when the root object itself
  // went. The anchor deletes its root object, each container its children.
  int DeleteTemporary();
  int DeleteSelected();

  // Selections.
  void ClearSelection();
  void ClearSelectionExcept(DlgSelection* keep);
  int GetSelectionBounds(DlgRect* out) const;
  DlgSelection* TrackerAt(DlgView* view, DlgPoint point) const;
  void RefreshTrackers();
  void ShowSelected(bool show);
  void MarkOverlaps();
  // The root's SyncSelection, then every tracker refreshed.
  void ResyncSelections();

  uint32_t Options() const { return options_; }
  void SetOptions(uint32_t options) { options_ = options; }
  uint32_t FrameCount() const { return frame_count_; }
  void SetFrameCount(uint32_t n) { frame_count_ = n; }

  DlgAnchor* prev = nullptr;
  DlgAnchor* next = nullptr;
  DlgSelection* sel_head = nullptr;  // newest first
  DlgSelection* sel_tail = nullptr;

 private:
  uint32_t id_;
  DlgRootAnchor* root_;
  DlgObject* root_obj_ = nullptr;
  DlgPoint origin_;
  DlgView* view_ = nullptr;
  const DlgPoint* context_ = nullptr;
  DlgViewUpdate hint_;
  bool hint_enabled_ = true;
  uint32_t options_ = 0;
  uint32_t frame_count_ = 0;
};
