// The working copies of catadmin against the stand-in database server: the
// order of a copy after a deletion, a refused change that leaves the copy as
// it was, rows in either byte order, and the column checks of a load.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/tools/catadmin/catadmin.h"
#include "database/tools/catadmin/copies.h"
#include "tests/peers/dbserver/launch.h"
#include "tests/peers/dbserver/refcrypto.h"
#include "testsupport.h"

namespace {

using dbserver_test::StandIn;

// A catalog session on a fresh stand-in with working copies over it.
class Copies : public ::testing::Test {
 protected:
  void open(const std::vector<std::string>& options = {}) {
    server_ = std::make_unique<StandIn>(options);
    ASSERT_EQ(idb_init(0, 0, 0, 0), 0);
    idb_logon("tester", "");
    copies_.server_id = SysCat_open("127.0.0.1", server_->service().c_str());
    ASSERT_GT(copies_.server_id, 0);
  }
  void TearDown() override {
    if (copies_.server_id > 0) SysCat_close(copies_.server_id);
    idb__exit();
  }
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const CatUser& u : copies_.users) result.push_back(std::to_string(u.uid) + ":" + u.name);
    return result;
  }
  std::unique_ptr<StandIn> server_;
  CatCopies copies_;
};

TEST_F(Copies, DeletingTheFirstOfThreeUsersKeepsTheOrder) {
  open();
  ASSERT_TRUE(copies_.load_users());
  EXPECT_TRUE(copies_.users.empty());
  for (const char* name : {"ann", "bob", "cy"}) ASSERT_TRUE(copies_.add_user(name, std::string(name) + "-pw"));
  EXPECT_EQ(names(), (std::vector<std::string>{"1:ann", "2:bob", "3:cy"}));
  ASSERT_TRUE(copies_.del_user(0));
  EXPECT_EQ(names(), (std::vector<std::string>{"2:bob", "3:cy"}));
  EXPECT_EQ(copies_.find_user("CY"), 1);
  EXPECT_EQ(copies_.find_user("ann"), -1);
  // The reloaded copy agrees with the one kept.
  const std::vector<CatUser> kept(copies_.users.begin(), copies_.users.end());
  ASSERT_TRUE(copies_.load_users());
  ASSERT_EQ(copies_.users.size(), kept.size());
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(copies_.users[i].uid, kept[i].uid);
    EXPECT_EQ(copies_.users[i].name, kept[i].name);
    EXPECT_EQ(copies_.users[i].password, kept[i].password);
    EXPECT_EQ(copies_.users[i].priv, CAT_CONNECT);
  }
  std::string hex;
  for (char ch : copies_.users[1].password) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(ch));
    hex += two;
  }
  EXPECT_EQ(hex, refcrypto::md5_hex("cy-pw"));
}

// Look-ups by name follow every change of the copy: appends, removals in
// the middle, a name back in other case, and rows of one name (the first
// is found, the next one once it is gone).
TEST_F(Copies, LookUpsFollowTheCopyThroughEveryChange) {
  open();
  ASSERT_TRUE(copies_.load_users());
  for (const char* name : {"ann", "bob", "cy", "dee"}) ASSERT_TRUE(copies_.add_user(name, ""));
  EXPECT_EQ(copies_.find_user("DEE"), 3);
  ASSERT_TRUE(copies_.del_user(1));
  EXPECT_EQ(copies_.find_user("bob"), -1);
  EXPECT_EQ(copies_.find_user("Cy"), 1);
  EXPECT_EQ(copies_.find_user("dee"), 2);
  ASSERT_TRUE(copies_.add_user("BOB", ""));
  EXPECT_EQ(copies_.find_user("bob"), 3);
  copies_.users.push_back(copies_.users[0]);  // a second "ann", as a load may bring
  copies_.users.back().uid = 99;
  EXPECT_EQ(copies_.find_user("ANN"), 0);
  copies_.users.erase(0);
  EXPECT_EQ(copies_.users[static_cast<size_t>(copies_.find_user("ann"))].uid, 99u);
  ASSERT_TRUE(copies_.load_users());
  EXPECT_EQ(copies_.find_user("ann"), 0);
  EXPECT_EQ(copies_.find_user("bob"), 3);
}

