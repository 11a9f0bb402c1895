// Scanner: line start, tokens of both spellings, numbers, strings, the DATA
// and IMAGE modes, statements after THEN, push-back and every message.
#include "language/scanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "language/codegen.h"
#include "language/compile.h"
#include "language/decimal.h"

using namespace ptok;

namespace {

enum Spelling { SI, SD };

// Hex of the 8-byte constant form of a number text.
std::string packed_hex(const char* text) {
  dec_number n;
  EXPECT_EQ(math_from_text(text, std::strlen(text), &n), 0) << text;
  EXPECT_EQ(math_round_sig(&n, 12), 0);
  uint8_t b[8];
  math_pack(&n, b, sizeof b);
  std::string out;
  char buf[4];
  for (uint8_t x : b) {
    std::snprintf(buf, sizeof buf, "%02x", x);
    out += buf;
  }
  return out;
}

// Replaces every C{number} by C(<packed hex>).
std::string expand(const std::string& want) {
  std::string out;
  size_t i = 0;
  while (i < want.size()) {
    size_t at = want.find("C{", i);
    if (at == std::string::npos) {
      out += want.substr(i);
      break;
    }
    size_t close = want.find('}', at);
    out += want.substr(i, at - i);
    out += "C(" + packed_hex(want.substr(at + 2, close - at - 2).c_str()) + ")";
    i = close + 1;
  }
  return out;
}

class Scanner {
 public:
  explicit Scanner(Spelling sp) {
    cc_init(&cc, CgFrontEnd{scan_line_start, nullptr});
    cc.space_dependent = sp == SD;
  }
  ~Scanner() { cc_free(&cc); }
  Scanner(const Scanner&) = delete;
  Scanner& operator=(const Scanner&) = delete;

  // One token in readable form.
  std::string describe(int tok) {
    const ScanValue* v = scan_value(&cc);
    std::string text = v->text ? std::string(v->text, static_cast<size_t>(v->length)) : "";
    switch (tok) {
      case T_EOL: return "EOL";
      case T_STMT: return "STMT";
      case T_EXPR: return "EXPR";
      case T_XPVAR: return "XPVAR";
      case T_SYM: return std::string("SYM(") + v->name + ")";
      case T_ICONST: return "I(" + std::to_string(v->number) + ")";
      case T_STRING: return "S(" + text + ")";
      case T_ANY: return "ANY(" + text + ")";
      case T_SEC: return std::string("SEC(") + v->secondary->name + ")";
      case '!': return "!(" + text + ")@" + std::to_string(v->number);
      case T_CONST: {
        std::string hex;
        char buf[4];
        for (uint8_t x : v->packed) {
          std::snprintf(buf, sizeof buf, "%02x", x);
          hex += buf;
        }
        return "C(" + hex + ")";
      }
      default: break;
    }
    if (const char* name = token_name(tok)) {
      if (tok >= first_statement_token && tok <= last_statement_token)
        return std::string(name) + ":" + v->statement->name;
      if (tok >= R0 && tok <= R9) return std::string(name) + "(" + v->secondary->name + ")";
      return name;
    }
    return std::string("'") + static_cast<char>(tok) + "'";
  }

  // Reads tokens up to T_EOL; what was read stays in `seen` when a token
  // fails.
  std::string lex_all() {
    seen.clear();
    for (int guard = 0; guard < 100; ++guard) {
      int tok = scan_lex(&cc);
      if (!seen.empty()) seen += " ";
      seen += describe(tok);
      if (tok == T_EOL) break;
    }
    return seen;
  }

  // Runs a step that may fail; gives "" or "ERR <column> <message>".
  template <typename F>
  std::string guarded(F step) {
    try {
      step();
    } catch (const CgLineError&) {
      return "ERR " + std::to_string(cc.error_column) + " " + cc.error_message;
    }
    return "";
  }

  // Line start and every token of the line.
  std::string line(const std::string& text, int mode = SCAN_MODE_PROGRAM) {
    seen.clear();
    std::string err = guarded([&] {
      result = scan_line_start(&cc, mode, text.data(), static_cast<int>(text.size()));
      if (result >= SCAN_LINE_NUMBERED) lex_all();
    });
    return err.empty() ? seen : (seen.empty() ? err : seen + " " + err);
  }

