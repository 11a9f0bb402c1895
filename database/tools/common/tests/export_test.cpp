// The export format both ways: file names, header and item lines, field
// text of every item type, the value scanner and its errors, long lines, and
// output files that appear only when complete.
#include "database/tools/common/export.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

std::string element(char type, const void* bytes, size_t width) {
  std::string out;
  exp_append_element(out, type, static_cast<const unsigned char*>(bytes), width);
  return out;
}

// The names in a folder.
std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> names;
  for (const std::string& n : vtest::files_with_suffix(dir, ""))
    if (n != "." && n != "..") names.push_back(n);
  return names;
}

ExpValues scan(const std::string& line, char sep = ',') {
  ExpValues values;
  ExpScanError error;
  EXPECT_TRUE(exp_scan_values(line.c_str(), line.size(), sep, &values, &error)) << line << error.text();
  return values;
}

std::string scan_error(const std::string& line, char sep = ',') {
  ExpValues values;
  ExpScanError error;
  EXPECT_FALSE(exp_scan_values(line.c_str(), line.size(), sep, &values, &error)) << line;
  return error.text();
}

TEST(ExportNames, BaseNameAndFileNames) {
  EXPECT_EQ(exp_base_name("host:vevivu/store"), "STORE");
  EXPECT_EQ(exp_base_name("orders"), "ORDERS");
  struct Case {
    const char* dir;
    int width;
    int set;
    const char* name;
  } cases[] = {
      {".", 3, 5, "./STORE.005.exp"},    {"", 3, 5, "STORE.005.exp"},       {"out/", 3, 5, "out/STORE.005.exp"},
      {"out", 2, 5, "out/STORE.05.exp"}, {"/x", 4, 7, "/x/STORE.0007.exp"}, {".", 3, 150, "./STORE.150.exp"},
      {".", 2, 150, "./STORE.150.exp"},
  };
  for (const Case& c : cases) EXPECT_EQ(exp_file_name(c.dir, "STORE", c.width, c.set), c.name);
  // Width 4 is not a name the reader tries (three digits, then two).
  EXPECT_NE(exp_file_name(".", "DB", 4, 7), exp_file_name(".", "DB", 3, 7));
  EXPECT_NE(exp_file_name(".", "DB", 4, 7), exp_file_name(".", "DB", 2, 7));
}

TEST(ExportHeaders, WrittenLinesParseBack) {
  std::string out;
  exp_database_line(out, "STORE");
  EXPECT_EQ(out, "# DATABASE = STORE\n");
  std::string name;
  ASSERT_TRUE(exp_parse_database_line(out.c_str(), name));
  EXPECT_EQ(name, "STORE");

  out.clear();
  exp_set_header(out, 5, "CUSTOMERS");
  EXPECT_EQ(out, "# SET 5 = CUSTOMERS       \n");
  int set = 0;
  char set_name[EXP_NAME_LEN + 1];
  ASSERT_TRUE(exp_parse_set_header(out.c_str(), &set, set_name));
  EXPECT_EQ(set, 5);
  EXPECT_STREQ(set_name, "CUSTOMERS       ");

  out.clear();
  exp_item_line(out, 2, "NAME", 1, 'X', 20);
  EXPECT_EQ(out, "#     2 NAME             X20\n");
  ExpField f{};
  ASSERT_TRUE(exp_parse_item_line(out.c_str(), &f));
  EXPECT_EQ(f.position, 2);
  EXPECT_STREQ(f.name, "NAME            ");
  EXPECT_EQ(f.count, 1);
  EXPECT_EQ(f.type, 'X');
  EXPECT_EQ(f.width, 20);

  out.clear();
  exp_item_line(out, 22, "MONTHLY-TOTALS", 12, 'L', 8);
  EXPECT_EQ(out, "#    22 MONTHLY-TOTALS   12 L\n");
  ASSERT_TRUE(exp_parse_item_line(out.c_str(), &f));
  EXPECT_EQ(f.count, 12);
  EXPECT_EQ(f.type, 'L');
  EXPECT_EQ(f.width, 0);
}

