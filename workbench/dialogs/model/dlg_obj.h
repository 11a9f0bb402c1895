// One node of a dialog's object tree. The dialog itself is the root object;
// every control and group below it is a child. A plain object has no
// children; DlgContainer (dlg_container.h) holds a chain of them.
//
// Geometry: `rect` is in pixels relative to the parent's top-left corner.
// Positions count in the parent's units when flag bit 27 is set, sizes when
// bit 28 is; a root takes its position unit from the root anchor's default
// units and its size unit from itself.
//
// Broken invariants are fatal checks (SYS_ASSERT).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_prop.h"
#include "workbench/dialogs/model/dlg_selection.h"
#include "workbench/dialogs/model/dlg_types.h"

// Link modes of Link.
enum : int { DLG_LINK_FIRST_CHILD = 0, DLG_LINK_LAST_CHILD = 1, DLG_LINK_BEFORE = 2, DLG_LINK_AFTER = 3 };

// What Draw hands to the painting layer.
class DlgPainter {
 public:
  virtual ~DlgPainter() = default;
  // Paints one object at its canvas rectangle; `paint` is the draw switch.
  virtual void DrawObject(DlgObject* obj, const DlgRect& canvas, const DlgRect& clip, bool paint) = 0;
};

class DlgObject {
 public:
  // A new object linked to `ref` by `mode`; a null name is fatal.
  DlgObject(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name);
  // A new object made from `src` (its template object, class record, styles,
  // font, window class, text, flags and geometry in units), linked to `ref`
  // by `mode`, named `name` or the source's name.
  DlgObject(const DlgObject& src, DlgAnchor* anchor, DlgObject* ref, int mode, const char* name);
  DlgObject(const DlgObject&) = delete;
  DlgObject& operator=(const DlgObject&) = delete;

  // The operations a kind of object overrides.
  virtual void SetAnchor(DlgAnchor* anchor);
  virtual ~DlgObject();
  virtual DlgObject* Clone(DlgAnchor* anchor, DlgObject* ref, int mode, const char* name) const;
  virtual void InstantiateChildren(DlgAnchor* anchor, DlgObject* new_parent);
  virtual DlgObject* GetHead() const { return nullptr; }
  virtual DlgObject* GetTail() const { return nullptr; }
  virtual void SetHead(DlgObject* obj);
  virtual void SetTail(DlgObject* obj);
  virtual int IsContainer() const { return 0; }
  virtual void MoveTo(const DlgRect& canvas);
  virtual int32_t GetUnitX() const { return 1; }
  virtual int32_t GetUnitY() const { return 1; }
  // Stores the units for the children; 1, or 0 for a unit below 1.
  virtual int SetUnit(int32_t x, int32_t y);
  virtual void ApplyGeometryProps(int recurse);
  virtual void DestroyCtrlWnd();
  virtual void Draw(DlgPainter& painter, const DlgRect& canvas, const DlgRect& clip, bool paint);
  virtual void DrawTracker(DlgDC* dc);
  // The object a dotted path names, starting at this object's name.
  virtual DlgObject* FindByPath(const char* path);
  virtual DlgObject* HitTest(const DlgRect& canvas, DlgPoint point);
  virtual DlgObject* FindById(uint32_t id);
  virtual DlgObject* FindDropTarget(const DlgRect& canvas, const DlgObject* moved, const DlgRect& rect);
  virtual void SelectInRect(const DlgRect* rect);
  virtual void Deselect();
  // Deletes the selected objects below this one (see TakeIfSelected).
  virtual void DeleteSelectedChildren();
  virtual int SyncSelection();
  virtual void SyncTracker();
  virtual int ApplyTrackerResize();
  // Deletes the temporary objects below this one (DLG_F_TEMPORARY): each
  // owner deletes its own children.
  virtual void DeleteTemporaryChildren();
  virtual void ListInXref();
  virtual void SetFlag(int bit);
  virtual void ClearFlag(int bit);

  // Links.
  void Link(DlgObject* ref, int mode);
  void Unlink();
  // Gives a root object and its tree another anchor.
  void Reanchor(DlgAnchor* anchor);
  // Moves the object after `sibling`, or first under `new_parent`; 0 when
  // refused.
  int Reorder(DlgObject* new_parent, DlgObject* sibling);

  // Names.
  int SetName(const char* name);
  int CheckName(const char* name) const;
  bool NamesEqual(const char* a, const char* b) const;
  std::string GetPath() const;
  std::string GetDisplayName() const;

  // Other fields.
  void SetClassRec(const classrec* cls);
  void SetTemplate(DlgObject* tmpl);
  void SetTracker(DlgSelection* tracker);
  void SetWndClass(const char* wc);
  void SetText(const char* text);
  void SetFontId(uint32_t id) { font_id_ = id; }
  void SetStyle(uint32_t style) { style_ = style; }
  void SetExStyle(uint32_t ex_style) { ex_style_ = ex_style; }
  void SetGuiData(void* data) { gui_data_ = data; }
  void SetFlags(uint32_t flags) { flags_ = flags; }
  // Applies GUI modifiers: resets the control window, sets bit 25, takes
  // the window class, then all clears, then all sets.
  void SetGuiInfo(const gui_info* info);
  int IsShown() const;
  int Select();
  // The selection takes the object out of the tree: 0 when it is not
  // selected or is a template's child; 1 when it went, either into the undo
  // record that keeps it, or into `doomed`, for the caller (the object's
  // owner: its parent container or its anchor) to delete.
  int TakeIfSelected(std::unique_ptr<DlgObject>* doomed);

