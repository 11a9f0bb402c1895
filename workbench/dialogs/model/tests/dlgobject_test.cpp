// The object tree: links and names, units and snapping, geometry from the
// geometry properties, container re-layout and the resize check, hit tests,
// moves and reorders, and the fatal checks.
#include "workbench/dialogs/model/dlg_obj.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "workbench/dialogs/model/dlg_container.h"
#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"
#include "workbench/base/tests/shelltest.h"

namespace {

using ObjectTest = DlgModelTest;

void SetNative(DlgObject* obj, int32_t native, int32_t value) {
  prop_def d{};
  d.name = "geometry";
  d.kind = PROP_KIND_NATIVE;
  d.type = PROP_TYPE_INT;
  d.native = native;
  d.index = -1;
  auto* v = new DlgPropValue(&obj->Props(), &d);
  prop_val val = PropVal_Int(value);
  ASSERT_EQ(v->SetValue(&val, -1), 1);
}

TEST_F(ObjectTest, SnappingWithUnitsEightBySixteen) {
  struct Case {
    DlgRect in;  // relative to the root's top-left
    uint32_t flags;
    DlgRect out;
    int changed;
  } cases[] = {
      {{13, 0, 33, 10}, DLG_F_POS_UNITS, {16, 0, 36, 10}, 1},    // nearest multiple
      {{13, 0, 98, 10}, DLG_F_POS_UNITS, {8, 0, 93, 10}, 1},     // right edge would pass 100: down
      {{16, 9, 36, 19}, DLG_F_POS_UNITS, {16, 16, 36, 26}, 1},   // y in units of 16
      {{16, 75, 36, 79}, DLG_F_POS_UNITS, {16, 64, 36, 68}, 1},  // bottom would pass 80: down
      {{16, 16, 36, 26}, DLG_F_POS_UNITS, {16, 16, 36, 26}, 0},  // on the raster
      {{16, 0, 29, 10}, DLG_F_SIZE_UNITS, {16, 0, 32, 16}, 1},   // width 13 -> 16, height 10 -> 16
      {{16, 0, 27, 7}, DLG_F_SIZE_UNITS, {16, 0, 24, 0}, 1},     // 11 -> 8, 7 -> 0 (nearest)
      {{80, 0, 99, 10}, DLG_F_SIZE_UNITS, {80, 0, 96, 16}, 1},   // 19 -> 24 passes 100: down to 16
      {{13, 9, 33, 19}, 0, {13, 9, 33, 19}, 0},                  // pixels: nothing snaps
  };
  DlgContainer* r = MakeRoot(100, 80);
  ASSERT_EQ(r->SetUnit(8, 16), 1);
  for (const Case& c : cases) {
    DlgObject* obj = MakeChild(r, "obj", {0, 0, 10, 10});
    obj->SetFlags(obj->Flags() | c.flags);
    DlgRect canvas = c.in.Offset(origin.x, origin.y);
    DlgRect old = obj->GetCanvasRect();
    EXPECT_EQ(obj->MoveRect(&canvas, &old), c.changed) << c.in;
    EXPECT_EQ(canvas, c.out.Offset(origin.x, origin.y)) << c.in;
    EXPECT_EQ(obj->Rect(), c.out) << c.in;
    delete obj;
  }
}

TEST_F(ObjectTest, MoveRectWithoutChangeMovesNothingAndHandsTheAreaToTheHint) {
  RecordingView view;
  anchor->SetView(&view);
  DlgContainer* r = MakeRoot(100, 80);
  DlgObject* obj = MakeChild(r, "obj", {10, 10, 30, 20});
  view.invalidated.clear();
  anchor->UpdateHint().Reset();
  obj->SetFlags(obj->Flags() | DLG_F_SEL_TOOK_RECT);
  DlgRect same = obj->GetCanvasRect();
  EXPECT_EQ(obj->MoveRect(&same, nullptr), 0);
  EXPECT_TRUE(view.invalidated.empty());
  EXPECT_FALSE(obj->HasFlag(DLG_F_SEL_TOOK_RECT));
  ASSERT_TRUE(anchor->UpdateHint().any);
  EXPECT_EQ(anchor->UpdateHint().rect, (DlgRect{10, 10, 30, 20}));
  DlgRect moved = same.Offset(5, 0);
  EXPECT_EQ(obj->MoveRect(&moved, nullptr), 0);
  EXPECT_EQ(view.invalidated.size(), 2u);  // old and new area
  EXPECT_EQ(obj->Rect(), (DlgRect{15, 10, 35, 20}));
  EXPECT_GE(doc.changed, 1);
}

TEST_F(ObjectTest, ARootKeepsItsPositionAndTakesOnlyTheNewSize) {
  DlgContainer* r = MakeRoot(100, 80);
  r->SetGeometry(30, 40, 100, 80);
  EXPECT_EQ(r->GetCanvasRect(), (DlgRect{100, 50, 200, 130}));
  DlgRect canvas{110, 60, 250, 160};
  r->MoveRect(&canvas, nullptr);
  EXPECT_EQ(r->Rect(), (DlgRect{30, 40, 170, 140}));
}

struct GeometryCase {
  const char* what;
  bool attachments;
  uint32_t attach;
  int32_t xleft, ytop, xright, ybottom, width, height;  // -1: absent
  DlgRect rect;
  uint32_t in_use;   // flag bits 4-9
  int natives_left;  // geometry values still stored
};

TEST_F(ObjectTest, GeometryFromTheGeometryProperties) {
  const uint32_t XL = DLG_F_USE_XLEFT, YT = XL << 1, XR = XL << 2, YB = XL << 3, W = XL << 4, H = XL << 5;
  const GeometryCase cases[] = {
      {"xleft and xright, no width", true, 0, 10, 5, 50, -1, -1, 10, {10, 5, 51, 15}, XL | W | YT | H, 3},
      {"right attached", true, 1, 40, 5, 20, -1, 30, 10, {150, 5, 180, 15}, XR | W | YT | H, 4},
      {"stretched", true, 2, 10, 5, 20, -1, 99, 10, {10, 5, 180, 15}, XL | XR | YT | H, 4},
      {"vertically stretched", true, 8, 10, 5, -1, 15, 30, 77, {10, 5, 40, 85}, XL | W | YT | YB, 4},
      {"bottom attached", true, 4, 10, 3, -1, 10, 30, 20, {10, 70, 40, 90}, XL | W | YB | H, 4},
      {"left attached is the default", true, 3, 10, 5, 7, -1, 30, 10, {10, 5, 40, 15}, XL | W | YT | H, 4},
      {"attachments off", false, 1 | 8, 10, 5, 20, 15, 30, 10, {10, 5, 40, 15}, XL | W | YT | H, 4},
      {"no height: one unit", true, 0, 10, 5, -1, -1, 30, -1, {10, 5, 40, 6}, XL | W | YT | H, 3},
      {"zero width counts as missing", true, 0, 10, 5, 19, -1, 0, 10, {10, 5, 20, 15}, XL | W | YT | H, 4},
  };
  DlgContainer* r = MakeRoot(200, 100);
  for (const GeometryCase& c : cases) {
    root.SetFlags(c.attachments ? uint32_t{F_ATTACHMENTS} : 0u);
    DlgObject* obj = MakeChild(r, "obj", {0, 0, 1, 1}, c.attach);
    const int32_t values[6] = {c.xleft, c.ytop, c.xright, c.ybottom, c.width, c.height};
    for (int i = 0; i < 6; ++i) {
      if (values[i] >= 0) SetNative(obj, PROP_NATIVE_XLEFT + i, values[i]);
    }
    obj->ApplyGeometryProps(0);
    EXPECT_EQ(obj->Rect(), c.rect) << c.what;
    EXPECT_EQ(obj->Flags() & (XL | YT | XR | YB | W | H), c.in_use) << c.what;
    int left = 0;
    for (DlgPropValue* v = obj->Props().Head(); v; v = v->next) ++left;
    EXPECT_EQ(left, c.natives_left) << c.what;
    EXPECT_TRUE(obj->HasFlag(DLG_F_GEOMETRY_TAKEN));
    // Once only.
    SetNative(obj, PROP_NATIVE_XLEFT, 99);
    obj->ApplyGeometryProps(0);
    EXPECT_EQ(obj->Rect(), c.rect) << c.what;
    delete obj;
  }
}

TEST_F(ObjectTest, GeometryCountsInUnitsAndFollowsTheTemplate) {
  DlgContainer* r = MakeRoot(400, 400);
  ASSERT_EQ(r->SetUnit(8, 16), 1);
  DlgObject* tmpl = MakeChild(r, "tmpl", {0, 0, 8, 16});
  SetNative(tmpl, PROP_NATIVE_WIDTH, 5);
  DlgObject* obj = MakeChild(r, "obj", {0, 0, 8, 16}, DLG_F_POS_UNITS | DLG_F_SIZE_UNITS);
  obj->SetTemplate(tmpl);
  SetNative(obj, PROP_NATIVE_XLEFT, 2);
  SetNative(obj, PROP_NATIVE_YTOP, 3);
  obj->ApplyGeometryProps(0);
  EXPECT_EQ(obj->Rect(), (DlgRect{16, 48, 56, 64}));
  EXPECT_EQ(obj->GetX(), 2);
  EXPECT_EQ(obj->GetWidth(), 5);
}

TEST_F(ObjectTest, ContainerAppliesGeometryToItsChildrenOnRequest) {
  DlgContainer* r = MakeRoot(400, 400);
  DlgContainer* box = MakeChild<DlgContainer>(r, "box", {0, 0, 1, 1});
  DlgObject* inner = MakeChild(box, "inner", {0, 0, 1, 1});
  SetNative(box, PROP_NATIVE_WIDTH, 50);
  SetNative(inner, PROP_NATIVE_WIDTH, 20);
  box->ApplyGeometryProps(0);
  EXPECT_EQ(inner->Rect().Width(), 1);
  r->ApplyGeometryProps(1);
  EXPECT_EQ(box->Rect().Width(), 50);
  EXPECT_EQ(inner->Rect().Width(), 20);
}

TEST_F(ObjectTest, ATextGeometryValueIsFatal) {
  DlgContainer* r = MakeRoot(100, 100);
  DlgObject* obj = MakeChild(r, "obj", {0, 0, 1, 1});
  prop_def d{};
  d.name = "xleft";
  d.kind = PROP_KIND_NATIVE;
  d.native = PROP_NATIVE_XLEFT;
  d.index = -1;
  auto* v = new DlgPropValue(&obj->Props(), &d);
  prop_val text = PropVal_Text("ten");
  ASSERT_EQ(v->SetValue(&text, -1), 1);
  EXPECT_EQ(FailedCheck([&] { obj->ApplyGeometryProps(0); }), "prop->Val().type == VAL_INT");
}

TEST_F(ObjectTest, DefaultWidthFromTextAndClassRecord) {
  struct Case {
    const char* text;
    uint32_t class_flags;
    int32_t char_offset;
    int32_t edge_offset;
    uint32_t flags;
    int32_t width;
  } cases[] = {
      {"Hello", 0, 2, 1, 0, (2 + 5) * 8 + 1 * 2},  // sizes in pixels: no rounding
      {"&Ok", CLASS_F_AMPERSAND, 0, 0, 0, 2 * 8},
      {"&Ok", 0, 0, 0, 0, 3 * 8},
      {"&Ok", 0, 0, 0, DLG_F_SIZE_UNITS, 32},
      {"Hello", 0, 0, 1, DLG_F_SIZE_UNITS, 48},  // 42 rounded up to units of 16
      {"", 0, 5, 5, 0, 0},
  };
  DlgContainer* r = MakeRoot(400, 400);
  ASSERT_EQ(r->SetUnit(16, 16), 1);
  for (const Case& c : cases) {
    classrec cls{"Button", c.class_flags, c.char_offset, c.edge_offset, nullptr, nullptr};
    DlgObject* obj = MakeChild(r, "obj", {0, 0, 16, 16}, c.flags);
    obj->SetClassRec(&cls);
    obj->SetText(c.text);
    EXPECT_EQ(obj->DefaultWidth(), c.width) << c.text;
    delete obj;
  }
}

// A container "box" at (10,10)-(110,60) of a 300 x 200 root, with children
// by attachment.
class RelayoutTest : public DlgModelTest {
 protected:
  void SetUp() override {
    DlgModelTest::SetUp();
    r = MakeRoot(300, 200);
    box = MakeChild<DlgContainer>(r, "box", {10, 10, 110, 60});
    stretch = MakeChild(box, "stretch", {10, 10, 90, 20}, 2);
    still = MakeChild(box, "still", {10, 30, 30, 40}, 0);
    right = MakeChild(box, "right", {70, 30, 90, 40}, 1);
    left = MakeChild(box, "left", {40, 30, 60, 40}, 3);
    tall = MakeChild(box, "tall", {95, 5, 98, 45}, 8);
  }
  DlgRect Canvas(DlgObject* o) { return o->GetCanvasRect().Offset(-origin.x, -origin.y); }
  DlgContainer* r = nullptr;
  DlgContainer* box = nullptr;
  DlgObject* stretch = nullptr;
  DlgObject* still = nullptr;
  DlgObject* right = nullptr;
  DlgObject* left = nullptr;
  DlgObject* tall = nullptr;
};

TEST_F(RelayoutTest, RightEdgeDraggedOutward) {
  ASSERT_EQ(box->Select(), 1);
  box->Tracker()->SetResize(DlgRect{10, 10, 130, 80}.Offset(origin.x, origin.y));
  EXPECT_EQ(r->ApplyTrackerResize(), 0);  // the box's own tracker took it
  EXPECT_EQ(Canvas(box), (DlgRect{10, 10, 130, 80}));
  EXPECT_EQ(Canvas(stretch), (DlgRect{20, 20, 120, 30}));  // grows by 20
  EXPECT_EQ(Canvas(still), (DlgRect{20, 40, 40, 50}));
  EXPECT_EQ(Canvas(right), (DlgRect{100, 40, 120, 50}));  // keeps its distance to the right
  EXPECT_EQ(Canvas(left), (DlgRect{50, 40, 70, 50}));
  EXPECT_EQ(Canvas(tall), (DlgRect{105, 15, 108, 75}));  // stretched vertically by 20
  EXPECT_EQ(box->Tracker()->Rect(), box->GetCanvasRect());
  EXPECT_EQ(r->ApplyTrackerResize(), 0);  // once per resize
}

TEST_F(RelayoutTest, LeftEdgeDraggedOutward) {
  ASSERT_EQ(box->Select(), 1);
  box->Tracker()->SetResize(DlgRect{0, 10, 110, 60}.Offset(origin.x, origin.y));
  r->ApplyTrackerResize();
  EXPECT_EQ(Canvas(box), (DlgRect{0, 10, 110, 60}));
  EXPECT_EQ(Canvas(still), (DlgRect{20, 40, 40, 50}));  // stays on the canvas
  EXPECT_EQ(Canvas(right), (DlgRect{80, 40, 100, 50}));
  EXPECT_EQ(Canvas(left), (DlgRect{40, 40, 60, 50}));      // moves with the left edge
  EXPECT_EQ(Canvas(stretch), (DlgRect{10, 20, 100, 30}));  // both distances kept
  EXPECT_EQ(still->Rect(), (DlgRect{20, 30, 40, 40}));
}

TEST_F(RelayoutTest, NestedContainersFollowTheirOwnEdgeShifts) {
  DlgContainer* inner = MakeChild<DlgContainer>(box, "inner", {10, 42, 50, 48}, 2);
  DlgObject* deep = MakeChild(inner, "deep", {30, 1, 38, 5}, 1);
  ASSERT_EQ(box->Select(), 1);
  box->Tracker()->SetResize(DlgRect{10, 10, 150, 60}.Offset(origin.x, origin.y));
  r->ApplyTrackerResize();
  EXPECT_EQ(Canvas(inner), (DlgRect{20, 52, 100, 58}));  // stretched by 40
  EXPECT_EQ(Canvas(deep), (DlgRect{90, 53, 98, 57}));    // keeps its distance to inner's right edge
}

TEST_F(RelayoutTest, AProposalThatCutsAChildIsPushedOut) {
  ASSERT_EQ(box->Select(), 1);
  const DlgRect old = box->GetCanvasRect();
  struct Case {
    const char* what;
    DlgRect proposed;  // relative to the box's canvas rectangle
    int handle;
    int stands;
    DlgRect result;
  } cases[] = {
      {"fits", {0, 0, 100, 50}, 2, 1, {0, 0, 100, 50}},
      {"right edge inward a little", {0, 0, 99, 50}, 5, 1, {0, 0, 99, 50}},
      {"right edge inward cuts 'tall'", {0, 0, 97, 50}, 2, 0, {0, 0, 98, 50}},
      {"left edge inward cuts 'still'", {15, 0, 100, 50}, 7, 0, {10, 0, 100, 50}},
      {"bottom edge inward cuts 'still'", {0, 0, 100, 35}, 6, 0, {0, 0, 100, 40}},
      {"top edge inward", {0, 20, 100, 50}, 4, 0, {0, 10, 100, 50}},
  };
  for (const Case& c : cases) {
    DlgRect proposed = c.proposed.Offset(old.left, old.top);
    EXPECT_EQ(box->AdjustTrackerRect(&proposed, c.handle), c.stands) << c.what;
    EXPECT_EQ(proposed, c.result.Offset(old.left, old.top)) << c.what;
  }
  EXPECT_EQ(FailedCheck([&] { box->AdjustTrackerRect(nullptr, 2); }), "check_pos");
  // A stretched child keeps at least one unit of width; a right-attached one
  // that would leave on the left frees itself by the right edge.
  DlgContainer* lone = MakeChild<DlgContainer>(r, "lone", {150, 100, 250, 150});
  MakeChild(lone, "s", {10, 10, 20, 20}, 2);
  DlgContainer* lone2 = MakeChild<DlgContainer>(r, "lone2", {150, 0, 250, 50});
  MakeChild(lone2, "ra", {60, 25, 90, 30}, 1);
  ASSERT_EQ(lone->Select(), 1);
  ASSERT_EQ(lone2->Select(), 1);
  const DlgRect lone_old = lone->GetCanvasRect();
  DlgRect proposed = DlgRect{0, 0, 15, 50}.Offset(lone_old.left, lone_old.top);
  EXPECT_EQ(lone->AdjustTrackerRect(&proposed, 5), 0);
  EXPECT_EQ(proposed, (DlgRect{0, 0, 91, 50}.Offset(lone_old.left, lone_old.top)));
  const DlgRect lone2_old = lone2->GetCanvasRect();
  proposed = DlgRect{0, 0, 30, 50}.Offset(lone2_old.left, lone2_old.top);
  EXPECT_EQ(lone2->AdjustTrackerRect(&proposed, 5), 0);
  EXPECT_EQ(proposed, (DlgRect{0, 0, 40, 50}.Offset(lone2_old.left, lone2_old.top)));
  DlgRect any{0, 0, 1, 1};
  EXPECT_EQ(still->AdjustTrackerRect(&any, 2), 0);  // no selection
}

TEST_F(ObjectTest, HitTestFindsTheLaterOfOverlappingChildren) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* a = MakeChild(r, "a", {10, 10, 60, 60});
  DlgObject* b = MakeChild(r, "b", {40, 40, 90, 90});
  DlgContainer* box = MakeChild<DlgContainer>(r, "box", {100, 0, 200, 100});
  DlgObject* inside = MakeChild(box, "inside", {10, 10, 20, 20});
  DlgObject* hidden = MakeChild(box, "hidden", {50, 50, 60, 60});
  hidden->SetFlags(hidden->Flags() & ~DLG_F_SHOWN);
  struct Case {
    DlgPoint p;  // relative to the root
    DlgObject* hit;
  } cases[] = {
      {{15, 15}, a},    {{45, 45}, b},    {{85, 85}, b},        {{5, 95}, r},       {{115, 15}, inside},
      {{155, 55}, box}, {{199, 99}, box}, {{200, 50}, nullptr}, {{-1, 0}, nullptr},
  };
  for (const Case& c : cases) {
    DlgPoint p{c.p.x + origin.x, c.p.y + origin.y};
    EXPECT_EQ(anchor->HitTest(p), c.hit) << c.p.x << "," << c.p.y;
  }
}

