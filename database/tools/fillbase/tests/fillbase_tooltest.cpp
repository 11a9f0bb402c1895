// fillbase and drainbase against a database compiled into the stand-in:
// export files both ways and back, single files, transactions of -c
// records, the error log, a fatal error rolling back the open batch, a
// restructured import, and the usage errors of both tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::after_banner;
using dbserver_test::run_tool;

class Transfer : public dbserver_test::ShopDatabase {
 protected:
  void SetUp() override {
    ShopDatabase::SetUp();
    if (HasFatalFailure()) return;
    vtest::RunResult r = run_tool("forgeset", {db_});
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }
  // Runs a tool with its options, the database, then the set operands.
  vtest::RunResult tool(const std::string& name, std::vector<std::string> options,
                        const std::vector<std::string>& sets = {}) {
    options.push_back(db_);
    options.insert(options.end(), sets.begin(), sets.end());
    return run_tool(name, options);
  }
  std::string file(const std::string& name) const { return dir_.file(name); }
  int count(const std::string& what) const {
    std::string log = server_.log();
    int n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  }
  // Customers C0001 ... with awkward names.
  void customers(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) {
      char line[128];
      std::snprintf(line, sizeof line, "\"C%04d\",\"N\\\"%d\\\\\\011\xe9\",\"CITY%d\"\n", i, i, i % 7);
      text += line;
    }
    vtest::write_file(file("SHOP.001.exp"), text);
  }
  vtest::TempDir dir_;
};

