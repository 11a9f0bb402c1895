// Lines, lookup, rows, search and the area operations of the text object.
#include <cstring>

#include "workbench/editor/tests/txttest.h"

using namespace txttest;

namespace {

// Columns of a rendering: the characters outside the {...} state notes.
uint32_t ShownColumns(const std::string& shown) {
  uint32_t n = 0;
  bool note = false;
  for (char ch : shown) {
    if (ch == '{') note = true;
    if (!note) ++n;
    if (ch == '}') note = false;
  }
  return n;
}

class TextObjTest : public ThrowingChecks {
 protected:
  TextObj t;
  void Open() { ASSERT_TRUE(t.BeginAction(0, 0)); }
  void Close() { t.EndAction(); }
};

TEST_F(TextObjTest, LinesGetUniqueIdentsThatAreNeverReused) {
  Load(t, {"a", "b", "c"});
  EXPECT_EQ(Idents(t), (std::vector<uint32_t>{1, 2, 3}));
  Open();
  delete t.Line(1);
  TextLine* n = new TextLine(t.Line(0), TextLine_AFTER);
  Close();
  EXPECT_EQ(n->ident, 4u);
  EXPECT_EQ(Idents(t), (std::vector<uint32_t>{1, 4, 3}));
  EXPECT_EQ(t.LineByIdent(4), n);
  EXPECT_EQ(t.LineByIdent(2), nullptr);
  EXPECT_EQ(t.LineByIdent(0), nullptr);
}

TEST_F(TextObjTest, LineLookupFromEitherEnd) {
  EXPECT_EQ(t.LastLine(), nullptr);
  EXPECT_EQ(t.FirstLine(), nullptr);
  std::vector<std::string> lines;
  for (int i = 0; i < 50; ++i) lines.push_back(std::to_string(i));
  Load(t, lines);
  for (uint32_t i : {0u, 1u, 24u, 25u, 48u, 49u, 3u, 47u}) {
    TextLine* l = t.Line(i);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->data, std::to_string(i));
    EXPECT_EQ(l->idx, i);
    EXPECT_EQ(t.IndexOf(l), i);
  }
  EXPECT_EQ(t.Line(50), nullptr);
  EXPECT_EQ(t.LastLine()->idx, 49u);
  // Index lookups stay right after lines come and go.
  Open();
  delete t.Line(10);
  new TextLine(t.Line(40), TextLine_BEFORE);
  Close();
  EXPECT_EQ(t.Line(10)->data, "11");
  EXPECT_EQ(t.Line(39)->data, "40");
  EXPECT_EQ(t.Line(40)->data, "");
  EXPECT_EQ(t.Line(41)->data, "41");
  EXPECT_EQ(t.IndexOf(t.LineByIdent(30)), 28u);
}

TEST_F(TextObjTest, LineByNumberCountsNumberedLinesFromTheFirstMatch) {
  Load(t, {"a", "b", "c", "d", "e"});
  const uint16_t numbers[] = {10, 0, 20, 20, 30};
  for (uint32_t i = 0; i < 5; ++i) t.Line(i)->line_number = numbers[i];
  EXPECT_EQ(t.LineByNumber(10, 0)->data, "a");
  EXPECT_EQ(t.LineByNumber(10, 1)->data, "c");  // b bears no number
  EXPECT_EQ(t.LineByNumber(20, 1)->data, "d");
  EXPECT_EQ(t.LineByNumber(20, 2)->data, "e");
  EXPECT_EQ(t.LineByNumber(20, 3), nullptr);
  EXPECT_EQ(t.LineByNumber(99, 0), nullptr);
  EXPECT_EQ(t.LineByNumber(0, 0), nullptr);
}

