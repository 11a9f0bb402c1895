// The program document in the environment's windows: the document of every
// program and text file, shown in the editor view. Its text, loading,
// saving, compiling, breakpoints and auto-save are the program document
// model's (workbench/programs/progdoc.h); this class answers the editor's
// document operations with it and takes the model's reports to the status
// bar and the output pane's Build tab.
#pragma once

#include <string>

#include "workbench/editor/view/editdoc.h"
#include "workbench/programs/progdoc.h"

class CProgDoc : public CEditorDoc, private ProgDocHost {
 public:
  CProgDoc();
  ~CProgDoc() override;

  ProgDoc& Model() { return model_; }

  // How the next OnNewDocument or OnOpenDocument reads or makes the
  // document: the file mode (0 by the name), the path a new document will
  // be saved under, read-only.
  void SetOpenRequest(int mode, const std::string& new_path, bool read_only);

  bool OnNewDocument() override;
  bool OnOpenDocument(const std::string& path) override;
  bool SaveModified() override;
  // Saves under the genuine file name (Save As asks through the explorer).
  bool Save(const std::string& path);

  // Editor document operations.
  TextObj* GetTextObj() override { return &model_.Text(); }
  CfgSettings* GetDocConfig() override { return &model_.Config(); }
  void SetModified(bool flag) override;
  int GetFileMode() const override { return model_.FileMode(); }
  void SetFileMode(int mode) override { model_.SetFileMode(mode); }
  void SaveDocument(int as_new) override;
  bool NeedsAutoSave() override { return model_.IsModified(); }
  int OnAutoSave() override;
  int GetContextMenu() override;
  bool IsProgramDocument() const override { return model_.IsProgramFile(); }
  bool Compile() override;
  int LineEditEnd(TextLine* line) override;
  void SetStopLine(uint32_t line_number) override { model_.SetStopLine(line_number); }
  bool GetStopLine(uint32_t* line_number) const override;

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

  // The frame caption: the title and " *" while modified.
  std::string GetFrameTitle() const { return model_.FrameTitle(); }

 private:
  // ProgDocHost
  void StatusText(const std::string& text) override;
  void StatusError(const std::string& text) override;
  void BuildClear(const std::string& file_name) override;
  void BuildAppend(const std::string& text, uint32_t line_ident) override;
  void BuildShow() override;

  void TakeNames();

  ProgDoc model_;
  int request_mode_ = 0;
  std::string request_path_;
  bool request_read_only_ = false;
};
