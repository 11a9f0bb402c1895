// The operations through which an editor view, the main frame and the
// auto-save timer reach a text document without knowing its kind: its text
// object, its configuration copy, its context menu, auto-save, line
// locations and the state of a few commands. Every operation has the answer
// of a document that does not care; program, dialog, output and call-stack
// documents override what they handle. GetDocConfig and GetTextObj must be
// overridden: the base answers are failed checks.
#pragma once

#include <cstdint>
#include <string>

#include "workbench/framework/fwcmdui.h"

class TextObj;
class TextLine;
class CfgSettings;
class EditorModel;

class EditDocSlots {
 public:
  virtual ~EditDocSlots() = default;

  virtual std::string GetDocTitle() const { return std::string(); }
  virtual void RestoreViewState(EditorModel* view) { (void)view; }
  virtual void RestoreViewStateAgain(EditorModel* view) { (void)view; }
  virtual void SetModified(bool flag) { (void)flag; }
  virtual void SetFileMode(int mode) { (void)mode; }
  virtual int GetFileMode() const { return 4; }
  // Save (as_new 0) or Save As (as_new 1).
  virtual void SaveDocument(int as_new) { (void)as_new; }
  // The update of Save As.
  virtual void UpdateSaveAs(FwCmdUI& ui) { ui.Enable(false); }
  virtual bool NeedsAutoSave() { return false; }
  virtual int OnAutoSave() { return 0; }
  // Names the document's context menu resource; 0 when it has none.
  virtual int GetContextMenu() { return 0; }
  virtual CfgSettings* GetDocConfig();
  virtual void ShowProperties() {}
  // The update of File Properties.
  virtual void UpdateFileProperties(FwCmdUI& ui) { ui.Enable(false); }
  // The update of the "Line Number:" status fields.
  virtual int UpdateLineNumberPanes(FwCmdUI& ui) {
    ui.Enable(false);
    return 0;
  }
  // The update of Auto-Scroll.
  virtual void UpdateAutoScroll(FwCmdUI& ui) { ui.Enable(false); }
  // The update of Clear Output Window.
  virtual void UpdateClearOutput(FwCmdUI& ui) { ui.Enable(false); }
  virtual TextObj* GetTextObj();
  // The caret moved onto a line (true: repaint it), and left it.
  virtual int LineEditBegin(TextLine* line) {
    (void)line;
    return 0;
  }
  virtual int LineEditEnd(TextLine* line) {
    (void)line;
    return 0;
  }
  virtual bool IsProgramDocument() const { return false; }
  // Compiles the program; true when that ran.
  virtual bool Compile() { return false; }
  virtual void SetStopLine(uint32_t line_number) { (void)line_number; }
  virtual bool GetStopLine(uint32_t* line_number) const {
    *line_number = 0;
    return false;
  }
  // A double click or Enter on a line: false when the document has no
  // locations; *flag becomes 0 only when a jump took place.
  virtual bool GoToLocation(EditorModel* view, uint32_t line_idx, int* flag) {
    (void)view;
    (void)line_idx;
    *flag = 0;
    return false;
  }
  // The breakpoint record of a line (may a breakpoint go there), and the
  // location record of a line (may the debugger run to it).
  virtual const void* BreakpointQuery(uint32_t line_idx) {
    (void)line_idx;
    return nullptr;
  }
  virtual void* LocationQuery(uint32_t line_idx) {
    (void)line_idx;
    return nullptr;
  }
  virtual int ToggleBreakpoint(uint32_t line_idx) {
    (void)line_idx;
    return 0;
  }
};
