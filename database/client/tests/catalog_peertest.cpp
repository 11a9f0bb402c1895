// Catalog calls and transactions against the stand-in database server: every
// call in both byte orders, and transactions that span two servers (nested
// commits, the rollback modes, the nesting limit, the replay on a server
// attached inside a transaction, and a refused pre-commit).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/status.h"
#include "database/client/trace.h"
#include "database/client/transaction.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

class CatalogPeer : public ::testing::Test {
 protected:
  void SetUp() override {
    trace_path_ = dir_.file("trace.txt");
    debug_init("*0", std::fopen(trace_path_.c_str(), "w"));
  }
  void TearDown() override {
    idb__exit();
    debug_set_stream(stderr);
  }
  std::string trace() {
    std::fflush(debug_stream());
    return vtest::read_file(trace_path_);
  }
  static int open(const StandIn& s) { return SysCat_open("127.0.0.1", s.service().c_str()); }
  // Rows of a table, or -1 when the select failed.
  static long rows(int server, int db, uint32_t table) {
    SysCatResultSet* rs = SysCat_select(server, db, table, SysSelect_ALL);
    if (!rs) return -1;
    long n = rs->row_count;
    EXPECT_EQ(0, SysCat_close_query(rs));
    return n;
  }
  static int add_user(int server, const char* name) {
    SysCatUser u = {0, name, nullptr, 4};
    return SysCat_add_user(server, &u);
  }
  static void expect_last(int code, int secondary) {
    EXPECT_EQ(code, idb__last_status().code);
    EXPECT_EQ(secondary, idb__last_status().secondary);
  }
  vtest::TempDir dir_;
  std::string trace_path_;
};

class CatalogCalls : public CatalogPeer, public ::testing::WithParamInterface<const char*> {};

