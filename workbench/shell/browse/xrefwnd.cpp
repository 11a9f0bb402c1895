#include "workbench/shell/browse/xrefwnd.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/controls/guiutil.h"

namespace {

// Images by item kind: documents, then the segment kinds.
QIcon kind_icon(int image) {
  QStyle* style = QApplication::style();
  switch (image) {
    case XrefDoc::Text: return style->standardIcon(QStyle::SP_FileIcon);
    case XrefDoc::Program: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    case XrefDoc::Main: return style->standardIcon(QStyle::SP_ArrowRight);
    case XrefDoc::Dialog: return style->standardIcon(QStyle::SP_FileDialogInfoView);
    case XrefDoc::DialogImage:
    case XrefDoc::DialogImage + 1: return style->standardIcon(QStyle::SP_TitleBarNormalButton);
    case XrefDoc::ObjectImage:
    case XrefDoc::ObjectImage + 2: return style->standardIcon(QStyle::SP_FileDialogContentsView);
    case XrefDoc::ObjectImage + 1:
    case XrefDoc::ObjectImage + 3: return style->standardIcon(QStyle::SP_DirIcon);
    default: return style->standardIcon(QStyle::SP_FileDialogListView);
  }
}

}  // namespace

// ------------------------------------------------------------ item model

XrefItemModel::XrefItemModel(XrefTree* tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree) {
  tree_->SetListener(this);
}

QModelIndex XrefItemModel::IndexOf(XrefNode* node) const {
  if (node == nullptr) return QModelIndex();
  return createIndex(node->Row(), 0, node);
}

XrefNode* XrefItemModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<XrefNode*>(index.internalPointer()) : nullptr;
}

QModelIndex XrefItemModel::index(int row, int column, const QModelIndex& parent) const {
  XrefNode* p = NodeOf(parent);
  const auto& list = p ? p->Children() : tree_->Roots();
  if (column != 0 || row < 0 || row >= static_cast<int>(list.size())) return QModelIndex();
  return createIndex(row, 0, list[static_cast<size_t>(row)].get());
}

QModelIndex XrefItemModel::parent(const QModelIndex& child) const {
  XrefNode* node = NodeOf(child);
  return node ? IndexOf(node->Parent()) : QModelIndex();
}

int XrefItemModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  XrefNode* p = NodeOf(parent);
  return static_cast<int>(p ? p->Children().size() : tree_->Roots().size());
}

int XrefItemModel::columnCount(const QModelIndex&) const { return 1; }

QVariant XrefItemModel::data(const QModelIndex& index, int role) const {
  XrefNode* node = NodeOf(index);
  if (node == nullptr) return QVariant();
  if (role == Qt::DisplayRole) return QString::fromStdString(node->Item()->GetLabel());
  if (role == Qt::DecorationRole)
    return kind_icon(node == tree_->Selected() ? node->Item()->GetSelectedImage() : node->Item()->GetImage());
  if (role == Qt::UserRole) return node->Item()->GetImage();
  if (role == Qt::BackgroundRole && index == drop_target_) return QApplication::palette().highlight();
  if (role == Qt::ForegroundRole && index == drop_target_) return QApplication::palette().highlightedText();
  return QVariant();
}

void XrefItemModel::SetDropTarget(XrefNode* node) {
  QModelIndex old = drop_target_;
  QModelIndex now = IndexOf(node);
  if (old == now) return;
  drop_target_ = now;
  if (old.isValid()) emit dataChanged(old, old);
  if (now.isValid()) emit dataChanged(now, now);
}

void XrefItemModel::BeginInsert(XrefNode* parent, int first, int last) {
  beginInsertRows(IndexOf(parent), first, last);
}
void XrefItemModel::EndInsert() { endInsertRows(); }
void XrefItemModel::BeginRemove(XrefNode* parent, int first, int last) {
  beginRemoveRows(IndexOf(parent), first, last);
}
void XrefItemModel::EndRemove() { endRemoveRows(); }
void XrefItemModel::Changed(XrefNode* node) {
  QModelIndex i = IndexOf(node);
  emit dataChanged(i, i);
}
void XrefItemModel::ExpansionChanged(XrefNode* node) {
  if (on_expansion) on_expansion(node);
}
void XrefItemModel::SelectionChanged(XrefNode* node) {
  if (on_selection) on_selection(node);
}

// ------------------------------------------------------------ window

CXrefWnd::CXrefWnd(ShowHelp show_help, QWidget* parent)
    : QWidget(parent),
      model_(new XrefItemModel(&tree_, this)),
      view_(new QTreeView(this)),
      show_help_(std::move(show_help)) {
  view_->setObjectName(QString::number(ID_BROWSE_FILES));
  view_->setHeaderHidden(true);
  view_->setRootIsDecorated(true);
  view_->setModel(model_);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setExpandsOnDoubleClick(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);

  model_->on_expansion = [this](XrefNode* node) { view_->setExpanded(model_->IndexOf(node), node->Expanded()); };
  model_->on_selection = [this](XrefNode* node) {
    QModelIndex i = model_->IndexOf(node);
    if (view_->currentIndex() != i) view_->setCurrentIndex(i);
  };
  connect(view_, &QTreeView::expanded, this,
          [this](const QModelIndex& i) { tree_.SetExpanded(model_->NodeOf(i), true); });
  connect(view_, &QTreeView::collapsed, this,
          [this](const QModelIndex& i) { tree_.SetExpanded(model_->NodeOf(i), false); });
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current, const QModelIndex&) { tree_.Select(model_->NodeOf(current)); });
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_, &QTreeView::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu(model_->NodeOf(view_->indexAt(at)), at); });
  connect(view_, &QTreeView::doubleClicked, this,
          [this](const QModelIndex& i) { tree_.DefaultAction(model_->NodeOf(i)); });
}

