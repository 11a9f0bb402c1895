// The registry store: hive files in the registry export format.
#include "platform/registry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unordered_map>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/atomicfile.h"
#include "platform/uniquefd.h"
#include "platform/hexdigit.h"

struct RegValueNode {
  std::string name;
  uint32_t type = REG_TYPE_NONE;
  std::string data;
};

// A key keeps its sub-keys and values in stored order, and an index by the
// folded name beside each list, so that finding one among many siblings
// does not walk them all (a hive of many thousand keys parses in linear
// time).
struct RegKeyNode {
  std::string name;
  std::vector<RegValueNode> values;
  std::vector<std::unique_ptr<RegKeyNode>> keys;
  std::unordered_map<std::string, RegKeyNode*> key_index;
  std::unordered_map<std::string, size_t> value_index;

  void clear() {
    values.clear();
    keys.clear();
    key_index.clear();
    value_index.clear();
  }
};

namespace {

// How long a writer waits for the lock of a hive.
constexpr long REG_LOCK_WAIT_SECONDS = 10;

// Internal result of a change that found nothing to change.
constexpr int REG_UNCHANGED = 1;

// What tells one state of a hive file from another: a file with the same
// device, inode, size and modification time holds what was read from it
// before (every write renames a new file into place).
struct RegFileId {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long mtime_sec = 0;
  long mtime_nsec = 0;
  bool valid = false;

  static RegFileId of(const struct stat& st) {
    RegFileId id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtime_sec = static_cast<long>(st.st_mtim.tv_sec);
    id.mtime_nsec = st.st_mtim.tv_nsec;
    id.valid = true;
    return id;
  }
  bool same(const RegFileId& o) const {
    return valid && o.valid && dev == o.dev && ino == o.ino && size == o.size && mtime_sec == o.mtime_sec &&
           mtime_nsec == o.mtime_nsec;
  }
};

struct RegHiveState {
  std::string path;
  // The keys of the last read of the file and the file they came from, so
  // that an unchanged hive is not parsed again on the next access. A batch
  // takes them over (root) and gives them back at its end.
  RegKeyNode cache;
  RegFileId cache_id;
  RegFileId root_id;
  bool writable = true;
  int lock_fd = -1;
  int depth = 0;
  bool dirty = false;
  int load_status = REG_OK;
  RegKeyNode root;
};

const char* const g_header4 = "REGEDIT4";
const char* const g_header5 = "Windows Registry Editor Version 5.00";

}  // namespace

struct RegStore {
  RegHiveState hives[REG_HIVE_COUNT];
  std::string error;
};

