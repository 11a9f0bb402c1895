// Selections: the primary selection's style, the handles an attachment
// leaves, the resize adjustment on the parent's grid and the own unit, and
// the snapping of drag steps.
#include "workbench/dialogs/model/dlg_selection.h"

#include <gtest/gtest.h>

#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"

namespace {

using SelectionTest = DlgModelTest;

TEST_F(SelectionTest, HandleMasksByAttachment) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* obj = MakeChild(r, "obj", {10, 10, 50, 30});
  ASSERT_EQ(obj->Select(), 1);
  DlgSelection* s = obj->Tracker();
  EXPECT_EQ(s->GetHandleMask(), 255);  // outside drawing every handle hit-tests
  s->SetTrackerFlags(DLG_TRK_DRAWING);
  struct Case {
    uint32_t attach;
    int mask;
  } cases[] = {
      {0, 255}, {1, 127}, {2, 95}, {3, 223}, {4, 239}, {8, 175}, {12, 191}, {1 | 4, 111}, {2 | 8, 15}, {3 | 12, 159},
  };
  for (const Case& c : cases) {
    obj->SetFlags((obj->Flags() & ~(DLG_F_HATTACH_MASK | DLG_F_VATTACH_MASK)) | c.attach);
    EXPECT_EQ(s->GetHandleMask(), c.mask) << c.attach;
  }
  // Without outside handles (not the primary one): all.
  s->SetStyle(DLG_TRK_HATCHED_BORDER);
  EXPECT_EQ(s->GetHandleMask(), 255);

  ASSERT_EQ(r->Select(), 1);
  r->Tracker()->SetTrackerFlags(DLG_TRK_DRAWING);
  EXPECT_EQ(r->Tracker()->GetHandleMask(), 100);  // a root: right, bottom, bottom-right
}

TEST_F(SelectionTest, ThePrimaryHasTheHandlesAndReadOnlyHasNone) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* a = MakeChild(r, "a", {10, 10, 50, 30});
  DlgObject* b = MakeChild(r, "b", {60, 10, 90, 30});
  a->Select();
  EXPECT_EQ(a->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_PRIMARY));
  b->Select();
  EXPECT_EQ(a->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_HATCHED_BORDER));
  EXPECT_EQ(b->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_PRIMARY));
  b->Deselect();
  EXPECT_EQ(a->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_PRIMARY));
  anchor->ClearSelection();
  root.SetFlags(root.Flags() | F_READ_ONLY);
  b->Select();
  EXPECT_EQ(b->Tracker()->Style(), static_cast<uint32_t>(DLG_TRK_HATCHED_BORDER));
}

