// Segments of a program in memory: the list, the lines of a segment's code
// with their index, the symbol table with its index, and the accessors that
// turn stored symbols back into text.
#include "language/progseg.h"

#include "language/decimal.h"
#include "language/internal_check.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

namespace {

#define PROGSEG_ASSERT(cond) INTERNAL_CHECK("progseg", cond)

void check_magic(const ProgSegment* seg) {
  PROGSEG_ASSERT(seg != nullptr);
  if (seg->magic != SEGMENT_MAGIC) internal_check_failed("progseg", "seg->magic == SEGMENT_MAGIC", __LINE__);
}

// ---- line index ---------------------------------------------------------

// Rebuilds the line index when the code changed size behind our back. Lines
// are walked by their word counts; a malformed count (below 2, or running
// past the end) ends the index there.
void ensure_line_index(ProgSegment* seg) {
  if (seg->line_index_size == seg->code.size()) return;
  seg->line_index.clear();
  size_t pos = 0;
  const size_t size = seg->code.size();
  while (pos + 2 <= size) {
    size_t len = seg->code[pos + 1] & CW_LINE_WORDS_MASK;
    if (len < 2 || pos + len > size) break;
    seg->line_index.push_back(static_cast<uint32_t>(pos));
    pos += len;
  }
  seg->line_index_size = size;
}

int line_number_at(const ProgSegment* seg, uint32_t offset) {
  return static_cast<int>(seg->code[offset] & CW_LINE_NUMBER_MASK);
}

// ---- symbol index -------------------------------------------------------

// The lookup key of a symbol: a group letter for the classes that match each
// other, the sub-type or the scalar/array distinction, then the data bytes.
bool key_append_word(ProgSymbolKey* key, uint16_t w) {
  return key->push_back(static_cast<char>(w >> 8)) && key->push_back(static_cast<char>(w & 0xFF));
}

char class_group(int cls) {
  if (cls == SYM_CLASS_CONST) return 'K';
  if (cls == SYM_CLASS_LINE) return 'L';
  if (sym_class_is_numeric(cls)) return 'N';
  if (cls == SYM_CLASS_STRING) return 'S';
  if (cls == SYM_CLASS_STRUCT) return 'T';
  return 0;
}

// Key of the table entry at offset off; false for an entry that never
// matches a lookup (unknown class, too short for its data).
bool entry_key(const uint16_t* words, size_t size, size_t off, ProgSymbolKey* key) {
  uint16_t type = words[off + 1];
  int cls = sym_type_class(type);
  int sub = sym_type_subtype(type);
  size_t len = static_cast<size_t>(sym_type_length(type));
  if (len < 2 || off + len > size) return false;
  char group = class_group(cls);
  if (group == 0) return false;
  key->clear();
  key->push_back(group);
  if (cls == SYM_CLASS_CONST) {
    if (len < 6) return false;
    for (size_t i = 0; i < 4; ++i) key_append_word(key, words[off + 2 + i]);
    return true;
  }
  if (cls == SYM_CLASS_LINE) {
    key->push_back(static_cast<char>('0' + sub));
    if (sub == SYM_SUB_LINE) {
      if (len < 3) return false;
      return key_append_word(key, words[off + 2]);
    }
  } else {
    key->push_back(sub == 0 ? 's' : 'a');
  }
  // A name longer than any lookup's leaves the key's room: it never matches.
  if (!key->push_back(static_cast<char>('0' + (len - 2)))) return false;
  for (size_t i = 2; i < len; ++i)
    if (!key_append_word(key, words[off + i])) return false;
  return true;
}

void name_words(const char* name, int len, uint16_t* out) {
  for (int i = 0; i < len; i += 2) {
    uint16_t hi = static_cast<uint8_t>(name[i]);
    uint16_t lo = i + 1 < len ? static_cast<uint8_t>(name[i + 1]) : 0;
    out[i / 2] = static_cast<uint16_t>(hi << 8 | lo);
  }
}

// Key of a lookup; false for a symbol that no entry can match. The key is
// written in place: every form fits its room.
bool ref_key(const ProgSymbolRef& sym, ProgSymbolKey* key) {
  const char group = class_group(sym.cls);
  if (group == 0) return false;
  key->clear();
  char* out = key->bytes;
  *out++ = group;
  if (sym.cls == SYM_CLASS_CONST) {
    if (sym.packed == nullptr) return false;
    static_assert(1 + PROG_PACKED_SIZE <= ProgSymbolKey::kCapacity, "a constant's key fits its room");
    std::memcpy(out, sym.packed, PROG_PACKED_SIZE);
    key->size = 1 + PROG_PACKED_SIZE;
    return true;
  }
  if (sym.cls == SYM_CLASS_LINE) {
    *out++ = static_cast<char>('0' + (sym.subtype & 7));
    if (sym.subtype == SYM_SUB_LINE) {
      const uint16_t word = static_cast<uint16_t>(sym.lineno);
      *out++ = static_cast<char>(word >> 8);
      *out++ = static_cast<char>(word & 0xFF);
      key->size = 4;
      return true;
    }
  } else {
    *out++ = sym.subtype == 0 ? 's' : 'a';
  }
  if (sym.name_len < 0 || sym.name_len > MAX_SYMBOL_NAME) return false;
  // The name's words high byte first: its characters, then a NUL when their
  // count is odd.
  const int n = sym_name_words(sym.name_len);
  *out++ = static_cast<char>('0' + n);
  static_assert(3 + 2 * ((MAX_SYMBOL_NAME + 1) / 2) <= ProgSymbolKey::kCapacity, "a name's key fits its room");
  std::memcpy(out, sym.name, static_cast<size_t>(sym.name_len));
  out += sym.name_len;
  if (sym.name_len % 2 != 0) *out++ = '\0';
  key->size = static_cast<uint8_t>(out - key->bytes);
  return true;
}

void ensure_symbol_index(ProgSegment* seg) {
  const size_t size = seg->symbols.size();
  if (seg->symbol_index_size > size) {
    seg->symbol_index.clear();
    seg->symbol_index_size = 0;
  }
  size_t off = seg->symbol_index_size;
  ProgSymbolKey key;
  while (off + 2 <= size) {
    size_t len = sym_type_length(seg->symbols[off + 1]);
    if (len < 2 || off + len > size) break;
    if (entry_key(seg->symbols.data(), size, off, &key)) seg->symbol_index.add(key, static_cast<uint32_t>(off));
    off += len;
  }
  seg->symbol_index_size = off;
}

// The texts one after the other in buf, cut to its size as snprintf cuts.
void put_text(char* buf, size_t size, std::initializer_list<const char*> texts) {
  size_t n = 0;
  for (const char* t : texts)
    for (; *t != '\0' && n + 1 < size; ++t) buf[n++] = *t;
  buf[n] = '\0';
}

char g_segname[64];
dec_number g_unpacked;

}  // namespace