  std::vector<uint32_t> code() const { return cc.cg.code.to_vector(); }

  CompileContext cc;
  int result = -9;
  std::string seen;
};

}  // namespace

TEST(ScanMatchKeyword, MatchingRuleInBothSpellings) {
  struct Case {
    const char* keyword;
    const char* input;
    bool space_dependent;
    int consumed;  // -1: no match
  } cases[] = {
      {"PRINT ", "PRINTX", false, 5},                                          // a final blank ends the keyword
      {"PRINT ", "PRINTX", true, 5},     {"PRINT #", "PR INT  #1", false, 9},  // blanks ignored
      {"PRINT #", "PRINT  #1", true, 8},                                       // inner blank takes any run
      {"PRINT #", "PRINT#1", true, 6},                                         // ... or none
      {"PRINT", "PR INT", true, -1},                                           // a blank ends a word
      {"PRINT", "print", true, 5},                                             // lower case compares in upper case
      {"PRINT", "print", false, -1},     {"PRINT", "PRIN", false, -1},         // input ends first
      {"", "anything", false, 0},                                              // the empty name matches at once
      {"IS A", "ISA", true, 3},          {"IS A", "is   a", true, 6},
  };
  for (const Case& c : cases) {
    const char* cur = c.input;
    int rem = static_cast<int>(std::strlen(c.input));
    bool ok = scan_match_keyword(c.keyword, &cur, &rem, c.space_dependent);
    EXPECT_EQ(ok, c.consumed >= 0) << c.keyword << " / " << c.input;
    if (ok) {
      EXPECT_EQ(cur - c.input, c.consumed) << c.keyword << " / " << c.input;
      EXPECT_EQ(rem, static_cast<int>(std::strlen(c.input)) - c.consumed);
    } else {
      EXPECT_EQ(cur, c.input);
    }
  }
}

TEST(ScanLineStart, StatementsInBothSpellings) {
  struct Case {
    Spelling sp;
    const char* line;
    const char* tokens;
  } cases[] = {
      {SI, "10 PRINT Total", "STMT Rxc629:PRINT  SYM(Total) EOL"},
      {SI, "10 PR INT Tot al", "STMT Rxc629:PRINT  SYM(Total) EOL"},
      {SI, "10 PRINT #1;X", "STMT Rxd18c:PRINT # I(1) ';' SYM(X) EOL"},
      {SI, "10 PRINTER IS 5", "STMT Rxc7ea:PRINTER IS  I(5) EOL"},
      {SI, "10 X=5", "STMT Rx0d3e: SYM(X) '=' I(5) EOL"},
      {SI, "10 LET X=5", "STMT Rx0ccf:LET  SYM(X) '=' I(5) EOL"},
      {SD, "10 print tally", "STMT Rxc629:PRINT  SYM(Tally) EOL"},
      {SD, "10 print total(1,2)", "STMT Rxc629:PRINT  SEC(TOTAL) Rnnn '(' I(1) ',' I(2) ')' EOL"},
      {SD, "10 Print Tot al", "STMT Rxc629:PRINT  SYM(Tot) SYM(Al) EOL"},
      {SD, "10 printer is 5", "STMT Rxc7ea:PRINTER IS  I(5) EOL"},
      {SD, "10 printerx = 1", "STMT Rx0d3e: SYM(Printerx) '=' I(1) EOL"},
      {SD, "10 printer = 1", "STMT Rx0d3e: SYM(Printer) '=' I(1) EOL"},
      {SD, "10 print#1;x", "STMT Rxd18c:PRINT # I(1) ';' SYM(X) EOL"},
      {SD, "10 gosub 100", "STMT Rxbcf5:GOSUB  I(100) EOL"},
      {SD, "10 fnend", "STMT Rx7ffb:FNEND EOL"},
  };
  for (const Case& c : cases) {
    Scanner s(c.sp);
    EXPECT_EQ(s.line(c.line), c.tokens) << c.line;
    EXPECT_EQ(s.result, SCAN_LINE_NUMBERED) << c.line;
  }
}

