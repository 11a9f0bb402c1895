// The code generator and the line compiler, word by word on small lines whose
// code is worked out by hand from the word layouts. The statement parser is
// stood in for by a small front end: a line start that takes "[number]
// [label:] statement" and emits the first words, and a parse step that runs
// the emission calls a test gives (as the grammar's actions would).
#include "language/codegen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "language/compile.h"
#include "language/progseg.h"
#include "language/scanner.h"

namespace {

using Words = std::vector<uint16_t>;

struct FakeFront {
  uint16_t stmt = CW_IMPLIED_LET;
  std::function<void(CompileContext*)> actions;
  int parse_rc = 0;
};

int fake_line_start(CompileContext* cc, int, const char* text, int length) {
  auto* f = static_cast<FakeFront*>(cc->scan);
  cg_set_error(cc, 0, "PARSER STACK OVERFLOW");
  int i = 0;
  auto blanks = [&] {
    while (i < length && text[i] == ' ') ++i;
  };
  blanks();
  if (i == length) return 0;
  int number = 0;
  bool numbered = false;
  while (i < length && text[i] >= '0' && text[i] <= '9') {
    number = number * 10 + (text[i++] - '0');
    numbered = true;
  }
  blanks();
  if (i == length) {
    cg_emit(cc, static_cast<uint32_t>(number));
    return 1;
  }
  std::string label;
  const char* colon = static_cast<const char*>(std::memchr(text + i, ':', static_cast<size_t>(length - i)));
  if (colon != nullptr) {
    label.assign(text + i, colon);
    i = static_cast<int>(colon - text) + 1;
    blanks();
  }
  cg_emit(cc, static_cast<uint32_t>(number));
  cg_emit(cc, static_cast<uint32_t>(std::min(i + 1, 255)) << 8);
  if (!label.empty()) cg_emit(cc, cg_tmpsym_label(cc, label.c_str()));
  cg_keyword(cc, false, f->stmt);
  return numbered ? 2 : 3;
}

int fake_parse(CompileContext* cc) {
  auto* f = static_cast<FakeFront*>(cc->scan);
  if (f->actions) f->actions(cc);
  return f->parse_rc;
}

struct CodegenFixture : ::testing::Test {
  CompileContext ctx;
  FakeFront front;

  void SetUp() override {
    cc_init(&ctx, CgFrontEnd{fake_line_start, fake_parse});
    ASSERT_TRUE(progseg_reset(&ctx.prog));
    ctx.scan = &front;
  }
  void TearDown() override {
    ctx.scan = nullptr;
    cc_free(&ctx);
  }

  int compile(const std::string& text, uint16_t stmt, std::function<void(CompileContext*)> actions) {
    front.stmt = stmt;
    front.actions = std::move(actions);
    return cg_compile_line(&ctx, text.data(), text.size());
  }
  void expect_error(const std::string& text, std::function<void(CompileContext*)> actions, const char* message) {
    Words code_before = ctx.prog.root->code;
    Words syms_before = ctx.prog.root->symbols;
    size_t segs = progseg_count(&ctx.prog);
    EXPECT_EQ(compile(text, CW_IMPLIED_LET, std::move(actions)), CG_LINE_ERROR) << text;
    EXPECT_EQ(ctx.error_message, message) << text;
    // Nothing of a failed line is stored.
    EXPECT_EQ(ctx.prog.root->code, code_before);
    EXPECT_EQ(ctx.prog.root->symbols, syms_before);
    EXPECT_EQ(progseg_count(&ctx.prog), segs);
  }

  // Runs emission calls on a fresh line state outside the line compiler and
  // gives the raw 32-bit words (or the error message when one is raised).
  std::string raw(std::function<void(CompileContext*)> actions, std::vector<uint32_t>* out = nullptr) {
    cg_line_reset(&ctx);
    try {
      actions(&ctx);
    } catch (const CgLineError&) {
      return ctx.error_message;
    }
    if (out != nullptr) *out = ctx.cg.code.to_vector();
    return "";
  }