TEST_F(TextObjTest, RowsUnderLineWrap) {
  Load(t, {std::string(20, 'x'), std::string(21, 'y'), "", "z"});
  EXPECT_EQ(t.CountRows(0), 4u);
  EXPECT_EQ(t.CountRows(10), 2u + 3u + 1u + 1u);
  EXPECT_EQ(t.Line(1)->first_row, 2u);
  const struct {
    uint32_t row;
    const char first;
    uint32_t col;
  } cases[] = {{0, 'x', 0}, {1, 'x', 10}, {2, 'y', 0}, {4, 'y', 20}, {5, 0, 0}, {6, 'z', 0}};
  for (const auto& c : cases) {
    uint32_t col = 99;
    TextLine* l = t.LineAtRow(c.row, &col, 10);
    ASSERT_NE(l, nullptr) << c.row;
    EXPECT_EQ(l->data.empty() ? 0 : l->data[0], c.first) << c.row;
    EXPECT_EQ(col, c.col) << c.row;
  }
  uint32_t col = 7;
  EXPECT_EQ(t.LineAtRow(7, &col, 10), nullptr);
  EXPECT_EQ(col, 0u);
  EXPECT_EQ(t.LineAtRow(3, &col, 0)->data, "z");
  EXPECT_EQ(t.Line(3, 10)->first_row, 6u);
}

TEST_F(TextObjTest, EnhancementSettingRecountsColumns) {
  Load(t, {S({'a', 0x81, 'b'})});
  EXPECT_EQ(t.Line(0)->Columns(), 3u);
  t.SetUseEnhancements(true);
  EXPECT_EQ(t.Line(0)->Columns(), 2u);
  EXPECT_EQ(Render(t.Line(0)), "ab{c0,e1}");
}

// Insert keeps the attributes of the text behind the insertion point; the
// inserted text is shown in the state it was given.
TEST_F(TextObjTest, InsertAndDeleteKeepTheAttributesAround) {
  t.SetUseEnhancements(true);
  TextAttr fresh(&t), red(&t), inv(&t);
  red.color_state = 2;
  inv.enhancement = 0x81;
  const struct {
    std::string line;
    bool insert;
    uint32_t col, n;
    std::string text;
    const TextAttr* attr;
    std::string shown;
  } cases[] = {
      {"abc", true, 1, 0, "XY", &red, "aX{c2}Y{c2}bc"},
      {S({ESC, 3, 'a', 'b'}), true, 1, 0, "X", &fresh, "a{c2}Xb{c2}"},
      {S({ESC, 3, 'a', 'b'}), true, 0, 0, "X", &fresh, "Xa{c2}b{c2}"},
      {S({'a', ESC, 3, 'b'}), true, 1, 0, "X", &inv, "aX{c0,e1}b{c2}"},
      {"ab", true, 2, 0, "X", &inv, "abX{c0,e1}"},
      {"ab", true, 1, 2, "XYZ", &fresh, "aXYb"},
      {S({'a', ESC, 3, 'b', ESC, 4, 'c', 'd'}), false, 1, 1, "", nullptr, "ac{c3}d{c3}"},
      {S({'a', 0x81, 'b', 'c', 0x80, 'd'}), false, 0, 2, "", nullptr, "c{c0,e1}d"},
      {S({'a', ESC, 3, 'b', 'c'}), false, 1, 0, "", nullptr, "a"},
      {S({ESC, 3, 'a', 'b'}), false, 0, 1, "", nullptr, "b{c2}"},
  };
  for (const auto& c : cases) {
    t.Clear();
    Load(t, {c.line});
    Open();
    TextLine* l = t.Line(0);
    if (c.insert)
      l->Insert(c.col, c.text.c_str(), *c.attr, c.n);
    else
      l->Delete(c.col, c.n);
    Close();
    EXPECT_EQ(Render(l), c.shown) << (c.insert ? "insert " : "delete ") << c.col;
    EXPECT_EQ(l->Columns(), ShownColumns(c.shown));
  }
}

TEST_F(TextObjTest, InsertLeavesOutAnEscWithoutItsCode) {
  Load(t, {"abc"});
  Open();
  TextLine* l = t.Line(0);
  l->Insert(1, "x\x1b", TextAttr(&t));
  uint32_t ll, lc;
  t.PasteArea("y\x1b", 0, &ll, 3, &lc);
  Close();
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"axbyc"}));
  EXPECT_EQ(l->Columns(), 5u);
}

