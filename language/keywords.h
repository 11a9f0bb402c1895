// Keyword tables of the language.
//
// The statement table holds every statement keyword with its code word, its
// flags, the parser token that selects its syntax and the lister's handler.
// The sixteen secondary tables hold the built-in functions, the context words
// of single statements (T1 to T14) and the words that only the code generator
// emits. The tables are constant apart from their link fields, which
// pkeywd_init and skeywd_init fill once per process; every lookup after that
// only reads. The scanner's lists by first character (pkeywd_lead,
// skeywd_lead) are built from the tables by the compiler.
#pragma once

#include <cstdint>

#include "language/codewords.h"
#include "language/tokens.h"

// Listing handler of a row: statement handlers (LH_) say what follows the
// keyword, element handlers (LE_) how an expression element is listed.
enum list_handler : uint8_t {
  LH_NONE = 0,
  // Statements.
  LH_NOTHING,
  LH_EXPRESSION_LIST,
  LH_USING,
  LH_ASSIGN,
  LH_ASSIGN_FILE,
  LH_DECLARATION,
  LH_NEW,
  LH_REDIM,
  LH_RESTORE,
  LH_SECURE,
  LH_DEL,
  LH_SUB,
  LH_RAW_TEXT,
  LH_REF_THEN_LIST,
  LH_FOR,
  LH_JUMP,
  LH_IF,
  LH_ON_KEY,
  LH_OPTION_BASE,
  LH_TYPE,
  LH_DATABASE,
  LH_TRACE_PAUSE,
  LH_TRACE,
  LH_TRACE_VARIABLES,
  LH_MAT,
  LH_MAT_IO,
  LH_TOTALS,
  LH_LOAD_DLL,
  // Expression elements.
  LE_NONE,
  LE_CONSTANT_WORD,
  LE_ONE_ARG_FUNCTION,
  LE_TWO_ARG_FUNCTION,
  LE_COUNTED_FUNCTION,
  LE_USER_FUNCTION,
  LE_BINARY_7,
  LE_UNARY_6,
  LE_BINARY_5,
  LE_BINARY_4,
  LE_BINARY_3,
  LE_BINARY_2,
  LE_BINARY_1,
  LE_BINARY_0,
  LE_UNARY_0,
  LE_OPERAND,
  LE_SUBSCRIPT,
  LE_RECORD_FIELD,
  LE_TYPE_WORD,
  LE_MAT_ITEM,
  LE_DELIMITER,
  LE_JUMP_LIST,
  LE_PRINT_FUNCTION,
  LE_END_OF_LINE,
  LE_UNSUPPORTED,
};

// Statement row flags.
enum : uint8_t {
  PK_FLAG_ROW = 0x80,  // every row but the prefix row
  PK_FLAG_DECLARATION = 0x40,
  PK_FLAG_COMMAND = 0x20,     // immediate use only
  PK_FLAG_NEEDS_LINE = 0x10,  // not an immediate statement
  PK_FLAG_NOT_AFTER_THEN = 0x08,
  PK_FLAG_OPENS_BLOCK = 0x04,
  PK_FLAG_CLOSES_BLOCK = 0x02,
  PK_FLAG_UNSUPPORTED = PK_FLAG_COMMAND | PK_FLAG_NEEDS_LINE,
};

// Extension module number of a code with bit 15 set (bits 10..14).
inline int kw_module(uint32_t code) { return static_cast<int>((code >> 10) & 0x1F); }

// Row counts (without the terminating row of code 0).
enum {
  PKEYWD_ROWS = 344,
  PKEYWD_BUCKETS = 512,
  KEYWD_LETTER_LISTS = 32,
  SKEYWD_TABLES = 16,
  SKEYWD_FUNCTION_ROWS = 121,
  SKEYWD_EMITTED_ROWS = 97,
  SKEYWD_BUCKETS = 256,
};

struct pkeywd_row {
  uint32_t code;
  const char* name;  // upper case; blanks as the matching rule says
  uint8_t flags;
  int token;  // parser token of the statement's syntax
  list_handler handler;
  // Links, filled by pkeywd_init.
  mutable const pkeywd_row* reserved = nullptr;
  mutable const pkeywd_row* hash_next = nullptr;
  mutable const pkeywd_row* letter_next = nullptr;
};

struct skeywd_row {
  uint32_t code;
  const char* name;  // empty for words that are only emitted
  int32_t token;     // signature or selector token; -1 unsupported; 0 emitted only
  list_handler handler;
  // Links, filled by skeywd_init.
  mutable const skeywd_row* reserved = nullptr;
  mutable const skeywd_row* hash_next = nullptr;
  mutable const skeywd_row* letter_next = nullptr;
};

