// schema against the stand-in database server: the catalog rows written for
// the order-entry schema, read back with the catalog calls; the groups and
// memberships of the user "public"; a collating sequence found and reused;
// refused requests that leave the catalog as it was; and the fatal lines of
// a failed session.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/rowtext.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

std::string examples() { return vtest::source_dir() + "/examples/schemas"; }

using dbserver_test::row_text;

// A session on the stand-in's catalog, read through the client library.
class Catalog {
 public:
  explicit Catalog(const StandIn& server) {
    idb_init(0, 0, 0, 0);
    idb_logon("tester", "");
    server_id_ = SysCat_open("127.0.0.1", server.service().c_str());
  }
  ~Catalog() {
    if (db_ > 0) SysCat_close_db(server_id_, db_);
    if (server_id_ > 0) SysCat_close(server_id_);
    idb__exit();
  }
  Catalog(const Catalog&) = delete;
  Catalog& operator=(const Catalog&) = delete;

  int server() const { return server_id_; }
  bool open(const char* name) {
    db_ = SysCat_open_db_by_name(server_id_, name, 0, 0);
    return db_ > 0;
  }
  // Every row of a catalog table (db 0: the node's tables).
  std::vector<std::string> rows(uint32_t table, bool node = false) {
    std::vector<std::string> result;
    SysCatResultSet* rs = SysCat_select(server_id_, node ? 0 : db_, table, SysSelect_ALL);
    if (!rs) return {"(select failed)"};
    while (SysCatRow* row = SysCat_fetch(rs)) {
      result.push_back(row_text(rs, row));
      std::free(row);
    }
    SysCat_close_query(rs);
    return result;
  }
  // The node's collating sequences as "id|name".
  std::vector<std::string> collates() {
    std::vector<std::string> result;
    for (const std::string& row : rows(SysCollate_NODEID, true)) {
      const size_t second = row.find('|', row.find('|') + 1);
      result.push_back(row.substr(0, second));
    }
    return result;
  }

 private:
  int server_id_ = -1;
  int db_ = 0;
};

class SchemaCatalog : public ::testing::Test {
 protected:
  void SetUp() override {
    vtest::run("/bin/mkdir", {"-p", dir_.file("reg")});
    vtest::write_file(dir_.file("reg/user.reg"),
                      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" +
                          examples() + "/lib\"\n");
  }
  vtest::RunResult schema(const StandIn& server, std::vector<std::string> args, const std::string& file) {
    args.insert(args.begin(), {"-h", "127.0.0.1", "-s", server.service(), "-u", "tester"});
    args.push_back(file);
    vtest::RunOptions options;
    options.env["VARNICA_REGISTRY"] = dir_.file("reg");
    options.timeout_seconds = 30;
    return vtest::run("schema", args, options);
  }
  vtest::TempDir dir_;
};

