// Program documents in the environment's windows: opened through the
// shell's program neighbour, shown in the editor view with their title,
// compiled into the Build tab with locations, and found again instead of
// being opened twice.
#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/registry.h"
#include "testsupport.h"
#include "workbench/base/tests/shelltest.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/editor/view/editorplug.h"
#include "workbench/editor/view/outputdoc.h"
#include "workbench/framework/fwdoctemplate.h"
#include "workbench/framework/tests/fwtest.h"
#include "workbench/programs/view/progdocwin.h"
#include "workbench/programs/view/programsplug.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"

namespace {

class ProgDocWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static std::string dir = [] {
      char templ[] = "/tmp/progdocwin-guitest-XXXXXX";
      return std::string(mkdtemp(templ));
    }();
    setenv("VARNICA_REGISTRY", dir.c_str(), 1);
    reg_reset_default_store();
    Fw_TestQApp();
  }

  void SetUp() override {
    app = std::make_unique<CYqApp>();
    Programs_Install();
    Editor_Install();
    ASSERT_TRUE(app->InitInstance({"-nologo"}));
    main = app->MainWnd();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
  }

  void TearDown() override {
    COutputDoc::Shutdown();
    if (main->isVisible()) main->close();
    app->ExitInstance();
    app.reset();
    Shell_ResetNeighbours();
  }

  std::string store(const std::string& source) {
    vtest::write_file(dir.file("p.txt"), source);
    vtest::RunResult r = vtest::run("store", {"-o", dir.file("p"), dir.file("p.txt")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return dir.file("p.PROG");
  }

  static std::string tab_text(int tab) {
    std::string all;
    if (TextObj* t = COutputDoc::TabText(tab))
      for (TextLine* l = t->head; l; l = l->next) all += l->data + "\n";
    return all;
  }

  vtest::TempDir dir;
  RecordingSink sink;
  std::unique_ptr<CYqApp> app;
  CMainFrame* main = nullptr;
};

TEST_F(ProgDocWindows, AProgramOpensOnceCompilesIntoTheBuildTabAndShowsItsTitle) {
  std::string prog = store("PRINT 1\nLET A=2\nPRINT A\n");
  ProgramLink& link = *Shell_Neighbours().program;
  ASSERT_TRUE(link.Plugged());
  ASSERT_TRUE(link.OpenFile(prog.c_str(), 0));
  ASSERT_EQ(Programs_Template()->Documents().size(), 1u);
  auto* doc = dynamic_cast<CProgDoc*>(Programs_Template()->Documents()[0]);
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->Title(), "p.PROG");
  EXPECT_EQ(doc->GetTextObj()->num_lines, 3u);
  EXPECT_TRUE(doc->IsProgramDocument());
  EXPECT_EQ(doc->GetContextMenu(), 110);
  ASSERT_TRUE(link.OpenFile(prog.c_str(), 0));  // found, not opened again
  EXPECT_EQ(Programs_Template()->Documents().size(), 1u);

  // an injected error: its line in the Build tab and the summary
  {
    TextLine* second = doc->GetTextObj()->Line(1);
    TextSuspend suspend(doc->GetTextObj());
    second->InsertNative(0, "(((");
  }
  ASSERT_TRUE(doc->Compile());
  std::string build = tab_text(OUTPUT_TAB_BUILD);
  EXPECT_NE(build.find("line 2: "), std::string::npos) << build;
  EXPECT_NE(build.find("2 lines, 1 error, 0 warnings."), std::string::npos) << build;
  EXPECT_EQ(COutputDoc::TabLocations(OUTPUT_TAB_BUILD) == nullptr, false);

  // a new document is "Prog" or "Text" and a number
  ASSERT_TRUE(link.OpenFile(nullptr, 0));
  auto* fresh = dynamic_cast<CProgDoc*>(Programs_Template()->Documents().back());
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->Title().substr(0, 4), fresh->IsProgramDocument() ? "Prog" : "Text");
  EXPECT_TRUE(sink.boxes.empty());
}

}  // namespace
