// linkforge's reading of declarations: the scanner, the error reports, the
// listing, the command line, and output that is never half-written.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kFailed = "\n*** Preceding errors -- compilation failed\n";

std::string many_arguments(int count) {
  std::string text = "YqDLL wide(";
  for (int i = 0; i < count; ++i) text += (i ? ", YqInt a" : "YqInt a") + std::to_string(i);
  return text + ")\n";
}

// The function rows of the generated YqFuncList, one "name first count" each.
std::vector<std::string> function_rows(const std::string& glue) {
  std::vector<std::string> rows;
  size_t at = glue.find("YqFuncList[] = {\n");
  if (at == std::string::npos) return rows;
  at = glue.find('\n', at) + 1;
  while (glue.compare(at, 4, " { \"") == 0) {
    size_t end = glue.find('\n', at);
    std::string row = glue.substr(at + 4, end - at - 4);  // name",\tF, C },
    size_t quote = row.find('"');
    size_t comma = row.find(',', quote + 2);
    rows.push_back(row.substr(0, quote) + " " + row.substr(quote + 3, comma - quote - 3) + " " +
                   row.substr(comma + 2, row.find(' ', comma + 2) - comma - 2));
    at = end + 1;
  }
  return rows;
}

struct ErrorCase {
  const char* name;
  std::string input;
  std::string out;  // everything on standard output
};

TEST(LinkforgeErrors, ReportTheLineCountAndWriteNothing) {
  const ErrorCase cases[] = {
      {"duplicate function", "YqDLL f(YqInt a)\nYqDLL f(YqReal b)\n",
       "YqDLL f(YqReal b)\n*** Function name already defined in line 2\n" + kFailed},
      {"duplicate argument", "/* one */\nYqDLL f(YqInt a, YqReal a)\n",
       "YqDLL f(YqInt a, YqReal a)\n*** Argument name already defined in line 2\n" + kFailed},
      {"second error on the same line", "YqDLL f(YqInt a, YqInt a, YqChar *a)\n",
       "YqDLL f(YqInt a, YqInt a, YqChar *a)\n*** Argument name already defined in line 1\n"
       "*** Argument name already defined\n" +
           kFailed},
      {"no declarations", "int main(void) { return 0; }\n", "*** No DLL functions found\n" + kFailed},
      {"empty input", "", "*** No DLL functions found\n" + kFailed},
      {"51 arguments", many_arguments(51),
       many_arguments(51) + "*** Maximum number of arguments exceeded in line 1\n" + kFailed},
      {"missing name", "YqDLL f(YqInt)\n", "YqDLL f(YqInt)\n*** syntax error in line 1\n" + kFailed},
      {"char by value", "YqDLL f(YqChar c)\n", "YqDLL f(YqChar c)\n*** syntax error in line 1\n" + kFailed},
      {"variable list first", "YqDLL f(...)\n", "YqDLL f(...)\n*** syntax error in line 1\n" + kFailed},
      {"end of file inside a declaration", "x\nYqDLL f(YqInt a",
       "YqDLL f(YqInt a\n*** syntax error in line 2\n" + kFailed},
      {"unterminated comment", "YqDLL f(YqVoid)\n/* open /* nested */\nYqDLL g(YqVoid)\n",
       "YqDLL g(YqVoid)\n*** Unterminated comment (opened in line 2) in line 3\n" + kFailed},
      {"array size out of range", "YqDLL f(YqInt a[99999999999999999999])\n",
       "YqDLL f(YqInt a[99999999999999999999])\n*** Number out of range in line 1\n" + kFailed},
      {"array size of 200 digits", "YqDLL f(YqInt a[" + std::string(200, '1') + "])\n",
       "YqDLL f(YqInt a[" + std::string(200, '1') + "])\n*** Number out of range in line 1\n" + kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::TempDir dir;
    vtest::write_file(dir.file("decl.h"), c.input);
    auto r = vtest::run("linkforge", {"-o", dir.file("glue.c"), dir.file("decl.h")});
    EXPECT_EQ(r.exit_code, 1) << r.err;
    EXPECT_EQ(r.out, c.out);
    EXPECT_FALSE(vtest::file_exists(dir.file("glue.c")));
  }
}

TEST(LinkforgeErrors, FiftyArgumentsAreTheLimit) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decl.h"), many_arguments(50));
  auto r = vtest::run("linkforge", {dir.file("decl.h")});
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("*(YqInt *)(av[49]));\n"), std::string::npos);
}

