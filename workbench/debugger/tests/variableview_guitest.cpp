// The Variables view on the fake target: what its rows look like, clicks
// and keys on them, editing a value in place, and rows kept over closing.
#include "workbench/debugger/variableview.h"

#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "workbench/debugger/variables/tests/faketarget.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/base/shellsink.h"
#include "workbench/shell/statusmodel.h"
#include "workbench/base/sysassert.h"

namespace {

class VariableViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Fw_TestQApp();
    Fw_RegisterMessages();
    previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
    FakeNode rec{1, "rec", VARKIND_TYPE, "CUSTOMER", {}};
    rec.children = {{0, "a", VARKIND_INTEGER, "10", {}},
                    {1, "b", VARKIND_TYPE, "ADDRESS", {{0, "c", VARKIND_STRING, "deep", {}}}}};
    target.top = {{0, "I", VARKIND_INTEGER, "1", {}}, rec, {2, "R", VARKIND_REAL, "2.5", {}}};
    Open();
  }
  void TearDown() override {
    view.reset();
    Sys_SetAssertHandler(previous_);
  }
  void Open() {
    view = std::make_unique<CVariableView>(nullptr, target, saved);
    view->resize(600, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, 5000));
  }
  bool Stop() { return target.GetElements(view->Rows(), nullptr, -1); }
  // The middle of a row, in the rows' widget.
  QPoint RowPoint(int row, int x) const { return QPoint(x, view->RowRect(row).center().y()); }
  void Click(int row, int x) { QTest::mouseClick(view->RowsWidget(), Qt::LeftButton, {}, RowPoint(row, x)); }
  static bool IsColour(const QImage& image, QPoint p, QRgb rgb) { return (image.pixel(p) & 0xFFFFFF) == rgb; }
  // Pixels of a colour inside a rectangle of the picture.
  static int Count(const QImage& image, const QRect& rect, QRgb rgb) {
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == rgb;
    return n;
  }

  FakeTarget target;
  VariableChain saved;
  std::unique_ptr<CVariableView> view;
  SysAssertHandler previous_ = nullptr;
};

TEST_F(VariableViewTest, ChangedRowIsRedAndBoxesStepThirteenPixelsPerLevel) {
  ASSERT_TRUE(Stop());
  view->Rows().ExpandRow(1);  // rec
  view->Rows().ExpandRow(3);  // rec.b
  target.top[0].value = "2";
  ASSERT_TRUE(Stop());
  ASSERT_EQ(view->Rows().GetItemCount(), 6);

  const QImage image = view->RowsWidget()->grab().toImage();
  const QRect changed = view->RowRect(0);
  EXPECT_GT(Count(image, changed, VARVIEW_CHANGED), 0);  // name, type and value in red
  EXPECT_EQ(Count(image, view->RowRect(2), VARVIEW_CHANGED), 0);
  EXPECT_GT(Count(image, QRect(0, changed.bottom(), image.width(), 1), VARVIEW_GRID), 100);  // the grid line below

  // The left edge of the expand box: 13 pixels further per level.
  for (auto [row, depth] : {std::pair{1, 0}, std::pair{3, 1}}) {
    SCOPED_TRACE(row);
    const int mid = view->RowRect(row).center().y();
    EXPECT_TRUE(IsColour(image, QPoint(CVariableView::BoxLeft(depth), mid), 0x000000));
    EXPECT_FALSE(IsColour(image, QPoint(CVariableView::BoxLeft(depth) - 2, mid), 0x000000));
  }
  EXPECT_EQ(CVariableView::BoxLeft(1) - CVariableView::BoxLeft(0), 13);
  // The child container's box is not at the top level's place.
  EXPECT_FALSE(IsColour(image, QPoint(CVariableView::BoxLeft(0), view->RowRect(3).center().y()), 0x000000));
  // The tree line of rec goes on beside its children in gray.
  EXPECT_TRUE(IsColour(image, QPoint(CVariableView::BoxLeft(1) + 4, view->RowRect(2).top() + 1), VARVIEW_TREE));
}

TEST_F(VariableViewTest, ClicksOnTheBoxAreaToggleAndSpaceDoesOncePerPress) {
  ASSERT_TRUE(Stop());
  Click(1, 5);  // on rec's box area
  EXPECT_EQ(view->Rows().GetItemCount(), 5);
  Click(1, 40);  // on its name: selects only
  EXPECT_EQ(view->Rows().GetItemCount(), 5);
  EXPECT_EQ(view->Rows().SelectedRow(), 1);
  Click(3, 13 + 16);  // rec.b's box area ends 13 + 17 pixels in
  EXPECT_EQ(view->Rows().GetItemCount(), 6);

  Click(1, 40);
  QTest::keyPress(view.get(), Qt::Key_Space);  // rec collapses
  EXPECT_EQ(view->Rows().GetItemCount(), 3);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
  QApplication::sendEvent(view.get(), &repeat);  // held: no second toggle
  EXPECT_EQ(view->Rows().GetItemCount(), 3);
  QTest::keyRelease(view.get(), Qt::Key_Space);
  QTest::keyClick(view.get(), Qt::Key_Space);
  EXPECT_EQ(view->Rows().GetItemCount(), 6);  // expanded again, with rec.b from the cache
  EXPECT_EQ(target.requests, 3);
}

