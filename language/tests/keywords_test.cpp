// Keyword tables: row counts, lookups by code, and the bucket and first-letter
// orders that decide which keyword the scanner recognises.
#include "language/keywords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace ptok;

namespace {

std::vector<const pkeywd_row*> letter_walk(unsigned index) {
  std::vector<const pkeywd_row*> out;
  for (const pkeywd_row* r = pkeywd_letter_list(index); r; r = pkeywd_next(r)) out.push_back(r);
  return out;
}

int table_index(const pkeywd_row* r) { return static_cast<int>(r - pkeywd_table); }

}  // namespace

TEST(KeywordTables, RowCountsAndTerminators) {
  int n = 0;
  while (pkeywd_table[n].code != 0) ++n;
  EXPECT_EQ(n, PKEYWD_ROWS);
  EXPECT_EQ(n, 344);

  const int expected[SKEYWD_TABLES] = {121, 3, 2, 4, 7, 18, 17, 8, 3, 7, 11, 7, 3, 3, 1, 97};
  for (int id = 0; id < SKEYWD_TABLES; ++id) EXPECT_EQ(skeywd_table_rows(id), expected[id]) << "table " << id;
  EXPECT_EQ(skeywd_table(SKEYWD_TABLES), nullptr);
  EXPECT_EQ(skeywd_table(-1), nullptr);
}

TEST(KeywordTables, StatementFlagsAndHandlers) {
  std::set<std::string> declarations;
  std::map<list_handler, int> handlers;
  for (const pkeywd_row* r = pkeywd_table; r->code; ++r) {
    if (r->code == CW_STMT_PREFIX)
      EXPECT_EQ(r->flags, 0);
    else
      EXPECT_TRUE(r->flags & PK_FLAG_ROW) << r->name;
    if (r->flags & PK_FLAG_DECLARATION) declarations.insert(r->name);
    EXPECT_GE(r->token, first_statement_token) << r->name;
    EXPECT_LE(r->token, last_statement_token) << r->name;
    ++handlers[r->handler];
  }
  EXPECT_EQ(declarations, (std::set<std::string>{"REAL ", "SHORT ", "INTEGER ", "DINTEGER ", "COM ", "DIM ",
                                                 "OPTION BASE ", "TYPE ", "EXPORT TYPE "}));
  EXPECT_EQ(handlers[LH_NOTHING], 80);
  EXPECT_EQ(handlers[LH_EXPRESSION_LIST], 199);
  EXPECT_EQ(handlers[LH_DATABASE], 14);
  EXPECT_EQ(handlers[LH_NONE], 2);  // the prefix row and "EDIT KEY #"
  EXPECT_EQ(pkeywd_lookup(0x0348)->handler, LH_NONE);
}

TEST(KeywordTables, StatementLookupByCode) {
  struct Case {
    uint32_t code;
    const char* name;
    int token;
    uint8_t flags;
  };
  const Case cases[] = {
      {0x06B4, "", Rx0d3e, 0x80},                                           // implied assignment
      {0x0932, "", Rx0000, 0x00},                                           // prefix row
      {0x04DF, "PAUSE ", Rx7ffb, 0x90},                                     // first row
      {0xEC44, "WAITOBE", Rx7ffb, 0xB0},                                    // last row
      {0x03C0, "IF ", Rx0ba8, 0x90},        {0x0ABF, "IF ", Rx0000, 0x94},  // second code of the same name
      {0x0563, "RE-STORE ", Rxe154n, 0x80}, {0x0AE9, "REPEAT ", Rx7ffb, 0x9C},   {0x2000, "TYPE ", Rx2000, 0xDC},
      {0x9F25, "DINTEGER ", Rxc511, 0xD8},  {0x0B1D, "CASE ELSE", Rx7ffb, 0x9E},
  };
  for (const Case& c : cases) {
    const pkeywd_row* r = pkeywd_lookup(c.code);
    ASSERT_NE(r, nullptr) << std::hex << c.code;
    EXPECT_STREQ(r->name, c.name);
    EXPECT_EQ(r->token, c.token) << c.name;
    EXPECT_EQ(r->flags, c.flags) << c.name;
  }
  for (uint32_t missing : {0x0001u, 0x0000u, 0xFFFFu, 0x0A00u, 0x8000u}) EXPECT_EQ(pkeywd_lookup(missing), nullptr);

  // Every row is found by its own code.
  for (const pkeywd_row* r = pkeywd_table; r->code; ++r) EXPECT_EQ(pkeywd_lookup(r->code), r) << r->name;
}

TEST(KeywordTables, StatementBucketsKeepTableOrder) {
  int total = 0;
  for (unsigned b = 0; b < PKEYWD_BUCKETS; ++b) {
    int last = -1;
    for (const pkeywd_row* r = pkeywd_bucket(b); r; r = r->hash_next) {
      EXPECT_EQ((r->code & 0x07FC) / 4, b) << r->name;
      EXPECT_GT(table_index(r), last);
      EXPECT_EQ(r->reserved, nullptr);
      last = table_index(r);
      ++total;
    }
  }
  EXPECT_EQ(total, PKEYWD_ROWS);
  EXPECT_EQ(pkeywd_bucket(PKEYWD_BUCKETS), nullptr);
}