TEST_F(ObjectTest, NamesAreUniqueAmongSiblingsAndRoots) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgContainer* g1 = MakeChild<DlgContainer>(r, "g1", {0, 0, 50, 50});
  DlgContainer* g2 = MakeChild<DlgContainer>(r, "g2", {50, 0, 100, 50});
  DlgObject* x1 = MakeChild(g1, "x", {0, 0, 5, 5});
  DlgObject* y1 = MakeChild(g1, "y", {0, 0, 5, 5});
  EXPECT_EQ(MakeChild(g2, "X", {0, 0, 5, 5})->Name(), std::string("X"));  // other parent: fine
  EXPECT_EQ(x1->CheckName("x"), 1);                                       // itself excluded
  EXPECT_EQ(y1->CheckName("X"), 0);
  EXPECT_EQ(y1->SetName("x"), 0);
  EXPECT_STREQ(y1->Name(), "y");
  EXPECT_EQ(y1->SetName("z"), 1);
  EXPECT_EQ(y1->GetPath(), "dlg.g1.z");
  root.SetFlags(F_CASE_NAMES);
  EXPECT_EQ(y1->SetName("X"), 1);
  // Roots: unique among the roots of every anchor of the dialog.
  root.SetFlags(0);
  auto* second = new DlgAnchor(&root);
  second->SetContext(&origin);
  auto* other = new DlgContainer(second, nullptr, DLG_LINK_LAST_CHILD, "other");
  EXPECT_EQ(other->CheckName("DLG"), 0);
  EXPECT_EQ(other->CheckName("g1"), 1);
  EXPECT_EQ(root.FindRootObject("other"), other);
  EXPECT_EQ(root.FindRootObject("dlg.g2.X"), g2->GetHead());
  EXPECT_EQ(anchor->FindByPath("dlg.g1"), g1);
  EXPECT_EQ(anchor->FindByPath("dlg.g1.nothing"), nullptr);
  EXPECT_EQ(anchor->FindByPath("dl"), nullptr);
}

