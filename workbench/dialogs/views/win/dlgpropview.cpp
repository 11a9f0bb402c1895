#include "workbench/dialogs/views/win/dlgpropview.h"

#include <algorithm>

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFontMetrics>
#include <QFormLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QVBoxLayout>

#include "workbench/base/shellsink.h"
#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/dlgpalette.h"
#include "workbench/dialogs/views/win/dlgwininstall.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmainframe.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/shell/controls/indicator.h"

namespace {

// Colours of the rows.
constexpr unsigned kGridLine = 0xC0C0C0;   // cell edges
constexpr unsigned kInherited = 0xC0C0C0;  // a value not set on the object
// The tree's cell inside the Property column's cell, as in the Variables
// view.
constexpr int kCellInset = 2;
// The row height over the text height.
constexpr int kRowExtra = 4;
// The padding of a value in the column width: twice the average character
// and 8 pixels.
constexpr int kValuePad = 8;
constexpr int kTextInset = 2;
constexpr int kMenuInset = 5;

// The Create New Array Member dialog; true with the index on OK.
bool AskIndex(QWidget* parent, int32_t proposed, int32_t* index) {
  QDialog dlg(parent);
  dlg.setObjectName(QStringLiteral("CreateNewArrayMember"));
  dlg.setWindowTitle(QStringLiteral("Create New Array Member"));
  auto* edit = new QLineEdit(QString::number(proposed), &dlg);
  edit->setObjectName(QStringLiteral("Index"));
  edit->setValidator(new QIntValidator(&dlg));
  auto* label = new QLabel(QStringLiteral("&Index:"), &dlg);
  label->setBuddy(edit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dlg);
  auto* form = new QFormLayout;
  form->addRow(label, edit);
  layout->addLayout(form);
  layout->addWidget(buttons);
  if (dlg.exec() != QDialog::Accepted) return false;
  bool ok = false;
  const int v = edit->text().toInt(&ok);
  if (!ok) return false;
  *index = v;
  return true;
}

// The in-place editors tell the grid of Enter and Escape.
class InPlaceKeys : public QObject {
 public:
  explicit InPlaceKeys(QWidget* grid) : QObject(grid), grid_(grid) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(event);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        Fw_PostMessage(grid_, FW_MSG_INPLACE_ACCEPTED);
        return true;
      }
      if (k->key() == Qt::Key_Escape) {
        Fw_PostMessage(grid_, FW_MSG_INPLACE_ENDED);
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* grid_;
};

}  // namespace

std::span<const FwCmdEntry<CDlgPropView>> CDlgPropView::Handlers() {
  using V = CDlgPropView;
  static const FwCmdEntry<V> table[] = {
      {ID_FILE_SAVE, ID_FILE_SAVE, &V::OnSave, &V::OnUpdateSave},
      {ID_FILE_SAVE_AS, ID_FILE_SAVE_AS, &V::OnSave, &V::OnUpdateFileCommand},
      {ID_EDIT_UNDO, ID_EDIT_REDO, &V::OnUndo, &V::OnUpdateUndo},
      {ID_FILE_PROPERTIES, ID_FILE_PROPERTIES, &V::OnFileProperties, &V::OnUpdateFileCommand},
      {ID_DLG_PALETTE, ID_DLG_PALETTE, &V::OnPalette, &V::OnUpdateShown},
      {ID_PROP_EDIT, ID_PROP_EDIT, &V::OnEdit, &V::OnUpdateEdit},
      {ID_PROP_RESTORE, ID_PROP_RESTORE, &V::OnRestore, &V::OnUpdateEdit},
      {ID_PROP_EXPAND, ID_PROP_EXPAND, &V::OnExpand, &V::OnUpdateExpand},
  };
  return table;
}

CDlgPropView::CDlgPropView(QWidget* parent) : FwHandlers<CDlgPropView, CItemListView>(nullptr, parent) {
  Fw_RegisterMessages();
  setObjectName(QStringLiteral("DlgPropertyGrid"));
  const QFontMetrics fm(font());
  char_width_ = fm.averageCharWidth();
  row_height_ = fm.height() + std::max(0, fm.leading()) + kRowExtra;
  setMinimumHeight(row_height_ * 2);
}

