// Property values: the type rule of SetValue, look-ups by name and index,
// template following and the copy of geometry values.
#include "workbench/dialogs/model/dlg_prop.h"

#include <gtest/gtest.h>

#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"

namespace {

prop_def Def(const char* name, int32_t type, int32_t kind = PROP_KIND_ATTR, int32_t native = 0, int32_t index = -1,
             uint32_t flags = 0) {
  prop_def d{};
  d.name = name;
  d.category = "Cat";
  d.kind = kind;
  d.type = type;
  d.flags = flags;
  d.native = native;
  d.index = index;
  return d;
}

TEST(DlgPropValue, SetValueAcceptsByTheDefinitionsType) {
  struct Case {
    int32_t type;
    bool takes_text;
    bool takes_int;
  } cases[] = {
      {PROP_TYPE_ANY, true, true},     {PROP_TYPE_PATH, true, false}, {PROP_TYPE_IDENT, true, false},
      {PROP_TYPE_STRING, true, false}, {PROP_TYPE_INT, false, true},  {17, false, false},
  };
  for (const Case& c : cases) {
    DlgPropList list(nullptr);
    prop_def d = Def("p", c.type);
    auto* v = new DlgPropValue(&list, &d);
    prop_val text = PropVal_Text("abc");
    prop_val num = PropVal_Int(42);
    prop_val none{};
    EXPECT_EQ(v->SetValue(&text, 3), c.takes_text ? 1 : 0) << c.type;
    EXPECT_EQ(v->SetValue(&num, 4), c.takes_int ? 1 : 0) << c.type;
    EXPECT_EQ(v->SetValue(&none, 5), 0) << c.type;
    if (c.takes_int) {
      EXPECT_EQ(v->Val().type, VAL_INT);
      EXPECT_EQ(v->Serial(), 4);
    } else if (c.takes_text) {
      EXPECT_STREQ(v->Val().data.text, "abc");
      EXPECT_EQ(v->Serial(), 3);
    } else {
      EXPECT_EQ(v->Val().type, VAL_NONE);
      EXPECT_EQ(v->Serial(), -1);
    }
  }
}

TEST(DlgPropValue, SettingItsOwnValueAgainIsSafe) {
  DlgPropList list(nullptr);
  prop_def d = Def("p", PROP_TYPE_STRING);
  auto* v = new DlgPropValue(&list, &d);
  prop_val text = PropVal_Text("same");
  ASSERT_EQ(v->SetValue(&text, -1), 1);
  v->SetState(DLG_PROP_COPIED);
  ASSERT_EQ(v->SetValue(v->ValPtr(), -1), 1);
  EXPECT_STREQ(v->Val().data.text, "same");
  EXPECT_EQ(v->State() & DLG_PROP_COPIED, 0u);
}

TEST(DlgPropList, LookupsByNameIndexNativeAndArray) {
  DlgPropList list(nullptr);
  prop_def a = Def("Color", PROP_TYPE_INT, PROP_KIND_ATTR, 0, -1);
  prop_def b = Def("color", PROP_TYPE_INT, PROP_KIND_ATTR, 0, 2, PROP_F_ARRAY);
  prop_def c = Def("xleft", PROP_TYPE_INT, PROP_KIND_NATIVE, PROP_NATIVE_XLEFT);
  prop_def e = Def("color", PROP_TYPE_INT, PROP_KIND_ATTR, 0, 0, PROP_F_ARRAY);
  auto* va = new DlgPropValue(&list, &a);
  auto* vb = new DlgPropValue(&list, &b);
  auto* vc = new DlgPropValue(&list, &c);
  auto* ve = new DlgPropValue(&list, &e);
  EXPECT_EQ(list.FindByName("COLOR", -1), va);
  EXPECT_EQ(list.FindByName("color", 2), vb);
  EXPECT_EQ(list.FindByName("color", 1), nullptr);
  list.SetOptions(1);
  EXPECT_EQ(list.FindByName("COLOR", -1), nullptr);
  EXPECT_EQ(list.FindByName("Color", -1), va);
  EXPECT_EQ(list.FindNative(PROP_NATIVE_XLEFT, false), vc);
  EXPECT_EQ(list.FindNative(PROP_NATIVE_YTOP, true), nullptr);
  EXPECT_EQ(list.FindNextArrayElement(list.Head(), "color"), vb);
  EXPECT_EQ(list.FindNextArrayElement(vb->next, "color"), ve);
  va->MoveToEnd();
  EXPECT_EQ(list.Tail(), va);
  EXPECT_EQ(list.Head(), vb);
  ve->MoveToEnd();
  EXPECT_EQ(list.Tail(), ve);
  delete vc;
  EXPECT_EQ(list.FindNative(PROP_NATIVE_XLEFT, false), nullptr);
}

TEST(DlgPropList, CopyGeometryValuesTakesExactlyTheNativesSixToEleven) {
  DlgPropList source(nullptr);
  DlgPropList target(nullptr);
  for (int32_t n = 5; n <= 12; ++n) {
    prop_def d = Def("g", PROP_TYPE_INT, PROP_KIND_NATIVE, n, -1, PROP_F_DECLARED);
    auto* v = new DlgPropValue(&source, &d);
    prop_val num = PropVal_Int(n * 10);
    v->SetValue(&num, n == 7 ? 9 : -1);
  }
  prop_def attr = Def("g", PROP_TYPE_INT, PROP_KIND_ATTR, 8);
  new DlgPropValue(&source, &attr);
  DlgPropList::CopyGeometryValues(source, target);
  int32_t expect = 6;
  for (DlgPropValue* v = target.Head(); v; v = v->next, ++expect) {
    EXPECT_EQ(v->Def().native, expect);
    EXPECT_EQ(v->Val().data.num, expect * 10);
    EXPECT_EQ(v->Def().flags & (PROP_F_DECLARED | PROP_F_ORDINARY), uint32_t{PROP_F_ORDINARY});
    EXPECT_EQ(v->State() & DLG_PROP_COPIED, uint32_t{DLG_PROP_COPIED});
    EXPECT_EQ(v->Serial(), expect == 7 ? 9 : -1);
  }
  EXPECT_EQ(expect, 12);
}

class DlgPropTemplateTest : public DlgModelTest {};

TEST_F(DlgPropTemplateTest, FindNativeFollowsTheTemplateChain) {
  DlgContainer* r = MakeRoot(200, 100);
  DlgObject* base = MakeChild(r, "base", {0, 0, 10, 10});
  DlgObject* mid = MakeChild(r, "mid", {0, 0, 10, 10});
  DlgObject* obj = MakeChild(r, "obj", {0, 0, 10, 10});
  mid->SetTemplate(base);
  obj->SetTemplate(mid);
  prop_def d = Def("width", PROP_TYPE_INT, PROP_KIND_NATIVE, PROP_NATIVE_WIDTH);
  auto* v = new DlgPropValue(&base->Props(), &d);
  EXPECT_EQ(obj->Props().FindNative(PROP_NATIVE_WIDTH, true), v);
  EXPECT_EQ(obj->Props().FindNative(PROP_NATIVE_WIDTH, false), nullptr);
}

}  // namespace
