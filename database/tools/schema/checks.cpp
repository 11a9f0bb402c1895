// The check-and-record routines that the grammar calls, one per construct,
// and the final pass over the whole schema. Every check reports and goes on;
// a construct that failed is either left out of the tables (duplicates,
// undefined references) or kept with its error counted.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "database/tools/schema/schema.h"
#include "language/errutil.h"

Schema sch;
SchOptions sch_opt;

namespace {

// The set and index item being defined: a position in their table, or
// SCRATCH for one that is checked but not recorded (a duplicate name, a
// header that did not parse).
enum { NONE = -2, SCRATCH = -1 };
int g_cur_set = NONE;
SchSet g_scratch_set;
int g_cur_iitem = NONE;
SchIItem g_scratch_iitem;
bool g_iitem_size_reported = false;
bool g_entry_length_reported = false;
int g_last_entry_pos = -1;  // entry position of the item just listed, -1 when it was not recorded

const uint32_t kAllClasses = 0xFFFFFFFFu;

SchSet* cur_set() {
  if (g_cur_set == SCRATCH) return &g_scratch_set;
  if (g_cur_set >= 0) return &sch.sets[static_cast<size_t>(g_cur_set)];
  return nullptr;
}

SchIItem* cur_iitem() {
  if (g_cur_iitem == SCRATCH) return &g_scratch_iitem;
  if (g_cur_iitem >= 0) return &sch.iitems[static_cast<size_t>(g_cur_iitem)];
  return nullptr;
}

bool name_char_ok(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c >= 0xA1) return true;
  return sch_opt.compat && c != '\0' && std::strchr("+-*/?#%&@", c) != nullptr;
}

// The name rules of items, index items and sets; returns the name as kept.
std::string check_name(const char* name, bool set) {
  std::string kept = name;
  const size_t max = sch_opt.compat ? SCH_NAME_MAX_COMPAT : SCH_NAME_MAX;
  if (kept.size() > max) {
    sch_error(set ? "Set name too long" : "Item name too long");
    kept.resize(SCH_NAME_KEEP);
  }
  for (size_t i = 1; i < kept.size(); ++i) {
    if (!name_char_ok(static_cast<unsigned char>(kept[i]))) {
      sch_error(set ? "Illegal set name" : "Illegal item name");
      break;
    }
  }
  return kept;
}

// Names are compared as kept, so a name cut to 16 characters finds its
// cut twin.
std::string kept_name(const char* name) {
  std::string kept = name;
  if (kept.size() > SCH_NAME_KEEP) kept.resize(SCH_NAME_KEEP);
  return kept;
}

int find_in(const std::unordered_map<std::string, int>& at, const std::string& name) {
  auto it = at.find(name);
  return it == at.end() ? -1 : it->second;
}

int find_item(const std::string& name) { return find_in(sch.item_at, name); }
int find_iitem(const std::string& name) { return find_in(sch.iitem_at, name); }
int find_set(const std::string& name) { return find_in(sch.set_at, name); }

bool is_master(const SchSet& set) { return set.type == SCH_SET_AUTOMATIC || set.type == SCH_SET_MANUAL; }

int entry_position(const SchSet& set, int item) {
  for (size_t i = 0; i < set.entry.size(); ++i)
    if (set.entry[i] == item) return static_cast<int>(i);
  return -1;
}

// The collating sequence `name` (upper case from the source): its 1-based
// position in the list, appended when new.
int collate_number(const char* name) {
  std::string lower = name;
  if (lower.size() > SCH_COLLATE_NAME_MAX) {
    sch_error("Collating sequence name too long");
    lower.resize(SCH_COLLATE_NAME_MAX);
  }
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (size_t i = 0; i < sch.collates.size(); ++i)
    if (sch.collates[i].name == lower) return static_cast<int>(i) + 1;
  sch.collates.push_back(SchCollate{lower, {}});
  return static_cast<int>(sch.collates.size());
}

// The size part of a type word: none, or an optional sign and digits.
// False when it is anything else.
bool parse_size(const char* text, bool* has, long* size) {
  *has = false;
  *size = 0;
  if (*text == '\0') return true;
  const char* p = text;
  if (*p == '-') ++p;
  if (*p == '\0') return false;
  long long value = 0;
  for (; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    if (value < 100000000000LL) value = value * 10 + (*p - '0');
  }
  if (value > 2147483647LL) value = 2147483647LL;
  *has = true;
  *size = text[0] == '-' ? -static_cast<long>(value) : static_cast<long>(value);
  return true;
}

