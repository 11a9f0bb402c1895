#include "database/tools/common/export.h"

#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char EXP_BAD_DATABASE_LINE[] = "bad format: # DATABASE = <name> expected";
const char EXP_BAD_SET_HEADER[] = "bad format: # SET <no> = <name> expected";
const char EXP_BAD_ITEM_LINE[] = "bad format: # <item index> <item name> <item type> expected";
const char EXP_TOO_MANY_FIELDS[] = "Number of fields exceeds maximum";

namespace {

const char kMissingQuote[] = "Missing quote";
const char kIllegalNumber[] = "Illegal numeric value";
const char kEndOfLine[] = "Unexpected end-of-line";
const char kTooManyValues[] = "Number of values exceeds maximum";

// Longest part of the line an "Illegal numeric value" shows.
constexpr size_t kRestShown = 40;

void append_int(std::string& out, long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// "%1.<base>g", or the fewest digits up to `most` whose text reads back as
// the same value (as a float when `single`). std::to_chars with a precision
// writes what "%1.*g" writes; a double cannot read back from fewer digits
// than its shortest text has, so those are not tried.
void append_real(std::string& out, double v, int base, int most, bool single) {
  char buf[40];
  int precision = base;
  if (!single && std::isfinite(v) && v != 0) {
    auto shortest = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    int digits = 0;
    for (const char* p = buf; p < shortest.ptr && *p != 'e'; ++p) digits += *p >= '0' && *p <= '9';
    precision = std::min(std::max(base, digits), most);
  }
  std::to_chars_result r{};
  for (;; ++precision) {
    r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
    if (precision >= most || std::isnan(v)) break;
    double back = 0;
    std::from_chars(buf, r.ptr, back);
    bool same = single ? static_cast<float>(back) == static_cast<float>(v) : back == v;
    if (same) break;
  }
  out.append(buf, r.ptr);
}

void append_text(std::string& out, const unsigned char* p, size_t n) {
  out.push_back('"');
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = p[i];
    if (c < 32) {
      char esc[5] = {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + ((c >> 3) & 7)),
                     static_cast<char>('0' + (c & 7)), 0};
      out.append(esc, 4);
    } else {
      if (c == '"' || c == '\\') out.push_back('\\');
      out.push_back(static_cast<char>(c));
    }
  }
  out.push_back('"');
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool only_space(const char* p) {
  while (*p && is_space(*p)) ++p;
  return *p == '\0';
}

void pad_name(const char* from, char name[EXP_NAME_LEN + 1]) {
  size_t n = std::strlen(from);
  if (n > EXP_NAME_LEN) n = EXP_NAME_LEN;
  std::memcpy(name, from, n);
  std::memset(name + n, ' ', EXP_NAME_LEN - n);
  name[EXP_NAME_LEN] = '\0';
}

}  // namespace

std::string exp_base_name(const char* database) {
  const char* slash = std::strrchr(database, '/');
  std::string base = slash ? slash + 1 : database;
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return base;
}

std::string exp_file_name(const std::string& dir, const std::string& base, int width, int set) {
  std::string name = dir;
  if (!name.empty() && name.back() != '/') name.push_back('/');
  char tail[48];
  std::snprintf(tail, sizeof tail, ".%0*d.exp", width, set);
  name += base;
  name += tail;
  return name;
}

void exp_database_line(std::string& out, const std::string& base) {
  out += "# DATABASE = ";
  out += base;
  out.push_back('\n');
}

void exp_set_header(std::string& out, int set, const char* name) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "# SET %d = %-16.16s\n", set, name);
  out.append(buf, static_cast<size_t>(n));
}

void exp_item_line(std::string& out, int position, const char* name, int count, char type, int width) {
  char buf[96];
  int n = std::snprintf(buf, sizeof buf, "#  %4d %-16.16s ", position, name);
  out.append(buf, static_cast<size_t>(n));
  if (count > 1) {
    append_int(out, count);
    out.push_back(' ');
  }
  out.push_back(type);
  if (type == 'X' || type == 'B') append_int(out, width);
  out.push_back('\n');
}

