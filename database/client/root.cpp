// The root cache: decoding and checking the root object of an open database,
// its name hash tables, and the lookups of sets, items and index items.
#include "database/client/root.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "database/client/trace.h"

namespace {

// Reads 32-bit words from the object, each checked against what remains.
struct WordCursor {
  const unsigned char* bytes;
  uint32_t size;
  uint32_t at;
  int big;

  // Room for `count` entries of `words` words each, overflow-checked.
  bool room(uint64_t count, uint64_t words) const {
    uint64_t need = count * words * 4u;
    return count <= 0xffffffffu && need <= static_cast<uint64_t>(size - at);
  }
  bool word(int32_t* out) {
    if (size - at < 4) return false;
    const unsigned char* p = bytes + at;
    uint32_t v = big ? (static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                        static_cast<uint32_t>(p[2]) << 8 | p[3])
                     : (static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
                        static_cast<uint32_t>(p[1]) << 8 | p[0]);
    *out = static_cast<int32_t>(v);
    at += 4;
    return true;
  }
  bool name(char* out, Buffer* map) {
    if (size - at < ROOT_NAME_LEN) return false;
    std::memcpy(out, bytes + at, ROOT_NAME_LEN);
    at += ROOT_NAME_LEN;
    if (map && Buffer_MapRemoteCharset(map, reinterpret_cast<unsigned char*>(out), ROOT_NAME_LEN) != 0) return false;
    return true;
  }
};

// A count word: 0 or more, and room for that many entries.
bool count_fits(const WordCursor& c, int32_t count, uint64_t words) {
  return count >= 0 && c.room(static_cast<uint64_t>(count), words);
}

template <typename T>
T* alloc_table(int32_t n) {
  if (n <= 0) return nullptr;
  return static_cast<T*>(std::calloc(static_cast<size_t>(n), sizeof(T)));
}

int fail(const char* why) {
  debug_printf('P', 0, "idb__load_root(): %s", why);
  IDB_FAIL(S_REMOTE, REMOTE_ROOT);
  return -1;
}

bool item_size_fits(char letter, int32_t size) {
  switch (letter) {
    case 'D':
    case 'S': return size == 4;
    case 'I': return size == 2;
    case 'L': return size == 8;
    case 'B':
    case 'X': return size > 0;
    default: return size >= 0;
  }
}

// The hash of a blank-padded name: the sum of (character AND 0x1F) up to the
// first blank, modulo the table size.
int32_t name_hash(const char* name, int32_t slots) {
  uint32_t sum = 0;
  for (int i = 0; i < ROOT_NAME_LEN && name[i] != ' '; ++i) sum += static_cast<unsigned char>(name[i]) & 0x1Fu;
  return static_cast<int32_t>(sum % static_cast<uint32_t>(slots));
}

// Places each entry at its home slot, or at the next free slot after it
// (wrapping), linked into the chain right after the home slot.
template <typename Entry>
RootHashSlot* build_hash(const Entry* table, int32_t n, bool* failed) {
  if (n <= 0) return nullptr;
  RootHashSlot* slots = alloc_table<RootHashSlot>(n);
  if (!slots) {
    *failed = true;
    return nullptr;
  }
  for (int32_t i = 0; i < n; ++i) slots[i] = {-1, -1};
  for (int32_t e = 0; e < n; ++e) {
    int32_t home = name_hash(table[e].name, n);
    if (slots[home].entry < 0) {
      slots[home].entry = e;
      continue;
    }
    int32_t free_slot = (home + 1) % n;
    while (slots[free_slot].entry >= 0) free_slot = (free_slot + 1) % n;
    slots[free_slot].entry = e;
    slots[free_slot].next = slots[home].next;
    slots[home].next = free_slot;
  }
  return slots;
}

// The name of a lookup as 16 upper-case, blank-padded bytes; false when empty.
bool lookup_name(const char* arg, char* out) {
  std::memset(out, ' ', ROOT_NAME_LEN);
  int n = 0;
  while (n < ROOT_NAME_LEN && arg[n] != '\0' && arg[n] != ' ' && arg[n] != ';') {
    out[n] = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[n])));
    ++n;
  }
  return n > 0;
}

template <typename Entry>
int find_name(const Entry* table, const RootHashSlot* slots, int32_t n, const char* name) {
  if (!name || n <= 0 || !slots) return -1;
  char key[ROOT_NAME_LEN];
  if (!lookup_name(name, key)) return -1;
  for (int32_t s = name_hash(key, n); s >= 0 && s < n; s = slots[s].next) {
    if (slots[s].entry < 0) return -1;
    if (std::memcmp(table[slots[s].entry].name, key, ROOT_NAME_LEN) == 0) return slots[s].entry;
  }
  return -1;
}

int32_t number_of(const void* arg) {
  int32_t v;
  std::memcpy(&v, arg, sizeof v);
  return v;
}

