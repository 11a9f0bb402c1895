// The Variables window: one document ("Variables") in a child frame of its
// own (CVariableFrame, 476 pixels wide, its place kept in the window
// positions) with one CVariableView. VariablesWindow is the window kind's
// single owner: it makes the document on demand, keeps the rows while the
// window is closed, and is what the main frame's Variables command and the
// debugger core talk to.
#pragma once

#include <memory>
#include <span>

#include "workbench/base/settings/config.h"
#include "workbench/debugger/frameplace.h"
#include "workbench/debugger/variables/variablechain.h"
#include "workbench/debugger/variables/variablelink.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwdocument.h"

class CVariableView;
class FwDocTemplate;
class FwWindows;

class CVariableDoc : public FwDocument {
 public:
  bool OnNewDocument() override;
  // The view, null while none exists.
  CVariableView* View() const;
};

// The frame handles the bar's Refresh command (ID_VARIABLES_REFRESH),
// enabled only while the target is stopped.
class CVariableFrame : public FwHandlers<CVariableFrame, FwChildFrame> {
 public:
  // `positions` keeps the frame's place (may be null).
  CVariableFrame(FwDocument* doc, VariableTarget& target, CfgWindowPositions* positions);

  static std::span<const FwCmdEntry<CVariableFrame>> Handlers();
  void OnRefresh(int id);
  void OnUpdateRefresh(FwCmdUI& ui);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  VariableTarget& target_;
  FramePlace place_;
};

// Adds the window kind's command rows to the application's table (once).
void Variables_AddCommandRows();

class VariablesWindow : public VariablesPane {
 public:
  // `positions` keeps the frame's place (may be null).
  VariablesWindow(VariableTarget& target, CfgWindowPositions* positions);
  ~VariablesWindow() override;

  // Opens the window or brings it to the top. When it was not open and a
  // session is stopped, its rows are refreshed.
  void Show(bool show);

  // VariablesPane.
  bool IsOpen() const override;
  VariableRows* Rows() override;
  void ResetContents() override;

  CVariableDoc* Document() const;
  CVariableView* View() const;
  VariableChain& Saved() { return saved_; }

 private:
  // The document and its frame (the window kind's factory); a window that
  // was not open is refreshed while a session is stopped.
  FwChildFrame* MakeFrame();

  VariableTarget& target_;
  CfgWindowPositions* positions_;
  VariableChain saved_;
  std::unique_ptr<FwDocTemplate> template_;
  FwWindows* registry_ = nullptr;  // the application's, when it registered the kind
};
