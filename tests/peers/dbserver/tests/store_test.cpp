// The stand-in's record store and locks on their own: serial order and
// record numbers, master keys, automatic masters, chains in sort order, the
// statuses of each call, undo of puts, and lock conflicts between sessions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "locks.h"
#include "records.h"

namespace dbserver {
namespace {

// Set 1 CUSTOMERS (manual master, key X4), set 2 PARTS (automatic master,
// key X4), set 3 ORDERS (detail: customer X4 -> 1, part X4 -> 2 sorted by
// qty I), set 4 EMPTY never created.
struct Store : ::testing::Test {
  RecordStore store{true};
  void SetUp() override {
    StoreSet customers;
    customers.number = 1;
    customers.name = "CUSTOMERS";
    customers.type = 'M';
    customers.items = {{1, 'X', 4, 1, 0}, {2, 'D', 4, 1, 0}};
    StoreSet parts;
    parts.number = 2;
    parts.name = "PARTS";
    parts.type = 'A';
    parts.items = {{3, 'X', 4, 1, 0}};
    StoreSet orders;
    orders.number = 3;
    orders.name = "ORDERS";
    orders.type = 'D';
    orders.items = {{1, 'X', 4, 1, 0}, {3, 'X', 4, 1, 0}, {4, 'I', 2, 1, 0}};
    orders.paths = {{1, 0, -1}, {2, 1, 2}};
    StoreSet empty;
    empty.number = 4;
    empty.name = "EMPTY";
    empty.items = {{1, 'X', 4, 1, 0}};
    store.define(customers);
    store.define(parts);
    store.define(orders);
    store.define(empty);
    for (int s : {1, 2, 3}) ASSERT_EQ(store.create(s), 0);
  }
  static std::string customer(const char* key, int32_t n) {
    std::string r(key, 4);
    r += {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
    return r;
  }
  static std::string order(const char* cust, const char* part, int16_t qty) {
    return std::string(cust, 4) + std::string(part, 4) +
           std::string{static_cast<char>(qty >> 8), static_cast<char>(qty)};
  }
  std::vector<std::string> chain(int set, int item, const char* key) {
    Cursor c;
    std::vector<std::string> out;
    if (store.find(set, item, std::string(key, 4), c) != 0) return out;
    std::string rec;
    uint32_t n;
    while (store.get_chained(set, c, &rec, &n) == 0) out.push_back(rec);
    EXPECT_EQ(store.get_chained(set, c, &rec, &n), RS_END_OF_CHAIN);
    return out;
  }
};

TEST_F(Store, MastersSerialOrderAndKeys) {
  EXPECT_EQ(store.put(1, customer("C001", 1), nullptr), 0);
  EXPECT_EQ(store.put(1, customer("C002", 2), nullptr), 0);
  EXPECT_EQ(store.put(1, customer("C001", 3), nullptr), RS_DUPLICATE);
  EXPECT_EQ(store.put(1, "short", nullptr), RS_BAD_SET);
  Cursor c;
  std::string rec;
  uint32_t n = 0;
  ASSERT_EQ(store.get_serial(1, c, &rec, &n), 0);
  EXPECT_EQ(rec, customer("C001", 1));
  EXPECT_EQ(n, 1u);
  ASSERT_EQ(store.get_serial(1, c, &rec, &n), 0);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(store.get_serial(1, c, &rec, &n), RS_END_OF_FILE);
  c.rewind();
  ASSERT_EQ(store.get_serial(1, c, &rec, &n), 0);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(store.get_by_number(1, 2, c, &rec), 0);
  EXPECT_EQ(rec, customer("C002", 2));
  EXPECT_EQ(store.get_by_number(1, 3, c, &rec), RS_NOT_FOUND);
  EXPECT_EQ(store.get_keyed(1, "C002", c, &rec, &n), 0);
  EXPECT_EQ(n, 2u);
  EXPECT_EQ(store.get_keyed(1, "C009", c, &rec, &n), RS_NOT_FOUND);
}

TEST_F(Store, DetailsChainsAndAutomaticMasters) {
  ASSERT_EQ(store.put(1, customer("C001", 1), nullptr), 0);
  // No manual master entry for path 1.
  EXPECT_EQ(store.put(3, order("C009", "P001", 1), nullptr), RS_NO_CHAIN_HEAD + 1);
  EXPECT_EQ(store.count(2), 0u);  // nothing made by the refused put
  EXPECT_EQ(store.put(2, "P001", nullptr), RS_AUTOMATIC);
  ASSERT_EQ(store.put(3, order("C001", "P001", 5), nullptr), 0);
  ASSERT_EQ(store.put(3, order("C001", "P002", 1), nullptr), 0);
  ASSERT_EQ(store.put(3, order("C001", "P001", -2), nullptr), 0);
  ASSERT_EQ(store.put(3, order("C001", "P001", 3), nullptr), 0);
  // Automatic master entries made and counted.
  EXPECT_EQ(store.count(2), 2u);
  EXPECT_EQ(store.chain_count(2, 1), 3u);
  EXPECT_EQ(store.chain_count(2, 2), 1u);
  EXPECT_EQ(store.chain_count(1, 1), 4u);
  // Path 1 has no sort item: arrival order; path 2 sorts by qty.
  EXPECT_EQ(chain(3, 0, "C001"), (std::vector<std::string>{order("C001", "P001", 5), order("C001", "P002", 1),
                                                           order("C001", "P001", -2), order("C001", "P001", 3)}));
  EXPECT_EQ(chain(3, 1, "P001"),
            (std::vector<std::string>{order("C001", "P001", -2), order("C001", "P001", 3), order("C001", "P001", 5)}));
  Cursor c;
  EXPECT_EQ(store.find(3, 1, "P999", c), RS_NOT_FOUND);
  std::string rec;
  uint32_t n;
  EXPECT_EQ(store.get_chained(3, c, &rec, &n), RS_NOT_FOUND);
}

TEST_F(Store, SetsWithoutStorageAndErase) {
  Cursor c;
  std::string rec;
  uint32_t n;
  EXPECT_EQ(store.put(4, "E001", nullptr), RS_NO_STORAGE);
  EXPECT_EQ(store.get_serial(4, c, &rec, &n), RS_NO_STORAGE);
  EXPECT_EQ(store.find(4, 0, "E001", c), RS_NO_STORAGE);
  EXPECT_EQ(store.put(9, "E001", nullptr), RS_BAD_SET);
  ASSERT_EQ(store.put(1, customer("C001", 1), nullptr), 0);
  store.erase(1);
  EXPECT_EQ(store.count(1), 0u);
  EXPECT_EQ(store.put(1, customer("C001", 1), nullptr), 0);
}

TEST_F(Store, UndoTakesPutsBack) {
  ASSERT_EQ(store.put(1, customer("C001", 1), nullptr), 0);
  Undo u1, u2;
  ASSERT_EQ(store.put(3, order("C001", "P001", 1), &u1), 0);
  ASSERT_EQ(store.put(1, customer("C002", 2), &u2), 0);
  u2();
  u1();
  EXPECT_EQ(store.count(1), 1u);
  EXPECT_EQ(store.count(2), 0u);  // the automatic entry the put made is gone
  EXPECT_EQ(store.count(3), 0u);
  EXPECT_EQ(store.chain_count(1, 1), 0u);
  EXPECT_TRUE(chain(3, 0, "C001").empty());
  // The key is free again and the record number is given again.
  ASSERT_EQ(store.put(1, customer("C002", 2), nullptr), 0);
  Cursor c;
  std::string rec;
  EXPECT_EQ(store.get_by_number(1, 2, c, &rec), 0);
}

TEST(Locks, ConflictsBetweenSessions) {
  LockTable t;
  LockDescriptor a{2, 4, "= ", "AAAA"}, b{2, 4, "= ", "BBBB"}, whole{2, 0, "", ""}, every{0, 0, "", ""};
  EXPECT_EQ(t.lock_set(1, 3), 0);
  EXPECT_EQ(t.lock_set(1, 3), 0);  // a session does not conflict with itself
  EXPECT_EQ(t.lock_set(2, 3), LK_SET);
  EXPECT_EQ(t.lock_database(2), LK_DATABASE);
  EXPECT_EQ(t.lock_entries(2, {a}), 0);
  EXPECT_EQ(t.lock_entries(3, {b}), 0);
  EXPECT_EQ(t.lock_entries(3, {a}), LK_ENTRIES);
  EXPECT_EQ(t.lock_entries(3, {whole}), LK_ENTRIES);
  EXPECT_EQ(t.lock_entries(3, {every}), LK_SET);
  EXPECT_EQ(t.lock_set(1, 2), LK_ENTRIES_IN_SET);
  EXPECT_EQ(t.lock_entries(4, {LockDescriptor{3, 1, "= ", "x"}}), LK_SET);
  EXPECT_EQ(t.held(2), 1u);
  t.release(1);
  t.release(2);
  t.release(3);
  EXPECT_EQ(t.held(1), 0u);
  EXPECT_EQ(t.lock_database(4), 0);
  EXPECT_EQ(t.lock_set(5, 1), LK_DATABASE);
  EXPECT_EQ(t.lock_entries(5, {a}), LK_DATABASE);
}

}  // namespace
}  // namespace dbserver
