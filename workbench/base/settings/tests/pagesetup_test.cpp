// The page header renderer: codes, alignment segments and the font limits.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "workbench/base/settings/config.h"

namespace {

class RecordingPainter : public CfgHeaderPainter {
 public:
  void DrawLine(const CfgRect&, const std::string& text, int alignment) override {
    lines.emplace_back(text, alignment);
  }
  std::vector<std::pair<std::string, int>> lines;
};

TEST(PageHeader, CodesAndAlignment) {
  using Lines = std::vector<std::pair<std::string, int>>;
  struct Case {
    const char* text;
    Lines expected;
  } cases[] = {
      {"&L&D &T&RPage &P of &A", {{"12/11/26 00:20", 1}, {"Page 3 of 10", 2}}},
      {"&X", {{"&X", 0}}},
      {"Total &", {{"Total &", 0}}},
      {"&", {{"&", 0}}},
      {"&CMiddle", {{"Middle", 0}}},
      {"before&Rafter", {{"before", 0}, {"after", 2}}},
      {"&F", {{"prog.src", 0}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    RecordingPainter p;
    CfgPageState state;
    state.file_name = "prog.src";
    state.page = 3;
    state.pages = 10;
    state.date = "12/11/26";
    state.time = "00:20";
    CfgPageSetup::RenderHeader(&p, CfgRect{0, 0, 100, 10}, c.text, &state);
    EXPECT_EQ(p.lines, c.expected) << c.text;
  }
}

TEST(PageHeader, FontSizeLimits) {
  EXPECT_EQ(CfgPageSetup::ClampFontSize(300), 240);
  EXPECT_EQ(CfgPageSetup::ClampFontSize(45), 60);
  EXPECT_EQ(CfgPageSetup::ClampFontSize(100), 100);
}

}  // namespace
