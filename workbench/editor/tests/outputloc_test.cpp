// Location lists: locations name their line by ident and find it again after
// the text around it was edited.
#include "workbench/editor/outputloclist.h"
#include "workbench/editor/tests/txttest.h"

using namespace txttest;

namespace {

class OutputLocTest : public ThrowingChecks {};

TEST_F(OutputLocTest, AddFindAndClear) {
  OutputLocList list;
  OutputLoc* a = list.Add(3, 30);
  OutputLoc* b = list.Add(5, 50, 2, 7, "other.prog");
  list.Add(3, 31);
  EXPECT_EQ(list.Find(3), a);  // the first location of a line
  EXPECT_EQ(list.Find(5), b);
  EXPECT_EQ(list.Find(4), nullptr);
  EXPECT_EQ(b->segment, 2);
  EXPECT_EQ(b->line, 7);

  EXPECT_EQ(a->File(), nullptr);
  list.SetDefaultFile("main.prog");
  EXPECT_STREQ(a->File(), "main.prog");
  EXPECT_STREQ(b->File(), "other.prog");

  delete a;  // a location unlinks itself
  EXPECT_EQ(list.Find(3)->value, 31u);
  EXPECT_EQ(list.head, b);

  list.Clear();
  EXPECT_EQ(list.head, nullptr);
  EXPECT_EQ(list.tail, nullptr);
  EXPECT_EQ(list.default_file, nullptr);
  list.SetDefaultFile(nullptr);
  EXPECT_THROW(list.Add(0, 1), SysAssertError);
}

// Messages about source lines (value = ident of the source line) reach their
// line after lines above it were inserted or deleted, pasted over or undone.
TEST_F(OutputLocTest, LocationsFollowTheirLinesThroughEdits) {
  TextObj source;
  Load(source, {"10 A=1", "20 B=2", "30 C=3", "40 D=4"});
  TextObj output;
  output.SetFlag(TextObj_READ_ONLY);
  OutputLocList locs;
  for (uint32_t i = 0; i < 4; ++i) {
    TextLine* msg = new TextLine(&output);
    msg->Insert(0, ("message " + std::to_string(i)).c_str(), TextAttr(&output));
    locs.Add(msg->ident, source.Line(i)->ident);
  }
  auto target = [&](uint32_t message) -> std::string {
    OutputLoc* loc = locs.Find(output.Line(message)->ident);
    if (!loc) return "<no location>";
    TextLine* l = source.LineByIdent(loc->value);
    return l ? l->data : "<gone>";
  };

  uint32_t ll, lc;
  ASSERT_TRUE(source.BeginAction(0, 0));
  source.PasteArea("5 REM\r\n", 0, &ll, 0, &lc);  // a line above everything
  source.DeleteArea(1, 2, 0, 0);                  // line "10 A=1" goes
  source.PasteArea("X", 2, &ll, 0, &lc);          // typed in front of 30
  source.PasteArea("\r\n", 3, &ll, 2, &lc);       // 40 split in two
  source.EndAction();
  EXPECT_EQ(Lines(source), (std::vector<std::string>{"5 REM", "20 B=2", "X30 C=3", "40", " D=4"}));
  EXPECT_EQ(target(0), "<gone>");
  EXPECT_EQ(target(1), "20 B=2");
  EXPECT_EQ(target(2), "X30 C=3");
  EXPECT_EQ(target(3), "40");

  uint32_t l, c;
  source.Undo(&l, &c);
  EXPECT_EQ(target(0), "10 A=1");  // undo brings the deleted line back with its ident
  EXPECT_EQ(target(3), "40 D=4");
  source.Redo(&l, &c);
  EXPECT_EQ(target(0), "<gone>");
  EXPECT_EQ(target(2), "X30 C=3");

  locs.Clear();
  EXPECT_EQ(target(1), "<no location>");
}

}  // namespace