TEST(ScanLineStart, EmittedWords) {
  Scanner s(SI);
  s.line("10 PRINT Total");
  EXPECT_EQ(s.code(), (std::vector<uint32_t>{10, 4u << 8, 0x051D}));

  // Unnumbered: line number word 0, filled in by the code generator.
  Scanner u(SI);
  u.line("  PRINT Total");
  EXPECT_EQ(u.result, SCAN_LINE_UNNUMBERED);
  EXPECT_EQ(u.code(), (std::vector<uint32_t>{0, 3u << 8, 0x051D}));

  // Extension statements carry the prefix word and their module number.
  Scanner x(SI);
  x.line("20 DBOPEN (B$,P$,1,S(*))");
  EXPECT_EQ(x.code(), (std::vector<uint32_t>{20, 4u << 8, 0x0932, 0x880C}));

  // A label goes between the header and the statement word.
  Scanner l(SI);
  EXPECT_EQ(l.line("30 Loop: PRINT X"), "STMT Rxc629:PRINT  SYM(X) EOL");
  std::vector<uint32_t> code = l.code();
  ASSERT_EQ(code.size(), 4u);
  EXPECT_EQ(code[1], 10u << 8);
  EXPECT_TRUE(code[2] & CG_TMPSYM_BIT);
  EXPECT_EQ(code[3], 0x051Du);
  ASSERT_EQ(l.cc.cg.tmpsyms.size(), 1u);
  EXPECT_STREQ(l.cc.cg.tmpsyms[0].name, "Loop");
  EXPECT_EQ(l.cc.cg.tmpsyms[0].cls, 1);
  EXPECT_EQ(l.cc.cg.tmpsyms[0].subtype, 1);

  // The keyword column is at most 255.
  Scanner w(SI);
  w.line("40" + std::string(300, ' ') + "STOP");
  EXPECT_EQ(w.code()[1], 255u << 8);
}

TEST(ScanLineStart, ValueOfTheStatementKeyword) {
  Scanner t(SI);
  ASSERT_EQ(t.guarded([&] { scan_line_start(&t.cc, SCAN_MODE_PROGRAM, "10 DBCLOSE (B$)", 15); }), "");
  EXPECT_EQ(scan_lex(&t.cc), T_STMT);
  const ScanValue* v = scan_value(&t.cc);
  EXPECT_EQ(v->number, 0x8815);
  EXPECT_EQ(v->module, 2);
  EXPECT_EQ(v->flags, 0x80);
  EXPECT_EQ(scan_lex(&t.cc), Rx8801);
}

