#include "workbench/editor/view/editdialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwplacement.h"
#include "workbench/editor/view/editview.h"
#include "workbench/editor/view/linedraw.h"
#include "workbench/shell/controls/indicator.h"
#include "workbench/shell/frames/editbar.h"
#include "workbench/shell/frames/mainframe.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/base/shellsink.h"

namespace {

void Beep() { Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION); }

void FillCombo(QComboBox* combo, const FindHistory& history) {
  combo->clear();
  for (const std::string& s : history.Texts()) combo->addItem(QString::fromLatin1(s.c_str()));
  combo->setMaxVisibleItems(std::max(1, combo->count()));
}

// A text into its history; the dialog's combo and the Edit bar's Find combo
// show the newest entry afterwards.
void TakeText(FindHistory* history, QComboBox* combo, const std::string& text, bool find) {
  if (history == nullptr) return;
  const bool changed = history->AddText(text.c_str());
  if (changed) {
    FillCombo(combo, *history);
    combo->setCurrentIndex(0);
  }
  if (!find) return;
  if (CEditBar* bar = Shell_EditBar(); bar && bar->FindBox()) {
    if (changed) bar->FindBox()->Refill();
    bar->FindBox()->setCurrentIndex(0);
    bar->FindBox()->setCurrentText(QString::fromLatin1(text.c_str()));
  }
}

FindHistory* FindHist() { return YqApp() ? &YqApp()->m_FindHistory : nullptr; }
FindHistory* ReplaceHist() { return YqApp() ? &YqApp()->m_ReplaceHistory : nullptr; }

QComboBox* MakeCombo(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMinimumWidth(220);
  return combo;
}

}  // namespace

// ------------------------------------------------------------ Base

CEditorDialog::CEditorDialog(int position_index, QWidget* parent)
    : QDialog(parent, Qt::Tool), position_index_(position_index) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
}

CEditorDialog::~CEditorDialog() {
  if (YqApp() == nullptr) return;
  CfgWindowPos& pos = YqApp()->m_Config.WindowPositions.entries[position_index_];
  pos.Save(this);
  YqApp()->m_Config.WindowPositions.modified = 1;
}

void CEditorDialog::Present() {
  show();
  raise();
  activateWindow();
  if (QWidget* first = FirstInput()) first->setFocus(Qt::ActiveWindowFocusReason);
}

void CEditorDialog::RestorePosition() {
  if (YqApp() == nullptr) return;
  YqApp()->m_Config.WindowPositions.entries[position_index_].Restore(this, false);
}

bool CEditorDialog::GetPlacement(CfgPlacement* p) { return Fw_PlacementOf(geometry(), false, p); }

bool CEditorDialog::SetPlacement(const CfgPlacement& p) {
  const CfgRect& r = p.rcNormalPosition;
  if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return false;
  move(r.left, r.top);
  return true;
}

CEditorView* CEditorDialog::ActiveView() {
  CEditorView* view = CEditorView::LastFocused();
  if (view == nullptr) Beep();
  return view;
}

// ------------------------------------------------------------ Search

CSearchDialog::CSearchDialog(int position_index, QWidget* parent) : CEditorDialog(position_index, parent) {
  find_ = MakeCombo(this);
  word_ = new QCheckBox("Match whole &word only", this);
  case_ = new QCheckBox("Match &case", this);
  up_ = new QRadioButton("&Up", this);
  down_ = new QRadioButton("&Down", this);
  down_->setChecked(true);
  if (FindHist()) FillCombo(find_, *FindHist());
  find_->setCurrentIndex(find_->count() ? 0 : -1);
}

QWidget* CSearchDialog::FirstInput() {
  find_->lineEdit()->selectAll();
  return find_;
}

void CSearchDialog::SetOptions(bool match_case, bool whole_word, bool down) {
  case_->setChecked(match_case);
  word_->setChecked(whole_word);
  (down ? down_ : up_)->setChecked(true);
}

QGroupBox* CSearchDialog::MakeDirectionGroup() {
  auto* dir = new QGroupBox("Direction", this);
  auto* dl = new QHBoxLayout(dir);
  dl->addWidget(up_);
  dl->addWidget(down_);
  return dir;
}

bool CSearchDialog::TakeFindText(std::string* text) {
  *text = find_->currentText().toLatin1().toStdString();
  if (text->empty()) {
    Beep();
    find_->setFocus();
    return false;
  }
  TakeText(FindHist(), find_, *text, true);
  return true;
}

bool CSearchDialog::FindNextIn(CEditorView* view) {
  bool found = view->Model().FindNextEx(down_->isChecked(), case_->isChecked(), word_->isChecked());
  view->update();
  find_->setFocus();
  return found;
}