TEST_F(SchemaCatalog, OrderEntryRowsReadBack) {
  StandIn server;
  vtest::RunResult r = schema(server, {"-l", "-t"}, examples() + "/orders.schema");
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  // No user "public" and no collating sequences yet: look-ups that the
  // catalog answers with "not found" are no failures to report.
  EXPECT_EQ(r.err.find("System catalog failure"), std::string::npos) << r.err;
  const std::string done = "*** Database catalog created\n";
  ASSERT_GE(r.out.size(), done.size());
  EXPECT_EQ(r.out.substr(r.out.size() - done.size()), done);

  Catalog cat(server);
  ASSERT_GT(cat.server(), 0);
  ASSERT_TRUE(cat.open("ORDERS"));
  using Rows = std::vector<std::string>;
  // Tables: type 1 (a data set), then the flags: masters 1, automatic
  // masters 3, details 0.
  EXPECT_EQ(cat.rows(SysTable_ID),
            (Rows{"1|CUSTOMERS|1|1", "2|PRODUCTS|1|1", "3|ORDER-KEYS|1|3", "4|ORDERS|1|0", "5|ORDER-LINES|1|0"}));
  // "public" first; classes by password, or by number without one.
  std::vector<std::string> groups;
  for (const std::string& row : cat.rows(SysGroup_ID)) groups.push_back(row.substr(0, row.rfind('|')));
  EXPECT_EQ(groups, (Rows{"2|public", "3|CLERK", "4|MANAGER", "5|Group5"}));
  // Read 1, read and write 3; "public" reads the products only (class 0).
  EXPECT_EQ(cat.rows(SysPrivilege_ID),
            (Rows{"3|1|01000000", "4|1|03000000", "5|1|01000000", "2|2|01000000", "3|2|01000000", "4|2|03000000",
                  "5|2|01000000", "3|3|01000000", "4|3|03000000", "3|4|03000000", "4|4|03000000", "3|5|03000000",
                  "4|5|03000000"}));
  EXPECT_EQ(cat.rows(SysColumn_ID).size(), 12u);
  EXPECT_EQ(cat.rows(SysColumn_ID)[6], "7|PRICE|11|0|1|2");
  EXPECT_EQ(cat.rows(SysColumn_ID)[9], "10|COMMENTS|1|20|2|0");
  // Index items first, then the key index of each master.
  EXPECT_EQ(cat.rows(SysIndex_ID), (Rows{"1|0|NAME-IX|2|2", "2|0|PROD-IX|2|1", "3|1|CUSTOMERS|6|1", "4|2|PRODUCTS|6|1",
                                         "5|3|ORDER-KEYS|6|1"}));
  EXPECT_EQ(cat.rows(SysIndexSeg_ID), (Rows{"1|1|2|30", "1|2|3|10", "2|1|6|30", "3|1|1|8", "4|1|5|8", "5|1|8|4"}));
  // A detail's key columns are those that carry a path.
  EXPECT_EQ(cat.rows(SysTableColumn_ID),
            (Rows{"1|1|1|1", "1|2|2|0", "1|3|3|0", "1|4|4|0", "2|5|1|1", "2|6|2|0", "2|7|3|0", "3|8|1|1", "4|8|1|1",
                  "4|1|2|1", "4|9|3|0", "4|10|4|0", "5|8|1|1", "5|11|2|0", "5|5|3|1", "5|12|4|0"}));
  // ORDERS' primary path (to CUSTOMERS, sorted by ORDER-DATE) is its first,
  // and the masters point at the path numbers after the exchange.
  EXPECT_EQ(cat.rows(SysTablePath_ID), (Rows{"1|1|1|4|1|1|0", "2|1|5|5|2|5|0", "3|1|8|4|2|8|0", "3|2|8|5|1|8|0",
                                             "4|1|1|1|1|1|9", "4|2|8|3|1|8|0", "5|1|8|3|2|8|11", "5|2|5|2|1|5|0"}));
  // Both maps of each collating sequence, under their own names; an index
  // names the first map of its sequence.
  const Rows collates = cat.collates();
  EXPECT_EQ(collates, (Rows{"1|german", "2|german.iso88591", "3|german@phone", "4|german.iso88591@phone"}));
  EXPECT_EQ(cat.rows(SysTableIndex_ID), (Rows{"1|1|1", "2|2|3"}));
}

