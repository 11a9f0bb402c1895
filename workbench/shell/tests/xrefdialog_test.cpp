// The cross-reference tree under a dialog document: dialogs and their
// objects in the object hierarchy, where an object's item goes, images,
// the extended context menu and its commands, and which drags are taken.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workbench/base/sysassert.h"
#include "workbench/shell/tests/xreffakes.h"
#include "workbench/shell/xrefmodel.h"

namespace {

using xreftest::FakeDlgObject;
using xreftest::FakeDocument;

std::vector<std::string> Labels(const XrefNode* node) {
  std::vector<std::string> labels;
  for (const auto& child : node->Children()) labels.push_back(child->Item()->GetLabel());
  return labels;
}

class XrefDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    tree.AddDocument(&doc);
  }
  void TearDown() override { Sys_SetAssertHandler(previous_); }

  FakeDlgObject* Make(const char* name, FakeDlgObject* parent) {
    objects.push_back(std::make_unique<FakeDlgObject>(name, parent, &doc));
    return objects.back().get();
  }

  FakeDocument doc{"orders.dlg", false, true};
  XrefTree tree;
  std::vector<std::unique_ptr<FakeDlgObject>> objects;

 private:
  SysAssertHandler previous_ = nullptr;
};

TEST_F(XrefDialog, ObjectsGoUnderTheirParentsInTheirPlaces) {
  XrefNode* doc_node = tree.FindDocument(&doc);
  EXPECT_EQ(doc_node->Item()->GetKind(), XrefDoc::Dialog);
  EXPECT_EQ(doc_node->Item()->GetImage(), 6);
  FakeDlgObject* dialog = Make("Main [Dialog]", nullptr);
  XrefNode* dialog_node = tree.AddDlgObject(&doc, dialog);
  ASSERT_NE(dialog_node, nullptr);
  EXPECT_EQ(tree.GetRootObject(&doc), dialog);
  EXPECT_EQ(dialog_node->Item()->GetImage(), XrefDoc::DialogImage);

  FakeDlgObject* menu = Make("Menu [MenuBar]", dialog);
  menu->keeps_place = true;
  FakeDlgObject* ok = Make("OK [Button]", dialog);
  FakeDlgObject* status = Make("Status [StatusBar]", dialog);
  status->at_end = true;
  FakeDlgObject* cancel = Make("Cancel [Button]", dialog);
  FakeDlgObject* name = Make("Name [Edit]", dialog);
  tree.AddDlgObject(&doc, ok);      // nothing keeps its place yet: first
  tree.AddDlgObject(&doc, menu);    // first again
  tree.AddDlgObject(&doc, status);  // at the end
  tree.AddDlgObject(&doc, cancel);  // behind the last one keeping its place
  name->prev = ok;                  // behind its predecessor
  tree.AddDlgObject(&doc, name);
  EXPECT_EQ(Labels(dialog_node), (std::vector<std::string>{"Menu [MenuBar]", "Cancel [Button]", "OK [Button]",
                                                           "Name [Edit]", "Status [StatusBar]"}));
  dialog->children = true;
  EXPECT_EQ(dialog_node->Item()->GetImage(), XrefDoc::DialogImage + 1);
  struct Case {
    bool children, flag;
    int image;
  } cases[] = {{false, false, 9}, {true, false, 10}, {false, true, 11}, {true, true, 12}};
  for (const Case& c : cases) {
    ok->children = c.children;
    ok->class_flag = c.flag;
    EXPECT_EQ(tree.FindDlgObject(&doc, ok)->Item()->GetImage(), c.image);
  }

  // An object of an object not in the tree, or of another document, has
  // no place.
  FakeDlgObject* stray_parent = Make("Stray [Frame]", dialog);
  EXPECT_EQ(tree.AddDlgObject(&doc, Make("Inner [Label]", stray_parent)), nullptr);
  FakeDocument other("other.dlg", false, true);
  EXPECT_EQ(tree.FindDlgObject(&other, ok), nullptr);

  // Selecting an object opens the path to it; removing its parent drops it
  // from the tree and from the searches.
  FakeDlgObject* frame = Make("Frame [Frame]", dialog);
  tree.AddDlgObject(&doc, frame);
  FakeDlgObject* label = Make("Label [Label]", frame);
  tree.AddDlgObject(&doc, label);
  XrefNode* selected = tree.SelectDlgObject(label);
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(tree.Selected(), selected);
  EXPECT_TRUE(doc_node->Expanded());
  EXPECT_TRUE(dialog_node->Expanded());
  tree.RemoveDlgObject(&doc, frame);
  EXPECT_EQ(tree.Selected(), nullptr);
  EXPECT_EQ(tree.FindDlgObject(&doc, label), nullptr);
  EXPECT_EQ(tree.SelectDlgObject(label), nullptr);
  EXPECT_EQ(tree.SelectRootObject(&doc, dialog), dialog_node);
  EXPECT_EQ(tree.SelectRootObject(&doc, ok), nullptr);  // not a dialog

  // Re-announcing the document keeps the items findable.
  doc.title = "renamed.dlg";
  tree.AddDocument(&doc);
  EXPECT_EQ(tree.FindDlgObject(&doc, ok)->Item()->GetLabel(), "OK [Button]");
  tree.RemoveDocument(&doc);
  EXPECT_EQ(tree.FindDlgObject(&doc, ok), nullptr);
  EXPECT_THROW(XrefDlgItem(&doc, nullptr), SysAssertError);
}