// A refused change leaves the copy as it was and prints one error line.
TEST_F(Copies, RefusedChangesLeaveTheCopy) {
  open({"--refuse", "4/45", "--refuse", "4/44", "--refuse", "4/8@3"});
  ASSERT_TRUE(copies_.load_users());
  ASSERT_TRUE(copies_.add_user("ann", ""));
  ASSERT_TRUE(copies_.add_user("bob", "x"));
  vtest::CaptureOutput out(stdout);
  EXPECT_FALSE(copies_.add_user("cy", ""));
  EXPECT_FALSE(copies_.del_user(0));
  EXPECT_FALSE(copies_.user_priv(1, CAT_DBA, true));
  EXPECT_TRUE(copies_.user_priv(1, CAT_CONNECT, true));  // nothing to write
  const std::string text = out.text();
  EXPECT_EQ(names(), (std::vector<std::string>{"1:ann", "2:bob"}));
  EXPECT_EQ(copies_.users[1].priv, CAT_CONNECT);
  EXPECT_EQ(text,
            "*** Unable to create user \"cy\". Status = -805/-1\n"
            "*** Unable to delete user \"ann\". Status = -805/-1\n"
            "*** Unable to update user \"bob\". Status = -805/-1\n");
}

// The privilege map in the other byte order reads the same.
TEST_F(Copies, PrivilegeMapInBothByteOrders) {
  const unsigned char little[4] = {5, 0, 0, 0}, big[4] = {0, 0, 0, 5}, none[4] = {0, 0, 0, 0};
  EXPECT_EQ(cat_map_value(little, 4), 5u);
  EXPECT_EQ(cat_map_value(big, 4), 5u);
  EXPECT_EQ(cat_map_value(none, 4), 0u);
  EXPECT_EQ(cat_map_value(nullptr, 0), 0u);
  open({"--byte-order", "4321"});
  ASSERT_TRUE(copies_.load_users());
  ASSERT_TRUE(copies_.add_user("ann", ""));
  ASSERT_TRUE(copies_.user_priv(0, CAT_DBA | CAT_UADMIN, true));
  ASSERT_TRUE(copies_.load_users());
  EXPECT_EQ(copies_.users[0].priv, CAT_DBA | CAT_UADMIN | CAT_CONNECT);
  EXPECT_FALSE(copies_.users[0].has_password);
}

// The column checks only run when the table has rows.
TEST_F(Copies, ColumnChecksOfTheUserTable) {
  open({"--fault", "user-priv-size-8"});
  ASSERT_TRUE(copies_.load_users());  // empty: no check
  ASSERT_TRUE(copies_.add_user("ann", ""));
  vtest::CaptureOutput out(stdout);
  EXPECT_FALSE(copies_.load_users());
  EXPECT_EQ(out.text(), "*** Column \"priv\" has unexpected size\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"1:ann"}));  // the old copy stays
}

// A row with fewer columns than its result set fails the load with a
// message (the client library already refuses to decode it).
TEST_F(Copies, RowWithTooFewColumns) {
  open({"--fault", "short-user-row"});
  ASSERT_TRUE(copies_.add_user("ann", ""));
  vtest::CaptureOutput out(stdout);
  EXPECT_FALSE(copies_.load_users());
  EXPECT_EQ(out.text(),
            "*** SysCat_fetch(SysUser_NODEID) failed.\n"
            "*** REMOTE: Inconsistent buffer size detected [-700:-8]\n");
  EXPECT_EQ(names(), (std::vector<std::string>{"1:ann"}));
}

// The rows of a copy against a plain vector through appends, removals at
// every kind of position, the layout that drops the marked rows, and a new
// load: positions, ordinals and the order agree after each step.
TEST(CatRowsTest, PositionsFollowAppendsAndRemovals) {
  CatRows<CatMember> rows;
  std::vector<CatMember> model;
  std::srand(45);
  uint32_t next = 0;
  auto check = [&]() {
    ASSERT_EQ(rows.size(), model.size());
    size_t i = 0;
    for (const CatMember& m : rows) {
      ASSERT_LT(i, model.size());
      EXPECT_EQ(m.uid, model[i].uid) << i;
      EXPECT_EQ(rows[i].uid, model[i].uid) << i;
      EXPECT_EQ(rows.position_of(rows.ordinal_at(i)), i);
      ++i;
    }
    EXPECT_EQ(i, model.size());
  };
  const uint64_t first_layout = rows.layout();
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 300; ++i) {
      rows.push_back({next, 0});
      model.push_back({next++, 0});
    }
    check();
    // The last, the first and any in between, until a few are left.
    while (model.size() > 20) {
      const int kind = std::rand() % 3;
      const size_t at = kind == 0 ? model.size() - 1 : kind == 1 ? 0 : static_cast<size_t>(std::rand()) % model.size();
      rows.erase(at);
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
      if (model.size() % 37 == 0) check();
    }
    check();
  }
  EXPECT_NE(rows.layout(), first_layout);  // the marked rows were dropped
  rows.assign({{7, 1}, {8, 1}});
  model = {{7, 1}, {8, 1}};
  check();
  EXPECT_EQ(rows.back().uid, 8u);
  rows.clear();
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(rows.begin(), rows.end());
}

}  // namespace