TEST_F(ObjectTest, DisplayNameAndClonesOfTemplates) {
  classrec cls{"Group", 0, 0, 0, nullptr, nullptr};
  classrec btn{"Button", 0, 0, 0, nullptr, nullptr};
  DlgContainer* r = MakeRoot(300, 300);
  DlgContainer* tmpl = MakeChild<DlgContainer>(r, "tmpl", {0, 0, 100, 100});
  tmpl->SetClassRec(&cls);
  ASSERT_EQ(tmpl->SetUnit(4, 8), 1);
  DlgObject* ok = MakeChild(tmpl, "ok", {10, 10, 30, 20});
  ok->SetClassRec(&btn);
  ok->SetText("OK");
  DlgObject* made = tmpl->Clone(anchor, r, DLG_LINK_LAST_CHILD, "made");
  made->SetTemplate(tmpl);
  made->InstantiateChildren(anchor, made);  // a fresh clone has no children
  tmpl->InstantiateChildren(anchor, made);
  EXPECT_EQ(made->GetUnitX(), 4);
  EXPECT_EQ(made->Rect().Width(), 100);
  DlgObject* copy = made->GetHead();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->next, nullptr);
  EXPECT_STREQ(copy->Name(), "ok");
  EXPECT_EQ(copy->TemplateObject(), ok);
  EXPECT_TRUE(copy->HasFlag(DLG_F_SELECTABLE | DLG_F_TEMPLATE_CHILD));
  EXPECT_STREQ(copy->Text(), "OK");
  EXPECT_EQ(copy->Rect(), ok->Rect());
  EXPECT_EQ(copy->GetDisplayName(), "ok [dlg.tmpl.ok : Button]");
  EXPECT_EQ(made->GetDisplayName(), "made [dlg.tmpl : Group]");
  // A clone of a template child keeps the child's template, not the child.
  DlgObject* again = copy->Clone(anchor, r, DLG_LINK_LAST_CHILD, "again");
  EXPECT_EQ(again->TemplateObject(), ok);
  // A template child cannot be deleted through the selection.
  ASSERT_EQ(copy->Select(), 1);
  EXPECT_EQ(anchor->DeleteSelected(), 0);
  EXPECT_EQ(made->GetHead(), copy);
}

