#include "workbench/base/settings/cfglists.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "workbench/base/settings/findutil.h"
#include "workbench/base/settings/tests/settingstest.h"

namespace {

class CfgLists : public SettingsTest {};

std::vector<std::string> names(CfgMruFiles& mru) { return mru.files.Items(); }

std::vector<std::string> entries(CfgBreakpoints& bps) {
  std::vector<std::string> out;
  for (CfgBreakpoint* bp = bps.head; bp; bp = bp->next)
    out.push_back(bp->FileName + "/" + std::to_string(bp->Segment) + "/" + std::to_string(bp->Line) +
                  (bp->HasText() ? "/" + bp->Text : ""));
  return out;
}

TEST_F(CfgLists, ProfileListOperations) {
  EXPECT_EQ(Cfg_ListTotal("Environment"), 0);
  EXPECT_EQ(Cfg_ListAppend("Environment", "PATH"), "Environment\\PATH");
  Cfg_PutString("Environment\\PATH", "Value", "/bin");
  EXPECT_EQ(Cfg_ListAppendUnique("Environment", "HOME"), "Environment\\HOME");
  Cfg_PutString("Environment\\HOME", "Value", "/home/me");
  // A name that differs only in case would share PATH's values.
  EXPECT_EQ(Cfg_ListAppendUnique("Environment", "Path"), "");
  EXPECT_EQ(Cfg_ListTotal("Environment"), 2);
  EXPECT_EQ(Cfg_GetString("Environment\\PATH", "Value"), "/bin");

  EXPECT_EQ(Cfg_ListGet("Environment", 1), "Environment\\HOME");
  EXPECT_EQ(Cfg_ListGet("Environment", 2), "");
  EXPECT_EQ(Cfg_ListGet("Environment", -1), "");
  EXPECT_EQ(Cfg_ListFind("Environment", "path"), "Environment\\PATH");
  EXPECT_EQ(Cfg_ListFind("Environment", "USER"), "");
  EXPECT_EQ(Cfg_EntryName("Environment\\HOME"), "HOME");
  EXPECT_EQ(Cfg_EntryName("Breakpoints\\C:\\a.prog;0x1,0x2"), "C:\\a.prog;0x1,0x2");
  EXPECT_EQ(Cfg_EntryName("NoSlash"), "");
  EXPECT_EQ(Cfg_ListNames("Environment"), (std::vector<std::string>{"PATH", "HOME"}));

  Cfg_ListClear("Environment");
  EXPECT_EQ(Cfg_ListTotal("Environment"), 0);
  EXPECT_TRUE(has_value("Environment", "Total"));
  EXPECT_FALSE(has_value("Environment", "1"));
  EXPECT_FALSE(has_key("Environment\\PATH"));
  EXPECT_FALSE(has_key("Environment\\HOME"));
}

TEST_F(CfgLists, RecentFilesOrderAndLimit) {
  CfgMruFiles mru;
  for (const char* f : {"/p/a", "/p/b", "/p/c"}) EXPECT_TRUE(mru.AddFile(f));
  EXPECT_EQ(names(mru), (std::vector<std::string>{"/p/c", "/p/b", "/p/a"}));

  mru.files.changed = 0;
  EXPECT_FALSE(mru.AddFile("/p/c"));
  EXPECT_EQ(mru.files.changed, 0u);
  EXPECT_TRUE(mru.AddFile("/p/a"));
  EXPECT_EQ(names(mru), (std::vector<std::string>{"/p/a", "/p/c", "/p/b"}));

  EXPECT_TRUE(mru.AddFile("/p/d"));
  EXPECT_TRUE(mru.AddFile("/p/e"));
  EXPECT_EQ(names(mru), (std::vector<std::string>{"/p/e", "/p/d", "/p/a", "/p/c"}));
  EXPECT_EQ(mru.files.Count(), 4);
  EXPECT_EQ(mru.GetFile(3), "/p/c");
  EXPECT_THROW(mru.GetFile(4), SysAssertError);
  EXPECT_THROW(mru.GetFile(-1), SysAssertError);
  EXPECT_THROW(mru.AddFile(nullptr), SysAssertError);

  std::string long_name = "/home/someone/projects/accounting/source/programs/ledger.prog";
  mru.AddFile(long_name.c_str());
  const std::string shown = mru.GetDisplayName(0);
  EXPECT_LT(shown.size(), long_name.size());
  EXPECT_NE(shown.find("ledger.prog"), std::string::npos);

  mru.Clear();
  EXPECT_EQ(mru.files.Count(), 0);
  EXPECT_EQ(mru.files.changed, 0u);
}

TEST_F(CfgLists, RecentFilesSaveLoadAndMaximum) {
  {
    CfgMruFiles mru;
    for (const char* f : {"/p/a", "/p/b", "/p/c"}) mru.AddFile(f);
    mru.Save();
  }
  EXPECT_EQ(Cfg_GetString("Recent File List", "1"), "/p/c");
  EXPECT_EQ(Cfg_GetInt("Recent File List", "FileCount"), 4);
  CfgMruFiles loaded;
  loaded.Load();
  EXPECT_EQ(names(loaded), (std::vector<std::string>{"/p/c", "/p/b", "/p/a"}));
  EXPECT_EQ(loaded.files.changed, 0u);

  Cfg_PutInt("Recent File List", "FileCount", 12);
  loaded.Load();
  EXPECT_EQ(loaded.files.maximum, 8);

  // A stored list longer than the maximum keeps its most recent files.
  Cfg_PutInt("Recent File List", "FileCount", 2);
  loaded.Load();
  EXPECT_EQ(names(loaded), (std::vector<std::string>{"/p/c", "/p/b"}));

  // A maximum of 0 keeps nothing and takes nothing.
  Cfg_PutInt("Recent File List", "FileCount", 0);
  loaded.Load();
  EXPECT_EQ(loaded.files.maximum, 0);
  EXPECT_EQ(loaded.files.Count(), 0);
  EXPECT_FALSE(loaded.AddFile("/p/x"));
  EXPECT_EQ(loaded.files.Count(), 0);
}

TEST_F(CfgLists, BreakpointsStaySorted) {
  CfgBreakpoints bps;
  new CfgBreakpoint(&bps, "/a.prog", 1, 5);
  new CfgBreakpoint(&bps, "/a.prog", 0, 20);
  new CfgBreakpoint(&bps, "/a.prog", 0, 10);
  new CfgBreakpoint(&bps, "/0.prog", 9, 9);
  EXPECT_EQ(entries(bps), (std::vector<std::string>{"/0.prog/9/9", "/a.prog/0/10", "/a.prog/0/20", "/a.prog/1/5"}));
  EXPECT_EQ(bps.num_items, 4);
  EXPECT_EQ(bps.tail->Line, 5);

  delete bps.head->next;
  delete bps.tail;
  EXPECT_EQ(entries(bps), (std::vector<std::string>{"/0.prog/9/9", "/a.prog/0/20"}));
  EXPECT_EQ(bps.tail->Line, 20);
  EXPECT_EQ(bps.num_items, 2);

  bps.SetModified(true);
  EXPECT_EQ(bps.pending, 1u);
  bps.SetModified(false);
  EXPECT_EQ(bps.changed, 0u);
  EXPECT_EQ(bps.pending, 1u);
  bps.Clear();
  EXPECT_EQ(bps.num_items, 0);
  EXPECT_THROW(CfgBreakpoint(nullptr, "x", 0, 0), SysAssertError);
  EXPECT_THROW(CfgBreakpoint(&bps, nullptr, 0, 0), SysAssertError);
}

TEST_F(CfgLists, BreakpointsSaveAndLoad) {
  {
    CfgBreakpoints bps;
    new CfgBreakpoint(&bps, "/src/main.prog", 1, 1000);
    CfgBreakpoint* labelled = new CfgBreakpoint(&bps, "/src/main.prog", 2, 7);
    labelled->SetText("Start; of loop");
    new CfgBreakpoint(&bps, "/odd;name.prog", 0, 3);
    CfgBreakpoint* both = new CfgBreakpoint(&bps, "/x;y.prog", 0, 4);
    both->SetText("t");
    bps.Save();
    EXPECT_FALSE(has_key("Breakpoints"));  // nothing changed yet
    bps.SetModified(true);
    bps.Save();
  }
  EXPECT_EQ(Cfg_GetString("Breakpoints", "2"), "/src/main.prog;0x1,0x3e8");
  // Hand-written entries: without the numbers' comma, without any ";".
  int total = Cfg_ListTotal("Breakpoints");
  Cfg_PutString("Breakpoints", std::to_string(total + 1).c_str(), "/bad.prog;0x1");
  Cfg_PutString("Breakpoints", std::to_string(total + 2).c_str(), "/bad.prog");
  Cfg_PutString("Breakpoints", std::to_string(total + 3).c_str(), "/big.prog;0x10000,0x1");
  Cfg_PutInt("Breakpoints", "Total", total + 3);

  CfgBreakpoints loaded;
  loaded.Load();
  EXPECT_EQ(entries(loaded), (std::vector<std::string>{"/odd;name.prog/0/3", "/src/main.prog/1/1000",
                                                       "/src/main.prog/2/7/Start, of loop", "/x;y.prog/0/4/t"}));
  EXPECT_EQ(loaded.changed, 0u);
}

TEST_F(CfgLists, ExplorerSettings) {
  CfgExplore ex;
  ex.Load();
  EXPECT_EQ(ex.TreeWidth, 192);
  EXPECT_EQ(ex.ListStyle, 1u);

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(ex.GetSaveDirectory(), cwd);
  ex.SetSaveDirectory(cwd, false);
  EXPECT_EQ(ex.modified, 0u);
  EXPECT_TRUE(ex.SaveDirectory.empty());

  ex.SetOpenDirectory("/data/progs/a.prog", true);
  EXPECT_EQ(ex.OpenDirectory, "/data/progs");
  EXPECT_EQ(ex.modified, 1u);
  ex.SetSaveDirectory("/out", false);
  ex.SetTreeWidth(250);
  ex.SetListStyle(0x4d);
  ex.SetFileFilter(2);
  ex.SetFileMode(1);
  ex.Save();
  EXPECT_EQ(Cfg_GetString("Explore", "ListStyle"), "0x4d");

  CfgExplore back;
  back.Load();
  EXPECT_EQ(back.OpenDirectory, "/data/progs");
  EXPECT_EQ(back.SaveDirectory, "/out");
  EXPECT_EQ(back.TreeWidth, 250);
  EXPECT_EQ(back.ListStyle, 0x4Du);
  EXPECT_EQ(back.FileFilter, 2);
  EXPECT_EQ(back.FileMode, 1);

  back.SetOpenDirectory("", false);
  back.Save();
  EXPECT_FALSE(has_value("Explore", "OpenDirectory"));
  Cfg_PutString("Explore", "ListStyle", "wide");
  Cfg_PutInt("Explore", "TreeWidth", -4);
  CfgExplore kept;
  kept.Load();
  EXPECT_EQ(kept.ListStyle, 1u);
  EXPECT_EQ(kept.TreeWidth, 192);
}

TEST_F(CfgLists, FindHistories) {
  FindHistory find("FindHistory");
  for (int i = 1; i <= 16; ++i) EXPECT_TRUE(find.AddText(("text" + std::to_string(i)).c_str()));
  EXPECT_EQ(find.entries.Count(), 15);
  EXPECT_EQ(find.entries.At(0), "text16");
  EXPECT_EQ(find.entries.At(14), "text2");

  find.entries.changed = 0;
  EXPECT_FALSE(find.AddText("text16"));
  EXPECT_EQ(find.entries.changed, 0u);
  EXPECT_TRUE(find.AddText("text5"));
  EXPECT_EQ(find.entries.At(0), "text5");
  EXPECT_EQ(find.entries.Count(), 15);
  find.Save();

  FindHistory replace("ReplaceHistory");
  replace.AddText("a\\b");
  replace.AddText("x y");
  replace.Save();

  FindHistory loaded("FindHistory");
  loaded.Load();
  EXPECT_EQ(loaded.Texts(), find.Texts());
  EXPECT_EQ(loaded.entries.changed, 0u);
  FindHistory loaded_replace("ReplaceHistory");
  loaded_replace.Load();
  EXPECT_EQ(loaded_replace.Texts(), (std::vector<std::string>{"x y", "a\\b"}));
  EXPECT_THROW(find.AddText(nullptr), SysAssertError);
}

}  // namespace
