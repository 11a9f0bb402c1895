// Undo and redo: the modified flag after any order of undo, redo and save,
// the redo list emptied by a new edit, the limit of 100 actions, empty
// groups, inserted objects and whole dialogs taken out and put back,
// read-only dialogs, re-ordering and the trace line of every record kind.
#include "workbench/dialogs/undo/dlg_undo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "workbench/dialogs/undo/tests/undo_fixture.h"
#include "workbench/base/diag.h"
#include "workbench/base/tests/shelltest.h"

namespace {

TEST_F(UndoTest, ModifiedFlagFollowsTheSavedStateInBothOrders) {
  DlgObject* a = Child(dlg, "a", {10, 10, 30, 20});
  DlgObject* b = Child(dlg, "b", {10, 40, 30, 50});
  Move(a, 8);  // edit A
  EXPECT_EQ(doc.is_modified, 1);
  doc.is_modified = 0;  // save
  Move(b, 8);           // edit B
  EXPECT_EQ(doc.is_modified, 1);

  root->Undo();  // B
  EXPECT_EQ(doc.is_modified, 0);
  EXPECT_EQ(b->Rect().left, 10);
  root->Undo();  // A
  EXPECT_EQ(doc.is_modified, 1);
  EXPECT_EQ(a->Rect().left, 10);
  root->Redo();  // A
  EXPECT_EQ(doc.is_modified, 0);
  EXPECT_EQ(a->Rect().left, 18);
  root->Redo();  // B
  EXPECT_EQ(doc.is_modified, 1);
  EXPECT_EQ(b->Rect().left, 18);

  // And back again, then undo, redo, undo around the saved state.
  root->Undo();
  EXPECT_EQ(doc.is_modified, 0);
  root->Redo();
  EXPECT_EQ(doc.is_modified, 1);
  root->Undo();
  root->Undo();
  EXPECT_EQ(doc.is_modified, 1);
  root->Redo();
  EXPECT_EQ(doc.is_modified, 0);
  EXPECT_EQ(root->CanRedo(), 1);
}

TEST_F(UndoTest, SaveThenUndoIsModifiedAndRedoIsClean) {
  DlgObject* a = Child(dlg, "a", {10, 10, 30, 20});
  Move(a, 8);
  Move(a, 8);
  doc.is_modified = 0;
  root->Undo();
  EXPECT_EQ(doc.is_modified, 1);
  EXPECT_EQ(a->Rect().left, 18);
  root->Redo();
  EXPECT_EQ(doc.is_modified, 0);
  EXPECT_EQ(a->Rect().left, 26);
  root->Undo();
  root->Undo();
  EXPECT_EQ(doc.is_modified, 1);
  EXPECT_EQ(root->CanUndo(), 0);
  root->Redo();
  root->Redo();
  EXPECT_EQ(doc.is_modified, 0);
}

TEST_F(UndoTest, ANewEditEmptiesTheRedoList) {
  DlgObject* a = Child(dlg, "a", {10, 10, 30, 20});
  Move(a, 8);
  Move(a, 8);
  root->Undo();
  EXPECT_EQ(root->CanRedo(), 1);
  Move(a, 4);
  EXPECT_EQ(root->CanRedo(), 0);
  EXPECT_EQ(root->RedoList().head, nullptr);
  root->Redo();  // nothing
  EXPECT_EQ(a->Rect().left, 22);
  root->Undo();
  EXPECT_EQ(a->Rect().left, 18);
}

TEST_F(UndoTest, TheOldestWholeActionGoesBeyondOneHundred) {
  DlgObject* a = Child(dlg, "a", {0, 10, 10, 20});
  DlgObject* b = Child(dlg, "b", {0, 40, 10, 50});
  // The first action has two records.
  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  a->MoveTo(a->GetCanvasRect().Offset(1, 0));
  b->MoveTo(b->GetCanvasRect().Offset(1, 0));
  root->EndUndo();
  for (int i = 0; i < 99; ++i) Move(a, 1);
  EXPECT_EQ(root->ActionCount(), 100);
  EXPECT_FALSE(root->Flags() & F_UNDO_TRUNCATED);
  Move(a, 1);  // the 101st
  EXPECT_EQ(root->ActionCount(), 100);
  EXPECT_EQ(UndoCount(), 100);
  EXPECT_TRUE(root->Flags() & F_UNDO_TRUNCATED);
  // The head is a record of the second action, not a stray one of the first.
  ASSERT_NE(root->UndoList().head, nullptr);
  EXPECT_EQ(root->UndoList().head->next->IsAction(), 1);
  int steps = 0;
  while (root->CanUndo()) {
    root->Undo();
    ++steps;
  }
  EXPECT_EQ(steps, 100);
  EXPECT_EQ(a->Rect().left, 1);  // the first action was dropped
  EXPECT_EQ(b->Rect().left, 1);
}

TEST_F(UndoTest, AnEmptyGroupLeavesNoRecord) {
  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  EXPECT_EQ(root->IsRecording(), 1);
  EXPECT_EQ(root->BeginUndo(), 0);  // groups do not nest
  EXPECT_EQ(root->EndUndo(), 0);
  EXPECT_EQ(root->IsRecording(), 0);
  EXPECT_EQ(root->UndoList().head, nullptr);
  EXPECT_EQ(root->ActionCount(), 0);
  EXPECT_EQ(root->CanUndo(), 0);
}

TEST_F(UndoTest, UndoOfAnInsertTakesTheObjectWithItsChildrenAndRedoPutsItBack) {
  DlgObject* first = Child(dlg, "first", {0, 0, 10, 10});
  Child(dlg, "last", {0, 50, 10, 60});
  // Insert a group with one child after "first".
  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  auto* grp = new DlgContainer(anchor, first, DLG_LINK_AFTER, "grp");
  grp->SetFlags(grp->Flags() | DLG_F_SHOWN | DLG_F_SELECTABLE);
  grp->SetGeometry(20, 20, 50, 30);
  DlgObject* inner = Child(grp, "inner", {1, 1, 5, 5});
  new DlgUndoItem_OBJECT(&root->UndoList(), grp, 1);
  doc.SetModifiedFlag(true);
  root->EndUndo();
  grp->Select();
  doc.xref.clear();

  root->Undo();
  EXPECT_EQ(first->next->Name(), std::string("last"));
  EXPECT_EQ(dlg->FindById(inner->Id()), nullptr);
  EXPECT_EQ(grp->Tracker(), nullptr);
  EXPECT_EQ(anchor->sel_head, nullptr);
  ASSERT_EQ(doc.xref.size(), 1u);
  EXPECT_EQ(doc.xref[0], "remove dlg.grp");
  EXPECT_EQ(doc.is_modified, 0);

  doc.xref.clear();
  root->Redo();
  EXPECT_EQ(first->next, grp);
  EXPECT_EQ(grp->next->Name(), std::string("last"));
  EXPECT_EQ(dlg->FindById(inner->Id()), inner);
  EXPECT_EQ(doc.is_modified, 1);
  EXPECT_EQ(doc.xref.size(), 2u);  // the group and its child

  root->Undo();  // the record owns the group again; the tear-down deletes it
}

TEST_F(UndoTest, UndoOfAnAddedDialogClosesItsViewsAndRedoMakesItAgain) {
  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  auto* second = new DlgAnchor(root.get());
  second->SetContext(&doc.AddView(second)->origin);
  auto* r2 = new DlgContainer(second, nullptr, DLG_LINK_LAST_CHILD, "second");
  r2->SetFlags(r2->Flags() | DLG_F_SELECTABLE);
  auto* ok = new DlgObject(second, r2, DLG_LINK_LAST_CHILD, "ok");
  ok->SetFlags(ok->Flags() | DLG_F_SHOWN | DLG_F_SELECTABLE);
  new DlgUndoItem_ANCHOR(&root->UndoList(), second, 1);
  new DlgUndoItem_OBJECT(&root->UndoList(), r2, 1);
  doc.SetModifiedFlag(true);
  root->EndUndo();
  const uint32_t id = second->Id();

  root->Undo();
  EXPECT_EQ(root->FindAnchor(id), nullptr);
  ASSERT_EQ(doc.closed_anchors.size(), 1u);
  EXPECT_EQ(doc.closed_anchors[0], id);
  EXPECT_EQ(root->FindRootObject("second"), nullptr);

  root->Redo();
  DlgAnchor* again = root->FindAnchor(id);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->prev, anchor);
  EXPECT_EQ(again->RootObject(), r2);
  EXPECT_EQ(r2->Anchor(), again);
  ASSERT_NE(r2->FindByPath("second.ok"), nullptr);
  EXPECT_EQ(r2->FindByPath("second.ok")->Anchor(), again);
  EXPECT_GE(doc.views_made, 1);  // a view opened for the dialog again