// The type rules of the native language. Returns false after the error.
bool native_type(char letter, bool has, long size, char* type, long* bytes) {
  switch (letter) {
    case 'B':
      if (!has || size <= 0 || size % 2 != 0) return sch_error("Illegal binary size"), false;
      *type = SCH_TYPE_BINARY, *bytes = size;
      return true;
    case 'D':
      if (has) return sch_error("Illegal item size"), false;
      *type = SCH_TYPE_DOUBLE, *bytes = 4;
      return true;
    case 'I':
      if (!has || size == 2) {
        *type = SCH_TYPE_INTEGER, *bytes = 2;
      } else if (size == 4) {
        *type = SCH_TYPE_DOUBLE, *bytes = 4;
      } else {
        return sch_error("Illegal 'I' size"), false;
      }
      return true;
    case 'S':
      if (has) return sch_error("Illegal item size"), false;
      *type = SCH_TYPE_SHORT_REAL, *bytes = 4;
      return true;
    case 'L':
      if (has) return sch_error("Illegal item size"), false;
      *type = SCH_TYPE_LONG_REAL, *bytes = 8;
      return true;
    case 'R':
      if (has && size == 4) {
        *type = SCH_TYPE_SHORT_REAL, *bytes = 4;
      } else if (has && size == 8) {
        *type = SCH_TYPE_LONG_REAL, *bytes = 8;
      } else {
        return sch_error("Illegal 'R' size"), false;
      }
      return true;
    case 'X':
      if (!has || size <= 0 || size % 2 != 0) return sch_error("Illegal string size"), false;
      *type = SCH_TYPE_STRING, *bytes = size;
      return true;
    default: return sch_error("Illegal item type"), false;
  }
}

// The type rules of compatibility mode: sizes of I, J, K, R and E count
// 16-bit words. Returns false after the error.
bool compat_type(char letter, bool has, long size, char* type, long* bytes) {
  switch (letter) {
    case 'K': sch_warning("Item type 'K' not supported - mapped to type 'I'"); [[fallthrough]];
    case 'I':
    case 'J':
      if (!has || size == 1) {
        *type = SCH_TYPE_INTEGER, *bytes = 2;
      } else if (size == 2) {
        *type = SCH_TYPE_DOUBLE, *bytes = 4;
      } else if (size > 0 && size <= 1073741823L) {
        sch_warning("Item mapped to type 'B'");
        *type = SCH_TYPE_BINARY, *bytes = size * 2;
      } else {
        return sch_error("Bad/Unsupported item size"), false;
      }
      return true;
    case 'E':
    case 'R':
      if (has && size == 2) {
        *type = SCH_TYPE_SHORT_REAL, *bytes = 4;
      } else if (has && size == 4) {
        *type = SCH_TYPE_LONG_REAL, *bytes = 8;
      } else if (has && size >= 5 && size <= 255) {
        sch_warning("Item mapped to type 'B'");
        *type = SCH_TYPE_BINARY, *bytes = size * 2;
      } else {
        return sch_error("Bad/Unsupported item size"), false;
      }
      return true;
    case 'P':
      sch_warning("Item type 'P' not supported - mapped to type 'B'");
      if (!has || size <= 0 || size % 2 != 0) return sch_error("Bad 'P' item size"), false;
      *type = SCH_TYPE_BINARY, *bytes = size / 2;
      return true;
    case 'U': sch_warning("Item type 'U' not supported - mapped to type 'X'"); [[fallthrough]];
    case 'X':
      if (has && size < 0) return sch_error("Bad string size"), false;
      *type = SCH_TYPE_STRING, *bytes = has ? size : 1;
      return true;
    case 'B':
      if (has && size < 0) return sch_error("Bad binary size"), false;
      *type = SCH_TYPE_BINARY, *bytes = has ? size : 1;
      return true;
    case 'Z':
      sch_warning("Item type 'Z' not supported - mapped to type 'B'");
      if (has && size < 0) return sch_error("Bad/Unsupported item size"), false;
      *type = SCH_TYPE_BINARY, *bytes = has ? size : 1;
      return true;
    default: return sch_error("Illegal item type"), false;
  }
}

void count_error() { ++err_context()->error_count; }
void count_warning() { ++err_context()->warning_count; }

void block_title(bool* started, const char* title) {
  if (!*started) sch_printf("*** %s\n", title);
  *started = true;
}