struct ScanCase {
  const char* name;
  std::string input;
  std::vector<std::string> rows;
};

TEST(LinkforgeScanner, FindsDeclarationsOnlyWhereTheyAre) {
  const ScanCase cases[] = {
      {"nested comments hide a declaration", "/* a /* b */ YqDLL hidden(YqVoid) */ YqDLL shown(YqVoid)", {"shown 0 0"}},
      {"YqDLL only as a whole word",
       "MyYqDLL x(YqInt a) YqDLLx y(YqInt a) YqDLL_z w(YqInt a) YqDLL z(YqInt a)",
       {"z 0 1"}},
      {"C text around, comments and newlines inside",
       "#include <stdio.h>\nint v = (1);\nYqDLL f(YqInt /* count */ a,\n\tYqReal *b\n);\n"
       "struct s { int a; };\nYqDLL g();\n",
       {"f 0 2", "g 2 0"}},
      {"a comment inside a declaration may hold a )", "YqDLL f(YqInt a /* (x) */, YqInt b)", {"f 0 2"}},
      {"keywords are case-sensitive", "yqdll f(YqVoid) YqDLL g(YqString s[], YqString *t)", {"g 0 2"}},
      // Long words are read in pieces of 64 characters: a piece that ends in
      // YqDLL is still part of its word, a 64-character word is a word.
      {"long words end in YqDLL",
       std::string(59, 'x') + "YqDLL a(YqVoid) " + std::string(123, 'y') + "YqDLL b(YqVoid) " + std::string(64, 'z') +
           " YqDLL c(YqVoid)",
       {"c 0 0"}},
      {"long names and blanks inside a declaration",
       "YqDLL " + std::string(64, 'n') + "(YqInt " + std::string(130, 'a') + "," + std::string(200, ' ') +
           "YqInt b)\nYqDLL " + std::string(129, 'm') + std::string(70, '\n') + "(YqVoid)",
       {std::string(64, 'n') + " 0 2", std::string(129, 'm') + " 2 0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::TempDir dir;
    vtest::write_file(dir.file("decl.h"), c.input);
    auto r = vtest::run("linkforge", {dir.file("decl.h")});
    EXPECT_EQ(r.exit_code, 0) << r.out;
    EXPECT_EQ(function_rows(r.out), c.rows);
  }
}

// A token longer than the scanner's buffer must not be read again from its
// start at every refill: this input took 45 seconds that way (minutes under
// the sanitizers, past the test's time limit), and under a second in pieces.
TEST(LinkforgeScanner, MegabyteCommentsAndNamesTakeLinearTime) {
  vtest::TempDir dir;
  const std::string name(1000000, 'N');
  vtest::write_file(dir.file("decl.h"), "/* " + std::string(8000000, 'c') + " */\n" + std::string(2000000, 'w') +
                                            "\nYqDLL " + name + "(YqInt a)\n");
  auto r = vtest::run("linkforge", {"-o", dir.file("glue.c"), dir.file("decl.h")});
  ASSERT_EQ(r.exit_code, 0) << r.out.substr(0, 200);
  EXPECT_NE(vtest::read_file(dir.file("glue.c")).find("{ \"" + name + "\","), std::string::npos);
}

TEST(LinkforgeScanner, EveryFileJoinsOneTableWithItsOwnLineNumbers) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("one.h"), "YqDLL a(YqInt x)\nYqDLL b(YqVoid)\n");
  vtest::write_file(dir.file("two.h"), "YqDLL c(YqReal y, YqReal *z)\n");
  auto r = vtest::run("linkforge", {dir.file("one.h"), dir.file("two.h")});
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(function_rows(r.out), (std::vector<std::string>{"a 0 1", "b 1 0", "c 1 2"}));

  // Line 1 of the second file is a line of its own, not line 1 reported before.
  vtest::write_file(dir.file("bad1.h"), "YqDLL d(YqInt x, YqInt x)\n");
  vtest::write_file(dir.file("bad2.h"), "YqDLL d(YqVoid)\n");
  r = vtest::run("linkforge", {dir.file("bad1.h"), dir.file("bad2.h")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out,
            "YqDLL d(YqInt x, YqInt x)\n*** Argument name already defined in line 1\n"
            "YqDLL d(YqVoid)\n*** Function name already defined in line 1\n" +
                kFailed);
}

TEST(LinkforgeScanner, ReadsStandardInputForADash) {
  vtest::RunOptions options;
  options.input = "YqDLL fromstdin(YqChar *s)\n";
  auto r = vtest::run("linkforge", {"-"}, options);
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(function_rows(r.out), std::vector<std::string>{"fromstdin 0 1"});
}

std::string page_header() {
  std::string company = "ORVANTIS", title = "QX9000 / QX VARNICA        LINKFORGE";
  company.resize(20, ' ');
  title.resize(40, ' ');
  return "PAGE  1    " + company + "  " + title + "\n\n";
}

TEST(LinkforgeListing, EchoesLinesUnderOneHeaderAndCountsErrors) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("good.h"), "/* sample */\nYqDLL f(YqVoid)");  // no final newline
  auto r = vtest::run("linkforge", {"-l", "-o", dir.file("glue.c"), dir.file("good.h")});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, page_header() +
                       "/* sample */\nYqDLL f(YqVoid)\n"
                       "\nNumber of error messages: 0\n\n"
                       "*** Compilation succeeded\n");
  EXPECT_TRUE(vtest::file_exists(dir.file("glue.c")));

  // With the listing on, a report does not print its line a second time.
  vtest::write_file(dir.file("bad.h"), "YqDLL f(YqInt a, YqInt a)\n");
  r = vtest::run("linkforge", {"-l", dir.file("bad.h")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, page_header() +
                       "YqDLL f(YqInt a, YqInt a)\n"
                       "*** Argument name already defined in line 1\n"
                       "\nNumber of error messages: 1\n" +
                       kFailed);
}

