// The root cache: a well-formed root object decoded with its record layout
// and hash lookups, and a table of hostile objects that must each be refused
// whole (S_REMOTE -7) without a cache left behind.
#include <gtest/gtest.h>

#include <memory>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "database/client/root.h"
#include "database/client/status.h"

namespace {

// Builds a root object: little-endian words and 16-byte names.
struct RootObject {
  std::vector<unsigned char> bytes;
  void word(int64_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(u >> (8 * i)));
  }
  void name(const std::string& n) {
    std::string padded = n;
    padded.resize(16, ' ');
    bytes.insert(bytes.end(), padded.begin(), padded.end());
  }
};

struct Item {
  std::string name;
  int64_t letter, count, size, attribute;
};
struct IItem {
  std::string name;
  std::vector<std::pair<int64_t, int64_t>> parts;
  int64_t part_count = -1;  // -1: the number of parts
};
struct Path {
  int64_t set, word, position;
};
struct Set {
  std::string name;
  char letter;
  std::vector<int64_t> items;
  std::vector<Path> paths;
  std::vector<std::pair<int64_t, int64_t>> indexes;
  int64_t access = 3;
  int64_t item_count = -1;  // -1: the size of the list
};

// Two masters and a detail, as a server would describe them.
struct Model {
  int64_t version = 0x500;
  std::vector<Item> items = {{"CUST-NO", 'X', 1, 8, 0}, {"NAME", 'X', 1, 20, 0},
                             {"QTY", 'I', 1, 2, 0},     {"PRICE", 'L', 2, 8, (int64_t{'R'} << 24) | 2},
                             {"CODE", 'D', 1, 4, 0},    {"RATE", 'S', 1, 4, 0},
                             {"BLOB", 'B', 1, 6, 0}};
  std::vector<IItem> iitems = {{"NAME-IX", {{1, 20}, {0, 4}}}};
  std::vector<Set> sets = {{"CUSTOMERS", 'M', {0, 1}, {{2, 0, 1}}, {{7, 0}}},
                           {"PRODUCTS", 'A', {4}, {}, {}},
                           {"ORDERS", 'D', {4, 0, 2, 3}, {{0, 0, 1}}, {}}};
  int64_t item_count_word = -1;
  int64_t iitem_count_word = -1;
  int64_t set_count_word = -1;

  std::vector<unsigned char> object() const {
    RootObject o;
    o.word(version);
    o.word(item_count_word >= 0 ? item_count_word : static_cast<int64_t>(items.size()));
    o.word(iitem_count_word >= 0 ? iitem_count_word : static_cast<int64_t>(iitems.size()));
    o.word(set_count_word >= 0 ? set_count_word : static_cast<int64_t>(sets.size()));
    for (const Item& it : items) {
      o.name(it.name);
      o.word(it.letter);
      o.word(it.count);
      o.word(it.size);
      o.word(it.attribute);
    }
    for (const IItem& ii : iitems) {
      o.name(ii.name);
      o.word(0);
      o.word(ii.part_count >= 0 ? ii.part_count : static_cast<int64_t>(ii.parts.size()));
      for (size_t p = 0; p < 8; ++p) {
        o.word(p < ii.parts.size() ? ii.parts[p].first : 0);
        o.word(p < ii.parts.size() ? ii.parts[p].second : 0);
        o.word(0);
      }
    }
    for (const Set& s : sets) {
      o.name(s.name);
      o.word(s.letter);
      o.word(s.item_count >= 0 ? s.item_count : static_cast<int64_t>(s.items.size()));
      o.word(static_cast<int64_t>(s.paths.size()));
      o.word(static_cast<int64_t>(s.indexes.size()));
      o.word(s.access);
      for (int64_t i : s.items) o.word(i);
      for (const Path& p : s.paths) {
        o.word(p.set);
        o.word(p.word);
        o.word(p.position);
      }
      for (const auto& x : s.indexes) {
        o.word(x.first);
        o.word(x.second);
      }
    }
    return o.bytes;
  }
};

int decode(const std::vector<unsigned char>& bytes, RootCache* root) {
  return idb__decode_root(bytes.data(), static_cast<uint32_t>(bytes.size()), BYTE_ORDER_LE, nullptr, root);
}

int32_t number(int32_t v) { return v; }

