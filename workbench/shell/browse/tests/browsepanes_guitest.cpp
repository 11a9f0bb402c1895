// The browse bar's panes on the offscreen platform: the help contents pane
// reading its project file, and the cross-reference window's keys, clicks
// and expansion, and dragging a dialog object onto another.
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "tests/support/testsupport.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/browse/contentwnd.h"
#include "workbench/shell/browse/xrefwnd.h"
#include "workbench/shell/tests/xreffakes.h"

namespace {

class BrowsePanes : public ::testing::Test {
 protected:
  void SetUp() override { Fw_TestQApp(); }

  // A help record naming a project file with `text`.
  CfgHelp HelpWith(const std::string& text) {
    CfgHelp help;
    help.ConfigLocation = dir.file("yqhelp.cfg");
    help.ConfigURL = "http://docs.example";
    vtest::write_file(help.ConfigLocation, text);
    return help;
  }
  ContentWnd::ShowHelp Recorder() {
    return [this](const std::string& topic) { shown.push_back(topic); };
  }

  vtest::TempDir dir;
  RecordingSink sink;
  std::vector<std::string> shown;
};

TEST_F(BrowsePanes, HelpPaneShowsTheFileAndEntryAddresses) {
  CfgHelp help = HelpWith("M manuals\nT 1 Book\nU book.htm\nT 2 Inner\nD 3 Deep\nT 1 Second\nD 2 Page\nU page.htm\n");
  ContentWnd pane(&help, Recorder());
  QTreeWidget* tree = pane.Tree();
  ASSERT_EQ(tree->topLevelItemCount(), 2);
  EXPECT_EQ(tree->topLevelItem(1)->text(0), "Second");
  EXPECT_EQ(tree->topLevelItem(0)->child(0)->child(0)->text(0), "Deep");
  EXPECT_EQ(help.Url, "http://docs.example/manuals");
  EXPECT_TRUE(sink.boxes.empty());

  // A double click shows an entry's address; an entry without one nothing.
  QTreeWidgetItem* page = tree->topLevelItem(1)->child(0);
  emit tree->itemDoubleClicked(page, 0);
  emit tree->itemDoubleClicked(tree->topLevelItem(0)->child(0), 0);
  tree->setFocus();
  QTest::keyClick(tree, Qt::Key_F1);
  EXPECT_EQ(shown, (std::vector<std::string>{"page.htm", "HIDW_CONTENT_PANE"}));

  // A reload reads the file again.
  vtest::write_file(help.ConfigLocation, "# only comments\n;\n");
  pane.Reload();
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(BrowsePanes, HelpPaneReportsABadLineAndKeepsTheEntriesBefore) {
  CfgHelp help = HelpWith("T 1 Book\nD 2 Page\nD 4 Too deep\nT 1 Never\n");
  ContentWnd pane(&help, Recorder());
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text, "Syntax error in on-line help project file:\nFile " + help.ConfigLocation + ", Line 3");
  ASSERT_EQ(pane.Tree()->topLevelItemCount(), 1);
  EXPECT_EQ(pane.Tree()->topLevelItem(0)->childCount(), 1);

  // A file that is not there: an empty tree and not a word.
  sink.boxes.clear();
  help.ConfigLocation = dir.file("missing.cfg");
  pane.Reload();
  EXPECT_EQ(pane.Tree()->topLevelItemCount(), 0);
  EXPECT_TRUE(sink.boxes.empty());
}

class Document : public XrefSubject {
 public:
  explicit Document(std::string name) : title(std::move(name)) {}
  std::string XrefTitle() const override { return title; }
  bool XrefModified() const override { return false; }
  bool XrefIsProgram() const override { return true; }
  void XrefActivate() override { ++activated; }
  void XrefShowLocation(int line) override { lines.push_back(line); }
  void XrefClose() override {}
  std::string title;
  int activated = 0;
  std::vector<int> lines;
};

TEST_F(BrowsePanes, XrefWindowFollowsTheTreeAndActsOncePerPress) {
  CXrefWnd wnd(Recorder());
  wnd.resize(200, 300);
  wnd.show();
  XrefTree& tree = wnd.Tree();
  Document orders("orders.prog"), billing("billing.prog");
  tree.AddDocument(&orders);
  tree.AddSegment(&orders, "ORDERS", 0, 1);
  tree.AddSegment(&orders, "FN$ NAME", 1, 30);
  tree.AddDocument(&billing);
  QTreeView* view = wnd.View();
  QAbstractItemModel* model = view->model();
  ASSERT_EQ(model->rowCount(), 2);
  EXPECT_EQ(model->index(0, 0).data().toString(), "billing.prog");
  QModelIndex orders_row = model->index(1, 0);
  EXPECT_EQ(model->index(1, 0, orders_row).data().toString(), "FN$ NAME");
  EXPECT_EQ(model->index(1, 0, orders_row).data(Qt::UserRole).toInt(), 5);

  // A new document's segments are in sight; collapsed and expanded in the
  // view; re-announcing keeps segments and expansion.
  EXPECT_TRUE(view->isExpanded(orders_row));
  view->collapse(orders_row);
  EXPECT_FALSE(tree.FindDocument(&orders)->Expanded());
  view->expand(orders_row);
  EXPECT_TRUE(tree.FindDocument(&orders)->Expanded());
  orders.title = "archive.prog";
  tree.AddDocument(&orders);
  QModelIndex moved = model->index(0, 0);
  EXPECT_EQ(moved.data().toString(), "archive.prog");
  EXPECT_EQ(model->rowCount(moved), 2);
  EXPECT_TRUE(view->isExpanded(moved));
  EXPECT_EQ(view->currentIndex(), moved);

  // A held Enter (repeats before the release) activates once; the next
  // press again.
  view->setFocus();
  QTest::keyPress(view, Qt::Key_Return);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(view, &repeat);
  QApplication::sendEvent(view, &repeat);
  EXPECT_EQ(orders.activated, 1);
  QTest::keyRelease(view, Qt::Key_Return);
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(orders.activated, 2);

  // Space collapses; a segment's default action goes to its line.
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_FALSE(view->isExpanded(moved));
  tree.SelectSegment(&orders, 1);
  EXPECT_TRUE(view->isExpanded(moved));
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(orders.lines, (std::vector<int>{30}));
  QTest::keyClick(view, Qt::Key_F1);
  EXPECT_EQ(shown, (std::vector<std::string>{"HIDW_XREF_PANE"}));

  // The context menu of a document: its commands count from the first
  // cross-reference id; Collapse acts on the node.
  QMenu* menu = wnd.BuildContextMenu(tree.FindDocument(&orders), &wnd);
  QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 4);
  EXPECT_EQ(actions[0]->text(), "Ac&tivate");
  EXPECT_EQ(actions[1]->data().toInt(), ID_XREF_ITEM_FIRST + 1);
  EXPECT_EQ(actions[3]->text(), "Close");
  actions[1]->trigger();
  QCoreApplication::processEvents();  // once the menu is done
  EXPECT_FALSE(view->isExpanded(moved));
  delete menu;

