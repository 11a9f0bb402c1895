// The list command line: usage and option errors, file naming, tags,
// referenced line numbers, program information, passwords, corrupt files and
// the cross reference.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport.h"

namespace {

using vtest::run;
using vtest::RunResult;

const char kUsage[] =
    "Usage: list [options] file\n"
    "options:\n"
    " -l      = list. This is the default unless -x is selected\n"
    " -n      = no line numbers (only referenced ones)\n"
    " -x[opt] = cross reference\n"
    "            l = labels/line numbers\n"
    "            c = constants\n"
    "            v = variables\n"
    "            s = subprograms / functions\n"
    "            o = order by name\n"
    "           Default -x options: lcvs\n"
    " -v      = Print additional information to stderr\n"
    "\n";

const char kProgram[] =
    "10 DIM A(3),S$[10]\n"
    "20 COM Keep\n"
    "30 DIM A(4)\n"
    "40 FOR I=1 TO 3\n"
    "50 A(I)=I*2\n"
    "60 NEXT I\n"
    "70 IF A(1)=2 THEN 40\n"
    "80 PRINT \"DONE\";S$\n";

struct ListTool : ::testing::Test {
  vtest::TempDir dir;

  // Stores a source text as dir/name.PROG with extra store options.
  void store(const std::string& name, const std::string& text, std::vector<std::string> opts = {}) {
    vtest::write_file(dir.file(name + ".txt"), text);
    opts.push_back("-o");
    opts.push_back(dir.file(name));
    opts.push_back(dir.file(name + ".txt"));
    RunResult r = run("store", opts);
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }
  RunResult list(std::vector<std::string> args) { return run("list", args); }
};

TEST_F(ListTool, UsageAndArgumentErrors) {
  RunResult r = list({});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(vtest::strip_banner(r.err, "LIST"), kUsage);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(vtest::strip_banner(list({"-help"}).err, "LIST"), kUsage);

  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  const Case cases[] = {
      {{"-c", "2", "p"}, "list: Bad charset\nlist: Illegal arguments\n"},
      {{"-xq", "p"}, "list: Illegal xref option -- q\nlist: Illegal arguments\n"},
      {{"-k", "p"}, "list: Illegal arguments\n"},
      {{"a", "b"}, "list: Illegal arguments\n"},
      {{"-l"}, "list: No inputfile specified\n"},
  };
  for (const Case& c : cases) {
    RunResult e = list(c.args);
    EXPECT_EQ(e.exit_code, 2) << c.err;
    EXPECT_EQ(vtest::strip_banner(e.err, "LIST"), c.err);
  }
}

TEST_F(ListTool, NamesWithAndWithoutSuffixOpenTheSameFile) {
  store("prog", kProgram);
  RunResult a = list({dir.file("prog")});
  RunResult b = list({dir.file("prog.PROG")});
  EXPECT_EQ(a.exit_code, 0) << a.err;
  EXPECT_EQ(a.out, kProgram);
  EXPECT_EQ(b.out, a.out);

  RunResult missing = list({dir.file("none")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(missing.err, "LIST"), dir.file("none.PROG") +
                                                          ": open failed: No such file or directory\n"
                                                          "list: Fatal error - terminated\n");
}

TEST_F(ListTool, TagsAndReferencedLineNumbers) {
  store("prog", "10 IF X=1 THEN 30\n20 PRINT \"A\";X ! note\n30 END\n");
  RunResult tags = list({"-C", dir.file("prog")});
  EXPECT_EQ(tags.out,
            "10 <P>IF </P><V>X</V><O>=</O><C>1</C><P> THEN </P><N>30</N>\n"
            "20 <P>PRINT </P><S>\"A\"</S><P>;</P><V>X</V> <R>! note</X>\n"
            "30 <P>END</P>\n");
  RunResult numbers = list({"-n", dir.file("prog")});
  // Lines without their number still start at their keyword column.
  EXPECT_EQ(numbers.out, "   IF X=1 THEN 30\n   PRINT \"A\";X ! note\n30 END\n");
}

TEST_F(ListTool, OutputCharacterSet) {
  // A Roman-8 character in a string of a program stored in Roman-8.
  store("prog", "10 PRINT \"\xC5\"\n");
  EXPECT_EQ(list({dir.file("prog")}).out, "10 PRINT \"\xC5\"\n");
  EXPECT_EQ(list({"-c", "0", dir.file("prog")}).out, "10 PRINT \"\xC5\"\n");
  RunResult iso = list({"-c", "1", dir.file("prog")});
  EXPECT_EQ(iso.exit_code, 0);
  EXPECT_EQ(iso.out, "10 PRINT \"\xE9\"\n");
}

TEST_F(ListTool, FailedWriteOnStandardOutputIsAFailure) {
  store("prog", kProgram);
  RunResult r = run("/bin/sh", {"-c", "\"$0\" \"$1\" >/dev/full", vtest::tool_path("list"), dir.file("prog")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("list: write failed: No space left on device\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("list: Fatal error - terminated\n"), std::string::npos) << r.err;
}

TEST_F(ListTool, VerboseInformationAndWordDump) {
  store("prog", "10 PRINT 1\n", {"-r", "2"});
  RunResult r = list({"-v", "-d", "-d", dir.file("prog")});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "10 PRINT 1\n");
  std::string err = vtest::strip_banner(r.err, "LIST");
  EXPECT_NE(err.find("Program Information:\nProgram format: 2\nByte order    : 4321\nCharset       : 0\n"
                     "Secured       : 0\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("Segment: main\ncodesz = "), std::string::npos) << err;
  EXPECT_NE(err.find("000a 0406 051d 08e9 8000 08c0\n"), std::string::npos) << err;
}

TEST_F(ListTool, PasswordProtectedPrograms) {
  store("prog", "10 PRINT 1\n", {"-r", "2", "-p", "secret"});
  RunResult none = list({dir.file("prog")});
  EXPECT_EQ(none.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(none.err, "LIST"), dir.file("prog.PROG") +
                                                       ": Sorry, program is protected and no password provided.\n"
                                                       "list: Fatal error - terminated\n");
  RunResult wrong = list({"-p", "guess", dir.file("prog")});
  EXPECT_EQ(wrong.exit_code, 1);
  EXPECT_NE(wrong.err.find("Sorry, wrong password."), std::string::npos);
  RunResult right = list({"-p", "secret", dir.file("prog")});
  EXPECT_EQ(right.exit_code, 0) << right.err;
  EXPECT_EQ(right.out, "10 PRINT 1\n");
}

TEST_F(ListTool, CorruptFilesFailWithTheReadersMessage) {
  store("prog", kProgram);
  std::string bytes = vtest::read_file(dir.file("prog.PROG"));
  vtest::write_file(dir.file("cut.PROG"), bytes.substr(0, bytes.size() / 2));
  vtest::write_file(dir.file("junk.PROG"), std::string(7, '\xFF'));
  for (const char* name : {"cut", "junk"}) {
    RunResult r = list({dir.file(name)});
    EXPECT_EQ(r.exit_code, 1) << name;
    std::string err = vtest::strip_banner(r.err, "LIST");
    EXPECT_EQ(err.rfind(dir.file(name) + ".PROG: ", 0), 0u) << err;
    EXPECT_NE(err.find("list: Fatal error - terminated\n"), std::string::npos) << err;
  }
}

TEST_F(ListTool, CrossReference) {
  store("prog", kProgram);
  const char kXref[] =
      "Segment: main\n"
      "Symbol           Type  References\n"
      "---------------- -------------------------------------------------------\n"
      "\n1                CONST     40     70"
      "\n2                CONST     50     70"
      "\n3                CONST     40"
      "\n40               LINE      70"
      "\nS$               X        -10     80"
      "\nI                R     ** referenced but undeclared\n"
      "                          40     50     60"
      "\nKeep             R        -20"
      "\nA                R(1)  ** declared multiple\n"
      "                         -10    -30     50     70"
      "\n";
  RunResult only = list({"-x", dir.file("prog")});
  EXPECT_EQ(only.exit_code, 0) << only.err;
  EXPECT_EQ(only.out, kXref);
  RunResult both = list({"-x", "-l", dir.file("prog")});
  EXPECT_EQ(both.out, std::string(kProgram) + kXref);
  // Only variables, ordered by name.
  RunResult vars = list({"-xvo", dir.file("prog")});
  EXPECT_EQ(vars.out,
            "Segment: main\n"
            "Symbol           Type  References\n"
            "---------------- -------------------------------------------------------\n"
            "\nA                R(1)  ** declared multiple\n"
            "                         -10    -30     50     70"
            "\nI                R     ** referenced but undeclared\n"
            "                          40     50     60"
            "\nKeep             R        -20"
            "\nS$               X        -10     80"
            "\n");
}

}  // namespace
