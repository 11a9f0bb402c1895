// Decimal numbers: conversions and arithmetic against a table of expected
// results (fixtures/decimal/cases.tsv, written by gen_cases.py from Python's
// decimal module), plus the error paths and the packed and display forms.
#include "language/decimal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/testsupport.h"

namespace {

struct Case {
  int line = 0;
  std::vector<std::string> f;  // f[0] is the operation
};

const std::vector<Case>& oracle_cases() {
  static const std::vector<Case> cases = [] {
    std::vector<Case> out;
    std::string text = vtest::read_file(vtest::source_dir() + "/language/tests/fixtures/decimal/cases.tsv");
    std::istringstream in(text);
    std::string row;
    int n = 0;
    while (std::getline(in, row)) {
      ++n;
      Case c;
      c.line = n;
      size_t start = 0;
      for (;;) {
        size_t tab = row.find('\t', start);
        c.f.push_back(row.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
      }
      out.push_back(c);
    }
    return out;
  }();
  return cases;
}

std::vector<Case> cases_of(const char* op) {
  std::vector<Case> out;
  for (const Case& c : oracle_cases())
    if (c.f[0] == op) out.push_back(c);
  return out;
}

std::string hex(const uint8_t* p, size_t n) {
  std::string s;
  char b[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", p[i]);
    s += b;
  }
  return s;
}

std::string head_hex(const dec_number& n) {
  char b[9];
  std::snprintf(b, sizeof b, "%08x", n.head);
  return b;
}

// "head digits" of a number, the form the table uses.
std::string image(const dec_number& n) { return head_hex(n) + " " + hex(n.digit, DEC_DIGITS); }

dec_number parse(const std::string& text) {
  dec_number n;
  int rc = math_from_text(text.data(), text.size(), &n);
  EXPECT_EQ(rc, 0) << "operand " << text;
  return n;
}

std::string to_text(const dec_number& n, int digits) {
  char buf[DEC_TEXT_SIZE];
  int len = math_to_text(&n, digits, buf, sizeof buf);
  EXPECT_EQ(len, static_cast<int>(std::strlen(buf)));
  return buf;
}

// ---- against the oracle table ---------------------------------------------

TEST(DecimalOracle, TextConversion) {
  auto cases = cases_of("text");
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": \"" + c.f[1] + "\"");
    dec_number n;
    int rc = math_from_text(c.f[1].data(), c.f[1].size(), &n);
    EXPECT_EQ(rc, std::stoi(c.f[2]));
    EXPECT_EQ(image(n), c.f[3] + " " + c.f[4]);
  }
}

TEST(DecimalOracle, Integers) {
  auto cases = cases_of("int");
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line));
    dec_number n;
    EXPECT_EQ(math_from_int(static_cast<int32_t>(std::stoll(c.f[1])), &n), 0);
    EXPECT_EQ(image(n), c.f[2] + " " + c.f[3]);
  }
}

TEST(DecimalOracle, Addition) {
  auto cases = cases_of("add");
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + c.f[1] + " + " + c.f[2]);
    dec_number a = parse(c.f[1]), b = parse(c.f[2]), r;
    EXPECT_EQ(dec_add(&a, &b, &r), std::stoi(c.f[3]));
    EXPECT_EQ(image(r), c.f[4] + " " + c.f[5]);
    // Addition commutes, and the result may overwrite an operand.
    dec_number r2;
    dec_add(&b, &a, &r2);
    EXPECT_EQ(image(r2), image(r));
    dec_add(&a, &b, &a);
    EXPECT_EQ(image(a), image(r));
  }
}

TEST(DecimalOracle, SignificantDigitRounding) {
  auto cases = cases_of("round");
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + c.f[1] + " to " + c.f[2]);
    dec_number n = parse(c.f[1]);
    EXPECT_EQ(math_round_sig(&n, std::stoi(c.f[2])), std::stoi(c.f[3]));
    EXPECT_EQ(image(n), c.f[4] + " " + c.f[5]);
  }
}

