// Open, close, info and set management against the stand-in database server,
// on a small database compiled with `schema`: the forms of a database name,
// the storage state of a fresh database, every information mode with its
// buffer rule, visibility and negated numbers by privilege, close modes, the
// set lists sent by create, erase and purge, and hostile root objects.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/root.h"
#include "tests/peers/dbserver/compiled.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::client_fixture;
using dbserver_test::db_operand;
using dbserver_test::Name;
using dbserver_test::StandIn;

std::string text16(const std::vector<int32_t>& words, size_t at = 0) {
  return std::string(reinterpret_cast<const char*>(words.data() + at), 16);
}

std::string letter_word(const std::vector<int32_t>& words, size_t at) {
  return std::string(reinterpret_cast<const char*>(words.data() + at), 4);
}

class Database : public ::testing::Test {
 protected:
  // Users: "admin" (every privilege, from the users file) and "clerk"
  // (CONNECT only, member of the group CLERK: reads CUSTOMERS) and "boss"
  // (CONNECT only, member of BOSS: writes every set).
  void SetUp() override {
    users_ = dir_.file("users");
    vtest::write_file(users_, "admin:" + refcrypto::md5_hex("") + "\n");
    server_ = std::make_unique<StandIn>(std::vector<std::string>{"--users", users_});
    vtest::RunResult r = dbserver_test::compile_schema(*server_, client_fixture("shop.schema"), "admin");
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    ASSERT_EQ(0, idb_logon("admin", ""));
    int s = SysCat_open("127.0.0.1", server_->service().c_str());
    ASSERT_GT(s, 0);
    int h = SysCat_open_db_by_name(s, "SHOP", 0, 0);
    ASSERT_GT(h, 0);
    // Groups count from gid 2: public, CLERK, BOSS.
    const uint32_t gids[] = {3, 4};
    const char* names[] = {"clerk", "boss"};
    for (int i = 0; i < 2; ++i) {
      SysCatUser user = {0, names[i], nullptr, 4};
      ASSERT_EQ(0, SysCat_add_user(s, &user));
      SysCatMember member = {user.uid, gids[i]};
      ASSERT_EQ(0, SysCat_add_member(s, h, &member));
    }
    SysCat_close_db(s, h);
    SysCat_close(s);
    idb__exit();
  }
  void TearDown() override { idb__exit(); }

  std::string name() const { return db_operand(*server_, "SHOP"); }
  // Opens as `user`; the dbid, or -1 with the status in status_.
  int open(const char* user, int32_t mode) {
    idb_logon(user, "");
    return idb_open(name().c_str(), "", mode, status_);
  }
  // Creates every set (the database then opens in mode 1).
  void create_all() {
    int db = open("admin", 13);
    ASSERT_GT(db, 0) << status_[0];
    ASSERT_EQ(0, idb_create(db, 1, status_, 0, nullptr));
  }
  int count(const std::string& what) const {
    std::string log = server_->log();
    int n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) ++n;
    return n;
  }

  vtest::TempDir dir_;
  std::string users_;
  std::unique_ptr<StandIn> server_;
  StatusArray status_ = {};
};

TEST_F(Database, NameFormsAndTheirFailures) {
  struct Case {
    std::string name;
    int32_t mode;
    int32_t status0;
    int32_t status9;
  };
  idb_logon("admin", "");
  const std::string port = server_->service();
  // Host parts of 79 and 80 characters: the port with leading zeros.
  const std::string host79 = "127.0.0.1:" + std::string(69 - port.size(), '0') + port;
  const Case cases[] = {
      {"", 1, -11, 0},
      {"a/", 1, -11, 0},
      {"0" + host79 + "/SHOP", 13, -11, 0},
      {"127.0.0.1:" + port + "/SHOP", 2, -31, 0},
      {"127.0.0.1:" + port + "/NOSUCH", 13, -1, 0},
      // No colon: the default service, which is no service of this host.
      {"127.0.0.1/SHOP", 13, S_REMOTE, REMOTE_CONNECT},
  };
  for (const Case& c : cases) {
    StatusArray status = {};
    EXPECT_EQ(-1, idb_open(c.name.c_str(), "", c.mode, status)) << c.name;
    EXPECT_EQ(status[0], c.status0) << c.name;
    EXPECT_EQ(status[5], DBOPEN) << c.name;
    if (c.status0 == S_REMOTE) {
      EXPECT_EQ(status[9], c.status9) << c.name;
    }
  }
  // Every connection logs on anew: a failed open dropped the last one.
  idb_logon("admin", "");
  StatusArray status = {};
  int first = idb_open((host79 + "/SHOP").c_str(), "", 13, status);
  EXPECT_GT(first, 0) << status[0];
  // An empty host is localhost (a server entry of its own, so a connection
  // and logon of its own); the server's own dbid comes in word 9.
  idb_logon("admin", "");
  int db = idb_open((":" + port + "/shop").c_str(), "", 13, status);
  ASSERT_GT(db, 0) << status[0];
  EXPECT_EQ(status[5], DBOPEN);
  EXPECT_EQ(status[8], 13);
  EXPECT_EQ(status[9], 1);
  EXPECT_EQ(db, first + 1);
  EXPECT_NE(idb__get_root(db), nullptr);
  EXPECT_NE(server_->log().find("open db=\"shop\" mode=13 status=0 remote_dbid=1"), std::string::npos);
}