// ---- symbol index -------------------------------------------------------

size_t ProgSymbolIndex::slot_of(const ProgSymbolKey& key, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  const auto tag = static_cast<uint32_t>(hash >> 32);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.place == 0 || (slot.tag == tag && keys_[slot.place - 1].key == key)) return i;
  }
}

void ProgSymbolIndex::add(const ProgSymbolKey& key, uint32_t offset) {
  if (2 * (keys_.size() + 1) > slots_.size()) {
    slots_.assign(slots_.size() < 16 ? 32 : 2 * slots_.size(), Slot{});
    for (size_t k = 0; k < keys_.size(); ++k) {
      const uint64_t hash = ProgSymbolKeyHash{}(keys_[k].key);
      slots_[slot_of(keys_[k].key, hash)] = Slot{static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(k + 1)};
    }
  }
  const uint64_t hash = ProgSymbolKeyHash{}(key);
  Slot& slot = slots_[slot_of(key, hash)];
  if (slot.place != 0) return;
  keys_.push_back(Key{key, offset});
  slot = Slot{static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(keys_.size())};
}

long ProgSymbolIndex::find(const ProgSymbolKey& key) const {
  if (slots_.empty()) return -1;
  const Slot& slot = slots_[slot_of(key, ProgSymbolKeyHash{}(key))];
  return slot.place == 0 ? -1 : static_cast<long>(keys_[slot.place - 1].offset);
}

