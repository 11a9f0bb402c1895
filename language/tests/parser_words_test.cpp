// The statement parser and its actions: the code words of one line for each
// family of productions, the error messages of the grammar with their
// columns, statements that open segments, and the parser's stack limit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "language/actions.h"
#include "language/compile.h"
#include "language/scanner.h"

namespace {

// A compile context with the real scanner and parser and a root segment;
// the words of the last stored line are kept.
class Parser {
 public:
  Parser() {
    cc_init(&cc_, parse_front_end());
    cc_.host.user = this;
    cc_.host.insert_code = capture;
    progseg_new(&cc_.prog);
  }
  ~Parser() { cc_free(&cc_); }
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  int compile(const std::string& line) { return cg_compile_line(&cc_, line.data(), line.size()); }

  // Words of the last stored line after its line-number and header words,
  // as lower-case hex separated by blanks.
  std::string words() const {
    std::string s;
    char buf[8];
    for (size_t i = 2; i < last_.size(); ++i) {
      std::snprintf(buf, sizeof buf, "%s%04x", i > 2 ? " " : "", last_[i]);
      s += buf;
    }
    return s;
  }
  const std::vector<uint16_t>& line() const { return last_; }
  CompileContext* cc() { return &cc_; }

 private:
  static const char* capture(void* user, CompileContext*, ProgSegment* seg, uint32_t pos, const uint16_t* w, size_t n) {
    static_cast<Parser*>(user)->last_.assign(w, w + n);
    return cg_default_host().insert_code(nullptr, nullptr, seg, pos, w, n);
  }

