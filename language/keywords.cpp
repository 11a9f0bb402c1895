// Initialisation and lookups of the keyword tables.
#include "language/keywords.h"

#include <atomic>
#include <mutex>

namespace {

struct pkeywd_index {
  const pkeywd_row* bucket[PKEYWD_BUCKETS];
  const pkeywd_row* letter[KEYWD_LETTER_LISTS];
};

struct skeywd_index {
  const skeywd_row* bucket[SKEYWD_BUCKETS];
  const skeywd_row* letter[KEYWD_LETTER_LISTS];
};

pkeywd_index p_index;
skeywd_index s_index;
std::once_flag p_once;
std::once_flag s_once;
// Set when an index is built: a look-up then costs one load, not a call_once.
std::atomic<bool> p_ready{false};
std::atomic<bool> s_ready{false};

const skeywd_row* const s_tables[SKEYWD_TABLES] = {
    skeywd_functions, skeywd_t1, skeywd_t2,  skeywd_t3,  skeywd_t4,  skeywd_t5,  skeywd_t6,  skeywd_t7,
    skeywd_t8,        skeywd_t9, skeywd_t10, skeywd_t11, skeywd_t12, skeywd_t13, skeywd_t14, skeywd_emitted,
};

unsigned letter_of(const char* text) { return static_cast<unsigned char>(text ? text[0] : 0) & 0x1F; }

// Appends a row to a chain whose links live in the rows (hash_next or
// letter_next); `tail` keeps the chain's last row so that chains keep table
// order.
enum Chain { kHashChain, kLetterChain };
template <typename Row>
void append(const Row** head, const Row** tail, const Row* row, Chain chain) {
  if (*tail)
    (chain == kHashChain ? (*tail)->hash_next : (*tail)->letter_next) = row;
  else
    *head = row;
  *tail = row;
}

void p_build() {
  const pkeywd_row* bucket_tail[PKEYWD_BUCKETS] = {};
  const pkeywd_row* letter_tail[KEYWD_LETTER_LISTS] = {};
  for (auto& b : p_index.bucket) b = nullptr;
  for (auto& l : p_index.letter) l = nullptr;
  const pkeywd_row* implied = nullptr;
  for (const pkeywd_row* r = pkeywd_table; r->code != 0; ++r) {
    r->reserved = nullptr;
    r->hash_next = nullptr;
    r->letter_next = nullptr;
    if (r->code == CW_IMPLIED_LET) implied = r;
  }
  for (const pkeywd_row* r = pkeywd_table; r->code != 0; ++r) {
    unsigned b = (r->code & 0x07FC) / 4;
    append(&p_index.bucket[b], &bucket_tail[b], r, kHashChain);
  }
  // Extension rows first, so that they are tried before the rest. The
  // implied assignment is held back: it ends every list, and since it is one
  // row with one link, every list's last link points at it.
  for (int pass = 0; pass < 2; ++pass) {
    for (const pkeywd_row* r = pkeywd_table; r->code != 0; ++r) {
      bool ext = (r->code & CW_EXTENSION_BIT) != 0;
      if (ext != (pass == 0) || r->name[0] == '\0' || r == implied) continue;
      unsigned l = letter_of(r->name);
      append(&p_index.letter[l], &letter_tail[l], r, kLetterChain);
    }
  }
  for (unsigned l = 0; l < KEYWD_LETTER_LISTS; ++l) {
    if (letter_tail[l])
      letter_tail[l]->letter_next = implied;
    else
      p_index.letter[l] = implied;
  }
}

void s_build() {
  const skeywd_row* bucket_tail[SKEYWD_BUCKETS] = {};
  const skeywd_row* letter_tail[KEYWD_LETTER_LISTS] = {};
  for (auto& b : s_index.bucket) b = nullptr;
  for (auto& l : s_index.letter) l = nullptr;
  for (const skeywd_row* t : s_tables)
    for (const skeywd_row* r = t; r->code != 0; ++r) {
      r->reserved = nullptr;
      r->hash_next = nullptr;
      r->letter_next = nullptr;
    }
  for (const skeywd_row* t : s_tables)
    for (const skeywd_row* r = t; r->code != 0; ++r) {
      unsigned b = r->code & 0xFF;
      append(&s_index.bucket[b], &bucket_tail[b], r, kHashChain);
    }
  for (int pass = 0; pass < 2; ++pass) {
    for (const skeywd_row* r = skeywd_functions; r->code != 0; ++r) {
      bool ext = (r->code & CW_EXTENSION_BIT) != 0;
      if (ext != (pass == 0) || r->name[0] == '\0') continue;
      unsigned l = letter_of(r->name);
      append(&s_index.letter[l], &letter_tail[l], r, kLetterChain);
    }
  }
}

}  // namespace