// ---- the list -----------------------------------------------------------

ProgSegment* progseg_new(ProgList* prog) {
  PROGSEG_ASSERT(prog != nullptr);
  ProgSegment* seg = new (std::nothrow) ProgSegment();
  if (seg == nullptr) return nullptr;
  seg->magic = SEGMENT_MAGIC;
  if (prog->root == nullptr) {
    prog->root = seg;
  } else {
    ProgSegment* last = prog->last;
    if (last == nullptr) {
      last = prog->root;
      while (last->next != nullptr) last = last->next;
    }
    last->next = seg;
  }
  prog->last = seg;
  return seg;
}

int progseg_free(ProgList* prog, ProgSegment* seg) {
  PROGSEG_ASSERT(prog != nullptr);
  PROGSEG_ASSERT(seg != nullptr);
  ProgSegment* prev = nullptr;
  ProgSegment* cur = prog->root;
  while (cur != nullptr && cur != seg) {
    prev = cur;
    cur = cur->next;
  }
  if (cur == nullptr) return PROGSEG_NOT_FOUND;
  if (prev == nullptr)
    prog->root = seg->next;
  else
    prev->next = seg->next;
  if (prog->last == seg) prog->last = prev;
  seg->magic = 0;
  delete seg;
  return PROGSEG_OK;
}

void progseg_free_all(ProgList* prog) {
  PROGSEG_ASSERT(prog != nullptr);
  ProgSegment* seg = prog->root;
  ProgSegment* root = seg;
  if (seg != nullptr) seg = seg->next;
  while (seg != nullptr) {
    ProgSegment* next = seg->next;
    seg->magic = 0;
    delete seg;
    seg = next;
  }
  if (root != nullptr) {
    root->magic = 0;
    delete root;
  }
  prog->root = nullptr;
  prog->last = nullptr;
}

bool progseg_reset(ProgList* prog) {
  progseg_free_all(prog);
  return progseg_new(prog) != nullptr;
}

int progseg_walk(ProgList* prog, int (*cb)(void* user, ProgSegment* seg), void* user) {
  PROGSEG_ASSERT(prog != nullptr && cb != nullptr);
  for (ProgSegment* seg = prog->root; seg != nullptr; seg = seg->next) {
    seg->magic = SEGMENT_MAGIC;
    int rc = cb(user, seg);
    if (rc != 0) return rc;
  }
  return 0;
}

int progseg_walk_lines(ProgSegment* seg, int (*cb)(void* user, ProgSegment* seg, const uint16_t* line), void* user) {
  check_magic(seg);
  ensure_line_index(seg);
  for (size_t i = 0; i < seg->line_index.size(); ++i) {
    int rc = cb(user, seg, seg->code.data() + seg->line_index[i]);
    if (rc != 0) return rc;
  }
  return 0;
}

size_t progseg_count(const ProgList* prog) {
  size_t n = 0;
  for (const ProgSegment* seg = prog->root; seg != nullptr; seg = seg->next) ++n;
  return n;
}

// ---- lines --------------------------------------------------------------

size_t progseg_line_count(ProgSegment* seg) {
  check_magic(seg);
  ensure_line_index(seg);
  return seg->line_index.size();
}

uint32_t progseg_line_offset(ProgSegment* seg, size_t i) {
  check_magic(seg);
  ensure_line_index(seg);
  PROGSEG_ASSERT(i < seg->line_index.size());
  return seg->line_index[i];
}

bool progseg_is_line_start(ProgSegment* seg, uint32_t offset) {
  check_magic(seg);
  ensure_line_index(seg);
  return std::binary_search(seg->line_index.begin(), seg->line_index.end(), offset);
}

