// The window-free models behind the environment's main window: the status
// bar's panes, message and progress, help topics and requests, the auto-save
// countdown of the document list, and the File menu's texts.
#include <cstdarg>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workbench/shell/apphelp.h"
#include "workbench/shell/docid.h"
#include "workbench/shell/filenew.h"
#include "workbench/shell/statusmodel.h"
#include "workbench/base/sysassert.h"

namespace {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = Status_Format(format, args);
  va_end(args);
  return s;
}

class ThrowingChecks : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = Sys_SetAssertHandler(Sys_ThrowAssertHandler); }
  void TearDown() override { Sys_SetAssertHandler(previous_); }
  SysAssertHandler previous_ = nullptr;
};

TEST(StatusModel, PercentagesAreWholeAndComputedIn64Bits) {
  struct Case {
    int64_t pos, lower, upper;
    int percent;
  } cases[] = {
      {0, 0, 100, 0},
      {1, 0, 100, 1},
      {98, 0, 100, 98},
      {99, 0, 100, 100},
      {150, 0, 100, 100},
      {-5, 0, 100, 0},
      {15, 10, 20, 50},
      {10, 10, 20, 0},
      // 30 MB of 40 MB: the product passes 2^31.
      {30000000, 0, 40000000, 75},
  };
  for (const auto& c : cases) EXPECT_EQ(StatusModel::Percent(c.pos, c.lower, c.upper), c.percent) << c.pos;
}

TEST(StatusModel, ProgressRepaintsOnlyWhenThePercentageChanges) {
  StatusModel m;
  m.SetMessage(SK_WARNING, "kept");
  m.ShowProgress("Saving", 0, 1000);
  EXPECT_TRUE(m.ProgressShown());
  EXPECT_EQ(m.Message(), "");
  EXPECT_TRUE(m.Requested(SP_PROGRESS_BAR));
  EXPECT_FALSE(m.StepProgress(0));
  EXPECT_FALSE(m.StepProgress(9));  // still 0 %
  EXPECT_TRUE(m.StepProgress(10));
  EXPECT_FALSE(m.StepProgress(19));
  EXPECT_TRUE(m.StepProgress(999));
  EXPECT_EQ(m.LastPercent(), 100);
  // A message ends the progress display; hiding gives the kept text back.
  m.SetMessage(SK_ERROR, "failed");
  EXPECT_FALSE(m.ProgressShown());
  EXPECT_FALSE(m.Requested(SP_PROGRESS_BAR));
  EXPECT_EQ(m.Message(), "failed");
  m.ShowProgress("Loading", 0, 10);
  m.ShowProgress("", 0, 0);
  EXPECT_EQ(m.Message(), "failed");
  EXPECT_EQ(m.Kind(), SK_ERROR);
  m.SetMessage(SK_ERROR, "");
  EXPECT_EQ(m.Kind(), SK_PLAIN);
}

TEST_F(ThrowingChecks, PanesAreRebuiltOnceForSeveralChanges) {
  StatusModel m;
  for (int p : {SP_MESSAGE, SP_OVR, SP_CAP, SP_NUM, SP_NETWORK, SP_RUN}) m.Activate(p, true);
  EXPECT_TRUE(m.RebuildNeeded());
  EXPECT_FALSE(m.IsActive(SP_MESSAGE));
  EXPECT_TRUE(m.Rebuild());
  EXPECT_FALSE(m.Rebuild());
  EXPECT_EQ(m.PaneIdx(SP_NETWORK), 4);
  EXPECT_THROW(m.PaneIdx(SP_LINE), SysAssertError);
  m.Activate(SP_OVR, true);  // no change, no rebuild
  EXPECT_FALSE(m.RebuildNeeded());
  EXPECT_THROW(m.ShowProgress("x", 5, 4), SysAssertError);
}

TEST(StatusModel, MessagesAreCutAt8192BytesAndUserTextsStayTexts) {
  std::string big(20000, 'a');
  EXPECT_EQ(Format("%s", big.c_str()).size(), 8191u);
  EXPECT_EQ(Format("%s", "50% of %s"), "50% of %s");
  // A cut never leaves half of a UTF-8 character.
  std::string wide = std::string(8190, 'b') + "\xc3\xa4";
  EXPECT_EQ(Format("%s", wide.c_str()), std::string(8190, 'b'));
}

TEST(AppHelp, TopicsOfIdsAndKeywords) {
  EXPECT_STREQ(Help_TopicForId(131276), "HIDR_DLGPROPTYPE");
  EXPECT_STREQ(Help_TopicForId(131326), "HIDD_PROP_FILE");
  EXPECT_STREQ(Help_TopicForId(1), "TOPIC_NOT_FOUND");
  EXPECT_EQ(Help_KeywordTopic("line input #"), "Key__LINE_INPUT_");
  EXPECT_EQ(Help_KeywordTopic(nullptr), "Key__NULL");
}

