#include "workbench/debugger/probe/debugprobe.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QTimer>

#include <unistd.h>

#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysutil.h"
#include "workbench/debugger/callstackdoc.h"
#include "workbench/debugger/debuggerplug.h"
#include "workbench/debugger/debugplug.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/debugger/variables/variable.h"
#include "workbench/debugger/variableview.h"
#include "workbench/editor/outputloclist.h"
#include "workbench/editor/txtline.h"
#include "workbench/editor/txtobj.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"

namespace {

// How long a command may take before the probe gives up on it (ms).
constexpr int kCommandLimitMs = 20000;
// The main window's size for pictures.
constexpr int kShotWidth = 1280;
constexpr int kShotHeight = 860;

class PrintSink : public ShellSink {
 public:
  int message_box(void*, const char* caption, const char* text, unsigned) override {
    std::printf("%s: %s\n", caption ? caption : "", text ? text : "");
    std::fflush(stdout);
    failed = true;
    return SHELL_IDOK;
  }
  void debug_output(const char*) override {}
  bool open_text_file(const char*) override { return false; }
  void end_process(int code) override { std::exit(code); }
  void beep(unsigned) override {
    std::printf("beep\n");
    failed = true;
  }
  bool failed = false;
};

int usage() {
  std::fputs(
      "usage: dbgprobe CMD... (setup COMMAND, run, into, over, out, halt MS, stack, vars PATH, set PATH VALUE, open FILE, "
      "terminate, shot FILE)\n",
      stderr);
  return 2;
}

std::vector<std::string> split_path(const std::string& path) {
  std::vector<std::string> names;
  if (path.empty() || path == ".") return names;
  size_t at = 0;
  for (;;) {
    size_t dot = path.find('.', at);
    names.push_back(path.substr(at, dot == std::string::npos ? std::string::npos : dot - at));
    if (dot == std::string::npos) break;
    at = dot + 1;
  }
  return names;
}

class Probe {
 public:
  Probe(CYqApp& app, DebuggerWindows& windows) : app_(app), windows_(windows), main_(app.MainWnd()) {}

  bool Run(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& cmd = args[i];
      auto arg = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
      bool ok = true;
      if (cmd == "setup") {
        const std::string* command = arg();
        if (!command) return Usage();
        Setup(*command);
      } else if (cmd == "run" || cmd == "into" || cmd == "over" || cmd == "out") {
        ok = Step(cmd);
      } else if (cmd == "halt") {
        const std::string* ms = arg();
        if (!ms) return Usage();
        QTimer::singleShot(std::atoi(ms->c_str()), main_, [this] { Fw_PostMessage(main_, FW_MSG_DEBUG_HALT); });
      } else if (cmd == "stack") {
        PrintStack();
      } else if (cmd == "vars") {
        const std::string* path = arg();
        if (!path) return Usage();
        ok = Vars(*path);
      } else if (cmd == "set") {
        const std::string* path = arg();
        const std::string* value = arg();
        if (!path || !value) return Usage();
        ok = Set(*path, *value);
      } else if (cmd == "open") {
        const std::string* file = arg();
        if (!file) return Usage();
        ok = Programs_Open(*file) != nullptr;
        if (!ok) std::printf("cannot open %s\n", file->c_str());
      } else if (cmd == "terminate") {
        Fw_SendMessage(main_, FW_MSG_DEBUG_STOP);
        std::printf("%s\n", DebugQueue ? "still running" : "ended");
        ok = DebugQueue == nullptr;
      } else if (cmd == "shot") {
        const std::string* file = arg();
        if (!file) return Usage();
        ok = Shot(*file);
      } else {
        return Usage();
      }
      std::fflush(stdout);
      if (!ok) failed_ = true;
    }
    return true;
  }

  // The end: the run-time's output and exit line reach the Debug tab.
  void Finish() {
    if (DebugQueue) Debug_EndSession();
    QElapsedTimer timer;
    timer.start();
    while (!DebugLocal_WaitAll(0) && timer.elapsed() < kCommandLimitMs) Pump();
    Pump();
    TextObj* tab = COutputDoc::TabText(OUTPUT_TAB_DEBUG);
    for (uint32_t i = 0; tab && i < tab->num_lines; ++i) {
      const std::string& line = tab->Line(i)->data;
      if (i + 1 == tab->num_lines && line.empty()) break;
      std::printf("| %s\n", line.c_str());
    }
  }

  bool Failed() const { return failed_ || usage_; }
  bool UsageError() const { return usage_; }

 private:
  bool Usage() {
    usage_ = true;
    return false;
  }

  void Pump() {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    app_.RunIdle();
  }

  void Setup(const std::string& command) {
    const char* name = "dbgprobe";
    std::string entry = Cfg_ListFind("Debug", name);
    if (entry.empty()) entry = Cfg_ListAppend("Debug", name);
    Cfg_PutString(entry.c_str(), "Command", command.c_str());
    for (int i = 0; i < Cfg_ListTotal("Debug"); ++i)
      if (Cfg_ListGet("Debug", i) == entry) app_.m_Config.Debug.CurrentSession = i;
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string exe = n > 0 ? std::string(self, static_cast<size_t>(n)) : std::string("./dbgprobe");
    Sys_RegSet("Directories", "bin", exe.substr(0, exe.rfind('/')).c_str());
  }

