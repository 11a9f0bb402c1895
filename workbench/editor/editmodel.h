// The editor view without windows: everything a text window knows and does
// besides painting. It keeps the caret, the selection, the scroll position
// and the view flags, converts between text lines and display rows (with
// line wrap), runs the key table, typing, the mouse, undo grouping, split and
// join, Tab, indent and outdent, attributes, clipboard text, search and
// replace, the go-to operations, appended output and the print layout, and
// says what each display row shows (runs of characters with their colours,
// the margin markers). The Qt view (CEditorView) paints what PaintRow says
// and turns events into the calls here; tests drive the same calls.
//
// Everything the model needs of its window goes through EditorHost:
// beeps, status-bar texts, repaint requests, the search text and the
// caret shape.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/editor/editdocslots.h"
#include "workbench/editor/txtobj.h"
#include "workbench/base/settings/config.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwupdate.h"

// View flags.
enum : uint32_t {
  EV_INITIALIZED = 0x1,
  EV_PAINTED = 0x2,
  EV_LINEWRAP = 0x4,
  EV_OVERWRITE = 0x8,
  EV_INSERT_DOWN = 0x10,
  EV_SCROLL_SETUP = 0x20,
  EV_SCROLL_REPAINT = 0x40,
  EV_SCROLL_MIRROR = 0x80,
  EV_FOCUS = 0x100,
  EV_CARET_SHOWN = 0x200,
  EV_LOCAL_REPAINT = 0x400,
  EV_SEL_ANCHOR = 0x800,
  EV_SEL_ACTIVE = 0x1000,
  EV_SEL_SHRUNK = 0x2000,
  EV_ROWS_VALID = 0x4000,
  EV_SPLITTER_KNOWN = 0x8000,
  EV_MARKED_LINE = 0x10000,
  EV_SEARCH_DOWN = 0x20000,
  EV_SEARCH_WORD = 0x40000,
  EV_SEARCH_CASE = 0x80000,
  EV_SEARCH_REPLACE = 0x100000,
};

enum class EditKey { Insert, Return, Back, Delete, Tab, Left, Right, Up, Down, PageUp, PageDown, Home, End, Other };

// The margin left of the text, in pixels.
constexpr int EV_MARGIN = 16;

class EditorHost {
 public:
  virtual ~EditorHost() = default;
  virtual void Beep() {}
  virtual void Status(int kind, const std::string& text) {
    (void)kind;
    (void)text;
  }
  // A repaint of this view and, unless `local`, the document's other views
  // with the kind of change. TextRange: the model's last range.
  virtual void Repaint(FwUpdateKind kind, bool local) {
    (void)kind;
    (void)local;
  }
  // The text of the Find combo, and adding a text to its history.
  virtual std::string FindText() { return std::string(); }
  virtual void AddFindHistory(const std::string& text) { (void)text; }
  // The caret shape or position changed.
  virtual void CaretChanged() {}
  // The scroll position changed.
  virtual void Scrolled() {}
};

// One run of equal attributes on a display row, as the screen shows it.
struct EditorRun {
  uint32_t col = 0;  // first visible column of the run (text column)
  std::string text;  // characters in the display code page
  CfgColor fg = 0;
  CfgColor bg = 0;
  bool underline = false;
  bool line_draw = false;
  bool selected = false;
};

// Margin markers of a row.
enum : uint32_t {
  EV_MARK_STOP = 1,        // yellow arrow: the execution point
  EV_MARK_LINE = 2,        // navy arrow: the marked line
  EV_MARK_BREAKPOINT = 4,  // red diamond
  EV_MARK_BLUE = 8,        // small blue diamond
};

struct EditorRowPaint {
  bool valid = false;
  uint32_t line = 0;
  uint32_t first_col = 0;  // text column of the row's first cell
  bool first_row = true;
  uint32_t markers = 0;
  std::vector<EditorRun> runs;
  bool wrap_glyph = false;  // the row continues on the next one
  bool selected_eol = false;
  uint32_t eol_col = 0;  // text column behind the row's last character
};

// The print layout of one job.
struct EditorPrintLayout {
  bool margins_ok = false;
  int32_t printable_width = 0;
  int32_t printable_height = 0;
  uint32_t cols_per_row = 0;
  uint32_t rows_per_page = 0;
  int32_t header_height = 0;
  int32_t footer_height = 0;
  uint32_t print_rows = 0;
  uint32_t pages = 0;
};