TEST(DecimalOracle, RoundAndCutToPlaces) {
  for (const char* op : {"places", "trunc"}) {
    auto cases = cases_of(op);
    ASSERT_FALSE(cases.empty()) << op;
    for (const Case& c : cases) {
      SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + op + " " + c.f[1] + " at " + c.f[2]);
      dec_number n = parse(c.f[1]);
      int places = std::stoi(c.f[2]);
      int rc = std::strcmp(op, "places") == 0 ? dec_round(&n, places) : dec_trunc(&n, places);
      EXPECT_EQ(rc, std::stoi(c.f[3]));
      EXPECT_EQ(image(n), c.f[4] + " " + c.f[5]);
    }
  }
}

TEST(DecimalOracle, DigitStrings) {
  auto cases = cases_of("ecvt");
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + c.f[1] + " with " + c.f[2]);
    dec_number n = parse(c.f[1]);
    dec_digits d;
    int e = 99, sign = 99;
    const char* s = math_ecvt(&n, std::stoi(c.f[2]), &e, &sign, &d);
    EXPECT_EQ(s, d.text);
    EXPECT_EQ(std::string(s), c.f[3]);
    EXPECT_EQ(e, std::stoi(c.f[4]));
    EXPECT_EQ(sign, std::stoi(c.f[5]));
  }
}

TEST(DecimalOracle, PackedForm) {
  auto cases = cases_of("pack");
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + c.f[1]);
    dec_number n = parse(c.f[1]);
    uint8_t packed[DEC_PACKED_SIZE];
    math_pack(&n, packed, sizeof packed);
    EXPECT_EQ(hex(packed, sizeof packed), c.f[2]);
    dec_number back;
    EXPECT_EQ(math_unpack(packed, sizeof packed, &back), 0);
    EXPECT_EQ(image(back), c.f[3] + " " + c.f[4]);
  }
}

// Every number of the table survives display text with 16 digits and back.
TEST(DecimalOracle, DisplayTextReadsBack) {
  for (const Case& c : cases_of("text")) {
    if (c.f[2] != "0" || c.f[3] == "00ff0000") continue;
    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + c.f[1]);
    dec_number n = parse(c.f[1]);
    std::string t = to_text(n, 16);
    dec_number back = parse(t);
    EXPECT_EQ(image(back), image(n)) << t;
  }
}

// ---- text conversion errors and limits ----------------------------------

TEST(DecimalText, RejectsWhatIsNotANumber) {
  const char* const bad[] = {"1.5.2",
                             "12 3",
                             "12x",
                             "1E5x",
                             "1E5 7",
                             ".",
                             "-",
                             "+",
                             "E5",
                             "--1",
                             "1E1000",
                             "1E-1000",
                             "1E99999999999999999999",
                             "0x10",
                             "1,5",
                             "abc"};
  for (const char* t : bad) {
    SCOPED_TRACE(t);
    dec_number n;
    dec_set_largest(&n);
    EXPECT_EQ(math_from_text(t, std::strlen(t), &n), MATH_ERR_BADNUMBER);
    EXPECT_EQ(image(n), "00010000 0000000000000000");
  }
  dec_number n;
  EXPECT_EQ(dec_from_ascii("1.5.2", 5, &n), DEC_ENOTNUM);
  EXPECT_EQ(dec_from_ascii("1E1000", 6, &n), DEC_EBADEXP);
  EXPECT_EQ(dec_from_ascii("-1E999", 6, &n), DEC_EOVERFLOW);
  EXPECT_EQ(dec_exponent(&n), 63);
  EXPECT_EQ(dec_from_ascii("1E-999", 6, &n), DEC_EUNDERFLOW);
  EXPECT_EQ(dec_exponent(&n), -64);
}