TEST_F(ObjectTest, DeletingAContainerDeletesItsChildren) {
  DlgContainer* r = MakeRoot(300, 300);
  DlgContainer* box = MakeChild<DlgContainer>(r, "box", {0, 0, 100, 100});
  DlgObject* a = MakeChild(box, "a", {0, 0, 10, 10});
  uint32_t a_id = a->Id();
  MakeChild(box, "b", {0, 0, 10, 10}, DLG_F_TEMPORARY);
  DlgObject* c = MakeChild(box, "c", {0, 0, 10, 10}, DLG_F_TEMPORARY);
  EXPECT_EQ(anchor->DeleteTemporary(), 0);
  EXPECT_EQ(box->GetHead(), a);
  EXPECT_EQ(box->GetTail(), a);
  (void)c;
  ASSERT_EQ(box->Select(), 1);
  EXPECT_EQ(anchor->DeleteSelected(), 0);  // the root did not delete itself
  EXPECT_EQ(r->GetHead(), nullptr);
  EXPECT_EQ(r->FindById(a_id), nullptr);
  EXPECT_EQ(anchor->sel_head, nullptr);
  EXPECT_EQ(doc.modified, 1);
  EXPECT_EQ(r->FindById(r->Id()), r);
}

TEST_F(ObjectTest, TheAnchorDeletesItsRootWhenSelectedOrTemporary) {
  DlgContainer* r = MakeRoot(300, 300);
  MakeChild(r, "a", {0, 0, 10, 10});
  ASSERT_EQ(r->Select(), 1);
  EXPECT_EQ(anchor->DeleteSelected(), 1);
  EXPECT_EQ(anchor->RootObject(), nullptr);
  EXPECT_EQ(anchor->sel_head, nullptr);
  EXPECT_EQ(anchor->DeleteSelected(), 0);

  DlgContainer* t = MakeRoot(300, 300, "temp");
  MakeChild(t, "b", {0, 0, 10, 10}, DLG_F_TEMPORARY);
  t->SetFlags(t->Flags() | DLG_F_TEMPORARY);
  EXPECT_EQ(anchor->DeleteTemporary(), 1);
  EXPECT_EQ(anchor->RootObject(), nullptr);
  EXPECT_EQ(anchor->DeleteTemporary(), 0);
}

