#include "catalog.h"

#include <strings.h>

#include <algorithm>
#include <cctype>

namespace dbserver {

namespace {

const uint32_t kName = 255;

Table make(uint32_t id, const char* name, std::vector<ColumnDef> columns, int id_column, int name_column,
           uint32_t first_id = 1) {
  Table t;
  t.id = id;
  t.name = name;
  t.columns = std::move(columns);
  t.id_column = id_column;
  t.name_column = name_column;
  t.next_id = first_id;
  return t;
}

void add(std::map<uint32_t, Table>& to, Table t) {
  uint32_t id = t.id;
  to.emplace(id, std::move(t));
}

void node_tables(std::map<uint32_t, Table>& n) {
  add(n, make(20, "SYSDB", {{"dbid", T_INT32, 4}, {"name", T_VARCHAR, kName}, {"flags", T_INT32, 4}}, 0, 1));
  add(n, make(21, "SYSCOLLATE",
              {{"id", T_INT32, 4}, {"name", T_VARCHAR, kName}, {"type", T_INT32, 4}, {"map", T_COUNTED, 256}}, 0, 1));
  add(n, make(22, "SYSNODE", {{"name", T_VARCHAR, 16}, {"value", T_VARCHAR, 32}}, -1, 0));
  add(n, make(30, "SYSUSER",
              {{"uid", T_INT32, 4}, {"name", T_VARCHAR, kName}, {"password", T_COUNTED, kName}, {"priv", T_BINARY, 4}},
              0, 1));
  add(n, make(31, "SYSNODEGROUP", {{"gid", T_INT32, 4}, {"name", T_VARCHAR, kName}}, 0, 1));
  add(n, make(32, "SYSNODEMEMBER", {{"uid", T_INT32, 4}, {"gid", T_INT32, 4}}, -1, -1));
  add(n, make(33, "SYSNODEPRIV", {{"uid", T_INT32, 4}, {"dbid", T_INT32, 4}, {"map", T_BINARY, 4}}, -1, -1));
  add(n, make(34, "SYSVOLUME", {{"volid", T_INT32, 4}, {"path", T_VARCHAR, kName}}, 0, 1));
  add(n, make(35, "SYSDEVICE", {{"devid", T_INT32, 4}, {"name", T_VARCHAR, kName}, {"size", T_INT32, 4}}, 0, 1));
  add(n, make(36, "SYSCONFIG", {{"name", T_VARCHAR, 32}, {"value", T_VARCHAR, 64}}, -1, 0));
}

void database_tables(std::map<uint32_t, Table>& d) {
  add(d,
      make(1, "SYSTABLE",
           {{"tableid", T_INT32, 4}, {"name", T_VARCHAR, kName}, {"type", T_INT32, 4}, {"flags", T_INT32, 4}}, 0, 1));
  add(d, make(2, "SYSGROUP", {{"gid", T_INT32, 4}, {"name", T_VARCHAR, kName}, {"priv", T_BINARY, 4}}, 0, 1, 2));
  add(d, make(3, "SYSCOLUMN",
              {{"colid", T_INT32, 4},
               {"name", T_VARCHAR, kName},
               {"type", T_INT8, 1},
               {"size", T_INT32, 4},
               {"count", T_INT32, 4},
               {"format", T_INT32, 4}},
              0, 1));
  add(d, make(4, "SYSINDEX",
              {{"idxid", T_INT32, 4},
               {"tableid", T_INT32, 4},
               {"name", T_VARCHAR, kName},
               {"kind", T_INT32, 4},
               {"segments", T_INT8, 1}},
              0, 2));
  add(d, make(5, "SYSMEMBER", {{"uid", T_INT32, 4}, {"gid", T_INT32, 4}}, -1, -1));
  add(d, make(6, "SYSPRIVILEGE", {{"gid", T_INT32, 4}, {"tableid", T_INT32, 4}, {"map", T_BINARY, 4}}, -1, -1));
  add(d, make(7, "SYSINDEXSEG",
              {{"idxid", T_INT32, 4}, {"idx", T_INT8, 1}, {"colid", T_INT32, 4}, {"length", T_INT32, 4}}, -1, -1));
  add(d, make(8, "SYSTABCOLUMN",
              {{"tableid", T_INT32, 4}, {"colid", T_INT32, 4}, {"idx", T_INT32, 4}, {"key", T_INT16, 2}}, -1, -1));
  add(d, make(9, "SYSTABPATH",
              {{"tableid", T_INT32, 4},
               {"idx", T_INT32, 4},
               {"colid", T_INT32, 4},
               {"reltableid", T_INT32, 4},
               {"relidx", T_INT32, 4},
               {"relcolid", T_INT32, 4},
               {"sortcolid", T_INT32, 4}},
              -1, -1));
  add(d, make(10, "SYSTABINDEX", {{"tableid", T_INT32, 4}, {"idxid", T_INT32, 4}, {"collid", T_INT32, 4}}, -1, -1));
}

}  // namespace

bool same_name(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

Row* Table::find(uint64_t serial) {
  auto it = std::lower_bound(rows.begin(), rows.end(), serial, [](const Row& r, uint64_t s) { return r.serial < s; });
  return it != rows.end() && it->serial == serial ? &*it : nullptr;
}

Row* Table::find_id(int64_t wanted) {
  if (id_column < 0) return nullptr;
  auto it = ids.find(wanted);
  return it == ids.end() ? nullptr : find(it->second);
}

std::string Table::name_key(const std::string& name) {
  std::string key = name.substr(0, name.find('\0'));  // compared as C strings
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

void Table::index_name(const Row& row) {
  if (name_column >= 0) names.emplace(name_key(row.values[static_cast<size_t>(name_column)].bytes), row.serial);
  if (id_column >= 0) ids.emplace(row.values[static_cast<size_t>(id_column)].num, row.serial);
}

void Table::unindex_name(const Row& row) {
  if (name_column >= 0) {
    auto it = names.find(name_key(row.values[static_cast<size_t>(name_column)].bytes));
    if (it != names.end() && it->second == row.serial) names.erase(it);
  }
  if (id_column >= 0) {
    auto it = ids.find(row.values[static_cast<size_t>(id_column)].num);
    if (it != ids.end() && it->second == row.serial) ids.erase(it);
  }
}

Row* Table::find_name(const std::string& wanted) {
  if (name_column < 0) return nullptr;
  auto it = names.find(name_key(wanted));
  return it == names.end() ? nullptr : find(it->second);
}

Catalog::Catalog(bool big) : big_(big) { node_tables(node_); }

Database* Catalog::database(uint32_t dbid) {
  auto it = dbs_.find(dbid);
  return it == dbs_.end() ? nullptr : &it->second;
}

Database* Catalog::database_by_name(const std::string& name) {
  for (auto& [id, db] : dbs_)
    if (same_name(db.name, name)) return &db;
  return nullptr;
}

Table* Catalog::table(uint32_t dbid, uint32_t id) {
  std::map<uint32_t, Table>* tables = &node_;
  if (dbid != 0) {
    Database* db = database(dbid);
    if (!db) return nullptr;
    tables = &db->tables;
  }
  auto it = tables->find(id);
  return it == tables->end() ? nullptr : &it->second;
}

int32_t Catalog::insert(Table& t, std::vector<Value> values, uint32_t* id, Undo* undo) {
  if (t.name_column >= 0 && t.find_name(values[static_cast<size_t>(t.name_column)].bytes)) return CAT_DUPLICATE;
  uint32_t assigned = 0;
  if (t.id_column >= 0) {
    assigned = t.next_id++;
    values[static_cast<size_t>(t.id_column)] = Value::number(assigned);
  }
  if (id) *id = assigned;
  Row row;
  row.serial = ++serial_;
  row.values = std::move(values);
  uint64_t serial = row.serial;
  t.rows.push_back(std::move(row));
  t.index_name(t.rows.back());
  Table* tp = &t;
  *undo = [tp, serial, assigned]() {
    if (const Row* r = tp->find(serial)) tp->unindex_name(*r);
    std::erase_if(tp->rows, [serial](const Row& r) { return r.serial == serial; });
    // An id nobody took after this one is handed out again.
    if (assigned != 0 && tp->next_id == assigned + 1) tp->next_id = assigned;
  };
  return 0;
}

int32_t Catalog::update(Table& t, uint64_t serial, std::vector<Value> values, Undo* undo) {
  Row* row = t.find(serial);
  if (!row) return CAT_NOT_FOUND;
  if (t.name_column >= 0) {
    Row* other = t.find_name(values[static_cast<size_t>(t.name_column)].bytes);
    if (other && other->serial != serial) return CAT_DUPLICATE;
  }
  std::vector<Value> old = row->values;
  t.unindex_name(*row);
  row->values = std::move(values);
  t.index_name(*row);
  Table* tp = &t;
  *undo = [tp, serial, old]() {
    if (Row* r = tp->find(serial)) {
      tp->unindex_name(*r);
      r->values = old;
      tp->index_name(*r);
    }
  };
  return 0;
}

int32_t Catalog::erase(Table& t, uint64_t serial, Undo* undo) {
  Row* found = t.find(serial);
  if (!found) return CAT_NOT_FOUND;
  auto it = t.rows.begin() + (found - t.rows.data());
  size_t at = static_cast<size_t>(it - t.rows.begin());
  Row old = *it;
  t.unindex_name(old);
  t.rows.erase(it);
  Table* tp = &t;
  *undo = [tp, at, old]() {
    tp->rows.insert(tp->rows.begin() + static_cast<long>(std::min(at, tp->rows.size())), old);
    tp->index_name(old);
  };
  return 0;
}

int32_t Catalog::add_database(const std::string& name, int32_t flags, uint32_t* dbid, Undo* undo) {
  Table& list = node_.at(20);
  Undo row_undo;
  int32_t status = insert(list, {Value(), Value::text(name), Value::number(flags)}, dbid, &row_undo);
  if (status != 0) return status;
  Database db;
  db.dbid = *dbid;
  db.name = name;
  database_tables(db.tables);
  uint32_t id = *dbid;
  dbs_.emplace(id, std::move(db));
  *undo = [this, id, row_undo]() {
    dbs_.erase(id);
    row_undo();
  };
  return 0;
}

std::string Catalog::bits(uint32_t v) const {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<char>(v >> (big_ ? 24 - 8 * i : 8 * i));
  return b;
}

uint32_t Catalog::bits_value(const std::string& b) const {
  if (b.size() != 4) return 0;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i)
    v |= static_cast<uint32_t>(static_cast<unsigned char>(b[static_cast<size_t>(i)])) << (big_ ? 24 - 8 * i : 8 * i);
  return v;
}

}  // namespace dbserver