  Words segment_line(ProgSegment* seg, size_t index) {
    uint32_t off = progseg_line_offset(seg, index);
    return Words(seg->code.begin() + off, seg->code.begin() + off + (seg->code[off + 1] & 0xFF));
  }
};

// X = 1 and X = X + 1 as the assignment productions emit them.
void assign_one(CompileContext* cc) {
  cg_push_symbol(cc, CGE_NUMVAR, 0, "X");
  cg_push_int(cc, 1);
  cg_fix_let_expr(cc);
  cg_dump(cc, 2, 1, 0x0896);
  cg_emit(cc, CW_END_STMT);
}

void assign_increment(CompileContext* cc) {
  cg_push_symbol(cc, CGE_NUMVAR, 0, "X");
  cg_push_symbol(cc, CGE_NUMVAR, 0, "X");
  cg_push_int(cc, 1);
  cg_dump(cc, 2, 1, 0x0872);
  cg_fix_let_expr(cc);
  cg_dump(cc, 2, 1, 0x0896);
  cg_emit(cc, CW_END_STMT);
}

TEST_F(CodegenFixture, AssignmentWordByWord) {
  ASSERT_EQ(compile("10 X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  ProgSegment* root = ctx.prog.root;
  // Line 10, keyword at column 4, 7 words; the implied assignment 06B4;
  // 0896 with the variable (entry 0) and the constant (entry 3).
  EXPECT_EQ(root->code, (Words{0x000A, 0x0407, 0x06B4, 0x0896, 0x8000, 0x8003, 0x08C0}));
  EXPECT_EQ(root->symbols, (Words{0x0000, 0x5003, 0x5800,                             // X
                                  0x0000, 0x0006, 0xC101, 0x0000, 0x0000, 0x0000}));  // 1

  // The next line reuses both entries; X twice in one line is one symbol,
  // and the inner operation is referred to as 79ED (operation 0).
  ASSERT_EQ(compile("X=X+1", CW_IMPLIED_LET, assign_increment), CG_LINE_STORED);
  EXPECT_EQ(segment_line(root, 1),
            (Words{0x000B, 0x010A, 0x06B4, 0x0872, 0x8000, 0x8003, 0x0896, 0x8000, 0x79ED, 0x08C0}));
  EXPECT_EQ(root->symbols.size(), 9u);
}

TEST_F(CodegenFixture, RepeatedSymbolsInOneLineMakeOneEntry) {
  ASSERT_EQ(compile("10 Y=Y+1", CW_IMPLIED_LET,
                    [](CompileContext* cc) {
                      cg_push_symbol(cc, CGE_NUMVAR, 0, "Y");
                      cg_push_symbol(cc, CGE_NUMVAR, 0, "Y");
                      cg_push_int(cc, 1);
                      cg_dump(cc, 2, 1, 0x0872);
                      cg_fix_let_expr(cc);
                      cg_dump(cc, 2, 1, 0x0896);
                    }),
            CG_LINE_STORED);
  EXPECT_EQ(ctx.prog.root->code, (Words{0x000A, 0x0409, 0x06B4, 0x0872, 0x8000, 0x8003, 0x0896, 0x8000, 0x79ED}));
  EXPECT_EQ(ctx.prog.root->symbols, (Words{0x0000, 0x5003, 0x5900, 0x0000, 0x0006, 0xC101, 0x0000, 0x0000, 0x0000}));
}

TEST_F(CodegenFixture, ScalarAndArrayAreTwoSymbols) {
  // X(1) = X: 08DD with the array symbol and the subscript count, then the
  // subscript; the target becomes 08DA.
  ASSERT_EQ(compile("10 X(1)=X", CW_IMPLIED_LET,
                    [](CompileContext* cc) {
                      cg_push_int(cc, 1);
                      cg_dump(cc, 1, 3, 0x08DD, cg_tmpsym_class5(cc, 1, "X"), 1);
                      cg_push_symbol(cc, CGE_NUMVAR, 0, "X");
                      cg_fix_let_expr(cc);
                      cg_dump(cc, 2, 1, 0x0896);
                    }),
            CG_LINE_STORED);
  EXPECT_EQ(ctx.prog.root->code,
            (Words{0x000A, 0x040A, 0x06B4, 0x08DA, 0x8000, 0x0001, 0x8003, 0x0896, 0x79ED, 0x8009}));
  EXPECT_EQ(ctx.prog.root->symbols, (Words{0x0000, 0x5203, 0x5800,                          // X()
                                           0x0000, 0x0006, 0xC101, 0x0000, 0x0000, 0x0000,  // 1
                                           0x0000, 0x5003, 0x5800}));                       // X
}

TEST_F(CodegenFixture, LabelAndPrefixedStatementWords) {
  // A labelled line whose statement code has bit 15: the label reference,
  // then the statement prefix 0932; an operation code with bit 15 gets 093A.
  ASSERT_EQ(compile("10 Start: PRINT", 0x9FED,
                    [](CompileContext* cc) {
                      cg_push_symbol(cc, CGE_STRVAR, 0, "A");
                      cg_dump(cc, 1, 1, 0xB49B);
                      cg_set_stmt(cc, 0x9FE4);
                    }),
            CG_LINE_STORED);
  EXPECT_EQ(ctx.prog.root->code, (Words{0x000A, 0x0B08, 0x8000, 0x0932, 0x9FE4, 0x093A, 0xB49B, 0x8005}));
  EXPECT_EQ(ctx.prog.root->symbols, (Words{0xFFFF, 0x1205, 0x5374, 0x6172, 0x7400, 0x0000, 0x4003, 0x4100}));
}

TEST_F(CodegenFixture, StringsCommentsAndMarks) {
  std::vector<uint32_t> w;
  ASSERT_EQ(raw(
                [](CompileContext* cc) {
                  cg_string(cc, "ABC", 3);
                  cg_string(cc, "", 0);
                  cg_comment(cc, 12, "Hi", 2);
                  cg_mark(cc, 0);
                  cg_emit(cc, 0x1111);
                  cg_emit(cc, 0x2222);
                  cg_mark_len(cc);
                  cg_mark_inc(cc);
                },
                &w),
            "");
  EXPECT_EQ(w, (std::vector<uint32_t>{0xFF03, 0x4142, 0x4300, 0xFF00, 0xFF02, 0x4869, 12, 4, 0x1111, 0x2222}));

  // The borders of the string and comment limits.
  std::string s255(255, 'a'), s256(256, 'a');
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_string(cc, s255.data(), 255); }, &w), "");
  EXPECT_EQ(w.size(), 129u);
  EXPECT_EQ(w[0], 0xFFFFu);
  EXPECT_EQ(w[128], 0x6100u);
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_string(cc, s256.data(), 256); }), "STRING CONSTANT TOO LONG");
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_push_string(cc, s256.data(), 256); }), "STRING CONSTANT TOO LONG");
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_comment(cc, 255, s255.data(), 255); }, &w), "");
  EXPECT_EQ(w.size(), 130u);
  EXPECT_EQ(w[129], 255u);
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_comment(cc, 256, "x", 1); }), "BAD COMMENT POSITION");
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_comment(cc, 1, s256.data(), 256); }), "COMMENT TOO LONG");
}