TEST_P(CatalogCalls, EveryCallReadsBackWhatItWrote) {
  StandIn server({"--byte-order", GetParam()});
  int s = open(server);
  ASSERT_GT(s, 0);

  // Users: a digest password, none, a duplicate name without case.
  const unsigned char digest[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0xff};
  SysCatBlock pw = {16, digest};
  SysCatUser alice = {0, "alice", &pw, 4};
  ASSERT_EQ(0, SysCat_add_user(s, &alice));
  EXPECT_EQ(1u, alice.uid);
  SysCatUser bob = {0, "bob", nullptr, 4};
  ASSERT_EQ(0, SysCat_add_user(s, &bob));
  EXPECT_EQ(2u, bob.uid);
  SysCatUser dup = {0, "ALICE", nullptr, 4};
  EXPECT_EQ(-1, SysCat_add_user(s, &dup));
  expect_last(S_SYSCAT, 0x0801);

  SysCatUser* got = SysCat_get_user_by_id(s, 1);
  ASSERT_NE(nullptr, got);
  EXPECT_STREQ("alice", got->name);
  ASSERT_NE(nullptr, got->password);
  ASSERT_EQ(16u, got->password->length);
  EXPECT_EQ(0, std::memcmp(digest, got->password->bytes, 16));
  EXPECT_EQ(4, got->flags);
  std::free(got);
  got = SysCat_get_user_by_name(s, "BOB");
  ASSERT_NE(nullptr, got);
  EXPECT_EQ(2u, got->uid);
  EXPECT_EQ(nullptr, got->password);
  std::free(got);

  bob.flags = 7;
  EXPECT_EQ(0, SysCat_upd_user(s, &bob));
  got = SysCat_get_user_by_name(s, "bob");
  ASSERT_NE(nullptr, got);
  EXPECT_EQ(7, got->flags);
  std::free(got);
  EXPECT_EQ(0, SysCat_del_user(s, &bob));
  EXPECT_EQ(nullptr, SysCat_get_user_by_name(s, "bob"));
  expect_last(S_SYSCAT, 0x0802);

  // Databases and collating sequences.
  SysCatDb db = {0, "SHOP", 4, 0, 0};
  ASSERT_EQ(0, SysCat_add_db(s, &db));
  EXPECT_EQ(1u, db.dbid);
  int h = SysCat_open_db_by_name(s, "shop", 0, 0);
  ASSERT_GT(h, 0);
  EXPECT_EQ(-1, SysCat_open_db_by_name(s, "nowhere", 0, 0));
  expect_last(S_SYSCAT, 0x0802);

  unsigned char bytes[256];
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(255 - i);
  SysCatBlock map = {256, bytes};
  SysCatCollate coll = {0, "reverse", SysCollate_BYTEMAP, 0, 0, &map};
  ASSERT_EQ(0, SysCat_add_collate(s, &coll));
  EXPECT_EQ(1u, coll.id);
  for (SysCatCollate* c : {SysCat_get_collate_by_name(s, "REVERSE"), SysCat_get_collate_by_id(s, 1),
                           SysCat_get_client_collate_by_id(s, 1)}) {
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ("reverse", c->name);
    ASSERT_NE(nullptr, c->map);
    ASSERT_EQ(256u, c->map->length);
    EXPECT_EQ(0, std::memcmp(bytes, c->map->bytes, 256));
    std::free(c);
  }

  // Groups, members and privileges of the database.
  SysCatGroup grp = {0, "clerks", 0};
  ASSERT_EQ(0, SysCat_add_group(s, h, &grp));
  EXPECT_EQ(2u, grp.gid);
  SysCatGroup* g = SysCat_get_group_by_id(s, h, 2);
  ASSERT_NE(nullptr, g);
  EXPECT_STREQ("clerks", g->name);
  std::free(g);
  grp.flags = 1;
  EXPECT_EQ(0, SysCat_upd_group(s, h, &grp));
  SysCatMember memb = {1, 2};
  EXPECT_EQ(0, SysCat_add_member(s, h, &memb));
  EXPECT_EQ(-1, SysCat_add_member(s, h, &memb));
  expect_last(S_SYSCAT, 0x0801);
  SysCatPrivilege priv = {2, 1, SysPriv_READ | SysPriv_WRITE};
  EXPECT_EQ(0, SysCat_add_privilege(s, h, &priv));
  EXPECT_EQ(1, rows(s, h, SysMember_ID));
  EXPECT_EQ(1, rows(s, h, SysPrivilege_ID));
  EXPECT_EQ(0, SysCat_del_member(s, h, &memb));
  EXPECT_EQ(0, SysCat_del_privilege(s, h, &priv));
  EXPECT_EQ(0, SysCat_del_group(s, h, &grp));
  EXPECT_EQ(0, rows(s, h, SysGroup_ID));

  // The description of a table.
  SysCatColumn col = {0, 0, "ITEM", 7, 0, 1, 0, 0};
  ASSERT_EQ(0, SysCat_add_column(s, h, &col));
  EXPECT_EQ(1u, col.colid);
  SysCatIndex ind = {0, 0, "BYITEM", 0, 2, 1, 0};
  ASSERT_EQ(0, SysCat_add_index(s, h, &ind));
  EXPECT_EQ(1u, ind.idxid);
  SysCatIndexSeg seg = {1, 1, 1, 4, 0};
  EXPECT_EQ(0, SysCat_add_indexseg(s, h, &seg));
  SysCatTable tbl = {0, 0, "ORDERS", 1, SysTable_MASTER, 1, 0, 1, 0};
  ASSERT_EQ(0, SysCat_add_table(s, h, &tbl));
  EXPECT_EQ(1u, tbl.tableid);
  SysCatTableColumn tc = {1, 1, 1, 1};
  EXPECT_EQ(0, SysCat_add_tablecolumn(s, h, &tc));
  SysCatTablePath tp = {1, 1, 1, 1, 1, 1, 0};
  EXPECT_EQ(0, SysCat_add_tablepath(s, h, &tp));
  SysCatTableIndex ti = {1, 1, 1, 0};
  EXPECT_EQ(0, SysCat_add_tableindex(s, h, &ti));

  // A query: the table column row with its 16-bit key flag.
  SysCatResultSet* rs = SysCat_select(s, h, SysTableColumn_ID, SysSelect_ALL);
  ASSERT_NE(nullptr, rs);
  EXPECT_STREQ("SYSTABCOLUMN", rs->table_name);
  ASSERT_EQ(4u, rs->col_count);
  EXPECT_EQ(1u, rs->row_count);
  EXPECT_STREQ("key", rs->cols[3].col_name);
  EXPECT_EQ(SysCol_INT16, rs->cols[3].col_type);
  SysCatRow* row = SysCat_fetch(rs);
  ASSERT_NE(nullptr, row);
  ASSERT_EQ(4u, row->col_count);
  int32_t tableid = 0;
  std::memcpy(&tableid, row->values[0].value, 4);
  EXPECT_EQ(1, tableid);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(row->values[0].value) % 4);
  int16_t key = 0;
  std::memcpy(&key, row->values[3].value, 2);
  EXPECT_EQ(1, key);
  std::free(row);
  EXPECT_EQ(nullptr, SysCat_fetch(rs));
  expect_last(S_SYSCAT, 0x0805);
  EXPECT_EQ(0, SysCat_close_query(rs));

  // The node-level user table: a NULL password and the values after it.
  SysCatUser carol = {0, "carol", nullptr, 4};
  ASSERT_EQ(0, SysCat_add_user(s, &carol));
  rs = SysCat_select(s, 0, SysUser_NODEID, SysSelect_ALL);
  ASSERT_NE(nullptr, rs);
  EXPECT_EQ(2u, rs->row_count);
  std::free(SysCat_fetch(rs));
  row = SysCat_fetch(rs);
  ASSERT_NE(nullptr, row);
  EXPECT_STREQ("carol", reinterpret_cast<const char*>(row->values[1].value));
  EXPECT_EQ(nullptr, row->values[2].value);
  EXPECT_EQ(0u, row->values[2].length);
  ASSERT_EQ(4u, row->values[3].length);
  std::free(row);
  EXPECT_EQ(0, SysCat_close_query(rs));

  EXPECT_EQ(nullptr, SysCat_select(s, h, 99, SysSelect_ALL));
  expect_last(S_SYSCAT, 0x0806);
  EXPECT_EQ(0, SysCat_close_db(s, h));
  EXPECT_EQ(-1, SysCat_close_db(s, h));
  expect_last(S_SYSCAT, 0x0803);
  EXPECT_EQ(0, SysCat_close(s));
  EXPECT_EQ(-1, SysCat_close(s));
  expect_last(S_REMOTE, REMOTE_SERVER_ID);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, CatalogCalls, ::testing::Values("1234", "4321"));