bool exp_parse_database_line(const char* line, std::string& name) {
  if (std::strncmp(line, "# DATABASE = ", 13) != 0) return false;
  const char* p = line + 13;
  while (*p && is_space(*p)) ++p;
  const char* end = p;
  while (*end && !is_space(*end)) ++end;
  if (end == p) return false;
  name.assign(p, end);
  return true;
}

bool exp_parse_set_header(const char* line, int* set, char name[EXP_NAME_LEN + 1]) {
  char word[EXP_NAME_LEN + 1];
  if (std::sscanf(line, "# SET %d = %16s", set, word) != 2) return false;
  pad_name(word, name);
  return true;
}

bool exp_parse_item_line(const char* line, ExpField* field) {
  char word[EXP_NAME_LEN + 1];
  char type[11];
  int position = 0, count = 1, used = 0;
  if (std::sscanf(line, "# %d %16s %d %10s%n", &position, word, &count, type, &used) != 4) {
    count = 1;
    used = 0;
    if (std::sscanf(line, "# %d %16s %10s%n", &position, word, type, &used) != 3) return false;
  }
  if (!only_space(line + used) || count < 1) return false;
  char letter = type[0];
  if (!letter || !std::strchr("XBIDSL", letter)) return false;
  int width = 0;
  if (letter == 'X' || letter == 'B') {
    const char* digits = type + 1;
    if (!*digits) return false;
    long w = 0;
    for (const char* p = digits; *p; ++p) {
      if (*p < '0' || *p > '9') return false;
      w = w * 10 + (*p - '0');
      if (w > 1000000) return false;
    }
    if (w <= 0 || w % 2 != 0) return false;
    width = static_cast<int>(w);
  } else if (type[1]) {
    return false;
  }
  field->position = position;
  pad_name(word, field->name);
  field->count = count;
  field->type = letter;
  field->width = width;
  return true;
}

void exp_append_element(std::string& out, char type, const unsigned char* element, size_t width) {
  switch (type) {
    case 'X': {
      size_t n = width;
      while (n > 0 && element[n - 1] == ' ') --n;
      append_text(out, element, n);
      return;
    }
    case 'B': {
      size_t n = width;
      while (n > 0 && element[n - 1] == 0) --n;
      append_text(out, element, n);
      return;
    }
    case 'I': {
      int16_t v;
      std::memcpy(&v, element, sizeof v);
      append_int(out, v);
      return;
    }
    case 'D': {
      int32_t v;
      std::memcpy(&v, element, sizeof v);
      append_int(out, v);
      return;
    }
    case 'S': {
      float v;
      std::memcpy(&v, element, sizeof v);
      append_real(out, v, 6, 9, true);
      return;
    }
    case 'L': {
      double v;
      std::memcpy(&v, element, sizeof v);
      append_real(out, v, 12, 17, false);
      return;
    }
    default:
      std::fprintf(stderr, "%s:%d: exp_append_element: unknown item type %d\n", __FILE__, __LINE__, type);
      std::abort();
  }
}

size_t exp_append_record(std::string& out, const ExpItem* items, size_t n_items, const unsigned char* record,
                         char sep) {
  size_t offset = 0;
  bool first = true;
  for (size_t i = 0; i < n_items; ++i) {
    size_t width = static_cast<size_t>(items[i].width);
    for (int e = 0; e < items[i].count; ++e) {
      if (!first) out.push_back(sep);
      first = false;
      exp_append_element(out, items[i].type, record + offset, width);
      offset += width;
    }
  }
  out.push_back('\n');
  return offset;
}

ExpLineReader::~ExpLineReader() { std::free(data); }

bool exp_read_line(ExpLineReader* reader) {
  if (reader->pushed_back) {
    reader->pushed_back = false;
    return true;
  }
  ssize_t n = getline(&reader->data, &reader->capacity, reader->file);
  if (n < 0) {
    reader->length = 0;
    if (reader->data) reader->data[0] = '\0';
    return false;
  }
  size_t len = static_cast<size_t>(n);
  if (len > 0 && reader->data[len - 1] == '\n') reader->data[--len] = '\0';
  reader->length = len;
  ++reader->number;
  return true;
}

