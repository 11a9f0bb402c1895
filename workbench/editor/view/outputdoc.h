// The output pane's document: three tabs of text ("Build", "Debug", "Find
// in Files"), each a read-only text object with its saved view state and its
// locations. The tab texts live for the whole run, so that text written
// while the pane is closed is there when it opens. Only one output document
// is open at a time (the application's template holds it); it shows its tabs in a COutputFrame. A double click on a
// Build message with a location opens the program it is about (through the
// shell's program-document link) and moves to the line the message names,
// which is found by its ident and so survives edits above it.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/editor/outputloclist.h"
#include "workbench/editor/txtobj.h"
#include "workbench/editor/view/editdoc.h"
#include "workbench/editor/view/editorrows.h"
#include "workbench/base/settings/config.h"

class CEditorView;
class COutputFrame;

// The output pane's window kind (its template's resource: its menus, its
// icon).

enum { OUTPUT_TAB_BUILD = 0, OUTPUT_TAB_DEBUG = 1, OUTPUT_TAB_FIND = 2, OUTPUT_TABS = 3 };

class COutputDoc : public CEditorDoc {
 public:
  COutputDoc();
  ~COutputDoc() override;

  // The output operations; each first sets up the tab records.
  static void AppendText(int tab, const std::string& text, uint32_t value = 0);
  static void QueueText(const std::string& text);
  static void ClearTab(int tab);
  static bool IsTabClean(int tab);
  static void SetTabFileName(int tab, const char* name);
  static void ShowTabOnIdle(int tab);
  static void Show(bool show);
  static bool IsShown() { return Find() != nullptr; }
  static CEditorView* ActivateTab(int tab);
  // The output document open in the application (its template's one
  // document), or null.
  static COutputDoc* Find();
  // A tab's text and locations (null outside 0 to 2).
  static TextObj* TabText(int tab);
  static OutputLocList* TabLocations(int tab);
  // The saved view state of a tab: caret line, caret column, anchor line,
  // anchor column.
  static const uint32_t* TabViewState(int tab);
  // Ends the run's tab records (and the template's registration).
  static void Shutdown();

  COutputFrame* Frame() const;
  int ActiveTab() const;

  // Editor document operations.
  TextObj* GetTextObj() override;
  CfgSettings* GetDocConfig() override { return &config_; }
  void RestoreViewState(EditorModel* view) override;
  void RestoreViewStateAgain(EditorModel* view) override { RestoreViewState(view); }
  int GetContextMenu() override { return IDR_OUTPUT_CONTEXT; }
  void UpdateAutoScroll(FwCmdUI& ui) override;
  void UpdateClearOutput(FwCmdUI& ui) override { ui.Enable(true); }
  bool GoToLocation(EditorModel* view, uint32_t line_idx, int* flag) override;

  bool OnNewDocument() override;
  bool SaveModified() override;

  // Saves the view state of a tab from its view.
  void SaveTabState(int tab);
  void RestoreTabState(int tab);
  int tab_in_use = -1;

 private:
  static void Setup();
  CfgSettings config_;
};
