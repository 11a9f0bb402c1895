#include "workbench/dialogs/views/win/dlgpalette.h"

#include <cstdlib>

#include <QDockWidget>
#include <QDrag>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include "workbench/dialogs/document/dlgeditdoc.h"
#include "workbench/dialogs/model/dlg_anchor.h"
#include "workbench/dialogs/model/dlg_obj.h"
#include "workbench/dialogs/model/dlg_rootanchor.h"
#include "workbench/dialogs/views/win/dlgdocwin.h"
#include "workbench/dialogs/views/win/dlgdragdata.h"
#include "workbench/dialogs/views/win/dlgeditview.h"
#include "workbench/dialogs/views/win/dlgwininstall.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwmainframe.h"

namespace {

// Root-anchor flags the palette reads and sets.
constexpr uint32_t kListEveryAnchor = 0x10;
constexpr uint32_t kPaletteListed = 0x80;
// The object an entry stands for, by its id (the object may go first).
constexpr int kObjectRole = Qt::UserRole + 1;
// A move of more than this many pixels from the press starts a drag.
constexpr int kDragSlop = 2;
constexpr int kImageSize = 16;
constexpr int kImageCount = 4;

// The four images: a dialog, a container, another template, a template
// object.
QIcon MakeImage(int index) {
  QPixmap pm(kImageSize, kImageSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  switch (index) {
    case 0:
      p.fillRect(1, 2, 14, 12, QColor(240, 240, 240));
      p.fillRect(1, 2, 14, 3, QColor(0, 0, 128));
      p.setPen(Qt::black);
      p.drawRect(1, 2, 13, 11);
      break;
    case 1:
      p.setPen(Qt::black);
      p.drawRect(2, 4, 11, 9);
      p.fillRect(4, 2, 6, 4, QColor(240, 240, 240));
      p.drawText(QRect(4, 1, 8, 6), Qt::AlignCenter, QString());
      break;
    case 2:
      p.fillRect(2, 5, 12, 6, QColor(212, 208, 200));
      p.setPen(Qt::black);
      p.drawRect(2, 5, 11, 5);
      break;
    default:
      p.fillRect(2, 5, 12, 6, QColor(255, 255, 192));
      p.setPen(QColor(0, 0, 192));
      p.drawRect(2, 5, 11, 5);
      break;
  }
  return QIcon(pm);
}

const QIcon& Image(int index) {
  static const QIcon images[kImageCount] = {MakeImage(0), MakeImage(1), MakeImage(2), MakeImage(3)};
  return images[index];
}

}  // namespace

std::span<const FwCmdEntry<CDlgPaletteView>> CDlgPaletteView::Handlers() {
  using V = CDlgPaletteView;
  static const FwCmdEntry<V> table[] = {
      {ID_EDIT_UNDO, ID_EDIT_UNDO, &V::OnUndo, &V::OnUpdateUndo},
      {ID_EDIT_REDO, ID_EDIT_REDO, &V::OnRedo, &V::OnUpdateRedo},
      {ID_FILE_PROPERTIES, ID_FILE_PROPERTIES, &V::OnFileProperties, &V::OnUpdateFileProperties},
  };
  return table;
}

CDlgPaletteView::CDlgPaletteView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setIconSize(QSize(kImageSize, kImageSize));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setObjectName(QStringLiteral("DlgPalette"));
  connect(this, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* item) {
    if (DlgObject* o = ObjectOf(item)) o->SetFlags(o->Flags() | DLG_TMPL_EXPANDED);
  });
  connect(this, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* item) {
    if (DlgObject* o = ObjectOf(item)) o->SetFlags(o->Flags() & ~DLG_TMPL_EXPANDED);
  });
}

CDlgPaletteView::~CDlgPaletteView() {
  root_ = nullptr;
  anchor_ = nullptr;
}

CDlgPaletteFrame::CDlgPaletteFrame(QWidget* parent)
    : QDockWidget(QStringLiteral("Object Palette"), parent), view_(new CDlgPaletteView(this)) {
  setObjectName(QStringLiteral("DlgPaletteDock"));
  setWidget(view_);
  resize(CDlgPaletteView::kWidth, height());
}

