// The lister on lines assembled word by word in the code generator's
// layouts: expressions and their parentheses, statement forms, labels and
// indentation, markup, protected segments, and lines it cannot decode.
#include "language/lister.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "language/charset.h"
#include "language/decimal.h"
#include "language/keywords.h"
#include "language/progseg.h"

namespace {

using Words = std::vector<uint16_t>;

// A segment built by hand: symbols through the program library's entry
// builder, lines from their argument words.
struct Seg {
  ProgList prog;
  ProgSegment* seg = nullptr;

  Seg() {
    pkeywd_init();
    skeywd_init();
    seg = progseg_new(&prog);
  }
  ~Seg() { progseg_free_all(&prog); }

  uint16_t add(const ProgSymbolRef& ref) {
    long found = progseg_find_symbol(seg, ref);
    if (found >= 0) return static_cast<uint16_t>(0x8000 | found);
    std::vector<uint16_t> words;
    EXPECT_TRUE(prog_symbol_entry(ref, &words));
    uint16_t at = static_cast<uint16_t>(seg->symbols.size());
    EXPECT_EQ(progseg_add_symbols(seg, words.data(), words.size()), PROGSEG_OK);
    return static_cast<uint16_t>(0x8000 | at);
  }
  uint16_t named(int cls, int sub, const char* name) {
    ProgSymbolRef r;
    r.cls = cls;
    r.subtype = sub;
    r.name = name;
    r.name_len = static_cast<int>(std::strlen(name));
    return add(r);
  }
  uint16_t var(const char* name, int dims = 0) { return named(SYM_CLASS_NUMERIC, dims, name); }
  uint16_t svar(const char* name, int dims = 0) { return named(SYM_CLASS_STRING, dims, name); }
  uint16_t label(const char* name) { return named(SYM_CLASS_LINE, SYM_SUB_LABEL, name); }
  uint16_t sub(const char* name) { return named(SYM_CLASS_LINE, SYM_SUB_SUB, name); }
  uint16_t fn(const char* name) { return named(SYM_CLASS_LINE, SYM_SUB_FN, name); }
  uint16_t strct(const char* name) { return named(SYM_CLASS_STRUCT, 0, name); }
  uint16_t lineref(int n) {
    ProgSymbolRef r;
    r.cls = SYM_CLASS_LINE;
    r.subtype = SYM_SUB_LINE;
    r.lineno = n;
    return add(r);
  }
  uint16_t num(const char* text) {
    dec_number d;
    EXPECT_EQ(dec_from_ascii(text, std::strlen(text), &d), 0);
    uint8_t packed[PROG_PACKED_SIZE];
    prog_pack_number(&d, packed);
    ProgSymbolRef r;
    r.cls = SYM_CLASS_CONST;
    r.packed = packed;
    return add(r);
  }