TEST(ExportHeaders, MalformedLinesAreRefused) {
  std::string name;
  EXPECT_FALSE(exp_parse_database_line("# DATABASE STORE", name));
  EXPECT_FALSE(exp_parse_database_line("# DATABASE = ", name));
  int set = 0;
  char set_name[EXP_NAME_LEN + 1];
  EXPECT_FALSE(exp_parse_set_header("# SET x = A", &set, set_name));
  EXPECT_FALSE(exp_parse_set_header("# SET 3", &set, set_name));
  ExpField f{};
  for (const char* bad : {"#  1 NAME X21", "#  1 NAME X0", "#  1 NAME X", "#  1 NAME I2", "#  1 NAME Q",
                          "#  1 NAME 2 X8 extra", "#  1 NAME Xa", "# x NAME I", "#  1 NAME 0 I"})
    EXPECT_FALSE(exp_parse_item_line(bad, &f)) << bad;
  EXPECT_TRUE(exp_parse_item_line("#  1 NAME B4", &f));
  EXPECT_TRUE(exp_parse_item_line("# 1 N D", &f));
}

TEST(ExportFields, TextAndNumbersAsWritten) {
  EXPECT_EQ(element('X', "ab  ", 4), "\"ab\"");
  EXPECT_EQ(element('X', "    ", 4), "\"\"");
  EXPECT_EQ(element('X', "a\"b\\", 4), "\"a\\\"b\\\\\"");
  EXPECT_EQ(element('X', "a\tb\x01", 4), "\"a\\011b\\001\"");
  EXPECT_EQ(element('X', "\xe9\xff", 2), "\"\xe9\xff\"");
  EXPECT_EQ(element('B', "a\0b\0\0", 5), std::string("\"a\\000b\"", 8));
  EXPECT_EQ(element('B', "\0\0", 2), "\"\"");
  int16_t i = -32768;
  EXPECT_EQ(element('I', &i, 2), "-32768");
  int32_t d = 2147483647;
  EXPECT_EQ(element('D', &d, 4), "2147483647");
  float s = 1.5f;
  EXPECT_EQ(element('S', &s, 4), "1.5");
  double l = 0.1;
  EXPECT_EQ(element('L', &l, 8), "0.1");
  l = 1e20;
  EXPECT_EQ(element('L', &l, 8), "1e+20");
}

TEST(ExportFields, FloatingValuesReadBackExactly) {
  // "%1.6g" and "%1.12g" lose digits of some values; the writer then uses
  // the fewest digits that give the value back.
  float singles[] = {1.0f / 3.0f, 16777215.0f, FLT_MAX, FLT_MIN, -0.1f, 123456.7f};
  for (float s : singles) {
    std::string text = element('S', &s, 4);
    EXPECT_EQ(static_cast<float>(std::strtod(text.c_str(), nullptr)), s) << text;
  }
  double doubles[] = {1.0 / 3.0, 0.1 + 0.2, DBL_MAX, 4.9e-324, -2.0 / 7.0, 9007199254740993.0};
  for (double l : doubles) {
    std::string text = element('L', &l, 8);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), l) << text;
  }
  double third = 1.0 / 3.0;
  EXPECT_EQ(element('L', &third, 8), "0.3333333333333333");
}