// Whether a lookup argument that is no number in range is a name: names
// begin with a letter. Anything else is a number out of range, and its bytes
// are never read as text (a 4-byte number has no terminator to stop at).
bool names_a_name(const void* arg) {
  unsigned char first = *static_cast<const unsigned char*>(arg);
  return (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
}

int decode_items(WordCursor& c, RootCache* root, Buffer* map) {
  if (!count_fits(c, root->item_count, ROOT_ITEM_WORDS)) return fail("item table does not fit the object");
  root->items = alloc_table<RootItem>(root->item_count);
  if (root->item_count > 0 && !root->items) return fail("out of memory");
  for (int32_t i = 0; i < root->item_count; ++i) {
    RootItem& it = root->items[i];
    c.name(it.name, map);
    c.word(&it.type);
    c.word(&it.count);
    c.word(&it.size);
    c.word(&it.attribute);
    if (it.count < 0 || !item_size_fits(root_letter(it.type), it.size)) return fail("item size does not fit its type");
  }
  return 0;
}

int decode_iitems(WordCursor& c, RootCache* root, Buffer* map) {
  if (!count_fits(c, root->iitem_count, ROOT_IITEM_WORDS)) return fail("index item table does not fit the object");
  root->iitems = alloc_table<RootIItem>(root->iitem_count);
  if (root->iitem_count > 0 && !root->iitems) return fail("out of memory");
  for (int32_t i = 0; i < root->iitem_count; ++i) {
    RootIItem& ii = root->iitems[i];
    c.name(ii.name, map);
    c.word(&ii.word);
    c.word(&ii.part_count);
    if (ii.part_count < 0 || ii.part_count > ROOT_MAX_PARTS) return fail("index item part count out of range");
    for (int p = 0; p < ROOT_MAX_PARTS; ++p) {
      int32_t w[3] = {0, 0, 0};
      c.word(&w[0]);
      c.word(&w[1]);
      c.word(&w[2]);
      if (p >= ii.part_count) continue;
      if (w[0] < 0 || w[0] >= root->item_count || w[1] < 0) return fail("index item part names no item");
      ii.parts[p] = {w[0], w[1]};
    }
  }
  return 0;
}

int decode_set(WordCursor& c, RootCache* root, RootSet& s, Buffer* map) {
  if (!c.room(1, ROOT_SET_HEAD_WORDS)) return fail("set table does not fit the object");
  c.name(s.name, map);
  c.word(&s.type);
  c.word(&s.item_count);
  c.word(&s.path_count);
  c.word(&s.index_count);
  c.word(&s.access);
  if (s.item_count == 0) return fail("set without items");
  if (!count_fits(c, s.item_count, 1)) return fail("set item list does not fit the object");
  s.items = alloc_table<int32_t>(s.item_count);
  s.offsets = alloc_table<int32_t>(s.item_count);
  if (!s.items || !s.offsets) return fail("out of memory");
  s.packable = 1;
  int64_t offset = 0;
  for (int32_t i = 0; i < s.item_count; ++i) {
    c.word(&s.items[i]);
    if (s.items[i] < 0 || s.items[i] >= root->item_count) return fail("set item list names no item");
    const RootItem& it = root->items[s.items[i]];
    if (!root_known_letter(root_letter(it.type))) s.packable = 0;
    s.offsets[i] = static_cast<int32_t>(offset);
    offset += static_cast<int64_t>(it.count) * it.size;
    if (offset > INT32_MAX) return fail("record length out of range");
  }
  s.record_length = static_cast<int32_t>(offset);
  if (!count_fits(c, s.path_count, ROOT_PATH_WORDS)) return fail("set path list does not fit the object");
  s.paths = alloc_table<RootPath>(s.path_count);
  if (s.path_count > 0 && !s.paths) return fail("out of memory");
  for (int32_t p = 0; p < s.path_count; ++p) {
    RootPath& path = s.paths[p];
    c.word(&path.set);
    c.word(&path.word);
    c.word(&path.position);
    if (path.set < 0 || path.set >= root->set_count) return fail("path names no set");
  }
  if (!count_fits(c, s.index_count, ROOT_INDEX_WORDS)) return fail("set index list does not fit the object");
  s.indexes = alloc_table<RootIndex>(s.index_count);
  if (s.index_count > 0 && !s.indexes) return fail("out of memory");
  for (int32_t x = 0; x < s.index_count; ++x) {
    c.word(&s.indexes[x].iitem);
    c.word(&s.indexes[x].collate);
    // Compared in 64 bits: the number comes from the server and may be anything.
    const int64_t k = static_cast<int64_t>(s.indexes[x].iitem) - root->item_count;
    if (k < 0 || k >= root->iitem_count) return fail("index names no index item");
  }
  return 0;
}

// Path positions point into this set's item list (detail) or the related
// set's (master): checked once every set is known.
int check_paths(const RootCache* root) {
  for (int32_t i = 0; i < root->set_count; ++i) {
    const RootSet& s = root->sets[i];
    for (int32_t p = 0; p < s.path_count; ++p) {
      const RootPath& path = s.paths[p];
      const RootSet& owner = root_letter(s.type) == 'D' ? s : root->sets[path.set];
      if (path.position < 0 || path.position >= owner.item_count) return fail("path position out of range");
    }
  }
  return 0;
}

}  // namespace

