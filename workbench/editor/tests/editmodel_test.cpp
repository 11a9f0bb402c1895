// The editor model without windows: layout, keys, editing, search and the
// go-to operations, driven as a view would drive them.
#include "workbench/editor/editmodel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbench/editor/tests/edittest.h"
#include "workbench/editor/tests/txttest.h"

using edittest::Fixture;
using txttest::Lines;

TEST_F(Fixture, WrappedLineTakesTwoRowsAndColumnTenEndsTheFirst) {
  Open({std::string(20, 'x')}, /*cols=*/11);
  model->SetLineWrap(true);
  EXPECT_EQ(model->MaxCols(), 10u);
  EXPECT_EQ(model->TotalRows(), 2u);
  uint32_t line = 0, col = 10;
  model->LineToRowCol(&line, &col);
  EXPECT_EQ(line, 0u);
  EXPECT_EQ(col, 10u);
  line = 0, col = 11;
  model->LineToRowCol(&line, &col);
  EXPECT_EQ(line, 1u);
  EXPECT_EQ(col, 1u);
  model->PlaceCaret(0, 10);
  int x = 0, y = 0;
  ASSERT_TRUE(model->CaretPixel(&x, &y));
  EXPECT_EQ(x, 10 * 8 + EV_MARGIN);
  EXPECT_EQ(y, 0);
  EditorRowPaint r0 = model->PaintRow(0);
  EXPECT_TRUE(r0.wrap_glyph);
  EXPECT_FALSE(model->PaintRow(1).wrap_glyph);
  // Row 1 back to the line: its first column is 10.
  uint32_t row = 1, c = 0;
  model->RowToLineCol(&row, &c);
  EXPECT_EQ(row, 0u);
  EXPECT_EQ(c, 10u);
}

TEST_F(Fixture, NarrowWrappedViewKeepsWrapWidthTwo) {
  Open({std::string(7, 'x')}, /*cols=*/1);
  model->SetLineWrap(true);
  EXPECT_EQ(model->MaxCols(), 2u);
  EXPECT_EQ(model->TotalRows(), 4u);
}

TEST_F(Fixture, CaretOneRowBelowIsPlacedTwoRowsBelowIsParked) {
  std::vector<std::string> lines(30, "abc");
  Open(lines, 20, /*rows=*/5);
  int x, y;
  model->PlaceCaret(5, 0);
  EXPECT_TRUE(model->CaretPixel(&x, &y));
  EXPECT_EQ(y, 5 * 16);
  model->PlaceCaret(6, 0);
  EXPECT_FALSE(model->CaretPixel(&x, &y));
  EXPECT_EQ(x, -8 - 1);
  EXPECT_EQ(y, -16 - 1);
}

TEST_F(Fixture, CaretShapes) {
  Open({"abc"});
  CfgEditItem* item = model->EditItem();
  struct Case {
    int shape;
    int w, h, y;
  } cases[] = {{CfgCursor_Block, 8, 16, 0}, {CfgCursor_Underline, 8, 2, 14}, {CfgCursor_Caret, 2, 16, 0}};
  for (const Case& c : cases) {
    item->InsertCursorShape = c.shape;
    int w, h, y;
    model->CaretShape(&w, &h, &y);
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
    EXPECT_EQ(y, c.y);
  }
}

TEST_F(Fixture, ReturnAtColumnZeroKeepsNumberAndMarksOnTheMovedText) {
  Open({"10 PRINT", "20 END"});
  TextLine* first = text.FirstLine();
  first->line_number = 10;
  first->line_flags |= TextLine_BREAKPOINT;
  const uint32_t ident = first->ident;
  model->PlaceCaret(0, 0);
  model->KeyDown(EditKey::Return, false, false);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"", "10 PRINT", "20 END"}));
  TextLine* empty = text.Line(0);
  TextLine* moved = text.Line(1);
  EXPECT_EQ(empty->line_number, 0);
  EXPECT_EQ(moved->line_number, 10);
  EXPECT_EQ(moved->ident, ident);
  EXPECT_TRUE(moved->line_flags & TextLine_BREAKPOINT);
  EXPECT_FALSE(empty->line_flags & TextLine_BREAKPOINT);
  EXPECT_EQ(model->caret_line, 1u);
  EXPECT_EQ(model->caret_col, 0u);
}

