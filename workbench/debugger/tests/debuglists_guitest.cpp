// The list bases, the debug-session list and dialog, and the Breakpoints
// dialog, on a private profile with the recording sink.
#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "tests/support/testsupport.h"
#include "workbench/debugger/breakpointsdlg.h"
#include "workbench/debugger/debuglist.h"
#include "workbench/debugger/debugsessiondlg.h"
#include "workbench/debugger/itemlistview.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/sysassert.h"
#include "workbench/base/tests/shelltest.h"

namespace {

class DebugLists : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    setenv(REG_ENV_DIRECTORY, dir.path().c_str(), 1);
    reg_reset_default_store();
    Cfg_SetProfile(nullptr);
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  }
  void TearDown() override {
    Sys_SetAssertHandler(previous_);
    reg_reset_default_store();
    unsetenv(REG_ENV_DIRECTORY);
  }

  static void AddSession(const char* name, const char* command) {
    const std::string e = Cfg_ListAppendUnique("Debug", name);
    Cfg_PutString(e.c_str(), "Command", command);
    Cfg_PutInt(e.c_str(), "ServerIndex", 1);
    Cfg_PutBool(e.c_str(), "HideLocalZazoVADI", false);
  }
  // The user profile's file as the store wrote it.
  std::string ProfileText() const { return vtest::read_file(dir.file("user.reg")); }

  vtest::TempDir dir;
  RecordingSink sink;
  SysAssertHandler previous_ = nullptr;
};

// A list that has rows before it is set up.
class EarlyRows : public CInfoListCtrl {
 public:
  std::string ItemText(const void*, int) const override { return "row"; }
  void Fill(int rows) {
    for (int i = 0; i < rows; ++i) AppendRow(&records[i]);
  }
  void SetUp() { columns_set_up = true; }
  int records[4] = {};
};

TEST_F(DebugLists, InfoListIsEmptyToCallersUntilSetUp) {
  EarlyRows list;
  list.Fill(3);
  list.topLevelItem(1)->setSelected(true);
  EXPECT_EQ(list.GetSelectedIdx(), -1);
  EXPECT_EQ(list.GetItemInfo(0), nullptr);
  list.SetUp();
  EXPECT_EQ(list.GetSelectedIdx(), 1);
  EXPECT_EQ(list.GetItemInfo(0), &list.records[0]);
  EXPECT_EQ(list.GetItemInfo(3), nullptr);  // the count
  EXPECT_EQ(list.GetItemInfo(-1), nullptr);
}

class CountingView : public CItemListView {
 public:
  CountingView() : CItemListView(nullptr) {}
  int layouts = 0;

 protected:
  void OnUpdateTimer() override { ++layouts; }
};

TEST_F(DebugLists, SeveralUpdateRequestsGiveOneLayoutStep) {
  CountingView view;
  view.ScheduleUpdate();
  view.ScheduleUpdate();
  EXPECT_EQ(view.layouts, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.layouts == 1; }, 5000)) << view.layouts;
  QCoreApplication::processEvents();
  EXPECT_EQ(view.layouts, 1);
  EXPECT_FALSE(view.UpdatePending());
  view.ScheduleUpdate();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.layouts == 2; }, 5000)) << view.layouts;
}