struct CommandCase {
  const char* name;
  std::vector<std::string> args;
  int exit_code;
  std::string err_part;
};

TEST(LinkforgeCommandLine, UsageAndInputErrors) {
  const CommandCase cases[] = {
      {"no file", {}, 2, "linkforge: no source file specified\n"},
      {"only options", {"-l", "-d"}, 2, "linkforge: no source file specified\n"},
      {"unknown option", {"-x", "a.h"}, 2, "usage: linkforge [options] {-|files ...}\n"},
      {"help", {"-l", "-help"}, 2, " -o file = output file name, default is stdout\n"},
      {"missing input", {"nonexistent.h"}, 1, "nonexistent.h: No such file or directory\n"},
      {"version", {"-version"}, 0, " LINKFORGE "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = vtest::run("linkforge", c.args);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_NE(r.err.find(c.err_part), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// The trace lines on standard error, checked against the parser stack they
// describe: each step starts in the state the previous one entered, a
// reduction uncovers as many states as its rule has symbols, and the goto
// leaves from the uncovered state. A parse ends when the goto on "module"
// is taken or the last state is discarded. Returns the trace lines in order.
struct Trace {
  std::vector<std::string> lines;
  std::vector<std::string> faults;
};

Trace read_trace(const std::string& err) {
  static const std::regex reading(R"(yydebug: state (\d+), reading (\d+) \((.+)\))");
  static const std::regex shifting(R"(yydebug: state (\d+), shifting to state (\d+))");
  static const std::regex reducing(R"(yydebug: state (\d+), reducing by rule (\d+) \((\S+) :(.*)\))");
  static const std::regex after(R"(yydebug: after reduction, shifting from state (\d+) to state (\d+))");
  static const std::regex discarding(R"(yydebug: error recovery discarding state (\d+))");
  Trace trace;
  std::vector<int> stack;
  std::string reduced;  // left-hand side of the last reduction
  auto expect_top = [&](int state, const std::string& line) {
    if (stack.empty() || stack.back() != state) trace.faults.push_back("not the state on top: " + line);
  };
  std::istringstream in(err);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("yydebug: ", 0) != 0) continue;
    trace.lines.push_back(line);
    std::smatch m;
    if (std::regex_match(line, m, reading)) {
      if (std::stoi(m[1]) == 0 && stack.empty()) stack.push_back(0);  // a parse begins
      expect_top(std::stoi(m[1]), line);
    } else if (std::regex_match(line, m, shifting)) {
      expect_top(std::stoi(m[1]), line);
      stack.push_back(std::stoi(m[2]));
    } else if (std::regex_match(line, m, reducing)) {
      expect_top(std::stoi(m[1]), line);
      reduced = m[3];
      std::istringstream symbols(m[4].str());
      std::string symbol;
      while (symbols >> symbol) {
        if (stack.size() < 2) {
          trace.faults.push_back("reduces more than the stack holds: " + line);
          break;
        }
        stack.pop_back();
      }
    } else if (std::regex_match(line, m, after)) {
      expect_top(std::stoi(m[1]), line);
      stack.push_back(std::stoi(m[2]));
      if (reduced == "module") stack.clear();  // accepted
    } else if (std::regex_match(line, m, discarding)) {
      expect_top(std::stoi(m[1]), line);
      if (!stack.empty()) stack.pop_back();
    } else {
      trace.faults.push_back("not a trace line: " + line);
    }
  }
  return trace;
}

bool has_line(const Trace& trace, const std::string& pattern) {
  const std::regex re(pattern);
  for (const auto& line : trace.lines)
    if (std::regex_match(line, re)) return true;
  return false;
}

TEST(LinkforgeTrace, ClassicLinesOnlyWithYYDEBUG) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decl.h"), "int x; /* not ours */\nYqDLL f(YqVoid)\n");
  vtest::RunOptions traced;
  traced.env["YYDEBUG"] = "1";
  auto with = vtest::run("linkforge", {"-d", dir.file("decl.h")}, traced);
  vtest::RunOptions plain;
  plain.unset_env.push_back("YYDEBUG");
  auto without = vtest::run("linkforge", {"-d", dir.file("decl.h")}, plain);
  ASSERT_EQ(with.exit_code, 0) << with.out;
  EXPECT_EQ(with.out, without.out);
  EXPECT_EQ(without.err.find("debug:"), std::string::npos) << without.err;

  Trace trace = read_trace(with.err);
  EXPECT_EQ(trace.faults, std::vector<std::string>{}) << with.err;
  ASSERT_GE(trace.lines.size(), 4u) << with.err;
  EXPECT_EQ(trace.lines[0], "yydebug: state 0, reading 258 (YQDLL)");
  EXPECT_TRUE(std::regex_match(trace.lines[1], std::regex(R"(yydebug: state 0, shifting to state \d+)")))
      << trace.lines[1];
  EXPECT_TRUE(has_line(trace, R"(yydebug: state \d+, reading 40 \('\('\))")) << with.err;
  EXPECT_TRUE(has_line(trace, R"(yydebug: state \d+, reducing by rule \d+ \(arguments : YQVOID\))")) << with.err;
  EXPECT_TRUE(has_line(trace, R"(yydebug: state \d+, reducing by rule \d+ \(\$\$1 :\))")) << with.err;
  EXPECT_TRUE(has_line(
      trace, R"(yydebug: state \d+, reducing by rule \d+ \(function : YQDLL IDENT \$\$1 '\(' arguments '\)'\))"))
      << with.err;
  // The end: end of input is read, the module is reduced and the goto
  // from state 0 is the last step before the parser accepts.
  size_t n = trace.lines.size();
  EXPECT_TRUE(std::regex_match(trace.lines[n - 3], std::regex(R"(yydebug: state \d+, reading 0 \(end-of-file\))")))
      << with.err;
  EXPECT_TRUE(std::regex_match(trace.lines[n - 2],
                               std::regex(R"(yydebug: state \d+, reducing by rule \d+ \(module : functions\))")))
      << with.err;
  EXPECT_TRUE(std::regex_match(trace.lines[n - 1],
                               std::regex(R"(yydebug: after reduction, shifting from state 0 to state \d+)")))
      << with.err;
}

TEST(LinkforgeTrace, SyntaxErrorsAndEveryInput) {
  struct TraceCase {
    const char* name;
    std::vector<std::string> files;
    int exit_code;
    std::vector<std::string> expected;  // patterns of lines the trace holds
    std::string last;                   // pattern of its last line
  };
  const TraceCase cases[] = {
      {"no declaration", {"int x;\n"}, 1, {}, R"(yydebug: after reduction, shifting from state 0 to state \d+)"},
      {"missing argument",
       {"YqDLL f(YqInt a,)\n"},
       1,
       {R"(yydebug: state \d+, reading 41 \('\)'\))"},
       "yydebug: error recovery discarding state 0"},
      {"character the grammar does not know",
       {"YqDLL f(+)\n"},
       1,
       {R"(yydebug: state \d+, reading 43 \(illegal-symbol\))"},
       "yydebug: error recovery discarding state 0"},
      {"end of input inside a declaration",
       {"YqDLL f(YqInt a"},
       1,
       {R"(yydebug: state \d+, reading 0 \(end-of-file\))"},
       "yydebug: error recovery discarding state 0"},
      {"two inputs, one parse each",
       {"YqDLL f(YqVoid)\n", "YqDLL g(YqReal r[], ...)\n"},
       0,
       {R"(yydebug: state \d+, reducing by rule \d+ \(argument : YQREAL IDENT '\[' size '\]'\))",
        R"(yydebug: state \d+, reducing by rule \d+ \(arguments : arguments ',' '\.' '\.' '\.'\))"},
       R"(yydebug: after reduction, shifting from state 0 to state \d+)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    vtest::TempDir dir;
    std::vector<std::string> args;
    for (size_t i = 0; i < c.files.size(); ++i) {
      args.push_back(dir.file("decl" + std::to_string(i) + ".h"));
      vtest::write_file(args.back(), c.files[i]);
    }
    vtest::RunOptions traced;
    traced.env["YYDEBUG"] = "1";
    auto r = vtest::run("linkforge", args, traced);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.out;
    Trace trace = read_trace(r.err);
    EXPECT_EQ(trace.faults, std::vector<std::string>{}) << r.err;
    ASSERT_FALSE(trace.lines.empty()) << r.err;
    for (const auto& pattern : c.expected) EXPECT_TRUE(has_line(trace, pattern)) << pattern << "\n" << r.err;
    EXPECT_TRUE(std::regex_match(trace.lines.back(), std::regex(c.last))) << r.err;
    // Each input is a parse of its own, reading first in state 0.
    size_t starts = 0;
    for (const auto& line : trace.lines) starts += line.rfind("yydebug: state 0, reading ", 0) == 0;
    EXPECT_EQ(starts, c.files.size()) << r.err;
  }
}

std::set<std::string> entries(const std::string& path) {
  std::set<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') names.insert(e->d_name);
    closedir(d);
  }
  return names;
}

TEST(LinkforgeOutput, ReplacesTheFileWholeAndLeavesNoTemporary) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decl.h"), "YqDLL f(YqVoid)\n");
  vtest::write_file(dir.file("glue.c"), "old contents\n");
  auto r = vtest::run("linkforge", {"-o", dir.file("glue.c"), dir.file("decl.h")});
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(vtest::read_file(dir.file("glue.c")).rfind("/*\n   " + dir.file("glue.c"), 0), 0u);
  EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"decl.h", "glue.c"}));

  // A failed run keeps the old file.
  vtest::write_file(dir.file("bad.h"), "nothing here\n");
  r = vtest::run("linkforge", {"-o", dir.file("glue.c"), dir.file("bad.h")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(vtest::read_file(dir.file("glue.c")).rfind("/*\n", 0), 0u);
  EXPECT_EQ(entries(dir.path()), (std::set<std::string>{"bad.h", "decl.h", "glue.c"}));
}

TEST(LinkforgeOutput, FailedCreateWriteOrCloseIsAFailure) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decl.h"), "YqDLL f(YqVoid)\n");

  auto r = vtest::run("linkforge", {"-o", dir.file("no/such/dir/glue.c"), dir.file("decl.h")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "*** " + dir.file("no/such/dir/glue.c") +
                       ": No such file or directory\n*** (FATAL) Unable to create output file\n");

  r = vtest::run("linkforge", {"-o", "/dev/full", dir.file("decl.h")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "*** /dev/full: No space left on device\n*** (FATAL) Unable to write output file\n");

  r = vtest::run("/bin/sh", {"-c", "\"$0\" \"$1\" >/dev/full", vtest::tool_path("linkforge"), dir.file("decl.h")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("*** (stdout): No space left on device\n"), std::string::npos) << r.err;
}

}  // namespace
