#include "database/tools/fillbase/restruct.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "database/tools/fillbase/restruct_internal.h"
#include "rs_parse.hpp"

extern int rsdebug;

RsState* rs_state = nullptr;

namespace {

// The entry that item entries go to; a scratch entry after a bad set.
RsSet* current_set = nullptr;
RsSet scratch_set;

bool name_char_ok(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 161 || std::strchr("+-*/?#%&@", c) != nullptr;
}

// Checks a name and gives it blank-padded (cut to 16) in `padded`.
void take_name(const char* name, char padded[RS_NAME_LEN + 1], const char* too_long, const char* illegal) {
  size_t n = std::strlen(name);
  if (n > RS_NAME_LEN) {
    rs_error(too_long);
    n = RS_NAME_LEN;
  }
  for (size_t i = 1; i < n; ++i)
    if (!name_char_ok(static_cast<unsigned char>(name[i]))) {
      rs_error(illegal);
      break;
    }
  std::memcpy(padded, name, n);
  std::memset(padded + n, ' ', RS_NAME_LEN - n);
  padded[RS_NAME_LEN] = '\0';
}

// Checks a range; true when it can be used.
bool range_ok(const RsRange& r) {
  if (r.given == 1 && r.first < 1) {
    rs_error("Improper index");
    return false;
  }
  if (r.given == 2 && (r.first < 1 || r.first > r.last)) {
    rs_error("Improper index range");
    return false;
  }
  return true;
}

}  // namespace

size_t rs_input(char* buffer, size_t max_size) {
  RsState& s = *rs_state;
  static size_t offset = 0;
  if (s.line_number == 0 || offset >= s.line.size()) {
    offset = 0;
    ssize_t n = getline(&s.raw, &s.raw_capacity, s.in);
    if (n <= 0) {
      s.line.clear();
      return 0;
    }
    s.line.assign(s.raw, static_cast<size_t>(n));
    for (char& c : s.line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (s.line.back() != '\n') s.line.push_back('\n');
    ++s.line_number;
    if (s.line.size() - 1 > RS_MAX_LINE) rs_error("Line exceeds 255 characters");
  }
  size_t n = s.line.size() - offset;
  if (n > max_size) n = max_size;
  std::memcpy(buffer, s.line.data() + offset, n);
  offset += n;
  return n;
}

void rs_error(const char* message) {
  RsState& s = *rs_state;
  ++s.errors_count;
  if (s.reported_line != s.line_number) {
    s.reported_line = s.line_number;
    std::fputs(s.line.c_str(), s.errors);
    std::fprintf(s.errors, "*** %s in line %ld\n", message, s.line_number);
  } else {
    std::fprintf(s.errors, "*** %s\n", message);
  }
}

const char* rs_keep(const char* text, size_t length) {
  rs_state->texts.emplace_back(text, length);
  return rs_state->texts.back().c_str();
}

void rs_begin_set(const RsRef& target) {
  RsState& s = *rs_state;
  RsSet entry;
  bool ok = true;
  if (target.name) {
    take_name(target.name, entry.name, "Set name too long", "Illegal set name");
    entry.set = s.lookup->set_number(entry.name);
    if (entry.set <= 0) {
      rs_error("Undefined set name");
      ok = false;
    }
  } else {
    entry.set = static_cast<int>(target.number);
    if (!s.lookup->set_exists(entry.set)) {
      rs_error("Improper set number");
      ok = false;
    }
  }
  if (ok && rs_find_set(*s.out, entry.set)) {
    rs_error("Duplicate set specification");
    ok = false;
  }
  if (ok) {
    s.out->push_back(entry);
    current_set = &s.out->back();
  } else {
    scratch_set = entry;
    current_set = &scratch_set;
  }
}

void rs_set_source(const RsRef& source) {
  RsState& s = *rs_state;
  if (source.name) {
    if (!s.options.single_file) {
      rs_error("<from> set number must be specified unless importing from single file");
      return;
    }
    take_name(source.name, current_set->source_name, "Set name too long", "Illegal set name");
    return;
  }
  if (source.number < 1 || source.number > 199) {
    rs_error("Illegal <from> specification");
    return;
  }
  current_set->source = static_cast<int>(source.number);
}

void rs_add_item(const RsRef& target, const RsRange& range, const RsSrc& source) {
  RsState& s = *rs_state;
  RsItem item;
  bool ok = true;
  if (target.name) {
    take_name(target.name, item.name, "Item name too long", "Illegal item name");
    item.item = s.lookup->item_number(item.name);
    if (item.item <= 0) {
      rs_error("Undefined item name");
      ok = false;
    }
  } else {
    item.item = static_cast<int>(target.number);
    if (s.lookup->item_count(item.item) <= 0) {
      rs_error("Improper item number");
      ok = false;
    }
  }
  int count = ok ? s.lookup->item_count(item.item) : 0;
  if (!range_ok(range)) {
    ok = false;
  } else if (range.given) {
    if (count > 0 && range.last > count) {
      rs_error("Index exceeds subitem count");
      ok = false;
    }
    item.first = static_cast<int>(range.first);
    item.last = static_cast<int>(range.last);
  }
  item.kind = source.kind;
  switch (source.kind) {
    case RS_FIELD_NUMBER: {
      // The elements take fields number, number + 1, ...: the last of them
      // must still be a number.
      long elements = range.given ? range.last - range.first + 1 : std::max(count, 1);
      if (source.number < 0 || source.number > INT_MAX - (elements - 1)) {
        rs_error("Improper field number");
        ok = false;
      } else {
        item.field = static_cast<int>(source.number);
      }
      break;
    }
    case RS_FIELD_NAME:
      take_name(source.name, item.field_name, "Item name too long", "Illegal item name");
      if (!range_ok(source.range)) {
        ok = false;
      } else if (source.range.given) {
        item.src_first = static_cast<int>(source.range.first);
        item.src_last = static_cast<int>(source.range.last);
        long target_length = range.given ? range.last - range.first + 1 : count;
        if (ok && source.range.last - source.range.first + 1 != target_length) {
          rs_error("Number of elements does not match");
          ok = false;
        }
      }
      break;
    case RS_CONST_NUMBER: item.number = source.number; break;
    case RS_CONST_TEXT: item.text = source.name; break;
    default: break;
  }
  if (ok) current_set->items.push_back(item);
}

int rs_parse(FILE* in, RsLookup& lookup, const RsOptions& options, std::vector<RsSet>& out, FILE* errors) {
  RsState state;
  state.in = in;
  state.errors = errors;
  state.lookup = &lookup;
  state.options = options;
  state.out = &out;
  out.clear();
  out.reserve(256);
  rs_state = &state;
  current_set = &scratch_set;
  rsdebug = options.trace ? 1 : 0;
  rs_scan_reset();
  rsparse();
  int count = state.errors_count;
  if (count) std::fprintf(errors, "*** %s (%d)\n", "Preceding errors", count);
  std::free(state.raw);
  rs_state = nullptr;
  current_set = nullptr;
  return count;
}

const RsSet* rs_find_set(const std::vector<RsSet>& spec, int set) {
  for (const RsSet& s : spec)
    if (s.set == set) return &s;
  return nullptr;
}