namespace {

// ---------------------------------------------------------------- names

int fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

bool same_name(const std::string& a, const char* b, size_t blen) {
  if (a.size() != blen) return false;
  for (size_t i = 0; i < blen; ++i)
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool has_control(const char* s, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (static_cast<unsigned char>(s[i]) < 0x20 || s[i] == 0x7F) return true;
  return false;
}

// Splits a key path into its components; false for an empty component, a
// component over the limit or a control character. A null or empty path is
// the hive's root.
bool split_key(const char* key, std::vector<std::string>* parts) {
  parts->clear();
  if (key == nullptr || *key == '\0') return true;
  size_t total = strlen(key);
  if (total > REG_MAX_PATH) return false;
  const char* p = key;
  for (;;) {
    const char* sep = strchr(p, '\\');
    size_t n = sep ? static_cast<size_t>(sep - p) : strlen(p);
    if (n == 0 || n > REG_MAX_NAME || has_control(p, n)) return false;
    parts->emplace_back(p, n);
    if (!sep) return true;
    p = sep + 1;
  }
}

bool valid_value_name(const char* name) {
  size_t n = strlen(name);
  return n <= REG_MAX_VALUE_NAME && !has_control(name, n);
}

std::string folded(const char* s, size_t n) {
  std::string out(s, n);
  for (char& c : out) c = static_cast<char>(fold(static_cast<unsigned char>(c)));
  return out;
}

RegKeyNode* find_child(RegKeyNode* key, const std::string& name) {
  auto it = key->key_index.find(folded(name.data(), name.size()));
  return it == key->key_index.end() ? nullptr : it->second;
}

RegKeyNode* add_child(RegKeyNode* key, const std::string& name) {
  key->keys.push_back(std::make_unique<RegKeyNode>());
  RegKeyNode* child = key->keys.back().get();
  child->name = name;
  key->key_index[folded(name.data(), name.size())] = child;
  return child;
}

// Removes the sub-key `name`; false when there is none.
bool erase_child(RegKeyNode* key, const std::string& name) {
  auto it = key->key_index.find(folded(name.data(), name.size()));
  if (it == key->key_index.end()) return false;
  RegKeyNode* child = it->second;
  key->key_index.erase(it);
  for (auto k = key->keys.begin(); k != key->keys.end(); ++k) {
    if (k->get() == child) {
      key->keys.erase(k);
      break;
    }
  }
  return true;
}

RegKeyNode* find_key(RegKeyNode* root, const std::vector<std::string>& parts) {
  RegKeyNode* key = root;
  for (const std::string& part : parts) {
    key = find_child(key, part);
    if (!key) return nullptr;
  }
  return key;
}

RegKeyNode* make_key(RegKeyNode* root, const std::vector<std::string>& parts, bool* created) {
  RegKeyNode* key = root;
  for (const std::string& part : parts) {
    RegKeyNode* child = find_child(key, part);
    if (!child) {
      child = add_child(key, part);
      if (created) *created = true;
    }
    key = child;
  }
  return key;
}

RegValueNode* find_value(RegKeyNode* key, const char* name) {
  auto it = key->value_index.find(folded(name, strlen(name)));
  return it == key->value_index.end() ? nullptr : &key->values[it->second];
}

void add_value(RegKeyNode* key, RegValueNode value) {
  key->value_index[folded(value.name.data(), value.name.size())] = key->values.size();
  key->values.push_back(std::move(value));
}

// Removes the value `name`; false when there is none.
bool erase_value(RegKeyNode* key, const char* name) {
  auto it = key->value_index.find(folded(name, strlen(name)));
  if (it == key->value_index.end()) return false;
  key->values.erase(key->values.begin() + static_cast<std::ptrdiff_t>(it->second));
  key->value_index.clear();
  for (size_t i = 0; i < key->values.size(); ++i)
    key->value_index[folded(key->values[i].name.data(), key->values[i].name.size())] = i;
  return true;
}

// ---------------------------------------------------------------- parsing

struct Parser {
  const char* p;
  const char* end;
  int line = 1;
  std::string error;

  bool at_end() const { return p >= end; }

  // The current line without its line end; advances past it.
  bool next_line(const char** start, size_t* length) {
    if (at_end()) return false;
    const char* s = p;
    const char* nl = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* e = nl ? nl : end;
    p = nl ? nl + 1 : end;
    if (e > s && e[-1] == '\r') --e;
    *start = s;
    *length = static_cast<size_t>(e - s);
    return true;
  }

  int fail(const std::string& what) {
    error = "line " + std::to_string(line) + ": " + what;
    return REG_CORRUPT;
  }
};

// A quoted text with the escapes \\ and \". `s` points at the opening quote;
// on success it points after the closing one.
bool read_quoted(const char*& s, const char* e, std::string* out, size_t limit) {
  if (s >= e || *s != '"') return false;
  ++s;
  out->clear();
  while (s < e) {
    char c = *s++;
    if (c == '"') return true;
    if (c == '\\') {
      if (s >= e || (*s != '\\' && *s != '"')) return false;
      c = *s++;
    }
    if (out->size() >= limit) return false;
    out->push_back(c);
  }
  return false;
}

void skip_blanks(const char*& s, const char* e) {
  while (s < e && (*s == ' ' || *s == '\t')) ++s;
}

bool starts_with_nocase(const char* s, const char* e, const char* word) {
  size_t n = strlen(word);
  if (static_cast<size_t>(e - s) < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (fold(static_cast<unsigned char>(s[i])) != fold(static_cast<unsigned char>(word[i]))) return false;
  return true;
}

// Reads "hex:" data (the bytes after the colon), following "\" line
// continuations.
int read_hex_bytes(Parser& ps, const char* s, const char* e, std::string* out) {
  out->clear();
  for (;;) {
    skip_blanks(s, e);
    if (s >= e) return REG_OK;
    if (*s == '\\') {
      ++s;
      skip_blanks(s, e);
      if (s != e) return ps.fail("text after a line continuation");
      const char* ls;
      size_t ln;
      if (!ps.next_line(&ls, &ln)) return ps.fail("line continuation at the end of the file");
      ++ps.line;
      s = ls;
      e = ls + ln;
      continue;
    }
    if (e - s < 2) return ps.fail("incomplete hexadecimal byte");
    int hi = hex_digit_value(s[0]);
    int lo = hex_digit_value(s[1]);
    if (hi < 0 || lo < 0) return ps.fail("bad hexadecimal byte");
    if (out->size() >= REG_MAX_VALUE) return REG_TOO_BIG;
    out->push_back(static_cast<char>(hi * 16 + lo));
    s += 2;
    skip_blanks(s, e);
    if (s < e && *s == ',')
      ++s;
    else if (s < e && *s != '\\')
      return ps.fail("expected a comma between hexadecimal bytes");
  }
}

int parse_value_line(Parser& ps, RegKeyNode* key, const char* s, const char* e) {
  RegValueNode value;
  if (*s == '@') {
    ++s;
  } else if (!read_quoted(s, e, &value.name, REG_MAX_VALUE_NAME)) {
    return ps.fail("bad value name");
  }
  skip_blanks(s, e);
  if (s >= e || *s != '=') return ps.fail("expected \"=\" after the value name");
  ++s;
  skip_blanks(s, e);
  if (s < e && *s == '"') {
    value.type = REG_TYPE_SZ;
    if (!read_quoted(s, e, &value.data, REG_MAX_VALUE)) return ps.fail("bad string value");
    skip_blanks(s, e);
    if (s != e) return ps.fail("text after a string value");
  } else if (starts_with_nocase(s, e, "dword:")) {
    s += 6;
    uint32_t number = 0;
    int digits = 0;
    while (s < e && hex_digit_value(*s) >= 0) {
      if (++digits > 8) return ps.fail("dword value too long");
      number = number * 16 + static_cast<uint32_t>(hex_digit_value(*s));
      ++s;
    }
    skip_blanks(s, e);
    if (digits == 0 || s != e) return ps.fail("bad dword value");
    value.type = REG_TYPE_DWORD;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<char>((number >> (8 * i)) & 0xFF));
  } else if (starts_with_nocase(s, e, "hex")) {
    s += 3;
    uint32_t type = REG_TYPE_BINARY;
    if (s < e && *s == '(') {
      ++s;
      type = 0;
      int digits = 0;
      while (s < e && hex_digit_value(*s) >= 0) {
        if (++digits > 8) return ps.fail("bad value type");
        type = type * 16 + static_cast<uint32_t>(hex_digit_value(*s));
        ++s;
      }
      if (digits == 0 || s >= e || *s != ')') return ps.fail("bad value type");
      ++s;
    }
    if (s >= e || *s != ':') return ps.fail("expected \":\" after hex");
    ++s;
    std::string bytes;
    int status = read_hex_bytes(ps, s, e, &bytes);
    if (status != REG_OK) return status;
    if (type == REG_TYPE_SZ) {
      // A string kept as little-endian 16-bit units, ended by a zero unit.
      if (bytes.size() % 2 != 0) return ps.fail("odd length of a string value");
      for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned lo = static_cast<unsigned char>(bytes[i]);
        unsigned hi = static_cast<unsigned char>(bytes[i + 1]);
        value.data.push_back(hi ? '?' : static_cast<char>(lo));
      }
      if (!value.data.empty() && value.data.back() == '\0') value.data.pop_back();
    } else {
      value.data = std::move(bytes);
    }
    value.type = type;
  } else {
    return ps.fail("unknown value kind");
  }
  if (RegValueNode* old = find_value(key, value.name.c_str()))
    *old = std::move(value);
  else
    add_value(key, std::move(value));
  return REG_OK;
}

int parse_hive(RegHive hive, const char* text, size_t length, RegKeyNode* root, std::string* error) {
  Parser ps{text, text + length, 1, std::string()};
  const char* s;
  size_t n;
  bool header = false;
  RegKeyNode* key = nullptr;
  const char* root_name = reg_hive_root_name(hive);
  size_t root_len = strlen(root_name);
  for (; ps.next_line(&s, &n); ++ps.line) {
    const char* e = s + n;
    if (!header && n >= 3 && static_cast<unsigned char>(s[0]) == 0xEF && static_cast<unsigned char>(s[1]) == 0xBB &&
        static_cast<unsigned char>(s[2]) == 0xBF)
      s += 3;  // a byte-order mark before the header
    skip_blanks(s, e);
    while (e > s && (e[-1] == ' ' || e[-1] == '\t')) --e;
    if (s == e || *s == ';') continue;
    if (!header) {
      std::string first(s, e);
      if (first != g_header4 && first != g_header5) {
        *error = "line " + std::to_string(ps.line) + ": not a registry file";
        return REG_CORRUPT;
      }
      header = true;
      continue;
    }
    if (*s == '[') {
      if (e[-1] != ']' || e - s < 2) {
        *error = "line " + std::to_string(ps.line) + ": bad key line";
        return REG_CORRUPT;
      }
      std::string path(s + 1, e - 1);
      if (!same_name(path.substr(0, root_len), root_name, root_len) ||
          (path.size() > root_len && path[root_len] != '\\')) {
        *error = "line " + std::to_string(ps.line) + ": key outside " + root_name;
        return REG_CORRUPT;
      }
      std::vector<std::string> parts;
      const char* rest = path.size() > root_len ? path.c_str() + root_len + 1 : "";
      if (path.size() > root_len && *rest == '\0') {
        *error = "line " + std::to_string(ps.line) + ": bad key name";
        return REG_CORRUPT;
      }
      if (!split_key(rest, &parts)) {
        *error = "line " + std::to_string(ps.line) + ": bad key name";
        return REG_CORRUPT;
      }
      key = make_key(root, parts, nullptr);
      continue;
    }
    if (*s == '"' || *s == '@') {
      if (!key) {
        *error = "line " + std::to_string(ps.line) + ": value outside a key";
        return REG_CORRUPT;
      }
      int status = parse_value_line(ps, key, s, e);
      if (status != REG_OK) {
        *error = status == REG_TOO_BIG ? "value too large" : ps.error;
        return status;
      }
      continue;
    }
    *error = "line " + std::to_string(ps.line) + ": unexpected text";
    return REG_CORRUPT;
  }
  // A file of blank lines and comments only is an empty hive.
  return REG_OK;
}

// ---------------------------------------------------------------- rendering

void put_quoted(std::string& out, const std::string& text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

void put_hex_bytes(std::string& out, const std::string& bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i) out += ',';
    hex_append_byte(&out, static_cast<unsigned char>(bytes[i]));
  }
}

