// Working copies of the catalog tables: loading with the column checks,
// the dumps, and the change operations.
#include "database/tools/catadmin/copies.h"

#include <strings.h>

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "database/client/catalog.h"
#include "database/client/status.h"
#include "database/tools/catadmin/catadmin.h"
#include "platform/md5.h"

namespace {

struct ColumnCheck {
  const char* name;
  uint8_t type;
  uint32_t size;  // 0: any
};

const ColumnCheck kUserColumns[] = {{"uid", SysCol_INTEGER, 0},
                                    {"name", SysCol_VARCHAR, 255},
                                    {"password", SysCol_COUNTED, 255},
                                    {"priv", SysCol_BINARY, 4}};
const ColumnCheck kGroupColumns[] = {
    {"gid", SysCol_INTEGER, 0}, {"name", SysCol_VARCHAR, 255}, {"priv", SysCol_BINARY, 4}};
const ColumnCheck kMemberColumns[] = {{"uid", SysCol_INTEGER, 0}, {"gid", SysCol_INTEGER, 0}};
const ColumnCheck kTableColumns[] = {
    {"tableid", SysCol_INTEGER, 0}, {"name", SysCol_VARCHAR, 255}, {"type", SysCol_INTEGER, 0}};

const int kMaxColumns = 4;

// The value of a row's column.
struct Cell {
  const SysCatValue& v;
  uint32_t integer() const {
    uint32_t n = 0;
    if (v.value && v.length >= 4) std::memcpy(&n, v.value, 4);
    return n;
  }
  std::string text() const {
    if (!v.value) return "";
    const char* s = reinterpret_cast<const char*>(v.value);
    return std::string(s, strnlen(s, v.length));
  }
  std::string bytes() const { return v.value ? std::string(reinterpret_cast<const char*>(v.value), v.length) : ""; }
  uint32_t map() const { return cat_map_value(v.value, v.length); }
};

void status_error(const char* format, const char* name) {
  const LastStatus& s = idb__last_status();
  char text[512];
  std::snprintf(text, sizeof text, format, name);
  cat_error("%s Status = %d/%d", text, s.code, s.secondary);
}

void status_error_ids(const char* format, uint32_t a, uint32_t b) {
  const LastStatus& s = idb__last_status();
  char text[512];
  std::snprintf(text, sizeof text, format, static_cast<int>(a), static_cast<int>(b));
  cat_error("%s Status = %d/%d", text, s.code, s.secondary);
}

// Selects a whole catalog table, checks its columns and hands each row to
// `take` with the positions of the checked columns.
bool load_table(int server_id, int db_hndl, uint32_t table, const char* label, const ColumnCheck* checks, size_t count,
                const std::function<void(const SysCatRow&, const int*)>& take) {
  assert(server_id != -1 && "server_id != -1");
  SysCatResultSet* rs = SysCat_select(server_id, db_hndl, table, SysSelect_ALL);
  if (!rs) {
    cat_error("SysCat_select(%s) failed.", label);
    cat_status_error();
    return false;
  }
  bool ok = true;
  int pos[kMaxColumns] = {};
  if (rs->row_count > 0) {
    for (size_t c = 0; c < count && ok; ++c) {
      int found = -1;
      for (uint32_t i = 0; i < rs->col_count && found < 0; ++i)
        if (rs->cols[i].col_name && std::strcmp(rs->cols[i].col_name, checks[c].name) == 0) found = static_cast<int>(i);
      if (found < 0) {
        cat_error("Column \"%s\" not found", checks[c].name);
        ok = false;
      } else if (rs->cols[found].col_type != checks[c].type) {
        cat_error("Column \"%s\" has unexpected type", checks[c].name);
        ok = false;
      } else if (checks[c].size != 0 && rs->cols[found].col_size != checks[c].size) {
        cat_error("Column \"%s\" has unexpected size", checks[c].name);
        ok = false;
      }
      pos[c] = found;
    }
  }
  for (uint32_t r = 0; ok && r < rs->row_count; ++r) {
    SysCatRow* row = SysCat_fetch(rs);
    if (!row) {
      cat_error("SysCat_fetch(%s) failed.", label);
      cat_status_error();
      ok = false;
      break;
    }
    // A row that does not match its result set fails the load.
    if (row->col_count != rs->col_count) {
      cat_error("Row %u of %s has %u columns instead of %u.", r + 1, label, row->col_count, rs->col_count);
      ok = false;
    } else {
      take(*row, pos);
    }
    std::free(row);
  }
  SysCat_close_query(rs);
  return ok;
}

}  // namespace

