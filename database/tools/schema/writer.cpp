// The catalog writer: creates the database in the server's catalog (the
// database entry, its groups, collating sequences, one column per item, one
// index per index item, one table per data set with its privileges, key
// index, columns and indexes, then the paths), all inside one server
// transaction, so that a failure half way leaves nothing behind.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/catalog.h"
#include "database/client/client.h"
#include "database/client/status.h"
#include "database/client/transaction.h"
#include "database/tools/schema/schema.h"

namespace {

const uint32_t kAllClasses = 0xFFFFFFFFu;

// What the add calls returned, by position in the schema's tables.
struct WriterIds {
  std::vector<uint32_t> columns;   // per item
  std::vector<uint32_t> indexes;   // per index item
  std::vector<uint32_t> tables;    // per set
  std::vector<uint32_t> collates;  // per collating sequence
  uint32_t public_group;
  uint32_t groups[SCH_CLASS_COUNT];  // per password class; 0 without a group
  bool has_group[SCH_CLASS_COUNT];
};

struct Writer {
  int server_id;
  int db;
  WriterIds ids;
};

// A look-up whose "not found" is an answer: the catalog's refusal is not
// reported (a failure on the way to the catalog still is).
template <class Call>
auto look_up(Call call) {
  SysCat_quiet_refusals(1);
  auto* found = call();
  SysCat_quiet_refusals(0);
  return found;
}

void fatal_line(const char* text) {
  sch_printf("*** %s\n", text);
  std::fflush(stdout);
}

[[noreturn]] void end_session(int code) {
  idb__exit();
  std::fflush(stdout);
  std::exit(code);
}

// The last status as text, at most 80 characters.
std::string last_status_text() {
  char text[IDB_STATUS_TEXT_MAX];
  text[0] = '\0';
  if (idb__last_status_text(text, sizeof text, nullptr) != 0) return "";
  std::string result = text;
  if (result.size() > 80) result.resize(80);
  return result;
}

uint8_t column_type(char type) {
  switch (type) {
    case SCH_TYPE_STRING: return 1;
    case SCH_TYPE_INTEGER: return 6;
    case SCH_TYPE_DOUBLE: return 7;
    case SCH_TYPE_SHORT_REAL: return 10;
    case SCH_TYPE_LONG_REAL: return 11;
    default: return 17;  // binary
  }
}

bool class_gets_group(int cls) {
  if (!sch.passwords[cls].empty()) return true;
  const uint32_t bit = 1u << cls;
  for (const SchSet& set : sch.sets) {
    if (set.write_mask == kAllClasses) continue;
    if ((set.write_mask & bit) || (set.read_mask != kAllClasses && (set.read_mask & bit))) return true;
  }
  return false;
}

// The group name of a class: its password up to the first blank or ";"
// (at most 8 characters), else "Group<n>".
std::string group_name(int cls) {
  const std::string& password = sch.passwords[cls];
  std::string name;
  for (char c : password) {
    if (c == ' ' || c == ';' || c == '\0' || name.size() >= SCH_PASSWORD_MAX) break;
    name += c;
  }
  if (!name.empty()) return name;
  char text[16];
  std::snprintf(text, sizeof text, "Group%d", cls);
  return text;
}

bool create_groups(Writer* w) {
  SysCatGroup everyone{0, "public", 0};
  if (SysCat_add_group(w->server_id, w->db, &everyone) != 0) return false;
  w->ids.public_group = everyone.gid;
  for (int cls = 1; cls < SCH_CLASS_COUNT; ++cls) {
    if (!class_gets_group(cls)) continue;
    const std::string name = group_name(cls);
    SysCatGroup group{0, name.c_str(), 0};
    if (SysCat_add_group(w->server_id, w->db, &group) != 0) return false;
    w->ids.groups[cls] = group.gid;
    w->ids.has_group[cls] = true;
  }
  SysCatUser* user = look_up([w] { return SysCat_get_user_by_name(w->server_id, "public"); });
  if (!user) return true;  // no such user: no memberships
  const uint32_t uid = user->uid;
  std::free(user);
  SysCatMember member{uid, w->ids.public_group};
  if (SysCat_add_member(w->server_id, w->db, &member) != 0) return false;
  for (int cls = 1; cls < SCH_CLASS_COUNT; ++cls) {
    if (!w->ids.has_group[cls]) continue;
    member.gid = w->ids.groups[cls];
    if (SysCat_add_member(w->server_id, w->db, &member) != 0) return false;
  }
  return true;
}

bool create_collate(Writer* w) {
  for (const SchCollate& collate : sch.collates) {
    bool first = true;
    uint32_t first_id = 0;
    for (const SchCollateMap& map : collate.maps) {
      uint32_t id = 0;
      SysCatCollate* found = look_up([w, &map] { return SysCat_get_collate_by_name(w->server_id, map.name.c_str()); });
      if (found && found->type == SysCollate_BYTEMAP) {
        id = found->id;
        std::free(found);
      } else {
        std::free(found);
        SysCatBlock block{static_cast<uint32_t>(map.data.size()), map.data.data()};
        SysCatCollate record{0, map.name.c_str(), SysCollate_BYTEMAP, 0, 0, &block};
        if (SysCat_add_collate(w->server_id, &record) != 0) {
          std::fflush(stdout);
          std::fprintf(stderr, "Failed to create collating sequence \"%s\"\n", map.name.c_str());
          return false;
        }
        id = record.id;
      }
      if (first) first_id = id;
      first = false;
    }
    w->ids.collates.push_back(first_id);
  }
  return true;
}

bool create_columns(Writer* w) {
  for (const SchItem& item : sch.items) {
    const bool sized = item.type == SCH_TYPE_STRING || item.type == SCH_TYPE_BINARY;
    SysCatColumn column{0,
                        0,
                        item.name.c_str(),
                        column_type(item.type),
                        sized ? static_cast<uint32_t>(item.size) : 0u,
                        static_cast<uint32_t>(item.count),
                        0,
                        item.format};
    if (SysCat_add_column(w->server_id, w->db, &column) != 0) return false;
    w->ids.columns.push_back(column.colid);
  }
  return true;
}

bool create_indices(Writer* w) {
  for (const SchIItem& iitem : sch.iitems) {
    SysCatIndex index{0, 0, iitem.name.c_str(), 0, 2, static_cast<uint8_t>(iitem.segments.size()), 0};
    if (SysCat_add_index(w->server_id, w->db, &index) != 0) return false;
    w->ids.indexes.push_back(index.idxid);
    uint8_t number = 0;
    for (const SchSegment& seg : iitem.segments) {
      SysCatIndexSeg record{index.idxid, ++number, w->ids.columns[static_cast<size_t>(seg.item)],
                            static_cast<uint32_t>(seg.length), 0};
      if (SysCat_add_indexseg(w->server_id, w->db, &record) != 0) return false;
    }
  }
  return true;
}

bool is_master(const SchSet& set) { return set.type == SCH_SET_AUTOMATIC || set.type == SCH_SET_MANUAL; }

int32_t privilege(const SchSet& set, int cls) {
  const uint32_t bit = 1u << cls;
  int32_t priv = 0;
  if (set.write_mask == kAllClasses || (set.write_mask & bit)) priv = 3;
  if (set.read_mask == kAllClasses || (set.read_mask & bit)) priv |= 1;
  return priv;
}

bool create_table(Writer* w, const SchSet& set) {
  int32_t flags = 0;
  if (is_master(set)) flags |= 1;
  if (set.type == SCH_SET_AUTOMATIC) flags |= 2;
  SysCatTable table{0,
                    0,
                    set.name.c_str(),
                    1,
                    flags,
                    static_cast<int16_t>(set.entry.size()),
                    static_cast<int16_t>(set.paths.size()),
                    static_cast<int16_t>(set.indexes.size()),
                    0};
  if (SysCat_add_table(w->server_id, w->db, &table) != 0) return false;
  w->ids.tables.push_back(table.tableid);

  for (int cls = 0; cls < SCH_CLASS_COUNT; ++cls) {
    if (cls > 0 && !w->ids.has_group[cls]) continue;
    const int32_t priv = privilege(set, cls);
    if (priv == 0) continue;
    SysCatPrivilege record{cls == 0 ? w->ids.public_group : w->ids.groups[cls], table.tableid, priv};
    if (SysCat_add_privilege(w->server_id, w->db, &record) != 0) return false;
  }

  if (is_master(set) && !set.entry.empty()) {
    const SchItem& key = sch.items[static_cast<size_t>(set.entry[0])];
    SysCatIndex index{0, table.tableid, set.name.c_str(), 0, 6, 1, 0};
    if (SysCat_add_index(w->server_id, w->db, &index) != 0) return false;
    SysCatIndexSeg seg{index.idxid, 1, w->ids.columns[static_cast<size_t>(key.number)], static_cast<uint32_t>(key.size),
                       0};
    if (SysCat_add_indexseg(w->server_id, w->db, &seg) != 0) return false;
  }

  for (size_t pos = 0; pos < set.entry.size(); ++pos) {
    int32_t key = 0;
    if (is_master(set)) {
      key = pos == 0;
    } else {
      for (const SchPath& path : set.paths)
        if (path.entry_pos == static_cast<int>(pos)) key = 1;
    }
    SysCatTableColumn column{table.tableid, w->ids.columns[static_cast<size_t>(set.entry[pos])],
                             static_cast<uint32_t>(pos + 1), key};
    if (SysCat_add_tablecolumn(w->server_id, w->db, &column) != 0) return false;
  }

  for (const SchIndex& index : set.indexes) {
    const uint32_t coll = index.collate > 0 ? w->ids.collates[static_cast<size_t>(index.collate - 1)] : 0u;
    SysCatTableIndex record{table.tableid, w->ids.indexes[static_cast<size_t>(index.iitem)], coll, 0};
    if (SysCat_add_tableindex(w->server_id, w->db, &record) != 0) return false;
  }
  return true;
}

uint32_t entry_column(const WriterIds& ids, const SchSet& set, int pos) {
  return ids.columns[static_cast<size_t>(set.entry[static_cast<size_t>(pos)])];
}

bool create_paths(Writer* w) {
  for (const SchSet& set : sch.sets) {
    uint32_t number = 0;
    for (const SchPath& path : set.paths) {
      const SchSet& other = sch.sets[static_cast<size_t>(path.set)];
      SysCatTablePath record{};
      record.tableid = w->ids.tables[static_cast<size_t>(set.number)];
      record.idx = ++number;
      record.reltableid = w->ids.tables[static_cast<size_t>(other.number)];
      record.relidx = static_cast<uint32_t>(path.set_path + 1);
      if (set.type == SCH_SET_DETAIL) {
        record.colid = entry_column(w->ids, set, path.entry_pos);
        record.relcolid = entry_column(w->ids, other, 0);
        record.sortcolid = path.sort_item >= 0 ? w->ids.columns[static_cast<size_t>(path.sort_item)] : 0u;
      } else {
        record.colid = entry_column(w->ids, set, 0);
        record.relcolid = entry_column(w->ids, other, path.entry_pos);
      }
      if (SysCat_add_tablepath(w->server_id, w->db, &record) != 0) return false;
    }
  }
  return true;
}

bool create_tables(Writer* w) {
  for (const SchSet& set : sch.sets)
    if (!create_table(w, set)) return false;
  return create_paths(w);
}

void connect_failure(const char* what) {
  char text[SCH_LINE_MAX + 1];
  std::snprintf(text, sizeof text, "*** %s %s:%s\n", what, sch_opt.host, sch_opt.service);
  sch_print(text);
  const std::string status = last_status_text();
  std::snprintf(text, sizeof text, "*** %s %s\n", "(FATAL)", status.c_str());
  sch_print(text);
}

}  // namespace

