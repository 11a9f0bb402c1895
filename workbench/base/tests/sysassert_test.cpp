#include "workbench/base/sysassert.h"

#include <gtest/gtest.h>

#include "workbench/base/diag.h"
#include "workbench/base/sysutil.h"
#include "workbench/base/tests/shelltest.h"

namespace {

TEST(SysAssert, FatalHandlerShowsFileNameOnlyAndEndsWithCode1) {
  RecordingSink sink;
  Diag_Reset();
  Diag_Setup("S0", nullptr);
  try {
    Sys_AssertFailed("!m_pMainFrame", "C:\\src\\shell\\mainfrm.cpp", 42);
    FAIL() << "returned";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.code, 1);
  }
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text,
            "Assertion Failed:\n\n!m_pMainFrame\nFile \"mainfrm.cpp\", line 42\n\n"
            "The program will be aborted immediately.");
  EXPECT_TRUE(sink.boxes[0].style & SHELL_MB_ICONSTOP);
  EXPECT_EQ(sink.boxes[0].caption, "tessarine");
  EXPECT_EQ(sink.debug, "S0: Assertion failed: !m_pMainFrame, file mainfrm.cpp, line 42\n");
  Diag_Reset();
}

TEST(SysAssert, ThrowingHandlerAndMacro) {
  SysAssertHandler previous = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  int value = 3;
  EXPECT_NO_THROW(SYS_ASSERT(value == 3));
  try {
    SYS_ASSERT(!"index out of range");
    FAIL() << "no throw";
  } catch (const SysAssertError& e) {
    EXPECT_EQ(e.expr, "!\"index out of range\"");
    EXPECT_EQ(e.file, "sysassert_test.cpp");
  }
  Sys_SetAssertHandler(previous);
}

TEST(SysAssert, SecondMainWindowIsACheckFailure) {
  SysAssertHandler previous = Sys_SetAssertHandler(Sys_ThrowAssertHandler);
  int a = 0, b = 0;
  Sys_ClearMainWindow();
  Sys_SetMainWindow(&a);
  EXPECT_EQ(Sys_GetMainWindow(), &a);
  try {
    Sys_SetMainWindow(&b);
    FAIL() << "no throw";
  } catch (const SysAssertError& e) {
    EXPECT_EQ(e.expr, "!hwndMain");
  }
  Sys_ClearMainWindow();
  Sys_SetAssertHandler(previous);
}

}  // namespace
