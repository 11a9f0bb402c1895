// Property items: texts typed into the grid and what they store, restoring
// defaults, which rows can be edited, array elements, and the group tree.
#include "workbench/dialogs/views/dlg_propitem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/dialogs/model/dlg_const.h"
#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"

namespace {

class StoreDocument : public RecordingDocument {
 public:
  int SetPropValue(DlgObject* obj, const prop_def* def, const prop_val* val, int32_t serial) override {
    ++stores;
    if (!val) {
      delete obj->Props().FindByName(def->name, def->index);
      return 1;
    }
    return DlgDocument::SetPropValue(obj, def, val, serial);
  }
  void StatusError(const char* text) override { errors.push_back(text); }
  void PropertyChanged(int native) override { changed.push_back(native); }
  const char* ValueText(DlgObject*, const prop_def*) override { return value_text; }
  int stores = 0;
  std::vector<std::string> errors;
  std::vector<int> changed;
  const char* value_text = nullptr;
};

prop_def Def(const char* name, int32_t type, int32_t kind = PROP_KIND_ATTR, int32_t native = 0) {
  prop_def d{};
  d.name = name;
  d.category = "General";
  d.kind = kind;
  d.type = type;
  d.native = native;
  d.index = -1;
  return d;
}

class PropItemTest : public DlgModelTest {
 protected:
  void SetUp() override {
    DlgModelTest::SetUp();
    root.SetDocument(&store);
    dlg = MakeRoot(200, 100);
    obj = MakeChild(dlg, "obj", {0, 0, 10, 10});
  }
  // The tree goes with the base's root anchor, after this fixture's document.
  ~PropItemTest() override { root.SetDocument(&doc); }
  const DlgPropValue* Own(const char* name) { return obj->Props().FindByName(name, -1); }

