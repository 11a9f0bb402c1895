// What the dialog model needs of the windows around it, as interfaces: the
// designer view that shows an anchor, and the dialog document that owns the
// model. The windowed environment implements them; tests implement small
// recording ones. Every operation has a harmless default.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_types.h"

class DlgView {
 public:
  virtual ~DlgView() = default;
  // Marks a canvas area for repainting, without erasing.
  virtual void InvalidateRect(const DlgRect&) {}
  // Takes a canvas area out of the pending repaint.
  virtual void ValidateRect(const DlgRect&) {}
  // The document the view belongs to, or null.
  virtual DlgDocument* Document() { return nullptr; }
  // The anchor the view shows, or null.
  virtual DlgAnchor* Anchor() { return nullptr; }
  // The update hint of a changed context.
  virtual void OnUpdate(const DlgViewUpdate&) {}
  // The selection trackers changed and should be repainted.
  virtual void RefreshTrackers() {}
  // The view's drawing context: where the root object's 0,0 lies on the
  // canvas (null: none yet). Work on the anchor for the view runs with it.
  virtual const DlgPoint* Origin() { return nullptr; }
  // Clears the anchor's selection and selects the object when it and its
  // ancestors are shown.
  virtual void SelectObject(DlgObject* obj);
  // Sets X (0), Y (1), Width (2) or Height (3) of the primary selection.
  virtual void SetCoord(int32_t, int) {}
  // The view's frame is to close.
  virtual void Close() {}
};

// Runs work on an anchor with a view's drawing context: the view's origin
// becomes the anchor's context, and the previous one comes back at the end
// (sending the collected repaint areas to the views).
class DlgContextBracket {
 public:
  DlgContextBracket(DlgAnchor* anchor, DlgView* view);
  ~DlgContextBracket();
  DlgContextBracket(const DlgContextBracket&) = delete;
  DlgContextBracket& operator=(const DlgContextBracket&) = delete;

 private:
  DlgAnchor* anchor_;
  const DlgPoint* previous_ = nullptr;
  bool open_ = false;
};

class DlgDocument {
 public:
  virtual ~DlgDocument() = default;
  // An object's geometry or look changed.
  virtual void ObjectChanged(DlgObject*) {}
  virtual void SetModified() {}
  virtual std::vector<DlgView*> Views() { return {}; }
  // Sets a property value as the user does (the document checks it and
  // records undo); 1 when stored, 0 when refused. The default stores it.
  virtual int SetPropValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial) {
    return StoreTyped(obj, def, val, serial);
  }
  // The plain typed store (no checks, no undo); 1 when stored, 0 when
  // refused. The default stores it in the object's own list.
  virtual int StoreTyped(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial);
  // The plug-in callbacks of the document's file type (attribute
  // definitions of a class), or null.
  virtual const PluginCallbacks* Plugin() { return nullptr; }
  // The property window should show the object's new values.
  virtual void PropertiesChanged(DlgObject*) {}
  // The object is about to be destroyed.
  virtual void ObjectGoing(DlgObject*) {}
  // The cross-reference window: add an object under its parent's item,
  // select it, remove it with the items below.
  virtual void XrefAdd(DlgObject*) {}
  virtual void XrefSelect(DlgObject*) {}
  virtual void XrefRemove(DlgObject*) {}

  // The modified flag as undo keeps it exact.
  virtual bool IsModified() const { return false; }
  virtual void SetModifiedFlag(bool modified) {
    if (modified) SetModified();
  }
  // The view that shows the anchor, brought to the front; with `create` a
  // new one when there is none. The default looks among Views().
  virtual DlgView* ActivateAnchorView(DlgAnchor* anchor, int create);
  // Closes every view that shows the anchor.
  virtual void CloseAnchorViews(DlgAnchor* anchor);
  // The designer moves objects (geometry properties wait till the end).
  virtual void SetMoving(int) {}
  // The property window forgets the object; shows one property of it.
  virtual void PropertiesDrop(DlgObject*) {}
  virtual void ShowProperty(DlgObject*, const prop_def*) {}
  // Status bar texts and the warning beep of the designer.
  virtual void StatusText(const char*) {}
  virtual void StatusError(const char*) {}
  virtual void Beep() {}
  // The plug-in's default text of a property for an object (null: none).
  virtual const char* ValueText(DlgObject*, const prop_def*) { return nullptr; }
  // The effective value of a property as text; `mark` (may be null) says
  // whether it is inherited. The default gives the object's own value only.
  virtual std::string PropText(DlgObject* obj, const prop_def* def, int* mark);
  // The property window retitles after a change of native `native`.
  virtual void PropertyChanged(int) {}
};