void CXrefWnd::PopupMenu(XrefNode* node, QPoint at) {
  if (node == nullptr) return;
  tree_.Select(node);
  QMenu* menu = BuildContextMenu(node, this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(view_->viewport()->mapToGlobal(at));
}

QMenu* CXrefWnd::BuildContextMenu(XrefNode* node, QWidget* parent) {
  if (node == nullptr) return nullptr;
  auto* menu = new QMenu(parent);
  for (const XrefMenuEntry& entry :
       node->Item()->BuildMenu(!node->Children().empty(), node->Expanded(), node->Parent() == nullptr)) {
    if (entry.offset < 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromStdString(entry.text));
    action->setData(ID_XREF_ITEM_FIRST + entry.offset);
    action->setEnabled(entry.enabled);
    action->setCheckable(entry.checkable);
    action->setChecked(entry.checked);
    int offset = entry.offset;
    // The command runs once the menu is done with the click: a question it
    // asks (closing a modified document) must not free the menu under it.
    connect(
        action, &QAction::triggered, this,
        [this, node, offset] {
          if (tree_.Holds(node)) tree_.ContextCommand(node, offset);
        },
        Qt::QueuedConnection);
  }
  return menu;
}

CXrefWnd::~CXrefWnd() { tree_.SetListener(nullptr); }

bool CXrefWnd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport()) return DragEvent(event) || QWidget::eventFilter(watched, event);
  if (watched != view_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::ShortcutOverride && GUI_IsPlainKey(static_cast<QKeyEvent*>(event), Qt::Key_F1)) {
    event->accept();  // the pane's help, before the window's Help
    return true;
  }
  if (event->type() == QEvent::FocusOut) keys_.FocusLost();
  if (event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat()) keys_.KeyUp(key->key());
  }
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  bool plain = (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (keys_.Accept(Qt::Key_Return)) tree_.DefaultAction(tree_.Selected());
      return true;
    case Qt::Key_Space:
      if (keys_.Accept(Qt::Key_Space)) {
        XrefNode* node = tree_.Selected();
        if (node != nullptr && !node->Children().empty()) tree_.SetExpanded(node, !node->Expanded());
      }
      return true;
    case Qt::Key_F10:
    case Qt::Key_Menu:
      // From the keyboard the menu is the selected item's, below it.
      if (key->key() == Qt::Key_Menu || key->modifiers() == Qt::ShiftModifier) {
        XrefNode* node = tree_.Selected();
        if (node != nullptr) PopupMenu(node, view_->visualRect(model_->IndexOf(node)).bottomLeft());
        return true;
      }
      break;
    case Qt::Key_F1:
      if (plain) {
        if (show_help_) show_help_("HIDW_XREF_PANE");
        return true;
      }
      break;
    default: break;
  }
  keys_.OtherKey();
  return QWidget::eventFilter(watched, event);
}

// ------------------------------------------------------------ dragging

bool CXrefWnd::DragEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      EndDrag();
      QModelIndex at = view_->indexAt(mouse->position().toPoint());
      if (mouse->button() == Qt::LeftButton && tree_.CanDrag(model_->NodeOf(at))) {
        drag_.item = at;
        drag_.start = mouse->position().toPoint();
      }
      return false;
    }
    case QEvent::MouseMove: {
      if (!drag_.item.isValid()) return false;
      QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      if (!drag_.active) {
        if ((at - drag_.start).manhattanLength() < QApplication::startDragDistance()) return false;
        drag_.active = true;
        tree_.Select(model_->NodeOf(drag_.item));
        view_->viewport()->setCursor(Qt::DragMoveCursor);
      }
      XrefNode* target = model_->NodeOf(view_->indexAt(at));
      model_->SetDropTarget(tree_.AcceptsDrop(target, model_->NodeOf(drag_.item)) ? target : nullptr);
      return true;
    }
    case QEvent::MouseButtonRelease: {
      if (!drag_.active) {
        EndDrag();
        return false;
      }
      QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      QModelIndex target = view_->indexAt(at);
      XrefNode* dragged = model_->NodeOf(drag_.item);
      EndDrag();
      if (dragged != nullptr && target.isValid())
        tree_.Drop(model_->NodeOf(target), dragged, at.y() > view_->visualRect(target).center().y());
      return true;
    }
    default: return false;
  }
}

void CXrefWnd::EndDrag() {
  if (drag_.active) view_->viewport()->unsetCursor();
  drag_ = DragState();
  model_->SetDropTarget(nullptr);
}
