// What the dialog model needs of the windows around it, as interfaces: the
// designer view that shows an anchor, and the dialog document that owns the
// model. The windowed environment implements them; tests implement small
// recording ones. Every operation has a harmless default.
#pragma once

#include <cstdint>
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
};

class DlgDocument {
 public:
  virtual ~DlgDocument() = default;
  // An object's geometry or look changed.
  virtual void ObjectChanged(DlgObject*) {}
  virtual void SetModified() {}
  virtual std::vector<DlgView*> Views() { return {}; }
  // Stores a property value the way the document's property setter does
  // (recording undo once that exists); 1 when stored, 0 when refused. The
  // default stores it in the object's own list.
  virtual int SetPropValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial);
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
};
