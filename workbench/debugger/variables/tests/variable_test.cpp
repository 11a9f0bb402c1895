// The variable tree: value texts of each kind, the tree queries, the paths
// the target addresses variables by, and the checks that guard the links.
#include "workbench/debugger/variables/variable.h"

#include <gtest/gtest.h>

#include <string>

#include "workbench/base/sysassert.h"

namespace {

class VariableTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler); }
  void TearDown() override { Sys_SetAssertHandler(previous_); }

  static VariableContainer* AddContainer(VariableContainer* parent, const char* name, uint16_t index) {
    auto child = std::make_unique<VariableContainer>(name, VARKIND_TYPE, parent->GetHandle(), index);
    VariableContainer* raw = child.get();
    parent->AppendChild(std::move(child));
    return raw;
  }

  SysAssertHandler previous_ = nullptr;
};

struct ValueCase {
  uint8_t kind;
  const char* text;
  bool accepted;
  const char* shown;  // value text afterwards (the old one when refused)
};

TEST_F(VariableTest, SetValueAcceptsAndRefusesByKind) {
  const std::string long_real(VARIABLE_REAL_TEXT_MAX, '1');
  const std::string too_long_real(VARIABLE_REAL_TEXT_MAX + 1, '1');
  const ValueCase cases[] = {
      {VARKIND_INTEGER, "42", true, "42"},
      {VARKIND_INTEGER, "-2147483648", true, "-2147483648"},
      {VARKIND_INTEGER, "2147483647", true, "2147483647"},
      {VARKIND_INTEGER, "2147483648", false, "7"},  // fits a long here, not the variable
      {VARKIND_INTEGER, "-2147483649", false, "7"},
      {VARKIND_INTEGER, "99999999999999999999", false, "7"},
      {VARKIND_INTEGER, "12abc", false, "7"},
      {VARKIND_INTEGER, "", false, "7"},
      {VARKIND_INTEGER, "-", false, "7"},
      {VARKIND_INTEGER, "1.5", false, "7"},
      {VARKIND_DINTEGER, " +12", true, "12"},
      {VARKIND_REAL, "1,5", true, "1.5"},
      {VARKIND_REAL, "1.5", true, "1.5"},
      {VARKIND_REAL, "1,5,0", false, "7"},  // only the first comma is a point
      {VARKIND_REAL, "", false, "7"},
      {VARKIND_REAL, "12abc", false, "7"},
      {VARKIND_REAL, "1e400", false, "7"},
      {VARKIND_REAL, "inf", false, "7"},
      {VARKIND_REAL, "nan", false, "7"},
      {VARKIND_REAL, "1e-400", true, "0"},  // underflow is no overflow
      {VARKIND_SHORT, "0.1", true, "0.1"},
      {VARKIND_SHORT, "123456789012345", true, "1.23456789012e+14"},
      {VARKIND_REAL, "-0,25", true, "-0.25"},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(std::string(1, static_cast<char>(c.kind)) + " \"" + c.text + "\"");
    std::unique_ptr<Variable> var = Variable_Create(c.kind, "V", "7", 0, 0);
    ASSERT_TRUE(var);
    EXPECT_EQ(var->SetValue(c.text), c.accepted);
    EXPECT_EQ(var->GetValueText(), c.shown);
  }
  std::unique_ptr<Variable> real = Variable_Create(VARKIND_REAL, "R", "7", 0, 0);
  EXPECT_TRUE(real->SetValue(long_real));
  EXPECT_FALSE(real->SetValue(too_long_real));
}

TEST_F(VariableTest, KindCodesMakeTheirClassesAndTypeNames) {
  struct KindCase {
    unsigned code;
    const char* type_name;
    bool container;
  };
  const KindCase cases[] = {
      {'I', "INTEGER", false}, {'D', "DINTEGER", false},     {'S', "SHORT", false},
      {'L', "REAL", false},    {'X', "STRING", false},       {'T', "TYPE", true},
      {0xC9, "INTEGER", true}, {0x80 + 'X', "STRING", true}, {0x80 + 'T', "TYPE", true},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.code);
    std::unique_ptr<Variable> var = Variable_Create(static_cast<uint8_t>(c.code), "V", "title", 3, 4);
    if (!c.container && c.code != 'X') var = Variable_Create(static_cast<uint8_t>(c.code), "V", "1", 3, 4);
    ASSERT_TRUE(var);
    EXPECT_STREQ(var->GetTypeName(), c.type_name);
    EXPECT_EQ(var->IsContainer(), c.container);
    EXPECT_EQ(var->GetHandle(), 3);
    EXPECT_EQ(var->GetIndex(), 4);
  }
  for (unsigned bad : {0u, unsigned('A'), 0x80u, 0x80u + 'A', 0xFFu}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(Variable_Create(static_cast<uint8_t>(bad), "V", "1", 0, 0));
  }
  // A value text that its kind refuses makes no variable.
  EXPECT_FALSE(Variable_Create(VARKIND_INTEGER, "V", "x", 0, 0));
  EXPECT_FALSE(Variable_Create(VARKIND_INTEGER, nullptr, "1", 0, 0));
}

