// schema: the schema compiler. The scanner and grammar read one schema
// source; the check-and-record routines below validate every construct and
// build the tables of the database (password classes, items, index items,
// sets with entries, paths and indexes, collating sequences); the listing
// prints through one paging writer; the catalog writer turns the tables into
// catalog rows inside one server transaction.
//
// Every table grows as needed: the limits of the database are checked and
// reported, never relied on for storage.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

// Limits of a database and of its parts.
enum {
  SCH_LINE_MAX = 255,           // characters of one source line
  SCH_TOKEN_MAX = 200,          // characters of one token
  SCH_NAME_MAX = 15,            // characters of an item, index item or set name
  SCH_NAME_MAX_COMPAT = 16,     // ... in compatibility mode
  SCH_NAME_KEEP = 16,           // characters kept of a longer name
  SCH_PASSWORD_MAX = 8,         // characters of a password
  SCH_CLASS_COUNT = 32,         // password classes 0 to 31
  SCH_SEGMENT_MAX = 7,          // segments of an index item
  SCH_INDEX_SIZE_LIMIT = 117,   // an index item's segment lengths stay below this
  SCH_KEY_MAX = 120,            // bytes of a master set's search item
  SCH_ENTRY_MAX = 4096,         // bytes of an entry
  SCH_PATH_MAX = 16,            // paths of a set
  SCH_SET_INDEX_MAX = 32,       // indexes of a set
  SCH_ITEM_MAX = 1024,          // items, index items, and both together
  SCH_SET_MAX = 199,            // data sets
  SCH_COLLATE_MAX = 32,         // collating sequences
  SCH_COLLATE_NAME_MAX = 80,    // characters of a collating sequence name
  SCH_COLLATE_DATA_MAX = 8000,  // bytes of one collating map
  SCH_COLLATE_HEADER = 88,      // bytes of a collating sequence file's header
};

// Internal item types.
enum : char {
  SCH_TYPE_BINARY = 'B',
  SCH_TYPE_DOUBLE = 'D',   // 32-bit integer
  SCH_TYPE_INTEGER = 'I',  // 16-bit integer
  SCH_TYPE_SHORT_REAL = 'S',
  SCH_TYPE_LONG_REAL = 'L',
  SCH_TYPE_STRING = 'X',
};

// Set types; 0 when the header named none that is valid.
enum : char { SCH_SET_AUTOMATIC = 'A', SCH_SET_MANUAL = 'M', SCH_SET_DETAIL = 'D' };

struct SchItem {
  std::string name;
  int number;
  char type;
  int count;  // sub-items, at least 1
  int size;   // bytes of one element
  uint32_t format;
  int refs;
};

struct SchSegment {
  int item;
  int length;  // bytes
};

struct SchIItem {
  std::string name;
  int number;  // continues after the items
  int refs;
  std::vector<SchSegment> segments;
};

struct SchPath {
  int set;        // the related set
  int set_path;   // the related set's index of the matching path
  int entry_pos;  // this set's entry position of the path item
  int sort_item;  // item number, -1 for none
};

struct SchIndex {
  int iitem;    // index item position
  int collate;  // 1-based position in the collating sequence list, 0 for none
};

struct SchSet {
  std::string name;
  int number;
  char type;
  uint32_t read_mask;
  uint32_t write_mask;
  long capacity;
  int path_count;  // declared count + 1; 0 when none was declared
  std::vector<int> entry;
  long entry_length;
  std::vector<SchPath> paths;
  std::vector<SchIndex> indexes;
  int error;
};

// One map of a collating sequence, as read from its file.
struct SchCollateMap {
  std::string name;                 // the map's own name from the header
  std::vector<unsigned char> data;  // the entries: per code a length byte and its bytes
};

struct SchCollate {
  std::string name;  // lower case
  std::vector<SchCollateMap> maps;
};

