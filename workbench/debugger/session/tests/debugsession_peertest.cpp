// Debug sessions against the stand-in run-time: starting, the step modes,
// breakpoints, output, the call stack, variables, Halt, Terminate, the
// run-time's exit and every fault it can play.
#include <gtest/gtest.h>

#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <thread>

#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/debugger/session/debugtarget.h"
#include "workbench/debugger/variables/variablerows.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/server/srvconn.h"
#include "workbench/server/srvqueue.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/server/tests/serverentry.h"
#include "tests/support/standin.h"

namespace {

// The environment's windows as a recorder. Posted texts and the run-time's
// end reach the GUI thread as queued calls, as the main frame's messages do.
class RecordingHost : public DebugHost {
 public:
  void PostOutput(std::string text) override {
    QMetaObject::invokeMethod(
        &receiver,
        [this, text] {
          posted.push_back(text);
          from_pipe = true;
          Debug_OnOutputText(text);
          from_pipe = false;
        },
        Qt::QueuedConnection);
  }
  void PostEnded() override {
    QMetaObject::invokeMethod(
        &receiver,
        [this] {
          ++ended;
          Debug_CancelPending();
        },
        Qt::QueuedConnection);
  }
  // Lines of code-1 replies (the pipe's are in `posted`).
  void QueueOutputLine(const std::string& line) override {
    if (!from_pipe) lines.push_back(line);
  }
  void ClearDebugTab() override { lines.clear(); }
  DebugShown ShowStop(const DebugLocation& location, bool look_up, const std::string& open_name, bool, bool) override {
    stops.push_back(location.file + ":" + std::to_string(location.segment) + ":" + std::to_string(location.line));
    open_names.push_back(look_up ? open_name : "(not looked up)");
    return show_result;
  }
  bool DebugTabUsesEnhancements() const override { return enhancements; }
  bool CallStackOpen() const override { return stack_open; }
  void ClearCallStack() override { stack.clear(); }
  void AddCallStackEntry(const DebugLocation& entry) override { stack.push_back(Debug_StackLine(entry)); }
  void ShowCallStack() override { ++stack_shown; }
  CfgDebug& DebugSettings() override { return debug; }
  CfgBreakpoints& Breakpoints() override { return breakpoints; }
  void StatusWarning(const char* text) override { warnings.push_back(text); }