std::string cat_password_digest(const std::string& text) {
  if (text.empty()) return "";
  uint8_t digest[MD5_DIGEST_SIZE];
  md5_digest(text.data(), text.size(), digest);
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

uint32_t cat_map_value(const unsigned char* bytes, uint32_t length) {
  if (!bytes || length == 0) return 0;
  return bytes[0] != 0 ? bytes[0] : bytes[length - 1];
}

bool CatCopies::load_users() {
  std::vector<CatUser> copy;
  bool ok = load_table(server_id, 0, SysUser_NODEID, "SysUser_NODEID", kUserColumns, 4,
                       [&](const SysCatRow& row, const int* pos) {
                         CatUser u;
                         u.uid = Cell{row.values[pos[0]]}.integer();
                         u.name = Cell{row.values[pos[1]]}.text();
                         const SysCatValue& pw = row.values[pos[2]];
                         u.has_password = pw.value != nullptr && pw.length > 0;
                         u.password = Cell{pw}.bytes();
                         u.priv = Cell{row.values[pos[3]]}.map();
                         copy.push_back(u);
                       });
  if (!ok) return false;
  users.assign(std::move(copy));
  user_at_.valid = false;
  if (dump) {
    std::fprintf(stderr, "-- user --\n");
    for (size_t i = 0; i < users.size(); ++i) {
      const CatUser& u = users[i];
      std::fprintf(stderr, "[%d] %d %s %08x", static_cast<int>(i), static_cast<int>(u.uid), u.name.c_str(), u.priv);
      if (u.has_password) {
        std::fprintf(stderr, " %d:", static_cast<int>(u.password.size()));
        for (char ch : u.password) std::fprintf(stderr, "%02x", static_cast<unsigned char>(ch));
      } else {
        std::fprintf(stderr, " NULL");
      }
      std::fprintf(stderr, "\n");
    }
  }
  return true;
}

bool CatCopies::load_groups() {
  std::vector<CatGroup> copy;
  bool ok = load_table(server_id, db_hndl, SysGroup_ID, "SysGroup_ID", kGroupColumns, 3,
                       [&](const SysCatRow& row, const int* pos) {
                         CatGroup g;
                         g.gid = Cell{row.values[pos[0]]}.integer();
                         g.name = Cell{row.values[pos[1]]}.text();
                         g.priv = Cell{row.values[pos[2]]}.map();
                         copy.push_back(g);
                       });
  if (!ok) return false;
  groups.assign(std::move(copy));
  group_at_.valid = false;
  if (dump) {
    std::fprintf(stderr, "-- group --\n");
    for (size_t i = 0; i < groups.size(); ++i)
      std::fprintf(stderr, "[%d] %d %s %08x\n", static_cast<int>(i), static_cast<int>(groups[i].gid),
                   groups[i].name.c_str(), groups[i].priv);
  }
  return true;
}

bool CatCopies::load_members() {
  std::vector<CatMember> copy;
  bool ok = load_table(server_id, db_hndl, SysMember_ID, "SysMember_ID", kMemberColumns, 2,
                       [&](const SysCatRow& row, const int* pos) {
                         copy.push_back({Cell{row.values[pos[0]]}.integer(), Cell{row.values[pos[1]]}.integer()});
                       });
  if (!ok) return false;
  members.assign(std::move(copy));
  member_at_.valid = false;
  if (dump) {
    std::fprintf(stderr, "-- member --\n");
    for (size_t i = 0; i < members.size(); ++i)
      std::fprintf(stderr, "[%d] %d %d\n", static_cast<int>(i), static_cast<int>(members[i].uid),
                   static_cast<int>(members[i].gid));
  }
  return true;
}

bool CatCopies::load_tables() {
  std::vector<CatTable> copy;
  bool ok = load_table(server_id, db_hndl, SysTable_ID, "SysTable_ID", kTableColumns, 3,
                       [&](const SysCatRow& row, const int* pos) {
                         CatTable t;
                         t.tableid = Cell{row.values[pos[0]]}.integer();
                         t.name = Cell{row.values[pos[1]]}.text();
                         t.type = static_cast<int32_t>(Cell{row.values[pos[2]]}.integer());
                         copy.push_back(t);
                       });
  if (!ok) return false;
  tables.assign(std::move(copy));
  table_at_.valid = false;
  if (dump) {
    std::fprintf(stderr, "-- tables --\n");
    for (size_t i = 0; i < tables.size(); ++i)
      std::fprintf(stderr, "[%d] %d %s %d\n", static_cast<int>(i), static_cast<int>(tables[i].tableid),
                   tables[i].name.c_str(), tables[i].type);
  }
  return true;
}

void CatCopies::clear_database() {
  groups.clear();
  members.clear();
  tables.clear();
  group_at_.valid = member_at_.valid = table_at_.valid = false;
}

namespace {

// Names compare without regard to case, as strcasecmp does.
std::string folded(const std::string& name) {
  std::string key = name;
  for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return key;
}

std::string name_key(const CatUser& u) { return folded(u.name); }
std::string group_key(const CatGroup& g) { return folded(g.name); }
std::string table_key(const CatTable& t) { return folded(t.name); }
uint64_t member_key(uint32_t uid, uint32_t gid) { return static_cast<uint64_t>(uid) << 32 | gid; }
uint64_t row_member_key(const CatMember& m) { return member_key(m.uid, m.gid); }

}  // namespace

template <typename Row>
void CatRows<Row>::add(size_t ordinal, int delta) {
  for (size_t i = ordinal + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
}

template <typename Row>
void CatRows<Row>::rebuild_tree() {
  size_t room = 64;
  while (room < rows_.size()) room *= 2;
  tree_.assign(room + 1, 0);
  // Each node takes its own row, then passes its sum to its parent.
  for (size_t i = 1; i <= room; ++i) {
    if (i <= rows_.size() && !removed_[i - 1]) tree_[i] += 1;
    size_t parent = i + (i & (~i + 1));
    if (parent <= room) tree_[parent] += tree_[i];
  }
}

template <typename Row>
void CatRows<Row>::assign(std::vector<Row>&& rows) {
  rows_ = std::move(rows);
  removed_.assign(rows_.size(), 0);
  live_ = rows_.size();
  ++layout_;
  rebuild_tree();
}

template <typename Row>
void CatRows<Row>::push_back(Row row) {
  rows_.push_back(std::move(row));
  removed_.push_back(0);
  ++live_;
  if (rows_.size() + 1 > tree_.size())
    rebuild_tree();
  else
    add(rows_.size() - 1, 1);
}

template <typename Row>
void CatRows<Row>::erase(size_t position) {
  const size_t ordinal = ordinal_at(position);
  removed_[ordinal] = 1;
  --live_;
  add(ordinal, -1);
  if (rows_.size() - live_ > live_ && rows_.size() > 64) {
    std::vector<Row> kept;
    kept.reserve(live_);
    for (size_t i = 0; i < rows_.size(); ++i)
      if (!removed_[i]) kept.push_back(std::move(rows_[i]));
    assign(std::move(kept));
  }
}

template <typename Row>
size_t CatRows<Row>::position_of(size_t ordinal) const {
  int n = 0;
  for (size_t i = ordinal; i > 0; i -= i & (~i + 1)) n += tree_[i];
  return static_cast<size_t>(n);
}

template <typename Row>
size_t CatRows<Row>::ordinal_at(size_t position) const {
  assert(position < live_);
  // Descends the tree: the largest ordinal with `position` rows there
  // before it and its own row there.
  size_t at = 0;
  size_t left = position;
  for (size_t step = (tree_.size() - 1); step > 0; step /= 2) {
    const size_t next = at + step;
    if (next < tree_.size() && static_cast<size_t>(tree_[next]) <= left) {
      at = next;
      left -= static_cast<size_t>(tree_[next]);
    }
  }
  return at;  // the row at 1-based at + 1
}

template class CatRows<CatUser>;
template class CatRows<CatGroup>;
template class CatRows<CatMember>;
template class CatRows<CatTable>;

template <typename Key, typename Row, typename KeyOf>
int CatCopies::find_in(Index<Key>& index, const CatRows<Row>& rows, const Key& key, KeyOf key_of) {
  if (!index.valid || index.layout != rows.layout() || index.count != rows.size() ||
      index.ordinals != rows.ordinals()) {
    index.at.clear();
    index.duplicates = false;
    for (size_t i = 0; i < rows.ordinals(); ++i)
      if (rows.is_live(i) && !index.at.emplace(key_of(rows.at_ordinal(i)), i).second) index.duplicates = true;
    index.valid = true;
    index.layout = rows.layout();
    index.count = rows.size();
    index.ordinals = rows.ordinals();
  }
  auto it = index.at.find(key);
  return it == index.at.end() ? -1 : static_cast<int>(rows.position_of(it->second));
}

template <typename Key, typename Row, typename KeyOf>
void CatCopies::note_append(Index<Key>& index, const CatRows<Row>& rows, KeyOf key_of) {
  if (!index.valid || index.layout != rows.layout() || index.count + 1 != rows.size() ||
      index.ordinals + 1 != rows.ordinals()) {
    index.valid = false;
    return;
  }
  if (!index.at.emplace(key_of(rows.at_ordinal(index.ordinals)), index.ordinals).second) index.duplicates = true;
  ++index.ordinals;
  ++index.count;
}

template <typename Key, typename Row>
void CatCopies::erase_row(Index<Key>& index, CatRows<Row>& rows, const Key& key, size_t position) {
  const size_t ordinal = rows.ordinal_at(position);
  const bool current =
      index.valid && index.layout == rows.layout() && index.count == rows.size() && index.ordinals == rows.ordinals();
  rows.erase(position);
  // With keys on several rows a later one may take the place: index again.
  auto it = index.at.find(key);
  if (!current || index.duplicates || rows.layout() != index.layout || it == index.at.end() || it->second != ordinal) {
    index.valid = false;
    return;
  }
  index.at.erase(it);
  --index.count;
}

int CatCopies::find_user(const std::string& name) const { return find_in(user_at_, users, folded(name), name_key); }

int CatCopies::find_group(const std::string& name) const { return find_in(group_at_, groups, folded(name), group_key); }

int CatCopies::find_table(const std::string& name) const { return find_in(table_at_, tables, folded(name), table_key); }

int CatCopies::find_member(uint32_t uid, uint32_t gid) const {
  return find_in(member_at_, members, member_key(uid, gid), row_member_key);
}

namespace {

// A catalog user record over a copy's record; `block` holds the password.
struct UserRecord {
  SysCatBlock block{};
  SysCatUser rec{};
  explicit UserRecord(const CatUser& u) {
    block.length = static_cast<uint32_t>(u.password.size());
    block.bytes = reinterpret_cast<const unsigned char*>(u.password.data());
    rec.uid = u.uid;
    rec.name = u.name.c_str();
    rec.password = u.has_password ? &block : nullptr;
    rec.flags = static_cast<int32_t>(u.priv);
  }
};

// Fetches the server's record of a user, applies `change` to it and writes
// it back; the copy takes the change only when the server accepted it.
bool update_user(int server_id, CatUser& u, const std::function<bool(CatUser&)>& change) {
  SysCatUser* got = SysCat_get_user_by_id(server_id, static_cast<int32_t>(u.uid));
  if (!got) {
    status_error("Unable to locate user \"%s\".", u.name.c_str());
    return false;
  }
  CatUser next = u;
  next.priv = static_cast<uint32_t>(got->flags);
  next.has_password = got->password != nullptr && got->password->length > 0;
  next.password =
      next.has_password ? std::string(reinterpret_cast<const char*>(got->password->bytes), got->password->length) : "";
  std::free(got);
  if (!change(next)) return true;
  UserRecord r(next);
  if (SysCat_upd_user(server_id, &r.rec) != 0) {
    status_error("Unable to update user \"%s\".", u.name.c_str());
    return false;
  }
  u = next;
  return true;
}

}  // namespace

bool CatCopies::add_user(const std::string& name, const std::string& password) {
  assert(find_user(name) < 0);
  CatUser u;
  u.name = name;
  u.password = cat_password_digest(password);
  u.has_password = !u.password.empty();
  u.priv = CAT_CONNECT;
  UserRecord r(u);
  r.rec.uid = 0;
  if (SysCat_add_user(server_id, &r.rec) != 0) {
    status_error("Unable to create user \"%s\".", name.c_str());
    return false;
  }
  u.uid = r.rec.uid;
  users.push_back(u);
  note_append(user_at_, users, name_key);
  return true;
}

bool CatCopies::del_user(size_t index) {
  UserRecord r(users[index]);
  if (SysCat_del_user(server_id, &r.rec) != 0) {
    status_error("Unable to delete user \"%s\".", users[index].name.c_str());
    return false;
  }
  erase_row(user_at_, users, name_key(users[index]), index);
  return true;
}

bool CatCopies::set_password(size_t index, const std::string& password) {
  const std::string digest = cat_password_digest(password);
  return update_user(server_id, users[index], [&](CatUser& u) {
    u.password = digest;
    u.has_password = !digest.empty();
    return true;
  });
}

bool CatCopies::user_priv(size_t index, uint32_t bits, bool grant) {
  return update_user(server_id, users[index], [&](CatUser& u) {
    if (grant && (u.priv & bits) != bits) {
      u.priv |= bits;
      return true;
    }
    if (!grant && (u.priv & bits) != 0) {
      u.priv &= ~bits;
      return true;
    }
    return false;
  });
}

bool CatCopies::add_group(const std::string& name) {
  SysCatGroup g{0, name.c_str(), 0};
  if (SysCat_add_group(server_id, db_hndl, &g) != 0) {
    status_error("Unable to create group \"%s\".", name.c_str());
    return false;
  }
  groups.push_back({g.gid, name, 0});
  note_append(group_at_, groups, group_key);
  return true;
}

bool CatCopies::del_group(size_t index) {
  const CatGroup& c = groups[index];
  SysCatGroup g{c.gid, c.name.c_str(), static_cast<int32_t>(c.priv)};
  if (SysCat_del_group(server_id, db_hndl, &g) != 0) {
    status_error("Unable to delete group \"%s\".", c.name.c_str());
    return false;
  }
  erase_row(group_at_, groups, group_key(groups[index]), index);
  return true;
}

bool CatCopies::group_priv(size_t index, uint32_t bits, bool grant) {
  CatGroup& c = groups[index];
  SysCatGroup* got = SysCat_get_group_by_id(server_id, db_hndl, static_cast<int32_t>(c.gid));
  if (!got) {
    status_error("Unable to locate group \"%s\".", c.name.c_str());
    return false;
  }
  uint32_t priv = static_cast<uint32_t>(got->flags);
  std::free(got);
  uint32_t next = priv;
  if (grant && (priv & bits) != bits) next = priv | bits;
  if (!grant && (priv & bits) != 0) next = priv & ~bits;
  if (next != priv) {
    SysCatGroup g{c.gid, c.name.c_str(), static_cast<int32_t>(next)};
    if (SysCat_upd_group(server_id, db_hndl, &g) != 0) {
      status_error("Unable to update group \"%s\".", c.name.c_str());
      return false;
    }
  }
  c.priv = next;
  return true;
}

bool CatCopies::add_member(uint32_t uid, uint32_t gid) {
  SysCatMember m{uid, gid};
  if (SysCat_add_member(server_id, db_hndl, &m) != 0) {
    status_error_ids("Unable to make user %d member of group %d.", uid, gid);
    return false;
  }
  members.push_back({uid, gid});
  note_append(member_at_, members, row_member_key);
  return true;
}

bool CatCopies::del_member(size_t index) {
  SysCatMember m{members[index].uid, members[index].gid};
  if (SysCat_del_member(server_id, db_hndl, &m) != 0) {
    status_error_ids("Unable to delete user %d member from group %d.", m.uid, m.gid);
    return false;
  }
  erase_row(member_at_, members, row_member_key(members[index]), index);
  return true;
}

bool CatCopies::table_priv(uint32_t gid, uint32_t tableid, uint32_t bits, bool grant) {
  SysCatPrivilege p{gid, tableid, static_cast<int32_t>(bits)};
  if (grant ? SysCat_add_privilege(server_id, db_hndl, &p) != 0 : SysCat_del_privilege(server_id, db_hndl, &p) != 0) {
    status_error_ids(grant ? "Unable to set privilege for group %d on table %d."
                           : "Unable to remove privilege for group %d on table %d.",
                     gid, tableid);
    return false;
  }
  return true;
}
