// The driver text's splitting into words and the lines of "zell.ini".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/formmorph/drvargs.h"
#include "dialogs/formmorph/fmtrace.h"
#include "dialogs/formmorph/zellini.h"
#include "testsupport.h"

namespace {

struct SplitCase {
  const char* text;
  std::vector<std::string> words;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.text; }

class DriverSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(DriverSplit, GivesTheWords) { EXPECT_EQ(drv_split_arguments(GetParam().text), GetParam().words); }

INSTANTIATE_TEST_SUITE_P(Table, DriverSplit,
                         ::testing::Values(SplitCase{"@pc ConfigSection", {"@pc", "ConfigSection"}},
                                           SplitCase{"  dlg://host:8011\t a  b ", {"dlg://host:8011", "a", "b"}},
                                           SplitCase{"", {}}, SplitCase{"   ", {}},
                                           SplitCase{"x \"two words\" y", {"x", "two words", "y"}},
                                           SplitCase{"x a\"b c\"d", {"x", "ab cd"}},
                                           SplitCase{"x one\\ word \\\"q", {"x", "one word", "\"q"}},
                                           SplitCase{"x trailing\\", {"x", "trailing\\"}},
                                           SplitCase{"x 'keep \"these\" quotes'", {"x", "keep \"these\" quotes"}},
                                           SplitCase{"x \"\" y", {"x", "", "y"}}));

class ZellIni : public ::testing::Test {
 protected:
  void SetUp() override {
    fm_set_trace_stream(std::tmpfile());
    path = dir.file("zell.ini");
    vtest::write_file(path,
                      "# the dialog servers\n"
                      "; another comment\n"
                      "[ pc ]\n"
                      "  runsrv =  buildhost:7001   ; the build machine\n"
                      "DLG = \"zelldlg://server:8011\"  # quoted\n"
                      "[zelldlg]\n"
                      "Service=9000\n"
                      "empty =\n"
                      "[Other]\n"
                      "runsrv = other\n");
  }
  void TearDown() override { fm_set_trace_stream(nullptr); }
  vtest::TempDir dir;
  std::string path;
};

TEST_F(ZellIni, LinesGiveTheirValues) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"pc", "runsrv", "buildhost:7001"}, {"PC", "dlg", "zelldlg://server:8011"}, {"ZELLDLG", "service", "9000"},
      {"zelldlg", "empty", ""},           {"other", "runsrv", "other"},           {"pc", "missing", "fallback"},
      {"nowhere", "runsrv", "fallback"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(zell_ini_get(path, c.section, c.key, "fallback"), c.value) << c.section << "/" << c.key;
  EXPECT_EQ(zell_ini_get(dir.file("none.ini"), "pc", "runsrv", "pc"), "pc");
  EXPECT_EQ(zell_ini_get("", "pc", "runsrv", "pc"), "pc");
}

}  // namespace