TEST_F(TextObjTest, ReplaceCharAndNativeInsert) {
  t.SetUseEnhancements(true);
  Load(t, {S({'a', 'b', ESC, 3, 'c'})});
  TextAttr inv(&t);
  inv.enhancement = 0x81;
  Open();
  TextLine* l = t.Line(0);
  l->ReplaceChar(1, 'X', inv);
  EXPECT_EQ(Render(l), "aX{c0,e1}c{c2}");
  l->ReplaceChar(3, 'Z', TextAttr(&t));  // behind the last column: appends
  EXPECT_EQ(Render(l), "aX{c0,e1}c{c2}Z");
  // Native bytes go in as they are: their codes act on the text behind them.
  l->InsertNative(0, S({ESC, 5, 'q', ESC, 1}).c_str());
  EXPECT_EQ(Render(l), "q{c4}aX{c0,e1}c{c2}Z");
  l->InsertNative(1, S({ESC, 6}).c_str());
  Close();
  EXPECT_EQ(Render(l), "q{c4}a{c5}X{c5,e1}c{c2}Z");
  EXPECT_EQ(l->Columns(), 5u);
}

TEST_F(TextObjTest, RemoveBytesTakesRawBytesAtACharacter) {
  Load(t, {S({'a', ESC, 3, 'b', 'c'})});
  TextLine* l = t.Line(0);
  l->RemoveBytes(1, 2);  // from the character b on: b and c
  EXPECT_EQ(l->data, S({'a', ESC, 3}));
  EXPECT_EQ(l->Columns(), 1u);
  EXPECT_FALSE(t.CanUndo());  // not recorded
  EXPECT_THROW(l->RemoveBytes(1, 1), SysAssertError);
  EXPECT_THROW(l->RemoveBytes(0, 0), SysAssertError);
}

TEST_F(TextObjTest, InsertWithMoreColumnsThanTheTextIsFatal) {
  Load(t, {"ab"});
  Open();
  EXPECT_DEATH(t.Line(0)->Insert(0, "xy", TextAttr(&t), 3), "columns=3");
  Close();
}

TEST_F(TextObjTest, ColumnHelpersOfALine) {
  Load(t, {S({' ', ' ', ESC, 3, 'a', 'b', '_', '$', '.', 'c', ' ', ' '})});
  TextLine* l = t.Line(0);
  EXPECT_EQ(l->NextNonBlankColumn(0), 2u);
  EXPECT_EQ(l->NextNonBlankColumn(3), 3u);
  EXPECT_EQ(l->TrimmedColumns(), 8u);
  int32_t fl, ll, fc, lc;
  ASSERT_TRUE(l->WordAt(4, &fl, &ll, &fc, &lc));
  EXPECT_EQ(fc, -2);
  EXPECT_EQ(lc, 2);
  EXPECT_EQ(fl, 0);
  EXPECT_FALSE(l->WordAt(6, &fl, &ll, &fc, &lc));
  EXPECT_FALSE(l->WordAt(1, &fl, &ll, &fc, &lc));
  TextAttr a(&t);
  const char* p = l->PointerAtColumn(2, &a);
  EXPECT_EQ(*p, 'a');
  EXPECT_EQ(a.color_state, 2);
}

TEST_F(TextObjTest, SwapIdentityExchangesIdentOnlyWithItsMarks) {
  Load(t, {"a", "b"});
  TextLine* a = t.Line(0);
  TextLine* b = t.Line(1);
  a->line_number = 10;
  a->line_aux = 3;
  a->line_flags = TextLine_BREAKPOINT | TextLine_EDITING;
  b->line_flags = TextLine_MARK | TextLine_ERROR_MARK;
  a->SwapIdentity(b);
  EXPECT_EQ(a->ident, 2u);
  EXPECT_EQ(b->ident, 1u);
  EXPECT_EQ(b->line_number, 10);
  EXPECT_EQ(b->line_aux, 3);
  EXPECT_EQ(a->line_flags, TextLine_MARK | TextLine_EDITING);
  EXPECT_EQ(b->line_flags, TextLine_BREAKPOINT | TextLine_ERROR_MARK);
}

// ------------------------------------------------------------------ Find

struct FindCase {
  const char* name;
  std::vector<std::string> text;
  std::string pattern;
  uint32_t line, col;
  bool forward, ignore_case, whole_word, enhancements;
  int found;
  uint32_t at_line, at_col;
  bool wrapped;
};

