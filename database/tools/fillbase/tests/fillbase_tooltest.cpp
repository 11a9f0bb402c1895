// fillbase and drainbase against a database compiled into the stand-in:
// export files both ways and back, single files, transactions of -c
// records, the error log, a fatal error rolling back the open batch, a
// restructured import, and the usage errors of both tools.
#include <gtest/gtest.h>

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
  EXPECT_NE(r.err.find("\nIllegal numeric value: 12x,\"Linz\"\n"), std::string::npos) << r.err;
  r = tool("drainbase", {"-w", "5"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("drainbase: Bad dset id width \"5\"\n"), std::string::npos) << r.err;
  r = tool("drainbase", {"-o", dir_.path(), "-w", "4"}, {"CUSTOMERS", "NOSUCH"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("NOSUCH: Illegal set name\n"), std::string::npos);
}

}  // namespace
