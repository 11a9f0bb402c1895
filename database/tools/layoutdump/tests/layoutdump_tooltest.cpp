// layoutdump against databases compiled into the stand-in: the printed
// schema of a database with a default collating sequence and one without,
// class lists by privilege, items of compatibility letters, the order-entry
// database compiled again from its dump giving the same text, and the usage.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::after_banner;
using dbserver_test::run_tool;
using dbserver_test::StandIn;

std::string fixture(const std::string& name) {
  return vtest::source_dir() + "/database/tools/layoutdump/tests/fixtures/" + name;
}
std::string example(const std::string& name) { return vtest::source_dir() + "/examples/schemas/" + name; }

class Layoutdump : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::run("/bin/mkdir", {"-p", dir_.file("reg")});
    vtest::write_file(dir_.file("reg/user.reg"),
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" +
                          example("lib") + "\"\n");
  }
  vtest::RunResult compile(const StandIn& server, const std::string& file, std::vector<std::string> extra = {}) {
    vtest::RunOptions options;
    options.timeout_seconds = 30;
    options.env["VARNICA_REGISTRY"] = dir_.file("reg");
    extra.insert(extra.end(), {"-h", "127.0.0.1", "-s", server.service(), "-u", "tester", file});
    return vtest::run("schema", extra, options);
  }
  // The dump of a database; empty with a test failure when it does not end with 0.
  std::string dump(const StandIn& server, const std::string& name) {
    vtest::RunResult r = run_tool("layoutdump", {dbserver_test::db_operand(server, name)});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(after_banner(r.err, "LAYOUTDUMP"), "");
    return r.out;
  }
  vtest::TempDir dir_;
};

TEST_F(Layoutdump, MixedCollatingSequencesAndClassLists) {
  StandIn server;
  ASSERT_EQ(compile(server, fixture("mixed.schema")).exit_code, 0);
  ASSERT_EQ(compile(server, fixture("public.schema")).exit_code, 0);
  // One index without a collating sequence: no default, and the other index
  // names its own.
  EXPECT_EQ(dump(server, "MIXED"),
            "# Schema definition for data base MIXED\n\n"
            "BEGIN DATA BASE MIXED;\n\n"
            "PASSWORDS:\n"
            "          1 READER;\n"
            "          2 AUDIT;\n"
            "          3 WRITER;\n\n"
            "ITEMS:\n"
            "        KEY,                 X6;\n"
            "        LABEL,               2 X10;\n"
            "        NOTE,                X12;\n"
            "        AMOUNT,              D (3);\n\n"
            "IITEMS:\n"
            "        LABEL-IX          = NOTE;\n"
            "        KEY-IX            = KEY:4;\n\n"
            "SETS:\n\n"
            "N:      MAIN, M (1,2/3);\n"
            "E:      KEY (2),\n"
            "        LABEL,\n"
            "        NOTE;\n"
            "I:      LABEL-IX /german,\n"
            "        KEY-IX;\n\n"
            "N:      LINES, D (1/3);\n"
            "E:      KEY (MAIN),\n"
            "        AMOUNT;\n\n"
            "N:      MORE, D (1,2/3);\n"
            "E:      KEY (MAIN),\n"
            "        LABEL;\n\n"
            "END.\n");
  // Only the group "public" may write: "(/0)".
  EXPECT_EQ(dump(server, "OPEN"),
            "# Schema definition for data base OPEN\n\n"
            "BEGIN DATA BASE OPEN;\n\n"
            "PASSWORDS:\n\n"
            "ITEMS:\n"
            "        CODE,                X4;\n\n"
            "SETS:\n\n"
            "N:      LOG, M (/0);\n"
            "E:      CODE (0);\n\n"
            "END.\n");
}