  CompileContext cc_;
  std::vector<uint16_t> last_;
};

struct WordsCase {
  const char* line;
  const char* words;
};

// Each line is compiled alone into an empty program, so its symbols are
// numbered from the start of the symbol table.
const WordsCase kWordCases[] = {
    // Operators: precedence, associativity, numeric and string operators.
    {"X=NOT A OR B", "06b4 078c 8000 07a8 79ed 8003 0896 8006 79f1 08c0"},
    {"X=-A^B", "06b4 089a 8000 8003 086a 79ed 0896 8006 79f1 08c0"},
    {"X=A-B-C", "06b4 086e 8000 8003 086e 79ed 8006 0896 8009 79f1 08c0"},
    {"X=A^B^C", "06b4 089a 8000 8003 089a 79ed 8006 0896 8009 79f1 08c0"},
    {"X=(A+B)*C", "06b4 0872 8000 8003 0876 79ed 8006 0896 8009 79f1 08c0"},
    {"X=A DIV B MOD C", "06b4 06e0 8000 8003 0785 79ed 8006 0896 8009 79f1 08c0"},
    {"X=A$<B$", "06b4 08a2 8000 8003 0896 8006 79ed 08c0"},
    {"A$=B$&\"xy\"+C$", "06b4 08bd ff02 7879 08ba 79ed 8000 08ba 8003 79f1 08b6 8006 79f5 08c0"},
    // Built-in functions by signature, user functions.
    {"X=PI+ABS(Y)", "06b4 07ae 06ba 8000 0872 79ed 79f1 0896 8003 79f5 08c0"},
    {"X=MAX(1,Y,3)", "06b4 0776 0003 8000 8006 8009 0896 800f 79ed 08c0"},
    {"X=LEN(A$)+POS(A$,\"b\")", "06b4 075a 8000 08bd ff01 6200 07b5 8000 79f1 0872 79ed 79f5 0896 8003 79f9 08c0"},
    {"X=FNF(1,A$)+FNG", "06b4 071a 8000 0002 8003 8009 071a 800c 0000 0872 79ed 79f1 0896 800f 79f5 08c0"},
    {"A$=FNH$(Y)", "06b4 071a 8000 0001 8003 08b6 8006 79ed 08c0"},
    {"X=SUM(M)+ROW(N$)", "06b4 093a b482 8000 093a b489 8003 0872 79ed 79f1 0896 8006 79f5 08c0"},
    {"A$=ERRM$&DATE$(\"x\")", "06b4 06fe 08bd ff01 7800 0b7d 79f1 08ba 79ed 79f5 08b6 8000 79f9 08c0"},
    {"A$=TRIM$(B$)&CHR$(65)&RPT$(\"-\",3)",
     "06b4 082d 8000 06d8 8003 08bd ff01 2d00 07ea 79f5 8009 08ba 79f1 79f9 08ba 79ed 79fd 08b6 800f 7a01 08c0"},
    {"A$=TYPEOF$(P)&DBEXPLAIN$(S(*))", "06b4 2009 8000 0901 8003 093a 8883 79f1 08ba 79ed 79f5 08b6 8006 79f9 08c0"},
    {"X=Q IS A T", "06b4 2008 8000 8003 0896 8006 79ed 08c0"},
    // Variables, substrings, members and assignments.
    {"A(1,2)=B(3)", "06b4 08da 8000 0002 8003 8009 08dd 800f 0001 8012 0896 79ed 79f1 08c0"},
    {"A$(1)[2,3]=B$[1;2]",
     "06b4 08d7 8000 0001 8003 08f2 8009 800f 08fb 79ed 79f1 08f5 8003 8009 08f8 8015 79f9 08b6 79f5 79fd 08c0"},
    {"P.X=P.Y(1)", "06b4 2005 8000 8003 2005 8000 8006 08dd 79f1 0001 8009 0896 79ed 79f5 08c0"},
    {"P.N$=P.M$(2)[1]",
     "06b4 2005 8000 8003 2005 8000 8006 08d7 79f1 0001 8009 08ef 800f 08fb 79f5 79f9 08b6 79ed 79fd 08c0"},
    {"STRUCT P=Q", "06b4 2010 8000 8003 08c0"},
    {"A=B=C", "06b4 0896 8000 8003 0896 8006 79ed 08c0"},
    // IF ... THEN and the statements and assignments after THEN.
    {"IF X THEN 100", "03c0 08e9 8000 081e 8003"},
    {"IF X THEN", "0abf 08e9 8000 081e"},
    {"IF X THEN PRINT X", "03c0 08e9 8000 081e 051d 08e6 8000 08c0"},
    {"IF X THEN Y=1", "03c0 08e9 8000 081e 06b4 0896 8003 8006 08c0"},
    {"IF X THEN A$(1)[2]=\"s\"",
     "03c0 08e9 8000 081e 06b4 08d7 8003 0001 8006 08ef 800c 08fb 79ed 79f1 08bd ff01 7300 08b6 79f5 79f9 08c0"},
    // Loops, branches, calls and definitions.
    {"FOR I=1 TO 9 STEP 2", "0397 0005 0896 8000 8003 0825 08e9 8009 0816 08e9 800f 08c0"},
    {"ON X GOTO 10,20,Lab", "04cb 08e9 8000 09e9 0003 8003 8006 8009"},
    {"CALL Sb(1,(X),Y,A$,M(*),#2,STRUCT P,(STRUCT P))",
     "0258 08ec 8000 0a00 8003 2006 8009 2007 8009 06d1 800c 0008 800f 79ed 8015 8018 801b 79f1 79f5 79f9 08c0"},
    {"SUB Sb(A,B$,C(*),#3,REAL E,STRUCT P,G AS T)",
     "0690 8000 0007 8003 8006 8009 0a05 0003 0a0c 800c 2006 800f 2003 8012 8015 08c0"},
    {"DEF FNF(X)=X*2", "02ed 8000 0001 8003 0876 8003 8006 09fc 79ed 08c0"},
    {"DEF FNG$(A$)", "02ed 8000 0001 8003 08c0"},
    // A STRUCT parameter is an operation of its own (it keeps its number)
    // but no operand of the function's value.
    {"DEF FNH(STRUCT P)=P.A+1", "02ed 8000 0001 2006 8003 2005 8003 8006 0872 79f1 8009 09fc 79f5 08c0"},
    {"DEF FNH$(STRUCT P,A$)=P.N$&A$", "02ed 8000 0002 2006 8003 8006 2005 8003 8009 08ba 79f1 8006 09fc 79f5 08c0"},
    {"SUB Sb(STRUCT P,STRUCT Q,X)", "0690 8000 0003 2006 8003 2006 8006 8009 08c0"},
    // Declarations.
    {"DIM A(2:5,3),B$[10],C$(4)[8],P AS T,Q:T",
     "030c 8000 0916 0000 0002 091c 0000 0005 091f 0000 0003 0922 0925 8003 0919 000a 0925 8006 0916 0000 0004 0922 0919 0008 0925 2003 8009 800c 0925 2004 800f 800c 08c0"},
    {"INTEGER I,J(-1:2)", "03d9 8000 0925 8003 0916 0000 ffff 091c 0000 0002 0922 08c0"},
    {"COM A,B(*),REAL C,C$,D$[4],E$(2)[3],#4",
     "029d 8000 0925 8003 090d 0925 07c5 8006 0925 8009 0910 0925 800c 0919 0004 0925 800f 0916 0000 0002 0922 0919 0003 0925 09e2 0004 08c0"},
    // Raw text and comments.
    {"DATA 1, \"a,b\" ,3", "02d0 ff0b 312c 2022 612c 6222 202c 3300 0006"},
    // An IMAGE without format text still carries an (empty) text and column.
    {"IMAGE", "03c8 ff00 0006"},
    {"IMAGE 3D.DD,X,5A", "03c8 ff0a 3344 2e44 442c 582c 3541 0007"},
    {"REM note", "059f ff04 6e6f 7465 0005"},
    {"PRINT X ! note", "051d 08e6 8000 08c0 ff06 2120 6e6f 7465 0009"},
    // Output lists, context words and options.
    {"DISP A;TAB(5),,B$;PAGE", "0329 08e6 8000 08c8 0941 08e9 8003 08d0 0968 08e3 8009 08c8 0948 08c0"},
    {"PRINT USING 100;X,A$", "0515 8000 08c8 08e6 8003 08d0 08e3 8006 08c0"},
    {"ASSIGN #1 TO \"f\",R;BUFFERED,UPDATE",
     "0230 08e9 8000 0825 08bd ff01 6600 08d0 08e6 8006 08c8 0a81 08d0 0a91 08c0"},
    {"PRINTER IS \"lp\",WIDTH(80),SIZE(60)", "04ff 08bd ff02 6c70 08d0 095e 08e9 8000 08d0 0965 08e9 8006 08c0"},
    // MAT selectors, counted lists, CASE.
    {"MAT A=B*C", "0932 b444 0004 8000 8003 0876 8006"},
    {"MAT A=ZER(2,3)", "0932 b444 0005 8000 b46d 090a 08e9 8003 08d0 08e9 8009 08cc"},
    {"MAT A=(2)*B", "0932 b444 0001 8000 08e9 8003 08cc 0876 8009"},
    {"MAT A=B.C", "0932 b444 0003 8000 8003 b49b 8006"},
    {"TOTALS ON X,Y", "0932 90a2 8002 08e9 8000 08d0 08e9 8003 08c0"},
    {"TRACE VARIABLES A,B$", "0932 a84f 0002 8000 8003"},
    {"CASE 1,-2 TO 3,>5", "0b25 0b44 0001 08d0 0b44 fffe 0825 0b44 0003 08d0 0b40 0b44 0005 08c0"},
    {"CASE \"a\" TO \"c\",<\"x\"", "0b25 08bd ff01 6100 0825 08bd ff01 6300 08d0 0b3b 08bd ff01 7800 08c0"},
    // Second statement codes chosen by the form.
    {"STORE \"p\";\"c\"", "0679 08bd ff01 7000 08c8 08bd ff01 6300 08c0"},
    {"RE-STORE \"p\";\"c\"", "0564 08bd ff01 7000 08c8 08bd ff01 6300 08c0"},
    {"LOAD \"p\",\"s\"", "0433 08bd ff01 7000 08d0 08bd ff01 7300 08c0"},
    {"LOAD \"p\",10", "0432 08bd ff01 7000 08d0 0907 000a 08c0"},
    // Database, keys, packing and dialogs.
    {"DBCLOSE (B$,\"\",1,S(*))", "0932 8815 08e3 8000 08d0 08bd ff00 08d0 08e9 8003 08d0 0901 8009 08cc 08c0"},
    {"IN DATA SET 1 USE X,SKP 2,3X",
     "0932 8897 08e9 8000 093a 88d1 08e6 8006 08d0 093a 889d 0002 08d0 093a 889d 0003 08c0"},
    {"ON KEY #1,2:\"Help\" GOSUB 100", "04c4 08e9 8000 08d0 08e9 8006 08c4 08bd ff04 4865 6c70 072a 800c"},
    {"XPACK A$ FROM X,B$", "0932 9f44 08e3 8000 093a 9fe8 08e6 8003 08d0 08e3 8006 08c0"},
    {"DLG CALL FUNCTION \"f\"(1,\"a\"),X;R",
     "0932 9f46 093a 9fea 08bd ff01 6600 093a 9fed 08e9 8000 08d0 08bd ff01 6100 08cc 08d0 08e6 8006 08c8 08e6 8009 08c0"},
};

TEST(ParserWords, EachFamilyOfProductionsEmitsItsCodeWords) {
  for (const WordsCase& c : kWordCases) {
    Parser p;
    ASSERT_EQ(p.compile(c.line), CG_LINE_STORED) << c.line << ": " << p.cc()->error_message;
    EXPECT_EQ(p.words(), c.words) << c.line;
  }
}

TEST(ParserWords, HeaderWordHoldsKeywordColumnAndWordCount) {
  Parser p;
  ASSERT_EQ(p.compile("10 Here: PRINT X"), CG_LINE_STORED);
  // Line number, header, label, statement word, 08E6 and X, end of
  // statement; PRINT begins in column 10.
  ASSERT_EQ(p.line().size(), 7u);
  EXPECT_EQ(p.line()[0], 10);
  EXPECT_EQ(p.line()[1], (10 << 8) | 7);
  EXPECT_EQ(p.line()[3], 0x051D);
}

// A STRUCT parameter beside every other form of parameter, before or after
// it, in numeric and string functions with and without a value, and in a
// subprogram: each line stores, and its parameter count is two.
TEST(ParserWords, StructParameterBesideEveryParameterForm) {
  const char* const forms[] = {"X",      "A$",      "C(*)",         "D$(*)",      "#3",
                               "REAL E", "SHORT E", "INTEGER E(*)", "DINTEGER E", "NUMERIC E",
                               "G AS T", "G:T",     "STRUCT Q"};
  const char* const heads[] = {"DEF FNH(", "DEF FNH$(", "SUB Sb("};
  const char* const values[] = {"=P.A+1", "=P.N$[1,2]&A$", ""};
  for (const char* form : forms) {
    for (int h = 0; h < 3; ++h) {
      for (bool struct_first : {true, false}) {
        std::string params = struct_first ? std::string("STRUCT P,") + form : std::string(form) + ",STRUCT P";
        for (bool with_value : {true, false}) {
          if (h == 2 && with_value) continue;
          std::string line = std::string(heads[h]) + params + ")" + (with_value ? values[h] : "");
          Parser p;
          ASSERT_EQ(p.compile(line), CG_LINE_STORED) << line << ": " << p.cc()->error_message;
          // Statement word, the name, then the parameter count.
          ASSERT_GE(p.line().size(), 5u) << line;
          EXPECT_EQ(p.line()[4], 2) << line;
        }
      }
    }
  }
}

// Statements that open a segment (SUB, DEF FN without "=") start a new one
// at the end of the program; the declarations of a subprogram take the
// subprogram's forms (computed bounds, 090A).
TEST(ParserSegments, SubAndMultiLineFunctionOpenSegments) {
  Parser p;
  ASSERT_EQ(p.compile("DIM A(3)"), CG_LINE_STORED);
  EXPECT_EQ(p.words(), "030c 8000 0916 0000 0003 0922 08c0");
  ASSERT_EQ(p.compile("DEF FNF(X)=X+1"), CG_LINE_STORED);
  EXPECT_EQ(progseg_count(&p.cc()->prog), 1u);
  ASSERT_EQ(p.compile("SUB S(N)"), CG_LINE_STORED);
  EXPECT_EQ(progseg_count(&p.cc()->prog), 2u);
  ASSERT_EQ(p.compile("DIM A(N),B$[N+1]"), CG_LINE_STORED);
  EXPECT_EQ(p.words(), "030c 8006 090a 08e9 8003 08cc 0925 8009 0913 0872 8003 800c 08d4 08c0");
  ASSERT_EQ(p.compile("INTEGER K(N:2)"), CG_LINE_STORED);
  EXPECT_EQ(p.words(), "03d9 8012 090a 08e9 8003 08c4 08e9 8015 08cc 08c0");
  ASSERT_EQ(p.compile("DEF FNG$(A$)"), CG_LINE_STORED);
  EXPECT_EQ(progseg_count(&p.cc()->prog), 3u);
  ASSERT_EQ(p.compile("RETURN A$"), CG_LINE_STORED);
  ASSERT_EQ(p.compile("FNEND"), CG_LINE_STORED);
  EXPECT_EQ(progseg_count(&p.cc()->prog), 3u);
}

TEST(ParserSegments, SubBetweenExistingLinesIsRefused) {
  Parser p;
  ASSERT_EQ(p.compile("10 PRINT"), CG_LINE_STORED);
  ASSERT_EQ(p.compile("30 PRINT"), CG_LINE_STORED);
  ASSERT_TRUE(cg_set_numbering(p.cc(), 20, 1));
  EXPECT_EQ(p.compile("SUB S"), CG_LINE_ERROR);
  EXPECT_EQ(p.cc()->error_message, "SEGMENT CHANGE NOT ALLOWED HERE");
  EXPECT_EQ(progseg_count(&p.cc()->prog), 1u);
}

// The expression and variable-list modes of the line start (used by the
// environment) parse one expression or one list and emit no line words.
TEST(ParserWords, ExpressionAndVariableListModes) {
  struct Case {
    int mode;
    const char* text;
    int rc;
    std::vector<uint32_t> code;
  };
  const uint32_t t = CG_TMPSYM_BIT;
  const Case cases[] = {
      {SCAN_MODE_EXPRESSION, "A+B*2", 0, {0x0876, t | 0, t | 1, 0x0872, t | 2, 0x79ED}},
      {SCAN_MODE_EXPRESSION, "A$&\"x\"", 0, {0x08BD, 0xFF01, 0x7800, 0x08BA, t | 0, 0x79ED}},
      {SCAN_MODE_VARLIST, "A,B$,C(*)", 0, {0x08E6, t | 0, 0x08D0, 0x08E3, t | 1, 0x08D0, 0x0901, t | 2}},
      {SCAN_MODE_EXPRESSION, "A+", 1, {}},
      {SCAN_MODE_VARLIST, "1", 1, {}},
  };
  for (const Case& c : cases) {
    Parser p;
    cg_line_reset(p.cc());
    int rc = -1;
    try {
      scan_line_start(p.cc(), c.mode, c.text, static_cast<int>(std::strlen(c.text)));
      rc = parse_line(p.cc());
    } catch (const CgLineError&) {
      ADD_FAILURE() << c.text << ": " << p.cc()->error_message;
    }
    EXPECT_EQ(rc, c.rc) << c.text;
    if (c.rc == 0) {
      EXPECT_EQ(p.cc()->cg.code.to_vector(), c.code) << c.text;
    }
  }
}

struct ErrorCase {
  const char* line;
  const char* message;
  int column;  // caret position, counted from 0
};

const ErrorCase kErrorCases[] = {
    // The end of a statement.
    {"GOTO 10,20", "'!' OR EOL EXPECTED", 7},
    {"CALL", "IMPROPER STATEMENT", 4},
    {"PRINT USING", "IMPROPER STATEMENT", 11},
    // Improper parts.
    {"FOR 1=1 TO 2", "IMPROPER VARIABLE", 4},
    {"X=1+", "IMPROPER VARIABLE", 4},
    {"IF THEN 10", "IMPROPER EXPRESSION", 3},
    {"FOR I= TO 2", "IMPROPER EXPRESSION", 7},
    {"COPY", "IMPROPER EXPRESSION", 4},
    {"COM #11", "IMPROPER FILE NUMBER", 5},
    {"SUB S(#0)", "IMPROPER FILE NUMBER", 7},
    {"CURSOR 5", "IMPROPER CURSOR ITEM", 7},
    // Missing delimiters, and an expression where a delimiter may stand.
    {"FOR I TO 2", "IMPROPER DELIMITER: '=' EXPECTED", 6},
    {"FOR I=1,2", "IMPROPER DELIMITER: 'TO' EXPECTED", 7},
    {"RENAME \"a\",\"b\"", "IMPROPER DELIMITER: 'TO' EXPECTED", 10},
    {"IF X,1", "IMPROPER DELIMITER: 'THEN' EXPECTED", 4},
    {"IF X GOTO 10", "IMPROPER EXPRESSION", 5},
    {"PACK USING 100,A$", "IMPROPER DELIMITER: ';' EXPECTED", 14},
    {"REDIM A(5;2)", "IMPROPER DELIMITER: ':' EXPECTED", 9},
    {"MAT A=(2", "IMPROPER DELIMITER: ')' EXPECTED", 8},
    {"PROTECT \"a\";\"b\"", "IMPROPER DELIMITER: ',' EXPECTED", 11},
    {"PRINT LABEL \"x\";\"y\"", "IMPROPER DELIMITER: 'ON' EXPECTED", 15},
    {"LINPUT \"x\":L$", "IMPROPER DELIMITER: ';' or ',' EXPECTED", 10},
    {"CATGETMSG 1:M$", "IMPROPER DELIMITER: ',' OR ';' EXPECTED", 11},
    {"COPY \"a\";\"b\"", "IMPROPER DELIMITER: 'TO' '!' OR EOL EXPECTED", 8},
    {"LOAD \"x\";1", "IMPROPER DELIMITER: ',' or EOL EXPECTED", 8},
    {"STORE \"x\":1", "IMPROPER DELIMITER: ',', ';' or EOL EXPECTED", 9},
    {"RE-STORE \"x\":1", "IMPROPER DELIMITER: ',', ';' or EOL EXPECTED", 12},
    // Limits of single statements.
    {"X=A(1,2,3,4,5,6,7)", "TOO MANY DIMENSIONS", 17},
    {"TRACE VARIABLES A,B,C,D,E,F", "TOO MANY VARIABLES", 27},
    {"SORT BY A,B,C,D,E,F,G,H,I,J,K", "TOO MANY ITEMS", 29},
    {"DLG CALL RULE \"d\",\"r\"(1,2,3,4,5,6,7,8,9)", "TOO MANY ARGUMENTS", 39},
    {"MAT A$=CON", "NOT ALLOWED WITH STRING ARRAYS", 7},
    {"ASSIGN #1 TO \"f\";UPDATE,READONLY", "IMPROPER OR CONFLICTING SPECIFICATION", 24},
    {"ASSIGN #1 TO \"f\";BUFFERED,5", "IMPROPER OR CONFLICTING SPECIFICATION", 26},
    {"PRINTER IS \"lp\",WIDTH(80),WIDTH(60)", "IMPROPER OR CONFLICTING SPECIFICATION", 26},
    {"PRINTER IS 5,SIZE(2)", "IMPROPER OR CONFLICTING SPECIFICATION", 13},
    {"IMAGE SDD.DDS", "DUPLICATE SIGN", 12},
    {"CALL DLL F(#1)", "CANT PASS FILE PARAMETER TO DLL", 11},
    {"CALL DLL F(STRUCT S)", "CANT PASS STRUCTURE PARAMETER TO DLL", 11},
    {"IN DATA SET 1 USE SKP 0", "ILLEGAL SKP VALUE", 22},
    {"IN DATA SET 1 USE 3Y", "ILLEGAL X VALUE", 19},
    {"IN DATA SET 1 USE 0X", "ILLEGAL X VALUE", 19},
};

TEST(ParserErrors, EachMessageOfTheGrammarWithItsColumn) {
  for (const ErrorCase& c : kErrorCases) {
    Parser p;
    EXPECT_EQ(p.compile(c.line), CG_LINE_ERROR) << c.line;
    EXPECT_EQ(p.cc()->error_message, c.message) << c.line;
    EXPECT_EQ(p.cc()->error_column, c.column) << c.line;
    EXPECT_EQ(p.cc()->prog.root->code.size(), 0u) << c.line << ": nothing of a failed line is stored";
  }
}

// The limits are inclusive: the largest allowed list still compiles.
TEST(ParserErrors, ListsAtTheirLimitCompile) {
  std::string totals = "TOTALS ON 1";
  for (int i = 2; i <= PARSE_MAX_TOTALS; ++i) totals += "," + std::to_string(i);
  const std::string ok[] = {
      totals,
      "TRACE VARIABLES A,B,C,D,E",
      "SORT BY A,B,C,D,E,F,G,H,I,J",
      "DLG CALL RULE \"d\",\"r\"(1,2,3,4,5,6,7,8)",
      "X=A(1,2,3,4,5,6)",
      "COM #1,#10",
      "MAT A$=ZER",
  };
  for (const std::string& line : ok) {
    Parser p;
    EXPECT_EQ(p.compile(line), CG_LINE_STORED) << line << ": " << p.cc()->error_message;
  }
  Parser p;
  EXPECT_EQ(p.compile(totals + ",51"), CG_LINE_ERROR);
  EXPECT_EQ(p.cc()->error_message, "TOO MANY EXPRESSIONS");
}

// Commands are only for immediate input; LIST with a search text needs a
// text that is not empty.
TEST(ParserErrors, ListSearchTextMayNotBeEmpty) {
  struct Case {
    const char* text;
    const char* error;
    std::vector<uint32_t> code;  // after the line-number and header words
  };
  const Case cases[] = {
      {"LIST \"\"", "EMPTY STRING", {}},
      {"LIST \"ab\";10,20", nullptr, {0x040C, 0xFF02, 0x6162, 2, 10, 20}},
      {"LIST", nullptr, {0x040C, 0}},
  };
  for (const Case& c : cases) {
    Parser p;
    cg_line_reset(p.cc());
    p.cc()->cg.seg = p.cc()->prog.root;
    try {
      scan_line_start(p.cc(), SCAN_MODE_IMMEDIATE, c.text, static_cast<int>(std::strlen(c.text)));
      EXPECT_EQ(parse_line(p.cc()), 0) << c.text;
      EXPECT_EQ(c.error, nullptr) << c.text;
      std::vector<uint32_t> code(p.cc()->cg.code.begin() + 2, p.cc()->cg.code.end());
      EXPECT_EQ(code, c.code) << c.text;
    } catch (const CgLineError&) {
      ASSERT_NE(c.error, nullptr) << c.text << ": " << p.cc()->error_message;
      EXPECT_EQ(p.cc()->error_message, c.error);
      EXPECT_EQ(p.cc()->error_column, 5);
    }
  }
}

TEST(ParserErrors, DeepNestingOverflowsTheParserStack) {
  Parser p;
  std::string deep = "X=" + std::string(600, '(') + "1" + std::string(600, ')');
  EXPECT_EQ(p.compile(deep), CG_LINE_ERROR);
  EXPECT_EQ(p.cc()->error_message, "PARSER STACK OVERFLOW");
  EXPECT_EQ(p.cc()->error_column, 0);
  std::string trace;
  p.cc()->debug = 1;
  p.cc()->debug_sink = [](void* user, const char* text) { *static_cast<std::string*>(user) += text; };
  p.cc()->debug_user = &trace;
  EXPECT_EQ(p.compile(deep), CG_LINE_ERROR);
  EXPECT_NE(trace.find("yyerror: yacc stack overflow\n"), std::string::npos);
  p.cc()->debug = 0;
  std::string nested = "X=" + std::string(100, '(') + "1" + std::string(100, ')');
  EXPECT_EQ(p.compile(nested), CG_LINE_STORED) << p.cc()->error_message;
}

// YYDEBUG sets the compiler's debug level; the parser's trace and its error
// callback then write through the debug sink.
TEST(ParserDebug, YydebugTurnsOnTheTrace) {
  std::string trace;
  Parser p;
  p.cc()->debug_sink = [](void* user, const char* text) { *static_cast<std::string*>(user) += text; };
  p.cc()->debug_user = &trace;
  ASSERT_EQ(setenv("YYDEBUG", "1", 1), 0);
  EXPECT_EQ(p.compile("GOTO 10,20"), CG_LINE_ERROR);
  unsetenv("YYDEBUG");
  EXPECT_EQ(p.cc()->debug, 1);
  EXPECT_NE(trace.find("yyerror: syntax error\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("Reducing"), std::string::npos);

  trace.clear();
  p.cc()->debug = 0;
  EXPECT_EQ(p.compile("GOTO 30"), CG_LINE_STORED);
  EXPECT_EQ(trace, "");
}

}  // namespace
