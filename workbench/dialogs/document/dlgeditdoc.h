// The dialog document without windows: one dialog file, read and written
// only through a plug-in's file type.
//
// Loading hands a reader context (pload) to the file type's Load entry; the
// plug-in builds the object tree by calling the reader callbacks back
// (dlgeditload.cpp). Saving walks the model through the file type's writers
// (DlgRootAnchor::Save) into a save of the file access layer, so a failed
// save leaves the old file. The typed property store behind the loading and
// the host callback GetProp is in dlgeditprops.cpp.
//
// What the windows must learn (status bar, progress, cross-reference window,
// views, titles) goes through DlgDocNotify (dlgnotify.h); boxes and
// questions go through the shell's sink. The designer's editing (undo,
// interactive property setting, selections) builds on this class.
//
// One thread only: the class-wide state (the document being loaded or
// saved, the kept-line state of a load) serves one load or save at a time.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "workbench/dialogs/document/dlgplugin.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/model/dlg_view.h"
#include "workbench/shell/docid.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/config.h"

class PluginID;
class DlgObject;
class DlgPropValue;
class DirSaveFile;

class CDlgEditDoc : public DlgDocument, public AutoSaveDoc {
 public:
  // State bits.
  enum : uint32_t {
    STATE_SETS_PATH = 1,  // the document itself changes its path or title
    STATE_AUTOSAVED = 2,  // auto-saved since the last change
    STATE_SAVE_TIME = 4,  // the time of the last save is known
    STATE_FROZEN = 8,     // the modified flag is frozen
  };

  // Takes the plug-in and file type that PluginID::SetPending left (a
  // missing plug-in is a failed check "m_Plugin"), binds the model to the
  // document and copies the environment's configuration.
  CDlgEditDoc();
  ~CDlgEditDoc() override;
  CDlgEditDoc(const CDlgEditDoc&) = delete;
  CDlgEditDoc& operator=(const CDlgEditDoc&) = delete;

  // The configuration every document copies at construction (the general
  // record for auto-save, the file record for read-only and auto-save).
  static void SetEnvironmentConfig(const CfgGeneral& general, const CfgFile& file);
  // The environment's own settings and explorer settings, read when a
  // document is made (its general record; a file record with auto-save as
  // the environment has it), when its properties sheet runs, and for the
  // save directory that Save As proposes. Null: the records given to
  // SetEnvironmentConfig, and the current directory.
  static void SetEnvironment(const CfgSettings* settings, const CfgExplore* explore);

  // --- Opening and new documents.
  // A new document of the pending plug-in opened from `path`; null (and no
  // document) when the load failed.
  static CDlgEditDoc* OpenFile(const char* path);
  // A new document of `plugin` from its template file; null when that
  // failed.
  static CDlgEditDoc* NewFile(PluginID* plugin);
  int OnOpenDocument(const char* path) { return LoadFile(path, 1); }
  // Reads `path` through the file type; with `set_path` the document takes
  // the (extension-adjusted) name as its path. 1 success, 0 failure.
  int LoadFile(const char* path, int set_path);
  // The new-document steps: title "Dialog<n>", contents from the template
  // file "<etc>/<Ident><Ext>"; 1 / 0.
  int OnNewDocument();
  // The explorer's request for a new document under a path (consumed by
  // the next OnNewDocument).
  static void RequestNewPath(const char* path, bool read_only);

  // --- Saving.
  // The close-time question; 1 may close, 0 cancel.
  int SaveModified(bool cancel_allowed = true);
  // Saves to `path` through the file type (an empty path asks for one
  // through DlgDocNotify::SaveAs); 1 / 0.
  int OnSaveDocument(const char* path);
  int SaveIfModified();
  int Save(bool save_as);
  // SaveIfModified of every dialog document, in order; 0 at the first
  // failure.
  static int SaveAll();
  bool NeedsAutoSave() override;
  void OnAutoSave() override;
  void DeleteAutosaveFile();

  // --- Path, title, modified flag.
  const std::string& GetPathName() const { return m_strPathName; }
  const std::string& GetTitle() const { return m_strTitle; }
  // The title, with " *" while modified.
  std::string GetFrameTitle() const;
  // The path, or the title without one.
  std::string GetDisplayName() const;
  // The framework's setters: ignored unless the document itself is
  // changing its path (state bit 1).
  void SetPathName(const char* path);
  void SetTitle(const char* title);
  bool IsModified() const override { return m_bModified; }
  void SetModifiedFlag(bool modified) override;
  uint32_t State() const { return m_State; }
  const std::string& AutoSaveName() const { return m_strAutoSave; }
  time_t SaveTime() const { return m_SaveTime; }
  // `type` when it is one of the plug-in's file types, else the first.
  void SetFileType(PluginFileType* type);
  // Whether a dialog document other than `except` has this path; with
  // `activate` it is activated and the path goes to the recent-file list.
  static bool IsOpen(const char* path, bool activate, const CDlgEditDoc* except = nullptr);
  // Every dialog document, in order of creation.
  static const std::vector<CDlgEditDoc*>& Documents();
  // The untitled counter starts at 1 again (tests).
  static void ResetUntitledCounter();