  bool Step(const std::string& cmd) {
    const int message = cmd == "run"    ? FW_MSG_DEBUG_RUN
                        : cmd == "into" ? FW_MSG_DEBUG_STEP_INTO
                        : cmd == "over" ? FW_MSG_DEBUG_STEP_OVER
                                        : FW_MSG_DEBUG_STEP_OUT;
    Fw_SendMessage(main_, message);
    Pump();
    if (!DebugQueue) {
      std::printf("ended\n");
      return true;
    }
    OutputLoc* top = CCallstackDoc::Locations()->head;
    std::printf("stop %s %u %u\n", Debug_LastFile().c_str(), static_cast<unsigned>(Debug_LastSegment()),
                top ? static_cast<unsigned>(top->line) : 0u);
    return true;
  }

  void PrintStack() {
    TextObj* text = CCallstackDoc::Text();
    for (uint32_t i = 0; i < text->num_lines; ++i)
      if (!text->Line(i)->data.empty()) std::printf("  %s\n", text->Line(i)->data.c_str());
  }

  // The row of a path's variable, -1 when there is none; expands the
  // containers along the way.
  int FindRow(VariableRowList& rows, const std::string& path, bool expand_last) {
    const std::vector<std::string> names = split_path(path);
    Variable* parent = nullptr;
    int row = -1;
    for (size_t n = 0; n < names.size(); ++n) {
      row = -1;
      for (int r = 0; r < rows.GetItemCount(); ++r) {
        Variable* v = rows.GetRowVariable(r);
        if (v->GetParent() == parent && v->GetName() == names[n]) {
          row = r;
          break;
        }
      }
      if (row < 0) return -1;
      Variable* var = rows.GetRowVariable(row);
      if ((n + 1 < names.size() || expand_last) && var->IsContainer() && !var->TestFlag(Variable_EXPANDED) &&
          !rows.ExpandRow(row))
        return -1;
      parent = var;
    }
    return row;
  }

  bool Vars(const std::string& path) {
    if (!windows_.variables.IsOpen()) windows_.variables.Show(true);
    Pump();
    VariableRows* pane_rows = windows_.variables.Rows();
    CVariableView* view = windows_.variables.View();
    if (!pane_rows || !view) return false;
    VariableRowList& rows = view->Rows();
    if (!split_path(path).empty() && FindRow(rows, path, true) < 0) {
      std::printf("no variable %s\n", path.c_str());
      return false;
    }
    for (int r = 0; r < rows.GetItemCount(); ++r) {
      Variable* v = rows.GetRowVariable(r);
      std::printf("  %*s%s %s %s%s\n", 2 * v->CountChildren(), "", v->GetName().c_str(), v->GetTypeName(),
                  v->GetValueText().c_str(), v->TestFlag(Variable_CHANGED) ? " (changed)" : "");
    }
    return true;
  }

  bool Set(const std::string& path, const std::string& value) {
    if (!windows_.variables.IsOpen()) windows_.variables.Show(true);
    Pump();
    CVariableView* view = windows_.variables.View();
    if (!view) return false;
    VariableRowList& rows = view->Rows();
    const int row = FindRow(rows, path, false);
    if (row < 0 || !rows.BeginEdit(row)) {
      std::printf("cannot edit %s\n", path.c_str());
      return false;
    }
    // A value the variable or the run-time refuses is left as it was, with
    // a beep.
    rows.EndEdit(value);
    std::printf("%s = %s\n", path.c_str(), rows.GetRowVariable(row)->GetValueText().c_str());
    return true;
  }

  bool Shot(const std::string& file) {
    main_->resize(kShotWidth, kShotHeight);
    if (QMdiArea* mdi = main_->MdiArea()) mdi->tileSubWindows();
    for (int i = 0; i < 5; ++i) Pump();
    const bool ok = main_->grab().save(QString::fromStdString(file), "PNG");
    std::printf("%s %s\n", ok ? "picture" : "cannot write", file.c_str());
    return ok;
  }

  CYqApp& app_;
  DebuggerWindows& windows_;
  CMainFrame* main_;
  bool failed_ = false;
  bool usage_ = false;
};

}  // namespace

int DebugProbe_Main(int argc, char** argv) {
  if (argc < 2) return usage();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  PrintSink sink;
  Shell_SetSink(&sink);
  int code = 1;
  {
    CYqApp app;
    Programs_Install();
    Editor_Install();
    std::unique_ptr<DebuggerWindows> windows = Debugger_InstallWindows(app);
    Debugger_Install(&windows->variables);
    if (app.InitInstance({"-nologo"})) {
      app.MainWnd()->show();
      // The call stack is fetched at each stop while its window is open.
      CCallstackDoc::Show(true);
      Probe probe(app, *windows);
      probe.Run(std::vector<std::string>(argv + 1, argv + argc));
      if (probe.UsageError()) {
        code = usage();
      } else {
        probe.Finish();
        code = probe.Failed() || sink.failed ? 1 : 0;
      }
      CCallstackDoc::Shutdown();
      COutputDoc::Shutdown();
      app.MainWnd()->close();
      app.ExitInstance();
    }
  }
  Debug_SetHost(nullptr);
  Shell_SetSink(nullptr);
  return code;
}
