// The program document in the environment's windows: the document of every
// program and text file, shown in the editor view. Its text, loading,
// saving, compiling, breakpoints and auto-save are the program document
// model's (workbench/programs/progdoc.h); this class answers the editor's
// document operations with it, takes the model's reports to the status bar
// and the output pane's Build tab, asks for passwords through the settings
// neighbour (the password dialogs), and shows itself and its segments in the cross-reference pane.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "workbench/editor/view/editdoc.h"
#include "workbench/programs/progdoc.h"
#include "workbench/shell/docid.h"
#include "workbench/shell/saveas.h"
#include "workbench/shell/xrefmodel.h"

class XrefTree;

class CProgDoc : public CEditorDoc, public XrefSubject, public SaveAsDocument, private ProgDocHost {
 public:
  // The resource of the program documents: their template's id, the kind
  // of their frames, rows and menus, and the base of their help topic.

  CProgDoc();
  ~CProgDoc() override;

  ProgDoc& Model() { return model_; }
  const ProgDoc& Model() const { return model_; }

  // How the next OnNewDocument or OnOpenDocument reads or makes the
  // document: the file mode (0 by the name), the path a new document will
  // be saved under, read-only.
  void SetOpenRequest(int mode, const std::string& new_path, bool read_only);

  // ---- opening and finding ----
  // Opens `path` (null: a new document) through the program documents'
  // template in a file mode (0: by name). A document that has the path open
  // already is activated and given instead. When `allow_plugins` is set a
  // plug-in file type may take the path over (null then); the dialog
  // designer reopens a dialog source it failed to load with plug-ins not
  // allowed, so that the file cannot come back to it. Null when the open
  // failed (the reason was shown).
  static CProgDoc* OpenFile(const char* path, bool allow_plugins = true, int mode = CfgFileMode_Auto);
  // An open program document other than `other` whose file is `path`; with
  // `activate` it goes first on the recent-file list and its view comes
  // forward.
  static CProgDoc* FindOpen(const std::string& path, bool activate, const CProgDoc* other = nullptr);
  static CProgDoc* FindByPath(const std::string& path) { return FindOpen(path, false); }
  // The document opened for the debug target's name of its file (exact).
  static CProgDoc* FindByDebugName(const std::string& debug_name);
  // Whether a plug-in file type takes a path over: opens it and answers
  // true. Null: no plug-ins (the default).
  using PluginOpener = std::function<bool(const std::string& path)>;
  static void SetPluginOpener(PluginOpener opener);
  // Hands `path` to the plug-in file type that claims it: true when one
  // took it over.
  static bool OfferToPlugins(const std::string& path);

  // ---- views ----
  // Brings the first view forward and gives it the focus.
  void ActivateView();
  // Moves the caret of the first view to a line (an index from 0); with
  // `activate` the view comes forward first.
  void GotoLine(uint32_t index, bool activate);

  // ---- document life ----
  // The title, path and modified flag are the model's.
  std::string Title() const override { return model_.Title(); }
  std::string PathName() const override { return model_.PathName(); }
  bool IsModified() const override { return model_.IsModified(); }
  bool OnNewDocument() override;
  bool OnOpenDocument(const std::string& path) override;
  bool SaveModified() override;
  // Saves under `path`. Without one the explorer's Save As window chooses
  // the path, starting in the save folder with the title, and the document
  // saves itself from there (SaveAsPath); false when cancelled or failed.
  bool Save(const std::string& path);

  // The explorer's Save As window.
  std::string SaveAsTitle() const override { return model_.Title(); }
  FwDocument* SaveAsFrames() override { return this; }
  int SaveAsFileMode() const override { return model_.FileMode(); }
  void SetSaveAsFormat(int format) override { model_.SetFileMode(format); }
  bool SaveAsPath(const std::string& path) override { return Save(path); }

