// The indicator and in-place controls: numeric fields that check what is
// typed and what is entered, the find-history combo, the in-place editors'
// messages to their parent, and the GUI helpers' list-column fitting.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QTest>
#include <QHeaderView>
#include <QTreeWidget>

#include "workbench/framework/fwmessage.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/controls/filecombos.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/findutil.h"
#include "workbench/base/tests/shelltest.h"

namespace {

class FakeEditor : public IndicatorEditorView {
 public:
  void GoToLine(unsigned line) override { calls.push_back("line " + std::to_string(line)); }
  void GoToColumn(unsigned column) override { calls.push_back("column " + std::to_string(column)); }
  void GoToLineNumber(int n) override { calls.push_back("number " + std::to_string(n)); }
  void FindForward(const std::string& text) override { calls.push_back("find " + text); }
  void TakeFocus() override { ++focus; }
  std::vector<std::string> calls;
  int focus = 0;
};

// A parent that records the private messages it gets.
class Parent : public QWidget {
 public:
  std::vector<int> messages;

 protected:
  void customEvent(QEvent* e) override { messages.push_back(static_cast<int>(e->type())); }
};

class Indicators : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    Fw_RegisterMessages();
    holder = std::make_unique<Parent>();
    parent = holder.get();
    parent->resize(400, 200);
    parent->show();
    Indicator_SetEditorView(&editor);
  }
  void TearDown() override {
    CInPlaceEdit::DestroyCurrent();
    CInPlaceEditCB::DestroyCurrent();
    Indicator_SetEditorView(nullptr);
    holder.reset();
  }
  RecordingSink sink;
  FakeEditor editor;
  std::unique_ptr<Parent> holder;
  Parent* parent = nullptr;
};

TEST_F(Indicators, LineFieldTakesDigitsAndGoesToTheLine) {
  auto* line = new CLineIndicator;
  line->Create(QRect(0, 0, 10, 20), parent, 59147);
  EXPECT_EQ(line->width(), GUI_GetTextExtent(parent, "000000").width() + 8);
  line->setFocus();
  QTest::keyClicks(line, "1a2");
  EXPECT_EQ(line->text(), "12");
  EXPECT_EQ(sink.beeps.size(), 1u);
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_EQ(editor.calls, std::vector<std::string>{"line 11"});
  EXPECT_EQ(editor.focus, 1);

  struct Case {
    const char* text;
    bool beeps;
  } cases[] = {{"0", true}, {"4294967296", true}, {"99999999999999999999", true}, {"7", false}};
  for (const auto& c : cases) {
    size_t before = sink.beeps.size();
    line->OnEnter(c.text);
    EXPECT_EQ(sink.beeps.size() - before, c.beeps ? 1u : 0u) << c.text;
  }
  Indicator_SetEditorView(nullptr);
  line->OnEnter("5");
  line->OnEscape();
  EXPECT_EQ(sink.beeps.size(), 6u);
}

TEST_F(Indicators, MinusOnlyFirstInTheCoordinateFields) {
  auto* x = new CCoordXIndicator;
  x->Create(QRect(0, 0, 10, 20), parent, 59163);
  auto* w = new CCoordWidthIndicator;
  w->Create(QRect(0, 30, 10, 20), parent, 59167);
  x->setFocus();
  QTest::keyClicks(x, "-5-");
  EXPECT_EQ(x->text(), "-5");
  w->setFocus();
  QTest::keyClicks(w, "-3");
  EXPECT_EQ(w->text(), "3");
  EXPECT_EQ(sink.beeps.size(), 2u);
  // No designer view: Enter beeps, even on 0.
  x->OnEnter("0");
  EXPECT_EQ(sink.beeps.size(), 3u);
}

TEST_F(Indicators, HistoryComboAddsToTheFrontAndFinds) {
  FindHistory history("FindHistoryTest");
  CFindCombo combo(&history, parent);
  combo.OnEnter("alpha");
  combo.OnEnter("beta");
  EXPECT_EQ(combo.count(), 2);
  EXPECT_EQ(combo.itemText(0), "beta");
  EXPECT_EQ(editor.calls, (std::vector<std::string>{"find alpha", "find beta"}));
  combo.OnEnter("");
  EXPECT_EQ(sink.beeps.size(), 1u);
}