TEST_F(CatalogPeer, UserWithoutPasswordGoesAsAnEmptyBlock) {
  StandIn server({"--byte-order", "4321"});
  int s = open(server);
  ASSERT_GT(s, 0);
  ASSERT_EQ(0, add_user(s, "al"));
  // header (after the logon), uid 0, "al", align 4, an object of 4 bytes
  // holding a zero length word, flags 4
  std::vector<std::string> frames = server.received();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(
      "000200040008"
      "00000000"
      "0003616c00"
      "00"
      "00000004"
      "00000000"
      "00000004",
      frames.back());
}

TEST_F(CatalogPeer, RefusalsAndLocalChecksFollowTheFailureTable) {
  StandIn server;
  int s = open(server);
  ASSERT_GT(s, 0);
  debug_parse_flags("P2I2");
  size_t frames = server.received().size();
  SysCatCollate bad = {0, "x", 1, 0, 0, nullptr};
  EXPECT_EQ(-1, SysCat_add_collate(s, &bad));
  expect_last(S_BAD, 0);
  EXPECT_EQ(frames, server.received().size());  // nothing was sent
  EXPECT_EQ(nullptr, SysCat_get_user_by_name(s, "nobody"));
  expect_last(S_SYSCAT, 0x0802);
  EXPECT_EQ(-1, add_user(s + 5, "x"));
  expect_last(S_REMOTE, REMOTE_SERVER_ID);
  EXPECT_EQ(nullptr, SysCat_select(s, 0, SysUser_NODEID, 3));
  std::string t = trace();
  EXPECT_NE(std::string::npos, t.find("SysCat__pack_collate(id=0) failed: unknown type 1"));
  EXPECT_NE(std::string::npos, t.find("System catalog failure: user not found"));
  EXPECT_NE(std::string::npos, t.find("S_SYSCAT (-805,2050), file"));
  EXPECT_NE(std::string::npos, t.find("SysCat_add_user() failed: unknown server_id"));
  EXPECT_NE(std::string::npos, t.find(" db_hndl = NULL"));
  EXPECT_NE(std::string::npos, t.find(" filter_id = ** unknown **"));
}