TEST_F(ObjectTest, ReorderMovesBetweenParentsAndRefusesWhatWouldBreakTheTree) {
  DlgContainer* r = MakeRoot(300, 300);
  ASSERT_EQ(r->SetUnit(2, 2), 1);
  DlgContainer* g = MakeChild<DlgContainer>(r, "g", {0, 0, 100, 100});
  ASSERT_EQ(g->SetUnit(10, 10), 1);
  DlgObject* a = MakeChild(r, "a", {4, 4, 10, 10}, DLG_F_POS_UNITS);
  DlgObject* b = MakeChild(r, "b", {0, 0, 10, 10});
  DlgObject* leaf = MakeChild(g, "leaf", {0, 0, 10, 10});
  EXPECT_EQ(a->Reorder(nullptr, g), 0);  // g already precedes a
  EXPECT_EQ(a->Reorder(nullptr, a), 0);
  EXPECT_EQ(a->Reorder(nullptr, nullptr), 0);
  EXPECT_EQ(a->Reorder(r, nullptr), 1);  // first child of the root
  EXPECT_EQ(r->GetHead(), a);
  EXPECT_EQ(g->Reorder(g, nullptr), 0);     // into itself
  EXPECT_EQ(g->Reorder(nullptr, leaf), 0);  // into its own subtree
  EXPECT_EQ(a->Reorder(b, nullptr), 0);     // b holds no children
  EXPECT_EQ(r->Reorder(g, nullptr), 0);     // the root stays the root
  EXPECT_EQ(a->Reorder(nullptr, leaf), 1);  // after leaf, inside g
  EXPECT_EQ(a->Parent(), g);
  EXPECT_EQ(g->GetTail(), a);
  EXPECT_EQ(a->Rect().left, 20);  // x 2 in g's units of 10
  EXPECT_EQ(doc.modified, 2);
  EXPECT_EQ(doc.xref.back(), "select dlg.g.a");
  auto* second = new DlgAnchor(&root);
  second->SetContext(&origin);
  auto* other = new DlgContainer(second, nullptr, DLG_LINK_LAST_CHILD, "other");
  EXPECT_EQ(b->Reorder(other, nullptr), 0);  // another anchor
}

TEST_F(ObjectTest, MoveToDropsIntoTheInnermostContainer) {
  DlgContainer* r = MakeRoot(300, 300);
  DlgContainer* box = MakeChild<DlgContainer>(r, "box", {100, 100, 200, 200});
  DlgObject* obj = MakeChild(r, "obj", {0, 0, 20, 20});
  obj->MoveTo(DlgRect{110, 120, 130, 140}.Offset(origin.x, origin.y));
  EXPECT_EQ(obj->Parent(), box);
  EXPECT_EQ(obj->Rect(), (DlgRect{10, 20, 30, 40}));
  EXPECT_EQ(doc.xref, (std::vector<std::string>{"add dlg.box.obj", "select dlg.box.obj"}));
  obj->MoveTo(DlgRect{190, 120, 230, 140}.Offset(origin.x, origin.y));  // not wholly inside: the root
  EXPECT_EQ(obj->Parent(), r);
  EXPECT_EQ(obj->Rect(), (DlgRect{190, 120, 230, 140}));
  box->MoveTo(DlgRect{50, 50, 150, 150}.Offset(origin.x, origin.y));  // never into itself
  EXPECT_EQ(box->Parent(), r);
}

TEST_F(ObjectTest, UnitsBelowOneAreRefused) {
  DlgContainer* r = MakeRoot(100, 100);
  EXPECT_EQ(r->SetUnit(0, 5), 0);
  EXPECT_EQ(r->SetUnit(5, -1), 0);
  EXPECT_EQ(r->GetUnitX(), 1);
  EXPECT_EQ(root.SetUnits(0, 1), 0);
  EXPECT_EQ(root.SetUnits(3, 4), 1);
  r->SetFlags(r->Flags() | DLG_F_POS_UNITS);
  EXPECT_EQ(r->PosUnitX(), 3);
  EXPECT_EQ(r->ToUnitX(10), 3);
}

TEST_F(ObjectTest, HugeGeometryValuesStayWithinTheCoordinateRange) {
  DlgContainer* r = MakeRoot(100, 100);
  ASSERT_EQ(r->SetUnit(8, 16), 1);
  DlgObject* obj = MakeChild(r, "obj", {0, 0, 8, 16}, DLG_F_POS_UNITS | DLG_F_SIZE_UNITS);
  SetNative(obj, PROP_NATIVE_XLEFT, INT32_MAX);
  SetNative(obj, PROP_NATIVE_YTOP, INT32_MIN);
  SetNative(obj, PROP_NATIVE_WIDTH, INT32_MAX);
  SetNative(obj, PROP_NATIVE_HEIGHT, -5);
  obj->ApplyGeometryProps(0);
  EXPECT_EQ(obj->Rect().left, DLG_COORD_MAX);
  EXPECT_EQ(obj->Rect().top, -DLG_COORD_MAX);
  EXPECT_LE(obj->Rect().right, DLG_COORD_MAX);
  DlgRect canvas = obj->GetCanvasRect();
  DlgRect old = canvas;
  obj->MoveRect(&canvas, &old);
  EXPECT_LE(obj->Rect().right, DLG_COORD_MAX);
  EXPECT_GE(obj->Rect().top, -DLG_COORD_MAX);
}

