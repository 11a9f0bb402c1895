// The restructuring rules of fillbase: which set of the import file
// fills which set of the database, and which fields (or null and constant
// values) fill which items. It is read by a generated scanner and parser;
// every line is taken in upper case. Names are checked against the database
// through the lookups the caller supplies, so the parser itself needs no
// connection.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum { RS_NAME_LEN = 16, RS_MAX_LINE = 255 };

// Kinds of source of an item entry.
enum { RS_FIELD_NUMBER = 0, RS_FIELD_NAME = 1, RS_NULL = 2, RS_CONST_NUMBER = 3, RS_CONST_TEXT = 4 };

struct RsItem {
  int item = 0;                     // target item number
  char name[RS_NAME_LEN + 1] = {};  // target item name, blank-padded (empty when given by number)
  int first = 0, last = 0;          // target element range, 1-based; 0 and 0 for the whole item
  int kind = RS_FIELD_NUMBER;
  int field = 0;                          // RS_FIELD_NUMBER
  char field_name[RS_NAME_LEN + 1] = {};  // RS_FIELD_NAME, blank-padded
  int src_first = 0, src_last = 0;        // source element range of a field name, 0 and 0 for none
  long number = 0;                        // RS_CONST_NUMBER
  std::string text;                       // RS_CONST_TEXT, without its quotes
};

struct RsSet {
  int set = 0;                             // target set number
  char name[RS_NAME_LEN + 1] = {};         // target set name as given, blank-padded (empty when given by number)
  int source = 0;                          // source set number, 0 when given by name or not at all
  char source_name[RS_NAME_LEN + 1] = {};  // source set name, blank-padded, or empty
  std::vector<RsItem> items;
};

// What the checks need of the database (the tool answers them with idb_info).
struct RsLookup {
  virtual ~RsLookup() = default;
  // Set number of a name (blank-padded to 16), or 0 when there is none.
  virtual int set_number(const char* name) = 0;
  // Whether a set of this number exists.
  virtual bool set_exists(int set) = 0;
  // Item number of a name (blank-padded to 16), or 0 when there is none.
  virtual int item_number(const char* name) = 0;
  // Element count of an item, or 0 when there is no item of this number.
  virtual int item_count(int item) = 0;
};

struct RsOptions {
  bool single_file = false;  // importing from one file: source sets may be named
  bool trace = false;        // parser trace on standard error
};

// Reads the rules from `in`. Errors go to `errors` as the source line
// (once per line), "*** <message> in line <n>" (later errors of the same line
// without the line number) and at the end "*** Preceding errors (<count>)".
// Returns the number of errors; `out` holds the entries read.
int rs_parse(FILE* in, RsLookup& lookup, const RsOptions& options, std::vector<RsSet>& out, FILE* errors);

// The entry of a target set, or null.
const RsSet* rs_find_set(const std::vector<RsSet>& spec, int set);