void block_end(bool started) {
  if (started) sch_print("\n");
}

}  // namespace

void sch_reset() {
  sch = Schema{};
  g_cur_set = NONE;
  g_cur_iitem = NONE;
}

long sch_error_count() { return err_context()->error_count; }
long sch_warning_count() { return err_context()->warning_count; }

void sch_error(const char* message) {
  if (SchSet* set = cur_set()) set->error = 1;
  print_error(message);
}

void sch_warning(const char* message) { print_warning(message); }

void (*sch_exit_hook)(int code) = nullptr;

void sch_exit(int code) {
  std::fflush(stdout);
  if (sch_exit_hook) sch_exit_hook(code);
  std::exit(code);
}

void sch_fatal(const char* message) {
  print_error(message);
  sch_exit(1);
}

void sch_db_name(const char* name) {
  for (const char* p = name + 1; *name && *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c >= 0xA1)) {
      sch_error("Illegal data base name");
      break;
    }
  }
  sch.db_name = name;
}

void sch_db_volume(const char*) { sch_warning("Data base volume not supported (ignored)"); }

void sch_default_language(const char* name) {
  collate_number(name);
  sch.default_language = true;
}

void sch_password(long cls, const char* password) {
  bool ok = true;
  if (cls < 1 || cls >= SCH_CLASS_COUNT) {
    sch_error("Illegal password class");
    ok = false;
  }
  if (std::strlen(password) > SCH_PASSWORD_MAX) sch_error("Password too long");
  if (ok && sch.password_defined[cls]) {
    sch_error("Duplicate password class");
    ok = false;
  }
  if (!ok) return;
  sch.password_defined[cls] = 1;
  sch.passwords[cls] = std::string(password).substr(0, SCH_PASSWORD_MAX);
}

void sch_item(const char* name, long count, const char* type_word, long format) {
  std::string kept = check_name(name, false);
  const bool duplicate = find_item(kept) >= 0;
  if (duplicate) sch_error("Duplicate item name");

  if (count == -1) count = 1;
  if (count < 1) {
    sch_error("Illegal subitem count");
    count = 1;
  }
  if (format == -1) format = 0;
  if (format < 0 || format > 65535) {
    sch_error("Illegal item format number");
    format = 0;
  }

  const char letter = type_word && *type_word ? type_word[0] : '\0';
  bool has = false;
  long size = 0;
  char type = 0;
  long bytes = 0;
  bool ok = parse_size(type_word && *type_word ? type_word + 1 : "", &has, &size);
  if (!ok)
    sch_error("Illegal item type");
  else if (sch_opt.compat)
    ok = compat_type(letter, has, size, &type, &bytes);
  else
    ok = native_type(letter, has, size, &type, &bytes);

  uint32_t format_word = static_cast<uint32_t>(format);
  if (ok && sch_opt.compat) {
    const long long total = static_cast<long long>(count) * bytes;
    if (total % 2 != 0) {
      sch_error("Item length is not in an even number of bytes.");
    } else if (bytes % 2 != 0) {
      sch_warning("Item (element) length not even number of bytes");
      sch_warning("This violates a QX Varnica assumption and may cause problems.");
    }
    format_word |= static_cast<uint32_t>(static_cast<unsigned char>(letter)) << 24;
  }
  if (duplicate) return;
  SchItem item{};
  item.name = kept;
  item.number = static_cast<int>(sch.items.size());
  item.type = ok ? type : '\0';
  item.count = static_cast<int>(count);
  item.size = ok ? static_cast<int>(bytes) : 0;
  item.format = format_word;
  sch.item_at.emplace(item.name, static_cast<int>(sch.items.size()));
  sch.items.push_back(item);
}

void sch_iitem_begin(const char* name) {
  std::string kept = check_name(name, false);
  g_iitem_size_reported = false;
  g_scratch_iitem = SchIItem{};
  g_scratch_iitem.name = kept;
  if (find_item(kept) >= 0) {
    sch_error("Index item name conflicts with item name");
    g_cur_iitem = SCRATCH;
  } else if (find_iitem(kept) >= 0) {
    sch_error("Duplicate index item name");
    g_cur_iitem = SCRATCH;
  } else {
    g_scratch_iitem.number = static_cast<int>(sch.items.size() + sch.iitems.size());
    sch.iitem_at.emplace(kept, static_cast<int>(sch.iitems.size()));
    sch.iitems.push_back(g_scratch_iitem);
    g_cur_iitem = static_cast<int>(sch.iitems.size()) - 1;
  }
}

