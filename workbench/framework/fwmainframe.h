// The main frame: a QMainWindow around an MDI area of child frames, with
// tool bars and docking bars that show and hide through their command ids
// (checked while visible), a status bar of panes, its own timers and private
// messages, and idle updates of everything the user sees outside menus.
#pragma once

#include <map>

#include <QByteArray>
#include <QMainWindow>

#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwtimers.h"

class FwChildFrame;
class FwMessage;
class FwStatusBar;
class QMdiArea;

class FwMainFrame : public QMainWindow, public FwCmdTarget {
 public:
  FwMainFrame();
  ~FwMainFrame() override;

  QMdiArea* MdiArea() const { return mdi_; }
  void AddChild(FwChildFrame* frame);
  // The active child frame (the last one activated), or null.
  FwChildFrame* ActiveChild() const;

  // A bar (QToolBar or QDockWidget) whose visibility command is `id`.
  void RegisterBar(int id, QWidget* bar);
  QWidget* Bar(int id) const;
  void SetFwStatusBar(FwStatusBar* bar);
  FwStatusBar* FwStatus() const { return status_; }

  FwTimers& Timers() { return timers_; }

  // The bar layout as one binary value, and back.
  QByteArray SaveLayout() const { return saveState(); }
  bool RestoreLayout(const QByteArray& layout) { return restoreState(layout); }

  // Idle: the actions of every tool bar, shown or hidden, and the status
  // panes.
  virtual void OnIdleUpdate();

  bool OnCommand(int id) override;
  bool OnUpdateCommand(FwCmdUI& ui) override;
  bool HasCommand(int id) const override;
  // Asks every document with unsaved changes, once each, whether to save
  // them; false when one of them is to stay open.
  bool SaveModifiedDocuments();

 protected:
  virtual void OnMessage(FwMessage& message);
  virtual void OnTimer(int id);
  // Asked when the window is to close; false keeps it open.
  virtual bool OnClose();

  void customEvent(QEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QMdiArea* mdi_;
  FwStatusBar* status_ = nullptr;
  std::map<int, QWidget*> bars_;
  FwTimers timers_;
};