TEST_F(TextObjTest, FindTable) {
  const std::vector<std::string> three = {"one ab two", "ab xab ab_c ab", "end ab"};
  const FindCase cases[] = {
      {"forward from start", three, "ab", 0, 0, true, false, false, false, 1, 0, 4, false},
      {"forward at col", three, "ab", 0, 4, true, false, false, false, 1, 0, 4, false},
      {"forward past col", three, "ab", 0, 5, true, false, false, false, 1, 1, 0, false},
      {"forward next line wraps", three, "one", 1, 0, true, false, false, false, 1, 0, 0, true},
      {"backward left of col", three, "ab", 1, 12, false, false, false, false, 1, 1, 7, false},
      {"backward previous line", three, "ab", 1, 0, false, false, false, false, 1, 0, 4, false},
      {"backward wraps to last", three, "ab", 0, 4, false, false, false, false, 1, 2, 4, true},
      {"whole word skips xab and ab_c", three, "ab", 1, 1, true, false, true, false, 1, 1, 12, false},
      {"whole word backward", three, "ab", 1, 12, false, false, true, false, 1, 1, 0, false},
      {"ignore case", {"x AB y"}, "aB", 0, 0, true, true, false, false, 1, 0, 2, false},
      {"case sensitive", {"x AB y"}, "ab", 0, 0, true, false, false, false, 0, 0, 0, true},
      {"start line other part after wrap", {"ab x", "y"}, "ab", 0, 1, true, false, false, false, 1, 0, 0, true},
      {"start line backward other part", {"x ab", "y"}, "ab", 0, 1, false, false, false, false, 1, 0, 2, true},
      {"not found anywhere", three, "zz", 1, 3, true, false, false, false, 0, 1, 3, true},
      {"empty text finds nothing", three, "", 0, 0, true, false, false, false, 0, 0, 0, false},
      {"dollar is a word char", {"a$b ab"}, "b", 0, 0, true, false, true, false, 0, 0, 0, true},
      // Colour codes take no column: the match is reported in display columns.
      {"colour codes", {S({ESC, 3, 'x', ESC, 1, 'a', 'b'})}, "ab", 0, 0, true, false, false, false, 1, 0, 1, false},
      {"attribute bytes", {S({'x', 0x81, 'a', 0x80, 'b', 'c'})}, "abc", 0, 0, true, false, false, true, 1, 0, 1, false},
      {"attribute bytes as characters",
       {S({'x', 0x81, 'a', 'b'})},
       "ab",
       0,
       0,
       true,
       false,
       false,
       false,
       1,
       0,
       2,
       false},
  };
  for (const FindCase& c : cases) {
    TextObj text;
    text.SetUseEnhancements(c.enhancements);
    Load(text, c.text);
    uint32_t line = c.line, col = c.col;
    bool wrapped = !c.wrapped;
    int found = text.Find(c.pattern.c_str(), &line, &col, c.forward, c.ignore_case, c.whole_word, &wrapped);
    EXPECT_EQ(found, c.found) << c.name;
    EXPECT_EQ(wrapped, c.wrapped) << c.name;
    if (found) {
      EXPECT_EQ(line, c.at_line) << c.name;
      EXPECT_EQ(col, c.at_col) << c.name;
    }
  }
}

TEST_F(TextObjTest, FindWalksEveryMatchOnceAroundTheText) {
  Load(t, {"ab ab", "", "ab"});
  std::vector<std::pair<uint32_t, uint32_t>> seen;
  uint32_t line = 0, col = 0;
  bool wrapped = false;
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(t.Find("ab", &line, &col, true, false, false, &wrapped), 1);
    seen.emplace_back(line, col);
    ++col;
  }
  EXPECT_EQ(seen, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}, {0, 3}, {2, 0}, {0, 0}}));
  EXPECT_TRUE(wrapped);
}

// ------------------------------------------------------------------ areas

TEST_F(TextObjTest, PasteAtColumnZeroKeepsTheIdentityWithTheText) {
  Load(t, {"xyz"});
  TextLine* l = t.Line(0);
  l->line_number = 40;
  l->line_flags = TextLine_BREAKPOINT;
  uint32_t last_line, last_col;
  t.PasteArea("a\r\nb", 0, &last_line, 0, &last_col);
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"a", "bxyz"}));
  EXPECT_EQ(t.Line(1)->ident, 1u);
  EXPECT_EQ(t.Line(1)->line_number, 40);
  EXPECT_EQ(t.Line(1)->line_flags, TextLine_BREAKPOINT);
  EXPECT_EQ(t.Line(0)->line_number, 0);
  EXPECT_EQ(last_line, 1u);
  EXPECT_EQ(last_col, 1u);
}

