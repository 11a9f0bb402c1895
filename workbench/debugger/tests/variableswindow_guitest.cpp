// The Variables window as the debugger core meets it (its kind's toggle
// with the environment is in debugger_guitest): opened, filled when a
// session is stopped, its rows kept over closing, emptied on a reset.
#include "workbench/debugger/variablesdoc.h"

#include <QToolButton>
#include <QTest>

#include <gtest/gtest.h>

#include <QHeaderView>

#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/debugger/variables/tests/faketarget.h"
#include "workbench/debugger/variableview.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/tests/fwtest.h"

namespace {

class VariablesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    Fw_RegisterMessages();
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    FakeNode rec{1, "rec", VARKIND_TYPE, "CUSTOMER", {{0, "a", VARKIND_INTEGER, "10", {}}}};
    target.top = {{0, "I", VARKIND_INTEGER, "1", {}}, rec};
  }
  void TearDown() override { Sys_SetAssertHandler(previous_); }
  // Closes the window and lets the closing finish.
  void Close() {
    window.Show(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.IsOpen(); }, 5000));
  }

  FakeTarget target;
  CfgWindowPositions positions;
  VariablesWindow window{target, &positions};
  SysAssertHandler previous_ = nullptr;
};

TEST_F(VariablesWindowTest, OpeningWhileStoppedFillsTheWindow) {
  EXPECT_FALSE(window.IsOpen());
  EXPECT_EQ(window.Rows(), nullptr);
  window.Show(true);
  ASSERT_TRUE(window.IsOpen());
  ASSERT_NE(window.View(), nullptr);
  EXPECT_EQ(window.Document()->Title(), "Variables");
  EXPECT_EQ(window.Document()->Frames().front()->width(), 476);
  EXPECT_EQ(window.View()->Rows().GetItemCount(), 2);
  EXPECT_EQ(target.busy_changes, (std::vector<bool>{true, false}));
  // The column header is one line of text high, the rest is the list's.
  QHeaderView* header = window.View()->findChild<QHeaderView*>();
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->height(), header->sizeHint().height());

  // Open already: brought to the top, not refreshed again.
  window.Show(true);
  EXPECT_EQ(target.requests, 1);
}

TEST_F(VariablesWindowTest, ClosingKeepsRowsAndExpansionUntilReset) {
  target.stopped = false;
  window.Show(true);
  EXPECT_EQ(target.requests, 0);  // no session stopped: nothing fetched
  target.stopped = true;
  ASSERT_TRUE(target.GetElements(*window.Rows(), nullptr, -1));  // a stop
  ASSERT_TRUE(window.View()->Rows().ExpandRow(1));
  Close();
  EXPECT_EQ(window.Rows(), nullptr);
  EXPECT_FALSE(window.Saved().IsEmpty());

  window.Show(true);
  ASSERT_TRUE(window.IsOpen());
  EXPECT_EQ(window.View()->Rows().GetItemCount(), 3);  // rec is still expanded
  EXPECT_EQ(target.requests, 4);                       // reopened while stopped: refreshed once, rec with it

  window.ResetContents();  // a stop in another segment
  EXPECT_EQ(window.View()->Rows().GetItemCount(), 0);
  ASSERT_TRUE(target.GetElements(*window.Rows(), nullptr, -1));
  Close();
  window.ResetContents();  // a new session while closed: the saved rows go
  EXPECT_TRUE(window.Saved().IsEmpty());
  // The frame's place is kept.
  EXPECT_TRUE(positions.entries[CfgWnd_VariableWindow].valid);
  EXPECT_TRUE(positions.modified);
}

TEST_F(VariablesWindowTest, RefreshIsEnabledOnlyWhileStoppedAndBeepsWithoutASession) {
  window.Show(true);
  auto* frame = dynamic_cast<CVariableFrame*>(window.Document()->Frames().front());
  ASSERT_NE(frame, nullptr);
  auto update = [&] {
    FwCmdUI ui;
    ui.id = ID_VARIABLES_REFRESH;
    EXPECT_TRUE(frame->OnUpdateCommand(ui));
    return ui.enabled;
  };
  target.stopped = false;
  EXPECT_FALSE(update());
  QTest::mouseClick(window.View()->RefreshButton(), Qt::LeftButton);  // disabled: nothing
  EXPECT_TRUE(target.beeps.empty());
  EXPECT_TRUE(frame->OnCommand(ID_VARIABLES_REFRESH));  // routed anyway
  EXPECT_EQ(target.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_EQ(window.View()->Rows().GetItemCount(), 2);  // left as it was

  target.stopped = true;
  EXPECT_TRUE(update());
  target.top.pop_back();
  QTest::mouseClick(window.View()->RefreshButton(), Qt::LeftButton);
  EXPECT_EQ(window.View()->Rows().GetItemCount(), 1);
}

}  // namespace