TEST(DecimalText, LengthAndNulEndTheText) {
  dec_number n;
  EXPECT_EQ(math_from_text("1234", 2, &n), 0);
  EXPECT_EQ(to_text(n, 12), "12");
  EXPECT_EQ(math_from_text("7\0"
                           "99",
                           4, &n),
            0);
  EXPECT_EQ(to_text(n, 12), "7");
  EXPECT_EQ(math_from_text("5 ", 2, &n), 0);  // trailing blanks are fine
  EXPECT_EQ(to_text(n, 12), "5");
  EXPECT_EQ(math_from_text("", 0, &n), 0);
  EXPECT_TRUE(dec_is_null(&n));
}

TEST(DecimalText, VeryLongTextsKeepTheirScale) {
  // Thousands of digits only move the point; the counters must not wrap.
  std::string big(5000, '9');
  dec_number n;
  EXPECT_EQ(math_from_text(big.data(), big.size(), &n), MATH_ERR_OVERFLOW);
  EXPECT_EQ(n.head, DEC_HEAD_LARGEST);

  std::string tiny = "0." + std::string(5000, '0') + "1";
  EXPECT_EQ(math_from_text(tiny.data(), tiny.size(), &n), MATH_ERR_OVERFLOW);
  EXPECT_EQ(n.head, DEC_HEAD_ZERO);

  std::string scaled = "0." + std::string(200, '0') + "125E+200";  // 0.125
  EXPECT_EQ(math_from_text(scaled.data(), scaled.size(), &n), 0);
  EXPECT_EQ(to_text(n, 12), "0.125");
}

// ---- display text -------------------------------------------------------

TEST(DecimalDisplay, FixedAndExponentForms) {
  struct Row {
    const char* in;
    int digits;
    const char* out;
  } rows[] = {
      {"1234567890123", 12, "1.23456789012E+12"},
      {"123456789012", 12, "123456789012"},
      {"0.05", 12, "0.05"},
      {"0", 12, "0"},
      {"-2.5", 12, "-2.5"},
      {"100", 12, "100"},
      {"100", 2, "1E+02"},
      {"123.456", 4, "123.5"},
      {"0.5", 12, "0.5"},
      {"0.00012", 2, "1.2E-04"},
      {"0.00012", 12, "0.00012"},
      {"1E125", 12, "1E+125"},
      {"-1E-130", 12, "-1E-130"},
      {"9.99999999999995", 12, "10"},
      {"12.5", 2, "13"},
      {"-0.000001", 5, "-1E-06"},
      {"-0.000001", 6, "-0.000001"},
      {"1.5", 0, ""},
      {"1.5", -3, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.in) + " with " + std::to_string(r.digits));
    EXPECT_EQ(to_text(parse(r.in), r.digits), r.out);
  }
}

TEST(DecimalDisplay, SmallBufferGivesEmptyText) {
  dec_number n = parse("-1234.5");
  char buf[6];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(math_to_text(&n, 12, buf, sizeof buf), -1);
  EXPECT_STREQ(buf, "");
  char fits[8];
  EXPECT_EQ(math_to_text(&n, 12, fits, sizeof fits), 7);
  EXPECT_STREQ(fits, "-1234.5");
  // The documented size holds the longest text there is.
  dec_number widest = parse("-1.234567890123456E-130");
  char wide[DEC_TEXT_SIZE];
  EXPECT_GT(math_to_text(&widest, DEC_CVT_MAX + 50, wide, sizeof wide), 140);
}

TEST(DecimalDigits, NullZeroAndLimits) {
  dec_number null_number;
  dec_set_null(&null_number);
  dec_digits d;
  int e = 7, sign = 7;
  EXPECT_STREQ(dec_cvt(&null_number, 12, &e, &sign, &d), "");
  EXPECT_EQ(e, 0);
  EXPECT_EQ(sign, 0);

  dec_number zero = parse("-0");
  EXPECT_STREQ(math_ecvt(&zero, 4, &e, &sign, &d), "0000");
  EXPECT_EQ(e, 0);
  EXPECT_EQ(sign, 0);

  // Rounding the largest value up only raises the decimal exponent.
  dec_number top = parse("-9.999999999999999E125");
  EXPECT_STREQ(math_ecvt(&top, 12, &e, &sign, &d), "100000000000");
  EXPECT_EQ(e, 127);
  EXPECT_EQ(sign, 1);

  dec_number n = parse("1.5");
  EXPECT_EQ(std::strlen(math_ecvt(&n, 1000, &e, &sign, &d)), size_t{DEC_CVT_MAX});
  EXPECT_STREQ(math_ecvt(&n, 0, &e, &sign, &d), "");
}