void pkeywd_init() {
  if (p_ready.load(std::memory_order_acquire)) return;
  std::call_once(p_once, [] {
    p_build();
    p_ready.store(true, std::memory_order_release);
  });
}

void skeywd_init() {
  if (s_ready.load(std::memory_order_acquire)) return;
  std::call_once(s_once, [] {
    s_build();
    s_ready.store(true, std::memory_order_release);
  });
}

const pkeywd_row* pkeywd_lookup(uint32_t code) {
  pkeywd_init();
  for (const pkeywd_row* r = p_index.bucket[(code & 0x07FC) / 4]; r; r = r->hash_next)
    if (r->code == code) return r;
  return nullptr;
}

const pkeywd_row* pkeywd_first(const char* text) {
  pkeywd_init();
  return p_index.letter[letter_of(text)];
}

const pkeywd_row* pkeywd_next(const pkeywd_row* row) { return row ? row->letter_next : nullptr; }

const pkeywd_row* pkeywd_bucket(unsigned index) {
  pkeywd_init();
  return index < PKEYWD_BUCKETS ? p_index.bucket[index] : nullptr;
}

const pkeywd_row* pkeywd_letter_list(unsigned index) {
  pkeywd_init();
  return index < KEYWD_LETTER_LISTS ? p_index.letter[index] : nullptr;
}

const skeywd_row* skeywd_lookup(uint32_t code) {
  skeywd_init();
  for (const skeywd_row* r = s_index.bucket[code & 0xFF]; r; r = r->hash_next)
    if (r->code == code) return r;
  return nullptr;
}

const skeywd_row* skeywd_first(const char* text) {
  skeywd_init();
  return s_index.letter[letter_of(text)];
}

const skeywd_row* skeywd_next(const skeywd_row* row) { return row ? row->letter_next : nullptr; }

const skeywd_row* skeywd_bucket(unsigned index) {
  skeywd_init();
  return index < SKEYWD_BUCKETS ? s_index.bucket[index] : nullptr;
}

const skeywd_row* skeywd_letter_list(unsigned index) {
  skeywd_init();
  return index < KEYWD_LETTER_LISTS ? s_index.letter[index] : nullptr;
}

const skeywd_row* skeywd_table(int id) { return id >= 0 && id < SKEYWD_TABLES ? s_tables[id] : nullptr; }

int skeywd_table_rows(int id) {
  const skeywd_row* t = skeywd_table(id);
  int n = 0;
  if (t)
    while (t[n].code != 0) ++n;
  return n;
}

