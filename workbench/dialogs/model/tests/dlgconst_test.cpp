// Named constants: definition, redefinition by the table's options, serials
// and the look-ups.
#include "workbench/dialogs/model/dlg_const.h"

#include <gtest/gtest.h>

#include "workbench/dialogs/model/dlg_prop.h"

namespace {

TEST(DlgConstTable, RedefinitionKeepsOrReplacesAndKeepsTheSerial) {
  DlgConstTable t;
  t.SetOptions(DLG_CONST_REDEFINE);
  DlgConstGroup* g = t.GetGroup(7);
  prop_val five = PropVal_Int(5);
  prop_val six = PropVal_Int(6);
  DlgConstEntry* first = t.Define(g, "K", &five, 3, nullptr);
  ASSERT_NE(first, nullptr);
  uint32_t serial = first->Serial();
  EXPECT_EQ(t.Define(g, "K", &five, 3, first), first);  // same value and class handle
  DlgConstEntry* replaced = t.Define(g, "K", &six, 3, first);
  ASSERT_NE(replaced, nullptr);
  EXPECT_EQ(replaced->Serial(), serial);
  EXPECT_EQ(t.FindConstBySerial(serial), replaced);
  prop_val v{};
  replaced->GetValue(&v);
  EXPECT_EQ(v.type, VAL_INT);
  EXPECT_EQ(v.data.num, 6);
  // The same value with another class handle replaces it too.
  DlgConstEntry* other_class = t.Define(g, "K", &six, 4, replaced);
  EXPECT_EQ(other_class->ClassHandle(), 4);
  EXPECT_EQ(other_class->Serial(), serial);
  EXPECT_EQ(g->head, g->tail);
}

TEST(DlgConstTable, OptionsDecideWhatASecondDefinitionDoes) {
  prop_val one = PropVal_Int(1);
  prop_val two = PropVal_Int(2);
  struct Case {
    uint32_t options;
    bool refused;
    bool kept_first;
  } cases[] = {
      {0, true, false},
      {DLG_CONST_KEEP_FIRST, true, false},
      {DLG_CONST_REDEFINE, false, false},
      {DLG_CONST_REDEFINE | DLG_CONST_KEEP_FIRST, false, true},
  };
  for (const Case& c : cases) {
    DlgConstTable t;
    t.SetOptions(c.options);
    DlgConstGroup* g = t.GetGroup(1);
    DlgConstEntry* first = t.Define(g, "A", &one, -1, nullptr);
    DlgConstEntry* second = t.Define(g, "A", &two, -1, first);
    if (c.refused) {
      EXPECT_EQ(second, nullptr) << c.options;
      continue;
    }
    ASSERT_NE(second, nullptr);
    prop_val v{};
    second->GetValue(&v);
    EXPECT_EQ(v.data.num, c.kept_first ? 1 : 2) << c.options;
  }
}

TEST(DlgConstTable, TextsNamesAndGroups) {
  DlgConstTable t;
  prop_val n = PropVal_Int(42);
  prop_val s = PropVal_Text("hello");
  prop_val none{};
  DlgConstGroup* g1 = t.GetGroup(1);
  DlgConstGroup* g2 = t.GetGroup(2);
  EXPECT_EQ(t.GetGroup(1), g1);
  EXPECT_EQ(t.FindGroup(3), nullptr);
  DlgConstEntry* answer = t.Define(g1, "Answer", &n, -1, nullptr);
  DlgConstEntry* greet = t.Define(g2, "Greet", &s, 5, nullptr);
  EXPECT_EQ(t.Define(g1, "Nothing", &none, -1, nullptr), nullptr);
  EXPECT_STREQ(answer->GetText(), "42");
  EXPECT_EQ(answer->ClassHandle(), -1);
  EXPECT_EQ(greet->ClassHandle(), 5);
  EXPECT_EQ(t.FindConstByText(0, "42"), answer);
  EXPECT_EQ(t.FindConstByText(2, "42"), nullptr);
  EXPECT_EQ(t.FindConstByText(0, "hello"), greet);
  EXPECT_EQ(t.FindConstByText(0, nullptr), nullptr);
  EXPECT_EQ(t.FindConstByName(0, "ANSWER"), answer);
  EXPECT_EQ(t.FindConstByName(2, "answer"), nullptr);
  t.SetOptions(DLG_CONST_CASE);
  EXPECT_EQ(t.FindConstByName(0, "ANSWER"), nullptr);
  EXPECT_EQ(t.FindConstByName(0, "Answer"), answer);
  EXPECT_LT(answer->Serial(), greet->Serial());
}

TEST(DlgConstTable, DeleteMarkedRemovesOnlyMarkedEntries) {
  DlgConstTable t;
  DlgConstGroup* g = t.GetGroup(9);
  prop_val v = PropVal_Int(1);
  DlgConstEntry* a = t.Define(g, "a", &v, -1, nullptr);
  DlgConstEntry* b = t.Define(g, "b", &v, -1, nullptr);
  DlgConstEntry* c = t.Define(g, "c", &v, -1, nullptr);
  a->SetMarks(DLG_CONST_MARK_REDEFINED);
  c->SetMarks(DLG_CONST_MARK_REDEFINED);
  t.DeleteMarked();
  EXPECT_EQ(g->head, b);
  EXPECT_EQ(g->tail, b);
  EXPECT_EQ(t.FindConstByName(0, "a"), nullptr);
}

}  // namespace
