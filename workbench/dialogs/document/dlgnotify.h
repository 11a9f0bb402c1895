// What the dialog document tells the windows around it: status-bar texts
// and progress, the wait cursor, the cross-reference window, views, titles,
// and the few requests that need another document (the source to edit after
// a failed load, activating an open dialog). Boxes and questions do not go
// here: they go through the shell's sink (workbench/base/shellsink.h).
//
// The windowed environment installs its own; tests install a recording one.
// Every operation has a default that does nothing.
#pragma once

#include "workbench/dialogs/document/dlgplugin.h"

class CDlgEditDoc;
class DlgAnchor;
class DlgObject;
class DlgView;

class DlgDocNotify {
 public:
  virtual ~DlgDocNotify() = default;
  // Status bar: a plain text, an error text, and the progress bar.
  virtual void StatusText(const char*) {}
  virtual void StatusError(const char*) {}
  virtual void ProgressShow(int /*max*/) {}
  virtual void ProgressSet(int) {}
  virtual void ProgressHide() {}
  virtual void WaitCursor(bool /*on*/) {}
  // The cross-reference window: add an object's item under its parent's
  // (a moved object's item moves), select an object (null: the document),
  // remove an object's item, the document's modified state changed.
  virtual void XrefAdd(CDlgEditDoc*, DlgObject*) {}
  virtual void XrefSelect(CDlgEditDoc*, DlgObject*) {}
  virtual void XrefRemove(CDlgEditDoc*, DlgObject*) {}
  virtual void XrefModified(CDlgEditDoc*) {}
  // The document's views should show its model again.
  virtual void UpdateViews(CDlgEditDoc*) {}
  // The document's title or path changed (frame captions, document list).
  virtual void TitleChanged(CDlgEditDoc*) {}
  // The document came or went (the main frame's document list).
  virtual void DocumentAdded(CDlgEditDoc*) {}
  virtual void DocumentRemoved(CDlgEditDoc*) {}
  // Another dialog document is to be brought to the front.
  virtual void ActivateDocument(CDlgEditDoc*) {}
  virtual void AddRecentFile(const char*) {}
  // Opens a source file as a text document, at `line` when above 0; false
  // when it could not be opened.
  virtual bool OpenSource(const char* /*path*/, int /*line*/) { return false; }
  // The auto-save countdown of the document's entry in the main frame's
  // list: every `minutes` minutes, 0 for none.
  virtual void AutoSaveInterval(CDlgEditDoc*, int /*minutes*/) {}
  // The Save As window for a document, proposing `proposed`; its result
  // (false when there is none).
  virtual bool SaveAs(CDlgEditDoc*, const char* /*proposed*/) { return false; }
  // Opens a dialog document of the pending plug-in (PluginID::SetPending)
  // from `path`, or a new one from its template file when `path` is null,
  // with whatever windows show it; null when that failed. The default makes
  // the document alone.
  virtual CDlgEditDoc* OpenDocument(const char* path);
  // A new designer frame for the anchor; its view (null when none could be
  // made).
  virtual DlgView* OpenAnchorView(CDlgEditDoc*, DlgAnchor*) { return nullptr; }
  // The property window shows the object (null: none) and refreshes the
  // row of a property (null: all rows).
  virtual void ShowProperties(CDlgEditDoc*, DlgObject*, const prop_def* /*def*/) {}
  // An object leaves the document (deleted, or its creation undone): the
  // property window forgets it.
  virtual void ObjectRemoved(CDlgEditDoc*, DlgObject*) {}
  // An object is being destroyed: nothing may keep it.
  virtual void ObjectDestroyed(CDlgEditDoc*, DlgObject*) {}
  // An object's property values changed (`native` the native number of the
  // one that did, 0 for any): the property window redraws them.
  virtual void PropertiesChanged(CDlgEditDoc*, DlgObject*, int /*native*/) {}
};

// The notifier in force (one that does nothing until another is installed).
DlgDocNotify& DlgDoc_Notify();
// Installs a notifier (null restores the silent one); returns the previous.
DlgDocNotify* DlgDoc_SetNotify(DlgDocNotify* notify);
