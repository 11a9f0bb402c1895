#include "language/store_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct ReadResult {
  StoreReadStatus status;
  std::string text;
};

// Reads every line of `bytes` through a memory stream.
std::vector<ReadResult> read_all(const std::string& bytes) {
  std::vector<ReadResult> result;
  FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
  if (bytes.empty()) in = fopen("/dev/null", "r");
  EXPECT_NE(in, nullptr);
  StoreSourceLine line;
  for (;;) {
    StoreReadStatus s = store_read_line(in, &line);
    if (s == STORE_READ_END) break;
    result.push_back({s, std::string(line.text, line.length)});
    if (s == STORE_READ_ERROR) break;
  }
  std::fclose(in);
  return result;
}

TEST(StoreReadLine, LineEnds) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty input", "", {}},
      {"plain lines", "10 A=1\n20 END\n", {"10 A=1", "20 END"}},
      {"last line without line end", "10 A=1\n20 END", {"10 A=1", "20 END"}},
      {"CR before LF dropped", "10 A=1\r\n\r\n20 END\r\n", {"10 A=1", "", "20 END"}},
      {"CR elsewhere kept", "A\rB\n", {"A\rB"}},
      {"empty lines counted", "\n\nX\n", {"", "", "X"}},
  };
  for (const Case& c : cases) {
    std::vector<ReadResult> got = read_all(c.bytes);
    ASSERT_EQ(got.size(), c.lines.size()) << c.what;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].status, STORE_READ_LINE) << c.what;
      EXPECT_EQ(got[i].text, c.lines[i]) << c.what;
    }
  }
}

TEST(StoreReadLine, LengthLimitReportsOnceAndDropsTheRest) {
  const std::string longest(STORE_LINE_MAX, 'a');
  // The longest line fits, also with CR LF after it.
  for (const std::string& end : {std::string("\n"), std::string("\r\n"), std::string()}) {
    std::vector<ReadResult> got = read_all(longest + end + (end.empty() ? "" : "next\n"));
    ASSERT_EQ(got.size(), end.empty() ? 1u : 2u);
    EXPECT_EQ(got[0].status, STORE_READ_LINE);
    EXPECT_EQ(got[0].text.size(), std::size_t(STORE_LINE_MAX));
  }
  // One more character, or a line many times too long: one report, and the
  // rest of that line never comes back as a line of its own.
  for (std::size_t extra : {std::size_t(1), std::size_t(3000)}) {
    std::string bytes = longest + std::string(extra, 'b') + "\nnext\n";
    std::vector<ReadResult> got = read_all(bytes);
    ASSERT_EQ(got.size(), 2u) << extra;
    EXPECT_EQ(got[0].status, STORE_READ_TOO_LONG);
    EXPECT_EQ(got[0].text, longest);
    EXPECT_EQ(got[1].status, STORE_READ_LINE);
    EXPECT_EQ(got[1].text, "next");
  }
  // Too long and ending without a line end.
  std::vector<ReadResult> got = read_all(longest + "bb");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].status, STORE_READ_TOO_LONG);
}

TEST(StoreReadLine, ReadFailureIsReported) {
  FILE* in = std::fopen("/", "r");  // a folder: reading it fails
  ASSERT_NE(in, nullptr);
  StoreSourceLine line;
  EXPECT_EQ(store_read_line(in, &line), STORE_READ_ERROR);
  std::fclose(in);
}

TEST(StorePosition, DirectiveMovesTheNextLine) {
  StorePosition pos;
  EXPECT_EQ(store_position_next(&pos), 1);
  EXPECT_EQ(store_position_next(&pos), 2);
  store_position_set(&pos, 40);
  EXPECT_EQ(store_position_next(&pos), 40);
  EXPECT_EQ(store_position_next(&pos), 41);
}

