// The text view of the environment: paints an EditorModel (margin markers,
// coloured runs, half-bright, inverse, underline, line-draw glyphs, the wrap
// glyph, the caret) and turns keys, characters, the mouse, scroll bars and
// commands into model calls. Views of one document tell each other of
// changes with the hints 0 (range), 1 (all), 2 (margins) and 3 (drop the
// selection); two panes of one frame mirror their horizontal scrolling.
#pragma once

#include <QBasicTimer>
#include <QFont>
#include <QPointer>

#include "workbench/editor/editmodel.h"
#include "workbench/framework/fwview.h"
#include "workbench/shell/controls/indicator.h"

class CEditorDoc;
class QScrollBar;

class CEditorView : public FwHandlers<CEditorView, FwView>, public EditorHost, public IndicatorEditorView {
 public:
  // doc_slots: the operations the view asks of its document (null: the
  // document's own, which must be an editor document).
  explicit CEditorView(FwDocument* doc, QWidget* parent = nullptr, EditDocSlots* doc_slots = nullptr);
  ~CEditorView() override;

  EditorModel& Model() { return model_; }
  EditDocSlots* Slots() const { return slots_; }
  CEditorDoc* EditorDoc() const;
  // The editor view that last had the focus (null when none).
  static CEditorView* LastFocused();

  // The other pane of the frame's splitter showing the same document.
  CEditorView* Sibling() const;
  // The text area's left edge and the cell of a visible row and column.
  QRect CellRect(uint32_t screen_row, uint32_t screen_col) const;
  int CharWidth() const { return model_.CharWidth(); }
  int LineHeight() const { return model_.LineHeight(); }
  QScrollBar* VerticalBar() const { return vbar_; }
  QScrollBar* HorizontalBar() const { return hbar_; }
  // Line wrap on or off in both panes.
  void SetLineWrap(bool on);
  // The editor font: its advance rounded to whole pixels is the cell width,
  // and every character is painted at its own cell.
  void SetEditFont(const QFont& font);
  const QFont& EditFont() const { return font_; }
  // 80 columns by 25 rows of the editor font.
  QSize sizeHint() const override;

  void OnUpdate(const FwUpdate& change) override;
  void OnInitialUpdate() override;
  static std::span<const FwCmdEntry<CEditorView>> Handlers();

  // EditorHost.
  void Beep() override;
  void Status(int kind, const std::string& text) override;
  void Repaint(FwUpdateKind kind, bool local) override;
  std::string FindText() override;
  void AddFindHistory(const std::string& text) override;
  void CaretChanged() override;
  void Scrolled() override;

  // IndicatorEditorView.
  void GoToLine(unsigned line) override;
  void GoToColumn(unsigned column) override;
  void GoToLineNumber(int line_number) override;
  void FindForward(const std::string& text) override;
  void TakeFocus() override;

  // Tests and dialogs set the search text when there is no Edit bar.
  static void SetFallbackFindText(const std::string& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool event(QEvent* event) override;

 private:
  static const FwCmdEntry<CEditorView> kMap[];
  void OnEditCommand(int id);
  void OnUpdateEditCommand(FwCmdUI& ui);
  void OnViewCommand(int id);
  void OnUpdateViewCommand(FwCmdUI& ui);
  void OnUpdatePanes(FwCmdUI& ui);
  void OnPrintCommand(int id);

  void Layout();
  void SyncScrollBars();
  void PointToRowCol(QPoint pos, uint32_t* row, uint32_t* col, bool* in_margin) const;
  void ShowContextMenu(QPoint global);
  void PaintMarkers(QPainter& p, uint32_t markers, int top);

  EditDocSlots* slots_;
  EditorModel model_;
  QScrollBar* vbar_;
  QScrollBar* hbar_;
  QFont font_;
  QBasicTimer drag_timer_;
  QPoint last_point_;
  bool dragging_ = false;
  bool syncing_ = false;
};