TEST_F(Fixture, ReturnIndentsAfterABlockOpenerAndOutdentsABlockCloser) {
  ProgramFile();
  Open({"FOR I=1 TO 3", "   X=1", "   NEXT I"});
  text.Line(0)->line_aux = 4;  // opens a block
  text.Line(2)->line_aux = 2;  // closes one
  model->PlaceCaret(0, text.Line(0)->Columns());
  model->KeyDown(EditKey::Return, false, false);
  EXPECT_EQ(text.Line(1)->data, "   ");
  EXPECT_EQ(model->caret_col, 3u);

  model->PlaceCaret(3, text.Line(3)->Columns());
  model->KeyDown(EditKey::Return, false, false);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"FOR I=1 TO 3", "   ", "   X=1", "NEXT I", ""}));
  EXPECT_EQ(model->caret_line, 4u);
  EXPECT_EQ(model->caret_col, 0u);
}

TEST_F(Fixture, ReturnSplitsAndKeepsAttributesOfTheTail) {
  text.SetUseEnhancements(true);
  Open({txttest::S({'a', 'b', 0x81, 'c', 'd'})});
  model->PlaceCaret(0, 3);
  model->KeyDown(EditKey::Return, false, false);
  EXPECT_EQ(txttest::RenderAll(text), (std::vector<std::string>{"abc{c0,e1}", "d{c0,e1}"}));
}

TEST_F(Fixture, TypingAndLeftUndoAsOneGroup) {
  Open({"xy", "z"});
  model->PlaceCaret(0, 1);
  for (char c : std::string("abc")) model->Char(static_cast<unsigned char>(c));
  model->KeyDown(EditKey::Left, false, false);
  EXPECT_EQ(text.Line(0)->data, "xabcy");
  model->Undo();
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"xy", "z"}));
  EXPECT_FALSE(text.CanUndo());
  EXPECT_EQ(host.LastStatus(), "Undo completed.");
}

TEST_F(Fixture, TypingAcrossDownStaysOneGroup) {
  Open({"aa", "bb"});
  model->Char('1');
  model->KeyDown(EditKey::Down, false, false);
  model->Char('2');
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"1aa", "b2b"}));
  model->Undo();
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"aa", "bb"}));
  EXPECT_FALSE(text.CanUndo());
}

TEST_F(Fixture, BackspaceAtTheStartChangesNothingButClosesTheGroup) {
  Open({"ab"});
  model->PlaceCaret(0, 2);
  model->Char('c');
  model->PlaceCaret(0, 0);
  model->KeyDown(EditKey::Back, false, false);
  EXPECT_EQ(text.Line(0)->data, "abc");
  model->PlaceCaret(0, 3);
  model->Char('d');
  model->Undo();
  EXPECT_EQ(text.Line(0)->data, "abc");
}

TEST_F(Fixture, BackspaceAndDeleteJoinLines) {
  Open({"ab", "cd", "", "ef"});
  model->PlaceCaret(1, 0);
  model->KeyDown(EditKey::Back, false, false);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"abcd", "", "ef"}));
  EXPECT_EQ(model->caret_col, 2u);
  // Delete at column 0 of an empty line: the next line keeps its identity.
  const uint32_t ident = text.Line(2)->ident;
  model->PlaceCaret(1, 0);
  model->KeyDown(EditKey::Delete, false, false);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"abcd", "ef"}));
  EXPECT_EQ(text.Line(1)->ident, ident);
}

TEST_F(Fixture, HomeTogglesBetweenFirstNonBlankAndColumnZero) {
  Open({"   abc", "xyz"});
  model->PlaceCaret(0, 5);
  struct Step {
    uint32_t col;
  } steps[] = {{3}, {0}, {3}};
  for (const Step& s : steps) {
    model->KeyDown(EditKey::Home, false, false);
    EXPECT_EQ(model->caret_col, s.col);
  }
  model->PlaceCaret(1, 0);
  model->KeyDown(EditKey::Home, false, false);
  EXPECT_EQ(model->caret_col, 0u);
}

TEST_F(Fixture, TabInOverwriteModeMovesInsideAndAppendsAtTheEnd) {
  Open({"abcdefghijk", "ab"});
  model->flags |= EV_OVERWRITE;  // text files: stops every 8 columns
  model->PlaceCaret(0, 1);
  model->KeyDown(EditKey::Tab, false, false);
  EXPECT_EQ(text.Line(0)->data, "abcdefghijk");
  EXPECT_EQ(model->caret_col, 8u);
  model->PlaceCaret(1, 2);
  model->KeyDown(EditKey::Tab, false, false);
  EXPECT_EQ(text.Line(1)->data, "ab      ");
  EXPECT_EQ(model->caret_col, 8u);
  // Insert mode inserts.
  model->flags &= ~EV_OVERWRITE;
  model->PlaceCaret(0, 1);
  model->KeyDown(EditKey::Tab, false, false);
  EXPECT_EQ(text.Line(0)->data, "a       bcdefghijk");
}