TEST_F(VariableViewTest, EnterEditsTheValueInPlaceAndTheTargetGetsIt) {
  ASSERT_TRUE(Stop());
  view->setFocus();
  QTest::keyClick(view.get(), Qt::Key_End);  // R
  QTest::keyClick(view.get(), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return CInPlaceEdit::m_CurrInstance != nullptr; }, 5000));
  QLineEdit* edit = CInPlaceEdit::m_CurrInstance;
  EXPECT_EQ(edit->text(), "2.5");
  EXPECT_GE(edit->x(), VARVIEW_NAME_WIDTH + VARVIEW_TYPE_WIDTH);
  edit->setText("1,5");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return CInPlaceEdit::m_CurrInstance == nullptr; }, 5000));
  ASSERT_EQ(target.set_requests.size(), 1u);
  EXPECT_EQ(target.set_requests[0].first, (std::vector<uint16_t>{2}));
  EXPECT_EQ(target.set_requests[0].second, "1.5");
  ASSERT_EQ(target.statuses.size(), 1u);
  EXPECT_EQ(target.statuses[0].second, "REAL variable R set with new value [1,5]");

  // A value the target refuses: the old text stays, with the error and a beep.
  target.fail_set = true;
  view->BeginEdit(0);
  ASSERT_NE(CInPlaceEdit::m_CurrInstance, nullptr);
  CInPlaceEdit::m_CurrInstance->setText("77");
  QTest::keyClick(CInPlaceEdit::m_CurrInstance, Qt::Key_Enter);
  ASSERT_TRUE(QTest::qWaitFor([&] { return CInPlaceEdit::m_CurrInstance == nullptr; }, 5000));
  EXPECT_EQ(view->Rows().GetRowVariable(0)->GetValueText(), "1");
  EXPECT_EQ(target.statuses.back(),
            (std::pair<int, std::string>{SK_ERROR, "INTEGER variable I does not accept new value [77]"}));
  EXPECT_EQ(target.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_EQ(target.session_checks, 1);

  // A double click on the value edits too; scrolling or a click ends it unsent.
  QTest::mouseDClick(view->RowsWidget(), Qt::LeftButton, {}, RowPoint(0, 400));
  ASSERT_NE(CInPlaceEdit::m_CurrInstance, nullptr);
  Click(2, 400);
  EXPECT_EQ(CInPlaceEdit::m_CurrInstance, nullptr);
  EXPECT_EQ(target.set_requests.size(), 2u);
}

TEST_F(VariableViewTest, RowsOutliveTheViewAndRefreshNeedsASession) {
  ASSERT_TRUE(Stop());
  view->Rows().ExpandRow(1);
  view.reset();
  EXPECT_FALSE(saved.IsEmpty());
  Open();
  EXPECT_EQ(view->Rows().GetItemCount(), 5);
  EXPECT_TRUE(saved.IsEmpty());

  target.stopped = false;
  EXPECT_FALSE(view->RefreshAll());
  EXPECT_EQ(target.beeps, (std::vector<unsigned>{SHELL_MB_ICONEXCLAMATION}));
  EXPECT_EQ(view->Rows().GetItemCount(), 5);
  target.stopped = true;
  EXPECT_TRUE(view->RefreshAll());
  EXPECT_EQ(view->Rows().GetItemCount(), 3);  // cleared first: the tree starts again
}

TEST_F(VariableViewTest, ValueColumnFollowsTheWidestValue) {
  const std::string wide(200, 'x');
  target.top[2] = {2, "S", VARKIND_STRING, wide, {}};
  ASSERT_TRUE(Stop());
  const int need = view->MeasureText(wide) + VARVIEW_VALUE_PADDING;
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->Rows().ValueWidth() > need; }, 5000));
  EXPECT_EQ(view->RowRect(0).width(), VARVIEW_NAME_WIDTH + VARVIEW_TYPE_WIDTH + view->Rows().ValueWidth());
  // Narrow again: the deferred step gives the value column the rest of the width.
  target.top[2].value = "x";
  ASSERT_TRUE(Stop());
  view->update();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return view->Rows().ValueWidth() == view->RowsWidget()->width() - VARVIEW_NAME_WIDTH - VARVIEW_TYPE_WIDTH;
      },
      5000))
      << view->Rows().ValueWidth();
}

TEST_F(VariableViewTest, ContextMenuEditsScalarsAndTogglesContainers) {
  ASSERT_TRUE(Stop());
  auto texts = [](QMenu& menu) {
    std::vector<std::string> out;
    for (QAction* a : menu.actions()) out.push_back(a->text().toStdString() + (a->isEnabled() ? "" : " (off)"));
    return out;
  };
  std::unique_ptr<QMenu> scalar = view->ContextMenu(0);
  EXPECT_EQ(texts(*scalar), (std::vector<std::string>{"&Edit\tEnter", "&Expand\tSpace (off)"}));
  std::unique_ptr<QMenu> none = view->ContextMenu(-1);
  EXPECT_EQ(texts(*none), (std::vector<std::string>{"&Edit\tEnter (off)", "&Expand\tSpace (off)"}));
  std::unique_ptr<QMenu> record = view->ContextMenu(1);
  EXPECT_EQ(texts(*record), (std::vector<std::string>{"&Edit\tEnter (off)", "&Expand\tSpace"}));
  record->actions()[1]->trigger();
  EXPECT_EQ(view->Rows().GetItemCount(), 5);
  std::unique_ptr<QMenu> expanded = view->ContextMenu(1);
  EXPECT_EQ(expanded->actions()[1]->text(), "Collaps&e\tSpace");
  scalar->actions()[0]->trigger();
  EXPECT_NE(CInPlaceEdit::m_CurrInstance, nullptr);
  view->CancelEdit();

  // Shift+F10 opens the menu; Escape closes it without a command.
  bool shown = false;
  QTimer::singleShot(0, [&shown] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      shown = true;
      popup->close();
    }
  });
  view->setFocus();
  QTest::keyClick(view.get(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(shown);
  EXPECT_EQ(view->Rows().GetItemCount(), 5);
}

}  // namespace