class RecordingHelp : public HelpSink {
 public:
  RecordingHelp() { previous_ = Help_SetSink(this); }
  ~RecordingHelp() override { Help_SetSink(previous_); }
  void show(const std::string& base, const std::string& topic) override { shown.push_back(base + "|" + topic); }
  std::vector<std::string> shown;

 private:
  HelpSink* previous_;
};

TEST(AppHelp, RequestsAreSuppressedRepeatedOrWithoutABase) {
  RecordingHelp sink;
  AppHelp help;
  EXPECT_FALSE(help.CallHelp("", "CONTENTS", 0));
  EXPECT_TRUE(help.ShowHelp("http://h/", "HIDD_FIND", 5000));
  // An explicit request suppresses the framework's until the next idle time.
  EXPECT_FALSE(help.WinHelp("http://h/", 131276, 1, 9000));
  help.OnIdle();
  EXPECT_TRUE(help.WinHelp("http://h/", 131276, 1, 9000));
  EXPECT_FALSE(help.WinHelp("http://h/", 131276, 8, 9500));  // same topic within a second
  EXPECT_TRUE(help.WinHelp("http://h/", 131276, 8, 10000));
  EXPECT_TRUE(help.WinHelp("http://h/", 131276, 3, 10100));
  EXPECT_TRUE(help.ShowKeywordHelp("http://h/", "print", 10200));
  EXPECT_EQ(sink.shown,
            (std::vector<std::string>{"http://h/|HIDD_FIND", "http://h/|HIDR_DLGPROPTYPE", "http://h/|HIDR_DLGPROPTYPE",
                                      "http://h/|CONTENTS", "http://h/|Key__PRINT"}));
}

class FakeDoc : public AutoSaveDoc {
 public:
  bool NeedsAutoSave() override { return dirty; }
  void OnAutoSave() override {
    ++saves;
    if (list != nullptr) {
      interval_seen = list->Find(this)->interval;
      list->Tick();  // a tick during the save skips this document
    }
  }
  bool dirty = true;
  int saves = 0;
  DocIdList* list = nullptr;
  int interval_seen = -1;
};

TEST(DocIdList, AutoSaveComesAfterIntervalTimesSixTicks) {
  DocIdList list;
  FakeDoc a, b;
  list.GetDocID(&a)->SetAutoSaveInterval(1);  // 6 ticks
  list.GetDocID(&b);                          // interval 0: never
  EXPECT_EQ(list.GetDocID(&a), list.doc_head);
  EXPECT_EQ(list.doc_tail->doc_link, &b);
  a.list = &list;
  for (int i = 0; i < 6; ++i) list.Tick();
  EXPECT_EQ(a.saves, 0);
  list.Tick();
  EXPECT_EQ(a.saves, 1);
  EXPECT_EQ(a.interval_seen, 0);
  EXPECT_EQ(b.saves, 0);
  // A document without changes starts a full interval again.
  for (int i = 0; i < 5; ++i) list.Tick();
  a.dirty = false;
  list.Tick();
  a.dirty = true;
  for (int i = 0; i < 6; ++i) list.Tick();
  EXPECT_EQ(a.saves, 1);
  list.Tick();
  EXPECT_EQ(a.saves, 2);
  list.Remove(&a);
  EXPECT_EQ(list.doc_head->doc_link, &b);
  EXPECT_EQ(list.doc_head->prev, nullptr);
}

TEST_F(ThrowingChecks, FileNewListsTheDefaultKindFirst) {
  auto items = FileNew_MenuItems(4, {});
  std::vector<int> modes;
  for (const auto& i : items) modes.push_back(i.mode);
  EXPECT_EQ(modes, (std::vector<int>{4, 0, 1, 2, 3, 5, 6}));
  EXPECT_EQ(items[0].id, 57696);
  EXPECT_EQ(items[0].text, "Text File (CR-LF line separators)");
  EXPECT_EQ(items[2].id, 57697);
  auto with_plugin = FileNew_MenuItems(1, {"Dialog File"});
  EXPECT_EQ(with_plugin.back().text, "Dialog File");
  EXPECT_EQ(with_plugin.back().id, 57702);
  EXPECT_EQ(with_plugin[with_plugin.size() - 2].id, 0);
  EXPECT_THROW(FileNew_MenuItems(9, {}), SysAssertError);
}

TEST(FileMenu, AmpersandsOfRecentFilesAreDoubled) {
  EXPECT_EQ(FileMru_MenuText(1, "/home/a&b/x.q"), "&1 /home/a&&b/x.q");
  EXPECT_EQ(FileMru_MenuText(16, "plain"), "&16 plain");
}

}  // namespace
