// Record calls and locks against the stand-in database server on a small
// compiled database: puts with their key and chain statuses, serial, chained,
// numbered and keyed reads, sets without storage, rollback of puts, locks and
// the argument checks made before anything is sent.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/recordcalls.h"
#include "database/client/transaction.h"
#include "tests/peers/dbserver/compiled.h"
#include "testsupport.h"

namespace {

using dbserver_test::client_fixture;
using dbserver_test::db_operand;
using dbserver_test::Name;
using dbserver_test::StandIn;

// CUSTOMERS: CUST-NO X8, NAME X20, CITY X10 (38 bytes).
std::string customer(const char* no, const char* name, const char* city) {
  std::string r;
  r += std::string(no).append(8 - std::strlen(no), ' ');
  r += std::string(name).append(20 - std::strlen(name), ' ');
  r += std::string(city).append(10 - std::strlen(city), ' ');
  return r;
}

// ORDERS: ORDER-NO D, CUST-NO X8, QTY I, PRICE L (22 bytes).
std::string order(int32_t no, const char* cust, int16_t qty, double price) {
  std::string r(22, '\0');
  std::memcpy(r.data(), &no, 4);
  std::string c = std::string(cust).append(8 - std::strlen(cust), ' ');
  std::memcpy(r.data() + 4, c.data(), 8);
  std::memcpy(r.data() + 12, &qty, 2);
  std::memcpy(r.data() + 14, &price, 8);
  return r;
}

class Records : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    server_ = std::make_unique<StandIn>(std::vector<std::string>{"--byte-order", GetParam()});
    vtest::RunResult r = dbserver_test::compile_schema(*server_, client_fixture("shop.schema"), "tester");
    ASSERT_EQ(r.exit_code, 0) << r.out << r.err;
    idb_logon("tester", "");
    // CUSTOMERS and ORDERS get storage, NOTES none.
    int db = idb_open(name().c_str(), "", 13, status_);
    ASSERT_GT(db, 0);
    const int32_t sets[] = {1, 2};
    ASSERT_EQ(0, idb_create(db, 1, status_, 2, sets));
    db_ = idb_open(name().c_str(), "", 1, status_);
    ASSERT_GT(db_, 0) << status_[0];
  }
  void TearDown() override { idb__exit(); }
  std::string name() const { return db_operand(*server_, "SHOP"); }

  int put(const char* set, const std::string& record) {
    Name n(set);
    return idb_put(db_, n.text, 1, status_, "@", record.data());
  }
  int get(const char* set, int32_t mode, std::string& record, const void* argument = nullptr) {
    Name n(set);
    record.assign(set == std::string("CUSTOMERS") ? 38 : 22, '\0');
    return idb_get(db_, n.text, mode, status_, "@", record.data(), argument);
  }
  int find(const char* set, const char* item, const std::string& value) {
    Name n(set), i(item);
    std::string arg(4, '\0');
    int32_t len = static_cast<int32_t>(value.size());
    std::memcpy(arg.data(), &len, 4);
    arg += value;
    return idb_find(db_, n.text, 1, status_, i.text, arg.data());
  }

  std::unique_ptr<StandIn> server_;
  int db_ = -1;
  StatusArray status_ = {};
};

TEST_P(Records, PutsAndReads) {
  EXPECT_EQ(put("CUSTOMERS", customer("C1", "Ann", "Graz")), 0);
  EXPECT_EQ(put("CUSTOMERS", customer("C2", "Bob", "Linz")), 0);
  EXPECT_EQ(put("CUSTOMERS", customer("C1", "Again", "Wien")), 43);
  EXPECT_EQ(put("ORDERS", order(1, "C9", 1, 1.0)), 101);  // no chain head for path 1
  EXPECT_EQ(put("ORDERS", order(1, "C1", 3, 9.5)), 0);
  EXPECT_EQ(put("ORDERS", order(2, "C2", -4, 0.25)), 0);
  EXPECT_EQ(put("ORDERS", order(3, "C1", 7, 1e100)), 0);
  EXPECT_EQ(put("NOTES", std::string(20, ' ')), 80);

  std::string rec;
  ASSERT_EQ(get("CUSTOMERS", 2, rec), 0);
  EXPECT_EQ(rec, customer("C1", "Ann", "Graz"));
  ASSERT_EQ(get("CUSTOMERS", 2, rec), 0);
  EXPECT_EQ(rec, customer("C2", "Bob", "Linz"));
  EXPECT_EQ(get("CUSTOMERS", 2, rec), 11);
  // Close mode 3 rewinds.
  Name customers("CUSTOMERS");
  ASSERT_EQ(idb_close(db_, customers.text, 3, status_), 0);
  ASSERT_EQ(get("CUSTOMERS", 2, rec), 0);
  EXPECT_EQ(rec, customer("C1", "Ann", "Graz"));

  int32_t recno = 3;
  ASSERT_EQ(get("ORDERS", 4, rec, &recno), 0);
  EXPECT_EQ(rec, order(3, "C1", 7, 1e100));
  std::string key = customer("C2", "", "").substr(0, 8);
  ASSERT_EQ(get("CUSTOMERS", 7, rec, key.data()), 0);
  EXPECT_EQ(rec, customer("C2", "Bob", "Linz"));
  EXPECT_EQ(get("ORDERS", 7, rec, key.data()), -31);  // no keyed read of a detail

  // The chain of C1 in arrival order.
  ASSERT_EQ(find("ORDERS", "CUST-NO", "C1"), 0);
  ASSERT_EQ(get("ORDERS", 5, rec), 0);
  EXPECT_EQ(rec, order(1, "C1", 3, 9.5));
  ASSERT_EQ(get("ORDERS", 5, rec), 0);
  EXPECT_EQ(rec, order(3, "C1", 7, 1e100));
  EXPECT_EQ(get("ORDERS", 5, rec), 15);
  EXPECT_EQ(find("ORDERS", "CUST-NO", "C7"), 17);
  EXPECT_EQ(get("NOTES", 2, rec), 80);

  // The entry count of mode 202.
  int32_t info[8];
  ASSERT_EQ(idb__info202(db_, 2, status_, info, sizeof info), 0);
  EXPECT_EQ(info[7], 3);
}