// How many bytes the reader takes in for a value as put_value writes it.
size_t written_value_size(uint32_t type, const std::string& data) {
  if (type == REG_TYPE_SZ && has_control(data.data(), data.size())) return 2 * data.size() + 2;
  return data.size();
}

void put_value(std::string& out, const RegValueNode& value) {
  if (value.name.empty())
    out += '@';
  else
    put_quoted(out, value.name);
  out += '=';
  char buf[32];
  if (value.type == REG_TYPE_SZ && !has_control(value.data.data(), value.data.size())) {
    put_quoted(out, value.data);
  } else if (value.type == REG_TYPE_SZ) {
    std::string units;
    for (char c : value.data) {
      units += c;
      units += '\0';
    }
    units.append(2, '\0');
    out += "hex(1):";
    put_hex_bytes(out, units);
  } else if (uint32_t number; reg_dword_of(value.type, value.data, &number)) {
    snprintf(buf, sizeof buf, "dword:%08x", number);
    out += buf;
  } else if (value.type == REG_TYPE_BINARY) {
    out += "hex:";
    put_hex_bytes(out, value.data);
  } else {
    snprintf(buf, sizeof buf, "hex(%x):", value.type);
    out += buf;
    put_hex_bytes(out, value.data);
  }
  out += '\n';
}

