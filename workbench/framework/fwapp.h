// The application object of the window layer: the command table, the
// document templates, the main frame, the routing of command ids (the
// command target that holds the focus, when it is none of the following ->
// active view -> its document -> active child frame -> main frame ->
// application) and idle time (counts 0, 1, 2, ... while the handler asks for more, run
// whenever the event loop is about to block, nested loops included).
#pragma once

#include <memory>
#include <vector>

#include <QObject>

#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwcommandrouter.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwwindows.h"

class FwDocTemplate;
class FwMainFrame;
class QAction;

class FwApp : public QObject, public FwCmdTarget, public FwCommandRouter {
 public:
  FwApp();
  ~FwApp() override;
  FwApp(const FwApp&) = delete;
  FwApp& operator=(const FwApp&) = delete;

  FwCommandTable& Commands() { return commands_; }
  // The registry of window kinds (fwwindows.h).
  FwWindows& Windows() { return windows_; }
  const FwWindows& Windows() const { return windows_; }

  // The main frame also takes the shortcuts of the command table.
  void SetMainFrame(FwMainFrame* frame);
  FwMainFrame* MainFrame() const { return main_frame_; }

  // Templates are owned by the application.
  FwDocTemplate* AddDocTemplate(std::unique_ptr<FwDocTemplate> tmpl);
  const std::vector<std::unique_ptr<FwDocTemplate>>& DocTemplates() const { return templates_; }

  // The targets a command passes through, in order.
  std::vector<FwCmdTarget*> RouteChain() const;
  // Runs a command; false when no target handled it.
  bool RouteCommand(int id) override;
  // Asks the chain for the state of an id. An id that no target updates is
  // enabled exactly when some target handles it.
  FwCmdUI RouteUpdate(int id) const override;
  // The kind of the active child frame (its template's), or 0.
  int ActiveKind() const override;
  // Applies the routed state to an action of the command table.
  void UpdateAction(QAction* action, FwCmdTarget* owner = nullptr) const { commands_.UpdateAction(action, owner); }

  // Idle time: calls OnIdle with 0, 1, 2, ... while it returns true.
  // Returns the number of calls. Not re-entered.
  int RunIdle();
  // The idle handler: count 0 updates the bars and panes of the main frame.
  virtual bool OnIdle(int count);

  // The application's own commands: the toggles of the window kinds.
  bool OnCommand(int id) override { return windows_.OnCommand(id); }
  bool OnUpdateCommand(FwCmdUI& ui) override { return windows_.OnUpdateCommand(ui); }
  bool HasCommand(int id) const override { return windows_.HasCommand(id); }

 private:
  FwCommandTable commands_;
  FwWindows windows_;
  FwMainFrame* main_frame_ = nullptr;
  std::vector<std::unique_ptr<FwDocTemplate>> templates_;
  bool in_idle_ = false;
};

// The one application object (null when none exists).
FwApp* Fw_App();