TEST_P(Records, FindOnAnIndexItem) {
  // NAME-IX is NAME and the first four bytes of CITY: a find positions on
  // the entries whose value begins with the argument, in the order of that
  // value; chained reads follow them.
  ASSERT_EQ(put("CUSTOMERS", customer("C1", "Ann", "Wien")), 0);
  ASSERT_EQ(put("CUSTOMERS", customer("C2", "Bob", "Linz")), 0);
  ASSERT_EQ(put("CUSTOMERS", customer("C3", "Ann", "Graz")), 0);
  ASSERT_EQ(put("CUSTOMERS", customer("C4", "Anna", "Graz")), 0);
  const std::string ann = customer("", "Ann", "Graz").substr(8, 24);
  struct Case {
    std::string argument;
    std::vector<std::string> keys;  // CUST-NO of the entries, in order; none: 17
  } cases[] = {
      {"Ann", {"C3", "C1", "C4"}},
      {ann.substr(0, 20), {"C3", "C1"}},
      {ann, {"C3"}},
      {ann.substr(0, 22), {"C3"}},  // the CITY part cut to two bytes
      {"Bob", {"C2"}},
      {"Zed", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    const int expected = c.keys.empty() ? 17 : 0;
    ASSERT_EQ(find("CUSTOMERS", "NAME-IX", c.argument), expected);
    std::string rec;
    for (const std::string& k : c.keys) {
      ASSERT_EQ(get("CUSTOMERS", 5, rec), 0);
      EXPECT_EQ(rec.substr(0, 8), customer(k.c_str(), "", "").substr(0, 8));
    }
    if (!c.keys.empty()) {
      EXPECT_EQ(get("CUSTOMERS", 5, rec), 15);
    }
  }
}

TEST_P(Records, RollbackTakesPutsBack) {
  ASSERT_EQ(put("CUSTOMERS", customer("C1", "Ann", "Graz")), 0);
  ASSERT_EQ(idb_begin(nullptr, 1, status_), 0);
  ASSERT_EQ(put("CUSTOMERS", customer("C2", "Bob", "Linz")), 0);
  ASSERT_EQ(idb_rollback(0, 1, status_), 0) << status_[0];
  std::string rec;
  ASSERT_EQ(get("CUSTOMERS", 2, rec), 0);
  EXPECT_EQ(get("CUSTOMERS", 2, rec), 11);
  EXPECT_EQ(put("CUSTOMERS", customer("C2", "Bob", "Linz")), 0);
}

TEST_P(Records, LocksAndArgumentChecks) {
  Name customers("CUSTOMERS"), nosuch("NOSUCH");
  EXPECT_EQ(idb_lock(db_, customers.text, 4, status_), 0);
  EXPECT_EQ(idb_lock(db_, nosuch.text, 4, status_), -21);
  EXPECT_EQ(idb_unlock(db_, nullptr, 1, status_), 0);
  EXPECT_EQ(idb_lock(db_, nullptr, 7, status_), -31);
  // A descriptor list: checked and converted on a copy.
  std::vector<unsigned char> list(4 + 4 + 16 + 16 + 2 + 8, ' ');
  int32_t total = static_cast<int32_t>(list.size() - 4), length = total;
  std::memcpy(list.data(), &total, 4);
  std::memcpy(list.data() + 4, &length, 4);
  std::memcpy(list.data() + 8, "CUSTOMERS", 9);
  std::memcpy(list.data() + 24, "CUST-NO", 7);
  std::memcpy(list.data() + 40, "= C1", 4);
  std::vector<unsigned char> before = list;
  EXPECT_EQ(idb_lock(db_, list.data(), 6, status_), 0);
  EXPECT_EQ(list, before);
  std::memcpy(list.data() + 40, "<>", 2);
  EXPECT_EQ(idb_lock(db_, list.data(), 6, status_), -123);
  EXPECT_EQ(idb_unlock(db_, nullptr, 1, status_), 0);

  Name autos("CUSTOMERS");
  int32_t five = 5;
  EXPECT_EQ(idb_put(db_, &five, 1, status_, "@", "x"), -21);
  EXPECT_EQ(idb_put(db_, autos.text, 2, status_, "@", "x"), -31);
  EXPECT_EQ(idb_put(db_ + 100, autos.text, 1, status_, "@", "x"), -11);
  std::string rec(38, '\0');
  EXPECT_EQ(idb_find(db_, autos.text, 6, status_, "CUST-NO", "\0\0\0\0"), -31);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, Records, ::testing::Values("1234", "4321"));

}  // namespace