// The text of S and L values is the one "%1.*g" gives at the first
// precision from 6 (S) or 12 (L) up to 9 or 17 whose text reads back (by
// strtod) as the same value: special values, ties, the ends of the ranges,
// values that need every precision, and random bit patterns.
TEST(ExportFields, FloatingTextIsThePrintfTextOfTheFewestDigits) {
  auto printf_text = [](double v, int base, int most, bool single) {
    char buf[512];  // room for "%1.*g" of any double
    int precision = base;
    for (; precision < most; ++precision) {
      std::snprintf(buf, sizeof buf, "%1.*g", precision, v);
      double back = std::strtod(buf, nullptr);
      if ((single ? static_cast<float>(back) == static_cast<float>(v) : back == v) || std::isnan(v)) break;
    }
    std::snprintf(buf, sizeof buf, "%1.*g", precision, v);
    return std::string(buf);
  };
  std::vector<double> doubles = {0.0,
                                 -0.0,
                                 0.125,
                                 2.5,
                                 0.5,
                                 1e22,
                                 1e23,
                                 DBL_MAX,
                                 -DBL_MAX,
                                 DBL_MIN,
                                 4.9e-324,
                                 2.2250738585072009e-308,
                                 0.1 + 0.2,
                                 1.0 / 3.0,
                                 HUGE_VAL,
                                 -HUGE_VAL,
                                 std::nan(""),
                                 -std::nan(""),
                                 123456789012.5,
                                 9007199254740993.0,
                                 1.7976931348623157e308 / 3,
                                 5e-324 * 3,
                                 1e-5,
                                 1e-4,
                                 100000.0,
                                 1e17,
                                 999999999999.5};
  std::vector<float> singles = {0.0f,   -0.0f,       0.125f,      2.5f,      FLT_MAX, -FLT_MAX, FLT_MIN,
                                1e-45f, 1.0f / 3.0f, 16777215.0f, 123456.7f, 0.1f,    3.4e38f,  1e-38f};
  uint64_t seed = 0x9e3779b97f4a7c15u;
  for (int i = 0; i < 20000; ++i) {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    double l;
    std::memcpy(&l, &seed, sizeof l);
    doubles.push_back(l);
    uint32_t bits = static_cast<uint32_t>(seed >> 32);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    singles.push_back(f);
    singles.push_back(static_cast<float>(seed % 1000000) / 100.0f);
  }
  int shown = 0;
  for (double l : doubles) {
    const std::string want = printf_text(l, 12, 17, false);
    EXPECT_EQ(element('L', &l, 8), want);
    if (element('L', &l, 8) != want && ++shown > 5) break;
  }
  for (float f : singles) {
    const std::string want = printf_text(f, 6, 9, true);
    EXPECT_EQ(element('S', &f, 4), want);
    if (element('S', &f, 4) != want && ++shown > 10) break;
  }
}

TEST(ExportFields, RecordOfAllTypes) {
  unsigned char rec[64];
  size_t o = 0;
  std::memcpy(rec + o, "AB  ", 4), o += 4;
  int16_t i[2] = {7, -7};
  std::memcpy(rec + o, i, 4), o += 4;
  int32_t d = 100000;
  std::memcpy(rec + o, &d, 4), o += 4;
  float s = 2.5f;
  std::memcpy(rec + o, &s, 4), o += 4;
  double l = -1.25;
  std::memcpy(rec + o, &l, 8), o += 8;
  std::memcpy(rec + o, "\x01\0", 2), o += 2;
  ExpItem items[] = {{'X', 4, 1}, {'I', 2, 2}, {'D', 4, 1}, {'S', 4, 1}, {'L', 8, 1}, {'B', 2, 1}};
  std::string line;
  EXPECT_EQ(exp_append_record(line, items, 6, rec, ';'), o);
  EXPECT_EQ(line, "\"AB\";7;-7;100000;2.5;-1.25;\"\\001\"\n");
}

TEST(ExportScanner, ValuesOfEveryKind) {
  ExpValues v = scan("\"a,b\",12,12.0,1e3,,-5,\"\"");
  ASSERT_EQ(v.values.size(), 7u);
  EXPECT_EQ(v.values[0].kind, EXP_TEXT);
  EXPECT_EQ(std::string(v.bytes(v.values[0]), v.values[0].length), "a,b");
  EXPECT_EQ(v.values[1].kind, EXP_INTEGER);
  EXPECT_EQ(v.values[1].integer, 12);
  EXPECT_EQ(v.values[2].kind, EXP_FLOAT);
  EXPECT_EQ(v.values[2].number, 12.0);
  EXPECT_EQ(v.values[3].kind, EXP_FLOAT);
  EXPECT_EQ(v.values[3].number, 1000.0);
  EXPECT_EQ(v.values[4].kind, EXP_INTEGER);
  EXPECT_EQ(v.values[4].integer, 0);
  EXPECT_EQ(v.values[5].integer, -5);
  EXPECT_EQ(v.values[6].kind, EXP_TEXT);
  EXPECT_EQ(v.values[6].length, 0u);

  // An integer beyond 32 bits is read as a floating-point value.
  v = scan("4294967296,-2147483648");
  EXPECT_EQ(v.values[0].kind, EXP_FLOAT);
  EXPECT_EQ(v.values[0].number, 4294967296.0);
  EXPECT_EQ(v.values[1].kind, EXP_INTEGER);

  // Escapes: one to three octal digits, any other character as itself.
  v = scan("\"\\011\\1x\\0101\\q\\\"\\\\\"|2", '|');
  EXPECT_EQ(std::string(v.bytes(v.values[0]), v.values[0].length), std::string("\t\001x\0101q\"\\"));
  v = scan(",7");
  EXPECT_EQ(v.values[0].integer, 0);
  EXPECT_EQ(v.values[1].integer, 7);
}

