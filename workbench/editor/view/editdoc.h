// The base of every document that the text view shows: a framework document
// that also answers the editor's document operations (EditDocSlots). It
// keeps the path in the internal form with the title taken from it, puts
// opened files on the recent-file list, and runs Save All for the main
// frame.
#pragma once

#include <functional>
#include <string>

#include "workbench/editor/editdocslots.h"
#include "workbench/framework/fwdocument.h"

class CEditorDoc : public FwDocument, public EditDocSlots {
 public:
  CEditorDoc() = default;
  ~CEditorDoc() override = default;

  std::string GetDocTitle() const override { return Title(); }

  // Stores the path (never empty) in the internal form, titles the document
  // with its last component and, when asked, puts it first on the
  // configuration's recent-file list.
  void SetPathName(const std::string& path, bool add_to_recent);

  // Saves every modified program document, then, when that succeeded, every
  // modified dialog document. True only when both succeed.
  static bool SaveAll();
  // How the dialog documents are saved (null: there are none).
  static void SetDialogSaveAll(std::function<bool()> save_all);

  // The document a view shows, when it is an editor document.
  static CEditorDoc* From(FwDocument* doc) { return dynamic_cast<CEditorDoc*>(doc); }
};

// The title of a path: its last component, or the whole path when it has
// none.
std::string EditDoc_TitleOf(const std::string& path);