TEST_F(Fixture, ShiftTabWithoutMultiLineSelectionBeeps) {
  Open({"abc"});
  model->KeyDown(EditKey::Tab, true, false);
  EXPECT_EQ(host.beeps, 1);
  EXPECT_EQ(text.Line(0)->data, "abc");
}

TEST_F(Fixture, IndentSkipsCommentsAndTreatsLabelsFromTheColon) {
  ProgramFile();
  Open({"! note", "Loop: X=1", "Done: ! end", "Y=2", "rest"});
  model->PlaceCaret(0, 0);
  model->KeyDown(EditKey::Down, true, false);
  model->KeyDown(EditKey::Down, true, false);
  model->KeyDown(EditKey::Down, true, false);
  model->KeyDown(EditKey::Down, true, false);
  model->KeyDown(EditKey::Tab, false, false);
  // "Loop: X=1": the statement starts at column 6, the next stop is 9.
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"! note", "Loop:    X=1", "Done: ! end", "   Y=2", "rest"}));
  model->EndSelection();
  model->PlaceCaret(1, 0);
  model->KeyDown(EditKey::Down, true, false);
  model->KeyDown(EditKey::Tab, true, false);
  EXPECT_EQ(text.Line(1)->data, "Loop: X=1");
  // The lines are selected again from column 0 to the next line.
  uint32_t fl, ll, fc, lc;
  ASSERT_TRUE(model->GetSelection(&fl, &ll, &fc, &lc));
  EXPECT_EQ(fl, 1u);
  EXPECT_EQ(ll, 2u);
  EXPECT_EQ(lc, 0u);
  model->KeyDown(EditKey::Tab, true, false);
  EXPECT_EQ(text.Line(1)->data, "Loop:X=1");
}

TEST_F(Fixture, UnderlineRefusesTwoLineSelectionAndTogglesOnOne) {
  text.SetUseEnhancements(true);
  Open({"abcd", "efgh"});
  model->PlaceCaret(0, 2);
  model->KeyDown(EditKey::Down, true, false);
  EXPECT_FALSE(model->CanToggleAttribute());
  model->ToggleAttribute(TextAttr_UNDERLINE);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"abcd", "efgh"}));
  model->EndSelection();
  model->PlaceCaret(0, 1);
  model->KeyDown(EditKey::Right, true, false);
  model->KeyDown(EditKey::Right, true, false);
  ASSERT_TRUE(model->CanToggleAttribute());
  EXPECT_FALSE(model->AttributeChecked(TextAttr_UNDERLINE));
  model->ToggleAttribute(TextAttr_UNDERLINE);
  EXPECT_EQ(txttest::Render(text.Line(0)), "ab{c0,e4}c{c0,e4}d");
  EXPECT_TRUE(model->AttributeChecked(TextAttr_UNDERLINE));
  model->Undo();
  EXPECT_EQ(text.Line(0)->data, "abcd");
}

TEST_F(Fixture, FindWrapsPastTheEnd) {
  Open({"one two", "two three", "end"});
  host.find = "two";
  model->PlaceCaret(1, 5);
  EXPECT_TRUE(model->FindNext(true));
  EXPECT_EQ(model->sel_anchor_line, 0u);
  EXPECT_EQ(model->sel_anchor_col, 4u);
  EXPECT_EQ(model->sel_col, 7u);
  EXPECT_EQ(host.LastStatus(), "Passed the end of the file.");
  EXPECT_EQ(host.LastKind(), SK_NOTICE);
  EXPECT_TRUE(model->FindNext());
  EXPECT_EQ(model->sel_anchor_line, 1u);
  EXPECT_EQ(host.history, (std::vector<std::string>{"two", "two"}));
  host.find = "Two";
  EXPECT_FALSE(model->FindNext());
  EXPECT_EQ(host.LastStatus(), "Cannot find the string \"Two\".");
  EXPECT_TRUE(model->FindNextEx(true, false, false));
  host.find.clear();
  EXPECT_FALSE(model->FindNext());
  EXPECT_EQ(host.beeps, 1);
}