TEST(RootCache, DecodesLayoutAndLooksNamesUp) {
  RootCache root;
  ASSERT_EQ(0, decode(Model().object(), &root));
  EXPECT_EQ(root.version, 0x500);
  ASSERT_EQ(root.item_count, 7);
  ASSERT_EQ(root.iitem_count, 1);
  ASSERT_EQ(root.set_count, 3);
  const RootSet& orders = root.sets[2];
  EXPECT_EQ(orders.record_length, 4 + 8 + 2 + 16);
  EXPECT_EQ(std::vector<int32_t>(orders.offsets, orders.offsets + 4), (std::vector<int32_t>{0, 4, 12, 14}));
  EXPECT_EQ(orders.packable, 1);
  EXPECT_EQ(root.iitems[0].part_count, 2);
  EXPECT_EQ(root.iitems[0].parts[1].item, 0);

  // Names without case, ended by a blank or ';'; numbers in range.
  EXPECT_EQ(idb__find_set_name(&root, "orders"), 2);
  EXPECT_EQ(idb__find_set_name(&root, "CUSTOMERS;"), 0);
  EXPECT_EQ(idb__find_set_name(&root, "PRODUCTS more"), 1);
  EXPECT_EQ(idb__find_set_name(&root, "ORDER"), -1);
  EXPECT_EQ(idb__find_set_name(&root, ""), -1);
  EXPECT_EQ(idb__find_set_name(&root, ";"), -1);
  int32_t n = number(3);
  EXPECT_EQ(idb__find_set(&root, &n), 2);
  char name[20] = "price";
  EXPECT_EQ(idb__find_item(&root, name), 3);
  n = 8;
  EXPECT_EQ(idb__find_item(&root, &n), -1);
  EXPECT_EQ(idb__find_iitem(&root, &n), 7);  // index items count on from the items
  n = 7;
  EXPECT_EQ(idb__find_iitem(&root, &n), -1);
  EXPECT_EQ(idb__find_iitem_name(&root, "name-ix"), 7);
  EXPECT_EQ(idb__set_access(&root, 0), -1);
  idb__free_root(&root);
}

TEST(RootCache, NumbersOutOfRangeAreNeverReadAsNames) {
  RootCache root;
  ASSERT_EQ(0, decode(Model().object(), &root));
  // Each is a lone 4-byte number: read as a name, its bytes would run past
  // the number looking for a terminator.
  for (int32_t v : {0, -1, 9, 16843009, 0x7fffffff, -16843009}) {
    auto arg = std::make_unique<int32_t>(v);
    EXPECT_EQ(idb__find_set(&root, arg.get()), -1) << v;
    EXPECT_EQ(idb__find_item(&root, arg.get()), -1) << v;
    if (v != 9) {
      EXPECT_EQ(idb__find_iitem(&root, arg.get()), -1) << v;
    }
  }
  idb__free_root(&root);
}

TEST(RootCache, CollidingNamesShareChainsAndAllAreFound) {
  // "AB", "BA" and "C" hash alike (sum 3) in a table of 5; "E" has slot 0.
  Model m;
  m.items = {{"AB", 'X', 1, 2, 0}, {"BA", 'X', 1, 2, 0}, {"C", 'X', 1, 2, 0}, {"E", 'X', 1, 2, 0}, {"D", 'X', 1, 2, 0}};
  m.iitems = {};
  m.sets = {{"S", 'D', {0, 1, 2, 3, 4}, {}, {}}};
  RootCache root;
  ASSERT_EQ(0, decode(m.object(), &root));
  for (int i = 0; i < 5; ++i) {
    char name[20] = {};
    std::memcpy(name, root.items[i].name, 2);
    if (name[1] == ' ') name[1] = '\0';
    EXPECT_EQ(idb__find_item_name(&root, name), i) << name;
  }
  EXPECT_EQ(idb__find_item_name(&root, "CA"), -1);
  EXPECT_EQ(idb__find_iitem_name(&root, "AB"), -1);  // no index items at all
  idb__free_root(&root);
}

TEST(RootCache, EmptyTablesAnswerEveryLookupWithMinusOne) {
  Model m;
  m.items = {};
  m.iitems = {};
  m.sets = {};
  RootCache root;
  ASSERT_EQ(0, decode(m.object(), &root));
  int32_t n = 1;
  EXPECT_EQ(idb__find_set(&root, &n), -1);
  EXPECT_EQ(idb__find_item_name(&root, "X"), -1);
  EXPECT_EQ(idb__find_iitem(&root, &n), -1);
  idb__free_root(&root);
}