TEST_F(XrefDialog, MenuGreysWhatTheObjectForbidsAndCommandsReachTheDesigner) {
  FakeDlgObject* dialog = Make("", nullptr);
  XrefNode* dialog_node = tree.AddDlgObject(&doc, dialog);
  EXPECT_EQ(dialog_node->Item()->GetLabel(), "Untitled");
  FakeDlgObject* ok = Make("OK [Button]", dialog);
  XrefNode* node = tree.AddDlgObject(&doc, ok);

  std::vector<XrefMenuEntry> menu = node->Item()->BuildMenu(false, false, false);
  std::vector<std::string> texts;
  for (const XrefMenuEntry& e : menu) texts.push_back(e.offset < 0 ? "-" : e.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Selec&t", "-", "&Delete", "-", "&Visible", "-", "&Properties...",
                                             "&Object Palette..."}));
  EXPECT_TRUE(menu[0].enabled && menu[2].enabled && menu[4].enabled);
  EXPECT_TRUE(menu[4].checkable && menu[4].checked);

  struct Case {
    bool visible, editable, deletable;
    bool select_on, delete_on, visible_on;
  } cases[] = {
      {false, true, true, false, true, true},
      {true, false, true, true, false, false},
      {true, true, false, true, false, true},
  };
  for (const Case& c : cases) {
    ok->visible = c.visible;
    ok->editable = c.editable;
    ok->deletable = c.deletable;
    menu = node->Item()->BuildMenu(false, false, false);
    EXPECT_EQ(menu[0].enabled, c.select_on);
    EXPECT_EQ(menu[2].enabled, c.delete_on);
    EXPECT_EQ(menu[4].enabled, c.visible_on);
    EXPECT_EQ(menu[4].checked, c.visible);
  }

  for (int offset : {XrefDoc::CmdDefault, XrefDoc::CmdVisible, XrefDoc::CmdProperties, XrefDoc::CmdPalette})
    tree.ContextCommand(node, offset);
  EXPECT_EQ(ok->calls, (std::vector<std::string>{"select", "visible", "properties", "palette"}));
  // Deleting through the menu may take the item away at once.
  ok->on_delete = [&] { tree.RemoveDlgObject(&doc, ok); };
  tree.Select(node);
  tree.ContextCommand(node, XrefDoc::CmdDelete);
  EXPECT_EQ(ok->calls.back(), "delete");
  EXPECT_EQ(tree.FindDlgObject(&doc, ok), nullptr);
}

TEST_F(XrefDialog, DragsAreTakenWithinOneDialogWhereTheOrderMayChange) {
  FakeDlgObject* dialog = Make("Main [Dialog]", nullptr);
  FakeDlgObject* other_dialog = Make("Second [Dialog]", nullptr);
  tree.AddDlgObject(&doc, dialog);
  tree.AddDlgObject(&doc, other_dialog);
  FakeDlgObject* a = Make("A [Button]", dialog);
  FakeDlgObject* b = Make("B [Button]", dialog);
  FakeDlgObject* frame = Make("F [Frame]", dialog);
  FakeDlgObject* inner = Make("I [Label]", frame);
  FakeDlgObject* elsewhere = Make("X [Button]", other_dialog);
  for (FakeDlgObject* o : {a, b, frame, inner, elsewhere}) ASSERT_NE(tree.AddDlgObject(&doc, o), nullptr);
  auto node = [&](FakeDlgObject* o) { return tree.FindDlgObject(&doc, o); };

  EXPECT_TRUE(tree.CanDrag(node(a)));
  EXPECT_FALSE(tree.CanDrag(node(dialog)));  // a dialog is not dragged
  EXPECT_FALSE(tree.CanDrag(tree.FindDocument(&doc)));
  EXPECT_TRUE(tree.AcceptsDrop(node(b), node(a)));
  EXPECT_TRUE(tree.AcceptsDrop(node(inner), node(a)));  // same dialog, another level
  EXPECT_FALSE(tree.AcceptsDrop(node(a), node(a)));
  EXPECT_FALSE(tree.AcceptsDrop(node(elsewhere), node(a)));
  EXPECT_FALSE(tree.AcceptsDrop(node(dialog), node(a)));
  frame->keeps_order = true;
  EXPECT_FALSE(tree.AcceptsDrop(node(inner), node(a)));
  frame->locked = true;
  EXPECT_FALSE(tree.CanDrag(node(inner)));

  EXPECT_FALSE(tree.Drop(node(a), node(a), false));
  EXPECT_TRUE(tree.Drop(node(b), node(a), true));
  EXPECT_EQ(a->calls, std::vector<std::string>{"reorder after B [Button]"});
}

}  // namespace
