#include "records.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace dbserver {

void StoreSet::layout() {
  uint32_t offset = 0;
  for (StoreItem& i : items) {
    i.offset = offset;
    offset += i.size * i.count;
  }
  length = offset;
  chains.assign(paths.size(), {});
}

std::string StoreSet::key_of(const std::string& record, int item) const {
  const StoreItem& i = items[static_cast<size_t>(item)];
  return record.substr(i.offset, i.size * i.count);
}

std::string StoreSet::index_key_of(const std::string& record, size_t iitem) const {
  std::string key;
  for (const StoreIndexPart& part : iitems[iitem].parts) {
    const StoreItem& i = items[static_cast<size_t>(part.item)];
    key.append(record, i.offset, std::min(part.length, i.size * i.count));
  }
  return key;
}

void RecordStore::define(StoreSet set) {
  set.layout();
  size_t at = static_cast<size_t>(set.number);
  if (sets_.size() < at) sets_.resize(at);
  sets_[at - 1] = std::move(set);
}

StoreSet* RecordStore::set(int number) {
  if (number < 1 || static_cast<size_t>(number) > sets_.size() || sets_[static_cast<size_t>(number) - 1].number == 0)
    return nullptr;
  return &sets_[static_cast<size_t>(number) - 1];
}

int32_t RecordStore::create(int number) {
  StoreSet* s = set(number);
  if (!s) return RS_BAD_SET;
  erase(number);
  s->storage = true;
  return 0;
}

void RecordStore::erase(int number) {
  StoreSet* s = set(number);
  if (!s) return;
  s->records.clear();
  s->live = 0;
  s->index.clear();
  s->chain_count.clear();
  s->chains.assign(s->paths.size(), {});
}

int32_t RecordStore::usable(int number, StoreSet** out) {
  StoreSet* s = set(number);
  if (!s) return RS_BAD_SET;
  if (!s->storage) return RS_NO_STORAGE;
  *out = s;
  return 0;
}

int RecordStore::compare(const StoreItem& item, const char* a, const char* b) const {
  // Numbers are kept in the session's byte order; they compare as values.
  auto as = [&]<typename T>(T) {
    std::array<unsigned char, sizeof(T)> bx{}, by{};
    std::memcpy(bx.data(), a, sizeof(T));
    std::memcpy(by.data(), b, sizeof(T));
    if (big_) {
      std::reverse(bx.begin(), bx.end());
      std::reverse(by.begin(), by.end());
    }
    T x, y;
    std::memcpy(&x, bx.data(), sizeof(T));
    std::memcpy(&y, by.data(), sizeof(T));
    return x < y ? -1 : x > y;
  };
  switch (item.type) {
    case 'I': return as(int16_t{});
    case 'D': return as(int32_t{});
    case 'S': return as(float{});
    case 'L': return as(double{});
    default: return std::memcmp(a, b, item.size * item.count);
  }
}

int32_t RecordStore::put(int number, const std::string& record, Undo* undo) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  if (s->type == 'A') return RS_AUTOMATIC;
  if (record.size() != s->length) return RS_BAD_SET;
  if (s->type != 'D' && !s->items.empty() && s->index.count(s->key_of(record, 0))) return RS_DUPLICATE;
  // Every path needs its master entry before anything changes.
  for (size_t p = 0; p < s->paths.size(); ++p) {
    StoreSet* m = set(s->paths[p].master);
    if (!m || !m->storage) return RS_NO_STORAGE;
    if (m->type != 'A' && !m->index.count(s->key_of(record, s->paths[p].item)))
      return RS_NO_CHAIN_HEAD + static_cast<int32_t>(p + 1);
  }
  uint32_t recno = static_cast<uint32_t>(s->records.size() + 1);
  s->records.push_back({record, true});
  ++s->live;
  std::vector<std::pair<int, uint32_t>> made;  // automatic master entries this put made
  if (s->type != 'D') {
    if (!s->items.empty()) s->index.emplace(s->key_of(record, 0), recno);
    s->chain_count.push_back(0);
  }
  for (size_t p = 0; p < s->paths.size(); ++p) {
    const StorePath& path = s->paths[p];
    StoreSet* m = set(path.master);
    std::string key = s->key_of(record, path.item);
    auto found = m->index.find(key);
    uint32_t master_recno;
    if (found == m->index.end()) {
      std::string entry(m->length, '\0');
      const StoreItem& k = m->items[0];
      if (k.type == 'X') std::fill(entry.begin(), entry.end(), ' ');
      entry.replace(k.offset, key.size(), key);
      master_recno = static_cast<uint32_t>(m->records.size() + 1);
      m->records.push_back({entry, true});
      ++m->live;
      m->index.emplace(key, master_recno);
      m->chain_count.push_back(0);
      made.emplace_back(path.master, master_recno);
    } else {
      master_recno = found->second;
    }
    ++m->chain_count[master_recno - 1];
    std::vector<uint32_t>& chain = s->chains[p][key];
    if (path.sort < 0) {
      chain.push_back(recno);
    } else {
      const StoreItem& si = s->items[static_cast<size_t>(path.sort)];
      auto pos = std::upper_bound(chain.begin(), chain.end(), recno, [&](uint32_t, uint32_t other) {
        return compare(si, record.data() + si.offset, s->records[other - 1].bytes.data() + si.offset) < 0;
      });
      chain.insert(pos, recno);
    }
  }
  if (undo) *undo = [this, number, recno, made] { remove(number, recno, made); };
  return 0;
}

