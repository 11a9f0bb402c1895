// The Variables rows against a fake target: refreshes that mark and drop
// rows, expansion with its cache, saved rows, in-place edits and the value
// column.
#include "workbench/debugger/variables/variablerows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/debugger/variables/tests/faketarget.h"
#include "workbench/base/shellsink.h"
#include "workbench/shell/statusmodel.h"
#include "workbench/base/sysassert.h"

namespace {

using Rows = std::vector<std::string>;

class VariableRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    MakeWorld();
  }
  void MakeWorld() {
    // Rows: I, R, S, rec (a, b (c)), arr (arr(1), arr(2)).
    FakeNode rec{3, "rec", VARKIND_TYPE, "CUSTOMER", {}};
    rec.children = {{0, "a", VARKIND_INTEGER, "10", {}},
                    {1, "b", VARKIND_TYPE, "ADDRESS", {{0, "c", VARKIND_STRING, "deep", {}}}}};
    FakeNode arr{4, "arr", VARKIND_ARRAY + VARKIND_INTEGER, "arr(2)", {}};
    arr.children = {{0, "arr(1)", VARKIND_INTEGER, "5", {}}, {1, "arr(2)", VARKIND_INTEGER, "6", {}}};
    target.top = {{0, "I", VARKIND_INTEGER, "1", {}},
                  {1, "R", VARKIND_REAL, "2.5", {}},
                  {2, "S", VARKIND_STRING, "x", {}},
                  rec,
                  arr};
  }
  void TearDown() override { Sys_SetAssertHandler(previous_); }

  // A stop: the core's full refresh.
  bool Stop() { return target.GetElements(list, nullptr, -1); }

  // The rows as "  name=value", indented two blanks per level, "*" for a
  // changed mark and "+" for an expanded container.
  Rows Shown() const { return ShownOf(list); }
  static Rows ShownOf(const VariableRowList& rows) {
    Rows shown;
    for (int i = 0; i < rows.GetItemCount(); ++i) {
      const Variable* var = rows.GetRowVariable(i);
      std::string text(2 * static_cast<size_t>(var->CountChildren()), ' ');
      text += var->GetName() + "=" + var->GetValueText();
      if (var->TestFlag(Variable_CHANGED)) text += "*";
      if (var->TestFlag(Variable_EXPANDED)) text += "+";
      shown.push_back(text);
    }
    return shown;
  }
  int Requests(std::vector<uint16_t> path) { return target.requests_by_path[path]; }

  FakeTarget target;
  FakeListHost host;
  VariableRowList list{target, host};
  SysAssertHandler previous_ = nullptr;
};

TEST_F(VariableRowsTest, RefreshMarksExactlyTheChangedRowsAndTheNextClearsThem) {
  ASSERT_TRUE(Stop());
  EXPECT_EQ(Shown(), (Rows{"I=1", "R=2.5", "S=x", "rec=CUSTOMER", "arr=arr(2)"}));
  ASSERT_TRUE(list.ExpandRow(3));

  target.top[0].value = "2";
  target.top[3].children[0].value = "11";
  ASSERT_TRUE(Stop());
  EXPECT_EQ(Shown(), (Rows{"I=2*", "R=2.5", "S=x", "rec=CUSTOMER+", "  a=11*", "  b=ADDRESS", "arr=arr(2)"}));
  // The expanded record was asked again; the collapsed array was not.
  EXPECT_EQ(Requests({3}), 2);
  EXPECT_EQ(Requests({4}), 0);

  ASSERT_TRUE(Stop());
  EXPECT_EQ(Shown(), (Rows{"I=2", "R=2.5", "S=x", "rec=CUSTOMER+", "  a=11", "  b=ADDRESS", "arr=arr(2)"}));
  EXPECT_TRUE(target.statuses.empty());
}

TEST_F(VariableRowsTest, VanishedVariableGoesWithItsChildrenAndNewOnesComeMarked) {
  ASSERT_TRUE(Stop());
  ASSERT_TRUE(list.ExpandRow(3));
  ASSERT_TRUE(list.ExpandRow(5));  // rec.b
  ASSERT_EQ(list.GetItemCount(), 8);

  target.top.erase(target.top.begin() + 3);                  // rec goes
  target.top[2] = {2, "T", VARKIND_STRING, "y", {}};         // another variable at S's place
  target.top.push_back({9, "N", VARKIND_INTEGER, "4", {}});  // a new one
  ASSERT_TRUE(Stop());
  EXPECT_EQ(Shown(), (Rows{"I=1", "R=2.5", "T=y*", "arr=arr(2)", "N=4*"}));

  // A new container is not marked; a new child of an expanded one is.
  ASSERT_TRUE(list.ExpandRow(3));
  target.top[3].children.push_back({2, "arr(3)", VARKIND_INTEGER, "7", {}});
  target.top.push_back({10, "Q", VARKIND_TYPE, "Q", {}});
  ASSERT_TRUE(Stop());
  EXPECT_EQ(Shown(),
            (Rows{"I=1", "R=2.5", "T=y", "arr=arr(2)+", "  arr(1)=5", "  arr(2)=6", "  arr(3)=7*", "N=4", "Q=Q"}));
}