CDlgPropView::~CDlgPropView() {
  EndEdit();
  rows_.Clear();
}

CDlgPropFrame::CDlgPropFrame(QWidget* parent)
    : QDockWidget(QStringLiteral("Dialog Object Properties"), parent), view_(new CDlgPropView(this)) {
  setObjectName(QStringLiteral("DlgPropertyDock"));
  setWidget(view_);
  resize(CDlgPropView::kWidth, height());
}

CDlgPropView* CDlgPropView::Open() {
  FwApp* app = Fw_App();
  auto* frame = app ? dynamic_cast<CDlgPropFrame*>(app->Windows().Open(IDR_DLGPROPTYPE)) : nullptr;
  if (!frame) return nullptr;
  FwMainFrame* main = app->MainFrame();
  if (main && !frame->Placed()) main->resizeDocks({frame}, {kWidth}, Qt::Horizontal);
  frame->SetPlaced();
  return frame->View();
}

CDlgPropView* CDlgPropView::Find() {
  FwApp* app = Fw_App();
  if (!app) return nullptr;
  QPointer<CDlgPropFrame> frame = app->Windows().Window<CDlgPropFrame>();
  return frame && !frame->isHidden() ? frame->View() : nullptr;
}

QDockWidget* CDlgPropView::Dock() const { return qobject_cast<QDockWidget*>(parentWidget()); }

QString CDlgPropView::Title() const {
  if (!rows_.Object()) return QStringLiteral("Dialog Object Properties");
  return QString::fromStdString(rows_.Object()->GetPath() + " Properties");
}

void CDlgPropView::Retitle() {
  if (QDockWidget* d = Dock()) d->setWindowTitle(Title());
}

void CDlgPropView::SetObject(CDlgEditDoc* doc, DlgObject* obj) {
  if (!obj || obj == rows_.Object()) return;
  EndEdit();
  rows_.Fill(doc, obj);
  selected_ = -1;
  widest_ = 0;
  MeasureValues();
  Retitle();
  update();
}

void CDlgPropView::Refresh() {
  Retitle();
  update();
}

void CDlgPropView::ShowProperty(DlgObject* obj, const prop_def* def, bool select) {
  if (obj != rows_.Object()) return;
  const int row = rows_.ShowProperty(def);
  if (row >= 0 && select) SelectRow(row);
  update();
}

void CDlgPropView::ObjectRemoved(DlgObject* obj) {
  if (!obj || obj != rows_.Object()) return;
  EndEdit();
  rows_.Clear();
  if (QDockWidget* d = Dock()) d->close();
}

void CDlgPropView::ForgetDocument(CDlgEditDoc* doc) {
  if (doc && rows_.Doc() == doc) ObjectRemoved(rows_.Object());
}

void CDlgPropView::SelectRow(int row) {
  selected_ = row >= 0 && row < rows_.Count() ? row : -1;
  update();
}

// ------------------------------------------------------------------ geometry

QRect CDlgPropView::RowRect(int row) const { return QRect(0, row * row_height_, width(), row_height_); }

QRect CDlgPropView::ValueRect(int row) const {
  QRect r = RowRect(row);
  r.setLeft(kPropertyColumn);
  return r & rect();
}

int CDlgPropView::RowAt(int y) const {
  if (row_height_ <= 0 || y < 0) return -1;
  const int row = y / row_height_;
  return row < rows_.Count() ? row : -1;
}

bool CDlgPropView::OnGlyph(int row, int x) const {
  DlgPropItem* it = rows_.Row(row);
  return it && ItemList_OnBox(x - kCellInset, it->Depth());
}

void CDlgPropView::MeasureValues() {
  const QFontMetrics fm(font());
  for (int r = 0; r < rows_.Count(); ++r) {
    DlgPropItem* it = rows_.Row(r);
    const std::string text = it->IsContainer() || !rows_.Doc() ? it->GetStrValue(rows_.Doc(), rows_.Object(), nullptr)
                                                               : it->GetStrValue(rows_.Doc(), rows_.Object(), nullptr);
    widest_ = std::max(widest_, fm.horizontalAdvance(QString::fromStdString(text)) + 2 * char_width_ + kValuePad);
  }
}

