// Undo and redo: every change comes back byte for byte, and the modified flag
// follows the saved point through the history.
#include <functional>

#include "workbench/editor/tests/txttest.h"
#include "workbench/editor/txtreplace.h"
#include "workbench/editor/txtsuspend.h"
#include "workbench/base/diag.h"
#include "workbench/base/tests/shelltest.h"

using namespace txttest;

namespace {

struct State {
  std::vector<std::string> lines;
  std::vector<uint32_t> idents;
  std::vector<uint16_t> numbers;
  bool operator==(const State&) const = default;
};

State Capture(const TextObj& t) {
  State s{Lines(t), Idents(t), {}};
  for (TextLine* l = t.head; l; l = l->next) s.numbers.push_back(l->line_number);
  return s;
}

std::ostream& operator<<(std::ostream& os, const State& s) {
  for (size_t i = 0; i < s.lines.size(); ++i) {
    os << "[" << s.idents[i] << "#" << s.numbers[i] << "]";
    for (unsigned char c : s.lines[i]) {
      if (c < 32 || c >= 0x80)
        os << "\\x" << std::hex << int{c} << std::dec;
      else
        os << c;
    }
    os << " ";
  }
  return os;
}

class TextUndoTest : public ThrowingChecks {
 protected:
  TextObj t;
  void Edit(uint32_t line, uint32_t col, const std::function<void()>& f) {
    ASSERT_TRUE(t.BeginAction(line, col));
    f();
    t.EndAction();
  }
  void Type(uint32_t line, uint32_t col, const char* text) {
    Edit(line, col, [&] { t.Line(line)->Insert(col, text, t.Line(line)->AttrAt(col)); });
  }
  void Undo() {
    uint32_t l, c;
    t.Undo(&l, &c);
  }
  void Redo() {
    uint32_t l, c;
    t.Redo(&l, &c);
  }
};

struct RoundTrip {
  const char* name;
  std::vector<std::string> text;
  bool enhancements;
  std::function<void(TextObj&)> edit;  // runs inside one group
  std::vector<std::string> shown;      // the display afterwards, "*" unchecked
};

TEST_F(TextUndoTest, EveryKindOfChangeUndoesAndRedoesToTheSameBytes) {
  const std::vector<std::string> base = {S({'a', 'b', ESC, 3, 'c', 'd'}), S({0x81, 'e', 'f', 0x80, 'g'}), "hij"};
  auto attr = [](TextObj& o, int colour, int enh) {
    TextAttr a(&o);
    a.color_state = colour;
    a.enhancement = static_cast<uint8_t>(0x80 | enh);
    return a;
  };
  const RoundTrip cases[] = {
      {"insert",
       base,
       true,
       [&](TextObj& o) { o.Line(0)->Insert(1, "XY", attr(o, 5, 0)); },
       {"aX{c5}Y{c5}bc{c2}d{c2}", "e{c0,e1}f{c0,e1}g", "hij"}},
      {"insert into enhanced text",
       base,
       true,
       [&](TextObj& o) { o.Line(1)->Insert(1, "Z", attr(o, 0, 0)); },
       {"abc{c2}d{c2}", "e{c0,e1}Zf{c0,e1}g", "hij"}},
      {"insert native",
       base,
       true,
       [](TextObj& o) {
         o.Line(2)->InsertNative(1, S({ESC, 4, 'Q'}).c_str());
       },
       {"abc{c2}d{c2}", "e{c0,e1}f{c0,e1}g", "hQ{c3}i{c3}j{c3}"}},
      {"replace char",
       base,
       true,
       [&](TextObj& o) { o.Line(0)->ReplaceChar(2, 'R', attr(o, 0, 2)); },
       {"abR{c0,e2}d{c2}", "e{c0,e1}f{c0,e1}g", "hij"}},
      {"delete", base, true, [](TextObj& o) { o.Line(0)->Delete(1, 2); }, {"ad{c2}", "e{c0,e1}f{c0,e1}g", "hij"}},
      {"delete to the end",
       base,
       true,
       [](TextObj& o) { o.Line(1)->Delete(1, 0); },
       {"abc{c2}d{c2}", "e{c0,e1}", "hij"}},
      {"split a line",
       base,
       true,
       [](TextObj& o) {
         uint32_t ll, lc;
         o.PasteArea("\r\n", 0, &ll, 3, &lc);
       },
       {"abc{c2}", "d{c2}", "e{c0,e1}f{c0,e1}g", "hij"}},
      {"join two lines",
       base,
       true,
       [](TextObj& o) { o.DeleteArea(0, 1, 4, 0); },
       {"abc{c2}d{c2}e{c0,e1}f{c0,e1}g", "hij"}},
      {"paste several lines at column 0",
       base,
       true,
       [](TextObj& o) {
         uint32_t ll, lc;
         o.PasteArea("1\r\n2\r\n3", 1, &ll, 0, &lc);
       },
       {"abc{c2}d{c2}", "1", "2", "3e{c0,e1}f{c0,e1}g", "hij"}},
      {"delete area over three lines", base, true, [](TextObj& o) { o.DeleteArea(0, 2, 1, 2); }, {"aj"}},
      {"delete area from column 0", base, true, [](TextObj& o) { o.DeleteArea(0, 1, 0, 1); }, {"f{c0,e1}g", "hij"}},
      {"create and destroy lines",
       base,
       false,
       [](TextObj& o) {
         TextLine* n = new TextLine(o.Line(1), TextLine_BEFORE);
         n->Insert(0, "new", TextAttr(&o));
         new TextLine(&o);
         delete o.Line(0);
       },
       {"new", "*", "hij", ""}},
      {"toggle an attribute on a selection",
       base,
       true,
       [&](TextObj& o) {
         TextLine* l = o.Line(2);
         TextAttr a = l->AttrAt(1);
         a.ChangeEnhancement(TextAttr_UNDERLINE, 0);
         std::string sel = o.CopyAreaString(2, 2, 1, 3);
         l->Delete(1, 2);
         std::string plain(sel.size() + 1, '\0');
         plain.resize(TextAttr::StripEscapes(plain.data(), sel.c_str()));
         l->Insert(1, plain.c_str(), a);
       },
       {"abc{c2}d{c2}", "e{c0,e1}f{c0,e1}g", "hi{c0,e4}j{c0,e4}"}},
      {"replace all",
       base,
       false,
       [](TextObj& o) { TxtReplaceAll(&o, "b", "BB", true, false, 7, 3); },
       {"aBBc{c2}d{c2}", "*", "hij"}},
  };
  for (const RoundTrip& c : cases) {
    TextObj text;
    text.SetUseEnhancements(c.enhancements);
    Load(text, c.text);
    // Area records keep the line identity too (a single line's DESTROY keeps
    // only the ident, see below).
    text.Line(2)->line_number = 100;
    const State before = Capture(text);
    ASSERT_TRUE(text.BeginAction(7, 3)) << c.name;
    c.edit(text);
    text.EndAction();
    const State after = Capture(text);
    ASSERT_TRUE(text.IsModified()) << c.name;
    // The display after the edit ("*": not checked).
    std::vector<std::string> shown = RenderAll(text);
    for (size_t i = 0; i < c.shown.size() && i < shown.size(); ++i) {
      if (c.shown[i] != "*") {
        EXPECT_EQ(shown[i], c.shown[i]) << c.name << " line " << i;
      }
    }
    EXPECT_EQ(shown.size(), c.shown.size()) << c.name;

    for (int round = 0; round < 2; ++round) {
      uint32_t line = 0, col = 0;
      text.Undo(&line, &col);
      EXPECT_EQ(Capture(text), before) << c.name;
      EXPECT_FALSE(text.IsModified()) << c.name;
      EXPECT_FALSE(text.CanUndo()) << c.name;
      EXPECT_EQ(line, 7u);
      EXPECT_EQ(col, 3u);
      text.Redo(&line, &col);
      EXPECT_EQ(Capture(text), after) << c.name;
      EXPECT_TRUE(text.IsModified()) << c.name;
      EXPECT_FALSE(text.CanRedo()) << c.name;
    }
  }
}

TEST_F(TextUndoTest, UndoingEveryGroupReturnsToTheSavedText) {
  Load(t, {"", ""});
  const State saved = Capture(t);
  for (int i = 0; i < 5; ++i) Type(i % 2, 0, "x");
  EXPECT_EQ(t.undo_actions, 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(t.IsModified());
    Undo();
  }
  EXPECT_FALSE(t.IsModified());
  EXPECT_EQ(Capture(t), saved);
  for (int i = 0; i < 5; ++i) {
    Redo();
    EXPECT_TRUE(t.IsModified()) << i;
  }
}

// The modified flag through the history when the owner saves in the middle:
// a table of steps, each with the flag it must leave.
TEST_F(TextUndoTest, SavedPointInTheMiddleOfTheHistory) {
  enum Op { TYPE, UNDO, REDO, SAVE };
  const struct {
    const char* name;
    std::vector<std::pair<Op, bool>> steps;
  } cases[] = {
      {"save after undos, then undo and redo around it",
       {{TYPE, true},
        {TYPE, true},
        {TYPE, true},
        {UNDO, true},
        {UNDO, true},
        {SAVE, false},
        {UNDO, true},
        {REDO, false},
        {REDO, true},
        {REDO, true},
        {UNDO, true},
        {UNDO, false},
        {UNDO, true}}},
      {"save at the end, undo all, redo all",
       {{TYPE, true}, {TYPE, true}, {SAVE, false}, {UNDO, true}, {UNDO, true}, {REDO, true}, {REDO, false}}},
      {"saved point lost when a new change replaces the redo history",
       {{TYPE, true},
        {TYPE, true},
        {SAVE, false},
        {UNDO, true},
        {TYPE, true},
        {UNDO, true},
        {UNDO, true},
        {REDO, true},
        {REDO, true}}},
      {"type after saving at an undone point",
       {{TYPE, true}, {UNDO, false}, {SAVE, false}, {TYPE, true}, {UNDO, false}, {REDO, true}}},
      {"save twice",
       {{TYPE, true},
        {SAVE, false},
        {TYPE, true},
        {SAVE, false},
        {UNDO, true},
        {UNDO, true},
        {REDO, true},
        {REDO, false}}},
  };
  for (const auto& c : cases) {
    TextObj text;
    Load(text, {""});
    uint32_t n = 0;
    int step = 0;
    for (const auto& [op, modified] : c.steps) {
      uint32_t l, col;
      switch (op) {
        case TYPE:
          ASSERT_TRUE(text.BeginAction(0, n));
          text.Line(0)->Insert(0, "x", TextAttr(&text));
          text.Line(0)->Insert(1, "y", TextAttr(&text));
          text.EndAction();
          ++n;
          break;
        case UNDO: text.Undo(&l, &col); break;
        case REDO: text.Redo(&l, &col); break;
        case SAVE: text.SetModified(false); break;
      }
      EXPECT_EQ(text.IsModified(), modified) << c.name << ", step " << step;
      ++step;
    }
  }
}

TEST_F(TextUndoTest, ANewChangeEmptiesTheRedoStack) {
  Load(t, {"abc"});
  Type(0, 0, "1");
  Type(0, 0, "2");
  Undo();
  EXPECT_TRUE(t.CanRedo());
  Type(0, 3, "3");
  EXPECT_FALSE(t.CanRedo());
  Redo();  // nothing to redo
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"1ab3c"}));
}