TEST_F(VariableTest, TreeQueriesAndPaths) {
  VariableContainer root("R", VARKIND_TYPE, 7, 4);
  VariableContainer* rec = AddContainer(&root, "R.A", 2);
  VariableContainer* inner = AddContainer(rec, "R.A.B", 5);
  auto leaf_owned = std::make_unique<VariableInteger>("R.A.B.C", VARKIND_INTEGER, 7, 1);
  Variable* leaf = leaf_owned.get();
  inner->AppendChild(std::move(leaf_owned));

  EXPECT_EQ(root.CountChildren(), 0);
  EXPECT_EQ(leaf->CountChildren(), 3);
  EXPECT_EQ(leaf->GetChild(0), nullptr);
  EXPECT_EQ(leaf->GetChild(1), inner);
  EXPECT_EQ(leaf->GetChild(3), &root);
  EXPECT_EQ(leaf->GetChild(4), nullptr);
  EXPECT_EQ(root.GetRoot(), nullptr);
  EXPECT_EQ(leaf->GetRoot(), &root);
  EXPECT_EQ(rec->GetRoot(), &root);
  EXPECT_EQ(leaf->GetAncestorLevel(inner), 1);
  EXPECT_EQ(leaf->GetAncestorLevel(&root), 3);
  EXPECT_EQ(rec->GetAncestorLevel(leaf), 0);
  EXPECT_THROW(leaf->GetAncestorLevel(nullptr), SysAssertError);

  // Paths: the root's handle, then the indices from the root down.
  VariablePath top = Variable_GetPath(&root);
  EXPECT_EQ(top.handle, 7);
  EXPECT_EQ(top.indices, (std::vector<uint16_t>{4}));
  VariablePath child = Variable_GetPath(rec);
  EXPECT_EQ(child.handle, 7);
  EXPECT_EQ(child.indices, (std::vector<uint16_t>{4, 2}));
  EXPECT_EQ(Variable_GetPath(leaf).indices, (std::vector<uint16_t>{4, 2, 5, 1}));
  VariablePath none = Variable_GetPath(nullptr);
  EXPECT_EQ(none.handle, 0);
  EXPECT_TRUE(none.indices.empty());
}

TEST_F(VariableTest, ChildrenUnlinkThemselvesFromAnyPlace) {
  VariableContainer box("B", VARKIND_TYPE);
  Variable* kids[3];
  for (int i = 0; i < 3; ++i) {
    auto v = std::make_unique<VariableString>(("s" + std::to_string(i)).c_str());
    kids[i] = v.get();
    box.AppendChild(std::move(v));
  }
  delete kids[1];  // the middle one
  EXPECT_EQ(box.GetFirstChild(), kids[0]);
  EXPECT_EQ(kids[0]->GetNext(), kids[2]);
  EXPECT_EQ(kids[2]->GetPrev(), kids[0]);
  delete kids[0];  // the head
  EXPECT_EQ(box.GetFirstChild(), kids[2]);
  EXPECT_EQ(kids[2]->GetPrev(), nullptr);
  delete kids[2];  // the tail and last
  EXPECT_FALSE(box.HasChildren());
  EXPECT_EQ(box.GetLastChild(), nullptr);
}

TEST_F(VariableTest, BrokenLinksAreFailedChecks) {
  VariableContainer a("A", VARKIND_TYPE);
  VariableContainer b("B", VARKIND_TYPE);
  auto child = std::make_unique<VariableString>("c");
  Variable* raw = child.get();
  a.AppendChild(std::move(child));
  EXPECT_THROW(b.RemoveChild(raw), SysAssertError);
  EXPECT_THROW(a.AppendChild(nullptr), SysAssertError);
  EXPECT_THROW(VariableString(nullptr), SysAssertError);
  try {
    b.AppendChild(std::unique_ptr<Variable>(raw));  // still linked into a
    FAIL();
  } catch (const SysAssertError& e) {
    EXPECT_EQ(e.expr, "!child_var->parent");
  }
}

}  // namespace