TEST_F(ObjectTest, GuiInfoClearsFirstThenSets) {
  DlgContainer* r = MakeRoot(100, 100);
  DlgObject* obj = MakeChild(r, "obj", {0, 0, 1, 1});
  obj->SetStyle(0xF0);
  obj->SetFlags(obj->Flags() | DLG_F_VCENTER);
  int setws = 0x3;
  int clrws = 0x31;
  int setflags = GUI_F_PLACEHOLDER | GUI_F_CHECK;
  int clrflags = GUI_F_VCENTER | GUI_F_CHECK;
  int data = 0;
  gui_info info{"BUTTON", &setws, &clrws, nullptr, nullptr, &data, &setflags, &clrflags};
  obj->SetGuiInfo(&info);
  EXPECT_EQ(obj->Style(), 0xC3u);
  EXPECT_STREQ(obj->WndClass(), "BUTTON");
  EXPECT_EQ(obj->GuiData(), &data);
  EXPECT_TRUE(obj->HasFlag(DLG_F_GUI_APPLIED));
  EXPECT_TRUE(obj->HasFlag(DLG_F_PLACEHOLDER));
  EXPECT_TRUE(obj->HasFlag(DLG_F_CHECK));  // set after the clear
  EXPECT_FALSE(obj->HasFlag(DLG_F_VCENTER));
  EXPECT_EQ(FailedCheck([&] { obj->SetGuiInfo(nullptr); }), "!\"gui_info\"");
}

TEST_F(ObjectTest, BrokenInvariantsAreFatal) {
  DlgContainer* r = MakeRoot(100, 100);
  DlgObject* plain = MakeChild(r, "plain", {0, 0, 1, 1});
  classrec cls{"X", 0, 0, 0, nullptr, nullptr};
  plain->SetClassRec(&cls);
  struct Case {
    const char* what;
    std::function<void()> fn;
    std::string check;
  } cases[] = {
      {"second root", [&] { new DlgObject(anchor, nullptr, DLG_LINK_FIRST_CHILD, "again"); },
       "!\"DlgObject::Link() root object already present\""},
      {"child of a plain object", [&] { new DlgObject(anchor, plain, DLG_LINK_LAST_CHILD, "c"); },
       "!\"DlgObject::SetHead() base-class method not implemented\""},
      {"plain units", [&] { plain->SetUnit(2, 2); }, "!\"DlgObject::SetUnit() base-class method not implemented\""},
      {"null name", [&] { new DlgObject(anchor, r, DLG_LINK_LAST_CHILD, nullptr); }, "obj_name"},
      {"second class record", [&] { plain->SetClassRec(&cls); }, "!\"classrec\""},
      {"null class record", [&] { r->SetClassRec(nullptr); }, "obj_classrec"},
      {"null template", [&] { plain->SetTemplate(nullptr); }, "tmpl_obj"},
      {"reanchor a child", [&] { plain->Reanchor(anchor); }, "!parent"},
      {"anchor id 0", [&] { new DlgAnchor(&root, 0, 0); }, "new_id"},
      {"anchor id in use", [&] { new DlgAnchor(&root, anchor->Id(), 0); }, "!root_anch.FindAnchor(new_id)"},
      {"unknown predecessor", [&] { new DlgAnchor(&root, 99999, 88888); }, "prev_anchor"},
      {"null handle", [&] { DlgObject_FromHandle(obj_hndl{nullptr}); }, "hndl.data"},
      {"null view", [&] { anchor->SetView(nullptr); }, "view"},
  };
  for (const Case& c : cases) EXPECT_EQ(FailedCheck(c.fn), c.check) << c.what;
  anchor->SetContext(nullptr);
  EXPECT_EQ(FailedCheck([&] { r->GetCanvasRect(); }), "!\"anchor->Context()\"");
  EXPECT_EQ(FailedCheck([&] { anchor->ChangeContext(&origin); }), "context");
  anchor->SetContext(&origin);
}

TEST_F(ObjectTest, SelectionFollowsTheObject) {
  DlgContainer* r = MakeRoot(200, 200);
  DlgObject* a = MakeChild(r, "a", {10, 10, 20, 20});
  DlgObject* b = MakeChild(r, "b", {50, 50, 60, 60});
  DlgObject* off = MakeChild(r, "off", {70, 70, 80, 80});
  off->SetFlags(off->Flags() & ~DLG_F_SELECTABLE);
  DlgRect area = DlgRect{0, 0, 65, 65}.Offset(origin.x, origin.y);
  anchor->SelectInRect(&area);
  EXPECT_NE(a->Tracker(), nullptr);
  EXPECT_NE(b->Tracker(), nullptr);
  EXPECT_EQ(off->Tracker(), nullptr);
  EXPECT_EQ(r->Tracker(), nullptr);  // not wholly inside
  DlgRect bounds;
  ASSERT_EQ(anchor->GetSelectionBounds(&bounds), 1);
  EXPECT_EQ(bounds, (DlgRect{10, 10, 60, 60}.Offset(origin.x, origin.y)));
  EXPECT_EQ(anchor->sel_head->Object(), b);  // newest first
  anchor->ClearSelectionExcept(a->Tracker());
  EXPECT_EQ(b->Tracker(), nullptr);
  DlgPoint moved{origin.x + 5, origin.y};
  anchor->SetOrigin(DlgPoint{0, 0});
  anchor->SetOrigin(DlgPoint{5, 0});
  EXPECT_EQ(a->Tracker()->Rect(), (DlgRect{15, 10, 25, 20}.Offset(origin.x, origin.y)));
  origin = moved;
  anchor->ResyncSelections();
  EXPECT_EQ(a->Tracker()->Rect(), a->GetCanvasRect());
  EXPECT_TRUE(a->HasFlag(DLG_F_SEL_TOOK_RECT));
  anchor->ClearSelection();
  EXPECT_EQ(anchor->GetSelectionBounds(&bounds), 0);
  EXPECT_EQ(FailedCheck([&] { anchor->ClearSelectionExcept(nullptr); }), "keep");
}