TEST_F(TextObjTest, PasteSplitsAtEveryKindOfLineBreak) {
  Load(t, {"<>"});
  uint32_t last_line, last_col;
  const std::string text = "1\r\n2\r3\n" + S({ESC, '\n'}) + "4\n\n5";
  t.PasteArea(text.c_str(), 0, &last_line, 1, &last_col);
  // ESC followed by a line feed is a colour switch, not a break.
  EXPECT_EQ(RenderAll(t), (std::vector<std::string>{"<1", "2", "3", "4{c9}", "", "5>"}));
  EXPECT_EQ(last_line, 5u);
  EXPECT_EQ(last_col, 1u);
  EXPECT_EQ(t.Line(0)->ident, 1u);  // not pasted at column 0: the first line keeps its ident
}

TEST_F(TextObjTest, PasteInsideColouredTextKeepsTheRestColoured) {
  Load(t, {S({ESC, 3, 'a', 'b', 'c'})});
  uint32_t ll, lc;
  t.PasteArea("X\r\nY", 0, &ll, 1, &lc);
  EXPECT_EQ(RenderAll(t), (std::vector<std::string>{"a{c2}X", "Yb{c2}c{c2}"}));
}

TEST_F(TextObjTest, CopyAreaWithAndWithoutAttributes) {
  t.SetUseEnhancements(true);
  Load(t, {S({'a', ESC, 3, 'b', 'c'}), S({0x81, 'd', 'e'}), S({'f', 'g'})});
  const struct {
    uint32_t fl, ll, fc, lc;
    bool attrs;
    std::string text;
  } cases[] = {
      {0, 0, 1, 3, true, S({ESC, 3, 'b', 'c'})},
      {0, 0, 1, 1, true, S({ESC, 3})},
      {0, 2, 2, 1, true, S({ESC, 3, 'c', '\r', '\n', 0x81, 'd', 'e', '\r', '\n', 'f'})},
      {0, 1, 0, 0, true, S({'a', ESC, 3, 'b', 'c', '\r', '\n'})},
      {1, 1, 1, 2, true, S({0x81, 'e'})},
      {0, 1, 1, 2, false, S({'b', 'c', '\r', '\n', 0x81, 'd', 'e'})},
      {1, 1, 1, 2, false, S({0x81, 'e'})},
  };
  for (const auto& c : cases) {
    uint32_t size =
        c.attrs ? t.CopyArea(nullptr, 0, c.fl, c.ll, c.fc, c.lc) : t.CopyAreaPlain(nullptr, 0, c.fl, c.ll, c.fc, c.lc);
    EXPECT_EQ(size, c.text.size() + 1);
    std::string buf(size, 'X');
    if (c.attrs)
      t.CopyArea(buf.data(), size, c.fl, c.ll, c.fc, c.lc);
    else
      t.CopyAreaPlain(buf.data(), size, c.fl, c.ll, c.fc, c.lc);
    EXPECT_EQ(buf, c.text + std::string(1, '\0'));
  }
  EXPECT_THROW(t.CopyArea(nullptr, 0, 0, 0, 2, 1), SysAssertError);
  std::string small(3, 'X');
  EXPECT_THROW(t.CopyArea(small.data(), 3, 0, 0, 0, 3), SysAssertError);
}