TEST_F(Fixture, ReplaceAllReportsCountOrNothingFound) {
  Open({"cat cat", "dog cat"});
  host.find = "bird";
  EXPECT_EQ(model->ReplaceAll("x", true, false), 0u);
  EXPECT_EQ(host.LastStatus(), "Cannot find the string \"bird\".");
  EXPECT_FALSE(text.CanUndo());
  host.find = "cat";
  EXPECT_EQ(model->ReplaceAll("mouse", true, false), 3u);
  EXPECT_EQ(host.LastStatus(), "Replaced \"cat\" 3 times with \"mouse\".");
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"mouse mouse", "dog mouse"}));
  model->Undo();
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"cat cat", "dog cat"}));
}

TEST_F(Fixture, ReplaceReplacesAndSelectsTheNext) {
  Open({"a cat", "cat"});
  host.find = "cat";
  EXPECT_TRUE(model->Replace("dog", true, true, false));
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"a dog", "cat"}));
  EXPECT_EQ(model->sel_anchor_line, 1u);
  EXPECT_TRUE(model->Replace("dog", true, true, false));
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"a dog", "dog"}));
  EXPECT_EQ(host.LastStatus(), "Finished searching for \"cat\".");
}

TEST_F(Fixture, GoToLineNumberMarksThenStopReplacesTheArrow) {
  Open({"a", "b", "c"});
  text.Line(1)->line_number = 20;
  text.Line(2)->line_number = 30;
  EXPECT_FALSE(model->GoToLineNumber(25, 0, false));
  ASSERT_TRUE(model->GoToLineNumber(20, 0, false));
  EXPECT_EQ(model->caret_line, 1u);
  EXPECT_EQ(model->PaintRow(1).markers, EV_MARK_LINE);
  ASSERT_TRUE(model->GoToLineNumber(30, 0, true));
  EXPECT_EQ(doc.stop, 30u);
  EXPECT_EQ(model->PaintRow(1).markers, 0u);
  EXPECT_EQ(model->PaintRow(2).markers, EV_MARK_STOP);
}

TEST_F(Fixture, PasteDropsControlAndSwitchBytes) {
  text.SetUseEnhancements(true);
  Open({"xy"});
  model->PlaceCaret(0, 1);
  model->Paste(std::string("a\x1b\x02") + "\x85" + "b\r\nc");
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"xa\x02"
                                                   "b",
                                                   "cy"}));
  EXPECT_EQ(model->caret_line, 1u);
  EXPECT_EQ(model->caret_col, 1u);
}

TEST_F(Fixture, TypedCharacterRules) {
  text.SetUseEnhancements(true);
  Open({"ab"});
  struct Case {
    uint32_t ch;
    bool beep;
  } cases[] = {{0x100, true}, {0x85, true}, {0xE9, false}, {'z', false}};
  for (const Case& c : cases) {
    int before = host.beeps;
    model->Char(c.ch);
    EXPECT_EQ(host.beeps - before, c.beep ? 1 : 0) << c.ch;
  }
  EXPECT_EQ(text.Line(0)->data, "\xE9zab");
  EXPECT_FALSE(model->Char(13));
}

TEST_F(Fixture, ReadOnlyTextBeepsOnEdits) {
  Open({"ab"});
  text.SetFlag(TextObj_READ_ONLY);
  model->KeyDown(EditKey::Return, false, false);
  model->Char('x');
  model->KeyDown(EditKey::Delete, false, false);
  EXPECT_EQ(host.beeps, 3);
  EXPECT_EQ(text.Line(0)->data, "ab");
}

TEST_F(Fixture, CopyCutAndSelectAll) {
  Open({"abc", "def"});
  model->SelectAll();
  EXPECT_EQ(model->CopyText(), "abc\r\ndef");
  model->EndSelection();
  model->PlaceCaret(0, 1);
  model->KeyDown(EditKey::Right, true, false);
  std::string copied;
  model->Cut(&copied);
  EXPECT_EQ(copied, "b");
  EXPECT_EQ(text.Line(0)->data, "ac");
}

TEST_F(Fixture, AppendTextDropsCarriageReturns) {
  Open({""});
  text.SetFlag(TextObj_READ_ONLY);
  model->AppendText("a\r\nb");
  model->AppendText("c\rd");
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"a", "b", "cd", ""}));
  EXPECT_EQ(model->caret_line, 3u);
  model->ClearText();
  EXPECT_EQ(Lines(text), (std::vector<std::string>{""}));
}