  uint32_t Id() const { return id_; }
  DlgAnchor* Anchor() const { return anchor_; }
  DlgRootAnchor* RootAnchor() const;
  DlgObject* Parent() const { return parent_; }
  DlgSelection* Tracker() const { return tracker_; }
  DlgObject* TemplateObject() const { return tmpl_obj_; }
  const char* Name() const { return obj_name_.c_str(); }
  const classrec* ClassRec() const { return obj_classrec_; }
  const char* ClassName() const { return obj_classrec_ && obj_classrec_->name ? obj_classrec_->name : ""; }
  DlgPropList& Props() { return props_; }
  const DlgPropList& Props() const { return props_; }
  const DlgRect& Rect() const { return rect_; }
  const char* WndClass() const { return wnd_class_; }
  uint32_t Style() const { return style_; }
  uint32_t ExStyle() const { return ex_style_; }
  uint32_t FontId() const { return font_id_; }
  const char* Text() const { return text_; }
  void* GuiData() const { return gui_data_; }
  // The live control window the windowed layer made for the object (null:
  // none); the object owns it and gives it to the control-window destroyer
  // when it goes.
  void* CtrlWnd() const { return ctrl_wnd_; }
  void SetCtrlWnd(void* wnd);
  uint32_t Flags() const { return flags_; }
  bool HasFlag(uint32_t mask) const { return (flags_ & mask) != 0; }
  // Source lines of the opening and the closing (0: none).
  int32_t FirstLine() const { return first_line_; }
  int32_t LastLine() const { return last_line_; }
  void SetLines(int32_t first, int32_t last) {
    first_line_ = first;
    last_line_ = last;
  }

  // Geometry in units.
  int32_t PosUnitX() const;
  int32_t PosUnitY() const;
  int32_t SizeUnitX() const;
  int32_t SizeUnitY() const;
  int32_t ToUnitX(int32_t px) const;
  int32_t ToPixelX(int32_t u) const;
  int32_t ToUnitY(int32_t px) const;
  int32_t ToPixelY(int32_t u) const;
  int32_t SizeToUnitX(int32_t px) const;
  int32_t SizeToPixelX(int32_t u) const;
  int32_t SizeToUnitY(int32_t px) const;
  int32_t SizeToPixelY(int32_t u) const;
  int32_t GetX() const { return ToUnitX(rect_.left); }
  int32_t GetY() const { return ToUnitY(rect_.top); }
  int32_t GetWidth() const { return SizeToUnitX(rect_.right - rect_.left); }
  int32_t GetHeight() const { return SizeToUnitY(rect_.bottom - rect_.top); }
  void GetGeometry(int32_t* x, int32_t* y, int32_t* w, int32_t* h) const;
  void SetGeometry(int32_t x, int32_t y, int32_t w, int32_t h);
  DlgRect GetCanvasRect() const;
  // Snaps and stores a canvas rectangle; 1 when snapping changed it (the
  // snapped one is written back).
  int MoveRect(DlgRect* canvas, const DlgRect* old);
  void StoreGeometryProps();
  // Checks a tracker's proposed canvas rectangle against the children; 1
  // when it stands, else 0 with the corrected one written back.
  int AdjustTrackerRect(DlgRect* proposed, int handle);
  int32_t DefaultWidth() const;

  DlgObject* prev = nullptr;
  DlgObject* next = nullptr;

  // Invalidates the object's canvas area in the anchor's view and adds it
  // to the update hint (only while the anchor has a view).
  void Invalidate() const;
  // Tells the document that the object changed (only while the anchor has
  // a view).
  void NotifyChanged();

 protected:
  // Stores a pixel rectangle (relative to the parent) as the move steps do.
  void StoreRect(const DlgRect& r) { rect_ = r; }
  friend class DlgContainer;

 private:
  void Init(DlgAnchor* anchor, const char* name);

  uint32_t id_;
  DlgAnchor* anchor_ = nullptr;
  DlgObject* parent_ = nullptr;
  DlgSelection* tracker_ = nullptr;
  DlgObject* tmpl_obj_ = nullptr;
  std::string obj_name_;
  const classrec* obj_classrec_ = nullptr;
  DlgPropList props_;
  DlgRect rect_;
  void* ctrl_wnd_ = nullptr;  // the live control window (windowed layer)
  char* wnd_class_ = nullptr;
  uint32_t style_ = 0;
  uint32_t ex_style_ = 0;
  uint32_t font_id_ = 0;
  char* text_ = nullptr;
  uint32_t flags_ = 0;
  void* gui_data_ = nullptr;
  int32_t first_line_ = 0;
  int32_t last_line_ = 0;
};

// Installs what destroys a control window (null: none; the windowed layer
// installs one); returns the previous.
using DlgCtrlWndDestroyer = void (*)(void* wnd);
DlgCtrlWndDestroyer DlgObject_SetCtrlWndDestroyer(DlgCtrlWndDestroyer destroyer);

// Takes the object handle of the plug-in interface apart (a null `data` is
// fatal).
DlgObject* DlgObject_FromHandle(obj_hndl h);
obj_hndl DlgObject_Handle(DlgObject* obj);