TEST_F(SelectionTest, ResizeSnapsMovedEdgesToTheParentGridAndTheOwnUnit) {
  DlgContainer* r = MakeRoot(200, 100);
  ASSERT_EQ(r->SetUnit(8, 8), 1);
  DlgObject* obj = MakeChild(r, "obj", {16, 16, 56, 40}, DLG_F_POS_UNITS);
  obj->Select();
  DlgSelection* s = obj->Tracker();
  EXPECT_EQ(s->Grid().x, 8);
  const DlgRect p = r->GetCanvasRect();
  // Top-left handle: left and top go to the nearest grid line of the parent.
  DlgRect a = DlgRect{19, 13, 56, 40}.Offset(p.left, p.top);
  s->AdjustRect(DLG_HANDLE_TOP_LEFT, &a);
  EXPECT_EQ(a, (DlgRect{16, 16, 56, 40}.Offset(p.left, p.top)));
  a = DlgRect{21, 21, 56, 40}.Offset(p.left, p.top);
  s->AdjustRect(DLG_HANDLE_TOP_LEFT, &a);
  EXPECT_EQ(a, (DlgRect{24, 24, 56, 40}.Offset(p.left, p.top)));
  // Bottom-right handle: the right and bottom edges follow the own unit (1).
  a = DlgRect{16, 16, 61, 43}.Offset(p.left, p.top);
  s->AdjustRect(DLG_HANDLE_BOTTOM_RIGHT, &a);
  EXPECT_EQ(a, (DlgRect{16, 16, 61, 43}.Offset(p.left, p.top)));
  // Never outside the parent.
  a = DlgRect{-5, 16, 250, 40}.Offset(p.left, p.top);
  s->AdjustRect(DLG_HANDLE_RIGHT, &a);
  EXPECT_EQ(a, (DlgRect{0, 16, 200, 40}.Offset(p.left, p.top)));

  // A container with size units of 4 rounds the width from the moved edge.
  auto* box = MakeChild<DlgContainer>(r, "box", {80, 16, 120, 40}, DLG_F_SIZE_UNITS);
  ASSERT_EQ(box->SetUnit(4, 4), 1);
  anchor->ClearSelection();
  box->Select();
  DlgSelection* bs = box->Tracker();
  EXPECT_EQ(bs->Unit().x, 4);
  DlgRect b = DlgRect{80, 16, 121, 42}.Offset(p.left, p.top);
  bs->AdjustRect(DLG_HANDLE_BOTTOM_RIGHT, &b);
  EXPECT_EQ(b, (DlgRect{80, 16, 120, 44}.Offset(p.left, p.top)));
  b = DlgRect{77, 16, 120, 40}.Offset(p.left, p.top);
  bs->AdjustRect(DLG_HANDLE_LEFT, &b);
  EXPECT_EQ(b, (DlgRect{76, 16, 120, 40}.Offset(p.left, p.top)));
}

TEST_F(SelectionTest, DragStepsSnapToTheParentGridInsideItsLimits) {
  DlgContainer* r = MakeRoot(200, 100);
  ASSERT_EQ(r->SetUnit(8, 8), 1);
  DlgObject* obj = MakeChild(r, "obj", {16, 16, 56, 40}, DLG_F_POS_UNITS);
  obj->Select();
  DlgSelection* s = obj->Tracker();
  s->SetDragSnapshot();
  DlgPoint d = s->DragStep(3, 0);  // 19 is nearest to 16
  EXPECT_EQ(d.x, 0);
  EXPECT_EQ(d.y, 0);
  EXPECT_FALSE(s->DragFlags() & DLG_DRAG_MOVED);
  d = s->DragStep(2, 5);  // 21 -> 24; 21 -> 24
  EXPECT_EQ(d.x, 8);
  EXPECT_EQ(d.y, 8);
  EXPECT_TRUE(s->DragFlags() & DLG_DRAG_MOVED);
  // Near the right limit the lower grid line is taken: 157 + 40 would pass 200.
  s->SetDragSnapshot();
  d = s->DragStep(141, 0);  // left 157 -> nearest 160, right 200 fits
  EXPECT_EQ(s->SnappedRect().left - r->GetCanvasRect().left, 160);
  s->SetDragSnapshot();
  d = s->DragStep(146, 0);  // left 162 -> nearest 160: fits
  EXPECT_EQ(s->SnappedRect().left - r->GetCanvasRect().left, 160);
  s->SetDragSnapshot();
  d = s->DragStep(149, 0);  // left 165 -> 168 would end at 208: 160
  EXPECT_EQ(s->SnappedRect().left - r->GetCanvasRect().left, 160);
  EXPECT_EQ(s->SnappedRect().Width(), 40);
}

TEST_F(SelectionTest, ReplayAndApplyToObjectMoveTheObject) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* obj = MakeChild(r, "obj", {10, 10, 50, 30});
  obj->Select();
  DlgSelection* s = obj->Tracker();
  const DlgRect from = obj->GetCanvasRect();
  s->Replay(from, from.Offset(5, 7));
  EXPECT_EQ(obj->Rect(), (DlgRect{15, 17, 55, 37}));
  EXPECT_EQ(s->Rect(), obj->GetCanvasRect());
  s->SetRect(from);
  s->ApplyToObject();
  EXPECT_EQ(obj->Rect(), (DlgRect{10, 10, 50, 30}));
}

}  // namespace