TEST_F(ObjectTest, OverlappingTrackersAreMarked) {
  DlgContainer* r = MakeRoot(300, 300);
  struct Case {
    DlgRect a;
    DlgRect b;
    uint32_t test;  // test flag on a
    bool marked;
  } cases[] = {
      {{0, 0, 20, 20}, {10, 10, 30, 30}, DLG_SEL_TEST, true},   // partly on both axes
      {{0, 0, 20, 20}, {10, 5, 30, 15}, DLG_SEL_TEST, true},    // partly on x, inside on y
      {{0, 0, 40, 40}, {10, 10, 20, 20}, DLG_SEL_TEST, false},  // one inside the other
      {{0, 0, 20, 20}, {10, 30, 30, 40}, DLG_SEL_TEST, false},  // disjoint on y
      {{0, 0, 20, 20}, {10, 10, 30, 30}, 0, false},             // neither flagged for the test
  };
  for (const Case& c : cases) {
    DlgObject* a = MakeChild(r, "a", c.a);
    DlgObject* b = MakeChild(r, "b", c.b);
    ASSERT_EQ(a->Select(), 1);
    ASSERT_EQ(b->Select(), 1);
    a->Tracker()->SetMarks(c.test | DLG_SEL_OVERLAP);
    anchor->MarkOverlaps();
    EXPECT_EQ((a->Tracker()->Marks() & DLG_SEL_OVERLAP) != 0, c.marked) << c.a << c.b;
    EXPECT_EQ((b->Tracker()->Marks() & DLG_SEL_OVERLAP) != 0, c.marked) << c.a << c.b;
    EXPECT_NE(a->Tracker()->Marks() & DLG_SEL_OVERLAP_BEFORE, 0u);
    EXPECT_EQ(b->Tracker()->Marks() & DLG_SEL_OVERLAP_BEFORE, 0u);
    delete a;
    delete b;
  }
  EXPECT_EQ(anchor->sel_head, nullptr);
}

TEST_F(ObjectTest, DrawVisitsShownChildrenThatMeetTheClip) {
  struct Painter : DlgPainter {
    void DrawObject(DlgObject* obj, const DlgRect& canvas, const DlgRect& clip, bool paint) override {
      log.push_back(std::string(obj->Name()) + (paint ? "+" : "-"));
      (void)canvas;
      (void)clip;
    }
    std::vector<std::string> log;
  } painter;
  DlgContainer* r = MakeRoot(300, 300);
  DlgContainer* box = MakeChild<DlgContainer>(r, "box", {0, 0, 100, 100});
  MakeChild(box, "in", {10, 10, 20, 20});
  MakeChild(r, "far", {200, 200, 220, 220});
  DlgObject* hidden = MakeChild(r, "hidden", {0, 0, 10, 10});
  hidden->SetFlags(hidden->Flags() & ~DLG_F_SHOWN);
  DlgRect canvas = r->GetCanvasRect();
  DlgRect clip = DlgRect{0, 0, 150, 150}.Offset(origin.x, origin.y);
  r->Draw(painter, canvas, clip, true);
  EXPECT_EQ(painter.log, (std::vector<std::string>{"dlg+", "box+", "in+"}));
  painter.log.clear();
  anchor->SetOptions(DLG_ANCHOR_SELECTED_ONLY);
  ASSERT_EQ(box->Select(), 1);
  r->Draw(painter, canvas, r->GetCanvasRect(), true);
  EXPECT_EQ(painter.log, (std::vector<std::string>{"dlg+", "box+", "in+", "far-"}));
  anchor->SetOptions(0);
}

TEST_F(ObjectTest, TrackerAtAndShowSelected) {
  RecordingView view;
  DlgContainer* r = MakeRoot(300, 300);
  DlgObject* a = MakeChild(r, "a", {0, 0, 20, 20});
  DlgObject* b = MakeChild(r, "b", {10, 10, 30, 30});
  ASSERT_EQ(a->Select(), 1);
  ASSERT_EQ(b->Select(), 1);
  DlgPoint in_both{origin.x + 15, origin.y + 15};
  EXPECT_EQ(anchor->TrackerAt(&view, in_both), nullptr);  // not the anchor's view
  anchor->SetView(&view);
  EXPECT_EQ(anchor->TrackerAt(&view, in_both), b->Tracker());  // newest first
  EXPECT_EQ(anchor->TrackerAt(&view, DlgPoint{origin.x + 2, origin.y + 2}), a->Tracker());
  anchor->ShowSelected(false);
  EXPECT_FALSE(a->HasFlag(DLG_F_SHOWN));
  EXPECT_EQ(anchor->HitTest(in_both), r);
  anchor->ShowSelected(true);
  EXPECT_EQ(anchor->HitTest(in_both), b);
}

TEST_F(ObjectTest, ContextChangeSendsTheCollectedHint) {
  RecordingView view;
  view.doc = &doc;
  view.anchor = anchor;
  doc.views = {&view};
  DlgContainer* r = MakeRoot(200, 200);
  ASSERT_EQ(anchor->SetView(&view), 1);
  EXPECT_EQ(anchor->SetView(&view), 0);
  anchor->UpdateHint().Reset();
  DlgObject* a = MakeChild(r, "a", {10, 10, 20, 20});
  a->SetGeometry(30, 10, 10, 10);
  DlgPoint next{0, 0};
  anchor->ChangeContext(&next);
  ASSERT_EQ(view.updates.size(), 1u);
  EXPECT_EQ(view.updates[0].rect, (DlgRect{10, 10, 40, 20}));
  EXPECT_FALSE(anchor->UpdateHint().any);
  anchor->SetOptions(DLG_ANCHOR_PAINTING);
  anchor->AddUpdateRect({0, 0, 5, 5});
  EXPECT_FALSE(anchor->UpdateHint().any);
  anchor->SetOptions(0);
  RecordingView other;
  other.anchor = anchor;
  doc.views = {&view, &other};
  anchor->ViewClosed(&view);
  EXPECT_EQ(anchor->View(), &other);
  doc.views = {&other};
  anchor->ViewClosed(&other);
  EXPECT_EQ(anchor->View(), nullptr);
}

TEST_F(ObjectTest, AnchorsByIdAndOrder) {
  auto* first = new DlgAnchor(&root, 5000, 0);
  auto* after = new DlgAnchor(&root, 5001, anchor->Id());
  auto* copy = new DlgAnchor(*after);
  EXPECT_EQ(root.head, first);
  EXPECT_EQ(first->next, anchor);
  EXPECT_EQ(anchor->next, after);
  EXPECT_EQ(root.tail, copy);
  EXPECT_EQ(root.FindAnchor(5001), after);
  delete after;
  EXPECT_EQ(root.FindAnchor(5001), nullptr);
  EXPECT_EQ(anchor->next, copy);
}

// The attribute definitions a plug-in gives for every class: the six
// geometry properties, `height` with the type in kPluginHeightType.
int32_t kPluginHeightType = PROP_TYPE_INT;