void CDlgPropView::resizeEvent(QResizeEvent* event) {
  EndEdit();
  CItemListView::resizeEvent(event);
  ScheduleUpdate();
}

void CDlgPropView::OnUpdateTimer() { update(); }

// ------------------------------------------------------------------ painting

void CDlgPropView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), Qt::white);
  DlgObject* obj = rows_.Object();
  CDlgEditDoc* doc = rows_.Doc();
  const int first = std::max(0, event->rect().top() / std::max(1, row_height_));
  for (int r = first; r < rows_.Count(); ++r) {
    const QRect row = RowRect(r);
    if (row.top() > event->rect().bottom()) break;
    DlgPropItem* it = rows_.Row(r);
    const QRect name(0, row.top(), kPropertyColumn, row_height_);
    const QRect value(kPropertyColumn, row.top(), std::max(0, width() - kPropertyColumn), row_height_);
    int mark = 0;
    const std::string text = obj ? it->GetStrValue(doc, obj, &mark) : "";
    if (mark && !it->IsContainer()) p.fillRect(value, QColor::fromRgb(kInherited));
    p.setPen(QColor::fromRgb(kGridLine));
    p.drawLine(name.right(), name.top(), name.right(), name.bottom());
    p.drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    // The tree lines and the box, as the Variables view draws them.
    ItemTreeRow tree;
    tree.depth = it->Depth();
    tree.ancestor_goes_on = [it, depth = tree.depth](int level) {
      const DlgPropItem* anc = it->Ancestor(depth - level);
      return anc && DlgPropRows::HasLaterSibling(anc);
    };
    tree.later_sibling = DlgPropRows::HasLaterSibling(it);
    tree.has_children = rows_.IsGroupRow(r);
    tree.expanded = tree.has_children && rows_.IsExpanded(r);
    const QRect inner = name.adjusted(kCellInset, kCellInset, -kCellInset, -kCellInset);
    ItemList_PaintTree(p, inner, tree, kCellInset);
    p.setPen(Qt::black);
    const QRect label(inner.left() + ItemList_TextLeft(tree.depth), row.top(),
                      std::max(0, name.right() - inner.left() - ItemList_TextLeft(tree.depth)), row_height_);
    p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(it->GetName()));
    p.drawText(value.adjusted(kTextInset, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QString::fromStdString(text));
    if (r == selected_) {
      p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      p.fillRect(row, Qt::white);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      if (hasFocus()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(name.adjusted(0, 0, -1, -1));
      }
    }
  }
  ScheduleUpdate();
}

// --------------------------------------------------------------------- input

void CDlgPropView::mousePressEvent(QMouseEvent* event) {
  EndEdit();
  setFocus(Qt::MouseFocusReason);
  const QPoint pt = event->position().toPoint();
  const int row = RowAt(pt.y());
  if (row < 0) return;
  SelectRow(row);
  if (event->button() == Qt::LeftButton && OnGlyph(row, pt.x()) && rows_.IsGroupRow(row)) {
    rows_.Toggle(row);
    widest_ = 0;
    MeasureValues();
    update();
  }
}

void CDlgPropView::mouseDoubleClickEvent(QMouseEvent* event) {
  EndEdit();
  const QPoint pt = event->position().toPoint();
  const int row = RowAt(pt.y());
  if (row < 0) return;
  if (OnGlyph(row, pt.x()) && rows_.IsGroupRow(row)) {
    rows_.Toggle(row);
    update();
    return;
  }
  BeginEdit(row);
}

bool CDlgPropView::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(event);
    const bool shift_f10 = k->key() == Qt::Key_F10 && (k->modifiers() & Qt::ShiftModifier) &&
                           !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (shift_f10 || k->key() == Qt::Key_Menu) {
      const QPoint at = selected_ >= 0 ? QPoint(kPropertyColumn / 2, RowRect(selected_).center().y())
                                       : QPoint(kMenuInset, kMenuInset);
      ShowContextMenu(at);
      return true;
    }
  }
  return CItemListView::event(event);
}