  root->Undo();  // leaves the object to the record with its anchor gone
}

TEST_F(UndoTest, ReadOnlyDialogsIgnoreUndo) {
  DlgObject* a = Child(dlg, "a", {10, 10, 30, 20});
  Move(a, 8);
  root->SetFlags(root->Flags() | F_READ_ONLY);
  EXPECT_EQ(root->CanUndo(), 0);
  EXPECT_EQ(root->ClearRedo(), 0);
  EXPECT_EQ(root->BeginUndo(), 0);
  root->Undo();
  EXPECT_EQ(a->Rect().left, 18);
  root->SetFlags(root->Flags() & ~F_READ_ONLY);
  root->Undo();
  EXPECT_EQ(a->Rect().left, 10);
  root->SetFlags(root->Flags() | F_READ_ONLY);
  root->Redo();
  EXPECT_EQ(a->Rect().left, 10);
}

TEST_F(UndoTest, ReorderRecordsAndUndoesAndRefusesCycles) {
  auto* grp = Child<DlgContainer>(dlg, "grp", {0, 0, 100, 50});
  auto* sub = Child<DlgContainer>(grp, "sub", {0, 0, 50, 20});
  DlgObject* x = Child(dlg, "x", {0, 60, 10, 70});
  // A group cannot move into itself or below its own child.
  EXPECT_EQ(grp->Reorder(grp, nullptr), 0);
  EXPECT_EQ(grp->Reorder(sub, nullptr), 0);
  EXPECT_EQ(grp->Reorder(nullptr, sub), 0);
  EXPECT_EQ(sub->Parent(), grp);
  EXPECT_EQ(grp->Parent(), dlg);

  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  ASSERT_EQ(x->Reorder(sub, nullptr), 1);
  root->EndUndo();
  EXPECT_EQ(x->Parent(), sub);
  root->Undo();
  EXPECT_EQ(x->Parent(), dlg);
  EXPECT_EQ(x->prev, grp);
  EXPECT_EQ(x->Tracker() != nullptr, true);  // selected after the step
  root->Redo();
  EXPECT_EQ(x->Parent(), sub);
}