TEST_F(VariableRowsTest, ExpansionFetchesOnceAndKeepsTheCache) {
  ASSERT_TRUE(Stop());
  ASSERT_TRUE(list.ExpandRow(3));
  ASSERT_TRUE(list.ExpandRow(5));
  EXPECT_FALSE(list.ExpandRow(3));  // already expanded
  ASSERT_TRUE(list.CollapseRow(3));
  EXPECT_EQ(Shown(), (Rows{"I=1", "R=2.5", "S=x", "rec=CUSTOMER", "arr=arr(2)"}));

  target.top[3].children[0].value = "99";  // not fetched again: the cache shows 10
  target.stopped = false;                  // a cached container needs no target
  ASSERT_TRUE(list.ExpandRow(3));
  EXPECT_EQ(Shown(),
            (Rows{"I=1", "R=2.5", "S=x", "rec=CUSTOMER+", "  a=10", "  b=ADDRESS+", "    c=deep", "arr=arr(2)"}));
  EXPECT_EQ(host.visible, 6);  // the last row inserted
  EXPECT_EQ(Requests({3}), 1);
  EXPECT_EQ(Requests({3, 1}), 1);

  // Without a stopped session an unfetched container beeps and stays shut.
  EXPECT_FALSE(list.ExpandRow(7));
  EXPECT_EQ(target.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_EQ(Requests({4}), 0);

  // A fetch that fails checks the session; a container without children
  // stays collapsed.
  target.stopped = true;
  target.fail_get = true;
  EXPECT_FALSE(list.ExpandRow(7));
  EXPECT_EQ(target.session_checks, 1);
  target.fail_get = false;
  target.top[4].children.clear();
  EXPECT_TRUE(list.ExpandRow(7));
  EXPECT_FALSE(list.GetRowVariable(7)->TestFlag(Variable_EXPANDED));
  EXPECT_EQ(list.GetItemCount(), 8);
}

TEST_F(VariableRowsTest, SavedRowsComeBackWithTheirExpansion) {
  ASSERT_TRUE(Stop());
  ASSERT_TRUE(list.ExpandRow(3));
  ASSERT_TRUE(list.ExpandRow(5));
  const Rows before = Shown();

  VariableChain chain;
  list.SaveRows(chain);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_FALSE(chain.IsEmpty());
  EXPECT_THROW(list.SaveRows(chain), SysAssertError);

  VariableRowList reopened(target, host);
  reopened.RestoreRows(chain);
  EXPECT_TRUE(chain.IsEmpty());
  EXPECT_EQ(ShownOf(reopened), before);
  const int requests = target.requests;
  ASSERT_TRUE(target.GetElements(reopened, nullptr, -1));
  EXPECT_EQ(ShownOf(reopened), before);
  EXPECT_EQ(target.requests, requests + 3);  // top level, rec, rec.b

  // A chain that no window takes back is freed with every subtree.
  reopened.SaveRows(chain);
  chain.Free();
  EXPECT_TRUE(chain.IsEmpty());
}

TEST_F(VariableRowsTest, EditsReachTheTargetOrLeaveTheOldValue) {
  struct EditCase {
    int row;
    const char* text;
    bool fail_set;
    bool stopped_at_end;
    bool sent;
    const char* shown;
    int status_kind;
    const char* status;
  };
  const EditCase cases[] = {
      {1, "1,5", false, true, true, "1.5", SK_PLAIN, "REAL variable R set with new value [1,5]"},
      {0, "12abc", false, true, false, "1", SK_ERROR, "INTEGER variable I does not accept new value [12abc]"},
      {0, "2147483648", false, true, false, "1", SK_ERROR, "INTEGER variable I does not accept new value [2147483648]"},
      {1, "3", true, true, true, "2.5", SK_ERROR, "REAL variable R does not accept new value [3]"},
      {2, "new", false, false, false, "x", SK_ERROR, "STRING variable S does not accept new value [new]"},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.text);
    MakeWorld();
    list.Clear();
    target.statuses.clear();
    target.beeps.clear();
    target.set_requests.clear();
    target.session_checks = 0;
    target.stopped = true;
    ASSERT_TRUE(Stop());
    ASSERT_TRUE(list.BeginEdit(c.row));
    EXPECT_EQ(list.EditRow(), c.row);
    target.fail_set = c.fail_set;
    target.stopped = c.stopped_at_end;
    list.EndEdit(c.text);
    EXPECT_EQ(list.EditRow(), -1);
    EXPECT_EQ(list.GetRowVariable(c.row)->GetValueText(), c.shown);
    EXPECT_EQ(target.set_requests.size(), c.sent ? 1u : 0u);
    ASSERT_EQ(target.statuses.size(), 1u);
    EXPECT_EQ(target.statuses[0].first, c.status_kind);
    EXPECT_EQ(target.statuses[0].second, c.status);
    const bool refused = c.status_kind == SK_ERROR;
    EXPECT_EQ(target.beeps.size(), refused ? 1u : 0u);
    EXPECT_EQ(target.session_checks, c.fail_set ? 1 : 0);
  }
}