int progseg_first_line(ProgSegment* seg) {
  check_magic(seg);
  ensure_line_index(seg);
  return seg->line_index.empty() ? -1 : line_number_at(seg, seg->line_index.front());
}

int progseg_last_line(ProgSegment* seg) {
  check_magic(seg);
  ensure_line_index(seg);
  return seg->line_index.empty() ? -1 : line_number_at(seg, seg->line_index.back());
}

uint32_t progseg_lower_bound(ProgSegment* seg, int lineno, bool* exact) {
  check_magic(seg);
  ensure_line_index(seg);
  const auto& idx = seg->line_index;
  auto it = std::lower_bound(idx.begin(), idx.end(), lineno,
                             [seg](uint32_t off, int n) { return line_number_at(seg, off) < n; });
  if (it == idx.end()) {
    if (exact != nullptr) *exact = false;
    return static_cast<uint32_t>(seg->code.size());
  }
  if (exact != nullptr) *exact = line_number_at(seg, *it) == lineno;
  return *it;
}

bool progseg_find_line(ProgList* prog, int lineno, bool exact_only, ProgSegment** out_seg, uint32_t* out_pos) {
  PROGSEG_ASSERT(prog != nullptr && prog->root != nullptr);
  PROGSEG_ASSERT(lineno >= 0);
  // Appending is the common case: a number above the last segment's last
  // line is above every line, and goes to the end without a walk.
  if (prog->last != nullptr) {
    check_magic(prog->last);
    int last_line = progseg_last_line(prog->last);
    if (last_line >= 0 && last_line < lineno) {
      *out_seg = prog->last;
      *out_pos = static_cast<uint32_t>(prog->last->code.size());
      return false;
    }
  }
  ProgSegment* prev = nullptr;
  for (ProgSegment* seg = prog->root; seg != nullptr; prev = seg, seg = seg->next) {
    check_magic(seg);
    int last = progseg_last_line(seg);
    if (last < lineno) continue;  // no line here at or above the number
    bool exact = false;
    uint32_t pos = progseg_lower_bound(seg, lineno, &exact);
    if (!exact_only && !exact && prev != nullptr && pos == 0) {
      // A new line between two segments joins the earlier one.
      *out_seg = prev;
      *out_pos = static_cast<uint32_t>(prev->code.size());
      return false;
    }
    *out_seg = seg;
    *out_pos = pos;
    return exact;
  }
  ProgSegment* last = prog->last != nullptr ? prog->last : prev;
  *out_seg = last;
  *out_pos = static_cast<uint32_t>(last->code.size());
  return false;
}

int progseg_insert_line(ProgSegment* seg, uint32_t offset, const uint16_t* words, size_t count) {
  check_magic(seg);
  if (offset > seg->code.size()) return PROGSEG_BAD_ARGUMENT;
  if (count < 2 || words == nullptr || (words[1] & CW_LINE_WORDS_MASK) != count) return PROGSEG_BAD_ARGUMENT;
  if (seg->code.size() + count > PROGSEG_MAX_WORDS) return PROGSEG_CODE_FULL;
  ensure_line_index(seg);
  try {
    seg->code.insert(seg->code.begin() + offset, words, words + count);
  } catch (const std::bad_alloc&) {
    return PROGSEG_NO_MEMORY;
  }
  // Keep the index in step: a line at a line boundary shifts the lines
  // after it (a line at the end, the usual case, is added without a
  // search); anywhere else the index is rebuilt on next use.
  auto& idx = seg->line_index;
  auto it = offset == seg->line_index_size ? idx.end() : std::lower_bound(idx.begin(), idx.end(), offset);
  bool boundary =
      (it != idx.end() && *it == offset) ||
      (it == idx.end() && seg->line_index_size + count == seg->code.size() && offset == seg->line_index_size);
  if (!boundary) {
    seg->line_index_size = SIZE_MAX;
    return PROGSEG_OK;
  }
  try {
    it = idx.insert(it, offset);
  } catch (const std::bad_alloc&) {
    seg->line_index_size = SIZE_MAX;
    return PROGSEG_OK;
  }
  for (++it; it != idx.end(); ++it) *it += static_cast<uint32_t>(count);
  seg->line_index_size = seg->code.size();
  return PROGSEG_OK;
}