TEST_F(Layoutdump, OrderEntryDumpCompilesBackToTheSameText) {
  StandIn first, second;
  ASSERT_EQ(compile(first, example("orders.schema")).exit_code, 0);
  const std::string text = dump(first, "ORDERS");
  for (const char* line :
       {"\nDEFAULT LANGUAGE german;\n", "\nN:      CUSTOMERS, M (1,3/2);\nE:      CUST-NO (1),\n",
        "I:      PROD-IX /german@phone;\n", "I:      NAME-IX;\n", "        NAME-IX           = CUST-NAME,CITY:10;\n",
        "        COMMENTS,            2 X20;\n", "        PRICE,               L (2);\n", "          3 GROUP5;\n",
        "E:      ORDER-NO (ORDER-KEYS),\n        CUST-NO (CUSTOMERS),\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  const std::string file = dir_.file("orders-dump.schema");
  vtest::write_file(file, text);
  vtest::RunResult r = compile(second, file);
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(dump(second, "ORDERS"), text);
}

TEST_F(Layoutdump, DatabaseWithoutSetsDumpsWhatCompilesBack) {
  StandIn first, second;
  const std::string source = dir_.file("nosets.schema");
  vtest::write_file(source, "BEGIN DATA BASE NOSETS;\nPASSWORDS:\nITEMS:\n CODE, X4;\n");
  ASSERT_EQ(compile(first, source).exit_code, 0);
  const std::string text = dump(first, "NOSETS");
  EXPECT_EQ(text,
            "# Schema definition for data base NOSETS\n\nBEGIN DATA BASE NOSETS;\n\nPASSWORDS:\n\nITEMS:\n"
            "        CODE,                X4;\n\nEND.\n");
  const std::string file = dir_.file("nosets-dump.schema");
  vtest::write_file(file, text);
  vtest::RunResult r = compile(second, file);
  ASSERT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(dump(second, "NOSETS"), text);
}

TEST_F(Layoutdump, CompiledDumpGrantsWhatTheCatalogGranted) {
  // layoutdump, schema, layoutdump: the same text, and the same privilege
  // rows, on sets that the group "public" reads, writes, and neither.
  struct Case {
    std::string schema;
    const char* name;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {fixture("rights.schema"),
       "RIGHTS",
       {"N:      READS, M (0/2);\n", "N:      WRITES, M (/0);\n", "N:      NEITHER, M (1/2,3);\n",
        "N:      BOTH, M (/0);\n"}},
      {example("orders.schema"), "ORDERS", {"N:      PRODUCTS, M (0/2);\n", "N:      ORDERS, D (/1,2);\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StandIn first, second;
    ASSERT_EQ(compile(first, c.schema).exit_code, 0);
    const std::string text = dump(first, c.name);
    for (const std::string& line : c.lines) EXPECT_NE(text.find(line), std::string::npos) << line << text;
    vtest::write_file(dir_.file("dump.schema"), text);
    vtest::RunResult r = compile(second, dir_.file("dump.schema"));
    ASSERT_EQ(r.exit_code, 0) << r.out;
    EXPECT_EQ(dump(second, c.name), text);
    std::string rows[2];
    for (int k = 0; k < 2; ++k) {
      const StandIn& server = k == 0 ? first : second;
      vtest::RunResult spill = run_tool("catspill", {"-h", "127.0.0.1", "-s", server.service(), "-t", "6", c.name});
      ASSERT_EQ(spill.exit_code, 0) << spill.err;
      rows[k] = spill.out;
    }
    EXPECT_NE(rows[0].find("\n|2   |"), std::string::npos) << rows[0];  // a row of "public"
    EXPECT_EQ(rows[1], rows[0]);
  }
}

TEST_F(Layoutdump, CompatibilityLettersComeBackAsComments) {
  StandIn server;
  ASSERT_EQ(compile(server, example("compat.schema"), {"-T"}).exit_code, 0);
  const std::string text = dump(server, "LEGACY");
  for (const char* line : {"        CUST/NO,             X8;\t# X8\n", "        BALANCE,             B6;\t# P12\n",
                           "        FLAGS,               I;\t# K\n", "        HISTORY,             B10;\t# I5\n",
                           "        CREDIT-LIMIT,        L;\t# E4\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

TEST_F(Layoutdump, UsageAndErrors) {
  const std::string prog = vtest::tool_path("layoutdump");
  const std::string usage = "usage: " + prog +
                            " [options] database\n"
                            "options:\n"
                            " -u user   - set user name\n"
                            " -p pswd   - set user password\n"
                            " -v        - verbose\n"
                            " -d flags  - debug flags\n\n";
  StandIn server;
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  const std::string missing = dbserver_test::db_operand(server, "MISSING");
  const Case cases[] = {
      {{"-help"}, 2, usage},
      {{}, 2, prog + ": No database specified\n" + usage},
      {{"A", "B"}, 2, prog + ": Unexpected arguments\n" + usage},
      {{""}, 1, prog + ": Illegal data base name\n"},
      {{"-x", "DB"}, 2, prog + ": illegal arguments\n"},
      {{missing}, 1, "Fatal error #-1 while opening database\nDBOPEN(1): Unable to open database [-1]\n"},
  };
  for (const Case& c : cases) {
    vtest::RunResult r = run_tool("layoutdump", c.args);
    EXPECT_EQ(r.exit_code, c.code) << c.err;
    EXPECT_EQ(dbserver_test::without_getopt_lines(after_banner(r.err, "LAYOUTDUMP"), prog), c.err);
    EXPECT_EQ(r.out, "");
  }
  vtest::RunResult r = run_tool("layoutdump", {"-v", missing});
  EXPECT_EQ(r.out, "Connecting server ...\n");
}

TEST(LayoutdumpCatalog, ServerWithoutCatalogCapability) {
  vtest::TempDir dir;
  StandIn server({"--capabilities", "2a", "--root-file", dbserver_test::small_root_file(dir)});
  const std::string prog = vtest::tool_path("layoutdump");
  vtest::RunResult r = run_tool("layoutdump", {dbserver_test::db_operand(server, "ANY")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(after_banner(r.err, "LAYOUTDUMP"), prog + ": Sorry - server 127.0.0.1:" + server.service() +
                                                   " has insufficient capabilities\n" + prog +
                                                   ": REMOTE: Server does not have required capabilities [-700:-10]\n");
}

}  // namespace