  QObject receiver;
  std::vector<std::string> posted, lines, stops, open_names, stack, warnings;
  int ended = 0, stack_shown = 0;
  bool stack_open = true;
  bool from_pipe = false;
  bool enhancements = false;
  DebugShown show_result = DebugShown::SHOWN;
  CfgDebug debug;
  CfgBreakpoints breakpoints;
};

class NoMeasure : public VariableListHost {
 public:
  int MeasureText(const std::string& text) override { return static_cast<int>(text.size()) * 8; }
};

const char* const kScript =
    "var count I 1\n"
    "var rec T REC\n"
    "var rec.name X alpha\n"
    "stop main.PROG 1 10 0 LET A = 1||MAIN\n"
    "output one|two\n"
    "output three\n"
    "stop main.PROG 1 11 0 GOSUB SUB1||MAIN\n"
    "var count I 2\n"
    "stop main.PROG 2 1 1 X = 2|lib|SUB1\n"
    "stop main.PROG 2 2 1 RETURN|lib|SUB1\n"
    "stop main.PROG 1 12 0 PRINT A||MAIN\n"
    "output done\n"
    "exit 3\n";

class DebugSession : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    setenv(REG_ENV_DIRECTORY, profile.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    SrvConn::Initialize();
    Sys_RegSet("Directories", "bin", vtest::bin_dir().c_str());
    Debug_SetHost(&host);
  }
  void TearDown() override {
    if (DebugQueue) Debug_EndSession();
    EXPECT_TRUE(DebugLocal_WaitAll(10000));
    Debug_SetHost(nullptr);
    SrvConn::CloseAll();
    Sys_SetAssertHandler(previous_);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  // A session entry running the stand-in with a script and faults.
  void configure(const std::string& script, const std::vector<std::string>& faults = {}) {
    vtest::write_file(dir.file("s.txt"), script);
    std::string command = "--script " + dir.file("s.txt") + " --log " + dir.file("log");
    for (const auto& f : faults) command += " --fault " + f;
    command += " main";
    std::string entry = Cfg_ListAppend("Debug", "local");
    Cfg_PutString(entry.c_str(), "Command", command.c_str());
    Cfg_PutInt(entry.c_str(), "ServerIndex", 0);
    host.debug.CurrentSession = 0;
  }

  std::string log() const { return vtest::read_file(dir.file("log")); }
  std::string boxes() const {
    std::string all;
    for (const auto& b : sink.boxes) all += "[" + b.caption + "] " + b.text + "\n";
    return all;
  }
  static std::string joined(const std::vector<std::string>& v) {
    std::string all;
    for (const auto& s : v) all += s + "\n";
    return all;
  }
  // Runs the GUI thread's events until `done` or the time runs out.
  template <typename F>
  bool wait_for(F done, int ms = 8000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
  }
  // A command as the main frame runs it: on failure the session is checked.
  bool cont(int mode) {
    Debug_SetBusy(true);
    bool ok = Debug_Cmd_CONT(mode, false);
    if (!ok) Debug_CheckSession();
    Debug_SetBusy(false);
    return ok;
  }

  vtest::TempDir profile, dir;
  RecordingSink sink;
  RecordingHost host;
  SysAssertHandler previous_ = nullptr;
};

TEST_F(DebugSession, StepModesLandAsScriptedWithOutputAndStack) {
  configure(kScript);
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
  EXPECT_EQ(joined(host.stops), "main.PROG:1:10\n");
  EXPECT_EQ(host.open_names.back(), "main.PROG");
  EXPECT_EQ(joined(host.stack), "MAIN: LET A = 1\n");

  ASSERT_TRUE(cont(DEBUG_MODE_STEP_OVER)) << boxes();
  // Two output messages give three lines, queued before the stop.
  EXPECT_EQ(joined(host.lines), "one\ntwo\nthree\n");
  EXPECT_EQ(host.stops.back(), "main.PROG:1:11");
  ASSERT_TRUE(cont(DEBUG_MODE_STEP_INTO));
  EXPECT_EQ(host.stops.back(), "main.PROG:2:1");
  EXPECT_EQ(joined(host.stack), "SUB1 (lib): X = 2\nMAIN: GOSUB SUB1\n");
  ASSERT_TRUE(cont(DEBUG_MODE_STEP_OUT));
  EXPECT_EQ(host.stops.back(), "main.PROG:1:12");
  EXPECT_EQ(Debug_LastSegment(), 1);

  // Run to the end: the run-time exits with 3 and the session ends.
  EXPECT_FALSE(cont(DEBUG_MODE_RUN));
  EXPECT_EQ(DebugQueue, nullptr);
  ASSERT_TRUE(wait_for([&] { return host.ended > 0; }));
  ASSERT_TRUE(
      wait_for([&] { return !host.posted.empty() && host.posted.back().find("exit code") != std::string::npos; }));
  EXPECT_EQ(host.posted.back(), "\nProcess terminated with exit code 3 (0x3).");
  // The stand-in's standard output came through the pipe as well.
  EXPECT_NE(joined(host.posted).find("one\ntwo\nthree\ndone\n"), std::string::npos) << joined(host.posted);
  EXPECT_NE(log().find("CONT mode=2 trace=0"), std::string::npos);
}

// A program that runs to its end closes the connection and exits; the
// environment hears of the two in either order and ends the session without
// a box either way.
TEST_F(DebugSession, AProgramEndIsQuietWhicheverNewsComesFirst) {
  for (const char* fault : {"lateexit", "latesock"}) {
    SCOPED_TRACE(fault);
    sink.boxes.clear();
    host.posted.clear();
    host.warnings.clear();
    host.ended = 0;
    Cfg_ListClear("Debug");
    configure("stop m.PROG 1 1 0 A||M\noutput bye\nexit 2\n", {fault});
    ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
    EXPECT_FALSE(cont(DEBUG_MODE_RUN));
    EXPECT_EQ(DebugQueue, nullptr);
    EXPECT_EQ(joined(host.warnings), "The current debug session has been terminated.\n");
    ASSERT_TRUE(wait_for([&] { return host.ended > 0; }));
    ASSERT_TRUE(wait_for([&] { return joined(host.posted).find("exit code") != std::string::npos; }));
    EXPECT_NE(joined(host.posted).find("\nProcess terminated with exit code 2 (0x2)."), std::string::npos)
        << joined(host.posted);
    // Late news of the ended session finds nothing to do.
    ASSERT_TRUE(DebugLocal_WaitAll(8000));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(sink.boxes.empty()) << boxes();
  }
}

TEST_F(DebugSession, BreakpointsAreUploadedOncePerFileAndStopARun) {
  configure(kScript);
  new CfgBreakpoint(&host.breakpoints, "main.PROG", 2, 2);
  new CfgBreakpoint(&host.breakpoints, "main.PROG", 1, 12);
  new CfgBreakpoint(&host.breakpoints, "srv://other.PROG", 1, 1);
  ASSERT_NE(Debug_StartSession(false), nullptr) << boxes();
  // A server file cannot be translated in a local session: left out.
  EXPECT_NE(log().find("SET_BREAKPT 2 main.PROG:1:12 main.PROG:2:2"), std::string::npos) << log();
  ASSERT_TRUE(cont(DEBUG_MODE_RUN)) << boxes();
  EXPECT_EQ(joined(host.stops), "main.PROG:2:2\n");
  // A breakpoint set while stopped goes up with the next CONT.
  new CfgBreakpoint(&host.breakpoints, "main.PROG", 1, 11);
  host.breakpoints.pending = 1;
  ASSERT_TRUE(cont(DEBUG_MODE_RUN)) << boxes();
  EXPECT_NE(log().find("SET_BREAKPT 3 main.PROG:1:11 main.PROG:1:12 main.PROG:2:2"), std::string::npos) << log();
  EXPECT_EQ(host.stops.back(), "main.PROG:1:12");
  EXPECT_FALSE(cont(DEBUG_MODE_RUN));
}

TEST_F(DebugSession, VariablesAreFetchedExpandedAndSet) {
  configure(kScript);
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
  DebugVariableTarget target;
  NoMeasure measure;
  VariableRowList rows(target, measure);
  EXPECT_TRUE(target.IsStopped());
  ASSERT_TRUE(Debug_Cmd_GET_ELEMENTS(rows, nullptr, -1)) << boxes();
  ASSERT_EQ(rows.GetItemCount(), 2);
  Variable* count = rows.GetRowVariable(0);
  Variable* rec = rows.GetRowVariable(1);
  EXPECT_EQ(count->GetName(), "count");
  EXPECT_EQ(count->GetValueText(), "1");
  ASSERT_TRUE(rec->IsContainer());
  ASSERT_TRUE(Debug_Cmd_GET_ELEMENTS(rows, rec, -1));
  Variable* name = static_cast<VariableContainer*>(rec)->GetFirstChild();
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->GetValueText(), "alpha");
  ASSERT_TRUE(name->SetValue("beta"));
  ASSERT_TRUE(target.SetElement(*name));
  EXPECT_NE(log().find("SET_ELEMENT name = beta"), std::string::npos) << log();
  // The next stop reports the changed tree.
  ASSERT_TRUE(cont(DEBUG_MODE_STEP_OVER));
  ASSERT_TRUE(Debug_Cmd_GET_ELEMENTS(rows, nullptr, -1));
  EXPECT_EQ(rows.GetRowVariable(0)->GetValueText(), "1");
  ASSERT_TRUE(cont(DEBUG_MODE_STEP_INTO));
  ASSERT_TRUE(Debug_Cmd_GET_ELEMENTS(rows, nullptr, -1));
  EXPECT_EQ(rows.GetRowVariable(0)->GetValueText(), "2");
  EXPECT_TRUE(rows.GetRowVariable(0)->TestFlag(Variable_CHANGED));
}