CDlgPaletteView* CDlgPaletteView::Open() {
  FwApp* app = Fw_App();
  auto* frame = app ? dynamic_cast<CDlgPaletteFrame*>(app->Windows().Open(IDR_DLGPALETTYPE)) : nullptr;
  if (!frame) return nullptr;
  FwMainFrame* main = app->MainFrame();
  if (main && !frame->Placed()) main->resizeDocks({frame}, {kWidth}, Qt::Horizontal);
  frame->SetPlaced();
  return frame->View();
}

CDlgPaletteView* CDlgPaletteView::Find() {
  FwApp* app = Fw_App();
  if (!app) return nullptr;
  QPointer<CDlgPaletteFrame> frame = app->Windows().Window<CDlgPaletteFrame>();
  return frame && !frame->isHidden() ? frame->View() : nullptr;
}

QDockWidget* CDlgPaletteView::Dock() const { return qobject_cast<QDockWidget*>(parentWidget()); }

DlgObject* CDlgPaletteView::ObjectOf(const QTreeWidgetItem* item) {
  if (!item) return nullptr;
  auto* view = static_cast<CDlgPaletteView*>(item->treeWidget());
  if (!view || !view->root_) return nullptr;
  auto* doc = dynamic_cast<CDlgEditDoc*>(view->root_->Document());
  return DlgDoc_FindObjectById(doc, item->data(0, kObjectRole).toUInt());
}

QString CDlgPaletteView::ItemText(const DlgObject* obj) {
  const char* name = obj->Name();
  if (obj->HasFlag(DLG_TMPL_CLASS_DEFAULT) && name[0] == '~') ++name;
  return QString::fromLatin1(name);
}

int CDlgPaletteView::ImageOf(const DlgObject* obj) {
  if (obj->HasFlag(DLG_TMPL_CAN_BE_ROOT)) return 0;
  if (obj->IsContainer()) return 1;
  if (obj->HasFlag(DLG_TMPL_TEMPLATE)) return 3;
  return 2;
}

CDlgEditDoc* CDlgPaletteView::Doc() const { return root_ ? dynamic_cast<CDlgEditDoc*>(root_->Document()) : nullptr; }

void CDlgPaletteView::SetDialog(DlgRootAnchor* pDlgRoot, DlgAnchor* pDlgAnchor) {
  if (!pDlgRoot || !pDlgAnchor) return;
  if (pDlgRoot == root_ && (!anchor_ || anchor_ == pDlgAnchor)) return;
  root_ = pDlgRoot;
  anchor_ = pDlgAnchor;
  Refill();
}

void CDlgPaletteView::ForgetDialog(CDlgEditDoc* doc) {
  if (!root_ || !doc || &doc->Root() != root_) return;
  root_ = nullptr;
  anchor_ = nullptr;
  clear();
  if (QDockWidget* d = Dock()) d->close();
}

void CDlgPaletteView::Refill() {
  if (CDlgEditDoc* doc = Doc())
    if (QDockWidget* d = Dock()) d->setWindowTitle(QString::fromStdString(doc->GetTitle() + " Objects"));
  setUpdatesEnabled(false);
  clear();
  press_item_ = nullptr;
  if (root_->Flags() & kListEveryAnchor) anchor_ = nullptr;
  for (DlgAnchor* a = root_->head; a && a != anchor_; a = a->next)
    if (DlgObject* top = a->RootObject()) AddObject(top, nullptr);
  setUpdatesEnabled(true);
  root_->SetFlags(root_->Flags() | kPaletteListed);
}

void CDlgPaletteView::AddObject(DlgObject* obj, QTreeWidgetItem* parent) {
  if (!obj->HasFlag(DLG_TMPL_TEMPLATE | DLG_TMPL_CLASS_DEFAULT)) return;
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, ItemText(obj));
  item->setIcon(0, Image(ImageOf(obj)));
  item->setData(0, kObjectRole, obj->Id());
  if (!obj->GetHead()) return;
  for (DlgObject* c = obj->GetHead(); c; c = c->next) AddObject(c, item);
  if (root_->Flags() & kPaletteListed) {
    item->setExpanded(obj->HasFlag(DLG_TMPL_EXPANDED));
  } else if (!obj->Parent() && !obj->HasFlag(DLG_F_SELECTABLE)) {
    item->setExpanded(true);
    obj->SetFlags(obj->Flags() | DLG_TMPL_EXPANDED);
  }
}

