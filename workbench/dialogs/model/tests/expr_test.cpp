// The expression evaluator: values, operator rules and every error.
#include "workbench/dialogs/model/expr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

int Lookup(const char* name, double* value, void*) {
  if (std::strcmp(name, "w") == 0) {
    *value = 7.0;
    return 0;
  }
  if (std::strcmp(name, "long_name_2") == 0) {
    *value = 2.0;
    return 0;
  }
  return 1;
}

struct ValueCase {
  const char* text;
  double value;
};

TEST(ExprEval, Values) {
  const ValueCase cases[] = {
      {"1,5*2", 3.0},   {".5", 0.5},    {"2<3", 1.0},      {"2<>2", 0.0}, {"1+2=3", 1.0},   {"-2*3", -6.0},
      {"-2+3", 1.0},    {"+4", 4.0},    {"  7 ", 7.0},     {"10/4", 2.5}, {"(1+2)*3", 9.0}, {"1+2*3", 7.0},
      {"8-3-2", 3.0},   {"3>=3", 1.0},  {"2>3", 0.0},      {"3<=2", 0.0}, {"w*2", 14.0},    {"long_name_2+w", 9.0},
      {"-(2+3)", -5.0}, {"1<2<3", 1.0}, {"0.25+,25", 0.5}, {"12.", 12.0},
  };
  for (const ValueCase& c : cases) {
    double result = -99.0;
    const char* error = expr_eval(c.text, &result, Lookup, nullptr);
    EXPECT_EQ(error, nullptr) << c.text << ": " << (error ? error : "");
    EXPECT_DOUBLE_EQ(result, c.value) << c.text;
  }
}

struct ErrorCase {
  const char* text;
  int code;
  const char* message;  // null: only the code is checked
};

TEST(ExprEval, ErrorsLeaveTheResultAlone) {
  const std::string deep = std::string(60, '(') + "1" + std::string(60, ')');
  std::string long_sum = "1";
  for (int i = 0; i < 50; ++i) long_sum += "+1";  // 101 items
  std::string fits = "1";
  for (int i = 0; i < 49; ++i) fits += "+1";  // 99 items
  const std::string long_number(64, '1');
  const std::string long_symbol = "w" + std::string(63, 'x');
  const ErrorCase cases[] = {
      {"(1+2", 4, "Braces in expression are not balanced."},
      {"1+", 2, "Syntax error in expression."},
      {"1 2", 1, "Illegal character '2' in expression."},
      {"1)", 1, "Illegal character ')' in expression."},
      {"4/(2-2)", 5, "Division by zero in expression."},
      {long_sum.c_str(), 3, "Expression stack overflow."},
      {"x", 2, nullptr},
      {"$", 1, "Illegal character '$' in expression."},
      {"2*$", 1, "Illegal character '$' in expression."},
      {"", 2, nullptr},
      {"()", 2, nullptr},
      {"1..2", 1, nullptr},
      {long_number.c_str(), 2, nullptr},
      {long_symbol.c_str(), 2, nullptr},
      {"1=", 2, nullptr},
  };
  for (const ErrorCase& c : cases) {
    double result = -99.0;
    const char* error = expr_eval(c.text, &result, Lookup, nullptr);
    ASSERT_NE(error, nullptr) << c.text;
    EXPECT_EQ(expr_error_code(error), c.code) << c.text << ": " << error;
    if (c.message) {
      EXPECT_STREQ(error, c.message) << c.text;
    }
    EXPECT_EQ(result, -99.0) << c.text;
  }
  double result = 0.0;
  EXPECT_EQ(expr_eval(fits.c_str(), &result, nullptr, nullptr), nullptr);
  EXPECT_EQ(result, 50.0);
  EXPECT_EQ(expr_eval(deep.c_str(), &result, nullptr, nullptr), nullptr);
}

TEST(ExprEval, SymbolWithoutLookupIsASyntaxError) {
  double result = 0.0;
  EXPECT_STREQ(expr_eval("w", &result, nullptr, nullptr), "Syntax error in expression.");
  EXPECT_EQ(expr_error_code(nullptr), 0);
  EXPECT_EQ(expr_error_code("something else"), 0);
}

TEST(ExprEval, LookupSeesItsContextAndTheWholeName) {
  struct Seen {
    std::string name;
    int calls = 0;
  } seen;
  auto lookup = [](const char* name, double* value, void* context) -> int {
    auto* s = static_cast<Seen*>(context);
    s->name = name;
    s->calls++;
    *value = 3.0;
    return 0;
  };
  double result = 0.0;
  EXPECT_EQ(expr_eval("Ab_9*2", &result, lookup, &seen), nullptr);
  EXPECT_EQ(seen.name, "Ab_9");
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(result, 6.0);
}

TEST(ExprToInt32, OnlyFiniteValuesThatFit) {
  struct Case {
    double value;
    int ok;
    int32_t out;
  } cases[] = {
      {2.9, 0, 2},
      {-2.9, 0, -2},
      {2147483647.5, 0, INT32_MAX},
      {-2147483648.9, 0, INT32_MIN},
      {2147483648.0, -1, 77},
      {-2147483649.0, -1, 77},
      {INFINITY, -1, 77},
      {NAN, -1, 77},
  };
  for (const Case& c : cases) {
    int32_t out = 77;
    EXPECT_EQ(expr_to_int32(c.value, &out), c.ok) << c.value;
    EXPECT_EQ(out, c.out) << c.value;
  }
}

TEST(ExprEval, NumbersDoNotDependOnTheLocale) {
  // The value is built digit by digit: "1.5" is one and a half even where
  // the C library's decimal point is a comma.
  double result = 0.0;
  ASSERT_EQ(expr_eval("1.5+0,25", &result, nullptr, nullptr), nullptr);
  EXPECT_DOUBLE_EQ(result, 1.75);
  ASSERT_EQ(expr_eval("0.1*3", &result, nullptr, nullptr), nullptr);
  EXPECT_DOUBLE_EQ(result, 0.1 * 3);
}

}  // namespace
