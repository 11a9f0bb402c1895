// store with the statement compiler: the sample programs compile in both
// spellings to the same code words and use every statement a stored program
// may hold; erroneous lines are reported with their message and caret column.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "language/keywords.h"
#include "testsupport.h"

namespace {

using vtest::run;
using vtest::RunResult;

std::string programs_dir() { return vtest::source_dir() + "/examples/programs"; }

// Source files of the sample programs, by name.
std::vector<std::string> sample_names() { return vtest::files_with_suffix(programs_dir(), ".txt"); }

bool space_dependent(const std::string& name) {
  return name.size() > 7 && name.compare(name.size() - 7, 7, "-sd.txt") == 0;
}

// store -n -h over a sample: its exit code and the code words of every
// stored line (standard output also echoes the source lines).
struct Hex {
  int exit_code = -1;
  std::string err;
  std::vector<std::vector<unsigned>> lines;
};

bool is_hex_word(const std::string& w) {
  if (w.size() != 4) return false;
  for (char c : w)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

Hex store_hex(const std::string& name) {
  std::vector<std::string> args = {"-n", "-h"};
  if (space_dependent(name)) args.push_back("-s");
  args.push_back(programs_dir() + "/" + name);
  RunResult r = run("store", args);
  Hex h;
  h.exit_code = r.exit_code;
  h.err = r.err;
  std::istringstream out(r.out);
  std::string text;
  while (std::getline(out, text)) {
    std::istringstream words(text);
    std::vector<unsigned> line;
    std::string w;
    bool all_hex = true;
    while (words >> w) {
      if (!is_hex_word(w)) {
        all_hex = false;
        break;
      }
      line.push_back(static_cast<unsigned>(std::strtoul(w.c_str(), nullptr, 16)));
    }
    if (all_hex && line.size() >= 3) h.lines.push_back(line);
  }
  return h;
}

// The statement word of a stored line: after the line number and header,
// past a label reference, and behind the prefix 0932 of extension codes.
unsigned statement_word(const std::vector<unsigned>& line) {
  size_t i = 2;
  if (line[i] != CW_STMT_PREFIX && (line[i] & 0x8000) != 0) ++i;
  if (i < line.size() && line[i] == CW_STMT_PREFIX) ++i;
  return i < line.size() ? line[i] : 0;
}

// The samples are the regression corpus of the compiler: each compiles, the
// space-dependent spelling of a program gives the same words as the
// program, and together they hold every statement a stored program may use.
TEST(StoreCompile, SamplesCompileInBothSpellingsAndUseEveryStorableStatement) {
  std::vector<std::string> names = sample_names();
  ASSERT_GE(names.size(), 2u);
  std::map<std::string, Hex> stored;
  for (const std::string& name : names) {
    Hex h = store_hex(name);
    EXPECT_EQ(h.exit_code, 0) << name << "\n" << h.err;
    EXPECT_EQ(h.err.find("errors"), std::string::npos) << name << "\n" << h.err;
    EXPECT_FALSE(h.lines.empty()) << name;
    stored[name] = h;
  }

  std::set<unsigned> used;
  for (const auto& [name, h] : stored) {
    for (const std::vector<unsigned>& line : h.lines) used.insert(statement_word(line));
    if (!space_dependent(name)) continue;
    std::string twin = name.substr(0, name.size() - 7) + ".txt";
    ASSERT_TRUE(stored.count(twin)) << name;
    EXPECT_EQ(h.lines, stored[twin].lines) << name << " and " << twin;
  }

  pkeywd_init();
  int storable = 0;
  for (const pkeywd_row* row = pkeywd_table; row->code != 0; ++row) {
    if (row->name[0] == '\0' || row->token == ptok::Rx0000) continue;  // prefix, implied LET, second codes
    if (row->flags & PK_FLAG_COMMAND) continue;
    ++storable;
    EXPECT_TRUE(used.count(row->code)) << "no sample uses " << row->name;
  }
  EXPECT_GT(storable, 250);
}

// A source of erroneous lines among good ones: every bad line is reported
// with its message, the caret under its column (or the one-line form with
// -e), the good lines still compile, and store ends with 1.
TEST(StoreCompile, ErroneousLinesAreReportedWithTheirColumns) {
  struct Bad {
    const char* line;
    const char* message;
    int column;
  };
  const Bad bad[] = {
      {"20 X=(1+", "IMPROPER VARIABLE", 8},
      {"30 GOTO 10,20", "'!' OR EOL EXPECTED", 10},
      {"40 IMAGE SD.DDS", "DUPLICATE SIGN", 14},
      {"50 FOR I=1,2", "IMPROPER DELIMITER: 'TO' EXPECTED", 10},
      {"60 COM #11", "IMPROPER FILE NUMBER", 8},
      {"70 TRACE VARIABLES A,B,C,D,E,F", "TOO MANY VARIABLES", 30},
      {"80 CALL DLL F(STRUCT S)", "CANT PASS STRUCTURE PARAMETER TO DLL", 14},
      {"90 PRINT A B", "IMPROPER EXPRESSION", 11},
  };
  std::string source = "10 PRINT \"fine\"\n";
  std::string multi;
  std::string single;
  int number = 2;
  for (const Bad& b : bad) {
    source += std::string(b.line) + "\n";
    std::string where = "store: errors, line " + std::to_string(number++);
    multi += std::string(b.line) + "\n" + std::string(static_cast<size_t>(b.column), ' ') + "^\n" + b.message + "\n" +
             where + "\n";
    single += where + ": " + b.message + "\n";
  }
  source += "100 END\n";
  std::string tail = "\n" + std::to_string(std::size(bad)) + " errors - no output file created\n";

  vtest::TempDir dir;
  vtest::write_file(dir.file("errors.txt"), source);
  RunResult r = run("store", {"-n", "-h", "errors.txt"}, vtest::in_folder(dir.path()));
  EXPECT_EQ(r.exit_code, 1);
  ASSERT_NE(r.err.find(multi + tail), std::string::npos) << r.err;
  // The good lines were compiled and shown.
  EXPECT_NE(r.out.find("000a 0408 051d 08bd ff04 6669 6e65 08c0 \n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0064 0503 035f \n"), std::string::npos) << r.out;

  r = run("store", {"-n", "-e", "errors.txt"}, vtest::in_folder(dir.path()));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find(single + tail), std::string::npos) << r.err;
}

}  // namespace