TEST(ScanLineStart, LineNumbersResultsAndModes) {
  struct Case {
    int mode;
    const char* line;
    int result;
    const char* tokens;
  } cases[] = {
      {SCAN_MODE_PROGRAM, "", SCAN_LINE_EMPTY, ""},
      {SCAN_MODE_PROGRAM, "    ", SCAN_LINE_EMPTY, ""},
      {SCAN_MODE_PROGRAM, "100", SCAN_LINE_NUMBER_ONLY, ""},
      {SCAN_MODE_PROGRAM, "1 0 0 STOP", SCAN_LINE_NUMBERED, "STMT Rx7ffb:STOP EOL"},
      {SCAN_MODE_PROGRAM, "32767 STOP", SCAN_LINE_NUMBERED, "STMT Rx7ffb:STOP EOL"},
      {SCAN_MODE_PROGRAM, "0 STOP", -9, "ERR 0 IMPROPER LINE NUMBER"},
      {SCAN_MODE_PROGRAM, "32768 STOP", -9, "ERR 0 IMPROPER LINE NUMBER"},
      {SCAN_MODE_PROGRAM, "  99999999999999999999 STOP", -9, "ERR 2 IMPROPER LINE NUMBER"},
      {SCAN_MODE_PROGRAM, "10.5 STOP", -9, "ERR 0 IMPROPER LINE NUMBER"},
      {SCAN_MODE_PROGRAM, "10 Here:", -9, "ERR 3 IMPROPER STATEMENT"},
      {SCAN_MODE_PROGRAM, "Here: STOP", SCAN_LINE_UNNUMBERED, "STMT Rx7ffb:STOP EOL"},
      {SCAN_MODE_PROGRAM, "10 Abcdefghijklmnop: STOP", -9, "ERR 3 SYMBOL TOO LONG"},
      {SCAN_MODE_PROGRAM, "10 \x01STOP", -9, "ERR 3 IMPROPER CHARACTER"},
      {SCAN_MODE_PROGRAM, "10 stop", -9, "ERR 3 IMPROPER CHARACTER"},
      // Immediate input: commands without a line number, line-bound
      // statements only with one.
      {SCAN_MODE_IMMEDIATE, "RUN", SCAN_LINE_UNNUMBERED, "STMT Rx0e18:RUN EOL"},
      {SCAN_MODE_IMMEDIATE, "10 RUN", -9, "ERR 3 RUN NOT ALLOWED HERE"},
      {SCAN_MODE_IMMEDIATE, "PAUSE", -9, "ERR 0 PAUSE  NOT ALLOWED HERE"},
      {SCAN_MODE_IMMEDIATE, "END", -9, "ERR 0 END NOT ALLOWED HERE"},
      {SCAN_MODE_IMMEDIATE, "10 PAUSE", SCAN_LINE_NUMBERED, "STMT Rx7ffb:PAUSE  EOL"},
      {SCAN_MODE_IMMEDIATE, "Here: STOP", SCAN_LINE_UNNUMBERED, "STMT Rx0d3e: SYM(Here) ':' SYM(S) TO SYM(P) EOL"},
      {SCAN_MODE_PROGRAM, "10 LIST", -9, "ERR 3 LIST NOT ALLOWED HERE"},
      {SCAN_MODE_PROGRAM, "10 CATLINE 1", -9, "ERR 3 CATLINE: UNSUPPORTED KEYWORD"},
      {SCAN_MODE_IMMEDIATE, "CATLINE 1", -9, "ERR 0 CATLINE: UNSUPPORTED KEYWORD"},
      // Statement without line number: no line number is read.
      {SCAN_MODE_STATEMENT, "DATA 1", -9, "ERR 0 DATA  NOT ALLOWED HERE"},
      {SCAN_MODE_STATEMENT, "10 STOP", SCAN_LINE_UNNUMBERED, "STMT Rx0d3e: I(10) SYM(S) TO SYM(P) EOL"},
      {SCAN_MODE_STATEMENT, "DISP X", SCAN_LINE_UNNUMBERED, "STMT Rxc629:DISP  SYM(X) EOL"},
      // Expressions and variable lists: no line number, no keyword.
      {SCAN_MODE_EXPRESSION, "10+X", SCAN_LINE_UNNUMBERED, "EXPR I(10) '+' SYM(X) EOL"},
      {SCAN_MODE_VARLIST, "A,B$", SCAN_LINE_UNNUMBERED, "XPVAR SYM(A) ',' SYM(B) '$' EOL"},
      {SCAN_MODE_EXPRESSION, "", SCAN_LINE_EMPTY, ""},
  };
  for (const Case& c : cases) {
    Scanner s(SI);
    std::string got = s.line(c.line, c.mode);
    EXPECT_EQ(got, c.tokens) << c.line;
    if (c.result != -9) {
      EXPECT_EQ(s.result, c.result) << c.line;
    }
  }
  Scanner n(SI);
  n.line("100");
  EXPECT_EQ(n.code(), std::vector<uint32_t>{100});
}

