// Catalog requests (class 4): records in and out of the catalog tables,
// database handles and queries per session.
#include "refcrypto.h"
#include "server.h"

namespace dbserver {

namespace {

// A reply under construction: the status, its message, and the data.
struct Answer {
  int32_t status = 0;
  std::string message;
  void fail(int32_t s, const std::string& m) {
    status = s;
    message = m;
  }
};

bool complete(Reader& in) { return in.ok() && in.remaining() == 0; }

uint32_t word(const std::string& b, size_t at, bool big) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i)
    v |= static_cast<uint32_t>(static_cast<unsigned char>(b[at + i])) << (big ? 24 - 8 * i : 8 * i);
  return v;
}

// The block of an object: {u32 length, bytes}; false when it does not fit.
bool block(const std::string& obj, bool big, std::string& bytes, bool& present) {
  present = false;
  bytes.clear();
  if (obj.empty()) return true;
  if (obj.size() < 4) return false;
  uint32_t n = word(obj, 0, big);
  if (n > obj.size() - 4) return false;
  present = n != 0;
  bytes = obj.substr(4, n);
  return true;
}

std::string block_obj(const Value& v, bool big) {
  Writer w(big);
  if (v.null) {
    w.u32(0);
  } else {
    w.u32(static_cast<uint32_t>(v.bytes.size()));
    w.raw(v.bytes);
  }
  return std::string(w.bytes().begin(), w.bytes().end());
}

std::string encode(const Value& v, uint8_t type, bool big) {
  Writer w(big);
  switch (type) {
    case T_INT32: w.u32(static_cast<uint32_t>(v.num)); break;
    case T_INT16: w.u16(static_cast<uint16_t>(v.num)); break;
    case T_INT8: w.u8(static_cast<uint8_t>(v.num)); break;
    default: w.raw(v.bytes); break;
  }
  return std::string(w.bytes().begin(), w.bytes().end());
}

const int64_t kNone = -1;

}  // namespace

