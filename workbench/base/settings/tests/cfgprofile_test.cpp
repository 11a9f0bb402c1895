#include "workbench/base/settings/cfgprofile.h"

#include <gtest/gtest.h>

#include "workbench/base/settings/config.h"
#include "workbench/base/settings/tests/settingstest.h"

namespace {

class CfgProfile : public SettingsTest {};

TEST_F(CfgProfile, BooleanTexts) {
  struct Case {
    const char* text;
    bool recognised;
    bool value;
  };
  const Case cases[] = {
      {" on,more text", true, true}, {"TRUE", true, true}, {"off", true, false},     {"False", true, false},
      {"yes", false, false},         {"", false, false},   {"on off", false, false}, {"  Off  ,", true, false},
  };
  for (const Case& c : cases) {
    bool value = !c.value;
    EXPECT_EQ(Cfg_ParseBool(c.text, &value), c.recognised) << c.text;
    if (c.recognised) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  // An unrecognised text leaves the flag as it was.
  Cfg_PutString("S", "AutoSave", "yes");
  uint32_t flags = 1;
  EXPECT_FALSE(Cfg_GetFlag("S", "AutoSave", &flags, 1));
  EXPECT_EQ(flags, 1u);
  Cfg_PutOnOff("S", "AutoSave", false);
  EXPECT_TRUE(Cfg_GetFlag("S", "AutoSave", &flags, 1));
  EXPECT_EQ(flags, 0u);
}

TEST_F(CfgProfile, ColourTexts) {
  struct Case {
    const char* text;
    bool ok;
    CfgColor color;
  };
  const Case cases[] = {
      {"255,128,0", true, Cfg_RGB(255, 128, 0)},
      {"300,0,0", true, Cfg_RGB(44, 0, 0)},
      {"255,128", false, 0},
      {"", false, 0},
      {"1,2,3,4", true, Cfg_RGB(1, 2, 3)},
  };
  for (const Case& c : cases) {
    CfgColor color = 0xABCDEF;
    EXPECT_EQ(Cfg_ParseColor(c.text, &color), c.ok) << c.text;
    EXPECT_EQ(color, c.ok ? c.color : 0xABCDEFu) << c.text;
  }
  Cfg_PutColor("Settings\\Colors", "FgColor_TEXT", Cfg_RGB(10, 20, 30));
  EXPECT_EQ(Cfg_GetString("Settings\\Colors", "FgColor_TEXT"), "10,20,30");
}

TEST_F(CfgProfile, HexNumberLists) {
  uint32_t one = 0;
  EXPECT_TRUE(Cfg_ParseHexList(" 0X1A", &one, 1));
  EXPECT_EQ(one, 0x1Au);
  EXPECT_TRUE(Cfg_ParseHexList("0x1a ", &one, 1));
  EXPECT_EQ(one, 0x1Au);
  EXPECT_TRUE(Cfg_ParseHexList("ff", &one, 1));
  EXPECT_EQ(one, 0xFFu);

  uint32_t two[2] = {7, 7};
  for (const char* bad : {"", "0x", "0x1", "0x1,", "0x1,0x2,0x3", "0x1;0x2", "0xg,1", "0x11111111111111111,0"}) {
    EXPECT_FALSE(Cfg_ParseHexList(bad, two, 2)) << bad;
    EXPECT_EQ(two[0], 7u);
  }
  EXPECT_TRUE(Cfg_ParseHexList("0x1 , 0x3e8,", two, 2));
  EXPECT_EQ(two[1], 0x3E8u);

  // Negative coordinates keep their 32-bit form.
  Cfg_PutPair("S", "Pos", -1, 5);
  EXPECT_EQ(Cfg_GetString("S", "Pos"), "0xffffffff,0x5");
  int32_t x = 0, y = 0;
  ASSERT_TRUE(Cfg_GetPair("S", "Pos", &x, &y));
  EXPECT_EQ(x, -1);

  // A placement needs all ten numbers.
  Cfg_PutString("WindowPositions", "MainFrame", "0x0,0x1,0x2,0x3,0x4,0x5,0x6,0x7,0x8");
  CfgWindowPositions positions;
  positions.Load();
  EXPECT_FALSE(positions.entries[CfgWnd_MainFrame].valid);
}

TEST_F(CfgProfile, IntegersWithAndWithoutOut) {
  Cfg_PutInt("S", "Negative", -3);
  Cfg_PutInt("S", "Seven", 7);
  EXPECT_EQ(Cfg_GetInt("S", "Missing"), 0);
  EXPECT_EQ(Cfg_GetInt("S", "Negative"), -3);
  int32_t out = 42;
  EXPECT_EQ(Cfg_GetInt("S", "Negative", &out), 0);
  EXPECT_EQ(Cfg_GetInt("S", "Missing", &out), 0);
  EXPECT_EQ(out, 42);
  EXPECT_EQ(Cfg_GetInt("S", "Seven", &out), 7);
  EXPECT_EQ(out, 7);
  EXPECT_THROW(Cfg_GetInt("S", "Seven", static_cast<int32_t*>(nullptr)), SysAssertError);

  std::string text = "kept";
  Cfg_PutString("S", "Empty", "");
  EXPECT_EQ(Cfg_GetString("S", "Empty", &text), "");
  EXPECT_EQ(text, "kept");
  Cfg_DeleteSection("S");
  EXPECT_EQ(Cfg_GetInt("S", "Seven"), 0);
}

TEST_F(CfgProfile, CodepageTablesOfTheDocuments) {
  unsigned char bytes[] = {161, 128, 159, 'x'};
  Cfg_Roman8ToIso(bytes, sizeof bytes);
  EXPECT_EQ(bytes[0], 0xC0);
  EXPECT_EQ(bytes[1], ' ');
  EXPECT_EQ(bytes[2], ' ');
  EXPECT_EQ(bytes[3], 'x');
  Cfg_IsoToRoman8(bytes, 1);
  EXPECT_EQ(bytes[0], 161);
}

}  // namespace