  // Editor document operations.
  TextObj* GetTextObj() override { return &model_.Text(); }
  CfgSettings* GetDocConfig() override { return &model_.Config(); }
  void SetModified(bool flag) override;
  int GetFileMode() const override { return model_.FileMode(); }
  void SetFileMode(int mode) override { model_.SetFileMode(mode); }
  void SaveDocument(int as_new) override;
  // Save As and File Properties are always there; the "Line Number:"
  // status field only for program files.
  void UpdateSaveAs(FwCmdUI& ui) override { ui.Enable(true); }
  void UpdateFileProperties(FwCmdUI& ui) override { ui.Enable(true); }
  int UpdateLineNumberPanes(FwCmdUI& ui) override;
  void ShowProperties() override { ShowInfo(); }
  bool NeedsAutoSave() override { return model_.IsModified(); }
  int OnAutoSave() override;
  int GetContextMenu() override;
  bool IsProgramDocument() const override { return model_.IsProgramFile(); }
  bool Compile() override;
  int LineEditEnd(TextLine* line) override;
  void SetStopLine(uint32_t line_number) override { model_.SetStopLine(line_number); }
  bool GetStopLine(uint32_t* line_number) const override;
  // A line may hold a breakpoint, and the debugger may run to it, when it
  // holds a stored line of a program file: the answer is the text line.
  const void* BreakpointQuery(uint32_t line_idx) override;
  void* LocationQuery(uint32_t line_idx) override;
  // Flips the line's breakpoint mark; 0 when it may hold none.
  int ToggleBreakpoint(uint32_t line_idx) override;

  // Brings the document's view forward (`activate`) and puts the caret on
  // a segment's program line. A debug stop (`stop`) makes it the stop line,
  // drawn with the arrow; otherwise the line is marked as the place gone
  // to. False when the document has no such line or no view.
  bool ShowLocation(uint16_t segment, uint16_t line_number, bool stop, bool activate);
  // Fills this (new) document with the debugged program's file read
  // through the debug session's exchange; `name` is how the target names
  // it. False when it could not be read (the reason was shown).
  bool OpenDebugFile(class SrvQueue* debug, const std::string& name);
  // Drops the debug stop line (none shown).
  void ClearStopLine();

  // The document information: the Application Properties on the
  // document's own settings with its file record filled in; the settings
  // are applied afterwards.
  void ShowInfo();
  // Takes the document's settings again: the edit settings of the mode,
  // the read-only flag and the auto-save interval of its record in the
  // main frame; the views are repainted.
  void ApplySettings();

  // The frame caption: the title and " *" while modified.
  std::string GetFrameTitle() const { return model_.FrameTitle(); }

  // The cross-reference pane's view of the document.
  std::string XrefTitle() const override { return model_.Title(); }
  bool XrefModified() const override { return model_.IsModified(); }
  bool XrefIsProgram() const override { return model_.IsProgramFile(); }
  void XrefActivate() override { ActivateView(); }
  void XrefShowLocation(int line) override;
  void XrefClose() override;
  // Announces the document and its segments to the cross-reference pane.
  void ShowInXref();

 private:
  // ProgDocHost
  void StatusText(const std::string& text) override;
  void StatusError(const std::string& text) override;
  void BuildClear(const std::string& file_name) override;
  void BuildAppend(const std::string& text, uint32_t line_ident) override;
  void BuildShow() override;
  bool AskPassword(const std::string& file_name, std::string* digest, bool* remember) override;
  void RememberPassword(const std::string& digest) override;
  void SegmentsChanged() override;
  std::string TranslatePath(const std::string& path) override;

  // The main frame's auto-save timer reaches the document through this.
  class AutoSaver : public AutoSaveDoc {
   public:
    explicit AutoSaver(CProgDoc* doc) : doc_(doc) {}
    bool NeedsAutoSave() override { return doc_->NeedsAutoSave(); }
    void OnAutoSave() override { doc_->OnAutoSave(); }

   private:
    CProgDoc* doc_;
  };

  ProgDoc model_;
  AutoSaver auto_saver_{this};
  int request_mode_ = 0;
  std::string request_path_;
  bool request_read_only_ = false;
  // Whether the cross-reference label last shown had the modified marker:
  // typing marks the text itself, so the flag that the idle update sets is
  // compared with this.
  bool xref_modified_ = false;
};
