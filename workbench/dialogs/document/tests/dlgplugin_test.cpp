// The plug-in records have one layout in C and in C++, and it is the pinned
// 64-bit one.
#include "workbench/dialogs/document/dlgplugin.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "workbench/dialogs/document/tests/dlgplugin_layout.h"

extern "C" {
size_t dlgplugin_c_layout_count(void);
int dlgplugin_c_layout_row(size_t i, const char** record, const char** field, size_t* actual);
}

namespace {

struct Row {
  std::string record;
  std::string field;
  size_t actual;
  size_t expected;
};

#define LAYOUT_CXX_ROW(rec, field, expected) {#rec, #field, offsetof(rec, field), expected},
#define LAYOUT_CXX_SIZE(rec, expected) {#rec, "sizeof", sizeof(rec), expected},

const std::vector<Row> kRows = {DLGPLUGIN_LAYOUT(LAYOUT_CXX_ROW, LAYOUT_CXX_SIZE)};

TEST(DlgPluginLayout, CxxMatchesThePinnedLayout) {
  for (const Row& row : kRows) {
    EXPECT_EQ(row.actual, row.expected) << row.record << "." << row.field;
  }
}

TEST(DlgPluginLayout, CMatchesCxxFieldByField) {
  ASSERT_EQ(dlgplugin_c_layout_count(), kRows.size());
  for (size_t i = 0; i < kRows.size(); ++i) {
    const char* record = nullptr;
    const char* field = nullptr;
    size_t actual = 0;
    ASSERT_EQ(dlgplugin_c_layout_row(i, &record, &field, &actual), 0);
    EXPECT_EQ(kRows[i].record, record);
    EXPECT_EQ(kRows[i].field, field);
    EXPECT_EQ(actual, kRows[i].actual) << record << "." << field;
  }
  const char* record = nullptr;
  const char* field = nullptr;
  size_t actual = 0;
  EXPECT_EQ(dlgplugin_c_layout_row(kRows.size(), &record, &field, &actual), -1);
}

TEST(DlgPluginLayout, StockFontTokensAreSmallAndDistinct) {
  const int tokens[] = {FONT_STOCK_SYSTEM,         FONT_STOCK_SYSTEM_FIXED, FONT_STOCK_ANSI_VAR, FONT_STOCK_ANSI_FIXED,
                        FONT_STOCK_DEVICE_DEFAULT, FONT_STOCK_DEFAULT_GUI,  FONT_STOCK_OEM_FIXED};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(tokens[i], i + 1);
  EXPECT_EQ(FONT_STOCK_LAST, 7);
  EXPECT_EQ(PLUGIN_VERSION, 8);
}

}  // namespace