  StoreDocument store;
  DlgContainer* dlg = nullptr;
  DlgObject* obj = nullptr;
};

TEST_F(PropItemTest, TypedTextsAndWhatTheyStore) {
  const std::string s255(255, 'x');
  const std::string s256(256, 'x');
  struct Case {
    int32_t type;
    std::string text;
    int result;
    int32_t kind;  // VAL_* stored (VAL_NONE: nothing)
    std::string stored;
    std::string error;
  } cases[] = {
      {PROP_TYPE_INT, "12", 1, VAL_INT, "12", ""},
      {PROP_TYPE_INT, "12a", 0, VAL_NONE, "", "Failed to convert 12a to integer."},
      {PROP_TYPE_ANY, "-", 0, VAL_NONE, "", "Failed to convert - to integer."},
      {PROP_TYPE_ANY, "-40", 1, VAL_INT, "-40", ""},
      {PROP_TYPE_INT, "-2147483648", 1, VAL_INT, "-2147483648", ""},
      {PROP_TYPE_INT, "4294967296", 0, VAL_NONE, "", "Failed to convert 4294967296 to integer."},
      {PROP_TYPE_INT, "2147483648", 0, VAL_NONE, "", "Failed to convert 2147483648 to integer."},
      {PROP_TYPE_INT, "abc", 0, VAL_NONE, "", ""},  // handed to the store as text, which refuses it
      {PROP_TYPE_STRING, "12", 1, VAL_TEXT, "12", ""},
      {PROP_TYPE_STRING, "\"a b\"xyz", 1, VAL_TEXT, "a b", ""},
      {PROP_TYPE_STRING, "\"a b", 0, VAL_NONE, "", "Property string has trailing quote missing."},
      {PROP_TYPE_STRING, s255, 1, VAL_TEXT, s255, ""},
      {PROP_TYPE_STRING, s256, 0, VAL_NONE, "", "Property string is too long."},
      {PROP_TYPE_INT, "", 1, VAL_INT, "0", ""},
      {PROP_TYPE_STRING, "", 1, VAL_TEXT, "", ""},
  };
  for (const Case& c : cases) {
    delete obj->Props().FindByName("p", -1);
    store.errors.clear();
    prop_def def = Def("p", c.type);
    DlgPropItem item(&def);
    EXPECT_EQ(item.SetStrValue(&store, obj, c.text.c_str(), -1), c.result) << c.text;
    const DlgPropValue* v = Own("p");
    if (c.kind == VAL_NONE) {
      EXPECT_EQ(v, nullptr) << c.text;
    } else {
      ASSERT_NE(v, nullptr) << c.text;
      ASSERT_EQ(v->Val().type, c.kind) << c.text;
      EXPECT_EQ(c.kind == VAL_INT ? std::to_string(v->Val().data.num) : std::string(v->Val().data.text), c.stored)
          << c.text;
      EXPECT_EQ(v->Serial(), -1);
    }
    if (c.error.empty()) {
      EXPECT_TRUE(store.errors.empty()) << c.text;
    } else {
      ASSERT_EQ(store.errors.size(), 1u) << c.text;
      EXPECT_EQ(store.errors[0], c.error);
    }
  }
}

TEST_F(PropItemTest, ANamedConstantStoresItsValueAndSerial) {
  DlgConstGroup* group = root.Consts().GetGroup(3);
  prop_val five = PropVal_Int(5);
  DlgConstEntry* e = root.Consts().Define(group, "FIVE", &five, -1, nullptr);
  ASSERT_NE(e, nullptr);
  prop_def def = Def("p", PROP_TYPE_INT);
  DlgPropItem item(&def);
  EXPECT_EQ(item.SetStrValue(&store, obj, "ignored", static_cast<int32_t>(e->Serial())), 1);
  ASSERT_NE(Own("p"), nullptr);
  EXPECT_EQ(Own("p")->Val().data.num, 5);
  EXPECT_EQ(Own("p")->Serial(), static_cast<int32_t>(e->Serial()));
}

TEST_F(PropItemTest, RenamingTellsTheGrid) {
  prop_def def = Def("name", PROP_TYPE_IDENT, PROP_KIND_NATIVE, PROP_NATIVE_NAME);
  DlgPropItem item(&def);
  EXPECT_EQ(item.SetStrValue(&store, obj, "ok", -1), 1);
  EXPECT_EQ(store.changed, std::vector<int>{PROP_NATIVE_NAME});
}

TEST_F(PropItemTest, RestoreDefaultTakesTheTemplateOrThePluginOrRemoves) {
  prop_def def = Def("title", PROP_TYPE_STRING);
  DlgPropItem item(&def);
  // Not stored by the object: nothing happens.
  item.RestoreDefault(&store, obj);
  EXPECT_EQ(store.stores, 0);

  DlgObject* tmpl = MakeChild(dlg, "tmpl", {0, 0, 5, 5});
  obj->SetTemplate(tmpl);
  prop_val t = PropVal_Text("from template");
  ASSERT_EQ(store.SetPropValue(tmpl, &def, &t, 4), 1);
  ASSERT_EQ(item.SetStrValue(&store, obj, "own", -1), 1);
  item.RestoreDefault(&store, obj);
  ASSERT_NE(Own("title"), nullptr);
  EXPECT_STREQ(Own("title")->Val().data.text, "from template");
  EXPECT_EQ(Own("title")->Serial(), 4);

  delete tmpl->Props().FindByName("title", -1);
  store.value_text = "plug-in default";
  item.RestoreDefault(&store, obj);
  EXPECT_STREQ(Own("title")->Val().data.text, "plug-in default");

  store.value_text = nullptr;
  item.RestoreDefault(&store, obj);
  EXPECT_EQ(Own("title"), nullptr);

  prop_def num = Def("count", PROP_TYPE_INT);
  DlgPropItem num_item(&num);
  ASSERT_EQ(num_item.SetStrValue(&store, obj, "9", -1), 1);
  store.value_text = "42";
  num_item.RestoreDefault(&store, obj);
  ASSERT_NE(Own("count"), nullptr);
  EXPECT_EQ(Own("count")->Val().data.num, 42);
}

TEST_F(PropItemTest, GeometryRowsAreEditableOnlyWhenInUse) {
  prop_def width = Def("width", PROP_TYPE_INT, PROP_KIND_NATIVE, PROP_NATIVE_WIDTH);
  prop_def text = Def("text", PROP_TYPE_STRING, PROP_KIND_NATIVE, 15);
  prop_def attr = Def("title", PROP_TYPE_STRING);
  DlgPropItem w(&width), t(&text), a(&attr), none(nullptr);
  EXPECT_FALSE(w.CanEdit(obj));
  obj->SetFlags(obj->Flags() | (1u << 8));
  EXPECT_TRUE(w.CanEdit(obj));
  EXPECT_TRUE(t.CanEdit(obj));
  EXPECT_TRUE(a.CanEdit(obj));
  EXPECT_FALSE(none.CanEdit(obj));
  DlgPropContainer group("Geometry");
  EXPECT_FALSE(group.CanEdit(obj));
  EXPECT_EQ(FailedCheck([&] { group.SetStrValue(&store, obj, "1", -1); }),
            "!\"DlgPropContainer::SetStrValue() not implemented\"");
}

TEST_F(PropItemTest, ArrayElementsReadAndWriteTheArrayByIndex) {
  prop_def arr = Def("items", PROP_TYPE_STRING);
  arr.flags = PROP_F_ARRAY;
  arr.count = 3;
  DlgPropContainer group("items", &arr);
  prop_def elem = arr;
  elem.name = "[1]";
  elem.index = 1;
  elem.flags = PROP_F_ARRAY | PROP_F_DECLARED;
  auto* item = new DlgPropItem(&elem);
  group.AddChild(item);
  EXPECT_EQ(item->GetName(), "[1]");
  ASSERT_EQ(item->SetStrValue(&store, obj, "second", -1), 1);
  const DlgPropValue* v = obj->Props().FindByName("items", 1);
  ASSERT_NE(v, nullptr);
  EXPECT_STREQ(v->Val().data.text, "second");
  EXPECT_FALSE(v->Def().flags & PROP_F_DECLARED);
  int mark = -1;
  EXPECT_EQ(item->GetStrValue(&store, obj, &mark), "second");
  EXPECT_EQ(mark, 0);
}

TEST_F(PropItemTest, GroupsKeepTheirChildrenInOrder) {
  auto* top = new DlgPropContainer("Top");
  auto* mid = new DlgPropContainer("Mid");
  auto* leaf = new DlgPropItem(nullptr);
  top->AddChild(mid);
  mid->AddChild(leaf);
  EXPECT_EQ(leaf->Depth(), 2);
  EXPECT_EQ(leaf->Ancestor(1), mid);
  EXPECT_EQ(leaf->Ancestor(2), top);
  EXPECT_EQ(leaf->Ancestor(3), nullptr);
  EXPECT_EQ(leaf->IsDescendantOf(mid), 1);
  EXPECT_EQ(leaf->IsDescendantOf(top), 2);
  EXPECT_EQ(mid->IsDescendantOf(mid), 0);

  // Removing the only child empties the group.
  delete leaf;
  EXPECT_EQ(mid->head, nullptr);
  EXPECT_EQ(mid->tail, nullptr);

  auto* a = new DlgPropItem(nullptr);
  auto* b = new DlgPropItem(nullptr);
  auto* c = new DlgPropItem(nullptr);
  mid->AddChild(b);
  mid->AddChild(a, b);  // in front of the head
  mid->AddChild(c);
  EXPECT_EQ(mid->head, a);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(b->next, c);
  EXPECT_EQ(mid->tail, c);
  delete b;
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(c->prev, a);
  EXPECT_EQ(FailedCheck([&] { mid->AddChild(a); }), "!child_prop->parent");

  mid->SetValue("3 items", 1);
  int mark = 0;
  EXPECT_EQ(mid->GetStrValue(&store, obj, &mark), "3 items");
  EXPECT_EQ(mark, 1);
  EXPECT_EQ(mid->GetName(), "Mid");
  delete top;  // deletes the rest
}

}  // namespace
