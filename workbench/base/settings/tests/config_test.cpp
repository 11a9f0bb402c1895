#include "workbench/base/settings/config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <strings.h>
#include <sys/stat.h>

#include "platform/installdir.h"
#include "workbench/base/settings/cfglists.h"
#include "workbench/base/settings/tests/settingstest.h"
#include "workbench/base/diag.h"
#include "workbench/base/sysutil.h"
#include "workbench/base/tests/shelltest.h"

namespace {

class Config : public SettingsTest {};

TEST_F(Config, OldProfileMigratesToVersion11WithEverySettingReadBack) {
  use_fixture("profile-v9.reg");
  CfgSettings cfg;
  cfg.Load(1280, 1024);

  EXPECT_EQ(Cfg_GetInt("Configuration", "Version"), 11);

  const CfgGeneral& g = cfg.General;
  EXPECT_EQ(g.flags & CfgGeneral::AutoSave, 0u);
  EXPECT_EQ(g.NewFileMode, CfgFileMode_Text_LF);
  EXPECT_EQ(g.Codepage, 1);
  EXPECT_EQ(g.AutoSaveLocation, "/var/tmp/autosave");
  EXPECT_EQ(g.AutoSaveTimeout, 12);

  // The shared editor settings went into both kinds of file.
  const CfgEditItem& prog = cfg.Edit.items[0];
  const CfgEditItem& text = cfg.Edit.items[1];
  EXPECT_EQ(prog.flags,
            CfgEditItem::Overwrite | CfgEditItem::LineWrap | CfgEditItem::AutoIndent | CfgEditItem::UseEnhancements);
  EXPECT_EQ(text.flags, CfgEditItem::Overwrite | CfgEditItem::LineWrap | CfgEditItem::AutoIndent);
  for (const CfgEditItem* item : {&prog, &text}) {
    EXPECT_EQ(item->InsertCursorShape, CfgCursor_Underline);
    EXPECT_EQ(item->OverwriteCursorShape, CfgCursor_Caret);
    EXPECT_EQ(item->TabSize, 4u);
    EXPECT_EQ(item->IndentSize, 6u);
  }
  EXPECT_FALSE(has_value("Settings\\Edit", "TabSize"));

  // SyntaxCheck and SyntaxColoring moved to the Program record.
  EXPECT_EQ(cfg.Program.options, CfgProgram::AutoIndent | CfgProgram::ReIndent);
  EXPECT_EQ(cfg.Program.StartLine, 100);
  EXPECT_EQ(cfg.Program.LineIncrement, 10);
  EXPECT_FALSE(has_value("Settings\\General", "SyntaxCheck"));
  EXPECT_FALSE(has_value("Settings\\General", "ReloadWorkspace"));
  EXPECT_FALSE(has_value("Settings\\Colors", "SyntaxColoring"));

  EXPECT_EQ(cfg.Debug.CurrentSession, 2);

  CfgColors defaults;
  for (int i = 0; i < CfgTotalColors; ++i) {
    CfgColor fg = i == 4 ? Cfg_RGB(0, 100, 0) : defaults.entries[i].fg;
    CfgColor bg = i == 0 ? Cfg_RGB(250, 250, 240) : defaults.entries[i].bg;
    EXPECT_EQ(cfg.Colors.entries[i].fg, fg) << i;
    EXPECT_EQ(cfg.Colors.entries[i].bg, bg) << i;
  }
  EXPECT_FALSE(has_value("Settings\\Colors", "FgColor_INVERSE_TEXT"));
  EXPECT_FALSE(has_value("Settings\\Colors", "BgColor_HALFBRIGHT_TEXT"));

  // Help settings left the profile for the installation key.
  EXPECT_EQ(cfg.Help.ConfigLocation, "C:/Varnica/html/yqhelp.cfg");
  EXPECT_EQ(cfg.Help.ConfigURL, "http://manuals.example/varnica");
  EXPECT_FALSE(has_key("Settings\\Help"));
  std::string url;
  EXPECT_EQ(reg_get_string(store(), REG_HIVE_MACHINE, INSTALL_KEY "\\Manuals", "URL", &url), REG_OK);

  const CfgPageSetup& p = cfg.PageSetup;
  EXPECT_EQ(p.flags, CfgPageSetup::BoldFont | CfgPageSetup::LineNumbers);
  EXPECT_EQ(p.PageHeader, "&F - &D");
  EXPECT_EQ(p.PageFooter, "Page &P");
  EXPECT_EQ(p.LeftMargin, 150);
  EXPECT_EQ(p.RightMargin, 160);
  EXPECT_EQ(p.TopMargin, 170);
  EXPECT_EQ(p.BottomMargin, 180);
  EXPECT_EQ(p.FontSize, 90);

  // Layouts of bars and windows are dropped; the bar loop stops at the
  // first bar without an id.
  for (int i = 0; i < CfgTotalWindows; ++i) EXPECT_FALSE(cfg.WindowPositions.entries[i].valid) << i;
  EXPECT_FALSE(has_key("WindowPositions"));
  EXPECT_FALSE(has_key("ToolBars-Summary"));
  EXPECT_FALSE(has_key("ToolBars-Bar0"));
  EXPECT_FALSE(has_key("ToolBars-Bar1"));
  EXPECT_TRUE(has_key("ToolBars-Bar2"));

  EXPECT_FALSE(has_key("Recent File List"));
  EXPECT_FALSE(has_key("Settings\\Debug"));
  EXPECT_FALSE(has_value("Server\\prod", "Password"));
  EXPECT_FALSE(has_value("Server\\prod", "PswdMD5"));
  EXPECT_EQ(Cfg_GetString("Server\\prod", "SecurePswd"), "00ff");
  EXPECT_EQ(Cfg_GetString("Passwords\\Payroll", "PswdMD5"), "5f4dcc3b5aa765d61d8327deb882cf99");
  EXPECT_FALSE(has_value("Passwords\\Payroll", "Password"));
  EXPECT_EQ(Cfg_GetString("Diagnostics", "LogFlags"), "Q5");
  EXPECT_TRUE(has_value("Diagnostics", "LogFile"));

  // A second start runs no migration of the layout.
  Cfg_ListAppend("Recent File List", "/new/b.prog");
  CfgSettings again;
  again.Load(1280, 1024);
  EXPECT_EQ(Cfg_ListTotal("Recent File List"), 1);
  EXPECT_FALSE(again.General.differs(cfg.General));
  EXPECT_FALSE(again.Edit.differs(cfg.Edit));
}

TEST_F(Config, MigrationKeepsTheUsersHelpFileOverAnInstalledHtmlDirectory) {
  // The installation has an html directory, so the help file lookup finds
  // a file there before anything is configured.
  vtest::TempDir install;
  ASSERT_EQ(mkdir(install.file("html").c_str(), 0755), 0);
  vtest::write_file(install.file("html/yqhelp.cfg"), "");
  ASSERT_EQ(
      reg_set_string(store(), REG_HIVE_MACHINE, INSTALL_KEY "\\Directories", "BaseDirectory", install.path().c_str()),
      REG_OK);
  ASSERT_EQ(std::string(Sys_GetHelpConfigFile()), install.file("html/yqhelp.cfg"));

  use_fixture("profile-v9.reg");
  CfgSettings cfg;
  cfg.Load(1280, 1024);
  EXPECT_EQ(cfg.Help.ConfigLocation, "C:/Varnica/html/yqhelp.cfg");
  EXPECT_EQ(std::string(Sys_GetHelpConfigFile()), "C:/Varnica/html/yqhelp.cfg");
  EXPECT_FALSE(has_key("Settings\\Help"));

  // A help file configured already stays as it is.
  Cfg_PutInt("Configuration", "Version", 9);
  Cfg_PutString("Settings\\Help", "ConfigLocation", "/old/yqhelp.cfg");
  CfgSettings again;
  again.Load(1280, 1024);
  EXPECT_EQ(again.Help.ConfigLocation, "C:/Varnica/html/yqhelp.cfg");
}

TEST_F(Config, DamagedProfileKeepsDefaultsAndIsNeverOverwritten) {
  const std::string damaged =
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica Development Environment"
      "\\Settings\\General]\n\"AutoSaveTimeout\"=dword:zz\n";
  vtest::write_file(dir.file("user.reg"), damaged);
  RecordingSink sink;
  Diag_Reset();
  CfgSettings cfg;
  cfg.Load(1024, 768);
  EXPECT_EQ(cfg.General.AutoSaveTimeout, 5);
  EXPECT_EQ(cfg.Edit.items[0].TabSize, 3u);
  cfg.General.modified = 1;
  cfg.General.Save();
  EXPECT_EQ(vtest::read_file(dir.file("user.reg")), damaged);
  EXPECT_NE(sink.debug.find("*** Settings could not be saved: "), std::string::npos);
  EXPECT_NE(sink.debug.find("user.reg: line 4"), std::string::npos) << sink.debug;
}

TEST_F(Config, SmallerScreenDropsLayoutsLargerOnlyRecordsIt) {
  Cfg_PutInt("Configuration", "Version", 11);
  Cfg_PutPair("Configuration", "ScreenResolution", 1600, 1200);
  CfgPlacement placement;
  placement.length = sizeof placement;
  placement.showCmd = 1;
  placement.rcNormalPosition = {10, 20, 800, 600};
  Cfg_PutPlacement("WindowPositions", "OutputWindow", placement);
  Cfg_PutInt("ToolBars-Summary", "Bars", 1);

  CfgSettings larger;
  larger.Load(1920, 1200);
  EXPECT_TRUE(larger.WindowPositions.entries[CfgWnd_OutputWindow].valid);
  EXPECT_EQ(larger.WindowPositions.entries[CfgWnd_OutputWindow].placement.rcNormalPosition.right, 800);
  EXPECT_TRUE(has_key("ToolBars-Summary"));
  int32_t w = 0, h = 0;
  ASSERT_TRUE(Cfg_GetPair("Configuration", "ScreenResolution", &w, &h));
  EXPECT_EQ(w, 1920);
  EXPECT_EQ(h, 1200);

  CfgSettings smaller;
  smaller.Load(1920, 1080);
  EXPECT_FALSE(smaller.WindowPositions.entries[CfgWnd_OutputWindow].valid);
  EXPECT_FALSE(has_key("ToolBars-Summary"));
  EXPECT_FALSE(has_key("WindowPositions"));
}

TEST_F(Config, EveryRecordSavesAndLoadsBack) {
  CfgSettings cfg;
  cfg.Load(800, 600);
  cfg.General.flags = 0;
  cfg.General.NewFileMode = CfgFileMode_PlugIn;
  cfg.General.Codepage = 1;
  cfg.General.AutoSaveLocation = "/srv/auto";
  cfg.General.AutoSaveTimeout = 30;
  cfg.Edit.items[0].flags = CfgEditItem::LineWrap;
  cfg.Edit.items[0].InsertCursorShape = CfgCursor_Block;
  cfg.Edit.items[1].TabSize = 2;
  cfg.Edit.items[1].IndentSize = 5;
  cfg.Program.options = CfgProgram::SpaceDepend | CfgProgram::ShowLineNumber;
  cfg.Program.StartLine = 10;
  cfg.Program.LineIncrement = 5;
  cfg.Debug.CurrentSession = 3;
  cfg.Colors.entries[12].fg = Cfg_RGB(1, 2, 3);
  cfg.Colors.entries[13].bg = Cfg_RGB(200, 100, 50);
  cfg.PageSetup.flags = CfgPageSetup::LineNumbers;
  cfg.PageSetup.PageHeader = "&F";
  cfg.PageSetup.LeftMargin = 250;
  cfg.PageSetup.FontSize = 120;
  cfg.WindowPositions.entries[CfgWnd_MainFrame].valid = 1;
  cfg.WindowPositions.entries[CfgWnd_MainFrame].placement.length = sizeof(CfgPlacement);
  cfg.WindowPositions.entries[CfgWnd_MainFrame].placement.ptMinPosition = {-32000, -32000};
  cfg.WindowPositions.entries[CfgWnd_MainFrame].placement.rcNormalPosition = {-5, 0, 1024, 768};

  // Nothing is written for records that were not changed.
  cfg.General.Save();
  EXPECT_FALSE(has_key("Settings\\General"));

  cfg.SetModified(true);
  cfg.General.Save();
  cfg.Edit.Save();
  cfg.Program.Save();
  cfg.Debug.Save();
  cfg.Colors.Save();
  cfg.PageSetup.Save();
  cfg.WindowPositions.Save();
  EXPECT_EQ(Cfg_GetString("Settings\\Program", "ShowLineNumber"), "True");
  EXPECT_EQ(Cfg_GetString("Settings\\Program", "SpaceDepend"), "On");
  EXPECT_EQ(Cfg_GetString("Settings\\Edit\\ProgramFiles", "UseEnhancements"), "False");
  EXPECT_EQ(Cfg_GetString("Settings\\General", "NewFileMode"), "Plug-In");
  EXPECT_EQ(Cfg_GetString("Settings\\Colors", "FgColor_STRING"), "1,2,3");

  CfgSettings back;
  back.Load(800, 600);
  EXPECT_FALSE(back.General.differs(cfg.General));
  EXPECT_FALSE(back.Edit.differs(cfg.Edit));
  EXPECT_FALSE(back.Program.differs(cfg.Program));
  EXPECT_FALSE(back.Debug.differs(cfg.Debug));
  EXPECT_FALSE(back.Colors.differs(cfg.Colors));
  EXPECT_FALSE(back.PageSetup.differs(cfg.PageSetup));
  const CfgWindowPos& main = back.WindowPositions.entries[CfgWnd_MainFrame];
  ASSERT_TRUE(main.valid);
  EXPECT_EQ(main.placement.length, sizeof(CfgPlacement));
  EXPECT_EQ(main.placement.ptMinPosition.x, -32000);
  EXPECT_EQ(main.placement.rcNormalPosition.left, -5);
  EXPECT_EQ(main.placement.rcNormalPosition.bottom, 768);
  EXPECT_FALSE(back.WindowPositions.entries[CfgWnd_FindDialog].valid);
}

TEST_F(Config, EnumerationNamesIgnoreCaseAndUnknownNamesGiveTheFirst) {
  struct Case {
    const char* stored;
    int expected;
  };
  const Case cases[] = {{"text_lf", 5}, {"TEXT_CRLF", 4}, {"Binary", 0}, {"plug-in", 100}, {"", 3}};
  for (const Case& c : cases) {
    if (*c.stored)
      Cfg_PutString("Settings\\General", "NewFileMode", c.stored);
    else
      Cfg_DeleteValue("Settings\\General", "NewFileMode");
    CfgGeneral g;
    g.Load();
    EXPECT_EQ(g.NewFileMode, c.expected) << c.stored;
  }
  EXPECT_THROW(Cfg_PutEnum("S", "k", CfgFileModeTable, 7), SysAssertError);
}

TEST_F(Config, IndentStops) {
  CfgEditItem item("ProgramFiles", 0, 3, 10);
  EXPECT_EQ(item.NextStop(0), 9u);
  EXPECT_EQ(item.NextStop(9), 12u);
  EXPECT_EQ(item.NextStop(10), 12u);
  EXPECT_EQ(item.PrevStop(12), 9u);
  EXPECT_EQ(item.PrevStop(13), 12u);
  EXPECT_EQ(item.PrevStop(9), 0u);
  uint32_t n = 0;
  EXPECT_STREQ(item.GetIndentBlanks(10, &n), "  ");
  EXPECT_EQ(n, 2u);
  EXPECT_STREQ(item.GetIndentBlanks(4, &n), "     ");
  EXPECT_EQ(n, 5u);

  CfgEditItem flat("TextFiles", 0, 0, 0);
  EXPECT_EQ(flat.NextStop(7), 7u);
  EXPECT_EQ(flat.PrevStop(7), 0u);
  EXPECT_STREQ(flat.GetIndentBlanks(7, &n), "");
  EXPECT_EQ(n, 0u);

  CfgEditItem nameless(nullptr, 0, 8, 0);
  EXPECT_THROW(nameless.Load(), SysAssertError);
}

TEST_F(Config, AutoSaveFileNames) {
  CfgGeneral g;
  g.AutoSaveLocation = "C:/TMP";
  EXPECT_EQ(g.GetAutoSaveFile(nullptr, 0x1a2b), "C:/TMP/NewFile.1A2B.AutoSave");
  EXPECT_EQ(g.GetAutoSaveFile("D:/src/main.prog", 7), "C:/TMP/main.prog.7.AutoSave");
  EXPECT_EQ(g.GetAutoSaveFile("/src/dot.", 7), "C:/TMP/dot.7.AutoSave");
  g.AutoSaveLocation = "/tmp/";
  EXPECT_EQ(g.GetAutoSaveFile("", 1), "/tmp/NewFile.1.AutoSave");
  g.AutoSaveLocation.clear();
  EXPECT_EQ(g.GetAutoSaveFile("x", 1), "");

  unsigned long a = CfgGeneral::NewDocumentIdentity();
  unsigned long b = CfgGeneral::NewDocumentIdentity();
  EXPECT_NE(a, b);
}

TEST_F(Config, TemporaryDirectoryDefault) {
  const char* const kept = getenv("TMPDIR");
  const std::string tmpdir = kept ? kept : "";
  setenv("TMPDIR", "/scratch", 1);
  setenv("TMP", "/tmp//auto/", 1);  // in the normal form of the file access layer
  EXPECT_EQ(CfgGeneral().AutoSaveLocation, "/tmp/auto");
  unsetenv("TMP");
  setenv("TEMP", "/var/tmp", 1);
  EXPECT_EQ(CfgGeneral().AutoSaveLocation, "/var/tmp");
  unsetenv("TEMP");
  EXPECT_EQ(CfgGeneral().AutoSaveLocation, "/scratch");
  // With none of them the system's temporary folder: never empty, so a
  // fresh profile auto-saves.
  unsetenv("TMPDIR");
  EXPECT_EQ(CfgGeneral().AutoSaveLocation, "/tmp");
  CfgSettings fresh;
  fresh.Load(1280, 1024);
  EXPECT_EQ(fresh.General.AutoSaveLocation, "/tmp");
  EXPECT_NE(fresh.General.flags & CfgGeneral::AutoSave, 0u);
  if (kept) setenv("TMPDIR", tmpdir.c_str(), 1);
}

TEST_F(Config, SplitWordsAndEnvironmentBlock) {
  CfgDebug d;
  d.SplitWords("  -x \"two words\" 'it''s' a\\ b\tc\\\"d \"\"");
  ASSERT_EQ(d.WordCount(), 6);
  EXPECT_EQ(*d.GetWord(0), "-x");
  EXPECT_EQ(*d.GetWord(1), "two words");
  EXPECT_EQ(*d.GetWord(2), "its");
  EXPECT_EQ(*d.GetWord(3), "a b");
  EXPECT_EQ(*d.GetWord(4), "c\"d");
  EXPECT_EQ(*d.GetWord(5), "");
  EXPECT_EQ(d.GetWord(6), nullptr);
  EXPECT_EQ(d.GetWord(-1), nullptr);

  d.SplitWords(std::string(2000, 'w').c_str());
  ASSERT_EQ(d.WordCount(), 1);
  EXPECT_EQ(d.GetWord(0)->size(), static_cast<size_t>(CFG_WORD_MAX));

  setenv("Path", "/old", 1);
  setenv("KEEP_ME", "1", 1);
  d.BuildEnvironment("PATH=x 'A=b c' noequals =bad");
  ASSERT_EQ(d.WordCount(), 1);
  EXPECT_EQ(d.EnvironmentSize(), 2u);
  const std::string& block = *d.GetWord(0);
  ASSERT_GE(block.size(), 2u);
  EXPECT_EQ(block.substr(block.size() - 2), std::string(2, '\0'));
  std::vector<std::string> entries;
  for (size_t i = 0; i < block.size() && block[i];) {
    size_t end = block.find('\0', i);
    entries.push_back(block.substr(i, end - i));
    i = end + 1;
  }
  int paths = 0;
  bool keep = false;
  for (const std::string& e : entries) {
    if (strncasecmp(e.c_str(), "PATH=", 5) == 0) {
      ++paths;
      EXPECT_EQ(e, "PATH=x");
    }
    keep = keep || e == "KEEP_ME=1";
    EXPECT_NE(e, "noequals");
    EXPECT_NE(e, "=bad");
  }
  EXPECT_EQ(paths, 1);
  EXPECT_TRUE(keep);
  EXPECT_EQ(entries.back(), "A=b c");
  unsetenv("Path");
  unsetenv("KEEP_ME");

  CfgDebug copy(d);
  EXPECT_EQ(copy.WordCount(), 0);
}

TEST_F(Config, HalfBrightAndHelpUrls) {
  CfgColor first = Cfg_RGB(0, 0, 0), second = Cfg_RGB(255, 255, 255);
  Cfg_HalfBright(&first, &second);
  EXPECT_EQ(first, Cfg_RGB(128, 128, 128));
  EXPECT_EQ(second, Cfg_RGB(255, 255, 255));
  first = Cfg_RGB(200, 255, 180);
  second = Cfg_RGB(100, 50, 7);
  Cfg_HalfBright(&first, &second);
  EXPECT_EQ(first, Cfg_RGB(228, 255, 218));
  EXPECT_EQ(second, Cfg_RGB(50, 25, 3));

  CfgHelp help;
  help.ConfigLocation = "C:/Varnica/html/yqhelp.cfg";
  EXPECT_EQ(help.BuildUrl("intro.htm"), "file://C|/Varnica/html/intro.htm");
  EXPECT_EQ(help.BuildUrl("http://x/y"), "http://x/y");
  help.ConfigURL = "http://docs";
  EXPECT_EQ(help.BuildUrl("KEY__PRINT"), "http://docs/KEY__PRINT");
  EXPECT_EQ(help.Url, "http://docs/KEY__PRINT");
}

TEST_F(Config, FileRecordFollowsGeneralAndConvertsCodepages) {
  CfgSettings cfg;
  cfg.General.flags = 0;
  cfg.General.NewFileMode = CfgFileMode_Text_CR;
  cfg.General.Codepage = 0;
  cfg.InitFileDefaults();
  EXPECT_EQ(cfg.File.flags, 0u);
  EXPECT_EQ(cfg.File.FileMode, CfgFileMode_Text_CR);
  EXPECT_EQ(cfg.Edit.GetItemFor(cfg.File), &cfg.Edit.items[1]);
  cfg.File.FileMode = CfgFileMode_BinaryPROGv5;
  EXPECT_EQ(cfg.Edit.GetItemFor(cfg.File), &cfg.Edit.items[0]);
  EXPECT_EQ(cfg.Edit.GetItem(2), nullptr);

  unsigned char text[] = {0xA1, 'a'};
  EXPECT_TRUE(cfg.File.ToIso(text, 2));
  EXPECT_EQ(text[0], 0xC0);
  EXPECT_TRUE(cfg.File.FromIso(text, 2));
  EXPECT_EQ(text[0], 0xA1);
  cfg.File.Codepage = 1;
  EXPECT_FALSE(cfg.File.ToIso(text, 2));
  EXPECT_EQ(text[0], 0xA1);
}

TEST_F(Config, WindowPlacementsSaveAndRestore) {
  struct FakeWindow : CfgWindow {
    bool GetPlacement(CfgPlacement* p) override {
      *p = current;
      return ok;
    }
    bool IsMaximized() override { return maximized; }
    bool SetPlacement(const CfgPlacement& p) override {
      applied = p;
      ++sets;
      return true;
    }
    CfgPlacement current, applied;
    bool ok = true, maximized = true;
    int sets = 0;
  } wnd;
  wnd.current.length = sizeof(CfgPlacement);
  wnd.current.showCmd = CFG_SW_HIDE;

  CfgWindowPos pos;
  pos.Restore(&wnd, true);
  EXPECT_EQ(wnd.sets, 0);
  pos.Save(&wnd);
  EXPECT_TRUE(pos.valid);
  EXPECT_EQ(pos.placement.flags, CFG_WPF_RESTORETOMAXIMIZED);
  pos.Restore(&wnd, true);
  EXPECT_EQ(wnd.applied.showCmd, CFG_SW_SHOW);
  pos.Restore(&wnd, false);
  EXPECT_EQ(wnd.applied.showCmd, CFG_SW_HIDE);
  wnd.ok = false;
  pos.Save(&wnd);
  EXPECT_FALSE(pos.valid);
  EXPECT_THROW(pos.Save(nullptr), SysAssertError);

  CfgPlacement shorter;
  shorter.length = 8;
  EXPECT_THROW(Cfg_PutPlacement("WindowPositions", "MainFrame", shorter), SysAssertError);
}

TEST_F(Config, EnvironmentValuesAreLookedUpByExactName) {
  std::string sub = Cfg_ListAppend("Environment", "PATH");
  Cfg_PutString(sub.c_str(), "Value", "/opt/bin");
  EXPECT_EQ(Cfg_GetEnvironmentValue("PATH").value_or("<none>"), "/opt/bin");
  EXPECT_FALSE(Cfg_GetEnvironmentValue("Path").has_value());
  EXPECT_FALSE(Cfg_GetEnvironmentValue("HOME").has_value());
}

}  // namespace