TEST_F(TextUndoTest, HistoryKeepsTheNewestHundredGroups) {
  Load(t, {""});
  for (int i = 0; i < 101; ++i) {
    Type(0, 0, "x");
    if (i == 99) {
      EXPECT_FALSE(t.TestFlag(TextObj_TRUNCATED));
    }
  }
  EXPECT_TRUE(t.TestFlag(TextObj_TRUNCATED));
  EXPECT_EQ(t.undo_actions, 100u);
  int undone = 0;
  while (t.CanUndo()) {
    Undo();
    ++undone;
  }
  EXPECT_EQ(undone, 100);
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(t.IsModified());  // the first group is gone for good
  t.ClearUndo();
  EXPECT_FALSE(t.TestFlag(TextObj_TRUNCATED));
}

TEST_F(TextUndoTest, GroupsOpenOnlyWhileRecording) {
  Load(t, {"abc"});
  EXPECT_TRUE(t.BeginAction(0, 0));
  EXPECT_FALSE(t.BeginAction(0, 1));  // one is open already
  t.EndAction();                      // empty: no group
  EXPECT_EQ(t.undo_actions, 0u);
  EXPECT_FALSE(t.CanUndo());

  t.SetFlag(TextObj_READ_ONLY);
  EXPECT_FALSE(t.BeginAction(0, 0));
  t.Line(0)->Insert(0, "x", TextAttr(&t));  // read-only texts are never recorded
  t.EndAction();
  EXPECT_FALSE(t.CanUndo());
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"xabc"}));

  t.ClearFlag(TextObj_READ_ONLY);
  t.SetFlag(TextObj_SUSPENDED);
  EXPECT_FALSE(t.BeginAction(0, 0));
  t.ClearFlag(TextObj_SUSPENDED);
}

