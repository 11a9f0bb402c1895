#include "workbench/shell/controls/indicator.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include "workbench/framework/fwmessage.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/neighbours.h"
#include "workbench/base/settings/findutil.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"

namespace {

IndicatorEditorView* g_editor_view = nullptr;

void WarningBeep() { Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION); }

// After an in-place control is done: the parent's frame comes to the top
// and the parent takes the focus.
void BackToParent(QWidget* parent) {
  if (parent == nullptr) return;
  for (QWidget* w = parent; w != nullptr; w = w->parentWidget())
    if (auto* sub = dynamic_cast<QMdiSubWindow*>(w)) {
      if (sub->mdiArea() != nullptr) sub->mdiArea()->setActiveSubWindow(sub);
      break;
    }
  parent->setFocus();
}

}  // namespace

void Indicator_SetEditorView(IndicatorEditorView* view) { g_editor_view = view; }
IndicatorEditorView* Indicator_EditorView() { return g_editor_view; }

// ------------------------------------------------------------ label

bool CIndicatorLabel::Create(const char* text, QRect* rect, QWidget* parent, int id) {
  SYS_ASSERT(rect);
  setParent(parent);
  setObjectName(QString::number(id));
  GUI_SetStandardFont(this);
  setText(QString::fromUtf8(text ? text : ""));
  QSize size = GUI_GetTextExtent(this, text ? text : "");
  int cell = 0;
  GUI_GetCellSize(this, &cell, nullptr);
  setGeometry(rect->left(), rect->top() + (rect->height() - size.height()) / 2, size.width(), size.height());
  rect->setLeft(rect->left() + size.width() + cell / 2);
  show();
  return true;
}

void CIndicatorLabel::Reposition(const QRect& rect) { move(x(), rect.top() + (rect.height() - height()) / 2); }

// ------------------------------------------------------------ edit fields

CIndicatorEdit::CIndicatorEdit(QWidget* parent) : QLineEdit(parent) {}

bool CIndicatorEdit::Create(const QRect& rect, QWidget* parent, int id) {
  SYS_ASSERT(parent);
  setParent(parent);
  setObjectName(QString::number(id));
  GUI_SetStandardFont(this);
  QRect r = rect;
  if (const char* sample = WidthSample()) r.setWidth(GUI_GetTextExtent(parent, sample).width() + 8);
  setGeometry(r);
  show();
  return true;
}

void CIndicatorEdit::UpdateText(const QString& t) {
  if (hasFocus() || text() == t) return;
  setText(t);
}

void CIndicatorEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: OnEnter(text()); return;
    case Qt::Key_Escape: OnEscape(); return;
    case Qt::Key_Backspace: break;
    default: {
      QString typed = event->text();
      if (!typed.isEmpty() && typed[0].isPrint() && !IsValidChar(typed[0])) {
        WarningBeep();
        return;
      }
    }
  }
  QLineEdit::keyPressEvent(event);
}

void CIndicatorEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  QTimer::singleShot(0, this, [this] {
    selectAll();
    end(true);
  });
}

bool CNumericIndicator::IsValidChar(QChar c) const {
  if (c.isDigit()) return true;
  if (c == '-' && MinusAllowed()) {
    // Only as the first character: the field empty, or the selection from
    // 0 to the end.
    if (text().isEmpty()) return true;
    return hasSelectedText() && selectionStart() == 0 && selectedText().size() == text().size();
  }
  return false;
}

