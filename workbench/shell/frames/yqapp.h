// The application object of the environment: starts it in a fixed order,
// owns the configuration and the lists loaded at start and saved at exit,
// runs the application's commands (new, open, recent files, page setup,
// explore windows, about), swallows keys until started and maps the
// clipboard keys of plain edit fields, is the one road to on-line help, and
// flushes queued output text at idle time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QPointer>

#include "workbench/framework/fwapp.h"
#include "workbench/shell/apphelp.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/settings/findutil.h"

class CMainFrame;
class CSplashWnd;
class FwDocTemplate;

class CYqApp : public FwHandlers<CYqApp, FwApp> {
 public:
  CYqApp();
  ~CYqApp() override;

  // The start; false when it failed (the process ends). `args` are the
  // command line's arguments without the program name.
  bool InitInstance(const std::vector<std::string>& args);
  // Saves what changed; the exit code.
  int ExitInstance();
  bool OnIdle(int count) override;

  static std::span<const FwCmdEntry<CYqApp>> Handlers();

  // Help (see AppHelp). The base address is the one the help project file
  // names (its "M" line, built by the configuration's Help record), else
  // the address of the manuals on a Web server.
  const std::string& HelpBase() const;
  bool CallHelp(const std::string& topic);
  bool ShowHelp(const std::string& topic);
  bool ShowKeywordHelp(const char* text);
  bool WinHelp(unsigned long data, unsigned command);

  // The output queue that the output pane fills from other code paths.
  void QueueText(const std::string& text);
  void ShowTabOnIdle(int tab) { show_tab_ = tab; }
  const std::string& PendingOutput() const { return pending_output_; }

  bool Started() const { return started_ != 0; }
  bool SplashShown() const { return splash_ != nullptr; }
  bool InContextHelp() const { return context_help_; }
  // The main frame; null before it is made and once it is gone.
  CMainFrame* MainWnd() const;

  CfgSettings m_Config;
  CfgMruFiles m_MruFiles;
  FindHistory m_FindHistory{"FindHistory"};
  FindHistory m_ReplaceHistory{"ReplaceHistory"};
  CfgBreakpoints m_Breakpoints;
  CfgExplore m_Explore;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static const FwCmdEntry<CYqApp> kMap[];
  void InitCommands();
  void OnAppAbout(int id);
  void OnFileOpen(int id);
  void OnFileNew(int id);
  void OnMruFile(int id);
  void OnUpdateMruFile(FwCmdUI& ui);
  void OnNewExplorer(int id);
  void OnUpdateNewExplorer(FwCmdUI& ui);
  void OnActivateExplorer(int id);
  void OnUpdateFileOpen(FwCmdUI& ui);
  void OnAppExit(int id);
  void OnHelpCommand(int id);
  // What's This: the mode that waits for the click on a window.
  bool ContextHelpEvent(QObject* watched, QEvent* event);
  void EndContextHelp();

  std::string pending_output_;
  int32_t pending_count_ = 0;
  int32_t show_tab_ = -1;
  CSplashWnd* splash_ = nullptr;
  int32_t started_ = 0;
  std::string default_app_name_;
  AppHelp help_;
  bool context_help_ = false;
  // Kept untyped: while the frame is being destroyed it is a frame no more,
  // and MainWnd() gives null then (see there).
  QPointer<QWidget> main_;
};

CYqApp* YqApp();