TEST_F(TextUndoTest, UndoClosesAnOpenGroupFirst) {
  Load(t, {"abc"});
  ASSERT_TRUE(t.BeginAction(0, 2));
  t.Line(0)->Insert(2, "x", TextAttr(&t));
  uint32_t l = 9, c = 9;
  t.Undo(&l, &c);
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"abc"}));
  EXPECT_EQ(l, 0u);
  EXPECT_EQ(c, 2u);
  EXPECT_FALSE(t.undo.TestFlag(TextStack_IN_ACTION));
}

TEST_F(TextUndoTest, UndoOfALineDeletionBringsBackTextAndIdent) {
  Load(t, {"a", "bcd", "e"});
  t.Line(1)->line_number = 20;
  Edit(1, 0, [&] { delete t.Line(1); });
  Undo();
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"a", "bcd", "e"}));
  EXPECT_EQ(t.Line(1)->ident, 2u);
  EXPECT_EQ(t.Line(1)->line_number, 0);  // the program line number is not part of the record
  EXPECT_EQ(t.Line(1)->Columns(), 3u);
}

TEST_F(TextUndoTest, UndoOfAnAreaPasteIsOneStepAndReportsThePastePosition) {
  Load(t, {"abc", "def"});
  uint32_t ll, lc;
  t.PasteArea("1\r\n2\r\n3\r\n4", 1, &ll, 2, &lc);
  EXPECT_EQ(t.num_lines, 5u);
  EXPECT_EQ(t.undo_actions, 1u);
  uint32_t l = 0, c = 0;
  t.Undo(&l, &c);
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(l, 1u);
  EXPECT_EQ(c, 2u);
  EXPECT_FALSE(t.CanUndo());
}