void FillDef(intptr_t i, prop_def* def) {
  static const char* const names[] = {"text", "xleft", "ytop", "xright", "ybottom", "width", "height"};
  *def = prop_def{};
  def->name = names[i];
  def->kind = i == 0 ? PROP_KIND_ATTR : PROP_KIND_NATIVE;
  def->type = i == 6 ? kPluginHeightType : (i == 0 ? PROP_TYPE_STRING : PROP_TYPE_INT);
  def->native = i == 0 ? 0 : PROP_NATIVE_XLEFT + static_cast<int32_t>(i) - 1;
  def->index = 3;  // the host stores with index -1 whatever the definition says
}

void* FirstAttrDef(const char*, prop_def* def) {
  FillDef(0, def);
  return reinterpret_cast<void*>(intptr_t{1});
}

void* NextAttrDef(const char*, void* cursor, prop_def* def) {
  intptr_t i = reinterpret_cast<intptr_t>(cursor);
  if (i > 6) return nullptr;
  FillDef(i, def);
  return reinterpret_cast<void*>(i + 1);
}

TEST_F(ObjectTest, StoreGeometryPropsWritesWhatTheAttachmentsUse) {
  PluginCallbacks plugin{};
  plugin.FirstAttrDef = FirstAttrDef;
  plugin.NextAttrDef = NextAttrDef;
  doc.plugin = &plugin;
  root.SetFlags(F_ATTACHMENTS);
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* obj = MakeChild(r, "obj", {150, 5, 180, 15}, 1);
  SetNative(obj, PROP_NATIVE_XLEFT, 150);
  obj->SetFlags(obj->Flags() | DLG_F_USE_XLEFT);
  obj->StoreGeometryProps();
  struct Expect {
    int32_t native;
    bool present;
    int32_t value;
  } expect[] = {{6, false, 0}, {7, true, 5}, {8, true, 20}, {9, false, 0}, {10, true, 30}, {11, true, 10}};
  for (const Expect& e : expect) {
    DlgPropValue* v = obj->Props().FindNative(e.native, false);
    ASSERT_EQ(v != nullptr, e.present) << e.native;
    EXPECT_EQ(obj->HasFlag(DLG_F_USE_XLEFT << (e.native - 6)), e.present) << e.native;
    if (!v) continue;
    EXPECT_EQ(v->Val().data.num, e.value) << e.native;
    EXPECT_EQ(v->Def().index, -1);
  }
}

TEST_F(ObjectTest, StoreGeometryPropsReportsWhatItCannotStore) {
  RecordingSink sink;
  PluginCallbacks plugin{};
  root.SetFlags(F_ATTACHMENTS);
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* obj = MakeChild(r, "obj", {10, 5, 40, 15});
  obj->StoreGeometryProps();  // no plug-in
  plugin.FirstAttrDef = FirstAttrDef;
  plugin.NextAttrDef = NextAttrDef;
  doc.plugin = &plugin;
  kPluginHeightType = PROP_TYPE_STRING;
  obj->StoreGeometryProps();
  kPluginHeightType = PROP_TYPE_INT;
  ASSERT_EQ(sink.boxes.size(), 2u);
  EXPECT_EQ(sink.boxes[0].caption, "General Failure");
  EXPECT_EQ(sink.boxes[0].text, "Unable to locate property definition for \"xleft\".");
  EXPECT_EQ(sink.boxes[1].text, "Invalid datatype for property definition of \"height\".");
  root.SetDocument(nullptr);
  EXPECT_EQ(FailedCheck([&] { obj->StoreGeometryProps(); }), "doc");
  root.SetFlags(0);
  obj->StoreGeometryProps();  // attachments off: nothing to do
  root.SetDocument(&doc);
}

TEST_F(ObjectTest, ReanchorMovesTheTreeAndLeavesNoSelectionBehind) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* child = MakeChild(r, "child", {0, 0, 5, 5});
  ASSERT_EQ(child->Select(), 1);
  auto* second = new DlgAnchor(&root);
  second->SetContext(&origin);
  r->Reanchor(second);
  EXPECT_EQ(anchor->RootObject(), nullptr);
  EXPECT_EQ(second->RootObject(), r);
  EXPECT_EQ(child->Anchor(), second);
  EXPECT_EQ(child->Tracker(), nullptr);
  EXPECT_EQ(anchor->sel_head, nullptr);
}

}  // namespace

TEST_F(ObjectTest, PathLookUpFollowsEveryChangeToTheChildren) {
  DlgContainer* r = MakeRoot(100, 100);
  DlgObject* leaf = MakeChild(r, "a", {0, 0, 5, 5});
  auto* group = MakeChild<DlgContainer>(r, "A", {0, 0, 50, 50});
  DlgObject* y = MakeChild(group, "y", {0, 0, 5, 5});
  // Children of one name are tried in chain order until the rest resolves.
  EXPECT_EQ(root.FindRootObject("dlg.a"), leaf);
  EXPECT_EQ(root.FindRootObject("DLG.a.Y"), y);
  EXPECT_EQ(r->FirstChildNamed("A"), leaf);
  root.SetFlags(F_CASE_NAMES);
  EXPECT_EQ(root.FindRootObject("dlg.a.y"), nullptr);
  EXPECT_EQ(root.FindRootObject("dlg.A.y"), y);
  EXPECT_EQ(r->FirstChildNamed("A"), group);
  root.SetFlags(0);
  // Linked in front, unlinked, renamed, appended.
  auto* front = new DlgObject(anchor, r, DLG_LINK_FIRST_CHILD, "a");
  EXPECT_EQ(root.FindRootObject("dlg.a"), front);
  delete front;
  EXPECT_EQ(root.FindRootObject("dlg.a"), leaf);
  auto* before = new DlgObject(anchor, group, DLG_LINK_BEFORE, "a");
  EXPECT_EQ(root.FindRootObject("dlg.a"), leaf);
  delete before;
  EXPECT_EQ(leaf->SetName("b"), 1);
  EXPECT_EQ(root.FindRootObject("dlg.a"), group);
  EXPECT_EQ(root.FindRootObject("dlg.b"), leaf);
  DlgObject* later = MakeChild(r, "B", {0, 0, 5, 5});
  EXPECT_EQ(root.FindRootObject("dlg.b"), leaf);
  delete leaf;
  EXPECT_EQ(root.FindRootObject("dlg.b"), later);
  EXPECT_EQ(r->FirstChildNamed("nothing"), nullptr);
  EXPECT_EQ(root.FindRootObject("dlg.b.c"), nullptr);
}