TEST_F(Transfer, RoundTripThroughEveryForm) {
  customers(30);
  vtest::write_file(file("SHOP.002.exp"),
                    "1,\"C0001\",3,9.5\n2,\"C0002\",-4,0.1\n3,\"C0001\",7,1e+100\n4,\"C0003\",32767,-2.5e-300\n");
  vtest::RunResult r = tool("fillbase", {"-i", dir_.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;

  // Per-set files written without -r are the files read.
  vtest::TempDir out;
  r = tool("drainbase", {"-o", out.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(vtest::read_file(out.file("SHOP.001.exp")), vtest::read_file(file("SHOP.001.exp")));
  EXPECT_EQ(vtest::read_file(out.file("SHOP.002.exp")), vtest::read_file(file("SHOP.002.exp")));
  EXPECT_FALSE(vtest::file_exists(out.file("SHOP.003.exp")));  // empty set: no file

  // A single file with restructure information, blanked and filled again,
  // exports the same; so does one written in Roman-8 and read back so.
  for (std::vector<std::string> extra : {std::vector<std::string>{}, std::vector<std::string>{"-z", "roman8"}}) {
    std::vector<std::string> drain = {"-r", "-s", out.file("all.exp")};
    drain.insert(drain.end(), extra.begin(), extra.end());
    r = tool("drainbase", drain);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::string first = vtest::read_file(out.file("all.exp"));
    EXPECT_EQ(first.rfind("# DATABASE = SHOP\n\n# SET 1 = CUSTOMERS       \n#     1 CUST-NO          X8\n", 0), 0u)
        << first;
    ASSERT_EQ(tool("blankset", {}).exit_code, 0);
    std::vector<std::string> fill = {"-r", "-", "-c", "7", "-s", out.file("all.exp")};
    fill.insert(fill.end(), extra.begin(), extra.end());
    r = tool("fillbase", fill);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    r = tool("drainbase", drain);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(vtest::read_file(out.file("all.exp")), first);
  }
  // Standard output carries the export; chained order follows the masters.
  r = tool("drainbase", {"-c", "-s", "-"}, {"ORDERS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "# DATABASE = SHOP\n\n# SET 2 = ORDERS          \n1,\"C0001\",3,9.5\n3,\"C0001\",7,1e+100\n"
            "2,\"C0002\",-4,0.1\n4,\"C0003\",32767,-2.5e-300\n");
}

TEST_F(Transfer, TransactionsOfCountRecords) {
  customers(250);
  const char kCommit[] = "pre-commit mode=12 levels=1 status=0";
  const int before = count(kCommit);  // the schema's own
  vtest::RunResult r = tool("fillbase", {"-i", dir_.path(), "-c", "100"}, {"CUSTOMERS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(count(kCommit) - before, 3);
  ASSERT_EQ(tool("blankset", {}).exit_code, 0);
  r = tool("fillbase", {"-i", dir_.path(), "-c", "0"}, {"CUSTOMERS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(count(kCommit) - before, 3);
  for (const char* bad : {"x", "-1", "", "1x"}) {
    r = tool("fillbase", {"-c", bad});
    EXPECT_EQ(r.exit_code, 2) << bad;
  }
}

TEST_F(Transfer, ErrorLogAndFatalErrorRollsBackTheOpenBatch) {
  customers(150);
  // Record 120 repeats a key.
  std::string text = vtest::read_file(file("SHOP.001.exp"));
  size_t at = text.find("\"C0120\"");
  text.replace(at, 7, "\"C0001\"");
  vtest::write_file(file("SHOP.001.exp"), text);
  vtest::RunResult r = tool("fillbase", {"-i", dir_.path(), "-e", file("errors.log")}, {"CUSTOMERS"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  std::string log = vtest::read_file(file("errors.log"));
  EXPECT_EQ(log.rfind("# 001 CUSTOMERS         UNABLE TO PUT RECORD, STATUS = 43\n\"C0001\",", 0), 0u) << log;
  r = run_tool("probebase", {db_, "CUSTOMERS"});
  EXPECT_NE(r.out.find(" 149\n"), std::string::npos) << r.out;

  // Without the log the duplicate is fatal: the first 100 stay committed.
  ASSERT_EQ(tool("blankset", {}).exit_code, 0);
  r = tool("fillbase", {"-i", dir_.path()}, {"CUSTOMERS"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Fatal error #43 while putting record"), std::string::npos) << r.err;
  r = run_tool("probebase", {db_, "CUSTOMERS"});
  EXPECT_NE(r.out.find(" 100\n"), std::string::npos) << r.out;
}

TEST_F(Transfer, RestructuredImport) {
  // The file's set 9 holds ORDERS with its fields in another order and an
  // extra field; the rules fill QTY with a constant and PRICE from a field.
  vtest::write_file(file("old.exp"),
                    "# DATABASE = OLDSHOP\n\n# SET 1 = CUSTOMERS\n\"C1\",\"Ann\",\"Graz\"\n\n"
                    "# SET 9 = OLDORDERS\n"
                    "#     1 CUST-NO          X8\n#     2 JUNK             X4\n#     3 ORDER-NO         D\n"
                    "#     4 COST             L\n"
                    "\"C1\",\"x\",17,2.5\n\"C1\",\"y\",18.6,1\n");
  vtest::write_file(file("spec"), "import set orders = 9 { qty = :const 5; price = cost; }\n");
  vtest::RunResult r = tool("fillbase", {"-r", file("spec"), "-s", file("old.exp")});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("importing from database OLDSHOP"), std::string::npos);
  EXPECT_NE(r.err.find("WARNING: Precision lost due to type conversion to DINTEGER"), std::string::npos);
  r = tool("drainbase", {"-s", "-"}, {"ORDERS"});
  EXPECT_EQ(r.out, "# DATABASE = SHOP\n\n# SET 2 = ORDERS          \n17,\"C1\",5,2.5\n19,\"C1\",5,1\n");

  vtest::write_file(file("bad-spec"), "import set orders { qty[1-2] = :null; nosuch = 1; }\n");
  r = tool("fillbase", {"-r", file("bad-spec"), "-s", file("old.exp")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("*** Index exceeds subitem count in line 1\n*** Undefined item name\n*** Preceding errors (2)"),
            std::string::npos)
      << r.err;
}

TEST_F(Transfer, FormatErrorsAndUsage) {
  vtest::write_file(file("SHOP.001.exp"), "\"C1\",\"Ann\",\"Graz\"\n\"C2\",12x,\"Linz\"\n");
  vtest::RunResult r = tool("fillbase", {"-i", dir_.path()}, {"CUSTOMERS"});
  EXPECT_EQ(r.exit_code, 1);
  // The message ends the output: no empty line after it.
  const std::string kIllegal = "\nIllegal numeric value: 12x,\"Linz\"\n";
  EXPECT_EQ(r.err.substr(r.err.size() - std::min(r.err.size(), kIllegal.size() + 1)), "\n" + kIllegal) << r.err;
  r = tool("drainbase", {"-w", "5"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("drainbase: Bad dset id width \"5\"\n"), std::string::npos) << r.err;
  r = tool("drainbase", {"-o", dir_.path(), "-w", "4"}, {"CUSTOMERS", "NOSUCH"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("NOSUCH: Illegal set name\n"), std::string::npos);
}

TEST_F(Transfer, ExportOnStandardOutputCarriesNothingElse) {
  // Whatever -v and -z print, standard output holds the export alone, and
  // fillbase reads it back from standard input into the same records.
  customers(120);
  vtest::write_file(file("SHOP.002.exp"), "1,\"C0001\",3,9.5\n2,\"C0002\",-4,0.1\n");
  ASSERT_EQ(tool("fillbase", {"-i", dir_.path()}).exit_code, 0);
  vtest::RunResult plain = tool("drainbase", {"-r", "-s", "-"});
  ASSERT_EQ(plain.exit_code, 0) << plain.err;
  const std::vector<std::vector<std::string>> kOptions = {
      {"-v"}, {"-v", "-v"}, {"-v", "-z", "roman8"}, {"-v", "-z", "iso88591"}, {"-z", "roman8"}};
  for (const std::vector<std::string>& extra : kOptions) {
    std::string what;
    for (const std::string& o : extra) what += o + " ";
    SCOPED_TRACE(what);
    std::vector<std::string> drain = extra;
    drain.insert(drain.end(), {"-r", "-s", "-"});
    vtest::RunResult first = tool("drainbase", drain);
    ASSERT_EQ(first.exit_code, 0) << first.err;
    EXPECT_EQ(first.out.rfind("# DATABASE = SHOP\n", 0), 0u) << first.out.substr(0, 200);
    const bool verbose = extra[0] == "-v";
    EXPECT_EQ(after_banner(first.err, "DRAINBASE").find("Processing database") != std::string::npos, verbose);
    if (extra.size() > 1 && extra[1] == "-z") {
      EXPECT_NE(first.err.find("Code set            : "), std::string::npos) << first.err;
    }
    ASSERT_EQ(tool("blankset", {}).exit_code, 0);

    std::vector<std::string> fill = extra;
    fill.insert(fill.end(), {"-r", "-", "-s", "-", db_});
    vtest::RunOptions options;
    options.timeout_seconds = 30;
    options.env["LOGNAME"] = "tester";
    options.input = first.out;
    vtest::RunResult r = vtest::run("fillbase", fill, options);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(after_banner(r.err, "FILLBASE"), "");
    EXPECT_EQ(r.out.find("Import file         : stdin\n") != std::string::npos, verbose) << r.out;
    vtest::RunResult second = tool("drainbase", drain);
    EXPECT_TRUE(second.out == first.out) << "the export read back differs";
    // Verbose output changes nothing in the export.
    if (extra.back() != "roman8") {
      EXPECT_TRUE(first.out == plain.out) << first.out.substr(0, 300);
    }
  }
}

TEST_F(Transfer, TranslationTableTrace) {
  vtest::write_file(file("SHOP.002.exp"),
                    "# SET 2 = ORDERS\n#     1 ORDER-NO         D\n"
                    "#     2 CUST-NO          X8\n#     3 QTY              I\n"
                    "#     4 PRICE            L\n"
                    "1,\"C1\",3,9.5\n");
  vtest::write_file(file("SHOP.001.exp"), "\"C1\",\"Ann\",\"Graz\"\n");
  vtest::write_file(file("spec"), "import set orders { qty = :const 5; qty = :null; price = :const \"7\"; }\n");
  vtest::RunResult r = tool("fillbase", {"-t", "-t", "-r", file("spec"), "-i", dir_.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // The fields by name, then the rules: the second rule for QTY replaces
  // the first, so QTY is null.
  const std::string kTable =
      "\ntranslate[0] = \nitem = 4 (ORDER-NO        )\nspec = <null pointer>\nidx  = 1\ncnt  = 1\nofs  = 0\n"
      "\ntranslate[1] = \nitem = 1 (CUST-NO         )\nspec = <null pointer>\nidx  = 2\ncnt  = 1\nofs  = 4\n"
      "\ntranslate[2] = \nitem = 5 (QTY             )\nspec = <null pointer>\nidx  = 3\ncnt  = 1\nofs  = 12\n"
      "\ntranslate[3] = \nitem = 6 (PRICE           )\nspec = <null pointer>\nidx  = 4\ncnt  = 1\nofs  = 14\n"
      "\ntranslate[2] = \nitem = 5 (QTY             )\nspec = :CONST 5\nidx  = 0\ncnt  = 1\nofs  = 12\n"
      "-> replace translation #2\n"
      "\ntranslate[2] = \nitem = 5 (QTY             )\nspec = :NULL\nidx  = 0\ncnt  = 1\nofs  = 12\n"
      "-> replace translation #2\n"
      "\ntranslate[3] = \nitem = 6 (PRICE           )\nspec = :CONST 7\nidx  = 0\ncnt  = 1\nofs  = 14\n"
      "-> replace translation #3\n";
  EXPECT_NE(r.out.find(kTable), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("QTY              = NULL\n"), std::string::npos) << r.out;
  // One -t traces the assignments only.
  ASSERT_EQ(tool("blankset", {}).exit_code, 0);
  r = tool("fillbase", {"-t", "-r", file("spec"), "-i", dir_.path()});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find("translate["), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("PRICE            = \"7\"\n"), std::string::npos) << r.out;
}

TEST_F(Transfer, UsageErrorsOfTheFrame) {
  struct Case {
    std::vector<std::string> args;
    std::string err;  // after the banner, with "%p" for the program
  };
  const Case cases[] = {
      {{"-x", "DB"}, "%p: illegal arguments\n"},
      {{"-v"}, "%p: no database specified\n"},
      {{"-u", "ann"}, "%p: no database specified\n"},
  };
  for (const char* name : {"fillbase", "drainbase"}) {
    const std::string prog = vtest::tool_path(name);
    for (const Case& c : cases) {
      vtest::RunResult r = run_tool(name, c.args);
      EXPECT_EQ(r.exit_code, 2) << name;
      std::string want = c.err;
      want.replace(want.find("%p"), 2, prog);
      std::string upper = name;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      EXPECT_EQ(dbserver_test::without_getopt_lines(after_banner(r.err, upper), prog), want) << name;
    }
    // No arguments at all: the usage.
    vtest::RunResult r = run_tool(name, {});
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.err.find("usage: " + std::string(name) + " [options] database [set ...]\n"), std::string::npos);
  }
  vtest::RunResult r = tool("fillbase", {"-c", "x"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find(": illegal arguments\n"), std::string::npos) << r.err;
}

TEST(FillbaseLimits, TranslationTableHoldsAtMost2048Entries) {
  // An item of 64 elements has 2,080 element ranges, each an entry.
  dbserver_test::StandIn server;
  vtest::TempDir dir;
  vtest::write_file(dir.file("wide.schema"),
                    "BEGIN DATA BASE WIDE;\nPASSWORDS:\nITEMS:\n KEY, X4;\n VALS, 64 I;\nSETS:\n"
                    "N: ROWS, D (/0);\nE: KEY, VALS;\nEND.\n");
  ASSERT_EQ(dbserver_test::compile_schema(server, dir.file("wide.schema")).exit_code, 0);
  const std::string db = dbserver_test::db_operand(server, "WIDE");
  ASSERT_EQ(run_tool("forgeset", {db}).exit_code, 0);
  std::string spec = "import set rows {\n";
  for (int a = 1; a <= 64; ++a)
    for (int b = a; b <= 64; ++b) spec += " vals[" + std::to_string(a) + "-" + std::to_string(b) + "] = :null;\n";
  vtest::write_file(dir.file("spec"), spec + "}\n");
  vtest::write_file(dir.file("WIDE.001.exp"), "\"K1\"\n");
  vtest::RunResult r = run_tool("fillbase", {"-r", dir.file("spec"), "-i", dir.path(), db});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(after_banner(r.err, "FILLBASE"), "Too many fields to process\n");
}

}  // namespace