TEST(RootCache, UnknownLetterIsKeptButItsSetCannotBePacked) {
  Model m;
  m.items[4].letter = 'Z';
  m.items[4].size = 3;
  RootCache root;
  ASSERT_EQ(0, decode(m.object(), &root));
  EXPECT_EQ(root_letter(root.items[4].type), 'Z');
  EXPECT_EQ(root.sets[0].packable, 1);
  EXPECT_EQ(root.sets[1].packable, 0);
  EXPECT_EQ(root.sets[2].packable, 0);
  idb__free_root(&root);
}

TEST(RootCache, HostileObjectsAreRefusedWhole) {
  struct Case {
    const char* what;
    std::function<void(Model&)> bend;
    size_t cut = 0;  // bytes taken off the end
  };
  const Case cases[] = {
      {"version below 0x500", [](Model& m) { m.version = 0x4ff; }},
      {"version above 0x6ff", [](Model& m) { m.version = 0x700; }},
      {"item count beyond the object", [](Model& m) { m.item_count_word = 8; }},
      {"item count that overflows", [](Model& m) { m.item_count_word = 0x20000000; }},
      {"negative item count", [](Model& m) { m.item_count_word = 0x80000000; }},
      {"index item count beyond the object", [](Model& m) { m.iitem_count_word = 0x08888889; }},
      {"set count beyond the object", [](Model& m) { m.set_count_word = 0x7fffffff; }},
      {"I of 4 bytes", [](Model& m) { m.items[2].size = 4; }},
      {"D of 2 bytes", [](Model& m) { m.items[4].size = 2; }},
      {"S of 8 bytes", [](Model& m) { m.items[5].size = 8; }},
      {"L of 4 bytes", [](Model& m) { m.items[3].size = 4; }},
      {"X of 0 bytes", [](Model& m) { m.items[0].size = 0; }},
      {"B of -2 bytes", [](Model& m) { m.items[6].size = -2; }},
      {"negative element count", [](Model& m) { m.items[0].count = -1; }},
      {"nine parts", [](Model& m) { m.iitems[0].part_count = 9; }},
      {"negative part count", [](Model& m) { m.iitems[0].part_count = 0xffffffff; }},
      {"part naming no item", [](Model& m) { m.iitems[0].parts[0].first = 7; }},
      {"set without items", [](Model& m) { m.sets[1].items = {}; }},
      {"item list beyond the object", [](Model& m) { m.sets[2].item_count = 1000000; }},
      {"set item index out of range", [](Model& m) { m.sets[1].items = {7}; }},
      {"negative set item index", [](Model& m) { m.sets[1].items = {-1}; }},
      {"path to no set", [](Model& m) { m.sets[2].paths[0].set = 3; }},
      {"detail path position past its items", [](Model& m) { m.sets[2].paths[0].position = 4; }},
      {"master path position past the detail's items", [](Model& m) { m.sets[0].paths[0].position = 4; }},
      {"index naming an item", [](Model& m) { m.sets[0].indexes[0].first = 6; }},
      {"index past the index items", [](Model& m) { m.sets[0].indexes[0].first = 8; }},
      {"index number far below the items", [](Model& m) { m.sets[0].indexes[0].first = -2147483645; }},
      {"record length beyond 32 bits",
       [](Model& m) {
         m.items[1].count = 0x10000;
         m.items[1].size = 0x8000;
       }},
      {"object cut inside the last set", [](Model&) {}, 4},
      {"object cut inside the header",
       [](Model& m) {
         m.items = {};
         m.iitems = {};
         m.sets = {};
       },
       13},
  };
  for (const Case& c : cases) {
    Model m;
    c.bend(m);
    std::vector<unsigned char> bytes = m.object();
    bytes.resize(bytes.size() - c.cut);
    RootCache root;
    std::memset(&root, 0x5a, sizeof root);
    idb__set_last(0, 0, "", 0);
    EXPECT_NE(0, decode(bytes, &root)) << c.what;
    EXPECT_EQ(idb__last_status().code, S_REMOTE) << c.what;
    EXPECT_EQ(idb__last_status().secondary, REMOTE_ROOT) << c.what;
    EXPECT_EQ(root.items, nullptr) << c.what;
    EXPECT_EQ(root.sets, nullptr) << c.what;
    EXPECT_EQ(root.set_count, 0) << c.what;
  }
}

}  // namespace