// ------------------------------------------------------------ picking, drags

bool CDlgPaletteView::DragObject(const DlgObject* obj) {
  if (!obj) return false;
  auto* drag = new QDrag(Find());
  drag->setMimeData(DlgDragData_Encode(obj));
  return drag->exec(Qt::CopyAction) != Qt::IgnoreAction;
}

void CDlgPaletteView::mousePressEvent(QMouseEvent* event) {
  DlgPick_Clear();
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const bool on_button = item && event->position().x() < visualItemRect(item).left();
  if (event->button() != Qt::LeftButton || !item || on_button) {
    QTreeWidget::mousePressEvent(event);
    return;
  }
  setCurrentItem(item);
  press_ = event->position().toPoint();
  press_item_ = item;
  captured_ = true;
}

void CDlgPaletteView::mouseMoveEvent(QMouseEvent* event) {
  if (!captured_) {
    QTreeWidget::mouseMoveEvent(event);
    return;
  }
  const QPoint d = event->position().toPoint() - press_;
  if (std::abs(d.x()) <= kDragSlop && std::abs(d.y()) <= kDragSlop) return;
  captured_ = false;
  if (DlgObject* obj = ObjectOf(press_item_)) DragObject(obj);
}

void CDlgPaletteView::mouseReleaseEvent(QMouseEvent* event) {
  if (!captured_) {
    QTreeWidget::mouseReleaseEvent(event);
    return;
  }
  captured_ = false;
  // A click picks the entry: the next press on a canvas drops it.
  DlgObject* obj = ObjectOf(press_item_);
  if (obj && !obj->HasFlag(DLG_TMPL_ALWAYS_ROOT)) DlgPick_Set(obj);
}

void CDlgPaletteView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const bool on_button = item && event->position().x() < visualItemRect(item).left();
  if (!item || on_button) {
    QTreeWidget::mouseDoubleClickEvent(event);
    return;
  }
  setCurrentItem(item);
  DlgObject* obj = ObjectOf(item);
  if (obj && obj->HasFlag(DLG_TMPL_ALWAYS_ROOT)) {
    CDlgDocWin* doc = CDlgDocWin::Of(Doc());
    CDlgEditView* view = doc && anchor_ ? doc->ActivateAnchorView(anchor_, false) : nullptr;
    if (!view && doc && doc->Model()->Root().head)
      view = doc->ActivateAnchorView(doc->Model()->Root().head, false, true);
    if (view && view->Canvas()) view->Canvas()->InsertFromTemplate(obj, {0, 0}, nullptr);
    return;
  }
  mousePressEvent(event);
}

void CDlgPaletteView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && DlgPick_Pending()) {
    DlgPick_Clear();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

// ------------------------------------------------------------------ commands

void CDlgPaletteView::OnUndo(int) {
  CDlgEditDoc* doc = Doc();
  if (!doc || !root_->CanUndo()) return;
  doc->StatusText("Undoing...");
  DlgWinNotify* n = CDlgDocWin::NotifyOf(doc);
  if (n) n->WaitCursor(true);
  root_->Undo();
  if (n) n->WaitCursor(false);
  doc->StatusText("Undo completed.");
}

void CDlgPaletteView::OnRedo(int) {
  CDlgEditDoc* doc = Doc();
  if (!doc || !root_->CanRedo()) return;
  doc->StatusText("Redoing...");
  DlgWinNotify* n = CDlgDocWin::NotifyOf(doc);
  if (n) n->WaitCursor(true);
  root_->Redo();
  if (n) n->WaitCursor(false);
  doc->StatusText("Redo completed.");
}

void CDlgPaletteView::OnUpdateUndo(FwCmdUI& ui) { ui.Enable(root_ && root_->CanUndo()); }

void CDlgPaletteView::OnUpdateRedo(FwCmdUI& ui) { ui.Enable(root_ && root_->CanRedo()); }

void CDlgPaletteView::OnFileProperties(int) {
  CDlgEditDoc* doc = Doc();
  if (DlgWinNotify* n = CDlgDocWin::NotifyOf(doc)) n->FileProperties(doc);
}

void CDlgPaletteView::OnUpdateFileProperties(FwCmdUI& ui) { ui.Enable(Doc() != nullptr); }