TEST_F(CatalogPeer, OpenWithoutCatalogCapabilityLeavesNoEntry) {
  StandIn server({"--capabilities", "2a"});
  EXPECT_EQ(0, open(server));
  expect_last(S_REMOTE, REMOTE_CAPABILITY);
  ClientContext* c = idb__get_client(0);
  ASSERT_NE(nullptr, c);
  EXPECT_EQ(nullptr, idb__first_server(c));
}

// ---- transactions ----

class TwoServers : public CatalogPeer {
 protected:
  void start(const std::vector<std::string>& first_options = {}, const std::vector<std::string>& second_options = {}) {
    a_ = std::make_unique<StandIn>(first_options);
    b_ = std::make_unique<StandIn>(second_options);
    sa_ = open(*a_);
    sb_ = open(*b_);
    ASSERT_GT(sa_, 0);
    ASSERT_GT(sb_, 0);
  }
  int level() { return idb__get_client(0)->tx_level; }
  static size_t count(const std::string& log, const std::string& what) {
    size_t n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  }
  std::unique_ptr<StandIn> a_, b_;
  int sa_ = 0, sb_ = 0;
  StatusArray st_ = {};
};

TEST_F(TwoServers, NestedCommitClosesInnerLevelAtOnceAndTopLevelInTwoPhases) {
  start();
  ASSERT_EQ(0, idb_begin("outer", 1, st_));
  EXPECT_EQ(10, st_[1]);
  ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
  ASSERT_EQ(0, add_user(sa_, "ann"));
  ASSERT_EQ(0, add_user(sb_, "ben"));
  ASSERT_EQ(0, idb_commit(1, st_));
  EXPECT_EQ(1, level());
  for (auto* s : {a_.get(), b_.get()}) {
    EXPECT_EQ(1u, count(s->log(), "pre-commit mode=1 levels=2 status=0"));
    EXPECT_EQ(0u, count(s->log(), "commit status="));
  }
  ASSERT_EQ(0, idb_commit(1, st_));
  EXPECT_EQ(0, level());
  EXPECT_EQ(423, st_[5]);
  for (auto* s : {a_.get(), b_.get()}) {
    EXPECT_EQ(1u, count(s->log(), "pre-commit mode=1 levels=1 status=0"));
    EXPECT_EQ(1u, count(s->log(), ": commit status=0"));
  }
  EXPECT_EQ(1, rows(sa_, 0, SysUser_NODEID));
  EXPECT_EQ(1, rows(sb_, 0, SysUser_NODEID));
}

TEST_F(TwoServers, RollbackModesTakeBackTheirLevels) {
  struct Case {
    int mode;
    int target;  // level whose id mode 2 names
    int left;    // levels open afterwards
    long users;  // users left on each server
  };
  const Case cases[] = {{1, 0, 2, 2}, {2, 1, 0, 0}, {2, 2, 1, 1}, {3, 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " target " + std::to_string(c.target));
    start();
    for (int k = 0; k < 3; ++k) {
      ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
      ASSERT_EQ(0, add_user(sa_, ("a" + std::to_string(k)).c_str()));
      ASSERT_EQ(0, add_user(sb_, ("b" + std::to_string(k)).c_str()));
    }
    uint32_t id = c.target ? static_cast<uint32_t>(idb__get_client(0)->tx_ids[c.target - 1]) : 0;
    ASSERT_EQ(0, idb_rollback(id, c.mode, st_));
    EXPECT_EQ(c.left, level());
    EXPECT_EQ(c.users, rows(sa_, 0, SysUser_NODEID));
    EXPECT_EQ(c.users, rows(sb_, 0, SysUser_NODEID));
    if (c.mode == 2 && c.target == 1) {
      EXPECT_EQ(1u, count(a_->log(), "rollback mode=2 levels=3 id=" + std::to_string(id) + " status=0"));
    }
    idb_rollback(0, 3, st_);
    idb__exit();
  }
}

