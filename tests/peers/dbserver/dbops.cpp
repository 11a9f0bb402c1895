// Database requests (class 3): open, close and set statistics of the
// databases in the catalog, with the storage state of their sets, and the
// set management of a database opened in mode 13.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "server.h"

namespace dbserver {

namespace {

enum : int32_t {
  ST_UNABLE_TO_OPEN = -1,
  ST_PERMISSION = -5,
  ST_BAD_DBID = -11,
  ST_BAD_PARAMETER = -21,
  ST_ILLEGAL_MODE = -31,
  ST_NEEDS_CREATION = -92,
  ST_NOT_CREATED = 80,
};

constexpr int kManageMode = 13;
constexpr uint32_t kRootVersion = 0x500;

// Rows of a table whose column `col` equals `value`, in insertion order.
std::vector<const Row*> rows_where(const Table& t, size_t col, int64_t value) {
  std::vector<const Row*> out;
  for (const Row& r : t.rows)
    if (r.values[col].num == value) out.push_back(&r);
  return out;
}

std::vector<const Row*> sorted_by(std::vector<const Row*> rows, size_t col) {
  std::stable_sort(rows.begin(), rows.end(),
                   [col](const Row* a, const Row* b) { return a->values[col].num < b->values[col].num; });
  return rows;
}

int index_of(const std::vector<int64_t>& ids, int64_t id) {
  auto it = std::find(ids.begin(), ids.end(), id);
  return it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
}

std::string padded(const std::string& name) {
  std::string n = name.substr(0, 16);
  n.resize(16, ' ');
  return n;
}

// Item type letter and element size of a catalog column type.
void item_type(int64_t code, int64_t column_size, char* letter, int32_t* size) {
  switch (code) {
    case 1: *letter = 'X', *size = static_cast<int32_t>(column_size); break;
    case 6: *letter = 'I', *size = 2; break;
    case 7: *letter = 'D', *size = 4; break;
    case 10: *letter = 'S', *size = 4; break;
    case 11: *letter = 'L', *size = 8; break;
    case 17: *letter = 'B', *size = static_cast<int32_t>(column_size); break;
    default: *letter = '?', *size = static_cast<int32_t>(column_size); break;
  }
}

}  // namespace

int32_t Session::set_access(Database& db, const std::vector<int64_t>& tables, std::vector<int32_t>& access) {
  Catalog& cat = *state_.catalog;
  access.assign(tables.size(), 0);
  if (!state_.users_required) {
    access.assign(tables.size(), 3);
    return 0;
  }
  Table& users = cat.node().at(30);
  const Row* user = users.find_name(user_);
  if (!user) return ST_PERMISSION;
  if (cat.bits_value(user->values[3].bytes) & PRIV_DBA) {
    access.assign(tables.size(), 3);
    return 0;
  }
  std::vector<int64_t> uids = {user->values[0].num};
  if (const Row* everyone = users.find_name("public")) uids.push_back(everyone->values[0].num);
  std::vector<int64_t> gids;
  for (const Row& m : db.tables.at(5).rows)
    if (std::find(uids.begin(), uids.end(), m.values[0].num) != uids.end()) gids.push_back(m.values[1].num);
  for (const Row& p : db.tables.at(6).rows) {
    if (std::find(gids.begin(), gids.end(), p.values[0].num) == gids.end()) continue;
    int set = index_of(tables, p.values[1].num);
    if (set >= 0) access[static_cast<size_t>(set)] |= static_cast<int32_t>(cat.bits_value(p.values[2].bytes) & 3u);
  }
  return 0;
}

int32_t Session::build_root(Database& db, OpenDb& open, std::string& object) {
  const bool big = big_;
  Writer w(big);
  const Table& columns = db.tables.at(3);
  const Table& indexes = db.tables.at(4);
  const Table& segments = db.tables.at(7);
  const Table& tables = db.tables.at(1);

  std::vector<int64_t> column_ids, iitem_ids, table_ids;
  std::vector<int32_t> item_sizes;
  for (const Row& c : columns.rows) column_ids.push_back(c.values[0].num);
  for (const Row& x : indexes.rows)
    if (x.values[3].num == 2) iitem_ids.push_back(x.values[0].num);
  for (const Row& t : tables.rows) table_ids.push_back(t.values[0].num);

  std::vector<int32_t> access;
  int32_t status = set_access(db, table_ids, access);
  if (status != 0) return status;

  const int32_t item_count = static_cast<int32_t>(column_ids.size());
  w.u32(kRootVersion);
  w.u32(static_cast<uint32_t>(item_count));
  w.u32(static_cast<uint32_t>(iitem_ids.size()));
  w.u32(static_cast<uint32_t>(table_ids.size()));
  for (const Row& c : columns.rows) {
    char letter;
    int32_t size;
    item_type(c.values[2].num, c.values[3].num, &letter, &size);
    item_sizes.push_back(size * static_cast<int32_t>(c.values[4].num));
    w.raw(padded(c.values[1].bytes));
    w.u32(static_cast<uint32_t>(static_cast<unsigned char>(letter)));
    w.u32(static_cast<uint32_t>(c.values[4].num));
    w.u32(static_cast<uint32_t>(size));
    w.u32(static_cast<uint32_t>(c.values[5].num));
  }
  for (const Row& x : indexes.rows) {
    if (x.values[3].num != 2) continue;
    std::vector<const Row*> parts = sorted_by(rows_where(segments, 0, x.values[0].num), 1);
    if (parts.size() > 8) parts.resize(8);
    uint32_t total = 0;
    for (const Row* p : parts) total += static_cast<uint32_t>(p->values[3].num);
    w.raw(padded(x.values[2].bytes));
    w.u32(total);
    w.u32(static_cast<uint32_t>(parts.size()));
    uint32_t offset = 0;
    for (size_t i = 0; i < 8; ++i) {
      if (i < parts.size()) {
        w.i32(index_of(column_ids, parts[i]->values[2].num));
        w.u32(static_cast<uint32_t>(parts[i]->values[3].num));
        w.u32(offset);
        offset += static_cast<uint32_t>(parts[i]->values[3].num);
      } else {
        w.u32(0);
        w.u32(0);
        w.u32(0);
      }
    }
  }
  // Item lists first: a master's path positions point into the related set's.
  std::vector<std::vector<int64_t>> set_columns;
  for (const Row& t : tables.rows) {
    std::vector<int64_t> cols;
    for (const Row* tc : sorted_by(rows_where(db.tables.at(8), 0, t.values[0].num), 2))
      cols.push_back(tc->values[1].num);
    set_columns.push_back(cols);
  }
  open.sets.clear();
  for (size_t s = 0; s < tables.rows.size(); ++s) {
    const Row& t = tables.rows[s];
    const int64_t flags = t.values[3].num;
    const char letter = (flags & 1) ? ((flags & 2) ? 'A' : 'M') : 'D';
    std::vector<const Row*> paths = sorted_by(rows_where(db.tables.at(9), 0, t.values[0].num), 1);
    std::vector<const Row*> keys = rows_where(db.tables.at(10), 0, t.values[0].num);
    w.raw(padded(t.values[1].bytes));
    w.u32(static_cast<uint32_t>(static_cast<unsigned char>(letter)));
    w.u32(static_cast<uint32_t>(set_columns[s].size()));
    w.u32(static_cast<uint32_t>(paths.size()));
    w.u32(static_cast<uint32_t>(keys.size()));
    w.i32(access[s]);
    int32_t record = 0;
    for (int64_t col : set_columns[s]) {
      int item = index_of(column_ids, col);
      w.i32(item);
      if (item >= 0) record += item_sizes[static_cast<size_t>(item)];
    }
    for (const Row* p : paths) {
      int related = index_of(table_ids, p->values[3].num);
      int position = letter == 'D'  ? index_of(set_columns[s], p->values[2].num)
                     : related >= 0 ? index_of(set_columns[static_cast<size_t>(related)], p->values[5].num)
                                    : -1;
      int sort = p->values[6].num ? index_of(column_ids, p->values[6].num) + 1 : 0;
      w.i32(related);
      w.i32(sort);
      w.i32(position);
    }
    for (const Row* k : keys) {
      int iitem = index_of(iitem_ids, k->values[1].num);
      w.i32(iitem < 0 ? -1 : item_count + iitem);
      w.u32(static_cast<uint32_t>(k->values[2].num));
    }
    StoreSet layout;
    layout.number = static_cast<int>(s + 1);
    layout.name = padded(t.values[1].bytes);
    layout.type = letter;
    for (int64_t col : set_columns[s]) {
      int item = index_of(column_ids, col);
      if (item < 0) continue;
      const Row& c = columns.rows[static_cast<size_t>(item)];
      StoreItem si;
      si.number = item + 1;
      int32_t size;
      item_type(c.values[2].num, c.values[3].num, &si.type, &size);
      si.size = static_cast<uint32_t>(size);
      si.count = static_cast<uint32_t>(c.values[4].num);
      layout.items.push_back(si);
    }
    for (const Row* k : keys) {
      int iitem = index_of(iitem_ids, k->values[1].num);
      if (iitem < 0) continue;
      StoreIndex x;
      x.number = item_count + iitem + 1;
      for (const Row* part : sorted_by(rows_where(segments, 0, k->values[1].num), 1)) {
        int position = index_of(set_columns[s], part->values[2].num);
        if (position >= 0) x.parts.push_back({position, static_cast<uint32_t>(part->values[3].num)});
      }
      layout.iitems.push_back(std::move(x));
    }
    if (letter == 'D')
      for (const Row* p : paths) {
        int related = index_of(table_ids, p->values[3].num);
        int position = index_of(set_columns[s], p->values[2].num);
        if (related < 0 || position < 0) continue;
        int sort = p->values[6].num ? index_of(set_columns[s], p->values[6].num) : -1;
        layout.paths.push_back({related + 1, position, sort});
      }
    open.sets.push_back(
        {padded(t.values[1].bytes), letter, record, static_cast<uint32_t>(t.values[0].num), std::move(layout)});
  }
  object.assign(w.bytes().begin(), w.bytes().end());
  return 0;
}

void Session::database_reply(uint16_t id, int32_t status, int32_t word9, const Writer* extra,
                             const std::string* object) {
  Writer body(big_);
  // Words 0 and 9 only: the client keeps its own intrinsic and mode words.
  body.u16(0x0201);
  for (int i = 0; i < 10; ++i) body.i32(i == 0 ? status : i == 9 ? word9 : 0);
  if (extra) body.raw(std::string(extra->bytes().begin(), extra->bytes().end()));
  if (object) {
    // The reply header takes 4 bytes before the body: aligning the body
    // aligns the message.
    body.align(4);
    body.obj(*object);
  }
  reply(id, body);
}

void Session::database_request(uint16_t id, uint16_t op, Reader& in) {
  Catalog& cat = *state_.catalog;
  if (op == 1) {  // open
    std::string name = in.str();
    std::string password = in.str();
    uint8_t mode = in.u8();
    int32_t status = 0;
    Database* db = nullptr;
    OpenDb open;
    std::string object;
    if (!in.ok() || in.remaining() != 0) {
      status = ST_BAD_PARAMETER;
    } else if (mode != 1 && mode != 3 && mode != 8 && mode != 9 && mode != kManageMode) {
      status = ST_ILLEGAL_MODE;
    } else if (state_.users_required && (state_.config.capabilities & 0x08) && !logged_on_) {
      status = ST_PERMISSION;
    } else if (!state_.root_file.empty()) {
      std::ifstream file(state_.root_file, std::ios::binary);
      object.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } else if (!(db = cat.database_by_name(name))) {
      status = ST_UNABLE_TO_OPEN;
    } else if (mode != kManageMode && state_.storage[db->dbid].needs_creation) {
      status = ST_NEEDS_CREATION;
    } else {
      status = build_root(*db, open, object);
    }
    int32_t remote = 0;
    if (status == 0) {
      remote = next_open_++;
      open.dbid = db ? db->dbid : 0;
      open.mode = mode;
      opened_[static_cast<uint16_t>(remote)] = open;
    }
    state_.note(number_, "open db=\"%s\" mode=%u status=%d remote_dbid=%d", name.c_str(), mode, status, remote);
    if (status != 0) {
      database_reply(id, status, 0, nullptr, nullptr);
      return;
    }
    database_reply(id, 0, remote, nullptr, &object);
    return;
  }

  uint16_t remote = in.u16();
  auto it = opened_.find(remote);
  if (op == 2 || op == 3) {
    uint8_t mode = op == 2 ? in.u8() : 0;
    uint16_t set = in.u16();
    uint16_t what = op == 3 ? in.u16() : 0;
    int32_t status = 0;
    Writer extra(big_);
    if (!in.ok() || in.remaining() != 0) {
      status = ST_BAD_PARAMETER;
    } else if (it == opened_.end()) {
      status = ST_BAD_DBID;
    } else if (op == 2) {
      if (mode != 1 && mode != 3 && mode != 4)
        status = ST_ILLEGAL_MODE;
      else if (mode == 3 && (set < 1 || set > it->second.sets.size()))
        status = ST_BAD_PARAMETER;
    } else if (what != 202) {
      status = ST_ILLEGAL_MODE;
    } else if (set < 1 || set > it->second.sets.size()) {
      status = ST_BAD_PARAMETER;
    } else {
      const OpenSet& s = it->second.sets[set - 1u];
      const Storage& storage = state_.storage[it->second.dbid];
      bool created = storage.created.count(s.tableid) != 0;
      extra.raw(s.name);
      extra.u8(static_cast<uint8_t>(s.letter));
      int reported = s.record_length;
      if (state_.config.has("short-record-length")) reported -= 2;
      if (state_.config.has("long-record-length")) reported += 2;
      extra.u16(static_cast<uint16_t>(reported));
      extra.u32(created ? kSetCapacity : 0);
      extra.u32(created ? static_cast<uint32_t>(store_of(it->second).count(set)) : 0);
    }
    if (op == 2)
      state_.note(number_, "close remote_dbid=%u mode=%u set=%u status=%d", remote, mode, set, status);
    else
      state_.note(number_, "info remote_dbid=%u set=%u mode=%u status=%d", remote, set, what, status);
    if (status == 0 && op == 2 && mode == 3) cursors_[{remote, set}].rewind();
    if (status == 0 && op == 2 && mode == 1) {
      std::erase_if(cursors_, [remote](const auto& c) { return c.first.first == remote; });
      opened_.erase(it);
    }
    database_reply(id, status, 0, status == 0 && op == 3 ? &extra : nullptr, nullptr);
    return;
  }

  // create (11), erase (12), purge (13)
  uint8_t mode = in.u8();
  in.align(4);
  std::string flags = in.obj();
  int32_t status = 0;
  if (!in.ok() || in.remaining() != 0) {
    status = ST_BAD_PARAMETER;
  } else if (it == opened_.end()) {
    status = ST_BAD_DBID;
  } else if (it->second.mode != kManageMode) {
    status = ST_ILLEGAL_MODE;
  } else if (!(mode == 1 || (op == 13 && mode == 2))) {
    status = ST_ILLEGAL_MODE;
  } else if (!flags.empty() && flags.size() != 4 * it->second.sets.size()) {
    status = ST_BAD_PARAMETER;
  }
  std::vector<uint32_t> chosen;
  if (status == 0) {
    const Bytes flag_bytes(flags.begin(), flags.end());
    Reader words(flag_bytes, big_);
    for (const OpenSet& s : it->second.sets) {
      uint32_t flag = flags.empty() ? 1 : words.u32();
      if (flag) chosen.push_back(s.tableid);
    }
  }
  std::string listed;
  for (uint32_t t : chosen) listed += " " + std::to_string(t);
  if (status == 0) {
    Storage& storage = state_.storage[it->second.dbid];
    if (op == 11) {
      for (uint32_t t : chosen) storage.created.insert(t);
      storage.needs_creation = false;
    } else if (op == 12) {
      for (uint32_t t : chosen)
        if (!storage.created.count(t)) status = ST_NOT_CREATED;
    }
    if (op != 11 && status == 0) {
      RecordStore& store = store_of(it->second);
      for (const OpenSet& s : it->second.sets)
        if (std::find(chosen.begin(), chosen.end(), s.tableid) != chosen.end()) store.erase(s.layout.number);
    }
    if (op == 13) {
      for (uint32_t t : chosen) storage.created.erase(t);
      if (mode == 2) storage.needs_creation = true;
    }
  }
  static const char* const kNames[] = {"create", "erase", "purge"};
  state_.note(number_, "%s remote_dbid=%u mode=%u tables=[%s ] status=%d", kNames[op - 11], remote, mode,
              listed.c_str(), status);
  // The client has dropped the database: so does the session.
  if (it != opened_.end()) opened_.erase(it);
  database_reply(id, status, 0, nullptr, nullptr);
}

}  // namespace dbserver
