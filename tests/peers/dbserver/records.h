// The stand-in's records: per set the records in serial order with their
// record numbers, a hash index of each master on its key (its first item),
// automatic master entries made and counted by detail puts, and the detail
// chains per path in sort-item order (else arrival order). Records are kept
// as they crossed the wire, in the announced byte order.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalog.h"

namespace dbserver {

// Statuses of the record calls.
enum : int32_t {
  RS_BAD_SET = -21,
  RS_AUTOMATIC = -24,
  RS_END_OF_FILE = 11,
  RS_END_OF_CHAIN = 15,
  RS_NOT_FOUND = 17,
  RS_DUPLICATE = 43,
  RS_NO_STORAGE = 80,
  RS_NO_CHAIN_HEAD = 100,  // plus the path number
};

struct StoreItem {
  int number = 0;  // database item number
  char type = 'X';
  uint32_t size = 0;    // bytes of one element
  uint32_t count = 1;   // elements
  uint32_t offset = 0;  // in the record, set by StoreSet::layout
};

struct StorePath {
  int master = 0;  // master set number
  int item = 0;    // index of the search item in this set's items
  int sort = -1;   // index of the sort item, or -1
};

// An index item of a set: its number as the client counts (after the
// items) and its parts, each the first `length` bytes of an item of the set.
struct StoreIndexPart {
  int item = 0;  // index in the set's items
  uint32_t length = 0;
};
struct StoreIndex {
  int number = 0;
  std::vector<StoreIndexPart> parts;
};

struct StoreSet {
  int number = 0;
  std::string name;
  char type = 'M';  // 'M' manual master, 'A' automatic master, 'D' detail
  std::vector<StoreItem> items;
  std::vector<StorePath> paths;  // a detail's paths
  std::vector<StoreIndex> iitems;
  uint32_t length = 0;   // record length
  bool storage = false;  // created (has storage)

  struct Record {
    std::string bytes;
    bool live = false;
  };
  std::vector<Record> records;  // record number - 1
  size_t live = 0;
  std::unordered_map<std::string, uint32_t> index;  // master: key -> record number
  std::vector<uint32_t> chain_count;                // master: entries hanging on each record
  // detail: per path, search value -> record numbers in chain order
  std::vector<std::unordered_map<std::string, std::vector<uint32_t>>> chains;

  // Fills offsets and the record length from the items.
  void layout();
  std::string key_of(const std::string& record, int item) const;
  // The value of index item `iitem` (an index in iitems) in a record.
  std::string index_key_of(const std::string& record, size_t iitem) const;
};

// Where a session stands in one set.
struct Cursor {
  uint32_t serial = 0;  // record number last read serially, 0 before the first
  int path = -1;        // chain being followed
  std::string chain_key;
  size_t chain_next = 0;  // index in the chain of the next chained read
  bool on_index = false;  // chained reads follow `found`, a find's result on an index item
  std::vector<uint32_t> found;
  void rewind() { *this = Cursor{}; }
};

class RecordStore {
 public:
  explicit RecordStore(bool big) : big_(big) {}
  // Adds a set (numbers count from 1); items' offsets are computed.
  void define(StoreSet set);
  StoreSet* set(int number);
  // Makes storage for a set, and takes all records away.
  int32_t create(int number);
  void erase(int number);

  // Adds a record; 0 with `undo` taking it back, or a status.
  int32_t put(int number, const std::string& record, Undo* undo);
  // Serial read forward: 0 and the record (its number in *recno), or 11.
  int32_t get_serial(int number, Cursor& cursor, std::string* record, uint32_t* recno);
  // Positions on the chain of `item` (a set item index) with `key`; 17 when
  // there is no chain.
  int32_t find(int number, int item, const std::string& key, Cursor& cursor);
  // Positions on the entries whose value of index item `iitem` (an index in
  // the set's iitems) begins with `argument`, in the order of that value
  // (then of record numbers); 17 when there are none.
  int32_t find_index(int number, size_t iitem, const std::string& argument, Cursor& cursor);
  // Next record of the chain; 15 at its end.
  int32_t get_chained(int number, Cursor& cursor, std::string* record, uint32_t* recno);
  int32_t get_by_number(int number, uint32_t recno, Cursor& cursor, std::string* record);
  // A master's entry by key; 17 when there is none.
  int32_t get_keyed(int number, const std::string& key, Cursor& cursor, std::string* record, uint32_t* recno);
  // Entries in a set (a master entry's chain count through `chain_count`).
  size_t count(int number) const;
  uint32_t chain_count(int number, uint32_t recno) const;

 private:
  int32_t usable(int number, StoreSet** out);
  int compare(const StoreItem& item, const char* a, const char* b) const;
  void remove(int number, uint32_t recno, const std::vector<std::pair<int, uint32_t>>& made);

  bool big_;
  std::vector<StoreSet> sets_;
};

}  // namespace dbserver