TEST_F(TextUndoTest, AreaOperationsJoinAnOpenGroup) {
  Load(t, {"abc", "def"});
  Edit(0, 0, [&] {
    t.DeleteArea(0, 1, 1, 1);
    uint32_t ll, lc;
    t.PasteArea("XY", 0, &ll, 1, &lc);
    t.Line(0)->Insert(0, ">", TextAttr(&t));
  });
  EXPECT_EQ(Lines(t), (std::vector<std::string>{">aXYef"}));
  EXPECT_EQ(t.undo_actions, 1u);
  Undo();
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(Idents(t), (std::vector<uint32_t>{1, 2}));
}

TEST_F(TextUndoTest, ReplaceAllReplacesExactlyTheMatchedCharacters) {
  t.SetUseEnhancements(true);
  Load(t, {S({'x', 0x81, 'a', 'b', 0x80, 'a', 'b'}), "ab ab", S({ESC, 3, 'c', 'a', 'b'})});
  const State before = Capture(t);
  uint32_t n = TxtReplaceAll(&t, "ab", "Q", true, false, 2, 1);
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(RenderAll(t), (std::vector<std::string>{"xQ{c0,e1}Q", "Q Q", "c{c2}Q{c2}"}));
  EXPECT_EQ(t.undo_actions, 1u);
  uint32_t l, c;
  t.Undo(&l, &c);
  EXPECT_EQ(Capture(t), before);
  EXPECT_EQ(l, 2u);
  EXPECT_EQ(c, 1u);
}

