// The Variables window in a local debug session with the stand-in
// run-time: filled when opened at a stop, a value edited in place reaches
// the run-time and comes back at the next stop, a refused one stays old.
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>

#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/debugger/session/debugcore.h"
#include "workbench/debugger/session/debughost.h"
#include "workbench/debugger/session/debuglocal.h"
#include "workbench/debugger/session/debugtarget.h"
#include "workbench/debugger/variablesdoc.h"
#include "workbench/debugger/variableview.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/server/srvconn.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/statusmodel.h"

namespace {

// The environment around the debugger: only the Variables window and the
// status bar matter here.
class Host : public DebugHost {
 public:
  explicit Host(VariablesWindow* window) : window_(window) {}
  void PostOutput(std::string) override {}
  void PostEnded() override {}
  VariablesPane* Variables() override { return window_; }
  CfgDebug& DebugSettings() override { return debug; }
  CfgBreakpoints& Breakpoints() override { return breakpoints; }
  void Status(int kind, const std::string& text) override { statuses.push_back({kind, text}); }

  CfgDebug debug;
  CfgBreakpoints breakpoints;
  std::vector<std::pair<int, std::string>> statuses;

 private:
  VariablesWindow* window_;
};

const char* const kScript =
    "var count I 1\n"
    "var rate L 2.5\n"
    "var rec T REC\n"
    "var rec.name X alpha\n"
    "stop main.PROG 1 10 0 LET A = 1||MAIN\n"
    "stop main.PROG 1 11 0 LET B = 2||MAIN\n"
    "stop main.PROG 1 12 0 PRINT A||MAIN\n";

class VariablesSession : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    Fw_RegisterMessages();
    setenv(REG_ENV_DIRECTORY, profile.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    SrvConn::Initialize();
    Sys_RegSet("Directories", "bin", vtest::bin_dir().c_str());
    Debug_SetHost(&host);
  }
  void TearDown() override {
    window.Show(false);
    if (DebugQueue) Debug_EndSession();
    EXPECT_TRUE(DebugLocal_WaitAll(10000));
    Debug_SetHost(nullptr);
    SrvConn::CloseAll();
    Sys_SetAssertHandler(previous_);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  void Start(const std::vector<std::string>& faults = {}) {
    vtest::write_file(dir.file("s.txt"), kScript);
    std::string command = "--script " + dir.file("s.txt") + " --log " + dir.file("log");
    for (const auto& f : faults) command += " --fault " + f;
    command += " main";
    const std::string entry = Cfg_ListAppend("Debug", "local");
    Cfg_PutString(entry.c_str(), "Command", command.c_str());
    Cfg_PutInt(entry.c_str(), "ServerIndex", 0);
    host.debug.CurrentSession = 0;
    ASSERT_NE(Debug_StartSession(true), nullptr) << Boxes();
  }
  std::string Log() const { return vtest::read_file(dir.file("log")); }
  std::string Boxes() const {
    std::string all;
    for (const auto& b : sink.boxes) all += "[" + b.caption + "] " + b.text + "\n";
    return all;
  }
  bool StepOver() {
    Debug_SetBusy(true);
    const bool ok = Debug_Cmd_CONT(DEBUG_MODE_STEP_OVER, false);
    if (!ok) Debug_CheckSession();
    Debug_SetBusy(false);
    return ok;
  }
  // Types a value into the rate row's in-place edit and presses Enter.
  void EditRate(const char* text) {
    CVariableView* view = window.View();
    view->BeginEdit(1);
    ASSERT_NE(CInPlaceEdit::m_CurrInstance, nullptr);
    CInPlaceEdit::m_CurrInstance->setText(text);
    QTest::keyClick(CInPlaceEdit::m_CurrInstance, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([] { return CInPlaceEdit::m_CurrInstance == nullptr; }, 8000));
  }
  std::string RateText() { return window.View()->Rows().GetRowVariable(1)->GetValueText(); }

  vtest::TempDir profile, dir;
  RecordingSink sink;
  DebugVariableTarget target;
  CfgWindowPositions positions;
  VariablesWindow window{target, &positions};
  Host host{&window};
  SysAssertHandler previous_ = nullptr;
};

TEST_F(VariablesSession, EditedValueReachesTheRunTimeAndComesBackAtTheNextStop) {
  Start();
  window.Show(true);  // opened while stopped: filled
  ASSERT_NE(window.View(), nullptr);
  ASSERT_EQ(window.View()->Rows().GetItemCount(), 3) << Boxes();
  EXPECT_EQ(RateText(), "2.5");

  EditRate("1,5");
  EXPECT_NE(Log().find("SET_ELEMENT rate = 1.5"), std::string::npos) << Log();
  ASSERT_FALSE(host.statuses.empty());
  EXPECT_EQ(host.statuses.back(),
            (std::pair<int, std::string>{SK_PLAIN, "REAL variable rate set with new value [1,5]"}));

  ASSERT_TRUE(StepOver()) << Boxes();  // the stop refreshes the open window
  EXPECT_EQ(RateText(), "1.5");
  EXPECT_FALSE(window.View()->Rows().GetRowVariable(1)->TestFlag(Variable_CHANGED));
  EXPECT_TRUE(sink.beeps.empty());
}

TEST_F(VariablesSession, RefusedValueKeepsTheOldTextWithAnErrorAndABeep) {
  Start({"setrefused"});
  window.Show(true);
  ASSERT_EQ(window.View()->Rows().GetItemCount(), 3) << Boxes();
  EditRate("7");
  EXPECT_NE(Log().find("SET_ELEMENT rate = 7"), std::string::npos) << Log();
  EXPECT_EQ(RateText(), "2.5");
  EXPECT_NE(Boxes().find("[Run/Continue] Variable rate is read-only"), std::string::npos) << Boxes();
  ASSERT_FALSE(host.statuses.empty());
  EXPECT_EQ(host.statuses.back(),
            (std::pair<int, std::string>{SK_ERROR, "REAL variable rate does not accept new value [7]"}));
  EXPECT_EQ(sink.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_NE(DebugQueue, nullptr);  // the session goes on
}

}  // namespace