int root_known_letter(char letter) { return letter != '\0' && std::strchr("BDILSX", letter) != nullptr; }

int idb__decode_root(const unsigned char* bytes, uint32_t size, int byte_order, Buffer* buffer, RootCache* root) {
  std::memset(root, 0, sizeof *root);
  WordCursor c{bytes, size, 0, byte_order == BYTE_ORDER_BE};
  if (!c.room(1, ROOT_HEADER_WORDS)) return fail("object shorter than its header");
  c.word(&root->version);
  c.word(&root->item_count);
  c.word(&root->iitem_count);
  c.word(&root->set_count);
  int rc = 0;
  if (root->version < ROOT_VERSION_MIN || root->version > ROOT_VERSION_MAX) {
    debug_printf('P', 0, "idb__load_root(): root version %x", root->version);
    rc = fail("unsupported root version");
  }
  if (rc == 0) rc = decode_items(c, root, buffer);
  if (rc == 0) rc = decode_iitems(c, root, buffer);
  if (rc == 0) {
    // Each set takes at least its head and one item.
    if (!count_fits(c, root->set_count, ROOT_SET_HEAD_WORDS + 1)) {
      rc = fail("set table does not fit the object");
    } else {
      root->sets = alloc_table<RootSet>(root->set_count);
      if (root->set_count > 0 && !root->sets) rc = fail("out of memory");
    }
  }
  for (int32_t i = 0; rc == 0 && i < root->set_count; ++i) rc = decode_set(c, root, root->sets[i], buffer);
  if (rc == 0) rc = check_paths(root);
  if (rc == 0) {
    bool failed = false;
    root->item_hash = build_hash(root->items, root->item_count, &failed);
    root->iitem_hash = build_hash(root->iitems, root->iitem_count, &failed);
    root->set_hash = build_hash(root->sets, root->set_count, &failed);
    if (failed) rc = fail("out of memory");
  }
  if (rc != 0) idb__free_root(root);
  return rc;
}

int idb__load_root(Buffer* buffer, RootCache* root, const char* name) {
  std::memset(root, 0, sizeof *root);
  const unsigned char* bytes = nullptr;
  uint32_t size = 0;
  if (Buffer_Get_align(buffer, 4) != 0 || Buffer_Get_obj(buffer, &bytes, &size) != 0)
    return fail("no root object in the reply");
  int rc = idb__decode_root(bytes, size, buffer->remote_byte_order, buffer, root);
  if (rc == 0)
    debug_printf('P', 3, "root of %s: version %x, %d items, %d index items, %d sets", name ? name : "", root->version,
                 root->item_count, root->iitem_count, root->set_count);
  return rc;
}

void idb__free_root(RootCache* root) {
  if (!root) return;
  for (int32_t i = 0; root->sets && i < root->set_count; ++i) {
    std::free(root->sets[i].items);
    std::free(root->sets[i].paths);
    std::free(root->sets[i].indexes);
    std::free(root->sets[i].offsets);
  }
  std::free(root->items);
  std::free(root->iitems);
  std::free(root->sets);
  std::free(root->item_hash);
  std::free(root->iitem_hash);
  std::free(root->set_hash);
  std::memset(root, 0, sizeof *root);
}

int idb__find_set_name(const RootCache* root, const char* name) {
  return find_name(root->sets, root->set_hash, root->set_count, name);
}

int idb__find_item_name(const RootCache* root, const char* name) {
  return find_name(root->items, root->item_hash, root->item_count, name);
}

int idb__find_iitem_name(const RootCache* root, const char* name) {
  if (root->iitem_count <= 0) return -1;
  int k = find_name(root->iitems, root->iitem_hash, root->iitem_count, name);
  return k < 0 ? -1 : k + root->item_count;
}

int idb__find_set(const RootCache* root, const void* arg) {
  IDB_ASSERT(root != nullptr && arg != nullptr);
  int32_t n = number_of(arg);
  if (n >= 1 && n <= root->set_count) return n - 1;
  return names_a_name(arg) ? idb__find_set_name(root, static_cast<const char*>(arg)) : -1;
}

int idb__find_item(const RootCache* root, const void* arg) {
  IDB_ASSERT(root != nullptr && arg != nullptr);
  int32_t n = number_of(arg);
  if (n >= 1 && n <= root->item_count) return n - 1;
  return names_a_name(arg) ? idb__find_item_name(root, static_cast<const char*>(arg)) : -1;
}

int idb__find_iitem(const RootCache* root, const void* arg) {
  IDB_ASSERT(root != nullptr && arg != nullptr);
  int32_t n = number_of(arg);
  if (root->iitem_count > 0 && n > root->item_count && n - root->item_count <= root->iitem_count) return n - 1;
  return names_a_name(arg) ? idb__find_iitem_name(root, static_cast<const char*>(arg)) : -1;
}

int idb__set_access(const RootCache* root, int set) {
  IDB_ASSERT(root != nullptr && set >= 0 && set < root->set_count);
  int32_t flags = root->sets[set].access;
  if (flags & ROOT_ACCESS_WRITE) return -1;
  if (flags & ROOT_ACCESS_READ) return 1;
  return 0;
}
