// The call-stack window: one read-only text view listing the chain of active
// program locations of a stopped debug session, one line per entry ("third
// text (second text): first text"); a double click shows that location in
// its source. The text and its locations live in one process-wide record,
// so the list survives while the window is closed. Only one document is
// open at a time (the application's template holds it).
#pragma once

#include "workbench/base/settings/config.h"
#include "workbench/debugger/frameplace.h"
#include "workbench/editor/view/editdoc.h"
#include "workbench/editor/view/editorrows.h"
#include "workbench/shell/frames/childframe.h"

struct DebugLocation;
class OutputLocList;
class TextObj;

class CCallstackDoc : public CEditorDoc {
 public:
  CCallstackDoc();
  ~CCallstackDoc() override;

  // Opens the window (and, when it was closed and a session runs, fills it
  // at once) or closes it, as the kind's toggle does.
  static void Show(bool show);
  static bool IsOpen();
  // Registers the window kind with the application's registry: the View
  // menu's Call Stack command opens and closes it. Safe to call again.
  static void RegisterKind();
  // The call-stack document open in the application (its template's one
  // document), or null.
  static CCallstackDoc* Find();
  // Empties the list (one empty line stays).
  static void Clear();
  // Appends the line of an entry and its location.
  static void AddEntry(const DebugLocation& entry);
  // The record's text and locations (tests, the view).
  static TextObj* Text();
  static OutputLocList* Locations();
  // Drops the record and the window (the end of the application).
  static void Shutdown();

  bool OnNewDocument() override;
  int GetContextMenu() override { return IDR_CALLSTACK_CONTEXT; }
  CfgSettings* GetDocConfig() override { return &config_; }
  TextObj* GetTextObj() override { return Text(); }
  bool GoToLocation(EditorModel* view, uint32_t line_idx, int* flag) override;

 private:
  static void Setup();
  CfgSettings config_;
};

// The call-stack window's frame (no splitting: the child frame offers
// none); its place is kept in the window positions.
class CCallstackFrame : public CChildFrame {
 public:
  // `positions` may be null: no place is kept.
  CCallstackFrame(FwDocument* doc, CfgWindowPositions* positions);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  FramePlace place_;
};