TEST_F(CodegenFixture, DumpTwoPutsTheTopOperandsFirst) {
  // S.M(1): structure and member combined by 2005, then the subscript list
  // beneath: 08DD, the member operation, the extra words, the subscript.
  std::vector<uint32_t> w;
  ASSERT_EQ(raw(
                [](CompileContext* cc) {
                  cg_push_int(cc, 7);  // subscript
                  cg_push_symbol(cc, CGE_STRUCT, 0, "S");
                  cg_push_symbol(cc, CGE_NUMVAR, 0, "M");
                  cg_dump(cc, 2, 1, 0x2005);                 // op 0
                  cg_dump2(cc, 1, 1, 3, 0x08DD, 0xAAAA, 1);  // op 1
                },
                &w),
            "");
  EXPECT_EQ(w, (std::vector<uint32_t>{0x2005, 0x10000, 0x10001, 0x08DD, 0x79ED, 0xAAAA, 1, 0x10002}));
  ASSERT_EQ(ctx.cg.elements.size(), 1u);
  EXPECT_EQ(ctx.cg.elements[0].op_number, 1);
  EXPECT_EQ(ctx.cg.elements[0].op_pos, 3);
  EXPECT_EQ(ctx.cg.tmpsyms[0].cls, SYM_CLASS_STRUCT);
  EXPECT_EQ(ctx.cg.tmpsyms[2].cls, SYM_CLASS_CONST);
}