  // Appends a line: number, keyword column, then the words.
  void line(int number, int column, const Words& body) {
    Words w{static_cast<uint16_t>(number), static_cast<uint16_t>(column << 8 | (body.size() + 2))};
    w.insert(w.end(), body.begin(), body.end());
    ASSERT_EQ(progseg_insert_line(seg, static_cast<uint32_t>(seg->code.size()), w.data(), w.size()), PROGSEG_OK);
  }
  std::string list(size_t i = 0, int flags = 0) {
    return list_line(seg, seg->code.data() + progseg_line_offset(seg, i), flags);
  }
  std::string only(const Words& body, int column = 4, int flags = 0) {
    seg->code.clear();
    line(10, column, body);
    return list(0, flags);
  }
};

// String words: the length word and the characters two per word.
Words str(const std::string& s) {
  Words w{static_cast<uint16_t>(0xFF00 | s.size())};
  for (size_t i = 0; i < s.size(); i += 2) {
    uint16_t hi = static_cast<uint8_t>(s[i]);
    uint16_t lo = i + 1 < s.size() ? static_cast<uint8_t>(s[i + 1]) : 0;
    w.push_back(static_cast<uint16_t>(hi << 8 | lo));
  }
  return w;
}

Words cat(std::initializer_list<Words> parts) {
  Words all;
  for (const Words& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

constexpr uint16_t OP(int k) { return static_cast<uint16_t>(0x79ED + 4 * k); }

enum : uint16_t {
  LET = 0x06B4,
  PRINT = 0x051D,
  DIM = 0x030C,
  COM = 0x029D,
  GOTO = 0x03B3,
  EOL = 0x08C0,
  ASSIGN_NUM = 0x0896,
  ASSIGN_STR = 0x08B6,
  VALUE = 0x08E9,
  SLIT = 0x08BD,
  MINUS = 0x086E,
  PLUS = 0x0872,
  TIMES = 0x0876,
  POWER = 0x089A,
  NEG = 0x086A,
  EQ = 0x088E,
  AND = 0x06C2,
  CONCAT = 0x08BA,
  SEMI = 0x08C8,
  COMMA = 0x08D0,
};

struct ListerTest : ::testing::Test {
  void SetUp() override { list_options(LIST_OPT_RESET, nullptr); }
  void TearDown() override {
    list_options(LIST_OPT_RESET, nullptr);
    list_context()->symbol_hook = nullptr;
  }
};

TEST_F(ListerTest, ParenthesesFollowPrecedenceAndSide) {
  Seg s;
  uint16_t X = s.var("X"), A = s.var("A"), B = s.var("B"), C = s.var("C");
  struct Case {
    Words ops;  // operations of the right-hand side; the last one is assigned to X
    const char* text;
  };
  const Case cases[] = {
      // A-(B-C) keeps its parentheses, (A-B)-C loses them.
      {{MINUS, B, C, MINUS, A, OP(0)}, "10 X=A-(B-C)"},
      {{MINUS, A, B, MINUS, OP(0), C}, "10 X=A-B-C"},
      {{PLUS, A, B, TIMES, OP(0), C}, "10 X=(A+B)*C"},
      {{TIMES, A, B, PLUS, OP(0), C}, "10 X=A*B+C"},
      {{POWER, A, B, POWER, OP(0), C}, "10 X=A^B^C"},
      {{POWER, B, C, POWER, A, OP(0)}, "10 X=A^(B^C)"},
      {{NEG, A, POWER, OP(0), B}, "10 X=(-A)^B"},
      {{POWER, A, B, NEG, OP(0)}, "10 X=-A^B"},
      {{PLUS, A, B, NEG, OP(0)}, "10 X=-(A+B)"},
      // A comparison used as an operand is always in parentheses.
      {{EQ, A, B, EQ, C, OP(0)}, "10 X=(C=(A=B))"},
      {{EQ, A, B, EQ, C, A, AND, OP(0), OP(1)}, "10 X=(A=B) AND (C=A)"},
  };
  for (const Case& c : cases) {
    Words body{LET};
    body.insert(body.end(), c.ops.begin(), c.ops.end());
    int last = 0;
    for (uint16_t w : c.ops)
      if (w < OP(0)) ++last;  // an operation word
    Words tail{ASSIGN_NUM, X, OP(last - 1), EOL};
    body.insert(body.end(), tail.begin(), tail.end());
    EXPECT_EQ(s.only(body), c.text) << c.text;
  }
}

TEST_F(ListerTest, FunctionsAndOperandForms) {
  Seg s;
  uint16_t X = s.var("X"), A = s.var("A"), Arr = s.var("M", 1), S = s.svar("S"), N = s.num("2.5");
  uint16_t F = s.fn("F"), Q = s.sub("Q");
  // MAX(A,2.5,X)+ABS(A)
  EXPECT_EQ(s.only({LET, 0x0776, 3, A, N, X, 0x06BA, A, PLUS, OP(0), OP(1), ASSIGN_NUM, X, OP(2), EOL}),
            "10 X=MAX(A,2.5,X)+ABS(A)");
  // FNF(M(*),A) and a user function without arguments.
  EXPECT_EQ(s.only({LET, 0x071A, F, 2, Arr, A, ASSIGN_NUM, X, OP(0), EOL}), "10 X=FNF(M(*),A)");
  EXPECT_EQ(s.only({LET, 0x071A, F, 0, ASSIGN_NUM, X, OP(0), EOL}), "10 X=FNF");
  // Subscripts, substrings and a call by value.
  EXPECT_EQ(s.only({LET, 0x08DA, Arr, 2, A, N, 0x08E9, X, ASSIGN_NUM, OP(0), OP(1), EOL}), "10 M(A,2.5)=X");
  EXPECT_EQ(s.only({PRINT, 0x08F2, A, N, 0x08F8, S, OP(0), EOL}), "10 PRINT S$[A,2.5]");
  EXPECT_EQ(s.only({0x0258, 0x08EC, A, 0x06D1, Q, 3, OP(0), S, Arr, EOL}), "10 CALL Q((A),S$,M(*))");
  // Extension functions come behind the operation prefix.
  EXPECT_EQ(s.only({LET, 0x093A, 0x9CAA, 2, A, X, ASSIGN_NUM, X, OP(0), EOL}), "10 X=BINIOR(A,X)");
}

TEST_F(ListerTest, LongExpressionsListWholeWithMarkup) {
  Seg s;
  // X=(Z0+Y0)*(Z1+Y1)*...*(Z19+Y19): the forty operations a statement part may hold.
  Words body{LET};
  std::string expect = "10 <V>X</V><O>=</O>";
  for (int i = 0; i < 20; ++i) {
    std::string z = "Z" + std::to_string(i), y = "Y" + std::to_string(i);
    body.insert(body.end(), {PLUS, s.var(z.c_str()), s.var(y.c_str())});
    expect += std::string(i ? "<O>*</O>" : "") + "(<V>" + z + "</V><O>+</O><V>" + y + "</V>)";
  }
  body.insert(body.end(), {TIMES, OP(0), OP(1)});
  for (int i = 2; i < 20; ++i) body.insert(body.end(), {TIMES, OP(18 + i), OP(i)});
  body.insert(body.end(), {ASSIGN_NUM, s.var("X"), OP(38), EOL});

  const char* table[LIST_CTRL_WORDS] = {"</X>"};
  table[1 + 2 * LIST_CTRL_VARIABLE] = "<V>";
  table[2 + 2 * LIST_CTRL_VARIABLE] = "</V>";
  table[1 + 2 * LIST_CTRL_OPERATOR] = "<O>";
  table[2 + 2 * LIST_CTRL_OPERATOR] = "</O>";
  ASSERT_EQ(list_options(LIST_OPT_SET_MARKUP, table), 0);
  EXPECT_EQ(s.only(body), expect);
}

TEST_F(ListerTest, StringConstants) {
  Seg s;
  uint16_t S = s.svar("S");
  struct Case {
    std::string value;
    const char* text;
  };
  const Case cases[] = {
      {"AB", "10 S$=\"AB\""},
      {"", "10 S$=\"\""},
      {"say \"hi\"", "10 S$=\"say \"hi\"\""},
      {std::string("A\0B", 3), "10 S$=\"A\"&CHR$(0)&\"B\""},
      {std::string("\0B", 2), "10 S$=CHR$(0)&\"B\""},
      {std::string("ABC\0", 4), "10 S$=\"ABC\"&CHR$(0)"},
  };
  for (const Case& c : cases) {
    Words body = cat({{LET, SLIT}, str(c.value), {ASSIGN_STR, S, OP(0), EOL}});
    EXPECT_EQ(s.only(body), c.text);
  }
}

TEST_F(ListerTest, StatementForms) {
  Seg s;
  uint16_t A = s.var("A"), I = s.var("I"), One = s.num("1"), Ten = s.num("10"), M = s.var("M", 2);
  uint16_t B = s.svar("B"), L100 = s.lineref(100), L200 = s.lineref(200), T = s.strct("T"), R = s.strct("R");
  struct Case {
    Words body;
    const char* text;
  };
  const Case cases[] = {
      {{PRINT, VALUE, A, SEMI, SLIT, 0xFF01, 0x5800, EOL}, "10 PRINT A;\"X\""},
      {{0x0397, 5, ASSIGN_NUM, I, One, 0x0825, VALUE, Ten, 0x0816, VALUE, One, EOL}, "10 FOR I=1 TO 10 STEP 1"},
      {{0x0466, I}, "10 NEXT I"},
      {{GOTO, L100}, "10 GOTO 100"},
      {{0x03C0, EQ, A, One, 0x081E, L200}, "10 IF A=1 THEN 200"},
      {{0x03C0, VALUE, A, 0x081E, PRINT, VALUE, A, EOL}, "10 IF A THEN PRINT A"},
      {{0x0305, 2, L100, L200}, "10 DEL 100,200"},
      {{0x04CB, VALUE, A, 0x09E9, 2, L100, L200}, "10 ON A GOTO 100,200"},
      {{0x05CA, L100}, "10 RESTORE 100"},
      {{DIM, M, 0x0916, 0, 3, 0x091F, 0, 0xFFFE, 0x091C, 0, 4, 0x0922, 0x0925, B, 0x0919, 20, EOL},
       "10 DIM M(3,-2:4),B$[20]"},
      {{COM, 0x074C, A, 0x0925, B, 0x0910, EOL}, "10 COM INTEGER A,B$"},
      {{0x058F, M, 0x090A, VALUE, A, 0x08D0, VALUE, Ten, 0x08CC, 0x002C, B, 0x090A, VALUE, One, 0x08CC, EOL},
       "10 REDIM M(A,10),B$(1)"},
      {{0x04D6, 1}, "10 OPTION BASE 1"},
      {{0x2000, T, 0x2002, R, EOL}, "10 TYPE T EXTENDS R"},
      {{0x2011, 0x2003, A, T, EOL}, "10 NEW A AS T"},
      {{0x0239, 0x002A, 0x0825, VALUE, One, EOL}, "10 ASSIGN * TO #1"},
      {{0x0B25, 0x0B3B, 0x0B44, 5, COMMA, 0x0B44, 1, 0x0825, 0x0B44, 0xFFFD, EOL}, "10 CASE <5,1 TO -3"},
      {{0x0932, 0xB444, 3, A, M, 0x0872, M, EOL}, "10 MAT A=M+M"},
      {{0x0932, 0xA84F, 2, A, M}, "10 TRACE VARIABLES A,M(*)"},
  };
  for (const Case& c : cases) EXPECT_EQ(s.only(c.body), c.text) << c.text;
}

// Concatenation reads back grouped to the right, so a concatenation on
// either side of another keeps its parentheses.
TEST_F(ListerTest, ConcatenationShowsItsGroupingOnBothSides) {
  Seg s;
  uint16_t A = s.svar("A"), B = s.svar("B"), C = s.svar("C"), D = s.svar("D");
  struct Case {
    Words ops;  // the last operation is assigned to D$
    const char* text;
  };
  const Case cases[] = {
      {{CONCAT, A, B, CONCAT, OP(0), C}, "10 D$=(A$&B$)&C$"},
      {{CONCAT, B, C, CONCAT, A, OP(0)}, "10 D$=A$&(B$&C$)"},
      {{CONCAT, A, B, CONCAT, C, D, CONCAT, OP(0), OP(1)}, "10 D$=(A$&B$)&(C$&D$)"},
  };
  for (const Case& c : cases) {
    int last = 0;
    for (uint16_t w : c.ops)
      if (w == CONCAT) ++last;
    Words body = cat({{LET}, c.ops, {ASSIGN_STR, D, OP(last - 1), EOL}});
    EXPECT_EQ(s.only(body), c.text) << c.text;
  }
}

// The name of a called dialog function stands before the "(" of its
// arguments; unless it ends with a string constant it is put in parentheses,
// with string markup on or off.
TEST_F(ListerTest, DialogCallNameIsEnclosedUnlessItEndsWithAString) {
  Seg s;
  uint16_t A = s.svar("A"), X = s.var("X");
  const Words head{0x0932, 0x9F46, 0x093A, 0x9FEA};
  const Words args{0x093A, 0x9FED, VALUE, X, 0x08CC, EOL};
  const Words by_variable = cat({head, {0x08E3, A}, args});
  const Words by_constant = cat({head, {SLIT}, str("f"), args});
  const Words ending_in_variable = cat({head, {SLIT}, str("f"), {CONCAT, OP(0), A}, args});
  EXPECT_EQ(s.only(by_variable), "10 DLG CALL FUNCTION (A$)(X)");
  EXPECT_EQ(s.only(by_constant), "10 DLG CALL FUNCTION \"f\"(X)");
  EXPECT_EQ(s.only(ending_in_variable), "10 DLG CALL FUNCTION (\"f\"&A$)(X)");

  const char* table[LIST_CTRL_WORDS] = {};
  table[1 + 2 * LIST_CTRL_STRING] = "<S>";
  table[2 + 2 * LIST_CTRL_STRING] = "</S>";
  ASSERT_EQ(list_options(LIST_OPT_SET_MARKUP, table), 0);
  EXPECT_EQ(s.only(by_constant), "10 DLG CALL FUNCTION <S>\"f\"</S>(X)");
  EXPECT_EQ(s.only(by_variable), "10 DLG CALL FUNCTION (A$)(X)");
}

TEST_F(ListerTest, SubAndFunctionHeadersListTheirParameters) {
  Seg s;
  uint16_t Q = s.sub("Q"), F = s.fn("F"), X = s.var("X"), V = s.var("V", 1), B = s.svar("B"), T = s.strct("T"),
           P = s.strct("P"), Two = s.num("2");
  EXPECT_EQ(s.only({0x0690, Q, 5, 0x0A0C, X, B, V, 0x0A05, 3, 0x2003, P, T, EOL}),
            "10 SUB Q(REAL X,B$,V(*),#3,P AS T)");
  EXPECT_EQ(s.only({0x02ED, F, 1, X, TIMES, X, Two, 0x09FC, OP(0), EOL}), "10 DEF FNF(X)=X*2");
  // A structure parameter is an operation of its own; the value counts after it.
  EXPECT_EQ(s.only({0x02ED, F, 1, 0x2006, P, TIMES, X, Two, 0x09FC, OP(1), EOL}), "10 DEF FNF(STRUCT P)=X*2");
  EXPECT_EQ(s.only({0x0690, Q, 0, EOL}), "10 SUB Q");
}

TEST_F(ListerTest, LabelIndentationAndTrailingComment) {
  Seg s;
  uint16_t A = s.var("A"), L = s.label("LOOP");
  // The keyword column counts from 1 over the whole line; the label comes first.
  s.line(10, 12, {L, PRINT, VALUE, A, EOL});
  s.line(20, 7, cat({{PRINT, VALUE, A, EOL}, str("! note"), {20}}));
  s.line(30, 4, cat({{0x059F}, str("remark"), {8}}));
  s.line(40, 4, cat({{0x02D0}, str("1,2,\"A\""), {9}}));
  EXPECT_EQ(s.list(0), "10 LOOP:   PRINT A");
  EXPECT_EQ(s.list(1), "20    PRINT A      ! note");
  EXPECT_EQ(s.list(2), "30 REM remark");
  EXPECT_EQ(s.list(3), "40 DATA 1,2,\"A\"");
  EXPECT_EQ(s.list(1, LIST_NO_LINE_NUMBER), "      PRINT A      ! note");

  // Markup changes no column.
  const char* table[LIST_CTRL_WORDS] = {"</X>"};
  table[1 + 2 * LIST_CTRL_KEYWORD] = "<P>";
  table[2 + 2 * LIST_CTRL_KEYWORD] = "</P>";
  table[1 + 2 * LIST_CTRL_VARIABLE] = "<V>";
  table[1 + 2 * LIST_CTRL_LABEL] = "<L>";
  table[2 + 2 * LIST_CTRL_LABEL] = "</L>";
  table[1 + 2 * LIST_CTRL_COMMENT] = "<R>";
  ASSERT_EQ(list_options(LIST_OPT_SET_MARKUP, table), 0);
  EXPECT_EQ(s.list(0), "10 <L>LOOP</L>:   <P>PRINT </P><V>A</X>");
  EXPECT_EQ(s.list(1), "20    <P>PRINT </P><V>A</X>      <R>! note</X>");
}

TEST_F(ListerTest, ProtectedSegmentsHideTheirCode) {
  Seg s;
  uint16_t A = s.var("A");
  s.line(10, 4, {PRINT, VALUE, A, EOL});
  s.seg->protection = PROGSEG_PROTECTED;
  EXPECT_EQ(s.list(0), "10* PROTECTED");
  EXPECT_EQ(s.list(0, LIST_NO_LINE_NUMBER), "* PROTECTED");
  EXPECT_EQ(s.list(0, LIST_SHOW_PROTECTED), "10 PRINT A");
  s.seg->protection = PROGSEG_PROTECTED | PROGSEG_AUTHORIZED;
  EXPECT_EQ(s.list(0), "10 PRINT A");
}

TEST_F(ListerTest, UndecodableLinesShowAnErrorAndTheNextLineLists) {
  Seg s;
  uint16_t A = s.var("A");
  struct Case {
    Words body;
    const char* text;
  };
  const Case cases[] = {
      // A statement of an extension module this lister does not know.
      {{0x0932, 0x9800 | (6 << 10)}, "10* MISSING DROM"},
      {{0x0932, 0x0123}, "10* ERROR 1004"},
      // An element code no table holds.
      {{PRINT, 0x0999, EOL}, "10* ERROR 1004"},
      // Operand references that point nowhere: a later operation, a symbol past the table.
      {{LET, ASSIGN_NUM, A, OP(3), EOL}, "10* ERROR 1004"},
      {{LET, ASSIGN_NUM, A, 0xB000, EOL}, "10* ERROR 1004"},
      // A string whose length runs past the line, and a line that stops inside an operation.
      {{PRINT, SLIT, 0xFF40, 0x4142, EOL}, "10* ERROR 1004"},
      {{LET, ASSIGN_NUM, A}, "10* ERROR 1004"},
      // Words left over after the statement that are no trailing text.
      {{GOTO, A, 0x1234}, "10* ERROR 1004"},
      // An unsupported function.
      {{LET, 0x093A, 0xB497, ASSIGN_NUM, A, OP(0), EOL}, "10* ERROR -1"},
  };
  for (const Case& c : cases) EXPECT_EQ(s.only(c.body), c.text) << c.text;
  s.seg->code.clear();
  s.line(10, 4, {PRINT, 0x0999, EOL});
  s.line(20, 4, {PRINT, VALUE, A, EOL});
  EXPECT_EQ(s.list(1), "20 PRINT A");
}

// Damaged and random code never stops a listing: every line gives a text,
// either listed or an error line.
TEST_F(ListerTest, RandomAndDamagedCodeListsAsTextOrErrorLines) {
  Seg s;
  const Words pool = {s.var("A"),
                      s.svar("B"),
                      s.var("M", 2),
                      s.num("7"),
                      s.lineref(10),
                      s.label("L"),
                      s.fn("F"),
                      s.sub("Q"),
                      s.strct("T"),
                      LET,
                      PRINT,
                      DIM,
                      COM,
                      GOTO,
                      EOL,
                      ASSIGN_NUM,
                      VALUE,
                      SLIT,
                      MINUS,
                      NEG,
                      EQ,
                      CONCAT,
                      SEMI,
                      COMMA,
                      OP(0),
                      OP(1),
                      OP(5),
                      0x0932,
                      0x093A,
                      0x08DD,
                      0x06D1,
                      0x071A,
                      0x0776,
                      0x2003,
                      0x0B44,
                      0x09E9,
                      0x03C0,
                      0x0690,
                      0x02ED,
                      0x0466,
                      0x058F,
                      0xB444,
                      0xA84F,
                      0x0916,
                      0x0919,
                      0xFF03,
                      0xFFFF,
                      0,
                      1,
                      2,
                      0x7FFF};
  uint32_t seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int round = 0; round < 3000; ++round) {
    Words body;
    size_t n = 1 + rnd() % 24;
    for (size_t i = 0; i < n; ++i) {
      // Odd rounds take words that mean something, even rounds any word.
      uint16_t any = static_cast<uint16_t>(rnd() * 2 + (rnd() & 1));
      body.push_back(round % 2 ? pool[rnd() % pool.size()] : any);
    }
    std::string text = s.only(body);
    ASSERT_EQ(text.rfind("10", 0), 0u) << text;
  }
}

TEST_F(ListerTest, OptionsAndMarkup) {
  int cs = 2;
  errno = 0;
  EXPECT_EQ(list_options(LIST_OPT_SET_CHARSET, &cs), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(list_options(0x77, &cs), -1);
  cs = 1;
  EXPECT_EQ(list_options(LIST_OPT_SET_CHARSET, &cs), 0);
  int got = -5;
  EXPECT_EQ(list_options(LIST_OPT_CHARSET, &got), 0);
  EXPECT_EQ(got, 1);

  const char* table[LIST_CTRL_WORDS] = {"</X>"};
  table[1 + 2 * LIST_CTRL_STRING] = "<S>";
  table[2 + 2 * LIST_CTRL_STRING] = "</S>";
  table[1 + 2 * LIST_CTRL_NUMBER] = "<C>";
  ASSERT_EQ(list_options(LIST_OPT_SET_MARKUP, table), 0);
  EXPECT_STREQ(do_str("\"A\"", LIST_CTRL_STRING), "<S>\"A\"</S>");
  EXPECT_STREQ(do_str("12", LIST_CTRL_NUMBER), "<C>12</X>");  // start without end: the default end
  EXPECT_STREQ(do_str("", LIST_CTRL_STRING), "");
  EXPECT_STREQ(do_str("X", LIST_CTRL_VARIABLE), "X");
  const char* back[LIST_CTRL_WORDS] = {};
  ASSERT_EQ(list_options(LIST_OPT_MARKUP, back), 0);
  EXPECT_STREQ(back[1 + 2 * LIST_CTRL_STRING], "<S>");

  ASSERT_EQ(list_options(LIST_OPT_RESET, nullptr), 0);
  EXPECT_STREQ(do_str("\"A\"", LIST_CTRL_STRING), "\"A\"");
  EXPECT_EQ(list_options(LIST_OPT_CHARSET, &got), 0);
  EXPECT_EQ(got, -1);
}

TEST_F(ListerTest, EachContextKeepsItsOwnOptionsAndSegmentName) {
  Seg s;
  uint16_t S = s.svar("S");
  s.line(10, 4, cat({{LET, SLIT}, str("A"), {ASSIGN_STR, S, OP(0), EOL}}));
  const uint16_t* line = s.seg->code.data();

  ListContext marked;
  ListContext plain;
  const char* table[LIST_CTRL_WORDS] = {"</X>"};
  table[1 + 2 * LIST_CTRL_STRING] = "<S>";
  ASSERT_EQ(list_options_ctx(&marked, LIST_OPT_SET_MARKUP, table), 0);
  EXPECT_EQ(std::string(list_line_ctx(&marked, s.seg, line, 0)), "10 S$=<S>\"A\"</X>");
  EXPECT_EQ(std::string(list_line_ctx(&plain, s.seg, line, 0)), "10 S$=\"A\"");
  EXPECT_EQ(s.list(0), "10 S$=\"A\"");  // the process's context is untouched
  int cs = 1;
  EXPECT_EQ(list_options_ctx(&plain, LIST_OPT_SET_CHARSET, &cs), 0);
  int got = 0;
  EXPECT_EQ(list_options_ctx(&marked, LIST_OPT_CHARSET, &got), 0);
  EXPECT_EQ(got, -1);

  const char* name = list_segment_name(&marked, &s.prog, s.seg);
  EXPECT_STREQ(segname(&s.prog, s.seg), "main");
  EXPECT_STREQ(name, "main");
  EXPECT_EQ(name, marked.segment_name.c_str());
}

TEST_F(ListerTest, ConvertsToTheOutputCharacterSet) {
  Seg s;
  uint16_t S = s.svar("S");
  s.seg->charset = 1;
  // ISO 8859-1 e-acute.
  s.line(10, 4, cat({{LET, SLIT}, str("\xE9"), {ASSIGN_STR, S, OP(0), EOL}}));
  EXPECT_EQ(s.list(0), "10 S$=\"\xE9\"");  // no output set chosen: as stored
  int cs = 0;
  ASSERT_EQ(list_options(LIST_OPT_SET_CHARSET, &cs), 0);
  std::string roman = s.list(0);
  EXPECT_EQ(roman, std::string("10 S$=\"") + static_cast<char>(charset_table(1, 0)[0xE9]) + "\"");
  EXPECT_EQ(s.list(0, LIST_NO_CONVERSION), "10 S$=\"\xE9\"");
}

struct Seen {
  std::vector<std::string> names;
  std::vector<int> modes;
};

void record(void* user, ProgSegment*, uint16_t, const char* name, int mode) {
  auto* seen = static_cast<Seen*>(user);
  seen->names.push_back(name);
  seen->modes.push_back(mode);
}

TEST_F(ListerTest, SymbolHookSeesDeclarations) {
  Seg s;
  uint16_t A = s.var("A"), B = s.svar("B"), M = s.var("M", 1), Q = s.sub("Q"), X = s.var("X");
  Seen seen;
  list_context()->symbol_hook = record;
  list_context()->symbol_user = &seen;
  s.line(10, 4, {COM, A, 0x0925, B, 0x0910, EOL});
  s.line(20, 4, {DIM, M, 0x0916, 0, 3, 0x0922, EOL});
  s.line(30, 4, {0x0690, Q, 1, X, EOL});
  s.line(40, 4, {LET, ASSIGN_NUM, A, X, EOL});
  for (size_t i = 0; i < 4; ++i) s.list(i);
  EXPECT_EQ(seen.names, (std::vector<std::string>{"A", "B$", "M", "Q", "X", "A", "X"}));
  EXPECT_EQ(seen.modes, (std::vector<int>{2, 2, 3, 1, 1, 0, 0}));
}

}  // namespace