  // Shift+F10 and the menu key give the selected item's menu.
  view->setCurrentIndex(moved);
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
    QTest::keyClick(view, key, modifiers);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr) << key;
    EXPECT_EQ(popup->actions().at(0)->text(), "Ac&tivate");
    popup->close();
  }
  QTest::keyClick(view, Qt::Key_F10);  // plain F10 is the menu bar's
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  tree.RemoveDocument(&orders);
  EXPECT_EQ(model->rowCount(), 1);
}

TEST_F(BrowsePanes, XrefWindowDragsADialogObjectOntoAnother) {
  CXrefWnd wnd(Recorder());
  wnd.resize(240, 300);
  wnd.show();
  XrefTree& tree = wnd.Tree();
  xreftest::FakeDocument doc("orders.dlg", false, true);
  xreftest::FakeDlgObject dialog("Main [Dialog]", nullptr, &doc), a("A [Button]", &dialog, &doc),
      b("B [Button]", &dialog, &doc), c("C [Button]", &dialog, &doc);
  tree.AddDocument(&doc);
  tree.AddDlgObject(&doc, &dialog);
  for (xreftest::FakeDlgObject* o : {&c, &b, &a}) tree.AddDlgObject(&doc, o);  // each first: A, B, C
  tree.SelectDlgObject(&a);
  QTreeView* view = wnd.View();
  XrefItemModel* model = wnd.Model();
  auto rect_of = [&](xreftest::FakeDlgObject* o) {
    return view->visualRect(model->IndexOf(tree.FindDlgObject(&doc, o)));
  };
  ASSERT_TRUE(rect_of(&c).isValid());

  // A onto the lower half of C: C is highlighted on the way, A goes after C.
  QWidget* port = view->viewport();
  QTest::mousePress(port, Qt::LeftButton, {}, rect_of(&a).center());
  QTest::mouseMove(port, rect_of(&b).center());
  QTest::mouseMove(port, rect_of(&c).center() + QPoint(0, rect_of(&c).height() / 4));
  EXPECT_EQ(model->DropTarget(), tree.FindDlgObject(&doc, &c));
  QTest::mouseRelease(port, Qt::LeftButton, {}, rect_of(&c).center() + QPoint(0, rect_of(&c).height() / 4));
  EXPECT_EQ(a.calls, std::vector<std::string>{"reorder after C [Button]"});
  EXPECT_EQ(model->DropTarget(), nullptr);
  EXPECT_EQ(tree.Selected(), tree.FindDlgObject(&doc, &a));

  // The dialog is not a drop target: the highlight goes and a release there
  // does nothing; a dialog itself is not dragged.
  QTest::mousePress(port, Qt::LeftButton, {}, rect_of(&b).center());
  QTest::mouseMove(port, rect_of(&c).center());
  QTest::mouseMove(port, rect_of(&dialog).center());
  EXPECT_EQ(model->DropTarget(), nullptr);
  QTest::mouseRelease(port, Qt::LeftButton, {}, rect_of(&dialog).center());
  EXPECT_TRUE(b.calls.empty());
  QTest::mousePress(port, Qt::LeftButton, {}, rect_of(&dialog).center());
  QTest::mouseMove(port, rect_of(&a).center());
  QTest::mouseRelease(port, Qt::LeftButton, {}, rect_of(&a).center());
  EXPECT_TRUE(dialog.calls.empty());

  // The object's menu shows its visibility as a check mark.
  QMenu* menu = wnd.BuildContextMenu(tree.FindDlgObject(&doc, &b), &wnd);
  QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 8);
  EXPECT_EQ(actions[4]->text(), "&Visible");
  EXPECT_TRUE(actions[4]->isCheckable() && actions[4]->isChecked());
  EXPECT_EQ(actions[4]->data().toInt(), ID_XREF_ITEM_FIRST + static_cast<int>(XrefDoc::CmdVisible));
  actions[4]->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(b.calls, std::vector<std::string>{"visible"});
  delete menu;
}

}  // namespace
