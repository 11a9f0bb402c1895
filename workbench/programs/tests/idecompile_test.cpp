// The environment's build of the compiler: append-only lines, no line-number
// references, one-line segments for checking, and size failures that stay
// errors of the line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "programs_fixture.h"
#include "workbench/programs/idecompile.h"
#include "workbench/programs/progcontext.h"

namespace {

using progtest::ProgramsTest;

struct IdeCompile : ProgramsTest {
  YqApiProgram prog;
  void SetUp() override {
    ProgramsTest::SetUp();
    ASSERT_TRUE(prog.NewProgram());
  }
  int compile(const char* text) { return prog.CompileLine(text, nullptr, nullptr); }
};

TEST_F(IdeCompile, LineNumberReferencesAreRefusedAndLabelsCompile) {
  const char* refused[] = {"GOTO 100", "IF A>1 THEN 300", "RESTORE 200", "ON K GOSUB 10,Done", "GOSUB 20"};
  for (const char* text : refused) {
    EXPECT_EQ(compile(text), -1) << text;
    EXPECT_EQ(prog.ErrorText(), kIdeLineRefMessage) << text;
  }
  EXPECT_EQ(compile("Done: PRINT 1"), 1) << prog.ErrorText();
  EXPECT_EQ(compile("GOTO Done"), 1) << prog.ErrorText();
  EXPECT_EQ(compile("ON K GOSUB Done,Done"), 1) << prog.ErrorText();
  // The refused lines left nothing behind and took no line number.
  EXPECT_EQ(progtest::listing_of(prog),
            "\x1b\x07"
            "Done\x1b\x01: \x1b\x09PRINT \x1b\x01\x1b\x0c"
            "1\x1b\x01\n"
            "\x1b\x09GOTO \x1b\x01\x1b\x07"
            "Done\x1b\x01\n"
            "\x1b\x09ON \x1b\x01\x1b\x0eK\x1b\x01\x1b\x09 GOSUB \x1b\x01\x1b\x07"
            "Done\x1b\x01,\x1b\x07"
            "Done\x1b\x01\n");
  YqApiIter it;
  ASSERT_TRUE(it.First(prog));
  ASSERT_TRUE(it.NextLine());
  EXPECT_EQ(it.LineNumber(), 1u);
  ASSERT_TRUE(it.NextLine());
  EXPECT_EQ(it.LineNumber(), 2u);
}

TEST_F(IdeCompile, LinesGoToTheEndInTheOrderGivenAndSubOpensASegment) {
  prog.SetNumbering(100, 10);
  progtest::compile_all(&prog, {"A=1", "CALL Calc(A)", "SUB Calc(X)", "X=X+1", "SUBEND"});
  // A number in the text is kept out of order checks; the facade numbers.
  EXPECT_EQ(compile("5 PRINT X"), 1) << prog.ErrorText();
  ProgList& segs = prog.Segments();
  ASSERT_NE(segs.root, nullptr);
  ASSERT_NE(segs.root->next, nullptr);
  EXPECT_EQ(segs.root->next->next, nullptr);
  EXPECT_EQ(progseg_line_count(segs.root), 2u);
  EXPECT_EQ(progseg_line_count(segs.root->next), 4u);
  YqApiIter it;
  ASSERT_TRUE(it.First(prog));
  std::vector<unsigned> numbers;
  std::vector<std::string> names;
  while (it.NextLine()) {
    numbers.push_back(it.LineNumber());
    names.push_back(it.SegmentName(prog));
  }
  EXPECT_EQ(numbers, (std::vector<unsigned>{100, 110, 120, 130, 140, 150}));
  EXPECT_EQ(names, (std::vector<std::string>{"main", "main", "SUB Calc", "SUB Calc", "SUB Calc", "SUB Calc"}));
  EXPECT_EQ(it.LineNumber(), 0u);  // past the end
}

TEST_F(IdeCompile, ParseLineMakesItsOwnEntriesAndStoresNothing) {
  progtest::compile_all(&prog, {"Total=1", "Total=Total+2"});
  size_t syms = prog.Segments().root->symbols.size();
  size_t code = prog.Segments().root->code.size();

  CompileContext& cc = Prog_Context().cc;
  ProgSegment one;
  cc.prog = prog.Segments();
  int rc = ide_parse_line(&cc, "Total=Total*3", 13, false, &one);
  cc.prog = ProgList{};
  ASSERT_EQ(rc, 1) << cc.error_message;
  // Total is known to the program, yet the one-line table has its own
  // entry; the references point into that table.
  ProgSymbolRef total;
  total.cls = SYM_CLASS_NUMERIC;
  total.name = "Total";
  total.name_len = 5;
  EXPECT_EQ(progseg_find_symbol(&one, total), 0);
  EXPECT_EQ(one.charset, -1);
  EXPECT_EQ(one.code[1] & 0xFF, one.code.size());
  EXPECT_EQ(prog.Segments().root->symbols.size(), syms);
  EXPECT_EQ(prog.Segments().root->code.size(), code);

  std::string listed;
  int flags = -1;
  EXPECT_EQ(prog.ParseLine("Total=Total*3", 0, -1, &listed, &flags), 1);
  EXPECT_EQ(listed,
            "\x1b\x0eTotal\x1b\x01\x1b\x0b=\x1b\x01\x1b\x0eTotal\x1b\x01\x1b\x0b*\x1b\x01\x1b\x0c"
            "3\x1b\x01");
  EXPECT_EQ(flags & 0x80, 0x80);
  // Space-dependent text fails in the default spelling and parses on retry.
  EXPECT_EQ(prog.ParseLine("print zeta", 0, -1, nullptr, nullptr), -1);
  EXPECT_EQ(prog.ParseLine("print zeta", 0, 1, &listed, nullptr), 1) << prog.ErrorText();
  EXPECT_EQ(prog.ParseLine("GOTO 10", 0, -1, nullptr, nullptr), -1);
  EXPECT_EQ(prog.ErrorText(), kIdeLineRefMessage);
  EXPECT_EQ(prog.ParseLine("   ", 0, -1, nullptr, nullptr), 0);
}

TEST_F(IdeCompile, YydebugIsNotRead) {
  ::setenv("YYDEBUG", "9", 1);
  int rc = compile("PRINT 1");
  ::unsetenv("YYDEBUG");
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(Prog_Context().cc.debug, 0);
}

TEST_F(IdeCompile, FreeingAForeignSegmentGivesMinusOne) {
  progtest::compile_all(&prog, {"A=1", "SUB S", "SUBEND"});
  YqApiProgram other;
  ASSERT_TRUE(other.NewProgram());
  ProgSegment* foreign = other.Segments().root;
  EXPECT_EQ(progseg_free(&prog.Segments(), foreign), -1);
  EXPECT_EQ(progseg_count(&prog.Segments()), 2u);
  EXPECT_EQ(progseg_free(&prog.Segments(), prog.Segments().root->next), 0);
  EXPECT_EQ(progseg_count(&prog.Segments()), 1u);
}

TEST_F(IdeCompile, SizeFailuresAreErrorsOfTheLine) {
  // One segment fills up: the line that would pass 32,767 code words fails
  // at column 0, the process goes on and the next segment takes lines again.
  std::string line = "A=B+C+D+E+F+G+H+I+J+K+L+M+N+O+P+Q+R+S+T+U+V+W+X+Y+Z";
  int stored = 0;
  int rc = 1;
  while (rc == 1 && stored < 5000) {
    rc = compile(line.c_str());
    if (rc == 1) ++stored;
  }
  ASSERT_EQ(rc, -1);
  EXPECT_EQ(prog.ErrorText(), "Code size exceeds maximum");
  EXPECT_EQ(Prog_Context().cc.error_column, 0);
  EXPECT_LE(prog.Segments().root->code.size(), PROGSEG_MAX_WORDS);
  EXPECT_EQ(progseg_line_count(prog.Segments().root), static_cast<size_t>(stored));
  EXPECT_EQ(compile("SUB More"), 1) << prog.ErrorText();
  EXPECT_EQ(compile(line.c_str()), 1) << prog.ErrorText();

  // The symbol table limit the same way, through the host's own call.
  ProgSegment seg;
  seg.magic = SEGMENT_MAGIC;
  std::vector<uint16_t> words(PROGSEG_MAX_WORDS, 0);
  EXPECT_EQ(ide_add_symbols(&seg, words.data(), 0), nullptr);
  EXPECT_EQ(ide_add_symbols(&seg, words.data(), words.size()), nullptr);
  EXPECT_STREQ(ide_add_symbols(&seg, words.data(), 1), "Symbol table size exceeds maximum");
}

}  // namespace