bool CSearchDialog::event(QEvent* event) {
  // F3 is the dialog's Find Next while it has the focus, before the
  // main window's.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F3 && key->modifiers() == Qt::NoModifier) {
      event->accept();
      return true;
    }
  }
  return CEditorDialog::event(event);
}

void CSearchDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F3 && event->modifiers() == Qt::NoModifier) {
    OnFindNext();
    return;
  }
  CEditorDialog::keyPressEvent(event);
}

// ------------------------------------------------------------ Find

CFindDlg::CFindDlg(QWidget* parent) : CSearchDialog(CfgWnd_FindDialog, parent) {
  setWindowTitle("Find");
  auto* next = new QPushButton("&Find Next", this);
  auto* cancel = new QPushButton("Cancel", this);
  next->setDefault(true);
  auto* grid = new QGridLayout(this);
  auto* label = new QLabel("Fi&nd what:", this);
  label->setBuddy(find_);
  grid->addWidget(label, 0, 0);
  grid->addWidget(find_, 0, 1);
  grid->addWidget(next, 0, 2);
  grid->addWidget(word_, 1, 0, 1, 2);
  grid->addWidget(cancel, 1, 2);
  grid->addWidget(case_, 2, 0);
  grid->addWidget(MakeDirectionGroup(), 2, 1);
  connect(next, &QPushButton::clicked, this, [this] { OnFindNext(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);
  RestorePosition();
}

CFindDlg::~CFindDlg() = default;

bool CFindDlg::OnFindNext() {
  std::string text;
  if (!TakeFindText(&text)) return false;
  CEditorView* view = ActiveView();
  if (view == nullptr) return false;
  CEditorView::SetFallbackFindText(text);
  return FindNextIn(view);
}

// ------------------------------------------------------------ Replace

CReplaceDlg::CReplaceDlg(QWidget* parent) : CSearchDialog(CfgWnd_ReplaceDialog, parent) {
  setWindowTitle("Replace");
  replace_ = MakeCombo(this);
  // Tab order as the dialog reads: find what, replace with, the options.
  setTabOrder(find_, replace_);
  setTabOrder(replace_, word_);
  auto* next = new QPushButton("&Find Next", this);
  auto* repl = new QPushButton("&Replace", this);
  auto* all = new QPushButton("Replace &All", this);
  auto* cancel = new QPushButton("Cancel", this);
  next->setDefault(true);
  auto* grid = new QGridLayout(this);
  auto* l1 = new QLabel("Fi&nd what:", this);
  l1->setBuddy(find_);
  auto* l2 = new QLabel("Re&place with:", this);
  l2->setBuddy(replace_);
  grid->addWidget(l1, 0, 0);
  grid->addWidget(find_, 0, 1);
  grid->addWidget(next, 0, 2);
  grid->addWidget(l2, 1, 0);
  grid->addWidget(replace_, 1, 1);
  grid->addWidget(repl, 1, 2);
  grid->addWidget(word_, 2, 0, 1, 2);
  grid->addWidget(all, 2, 2);
  grid->addWidget(case_, 3, 0);
  grid->addWidget(MakeDirectionGroup(), 3, 1);
  grid->addWidget(cancel, 3, 2);
  connect(next, &QPushButton::clicked, this, [this] { OnFindNext(); });
  connect(repl, &QPushButton::clicked, this, [this] { OnReplace(); });
  connect(all, &QPushButton::clicked, this, [this] { OnReplaceAll(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);
  if (ReplaceHist()) FillCombo(replace_, *ReplaceHist());
  replace_->setCurrentIndex(replace_->count() ? 0 : -1);
  RestorePosition();
}

CReplaceDlg::~CReplaceDlg() = default;

bool CReplaceDlg::TakeTexts(bool with_replace) {
  std::string text;
  if (!TakeFindText(&text)) return false;
  CEditorView::SetFallbackFindText(text);
  if (with_replace) {
    const std::string repl = replace_->currentText().toLatin1().toStdString();
    if (!repl.empty()) TakeText(ReplaceHist(), replace_, repl, false);
  }
  return true;
}

bool CReplaceDlg::OnFindNext() {
  if (!TakeTexts(false)) return false;
  CEditorView* view = ActiveView();
  if (view == nullptr) return false;
  return FindNextIn(view);
}

bool CReplaceDlg::OnReplace() {
  const std::string repl = replace_->currentText().toLatin1().toStdString();
  if (!TakeTexts(true)) return false;
  CEditorView* view = ActiveView();
  if (view == nullptr) return false;
  bool done = view->Model().Replace(repl, down_->isChecked(), case_->isChecked(), word_->isChecked());
  view->update();
  find_->setFocus();
  return done;
}

bool CReplaceDlg::OnReplaceAll() {
  const std::string repl = replace_->currentText().toLatin1().toStdString();
  if (!TakeTexts(true)) return false;
  CEditorView* view = ActiveView();
  if (view == nullptr) return false;
  uint32_t n = view->Model().ReplaceAll(repl, case_->isChecked(), word_->isChecked());
  view->update();
  find_->setFocus();
  return n > 0;
}

// ------------------------------------------------------------ Line draw

CLineDrawTable::CLineDrawTable(int cx, int cy, QWidget* parent) : QWidget(parent), cx_(cx), cy_(cy) {
  setFixedSize(linedraw::TableSize(cx, cy));
}

void CLineDrawTable::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  linedraw::PaintTable(&p, QPoint(0, 0), cx_, cy_, Qt::black, Qt::white);
  if (pressed_) linedraw::PaintTable(&p, QPoint(0, 0), cx_, cy_, Qt::white, Qt::black, pressed_);
}

int CLineDrawTable::Click(QPoint pos) {
  CEditorView* view = CEditorView::LastFocused();
  if (view == nullptr) {
    Beep();
    return -1;
  }
  const int code = linedraw::HitTest(pos.x(), pos.y(), cx_, cy_);
  if (code < 0) return -1;
  pressed_ = code;
  repaint();
  view->Model().InsertLineDrawChar(static_cast<uint8_t>(code));
  view->update();
  pressed_ = 0;
  repaint();
  return code;
}

void CLineDrawTable::mousePressEvent(QMouseEvent* event) { Click(event->position().toPoint()); }

CLineDrawDlg::CLineDrawDlg(QWidget* parent) : CEditorDialog(CfgWnd_LinedrawDialog, parent) {
  setWindowTitle("Line Draw Characters");
  QFontMetrics fm(font());
  int cx = CEditorView::LastFocused() ? CEditorView::LastFocused()->CharWidth() : fm.horizontalAdvance('x');
  int cy = CEditorView::LastFocused() ? CEditorView::LastFocused()->LineHeight() : fm.height();
  table_ = new CLineDrawTable(cx, cy, this);
  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* fl = new QVBoxLayout(frame);
  fl->addWidget(table_);
  auto* l = new QVBoxLayout(this);
  l->addWidget(frame);
  RestorePosition();
}

CLineDrawDlg::~CLineDrawDlg() = default;

// ------------------------------------------------------------ Commands

namespace {

QWidget* DialogParent(CEditorView* view) {
  if (CMainFrame* main = Shell_MainFrame()) return main;
  return view ? view->window() : nullptr;
}

template <class Dlg>
void RegisterKind(FwWindows& windows, int kind) {
  if (windows.Kind(kind) != nullptr) return;
  // The command is the view's (it ends the typing action first); the
  // dialogs keep their own places in the window positions.
  windows.Register({kind, ID_NONE, nullptr, FwKindScope::Single, FwKindHost::Dialog,
                    [] { return new Dlg(DialogParent(CEditorView::LastFocused())); }});
}

// The open dialog of a kind comes forward with the keyboard; else a new one.
template <class Dlg>
Dlg* OpenOnce(int kind, CEditorView* view) {
  FwApp* app = Fw_App();
  if (app == nullptr) return nullptr;
  EditorDialogs_Register(app->Windows());
  Dlg* dlg = app->Windows().Window<Dlg>();
  if (dlg == nullptr) {
    dlg = new Dlg(DialogParent(view));
    app->Windows().Track(kind, dlg);
  }
  dlg->Present();
  return dlg;
}

}  // namespace

void EditorDialogs_Register(FwWindows& windows) {
  RegisterKind<CFindDlg>(windows, ID_EDIT_FIND);
  RegisterKind<CReplaceDlg>(windows, ID_EDIT_REPLACE);
  RegisterKind<CLineDrawDlg>(windows, ID_LINE_DRAW);
}

CFindDlg* EditorDialogs_OpenFind(CEditorView* view) { return OpenOnce<CFindDlg>(ID_EDIT_FIND, view); }
CReplaceDlg* EditorDialogs_OpenReplace(CEditorView* view) { return OpenOnce<CReplaceDlg>(ID_EDIT_REPLACE, view); }
CLineDrawDlg* EditorDialogs_OpenLineDraw(CEditorView* view) { return OpenOnce<CLineDrawDlg>(ID_LINE_DRAW, view); }