int progseg_add_symbols(ProgSegment* seg, const uint16_t* words, size_t count) {
  check_magic(seg);
  if (count == 0) return PROGSEG_OK;
  if (seg->symbols.size() + count > PROGSEG_MAX_WORDS) return PROGSEG_SYMBOLS_FULL;
  try {
    seg->symbols.insert(seg->symbols.end(), words, words + count);
  } catch (const std::bad_alloc&) {
    return PROGSEG_NO_MEMORY;
  }
  return PROGSEG_OK;
}

void progseg_truncate_symbols(ProgSegment* seg, size_t size) {
  check_magic(seg);
  if (size >= seg->symbols.size()) return;
  seg->symbols.resize(size);
  seg->symbol_index.clear();
  seg->symbol_index_size = 0;
}

void progseg_release_spare(ProgSegment* seg) {
  check_magic(seg);
  seg->code.shrink_to_fit();
  seg->symbols.shrink_to_fit();
  seg->line_index.shrink_to_fit();
  seg->symbol_index.clear();
  seg->symbol_index_size = 0;
}

void progseg_reindex(ProgSegment* seg) {
  check_magic(seg);
  seg->line_index_size = SIZE_MAX;
  seg->symbol_index.clear();
  seg->symbol_index_size = 0;
}

// ---- symbols ------------------------------------------------------------

bool prog_symbol_entry(const ProgSymbolRef& sym, std::vector<uint16_t>* out) {
  switch (sym.cls) {
    case SYM_CLASS_CONST: {
      if (sym.packed == nullptr) return false;
      out->push_back(0);
      out->push_back(CW_SYM_CONSTANT);
      for (int i = 0; i < PROG_PACKED_SIZE; i += 2)
        out->push_back(static_cast<uint16_t>(sym.packed[i] << 8 | sym.packed[i + 1]));
      return true;
    }
    case SYM_CLASS_LINE:
      if (sym.subtype == SYM_SUB_LINE) {
        if (sym.lineno < 0 || sym.lineno > static_cast<int>(CW_LINE_NUMBER_MASK)) return false;
        out->push_back(CW_SYM_UNPLACED);
        out->push_back(CW_SYM_LINE_REF);
        out->push_back(static_cast<uint16_t>(sym.lineno));
        return true;
      }
      if (sym.subtype != SYM_SUB_LABEL && sym.subtype != SYM_SUB_FN && sym.subtype != SYM_SUB_FN_STR &&
          sym.subtype != SYM_SUB_SUB)
        return false;
      break;
    case SYM_CLASS_STRING:
    case SYM_CLASS_NUMERIC:
      if (sym.subtype < 0 || sym.subtype > 6) return false;
      break;
    case SYM_CLASS_STRUCT:
      if (sym.subtype < 0 || sym.subtype > 7) return false;
      break;
    default: return false;
  }
  if (sym.name == nullptr || sym.name_len < 0 || sym.name_len > MAX_SYMBOL_NAME) return false;
  int n = sym_name_words(sym.name_len);
  out->push_back(sym.cls == SYM_CLASS_LINE ? CW_SYM_UNPLACED : 0);
  out->push_back(static_cast<uint16_t>(sym.cls << 12 | sym.subtype << 9 | (n + 2)));
  uint16_t words[8];
  name_words(sym.name, sym.name_len, words);
  out->insert(out->end(), words, words + n);
  return true;
}

long progseg_find_symbol(ProgSegment* seg, const ProgSymbolRef& sym) {
  check_magic(seg);
  ProgSymbolKey key;
  if (!ref_key(sym, &key)) return -1;
  return progseg_find_key(seg, key);
}