void put_key(std::string& out, const RegKeyNode& key, const std::string& path, bool is_root) {
  if (!is_root || !key.values.empty()) {
    out += '[';
    out += path;
    out += "]\n";
    for (const RegValueNode& value : key.values) put_value(out, value);
    out += '\n';
  }
  for (const auto& child : key.keys) put_key(out, *child, path + "\\" + child->name, false);
}

std::string render_hive(RegHive hive, const RegKeyNode& root) {
  std::string out = g_header4;
  out += "\n\n";
  put_key(out, root, reg_hive_root_name(hive), true);
  return out;
}

// ---------------------------------------------------------------- files

std::string default_directory_user() {
  const char* xdg = getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/varnica";
  const char* home = getenv("HOME");
  std::string h = home && *home ? home : "";
  if (h.empty()) {
    struct passwd* pw = getpwuid(getuid());
    if (pw && pw->pw_dir) h = pw->pw_dir;
  }
  return h + "/.config/varnica";
}

int make_parents(const std::string& path, mode_t mode) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return 0;
  std::string dir = path.substr(0, slash);
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : -1;
  if (make_parents(dir, mode) != 0) return -1;
  if (mkdir(dir.c_str(), mode) != 0 && errno != EEXIST) return -1;
  return 0;
}

// Makes the hive's cache hold what its file holds now, reading and parsing
// the file only when it changed since the last read.
int load_hive(RegStore* store, RegHive hive) {
  RegHiveState& h = store->hives[hive];
  const std::string& path = h.path;
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    h.cache.clear();
    h.cache_id = RegFileId();
    if (errno == ENOENT) return REG_OK;  // a hive that was never written is empty
    store->error = path + ": " + strerror(errno);
    return errno == EACCES ? REG_ACCESS : REG_IO;
  }
  struct stat st;
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    h.cache.clear();
    h.cache_id = RegFileId();
    store->error = path + ": not a regular file";
    return REG_IO;
  }
  RegFileId id = RegFileId::of(st);
  if (id.same(h.cache_id)) return REG_OK;
  h.cache.clear();
  h.cache_id = RegFileId();
  if (static_cast<unsigned long long>(st.st_size) > REG_MAX_FILE) {
    store->error = path + ": file too large";
    return REG_TOO_BIG;
  }
  std::string text;
  text.resize(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < text.size()) {
    ssize_t n = read(fd.get(), text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // Half a hive must not pass for the whole: a batch would write
      // the rest away.
      store->error = path + ": " + strerror(errno);
      return REG_IO;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  fd.reset();
  text.resize(got);
  std::string error;
  int status = parse_hive(hive, text.data(), text.size(), &h.cache, &error);
  if (status != REG_OK) {
    store->error = path + ": " + error;
    h.cache.clear();
    return status;
  }
  if (got == static_cast<size_t>(st.st_size)) h.cache_id = id;
  return REG_OK;
}

int save_hive(RegStore* store, RegHive hive, const RegKeyNode& root) {
  const std::string& path = store->hives[hive].path;
  std::string text = render_hive(hive, root);
  // A hive the reader would refuse is not written: every setting in it
  // would be lost to the next read.
  if (text.size() > REG_MAX_FILE) {
    store->error = path + ": the hive would grow to " + std::to_string(text.size()) + " bytes, beyond the limit of " +
                   std::to_string(static_cast<size_t>(REG_MAX_FILE)) + "; the file is left as it was";
    return REG_TOO_BIG;
  }
  mode_t mode = hive == REG_HIVE_USER ? 0600 : 0644;
  if (atomic_save_file(path.c_str(), text.data(), text.size(), mode) != 0) {
    store->error = path + ": " + strerror(errno);
    return (errno == EACCES || errno == EROFS || errno == EPERM) ? REG_ACCESS : REG_IO;
  }
  return REG_OK;
}

int lock_hive(RegStore* store, RegHive hive) {
  RegHiveState& h = store->hives[hive];
  mode_t dir_mode = hive == REG_HIVE_USER ? 0700 : 0755;
  if (make_parents(h.path, dir_mode) != 0) {
    store->error = h.path + ": cannot create its folder";
    return REG_ACCESS;
  }
  std::string lock_path = h.path + ".lock";
  UniqueFd fd(open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!fd.valid()) {
    store->error = lock_path + ": " + strerror(errno);
    return REG_ACCESS;
  }
  // Wait for another writer, but not for ever: a holder that never lets go
  // (or a second store on the same files in this process) is an error.
  struct timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  while (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) {
      store->error = lock_path + ": " + strerror(errno);
      return REG_IO;
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec - start.tv_sec >= REG_LOCK_WAIT_SECONDS) {
      store->error = lock_path + ": the hive stays locked by another writer";
      return REG_IO;
    }
    struct timespec pause = {0, 1000000};
    nanosleep(&pause, nullptr);
  }
  h.lock_fd = fd.release();
  return REG_OK;
}