TEST_F(SchemaCatalog, PublicUserJoinsEveryGroupAndCollatingSequencesAreReused) {
  StandIn server;
  uint32_t public_uid = 0, german_id = 0;
  {
    Catalog cat(server);
    ASSERT_GT(cat.server(), 0);
    SysCatUser user{0, "public", nullptr, 4};
    ASSERT_EQ(SysCat_add_user(cat.server(), &user), 0);
    public_uid = user.uid;
    const unsigned char bytes[] = {1, 2, 3};
    SysCatBlock block{3, bytes};
    SysCatCollate coll{0, "german", SysCollate_BYTEMAP, 0, 0, &block};
    ASSERT_EQ(SysCat_add_collate(cat.server(), &coll), 0);
    german_id = coll.id;
  }
  vtest::RunResult r = schema(server, {}, examples() + "/orders.schema");
  ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "");  // no listing, no set table: nothing to say

  Catalog cat(server);
  ASSERT_TRUE(cat.open("ORDERS"));
  const std::string uid = std::to_string(public_uid);
  EXPECT_EQ(cat.rows(SysMember_ID), (std::vector<std::string>{uid + "|2", uid + "|3", uid + "|4", uid + "|5"}));
  const std::vector<std::string> collates = cat.collates();
  ASSERT_EQ(collates.size(), 4u);
  EXPECT_EQ(collates[0], std::to_string(german_id) + "|german");
  EXPECT_EQ(cat.rows(SysTableIndex_ID)[0], "1|1|" + std::to_string(german_id));
}

// A request refused half way rolls the whole transaction back: no database,
// group, column or collating sequence stays behind.
TEST_F(SchemaCatalog, RefusedRequestsLeaveTheCatalogAsItWas) {
  struct Refusal {
    const char* request;
    const char* fatal;
  };
  const Refusal refusals[] = {
      {"4/11", "*** (FATAL) Unable to create database \"ORDERS\"\n"},
      {"4/15", "*** (FATAL) Unable to open database \"ORDERS\"\n"},
      {"4/21@3", "*** (FATAL) create_groups failed\n"},
      {"4/18@2", "*** (FATAL) create_collate failed\n"},
      {"4/27@5", "*** (FATAL) create_columns failed\n"},
      {"4/33@2", "*** (FATAL) create_indices failed\n"},
      {"4/34@3", "*** (FATAL) create_tables failed\n"},
      {"4/38@4", "*** (FATAL) create_tables failed\n"},
      {"3/17", "*** (FATAL) Unable to commit server transaction\n"},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.request);
    StandIn server({"--refuse", refusal.request});
    vtest::RunResult r = schema(server, {}, examples() + "/orders.schema");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.out.find(refusal.fatal), std::string::npos) << r.out;
    if (std::strcmp(refusal.request, "4/18@2") == 0) {
      EXPECT_NE(r.err.find("Failed to create collating sequence \"german.iso88591\"\n"), std::string::npos) << r.err;
    }

    Catalog cat(server);
    ASSERT_GT(cat.server(), 0);
    EXPECT_FALSE(cat.open("ORDERS"));
    EXPECT_EQ(cat.rows(SysDb_NODEID, true), std::vector<std::string>{});
    EXPECT_EQ(cat.collates(), std::vector<std::string>{});
  }
}

TEST_F(SchemaCatalog, SessionFailures) {
  int closed_port;
  {
    StandIn gone;
    closed_port = gone.port();
  }
  vtest::RunOptions options;
  options.env["VARNICA_REGISTRY"] = dir_.file("reg");
  const std::string service = std::to_string(closed_port);
  vtest::RunResult r = vtest::run("schema", {"-h", "127.0.0.1", "-s", service, examples() + "/orders.schema"}, options);
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out.find("*** (FATAL) Unable to connect to database server 127.0.0.1:" + service + "\n*** (FATAL) "),
            r.out.find("*** "))
      << r.out;

  StandIn plain({"--capabilities", "2a"});
  r = schema(plain, {}, examples() + "/orders.schema");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("*** (FATAL) Database server has insufficient capabilities 127.0.0.1:" + plain.service()),
            std::string::npos)
      << r.out;

  // The same database twice: the second is refused and the first stays.
  StandIn server;
  ASSERT_EQ(schema(server, {}, examples() + "/orders.schema").exit_code, 0);
  r = schema(server, {}, examples() + "/orders.schema");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("*** (FATAL) Unable to create database \"ORDERS\"\n"), std::string::npos) << r.out;
  Catalog cat(server);
  ASSERT_TRUE(cat.open("ORDERS"));
  EXPECT_EQ(cat.rows(SysTable_ID).size(), 5u);
}

}  // namespace