void CNumericIndicator::OnEnter(const QString& t) {
  std::string s = t.trimmed().toStdString();
  errno = 0;
  char* end = nullptr;
  long long number = 0;
  bool ok = !s.empty();
  if (ok && Signed()) {
    number = std::strtoll(s.c_str(), &end, 10);
    ok = errno == 0 && *end == '\0' && number >= INT_MIN && number <= INT_MAX;
  } else if (ok) {
    ok = s[0] != '-';
    unsigned long long u = std::strtoull(s.c_str(), &end, 10);
    ok = ok && errno == 0 && *end == '\0' && u <= UINT_MAX;
    number = static_cast<long long>(u);
  }
  bool have_view = ForDesigner() ? Shell_Neighbours().designer->HasView() : g_editor_view != nullptr;
  if (!ok || (!ZeroAllowed() && number == 0) || !have_view || !Act(number)) {
    WarningBeep();
    return;
  }
  if (!ForDesigner() && g_editor_view != nullptr) g_editor_view->TakeFocus();
}

void CNumericIndicator::OnEscape() {
  if (ForDesigner()) {
    // Back to the canvas unchanged: the field shows the object's value
    // again once it has lost the focus.
    Shell_Neighbours().designer->FocusView();
    return;
  }
  if (g_editor_view != nullptr)
    g_editor_view->TakeFocus();
  else
    WarningBeep();
}

bool CLineIndicator::Act(long long number) {
  g_editor_view->GoToLine(static_cast<unsigned>(number - 1));
  return true;
}

bool CLineNumberIndicator::Act(long long number) {
  g_editor_view->GoToLineNumber(static_cast<int>(number));
  return true;
}

bool CColumnIndicator::Act(long long number) {
  g_editor_view->GoToColumn(static_cast<unsigned>(number - 1));
  return true;
}

bool CCoordIndicator::Act(long long number) {
  Shell_Neighbours().designer->SetCoord(static_cast<int>(number), index_);
  return true;
}

// ------------------------------------------------------------ combos

CIndicatorCombo::CIndicatorCombo(QWidget* parent) : QComboBox(parent) {}

bool CIndicatorCombo::Create(const QRect& rect, QWidget* parent, int id, int lines) {
  setParent(parent);
  setObjectName(QString::number(id));
  GUI_SetStandardFont(this);
  setGeometry(rect);
  if (lines != 0) setMaxVisibleItems(lines);
  show();
  return true;
}

CHistoryCombo::CHistoryCombo(FindHistory* history, QWidget* parent) : CIndicatorCombo(parent), history_(history) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(15);
  // Keys reach the combo box or its edit field, whichever holds the focus.
  installEventFilter(this);
  lineEdit()->installEventFilter(this);
  Refill();
}

void CHistoryCombo::Refill() {
  QString keep = currentText();
  clear();
  if (history_ != nullptr)
    for (const std::string& t : history_->Texts()) addItem(QString::fromLatin1(t.c_str()));
  if (count() > 0)
    setCurrentIndex(0);
  else
    setEditText(keep);
}

void CHistoryCombo::OnEnter(const QString& text) {
  if (text.isEmpty()) {
    OnEscape();
    WarningBeep();
    return;
  }
  if (history_ != nullptr) {
    auto before = history_->Texts();
    history_->AddText(text.toLatin1().constData());
    if (history_->Texts() != before) Refill();
  }
  if (g_editor_view == nullptr) {
    WarningBeep();
    return;
  }
  g_editor_view->TakeFocus();
  Execute(g_editor_view);
}

void CHistoryCombo::OnEscape() {
  if (g_editor_view != nullptr)
    g_editor_view->TakeFocus();
  else
    WarningBeep();
}

bool CHistoryCombo::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == lineEdit() || watched == this) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      OnEnter(currentText());
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      OnEscape();
      return true;
    }
  }
  return CIndicatorCombo::eventFilter(watched, event);
}

void CFindCombo::Execute(IndicatorEditorView* view) {
  SYS_ASSERT(view);
  view->FindForward(currentText().toLatin1().toStdString());
}

// ------------------------------------------------------------ in-place editors

CInPlaceEdit* CInPlaceEdit::m_CurrInstance = nullptr;
CInPlaceEditCB* CInPlaceEditCB::m_CurrInstance = nullptr;