TEST_F(TwoServers, TwentyFirstBeginIsRefusedWithoutAServer) {
  start();
  for (int k = 0; k < 20; ++k) ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
  EXPECT_EQ(-1, idb_begin(nullptr, 1, st_));
  EXPECT_EQ(32, st_[0]);
  EXPECT_EQ(20, level());
  EXPECT_EQ(20u, count(a_->log(), ": begin level="));
  EXPECT_EQ(0, idb_rollback(0, 3, st_));
  EXPECT_EQ(0, level());
}

TEST_F(TwoServers, ServerAttachedInsideTransactionReplaysOpenLevels) {
  a_ = std::make_unique<StandIn>();
  b_ = std::make_unique<StandIn>();
  sa_ = open(*a_);
  ASSERT_GT(sa_, 0);
  ASSERT_EQ(0, idb_begin("one", 1, st_));
  ASSERT_EQ(0, idb_begin("two", 1, st_));
  sb_ = open(*b_);
  ASSERT_GT(sb_, 0);
  std::string log = b_->log();
  EXPECT_NE(std::string::npos, log.find("begin level=0 id=10 comment=\"\" status=0"));
  EXPECT_NE(std::string::npos, log.find("begin level=1 id=11 comment=\"\" status=0"));
  ASSERT_EQ(0, add_user(sb_, "late"));
  ASSERT_EQ(0, idb_rollback(0, 1, st_));
  ASSERT_EQ(0, idb_commit(1, st_));
  EXPECT_EQ(0, rows(sb_, 0, SysUser_NODEID));
}

TEST_F(TwoServers, ServerWhoseReplayFailsLeavesTheTransaction) {
  // The second server refuses the second level of the replay: it takes the
  // first back, the attach fails with its status, and the transaction goes
  // on with the first server alone.
  a_ = std::make_unique<StandIn>();
  b_ = std::make_unique<StandIn>(std::vector<std::string>{"--refuse", "3/15@2=-36"});
  sa_ = open(*a_);
  ASSERT_GT(sa_, 0);
  ASSERT_EQ(0, idb_begin("one", 1, st_));
  ASSERT_EQ(0, idb_begin("two", 1, st_));
  EXPECT_EQ(-1, open(*b_));
  expect_last(-36, 0);
  EXPECT_EQ(2, level());
  EXPECT_EQ(1u, count(b_->log(), "rollback mode=3 levels=1 id=0 status=0"));
  ASSERT_EQ(0, add_user(sa_, "ann"));
  ASSERT_EQ(0, idb_commit(2, st_));
  EXPECT_EQ(0, level());
  EXPECT_EQ(0u, count(b_->log(), "pre-commit"));
  EXPECT_EQ(1u, count(a_->log(), "pre-commit mode=12 levels=2 status=0"));
  EXPECT_EQ(1, rows(sa_, 0, SysUser_NODEID));
}

TEST_F(TwoServers, RefusedPreCommitLeavesBothCatalogsAsBefore) {
  // The server opened first is asked second.
  start({"--refuse", "3/17=-35"});
  ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
  ASSERT_EQ(0, add_user(sa_, "ann"));
  ASSERT_EQ(0, add_user(sb_, "ben"));
  EXPECT_EQ(-35, idb_commit(1, st_));
  EXPECT_EQ(-35, st_[0]);
  EXPECT_EQ(0, level());
  EXPECT_EQ(0, rows(sa_, 0, SysUser_NODEID));
  EXPECT_EQ(0, rows(sb_, 0, SysUser_NODEID));
  // Both servers are at level 0 again: a new transaction runs everywhere.
  ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
  ASSERT_EQ(0, add_user(sb_, "ben"));
  ASSERT_EQ(0, idb_commit(1, st_));
  EXPECT_EQ(1, rows(sb_, 0, SysUser_NODEID));
}

TEST_F(TwoServers, RefusedBeginOpensNoLevelAnywhere) {
  start({"--refuse", "3/15@2=-36"});
  ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
  EXPECT_EQ(-36, idb_begin(nullptr, 1, st_));
  EXPECT_EQ(-36, st_[0]);
  EXPECT_EQ(1, level());
  // The server asked first took the level back.
  EXPECT_EQ(1u, count(b_->log(), "rollback mode=1 levels=2"));
  EXPECT_EQ(0, idb_commit(1, st_));
  EXPECT_EQ(0, level());
}

