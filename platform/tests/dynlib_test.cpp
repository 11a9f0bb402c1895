// The dynamic-library layer: opening, symbols, the loader's error text and
// the module path of an address.
#include "platform/dynlib.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

namespace {

int local_function() { return 7; }

TEST(DynLib, OpensAModuleAndFindsItsSymbols) {
  DynLib lib = dynlib_open("libm.so.6");
  ASSERT_NE(lib, nullptr) << dynlib_error();
  void* cosine = dynlib_symbol(lib, "cos");
  ASSERT_NE(cosine, nullptr);
  EXPECT_NE(dynlib_module_path(cosine).find("libm"), std::string::npos);
  EXPECT_EQ(dynlib_symbol(lib, "no_such_symbol_here"), nullptr);
  EXPECT_NE(dynlib_error().find("no_such_symbol_here"), std::string::npos);
  EXPECT_EQ(dynlib_close(lib), 0);
}

TEST(DynLib, AFailedOpenTellsThePathAndTheReason) {
  EXPECT_EQ(dynlib_open("/nonexistent/ide-x.so"), nullptr);
  EXPECT_NE(dynlib_error().find("/nonexistent/ide-x.so"), std::string::npos);
  EXPECT_EQ(dynlib_open(""), nullptr);
  EXPECT_FALSE(dynlib_error().empty());
  EXPECT_EQ(dynlib_close(nullptr), 0);
}

TEST(DynLib, ModulePathOfTheProgramItself) {
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  EXPECT_EQ(dynlib_module_path(reinterpret_cast<const void*>(&local_function)), std::string(self));
  EXPECT_EQ(local_function(), 7);
  EXPECT_EQ(dynlib_module_path(nullptr), "");
}

}  // namespace
