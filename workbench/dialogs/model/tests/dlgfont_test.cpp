// The font table: canonical texts, reuse, stock fonts, the headless
// measures and the width and height expressions.
#include "workbench/dialogs/model/dlg_font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "workbench/dialogs/model/tests/dlgmodel_fixture.h"

namespace {

font_info Desc(const char* text, int32_t style = 0, const char* wexpr = nullptr, const char* hexpr = nullptr,
               const char* sample = nullptr) {
  font_info f{};
  f.text = text;
  f.size = -1;
  f.style = style;
  f.wexpr = wexpr;
  f.hexpr = hexpr;
  f.sample = sample;
  return f;
}

TEST(DlgFontTable, CanonicalTexts) {
  struct Case {
    const char* text;
    int32_t style;
    const char* wexpr;
    const char* hexpr;
    const char* canonical;  // null: refused
  } cases[] = {
      {"10.Arial", FONT_BOLD, nullptr, nullptr, "Arial:10,bold"},
      {"Arial", 0, nullptr, nullptr, "Arial"},
      {"8.Courier New", FONT_BOLD | FONT_ITALIC, "w*2", "h+1", "Courier New:8,bold,italic,w=w*2,h=h+1"},
      {"12.Times", FONT_ITALIC, "", "", "Times:12,italic"},
      {"1x.Arial", 0, nullptr, nullptr, nullptr},
      {"10.", 0, nullptr, nullptr, nullptr},
      {"", 0, nullptr, nullptr, nullptr},
      {"123456.Arial", 0, nullptr, nullptr, nullptr},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 0, nullptr, nullptr, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", 0, nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    DlgFontTable table;
    font_info f = Desc(c.text, c.style, c.wexpr, c.hexpr);
    DlgFontEntry* e = table.AddFont(&f, false);
    if (!c.canonical) {
      EXPECT_EQ(e, nullptr) << c.text;
      EXPECT_EQ(table.head, nullptr);
      continue;
    }
    ASSERT_NE(e, nullptr) << c.text;
    EXPECT_STREQ(e->Text(), c.canonical);
    EXPECT_STREQ(f.text, c.canonical);
    EXPECT_EQ(f.id, static_cast<int32_t>(e->Id()));
  }
}

TEST(DlgFontTable, ReusesAnEntryWithTheSameCanonicalText) {
  DlgFontTable table;
  font_info a = Desc("10.Arial", FONT_BOLD);
  font_info b = Desc("Arial", FONT_BOLD);
  b.size = 10;
  DlgFontEntry* first = table.AddFont(&a, false);
  DlgFontEntry* second = table.AddFont(&b, false);
  EXPECT_EQ(first, second);
  EXPECT_EQ(a.id, b.id);
  EXPECT_EQ(table.head, table.tail);
  EXPECT_EQ(table.FindFont(first->Id()), first);
  EXPECT_EQ(table.FindFont(first->Id() + 1000), nullptr);
}

TEST(DlgFontTable, StockNamesTakeTheStockFont) {
  DlgFontTable table;
  font_info a = Desc("SYSTEM");
  font_info b = Desc("SYSTEM_FONT");
  font_info c = Desc("OEM_FIXED_FONT");
  DlgFontEntry* ea = table.AddFont(&a, false);
  DlgFontEntry* eb = table.AddFont(&b, false);
  DlgFontEntry* ec = table.AddFont(&c, false);
  ASSERT_TRUE(ea && eb && ec);
  EXPECT_NE(ea, eb);
  void* system = reinterpret_cast<void*>(static_cast<uintptr_t>(FONT_STOCK_SYSTEM));
  EXPECT_EQ(ea->Handle(), system);
  EXPECT_EQ(eb->Handle(), system);
  EXPECT_EQ(ec->Handle(), reinterpret_cast<void*>(static_cast<uintptr_t>(FONT_STOCK_OEM_FIXED)));
  // SYSTEM: 8 wide, 16 high + 2 x edge 2.
  EXPECT_EQ(ea->CharWidth(), 8);
  EXPECT_EQ(ea->LineHeight(), 20);
  EXPECT_EQ(ec->CharWidth(), 8);
  EXPECT_EQ(ec->LineHeight(), 16);
  // The default font is the system font measured with the sample "X".
  EXPECT_EQ(table.DefaultFont().cx, 8);
  EXPECT_EQ(table.DefaultFont().cy, 20);
  EXPECT_EQ(table.CharWidth(12345), 8);
}

TEST(DlgFontTable, HeadlessPointFontsAndSamples) {
  DlgFontTable table;
  font_info plain = Desc("9.Arial");  // 90 tenths: height (360 + 15) / 30 = 12
  font_info bold = Desc("9.Arial", FONT_BOLD);
  font_info sample = Desc("9.Helv", 0, nullptr, nullptr, "WiWi");
  ASSERT_NE(table.AddFont(&plain, false), nullptr);
  ASSERT_NE(table.AddFont(&bold, false), nullptr);
  ASSERT_NE(table.AddFont(&sample, false), nullptr);
  EXPECT_EQ(plain.cx, 6);
  EXPECT_EQ(plain.cy, 12 + 1 + 4);
  EXPECT_EQ(bold.cx, 7);
  EXPECT_EQ(sample.cx, (4 * 6 + 2 * 3) / 4);
  EXPECT_NE(plain.hndl, nullptr);
}

TEST(DlgFontTable, ExpressionsOverrideTheMeasures) {
  struct Case {
    const char* wexpr;
    const char* hexpr;
    int32_t cx;
    int32_t cy;
  } cases[] = {
      {"w*2", nullptr, 12, 17},  {nullptr, "h+q", 6, 17},           // unknown symbol: the measured height stays
      {"w/4", "w+h", 1, 18},                                        // truncated toward zero; h sees the new w
      {"-w/4", nullptr, -1, 17}, {"w*1000000000", nullptr, 6, 17},  // does not fit 32 bits: the measured value stays
      {"(w", "h/0", 6, 17},      {"W", nullptr, 6, 17},             // symbols compare exactly
  };
  for (const Case& c : cases) {
    DlgFontTable table;
    font_info f = Desc("9.Arial", 0, c.wexpr, c.hexpr);  // measured 6 x 17
    ASSERT_NE(table.AddFont(&f, false), nullptr);
    EXPECT_EQ(f.cx, c.cx) << (c.wexpr ? c.wexpr : "") << " " << (c.hexpr ? c.hexpr : "");
    EXPECT_EQ(f.cy, c.cy) << (c.wexpr ? c.wexpr : "") << " " << (c.hexpr ? c.hexpr : "");
  }
}

TEST(DlgFontTable, TemporaryFontsGoAndHandlesArePassedThrough) {
  DlgFontTable table;
  font_info keep = Desc("10.Arial");
  font_info temp = Desc("11.Arial");
  font_info given = Desc("Custom");
  given.hndl = reinterpret_cast<void*>(static_cast<uintptr_t>(FONT_STOCK_ANSI_VAR));
  DlgFontEntry* k = table.AddFont(&keep, false);
  DlgFontEntry* t = table.AddFont(&temp, true);
  DlgFontEntry* g = table.AddFont(&given, false);
  ASSERT_TRUE(k && t && g);
  EXPECT_EQ(t->Marks() & DLG_FONT_TEMPORARY, uint32_t{DLG_FONT_TEMPORARY});
  EXPECT_EQ(g->CharWidth(), 6);  // ANSI_VAR
  EXPECT_EQ(g->LineHeight(), 17);
  table.DeleteTemporaryFonts();
  EXPECT_EQ(table.head, k);
  EXPECT_EQ(table.tail, g);
}

TEST(DlgFontTable, AForeignHandleIsMeasuredAsTheSystemFont) {
  DlgFontTable table;
  int not_a_font = 0;
  font_info f = Desc("Foreign");
  f.hndl = &not_a_font;
  ASSERT_NE(table.AddFont(&f, false), nullptr);
  EXPECT_EQ(f.cx, 8);
  EXPECT_EQ(f.cy, 20);
}

TEST(DlgFontTable, NullDescriptionIsFatal) {
  ThrowingChecks checks;
  DlgFontTable table;
  EXPECT_NE(FailedCheck([&] { table.AddFont(nullptr, false); }), "");
}

}  // namespace