TEST_F(TwoServers, RefusedRollbackStillClosesTheLevelEverywhere) {
  start({"--refuse", "3/16=-37"});
  ASSERT_EQ(0, idb_begin(nullptr, 1, st_));
  ASSERT_EQ(0, add_user(sb_, "ben"));
  EXPECT_EQ(-37, idb_rollback(0, 1, st_));
  EXPECT_EQ(-37, st_[0]);
  EXPECT_EQ(0, level());
  EXPECT_EQ(0, rows(sb_, 0, SysUser_NODEID));
}

TEST_F(CatalogPeer, SingleServerCommitsInOneRequest) {
  StandIn server;
  int s = open(server);
  ASSERT_GT(s, 0);
  StatusArray st = {};
  ASSERT_EQ(0, idb_begin(nullptr, 1, st));
  ASSERT_EQ(0, add_user(s, "solo"));
  ASSERT_EQ(0, idb_commit(1, st));
  EXPECT_NE(std::string::npos, server.log().find("pre-commit mode=12 levels=1 status=0"));
  EXPECT_EQ(std::string::npos, server.log().find(": commit status"));
  EXPECT_EQ(1, rows(s, 0, SysUser_NODEID));
}

TEST_F(CatalogPeer, HexDumpsShowNoPasswordDigest) {
  // Sent user records show their digest as "x" bytes; replies that carry
  // one (user records, rows of the user table) only their length.
  StandIn server;
  int s = open(server);
  ASSERT_GT(s, 0);
  debug_parse_flags("X3");
  unsigned char digest[16];
  for (int i = 0; i < 16; ++i) digest[i] = static_cast<unsigned char>(0xa1 + i);
  SysCatBlock pw = {16, digest};
  SysCatUser alice = {0, "alice", &pw, 4};
  ASSERT_EQ(0, SysCat_add_user(s, &alice));
  ASSERT_EQ(0, SysCat_upd_user(s, &alice));
  for (SysCatUser* got : {SysCat_get_user_by_id(s, 1), SysCat_get_user_by_name(s, "alice")}) {
    ASSERT_NE(nullptr, got);
    ASSERT_NE(nullptr, got->password);
    EXPECT_EQ(0, std::memcmp(digest, got->password->bytes, 16));
    std::free(got);
  }
  SysCatResultSet* rs = SysCat_select(s, 0, SysUser_NODEID, SysSelect_ALL);
  ASSERT_NE(nullptr, rs);
  SysCatRow* row = SysCat_fetch(rs);
  ASSERT_NE(nullptr, row);
  std::free(row);
  EXPECT_EQ(0, SysCat_close_query(rs));
  // Other replies are shown whole.
  EXPECT_EQ(0, rows(s, 0, 20));
  const std::string t = trace();
  for (const char* pair : {"a1 a2", "a5 a6", "a9 aa", "ad ae", "af b0"})
    EXPECT_EQ(std::string::npos, t.find(pair)) << pair;
  EXPECT_NE(std::string::npos, t.find("78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78"));
  EXPECT_NE(std::string::npos, t.find("bytes not shown (they hold password digests)"));
  EXPECT_NE(std::string::npos, t.find("tcp_recv\nbuffer contains"));
}

TEST_F(CatalogPeer, TransactionCallsTraceTheirSteps) {
  StandIn server;
  ASSERT_GT(open(server), 0);
  debug_parse_flags("P2");
  StatusArray st = {};
  ASSERT_EQ(0, idb_begin(nullptr, 1, st));
  ASSERT_EQ(0, idb_begin("inner", 1, st));
  ASSERT_EQ(0, idb_rollback(0, 1, st));
  ASSERT_EQ(0, idb_commit(2, st));
  std::string t = trace();
  size_t at = 0;
  for (const char* line : {"idb_begin()\n", " mode = 1\n", " tx_id = 10\n", " comment = NULL\n", " tx_lvl = 0\n",
                           "idb_begin() calling server ...\n", " server_id = ", " comment = \"inner\"\n",
                           "idb_rollback()\n", " tx_id = 11\n", " tx_lvl = 2\n", "idb_rollback() calling server ...\n",
                           " single-server top-level transaction, will be combined using mode = 12\n", "idb_commit()\n",
                           " mode = 12\n", " tx_lvl = 1\n", "idb_commit() calling server (pre-commit) ...\n"}) {
    size_t found = t.find(line, at);
    EXPECT_NE(std::string::npos, found) << line;
    if (found != std::string::npos) at = found;
  }
  EXPECT_EQ(std::string::npos, t.find("(final commit)"));
}

