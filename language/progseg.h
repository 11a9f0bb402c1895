// Segments of a program in memory and the accessors every other module uses
// to read them.
//
// A program is a list of segments: the root segment (the main program) first,
// then one segment per subprogram or multi-line function in the order they
// were defined. Each segment owns its code words and its own symbol table.
//
// Stored line (16-bit words in a segment's code):
//   word 0  line number in bits 0..14
//   word 1  keyword column in bits 8..15, word count of the line in bits 0..7
//   [label reference], statement word, argument words ...
//
// Symbol-table entry (16-bit words in a segment's symbols):
//   word 0  address word (0 for constants and variables, FFFF for line
//           references, labels, FN and SUB names as the compiler makes them;
//           the position of the defining line once a loader fills it in)
//   word 1  type word: class in bits 12..15, sub-type in bits 9..11, length of
//           the entry in words (both header words included) in bits 0..3
//   data    8-byte packed number, a line number, or name words
//
// Both the code and the symbols keep an index beside them so that finding a
// line by number and a symbol by name stay cheap on programs of tens of
// thousands of lines. The indexes are rebuilt on demand: code or symbols
// changed behind the accessors' back (a loader filling the vectors directly)
// are noticed by size, and progseg_reindex() forces a rebuild after an
// in-place change that keeps the size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "language/codewords.h"

struct dec_number;

// "SEGM" read as one big-endian number; every accessor checks it.
inline constexpr uint32_t SEGMENT_MAGIC = 0x5345474D;

// Longest name of a symbol, in characters.
inline constexpr int MAX_SYMBOL_NAME = 15;

// Largest code area and symbol table of one segment, in words.
inline constexpr uint32_t PROGSEG_MAX_WORDS = 32767;

// Highest line number (15 bits of the line-number word).
inline constexpr int PROG_MAX_LINE = 32767;

// Bytes of the packed constant form in symbol tables and tokens.
inline constexpr int PROG_PACKED_SIZE = 8;

// Symbol classes of the type word.
enum : int {
  SYM_CLASS_CONST = 0,    // numeric constant
  SYM_CLASS_LINE = 1,     // line reference, label, FN, FN$ and SUB names
  SYM_CLASS_NUM_D = 3,    // further numeric class a program file may hold
  SYM_CLASS_STRING = 4,   // string variable
  SYM_CLASS_NUMERIC = 5,  // numeric variable (the class the compiler writes)
  SYM_CLASS_NUM_S = 6,
  SYM_CLASS_NUM_I = 7,
  SYM_CLASS_STRUCT = 8,  // structure
};

// Sub-types of class 1.
enum : int {
  SYM_SUB_LINE = 0,
  SYM_SUB_LABEL = 1,
  SYM_SUB_FN = 4,
  SYM_SUB_FN_STR = 5,
  SYM_SUB_SUB = 7,
};

// Segment protection flags (set by the program file reader).
enum : uint32_t { PROGSEG_PROTECTED = 1, PROGSEG_AUTHORIZED = 2 };

// Status results of the segment operations.
enum : int {
  PROGSEG_OK = 0,
  PROGSEG_NOT_FOUND = -1,
  PROGSEG_CODE_FULL = -2,     // code would exceed PROGSEG_MAX_WORDS
  PROGSEG_SYMBOLS_FULL = -3,  // symbol table would exceed PROGSEG_MAX_WORDS
  PROGSEG_BAD_ARGUMENT = -4,  // offset outside the code, malformed line words
  PROGSEG_NO_MEMORY = -5,
};

inline bool is_symtab_id(uint32_t word) { return (word & CW_SYMBOL_REF) != 0; }
inline int sym_type_class(uint16_t type) { return type >> 12; }
inline int sym_type_subtype(uint16_t type) { return (type >> 9) & 7; }
inline int sym_type_length(uint16_t type) { return type & 0xF; }
inline bool sym_class_is_numeric(int cls) { return cls == 3 || cls == 5 || cls == 6 || cls == 7; }

// Words taken by a name of n characters: (n + 1) / 2.
inline int sym_name_words(int chars) { return (chars + 1) / 2; }

// A symbol-index key: a group letter, the sub-type or scalar/array mark, the
// word count and the data bytes, held in place (no heap string per lookup).
// The longest key is that of a 15-character name: 3 + 16 bytes.
struct ProgSymbolKey {
  static constexpr size_t kCapacity = 20;
  uint8_t size = 0;
  // Room for whole 8-byte blocks, which the hash reads; bytes from `size` on
  // are not part of the key and stay zero, so that keys compare whole.
  char bytes[24] = {};

  void clear() { *this = ProgSymbolKey(); }
  // False when the key would outgrow its room (no lookup key is that long).
  bool push_back(char c) {
    if (size == kCapacity) return false;
    bytes[size++] = c;
    return true;
  }
  bool operator==(const ProgSymbolKey& other) const {
    return size == other.size && std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
  }
};

