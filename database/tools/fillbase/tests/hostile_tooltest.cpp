// drainbase and fillbase against servers that answer wrongly: set
// statistics whose record length disagrees with the set's items, and set
// numbers that name no set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/toolrun.h"
#include "testsupport.h"

namespace {

using dbserver_test::run_tool;

// The shop database with storage, in a stand-in started with `options`.
struct Shop {
  explicit Shop(const std::vector<std::string>& options) : server(options) {
    vtest::RunResult r = dbserver_test::compile_schema(server, dbserver_test::client_fixture("shop.schema"));
    EXPECT_EQ(r.exit_code, 0) << r.out << r.err;
    db = dbserver_test::db_operand(server, "SHOP");
    r = run_tool("forgeset", {db});
    EXPECT_EQ(r.exit_code, 0) << r.err;
  }
  dbserver_test::StandIn server;
  std::string db;
};

TEST(HostileReplies, RecordLengthThatDisagreesWithTheItemsIsRefused) {
  for (const char* fault : {"short-record-length", "long-record-length"}) {
    SCOPED_TRACE(fault);
    Shop shop({"--fault", fault});
    vtest::TempDir dir;
    vtest::write_file(dir.file("SHOP.001.exp"), "\"C0001\",\"N\",\"X\"\n");
    for (std::vector<std::string> args :
         {std::vector<std::string>{"fillbase", "-i", dir.path(), shop.db, "CUSTOMERS"},
          std::vector<std::string>{"drainbase", "-o", dir.path(), shop.db, "CUSTOMERS"}}) {
      std::string tool = args[0];
      args.erase(args.begin());
      vtest::RunResult r = run_tool(tool, args);
      EXPECT_EQ(r.exit_code, 1) << tool << r.err;
      EXPECT_NE(r.err.find("Inconsistent ROOT structures detected"), std::string::npos) << tool << r.err;
    }
  }
}

TEST(HostileReplies, SetNumbersOutOfRangeNameNoSet) {
  Shop shop({});
  vtest::TempDir dir;
  for (const char* number : {"16843009", "2147483647", "0", "99"}) {
    vtest::RunResult r = run_tool("drainbase", {"-o", dir.path(), shop.db, number});
    EXPECT_EQ(r.exit_code, 1) << number << r.err;
    EXPECT_NE(r.err.find("Bad parameter value [-21]"), std::string::npos) << number << r.err;
  }
}

}  // namespace
