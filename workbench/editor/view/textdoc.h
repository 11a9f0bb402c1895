// A source or text file in an editor window: the file's lines in a text
// object, with the document's own copy of the configuration. Lines end in
// LF or CR LF when read, and a tab becomes the blanks to the next tab
// position of the edit settings; the file is written back with the line ends
// it had (LF when it had none), through a temporary file renamed into place.
// Failures of reading and writing are reported; a document whose save failed
// stays modified. Closing a modified document asks whether to save it. This
// is the document the environment opens source files in while no
// program-document kind is plugged in.
#pragma once

#include <string>

#include "workbench/editor/txtobj.h"
#include "workbench/editor/view/editdoc.h"
#include "workbench/base/settings/config.h"

class CTextDoc : public CEditorDoc {
 public:
  CTextDoc();
  ~CTextDoc() override;

  TextObj* GetTextObj() override { return &text_; }
  CfgSettings* GetDocConfig() override { return &config_; }
  void SetModified(bool flag) override { SetModifiedFlag(flag); }
  void SaveDocument(int as_new) override;
  void UpdateStateA(FwCmdUI& ui) override { ui.Enable(false); }

  bool OnNewDocument() override;
  bool OnOpenDocument(const std::string& path) override;
  bool SaveModified() override;

  // Reads the lines of a file; false (after the reason was shown) when it
  // cannot be read.
  bool Load(const std::string& path);
  // Writes the file; false (after the reason was shown) when that failed.
  bool Save(const std::string& path);
  // Changes not saved yet.
  bool IsDirty() const;
  // Fills the text from a string of lines (tests, benchmarks).
  void SetText(const std::string& text);
  CfgSettings& Config() { return config_; }

 private:
  TextObj text_;
  CfgSettings config_;
  bool crlf_ = false;
};
