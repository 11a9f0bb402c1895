// The store command line: usage, option errors, source reading, control
// lines and error reports, the listing and checked output.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

using vtest::run;
using vtest::RunOptions;
using vtest::RunResult;

const char kUsage[] =
    "Usage: store [options] inputfile\n"
    "options:\n"
    " -help                 = show usage (this list)\n"
    " -o file               = specify output filename.\n"
    "                         (this is required if reading from stdin)\n"
    " -n                    = don't create output file\n"
    " -e                    = change error message form\n"
    " -v       --verbose    = Verbose. Output source lines\n"
    " -s       --sd         = Use space dependent mode\n"
    " -t wdth  --tab wdth   = tab width\n"
    " -f lno   --fline lno  = first line number (default is 1)\n"
    " -i int   --inc inc    = line number increment (default is 1)\n"
    " -r rev   --rev rev    = use specified program format (default is 0)\n"
    "                         (0 = compatible, 1 = A.05.01, 2 = A.06.00)\n"
    " -p pswd  --pswd pswd  = specifiy program password\n"
    "Specifying '-' as inputfile will force reading from stdin\n"
    "\n";

// Runs store over a source given on standard input.
RunResult store_stdin(const std::string& source, std::vector<std::string> args) {
  RunOptions options;
  options.input = source;
  args.push_back("-");
  return run("store", args, options);
}

TEST(StoreTool, UsageOnStandardError) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"-help"}}) {
    RunResult r = run("store", args);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(vtest::strip_banner(r.err, "STORE"), kUsage);
  }
}

TEST(StoreTool, VersionShowsTheBanner) {
  RunResult r = run("store", {"-version"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"), "");
}

TEST(StoreTool, CommandLineErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string err;  // after the banner; a leading '~' matches the end only
  } cases[] = {
      {{"-f", "0", "x"}, "store: Bad line number\nstore: Illegal arguments\n"},
      {{"--fline=32768", "x"}, "store: Bad line number\nstore: Illegal arguments\n"},
      {{"-f", "abc", "x"}, "store: Bad line number\nstore: Illegal arguments\n"},
      {{"-i", "101", "x"}, "store: Bad line increment\nstore: Illegal arguments\n"},
      {{"--inc", "0", "x"}, "store: Bad line increment\nstore: Illegal arguments\n"},
      {{"-t", "21", "x"}, "store: Bad tab width\nstore: Illegal arguments\n"},
      {{"--tab", "-1", "x"}, "store: Bad tab width\nstore: Illegal arguments\n"},
      {{"-r", "3", "x"}, "store: Bad file format revision\nstore: Illegal arguments\n"},
      {{"-f", "99999999999", "x"}, "store: Bad line number\nstore: Illegal arguments\n"},
      // Parsing goes on after a bad value: every one is reported.
      {{"-t", "21", "-r", "9", "x"},
       "store: Bad tab width\nstore: Bad file format revision\nstore: Illegal arguments\n"},
      {{"-w", "z4", "x"}, "store: Illegal arguments\n"},
      {{"a", "b"}, "store: Illegal arguments\n"},
      {{"-x", "a"}, "~store: Illegal arguments\n"},
      {{"-n"}, "store: No inputfile specified\n"},
      {{"-"}, "store: Must specify outfile if reading from stdin\n"},
      {{"-v", "-"}, "store: Must specify outfile if reading from stdin\n"},
  };
  for (const Case& c : cases) {
    RunResult r = run("store", c.args);
    std::string what = c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "");
    EXPECT_EQ(r.exit_code, 2) << what;
    EXPECT_EQ(r.out, "") << what;
    std::string err = vtest::strip_banner(r.err, "STORE");
    if (c.err[0] == '~') {
      std::string tail = c.err.substr(1);
      EXPECT_GT(err.size(), tail.size()) << what << ": getopt says what was wrong";
      EXPECT_EQ(err.substr(err.size() - std::min(err.size(), tail.size())), tail) << what;
      EXPECT_NE(err.find("store: "), std::string::npos) << err;
    } else {
      EXPECT_EQ(err, c.err) << what;
    }
  }
}