TEST(ExportScanner, Errors) {
  EXPECT_EQ(scan_error("1,\"abc"), "\nMissing quote\n");
  EXPECT_EQ(scan_error("\"abc\\"), "\nMissing quote\n");
  EXPECT_EQ(scan_error("1,12x,3"), "\nIllegal numeric value: 12x,3\n");
  EXPECT_EQ(scan_error("\"a\"b,1"), "\nIllegal numeric value: b,1\n");
  EXPECT_EQ(scan_error("1," + std::string(60, '9') + "z"), "\nIllegal numeric value: " + std::string(40, '9') + "\n");
  EXPECT_EQ(scan_error("1,2,"), "\nUnexpected end-of-line\n");
  std::string many;
  for (int k = 0; k <= EXP_MAX_VALUES; ++k) many += k ? ",1" : "1";
  EXPECT_EQ(scan_error(many), "\nNumber of values exceeds maximum\n");
  many.resize(many.size() - 2);
  EXPECT_EQ(scan(many).values.size(), static_cast<size_t>(EXP_MAX_VALUES));
}

TEST(ExportScanner, WrittenFieldsReadBack) {
  // Every byte value in a text field survives the trip.
  unsigned char all[256];
  for (int k = 0; k < 256; ++k) all[k] = static_cast<unsigned char>(k);
  std::string line = element('B', all + 1, 255) + "," + element('X', " x", 2);
  ExpValues v = scan(line);
  ASSERT_EQ(v.values.size(), 2u);
  EXPECT_EQ(std::string(v.bytes(v.values[0]), v.values[0].length),
            std::string(reinterpret_cast<const char*>(all + 1), 255));
  EXPECT_EQ(std::string(v.bytes(v.values[1]), v.values[1].length), " x");
}

TEST(ExportLines, LinesOfAnyLength) {
  vtest::TempDir dir;
  std::string big(100000, 'a');
  vtest::write_file(dir.file("in"), "first\n\n" + big + "\nlast");
  FILE* f = std::fopen(dir.file("in").c_str(), "r");
  ASSERT_NE(f, nullptr);
  ExpLineReader r;
  r.file = f;
  std::vector<std::string> got;
  while (exp_read_line(&r)) got.emplace_back(r.data, r.length);
  std::fclose(f);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0], "first");
  EXPECT_EQ(got[1], "");
  EXPECT_EQ(got[2], big);
  EXPECT_EQ(got[3], "last");
  EXPECT_EQ(r.number, 4);
}

TEST(ExportOutput, AppearsOnlyWhenComplete) {
  vtest::TempDir dir;
  ExpOutput out;
  std::string name = dir.file("DB.001.exp");
  ASSERT_EQ(exp_output_open(&out, name), 0);
  exp_output_write(&out, "1,2\n");
  EXPECT_FALSE(vtest::file_exists(name));
  ASSERT_EQ(exp_output_finish(&out), 0);
  EXPECT_EQ(vtest::read_file(name), "1,2\n");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"DB.001.exp"});

  // An abandoned file leaves the complete one alone and nothing beside it.
  ASSERT_EQ(exp_output_open(&out, name), 0);
  exp_output_write(&out, "partial");
  exp_output_abandon(&out);
  EXPECT_EQ(vtest::read_file(name), "1,2\n");
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"DB.001.exp"});
}

TEST(ExportOutput, WriteFailureLeavesNoFile) {
  // A file-size limit stands in for a full disk.
  vtest::TempDir dir;
  std::string name = dir.file("DB.002.exp");
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  ExpOutput out;
  ASSERT_EQ(exp_output_open(&out, name), 0);
  for (int k = 0; k < 1000; ++k) exp_output_write(&out, std::string(100, 'x'));
  int rc = exp_output_finish(&out);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(rc, -1);
  EXPECT_FALSE(vtest::file_exists(name));
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{});
}

}  // namespace
