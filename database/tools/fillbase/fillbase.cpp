// fillbase: reads export files and adds their records to the sets of a
// database, in transactions of a fixed number of records, optionally
// restructured on the way by a file of restructuring rules.
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "database/client/client.h"
#include "database/client/database.h"
#include "database/client/recordcalls.h"
#include "database/client/trace.h"
#include "database/client/transaction.h"
#include "database/tools/common/dbtool.h"
#include "database/tools/common/export.h"
#include "database/tools/common/setinfo.h"
#include "database/tools/fillbase/restruct.h"
#include "language/toolframe.h"

const char* const usage_table[] = {
    "usage: fillbase [options] database [set ...]",
    "options:",
    " -help   - show usage (this list)",
    " -u user - set user name",
    " -p pswd - set password",
    " -c cnt  - records per transaction",
    " -i path - set import path",
    " -v      - verbose output",
    " -t      - trace item value assignment",
    " -r file - restructure database, '-' = no file",
    " -s file - import from single file, '-' = stdin",
    " -e file - log errors instead of aborting",
    " -f sep  - field separator, default is ','",
    " -z cset - set import code set (roman8, iso88591)",
    " -d flgs - debug flags",
    "<$END>",
};

namespace {

// Set number past every set: the end of a single file.
constexpr int kPastLastSet = 200;

struct Options {
  long per_transaction = 100;
  const char* directory = ".";
  int verbose = 0;
  int trace = 0;
  const char* restructure = nullptr;
  const char* single = nullptr;
  const char* error_log = nullptr;
  char separator = ',';
};

// The import file being read and where it stands.
struct Input {
  ExpLineReader reader;
  bool single = false;
  int set = 0;  // number of the current set header
  char name[EXP_NAME_LEN + 1] = {};
  std::vector<ExpField> fields;
};

// One target element's source.
enum { SRC_VALUE, SRC_NULL, SRC_CONST_NUMBER, SRC_CONST_TEXT };
struct Source {
  int kind = SRC_NULL;
  int value = 0;  // 1-based value index
  long number = 0;
  std::string text;
};

struct Element {
  size_t item;    // index in the set's items
  size_t offset;  // in the record
};

struct Run {
  Options opt;
  int dbid = 0;
  std::string base;
  std::vector<RsSet> spec;
  bool have_spec = false;
  bool named_sets = false;
  FILE* log = nullptr;
  Input single;
  long open_in_transaction = 0;
  bool transaction_open = false;
  // Of the set being imported: records put, of them those committed (put
  // outside a transaction or in one that was committed), and the number of
  // the last batch committed. -v shows, and a fatal error names, these.
  const char* set_name = nullptr;
  long put = 0;
  long committed = 0;
  long batches = 0;
};

// A fatal error while a set is imported: first what is safely in the
// database, so that a resumed import starts after it.
void fatal_in_set(const Run& run, const int32_t* status, long step, const char* what) {
  if (status[0] == 0) return;
  if (run.set_name)
    std::fprintf(stderr, "%.16s: %ld records committed, the last in batch %ld; %ld records put were lost\n",
                 run.set_name, run.committed, run.batches, run.put - run.committed);
  fatal_error(status, step, what);
}

[[noreturn]] void format_error(const char* line, const char* message) {
  if (line) std::fprintf(stderr, "%s\n", line);
  std::fprintf(stderr, "\n%s\n", message);
  tool_exit(EXIT_TOOL_FAILURE);
}

[[noreturn]] void fatal_text(const char* message) {
  std::fprintf(stderr, "%s: %s\n", dbtool_program, message);
  tool_exit(EXIT_TOOL_FAILURE);
}

bool is_set_header(const char* line) { return std::strncmp(line, "# SET", 5) == 0; }

// Reads the item lines after a set header (the header is in the reader).
void read_set_header(Input& in) {
  if (!exp_parse_set_header(in.reader.data, &in.set, in.name)) format_error(in.reader.data, EXP_BAD_SET_HEADER);
  in.fields.clear();
  while (exp_read_line(&in.reader)) {
    const char* line = in.reader.data;
    if (in.reader.length == 0) continue;
    if (line[0] != '#' || is_set_header(line)) {
      exp_unread_line(&in.reader);
      return;
    }
    ExpField f;
    if (!exp_parse_item_line(line, &f)) {
      // In a per-set file other comment lines are skipped.
      if (!in.single && in.fields.empty()) continue;
      format_error(line, EXP_BAD_ITEM_LINE);
    }
    if (in.fields.size() >= EXP_MAX_FIELDS) format_error(line, EXP_TOO_MANY_FIELDS);
    in.fields.push_back(f);
  }
}

// Moves a single file to its next set header (or the end: set 200).
void next_header(Input& in) {
  while (exp_read_line(&in.reader)) {
    if (in.reader.length > 0 && in.reader.data[0] == '#') {
      if (!is_set_header(in.reader.data)) format_error(in.reader.data, EXP_BAD_SET_HEADER);
      read_set_header(in);
      return;
    }
  }
  in.set = kPastLastSet;
  in.fields.clear();
}

// RsLookup through the information calls.
struct DbLookup : RsLookup {
  int dbid;
  explicit DbLookup(int d) : dbid(d) {}
  int set_number(const char* name) override {
    SetArg arg(name);
    for (int k = 15; k >= 0 && arg.text[k] == ' '; --k) arg.text[k] = '\0';
    StatusArray status = {};
    int32_t number = 0;
    idb_info(dbid, arg.text, 201, status, &number, 4);
    return status[0] == 0 ? std::abs(number) : 0;
  }
  bool set_exists(int set) override {
    StatusArray status = {};
    int32_t answer[8];
    idb_info(dbid, &set, 202, status, answer, sizeof answer);
    return status[0] == 0;
  }
  int item_number(const char* name) override {
    SetArg arg(name);
    for (int k = 15; k >= 0 && arg.text[k] == ' '; --k) arg.text[k] = '\0';
    StatusArray status = {};
    int32_t number = 0;
    idb_info(dbid, arg.text, 101, status, &number, 4);
    return status[0] == 0 ? number : 0;
  }
  int item_count(int item) override {
    StatusArray status = {};
    int32_t answer[8] = {};
    idb_info(dbid, &item, 102, status, answer, sizeof answer);
    return status[0] == 0 ? answer[6] : 0;
  }
};

void precision_warning(char type) {
  std::fprintf(stderr, "%s %s\n", "WARNING: Precision lost due to type conversion to",
               type == 'I' ? "INTEGER" : "DINTEGER");
}

// A number limited to [lo, hi], rounded half away from zero; warns when it
// had to change.
long limited(double v, long lo, long hi, char type) {
  double r = std::isnan(v) ? 0.0 : std::round(v);
  long out;
  if (r < static_cast<double>(lo))
    out = lo;
  else if (r > static_cast<double>(hi))
    out = hi;
  else
    out = static_cast<long>(r);
  if (std::isnan(v) || static_cast<double>(out) != r || r != v) precision_warning(type);
  return out;
}

long limited_int(long v, long lo, long hi, char type) {
  if (v < lo || v > hi) {
    precision_warning(type);
    return v < lo ? lo : hi;
  }
  return v;
}

// One value of a line (or a constant) into an element.
void convert(const Run& run, const SetItem& item, unsigned char* dest, int kind, const char* text, size_t length,
             long integer, double number) {
  size_t width = static_cast<size_t>(item.width);
  bool loose = run.opt.restructure != nullptr;
  if (!loose && ((kind == EXP_TEXT) != (item.type == 'X' || item.type == 'B'))) fatal_text("Illegal type conversion");
  switch (item.type) {
    case 'X':
    case 'B': {
      std::string t;
      if (kind == EXP_TEXT) {
        t.assign(text, length);
      } else {
        char buf[40];
        if (kind == EXP_INTEGER)
          std::snprintf(buf, sizeof buf, "%ld", integer);
        else
          std::snprintf(buf, sizeof buf, "%1.12g", number);
        t = buf;
      }
      std::memset(dest, item.type == 'X' ? ' ' : 0, width);
      std::memcpy(dest, t.data(), t.size() < width ? t.size() : width);
      return;
    }
    case 'I':
    case 'D': {
      long lo = item.type == 'I' ? -32768 : INT32_MIN, hi = item.type == 'I' ? 32767 : INT32_MAX;
      long v;
      if (kind == EXP_FLOAT) {
        v = limited(number, lo, hi, item.type);
      } else {
        long raw = integer;
        if (kind == EXP_TEXT) exp_text_integer(text, length, &raw);
        v = limited_int(raw, lo, hi, item.type);
      }
      if (item.type == 'I') {
        int16_t s = static_cast<int16_t>(v);
        std::memcpy(dest, &s, 2);
      } else {
        int32_t d = static_cast<int32_t>(v);
        std::memcpy(dest, &d, 4);
      }
      return;
    }
    case 'S':
    case 'L': {
      double v = kind == EXP_FLOAT ? number : static_cast<double>(integer);
      if (kind == EXP_TEXT) v = std::strtod(std::string(text, length).c_str(), nullptr);
      if (item.type == 'S') {
        float f = static_cast<float>(v);
        std::memcpy(dest, &f, 4);
      } else {
        std::memcpy(dest, &v, 8);
      }
      return;
    }
    default: fatal_text("Illegal value type");
  }
}

// One entry of a set's translation table: `count` elements of an item from
// its element `element` on, filled from the line's values from `value` on
// (1-based) or from `spec` when that is not SRC_VALUE.
struct Translation {
  size_t item;
  int element;
  int count;
  int value;
  Source spec;
};

// The table of one set, as "-t -t" shows it while it is built.
class TranslationTable {
 public:
  TranslationTable(const Run& run, const std::vector<SetItem>& items) : items_(items), trace_(run.opt.trace >= 2) {
    size_t offset = 0;
    for (const SetItem& i : items) {
      offsets_.push_back(offset);
      offset += static_cast<size_t>(i.width) * static_cast<size_t>(i.count);
    }
  }
  // Adds an entry, or replaces the one for the same item, element and count;
  // false beyond kMaxTranslations entries.
  bool add(const Translation& t) {
    size_t at = 0;
    while (at < entries_.size() &&
           !(entries_[at].item == t.item && entries_[at].element == t.element && entries_[at].count == t.count))
      ++at;
    const bool replaces = at < entries_.size();
    if (!replaces) {
      if (entries_.size() >= kMaxTranslations) {
        std::fprintf(stderr, "%s\n", "Too many fields to process");
        return false;
      }
      entries_.push_back(t);
    } else {
      entries_[at] = t;
    }
    if (trace_) show(at, replaces);
    return true;
  }
  const std::vector<Translation>& entries() const { return entries_; }
  // The record offset of an item's element.
  size_t offset(size_t item, int element) const {
    return offsets_[item] + static_cast<size_t>(element) * static_cast<size_t>(items_[item].width);
  }

