// The restructuring rules: what they read, each of the checks with
// its message, and the way errors are listed.
#include "database/tools/fillbase/restruct.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// A database of sets CUSTOMERS (1), ORDERS (2), ITEMS (5), and items
// NAME (1, one element), TOTALS (2, 12 elements), QTY (3).
struct FakeDb : RsLookup {
  static std::string key(const char* padded) {
    std::string k = padded;
    while (!k.empty() && k.back() == ' ') k.pop_back();
    return k;
  }
  int set_number(const char* name) override {
    static const std::map<std::string, int> sets = {{"CUSTOMERS", 1}, {"ORDERS", 2}, {"ITEMS", 5}};
    auto it = sets.find(key(name));
    return it == sets.end() ? 0 : it->second;
  }
  bool set_exists(int set) override { return set == 1 || set == 2 || set == 5; }
  int item_number(const char* name) override {
    static const std::map<std::string, int> items = {{"NAME", 1}, {"TOTALS", 2}, {"QTY", 3}};
    auto it = items.find(key(name));
    return it == items.end() ? 0 : it->second;
  }
  int item_count(int item) override { return item == 1 || item == 3 ? 1 : item == 2 ? 12 : 0; }
};

struct Result {
  int errors;
  std::vector<RsSet> spec;
  std::string messages;
};

Result parse(const std::string& text, bool single = false) {
  FakeDb db;
  Result r;
  FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  char* buf = nullptr;
  size_t len = 0;
  FILE* err = open_memstream(&buf, &len);
  RsOptions options;
  options.single_file = single;
  r.errors = rs_parse(in, db, options, r.spec, err);
  std::fclose(err);
  std::fclose(in);
  r.messages.assign(buf, len);
  std::free(buf);
  return r;
}

TEST(Restructure, ReadsSetsItemsAndSources) {
  Result r = parse(
      "# orders come from set 7 of the file\n"
      "import set orders = 7 {\n"
      "  name = 3;          << by field number\n"
      "  totals[1-2] = sums[4-5];\n"
      "  totals[3] = :null;\n"
      "  qty = :const 12;\n"
      "  2 = :const \"x y\";\n"
      "}\n"
      "IMPORT\tSET 5\n");
  EXPECT_EQ(r.errors, 0) << r.messages;
  EXPECT_EQ(r.messages, "");
  ASSERT_EQ(r.spec.size(), 2u);
  const RsSet& s = r.spec[0];
  EXPECT_EQ(s.set, 2);
  EXPECT_STREQ(s.name, "ORDERS          ");
  EXPECT_EQ(s.source, 7);
  ASSERT_EQ(s.items.size(), 5u);
  EXPECT_EQ(s.items[0].item, 1);
  EXPECT_EQ(s.items[0].kind, RS_FIELD_NUMBER);
  EXPECT_EQ(s.items[0].field, 3);
  EXPECT_EQ(s.items[1].item, 2);
  EXPECT_EQ(s.items[1].first, 1);
  EXPECT_EQ(s.items[1].last, 2);
  EXPECT_EQ(s.items[1].kind, RS_FIELD_NAME);
  EXPECT_STREQ(s.items[1].field_name, "SUMS            ");
  EXPECT_EQ(s.items[1].src_first, 4);
  EXPECT_EQ(s.items[1].src_last, 5);
  EXPECT_EQ(s.items[2].kind, RS_NULL);
  EXPECT_EQ(s.items[2].first, 3);
  EXPECT_EQ(s.items[3].kind, RS_CONST_NUMBER);
  EXPECT_EQ(s.items[3].number, 12);
  EXPECT_EQ(s.items[4].item, 2);
  EXPECT_EQ(s.items[4].kind, RS_CONST_TEXT);
  EXPECT_EQ(s.items[4].text, "X Y");  // taken in upper case
  EXPECT_EQ(r.spec[1].set, 5);
  EXPECT_TRUE(r.spec[1].items.empty());
  EXPECT_EQ(rs_find_set(r.spec, 5), &r.spec[1]);
  EXPECT_EQ(rs_find_set(r.spec, 1), nullptr);
}

TEST(Restructure, SourceSetByNameOnlyFromSingleFile) {
  Result r = parse("import set orders = old-orders\n", true);
  EXPECT_EQ(r.errors, 0) << r.messages;
  EXPECT_STREQ(r.spec[0].source_name, "OLD-ORDERS      ");
  EXPECT_EQ(r.spec[0].source, 0);
  r = parse("import set orders = old-orders\n", false);
  EXPECT_EQ(r.messages,
            "IMPORT SET ORDERS = OLD-ORDERS\n"
            "*** <from> set number must be specified unless importing from single file in line 1\n"
            "*** Preceding errors (1)\n");
}