TEST_F(CodegenFixture, FixUpsWrapOrRewriteTheLastElement) {
  using Push = std::function<void(CompileContext*)>;
  Push num = [](CompileContext* cc) { cg_push_int(cc, 2); };
  Push var = [](CompileContext* cc) { cg_push_symbol(cc, CGE_NUMVAR, 0, "V"); };
  Push svar = [](CompileContext* cc) { cg_push_symbol(cc, CGE_STRVAR, 0, "V"); };
  Push str = [](CompileContext* cc) { cg_push_string(cc, "q", 1); };
  auto op = [](uint16_t code) { return Push([code](CompileContext* cc) { cg_dump(cc, 0, 1, code); }); };
  struct Case {
    const char* what;
    Push push;
    Push fix;
    std::vector<uint32_t> words;
  } cases[] = {
      {"expr const", num, cg_fix_expr, {0x08E9, 0x10000}},
      {"expr var", var, cg_fix_expr, {0x08E9, 0x10000}},
      {"expr op", op(0x0872), cg_fix_expr, {0x0872}},
      {"pexpr const", num, cg_fix_pexpr, {0x08E9, 0x10000}},
      {"pexpr var", var, cg_fix_pexpr, {0x08E6, 0x10000}},
      {"pexpr subscript", op(0x08DD), cg_fix_pexpr, {0x08DA}},
      {"sexpr var", svar, cg_fix_sexpr, {0x08E3, 0x10000}},
      {"sexpr const", str, cg_fix_sexpr, {}},
      {"call const", num, [](CompileContext* c) { cg_fix_call_expr(c, true); }, {}},
      {"call var flag", var, [](CompileContext* c) { cg_fix_call_expr(c, true); }, {0x08EC, 0x10000}},
      {"call var bare", var, [](CompileContext* c) { cg_fix_call_expr(c, false); }, {}},
      {"call sub flag", op(0x08DD), [](CompileContext* c) { cg_fix_call_expr(c, true); }, {0x08E0}},
      {"call sub bare", op(0x08DD), [](CompileContext* c) { cg_fix_call_expr(c, false); }, {0x08DA}},
      {"call member flag", op(0x2005), [](CompileContext* c) { cg_fix_call_expr(c, true); }, {0x2005, 0x08EC, 0x79ED}},
      {"call member bare", op(0x2005), [](CompileContext* c) { cg_fix_call_expr(c, false); }, {0x2005}},
      {"scall const", str, [](CompileContext* c) { cg_fix_call_sexpr(c, true); }, {}},
      {"scall var flag", svar, [](CompileContext* c) { cg_fix_call_sexpr(c, true); }, {0x08FE, 0x10000}},
      {"scall var bare", svar, [](CompileContext* c) { cg_fix_call_sexpr(c, false); }, {}},
      {"scall substring", op(0x08F8), [](CompileContext* c) { cg_fix_call_sexpr(c, false); }, {0x08F8, 0x08FE, 0x79ED}},
      {"scall element flag",
       op(0x08D7),
       [](CompileContext* c) { cg_fix_call_sexpr(c, true); },
       {0x08D7, 0x08FE, 0x79ED}},
      {"scall element bare", op(0x08D7), [](CompileContext* c) { cg_fix_call_sexpr(c, false); }, {0x08D7}},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> w;
    ASSERT_EQ(raw(
                  [&](CompileContext* cc) {
                    c.push(cc);
                    c.fix(cc);
                  },
                  &w),
              "")
        << c.what;
    EXPECT_EQ(w, c.words) << c.what;
    EXPECT_EQ(ctx.cg.elements.size(), 1u) << c.what;
  }
}

TEST_F(CodegenFixture, LimitsOfOneLine) {
  struct Case {
    const char* message;
    std::function<void(CompileContext*)> actions;
  } cases[] = {
      {"CG-CODE OVERFLOW",
       [](CompileContext* cc) {
         for (int i = 0; i < 253; ++i) cg_emit(cc, 1);
       }},
      {"CGE-STACK OVERFLOW",
       [](CompileContext* cc) {
         for (int i = 0; i < 61; ++i) cg_push_int(cc, i);
       }},
      {"CGE-STACK UNDERFLOW",
       [](CompileContext* cc) {
         cg_push_int(cc, 1);
         cg_dump(cc, 2, 1, 0x0872);
       }},
      {"CG-COUNT OVERFLOW",
       [](CompileContext* cc) {
         for (int i = 0; i < 21; ++i) cg_count_push(cc);
       }},
      {"CG-COUNT INVALID", [](CompileContext* cc) { cg_count_inc(cc); }},
      {"CG-COUNT UNDERFLOW",
       [](CompileContext* cc) {
         cg_count_push(cc);
         cg_count_pop(cc);
         cg_count_pop(cc);
       }},
      {"TOO MANY DIMENSIONS", [](CompileContext* cc) { cg_check_dims(cc, 7); }},
      {"TOO MUCH SYMBOLS",
       [](CompileContext* cc) {
         for (int i = 0; i < 81; ++i) cg_tmpsym_line(cc, i + 1);
       }},
      {"EXPRESSION TOO COMPLEX",
       [](CompileContext* cc) {
         for (int i = 0; i < 41; ++i) cg_dump(cc, 0, 1, 0x0872);
       }},
      {"SYMBOL TOO LONG", [](CompileContext* cc) { cg_push_symbol(cc, CGE_NUMVAR, 0, "Abcdefghijklmnop"); }},
      {"LABEL NOT FOUND", [](CompileContext* cc) { cg_label_line(cc, "Nowhere"); }},
  };
  for (const Case& c : cases) expect_error("10 X=1", c.actions, c.message);

  // Just below each limit the line is stored: 255 words, 60 elements,
  // 20 counters, 6 dimensions, 80 symbols, 40 operations.
  std::function<void(CompileContext*)> fits[] = {
      [](CompileContext* cc) {
        for (int i = 0; i < 252; ++i) cg_emit(cc, 1);
      },
      [](CompileContext* cc) {
        for (int i = 0; i < 60; ++i) cg_push_int(cc, i);
      },
      [](CompileContext* cc) {
        for (int i = 0; i < 20; ++i) cg_count_push(cc);
      },
      [](CompileContext* cc) { cg_check_dims(cc, 6); },
      [](CompileContext* cc) {
        for (int i = 0; i < 80; ++i) cg_emit(cc, cg_tmpsym_line(cc, i + 1));
      },
      [](CompileContext* cc) {
        for (int i = 0; i < 40; ++i) cg_dump(cc, 0, 1, 0x0872);
      },
  };
  int n = 100;
  for (auto& f : fits) {
    std::string text = std::to_string(n++) + " X";
    EXPECT_EQ(compile(text, CW_IMPLIED_LET, f), CG_LINE_STORED) << text << ": " << ctx.error_message;
  }
  ProgSegment* root = ctx.prog.root;
  EXPECT_EQ(segment_line(root, 0).size(), 255u);
  EXPECT_EQ(root->code[1], 0x05FF);
}

