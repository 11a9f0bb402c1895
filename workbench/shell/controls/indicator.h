// Indicator and in-place controls: labels, edit fields and combo boxes in
// the standard font that bars and panes place into themselves; numeric
// fields that move the editor or set a designer object's coordinates; the
// find-history combo; one in-place edit and one in-place combo for editing
// a cell of a list (Enter sends the parent FW_MSG_INPLACE_ACCEPTED,
// destruction FW_MSG_INPLACE_ENDED).
#pragma once

#include <string>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "workbench/framework/fwcommandids.h"

class FindHistory;

// What the numeric and history controls need of the current editor view.
class IndicatorEditorView {
 public:
  virtual ~IndicatorEditorView() = default;
  virtual void GoToLine(unsigned line) = 0;          // 0-based
  virtual void GoToColumn(unsigned column) = 0;      // 0-based
  virtual void GoToLineNumber(int line_number) = 0;  // program line number
  virtual void FindForward(const std::string& text) = 0;
  virtual void TakeFocus() = 0;
};

// The current views, set by those views when they are activated.
void Indicator_SetEditorView(IndicatorEditorView* view);
IndicatorEditorView* Indicator_EditorView();

class CIndicatorLabel : public QLabel {
 public:
  // Sized to the text and centred vertically in the rectangle, whose left
  // edge moves past the label (text width + half a character).
  bool Create(const char* text, QRect* rect, QWidget* parent, int id);
  void Reposition(const QRect& rect);
};

class CIndicatorEdit : public QLineEdit {
 public:
  explicit CIndicatorEdit(QWidget* parent = nullptr);
  bool Create(const QRect& rect, QWidget* parent, int id);
  // Sets the text unless the field has the focus or shows it already.
  void UpdateText(const QString& text);

  virtual void OnEnter(const QString& text) { (void)text; }
  virtual void OnEscape() {}
  virtual bool IsValidChar(QChar c) const {
    (void)c;
    return true;
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  // The width sample of the numeric fields ("000000" or "0000").
  virtual const char* WidthSample() const { return nullptr; }
};

// A numeric field: reads its number (unsigned or signed); a number that does
// not fit beeps.
class CNumericIndicator : public CIndicatorEdit {
 public:
  using CIndicatorEdit::CIndicatorEdit;
  void OnEnter(const QString& text) override;
  void OnEscape() override;
  bool IsValidChar(QChar c) const override;

 protected:
  virtual bool Signed() const { return false; }
  virtual bool MinusAllowed() const { return false; }
  virtual bool ZeroAllowed() const { return false; }
  virtual bool ForDesigner() const { return false; }
  // Acts on the number; false beeps.
  virtual bool Act(long long number) = 0;
  const char* WidthSample() const override { return "0000"; }
};

class CLineIndicator : public CNumericIndicator {
 protected:
  bool Act(long long number) override;
  const char* WidthSample() const override { return "000000"; }
};
class CLineNumberIndicator : public CLineIndicator {
 protected:
  bool Signed() const override { return true; }
  bool Act(long long number) override;
};
class CColumnIndicator : public CNumericIndicator {
 protected:
  bool Act(long long number) override;
};
class CCoordIndicator : public CNumericIndicator {
 public:
  explicit CCoordIndicator(int index) : index_(index) {}

 protected:
  bool Signed() const override { return true; }
  bool ZeroAllowed() const override { return true; }
  bool ForDesigner() const override { return true; }
  bool MinusAllowed() const override { return index_ < 2; }
  bool Act(long long number) override;

 private:
  int index_;
};
class CCoordXIndicator : public CCoordIndicator {
 public:
  CCoordXIndicator() : CCoordIndicator(0) {}
};
class CCoordYIndicator : public CCoordIndicator {
 public:
  CCoordYIndicator() : CCoordIndicator(1) {}
};
class CCoordWidthIndicator : public CCoordIndicator {
 public:
  CCoordWidthIndicator() : CCoordIndicator(2) {}
};
class CCoordHeightIndicator : public CCoordIndicator {
 public:
  CCoordHeightIndicator() : CCoordIndicator(3) {}
};

class CIndicatorCombo : public QComboBox {
 public:
  explicit CIndicatorCombo(QWidget* parent = nullptr);
  bool Create(const QRect& rect, QWidget* parent, int id, int lines);
};

// An editable combo over a history list: Enter adds the text to the front
// and runs Execute on the current editor view.
class CHistoryCombo : public CIndicatorCombo {
 public:
  explicit CHistoryCombo(FindHistory* history, QWidget* parent = nullptr);
  void Refill();
  virtual void OnEnter(const QString& text);
  virtual void OnEscape();
  virtual void Execute(IndicatorEditorView* view) = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FindHistory* history_;
};

class CFindCombo : public CHistoryCombo {
 public:
  using CHistoryCombo::CHistoryCombo;
  void Execute(IndicatorEditorView* view) override;
};

// The in-place editors: at most one of each lives; creating either closes
// both live ones first.

class CInPlaceEdit : public QLineEdit {
 public:
  static CInPlaceEdit* Create(const QString& text, const QRect& rect, QWidget* parent);
  static void DestroyCurrent();
  static bool GetCurrentText(std::string* text);
  static CInPlaceEdit* m_CurrInstance;
  ~CInPlaceEdit() override;

 protected:
  explicit CInPlaceEdit(QWidget* parent);
  void keyPressEvent(QKeyEvent* event) override;
};

class CInPlaceEditCB : public QComboBox {
 public:
  static CInPlaceEditCB* Create(const QString& text, const QRect& rect, QWidget* parent, bool editable, int lines);
  static void DestroyCurrent();
  // The text and the index: for an editable combo the exact match of the
  // text in the list (-1 for none or an empty text), else the selection.
  static bool GetCurrentText(std::string* text, int* index);
  static CInPlaceEditCB* m_CurrInstance;
  ~CInPlaceEditCB() override;

 protected:
  explicit CInPlaceEditCB(QWidget* parent);
  void keyPressEvent(QKeyEvent* event) override;
};