void unlock_hive(RegHiveState& h) {
  if (h.lock_fd >= 0) {
    flock(h.lock_fd, LOCK_UN);
    close(h.lock_fd);
    h.lock_fd = -1;
  }
}

bool valid_hive(const RegStore* store, int hive) { return store != nullptr && hive >= 0 && hive < REG_HIVE_COUNT; }

// Runs `read` on the hive's keys: the batch's copy, or a fresh read.
template <class F>
int with_read(RegStore* store, RegHive hive, F read) {
  if (!valid_hive(store, hive)) return REG_INVALID;
  RegHiveState& h = store->hives[hive];
  if (h.depth > 0) {
    if (h.load_status != REG_OK) return h.load_status;
    return read(&h.root);
  }
  int status = load_hive(store, hive);
  if (status != REG_OK) return status;
  return read(&h.cache);
}

// Runs `change` on the hive's keys inside a batch (its own when none runs).
// `change` returns REG_OK when it changed something, REG_UNCHANGED when
// there was nothing to do, or an error.
template <class F>
int with_write(RegStore* store, RegHive hive, F change) {
  if (!valid_hive(store, hive)) return REG_INVALID;
  RegHiveState& h = store->hives[hive];
  if (!h.writable) {
    store->error = h.path + ": the hive is read-only";
    return REG_ACCESS;
  }
  bool own = h.depth == 0;
  if (own) {
    int status = reg_begin(store, hive);
    if (status != REG_OK) {
      reg_end(store, hive);
      return status;
    }
  }
  int status;
  if (h.lock_fd < 0)
    status = REG_ACCESS;
  else if (h.load_status != REG_OK)
    status = h.load_status;
  else
    status = change(&h.root);
  if (status == REG_OK) h.dirty = true;
  if (status == REG_UNCHANGED) status = REG_OK;
  if (own) {
    int end = reg_end(store, hive);
    if (status == REG_OK) status = end;
  }
  return status;
}