// The secondary tables, in the order in which they are chained.
enum skeywd_table_id {
  SK_FUNCTIONS = 0,
  SK_T1,
  SK_T2,
  SK_T3,
  SK_T4,
  SK_T5,
  SK_T6,
  SK_T7,
  SK_T8,
  SK_T9,
  SK_T10,
  SK_T11,
  SK_T12,
  SK_T13,
  SK_T14,
  SK_EMITTED,
};

// The tables themselves (each ends with a row of code 0).
extern const pkeywd_row pkeywd_table[PKEYWD_ROWS + 1];
extern const skeywd_row skeywd_functions[SKEYWD_FUNCTION_ROWS + 1];
extern const skeywd_row skeywd_t1[], skeywd_t2[], skeywd_t3[], skeywd_t4[], skeywd_t5[], skeywd_t6[], skeywd_t7[],
    skeywd_t8[], skeywd_t9[], skeywd_t10[], skeywd_t11[], skeywd_t12[], skeywd_t13[], skeywd_t14[];
extern const skeywd_row skeywd_emitted[SKEYWD_EMITTED_ROWS + 1];

// The rows that a word can match, by the word's first character: the rows
// whose name begins with that character, in the order of their first-letter
// list (extension rows first, then table order; the implied assignment,
// which every statement list ends with, is not among them). Each entry holds
// the row's index in its table and its name without blanks, which is how
// the space-independent spelling compares a name: its letters in order with
// any blanks between them in the input.
enum { KEYWD_TEXT_MAX = 24 };
struct keywd_lead_entry {
  uint16_t row;
  uint8_t length;
  char text[KEYWD_TEXT_MAX];
};
struct keywd_lead_list {
  const keywd_lead_entry* from;
  const keywd_lead_entry* to;
  const keywd_lead_entry* begin() const { return from; }
  const keywd_lead_entry* end() const { return to; }
};
template <int N>
struct keywd_lead_index {
  uint16_t first[257] = {};  // entries of lead L: first[L] up to first[L + 1]
  keywd_lead_entry entries[N] = {};
  // By lead: the second letters of its entries, and whether one of them has
  // a single letter.
  uint64_t seconds[256][4] = {};
  bool single[256] = {};
  // The second letter of each entry (0 for an entry of a single letter), in
  // a few bytes beside the entries: a walk over a lead's list reads these
  // and only the entries that may match.
  uint8_t second_letter[N] = {};
  keywd_lead_list operator[](unsigned char lead) const { return {entries + first[lead], entries + first[lead + 1]}; }
  // False when no entry of the lead can match an input whose next letter
  // (blanks passed) is `second`, 256 when there is none.
  bool may_match(unsigned char lead, unsigned second) const {
    if (single[lead]) return true;
    return second < 256 && (seconds[lead][second >> 6] >> (second & 63) & 1) != 0;
  }
  constexpr void note_second(unsigned char lead, const keywd_lead_entry& e) {
    second_letter[&e - entries] = e.length < 2 ? 0 : static_cast<uint8_t>(e.text[1]);
    if (e.length < 2) {
      single[lead] = true;
      return;
    }
    const auto c = static_cast<unsigned char>(e.text[1]);
    seconds[lead][c >> 6] |= uint64_t{1} << (c & 63);
  }
};
// Statement rows (pkeywd_table; all but the two without a name) and function
// rows (skeywd_functions) by first character, in upper case for the
// space-dependent spelling.
extern const keywd_lead_index<PKEYWD_ROWS - 2> pkeywd_lead;
extern const keywd_lead_index<SKEYWD_FUNCTION_ROWS> skeywd_lead;

// First row of a secondary table (null for an id out of range) and its row
// count.
const skeywd_row* skeywd_table(int id);
int skeywd_table_rows(int id);

// Builds the statement table's hash buckets and first-letter lists. Runs its
// work once per process; later calls find the same links in place.
void pkeywd_init();
// The statement row with exactly this code, or null.
const pkeywd_row* pkeywd_lookup(uint32_t code);
// Head of the first-letter list of the text's first character (the NUL list
// for an empty text); walk on with pkeywd_next. Every list ends with the
// implied-assignment row.
const pkeywd_row* pkeywd_first(const char* text);
const pkeywd_row* pkeywd_next(const pkeywd_row* row);
// Heads of a hash bucket (0..511) and a first-letter list (0..31).
const pkeywd_row* pkeywd_bucket(unsigned index);
const pkeywd_row* pkeywd_letter_list(unsigned index);

// Builds the hash buckets of all sixteen secondary tables and the
// first-letter lists of the function table; once per process.
void skeywd_init();
// The secondary row with exactly this code in any of the tables, or null.
const skeywd_row* skeywd_lookup(uint32_t code);
// The same iteration as pkeywd_first/pkeywd_next over the function table.
const skeywd_row* skeywd_first(const char* text);
const skeywd_row* skeywd_next(const skeywd_row* row);
const skeywd_row* skeywd_bucket(unsigned index);
const skeywd_row* skeywd_letter_list(unsigned index);