TEST_F(DebugLists, SessionListLoadsSelectsAndSavesTheProfileText) {
  AddSession("Old one", "old");
  AddSession("Second", "second");
  CDebugList list;
  EXPECT_FALSE(list.SaveConfig());  // before set-up
  DebugINFO spare;
  EXPECT_EQ(list.AddItem(&spare), -1);
  ASSERT_TRUE(list.Setup());
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.topLevelItem(1)->text(0), "Second");
  const auto* second = static_cast<const DebugINFO*>(list.GetItemInfo(1));
  EXPECT_EQ(second->ServerIndex, 1);
  EXPECT_FALSE(second->HideLocalZazoVADI);

  EXPECT_EQ(list.SelectItem(0), 2);
  EXPECT_EQ(list.SelectItem(1), 2);
  EXPECT_EQ(list.GetSelectedIdx(), 1);
  EXPECT_FALSE(list.topLevelItem(0)->isSelected());

  ASSERT_TRUE(list.RemoveItem(0));
  auto* fresh = new DebugINFO{"Lab run", "prog -x", "A=1 B=2", "/srv/lab", "/dev/pts/3", 2, true, false};
  ASSERT_EQ(list.AddItem(fresh), 1);
  ASSERT_TRUE(list.SaveConfig());
  const std::string text = ProfileText();
  const std::string key = "[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica Development Environment\\Debug";
  const size_t from = text.find(key + "]");
  ASSERT_NE(from, std::string::npos) << text;
  EXPECT_EQ(text.substr(from), key + R"(]
"Total"=dword:00000002
"1"="Second"
"2"="Lab run"

)" + key + R"(\Second]
"Command"="second"
"Environment"=""
"StartDirectory"=""
"TtyDevice"=""
"ServerIndex"=dword:00000001
"AppendCurrentFile"="False"
"HideLocalZazoVADI"="False"

)" + key + R"(\Lab run]
"Command"="prog -x"
"Environment"="A=1 B=2"
"StartDirectory"="/srv/lab"
"TtyDevice"="/dev/pts/3"
"ServerIndex"=dword:00000002
"AppendCurrentFile"="True"
"HideLocalZazoVADI"="False"

)");
}

TEST_F(DebugLists, SessionListThatCannotSaveKeepsTheStoredList) {
  AddSession("Kept", "kept");
  CDebugList list;
  ASSERT_TRUE(list.Setup());
  ASSERT_EQ(list.AddItem(new DebugINFO{"KEPT", "", "", "", "", 0, false, true}), 1);  // keys ignore case
  EXPECT_FALSE(list.SaveConfig());
  ASSERT_TRUE(list.RemoveItem(1));
  ASSERT_EQ(list.AddItem(new DebugINFO{}), 1);  // no description
  EXPECT_FALSE(list.SaveConfig());
  EXPECT_EQ(Cfg_ListNames("Debug"), (std::vector<std::string>{"Kept"}));
  EXPECT_EQ(Cfg_GetString(Cfg_ListFind("Debug", "Kept").c_str(), "Command"), "kept");
}

TEST_F(DebugLists, SessionDialogListsTheServersAndMovesTheMembers) {
  for (auto [name, title] : {std::pair{"prod", "Production"}, std::pair{"srv", ""}}) {
    const std::string e = Cfg_ListAppendUnique("Server", name);
    Cfg_PutString(e.c_str(), "Title", title);
  }
  CDebugSessionDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Debug Session Setup");
  dlg.SetInfo({"Nightly", "prog", "X=1", "/tmp", "/dev/tty", 2, true, false});
  dlg.OnInitDialog();
  QComboBox* combo = dlg.ServerCombo();
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "Local System");
  EXPECT_EQ(combo->itemText(1), "prod (Production)");
  EXPECT_EQ(combo->itemText(2), "srv ()");
  EXPECT_EQ(combo->currentIndex(), 2);
  EXPECT_EQ(dlg.Edit(IDC_DEBUG_COMMAND)->text(), "prog");
  EXPECT_TRUE(dlg.Check(IDC_DEBUG_APPEND_FILE)->isChecked());
  EXPECT_FALSE(dlg.Check(IDC_DEBUG_HIDE_CONSOLE)->isChecked());

  dlg.Edit(IDC_DEBUG_DESCRIPTION)->setText("Nightly 2");
  combo->setCurrentIndex(0);
  dlg.Check(IDC_DEBUG_HIDE_CONSOLE)->setChecked(true);
  dlg.UpdateData(true);
  const DebugINFO info = dlg.GetInfo();
  EXPECT_EQ(info.Description, "Nightly 2");
  EXPECT_EQ(info.ServerIndex, 0);
  EXPECT_TRUE(info.HideLocalZazoVADI);
  EXPECT_EQ(info.StartDirectory, "/tmp");

  // Defaults: the local system, the console hidden.
  CDebugSessionDlg blank;
  blank.OnInitDialog();
  EXPECT_EQ(blank.ServerCombo()->currentIndex(), 0);
  EXPECT_TRUE(blank.Check(IDC_DEBUG_HIDE_CONSOLE)->isChecked());
}

// Program documents as the Breakpoints dialog sees them.
class MarkRecorder : public ProgramLink {
 public:
  void UpdateBreakpointList() override { ++updates; }
  void DropBreakpointMark(const CfgBreakpoint& bp) override { dropped.push_back(bp.Line); }
  void RefreshBreakpointMarks() override { ++refreshes; }
  int updates = 0;
  int refreshes = 0;
  std::vector<int> dropped;
};