TEST_F(DebugSession, HaltStopsARunAndTerminateEndsSessionAndProcess) {
  configure(
      "stop m.PROG 1 1 0 A||M\n"
      "spin 20000\n"
      "stop m.PROG 1 2 0 B||M\n"
      "sleep 30000\n"
      "stop m.PROG 1 3 0 C||M\n");
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
  QTimer::singleShot(300, [] { Debug_Cmd_BREAK(); });
  auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(cont(DEBUG_MODE_RUN)) << boxes();
  EXPECT_EQ(host.stops.back(), "m.PROG:1:2");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  // Terminate while the program runs cancels the pending exchange; the
  // session ends and the deaf run-time is stopped by a signal.
  QTimer::singleShot(300, [] {
    EXPECT_TRUE(Debug_SessionWaiting());
    Debug_CancelPending();
  });
  EXPECT_FALSE(cont(DEBUG_MODE_RUN));
  EXPECT_EQ(DebugQueue, nullptr);
  EXPECT_EQ(joined(host.warnings), "The current debug session has been terminated.\n");
  ASSERT_TRUE(wait_for([&] { return host.ended > 0; }, 8000));
  EXPECT_NE(joined(host.posted).find("Process terminated with exit code 143 (0x8f)."), std::string::npos)
      << joined(host.posted);
}