void exp_unread_line(ExpLineReader* reader) { reader->pushed_back = true; }

std::string ExpScanError::text() const {
  std::string t = "\n";
  t += message ? message : "";
  if (has_rest) {
    t += ": ";
    t += rest;
  }
  t += "\n";
  return t;
}

namespace {

bool fail(ExpScanError* error, const char* message) {
  error->message = message;
  error->rest.clear();
  error->has_rest = false;
  return false;
}

bool fail_number(ExpScanError* error, const char* line, size_t length, size_t from) {
  error->message = kIllegalNumber;
  size_t n = length - from;
  if (n > kRestShown) n = kRestShown;
  // "%.40s" ends at a NUL byte as well.
  size_t shown = 0;
  while (shown < n && line[from + shown] != '\0') ++shown;
  error->rest.assign(line + from, shown);
  error->has_rest = true;
  return false;
}

// Reads a number of `n` bytes at `p` (no separator inside): an integer that
// fits 32 bits, else a floating-point value.
bool scan_number(const char* p, size_t n, std::string& scratch, ExpValue* v) {
  scratch.assign(p, n);
  const char* s = scratch.c_str();
  char* end = nullptr;
  errno = 0;
  long i = std::strtol(s, &end, 10);
  bool fits = errno != ERANGE && i >= INT32_MIN && i <= INT32_MAX;
  if (fits && end != s && *end == '\0') {
    v->kind = EXP_INTEGER;
    v->integer = i;
    return true;
  }
  if (!fits || *end == '.' || *end == 'E' || *end == 'e') {
    char* fend = nullptr;
    double d = std::strtod(s, &fend);
    if (fend != s && *fend == '\0') {
      v->kind = EXP_FLOAT;
      v->number = d;
      return true;
    }
  }
  return false;
}

}  // namespace

bool exp_scan_values(const char* line, size_t length, char sep, ExpValues* out, ExpScanError* error) {
  out->values.clear();
  out->text.clear();
  thread_local std::string scratch;
  size_t pos = 0;
  if (length == 0) return true;
  for (;;) {
    if (out->values.size() >= EXP_MAX_VALUES) return fail(error, kTooManyValues);
    ExpValue v{};
    size_t start = pos;
    if (line[pos] == '"') {
      ++pos;
      v.kind = EXP_TEXT;
      v.offset = out->text.size();
      for (;;) {
        if (pos >= length) return fail(error, kMissingQuote);
        char c = line[pos];
        if (c == '"') {
          ++pos;
          break;
        }
        if (c == '\\') {
          if (++pos >= length) return fail(error, kMissingQuote);
          if (line[pos] >= '0' && line[pos] <= '7') {
            unsigned value = 0;
            for (int k = 0; k < 3 && pos < length && line[pos] >= '0' && line[pos] <= '7'; ++k, ++pos)
              value = value * 8 + static_cast<unsigned>(line[pos] - '0');
            out->text.push_back(static_cast<char>(value & 0xff));
            continue;
          }
        }
        out->text.push_back(line[pos++]);
      }
      v.length = out->text.size() - v.offset;
    } else if (line[pos] == sep) {
      v.kind = EXP_INTEGER;
      v.integer = 0;
    } else {
      size_t end = pos;
      while (end < length && line[end] != sep) ++end;
      if (!scan_number(line + pos, end - pos, scratch, &v)) return fail_number(error, line, length, start);
      pos = end;
    }
    out->values.push_back(v);
    if (pos >= length) return true;
    if (line[pos] != sep) return fail_number(error, line, length, pos);
    if (++pos >= length) return fail(error, kEndOfLine);
  }
}

bool exp_text_integer(const char* text, size_t length, long* value) {
  thread_local std::string scratch;
  scratch.assign(text, length);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(scratch.c_str(), &end, 10);
  *value = v;
  return errno != ERANGE && end != scratch.c_str() && *end == '\0' && v >= INT32_MIN && v <= INT32_MAX;
}

