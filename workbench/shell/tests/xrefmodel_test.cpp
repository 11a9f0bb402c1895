// The cross-reference tree: documents sorted by label, re-announcing a
// document, segment kinds and labels, searches by number and line, and the
// context menu's commands.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workbench/shell/tests/xreffakes.h"
#include "workbench/shell/xrefmodel.h"

namespace {

using xreftest::FakeDocument;

// Counts listener calls and checks that they come in pairs.
class CountingListener : public XrefListener {
 public:
  void BeginInsert(XrefNode*, int first, int last) override {
    EXPECT_LE(first, last);
    ++open;
  }
  void EndInsert() override { --open; }
  void BeginRemove(XrefNode*, int first, int last) override {
    EXPECT_LE(first, last);
    ++open;
  }
  void EndRemove() override { --open; }
  void Changed(XrefNode*) override { ++changed; }
  void ExpansionChanged(XrefNode* node) override { expansions.push_back(node); }
  void SelectionChanged(XrefNode*) override {}
  int open = 0;
  int changed = 0;
  std::vector<XrefNode*> expansions;
};

std::vector<std::string> RootLabels(const XrefTree& tree) {
  std::vector<std::string> labels;
  for (const auto& node : tree.Roots()) labels.push_back(node->Item()->GetLabel());
  return labels;
}

TEST(XrefTree, DocumentsAreSortedByLabelAndReannouncingKeepsSegments) {
  XrefTree tree;
  CountingListener listener;
  tree.SetListener(&listener);
  FakeDocument orders("orders.prog", true), billing("Billing.prog", true), notes("notes.txt", false);
  tree.AddDocument(&orders);
  tree.AddDocument(&notes);
  tree.AddDocument(&billing);
  EXPECT_EQ(RootLabels(tree), (std::vector<std::string>{"Billing.prog", "notes.txt", "orders.prog"}));
  EXPECT_EQ(tree.FindDocument(&notes)->Item()->GetImage(), XrefDoc::Text);

  tree.AddSegment(&orders, "ORDERS", 0, 1);
  tree.AddSegment(&orders, "SUB Print", 1, 40);
  tree.SelectSegment(&orders, 1);  // expands the document
  // Renamed and modified: it moves to its new place and keeps its segments,
  // their expansion and the selection lands on the new node.
  orders.title = "archive.prog";
  orders.modified = true;
  XrefNode* node = tree.AddDocument(&orders);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(RootLabels(tree), (std::vector<std::string>{"archive.prog *", "Billing.prog", "notes.txt"}));
  ASSERT_EQ(node->Children().size(), 2u);
  EXPECT_EQ(node->Children()[1]->Item()->GetLabel(), "SUB Print");
  EXPECT_EQ(node->Children()[1]->Parent(), node);
  EXPECT_TRUE(node->Expanded());
  EXPECT_EQ(tree.Selected(), node);
  for (size_t i = 0; i < tree.Roots().size(); ++i) EXPECT_EQ(tree.Roots()[i]->Row(), static_cast<int>(i));
  EXPECT_EQ(listener.open, 0);

  // A document without a title is not shown.
  FakeDocument untitled("", false);
  EXPECT_EQ(tree.AddDocument(&untitled), nullptr);
  tree.RemoveDocument(&notes);
  EXPECT_EQ(RootLabels(tree), (std::vector<std::string>{"archive.prog *", "Billing.prog"}));
  tree.SetListener(nullptr);
}

// A new document's segments are in sight as they arrive; once the user
// closed the node, a new set of segments (after a compile) leaves it closed.
TEST(XrefTree, ANewDocumentComesOpenAndACollapseOutlivesNewSegments) {
  XrefTree tree;
  CountingListener listener;
  tree.SetListener(&listener);
  FakeDocument doc("p.prog", true);
  XrefNode* node = tree.AddDocument(&doc);
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->Expanded());
  EXPECT_TRUE(listener.expansions.empty());  // nothing to open yet
  tree.AddSegment(&doc, "MAIN", 0, 1);
  tree.AddSegment(&doc, "SUB A", 1, 9);
  // The view hears once, with the first child.
  EXPECT_EQ(listener.expansions, (std::vector<XrefNode*>{node}));
  tree.SetExpanded(node, false);
  tree.RemoveChildren(&doc);
  tree.AddSegment(&doc, "MAIN", 0, 1);
  EXPECT_FALSE(node->Expanded());
  // Announced again it stays closed too.
  EXPECT_FALSE(tree.AddDocument(&doc)->Expanded());
  EXPECT_EQ(listener.open, 0);
  tree.SetListener(nullptr);
}