 private:
  static constexpr size_t kMaxTranslations = 2048;

  void show(size_t at, bool replaces) const {
    const Translation& t = entries_[at];
    std::printf("\ntranslate[%d] = \n", static_cast<int>(at));
    std::printf("item = %d (%.16s)\n", items_[t.item].number, items_[t.item].name);
    switch (t.spec.kind) {
      case SRC_NULL: std::printf("spec = :NULL\n"); break;
      case SRC_CONST_NUMBER: std::printf("spec = :CONST %ld\n", t.spec.number); break;
      case SRC_CONST_TEXT: std::printf("spec = :CONST %s\n", t.spec.text.c_str()); break;
      default: std::printf("spec = <null pointer>\n"); break;
    }
    std::printf("idx  = %d\n", t.value);
    std::printf("cnt  = %d\n", t.count);
    std::printf("ofs  = %d\n", static_cast<int>(offset(t.item, t.element)));
    if (replaces) std::printf("-> replace translation #%d\n", static_cast<int>(at));
  }

  const std::vector<SetItem>& items_;
  bool trace_;
  std::vector<size_t> offsets_;
  std::vector<Translation> entries_;
};

// Builds the element sources of a set through its translation table; false
// on an error of the set.
bool build_translation(const Run& run, const Input& in, const std::vector<SetItem>& items, const RsSet* entry,
                       std::vector<Element>& elements, std::vector<Source>& sources) {
  elements.clear();
  sources.clear();
  std::vector<size_t> first(items.size());
  size_t offset = 0;
  for (size_t k = 0; k < items.size(); ++k) {
    first[k] = elements.size();
    for (int e = 0; e < items[k].count; ++e) {
      elements.push_back({k, offset});
      offset += static_cast<size_t>(items[k].width);
    }
  }
  bool names = run.opt.restructure && !in.fields.empty();
  bool entry_names_fields = false;
  if (entry)
    for (const RsItem& i : entry->items)
      if (i.kind == RS_FIELD_NAME) entry_names_fields = true;
  if (run.opt.restructure && in.fields.empty() && entry_names_fields) {
    if (!run.opt.trace) {
      std::fprintf(stderr, "%s\n", "No field names for this set in import file");
      return false;
    }
    std::printf("Warning: No field names for set %-16.16s in import file\n", in.name);
  }
  TranslationTable table(run, items);
  const Source from_line{SRC_VALUE, 0, 0, {}};
  if (!names) {
    int value = 1;
    for (size_t k = 0; k < items.size(); ++k) {
      if (!table.add({k, 0, items[k].count, value, from_line})) return false;
      value += items[k].count;
    }
  } else {
    for (size_t k = 0; k < items.size(); ++k)
      for (const ExpField& f : in.fields) {
        if (std::memcmp(f.name, items[k].name, EXP_NAME_LEN) != 0) continue;
        if (!table.add({k, 0, std::min(items[k].count, f.count), f.position, from_line})) return false;
        break;
      }
  }
  if (entry) {
    for (const RsItem& ri : entry->items) {
      size_t k = 0;
      while (k < items.size() && items[k].number != ri.item) ++k;
      if (k == items.size()) continue;  // an item of another set
      const int from = ri.first ? ri.first : 1;
      const int to = std::min(ri.last ? ri.last : items[k].count, items[k].count);
      if (to < from) continue;
      Translation t{k, from - 1, to - from + 1, 0, from_line};
      switch (ri.kind) {
        case RS_FIELD_NUMBER: t.value = ri.field; break;
        case RS_FIELD_NAME: {
          const ExpField* f = nullptr;
          for (const ExpField& x : in.fields)
            if (std::memcmp(x.name, ri.field_name, EXP_NAME_LEN) == 0) f = &x;
          if (!f) {
            std::fprintf(stderr, "%.16s: %s\n", ri.field_name, "Field name not found");
            return false;
          }
          // Elements past the end of the field are null.
          const int start = ri.src_first ? ri.src_first : 1;
          const int present = std::max(0, std::min(t.count, f->count - start + 1));
          if (present < t.count) {
            Translation rest{k, t.element + present, t.count - present, 0, Source{}};
            if (!table.add(rest)) return false;
          }
          if (present == 0) continue;
          t.count = present;
          t.value = f->position + start - 1;
          break;
        }
        case RS_NULL: t.spec = Source{}; break;
        case RS_CONST_NUMBER: t.spec = Source{SRC_CONST_NUMBER, 0, ri.number, {}}; break;
        case RS_CONST_TEXT: t.spec = Source{SRC_CONST_TEXT, 0, 0, ri.text}; break;
        default: fatal_text("Improper FLD type");
      }
      if (!table.add(t)) return false;
    }
  }
  // The table in its order, element by element: later entries win.
  sources.assign(elements.size(), Source{});
  for (const Translation& t : table.entries())
    for (int e = 0; e < t.count; ++e) {
      Source& s = sources[first[t.item] + static_cast<size_t>(t.element + e)];
      s = t.spec;
      if (t.spec.kind == SRC_VALUE) s.value = t.value + e;
    }
  return true;
}

void trace_element(const SetItem& item, size_t element_of_item, const Source& s, const ExpValues& values) {
  if (element_of_item == 0) std::printf("%.16s =", item.name);
  if (s.kind == SRC_NULL ||
      (s.kind == SRC_VALUE && (s.value < 1 || static_cast<size_t>(s.value) > values.values.size()))) {
    std::printf(" NULL\n");
    return;
  }
  if (s.kind == SRC_CONST_NUMBER) {
    std::printf(" %ld\n", s.number);
    return;
  }
  if (s.kind == SRC_CONST_TEXT) {
    std::printf(" \"%s\"\n", s.text.c_str());
    return;
  }
  const ExpValue& v = values.values[static_cast<size_t>(s.value - 1)];
  if (v.kind == EXP_TEXT)
    std::printf(" \"%.*s\"\n", static_cast<int>(v.length), values.bytes(v));
  else if (v.kind == EXP_INTEGER)
    std::printf(" %ld\n", v.integer);
  else
    std::printf(" %1.15g\n", v.number);
}

void commit_open(Run& run) {
  if (!run.transaction_open) return;
  StatusArray status = {};
  idb_commit(1, status);
  fatal_in_set(run, status, 4060, "commit transaction");
  run.transaction_open = false;
  run.open_in_transaction = 0;
  run.committed = run.put;
  ++run.batches;
}

// Imports one set; false when it counts as an error.
bool import_set(Run& run, int32_t number) {
  int set = number < 0 ? -number : number;
  StatusArray status = {};
  SetInfo info;
  setinfo_read(run.dbid, set, status, &info);
  if (status[0] == -21) {
    std::fprintf(stderr, "%d: %s\n", set, "Illegal set number");
    return false;
  }
  fatal_error(status, 4010, "info 202");
  if (run.opt.verbose) std::printf("%-16.16s %03d %c ", info.name, set, info.type);
  if (info.type == 'A') {
    if (run.opt.verbose) std::printf("\n");
    return true;
  }
  const RsSet* entry = run.have_spec ? rs_find_set(run.spec, set) : nullptr;
  int source = entry && entry->source ? entry->source : set;
  bool by_name = entry && entry->source_name[0];

  Input per_set;
  Input* in = &run.single;
  FILE* file = nullptr;
  if (run.opt.single) {
    if (by_name) {
      while (in->set != kPastLastSet && std::memcmp(in->name, entry->source_name, EXP_NAME_LEN) != 0) next_header(*in);
      if (in->set == kPastLastSet) {
        if (run.opt.verbose) std::printf("\n");
        std::fprintf(stderr, "%.16s: %s\n", entry->source_name, "set not in backup file");
        return !run.named_sets;
      }
    } else {
      while (in->set < source) next_header(*in);
      if (in->set != source) {
        if (run.opt.verbose) std::printf("\n");
        std::fprintf(stderr, "#%d: %s\n", source, "set not in backup file");
        return !run.named_sets;
      }
    }
  } else {
    std::string name3 = exp_file_name(run.opt.directory, run.base, 3, source);
    file = std::fopen(name3.c_str(), "r");
    int saved = errno;
    if (!file && source < 100) file = std::fopen(exp_file_name(run.opt.directory, run.base, 2, source).c_str(), "r");
    if (!file) {
      if (run.opt.verbose) std::printf("\n");
      std::fprintf(stderr, "%s: %s\n", name3.c_str(), std::strerror(saved));
      return true;
    }
    in = &per_set;
    in->reader.file = file;
    in->set = source;
    while (exp_read_line(&in->reader)) {
      if (in->reader.length == 0) continue;
      if (in->reader.data[0] == '#')
        read_set_header(*in);
      else
        exp_unread_line(&in->reader);
      break;
    }
  }

  idb_lock(run.dbid, &set, 4, status);
  fatal_error(status, 4020, "locking dataset");
  std::vector<SetItem> items = setinfo_items(run.dbid, set);
  std::vector<Element> elements;
  std::vector<Source> sources;
  bool ok = build_translation(run, *in, items, entry, elements, sources);
  run.set_name = info.name;
  run.put = run.committed = run.batches = 0;
  long count = 0, errors = 0;
  std::vector<unsigned char> record(static_cast<size_t>(info.record_length) + 8);
  ExpValues values;
  ExpScanError scan_error;
  while (ok && exp_read_line(&in->reader)) {
    const char* line = in->reader.data;
    if (in->reader.length == 0) continue;
    if (line[0] == '#') {
      if (!in->single) continue;
      if (!is_set_header(line)) format_error(line, EXP_BAD_SET_HEADER);
      read_set_header(*in);
      break;
    }
    if (!exp_scan_values(line, in->reader.length, run.opt.separator, &values, &scan_error)) {
      std::fputs(scan_error.text().c_str(), stderr);
      tool_exit(EXIT_TOOL_FAILURE);
    }
    for (size_t k = 0; k < elements.size(); ++k) {
      const SetItem& item = items[elements[k].item];
      unsigned char* dest = record.data() + elements[k].offset;
      const Source& s = sources[k];
      if (run.opt.trace) trace_element(item, k == 0 || elements[k - 1].item != elements[k].item ? 0 : 1, s, values);
      if (s.kind == SRC_CONST_NUMBER) {
        convert(run, item, dest, EXP_INTEGER, nullptr, 0, s.number, 0);
      } else if (s.kind == SRC_CONST_TEXT) {
        convert(run, item, dest, EXP_TEXT, s.text.data(), s.text.size(), 0, 0);
      } else if (s.kind == SRC_VALUE && s.value >= 1 && static_cast<size_t>(s.value) <= values.values.size()) {
        const ExpValue& v = values.values[static_cast<size_t>(s.value - 1)];
        convert(run, item, dest, v.kind, values.bytes(v), v.length, v.integer, v.number);
      } else {
        std::memset(dest, item.type == 'X' ? ' ' : 0, static_cast<size_t>(item.width));
      }
    }
    if (run.opt.per_transaction && !run.transaction_open) {
      idb_begin(nullptr, 1, status);
      fatal_in_set(run, status, 4030, "begin transaction");
      run.transaction_open = true;
    }
    idb_put(run.dbid, &set, 1, status, "@", record.data());
    if (status[0] != 0 && run.log && (status[0] == 43 || (status[0] >= 100 && status[0] <= 199))) {
      std::fprintf(run.log, "# %03d %16.16s  UNABLE TO PUT RECORD, STATUS = %ld\n%s\n", set, info.name,
                   static_cast<long>(status[0]), line);
      ++errors;
      if (run.opt.verbose) std::printf("%8ld (%8ld)\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b\b", count, errors);
    } else {
      fatal_in_set(run, status, 4040, "putting record");
      ++count;
      ++run.put;
      if (!run.transaction_open) run.committed = run.put;
    }
    if (run.transaction_open && ++run.open_in_transaction >= run.opt.per_transaction) commit_open(run);
    if (run.opt.verbose && count % 100 == 0) std::printf("%8ld\b\b\b\b\b\b\b\b", run.committed);
  }
  commit_open(run);
  if (run.opt.verbose) std::printf("%8ld\n", run.committed);
  run.set_name = nullptr;
  idb_unlock(run.dbid, nullptr, 1, status);
  fatal_error(status, 4050, "unlocking database");
  if (file) std::fclose(file);
  if (in->single && ok && in->set == source) next_header(*in);
  return ok;
}

bool parse_count(const char* text, long* out) {
  if (!*text) return false;
  long v = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > INT32_MAX) return false;
  }
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  dbtool_start(argc, argv, "FILLBASE", false, usage_table);
  if (argc < 2) dbtool_usage(usage_table);

  Run run;
  const char* user = dbtool_default_user();
  const char* password = "";
  const char* flags = "*0";
  int charset = -1;
  bool option_error = false;
  int opt;
  while ((opt = getopt(argc, argv, "u:p:vti:r:s:e:f:d:c:z:")) != -1) {
    switch (opt) {
      case 'u': user = optarg; break;
      case 'p': password = optarg; break;
      case 'v': ++run.opt.verbose; break;
      case 't': ++run.opt.trace; break;
      case 'i': run.opt.directory = optarg; break;
      case 'r': run.opt.restructure = optarg; break;
      case 's': run.opt.single = optarg; break;
      case 'e': run.opt.error_log = optarg; break;
      case 'f': run.opt.separator = dbtool_separator(optarg); break;
      case 'd': flags = optarg; break;
      case 'z': charset = dbtool_charset(optarg); break;
      case 'c':
        if (!parse_count(optarg, &run.opt.per_transaction)) option_error = true;
        break;
      default: option_error = true; break;
    }
  }
  if (option_error) dbtool_illegal_arguments();
  const char* database = dbtool_required_operand(argc, argv);
  run.base = exp_base_name(database);
  run.named_sets = optind + 1 < argc;

  if (!dbtool_session(flags, user, password, charset, run.opt.verbose ? stdout : nullptr)) return EXIT_TOOL_FAILURE;
  if (run.opt.verbose) {
    std::printf("%s : %s\n", "Processing database", database);
    if (run.opt.single)
      std::printf("%s : %s\n", "Import file        ", std::strcmp(run.opt.single, "-") == 0 ? "stdin" : run.opt.single);
    else
      std::printf("%s : %s\n", "Import path        ", run.opt.directory);
    if (run.opt.per_transaction)
      std::printf("%s : %d\n", "Records/Transaction", static_cast<int>(run.opt.per_transaction));
    std::printf("\n");
  }

  StatusArray status = {};
  run.dbid = idb_open(database, password, IDB_OPEN_SHARED, status);
  fatal_error(status, 1010, "opening database");

  if (run.opt.restructure && std::strcmp(run.opt.restructure, "-") != 0) {
    FILE* spec = std::fopen(run.opt.restructure, "r");
    if (!spec) {
      std::fprintf(stderr, "%s: %s\n", run.opt.restructure, std::strerror(errno));
      tool_exit(EXIT_TOOL_FAILURE);
    }
    if (run.opt.verbose) std::printf("Processing restructuring specification\n");
    DbLookup lookup(run.dbid);
    RsOptions options;
    options.single_file = run.opt.single != nullptr;
    options.trace = run.opt.trace >= 3;
    int errors = rs_parse(spec, lookup, options, run.spec, stderr);
    std::fclose(spec);
    if (errors) tool_exit(EXIT_TOOL_FAILURE);
    run.have_spec = true;
  }

  if (run.opt.single) {
    FILE* f = std::strcmp(run.opt.single, "-") == 0 ? stdin : std::fopen(run.opt.single, "r");
    if (!f) {
      std::fprintf(stderr, "%s: %s\n", run.opt.single, std::strerror(errno));
      tool_exit(EXIT_TOOL_FAILURE);
    }
    run.single.reader.file = f;
    run.single.single = true;
    std::string name;
    if (!exp_read_line(&run.single.reader) || !exp_parse_database_line(run.single.reader.data, name))
      format_error(run.single.reader.data ? run.single.reader.data : "", EXP_BAD_DATABASE_LINE);
    if (name != run.base) std::fprintf(stderr, "%s %s\n", "importing from database", name.c_str());
    next_header(run.single);
  }
  if (run.opt.error_log) {
    run.log = std::fopen(run.opt.error_log, "w");
    if (!run.log) {
      std::fprintf(stderr, "%s: %s\n", run.opt.error_log, std::strerror(errno));
      tool_exit(EXIT_TOOL_FAILURE);
    }
  }
  if (run.opt.verbose) {
    std::printf("DATA SET               COUNT\n");
    std::printf("---------------- --- - --------\n");
  }

  int errors = 0;
  std::vector<int32_t> sets = setinfo_operand_sets(run.dbid, argc, argv, optind + 1, &errors);
  for (int32_t number : sets)
    if (!import_set(run, number)) ++errors;
  if (run.log && std::fclose(run.log) != 0) {
    std::fprintf(stderr, "%s: %s\n", run.opt.error_log, std::strerror(errno));
    errors++;
  }
  tool_exit(errors ? EXIT_TOOL_FAILURE : EXIT_TOOL_OK);
}