TEST_F(VariableRowsTest, AcceptedEditGoesToTheTargetByPath) {
  ASSERT_TRUE(Stop());
  ASSERT_TRUE(list.ExpandRow(3));
  ASSERT_TRUE(list.BeginEdit(4));  // rec.a
  list.EndEdit("-3");
  ASSERT_EQ(target.set_requests.size(), 1u);
  EXPECT_EQ(target.set_requests[0].first, (std::vector<uint16_t>{3, 0}));
  EXPECT_EQ(target.set_requests[0].second, "-3");
  // The next stop reports the value that was set: nothing is marked.
  ASSERT_TRUE(Stop());
  EXPECT_EQ(Shown()[4], "  a=-3");

  // Containers take no edit; without a stopped session a scalar beeps.
  EXPECT_FALSE(list.BeginEdit(3));
  target.stopped = false;
  EXPECT_FALSE(list.BeginEdit(0));
  EXPECT_EQ(list.EditRow(), -1);
  EXPECT_EQ(target.beeps.size(), 1u);
  // An empty text ends the edit and sends nothing.
  target.stopped = true;
  ASSERT_TRUE(list.BeginEdit(0));
  list.EndEdit("");
  EXPECT_EQ(list.EditRow(), -1);
  EXPECT_EQ(target.set_requests.size(), 1u);
}

TEST_F(VariableRowsTest, RefreshCommandNeedsAStoppedSession) {
  target.stopped = false;
  EXPECT_FALSE(list.Refresh(true));
  EXPECT_EQ(target.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_EQ(target.requests, 0);

  target.stopped = true;
  ASSERT_TRUE(list.Refresh(true));
  EXPECT_EQ(target.busy_changes, (std::vector<bool>{true, false}));
  EXPECT_EQ(list.GetItemCount(), 5);
  target.fail_get = true;
  EXPECT_FALSE(list.Refresh(true));
  EXPECT_EQ(target.session_checks, 1);
}

TEST_F(VariableRowsTest, ValueColumnTakesTheWidestNeedOrTheRestOfTheClient) {
  const int avg = 5;
  list.SetGeometry(600, avg);
  const int rest = 600 - VARVIEW_NAME_WIDTH - VARVIEW_TYPE_WIDTH;
  ASSERT_TRUE(Stop());
  EXPECT_EQ(list.ValueWidth(), rest);  // every need is smaller

  const std::string wide(80, 'w');
  const int need = 7 * 80 + VARVIEW_VALUE_PADDING + 2 * avg;
  target.top[2].value = wide;
  ASSERT_TRUE(Stop());
  EXPECT_EQ(list.ValueWidth(), need);

  // A narrower need is applied by the deferred layout step only.
  target.top[2].value = "x";
  ASSERT_TRUE(Stop());
  EXPECT_EQ(list.ValueWidth(), need);
  list.ApplyValueWidth();
  EXPECT_EQ(list.ValueWidth(), rest);
  host.widths.clear();
  list.ApplyValueWidth();
  EXPECT_TRUE(host.widths.empty());  // set only when it differs
}

TEST_F(VariableRowsTest, RepeatedElementIndexLeavesOneRow) {
  target.top = {{5, "A", VARKIND_INTEGER, "1", {}}, {5, "B", VARKIND_INTEGER, "2", {}}};
  ASSERT_TRUE(Stop());
  EXPECT_EQ(list.GetItemCount(), 2);
  ASSERT_TRUE(Stop());  // both elements merge into the first row
  ASSERT_TRUE(Stop());
  EXPECT_EQ(list.GetItemCount(), 1);
  list.RemoveRow(0);
  EXPECT_TRUE(list.IsEmpty());
}

}  // namespace