TEST_F(Database, FreshDatabaseNeedsItsSetsCreated) {
  EXPECT_EQ(-1, open("admin", 1));
  EXPECT_EQ(status_[0], -92);
  int db = open("admin", 13);
  ASSERT_GT(db, 0);
  std::vector<int32_t> answer(8);
  int32_t set = 1;
  EXPECT_EQ(0, idb_info(db, &set, 202, status_, answer.data(), 32));
  EXPECT_EQ(text16(answer), "CUSTOMERS       ");
  EXPECT_EQ(letter_word(answer, 4), "M   ");
  EXPECT_EQ(answer[5], 38);
  EXPECT_EQ(answer[6], 0);  // no storage yet
  EXPECT_EQ(answer[7], 0);
  EXPECT_EQ(status_[5], 402 + 13 * 4096);

  EXPECT_EQ(0, idb_create(db, 1, status_, 0, nullptr));
  EXPECT_EQ(status_[5], DBCREATE);
  // The context is gone after the request.
  EXPECT_EQ(-11, idb_info(db, &set, 202, status_, answer.data(), 32));

  db = open("admin", 1);
  ASSERT_GT(db, 0) << status_[0];
  EXPECT_EQ(0, idb_info(db, &set, 202, status_, answer.data(), 32));
  EXPECT_EQ(answer[6], 1000);
  EXPECT_EQ(answer[7], 0);
  EXPECT_EQ(status_[5], 402 + 1 * 4096);
  // Mode 202 with a short buffer asks for 32 bytes and sends nothing.
  int infos = count("info remote_dbid");
  EXPECT_EQ(50, idb_info(db, &set, 202, status_, answer.data(), 31));
  EXPECT_EQ(status_[1], 32);
  EXPECT_EQ(count("info remote_dbid"), infos);
}