TEST_F(TextUndoTest, ReplaceAllCases) {
  const struct {
    std::vector<std::string> text;
    const char *find, *repl;
    bool case_sensitive, whole_word;
    uint32_t count;
    std::vector<std::string> result;
  } cases[] = {
      {{"a a", "a"}, "a", "aa", true, false, 3, {"aa aa", "aa"}},  // replacement holds the text
      {{"aaaa"}, "aa", "", true, false, 2, {""}},
      {{"Ab ab AB"}, "ab", "x", false, false, 3, {"x x x"}},
      {{"ab xab ab_c ab"}, "ab", "y", true, true, 2, {"y xab ab_c y"}},
      {{"none"}, "zz", "y", true, false, 0, {"none"}},
      {{"aab"}, "ab", "b", true, false, 2, {"b"}},
  };
  for (const auto& c : cases) {
    TextObj text;
    Load(text, c.text);
    EXPECT_EQ(TxtReplaceAll(&text, c.find, c.repl, c.case_sensitive, c.whole_word, 0, 0), c.count) << c.find;
    EXPECT_EQ(Lines(text), c.result) << c.find;
    EXPECT_EQ(text.CanUndo(), c.count > 0) << c.find;  // nothing found leaves no group
  }
}

TEST_F(TextUndoTest, ReplayedRecordsAreNotRecordedAgain) {
  Load(t, {"abc"});
  Type(0, 1, "x");
  const uint32_t records = t.undo.Count();
  Undo();
  EXPECT_EQ(t.undo.Count(), 0u);
  EXPECT_EQ(t.redo.Count(), records);
  Redo();
  EXPECT_EQ(t.undo.Count(), records);
  EXPECT_EQ(t.redo.Count(), 0u);
  EXPECT_FALSE(t.TestFlag(TextObj_SUSPENDED));
}

TEST_F(TextUndoTest, ReplayOverAnUnrecordedChangeIsAFailedCheck) {
  Load(t, {"abc"});
  Type(0, 1, "x");
  {
    TextSuspend quiet(&t);
    t.Line(0)->Delete(0, 2);  // takes away what the record put in
  }
  EXPECT_THROW(Undo(), SysAssertError);
  EXPECT_FALSE(t.TestFlag(TextObj_SUSPENDED));
}

TEST_F(TextUndoTest, ReadOnlyTextIgnoresUndoAndRedo) {
  Load(t, {"abc"});
  Type(0, 0, "x");
  t.SetFlag(TextObj_READ_ONLY);
  EXPECT_FALSE(t.CanUndo());
  Undo();
  EXPECT_EQ(Lines(t), (std::vector<std::string>{"xabc"}));
}

}  // namespace

namespace {

TEST(TextUndoTrace, RecordsAreTracedUnderLetterU) {
  RecordingSink sink;
  Diag_Setup("U3", nullptr);
  TextObj t;
  Load(t, {"abc", "de"});
  ASSERT_TRUE(t.BeginAction(0, 1));
  t.Line(0)->Insert(1, "xy", TextAttr(&t));
  t.Line(1)->Delete(0, 1);
  t.DeleteArea(0, 1, 2, 0);
  t.EndAction();
  uint32_t l, c;
  t.Undo(&l, &c);
  Diag_Reset();
  for (const char* line : {
           "BeginAction: ACTION line=0, col=1",
           "SaveAction: INSERT line=0, col=1, columns=2, redo_size=2",
           "SaveAction: DELETE line=1, col=0, columns=1, undo_size=1",
           "SaveAction: AREADELETE start_line=0, end_line=1, start_col=2, end_col=0",
           "EndAction: ACTION count=3, line=0, col=1",
           "UndoAction: ACTION count=3, line=0, col=1",
           "UndoAction: INSERT line=0, col=1, columns=2, redo_size=2",
           "RedoData:",
       }) {
    EXPECT_NE(sink.debug.find(line), std::string::npos) << line << "\n" << sink.debug;
  }
}

}  // namespace