TEST_F(CatalogPeer, ConnectionClosedInsideTransactionTakesItsChangesBack) {
  StandIn server;
  int s = open(server);
  ASSERT_GT(s, 0);
  StatusArray st = {};
  ASSERT_EQ(0, idb_begin(nullptr, 1, st));
  ASSERT_EQ(0, add_user(s, "gone"));
  idb__exit();
  // The server sees the close on the connection's own thread; the next
  // connection may be served before it.
  ASSERT_TRUE(server.wait_for_log("open levels at close"));
  s = open(server);
  ASSERT_GT(s, 0);
  EXPECT_EQ(0, rows(s, 0, SysUser_NODEID));
}

TEST_F(CatalogPeer, NoTransactionServerMovesOnlyTheLevel) {
  StandIn server({"--capabilities", "2c"});
  ASSERT_GT(open(server), 0);
  // Word 5 names the call that filled the array, none before it.
  StatusArray st = {};
  st[5] = 999;
  ASSERT_EQ(0, idb_begin("c", 1, st));
  EXPECT_EQ(10, st[1]);
  EXPECT_EQ(1, st[2]);
  EXPECT_EQ(421, st[5]);
  ASSERT_EQ(0, idb_begin("d", 1, st));
  EXPECT_EQ(0, idb_rollback(0, 1, st));
  EXPECT_EQ(1, st[2]);
  EXPECT_EQ(422, st[5]);
  EXPECT_EQ(0, idb_commit(1, st));
  EXPECT_EQ(423, st[5]);
  EXPECT_EQ(-1, idb_commit(1, st));
  EXPECT_EQ(33, st[0]);
  EXPECT_EQ(-1, idb_rollback(5, 1, st));
  EXPECT_EQ(33, st[0]);
  EXPECT_EQ(-1, idb_begin(nullptr, 2, st));
  EXPECT_EQ(-31, st[0]);
  EXPECT_EQ(std::string::npos, server.log().find("begin level"));
}

TEST_F(CatalogPeer, UserAddedAndCommittedLogsOnWithSrvknob) {
  std::string users = dir_.file("users");
  vtest::write_file(users, "admin:" + refcrypto::md5_hex("root") + "\n");
  StandIn server({"--users", users});
  ASSERT_EQ(0, idb_logon("admin", "root"));
  int s = open(server);
  ASSERT_GT(s, 0);
  std::string md5 = refcrypto::md5_hex("pw");
  unsigned char digest[16];
  for (int i = 0; i < 16; ++i) digest[i] = static_cast<unsigned char>(std::stoi(md5.substr(2 * i, 2), nullptr, 16));
  SysCatBlock pw = {16, digest};
  StatusArray st = {};
  auto logon = [&](const char* user) {
    return vtest::run("srvknob", {"-s", server.service(), "-u", user, "-p", "pw", "status"}).exit_code;
  };
  // Rolled back: gone from table 30, and refused at logon.
  ASSERT_EQ(0, idb_begin(nullptr, 1, st));
  SysCatUser temp = {0, "temp", &pw, 4};
  ASSERT_EQ(0, SysCat_add_user(s, &temp));
  ASSERT_EQ(0, idb_rollback(0, 1, st));
  EXPECT_EQ(1, rows(s, 0, SysUser_NODEID));
  EXPECT_EQ(1, logon("temp"));
  // Committed: it logs on.
  ASSERT_EQ(0, idb_begin(nullptr, 1, st));
  ASSERT_EQ(0, SysCat_add_user(s, &temp));
  ASSERT_EQ(0, idb_commit(1, st));
  EXPECT_EQ(2, rows(s, 0, SysUser_NODEID));
  EXPECT_EQ(0, logon("temp"));
  // Without the CONNECT privilege it is refused.
  temp.flags = 0;
  ASSERT_EQ(0, SysCat_upd_user(s, &temp));
  EXPECT_EQ(1, logon("temp"));
}

}  // namespace