struct Schema {
  std::string db_name;
  int password_defined[SCH_CLASS_COUNT];
  std::string passwords[SCH_CLASS_COUNT];
  bool default_language;
  std::vector<SchItem> items;
  std::vector<SchIItem> iitems;
  std::vector<SchSet> sets;
  std::vector<SchCollate> collates;
  // Positions in items, iitems and sets by name, kept as each is appended.
  std::unordered_map<std::string, int> item_at;
  std::unordered_map<std::string, int> iitem_at;
  std::unordered_map<std::string, int> set_at;
};

// Settings of one run (command line and control lines).
struct SchOptions {
  int listing;
  int set_table;
  int no_catalog;  // -n or $CONTROL NOROOT
  int compat;      // -T
  int width;       // cut lines after this many characters; 0 = no cut
  int trace;       // parser trace level
  const char* user;
  const char* password;
  const char* host;
  const char* service;
};

extern Schema sch;
extern SchOptions sch_opt;

// ---- Source input (input.cpp) ----
void sch_input_open(FILE* file);
// Hands the scanner the next line (cut, upper-cased, with its newline);
// 0 at the end of the source.
size_t sch_input_read(char* buffer, size_t max_size);

// ---- Scanner and parser (sch_scan.l, sch_parse.y) ----
int sch_scan_token();
void sch_scan_finish();
// 0 when the parse ran to its end.
int sch_parse();
// Set while the parser is inside a control line: its syntax errors are
// reported by the control line's own warning.
extern int sch_in_control_line;

// ---- Paging writer (listing.cpp) ----
// Every line of standard output passes here; formatted pieces are cut at
// 255 characters.
void sch_print(const char* text);
void sch_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// $CONTROL LINES=
void sch_page_length(int lines);
// $TITLE: sets (or with null clears) the title of the page headers.
void sch_set_title(const char* title);
// $PAGE: the title of the next page; with the listing on, a new page now.
void sch_new_page(const char* title);
// The print routine that the error reports use.
void sch_print_hook(void* user, const char* text);
void sch_print_set_table();
void sch_print_summary();
// The media record length of a set.
long sch_media_length(const SchSet& set);

// ---- Checks and tables (checks.cpp) ----
void sch_reset();
void sch_error(const char* message);
void sch_warning(const char* message);
void sch_db_name(const char* name);
void sch_db_volume(const char* volume);
void sch_default_language(const char* name);
void sch_password(long cls, const char* password);
// Item definitions: name, sub-item count (-1 when none was given), type
// word, format number (-1 when none).
void sch_item(const char* name, long count, const char* type, long format);
void sch_iitem_begin(const char* name);
void sch_iitem_segment(const char* item, long length);  // length -1: none given
void sch_iitem_end();
void sch_set_begin(const char* name, const char* type);
void sch_set_class(int write_list, long cls);
void sch_set_volume(const char* volume);
void sch_entry_item(const char* item);
void sch_entry_path_count(long count);
void sch_entry_path(const char* master, int primary, const char* sort_item);
void sch_set_index(const char* iitem, const char* collate);
void sch_set_capacity(long capacity);
void sch_set_end();
// Steps 1 to 4 of the final pass (only when no error was counted).
void sch_final_pass();
// The limits of the database.
void sch_check_limits();
long sch_error_count();
long sch_warning_count();
// Messages that end the run (exit 1).
[[noreturn]] void sch_fatal(const char* message);
// How the front end ends the run after a fatal message: std::exit unless a
// test harness put its own routine here (which must not return).
extern void (*sch_exit_hook)(int code);
[[noreturn]] void sch_exit(int code);

// ---- Collating sequence files (collate.cpp) ----
// Loads the maps of every collating sequence from the lib directory.
void sch_load_collates();
// Reads one map from the bytes of a file. Returns 0, or the error text
// (with %s for the sequence name); `corrupt` is set when the entries do
// not use the map data exactly.
const char* sch_collate_decode(const unsigned char* bytes, size_t size, SchCollateMap* map, bool* corrupt);
// The file of a collating sequence in one code set under `lib`.
std::string sch_collate_path(const char* lib, const std::string& name, const char* codeset);

// ---- Catalog writer (writer.cpp) ----
// Writes the database into the server's catalog; ends the run on failure.
void sch_write_catalog();