void RecordStore::remove(int number, uint32_t recno, const std::vector<std::pair<int, uint32_t>>& made) {
  StoreSet* s = set(number);
  if (!s || recno > s->records.size() || !s->records[recno - 1].live) return;
  const std::string record = s->records[recno - 1].bytes;
  s->records[recno - 1].live = false;
  --s->live;
  if (s->type != 'D' && !s->items.empty()) s->index.erase(s->key_of(record, 0));
  for (size_t p = 0; p < s->paths.size(); ++p) {
    std::string key = s->key_of(record, s->paths[p].item);
    auto chain = s->chains[p].find(key);
    if (chain != s->chains[p].end()) {
      std::erase(chain->second, recno);
      if (chain->second.empty()) s->chains[p].erase(chain);
    }
    StoreSet* m = set(s->paths[p].master);
    auto found = m->index.find(key);
    if (found != m->index.end() && m->chain_count[found->second - 1] > 0) --m->chain_count[found->second - 1];
  }
  for (const auto& [master, master_recno] : made) remove(master, master_recno, {});
  // Trailing dead records go, so that a rolled-back put's number is given again.
  while (!s->records.empty() && !s->records.back().live) {
    s->records.pop_back();
    if (!s->chain_count.empty() && s->chain_count.size() > s->records.size()) s->chain_count.pop_back();
  }
}

int32_t RecordStore::get_serial(int number, Cursor& cursor, std::string* record, uint32_t* recno) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  for (uint32_t r = cursor.serial + 1; r <= s->records.size(); ++r) {
    if (!s->records[r - 1].live) continue;
    cursor.serial = r;
    *record = s->records[r - 1].bytes;
    *recno = r;
    return 0;
  }
  cursor.serial = static_cast<uint32_t>(s->records.size());
  return RS_END_OF_FILE;
}

int32_t RecordStore::find(int number, int item, const std::string& key, Cursor& cursor) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  for (size_t p = 0; p < s->paths.size(); ++p) {
    if (s->paths[p].item != item) continue;
    auto chain = s->chains[p].find(key);
    if (chain == s->chains[p].end() || chain->second.empty()) return RS_NOT_FOUND;
    cursor.path = static_cast<int>(p);
    cursor.chain_key = key;
    cursor.chain_next = 0;
    cursor.on_index = false;
    return 0;
  }
  return RS_NOT_FOUND;
}

int32_t RecordStore::find_index(int number, size_t iitem, const std::string& argument, Cursor& cursor) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  if (iitem >= s->iitems.size()) return RS_NOT_FOUND;
  std::vector<std::pair<std::string, uint32_t>> hits;
  for (size_t r = 0; r < s->records.size(); ++r) {
    if (!s->records[r].live) continue;
    std::string key = s->index_key_of(s->records[r].bytes, iitem);
    if (key.compare(0, argument.size(), argument) == 0) hits.emplace_back(std::move(key), r + 1);
  }
  if (hits.empty()) return RS_NOT_FOUND;
  std::sort(hits.begin(), hits.end());
  cursor.found.clear();
  for (const auto& h : hits) cursor.found.push_back(h.second);
  cursor.on_index = true;
  cursor.path = -1;
  cursor.chain_next = 0;
  return 0;
}

int32_t RecordStore::get_chained(int number, Cursor& cursor, std::string* record, uint32_t* recno) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  if (cursor.on_index) {
    while (cursor.chain_next < cursor.found.size()) {
      uint32_t r = cursor.found[cursor.chain_next++];
      if (r > s->records.size() || !s->records[r - 1].live) continue;  // deleted since the find
      *record = s->records[r - 1].bytes;
      *recno = r;
      return 0;
    }
    return RS_END_OF_CHAIN;
  }
  if (cursor.path < 0) return RS_NOT_FOUND;
  auto chain = s->chains[static_cast<size_t>(cursor.path)].find(cursor.chain_key);
  if (chain == s->chains[static_cast<size_t>(cursor.path)].end() || cursor.chain_next >= chain->second.size())
    return RS_END_OF_CHAIN;
  uint32_t r = chain->second[cursor.chain_next++];
  *record = s->records[r - 1].bytes;
  *recno = r;
  return 0;
}

int32_t RecordStore::get_by_number(int number, uint32_t recno, Cursor& cursor, std::string* record) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  if (recno < 1 || recno > s->records.size() || !s->records[recno - 1].live) return RS_NOT_FOUND;
  cursor.serial = recno;
  *record = s->records[recno - 1].bytes;
  return 0;
}

int32_t RecordStore::get_keyed(int number, const std::string& key, Cursor& cursor, std::string* record,
                               uint32_t* recno) {
  StoreSet* s = nullptr;
  if (int32_t rc = usable(number, &s)) return rc;
  auto found = s->index.find(key);
  if (found == s->index.end()) return RS_NOT_FOUND;
  cursor.serial = found->second;
  *record = s->records[found->second - 1].bytes;
  *recno = found->second;
  return 0;
}

size_t RecordStore::count(int number) const {
  if (number < 1 || static_cast<size_t>(number) > sets_.size()) return 0;
  return sets_[static_cast<size_t>(number) - 1].live;
}

uint32_t RecordStore::chain_count(int number, uint32_t recno) const {
  if (number < 1 || static_cast<size_t>(number) > sets_.size()) return 0;
  const StoreSet& s = sets_[static_cast<size_t>(number) - 1];
  return recno >= 1 && recno <= s.chain_count.size() ? s.chain_count[recno - 1] : 0;
}

}  // namespace dbserver