void CDlgPropView::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  // A key held down acts once.
  if (event->isAutoRepeat() && key == held_key_) return;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      held_key_ = key;
      BeginEdit(selected_);
      return;
    case Qt::Key_Space:
      held_key_ = key;
      if (rows_.IsGroupRow(selected_)) {
        rows_.Toggle(selected_);
        update();
      }
      return;
    case Qt::Key_Delete:
      if (!edit_ && !combo_) RestoreRow(selected_);
      return;
    case Qt::Key_Up: SelectRow(std::max(0, selected_ - 1)); return;
    case Qt::Key_Down: SelectRow(std::min(rows_.Count() - 1, selected_ + 1)); return;
    default: CItemListView::keyPressEvent(event);
  }
}

void CDlgPropView::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat() && event->key() == held_key_) held_key_ = 0;
  CItemListView::keyReleaseEvent(event);
}

// ------------------------------------------------------------------- editing

void CDlgPropView::BeginEdit(int row) {
  EndEdit();
  if (!rows_.Row(row)) return;
  const DlgEditStart start = rows_.BeginEdit(row);
  switch (start.kind) {
    case DlgEditKind::None:
    case DlgEditKind::Refused: return;
    case DlgEditKind::ArrayMember: NewArrayMember(static_cast<DlgPropContainer*>(rows_.Row(row))); return;
    case DlgEditKind::Edit: {
      CInPlaceEdit* e = CInPlaceEdit::Create(QString::fromStdString(start.text), ValueRect(row), this);
      e->installEventFilter(new InPlaceKeys(this));
      edit_ = e;
      break;
    }
    case DlgEditKind::Combo: {
      CInPlaceEditCB* c = CInPlaceEditCB::Create(QString::fromStdString(start.text), ValueRect(row), this,
                                                 start.editable, DLG_COMBO_LINES);
      for (const std::string& s : start.choices) c->addItem(QString::fromStdString(s));
      if (start.selected >= 0)
        c->setCurrentIndex(start.selected);
      else if (start.editable)
        c->setEditText(QString::fromStdString(start.text));
      c->installEventFilter(new InPlaceKeys(this));
      if (c->lineEdit()) c->lineEdit()->installEventFilter(new InPlaceKeys(this));
      combo_ = c;
      break;
    }
  }
  SelectRow(row);
}

void CDlgPropView::EndEdit() {
  rows_.EndEdit();
  // The editors are the shared in-place ones; going, each tells the grid
  // (which ends nothing more by then).
  QPointer<QLineEdit> edit = edit_;
  QPointer<QComboBox> combo = combo_;
  edit_ = nullptr;
  combo_ = nullptr;
  if (edit && CInPlaceEdit::m_CurrInstance == edit) CInPlaceEdit::DestroyCurrent();
  if (combo && CInPlaceEditCB::m_CurrInstance == combo) CInPlaceEditCB::DestroyCurrent();
  update();
}

void CDlgPropView::Commit() {
  const int row = rows_.EditingRow();
  if (row < 0) {
    EndEdit();
    return;
  }
  std::string text;
  int index = -1;
  if (edit_) {
    text = edit_->text().toStdString();
  } else if (combo_) {
    text = combo_->currentText().toStdString();
    index = combo_->findText(combo_->currentText(), Qt::MatchExactly);
  }
  rows_.Commit(row, text, index);
  EndEdit();
  MeasureValues();
  setFocus();
}

void CDlgPropView::customEvent(QEvent* event) {
  if (static_cast<int>(event->type()) == FW_MSG_INPLACE_ACCEPTED) {
    Commit();
    return;
  }
  if (static_cast<int>(event->type()) == FW_MSG_INPLACE_ENDED) {
    EndEdit();
    setFocus();
    return;
  }
  CItemListView::customEvent(event);
}

void CDlgPropView::NewArrayMember(DlgPropContainer* group) {
  int32_t index = 0;
  if (!AskIndex(this, rows_.ProposedIndex(group), &index)) return;
  const int row = rows_.AddArrayMember(group, index);
  if (row >= 0) SelectRow(row);
  update();
}

void CDlgPropView::RestoreRow(int row) {
  if (!rows_.RestoreDefault(row)) return;
  if (QDockWidget* d = Dock()) d->raise();
  setFocus();
  update();
}

// -------------------------------------------------------------- context menu

void CDlgPropView::contextMenuEvent(QContextMenuEvent* event) { ShowContextMenu(event->pos()); }