TEST_F(CodegenFixture, DelimiterResetsTheOperationCount) {
  EXPECT_EQ(compile("10 X", CW_IMPLIED_LET,
                    [](CompileContext* cc) {
                      for (int i = 0; i < 40; ++i) cg_dump(cc, 0, 1, 0x0872);
                      cg_emit(cc, 0x08D0);
                      cg_reset(cc);
                      for (int i = 0; i < 40; ++i) cg_dump(cc, 0, 1, 0x0872);
                    }),
            CG_LINE_STORED);
  // The first operation after the reset is operation 0 again.
  std::vector<uint32_t> w;
  raw(
      [](CompileContext* cc) {
        cg_dump(cc, 0, 1, 0x0872);
        cg_reset(cc);
        cg_dump(cc, 0, 1, 0x086A);
        cg_dump(cc, 1, 1, 0x086A);
      },
      &w);
  EXPECT_EQ(w, (std::vector<uint32_t>{0x0872, 0x086A, 0x086A, 0x79ED}));
}

TEST_F(CodegenFixture, CountersAndMarks) {
  std::vector<uint32_t> w;
  int a = 0, b = 0, c = 0;
  raw(
      [&](CompileContext* cc) {
        cg_count_push(cc);
        cg_count_inc(cc);
        cg_count_push(cc);
        a = cg_count_inc(cc);
        b = cg_count_pop(cc);
        c = cg_count_inc(cc);
        cg_mark(cc, 0x09E9);
        cg_mark_set(cc, 5);
      },
      &w);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(w, (std::vector<uint32_t>{5}));
}

