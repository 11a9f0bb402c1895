// Record requests (class 3): lock (4), unlock (5), put (6), find (7) and
// get (8) on the record store of an open database, with the session's
// current positions, its locks, and the undo of puts inside a transaction.
#include <algorithm>
#include <cstring>

#include "server.h"

namespace dbserver {

namespace {

enum : int32_t {
  ST_BAD_DBID = -11,
  ST_BAD_PARAMETER = -21,
  ST_ILLEGAL_MODE = -31,
};

size_t alignment_of(char type) {
  switch (type) {
    case 'I': return 2;
    case 'D':
    case 'S': return 4;
    case 'L': return 8;
    default: return 0;
  }
}

// One value packed with a size word and alignment (flags 3), into `out`.
void sized_value(Reader& in, char type, std::string* out) {
  in.align(4);
  uint32_t size = in.u32();
  if (size_t a = alignment_of(type)) in.align(a);
  in.raw(size, out);
}

int field_number(const std::string& field, bool big) {
  if (field[0] == '@') return 0;
  const Bytes b(field.begin(), field.begin() + 4);
  Reader r(b, big);
  return static_cast<int>(r.i32());
}

}  // namespace

RecordStore& Session::store_of(const OpenDb& open) {
  auto [it, made] = state_.records.try_emplace(open.dbid, big_);
  RecordStore& store = it->second;
  for (const OpenSet& s : open.sets)
    if (!store.set(s.layout.number)) {
      StoreSet layout = s.layout;
      layout.storage = true;
      store.define(std::move(layout));
    }
  return store;
}

void Session::release_locks() {
  for (auto& [dbid, table] : state_.locks) table.release(number_);
}

void Session::record_reply(uint16_t id, int32_t status, const std::string* record) {
  Writer& body = record_body_;
  body.clear();
  body.u16(0x0001);
  for (int i = 0; i < 10; ++i) body.i32(i == 0 ? status : 0);
  if (record) {
    body.align(4);
    body.raw(*record);
  }
  reply(id, body);
}

void Session::record_request(uint16_t id, uint16_t op, Reader& in) {
  uint16_t remote = in.u16();
  auto it = opened_.find(remote);
  if (it == opened_.end()) {
    state_.note(number_, "record op=%u remote_dbid=%u status=%d", op, remote, ST_BAD_DBID);
    record_reply(id, ST_BAD_DBID, nullptr);
    return;
  }
  OpenDb& open = it->second;
  RecordStore& store = store_of(open);
  const Storage& storage = state_.storage[open.dbid];
  auto created = [&](int set) {
    return set >= 1 && static_cast<size_t>(set) <= open.sets.size() &&
           storage.created.count(open.sets[static_cast<size_t>(set) - 1].tableid) != 0;
  };
  int32_t status = 0;

  if (op == 4 || op == 5) {  // lock, unlock
    uint8_t mode = in.u8();
    LockTable& locks = state_.locks[open.dbid];
    int group = mode % 10;
    if (op == 5 && (mode == 1 || group == 1 || group == 2)) {
      locks.release(number_);
    } else if (group == 1 || group == 2) {
      status = locks.lock_database(number_);
    } else if (group == 3 || group == 4) {
      uint16_t set = in.u16();
      if (!in.ok() || set < 1 || set > open.sets.size())
        status = ST_BAD_PARAMETER;
      else if (op == 4)
        status = locks.lock_set(number_, set);
      else
        locks.release(number_);
    } else if (group == 5 || group == 6) {
      in.align(4);
      std::string list = in.obj();
      std::vector<LockDescriptor> descriptors;
      const Bytes bytes(list.begin(), list.end());
      Reader r(bytes, big_);
      uint32_t total = r.u32();
      while (r.ok() && total >= 4) {
        size_t start = r.position();
        uint32_t length = r.u32();
        if (length == 0) break;
        if (length < 20 || length > total) {
          status = ST_BAD_PARAMETER;
          break;
        }
        std::string body = r.raw(length - 4);
        if (!r.ok()) break;
        LockDescriptor d;
        d.set = field_number(body.substr(0, 16), big_);
        if (body.size() >= 32) d.item = field_number(body.substr(16, 16), big_);
        if (body.size() >= 34) d.op = body.substr(32, 2);
        if (body.size() > 34) d.value = body.substr(34);
        descriptors.push_back(d);
        uint32_t step = (length + 3) & ~3u;
        while (r.ok() && r.position() < start + step && r.remaining()) r.u8();
        total = step > total ? 0 : total - step;
      }
      if (!r.ok()) status = ST_BAD_PARAMETER;
      if (status == 0) {
        if (op == 4)
          status = locks.lock_entries(number_, descriptors);
        else
          locks.release(number_);
      }
    } else {
      status = ST_ILLEGAL_MODE;
    }
    state_.note(number_, "%s remote_dbid=%u mode=%u status=%d", op == 4 ? "lock" : "unlock", remote, mode, status);
    record_reply(id, status, nullptr);
    return;
  }

  uint16_t set = in.u16();
  uint8_t mode = in.u8();
  Cursor& cursor = cursors_[{remote, set}];
  StoreSet* layout = store.set(set);

  if (op == 6) {  // put
    in.str(&list_);
    in.align(4);
    uint32_t length = in.u32();
    std::string& record = record_;
    in.raw(length, &record);
    if (!in.ok() || in.remaining() != 0 || !layout)
      status = ST_BAD_PARAMETER;
    else if (mode != 1)
      status = ST_ILLEGAL_MODE;
    else if (!created(set))
      status = RS_NO_STORAGE;
    else {
      Undo undo;
      status = store.put(set, record, &undo);
      if (status == 0) keep(std::move(undo));
    }
    state_.note(number_, "put set=%u status=%d", set, status);
    record_reply(id, status, nullptr);
    return;
  }

  if (op == 7) {  // find
    uint16_t item = in.u16();
    int index = -1;
    if (layout)
      for (size_t k = 0; k < layout->items.size(); ++k)
        if (layout->items[k].number == item) index = static_cast<int>(k);
    int iitem = -1;
    if (layout && index < 0)
      for (size_t k = 0; k < layout->iitems.size(); ++k)
        if (layout->iitems[k].number == item) iitem = static_cast<int>(k);
    std::string& key = key_;
    key.clear();
    if (index >= 0 && mode == 1) {
      sized_value(in, layout->items[static_cast<size_t>(index)].type, &key);
    } else if (iitem >= 0 && mode == 1) {
      // The index argument: its length plus four, its length, its bytes.
      in.align(4);
      in.u32();
      uint32_t n = in.u32();
      in.raw(n, &key);
    }
    if (!in.ok() || !layout)
      status = ST_BAD_PARAMETER;
    else if (mode < 1 || mode > 5)
      status = ST_ILLEGAL_MODE;
    else if (!created(set))
      status = RS_NO_STORAGE;
    else if (mode != 1 || (index < 0 && iitem < 0))
      status = RS_NOT_FOUND;  // the stand-in answers modes 2 to 5 with no entry
    else if (iitem >= 0)
      status = store.find_index(set, static_cast<size_t>(iitem), key, cursor);
    else
      status = store.find(set, index, key, cursor);
    state_.note(number_, "find set=%u mode=%u item=%u status=%d", set, mode, item, status);
    record_reply(id, status, nullptr);
    return;
  }

  // get
  in.str(&list_);
  uint32_t length = in.u32();
  std::string& record = record_;
  record.clear();
  uint32_t recno = 0;
  if (!in.ok() || !layout) {
    status = ST_BAD_PARAMETER;
  } else if (!created(set)) {
    status = RS_NO_STORAGE;
  } else if (mode == 2) {
    status = store.get_serial(set, cursor, &record, &recno);
  } else if (mode == 5) {
    status = store.get_chained(set, cursor, &record, &recno);
  } else if (mode == 4) {
    recno = in.u32();
    status = in.ok() ? store.get_by_number(set, recno, cursor, &record) : ST_BAD_PARAMETER;
  } else if (mode == 7 && !layout->items.empty()) {
    std::string& key = key_;
    sized_value(in, layout->items[0].type, &key);
    status = in.ok() ? store.get_keyed(set, key, cursor, &record, &recno) : ST_BAD_PARAMETER;
  } else {
    status = ST_ILLEGAL_MODE;
  }
  (void)length;
  record_reply(id, status, status == 0 ? &record : nullptr);
}

}  // namespace dbserver