// Names of the parser tokens 257 and up.
namespace {
const char* const token_names[] = {
    "T_EOL",   "T_EXPR",   "T_MAIN", "T_SUB",   "T_XPVAR", "T_STMT",  "T_SEC",  "T_SYM",  "T_STRING", "T_ANY",
    "T_CONST", "T_ICONST", "OR",     "EXOR",    "AND",     "GT",      "GE",     "LT",     "LE",       "NE",
    "MOD",     "DIV",      "UMINUS", "NOT",     "UPLUS",   "R0",      "R1",     "R2",     "R3",       "R4",
    "R5",      "R6",       "R7",     "R8",      "R9",      "Rn__",    "Rnn_",   "Rnnn",   "Rns_",     "Rnss",
    "Rs__",    "Rss_",     "Rsn_",   "Rssn",    "Rsx_",    "Rfn",     "Rna_",   "Rnaa",   "RsA_",     "Rsi_",
    "END",     "TO",       "OF",     "ON",      "THEN",    "STEP",    "GOTO",   "GOSUB",  "CALL",     "REAL",
    "INTEGER", "DINTEGER", "SHORT",  "NUMERIC", "AS",      "IS_A",    "STRUCT", "Rx0000", "Rx0ba8",   "Rx0ccf",
    "Rx0d3e",  "Rx0d98",   "Rx0e05", "Rx0e18",  "Rx0e57",  "Rx0ed1",  "Rx0ff5", "Rx100e", "Rx1029",   "Rx1050",
    "Rx1290",  "Rx12f7",   "Rx1314", "Rx1338",  "Rx161e",  "Rx163b",  "Rx167c", "Rx186e", "Rx232a",   "Rx2338",
    "Rx259e",  "Rx25c8",   "Rx6170", "Rx61df",  "Rx753b",  "Rx7d20",  "Rx7ffb", "Rx8400", "Rx8401",   "Rx8800",
    "Rx8801",  "Rx8802",   "Rx8803", "Rx8804",  "Rx8805",  "Rx8806",  "Rx8807", "Rx8808", "Rx8809",   "Rx880a",
    "Rx880b",  "Rx880c",   "Rx880d", "Rx8c00",  "Rx8c01",  "Rx9000",  "Rx9001", "Rx9002", "Rx9003",   "Rx9004",
    "Rx9005",  "Rx9006",   "Rx9007", "Rx9008",  "Rx9c00",  "Rx9c01",  "Rx9c02", "Rx9c03", "Rx9c04",   "Rx9c05",
    "Rx9c06",  "Rx9c07",   "Rx9f00", "Rx9f01",  "Rx9f02",  "Rx9f03",  "Rx9f04", "Rx9f05", "Rx9f06",   "Rx9f07",
    "Rx9f08",  "Rx9f09",   "Rx9f0a", "Rx9f0b",  "Rx9f0c",  "Rx9f0d",  "Rx9f0e", "Rx9f0f", "Rx9f10",   "Rx9f11",
    "Rx9f12",  "Rx9f13",   "Rxa400", "Rxa401",  "Rxa402",  "Rxa800",  "Rxa801", "Rxa802", "Rxb1ea",   "Rxb1ec",
    "Rxb1ef",  "Rxb243",   "Rxb400", "Rxb401",  "Rxb402",  "Rxb403",  "Rxb404", "Rxb405", "Rxb7e0",   "Rxbc82",
    "Rxbcba",  "Rxbcc8",   "Rxbcf1", "Rxbcf5",  "Rxbd0e",  "Rxbd42",  "Rxbd67", "Rxbdd3", "Rxc4a1",   "Rxc50b",
    "Rxc511",  "Rxc5e0",   "Rxc629", "Rxc687",  "Rxc6ae",  "Rxc6fb",  "Rxc6fc", "Rxc705", "Rxc734",   "Rxc735",
    "Rxc73e",  "Rxc74a",   "Rxc7ea", "Rxc800",  "Rxc801",  "Rxc802",  "Rxd18c", "Rxd1d0", "Rxd1d2",   "Rxd1d4",
    "Rxd400",  "Rxd87e",   "Rxd881", "Rxe14b",  "Rxe154",  "Rxe154n", "Rxe15b", "Rxe169", "Rxe16d",   "Rxe16dn",
    "Rxe170",  "Rxe199",   "Rxe3d1", "Rxe42a",  "Rxe466",  "Rxe47e",  "Rxe5e0", "Rxe667", "Rxe777",   "Rxe7b8",
    "Rxe866",  "Rxe9c5",   "Rx2000", "Rx2001",
};
}  // namespace

const char* ptok::token_name(int token) {
  int i = token - ptok::T_EOL;
  if (i < 0 || i >= static_cast<int>(sizeof token_names / sizeof token_names[0])) return nullptr;
  return token_names[i];
}