void CDlgPropView::ShowContextMenu(QPoint at) {
  context_row_ = RowAt(at.y());
  QMenu menu(window());
  struct Entry {
    int id;
    QString text;
  };
  QString expand = QStringLiteral("&Expand\tSpace");
  if (rows_.IsGroupRow(context_row_) && rows_.IsExpanded(context_row_)) expand = QStringLiteral("Collaps&e\tSpace");
  const Entry entries[] = {{ID_PROP_EDIT, QStringLiteral("&Edit\tEnter")},
                           {0, QString()},
                           {ID_PROP_EXPAND, expand},
                           {0, QString()},
                           {ID_PROP_RESTORE, QStringLiteral("&Restore Default Value\tDel")}};
  for (const Entry& e : entries) {
    if (!e.id) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(e.text);
    FwCmdUI ui;
    ui.id = e.id;
    OnUpdateCommand(ui);
    a->setEnabled(ui.enabled);
    const int id = e.id;
    QObject::connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }
  menu_ = &menu;
  menu.exec(mapToGlobal(at));
  menu_ = nullptr;
}

// ------------------------------------------------------------------ commands

void CDlgPropView::OnSave(int id) {
  if (CDlgEditDoc* d = rows_.Doc()) d->Save(id == ID_FILE_SAVE_AS);
}

void CDlgPropView::OnUpdateSave(FwCmdUI& ui) { ui.Enable(rows_.Doc() && rows_.Doc()->IsModified()); }

void CDlgPropView::OnUpdateFileCommand(FwCmdUI& ui) { ui.Enable(rows_.Doc() != nullptr); }

void CDlgPropView::OnUndo(int id) {
  CDlgEditDoc* d = rows_.Doc();
  if (!d) return;
  DlgRootAnchor& root = d->Root();
  const bool undo = id == ID_EDIT_UNDO;
  if (undo ? !root.CanUndo() : !root.CanRedo()) return;
  EndEdit();
  d->StatusText(undo ? "Undoing..." : "Redoing...");
  DlgWinNotify* n = CDlgDocWin::NotifyOf(d);
  if (n) n->WaitCursor(true);
  if (undo)
    root.Undo();
  else
    root.Redo();
  if (n) n->WaitCursor(false);
  d->StatusText(undo ? "Undo completed." : "Redo completed.");
  update();
}

void CDlgPropView::OnUpdateUndo(FwCmdUI& ui) {
  CDlgEditDoc* d = rows_.Doc();
  ui.Enable(d && (ui.id == ID_EDIT_UNDO ? d->Root().CanUndo() : d->Root().CanRedo()));
}

void CDlgPropView::OnFileProperties(int) {
  if (DlgWinNotify* n = CDlgDocWin::NotifyOf(rows_.Doc())) n->FileProperties(rows_.Doc());
}

void CDlgPropView::OnUpdateShown(FwCmdUI& ui) { ui.Enable(rows_.Object() != nullptr); }

void CDlgPropView::OnPalette(int) {
  DlgObject* obj = rows_.Object();
  DlgWinNotify* n = CDlgDocWin::NotifyOf(rows_.Doc());
  if (obj && n) n->OpenPalette(rows_.Doc(), obj->Anchor());
}

void CDlgPropView::OnEdit(int) { BeginEdit(context_row_ >= 0 ? context_row_ : selected_); }

void CDlgPropView::OnUpdateEdit(FwCmdUI& ui) {
  const int row = context_row_ >= 0 ? context_row_ : selected_;
  DlgPropItem* it = rows_.Row(row);
  ui.Enable(rows_.Object() && it && it->CanEdit(rows_.Object()));
}

void CDlgPropView::OnRestore(int) { RestoreRow(context_row_ >= 0 ? context_row_ : selected_); }

void CDlgPropView::OnExpand(int) {
  const int row = context_row_ >= 0 ? context_row_ : selected_;
  if (rows_.IsGroupRow(row)) rows_.Toggle(row);
  update();
}

void CDlgPropView::OnUpdateExpand(FwCmdUI& ui) {
  ui.Enable(rows_.IsGroupRow(context_row_ >= 0 ? context_row_ : selected_));
}