void Session::catalog_request(uint16_t id, uint16_t op, Reader& in) {
  Catalog& cat = *state_.catalog;
  const bool big = big_;
  Answer a;
  Writer data(big);
  // The database of a handle, or null with the answer set.
  auto database = [&](uint16_t h) -> Database* {
    auto it = dbs_.find(h);
    Database* db = it == dbs_.end() ? nullptr : cat.database(it->second);
    if (!db) a.fail(CAT_BAD_DB_HANDLE, "bad database handle " + std::to_string(h));
    return db;
  };
  auto malformed = [&]() { a.fail(CAT_MALFORMED, "malformed catalog request"); };
  auto done = [&](int32_t s, Undo& undo, const char* what) {
    if (s == 0) {
      keep(std::move(undo));
    } else if (s == CAT_DUPLICATE) {
      a.fail(s, std::string(what) + " already exists");
    } else {
      a.fail(s, std::string(what) + " not found");
    }
  };
  auto put_user = [&](const Row& r) {
    data.u32(static_cast<uint32_t>(r.values[0].num));
    data.str(r.values[1].bytes);
    data.align(4);
    data.obj(block_obj(r.values[2], big));
    data.i32(static_cast<int32_t>(cat.bits_value(r.values[3].bytes)));
  };
  auto put_collate = [&](const Row& r) {
    data.u32(static_cast<uint32_t>(r.values[0].num));
    data.str(r.values[1].bytes);
    data.u32(static_cast<uint32_t>(r.values[2].num));
    data.i32(0);
    data.u32(0);
    data.align(4);
    data.obj(block_obj(r.values[3], big));
  };
  // Fields of an incoming user record.
  struct UserIn {
    uint32_t uid;
    std::string name;
    std::string password;
    bool has_password;
    int32_t flags;
  };
  auto read_user = [&](UserIn& u) {
    u.uid = in.u32();
    u.name = in.str();
    in.align(4);
    std::string obj = in.obj();
    u.flags = in.i32();
    return complete(in) && obj.size() >= 4 && block(obj, big, u.password, u.has_password) && !u.name.empty();
  };
  auto user_values = [&](const UserIn& u) {
    return std::vector<Value>{Value(), Value::text(u.name), u.has_password ? Value::text(u.password) : Value::none(),
                              Value::text(cat.bits(static_cast<uint32_t>(u.flags)))};
  };
  Table& users = cat.node().at(30);
  Undo undo;

  // Servers attached after the first get no logon: only a server that checks
  // users insists on one.
  if (state_.users_required && (state_.config.capabilities & 0x08) && !logged_on_) {
    a.fail(CAT_NOT_LOGGED_ON, "not logged on");
  } else {
    switch (op) {
      case 8: {  // add user
        UserIn u;
        if (!read_user(u)) {
          malformed();
          break;
        }
        uint32_t uid = 0;
        done(cat.insert(users, user_values(u), &uid, &undo), undo, "user");
        if (a.status == 0) data.u32(uid);
        break;
      }
      case 9:
      case 10: {  // get user by name, by id
        std::string name = op == 9 ? in.str() : "";
        int64_t uid = op == 10 ? in.i32() : kNone;
        if (!complete(in)) {
          malformed();
          break;
        }
        Row* r = op == 9 ? users.find_name(name) : users.find_id(uid);
        if (!r) {
          a.fail(CAT_NOT_FOUND, "user not found");
          break;
        }
        put_user(*r);
        break;
      }
      case 44:
      case 45: {  // update, delete user
        UserIn u;
        if (!read_user(u)) {
          malformed();
          break;
        }
        Row* r = u.uid != 0 ? users.find_id(u.uid) : users.find_name(u.name);
        if (!r) {
          a.fail(CAT_NOT_FOUND, "user not found");
          break;
        }
        std::vector<Value> values = user_values(u);
        values[0] = r->values[0];
        int32_t s = op == 44 ? cat.update(users, r->serial, values, &undo) : cat.erase(users, r->serial, &undo);
        done(s, undo, "user");
        break;
      }
      case 11: {  // add database
        in.u32();
        std::string name = in.str();
        int32_t flags = in.i32();
        in.i32();
        in.i32();
        if (!complete(in) || name.empty()) {
          malformed();
          break;
        }
        uint32_t dbid = 0;
        done(cat.add_database(name, flags, &dbid, &undo), undo, "database");
        if (a.status == 0) data.u32(dbid);
        break;
      }
      case 15: {  // open database by name
        std::string name = in.str();
        in.i32();
        in.i32();
        if (!complete(in)) {
          malformed();
          break;
        }
        Database* db = cat.database_by_name(name);
        if (!db) {
          a.fail(CAT_NOT_FOUND, "database \"" + name + "\" not found");
          break;
        }
        while (next_db_ == 0 || dbs_.count(next_db_)) ++next_db_;
        uint16_t h = next_db_++;
        dbs_[h] = db->dbid;
        data.u16(h);
        break;
      }
      case 17: {  // close database
        uint16_t h = in.u16();
        if (!complete(in)) {
          malformed();
          break;
        }
        if (database(h)) dbs_.erase(h);
        break;
      }
      case 18: {  // add collating sequence
        in.u32();
        std::string name = in.str();
        uint32_t type = in.u32();
        in.i32();
        in.u32();
        std::string map;
        bool present = false;
        if (type == 0) {
          in.align(4);
          std::string obj = in.obj();
          if (!block(obj, big, map, present) || obj.size() < 4) {
            malformed();
            break;
          }
        }
        if (!complete(in) || type != 0 || name.empty()) {
          malformed();
          break;
        }
        uint32_t cid = 0;
        done(cat.insert(cat.node().at(21),
                        {Value(), Value::text(name), Value::number(type), present ? Value::text(map) : Value::none()},
                        &cid, &undo),
             undo, "collating sequence");
        if (a.status == 0) data.u32(cid);
        break;
      }
      case 19:
      case 20:
      case 50: {  // get collating sequence by name, by id
        std::string name = op == 19 ? in.str() : "";
        int64_t cid = op != 19 ? in.u32() : kNone;
        if (!complete(in)) {
          malformed();
          break;
        }
        Table& t = cat.node().at(21);
        Row* r = op == 19 ? t.find_name(name) : t.find_id(cid);
        if (!r) {
          a.fail(CAT_NOT_FOUND, "collating sequence not found");
          break;
        }
        put_collate(*r);
        break;
      }
      case 21:
      case 46:
      case 47: {  // add, update, delete group
        uint16_t h = in.u16();
        uint32_t gid = in.u32();
        std::string name = in.str();
        int32_t flags = in.i32();
        if (!complete(in) || (op == 21 && name.empty())) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        Table& t = db->tables.at(2);
        std::vector<Value> values = {Value(), Value::text(name), Value::text(cat.bits(static_cast<uint32_t>(flags)))};
        if (op == 21) {
          uint32_t assigned = 0;
          done(cat.insert(t, values, &assigned, &undo), undo, "group");
          if (a.status == 0) data.u32(assigned);
          break;
        }
        Row* r = gid != 0 ? t.find_id(gid) : t.find_name(name);
        if (!r) {
          a.fail(CAT_NOT_FOUND, "group not found");
          break;
        }
        values[0] = r->values[0];
        if (name.empty()) values[1] = r->values[1];
        done(op == 46 ? cat.update(t, r->serial, values, &undo) : cat.erase(t, r->serial, &undo), undo, "group");
        break;
      }
      case 23: {  // get group by id
        uint16_t h = in.u16();
        int32_t gid = in.i32();
        if (!complete(in)) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        Row* r = db->tables.at(2).find_id(gid);
        if (!r) {
          a.fail(CAT_NOT_FOUND, "group not found");
          break;
        }
        data.u32(static_cast<uint32_t>(r->values[0].num));
        data.str(r->values[1].bytes);
        data.i32(static_cast<int32_t>(cat.bits_value(r->values[2].bytes)));
        break;
      }
      case 24:
      case 48:
      case 25:
      case 49: {  // add, delete member; add, delete privilege
        bool member = op == 24 || op == 48;
        uint16_t h = in.u16();
        uint32_t first = in.u32();
        uint32_t second = in.u32();
        int32_t bits = member ? 0 : in.i32();
        if (!complete(in)) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        Table& t = db->tables.at(member ? 5 : 6);
        // Members are (uid, gid); privileges (gid, tableid).
        if (member && !db->tables.at(2).find_id(second)) {
          a.fail(CAT_NOT_FOUND, "group not found");
          break;
        }
        if (!member && !db->tables.at(2).find_id(first)) {
          a.fail(CAT_NOT_FOUND, "group not found");
          break;
        }
        Row* r = nullptr;
        for (Row& row : t.rows)
          if (row.values[0].num == first && row.values[1].num == second) r = &row;
        const char* what = member ? "member" : "privilege";
        const bool add = op == 24 || op == 25;
        // A privilege row holds one bit per privilege of the group on the
        // table: an add sets its bits in the row, a delete clears them, and
        // the row goes with its last bit.
        const uint32_t given = static_cast<uint32_t>(bits);
        const uint32_t held = r && !member ? cat.bits_value(r->values[2].bytes) : 0;
        if (add && r && (member || (held & given) == given)) {
          a.fail(CAT_DUPLICATE, std::string(what) + " already exists");
          break;
        }
        if (!add && (!r || (!member && (held & given) == 0))) {
          a.fail(CAT_NOT_FOUND, std::string(what) + " not found");
          break;
        }
        if (add && !r) {
          std::vector<Value> values = {Value::number(first), Value::number(second)};
          if (!member) values.push_back(Value::text(cat.bits(given)));
          done(cat.insert(t, values, nullptr, &undo), undo, what);
        } else if (member || (!add && (held & ~given) == 0)) {
          done(cat.erase(t, r->serial, &undo), undo, what);
        } else {
          const uint32_t now = add ? held | given : held & ~given;
          done(cat.update(t, r->serial, {r->values[0], r->values[1], Value::text(cat.bits(now))}, &undo), undo, what);
        }
        break;
      }
      case 27: {  // add column
        uint16_t h = in.u16();
        in.u32();
        in.u32();
        std::string name = in.str();
        uint8_t type = in.u8();
        uint32_t size = in.u32();
        uint32_t count = in.u32();
        in.i32();
        uint32_t format = in.u32();
        if (!complete(in) || name.empty()) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        uint32_t colid = 0;
        done(cat.insert(db->tables.at(3),
                        {Value(), Value::text(name), Value::number(type), Value::number(size), Value::number(count),
                         Value::number(format)},
                        &colid, &undo),
             undo, "column");
        if (a.status == 0) data.u32(colid);
        break;
      }
      case 30: {  // add index
        uint16_t h = in.u16();
        in.u32();
        uint32_t tableid = in.u32();
        std::string name = in.str();
        in.u32();
        int32_t kind = in.i32();
        uint8_t segments = in.u8();
        in.u32();
        if (!complete(in) || name.empty()) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        uint32_t idxid = 0;
        done(cat.insert(
                 db->tables.at(4),
                 {Value(), Value::number(tableid), Value::text(name), Value::number(kind), Value::number(segments)},
                 &idxid, &undo),
             undo, "index");
        if (a.status == 0) data.u32(idxid);
        break;
      }
      case 34: {  // add table
        uint16_t h = in.u16();
        in.u32();
        in.u32();
        std::string name = in.str();
        int32_t type = in.i32();  // 1 for a data set
        int32_t flags = in.i32();
        in.u16();
        in.u16();
        in.u16();
        in.i32();
        if (!complete(in) || name.empty()) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        uint32_t tableid = 0;
        done(cat.insert(db->tables.at(1), {Value(), Value::text(name), Value::number(type), Value::number(flags)},
                        &tableid, &undo),
             undo, "table");
        if (a.status == 0) data.u32(tableid);
        break;
      }
      case 33:
      case 37:
      case 38:
      case 39: {  // index segment, table column, table path, table index
        uint16_t h = in.u16();
        std::vector<Value> values;
        uint32_t table = 0;
        if (op == 33) {
          table = 7;
          values.push_back(Value::number(in.u32()));
          values.push_back(Value::number(in.u8()));
          values.push_back(Value::number(in.u32()));
          values.push_back(Value::number(in.u32()));
          in.i32();
        } else if (op == 37) {
          table = 8;
          for (int i = 0; i < 3; ++i) values.push_back(Value::number(in.u32()));
          values.push_back(Value::number(in.i32()));
        } else if (op == 38) {
          table = 9;
          for (int i = 0; i < 7; ++i) values.push_back(Value::number(in.u32()));
        } else {
          table = 10;
          for (int i = 0; i < 3; ++i) values.push_back(Value::number(in.u32()));
          in.u32();
        }
        if (!complete(in)) {
          malformed();
          break;
        }
        Database* db = database(h);
        if (!db) break;
        done(cat.insert(db->tables.at(table), values, nullptr, &undo), undo, "entry");
        break;
      }
      case 41: {  // select
        uint16_t h = in.u16();
        uint32_t sys_id = in.u32();
        uint16_t filter = in.u16();
        if (!complete(in)) {
          malformed();
          break;
        }
        uint32_t dbid = 0;
        if (h != 0) {
          Database* db = database(h);
          if (!db) break;
          dbid = db->dbid;
        }
        Table* t = cat.table(dbid, sys_id);
        if (!t) {
          a.fail(CAT_NO_TABLE, "no catalog table " + std::to_string(sys_id));
          break;
        }
        if (filter != 0) {
          a.fail(CAT_UNSUPPORTED, "unknown filter " + std::to_string(filter));
          break;
        }
        while (next_query_ == 0 || queries_.count(next_query_)) ++next_query_;
        uint16_t q = next_query_++;
        queries_[q] = Query{*t, 0};
        uint32_t names = 0;
        for (const ColumnDef& c : t->columns) names += static_cast<uint32_t>(c.name.size() + 1);
        data.u16(q);
        data.str(t->name);
        data.i32(0);
        data.u32(static_cast<uint32_t>(t->columns.size()));
        data.u32(static_cast<uint32_t>(t->rows.size()));
        data.u32(names);
        for (const ColumnDef& c : t->columns) {
          data.str(c.name);
          data.u8(c.type);
          data.i32(0);
          const bool wide_priv = dbid == 0 && sys_id == 30 && c.name == "priv" && state_.config.has("user-priv-size-8");
          data.u32(wide_priv ? 8 : c.size);
        }
        break;
      }
      case 42: {  // fetch
        uint16_t q = in.u16();
        if (!complete(in)) {
          malformed();
          break;
        }
        auto it = queries_.find(q);
        if (it == queries_.end()) {
          a.fail(CAT_BAD_QUERY, "bad query handle " + std::to_string(q));
          break;
        }
        Query& query = it->second;
        if (query.next >= query.snapshot.rows.size()) {
          a.fail(CAT_NO_MORE_ROWS, "no more rows");
          break;
        }
        const Row& r = query.snapshot.rows[query.next++];
        size_t sent = r.values.size();
        if (query.snapshot.id == 30 && sent > 0 && state_.config.has("short-user-row")) --sent;
        std::vector<std::string> encoded;
        uint32_t total = 0;
        for (size_t i = 0; i < sent; ++i) {
          encoded.push_back(r.values[i].null ? "" : encode(r.values[i], query.snapshot.columns[i].type, big));
          total += static_cast<uint32_t>(encoded.back().size());
        }
        data.u32(static_cast<uint32_t>(sent));
        data.u32(total);
        for (size_t i = 0; i < sent; ++i) {
          data.u8(r.values[i].null ? 1 : 0);
          if (!r.values[i].null) data.obj(encoded[i]);
        }
        break;
      }
      case 43: {  // close query
        uint16_t q = in.u16();
        if (!complete(in)) {
          malformed();
          break;
        }
        if (queries_.erase(q) == 0) a.fail(CAT_BAD_QUERY, "bad query handle " + std::to_string(q));
        break;
      }
      default: a.fail(CAT_UNSUPPORTED, "catalog operation " + std::to_string(op) + " not supported"); break;
    }
  }
  state_.note(number_, "catalog op=%u status=%d", op, a.status);
  Writer body(big);
  body.i32(a.status);
  if (a.status != 0) {
    body.str(a.message);
  } else {
    // Alignment inside the data counts from the start of the reply body.
    body.raw(std::string(data.bytes().begin(), data.bytes().end()));
  }
  reply(id, body);
}

}  // namespace dbserver