TEST_F(Fixture, PaintRowColoursRuns) {
  text.SetUseEnhancements(true);
  Open({txttest::S({'a', 0x81, 'b', 0x88, 'c', 0x84, 'd'})});
  EditorRowPaint r = model->PaintRow(0);
  ASSERT_EQ(r.runs.size(), 4u);
  const CfgColorEntry& t = config.Colors.entries[0];
  EXPECT_EQ(r.runs[0].fg, t.fg);
  EXPECT_EQ(r.runs[1].fg, t.bg);  // inverse swaps
  EXPECT_EQ(r.runs[1].bg, t.fg);
  CfgColor fg = t.fg, bg = t.bg;
  Cfg_HalfBright(&fg, &bg);
  EXPECT_EQ(r.runs[2].fg, fg);
  EXPECT_TRUE(r.runs[3].underline);
  EXPECT_EQ(r.runs[3].col, 3u);
}

TEST_F(Fixture, StatusFields) {
  Open({"abc", "def"});
  text.Line(1)->line_number = 120;
  model->PlaceCaret(1, 2);
  EXPECT_EQ(model->LineField(), "2");
  EXPECT_EQ(model->ColField(), "3");
  EXPECT_EQ(model->LineNumberField(), "120");
}

TEST_F(Fixture, PrintLayoutPagesAndMargins) {
  std::vector<std::string> lines(200, "line");
  Open(lines);
  CfgPageSetup setup;
  setup.LeftMargin = setup.RightMargin = 200;
  setup.TopMargin = setup.BottomMargin = 200;
  // A4 in 0.1 mm, a 2 mm x 4 mm cell.
  EditorPrintLayout l = model->PrintLayout(setup, 2100, 2970, 20, 40);
  ASSERT_TRUE(l.margins_ok);
  EXPECT_EQ(l.cols_per_row, 85u);
  EXPECT_EQ(l.rows_per_page, static_cast<uint32_t>((2570 - 100 - 100) / 40));
  EXPECT_EQ(l.pages, (200 + l.rows_per_page - 1) / l.rows_per_page);
  setup.LeftMargin = setup.RightMargin = 600;  // 90 mm left
  EXPECT_FALSE(model->PrintLayout(setup, 2100, 2970, 20, 40).margins_ok);
  setup.LeftMargin = setup.RightMargin = 500;  // 110 mm left
  EXPECT_TRUE(model->PrintLayout(setup, 2100, 2970, 20, 40).margins_ok);
}

TEST(EditDocSlots, BaseAnswers) {
  EditDocSlots slots;
  int flag = 7;
  EXPECT_FALSE(slots.GoToLocation(nullptr, 3, &flag));
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(slots.GetFileMode(), 4);
  uint32_t line = 9;
  EXPECT_FALSE(slots.GetStopLine(&line));
  EXPECT_EQ(line, 0u);
  FwCmdUI ui;
  slots.UpdateSaveAs(ui);
  EXPECT_FALSE(ui.enabled);
}

TEST_F(Fixture, BaseDocumentWithoutTextIsAFailedCheck) {
  EditDocSlots slots;
  EXPECT_THROW(slots.GetTextObj(), SysAssertError);
  EXPECT_THROW(slots.GetDocConfig(), SysAssertError);
}

// The right button outside the selection moves the caret to the line
// pointed at (in the margin it selects that line, as a click there does);
// inside the selection the selection and the caret stay.
TEST_F(Fixture, RightClickOutsideTheSelectionPlacesTheCaretInsideKeepsIt) {
  Open({"alpha", "beta", "gamma", "delta"});
  model->Click(0, 1, false, false);
  model->Click(1, 3, false, true);  // "lpha" and "bet"
  ASSERT_TRUE(model->SelectionActive());
  model->RightClick(1, 1, false);
  EXPECT_TRUE(model->SelectionActive());
  EXPECT_EQ(model->caret_line, 1u);
  EXPECT_EQ(model->caret_col, 3u);

  model->RightClick(2, 2, false);
  EXPECT_FALSE(model->SelectionActive());
  EXPECT_EQ(model->caret_line, 2u);
  EXPECT_EQ(model->caret_col, 2u);

  model->RightClick(3, 0, true);
  EXPECT_EQ(model->caret_line, 3u);
  uint32_t line = 0;
  ASSERT_TRUE(model->GetEditLineIdx(&line));
  EXPECT_EQ(line, 3u);
}
