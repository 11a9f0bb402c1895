// What the dialog documents tell the designer's windows, and how the
// windows reach the environment around them: new designer frames, captions,
// views to repaint, the wait cursor, and the neighbours of the designer (the
// property grid, the palette, the status bar, the file properties sheet).
// The designer (DlgWindows) owns or is given one for the life of its windows
// and hands it to the documents its template makes: their views, the palette
// and the property grid reach each other through their document's notifier.
// The environment may derive from it to take the status texts to its status
// bar.
#pragma once

#include <string>

#include <QObject>

#include "workbench/dialogs/document/dlgnotify.h"

class CDlgEditView;
class CDlgPaletteView;
class CDlgPropView;
class FwDocTemplate;

// A QObject only so that the documents hold it through a QPointer.
class DlgWinNotify : public QObject, public DlgDocNotify {
 public:
  DlgWinNotify();
  ~DlgWinNotify() override;
  DlgWinNotify(const DlgWinNotify&) = delete;
  DlgWinNotify& operator=(const DlgWinNotify&) = delete;

  // The template of the dialog documents.
  void SetTemplate(FwDocTemplate* t) { template_ = t; }
  FwDocTemplate* Template() const { return template_; }
  // The palette and the property grid while their windows are open.
  CDlgPaletteView* Palette() const;
  CDlgPropView* Grid() const;

  // DlgDocNotify.
  void StatusText(const char* text) override;
  void StatusError(const char* text) override;
  void WaitCursor(bool on) override;
  void UpdateViews(CDlgEditDoc* doc) override;
  void TitleChanged(CDlgEditDoc* doc) override;
  void XrefModified(CDlgEditDoc* doc) override;
  void XrefAdd(CDlgEditDoc* doc, DlgObject* obj) override;
  void XrefSelect(CDlgEditDoc* doc, DlgObject* obj) override;
  void XrefRemove(CDlgEditDoc* doc, DlgObject* obj) override;
  void ObjectDestroyed(CDlgEditDoc* doc, DlgObject* obj) override;
  void DocumentRemoved(CDlgEditDoc* doc) override;
  void ActivateDocument(CDlgEditDoc* doc) override;
  DlgView* OpenAnchorView(CDlgEditDoc* doc, DlgAnchor* anchor) override;
  // Documents open through the template, in a designer frame.
  CDlgEditDoc* OpenDocument(const char* path) override;
  void ShowProperties(CDlgEditDoc* doc, DlgObject* obj, const prop_def* def) override;
  void ObjectRemoved(CDlgEditDoc* doc, DlgObject* obj) override;
  void PropertiesChanged(CDlgEditDoc* doc, DlgObject* obj, int native) override;

  // The designer's requests.
  void ViewFocused(CDlgEditView* view);
  void PrimaryChanged(CDlgEditView* view, DlgObject* obj);
  void EditProperties(CDlgEditDoc* doc, DlgObject* obj);
  void OpenPalette(CDlgEditDoc* doc, DlgAnchor* anchor);
  // The document's file properties sheet.
  virtual void FileProperties(CDlgEditDoc* doc);

  // The last status text and whether it was an error (tests read them).
  const std::string& LastStatus() const { return last_status_; }
  bool LastWasError() const { return last_error_; }

 protected:
  // Where the status texts go (the environment's status bar).
  virtual void ShowStatus(const char* text, bool error);

 private:
  FwDocTemplate* template_ = nullptr;
  DlgDocNotify* previous_ = nullptr;
  std::string last_status_;
  bool last_error_ = false;
  int wait_depth_ = 0;
};