TEST(ScanLex, NumbersAndStrings) {
  static const std::string long_number(300, '7');
  struct Case {
    Spelling sp;
    const char* text;
    const char* tokens;
  } cases[] = {
      {SI, "32767", "I(32767) EOL"},
      {SI, "32768", "C{32768} EOL"},
      {SI, "12.", "C{12} EOL"},
      {SI, "1 2 3", "I(123) EOL"},
      {SI, "1.5E+3", "C{1500} EOL"},
      {SI, "2.5e-1", "C{0.25} EOL"},
      {SI, ".5", "C{0.5} EOL"},
      {SI, "12Ex", "C{12} SYM(Ex) EOL"},
      {SD, "12Ex", "C{12} SYM(Ex) EOL"},
      {SI, "3E", "C{3} SYM(E) EOL"},
      {SI, "1.23456789012345", "C{1.23456789012} EOL"},
      {SI, "X.Y", "SYM(X) '.' SYM(Y) EOL"},
      {SI, "\"ab c\"&\"\"", "S(ab c) '&' S() EOL"},
      {SI, "\"say \"", "S(say ) EOL"},
      {SI, "1E9999", "ERR 0 IMPROPER NUMBER"},
      {SI, "X+\"open", "SYM(X) '+' ERR 2 MISSING QUOTE"},
      {SI, long_number.c_str(), "ERR 0 IMPROPER NUMBER"},
  };
  for (const Case& c : cases) {
    Scanner s(c.sp);
    EXPECT_EQ(s.line(c.text, SCAN_MODE_EXPRESSION), expand(std::string("EXPR ") + c.tokens)) << c.text;
  }
}

TEST(ScanLex, WordsNamesAndCharacters) {
  struct Case {
    Spelling sp;
    const char* text;
    const char* tokens;
  } cases[] = {
      {SI, ">= > <> <= < ** + - * / ^", "GE GT NE LE LT '^' '+' '-' '*' '/' '^' EOL"},
      {SI, "A OR B EXOR C AND NOT D DIV E MOD F",
       "SYM(A) OR SYM(B) EXOR SYM(C) AND NOT SYM(D) DIV SYM(E) MOD SYM(F) EOL"},
      {SI, "REAL INTEGER SHORT DINTEGER NUMERIC STRUCT", "REAL INTEGER SHORT DINTEGER NUMERIC STRUCT EOL"},
      {SI, "END TO OF ON THEN STEP GOTO GOSUB CALL AS IS A", "END TO OF ON THEN STEP GOTO GOSUB CALL AS IS_A EOL"},
      {SI, "Order Or Top", "SYM(Order) SYM(Or) SYM(Top) EOL"},
      {SI, "PI+LEN(A$)", "SEC(PI) Rn__ '+' SEC(LEN) Rns_ '(' SYM(A) '$' ')' EOL"},
      {SI, "FNArea(2)", "SEC(FN) Rfn SYM(Area) '(' I(2) ')' EOL"},
      {SI, "FNAME$(1)", "SEC(FNAME$) Rsn_ '(' I(1) ')' EOL"},
      {SI, "LEX(A$,B$)", "SEC(LEX) Rnss '(' SYM(A) '$' ',' SYM(B) '$' ')' EOL"},
      {SI, "Abcdefghijklmno", "SYM(Abcdefghijklmno) EOL"},
      {SI, "Abcdefghijklmnop", "ERR 0 SYMBOL TOO LONG"},
      {SI, "A_1 b", "SYM(A_1b) EOL"},
      {SI, "A+x", "SYM(A) '+' ERR 2 IMPROPER CHARACTER"},
      {SI, "A#B&C", "SYM(A) '#' SYM(B) '&' SYM(C) EOL"},
      {SI, "LANGID", "ERR 0 LANGID: UNSUPPORTED KEYWORD"},
      {SI, "A\x7f", "SYM(A) '\x7f' EOL"},
      {SI, "A\x80", "SYM(A) ERR 1 IMPROPER CHARACTER"},
      {SD, "a or b", "SYM(A) OR SYM(B) EOL"},
      {SD, "order+tot al", "SYM(Order) '+' SYM(Tot) SYM(Al) EOL"},
      {SD, "pi+pi2+Pi", "SEC(PI) Rn__ '+' SYM(Pi2) '+' SEC(PI) Rn__ EOL"},
      {SD, "fnarea(2)", "SEC(FN) Rfn SYM(Area) '(' I(2) ')' EOL"},
      {SD, "ABCdef_9", "SYM(Abcdef_9) EOL"},
      {SD, "x is a y", "SYM(X) IS_A SYM(Y) EOL"},
      {SD, "langidx", "SYM(Langidx) EOL"},
      {SD, "Real realm to tom", "REAL SYM(Realm) TO SYM(Tom) EOL"},
  };
  for (const Case& c : cases) {
    Scanner s(c.sp);
    EXPECT_EQ(s.line(c.text, SCAN_MODE_EXPRESSION), std::string("EXPR ") + c.tokens) << c.text;
  }
}

