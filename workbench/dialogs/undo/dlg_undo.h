// Undo and redo of dialog edits. Every edit leaves a small record; the
// records of one gesture form an action, closed by an ACTION record that
// counts them. The root anchor of a dialog keeps two lists of records, the
// undo list and the redo list (DlgUndoAnchor). Undo takes the last action of
// the undo list, reverses its records from the last to the first and moves
// them, as one action again, to the redo list; redo does the opposite.
//
// The records also keep the document's modified flag exact: each record
// knows whether the document was modified in the state before its change
// (F_MODIFIED_BEFORE), and undoing back to the state last saved makes the
// document not modified again.
//
// Records are made only inside an open group of their list. Undo and redo
// replay through the ordinary editing operations while the root anchor is
// busy, so that those record nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_defcopy.h"
#include "workbench/dialogs/model/dlg_types.h"

class DlgUndoItem;

// One list of records.
class DlgUndoAnchor {
 public:
  enum : uint32_t { F_MODIFIED_BEFORE = 0x1, F_IN_ACTION = 0x2 };

  DlgUndoAnchor() = default;
  // Deletes every record.
  ~DlgUndoAnchor();
  DlgUndoAnchor(const DlgUndoAnchor&) = delete;
  DlgUndoAnchor& operator=(const DlgUndoAnchor&) = delete;

  // Sets the owning root anchor, once.
  void SetRoot(DlgRootAnchor* root_anchor);

  // Opens a group: 1, or 0 when one is open already (groups do not nest).
  int BeginAction();
  // Closes the group: 1 when it appended an ACTION record, 0 when no group
  // was open or nothing was recorded in it.
  int EndAction();
  // Deletes every record; the list is "modified before" afterwards.
  void Clear();
  // Moves a record from its list to the tail of this one.
  void Adopt(DlgUndoItem* item);
  // Takes the last record off the list (null when empty): the caller owns it.
  std::unique_ptr<DlgUndoItem> TakeTail();
  // The marking steps that keep the saved state known (see dlg_undo.cpp).
  void MarkAllModified();
  void MarkCleanAtTailGroup();
  void MarkCleanAfterTailGroup();
  bool Test(uint32_t flag) const { return (flags & flag) != 0; }

  DlgRootAnchor* root = nullptr;
  DlgUndoItem* head = nullptr;
  DlgUndoItem* tail = nullptr;
  int32_t count = 0;  // records appended since BeginAction
  uint32_t flags = F_MODIFIED_BEFORE;
};

// The base of every record. Constructing one appends it to its list.
class DlgUndoItem {
 public:
  enum : uint32_t { F_MODIFIED_BEFORE = 0x1, F_OBJECT_UNLINKED = 0x2, F_AFTER_SIBLING = 0x4 };

  explicit DlgUndoItem(DlgUndoAnchor* anch);
  // Unlinks the record from its list, if it is still on one.
  virtual ~DlgUndoItem();
  DlgUndoItem(const DlgUndoItem&) = delete;
  DlgUndoItem& operator=(const DlgUndoItem&) = delete;

  virtual void UndoAction();
  virtual void RedoAction();
  // Writes the record's trace line ('U', level 2) with the prefix.
  virtual void Log(const char* prefix) = 0;
  virtual int IsAction() const { return 0; }

  bool Test(uint32_t flag) const { return (flags & flag) != 0; }

  DlgUndoItem* prev = nullptr;
  DlgUndoItem* next = nullptr;
  uint32_t flags = 0;
  DlgUndoAnchor* anchor = nullptr;

 protected:
  // The kind's own step in either direction.
  virtual void Step(bool undo) = 0;
  // The record has been undone (redone): fixes the modified flag and moves
  // the record to the other list.
  void FinishUndo();
  void FinishRedo();
  DlgDocument* Doc() const;
};

class DlgUndoItem_ACTION : public DlgUndoItem {
 public:
  explicit DlgUndoItem_ACTION(DlgUndoAnchor* anch) : DlgUndoItem(anch), root_(anch->root) {}
  // Replays the group this record closes; the record must have been taken
  // off its list first (DlgUndoAnchor::TakeTail).
  void UndoAction() override;
  void RedoAction() override;
  void Log(const char* prefix) override;
  int IsAction() const override { return 1; }
  int32_t count = 0;