CInPlaceEdit::CInPlaceEdit(QWidget* parent) : QLineEdit(parent) {}

CInPlaceEdit* CInPlaceEdit::Create(const QString& text, const QRect& rect, QWidget* parent) {
  DestroyCurrent();
  CInPlaceEditCB::DestroyCurrent();
  auto* edit = new CInPlaceEdit(parent);
  edit->setObjectName(QString::number(ID_INPLACE_CONTROL));
  GUI_SetEditFont(edit);
  edit->setGeometry(rect);
  edit->setText(text);
  edit->show();
  edit->setFocus();
  edit->selectAll();
  m_CurrInstance = edit;
  return edit;
}

void CInPlaceEdit::DestroyCurrent() {
  delete m_CurrInstance;
  SYS_ASSERT(!CInPlaceEdit::m_CurrInstance);
}

bool CInPlaceEdit::GetCurrentText(std::string* text) {
  if (m_CurrInstance == nullptr) {
    text->clear();
    return false;
  }
  *text = m_CurrInstance->text().toStdString();
  return true;
}

CInPlaceEdit::~CInPlaceEdit() {
  if (m_CurrInstance != nullptr) SYS_ASSERT(CInPlaceEdit::m_CurrInstance == this);
  m_CurrInstance = nullptr;
  QPointer<QWidget> parent = parentWidget();
  Fw_SendMessage(parent, FW_MSG_INPLACE_ENDED);
  BackToParent(parent);
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    QPointer<QWidget> parent = parentWidget();
    Fw_SendMessage(parent, FW_MSG_INPLACE_ACCEPTED);
    BackToParent(parent);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

CInPlaceEditCB::CInPlaceEditCB(QWidget* parent) : QComboBox(parent) {}

CInPlaceEditCB* CInPlaceEditCB::Create(const QString& text, const QRect& rect, QWidget* parent, bool editable,
                                       int lines) {
  CInPlaceEdit::DestroyCurrent();
  DestroyCurrent();
  auto* combo = new CInPlaceEditCB(parent);
  combo->setObjectName(QString::number(ID_INPLACE_CONTROL));
  combo->setEditable(editable);
  combo->setInsertPolicy(QComboBox::NoInsert);
  if (lines > 0) combo->setMaxVisibleItems(lines);
  combo->setGeometry(rect);
  if (editable)
    combo->setEditText(text);
  else
    combo->setCurrentIndex(combo->findText(text));
  combo->show();
  combo->setFocus();
  m_CurrInstance = combo;
  return combo;
}

void CInPlaceEditCB::DestroyCurrent() {
  delete m_CurrInstance;
  SYS_ASSERT(!CInPlaceEditCB::m_CurrInstance);
}

bool CInPlaceEditCB::GetCurrentText(std::string* text, int* index) {
  if (m_CurrInstance == nullptr) {
    text->clear();
    if (index != nullptr) *index = -1;
    return false;
  }
  CInPlaceEditCB* c = m_CurrInstance;
  *text = c->currentText().toStdString();
  if (index != nullptr) {
    if (c->isEditable())
      *index = text->empty() ? -1 : c->findText(c->currentText(), Qt::MatchExactly);
    else
      *index = c->currentIndex();
  }
  return true;
}

CInPlaceEditCB::~CInPlaceEditCB() {
  if (m_CurrInstance != nullptr) SYS_ASSERT(CInPlaceEditCB::m_CurrInstance == this);
  m_CurrInstance = nullptr;
  QPointer<QWidget> parent = parentWidget();
  Fw_SendMessage(parent, FW_MSG_INPLACE_ENDED);
  BackToParent(parent);
}

void CInPlaceEditCB::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    QPointer<QWidget> parent = parentWidget();
    Fw_SendMessage(parent, FW_MSG_INPLACE_ACCEPTED);
    BackToParent(parent);
    return;
  }
  QComboBox::keyPressEvent(event);
}