// ---- packed form -----------------------------------------------------------

TEST(DecimalPacked, NullZeroAndBrokenBytes) {
  uint8_t packed[DEC_PACKED_SIZE];
  dec_number n;
  dec_set_null(&n);
  std::memset(packed, 0x55, sizeof packed);
  math_pack(&n, packed, sizeof packed);
  EXPECT_EQ(hex(packed, sizeof packed), "0000000000000000");
  dec_set_largest(&n);
  EXPECT_EQ(math_unpack(packed, sizeof packed, &n), MATH_ERR_CONVERSION);
  EXPECT_EQ(n.head, DEC_HEAD_ZERO);
  dec_set_largest(&n);
  EXPECT_EQ(dec_from_packed(packed, sizeof packed, &n), DEC_OK);
  EXPECT_TRUE(dec_is_null(&n));

  // Bytes that are not base-100 digits are refused, not taken as a value.
  const uint8_t broken[][DEC_PACKED_SIZE] = {
      {0xC1, 100, 0, 0, 0, 0, 0, 0},
      {0x3E, 0xFF, 0, 0, 0, 0, 0, 0},
      {0xC1, 1, 2, 3, 4, 5, 6, 200},
      {0x80, 0, 5, 0, 0, 0, 0, 0},  // leading zero digit below the smallest exponent
  };
  for (const auto& b : broken) {
    SCOPED_TRACE(hex(b, sizeof b));
    dec_set_largest(&n);
    EXPECT_EQ(math_unpack(b, sizeof b, &n), MATH_ERR_CONVERSION);
    EXPECT_EQ(n.head, DEC_HEAD_ZERO);
  }
}

TEST(DecimalPacked, NegativeAtTheLargestExponentIsAValue) {
  // Its exponent byte is 0 but its digits are not, so it is no NULL.
  dec_number n = parse("-1E125");
  uint8_t packed[DEC_PACKED_SIZE];
  math_pack(&n, packed, sizeof packed);
  EXPECT_EQ(hex(packed, sizeof packed), "005a000000000000");
  dec_number back;
  EXPECT_EQ(math_unpack(packed, sizeof packed, &back), 0);
  EXPECT_EQ(image(back), image(n));

  dec_number largest_negative;
  ASSERT_EQ(math_from_text("-1E999", 6, &largest_negative), MATH_ERR_OVERFLOW);
  math_pack(&largest_negative, packed, sizeof packed);
  EXPECT_EQ(math_unpack(packed, sizeof packed, &back), 0);
  EXPECT_EQ(image(back), image(largest_negative));
}

TEST(DecimalPacked, OtherSizes) {
  struct Row {
    const char* in;
    size_t size;
    const char* packed;
    const char* back;  // unpacked, as "head digits"
  } rows[] = {
      {"1.2345", 3, "c10117", "02010001 0117000000000000"},
      {"1.235", 3, "c10118", "02010001 0118000000000000"},
      {"-1.235", 3, "3e624c", "02000001 0118000000000000"},
      {"99.5", 2, "c201", "01010002 0100000000000000"},
      {"1.234567890123456", 12, "c101172d435901172e000000", "08010001 01172d435901172e"},
      {"-1.234567890123456", 9, "3e624c36200a624c36", "08000001 01172d435901172e"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.in) + " in " + std::to_string(r.size));
    dec_number n = parse(r.in);
    uint8_t buf[16];
    math_pack(&n, buf, r.size);
    EXPECT_EQ(hex(buf, r.size), r.packed);
    dec_number back;
    EXPECT_EQ(math_unpack(buf, r.size, &back), 0);
    EXPECT_EQ(image(back), r.back);
  }
}