TEST(Restructure, EveryCheckHasItsMessage) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"import set orders\nimport set 2\n", "Duplicate set specification"},
      {"import set nosuch\n", "Undefined set name"},
      {"import set 3\n", "Improper set number"},
      {"import set orders = 200\n", "Illegal <from> specification"},
      {"import set orders = 0\n", "Illegal <from> specification"},
      {"import set orders { nosuch = 1; }\n", "Undefined item name"},
      {"import set orders { 9 = 1; }\n", "Improper item number"},
      {"import set orders { totals[13] = :null; }\n", "Index exceeds subitem count"},
      {"import set orders { totals[0] = :null; }\n", "Improper index"},
      {"import set orders { totals[3-2] = :null; }\n", "Improper index range"},
      {"import set orders { totals[0-2] = :null; }\n", "Improper index range"},
      {"import set orders { totals[1-2] = sums[1]; }\n", "Number of elements does not match"},
      {"import set orders { totals = sums[1-2]; }\n", "Number of elements does not match"},
      // Twelve elements from field 2147483647 on would run past the largest
      // field number.
      {"import set orders { totals = 2147483647; }\n", "Improper field number"},
      {"import set orders { totals[2-3] = 2147483647; }\n", "Improper field number"},
      {"import set abcdefghijklmnopq\n", "Set name too long"},
      {"import set orders { abcdefghijklmnopq = 1; }\n", "Item name too long"},
      {"import set or_ders\n", "Illegal set name"},
      {"import set orders { na.me = 1; }\n", "Illegal item name"},
      {"import set orders { name = 1 }\n", "syntax error"},
      {"import set orders { name 1; }\n", "syntax error"},
      {"set orders\n", "syntax error"},
  };
  for (const Case& c : cases) {
    Result r = parse(c.text);
    EXPECT_GE(r.errors, 1) << c.text;
    EXPECT_NE(r.messages.find(std::string("*** ") + c.message), std::string::npos) << c.text << r.messages;
  }
}

TEST(Restructure, TheLargestFieldNumberFitsOneElement) {
  Result r = parse("import set orders { name = 2147483647; totals[12] = 2147483647; }\n");
  EXPECT_EQ(r.errors, 0) << r.messages;
}

TEST(Restructure, ErrorListing) {
  // The line once, its first error with the line number, the next without;
  // the parse goes on after an error and counts them all.
  Result r = parse(
      "import set orders {\n"
      "  abcdefghijklmnopq[0] = 1;\n"
      "  qty = 2;\n"
      "  nosuch = 3;\n"
      "}\n");
  EXPECT_EQ(r.errors, 4);
  EXPECT_EQ(r.messages,
            "  ABCDEFGHIJKLMNOPQ[0] = 1;\n"
            "*** Item name too long in line 2\n"
            "*** Undefined item name\n"
            "*** Improper index\n"
            "  NOSUCH = 3;\n"
            "*** Undefined item name in line 4\n"
            "*** Preceding errors (4)\n");
  ASSERT_EQ(r.spec.size(), 1u);
  ASSERT_EQ(r.spec[0].items.size(), 1u);
  EXPECT_EQ(r.spec[0].items[0].item, 3);
}

TEST(Restructure, LongLinesAreReportedWhole) {
  std::string line = "import set orders" + std::string(300, ' ') + "# comment\n";
  Result r = parse(line + "import set 5\n");
  EXPECT_EQ(r.errors, 1);
  EXPECT_NE(r.messages.find("*** Line exceeds 255 characters in line 1"), std::string::npos);
  // The line is not split: both entries are read.
  EXPECT_EQ(r.spec.size(), 2u);
}

TEST(Restructure, SyntaxErrorsRecover) {
  Result r = parse(
      "import set orders { name = = 1; qty = 2; }\n"
      "import set 5\n");
  EXPECT_EQ(r.errors, 1) << r.messages;
  ASSERT_EQ(r.spec.size(), 2u);
  ASSERT_EQ(r.spec[0].items.size(), 1u);
  EXPECT_EQ(r.spec[0].items[0].item, 3);
  // An empty rules file is no error.
  EXPECT_EQ(parse("").errors, 0);
  EXPECT_EQ(parse("# nothing\n").spec.size(), 0u);
}

}  // namespace