TEST(StoreTool, GoodOptionValuesAreAccepted) {
  // Borders of every range, -w z3, -c with its ignored argument, long forms.
  RunResult r = store_stdin(
      "", {"-n",       "-f",     "32767",     "-i",       "100",       "-t",    "0",       "-r",    "2",
           "-w",       "z3",     "-c",        "anything", "--charset", "-b",    "-s",      "-e",    "--rev=1",
           "--pswd",   "secret", "-p",        "x",        "--fline",   "1",     "--inc=1", "--tab", "20",
           "--border", "--sd",   "--verbose", "--debug",  "--hex",     "--list"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
}

TEST(StoreTool, UnreadableInputIsAFailure) {
  vtest::TempDir dir;
  RunResult r = run("store", {dir.file("missing.txt")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"), dir.file("missing.txt") + ": No such file or directory\n");

  // A folder opens but cannot be read.
  r = run("store", {"-n", dir.path()});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"),
            "store: " + dir.path() + ": Is a directory\nstore: Unable to read source\n");
}

TEST(StoreTool, NoOutputWithoutErrors) {
  // Empty lines and good control lines only: nothing reaches the compiler.
  RunResult r = store_stdin("\n$LINE100,5\n\n$TAB4\n# 7 other\n\r\n", {"-n"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"), "no output file created\n");
}

TEST(StoreTool, ControlLineErrorsWithoutCaret) {
  const std::string source =
      "\n"
      "$PAGE\n"       // line 2
      "#\n"           // line 3
      "$LINE0\n"      // line 4
      "$LINE10,-1\n"  // line 5
      "# 40 lib.txt\n"
      "$TAB\n";  // line 40 of lib.txt
  RunResult r = store_stdin(source, {"-n"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"),
            "$PAGE\nUnknown control directive\nstore: stdin, line 2\n"
            "#\nUnknown control directive\nstore: stdin, line 3\n"
            "$LINE0\nBad line number\nstore: stdin, line 4\n"
            "$LINE10,-1\nBad line increment\nstore: stdin, line 5\n"
            "$TAB\nUnknown control directive\nstore: lib.txt, line 40\n"
            "\n5 errors - no output file created\n");

  r = store_stdin(source, {"-n", "-e"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"),
            "store: stdin, line 2: Unknown control directive\n"
            "store: stdin, line 3: Unknown control directive\n"
            "store: stdin, line 4: Bad line number\n"
            "store: stdin, line 5: Bad line increment\n"
            "store: lib.txt, line 40: Unknown control directive\n"
            "\n5 errors - no output file created\n");
}

TEST(StoreTool, OverlongLineIsReportedOnce) {
  const std::string longline(600, 'A');
  RunResult r = store_stdin(longline + "\n$BAD\n", {"-n", "-e"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"),
            "store: stdin, line 1: Line too long\n"
            "store: stdin, line 2: Unknown control directive\n"
            "\n2 errors - no output file created\n");
}

TEST(StoreTool, MessagesNameTheInputWithoutExtension) {
  vtest::TempDir dir;
  struct Case {
    std::string file;  // created in the folder
    std::vector<std::string> options;
    std::string shown;  // name in messages
  } cases[] = {
      {"prog.txt", {}, "prog"},
      {"plain", {}, "plain"},
      // A given output name leaves the input's name whole.
      {"prog.txt", {"-o", "out"}, "prog.txt"},
  };
  for (const Case& c : cases) {
    vtest::write_file(dir.file(c.file), "$X\n");
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-e", "-n", c.file});
    RunResult r = run("store", args, vtest::in_folder(dir.path()));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(vtest::strip_banner(r.err, "STORE"), "store: " + c.shown +
                                                       ", line 1: Unknown control directive\n"
                                                       "\n1 errors - no output file created\n");
  }
  // Only "/" separates folders: the dot of a folder name stays.
  std::string sub = dir.file("dir.d");
  ASSERT_EQ(run("/bin/mkdir", {sub}).exit_code, 0);
  vtest::write_file(sub + "/prog", "$X\n");
  RunResult r = run("store", {"-e", "-n", "dir.d/prog"}, vtest::in_folder(dir.path()));
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"),
            "store: dir.d/prog, line 1: Unknown control directive\n"
            "\n1 errors - no output file created\n");
}

TEST(StoreTool, EchoShowsTheExpandedLine) {
  // The echo comes before the line is compiled, so it shows what the
  // compiler is given: tabs expanded, CR and line end gone, and a last line
  // without line end handled like the others.
  const std::string source = "1234567\tX\r\n$TAB4\nA\tB\n$TAB0\nC\tD";
  RunResult r = store_stdin(source, {"-n", "-v"});
  EXPECT_EQ(r.out, "1234567 X\nA   B\nC\tD\n");
  EXPECT_EQ(r.err.find("Line too long"), std::string::npos) << r.err;

  r = store_stdin("1234567\tX\n", {"-n", "-d"});
  EXPECT_EQ(r.out.substr(0, 11), "\n1234567 X\n");
}

TEST(StoreTool, TabExpansionLimit) {
  // 505 characters and a tab run past the limit of 510.
  const std::string source = std::string(505, 'A') + "\t\n";
  RunResult r = store_stdin(source, {"-n", "-e", "-v"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "") << "a line that is too long is not compiled";
  EXPECT_EQ(vtest::strip_banner(r.err, "STORE"),
            "store: stdin, line 1: Line too long (after Tab expansion)\n"
            "\n1 errors - no output file created\n");
}

TEST(StoreTool, OutputNames) {
  // The program file is named after the input without its extension (only
  // a "." after the last "/" counts), or after -o; ".PROG" is appended.
  vtest::TempDir dir;
  ASSERT_EQ(run("/bin/mkdir", {dir.file("dir.d")}).exit_code, 0);
  const std::string program = "10 A=1\n";
  struct Case {
    std::vector<std::string> args;
    std::string input;   // "-" for standard input
    std::string output;  // expected file in the folder
  } cases[] = {
      {{}, "prog.txt", "prog.PROG"},
      {{}, "dir.d/prog", "dir.d/prog.PROG"},
      {{"-o", "named"}, "prog.txt", "named.PROG"},
      {{"-o", "fromstdin"}, "-", "fromstdin.PROG"},
  };
  for (const Case& c : cases) {
    RunOptions options = vtest::in_folder(dir.path());
    if (c.input == "-")
      options.input = program;
    else
      vtest::write_file(dir.file(c.input), program);
    std::vector<std::string> args = c.args;
    args.push_back(c.input);
    RunResult r = run("store", args, options);
    EXPECT_EQ(r.exit_code, 0) << c.input << r.err;
    EXPECT_TRUE(vtest::file_exists(dir.file(c.output))) << c.output;
  }

  // Any error: no file at all.
  RunOptions options = vtest::in_folder(dir.path());
  options.input = "10 A=1\n20 PRINT (\n30 B=2\n";
  RunResult r = run("store", {"-e", "-o", "bad", "-"}, options);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("store: stdin, line 2: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\n1 errors - no output file created\n"), std::string::npos) << r.err;
  EXPECT_FALSE(vtest::file_exists(dir.file("bad.PROG")));
}

TEST(StoreTool, NumberingOfUnnumberedLines) {
  // Unnumbered lines take their numbers from the first line number and the
  // increment (options or "$LINE"); a numbered line below the last number
  // shows where the numbering stood.
  struct Case {
    std::vector<std::string> args;
    std::string source;
    bool out_of_order;  // the last line is below the automatic numbers
  } cases[] = {
      {{}, "A=1\nB=1\n1 C=1\n", true},
      {{}, "A=1\nB=1\n3 C=1\n", false},
      {{}, "$LINE100\nA=1\nB=1\n109 C=1\n", true},
      {{}, "$LINE100\nA=1\nB=1\n111 C=1\n", false},
      {{}, "$LINE100,5\nA=1\nB=1\n104 C=1\n", true},
      {{}, "$LINE100,5\nA=1\nB=1\n106 C=1\n", false},
      {{"-f", "100", "-i", "5"}, "A=1\nB=1\n104 C=1\n", true},
      {{"--fline=100", "--inc=5"}, "A=1\nB=1\n106 C=1\n", false},
      // A rejected "$LINE" leaves the numbering as it was.
      {{}, "$LINE0,5\nA=1\nB=1\n1 C=1\n", true},
      {{}, "$LINE0,5\nA=1\nB=1\n3 C=1\n", false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-n", "-e"});
    RunResult r = store_stdin(c.source, args);
    const bool reported = r.err.find(": LINE NUMBERS NOT IN ORDER\n") != std::string::npos;
    EXPECT_EQ(reported, c.out_of_order) << c.source << r.err;
  }
}

TEST(StoreTool, ListingOfTheSegments) {
  const std::regex listing(
      "\n\nSEGMENT-LIST\n"
      "Type/Name            Address    Line  Code  Sym\n"
      "-------------------- ---------- ----- ----- -----\n"
      "main                 +0x[0-9a-f]+     0     0     0\n"
      "\n");
  RunResult r = store_stdin("$LINE10\n", {"-n", "-l"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_TRUE(std::regex_match(r.out, listing)) << r.out;

  // Given twice: at every empty line and not at the end.
  r = store_stdin("\n$LINE10\n\n", {"-n", "-l", "-l"});
  EXPECT_EQ(r.exit_code, 0);
  const std::string one = r.out.substr(0, r.out.size() / 2);
  EXPECT_EQ(r.out, one + one);
  EXPECT_TRUE(std::regex_match(one, listing)) << one;
}

TEST(StoreTool, ListingOfStoredLines) {
  // Every segment's lines as source text, then one row per segment with its
  // name, address, first line and sizes in bytes.
  RunResult r = store_stdin("10 A=1\n20 SUB X\n30 B=2\n", {"-n", "-l"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::regex listing(
      "\n10 A=1\n"
      "\n20 SUB X\n30 B=2\n"
      "\nSEGMENT-LIST\n"
      "Type/Name            Address    Line  Code  Sym\n"
      "-------------------- ---------- ----- ----- -----\n"
      "main                 +0x[0-9a-f]+ +10 +[1-9][0-9]* +[1-9][0-9]*\n"
      "SUB X                +0x[0-9a-f]+ +20 +[1-9][0-9]* +[1-9][0-9]*\n"
      "\n");
  EXPECT_TRUE(std::regex_match(r.out, listing)) << r.out;
}

TEST(StoreTool, FailedWriteOnStandardOutputIsAFailure) {
  // The listing goes to standard output; when it cannot be written the run
  // fails instead of reporting success.
  RunResult r = run("/bin/sh", {"-c", "printf '\\n' | \"$0\" -n -l - >/dev/full", vtest::tool_path("store")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("store: Write error on standard output: "), std::string::npos) << r.err;
}

}  // namespace

namespace {

// YYDEBUG with a leading digit turns the compiler's debug output on for every
// line, also without -d; without it the same run stays quiet.
TEST(StoreTool, YydebugTurnsOnTheParserTrace) {
  RunOptions traced;
  traced.input = "10 A=1\n";
  traced.env["YYDEBUG"] = "1";
  RunResult r = run("store", {"-n", "-"}, traced);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("Reading a token"), std::string::npos) << r.out;

  RunOptions quiet;
  quiet.input = "10 A=1\n";
  quiet.unset_env = {"YYDEBUG"};
  r = run("store", {"-n", "-"}, quiet);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find("Reading a token"), std::string::npos) << r.out;
}

}  // namespace