bool exp_separator_ok(char sep) {
  return !(std::isdigit(static_cast<unsigned char>(sep)) || std::strchr("-+.eE", sep) != nullptr) && sep != '\0';
}

namespace {

// Temporary files not yet renamed or removed: removed at exit, so that a
// fatal error on the way leaves none behind.
// Never destroyed: the exit handler may run after static destructors.
std::vector<std::string>& pending_temps() {
  static auto* names = new std::vector<std::string>;
  return *names;
}

void remove_pending_temps() {
  for (const std::string& name : pending_temps()) unlink(name.c_str());
  pending_temps().clear();
}

void keep_pending(const std::string& name) {
  static bool registered = false;
  if (!registered) {
    std::atexit(remove_pending_temps);
    registered = true;
  }
  pending_temps().push_back(name);
}

void drop_pending(const std::string& name) {
  auto& names = pending_temps();
  names.erase(std::remove(names.begin(), names.end(), name), names.end());
}

void remove_temp(ExpOutput* out) {
  if (out->temp_name.empty()) return;
  unlink(out->temp_name.c_str());
  drop_pending(out->temp_name);
  out->temp_name.clear();
}

}  // namespace

namespace {

// Bytes an export file collects before each write.
constexpr size_t kOutputBuffer = 1 << 16;

void give_buffer(ExpOutput* out) {
  out->buffer.reset(new char[kOutputBuffer]);
  setvbuf(out->file, out->buffer.get(), _IOFBF, kOutputBuffer);
}

}  // namespace

int exp_output_open(ExpOutput* out, const std::string& name) {
  out->name = name;
  out->target = name;
  out->error = 0;
  out->temp_name.clear();
  if (name == "-") {
    out->file = stdout;
    return 0;
  }
  AtomicTarget target;
  if (atomic_resolve_target(name.c_str(), 0666, &target) != 0) return -1;
  out->target = target.path;
  if (target.in_place) {
    out->file = std::fopen(target.path.c_str(), "w");
    if (!out->file) return -1;
    give_buffer(out);
    return 0;
  }
  std::string temp = target.path + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return -1;
  keep_pending(temp);
  if (target.existing && fchown(fd, static_cast<uid_t>(-1), target.group) != 0) {
    // Not a member of the file's group: the new file stays in ours.
  }
  fchmod(fd, target.mode);
  out->file = fdopen(fd, "w");
  if (!out->file) {
    int saved = errno;
    close(fd);
    unlink(temp.c_str());
    drop_pending(temp);
    errno = saved;
    return -1;
  }
  give_buffer(out);
  out->temp_name = temp;
  return 0;
}

void exp_output_write(ExpOutput* out, const std::string& bytes) {
  if (out->error || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out->file) != bytes.size()) out->error = errno ? errno : EIO;
}

int exp_output_close(ExpOutput* out) {
  if (!out->file) return 0;
  FILE* f = out->file;
  out->file = nullptr;
  if (std::fflush(f) != 0 && !out->error) out->error = errno ? errno : EIO;
  if (std::ferror(f) && !out->error) out->error = EIO;
  if (f != stdout && std::fclose(f) != 0 && !out->error) out->error = errno ? errno : EIO;
  out->buffer.reset();
  if (out->error) {
    remove_temp(out);
    errno = out->error;
    return -1;
  }
  return 0;
}

int exp_output_commit(ExpOutput* out) {
  if (out->temp_name.empty()) return 0;
  if (std::rename(out->temp_name.c_str(), out->target.c_str()) != 0) {
    out->error = errno;
    remove_temp(out);
    errno = out->error;
    return -1;
  }
  drop_pending(out->temp_name);
  out->temp_name.clear();
  return 0;
}

int exp_output_finish(ExpOutput* out) {
  if (exp_output_close(out) != 0) return -1;
  return exp_output_commit(out);
}

void exp_output_abandon(ExpOutput* out) {
  if (out->file) {
    if (out->file == stdout)
      std::fflush(out->file);
    else
      std::fclose(out->file);
    out->file = nullptr;
  }
  out->buffer.reset();
  remove_temp(out);
}