void sch_iitem_segment(const char* item_name, long length) {
  SchIItem* iitem = cur_iitem();
  if (!iitem) return;
  const int number = find_item(kept_name(item_name));
  if (number < 0) {
    sch_error("Undefined item referenced");
    return;
  }
  SchItem& item = sch.items[static_cast<size_t>(number)];
  ++item.refs;
  if (length < -1) sch_error("Illegal index item segment length");
  if (item.count > 1) sch_error("Only simple items allowed as index item segments");
  if (length > 0 && item.type != SCH_TYPE_STRING) {
    if (length != item.size) sch_error("Can't overwrite item length: not string item");
  } else if (length > item.size) {
    sch_error("Index item segment length exceeds item length");
  }
  for (const SchSegment& seg : iitem->segments) {
    if (seg.item == number) {
      sch_error("Duplicate index item segment");
      return;
    }
  }
  if (iitem->segments.size() >= SCH_SEGMENT_MAX) {
    sch_error("Segment count exceeds maximum");
    return;
  }
  const int bytes = length > 0 ? static_cast<int>(length) : item.size;
  iitem->segments.push_back(SchSegment{number, bytes});
  long total = 0;
  for (const SchSegment& seg : iitem->segments) total += seg.length;
  if (total >= SCH_INDEX_SIZE_LIMIT && !g_iitem_size_reported) {
    sch_error("Index size exceeds maximum");
    g_iitem_size_reported = true;
  }
}

void sch_iitem_end() { g_cur_iitem = NONE; }

void sch_set_begin(const char* name, const char* type) {
  g_entry_length_reported = false;
  g_last_entry_pos = -1;
  g_scratch_set = SchSet{};
  g_scratch_set.number = -1;
  if (!name) {
    g_scratch_set.error = 1;
    g_cur_set = SCRATCH;
    return;
  }
  g_cur_set = NONE;
  std::string kept = check_name(name, true);
  char set_type = 0;
  if (!std::strcmp(type, "A") || !std::strcmp(type, "AUTOMATIC"))
    set_type = SCH_SET_AUTOMATIC;
  else if (!std::strcmp(type, "M") || !std::strcmp(type, "MANUAL") || !std::strcmp(type, "MASTER"))
    set_type = SCH_SET_MANUAL;
  else if (!std::strcmp(type, "D") || !std::strcmp(type, "DETAIL"))
    set_type = SCH_SET_DETAIL;
  const bool duplicate = find_set(kept) >= 0;
  g_scratch_set.name = kept;
  g_scratch_set.type = set_type;
  if (duplicate) {
    g_cur_set = SCRATCH;
    sch_error("Duplicate set name");
  } else {
    g_scratch_set.number = static_cast<int>(sch.sets.size());
    sch.set_at.emplace(kept, static_cast<int>(sch.sets.size()));
    sch.sets.push_back(g_scratch_set);
    g_cur_set = static_cast<int>(sch.sets.size()) - 1;
  }
  if (set_type == 0) sch_error("Invalid set type");
}

void sch_set_class(int write_list, long cls) {
  SchSet* set = cur_set();
  if (!set) return;
  if (cls < 0 || cls >= SCH_CLASS_COUNT) {
    sch_error(write_list ? "Illegal password class (read/write list)" : "Illegal password class (read_list)");
    return;
  }
  const uint32_t bits = cls == 0 ? kAllClasses : (1u << cls);
  if (write_list)
    set->write_mask |= bits;
  else
    set->read_mask |= bits;
}

void sch_set_volume(const char*) { sch_warning("Data set volume not supported (ignored)"); }

void sch_entry_item(const char* item_name) {
  g_last_entry_pos = -1;
  SchSet* set = cur_set();
  if (!set) return;
  const int number = find_item(kept_name(item_name));
  if (number < 0) {
    sch_error("Undefined item referenced");
    return;
  }
  SchItem& item = sch.items[static_cast<size_t>(number)];
  ++item.refs;
  if (entry_position(*set, number) >= 0) {
    sch_error("Duplicate item in entry");
    return;
  }
  if (set->type == SCH_SET_AUTOMATIC && !set->entry.empty()) sch_error("Automatic sets permit only one entry");
  const long bytes = static_cast<long>(item.count) * item.size;
  if (is_master(*set) && set->entry.empty()) {
    if (item.count > 1) sch_error("Only simple items allowed as search items");
    if (bytes > SCH_KEY_MAX) sch_error("Key size exceeds maximum");
  }
  set->entry.push_back(number);
  g_last_entry_pos = static_cast<int>(set->entry.size()) - 1;
  set->entry_length += bytes;
  if (set->entry_length > SCH_ENTRY_MAX && !g_entry_length_reported) {
    sch_error("Entry length exceeds maximum");
    g_entry_length_reported = true;
  }
}