  // The file record of the document's configuration copy as the file
  // properties sheet shows it: FileName (the path or "(New File)"),
  // FileSize ("%d Objects"), FileStatus ("Modified", ", Auto-Saved: " and
  // the time; "Saved: " and the time; "Read-only" or "Initial") and the
  // read-only option from the dialog's read-only flag.
  CfgFile FilePropertiesRecord() const;
  // Takes a file record back from the sheet and applies the settings.
  void SetFileRecord(const CfgFile& file);
  // The file properties sheet (the environment's settings sheet with the
  // file page alone) over the document's configuration copy with the
  // texts of FilePropertiesRecord; the settings are applied afterwards.
  void FileProperties();
  // The read-only flag follows the configuration copy; the auto-save
  // interval is set when both the environment and the file allow it; the
  // views are updated.
  void ApplySettings();

  // --- The model.
  DlgRootAnchor& Root() { return *m_pRoot; }
  PluginID* GetPlugin() const { return m_Plugin; }
  PluginFileType* GetFileType() const { return m_FileType; }
  // True when a root object shows in the cross-reference window (one with
  // the window flag).
  bool HasRootObject() const;
  // The first root object with the window flag, or null.
  DlgObject* FirstRootObject() const;
  // Format option bits 0-2 of the last load as text-line flags 1, 2, 4.
  uint32_t TextLineFlags() const { return m_TextLineFlags; }
  // Finds an object by its full dotted path.
  DlgObject* FindObject(const char* path) const;

  // The source to edit after the last failed load ("" when none) and its
  // line (0 when unknown).
  static const std::string& SourceToEdit();
  static int SourceLine();

  // --- The typed property store.
  // The effective value of a property as text in one class-wide buffer:
  // the object's own value, else the value of its nearest template object,
  // else the plug-in's ValueText or the definition's default. With a mark
  // pointer the mark tells whether the value is inherited; when it was 0 an
  // inherited value gets " (source)" appended. Without one only the own
  // value counts.
  static const char* GetPropText(DlgObject* obj, const prop_def* def, int* mark);
  // Stores a typed value in the object's node for the definition (made when
  // missing); null when refused (a node made for it goes again). `ctx` is
  // the reader context during a load, else null.
  DlgPropValue* StoreValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial, pload* ctx);
  // Fills `def` with the class's definition of that native number; 1, or 0
  // when the class has none.
  int FindNativeDef(DlgObject* obj, int32_t native, prop_def* def);

  // --- Interactive editing (dlgeditset.cpp).
  // Sets a property as the user does, through the plug-in's checks, with
  // undo; 1 set, 0 refused (the message has been shown).
  int SetPropValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial) override;
  // Keeps the six geometry properties in step with the object's rectangle.
  void SyncGeometryProps(DlgObject* obj);
  // Flips the object's "visible" property, with undo.
  void ToggleVisible(DlgObject* obj);
  // The designer views of the document (the windows register theirs).
  void AddView(DlgView* view);
  void RemoveView(DlgView* view);
  std::vector<DlgView*> Views() override { return m_Views; }
  DlgView* ActivateAnchorView(DlgAnchor* anchor, int create) override;
  void CloseAnchorViews(DlgAnchor* anchor) override;
  void SetMoving(int moving) override { m_bMoving = moving != 0; }
  bool IsMoving() const { return m_bMoving; }
  // Whether SetPropValue is at work (class-wide).
  static bool SettingProperty();

  // --- DlgDocument.
  void SetModified() override { SetModifiedFlag(true); }
  const PluginCallbacks* Plugin() override;
  void ObjectChanged(DlgObject* obj) override { SyncGeometryProps(obj); }
  std::string PropText(DlgObject* obj, const prop_def* def, int* mark) override { return GetPropText(obj, def, mark); }
  const char* ValueText(DlgObject* obj, const prop_def* def) override;
  int StoreTyped(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial) override {
    return StoreValue(obj, def, val, serial, nullptr) ? 1 : 0;
  }
  void StatusText(const char* text) override;
  void StatusError(const char* text) override;
  void Beep() override;
  void ShowProperty(DlgObject* obj, const prop_def* def) override;
  void PropertiesDrop(DlgObject* obj) override;
  void ObjectGoing(DlgObject* obj) override;
  void XrefAdd(DlgObject* obj) override;
  void XrefSelect(DlgObject* obj) override;
  void XrefRemove(DlgObject* obj) override;
  void PropertiesChanged(DlgObject* obj) override;
  void PropertyChanged(int native) override;

  // The document being loaded or saved by a plug-in (only around the
  // plug-in's Load call and the save walk).
  static CDlgEditDoc* m_currDoc;
  static bool m_bIsLoading;

  // Builds a zero-filled reader context with the 16 callbacks.
  static void InitReader(pload* ctx);

 private:
  friend struct DlgReader;
  friend struct DlgWriter;

  // Sets path and title under state bit 1.
  void SetPathAndTitle(const char* path, const char* title);
  // The name of `path` with the extension of the file type.
  std::string AdjustedName(const std::string& path) const;
  // Writes the model through `type` into `file`; 1 / 0.
  int WriteThrough(const PluginFileType* type, DirSaveFile* file);
  PluginFileType* WritableType();

  PluginID* m_Plugin;
  PluginFileType* m_FileType;
  std::string m_strPathName;
  std::string m_strTitle;
  std::string m_strAutoSave;
  time_t m_SaveTime = 0;
  std::unique_ptr<DlgRootAnchor> m_pRoot;
  CfgGeneral m_General;
  CfgFile m_File;
  DirSaveFile* m_pSaveFile = nullptr;
  uint32_t m_State = 0;
  bool m_bModified = false;
  uint32_t m_TextLineFlags = 0;
  unsigned long m_Identity;
  std::vector<DlgView*> m_Views;
  bool m_bMoving = false;
};