TEST(ScanLex, ContextTables) {
  struct Case {
    int table;
    Spelling sp;
    const char* text;
    const char* tokens;
  } cases[] = {
      {SK_T3, SI, "TAB(5);PAGE", "R1(TAB) '(' I(5) ')' ';' R0(PAGE) EOL"},
      {-1, SI, "TAB(5)", "SYM(T) SYM(A) SYM(B) '(' I(5) ')' EOL"},
      {SK_T4, SD, "width 80, stdout", "R1(WIDTH) I(80) ',' R3(STDOUT) EOL"},
      {SK_T8, SI, "X DES", "SYM(X) R0( DES) EOL"},
      {SK_T9, SD, "x with 3 lines", "SYM(X) R1( WITH ) I(3) R3( LINES) EOL"},
      {SK_T3, SD, "table", "SYM(Table) EOL"},
  };
  for (const Case& c : cases) {
    Scanner s(c.sp);
    std::string got = s.guarded([&] {
      scan_line_start(&s.cc, SCAN_MODE_EXPRESSION, c.text, static_cast<int>(std::strlen(c.text)));
      EXPECT_EQ(scan_lex(&s.cc), T_EXPR);
      scan_select_table(&s.cc, c.table);
    });
    EXPECT_EQ(got + s.lex_all(), c.tokens) << c.text;
  }
}

TEST(ScanLex, CommentAfterStatement) {
  Scanner s(SI);
  EXPECT_EQ(s.line("10 PRINT X  ! total so far   "), "STMT Rxc629:PRINT  SYM(X) !(! total so far)@13 EOL");
  Scanner e(SI);
  EXPECT_EQ(e.line("10 PRINT X!"), "STMT Rxc629:PRINT  SYM(X) !(!)@11 EOL");
}

TEST(ScanLex, DataItems) {
  Scanner s(SI);
  const std::string line = "10 DATA 1, \"a,b!\" ,x y  ! the end";
  ASSERT_EQ(s.guarded([&] { scan_line_start(&s.cc, SCAN_MODE_PROGRAM, line.data(), static_cast<int>(line.size())); }),
            "");
  EXPECT_EQ(scan_lex(&s.cc), T_STMT);
  EXPECT_EQ(scan_lex(&s.cc), Rxc74a);
  ASSERT_EQ(scan_rest(&s.cc, SCAN_LIST_ITEMS), 1);
  const ScanValue* v = scan_value(&s.cc);
  EXPECT_EQ(std::string(v->text, static_cast<size_t>(v->length)), "1, \"a,b!\" ,x y");
  EXPECT_EQ(v->number, 9);
  EXPECT_EQ(s.lex_all(), "ANY(1) ',' ANY(\"a,b!\") ',' ANY(x y) !(! the end)@25 EOL");

  struct Case {
    const char* line;
    int rest;
    const char* tokens;
  } cases[] = {
      {"10 DATA", 0, "EOL"},
      {"10 DATA   ! none", 0, "!(! none)@11 EOL"},
      {"10 DATA ,,", 1, "',' ',' EOL"},
      {"10 DATA 1,\"open", -1, "ERR 8 MISSING QUOTE"},
  };
  for (const Case& c : cases) {
    Scanner t(SI);
    int rest = -1;
    std::string err = t.guarded([&] {
      scan_line_start(&t.cc, SCAN_MODE_PROGRAM, c.line, static_cast<int>(std::strlen(c.line)));
      scan_lex(&t.cc);
      scan_lex(&t.cc);
      rest = scan_rest(&t.cc, SCAN_LIST_ITEMS);
    });
    EXPECT_EQ(rest, c.rest) << c.line;
    EXPECT_EQ(err.empty() ? t.lex_all() : err, c.tokens) << c.line;
  }
}

