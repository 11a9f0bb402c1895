#include "language/store_source.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// Line numbers of stored lines are 15-bit.
const long kMaxLineNumber = 32767;

const char kUnknownDirective[] = "Unknown control directive";
const char kBadLineNumber[] = "Bad line number";
const char kBadIncrement[] = "Bad line increment";

// A cursor over one control line; every read checks what remains.
struct Cursor {
  const char* p;
  const char* end;

  bool at_end() const { return p >= end; }
  static bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
  void skip_blanks() {
    while (!at_end() && is_blank(*p)) ++p;
  }
  bool literal(const char* text) {
    std::size_t n = std::strlen(text);
    if (static_cast<std::size_t>(end - p) < n || std::memcmp(p, text, n) != 0) return false;
    p += n;
    return true;
  }
};

enum NumberScan { NUM_NONE, NUM_OK, NUM_RANGE };

// Reads a decimal integer the way the "%d" conversion does: leading blanks,
// an optional sign, then at least one digit. Values beyond the range of an
// int are reported as NUM_RANGE rather than wrapped.
NumberScan scan_int(Cursor* c, long* value) {
  Cursor at = *c;
  at.skip_blanks();
  bool negative = false;
  if (!at.at_end() && (*at.p == '+' || *at.p == '-')) {
    negative = *at.p == '-';
    ++at.p;
  }
  if (at.at_end() || *at.p < '0' || *at.p > '9') return NUM_NONE;
  long long v = 0;
  bool range = false;
  while (!at.at_end() && *at.p >= '0' && *at.p <= '9') {
    if (!range) {
      v = v * 10 + (*at.p - '0');
      if (v > static_cast<long long>(INT_MAX) + 1) range = true;
    }
    ++at.p;
  }
  if (negative) v = -v;
  if (range || v > INT_MAX || v < INT_MIN) {
    *c = at;
    return NUM_RANGE;
  }
  *value = static_cast<long>(v);
  *c = at;
  return NUM_OK;
}

StoreControl control_error(const char* message) {
  StoreControl ctl;
  ctl.kind = STORE_CTL_ERROR;
  ctl.message = message;
  return ctl;
}

StoreControl parse_position(Cursor c) {
  // "# %d %s"
  c.literal("#");
  long number = 0;
  switch (scan_int(&c, &number)) {
    case NUM_NONE: return control_error(kUnknownDirective);
    case NUM_RANGE: return control_error(kBadLineNumber);
    case NUM_OK: break;
  }
  StoreControl ctl;
  ctl.kind = STORE_CTL_POSITION;
  ctl.number = number;
  c.skip_blanks();
  const char* name = c.p;
  while (!c.at_end() && !Cursor::is_blank(*c.p)) ++c.p;
  if (c.p > name) {
    ctl.has_name = true;
    ctl.name.assign(name, static_cast<std::size_t>(c.p - name));
  }
  return ctl;
}

StoreControl parse_dollar(Cursor c) {
  Cursor at = c;
  if (at.literal("$LINE")) {
    // "$LINE%d,%d"
    long first = 0;
    NumberScan s = scan_int(&at, &first);
    if (s == NUM_RANGE) return control_error(kBadLineNumber);
    if (s == NUM_OK) {
      long increment = 10;
      if (at.literal(",")) {
        NumberScan t = scan_int(&at, &increment);
        if (t == NUM_RANGE) return control_error(kBadIncrement);
        if (t == NUM_NONE) increment = 10;
      }
      // The numbering needs a first number that a line can carry and a
      // positive increment.
      if (first < 1 || first > kMaxLineNumber) return control_error(kBadLineNumber);
      if (increment < 1 || increment > kMaxLineNumber) return control_error(kBadIncrement);
      StoreControl ctl;
      ctl.kind = STORE_CTL_LINE;
      ctl.number = first;
      ctl.increment = increment;
      return ctl;
    }
  }
  at = c;
  if (at.literal("$TAB")) {
    // "$TAB%d"
    long width = 0;
    NumberScan s = scan_int(&at, &width);
    if (s == NUM_OK) {
      StoreControl ctl;
      ctl.kind = STORE_CTL_TAB;
      ctl.number = width;
      return ctl;
    }
  }
  return control_error(kUnknownDirective);
}

}  // namespace