class BreakpointsDialog : public DebugLists {
 protected:
  void SetUp() override {
    DebugLists::SetUp();
    new CfgBreakpoint(&breakpoints, "/work/a.PROG", 3, 10);
    (new CfgBreakpoint(&breakpoints, "/work/b.PROG", 1, 20))->SetText("MAIN");
    new CfgBreakpoint(&breakpoints, "/work/c.PROG", 2, 30);
  }
  void Select(CBreakpointsDlg& dlg, std::vector<int> rows) {
    dlg.List()->clearSelection();
    for (int row : rows) dlg.List()->topLevelItem(row)->setSelected(true);
  }

  CfgBreakpoints breakpoints;
  MarkRecorder program;
  std::vector<std::string> topics;
  std::function<void(const std::string&)> help = [this](const std::string& t) { topics.push_back(t); };
};

TEST_F(BreakpointsDialog, ListsTheStoredBreakpoints) {
  CBreakpointsDlg dlg(breakpoints, program, help);
  ASSERT_TRUE(dlg.OnInitDialog());
  EXPECT_EQ(program.updates, 1);
  CBreakpointList* list = dlg.List();
  ASSERT_EQ(list->GetItemCount(), 3);
  EXPECT_EQ(list->headerItem()->text(1), "Segment");
  EXPECT_EQ(list->columnWidth(1), 96);
  EXPECT_EQ(list->columnWidth(2), 48);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "#3");
  EXPECT_EQ(list->topLevelItem(1)->text(1), "MAIN");
  EXPECT_EQ(list->topLevelItem(2)->text(2), "30");
  EXPECT_EQ(list->topLevelItem(0)->text(0), "/work/a.PROG");
}

TEST_F(BreakpointsDialog, GoToNeedsExactlyOneRow) {
  CBreakpointsDlg dlg(breakpoints, program, help);
  dlg.show();
  ASSERT_TRUE(dlg.OnInitDialog());
  Select(dlg, {0, 2});
  QTest::mouseClick(dlg.Button(IDC_BREAKPOINT_GOTO), Qt::LeftButton);
  EXPECT_EQ(sink.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_TRUE(dlg.isVisible());
  Select(dlg, {2});
  QTest::mouseClick(dlg.Button(IDC_BREAKPOINT_GOTO), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), IDC_BREAKPOINT_GOTO);
  EXPECT_EQ(dlg.m_FileName, "/work/c.PROG");
  EXPECT_EQ(dlg.m_Segment, 2);
  EXPECT_EQ(dlg.m_Line, 30);
}

TEST_F(BreakpointsDialog, RemovingEmptiesTheStoredListAndTheMarks) {
  {
    CBreakpointsDlg dlg(breakpoints, program, help);
    dlg.show();
    ASSERT_TRUE(dlg.OnInitDialog());
    Select(dlg, {0, 2});
    QTest::keyClick(dlg.List(), Qt::Key_Delete);
    EXPECT_EQ(program.dropped, (std::vector<int>{10, 30}));
    ASSERT_EQ(dlg.List()->GetItemCount(), 1);
    EXPECT_EQ(breakpoints.head->Line, 20);
    QTest::mouseClick(dlg.Button(IDC_BREAKPOINT_REMOVE_ALL), Qt::LeftButton);
    EXPECT_EQ(dlg.List()->GetItemCount(), 0);
    EXPECT_EQ(breakpoints.head, nullptr);
    EXPECT_EQ(breakpoints.num_items, 0);
    EXPECT_TRUE(breakpoints.changed);
    EXPECT_EQ(program.dropped.size(), 3u);
    QTest::keyClick(&dlg, Qt::Key_F1);
    QTest::mouseClick(dlg.Button(IDC_DIALOG_HELP), Qt::LeftButton);
    EXPECT_EQ(topics, (std::vector<std::string>{"HIDD_BREAKPOINTS", "HIDD_BREAKPOINTS"}));
    EXPECT_EQ(program.refreshes, 0);
  }
  EXPECT_EQ(program.refreshes, 1);  // the documents mark again when the list goes
}

}  // namespace