TEST(ScanLex, ImageFormat) {
  struct Case {
    const char* line;
    const char* tokens;
  } cases[] = {
      {"10 IMAGE 3A,2X,DDD.DD", "'A' ',' ',' 'D' 'D' 'D' '.' 'D' 'D' EOL"},
      {"10 IMAGE \"Total: \",5Z,K", "',' 'Z' ',' 'K' EOL"},
      {"10 IMAGE +sddd ! signed", "'+' 'S' 'D' 'D' 'D' !(! signed)@16 EOL"},
      {"10 IMAGE 2(A,X),12,3K", "'(' 'A' ',' ')' ',' I(12) ',' I(3) 'K' EOL"},
      {"10 IMAGE 3*.DD", "'*' '.' 'D' 'D' EOL"},
      {"10 IMAGE D\x01", "'D' ERR 10 IMPROPER CHARACTER"},
      {"10 IMAGE D\xe9", "'D' ERR 10 IMPROPER CHARACTER"},
  };
  for (const Case& c : cases) {
    Scanner s(SI);
    std::string out;
    std::string err = s.guarded([&] {
      scan_line_start(&s.cc, SCAN_MODE_PROGRAM, c.line, static_cast<int>(std::strlen(c.line)));
      EXPECT_EQ(scan_lex(&s.cc), T_STMT);
      EXPECT_EQ(scan_lex(&s.cc), Rxc687);
      ASSERT_EQ(scan_rest(&s.cc, SCAN_FORMAT), 1);
      for (int guard = 0; guard < 50; ++guard) {
        int tok = scan_lex(&s.cc);
        if (!out.empty()) out += " ";
        out += s.describe(tok);
        if (tok == T_EOL) break;
      }
    });
    if (!err.empty()) out += (out.empty() ? "" : " ") + err;
    EXPECT_EQ(out, c.tokens) << c.line;
  }
}

TEST(ScanThenStatement, StatementsAfterThen) {
  struct Case {
    Spelling sp;
    const char* line;
    int result;
    const char* tokens;
  } cases[] = {
      {SI, "10 IF X THEN PRINT Y", 1, "STMT Rxc629:PRINT  SYM(Y) EOL"},
      {SD, "10 if x then print y", 1, "STMT Rxc629:PRINT  SYM(Y) EOL"},
      {SI, "10 IF X THEN 100", 0, "I(100) EOL"},
      {SI, "10 IF X THEN Y=1", 0, "SYM(Y) '=' I(1) EOL"},
      {SD, "10 if x then printer=1", 0, "SYM(Printer) '=' I(1) EOL"},
      {SI, "10 IF X THEN", 0, "EOL"},
      {SI, "10 IF X THEN ! later", 0, "!(! later)@14 EOL"},
      {SI, "10 IF X THEN DATA 1", -1, "ERR 13 DATA  NOT ALLOWED HERE"},
      {SI, "10 IF X THEN LIST", -1, "ERR 13 LIST NOT ALLOWED HERE"},
      {SI, "10 IF X THEN CATLINE 1", -1, "ERR 13 CATLINE: UNSUPPORTED KEYWORD"},
  };
  for (const Case& c : cases) {
    Scanner s(c.sp);
    int result = -1;
    std::string err = s.guarded([&] {
      scan_line_start(&s.cc, SCAN_MODE_PROGRAM, c.line, static_cast<int>(std::strlen(c.line)));
      EXPECT_EQ(scan_lex(&s.cc), T_STMT);
      EXPECT_EQ(scan_lex(&s.cc), Rx0ba8);
      EXPECT_EQ(scan_lex(&s.cc), T_SYM);
      EXPECT_EQ(scan_lex(&s.cc), THEN);
      result = scan_then_statement(&s.cc);
    });
    EXPECT_EQ(result, c.result) << c.line;
    EXPECT_EQ(err.empty() ? s.lex_all() : err, c.tokens) << c.line;
  }
}

TEST(ScanComment, RestOfTheLine) {
  Scanner s(SI);
  const char* line = "10 REM   a remark  ";
  ASSERT_EQ(s.guarded([&] { scan_line_start(&s.cc, SCAN_MODE_PROGRAM, line, static_cast<int>(std::strlen(line))); }),
            "");
  EXPECT_EQ(scan_lex(&s.cc), T_STMT);
  EXPECT_EQ(scan_lex(&s.cc), Rxbd67);
  scan_comment(&s.cc);
  const ScanValue* v = scan_value(&s.cc);
  EXPECT_EQ(std::string(v->text, static_cast<size_t>(v->length)), "a remark");
  EXPECT_EQ(v->number, 10);
  EXPECT_EQ(scan_lex(&s.cc), T_EOL);
}

