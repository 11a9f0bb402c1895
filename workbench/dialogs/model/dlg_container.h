// The dialog object that owns a chain of children: the dialog itself and
// every group-like object. Most operations act on the container and then on
// each child; the container also re-lays its children when it is resized
// (by their attachments) and checks a proposed resize against them.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "workbench/dialogs/model/dlg_obj.h"

class DlgContainer : public DlgObject {
 public:
  // Units start at 1 x 1.
  DlgContainer(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name);
  // Made from `src`; a container source gives its units.
  DlgContainer(const DlgObject& src, DlgAnchor* anchor, DlgObject* ref, int mode, const char* name);
  // Deletes every child first.
  ~DlgContainer() override;

  void SetAnchor(DlgAnchor* anchor) override;
  DlgObject* Clone(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name) const override;
  void InstantiateChildren(DlgAnchor* anchor, DlgObject* new_parent) override;
  DlgObject* GetHead() const override { return head_; }
  DlgObject* GetTail() const override { return tail_; }
  void SetHead(DlgObject* obj) override { head_ = obj; }
  void SetTail(DlgObject* obj) override { tail_ = obj; }
  int IsContainer() const override { return 1; }
  int32_t GetUnitX() const override { return unit_x_; }
  int32_t GetUnitY() const override { return unit_y_; }
  int SetUnit(int32_t x, int32_t y) override;
  void ApplyGeometryProps(int recurse) override;
  void DestroyCtrlWnd() override;
  void Draw(DlgPainter& painter, const DlgRect& canvas, const DlgRect& clip, bool paint) override;
  void DrawTracker(DlgDC* dc) override;
  DlgObject* FindByPath(const char* path) override;
  DlgObject* HitTest(const DlgRect& canvas, DlgPoint point) override;
  DlgObject* FindById(uint32_t id) override;
  DlgObject* FindDropTarget(const DlgRect& canvas, const DlgObject* moved, const DlgRect& rect) override;
  void SelectInRect(const DlgRect* rect) override;
  void Deselect() override;
  void DeleteSelectedChildren() override;
  int SyncSelection() override;
  void SyncTracker() override;
  int ApplyTrackerResize() override;
  void DeleteTemporaryChildren() override;
  void ListInXref() override;
  void SetFlag(int bit) override;
  void ClearFlag(int bit) override;

  // Resizes the container to a canvas rectangle and re-lays the children
  // by their attachments.
  void ResizeTo(const DlgRect& canvas);

  // What linking, unlinking and renaming tell the container, to keep its
  // index of children by name (FindByPath) in step with the chain.
  void ChildAppended(DlgObject* child);
  void ChildLeaving(DlgObject* child);
  void ChildrenChanged();
  // The first child (in chain order) whose whole name equals `name`, or null.
  DlgObject* FirstChildNamed(const char* name);

 private:
  // The children by name (folded unless names compare exactly), each name's
  // in chain order; built on the first look-up after a change other than
  // an append or an unlink.
  struct ChildNames {
    bool valid = false;
    bool exact = false;
    std::unordered_map<std::string, std::vector<DlgObject*>> by_name;
  };
  static std::string NameKey(const char* name, size_t len, bool exact);
  bool NamesExact() const;
  // The children named `name` (its first `len` bytes) in chain order, or null.
  const std::vector<DlgObject*>* ChildrenNamed(const char* name, size_t len);
  ChildNames names_;

  // Moves from the canvas rectangle `old` to `canvas` and re-lays the
  // children by the edge shifts.
  void RelayoutFrom(const DlgRect& old, const DlgRect& canvas);

  DlgObject* head_ = nullptr;
  DlgObject* tail_ = nullptr;
  int32_t unit_x_ = 1;
  int32_t unit_y_ = 1;
};

// The attachment re-layout of one child rectangle (relative to its
// container) for edge shifts dl, dt, dr, db (old edge minus new edge).
DlgRect DlgRelayoutChild(const DlgRect& child, uint32_t flags, int32_t dl, int32_t dt, int32_t dr, int32_t db);