TEST_F(Database, EveryInformationModeFromTheCache) {
  int db = open("admin", 13);
  ASSERT_GT(db, 0);
  Name customers("customers"), orders("ORDERS;"), notes("NOTES"), cust_no("CUST-NO"), name_item("NAME"), price("price"),
      ix("NAME-IX");
  int32_t city = 3, iitem = 7;
  struct Case {
    int32_t mode;
    const void* qualifier;
    std::vector<int32_t> words;  // expected answer, names left out (checked below)
  };
  const Case cases[] = {
      {101, price.text, {6}},
      {101, &city, {3}},
      {103, nullptr, {6, 1, 2, 3, 4, 5, 6}},
      {104, orders.text, {4, 4, 1, 5, 6}},
      {201, notes.text, {3}},
      {203, nullptr, {3, 1, 2, 3}},
      {204, cust_no.text, {2, 1, 2}},
      {204, name_item.text, {2, 1, 3}},
      // CUSTOMERS is the master of ORDERS's path; its search item is the
      // detail's CUST-NO at the path's position.
      {301, customers.text, {1, 2, 1}},
      {301, orders.text, {1, 1, 1}},
      {302, orders.text, {1, 1}},
      {302, notes.text, {0, 0}},
      {302, customers.text, {1, 0}},
      {501, ix.text, {7}},
      {501, &iitem, {7}},
      {503, nullptr, {1, 7}},
      {504, customers.text, {1, 7}},
      {504, orders.text, {0}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> answer(32, -99);
    const int32_t bytes = static_cast<int32_t>(4 * c.words.size());
    EXPECT_EQ(0, idb_info(db, c.qualifier, c.mode, status_, answer.data(), bytes)) << c.mode;
    EXPECT_EQ(status_[1], bytes) << c.mode;
    answer.resize(c.words.size());
    EXPECT_EQ(answer, c.words) << c.mode;
    EXPECT_EQ(answer.size(), c.words.size());
  }

  std::vector<int32_t> answer(32);
  EXPECT_EQ(0, idb_info_unbounded(db, price.text, 102, status_, answer.data()));
  EXPECT_EQ(text16(answer), "PRICE           ");
  EXPECT_EQ(letter_word(answer, 4), "L   ");
  EXPECT_EQ(answer[5], 8);
  EXPECT_EQ(answer[6], 1);
  EXPECT_EQ(0, idb_info(db, orders.text, -202, status_, answer.data(), 32));
  EXPECT_EQ(text16(answer), "ORDERS          ");
  EXPECT_EQ(letter_word(answer, 4), "D   ");
  EXPECT_EQ((std::vector<int32_t>(answer.begin() + 5, answer.begin() + 8)), (std::vector<int32_t>{22, 0, 0}));
  EXPECT_EQ(0, idb_info(db, ix.text, 502, status_, answer.data(), 84));
  EXPECT_EQ(status_[1], 84);
  EXPECT_EQ(text16(answer), "NAME-IX         ");
  EXPECT_EQ((std::vector<int32_t>(answer.begin() + 4, answer.begin() + 10)), (std::vector<int32_t>{2, 2, 20, 3, 4, 0}));

  // Unknown names, numbers out of range and unknown modes.
  Name nothing("NOTHING");
  int32_t seven = 7, zero = 0;
  EXPECT_EQ(-21, idb_info(db, nothing.text, 201, status_, answer.data(), 4));
  EXPECT_EQ(-21, idb_info(db, &seven, 101, status_, answer.data(), 4));
  EXPECT_EQ(-21, idb_info(db, &zero, 501, status_, answer.data(), 4));
  EXPECT_EQ(-31, idb_info(db, nullptr, 205, status_, answer.data(), 64));
  EXPECT_EQ(-11, idb_info(db + 100, nullptr, 203, status_, answer.data(), 64));
}

TEST_F(Database, ShortBuffersGetFiftyAndTheCountWordOfALists) {
  int db = open("admin", 13);
  ASSERT_GT(db, 0);
  Name price("PRICE"), customers("CUSTOMERS"), cust_no("CUST-NO"), ix("NAME-IX");
  struct Case {
    int32_t mode;
    const void* qualifier;
    int32_t length;
    int32_t needed;
    int32_t first_word;  // -99: untouched
  };
  // Lists receive their count word when 4 bytes fit; other answers nothing.
  const Case cases[] = {
      {101, price.text, 2, 4, -99},
      {102, price.text, 31, 32, -99},
      {103, nullptr, 3, 28, -99},
      {103, nullptr, 27, 28, 6},
      {104, customers.text, 8, 16, 3},
      {201, customers.text, 3, 4, -99},
      {-202, customers.text, 16, 32, -99},
      {202, customers.text, 31, 32, -99},
      {203, nullptr, 4, 16, 3},
      {203, nullptr, 15, 16, 3},
      {204, cust_no.text, 11, 12, 2},
      {301, customers.text, 11, 12, 1},
      {302, customers.text, 7, 8, -99},
      {501, ix.text, 3, 4, -99},
      {502, ix.text, 83, 84, -99},
      {503, nullptr, 7, 8, 1},
      {504, customers.text, 4, 8, 1},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> answer(32, -99);
    EXPECT_EQ(50, idb_info(db, c.qualifier, c.mode, status_, answer.data(), c.length)) << c.mode;
    EXPECT_EQ(status_[0], 50);
    EXPECT_EQ(status_[1], c.needed) << c.mode;
    EXPECT_EQ(answer[0], c.first_word) << c.mode;
    EXPECT_EQ(answer[1], -99) << c.mode;
  }
}

TEST_F(Database, VisibilityAndWriteAccessFollowTheGroups) {
  create_all();
  struct Case {
    const char* user;
    std::vector<int32_t> sets;  // answer of mode 203
  };
  const Case cases[] = {
      {"clerk", {1, 1}},           // reads CUSTOMERS only
      {"boss", {3, -1, -2, -3}},   // writes all three
      {"admin", {3, -1, -2, -3}},  // DBA
  };
  Name orders("ORDERS"), customers("CUSTOMERS"), cust_no("CUST-NO");
  for (const Case& c : cases) {
    int db = open(c.user, 1);
    ASSERT_GT(db, 0) << c.user << " " << status_[0];
    std::vector<int32_t> answer(8, -99);
    EXPECT_EQ(0, idb_info(db, nullptr, 203, status_, answer.data(), 32)) << c.user;
    answer.resize(c.sets.size());
    EXPECT_EQ(answer, c.sets) << c.user;
    EXPECT_EQ(0, idb_close(db, nullptr, 1, status_));
  }
  int db = open("clerk", 1);
  ASSERT_GT(db, 0);
  int32_t number = 0;
  EXPECT_EQ(-21, idb_info(db, orders.text, 201, status_, &number, 4));
  EXPECT_EQ(0, idb_info(db, customers.text, 201, status_, &number, 4));
  EXPECT_EQ(number, 1);
  std::vector<int32_t> answer(8, -99);
  EXPECT_EQ(0, idb_info(db, cust_no.text, 204, status_, answer.data(), 32));
  EXPECT_EQ(answer[0], 1);  // ORDERS holds CUST-NO too, but is not visible
  int32_t two = 2;
  EXPECT_EQ(-21, idb_info(db, &two, 202, status_, answer.data(), 32));
  EXPECT_EQ(-21, idb_info(db, orders.text, -202, status_, answer.data(), 32));
  // In mode 13 every set counts, with positive numbers.
  idb__exit();
  db = open("clerk", 13);
  ASSERT_GT(db, 0);
  EXPECT_EQ(0, idb_info(db, nullptr, 203, status_, answer.data(), 32));
  EXPECT_EQ((std::vector<int32_t>(answer.begin(), answer.begin() + 4)), (std::vector<int32_t>{3, 1, 2, 3}));
}

TEST_F(Database, CloseModes) {
  create_all();
  int db = open("admin", 1);
  ASSERT_GT(db, 0);
  Name nothing("NOTHING"), orders("orders");
  EXPECT_EQ(-21, idb_close(db, nothing.text, 3, status_));
  EXPECT_EQ(count("close remote_dbid"), 0);  // nothing sent
  EXPECT_EQ(-31, idb_close(db, nullptr, 2, status_));
  EXPECT_EQ(0, idb_close(db, orders.text, 3, status_));
  EXPECT_EQ(status_[5], DBCLOSE);
  EXPECT_EQ(0, idb_close(db, nullptr, 4, status_));
  EXPECT_NE(server_->log().find("close remote_dbid=1 mode=3 set=2 status=0"), std::string::npos);
  EXPECT_NE(server_->log().find("close remote_dbid=1 mode=4 set=0 status=0"), std::string::npos);
  EXPECT_EQ(0, idb_close(db, nullptr, 1, status_));
  EXPECT_EQ(-11, idb_close(db, nullptr, 1, status_));
  // Mode 13 takes only mode 1.
  db = open("admin", 13);
  ASSERT_GT(db, 0);
  EXPECT_EQ(-31, idb_close(db, orders.text, 3, status_));
  EXPECT_EQ(-31, idb_close(db, nullptr, 4, status_));
  EXPECT_EQ(0, idb_close(db, nullptr, 1, status_));
}

TEST_F(Database, ExitClosesEveryOpenDatabase) {
  create_all();
  ASSERT_GT(open("admin", 1), 0);
  ASSERT_GT(open("admin", 13), 0);
  idb__exit();
  EXPECT_NE(server_->log().find("close remote_dbid=1 mode=1 set=0 status=0"), std::string::npos) << server_->log();
  EXPECT_NE(server_->log().find("close remote_dbid=2 mode=1 set=0 status=0"), std::string::npos);
}

TEST_F(Database, SetListsAndDroppedContexts) {
  // A set named twice is flagged once, at its position.
  int db = open("admin", 13);
  ASSERT_GT(db, 0);
  const int32_t twice[] = {3, 3};
  EXPECT_EQ(0, idb_create(db, 1, status_, 2, twice));
  std::vector<std::string> frames = server_->received();
  ASSERT_FALSE(frames.empty());
  // u16 dbid, u8 mode, 3 bytes of alignment, then the object: size 12, flags 0 0 1.
  const std::string tail =
      "0100"
      "01"
      "000000"
      "0c000000"
      "00000000"
      "00000000"
      "01000000";
  EXPECT_EQ(frames.back().substr(frames.back().size() - tail.size()), tail);
  EXPECT_NE(server_->log().find("create remote_dbid=1 mode=1 tables=[ 3 ] status=0"), std::string::npos);
  int32_t set = 3;
  std::vector<int32_t> answer(8);
  EXPECT_EQ(-11, idb_info(db, &set, 202, status_, answer.data(), 32));

  // Count 0: an empty object, every set.
  db = open("admin", 13);
  ASSERT_GT(db, 0);
  // Sets without storage cannot be erased.
  EXPECT_EQ(80, idb_erase(db, 1, status_, 0, nullptr));
  const std::string empty_tail =
      "01"
      "000000"
      "00000000";
  EXPECT_EQ(server_->received().back().substr(server_->received().back().size() - empty_tail.size()), empty_tail);
  EXPECT_NE(server_->log().find("mode=1 tables=[ 1 2 3 ] status=80"), std::string::npos);

  // Failures before anything is sent keep the context.
  db = open("admin", 13);
  ASSERT_GT(db, 0);
  const int32_t out_of_range[] = {4};
  EXPECT_EQ(-21, idb_purge(db, 1, status_, 1, out_of_range));
  EXPECT_EQ(-21, idb_purge(db, 1, status_, -1, out_of_range));
  EXPECT_EQ(0, idb_info(db, &set, 202, status_, answer.data(), 32));
  // A mode the call does not take drops the context.
  EXPECT_EQ(-31, idb_purge(db, 3, status_, 0, nullptr));
  EXPECT_EQ(-11, idb_info(db, &set, 202, status_, answer.data(), 32));
  // Not opened in mode 13: -31 and the context stays.
  db = open("admin", 1);
  ASSERT_GT(db, 0) << status_[0];
  EXPECT_EQ(-31, idb_create(db, 1, status_, 0, nullptr));
  EXPECT_EQ(0, idb_info(db, &set, 202, status_, answer.data(), 32));
  EXPECT_EQ(0, idb_close(db, nullptr, 1, status_));

  // Purge mode 2 makes the database need creation again.
  db = open("admin", 13);
  ASSERT_GT(db, 0);
  EXPECT_EQ(0, idb_purge(db, 2, status_, 0, nullptr));
  EXPECT_EQ(status_[5], DBPURGE);
  EXPECT_EQ(-1, open("admin", 1));
  EXPECT_EQ(status_[0], -92);
}

TEST_F(Database, CatalogAttachOfAnOpenDatabase) {
  int db = open("admin", 13);
  ASSERT_GT(db, 0);
  int s = SysCat_attach(db);
  EXPECT_GT(s, 0);
  EXPECT_EQ(-1, SysCat_attach(db + 1));
  EXPECT_EQ(idb__last_status().code, S_BADID);
}

TEST(DatabaseRoot, HostileRootFromTheServerLeavesNoContext) {
  vtest::TempDir dir;
  // Version 0x500, one item "A" of type I with 4 bytes: inconsistent.
  std::string object;
  auto word = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) object += static_cast<char>(v >> (8 * i));
  };
  word(0x500), word(1), word(0), word(0);
  object += "A               ";
  word('I'), word(1), word(4), word(0);
  const std::string file = dir.file("root");
  vtest::write_file(file, object);
  StandIn server({"--root-file", file});
  StatusArray status = {};
  idb_logon("tester", "");
  EXPECT_EQ(-1, idb_open(db_operand(server, "ANY").c_str(), "", 1, status));
  EXPECT_EQ(status[0], S_REMOTE);
  EXPECT_EQ(status[9], REMOTE_ROOT);
  char text[IDB_STATUS_TEXT_MAX];
  ASSERT_EQ(0, idb_status_text(status, text, nullptr));
  EXPECT_NE(std::string(text).find("Inconsistent ROOT structures detected"), std::string::npos) << text;
  // The next open gets the next dbid: the failed one left nothing behind.
  object.replace(object.size() - 8, 4, std::string("\x02\0\0\0", 4));
  vtest::write_file(file, object);
  int db = idb_open(db_operand(server, "ANY").c_str(), "", 1, status);
  EXPECT_GT(db, 0) << status[0];
  EXPECT_EQ(idb__find_context(db - 1), nullptr);
  idb__exit();
}

}  // namespace