 protected:
  void Step(bool) override {}

 private:
  DlgRootAnchor* root_;
};

// A whole dialog added or removed. The step toggles: it removes the anchor
// (closing its views) or makes a new empty one with the same id.
class DlgUndoItem_ANCHOR : public DlgUndoItem {
 public:
  DlgUndoItem_ANCHOR(DlgUndoAnchor* anch, DlgAnchor* dlg_anchor, int linked);
  void Log(const char* prefix) override;
  uint32_t id;
  uint32_t prev_id;

 protected:
  void Step(bool undo) override;
};

// An object inserted or deleted. The step toggles between the object in the
// tree and the object held (and owned) by the record.
class DlgUndoItem_OBJECT : public DlgUndoItem {
 public:
  // With `linked` 0 the object is taken out of the tree at once.
  DlgUndoItem_OBJECT(DlgUndoAnchor* anch, DlgObject* object, int linked);
  // Deletes an object that the record holds.
  ~DlgUndoItem_OBJECT() override;
  void Log(const char* prefix) override;
  DlgObject* obj;
  DlgObject* place = nullptr;  // preceding sibling (F_AFTER_SIBLING) or parent
  uint32_t anchor_id = 0;

 protected:
  void Step(bool undo) override;

 private:
  void UnlinkObject();
  void LinkObject();
};

class DlgUndoItem_PROP : public DlgUndoItem {
 public:
  DlgUndoItem_PROP(DlgUndoAnchor* anch, DlgObject* object, const prop_def* def, const prop_val* old_value,
                   int32_t old_handle, const prop_val* new_value, int32_t new_handle);
  ~DlgUndoItem_PROP() override;
  void Log(const char* prefix) override;
  DlgObject* obj;
  DlgDefCopy def;
  prop_val* old_val = nullptr;  // null: none
  prop_val* new_val = nullptr;
  int32_t old_chdl;
  int32_t new_chdl;

 protected:
  void Step(bool undo) override;
};

class DlgUndoItem_ORDER : public DlgUndoItem {
 public:
  DlgUndoItem_ORDER(DlgUndoAnchor* anch, DlgObject* object, DlgObject* old_parent, DlgObject* old_sibling,
                    DlgObject* new_parent, DlgObject* new_sibling);
  void Log(const char* prefix) override;
  DlgObject* obj;
  DlgObject* undo_parent;
  DlgObject* undo_after;
  DlgObject* redo_parent;
  DlgObject* redo_after;

 protected:
  void Step(bool undo) override;
};

class DlgUndoItem_COORD : public DlgUndoItem {
 public:
  DlgUndoItem_COORD(DlgUndoAnchor* anch, DlgObject* object, int idx, int32_t old_value, int32_t new_value);
  void Log(const char* prefix) override;
  DlgObject* obj;
  int coord_idx;
  int32_t old_val;
  int32_t new_val;

 protected:
  void Step(bool undo) override;
};

class DlgUndoItem_MOVE : public DlgUndoItem {
 public:
  DlgUndoItem_MOVE(DlgUndoAnchor* anch, DlgObject* object, DlgObject* old_parent, DlgObject* old_sibling,
                   DlgObject* new_parent, DlgObject* new_sibling, const DlgRect& old_rect, const DlgRect& new_rect);
  void Log(const char* prefix) override;
  DlgObject* obj;
  DlgObject* undo_parent;
  DlgObject* undo_after;
  DlgObject* redo_parent;
  DlgObject* redo_after;
  DlgRect old_rc;
  DlgRect new_rc;

 protected:
  void Step(bool undo) override;
};

class DlgUndoItem_RESIZE : public DlgUndoItem {
 public:
  DlgUndoItem_RESIZE(DlgUndoAnchor* anch, DlgObject* object, const DlgRect& old_rect, const DlgRect& new_rect);
  void Log(const char* prefix) override;
  DlgObject* obj;
  DlgRect old_rc;
  DlgRect new_rc;

 protected:
  void Step(bool undo) override;
};
