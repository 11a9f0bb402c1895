// The dialog document in the environment's windows: the window layer's
// document around one dialog document model (CDlgEditDoc). Each designer
// frame shows one dialog (one anchor) of it; this class finds, opens and
// closes those frames, numbers them per dialog, and decides whether a frame
// may close (recording the removal of a deleted dialog when its last frame
// goes). The explorer's Save As window saves it through SaveAsDocument.
#pragma once

#include <memory>
#include <string>

#include <QPointer>

#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwdocument.h"
#include "workbench/shell/saveas.h"

class CDlgEditDoc;
class CDlgEditFrame;
class CDlgEditView;
class DlgAnchor;
class DlgXrefDoc;
class FwChildFrame;
class PluginID;
struct PluginFileType;

class CDlgDocWin : public FwDocument, public SaveAsDocument {
 public:
  // `notify`: the notifier of the designer whose template made the
  // document (may be null: its windows tell nobody).
  explicit CDlgDocWin(DlgWinNotify* notify = nullptr);
  ~CDlgDocWin() override;

  // The designer's notifier, through which the document's views reach the
  // palette and the property grid; null when there is none (any more).
  DlgWinNotify* Notify() const { return notify_.data(); }
  // The notifier of a model's window document, or null.
  static DlgWinNotify* NotifyOf(const CDlgEditDoc* model);

  // The model (null until opened or made).
  CDlgEditDoc* Model() const { return model_; }
  // The document's node in the cross-reference window (null until opened
  // or made).
  DlgXrefDoc* Xref() const { return xref_.get(); }
  // The window document of a model, or null.
  static CDlgDocWin* Of(const CDlgEditDoc* model);

  // FwDocument: the model is read through the pending plug-in, or made
  // from its template file; the first designer frame shows the first
  // dialog of the file.
  bool OnOpenDocument(const std::string& path) override;
  bool OnNewDocument() override;
  // The title, path and modified flag are the model's, once there is one.
  std::string Title() const override;
  std::string PathName() const override;
  bool IsModified() const override;
  bool SaveModified() override;

  // The designer view that shows the anchor, brought to the front (with
  // `other`: a view of another anchor); with `create` a new frame when
  // there is none. Null when none.
  CDlgEditView* ActivateAnchorView(DlgAnchor* pAnchor, bool create, bool other = false);
  // Asks the frame of every view that shows the anchor to close; with
  // `detach` the views forget the anchor first.
  void CloseAnchorViews(DlgAnchor* anchor, bool detach = false);
  // Whether a frame may close (recording the removal of a deleted dialog,
  // asking about unsaved changes when it is the document's last frame).
  bool CanCloseFrame(FwChildFrame* frame);
  // Numbers the frames per dialog and updates their captions.
  void UpdateFrameCounts();
  // The model's title or modified flag changed: the captions follow.
  void SyncFromModel();
  // Brings the document's first window to the front.
  void Activate();

  // The file types the Save As window offers: the plug-in's writable ones,
  // the document's own selected.
  SaveAsPlugin SaveAsTypes() const;
  // SaveAsDocument: the format is an index into SaveAsTypes().
  std::string SaveAsTitle() const override;
  FwDocument* SaveAsFrames() override { return this; }
  int SaveAsFileMode() const override { return 0; }
  void SetSaveAsFormat(int format) override;
  bool SaveAsPath(const std::string& path) override;

  // The anchor the next designer view shows (taken by the view).
  static DlgAnchor* TakeInitialAnchor();
  static void SetInitialAnchor(DlgAnchor* anchor);

 private:
  void TakeModel(CDlgEditDoc* model);

  CDlgEditDoc* model_ = nullptr;
  QPointer<DlgWinNotify> notify_;
  std::unique_ptr<DlgXrefDoc> xref_;
  bool question_asked_ = false;
};