StoreReadStatus store_read_line(FILE* in, StoreSourceLine* line) {
  // The whole physical line at once (NUL bytes and all); the buffer is kept
  // for the next line.
  static char* buffer = nullptr;
  static std::size_t room = 0;
  const ssize_t got = getdelim(&buffer, &room, '\n', in);
  std::size_t read = got > 0 ? static_cast<std::size_t>(got) : 0;
  const bool ended = read > 0 && buffer[read - 1] == '\n';
  if (!ended && std::ferror(in)) {
    line->length = 0;
    line->text[0] = '\0';
    return STORE_READ_ERROR;
  }
  if (read == 0) {
    line->length = 0;
    line->text[0] = '\0';
    return STORE_READ_END;
  }
  if (ended) --read;
  // One place beyond the limit is kept for a CR that may precede LF.
  const bool over = read > STORE_LINE_MAX + 1;
  std::size_t len = over ? STORE_LINE_MAX + 1 : read;
  std::memcpy(line->text, buffer, len);
  if (!over && len > 0 && line->text[len - 1] == '\r') --len;
  if (over || len > STORE_LINE_MAX) {
    line->length = STORE_LINE_MAX;
    line->text[STORE_LINE_MAX] = '\0';
    return STORE_READ_TOO_LONG;
  }
  line->length = len;
  line->text[len] = '\0';
  return STORE_READ_LINE;
}

StoreControl store_control_parse(const char* text, std::size_t length) {
  if (length == 0) return StoreControl{};
  Cursor c{text, text + length};
  if (text[0] == '#') return parse_position(c);
  if (text[0] == '$') return parse_dollar(c);
  return StoreControl{};
}

bool store_expand_tabs(const char* text, std::size_t length, long width, std::string* out) {
  out->clear();
  if (width <= 0) {
    if (length > STORE_LINE_MAX) return false;
    out->assign(text, length);
    return true;
  }
  out->reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] != '\t') {
      // The run of characters up to the next tab, as far as it fits.
      const char* tab = static_cast<const char*>(std::memchr(text + i, '\t', length - i));
      std::size_t run = (tab ? static_cast<std::size_t>(tab - text) : length) - i;
      std::size_t room = out->size() < STORE_LINE_MAX ? STORE_LINE_MAX - out->size() : 0;
      out->append(text + i, run < room ? run : room);
      if (run > room) return false;
      i += run - 1;
      continue;
    }
    // One space, then more up to the next multiple of the width.
    std::size_t column = out->size() + 1;
    std::size_t rest = (width - column % static_cast<std::size_t>(width)) % static_cast<std::size_t>(width);
    if (column + rest > STORE_LINE_MAX) return false;
    out->append(1 + rest, ' ');
  }
  return true;
}

void store_cut_extension(std::string* name) {
  std::size_t slash = name->rfind('/');
  std::size_t dot = name->rfind('.');
  if (dot == std::string::npos) return;
  if (slash != std::string::npos && dot < slash) return;
  name->erase(dot);
}

std::string store_error_report(StoreErrorForm form, const char* tool, const char* text, std::size_t length,
                               const char* message, int column, const char* file, long long line_number) {
  std::string out;
  const std::string where = std::string(tool) + ": " + file + ", line " + std::to_string(line_number);
  if (form == STORE_ERRORS_ONE_LINE) {
    out = where + ": " + message + "\n";
    return out;
  }
  out.assign(text, length);
  out += '\n';
  if (column >= 0) {
    out.append(static_cast<std::size_t>(column), ' ');
    out += "^\n";
  }
  out += message;
  out += '\n';
  out += where;
  out += '\n';
  return out;
}
