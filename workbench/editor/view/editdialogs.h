// The editor's modeless dialogs: Find, Replace and Line Draw Characters.
// Each exists at most once; opening it again gives the focus to the one
// that is open. They act on the editor view that last had the focus, share
// their histories with the Edit bar's Find combo, and keep their window
// positions in the configuration.
#pragma once

#include <QDialog>

#include "workbench/base/settings/config.h"

#include <string>

class CEditorView;
class FwWindows;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

// A modeless dialog whose position is kept under a WindowPositions entry.
class CEditorDialog : public QDialog, public CfgWindow {
 public:
  CEditorDialog(int position_index, QWidget* parent);
  ~CEditorDialog() override;

  bool GetPlacement(CfgPlacement* placement) override;
  bool IsMaximized() override { return false; }
  bool SetPlacement(const CfgPlacement& placement) override;
  // Brought forward by its command: the window becomes active and the
  // control a user types into first takes the keyboard.
  void Present();

 protected:
  // The control that takes the keyboard when the dialog is brought forward
  // (null: the dialog's own choice).
  virtual QWidget* FirstInput() { return nullptr; }
  void RestorePosition();
  // The view the dialog works on; beeps and answers null when none.
  CEditorView* ActiveView();

 private:
  int position_index_;
};

// What Find and Replace share: the find-what combo with the find history,
// the two match options, the direction and F3 for Find Next.
class CSearchDialog : public CEditorDialog {
 public:
  CSearchDialog(int position_index, QWidget* parent);

  QComboBox* FindCombo() const { return find_; }
  void SetOptions(bool match_case, bool whole_word, bool down);
  // Find Next: false when nothing was searched or found.
  virtual bool OnFindNext() = 0;

 protected:
  QWidget* FirstInput() override;
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // The "Direction" group holding the Up and Down buttons.
  QGroupBox* MakeDirectionGroup();
  // The find-what text into the history and the Edit bar's Find combo; an
  // empty one beeps, takes the focus back and answers false.
  bool TakeFindText(std::string* text);
  // Searches `view` with the dialog's options and gives the focus back.
  bool FindNextIn(CEditorView* view);

  QComboBox* find_;
  QCheckBox* word_;
  QCheckBox* case_;
  QRadioButton* up_;
  QRadioButton* down_;
};

class CFindDlg : public CSearchDialog {
 public:
  explicit CFindDlg(QWidget* parent);
  ~CFindDlg() override;

  bool OnFindNext() override;
};

class CReplaceDlg : public CSearchDialog {
 public:
  explicit CReplaceDlg(QWidget* parent);
  ~CReplaceDlg() override;

  QComboBox* ReplaceCombo() const { return replace_; }
  bool OnFindNext() override;
  bool OnReplace();
  bool OnReplaceAll();

 private:
  bool TakeTexts(bool with_replace);
  QComboBox* replace_;
};

// The 16 x 4 table of line-draw codes; a click inserts the code at the
// caret of the active editor view.
class CLineDrawTable : public QWidget {
 public:
  CLineDrawTable(int cx, int cy, QWidget* parent);
  int CellWidth() const { return cx_; }
  int CellHeight() const { return cy_; }
  // The code a click at pos inserted (-1: none).
  int Click(QPoint pos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int cx_, cy_;
  int pressed_ = 0;
};

class CLineDrawDlg : public CEditorDialog {
 public:
  explicit CLineDrawDlg(QWidget* parent);
  ~CLineDrawDlg() override;
  CLineDrawTable* Table() const { return table_; }

 private:
  CLineDrawTable* table_;
};

// The three dialogs are single-window kinds of the application's registry
// (kind ids ID_EDIT_FIND, ID_EDIT_REPLACE, ID_LINE_DRAW): Window<CFindDlg>()
// finds the open one. Registers them once.
void EditorDialogs_Register(FwWindows& windows);
// The commands: open the dialog, or focus the open one. Return the dialog.
CFindDlg* EditorDialogs_OpenFind(CEditorView* view);
CReplaceDlg* EditorDialogs_OpenReplace(CEditorView* view);
CLineDrawDlg* EditorDialogs_OpenLineDraw(CEditorView* view);