bool prog_symbol_key(const ProgSymbolRef& sym, ProgSymbolKey* key) { return ref_key(sym, key); }

long progseg_find_key(ProgSegment* seg, const ProgSymbolKey& key) {
  check_magic(seg);
  ensure_symbol_index(seg);
  return seg->symbol_index.find(key);
}

long prog_find_symbol_words(const uint16_t* words, size_t size, const ProgSymbolRef& sym) {
  ProgSymbolKey want;
  if (!ref_key(sym, &want)) return -1;
  ProgSymbolKey key;
  size_t off = 0;
  while (off + 2 <= size) {
    size_t len = sym_type_length(words[off + 1]);
    if (len < 2 || off + len > size) break;
    if (entry_key(words, size, off, &key) && key == want) return static_cast<long>(off);
    off += len;
  }
  return -1;
}

// ---- accessors ----------------------------------------------------------

dec_number* prog_unpack_number(const uint8_t* packed, dec_number* num) {
  PROGSEG_ASSERT(packed != nullptr);
  if (num == nullptr) num = &g_unpacked;
  // A NULL or malformed constant (only a damaged file holds one) reads as
  // zero rather than stopping the process.
  (void)math_unpack(packed, PROG_PACKED_SIZE, num);
  return num;
}

void prog_pack_number(const dec_number* num, uint8_t* packed) {
  PROGSEG_ASSERT(num != nullptr && packed != nullptr);
  math_pack(num, packed, PROG_PACKED_SIZE);
}

void prog_number_text(const uint16_t* entry, char* buf, size_t size) {
  PROGSEG_ASSERT(entry != nullptr && buf != nullptr && size > 0);
  uint8_t packed[PROG_PACKED_SIZE];
  for (int i = 0; i < 4; ++i) {
    packed[2 * i] = static_cast<uint8_t>(entry[2 + i] >> 8);
    packed[2 * i + 1] = static_cast<uint8_t>(entry[2 + i] & 0xFF);
  }
  dec_number num;
  prog_unpack_number(packed, &num);
  if (dec_is_null(&num) || dec_is_zero(&num)) {
    put_text(buf, size, {"0"});
    return;
  }
  int decpt = 0, sign = 0;
  dec_digits dig;
  const char* d = math_ecvt(&num, 12, &decpt, &sign, &dig);
  int e = decpt - 1;  // the power of ten of the first digit
  int z = 11;         // the last non-zero digit
  while (z > 0 && d[z] == '0') --z;
  char out[48];
  int n = 0;
  if (sign) out[n++] = '-';
  bool fixed = e >= -12 && e <= 11 && ((e >= 0 && e - z <= 5) || (e < 0 && -e <= 5 && -e + z <= 12));
  if (fixed && e >= 0) {
    for (int i = 0; i <= e; ++i) out[n++] = i <= z ? d[i] : '0';
    if (z > e) {
      out[n++] = '.';
      for (int i = e + 1; i <= z; ++i) out[n++] = d[i];
    }
  } else if (fixed) {
    out[n++] = '0';
    out[n++] = '.';
    for (int i = 0; i < -e - 1; ++i) out[n++] = '0';
    for (int i = 0; i <= z; ++i) out[n++] = d[i];
  } else {
    out[n++] = d[0];
    if (z > 0) {
      out[n++] = '.';
      for (int i = 1; i <= z; ++i) out[n++] = d[i];
    }
    out[n++] = 'E';
    n = static_cast<int>(std::to_chars(out + n, out + sizeof out - 1, e).ptr - out);
  }
  out[n] = '\0';
  put_text(buf, size, {out});
}

void prog_symbol_name(char* buf, const uint16_t* words, int nwords) {
  int bytes = 2 * nwords;
  PROGSEG_ASSERT(bytes >= 0 && bytes <= MAX_SYMBOL_NAME + 1);
  int n = 0;
  for (int i = 0; i < nwords; ++i) {
    buf[n++] = static_cast<char>(words[i] >> 8);
    buf[n++] = static_cast<char>(words[i] & 0xFF);
  }
  buf[n] = '\0';
}