// ---- the small operations --------------------------------------------------

TEST(DecimalMath, ExtremePlaceCounts) {
  const char* const inputs[] = {"-123.456", "1E-130", "9.999999999999999E125"};
  for (const char* in : inputs) {
    SCOPED_TRACE(in);
    dec_number x = parse(in);
    dec_number n = x;
    EXPECT_EQ(math_round_sig(&n, INT_MAX), 0);
    EXPECT_EQ(image(n), image(x));
    for (int places : {INT_MAX, INT_MAX - 1}) {
      n = x;
      EXPECT_EQ(dec_round(&n, places), DEC_OK);
      EXPECT_EQ(image(n), image(x));
    }
    for (int places : {INT_MIN, INT_MIN + 1}) {
      n = x;
      EXPECT_EQ(dec_trunc(&n, places), DEC_OK);
      EXPECT_EQ(n.head, DEC_HEAD_ZERO);
      n = x;
      EXPECT_EQ(dec_round(&n, places), DEC_OK);
      EXPECT_EQ(n.head, DEC_HEAD_ZERO);
    }
  }
}

TEST(DecimalMath, SignNegationAndConstants) {
  dec_number n;
  math_zero(&n);
  EXPECT_EQ(n.head, DEC_HEAD_ZERO);
  EXPECT_EQ(math_sgn(&n), 0);
  dec_number m;
  math_neg(&n, &m);
  EXPECT_EQ(image(m), "00010000 0000000000000000");

  math_largest(&n);
  EXPECT_EQ(image(n), "0701003f 6363636363636300");
  EXPECT_EQ(math_sgn(&n), 1);
  math_neg(&n, &n);
  EXPECT_EQ(image(n), "0700003f 6363636363636300");
  EXPECT_EQ(math_sgn(&n), -1);

  math_from_int(-2147483648, &n);
  EXPECT_EQ(to_text(n, 12), "-2147483648");
  EXPECT_EQ(image(n), "05000005 152f302430000000");
}

TEST(DecimalMath, AdditionWithNullAndZero) {
  dec_number null_number, zero, x = parse("-12.5"), r;
  dec_set_null(&null_number);
  dec_set_zero(&zero);
  EXPECT_EQ(dec_add(&null_number, &x, &r), DEC_OK);
  EXPECT_TRUE(dec_is_null(&r));
  EXPECT_EQ(dec_add(&x, &null_number, &r), DEC_OK);
  EXPECT_TRUE(dec_is_null(&r));
  EXPECT_EQ(dec_add(&zero, &x, &r), DEC_OK);
  EXPECT_EQ(image(r), image(x));
  dec_number minus = parse("12.5");
  EXPECT_EQ(dec_add(&minus, &x, &r), DEC_OK);
  EXPECT_EQ(r.head, DEC_HEAD_ZERO);
}

TEST(DecimalMath, ErrorTexts) {
  EXPECT_STREQ(math_error_text(23), "Intermediate-precision overflow");
  EXPECT_STREQ(math_error_text(32), "String does not represent a valid number, or bad input");
  EXPECT_STREQ(math_error_text(204), "Conversion error");
  EXPECT_EQ(math_error_text(0), nullptr);
}

TEST(DecimalMathDeathTest, NullWhereAValueIsRequiredEndsTheProcess) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  dec_number null_number;
  dec_set_null(&null_number);
  const char* pattern = "fatal math error cc #-2\nfile = decimal.cpp, line = [0-9]+";
  EXPECT_EXIT(math_sgn(&null_number), testing::ExitedWithCode(3), pattern);
  EXPECT_EXIT(math_neg(&null_number, &null_number), testing::ExitedWithCode(3), pattern);
  EXPECT_EXIT(math_round_sig(&null_number, 12), testing::ExitedWithCode(3), pattern);
  EXPECT_EXIT(
      {
        char buf[DEC_TEXT_SIZE];
        math_to_text(&null_number, 12, buf, sizeof buf);
      },
      testing::ExitedWithCode(3), pattern);
}

}  // namespace