class EditorModel {
 public:
  EditorModel(EditDocSlots* doc, EditorHost* host);
  EditorModel(const EditorModel&) = delete;
  EditorModel& operator=(const EditorModel&) = delete;

  EditDocSlots* Doc() const { return doc_; }
  TextObj* Text() const;
  CfgSettings* Config() const;
  CfgEditItem* EditItem() const;
  bool IsBinaryProgram() const;
  bool Writable() const;

  uint32_t flags = EV_SEARCH_DOWN | EV_SEARCH_CASE;
  bool Flag(uint32_t f) const { return (flags & f) != 0; }

  // Layout: the font's cell and the client size in pixels. A view inside a
  // splitter takes its wrap state from the splitter (SetLineWrap).
  void SetMetrics(int char_width, int line_height);
  void SetClientSize(int width, int height);
  int CharWidth() const { return char_width_; }
  int LineHeight() const { return line_height_; }
  int UnderlineY() const { return underline_y_; }
  void SetUnderlineY(int y) { underline_y_ = y; }
  uint32_t VisibleRows() const;
  uint32_t VisibleCols() const;
  // The wrap width: 0 without wrap, else the visible columns - 1 (2 at the
  // least).
  uint32_t MaxCols() const;
  bool IsLineWrap() const { return Flag(EV_LINEWRAP); }
  void SetLineWrap(bool on);
  uint32_t TotalRows();

  // The initial update: overwrite and line wrap from the edit item, then the
  // document's RestoreViewState hook.
  void InitialUpdate();

  void RowToLineCol(uint32_t* row, uint32_t* col);
  void LineToRowCol(uint32_t* line, uint32_t* col);

  // Caret and scrolling.
  uint32_t caret_line = 0;
  uint32_t caret_col = 0;
  uint32_t goal_col = 0;
  uint32_t top_row = 0;
  uint32_t left_col = 0;
  uint32_t marked_line = 0;
  void GetCursorLineCol(uint32_t* line, uint32_t* col) const;
  void PlaceCaret(uint32_t line, uint32_t col);
  // Where the screen caret goes: false when it is parked off screen.
  bool CaretPixel(int* x, int* y) const;
  // The caret's shape in pixels: width, height and offset in the line.
  void CaretShape(int* width, int* height, int* y) const;
  void SetGoalCol();
  void EnsureCaretVisible();
  void KeepColVisible();
  void ScrollTo(uint32_t row, uint32_t col);
  void UpdateScrollRanges();
  uint32_t RowExtent() const { return row_extent_; }
  uint32_t ColExtent() const { return col_extent_; }

  // Focus.
  void SetFocus(bool on);

  // Selection.
  uint32_t sel_anchor_line = 0, sel_anchor_col = 0, sel_line = 0, sel_col = 0;
  bool SelectionActive() const { return Flag(EV_SEL_ACTIVE); }
  bool HasAnchor() const { return (flags & (EV_SEL_ANCHOR | EV_SEL_ACTIVE | EV_SEL_SHRUNK)) != 0; }
  void ExtendSelection(uint32_t line, uint32_t col);
  bool GetSelection(uint32_t* first_line, uint32_t* last_line, uint32_t* first_col, uint32_t* last_col) const;
  void EndSelection();
  bool DeleteSelection();
  bool IsSelected(uint32_t line, uint32_t col) const;

  // Edit line.
  void BeginLineEdit(uint32_t line);
  void EndLineEdit();
  // Leaves the line being edited without the document's check of it.
  void DropLineEdit();
  void MarkEditLine(uint32_t line);

  // Keys, characters, mouse. KeyDown answers false for the default handling.
  bool KeyDown(EditKey key, bool shift, bool ctrl);
  void KeyUp(EditKey key);
  bool Char(uint32_t ch);
  void Click(uint32_t row, uint32_t col, bool in_margin, bool shift);
  // The right button before the context menu: outside the selection it
  // places the caret as a click does, so that the menu's line commands
  // (breakpoint, run to cursor) act on the line pointed at; inside the
  // selection everything stays for its clipboard commands.
  void RightClick(uint32_t row, uint32_t col, bool in_margin);
  void Drag(uint32_t row, uint32_t col);
  void DoubleClick(uint32_t row, uint32_t col, bool in_margin);