void sch_entry_path_count(long count) {
  SchSet* set = cur_set();
  if (!set) return;
  if (set->type == SCH_SET_DETAIL)
    sch_error("Path count can only be set on master sets");
  else if (count == 0 && set->type == SCH_SET_AUTOMATIC)
    sch_error("Path count may not be zero for automatic sets");
  else if (count > SCH_PATH_MAX)
    sch_error("Path count exceeds maximum");
  else
    set->path_count = static_cast<int>(count) + 1;
}

namespace {

// Swaps path `k` of the current set with its first path and brings the
// path indexes that the masters keep up to date.
void set_primary_path(int k) {
  if (k == 0) return;
  SchSet* set = cur_set();
  if (!set || set->type != SCH_SET_DETAIL || g_cur_set < 0)
    sch_fatal("(FATAL) Internal error (set_primary_path: bad cur_set type)");
  const SchPath first = set->paths[0];
  const SchPath chosen = set->paths[static_cast<size_t>(k)];
  SchPath* back[2] = {nullptr, nullptr};  // the masters' records of path 0 and of path k
  const int wanted[2] = {0, k};
  const SchPath* mine[2] = {&first, &chosen};
  for (int i = 0; i < 2; ++i) {
    if (mine[i]->set < 0 || mine[i]->set >= static_cast<int>(sch.sets.size()))
      sch_fatal("(FATAL) Internal error (set_primary_path: mset not found)");
    SchSet& master = sch.sets[static_cast<size_t>(mine[i]->set)];
    if (!is_master(master)) sch_fatal("(FATAL) Internal error (set_primary_path: bad related set type)");
    for (SchPath& path : master.paths)
      if (path.set == set->number && path.set_path == wanted[i]) back[i] = &path;
    if (!back[i]) sch_fatal("(FATAL) Internal error (set_primary_path: mset not found)");
  }
  back[0]->set_path = k;
  back[1]->set_path = 0;
  set->paths[0] = chosen;
  set->paths[static_cast<size_t>(k)] = first;
}

}  // namespace

void sch_entry_path(const char* master_name, int primary, const char* sort_name) {
  SchSet* set = cur_set();
  if (!set) return;
  if (set->type != SCH_SET_DETAIL) {
    sch_error("Paths can only be set on detail sets");
    if (sort_name)
      sch_error(find_item(kept_name(sort_name)) < 0 ? "Undefined item referenced"
                                                    : "Sort item can only be specified on detail sets");
    return;
  }
  const int master_number = find_set(kept_name(master_name));
  if (master_number < 0) {
    sch_error("Undefined set referenced");
    return;
  }
  if (sch.sets[static_cast<size_t>(master_number)].type == SCH_SET_DETAIL) {
    sch_error("Referenced set must not be detail set");
    return;
  }
  SchSet& master = sch.sets[static_cast<size_t>(master_number)];
  if (g_cur_set < 0 || g_last_entry_pos < 0 || set->entry.empty() || master.entry.empty()) return;

  const SchItem& key = sch.items[static_cast<size_t>(master.entry[0])];
  const SchItem& item = sch.items[static_cast<size_t>(set->entry[static_cast<size_t>(g_last_entry_pos)])];
  if (key.type != item.type || key.size != item.size || key.count != item.count) sch_error("Item types do not match");
  if (master.path_count > 0 && static_cast<int>(master.paths.size()) >= master.path_count - 1)
    sch_error("No paths left for master set");

  const int detail_index = static_cast<int>(set->paths.size());
  master.paths.push_back(SchPath{set->number, detail_index, g_last_entry_pos, -1});
  if (master.paths.size() > SCH_PATH_MAX) sch_error("Master set path count exceeds maximum");
  set->paths.push_back(SchPath{master_number, static_cast<int>(master.paths.size()) - 1, g_last_entry_pos, -1});
  if (set->paths.size() > SCH_PATH_MAX) sch_error("Detail set path count exceeds maximum");

  if (sort_name) {
    const int sort = find_item(kept_name(sort_name));
    if (sort < 0)
      sch_error("Undefined item referenced");
    else
      set->paths.back().sort_item = sort;
  }
  if (primary) set_primary_path(detail_index);
}