TEST_F(CodegenFixture, LineNumbering) {
  auto stmt = [](CompileContext* cc) { cg_emit(cc, CW_END_STMT); };
  ASSERT_TRUE(cg_set_numbering(&ctx, 100, 10));
  EXPECT_EQ(compile("A", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  EXPECT_EQ(compile("B", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  EXPECT_EQ(compile("115 C", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  EXPECT_EQ(compile("D", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  ProgSegment* root = ctx.prog.root;
  std::vector<int> nums;
  for (size_t i = 0; i < progseg_line_count(root); ++i) nums.push_back(root->code[progseg_line_offset(root, i)]);
  EXPECT_EQ(nums, (std::vector<int>{100, 110, 115, 125}));

  expect_error("105 E", stmt, "LINE NUMBERS NOT IN ORDER");
  expect_error("125 E", stmt, "DUPLICATE LINE NUMBER");
  expect_error("130", stmt, "SYNTAX ERROR");
  EXPECT_EQ(compile("   ", CW_IMPLIED_LET, stmt), CG_LINE_EMPTY);

  // A renumbering back to a lower number places unnumbered lines in order.
  ASSERT_TRUE(cg_set_numbering(&ctx, 112, 1));
  EXPECT_EQ(compile("F", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  EXPECT_EQ(root->code[progseg_line_offset(root, 2)], 112);

  EXPECT_FALSE(cg_set_numbering(&ctx, 0, 1));
  EXPECT_FALSE(cg_set_numbering(&ctx, 1, 0));
  EXPECT_FALSE(cg_set_numbering(&ctx, 32768, 1));
}

TEST_F(CodegenFixture, AutomaticNumbersStopAtTheLargestLine) {
  auto stmt = [](CompileContext* cc) { cg_emit(cc, CW_END_STMT); };
  ASSERT_TRUE(cg_set_numbering(&ctx, 32760, 7));
  EXPECT_EQ(compile("A", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  EXPECT_EQ(compile("B", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  EXPECT_EQ(ctx.prog.root->code[progseg_line_offset(ctx.prog.root, 1)], 32767);
  // 32774 would spill into bit 15 of the line-number word.
  expect_error("C", stmt, "IMPROPER LINE NUMBER");
  EXPECT_EQ(progseg_line_count(ctx.prog.root), 2u);
}

void sub_line(CompileContext* cc) {
  cg_emit(cc, cg_tmpsym_sub(cc, "Calc"));
  cg_push_symbol(cc, CGE_NUMVAR, 0, "X");
  cg_fix_expr(cc);
  cg_emit(cc, CW_END_STMT);
  cg_new_segment(cc);
}

TEST_F(CodegenFixture, SubOpensASegmentAtTheEnd) {
  ASSERT_EQ(compile("10 X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  bool in_root = false;
  ASSERT_EQ(compile("20 SUB Calc(X)", 0x07F0,
                    [&](CompileContext* cc) {
                      in_root = cg_in_root(cc);
                      sub_line(cc);
                    }),
            CG_LINE_STORED);
  EXPECT_TRUE(in_root);  // the statement is read while the root is in work
  ASSERT_EQ(progseg_count(&ctx.prog), 2u);
  ProgSegment* sub = ctx.prog.root->next;
  // The SUB's own symbols start a fresh table: X is entry 4 there, although
  // the root has an X of its own.
  EXPECT_EQ(sub->code, (Words{0x0014, 0x0407, 0x07F0, 0x8000, 0x08E9, 0x8004, 0x08C0}));
  EXPECT_EQ(sub->symbols, (Words{0xFFFF, 0x1E04, 0x4361, 0x6C63, 0x0000, 0x5003, 0x5800}));
  EXPECT_STREQ(segname(&ctx.prog, sub), "SUB Calc");

  // The following lines go into the new segment and find its symbols.
  ASSERT_EQ(compile("30 X=1", CW_IMPLIED_LET,
                    [&](CompileContext* cc) {
                      in_root = cg_in_root(cc);
                      assign_one(cc);
                    }),
            CG_LINE_STORED);
  EXPECT_FALSE(in_root);
  EXPECT_EQ(segment_line(sub, 1), (Words{0x001E, 0x0407, 0x06B4, 0x0896, 0x8004, 0x8007, 0x08C0}));
  EXPECT_EQ(sub->symbols.size(), 13u);
  // A line between the root's last and the SUB's first joins the root.
  ASSERT_TRUE(cg_set_numbering(&ctx, 15, 1));
  ASSERT_EQ(compile("X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  EXPECT_EQ(progseg_line_count(ctx.prog.root), 2u);

  // A SUB line anywhere but at the very end is refused.
  ASSERT_TRUE(cg_set_numbering(&ctx, 12, 1));
  expect_error("SUB Calc(X)", sub_line, "SEGMENT CHANGE NOT ALLOWED HERE");
  EXPECT_EQ(progseg_count(&ctx.prog), 2u);
  EXPECT_EQ(progseg_line_count(sub), 2u);
  ASSERT_EQ(compile("40 SUB Calc(X)", 0x07F0, sub_line), CG_LINE_STORED);
  EXPECT_EQ(progseg_count(&ctx.prog), 3u);
}

TEST_F(CodegenFixture, ParserFailureReportsThePresetMessage) {
  front.parse_rc = 1;
  expect_error("10 X=1", nullptr, "PARSER STACK OVERFLOW");
  EXPECT_EQ(ctx.error_column, 0);
  front.parse_rc = 0;
  // A message raised inside the line wins, with its column.
  ctx.token_column = 7;
  expect_error(
      "10 X=1", [](CompileContext* cc) { cg_check_dims(cc, 9); }, "TOO MANY DIMENSIONS");
  EXPECT_EQ(ctx.error_column, 7);
}

TEST_F(CodegenFixture, WithoutAParserNothingCompiles) {
  ctx.front.parse = nullptr;
  expect_error("10 X=1", assign_one, "STATEMENT COMPILER NOT AVAILABLE");
  // The line start still sorts out empty lines and bare line numbers.
  EXPECT_EQ(compile("  ", CW_IMPLIED_LET, assign_one), CG_LINE_EMPTY);
  expect_error("20", assign_one, "SYNTAX ERROR");
  ctx.front = CgFrontEnd{};
  expect_error("10 X=1", assign_one, "STATEMENT COMPILER NOT AVAILABLE");
}

const char* refuse_insert(void*, CompileContext*, ProgSegment*, uint32_t, const uint16_t*, size_t) {
  return "Code size exceeds maximum";
}

TEST_F(CodegenFixture, HostFailureLeavesTheSegmentAsItWas) {
  ASSERT_EQ(compile("10 X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  ctx.host.insert_code = refuse_insert;
  expect_error(
      "20 Y=1",
      [](CompileContext* cc) {
        cg_push_symbol(cc, CGE_NUMVAR, 0, "Y");
        cg_fix_expr(cc);
      },
      "Code size exceeds maximum");
  EXPECT_EQ(ctx.prog.root->symbols.size(), 9u);
  // The same for a new segment: it is not left behind.
  expect_error("30 SUB Calc(X)", sub_line, "Code size exceeds maximum");
  EXPECT_EQ(progseg_count(&ctx.prog), 1u);
  ctx.host = cg_default_host();
  EXPECT_EQ(compile("40 Y=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
}

TEST_F(CodegenFixture, SymbolsFindExistingEntriesOfEveryNumericClass) {
  // A class-7 "N" in the segment (as a read program may hold) is the numeric
  // variable N; a string N$ and an array N() are not.
  Words t = {0x0000, 0x7003, 0x4E00};
  ASSERT_EQ(progseg_add_symbols(ctx.prog.root, t.data(), t.size()), PROGSEG_OK);
  ASSERT_EQ(compile("10 N", CW_IMPLIED_LET,
                    [](CompileContext* cc) {
                      cg_emit(cc, cg_tmpsym_class5(cc, 0, "N"));
                      cg_emit(cc, cg_tmpsym_class4(cc, 0, "N"));
                      cg_emit(cc, cg_tmpsym_class5(cc, 2, "N"));
                      cg_emit(cc, cg_tmpsym_struct_sub(cc, 3, "N"));
                      cg_emit(cc, cg_tmpsym_fn(cc, "N"));
                      cg_emit(cc, cg_tmpsym_fn_str(cc, "N"));
                      cg_emit(cc, cg_tmpsym_line(cc, 10));
                    }),
            CG_LINE_STORED);
  EXPECT_EQ(ctx.prog.root->code,
            (Words{0x000A, 0x040A, 0x06B4, 0x8000, 0x8003, 0x8006, 0x8009, 0x800C, 0x800F, 0x8012}));
  EXPECT_EQ(ctx.prog.root->symbols,
            (Words{0x0000, 0x7003, 0x4E00, 0x0000, 0x4003, 0x4E00, 0x0000, 0x5403, 0x4E00, 0x0000, 0x8603,
                   0x4E00, 0xFFFF, 0x1803, 0x4E00, 0xFFFF, 0x1A03, 0x4E00, 0xFFFF, 0x1003, 0x000A}));

  // cg_find_symbol over a bare table.
  cg_line_reset(&ctx);
  int idx = static_cast<int>(cg_tmpsym_class4(&ctx, 0, "N") & 0xFFFF);
  EXPECT_EQ(cg_find_symbol(&ctx, ctx.prog.root->symbols.data(), ctx.prog.root->symbols.size(), idx), 0x8003);
  EXPECT_EQ(cg_find_symbol(&ctx, ctx.prog.root->symbols.data(), 3, idx), 0);
}

TEST_F(CodegenFixture, LabelLineFindsTheDefiningLine) {
  ASSERT_EQ(compile("10 X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  ASSERT_EQ(compile("20 Again: X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  ProgSegment* root = ctx.prog.root;
  long entry = progseg_find_symbol(root, ProgSymbolRef{SYM_CLASS_LINE, SYM_SUB_LABEL, nullptr, 0, "Again", 5});
  ASSERT_GE(entry, 0);
  // As compiled the address word is FFFF: the label is not placed yet.
  int found = 0;
  std::string msg = raw([&](CompileContext* cc) { found = cg_label_line(cc, "Again"); });
  EXPECT_EQ(msg, "LABEL NOT FOUND");
  // Once the address word holds the position of line 20, the label is found
  // from any segment.
  root->symbols[static_cast<size_t>(entry)] = static_cast<uint16_t>(progseg_line_offset(root, 1));
  ASSERT_EQ(compile("30 SUB Calc(X)", 0x07F0, sub_line), CG_LINE_STORED);
  msg = raw([&](CompileContext* cc) {
    cc->cg.seg = cc->prog.root->next;
    found = cg_label_line(cc, "Again");
  });
  EXPECT_EQ(msg, "");
  EXPECT_EQ(found, 20);
  // A position that is not the line with that label word is not taken.
  root->symbols[static_cast<size_t>(entry)] = static_cast<uint16_t>(progseg_line_offset(root, 0));
  EXPECT_EQ(raw([&](CompileContext* cc) { cg_label_line(cc, "Again"); }), "LABEL NOT FOUND");
}

TEST_F(CodegenFixture, DebugOutputShowsRawAndFinishedWords) {
  std::string out;
  ctx.debug = 1;
  ctx.debug_user = &out;
  ctx.debug_sink = [](void* u, const char* t) { *static_cast<std::string*>(u) += t; };
  ASSERT_EQ(compile("10 X=1", CW_IMPLIED_LET, assign_one), CG_LINE_STORED);
  EXPECT_EQ(out, "000a 0400 06b4 0896 S#00 S#01 08c0 \n000a 0407 06b4 0896 8000 8003 08c0 \n");
}

TEST_F(CodegenFixture, LongProgramsStayInOrder) {
  // 3000 lines numbered automatically, then lines slotted in between.
  auto stmt = [](CompileContext* cc) {
    cg_push_symbol(cc, CGE_NUMVAR, 0, "X");
    cg_fix_expr(cc);
  };
  ASSERT_TRUE(cg_set_numbering(&ctx, 10, 10));
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(compile("X", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  ASSERT_TRUE(cg_set_numbering(&ctx, 15, 10));
  for (int i = 0; i < 100; ++i) ASSERT_EQ(compile("X", CW_IMPLIED_LET, stmt), CG_LINE_STORED);
  ProgSegment* root = ctx.prog.root;
  ASSERT_EQ(progseg_line_count(root), 3100u);
  int prev = 0;
  for (size_t i = 0; i < progseg_line_count(root); ++i) {
    int n = root->code[progseg_line_offset(root, i)];
    ASSERT_GT(n, prev);
    prev = n;
  }
  EXPECT_EQ(root->symbols.size(), 3u);
}

// The scanner's line start in front of the generator: the first words of a
// line come from the keyword tables, its errors leave the line like the
// generator's own.
struct ScannerLineStart : ::testing::Test {
  CompileContext ctx;
  void SetUp() override {
    pkeywd_init();
    skeywd_init();
    cc_init(&ctx, CgFrontEnd{scan_line_start, [](CompileContext*) { return 0; }});
    ASSERT_TRUE(progseg_reset(&ctx.prog));
  }
  void TearDown() override { cc_free(&ctx); }
  int compile(const char* text) { return cg_compile_line(&ctx, text, std::strlen(text)); }
};

TEST_F(ScannerLineStart, FirstWordsAndLineErrors) {
  ASSERT_EQ(compile("10 Here: PRINT"), CG_LINE_STORED) << ctx.error_message;
  EXPECT_EQ(ctx.prog.root->code, (Words{0x000A, 0x0A04, 0x8000, 0x051D}));
  EXPECT_EQ(ctx.prog.root->symbols, (Words{0xFFFF, 0x1204, 0x4865, 0x7265}));
  ASSERT_EQ(compile("PRINT"), CG_LINE_STORED) << ctx.error_message;
  EXPECT_EQ(ctx.prog.root->code[4], 11);

  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"5 PRINT", "LINE NUMBERS NOT IN ORDER"}, {"11 PRINT", "DUPLICATE LINE NUMBER"},   {"30", "SYNTAX ERROR"},
      {"30. PRINT", "IMPROPER LINE NUMBER"},    {"40000 PRINT", "IMPROPER LINE NUMBER"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compile(c.text), CG_LINE_ERROR) << c.text;
    EXPECT_EQ(ctx.error_message, c.message) << c.text;
  }
  EXPECT_EQ(progseg_line_count(ctx.prog.root), 2u);
  EXPECT_EQ(compile(""), CG_LINE_EMPTY);
}

}  // namespace
