#include "workbench/base/diag.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/testsupport.h"
#include "workbench/base/tests/shelltest.h"

namespace {

class Diag : public ::testing::Test {
 protected:
  void SetUp() override { Diag_Reset(); }
  void TearDown() override { Diag_Reset(); }

  // Reads what was written to a log stream so far.
  static std::string contents(FILE* f) {
    fflush(f);
    long end = ftell(f);
    std::string text(static_cast<size_t>(end), '\0');
    rewind(f);
    size_t n = fread(text.data(), 1, text.size(), f);
    text.resize(n);
    fseek(f, 0, SEEK_END);
    return text;
  }

  RecordingSink sink;
};

TEST_F(Diag, FlagsSetLevelsPerLetter) {
  struct Case {
    const char* flags;
    int letter;
    int level;
    bool enabled;
  };
  const Case cases[] = {
      {"Q", 'Q', 1, true},     {"Q", 'Q', 2, false},   {"Q", 'A', 1, false},   {"Q0", 'Q', 1, false},
      {"q5", 'Q', 1, false},   {"*1Q5", 'Q', 5, true}, {"*1Q5", 'A', 1, true}, {"*1Q5", 'A', 2, false},
      {"Q5*1", 'Q', 2, false}, {"*", 'Z', 1, true},    {"x9S3", 'S', 3, true}, {"A300", 'A', 44, true},
      {"A200", 'A', 1, false}, {"", 'S', 0, true},     {"*9", '@', 0, false},  {"*9", 'a', 0, false},
  };
  for (const Case& c : cases) {
    Diag_Setup(c.flags, nullptr);
    EXPECT_EQ(Diag_TraceEnabled(c.letter, c.level), c.enabled)
        << "flags " << c.flags << " letter " << char(c.letter) << " level " << c.level;
  }
}

TEST_F(Diag, TracesGoToTheLogOrTheDebuggerOutput) {
  Diag_Setup("Q2", nullptr);
  Diag_Trace('Q', 2, "\nstep %d", 7);
  Diag_Trace('Q', 3, "not shown");
  EXPECT_EQ(sink.debug, "\nQ2: step 7\n");

  FILE* log = tmpfile();
  ASSERT_NE(log, nullptr);
  Diag_Setup("Q2", log);
  std::string header = contents(log);
  EXPECT_EQ(header.rfind("\n** ", 0), 0u);
  EXPECT_NE(header.find("   Flags = [Q2]\n\n"), std::string::npos);
  Diag_Trace('Q', 1, "\nrun %s", "x");
  Diag_WriteLog("plain");
  EXPECT_EQ(contents(log).substr(header.size()), "\nQ1: run x\nplain\n");
  EXPECT_EQ(sink.debug, "\nQ2: step 7\n");
}

TEST_F(Diag, ErrorBoxesShowLinesAndLogOneLine) {
  Diag_Setup("", nullptr);
  Diag_GeneralFailure("first\nsecond\nthird %d", 3);
  Diag_ErrorBox("Open File [3]", "Cannot open %s", "a.prog");
  ASSERT_EQ(sink.boxes.size(), 2u);
  EXPECT_EQ(sink.boxes[0].caption, "General Failure");
  EXPECT_EQ(sink.boxes[0].text, "first\nsecond\nthird 3");
  EXPECT_TRUE(sink.boxes[0].style & SHELL_MB_ICONSTOP);
  EXPECT_EQ(sink.boxes[1].caption, "Open File [3]");
  EXPECT_EQ(sink.debug, "*** General Failure: first second third 3\n*** Open File [3]: Cannot open a.prog\n");

  Diag_SetQuiet(1);
  Diag_ErrorBox("Explorer [1]", "quiet");
  EXPECT_EQ(sink.boxes.size(), 2u);
  EXPECT_NE(sink.debug.find("*** Explorer [1]: quiet\n"), std::string::npos);
}

TEST_F(Diag, HexDumpFillsTheLastLine) {
  unsigned char data[17];
  for (int i = 0; i < 16; ++i) data[i] = static_cast<unsigned char>('A' + i);
  data[3] = 0x0A;
  data[4] = 0x7F;
  data[5] = 0xE9;
  data[16] = 'z';
  Diag_HexDump("reply", data, 17);
  EXPECT_EQ(sink.debug,
            "(17 bytes) reply\n"
            "000: 41 42 43 0a 7f e9 47 48 49 4a 4b 4c 4d 4e 4f 50 |ABC...GHIJKLMNOP|\n"
            "010: 7a" +
                std::string(45, ' ') + " |z|\n");
  sink.debug.clear();
  Diag_HexDump("none", data, 0);
  EXPECT_EQ(sink.debug, "(0 bytes) none\n");
}

class DiagFatal : public Diag {
 protected:
  void SetUp() override {
    Diag::SetUp();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    saved = cwd;
  }
  void TearDown() override {
    EXPECT_EQ(chdir(saved.c_str()), 0);
    Diag::TearDown();
  }
  int fatal() {
    try {
      Diag_Fatal("Bad state %d\nin %s", 5, "editor");
    } catch (const ProcessEnded& end) {
      return end.code;
    }
    return -1;
  }
  std::string saved;
  vtest::TempDir dir;
};

TEST_F(DiagFatal, WritesTheCrashLogAndOpensIt) {
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  Diag_Setup("", nullptr);
  ASSERT_EQ(chdir("/"), 0);  // the path stays where it was first taken
  Diag_Setup("", nullptr);
  EXPECT_EQ(fatal(), 1);

  std::string path = Diag_CrashLogPath();
  EXPECT_EQ(path.substr(path.size() - 13), "/CrashLog.txt");
  std::string log = vtest::read_file(dir.file("CrashLog.txt"));
  EXPECT_EQ(log.rfind("QX Varnica IDE Crash Log from ", 0), 0u);
  EXPECT_NE(log.find("\n\nBad state 5\nin editor\n\nTo be able to reproduce this failure, it would be\n"
                     "very helpful if you briefly describe the situation\n"
                     "before the error occurred. Thank you very much.\n"),
            std::string::npos);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].caption, "Fatal Error");
  EXPECT_NE(sink.boxes[0].text.find("logged to the file\n   " + path + "\n\nWhen you press"), std::string::npos);
  EXPECT_EQ(sink.opened, std::vector<std::string>{path});

  sink.open_result = false;
  EXPECT_EQ(fatal(), 1);
  ASSERT_EQ(sink.boxes.size(), 3u);
  EXPECT_NE(sink.boxes[2].text.find("could not be opened automatically"), std::string::npos);
  EXPECT_NE(sink.boxes[2].text.find("The name of the file is:\n   " + path), std::string::npos);
}

TEST_F(DiagFatal, WithoutACrashLogTheConditionIsShown) {
  std::string gone = dir.file("gone");
  ASSERT_EQ(mkdir(gone.c_str(), 0700), 0);
  ASSERT_EQ(chdir(gone.c_str()), 0);
  Diag_Setup("", nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  ASSERT_EQ(rmdir(gone.c_str()), 0);
  EXPECT_EQ(fatal(), 1);
  ASSERT_EQ(sink.boxes.size(), 1u);
  const std::string& text = sink.boxes[0].text;
  EXPECT_EQ(text.rfind("A fatal error occurred which will cause the program to abort immediately.\n\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 40), "\n\nError Condition:\nBad state 5\nin editor");
  EXPECT_TRUE(sink.opened.empty());

  Diag_Reset();  // no set-up at all: no path
  sink.boxes.clear();
  EXPECT_EQ(fatal(), 1);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_NE(sink.boxes[0].text.find("Error Condition:\nBad state 5"), std::string::npos);
}

}  // namespace