TEST(KeywordTables, FirstLetterListsOrderAndEnd) {
  const pkeywd_row* implied = pkeywd_lookup(CW_IMPLIED_LET);
  std::set<const pkeywd_row*> seen;
  for (unsigned l = 0; l < KEYWD_LETTER_LISTS; ++l) {
    std::vector<const pkeywd_row*> walk = letter_walk(l);
    ASSERT_FALSE(walk.empty());
    EXPECT_EQ(walk.back(), implied) << "list " << l;
    // Extension rows first, each group in table order.
    bool in_ext = true;
    int last = -1;
    for (size_t i = 0; i + 1 < walk.size(); ++i) {
      const pkeywd_row* r = walk[i];
      bool ext = (r->code & CW_EXTENSION_BIT) != 0;
      if (in_ext && !ext) {
        in_ext = false;
        last = -1;
      }
      EXPECT_EQ(ext, in_ext) << r->name;
      EXPECT_GT(table_index(r), last) << r->name;
      last = table_index(r);
      EXPECT_EQ(static_cast<unsigned>(r->name[0] & 0x1F), l) << r->name;
      EXPECT_TRUE(seen.insert(r).second) << r->name;
    }
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(PKEYWD_ROWS - 2));  // all but the two empty names

  // The NUL list of an empty text holds only the implied assignment, and
  // "! " shares list 1 with the A words.
  EXPECT_EQ(pkeywd_first(""), implied);
  EXPECT_EQ(pkeywd_next(implied), nullptr);
  bool bang = false, assign = false;
  for (const pkeywd_row* r = pkeywd_first("A"); r; r = pkeywd_next(r)) {
    bang |= std::strcmp(r->name, "! ") == 0;
    assign |= std::strcmp(r->name, "ASSIGN ") == 0;
  }
  EXPECT_TRUE(bang);
  EXPECT_TRUE(assign);
}

TEST(KeywordTables, LongerNamesComeFirst) {
  // Within one list, a name that is the beginning of another one comes
  // after it, so a scan finds "PRINT #" and not "PRINT ".
  std::vector<std::string> p;
  for (const pkeywd_row* r = pkeywd_first("P"); r; r = pkeywd_next(r)) p.push_back(r->name);
  auto pos = [&](const char* n) {
    for (size_t i = 0; i < p.size(); ++i)
      if (p[i] == n) return static_cast<int>(i);
    return -1;
  };
  for (const char* longer : {"PRINT #", "PRINT ALL IS ", "PRINTER IS ", "PRINT LABEL ", "PRINT USING "})
    EXPECT_LT(pos(longer), pos("PRINT ")) << longer;
  // Extension rows first: "PACKFMT " (840D) before "PAUSE " (04DF).
  EXPECT_LT(pos("PACKFMT "), pos("PAUSE "));
  EXPECT_EQ(p.front(), "PACKFMT ");
}

TEST(KeywordTables, SecondaryLookupByCode) {
  struct Case {
    uint32_t code;
    const char* name;
    int token;
  };
  const Case cases[] = {
      {0x0892, "<>", 0},  // emitted only, never scanned
      {0x08C0, "<EOL>", 0},   {0x07AE, "PI", Rn__},          {0x071A, "FN", Rfn},
      {0xAD46, "LANGID", -1}, {0x0B7E, "DATE$", Rsx_},       {0x072A, " GOSUB ", R0},  // T1
      {0x09E9, " GOTO ", R0},                                                          // T2
      {0x0965, "SIZE", R2},  // T4, while the function SIZE is 0800
      {0x0800, "SIZE", Rnn_}, {0x88D4, " EXPORT TYPE ", R7}, {0x2002, " EXTENDS ", R0},  // T14
      {0xB49B, ".", 0},
  };
  for (const Case& c : cases) {
    const skeywd_row* r = skeywd_lookup(c.code);
    ASSERT_NE(r, nullptr) << std::hex << c.code;
    EXPECT_STREQ(r->name, c.name);
    EXPECT_EQ(r->token, c.token) << c.name;
  }
  EXPECT_EQ(skeywd_lookup(0x0001), nullptr);
  EXPECT_EQ(skeywd_lookup(0x04DF), nullptr);  // a statement code

  // Every row of every table is found by its code, in bucket code & FF.
  int total = 0;
  for (int id = 0; id < SKEYWD_TABLES; ++id)
    for (const skeywd_row* r = skeywd_table(id); r->code; ++r) {
      EXPECT_EQ(skeywd_lookup(r->code), r) << r->name;
      ++total;
    }
  int chained = 0;
  for (unsigned b = 0; b < SKEYWD_BUCKETS; ++b)
    for (const skeywd_row* r = skeywd_bucket(b); r; r = r->hash_next) {
      EXPECT_EQ(r->code & 0xFF, b);
      ++chained;
    }
  EXPECT_EQ(chained, total);
}