void sch_write_catalog() {
  Writer w{};
  int32_t status[10] = {};

  if (idb_init(0, 0, 0, 0) != 0) {
    fatal_line("(FATAL) Unable to initiate database session");
    std::exit(1);
  }
  if (idb_logon(sch_opt.user, sch_opt.password) != 0) {
    fatal_line("(FATAL) Database logon failed.");
    end_session(1);
  }
  w.server_id = SysCat_open(sch_opt.host, sch_opt.service);
  if (w.server_id <= 0) {
    connect_failure(w.server_id < 0 ? "(FATAL) Unable to connect to database server"
                                    : "(FATAL) Database server has insufficient capabilities");
    end_session(1);
  }
  if (idb_begin("SCHEMA", 1, status) != 0) {
    fatal_line("(FATAL) Unable to begin server transaction");
    end_session(1);
  }
  SysCatDb db{0, sch.db_name.c_str(), 4, 0, 0};
  if (SysCat_add_db(w.server_id, &db) != 0) {
    sch_printf("*** %s \"%s\"\n", "(FATAL) Unable to create database", sch.db_name.c_str());
    end_session(1);
  }
  w.db = SysCat_open_db_by_name(w.server_id, sch.db_name.c_str(), 0, 0);
  if (w.db <= 0) {
    sch_printf("*** %s \"%s\"\n", "(FATAL) Unable to open database", sch.db_name.c_str());
    end_session(1);
  }

  struct Step {
    bool (*run)(Writer*);
    const char* failure;
  };
  const Step steps[] = {
      {create_groups, "(FATAL) create_groups failed"},   {create_collate, "(FATAL) create_collate failed"},
      {create_columns, "(FATAL) create_columns failed"}, {create_indices, "(FATAL) create_indices failed"},
      {create_tables, "(FATAL) create_tables failed"},
  };
  for (const Step& step : steps) {
    if (step.run(&w)) continue;
    fatal_line(step.failure);
    if (idb_rollback(0, IDB_ROLLBACK_ALL, status) != 0) fatal_line("        Unable to roll-back server transaction");
    SysCat_close_db(w.server_id, w.db);
    SysCat_close(w.server_id);
    end_session(1);
  }

  if (idb_commit(IDB_COMMIT_ALL, status) != 0) {
    fatal_line("(FATAL) Unable to commit server transaction");
    SysCat_close_db(w.server_id, w.db);
    SysCat_close(w.server_id);
    end_session(1);
  }
  SysCat_close_db(w.server_id, w.db);
  SysCat_close(w.server_id);
  idb__exit();
}