TEST_F(TextObjTest, DeleteAreaJoinsLinesAndMovesIdentityAtColumnZero) {
  const struct {
    uint32_t fl, ll, fc, lc;
    std::vector<std::string> lines;
    std::vector<uint32_t> idents;
  } cases[] = {
      {0, 0, 1, 3, {"ad", "efg", "hi"}, {1, 2, 3}},
      {0, 0, 2, 2, {"abcd", "efg", "hi"}, {1, 2, 3}},  // an empty area deletes nothing
      {0, 1, 2, 1, {"abfg", "hi"}, {1, 3}},
      {0, 2, 1, 2, {"a"}, {1}},
      {0, 1, 0, 0, {"efg", "hi"}, {2, 3}},
      {1, 2, 0, 1, {"abcd", "i"}, {1, 3}},
      {0, 2, 4, 0, {"abcdhi"}, {1}},
  };
  for (const auto& c : cases) {
    TextObj text;
    Load(text, {"abcd", "efg", "hi"});
    ASSERT_TRUE(text.BeginAction(c.fl, c.fc));
    text.DeleteArea(c.fl, c.ll, c.fc, c.lc);
    text.EndAction();
    EXPECT_EQ(Lines(text), c.lines) << c.fl << "," << c.fc << "-" << c.ll << "," << c.lc;
    EXPECT_EQ(Idents(text), c.idents) << c.fl << "," << c.fc << "-" << c.ll << "," << c.lc;
  }
}

TEST_F(TextObjTest, DeleteAreaKeepsTheStateOfTheJoinedRest) {
  t.SetUseEnhancements(true);
  Load(t, {S({'a', 'b'}), S({ESC, 4, 'c', 0x82, 'd', 'e'})});
  t.DeleteArea(0, 1, 1, 1);
  EXPECT_EQ(RenderAll(t), (std::vector<std::string>{"ad{c3,e2}e{c3,e2}"}));
}

TEST_F(TextObjTest, CopyThenPasteGivesTheSameDisplay) {
  t.SetUseEnhancements(true);
  Load(t, {S({'a', ESC, 3, 'b', 0x84, 'c'}), S({'d', ESC, 1, 'e'}), "f"});
  std::string copy = t.CopyAreaString(0, 1, 1, 2);
  std::vector<std::string> shown = RenderAll(t);
  t.DeleteArea(0, 1, 1, 2);
  EXPECT_EQ(RenderAll(t), (std::vector<std::string>{"a", "f"}));
  uint32_t ll, lc;
  t.PasteArea(copy.c_str(), 0, &ll, 1, &lc);
  EXPECT_EQ(RenderAll(t), shown);
  EXPECT_EQ(ll, 1u);
  EXPECT_EQ(lc, 2u);
}

TEST_F(TextObjTest, ClearEmptiesTextAndHistoryButNotTheIdentCounter) {
  Load(t, {"a", "b"});
  Open();
  t.Line(0)->Insert(0, "x", TextAttr(&t));
  Close();
  EXPECT_TRUE(t.CanUndo());
  t.Clear();
  EXPECT_EQ(t.num_lines, 0u);
  EXPECT_EQ(t.head, nullptr);
  EXPECT_FALSE(t.CanUndo());
  EXPECT_FALSE(t.IsModified());
  EXPECT_EQ(t.max_line_size, 0u);
  Open();
  TextLine* l = new TextLine(&t);
  Close();
  EXPECT_EQ(l->ident, 3u);
}

TEST_F(TextObjTest, ChangesMarkTheTextAndGrowTheLineSizeHint) {
  Load(t, {"abc"});
  t.SetFlag(TextObj_VALID);
  Open();
  t.Line(0)->Insert(3, "defgh", TextAttr(&t));
  Close();
  EXPECT_TRUE(t.IsModified());
  EXPECT_FALSE(t.TestFlag(TextObj_VALID));
  EXPECT_EQ(t.max_line_size, 28u);
}

TEST_F(TextObjTest, BrokenPreconditionsAreChecked) {
  Load(t, {"abc"});
  const struct {
    const char* expr;
    std::function<void()> call;
  } cases[] = {
      {"tstack->TestFlag(TextStack_IN_ACTION)", [&] { t.Line(0)->Insert(0, "x", TextAttr(&t)); }},
      {"uint64_t{col} + columns <= data_columns", [&] { t.Line(0)->Delete(2, 5); }},
      {"col <= data_columns", [&] { t.Line(0)->InsertNative(9, "x"); }},
      {"!\"TextLine::TextLine() invalid TextLineInsertMode\"", [&] { new TextLine(t.Line(0), 7); }},
      {"first_col <= last_col", [&] { t.DeleteArea(0, 0, 2, 1); }},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.expr;
    } catch (const SysAssertError& e) {
      EXPECT_EQ(e.expr, c.expr);
    }
  }
}

}  // namespace