TEST_F(Indicators, ASecondInPlaceEditClosesTheFirst) {
  CInPlaceEdit* first = CInPlaceEdit::Create("one", QRect(0, 0, 100, 20), parent);
  EXPECT_EQ(first->objectName(), "59156");
  EXPECT_EQ(first->selectedText(), "one");
  CInPlaceEdit* second = CInPlaceEdit::Create("two", QRect(0, 0, 100, 20), parent);
  EXPECT_EQ(parent->messages, std::vector<int>{0x721});
  EXPECT_EQ(CInPlaceEdit::m_CurrInstance, second);
  QTest::keyClick(second, Qt::Key_Return);
  EXPECT_EQ(parent->messages, (std::vector<int>{0x721, 0x720}));
  std::string text;
  EXPECT_TRUE(CInPlaceEdit::GetCurrentText(&text));
  EXPECT_EQ(text, "two");

  // A combo closes the edit too.
  CInPlaceEditCB* combo = CInPlaceEditCB::Create("zeta", QRect(0, 0, 100, 20), parent, true, 5);
  EXPECT_EQ(CInPlaceEdit::m_CurrInstance, nullptr);
  EXPECT_FALSE(CInPlaceEdit::GetCurrentText(&text));
  combo->addItems({"alpha", "beta"});
  combo->setEditText("zeta");
  int index = 0;
  EXPECT_TRUE(CInPlaceEditCB::GetCurrentText(&text, &index));
  EXPECT_EQ(text, "zeta");
  EXPECT_EQ(index, -1);
  combo->setEditText("beta");
  CInPlaceEditCB::GetCurrentText(&text, &index);
  EXPECT_EQ(index, 1);
  CInPlaceEditCB::DestroyCurrent();
  EXPECT_EQ(parent->messages.back(), 0x721);
}

TEST_F(Indicators, FittingAListColumn) {
  QTreeWidget list(parent);
  list.setColumnCount(2);
  list.resize(300, 100);
  list.show();
  list.header()->setStretchLastSection(false);
  list.header()->resizeSection(0, 120);
  QRect rect(0, 0, 200, 50);
  GUI_FitListColumn(&list, 1, &rect);
  EXPECT_EQ(list.header()->sectionSize(1), 80);
  QRect narrow(0, 0, 100, 50);
  GUI_FitListColumn(&list, 1, &narrow);
  EXPECT_EQ(list.header()->sectionSize(1), 0);
}

}  // namespace

namespace {

TEST_F(Indicators, RememberedFileFilterAndModeOutsideTheListSelectAnEnd) {
  struct Case {
    int remembered;
    int filter_index;
    int mode_index;
  } cases[] = {{-5, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 2, 2}, {1000, 2, 2}};
  for (const auto& c : cases) {
    CfgExplore explore;
    explore.FileFilter = c.remembered;
    explore.FileMode = c.remembered;
    CFileTypeCB types(&explore, true, parent);
    CFileOpenAsCB open_as(&explore, parent);
    EXPECT_EQ(types.currentIndex(), c.filter_index) << c.remembered;
    EXPECT_EQ(open_as.currentIndex(), c.mode_index) << c.remembered;
  }
  CfgExplore explore;
  CFileOpenAsCB open_as(&explore, parent);
  std::vector<int> modes;
  for (int i = 0; i < open_as.count(); ++i) {
    open_as.setCurrentIndex(i);
    modes.push_back(open_as.GetMode());
  }
  EXPECT_EQ(modes, (std::vector<int>{0, 1, 4}));
  CFileTypeCB types(&explore, false, parent);
  types.SetType(1);
  EXPECT_EQ(types.currentText(), "Text Files");
  types.SetType(7);
  EXPECT_EQ(types.currentText(), "All Files");
}

}  // namespace