TEST_F(UndoTest, DeleteSelectedRecordsAndUndoRestoresThePlace) {
  DlgObject* a = Child(dlg, "a", {0, 0, 10, 10});
  DlgObject* b = Child(dlg, "b", {0, 20, 10, 30});
  DlgObject* c = Child(dlg, "c", {0, 40, 10, 50});
  b->Select();
  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  anchor->DeleteSelected();
  root->EndUndo();
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(doc.is_modified, 1);
  root->Undo();
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->next, c);
  EXPECT_EQ(doc.is_modified, 0);
}

class UndoTraceTest : public UndoTest {
 protected:
  void SetUp() override {
    UndoTest::SetUp();
    Diag_Setup("U2", nullptr);
  }
  void TearDown() override {
    UndoTest::TearDown();
    Diag_Reset();
  }
  RecordingSink sink;
};

TEST_F(UndoTraceTest, EveryRecordKindWritesItsLine) {
  DlgObject* a = Child(dlg, "a", {10, 10, 30, 20});
  auto* grp = Child<DlgContainer>(dlg, "grp", {40, 0, 100, 50});
  prop_def def{};
  def.name = "title";
  def.category = "Look";
  def.type = PROP_TYPE_STRING;
  def.index = -1;
  prop_val old_text = PropVal_Text("old");
  prop_val new_num = PropVal_Int(7);
  prop_val empty = PropVal_Text("");

  ASSERT_EQ(root->ClearRedo(), 1);
  ASSERT_EQ(root->BeginUndo(), 1);
  new DlgUndoItem_PROP(&root->UndoList(), a, &def, &old_text, 3, &new_num, -1);
  new DlgUndoItem_PROP(&root->UndoList(), a, &def, nullptr, -1, &empty, -1);
  new DlgUndoItem_COORD(&root->UndoList(), a, 2, 20, 40);
  new DlgUndoItem_RESIZE(&root->UndoList(), a, a->GetCanvasRect(), a->GetCanvasRect().Offset(0, 0));
  a->MoveTo(a->GetCanvasRect().Offset(5, 5));
  ASSERT_EQ(a->Reorder(grp, nullptr), 1);
  new DlgUndoItem_OBJECT(&root->UndoList(), a, 1);
  new DlgUndoItem_ANCHOR(&root->UndoList(), anchor, 1);
  root->EndUndo();

  const std::string& log = sink.debug;
  EXPECT_NE(log.find("U2: BeginAction: ACTION\n"), std::string::npos) << log;
  EXPECT_NE(log.find("U2: EndAction: ACTION count=8\n"), std::string::npos) << log;

  // The record lines, each logged as its undo step would log it.
  sink.debug.clear();
  for (DlgUndoItem* i = root->UndoList().head; i; i = i->next) i->Log("UndoAction");
  const char* expected =
      "U2: UndoAction: PROP name=\"title\", old_val=\"old\", old_chdl=3, new_val=7, new_chdl=-1\n"
      "U2: UndoAction: PROP name=\"title\", old_val=<NULL>, old_chdl=-1, new_val=<NULL>, new_chdl=-1\n"
      "U2: UndoAction: COORD name=\"a\", old_width=20, new_width=40\n"
      "U2: UndoAction: RESIZE name=\"a\", old_size=(20,10), new_size=(20,10)\n"
      "U2: UndoAction: MOVE name=\"a\", old_pos=(10,10), new_pos=(15,15)\n"
      "U2: UndoAction: ORDER name=\"a\", undo_obj=\"dlg\", undo_insert_after=\"\", redo_obj=\"grp\", "
      "redo_insert_after=\"\"\n";
  EXPECT_EQ(sink.debug.substr(0, std::strlen(expected)), expected);
  char tail[200];
  std::snprintf(tail, sizeof tail,
                "U2: UndoAction: UNLINK OBJECT id=%lu, name=\"a\"\n"
                "U2: UndoAction: UNLINK ANCHOR id=%lu, prev=0\n"
                "U2: UndoAction: ACTION count=8\n",
                static_cast<unsigned long>(a->Id()), static_cast<unsigned long>(anchor->Id()));
  EXPECT_EQ(sink.debug.substr(std::strlen(expected)), tail);
}

}  // namespace

namespace {

TEST_F(UndoTest, AResizeIsOneActionThatUndoAndRedoReplay) {
  DlgObject* a = Child(dlg, "a", {10, 10, 30, 20});
  a->Select();
  const DlgRect from = a->GetCanvasRect();
  a->Tracker()->FinishResize(from, DlgRect{from.left, from.top, from.right + 15, from.bottom + 5});
  EXPECT_EQ(a->Rect(), (DlgRect{10, 10, 45, 25}));
  EXPECT_EQ(doc.is_modified, 1);
  root->Undo();
  EXPECT_EQ(a->Rect(), (DlgRect{10, 10, 30, 20}));
  EXPECT_EQ(doc.is_modified, 0);
  root->Redo();
  EXPECT_EQ(a->Rect(), (DlgRect{10, 10, 45, 25}));
  EXPECT_EQ(doc.is_modified, 1);
  // Re-syncing the selections records nothing.
  anchor->ResyncSelections();
  EXPECT_EQ(root->ActionCount(), 1);
}

}  // namespace
