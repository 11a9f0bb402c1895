// The stand-in's system catalog: the node tables and one set of tables per
// database, rows of typed values, and changes that hand back their undo so
// that a transaction can take them back.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace dbserver {

// Column types as the client reads them.
enum : uint8_t { T_CHAR = 1, T_VARCHAR = 2, T_INT8 = 5, T_INT16 = 6, T_INT32 = 7, T_BINARY = 17, T_COUNTED = 18 };

struct ColumnDef {
  std::string name;
  uint8_t type;
  uint32_t size;
};

struct Value {
  bool null = false;
  int64_t num = 0;    // integer types
  std::string bytes;  // character and binary types
  static Value number(int64_t v) {
    Value x;
    x.num = v;
    return x;
  }
  static Value text(const std::string& s) {
    Value x;
    x.bytes = s;
    return x;
  }
  static Value none() {
    Value x;
    x.null = true;
    return x;
  }
};

struct Row {
  uint64_t serial = 0;  // identity of the row for undo
  std::vector<Value> values;
};

struct Table {
  uint32_t id = 0;
  std::string name;
  std::vector<ColumnDef> columns;
  std::vector<Row> rows;
  int id_column = -1;    // column that takes the assigned id, or -1
  int name_column = -1;  // column whose values are unique without case, or -1
  uint32_t next_id = 1;
  // Rows stay in serial order (inserts append, an undone erase puts the row
  // back in its place), so a serial is found by halving; names are found
  // through an index without case, kept by the catalog's changes.
  std::unordered_map<std::string, uint64_t> names;
  std::unordered_map<int64_t, uint64_t> ids;  // the same for the id column
  Row* find(uint64_t serial);
  Row* find_id(int64_t wanted);
  Row* find_name(const std::string& wanted);
  // The index's key of a row's name, and the upkeep of both indexes.
  static std::string name_key(const std::string& name);
  void index_name(const Row& row);
  void unindex_name(const Row& row);
};

struct Database {
  uint32_t dbid = 0;
  std::string name;
  std::map<uint32_t, Table> tables;
};

using Undo = std::function<void()>;

// Catalog statuses of the stand-in (location codes "SCE001" and so on).
enum : int32_t {
  CAT_DUPLICATE = 0x0801,
  CAT_NOT_FOUND = 0x0802,
  CAT_BAD_DB_HANDLE = 0x0803,
  CAT_BAD_QUERY = 0x0804,
  CAT_NO_MORE_ROWS = 0x0805,
  CAT_NO_TABLE = 0x0806,
  CAT_MALFORMED = 0x0807,
  CAT_UNSUPPORTED = 0x0808,
  CAT_NOT_LOGGED_ON = 0x0809,
};

// User privilege bits (column "priv" of table 30).
enum : uint32_t { PRIV_DBA = 1, PRIV_UADMIN = 2, PRIV_CONNECT = 4 };

class Catalog {
 public:
  // `big`: byte order of the 4-byte bit maps ("priv", "map").
  explicit Catalog(bool big);
  bool big() const { return big_; }
  std::map<uint32_t, Table>& node() { return node_; }
  Database* database(uint32_t dbid);
  Database* database_by_name(const std::string& name);
  // Node table, or a table of a database (dbid 0: node level); null if none.
  Table* table(uint32_t dbid, uint32_t id);

  // The changes: 0 and the undo through `undo`, or a catalog status.
  int32_t insert(Table& t, std::vector<Value> values, uint32_t* id, Undo* undo);
  int32_t update(Table& t, uint64_t serial, std::vector<Value> values, Undo* undo);
  int32_t erase(Table& t, uint64_t serial, Undo* undo);
  int32_t add_database(const std::string& name, int32_t flags, uint32_t* dbid, Undo* undo);

  // A 4-byte bit map in the announced byte order, and back.
  std::string bits(uint32_t v) const;
  uint32_t bits_value(const std::string& b) const;

 private:
  bool big_;
  uint64_t serial_ = 0;
  std::map<uint32_t, Table> node_;
  std::map<uint32_t, Database> dbs_;
};

bool same_name(const std::string& a, const std::string& b);

}  // namespace dbserver