TEST(KeywordTables, FunctionLetterLists) {
  int listed = 0;
  for (unsigned l = 0; l < KEYWD_LETTER_LISTS; ++l) {
    bool in_ext = true;
    for (const skeywd_row* r = skeywd_letter_list(l); r; r = skeywd_next(r)) {
      EXPECT_GE(r - skeywd_functions, 0);
      EXPECT_LT(r - skeywd_functions, SKEYWD_FUNCTION_ROWS);
      bool ext = (r->code & CW_EXTENSION_BIT) != 0;
      if (!ext) in_ext = false;
      EXPECT_EQ(ext, in_ext) << r->name;
      ++listed;
    }
  }
  EXPECT_EQ(listed, SKEYWD_FUNCTION_ROWS);
  EXPECT_EQ(skeywd_first(""), nullptr);
  // "LEX" (800D, an extension) is tried before "LEN" and "LGT".
  EXPECT_STREQ(skeywd_first("L")->name, "LEX");
}

TEST(KeywordTables, LeadListsAreTheLetterListsByFirstCharacter) {
  // The scanner tries the rows of the list of a word's first character: the
  // first-letter list without the rows of other first characters, in the
  // same order, each with its name without blanks.
  auto stripped = [](const char* name) {
    std::string s;
    for (const char* c = name; *c; ++c)
      if (*c != ' ') s += *c;
    return s;
  };
  int statements = 0, functions = 0;
  for (unsigned lead = 1; lead < 256; ++lead) {
    const char text[2] = {static_cast<char>(lead), '\0'};
    std::vector<const pkeywd_row*> want;
    for (const pkeywd_row* r = pkeywd_first(text); r; r = pkeywd_next(r))
      if (static_cast<unsigned char>(r->name[0]) == lead) want.push_back(r);
    std::vector<const pkeywd_row*> got;
    for (const keywd_lead_entry& e : pkeywd_lead[static_cast<unsigned char>(lead)]) {
      got.push_back(&pkeywd_table[e.row]);
      EXPECT_EQ(std::string(e.text, e.length), stripped(pkeywd_table[e.row].name));
      // The second-letter filter never drops a row that could match.
      EXPECT_TRUE(pkeywd_lead.may_match(static_cast<unsigned char>(lead),
                                        e.length < 2 ? 256u : static_cast<unsigned char>(e.text[1])));
    }
    EXPECT_EQ(got, want) << "lead " << lead;
    statements += static_cast<int>(got.size());

    std::vector<const skeywd_row*> fwant, fgot;
    for (const skeywd_row* r = skeywd_first(text); r; r = skeywd_next(r))
      if (static_cast<unsigned char>(r->name[0]) == lead) fwant.push_back(r);
    for (const keywd_lead_entry& e : skeywd_lead[static_cast<unsigned char>(lead)]) {
      fgot.push_back(&skeywd_functions[e.row]);
      EXPECT_EQ(std::string(e.text, e.length), stripped(skeywd_functions[e.row].name));
    }
    EXPECT_EQ(fgot, fwant) << "lead " << lead;
    functions += static_cast<int>(fgot.size());
  }
  EXPECT_EQ(statements, PKEYWD_ROWS - 2);
  EXPECT_EQ(functions, SKEYWD_FUNCTION_ROWS);
  // "RE-STORE " is listed under R as "RE-STORE", "PRINT #" under P as "PRINT#".
  bool restore = false;
  for (const keywd_lead_entry& e : pkeywd_lead['R']) restore |= std::string(e.text, e.length) == "RE-STORE";
  EXPECT_TRUE(restore);
  // A name such as "Price" passes the P rows by: none has a second letter
  // "r"; "PRINT" does not.
  EXPECT_FALSE(pkeywd_lead.may_match('P', 'r'));
  EXPECT_TRUE(pkeywd_lead.may_match('P', 'R'));
  EXPECT_FALSE(skeywd_lead.may_match('P', 256));  // no one-letter function P
}

TEST(KeywordTables, InitIsRepeatable) {
  const pkeywd_row* before = pkeywd_first("P");
  pkeywd_init();
  skeywd_init();
  EXPECT_EQ(pkeywd_first("P"), before);
  EXPECT_EQ(pkeywd_lookup(0x051D)->name, std::string("PRINT "));
}

TEST(KeywordTables, TokenNames) {
  EXPECT_STREQ(token_name(T_EOL), "T_EOL");
  EXPECT_STREQ(token_name(Rx0000), "Rx0000");
  EXPECT_EQ(Rx0000, 324);
  EXPECT_EQ(Rx2001, 480);
  EXPECT_STREQ(token_name(Rx2001), "Rx2001");
  EXPECT_STREQ(token_name(R9), "R9");
  EXPECT_EQ(token_name('+'), nullptr);
  EXPECT_EQ(token_name(481), nullptr);
}