RegStore* g_default_store = nullptr;

}  // namespace

// ---------------------------------------------------------------- interface

const char* reg_hive_root_name(RegHive hive) {
  return hive == REG_HIVE_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

RegStore* reg_open_store(const char* directory) {
  RegStore* store = new RegStore;
  std::string user, machine;
  const char* env = getenv(REG_ENV_DIRECTORY);
  if (directory == nullptr && env && *env) directory = env;
  if (directory) {
    std::string dir = directory;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    user = dir + "/user.reg";
    machine = dir + "/machine.reg";
  } else {
    user = default_directory_user() + "/user.reg";
    machine = "/etc/varnica/machine.reg";
  }
  store->hives[REG_HIVE_USER].path = user;
  store->hives[REG_HIVE_MACHINE].path = machine;
  return store;
}

void reg_close_store(RegStore* store) {
  if (!store) return;
  for (RegHiveState& h : store->hives) unlock_hive(h);
  delete store;
}

RegStore* reg_default_store() {
  if (!g_default_store) g_default_store = reg_open_store(nullptr);
  return g_default_store;
}

void reg_reset_default_store() {
  reg_close_store(g_default_store);
  g_default_store = nullptr;
}

const char* reg_hive_path(const RegStore* store, RegHive hive) {
  if (!valid_hive(store, hive)) return "";
  return store->hives[hive].path.c_str();
}

void reg_set_writable(RegStore* store, RegHive hive, bool writable) {
  if (valid_hive(store, hive)) store->hives[hive].writable = writable;
}

const char* reg_last_error(const RegStore* store) { return store ? store->error.c_str() : ""; }

int reg_begin(RegStore* store, RegHive hive) {
  if (!valid_hive(store, hive)) return REG_INVALID;
  RegHiveState& h = store->hives[hive];
  if (h.depth++ > 0) return h.load_status;
  h.dirty = false;
  // A hive that cannot be locked is read in the batch but not written.
  if (h.writable) lock_hive(store, hive);
  h.load_status = load_hive(store, hive);
  h.root = std::move(h.cache);
  h.root_id = h.cache_id;
  h.cache.clear();
  h.cache_id = RegFileId();
  return h.load_status;
}

int reg_end(RegStore* store, RegHive hive) {
  if (!valid_hive(store, hive)) return REG_INVALID;
  RegHiveState& h = store->hives[hive];
  if (h.depth == 0) return REG_INVALID;
  if (--h.depth > 0) return REG_OK;
  int status = REG_OK;
  bool keep = h.load_status == REG_OK;
  if (h.dirty && h.lock_fd >= 0 && h.load_status == REG_OK) {
    status = save_hive(store, hive, h.root);
    // The keys are what the file now holds: the file as written (still
    // under the lock, so no other writer came between).
    struct stat st;
    keep = status == REG_OK && stat(h.path.c_str(), &st) == 0;
    if (keep) h.root_id = RegFileId::of(st);
  } else if (h.dirty) {
    keep = false;
  }
  unlock_hive(h);
  if (keep) {
    h.cache = std::move(h.root);
    h.cache_id = h.root_id;
  }
  h.dirty = false;
  h.root.clear();
  h.root_id = RegFileId();
  h.load_status = REG_OK;
  return status;
}

int reg_key_exists(RegStore* store, RegHive hive, const char* key) {
  std::vector<std::string> parts;
  if (!split_key(key, &parts)) return REG_INVALID;
  return with_read(store, hive,
                   [&](RegKeyNode* root) -> int { return find_key(root, parts) ? REG_OK : REG_NOT_FOUND; });
}

int reg_query_value(RegStore* store, RegHive hive, const char* key, const char* name, RegValueInfo* out) {
  std::vector<std::string> parts;
  if (!split_key(key, &parts) || out == nullptr) return REG_INVALID;
  if (name == nullptr) name = "";
  return with_read(store, hive, [&](RegKeyNode* root) -> int {
    RegKeyNode* k = find_key(root, parts);
    RegValueNode* v = k ? find_value(k, name) : nullptr;
    if (!v) return REG_NOT_FOUND;
    out->name = v->name;
    out->type = v->type;
    out->data = v->data;
    return REG_OK;
  });
}

int reg_get_string(RegStore* store, RegHive hive, const char* key, const char* name, std::string* out) {
  RegValueInfo value;
  int status = reg_query_value(store, hive, key, name, &value);
  if (status != REG_OK) return status;
  if (value.type != REG_TYPE_SZ && value.type != REG_TYPE_EXPAND_SZ) return REG_WRONG_TYPE;
  if (out) *out = std::move(value.data);
  return REG_OK;
}

bool reg_dword_of(uint32_t type, const std::string& data, uint32_t* number) {
  *number = 0;
  if (type != REG_TYPE_DWORD || data.size() != 4) return false;
  for (int i = 3; i >= 0; --i) *number = (*number << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
  return true;
}

int reg_get_dword(RegStore* store, RegHive hive, const char* key, const char* name, uint32_t* out) {
  RegValueInfo value;
  int status = reg_query_value(store, hive, key, name, &value);
  if (status != REG_OK) return status;
  uint32_t number;
  if (!reg_dword_of(value.type, value.data, &number)) return REG_WRONG_TYPE;
  if (out) *out = number;
  return REG_OK;
}

int reg_get_binary(RegStore* store, RegHive hive, const char* key, const char* name, std::string* out) {
  RegValueInfo value;
  int status = reg_query_value(store, hive, key, name, &value);
  if (status != REG_OK) return status;
  if (value.type != REG_TYPE_BINARY) return REG_WRONG_TYPE;
  if (out) *out = std::move(value.data);
  return REG_OK;
}

int reg_enum_keys(RegStore* store, RegHive hive, const char* key, std::vector<std::string>* out) {
  std::vector<std::string> parts;
  if (!split_key(key, &parts) || out == nullptr) return REG_INVALID;
  return with_read(store, hive, [&](RegKeyNode* root) -> int {
    RegKeyNode* k = find_key(root, parts);
    if (!k) return REG_NOT_FOUND;
    out->clear();
    for (const auto& child : k->keys) out->push_back(child->name);
    return REG_OK;
  });
}

int reg_enum_values(RegStore* store, RegHive hive, const char* key, std::vector<RegValueInfo>* out) {
  std::vector<std::string> parts;
  if (!split_key(key, &parts) || out == nullptr) return REG_INVALID;
  return with_read(store, hive, [&](RegKeyNode* root) -> int {
    RegKeyNode* k = find_key(root, parts);
    if (!k) return REG_NOT_FOUND;
    out->clear();
    for (const RegValueNode& v : k->values) out->push_back(RegValueInfo{v.name, v.type, v.data});
    return REG_OK;
  });
}

int reg_create_key(RegStore* store, RegHive hive, const char* key) {
  std::vector<std::string> parts;
  if (!split_key(key, &parts)) return REG_INVALID;
  return with_write(store, hive, [&](RegKeyNode* root) -> int {
    bool created = false;
    make_key(root, parts, &created);
    return created ? REG_OK : REG_UNCHANGED;
  });
}

int reg_set_value(RegStore* store, RegHive hive, const char* key, const char* name, uint32_t type, const void* data,
                  size_t size) {
  std::vector<std::string> parts;
  if (name == nullptr) name = "";
  if (!split_key(key, &parts) || !valid_value_name(name) || (data == nullptr && size > 0)) return REG_INVALID;
  if (type == REG_TYPE_DWORD && size != 4) return REG_INVALID;
  if (size > REG_MAX_VALUE) return REG_TOO_BIG;
  std::string bytes(static_cast<const char*>(data ? data : ""), size);
  if ((type == REG_TYPE_SZ || type == REG_TYPE_EXPAND_SZ) && !bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  // The reader's limit holds for the value as the file keeps it: a string
  // with a control character goes out as 16-bit units.
  size_t written = written_value_size(type, bytes);
  if (written > REG_MAX_VALUE) {
    if (valid_hive(store, hive))
      store->error = std::string(reg_hive_path(store, hive)) + ": the value \"" + name + "\" would take " +
                     std::to_string(written) + " bytes in the file, beyond the limit of " +
                     std::to_string(static_cast<size_t>(REG_MAX_VALUE));
    return REG_TOO_BIG;
  }
  return with_write(store, hive, [&](RegKeyNode* root) -> int {
    RegKeyNode* k = make_key(root, parts, nullptr);
    RegValueNode* v = find_value(k, name);
    if (v) {
      if (v->type == type && v->data == bytes) return REG_UNCHANGED;
      v->type = type;
      v->data = bytes;
      return REG_OK;
    }
    add_value(k, RegValueNode{name, type, bytes});
    return REG_OK;
  });
}

int reg_set_string(RegStore* store, RegHive hive, const char* key, const char* name, const char* text) {
  if (text == nullptr) return REG_INVALID;
  return reg_set_value(store, hive, key, name, REG_TYPE_SZ, text, strlen(text));
}

int reg_set_dword(RegStore* store, RegHive hive, const char* key, const char* name, uint32_t value) {
  unsigned char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
  return reg_set_value(store, hive, key, name, REG_TYPE_DWORD, bytes, 4);
}

int reg_set_binary(RegStore* store, RegHive hive, const char* key, const char* name, const void* data, size_t size) {
  return reg_set_value(store, hive, key, name, REG_TYPE_BINARY, data, size);
}

int reg_delete_value(RegStore* store, RegHive hive, const char* key, const char* name) {
  std::vector<std::string> parts;
  if (name == nullptr) name = "";
  if (!split_key(key, &parts)) return REG_INVALID;
  // Nothing to delete needs no lock and no write.
  RegValueInfo probe;
  int status = reg_query_value(store, hive, key, name, &probe);
  if (status != REG_OK && store->hives[hive].depth == 0) return status;
  bool found = false;
  status = with_write(store, hive, [&](RegKeyNode* root) -> int {
    RegKeyNode* k = find_key(root, parts);
    if (!k) return REG_UNCHANGED;
    if (!erase_value(k, name)) return REG_UNCHANGED;
    found = true;
    return REG_OK;
  });
  if (status == REG_OK && !found) return REG_NOT_FOUND;
  return status;
}

int reg_delete_key(RegStore* store, RegHive hive, const char* key) {
  std::vector<std::string> parts;
  if (!split_key(key, &parts) || parts.empty()) return REG_INVALID;
  int status = reg_key_exists(store, hive, key);
  if (status != REG_OK && store->hives[hive].depth == 0) return status;
  bool found = false;
  status = with_write(store, hive, [&](RegKeyNode* root) -> int {
    std::vector<std::string> parent(parts.begin(), parts.end() - 1);
    RegKeyNode* p = find_key(root, parent);
    if (!p) return REG_UNCHANGED;
    if (!erase_child(p, parts.back())) return REG_UNCHANGED;
    found = true;
    return REG_OK;
  });
  if (status == REG_OK && !found) return REG_NOT_FOUND;
  return status;
}

const char* reg_status_text(int status) {
  switch (status) {
    case REG_OK: return "success";
    case REG_NOT_FOUND: return "not found";
    case REG_ACCESS: return "the registry hive cannot be written";
    case REG_CORRUPT: return "the registry file is damaged";
    case REG_INVALID: return "invalid key or value name";
    case REG_IO: return "registry file input or output failed";
    case REG_WRONG_TYPE: return "the value has another type";
    case REG_TOO_BIG: return "beyond the registry store's limits";
    default: return "unknown registry status";
  }
}

int reg_reformat_hive_text(RegHive hive, const char* text, size_t length, std::string* out, std::string* error) {
  RegKeyNode root;
  std::string reason;
  int status = parse_hive(hive, text, length, &root, &reason);
  if (error != nullptr) *error = reason;
  if (status == REG_OK && out != nullptr) *out = render_hive(hive, root);
  return status;
}
