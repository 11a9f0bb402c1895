// Open databases and their root cache: the structure of a database (items,
// index items, sets with their item lists, paths and indexes) as the server
// sends it at open, decoded and checked once, with name hash tables for the
// lookups every record call makes.
//
// Contract:
// - A RootCache is built only by idb__load_root, which checks the whole
//   object before anything is kept: every count against the bytes that
//   remain (overflow-checked), every item index, index-item number, part
//   count, related set and path position against its table, the sizes of the
//   six item letters and the record length sums. A root that does not add up
//   leaves no cache behind (S_REMOTE -7).
// - Tables are 0-based; the numbers callers see are 1-based. Index items are
//   numbered after the items: index item k (0-based) has the number
//   item_count + k + 1, and an index entry of a set holds item_count + k.
// - A hash table of n entries has n slots; a table of 0 entries has none and
//   every lookup in it fails without touching a slot.
// - An item whose type letter is not one of B, D, I, L, S, X is kept for the
//   reports; a set holding one has `packable` 0, and record calls on it must
//   fail with -21 (they cannot pack or unpack its entries).
#pragma once

#include <cstdint>

#include "database/client/client.h"

enum {
  ROOT_NAME_LEN = 16,
  ROOT_MAX_PARTS = 8,
  ROOT_VERSION_MIN = 0x500,
  ROOT_VERSION_MAX = 0x6FF,
  // Words of one entry in the object.
  ROOT_HEADER_WORDS = 4,
  ROOT_ITEM_WORDS = 8,
  ROOT_IITEM_WORDS = 30,
  ROOT_SET_HEAD_WORDS = 9,
  ROOT_PATH_WORDS = 3,
  ROOT_INDEX_WORDS = 2,
};

// Access flags of a set.
enum { ROOT_ACCESS_READ = 0x1, ROOT_ACCESS_WRITE = 0x2 };

struct RootItem {
  char name[ROOT_NAME_LEN];  // blank-padded
  int32_t type;              // low byte: the type letter
  int32_t count;             // elements
  int32_t size;              // bytes per element
  int32_t attribute;         // format letter in the high byte, format number in the low 16 bits
};

struct RootPart {
  int32_t item;    // item index
  int32_t length;  // bytes of the item the part covers
};

struct RootIItem {
  char name[ROOT_NAME_LEN];
  int32_t word;
  int32_t part_count;  // 0 to ROOT_MAX_PARTS
  RootPart parts[ROOT_MAX_PARTS];
};

struct RootPath {
  int32_t set;       // related set index
  int32_t word;      // the server's second path word
  int32_t position;  // position of the search item: in this set's item list
                     // for a detail set, in the related set's for a master
};

struct RootIndex {
  int32_t iitem;    // item_count + index-item index
  int32_t collate;  // collating sequence id, 0 for none
};

struct RootSet {
  char name[ROOT_NAME_LEN];
  int32_t type;  // low byte: 'A' automatic master, 'D' detail, else manual master
  int32_t item_count;
  int32_t path_count;
  int32_t index_count;
  int32_t access;      // ROOT_ACCESS_ bits
  int32_t* items;      // item_count item indexes
  RootPath* paths;     // path_count
  RootIndex* indexes;  // index_count
  int32_t* offsets;    // item_count offsets within the record
  int32_t record_length;
  int packable;  // 1 when every item has one of the six known letters
};

// One slot of a name hash table: a table entry (-1: empty) and the next slot
// of its chain (-1: end).
struct RootHashSlot {
  int32_t entry;
  int32_t next;
};

struct RootCache {
  int32_t version;
  int32_t item_count;
  int32_t iitem_count;
  int32_t set_count;
  RootItem* items;
  RootIItem* iitems;
  RootSet* sets;
  RootHashSlot* item_hash;   // item_count slots
  RootHashSlot* iitem_hash;  // iitem_count slots
  RootHashSlot* set_hash;    // set_count slots
};

// One open database; the list of the process holds the newest first.
struct DbContext {
  DbContext* next;
  DbContext* prev;
  ClientContext* client;
  RootCache* root;      // null until the open succeeded
  ServerEntry* server;  // held with one reference
  int dbid;             // the client's id, a running count from 1
  int remote_dbid;      // the server's id, -1 until the open succeeded
  int open_mode;        // 1, 3, 8, 9 or 13
};

// The type letter of an item or a set.
inline char root_letter(int32_t type) { return static_cast<char>(type & 0xff); }
// 1 for the letters record calls can pack (B, D, I, L, S, X).
int root_known_letter(char letter);

// Reads the root object after the reply's status block: aligns to 4, reads
// the object and checks it whole. 0, or non-zero with S_REMOTE -7 set and
// `root` left empty. `name` names the database in trace lines.
int idb__load_root(Buffer* buffer, RootCache* root, const char* name);
// Decodes a root object already taken from a message (words in `byte_order`,
// names mapped through `buffer` when not null); the same checks and results.
int idb__decode_root(const unsigned char* bytes, uint32_t size, int byte_order, Buffer* buffer, RootCache* root);
// Frees the tables of a root; the structure itself stays (zeroed).
void idb__free_root(RootCache* root);
// The root of an open database of the current client, or null.
RootCache* idb__get_root(int dbid);

// Lookups. `arg` points at a 32-bit number or at a name and must have at
// least 4 readable bytes (callers copy short names into a larger buffer).
// A number in range is taken as such; an argument whose first byte is a
// letter as a name that ends at the first NUL, blank or ';' within 16
// characters, compared without case; anything else is a number out of range
// (-1), whose bytes are never read as a name.
int idb__find_set(const RootCache* root, const void* arg);    // set index or -1
int idb__find_item(const RootCache* root, const void* arg);   // item index or -1
int idb__find_iitem(const RootCache* root, const void* arg);  // item_count + index-item index, or -1
int idb__find_set_name(const RootCache* root, const char* name);
int idb__find_item_name(const RootCache* root, const char* name);
int idb__find_iitem_name(const RootCache* root, const char* name);
// -1 write access, 1 read access, 0 none.
int idb__set_access(const RootCache* root, int set);

// Contexts.
DbContext* idb__open_context(const char* host, const char* service, int32_t* status);
// Only contexts of the current client.
DbContext* idb__find_context(int dbid);
void idb__free_context(DbContext* context);
// Drops the context of a database opened in mode 13 without a request.
int idb__close_context(int dbid);