  // Editing commands.
  void SplitLine();
  void Tab(bool shift);
  void IndentOutdent(bool indent);
  bool CanToggleAttribute() const;
  bool AttributeChecked(uint8_t bit) const;
  void ToggleAttribute(uint8_t bit);
  void Undo();
  void Redo();
  // The selected text for the clipboard (empty without a selection).
  std::string CopyText() const;
  // Clipboard text (in the display code page) at the caret.
  void Paste(const std::string& text);
  void Cut(std::string* copied);
  void SelectAll();
  void DeleteCommand();
  void InsertLineDrawChar(uint8_t code);
  // Words for F1: the word at the caret.
  std::string GetWordAtCaret() const;

  // Search and navigation.
  bool FindNext();
  bool FindNext(bool down);
  bool FindNextEx(bool down, bool match_case, bool whole_word);
  bool Replace(const std::string& replacement, bool down, bool match_case, bool whole_word);
  uint32_t ReplaceAll(const std::string& replacement, bool match_case, bool whole_word);
  void GoToLine(uint32_t line);
  bool GoToLineNumber(uint32_t number, uint32_t nth, bool is_stop);
  bool GoToLineIdent(uint32_t ident);
  void GoToLineCol(uint32_t line, uint32_t col);
  void ClearMarkedLine();
  // The line for the line commands (breakpoints); false when none.
  bool GetEditLineIdx(uint32_t* line) const;
  TextLine* AppendText(const std::string& text);
  void ClearText();

  // Status panes: "%lu" caret line + 1, "%u" caret column + 1, the program
  // line number or nothing.
  std::string LineField() const;
  std::string ColField() const;
  std::string LineNumberField() const;

  // Painting: what a display row shows.
  EditorRowPaint PaintRow(uint32_t row);

  // The last repaint range (lines and columns).
  uint32_t range_first_line = 0, range_last_line = 0, range_first_col = 0, range_last_col = 0;
  void InvalidateRange(uint32_t first_line, uint32_t last_line, uint32_t first_col, uint32_t last_col);
  void NotifyTextChanged();

  // The print layout for a page of paper_width x paper_height (device units)
  // with the character cell char_width x line_height of the printer font.
  // Counts the rows of the print range (with selection and a selection
  // active) or of the whole text.
  EditorPrintLayout PrintLayout(const CfgPageSetup& setup, int32_t paper_width, int32_t paper_height,
                                int32_t char_width, int32_t line_height, bool selection = true);
  // The print range from the selection: false when there is none.
  bool PrintRange(uint32_t* first_line, uint32_t* last_line, uint32_t* first_col, uint32_t* last_col) const;

 private:
  // Undo and Redo: one action back or forward, the caret where it happened.
  void UndoOrRedo(bool redo);
  void MoveCaretTo(uint32_t line, uint32_t col, bool shift);
  void VerticalMove(int64_t delta_rows, bool page);
  void JoinLines(uint32_t stay, bool delete_key);
  void InsertAtCaret(const std::string& chars);
  bool SearchOnce(const std::string& find, bool continues_replace);
  std::string ToFileCodepage(const std::string& s) const;
  std::string ToDisplayCodepage(const std::string& s) const;
  void Notify(FwUpdateKind kind, bool local);
  // A key that changes the text starts an undo action of its own at the
  // caret; false (with a beep) when the text is read-only.
  bool BeginKeyAction();
  // After a change of the text: rows recounted, scroll ranges set, the
  // views told of the kind of change (locally when a local repaint was asked
  // for).
  void NotifyChange(FwUpdateKind kind);

  EditDocSlots* doc_;
  EditorHost* host_;
  EditorHost null_host_;
  int char_width_ = 8;
  int line_height_ = 16;
  int underline_y_ = 14;
  int client_width_ = 0;
  int client_height_ = 0;
  uint32_t total_rows_ = 0;
  uint32_t row_extent_ = 0;
  uint32_t col_extent_ = 0;
  bool shift_ = false;
};

// The label prefix of a program line ("Name:"): the column after the ':',
// or 0 when the line does not begin with a label.
uint32_t Editor_LabelEnd(const std::string& chars);