int prog_symbol_text(ProgSegment* seg, uint32_t id, char* buf, size_t size) {
  check_magic(seg);
  PROGSEG_ASSERT(is_symtab_id(id));
  PROGSEG_ASSERT(buf != nullptr && size > 0);
  buf[0] = '\0';
  size_t off = id & CW_OFFSET_MASK;
  const auto& sym = seg->symbols;
  if (off + 2 > sym.size()) return -1;
  uint16_t type = sym[off + 1];
  int cls = sym_type_class(type);
  int sub = sym_type_subtype(type);
  int len = sym_type_length(type);
  if (len < 2 || off + static_cast<size_t>(len) > sym.size()) return -1;
  char name[2 * 8 + 2];
  int nwords = std::min(len - 2, 8);
  if (cls == SYM_CLASS_CONST) {
    if (len < 6) return -1;
    prog_number_text(&sym[off], buf, size);
    return 0;
  }
  if (cls == SYM_CLASS_LINE && sub == SYM_SUB_LINE) {
    if (len < 3) return -1;
    char digits[8];
    const auto end = std::to_chars(digits, digits + sizeof digits - 1, sym[off + 2]).ptr;
    *end = '\0';
    put_text(buf, size, {digits});
    return 0;
  }
  prog_symbol_name(name, &sym[off + 2], nwords);
  switch (cls) {
    case SYM_CLASS_LINE: put_text(buf, size, {name, sub == SYM_SUB_FN_STR ? "$" : ""}); return 0;
    case SYM_CLASS_STRING: put_text(buf, size, {name, "$"}); return sub != 0 ? 1 : 0;
    case SYM_CLASS_NUM_D:
    case SYM_CLASS_NUMERIC:
    case SYM_CLASS_NUM_S:
    case SYM_CLASS_NUM_I: put_text(buf, size, {name}); return sub != 0 ? 1 : 0;
    case SYM_CLASS_STRUCT: put_text(buf, size, {name}); return 1;
    default: return -1;
  }
}

void segname_text(const ProgList* prog, ProgSegment* seg, char* buf, size_t size) {
  check_magic(seg);
  if (seg == prog->root) {
    std::snprintf(buf, size, "main");
    return;
  }
  std::snprintf(buf, size, "?");
  const auto& code = seg->code;
  if (code.size() < 4) return;
  size_t stmt = 2;
  if (is_symtab_id(code[2])) stmt = 3;
  if (stmt < code.size() && code[stmt] == CW_STMT_PREFIX) ++stmt;
  size_t idpos = stmt + 1;
  size_t linelen = code[1] & CW_LINE_WORDS_MASK;
  if (idpos >= code.size() || idpos >= linelen) return;
  uint16_t id = code[idpos];
  if (!is_symtab_id(id)) return;
  size_t off = id & CW_OFFSET_MASK;
  const auto& sym = seg->symbols;
  if (off + 2 > sym.size()) return;
  uint16_t type = sym[off + 1];
  int len = sym_type_length(type);
  if (sym_type_class(type) != SYM_CLASS_LINE || len < 2 || off + static_cast<size_t>(len) > sym.size()) return;
  const char* prefix;
  switch (sym_type_subtype(type)) {
    case SYM_SUB_FN: prefix = "FN  "; break;
    case SYM_SUB_FN_STR: prefix = "FN$ "; break;
    case SYM_SUB_SUB: prefix = "SUB "; break;
    default: return;
  }
  char name[2 * 8 + 2];
  prog_symbol_name(name, &sym[off + 2], std::min(len - 2, 8));
  std::snprintf(buf, size, "%s%s", prefix, name);
  return;
}

const char* segname(const ProgList* prog, ProgSegment* seg) {
  segname_text(prog, seg, g_segname, sizeof g_segname);
  return g_segname;
}