struct ProgSymbolKeyHash {
  size_t operator()(const ProgSymbolKey& key) const {
    // Eight bytes at a time, the bytes past the key masked off.
    uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size;
    for (size_t at = 0; at < key.size; at += 8) {
      uint64_t block = 0;
      std::memcpy(&block, key.bytes + at, 8);
      const size_t left = key.size - at;
      if (left < 8) block &= (uint64_t{1} << (8 * left)) - 1;
      h = (h ^ block) * 0xBF58476D1CE4E5B9ull;
      h ^= h >> 31;
    }
    return static_cast<size_t>(h);
  }
};

// The symbol index of a segment: lookup key -> offset of the first entry
// with that key. Open addressing in a table of a power of two slots that is
// at most half full; a slot holds 32 bits of its key's hash and the place of
// the key among the keys, which are kept apart in the order they came, so
// that the table stays small and a lookup mostly reads one slot and one key.
class ProgSymbolIndex {
 public:
  // Empties the index and frees its memory.
  void clear() {
    slots_ = {};
    keys_ = {};
  }
  // Adds a key that is not there yet; a key already there keeps its offset.
  void add(const ProgSymbolKey& key, uint32_t offset);
  // The offset of the key's entry, or -1.
  long find(const ProgSymbolKey& key) const;

 private:
  struct Slot {
    uint32_t tag = 0;    // the upper half of the key's hash
    uint32_t place = 0;  // 1 + the key's place in keys_; 0 for an empty slot
  };
  struct Key {
    ProgSymbolKey key;
    uint32_t offset;
  };
  // The slot of the key, or the empty slot where it would go.
  size_t slot_of(const ProgSymbolKey& key, uint64_t hash) const;
  std::vector<Slot> slots_;
  std::vector<Key> keys_;
};

struct ProgSegment {
  uint32_t magic = 0;
  std::vector<uint16_t> code;     // code words in use (size) and allocated (capacity)
  std::vector<uint16_t> symbols;  // symbol-table words
  ProgSegment* next = nullptr;
  uint32_t protection = 0;  // PROGSEG_PROTECTED, PROGSEG_AUTHORIZED
  int charset = -1;         // code set of the text when read, -1 unknown

  // Line index: word offset of every line start, in code order. Valid while
  // line_index_size equals code.size().
  std::vector<uint32_t> line_index;
  size_t line_index_size = SIZE_MAX;
  // Symbol index: lookup key -> offset of the first matching entry. Covers
  // the entries in symbols[0, symbol_index_size).
  ProgSymbolIndex symbol_index;
  size_t symbol_index_size = 0;
};

// One program: its segment list. The compile context holds the program in
// work; the environment swaps a document's list in and out around each call.
struct ProgList {
  ProgSegment* root = nullptr;
  ProgSegment* last = nullptr;
};

// ---- the list -----------------------------------------------------------

// Allocates an empty segment with its marker set and appends it to the list
// (it becomes the root of an empty list). Null when memory is exhausted.
ProgSegment* progseg_new(ProgList* prog);
// Unlinks a segment from the list and frees it; PROGSEG_NOT_FOUND when the
// segment is not in the list (the list is then unchanged).
int progseg_free(ProgList* prog, ProgSegment* seg);
// Frees every segment, the root last; the list is empty afterwards.
void progseg_free_all(ProgList* prog);
// Frees every segment and creates a new empty root; true when it could.
bool progseg_reset(ProgList* prog);
// Calls cb for every segment in list order, stamping the marker first;
// the first non-zero result ends the walk and is returned.
int progseg_walk(ProgList* prog, int (*cb)(void* user, ProgSegment* seg), void* user);
// Calls cb for every line of a segment's code; the first non-zero result
// ends the walk and is returned. A line whose word count is below 2 or runs
// past the end of the code ends the walk.
int progseg_walk_lines(ProgSegment* seg, int (*cb)(void* user, ProgSegment* seg, const uint16_t* line), void* user);
// Number of segments in the list.
size_t progseg_count(const ProgList* prog);

// ---- lines --------------------------------------------------------------

// Number of well-formed lines in the code, and the word offset of line i.
size_t progseg_line_count(ProgSegment* seg);
uint32_t progseg_line_offset(ProgSegment* seg, size_t i);
// True when a word offset is the start of a line.
bool progseg_is_line_start(ProgSegment* seg, uint32_t offset);
// Line number of the first and last line, -1 for a segment without code.
int progseg_first_line(ProgSegment* seg);
int progseg_last_line(ProgSegment* seg);
// Position of the first line whose number is not below lineno (the end of
// the code when there is none); *exact tells whether that line has the
// number. Lines of a segment are kept in ascending order.
uint32_t progseg_lower_bound(ProgSegment* seg, int lineno, bool* exact);