void sch_set_index(const char* iitem_name, const char* collate) {
  SchSet* set = cur_set();
  if (!set) return;
  const int number = find_iitem(kept_name(iitem_name));
  if (number < 0) {
    sch_error("Undefined index item referenced");
    return;
  }
  SchIItem& iitem = sch.iitems[static_cast<size_t>(number)];
  ++iitem.refs;
  bool first_missing = true;
  for (const SchSegment& seg : iitem.segments) {
    if (entry_position(*set, seg.item) >= 0) continue;
    const char* item_name = sch.items[static_cast<size_t>(seg.item)].name.c_str();
    if (first_missing) {
      sch_error("Item(s) not in entry");
      sch_printf(" %-16s : %s\n", iitem.name.c_str(), item_name);
    } else {
      sch_printf(" %-16s : %s\n", "", item_name);
    }
    first_missing = false;
  }
  for (const SchIndex& index : set->indexes) {
    if (index.iitem == number) {
      sch_error("Duplicate index item in set index list");
      return;
    }
  }
  if (set->indexes.size() >= SCH_SET_INDEX_MAX) sch_error("Data set index count exceeds maximum");
  int coll = sch.default_language ? 1 : 0;
  if (collate) coll = collate_number(collate);
  set->indexes.push_back(SchIndex{number, coll});
}

void sch_set_capacity(long capacity) {
  SchSet* set = cur_set();
  if (!set) return;
  if (capacity <= 0) sch_error("Illegal capacity");
  set->capacity = capacity;
}

void sch_set_end() {
  g_cur_set = NONE;
  g_last_entry_pos = -1;
}

void sch_final_pass() {
  if (sch_error_count() != 0) return;
  bool started = false;
  for (const SchSet& set : sch.sets) {
    for (const SchPath& path : set.paths) {
      if (path.sort_item < 0 || entry_position(set, path.sort_item) >= 0) continue;
      block_title(&started, "Sort item not in item list:");
      sch_printf(" %s: %s\n", set.name.c_str(), sch.items[static_cast<size_t>(path.sort_item)].name.c_str());
      count_error();
    }
  }
  block_end(started);

  started = false;
  for (const SchSet& set : sch.sets) {
    const bool lacking =
        is_master(set) && set.path_count > 0 && static_cast<int>(set.paths.size()) < set.path_count - 1;
    if (lacking || (set.type == SCH_SET_AUTOMATIC && set.paths.empty())) {
      block_title(&started, "Master data set lacks expected details:");
      sch_printf(" %s\n", set.name.c_str());
      count_warning();
    }
  }
  block_end(started);

  started = false;
  for (const SchSet& set : sch.sets) {
    if (sch_media_length(set) < 4) {
      block_title(&started, "Record size below minimum:");
      sch_printf(" %s\n", set.name.c_str());
      count_error();
    }
  }
  block_end(started);

  started = false;
  for (const SchItem& item : sch.items) {
    if (item.refs != 0) continue;
    block_title(&started, "Unreferenced items:");
    sch_printf(" %s\n", item.name.c_str());
    count_warning();
  }
  block_end(started);

  started = false;
  for (const SchIItem& iitem : sch.iitems) {
    if (iitem.refs != 0) continue;
    block_title(&started, "Unreferenced index items:");
    sch_printf(" %s\n", iitem.name.c_str());
    count_warning();
  }
  block_end(started);
}

void sch_check_limits() {
  struct Limit {
    size_t count;
    int max;
    const char* text;
  };
  const Limit limits[] = {
      {sch.items.size(), SCH_ITEM_MAX, "Number of items exceeds maximum"},
      {sch.iitems.size(), SCH_ITEM_MAX, "Number of index items exceeds maximum"},
      {sch.items.size() + sch.iitems.size(), SCH_ITEM_MAX, "Number of items+iitems exceeds maximum"},
      {sch.sets.size(), SCH_SET_MAX, "Number of sets exceeds database maximum"},
      {sch.collates.size(), SCH_COLLATE_MAX, "Number of colating sequence exceeds maximum"},
  };
  for (const Limit& limit : limits) {
    if (limit.count <= static_cast<size_t>(limit.max)) continue;
    sch_printf("*** %s (%d)\n", limit.text, limit.max);
    count_error();
  }
}