TEST(XrefSegment, PrefixesPickKindImageAndLabel) {
  FakeDocument doc("p", true);
  struct Case {
    const char* text;
    int kind;
    const char* name;
    const char* label;
  } cases[] = {
      {"FN$ NAME", XrefDoc::FnString, "NAME", "FN$ NAME"},
      {"fn$ name", XrefDoc::FnString, "name", "FN$ name"},
      {"SUB Print", XrefDoc::Sub, "Print", "SUB Print"},
      {"FN  TOTAL", XrefDoc::Fn, "TOTAL", "FN  TOTAL"},
      {"ORDERS", XrefDoc::Main, "ORDERS", "ORDERS"},
      {"SUBTOTAL", XrefDoc::Main, "SUBTOTAL", "SUBTOTAL"},
      {"FN", XrefDoc::Main, "FN", "FN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    XrefSegment seg(&doc, c.text, 1, 10);
    EXPECT_EQ(seg.GetKind(), c.kind);
    EXPECT_EQ(seg.GetImage(), c.kind);
    EXPECT_EQ(seg.Name(), c.name);
    EXPECT_EQ(seg.GetLabel(), c.label);
  }
}

TEST(XrefTree, SegmentSearchesByNumberAndLine) {
  XrefTree tree;
  FakeDocument doc("p.prog", true), other("q.prog", true);
  tree.AddDocument(&doc);
  tree.AddSegment(&doc, "MAIN", 0, 5);
  tree.AddSegment(&doc, "SUB A", 1, 20);
  tree.AddSegment(&doc, "FN  B", 2, 30);
  struct Case {
    int line;
    int segment;  // -1: none
  } cases[] = {{1, -1}, {4, -1}, {5, 0}, {19, 0}, {20, 1}, {29, 1}, {30, 2}, {9999, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    XrefNode* found = tree.FindSegmentAtLine(&doc, c.line);
    if (c.segment < 0) {
      EXPECT_EQ(found, nullptr);
    } else {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(static_cast<XrefSegment*>(found->Item())->Segment(), c.segment);
    }
  }
  EXPECT_EQ(tree.FindSegment(&doc, 2), tree.FindSegmentAtLine(&doc, 31));
  EXPECT_EQ(tree.FindSegment(&doc, 7), nullptr);
  EXPECT_EQ(tree.FindSegmentAtLine(&other, 10), nullptr);
  EXPECT_EQ(tree.GetSelectedIndex(&other), -1);

  // Selection among the children; a selected child keeps its selection when
  // the document is selected.
  tree.SelectSegment(&doc, 1);
  EXPECT_EQ(tree.GetSelectedIndex(&doc), 1);
  tree.SelectDocument(&doc);
  EXPECT_EQ(tree.GetSelectedIndex(&doc), 1);
  tree.RemoveChildren(&doc);
  EXPECT_EQ(tree.GetSelectedIndex(&doc), -1);
  EXPECT_EQ(tree.Selected(), nullptr);
  EXPECT_TRUE(tree.FindDocument(&doc)->Children().empty());
}

TEST(XrefTree, MenuAndContextCommandsReachTheDocument) {
  XrefTree tree;
  FakeDocument doc("p.prog", true);
  XrefNode* root = tree.AddDocument(&doc);
  XrefNode* seg = tree.AddSegment(&doc, "SUB A", 1, 20);

  std::vector<XrefMenuEntry> menu = root->Item()->BuildMenu(true, false, true);
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].text, "Ac&tivate");
  EXPECT_EQ(menu[1].text, "&Expand\tSpace");
  EXPECT_EQ(menu[2].offset, -1);
  EXPECT_EQ(menu[3].text, "Close");
  menu = seg->Item()->BuildMenu(false, false, false);
  ASSERT_EQ(menu.size(), 1u);
  EXPECT_EQ(menu[0].text, "Go &To");
  EXPECT_EQ(root->Item()->BuildMenu(true, true, true)[1].text, "Collaps&e\tSpace");

  EXPECT_TRUE(root->Expanded());  // a new document comes open
  tree.ContextCommand(root, XrefDoc::CmdExpand);
  EXPECT_FALSE(root->Expanded());
  tree.ContextCommand(seg, XrefDoc::CmdDefault);
  tree.ContextCommand(seg, XrefDoc::CmdClose);  // not a root: nothing
  tree.ContextCommand(root, XrefDoc::CmdDefault);
  tree.ContextCommand(root, XrefDoc::CmdClose);
  EXPECT_EQ(doc.calls, (std::vector<std::string>{"line 20", "activate", "close"}));
}

}  // namespace