TEST(ScanPushback, LastInFirstOutAndLimit) {
  Scanner s(SI);
  std::string err = s.guarded([&] {
    scan_line_start(&s.cc, SCAN_MODE_EXPRESSION, "X", 1);
    EXPECT_EQ(scan_lex(&s.cc), T_EXPR);
    for (int i = 0; i < SCAN_PUSHBACK_MAX; ++i) scan_pushback(&s.cc, '0' + i);
    for (int i = SCAN_PUSHBACK_MAX - 1; i >= 0; --i) EXPECT_EQ(scan_lex(&s.cc), '0' + i);
    EXPECT_EQ(scan_lex(&s.cc), T_SYM);
    for (int i = 0; i <= SCAN_PUSHBACK_MAX; ++i) scan_pushback(&s.cc, T_MAIN);
  });
  EXPECT_EQ(err, "ERR 0 PB-Stack overflow");

  // A pushed-back token brings its value back with it.
  Scanner f(SI);
  ASSERT_EQ(f.guarded([&] { scan_line_start(&f.cc, SCAN_MODE_EXPRESSION, "SQR(Y)", 6); }), "");
  EXPECT_EQ(scan_lex(&f.cc), T_EXPR);
  EXPECT_EQ(scan_lex(&f.cc), T_SEC);
  EXPECT_EQ(scan_value(&f.cc)->number, 0x080E);
  EXPECT_EQ(scan_lex(&f.cc), Rnn_);
  EXPECT_EQ(scan_value(&f.cc)->number, 0x080E);
}

TEST(ScanLineStart, PresetsTheParserMessage) {
  Scanner s(SI);
  s.line("10 PRINT X");
  EXPECT_EQ(s.cc.error_message, "PARSER STACK OVERFLOW");
  EXPECT_EQ(s.cc.error_column, 0);
}

TEST(ScanDebug, TraceOfKeywordsAndTokens) {
  Scanner s(SD);
  std::string trace;
  s.cc.debug = 1;
  s.cc.debug_user = &trace;
  s.cc.debug_sink = [](void* user, const char* text) { *static_cast<std::string*>(user) += text; };
  s.line("10 dbclose (b$) ! x");
  Scanner t(SI);
  t.cc.debug = 1;
  t.cc.debug_user = &trace;
  t.cc.debug_sink = s.cc.debug_sink;
  t.line("20 X=SQR(\"a\")+1.5");
  EXPECT_EQ(trace,
            "Primary token = <DROM #2> 8815 DBCLOSE \n"
            "char: '('\n"
            "symbol: 'B'\n"
            "char: '$'\n"
            "char: ')'\n"
            "comment: '! x'\n"
            "Primary token = (IMPLIED LET)\n"
            "symbol: 'X'\n"
            "char: '='\n"
            "Secondary token = 080e SQR\n"
            "char: '('\n"
            "string: (1) 'a'\n"
            "char: ')'\n"
            "const: 1.5\n");
}

TEST(ScanLineStart, ClearsTheStateOfTheLineBefore) {
  Scanner s(SI);
  const char* image = "10 IMAGE 3A";
  ASSERT_EQ(s.guarded([&] {
    scan_line_start(&s.cc, SCAN_MODE_PROGRAM, image, static_cast<int>(std::strlen(image)));
    scan_lex(&s.cc);
    scan_lex(&s.cc);
    scan_rest(&s.cc, SCAN_FORMAT);
    scan_select_table(&s.cc, SK_T3);
    scan_pushback(&s.cc, T_MAIN);
    scan_pushback(&s.cc, T_SUB);
  }),
            "");
  s.cc.cg.code.clear();
  // No format mode, no context table and no stale tokens on the next line.
  EXPECT_EQ(s.line("20 PRINT TAB,x"), "STMT Rxc629:PRINT  SYM(T) SYM(A) SYM(B) ',' ERR 13 IMPROPER CHARACTER");
}