// Finds where a line belongs in the whole program: the segment and word
// position of the first line (walking the segments in order) whose number is
// not below lineno, else the end of the last segment. Unless exact_only is
// set, a line that would come before the first line of a segment other than
// the root joins the end of the preceding segment instead. Returns true when
// the position holds a line with exactly that number.
bool progseg_find_line(ProgList* prog, int lineno, bool exact_only, ProgSegment** seg, uint32_t* pos);

// Inserts one compiled line (its word count is the low byte of words[1]) at
// a word offset of the code. PROGSEG_CODE_FULL past PROGSEG_MAX_WORDS,
// PROGSEG_BAD_ARGUMENT for an offset outside the code or a line shorter than
// two words or than its own count says.
int progseg_insert_line(ProgSegment* seg, uint32_t offset, const uint16_t* words, size_t count);
// Appends symbol words; PROGSEG_SYMBOLS_FULL past PROGSEG_MAX_WORDS.
int progseg_add_symbols(ProgSegment* seg, const uint16_t* words, size_t count);
// Cuts the symbol table back to a size (undoing an append).
void progseg_truncate_symbols(ProgSegment* seg, size_t size);
// Drops both indexes; they are rebuilt on next use.
void progseg_reindex(ProgSegment* seg);
// Frees what a segment holds beyond its words: the spare room of its code,
// symbols and line index, and its symbol index, which is rebuilt on next
// use. For a segment that is complete, as the ones before the segment in
// work are while a program is stored line by line in order.
void progseg_release_spare(ProgSegment* seg);

// ---- symbols ------------------------------------------------------------

// A symbol as the compiler looks it up: class and sub-type, and its data.
struct ProgSymbolRef {
  int cls = 0;
  int subtype = 0;
  const uint8_t* packed = nullptr;  // class 0: PROG_PACKED_SIZE bytes
  int lineno = 0;                   // class 1 sub-type 0
  const char* name = nullptr;       // other classes: the name ...
  int name_len = 0;                 // ... and its length (0..MAX_SYMBOL_NAME)
};

// Builds the words of a new entry for a symbol (address word, type word,
// data) and appends them to out. False for a class or sub-type the compiler
// does not write, or a name longer than MAX_SYMBOL_NAME.
bool prog_symbol_entry(const ProgSymbolRef& sym, std::vector<uint16_t>* out);

// Finds the first entry of a symbol table that matches a symbol:
//   class 0      an entry of class 0 with the same 8 bytes;
//   class 1      an entry of class 1 and the same sub-type, with the same
//                line number (sub-type 0) or name;
//   3, 5, 6, 7   an entry of class 3, 5, 6 or 7; class 4: 4; class 8: 8;
//                both scalar (sub-type 0) or both arrays, and the same name.
// Gives the entry's word offset, or -1.
long progseg_find_symbol(ProgSegment* seg, const ProgSymbolRef& sym);
// The lookup key of a symbol; false for a symbol that no entry can match.
bool prog_symbol_key(const ProgSymbolRef& sym, ProgSymbolKey* key);
// progseg_find_symbol by a key that prog_symbol_key made beforehand.
long progseg_find_key(ProgSegment* seg, const ProgSymbolKey& key);
// The same search over a bare word table (the new entries of one line).
long prog_find_symbol_words(const uint16_t* words, size_t size, const ProgSymbolRef& sym);

// ---- accessors ----------------------------------------------------------

// Unpacks the 8-byte form into num, or into a module-wide number when num is
// null, and gives it.
dec_number* prog_unpack_number(const uint8_t* packed, dec_number* num);
// Packs a number into the 8-byte form.
void prog_pack_number(const dec_number* num, uint8_t* packed);
// Display text of a numeric-constant entry (its address word first) into a
// buffer of size bytes.
void prog_number_text(const uint16_t* entry, char* buf, size_t size);
// Copies a name out of name words into a NUL-terminated text; buf must hold
// 2 * words + 1 bytes; words is 0..8.
void prog_symbol_name(char* buf, const uint16_t* words, int nwords);
// Text of the symbol that a reference (bit 15 set) names in a segment's
// table, into buf of size bytes. 1 for a structure or an array, else 0;
// -1 when the reference lies outside the table.
int prog_symbol_text(ProgSegment* seg, uint32_t id, char* buf, size_t size);
// Display name of a segment: "main" for the root, else "FN  ", "FN$ " or
// "SUB " and the name. The text lives in a buffer that the next call
// overwrites. An inconsistent first line gives "?".
const char* segname(const ProgList* prog, ProgSegment* seg);
// The same name into a caller's buffer of size bytes (64 hold every name).
void segname_text(const ProgList* prog, ProgSegment* seg, char* buf, size_t size);