TEST_F(DebugSession, ARunTimeThatIgnoresSigtermIsKilled) {
  configure("stop m.PROG 1 1 0 A||M\nsleep 30000\nstop m.PROG 1 2 0 B||M\n", {"ignoreterm"});
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
  QTimer::singleShot(200, [] { Debug_CancelPending(); });
  EXPECT_FALSE(cont(DEBUG_MODE_RUN));
  ASSERT_TRUE(wait_for([&] { return host.ended > 0; }, 9000));
  EXPECT_NE(joined(host.posted).find("exit code 137 (0x89)."), std::string::npos) << joined(host.posted);
}

TEST_F(DebugSession, FaultsEndInTheirTextWithoutHanging) {
  struct Case {
    const char* fault;
    bool starts;           // the session survives the start
    const char* box_text;  // part of the boxes shown
  } cases[] = {
      {"exit3", false, "[Local Debug Session [16]]"},
      {"noconnect", false, "[Local Debug Session [16]]"},
      {"cutloc", false, "Protocol"},
      {"nonul", false, "[Local Debug Session [16]]"},
      {"hugelen", false, "exceeds the limit"},
      {"reply9", true, "invalid reply code 9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    sink.boxes.clear();
    host.posted.clear();
    host.ended = 0;
    Cfg_ListClear("Debug");
    configure(kScript, {c.fault});
    SrvQueue* q = Debug_StartSession(true);
    EXPECT_EQ(q != nullptr, c.starts) << boxes();
    if (q) {
      EXPECT_FALSE(cont(DEBUG_MODE_STEP_OVER));
    }
    EXPECT_NE(boxes().find(c.box_text), std::string::npos) << boxes();
    if (DebugQueue) Debug_EndSession();
    ASSERT_TRUE(wait_for([&] { return host.ended > 0; }));
    if (std::string(c.fault) == "exit3") {
      EXPECT_EQ(joined(host.posted), "Process terminated with exit code 3 (0x3).\n");
    }
    EXPECT_TRUE(DebugLocal_WaitAll(8000));
  }
  // A run-time that never answers: Terminate ends the wait and the session.
  Cfg_ListClear("Debug");
  configure(kScript, {"stall"});
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
  QTimer::singleShot(300, [] { Debug_CancelPending(); });
  EXPECT_FALSE(cont(DEBUG_MODE_STEP_OVER));
  EXPECT_EQ(DebugQueue, nullptr);
}

TEST_F(DebugSession, StartFailuresShowTheirBoxes) {
  // No session chosen.
  host.debug.CurrentSession = -1;
  EXPECT_EQ(Debug_StartSession(true), nullptr);
  // A chosen entry that does not exist.
  host.debug.CurrentSession = 5;
  EXPECT_EQ(Debug_StartSession(true), nullptr);
  // A run-time that cannot be executed.
  Sys_RegSet("Directories", "bin", dir.path().c_str());
  configure(kScript);
  EXPECT_EQ(Debug_StartSession(true), nullptr);
  ASSERT_EQ(sink.boxes.size(), 3u) << boxes();
  EXPECT_EQ(sink.boxes[0].caption, "Debug Session [1]");
  EXPECT_EQ(sink.boxes[1].caption, "Debug Session [2]");
  EXPECT_EQ(sink.boxes[2].caption, "Local Debug Session [15]");
  EXPECT_NE(sink.boxes[2].text.find("Executable File: \"" + dir.path() + "/zazovadi\""), std::string::npos);
  EXPECT_EQ(DebugQueue, nullptr);
  EXPECT_EQ(SrvConn::conn_head, nullptr);
}

TEST_F(DebugSession, AStopNoDocumentShowsIsLookedUpOnce) {
  configure(kScript);
  host.show_result = DebugShown::NO_DOCUMENT;
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
  EXPECT_EQ(Debug_UnshownFile(), "main.PROG");
  EXPECT_EQ(host.stack_shown, 1);
  ASSERT_TRUE(cont(DEBUG_MODE_STEP_OVER));
  EXPECT_EQ(host.open_names, (std::vector<std::string>{"main.PROG", "(not looked up)"}));
}

TEST_F(DebugSession, OutputLosesControlBytesAndFinishedRunsAreDropped) {
  // ESC and NUL never reach the Debug tab; 0x80-0x9F only while the tab
  // shows enhancement characters.
  const std::string script =
      "stop m.PROG 1 1 0 A||M\noutput a\x1b[1mb\x85\x9f"
      "c\nstop m.PROG 1 2 0 B||M\n";
  for (bool enhancements : {false, true}) {
    SCOPED_TRACE(enhancements);
    host.enhancements = enhancements;
    host.lines.clear();
    host.posted.clear();
    host.ended = 0;
    Cfg_ListClear("Debug");
    configure(script);
    ASSERT_NE(Debug_StartSession(true), nullptr) << boxes();
    ASSERT_TRUE(cont(DEBUG_MODE_STEP_OVER)) << boxes();
    // Reply lines pass the code-set conversion first, which turns the C1
    // bytes into blanks; the pipe's bytes arrive as they are.
    EXPECT_EQ(joined(host.lines), "a[1mb  c\n");
    const std::string expected = enhancements ? "a[1mbc"
                                              : "a[1mb\x85\x9f"
                                                "c";
    Debug_EndSession();
    ASSERT_TRUE(wait_for([&] { return host.ended > 0; }));
    // The same line came through the run-time's standard output.
    EXPECT_NE(joined(host.posted).find(expected + "\n"), std::string::npos) << joined(host.posted);
    // A run whose process and threads are done is dropped without waiting
    // for every run.
    EXPECT_TRUE(wait_for([] { return DebugLocal_DropFinished() == 0; }));
  }
}

TEST_F(DebugSession, ARemoteSessionRunsThroughTheProgramServer) {
  vtest::TempDir tree;
  vtest::write_file(tree.file("main.PROG"), "program");
  vtest::StandIn server("progserver", {"--root", tree.path()});
  Cfg_ListClear("Server");
  Test_ListServer("localhost", server.service());
  configure(kScript);
  std::string entry = Cfg_ListGet("Debug", 0);
  Cfg_PutInt(entry.c_str(), "ServerIndex", 1);
  Cfg_PutString(entry.c_str(), "Environment", "WHO=$L HOST=$H");
  Cfg_PutString(entry.c_str(), "TtyDevice", "/dev/null");
  // Two breakpoints in one server file cost one translation.
  new CfgBreakpoint(&host.breakpoints, "localhost://main.PROG", 2, 2);
  new CfgBreakpoint(&host.breakpoints, "localhost://main.PROG", 1, 12);
  ASSERT_NE(Debug_StartSession(true), nullptr) << boxes() << server.log();

  const std::string slog = server.log();
  EXPECT_NE(slog.find("# remote-debug dir=\"\" tty=\"/dev/null\" command=[--script][" + dir.file("s.txt") +
                      "][--log][" + dir.file("log") + "][main] environment=[WHO=alice][HOST=localhost]"),
            std::string::npos)
      << slog;
  size_t translations = 0;
  for (size_t at = slog.find("# translate \"main.PROG\""); at != std::string::npos;
       at = slog.find("# translate", at + 1))
    ++translations;
  EXPECT_EQ(translations, 1u) << slog;
  EXPECT_NE(log().find("SET_BREAKPT 2 main.PROG:1:12 main.PROG:2:2"), std::string::npos) << log();
  // The stop's file is located on the server and named by its server path.
  EXPECT_NE(slog.find("# locate \"main.PROG\""), std::string::npos) << slog;
  EXPECT_EQ(host.open_names.back(), "localhost://main.PROG");
  EXPECT_EQ(joined(host.stack), "MAIN: LET A = 1\n");

  ASSERT_TRUE(cont(DEBUG_MODE_RUN)) << boxes();
  EXPECT_EQ(host.stops.back(), "main.PROG:2:2");
  // Output of a remote run arrives as reply lines only.
  EXPECT_EQ(joined(host.lines), "one\ntwo\nthree\n");
  Debug_EndSession();
  EXPECT_TRUE(sink.boxes.empty()) << boxes();
}

}  // namespace