TEST(StoreControlParse, Lines) {
  struct Case {
    const char* text;
    StoreControlKind kind;
    long number;
    long increment;
    const char* name;     // null: no name
    const char* message;  // for errors
  } cases[] = {
      {"10 PRINT 1", STORE_CTL_NONE, 0, 0, nullptr, nullptr},
      {" # 40", STORE_CTL_NONE, 0, 0, nullptr, nullptr},
      {"# 40", STORE_CTL_POSITION, 40, 0, nullptr, nullptr},
      {"#40 lib/part.txt", STORE_CTL_POSITION, 40, 0, "lib/part.txt", nullptr},
      {"# 7 \"a b\" 3", STORE_CTL_POSITION, 7, 0, "\"a", nullptr},
      {"#", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
      {"# x 40", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
      {"# 99999999999", STORE_CTL_ERROR, 0, 0, nullptr, "Bad line number"},
      {"$LINE100", STORE_CTL_LINE, 100, 10, nullptr, nullptr},
      {"$LINE100,5", STORE_CTL_LINE, 100, 5, nullptr, nullptr},
      {"$LINE 100, 5", STORE_CTL_LINE, 100, 5, nullptr, nullptr},
      {"$LINE100 ,5", STORE_CTL_LINE, 100, 10, nullptr, nullptr},
      {"$LINE100,x", STORE_CTL_LINE, 100, 10, nullptr, nullptr},
      {"$LINE32767,1", STORE_CTL_LINE, 32767, 1, nullptr, nullptr},
      {"$LINE0", STORE_CTL_ERROR, 0, 0, nullptr, "Bad line number"},
      {"$LINE-5,1", STORE_CTL_ERROR, 0, 0, nullptr, "Bad line number"},
      {"$LINE32768", STORE_CTL_ERROR, 0, 0, nullptr, "Bad line number"},
      {"$LINE10,0", STORE_CTL_ERROR, 0, 0, nullptr, "Bad line increment"},
      {"$LINE10,-2", STORE_CTL_ERROR, 0, 0, nullptr, "Bad line increment"},
      {"$LINE", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
      {"$line100", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
      {"$TAB4", STORE_CTL_TAB, 4, 0, nullptr, nullptr},
      {"$TAB 0", STORE_CTL_TAB, 0, 0, nullptr, nullptr},
      {"$TAB99", STORE_CTL_TAB, 99, 0, nullptr, nullptr},
      {"$TAB", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
      {"$", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
      {"$PAGE", STORE_CTL_ERROR, 0, 0, nullptr, "Unknown control directive"},
  };
  for (const Case& c : cases) {
    StoreControl ctl = store_control_parse(c.text, std::strlen(c.text));
    EXPECT_EQ(ctl.kind, c.kind) << c.text;
    if (ctl.kind != c.kind) continue;
    switch (c.kind) {
      case STORE_CTL_POSITION:
        EXPECT_EQ(ctl.number, c.number) << c.text;
        EXPECT_EQ(ctl.has_name, c.name != nullptr) << c.text;
        if (c.name) {
          EXPECT_EQ(ctl.name, c.name) << c.text;
        }
        break;
      case STORE_CTL_LINE:
        EXPECT_EQ(ctl.number, c.number) << c.text;
        EXPECT_EQ(ctl.increment, c.increment) << c.text;
        break;
      case STORE_CTL_TAB: EXPECT_EQ(ctl.number, c.number) << c.text; break;
      case STORE_CTL_ERROR: EXPECT_STREQ(ctl.message, c.message) << c.text; break;
      case STORE_CTL_NONE: break;
    }
  }
}

TEST(StoreControlParse, LengthBoundsTheScan) {
  // The number stops where the given length ends, not at a later NUL.
  const char text[] = "$LINE12345";
  StoreControl ctl = store_control_parse(text, 7);
  ASSERT_EQ(ctl.kind, STORE_CTL_LINE);
  EXPECT_EQ(ctl.number, 12);
}

TEST(StoreExpandTabs, Columns) {
  struct Case {
    std::string in;
    long width;
    std::string out;
  } cases[] = {
      {"1234567\tX", 8, "1234567 X"},
      {"12345678\tX", 8, "12345678        X"},
      {"\tX", 8, "        X"},
      {"A\t\tB", 4, "A       B"},
      {"A\tB", 1, "A B"},
      {"A\tB", 0, "A\tB"},
      {"A\tB", -3, "A\tB"},
      {"no tabs", 8, "no tabs"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_TRUE(store_expand_tabs(c.in.data(), c.in.size(), c.width, &out)) << c.in;
    EXPECT_EQ(out, c.out) << c.in << " width " << c.width;
  }
}

TEST(StoreExpandTabs, LimitAfterExpansion) {
  std::string out;
  // 505 characters and a tab run to column 512: too long.
  std::string in = std::string(505, 'x') + "\t";
  EXPECT_FALSE(store_expand_tabs(in.data(), in.size(), 8, &out));
  // 502 characters and a tab land at 504.. exactly 510 with six more characters.
  in = std::string(502, 'x') + "\t" + "123456";
  ASSERT_TRUE(store_expand_tabs(in.data(), in.size(), 8, &out));
  EXPECT_EQ(out.size(), std::size_t(STORE_LINE_MAX));
  in += "7";
  EXPECT_FALSE(store_expand_tabs(in.data(), in.size(), 8, &out));
  // A huge width never allocates its spaces.
  in = "A\tB";
  EXPECT_FALSE(store_expand_tabs(in.data(), in.size(), 2000000000L, &out));
}

TEST(StoreCutExtension, Names) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"prog.txt", "prog"},
      {"prog", "prog"},
      {"a.b.c", "a.b"},
      {"dir.d/prog", "dir.d/prog"},
      {"dir.d/prog.src", "dir.d/prog"},
      {"./prog", "./prog"},
      {".hidden", ""},
  };
  for (const Case& c : cases) {
    std::string name = c.in;
    store_cut_extension(&name);
    EXPECT_EQ(name, c.out) << c.in;
  }
}

TEST(StoreErrorReport, BothForms) {
  const std::string line = "10 PRINT (1";
  EXPECT_EQ(
      store_error_report(STORE_ERRORS_MULTI_LINE, "store", line.data(), line.size(), "SYNTAX ERROR", 11, "prog", 10),
      "10 PRINT (1\n           ^\nSYNTAX ERROR\nstore: prog, line 10\n");
  EXPECT_EQ(
      store_error_report(STORE_ERRORS_MULTI_LINE, "store", line.data(), line.size(), "SYNTAX ERROR", 0, "prog", 3),
      "10 PRINT (1\n^\nSYNTAX ERROR\nstore: prog, line 3\n");
  EXPECT_EQ(store_error_report(STORE_ERRORS_MULTI_LINE, "store", "$X", 2, "Unknown control directive", -1, "stdin", 7),
            "$X\nUnknown control directive\nstore: stdin, line 7\n");
  EXPECT_EQ(
      store_error_report(STORE_ERRORS_ONE_LINE, "store", line.data(), line.size(), "SYNTAX ERROR", 11, "prog", 10),
      "store: prog, line 10: SYNTAX ERROR\n");
}

}  // namespace
