#include "workbench/debugger/variableview.h"

#include <QHeaderView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "workbench/debugger/variablesdoc.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwchildframe.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwmessage.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/controls/indicator.h"

// The scrolled area that shows the rows; the view does its work.
class CVariableView::Canvas : public QAbstractScrollArea {
 public:
  explicit Canvas(CVariableView* view) : QAbstractScrollArea(view), view_(view) {
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(viewport());
    view_->PaintRows(painter, event->rect());
  }
  void mousePressEvent(QMouseEvent* event) override {
    view_->setFocus();
    if (event->button() == Qt::LeftButton) view_->ClickAt(event->position().toPoint(), false);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) view_->ClickAt(event->position().toPoint(), true);
  }
  void contextMenuEvent(QContextMenuEvent* event) override {
    view_->setFocus();
    const int row = view_->RowAt(event->pos().y());
    if (row >= 0) view_->rows_.SetSelectedRow(row);
    viewport()->update();
    view_->OpenContextMenu(row, event->pos());
  }
  void scrollContentsBy(int dx, int dy) override {
    view_->CancelEdit();
    view_->header_->setOffset(horizontalScrollBar()->value());
    QAbstractScrollArea::scrollContentsBy(dx, dy);
  }

 private:
  CVariableView* view_;
};

CVariableView::CVariableView(FwDocument* doc, VariableTarget& target, VariableChain& saved, QWidget* parent)
    : CItemListView(doc, parent), saved_(saved), rows_(target, *this) {
  header_model_ = new QStandardItemModel(0, 3, this);
  header_model_->setHorizontalHeaderLabels({"Name", "Type", "Value"});
  header_ = new QHeaderView(Qt::Horizontal, this);
  header_->setModel(header_model_);
  header_->setSectionResizeMode(QHeaderView::Fixed);
  header_->setStretchLastSection(false);
  header_->resizeSection(0, VARVIEW_NAME_WIDTH);
  header_->resizeSection(1, VARVIEW_TYPE_WIDTH);
  header_->setFocusPolicy(Qt::NoFocus);
  // One line of text high: as a scroll area of its own a header view would
  // ask a layout for room for two scroll bars.
  header_->setFixedHeight(header_->sizeHint().height());
  canvas_ = new Canvas(this);
  const QFont font = GUI_SetEditFont(canvas_);
  const QFontMetrics metrics(font);
  row_height_ = metrics.height() + metrics.leading() + 4;
  avg_char_width_ = metrics.averageCharWidth();
  // The bar above the list: its Refresh button is the window's own, so it
  // asks this window's frame (active or not) for its state and command.
  // The main frame's idle update finds the frame by the bar's place.
  auto* bar = new QToolBar(this);
  bar->setFocusPolicy(Qt::NoFocus);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto* refresh = new QAction("Refresh", this);
  refresh->setData(ID_VARIABLES_REFRESH);
  if (FwApp* app = Fw_App()) {
    Variables_AddCommandRows();
    if (const FwCommandRow* row = app->Commands().Row(ID_VARIABLES_REFRESH)) refresh->setStatusTip(row->prompt);
  }
  connect(refresh, &QAction::triggered, this, [this] {
    FwChildFrame* frame = Frame();
    FwCmdUI ui;
    ui.id = ID_VARIABLES_REFRESH;
    if (frame && frame->OnUpdateCommand(ui) && ui.enabled) frame->OnCommand(ID_VARIABLES_REFRESH);
  });
  bar->addAction(refresh);
  refresh_ = qobject_cast<QToolButton*>(bar->widgetForAction(refresh));
  refresh_->setObjectName(QString::number(ID_VARIABLES_REFRESH));
  refresh_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(header_);
  layout->addWidget(canvas_, 1);
  setFocusPolicy(Qt::StrongFocus);

  rows_.SetGeometry(canvas_->viewport()->width(), avg_char_width_);
  rows_.RestoreRows(saved_);
  UpdateScrollRanges();
}

CVariableView::~CVariableView() {
  if (!rows_saved_) rows_.SaveRows(saved_);
}

void CVariableView::OnLeaveDocument() {
  // Closing ends editing; the rows wait in the saved chain, expansion and all.
  rows_.SaveRows(saved_);
  rows_saved_ = true;
}

QWidget* CVariableView::RowsWidget() const { return canvas_->viewport(); }

bool CVariableView::RefreshAll() {
  const bool ok = rows_.Refresh(true);
  UpdateScrollRanges();
  canvas_->viewport()->update();
  return ok;
}

// ---- geometry ----

QRect CVariableView::RowRect(int row) const {
  const int x = -canvas_->horizontalScrollBar()->value();
  const int y = row * row_height_ - canvas_->verticalScrollBar()->value();
  const int width =
      std::max(VARVIEW_NAME_WIDTH + VARVIEW_TYPE_WIDTH + rows_.ValueWidth(), canvas_->viewport()->width() - x);
  return QRect(x, y, width, row_height_);
}

int CVariableView::RowAt(int y) const {
  const int row = (y + canvas_->verticalScrollBar()->value()) / row_height_;
  return y < 0 || row >= rows_.GetItemCount() ? -1 : row;
}

bool CVariableView::OnBoxArea(int row, int x) const {
  const int depth = rows_.GetRowVariable(row)->CountChildren();
  const int content_x = x + canvas_->horizontalScrollBar()->value();
  return content_x >= 0 && content_x < VARVIEW_LEVEL_INDENT * depth + VARVIEW_BOX_MARGIN;
}

void CVariableView::UpdateScrollRanges() {
  QWidget* port = canvas_->viewport();
  QScrollBar* vertical = canvas_->verticalScrollBar();
  vertical->setSingleStep(row_height_);
  vertical->setPageStep(std::max(row_height_, port->height() - row_height_));
  vertical->setRange(0, std::max(0, rows_.GetItemCount() * row_height_ - port->height()));
  QScrollBar* horizontal = canvas_->horizontalScrollBar();
  const int total = VARVIEW_NAME_WIDTH + VARVIEW_TYPE_WIDTH + rows_.ValueWidth();
  horizontal->setPageStep(port->width());
  horizontal->setRange(0, std::max(0, total - port->width()));
}

// ---- VariableListHost ----

int CVariableView::MeasureText(const std::string& text) {
  return QFontMetrics(canvas_->font()).horizontalAdvance(QString::fromStdString(text));
}

void CVariableView::RowsChanged() {
  UpdateScrollRanges();
  canvas_->viewport()->update();
}

void CVariableView::RedrawRow(int row) {
  if (row >= 0) canvas_->viewport()->update(RowRect(row));
}

void CVariableView::EnsureVisible(int row) {
  if (row < 0) return;
  QScrollBar* vertical = canvas_->verticalScrollBar();
  const int top = row * row_height_;
  const int height = canvas_->viewport()->height();
  if (top < vertical->value())
    vertical->setValue(top);
  else if (top + row_height_ > vertical->value() + height)
    vertical->setValue(top + row_height_ - height);
}

void CVariableView::DestroyEditControl() {
  if (CInPlaceEdit::m_CurrInstance && CInPlaceEdit::m_CurrInstance->parentWidget() == this)
    CInPlaceEdit::DestroyCurrent();
}

void CVariableView::ValueWidthChanged(int width) {
  header_->resizeSection(2, width);
  UpdateScrollRanges();
  canvas_->viewport()->update();
}

void CVariableView::OnUpdateTimer() {
  rows_.SetGeometry(canvas_->viewport()->width(), avg_char_width_);
  rows_.ApplyValueWidth();
}

// ---- painting ----

void CVariableView::PaintRows(QPainter& painter, const QRect& exposed) {
  painter.fillRect(exposed, Qt::white);
  const int count = rows_.GetItemCount();
  const int first = std::max(0, RowAt(exposed.top()));
  const int selected = rows_.SelectedRow();
  const int port_right = canvas_->viewport()->width();
  const int widths[3] = {VARVIEW_NAME_WIDTH, VARVIEW_TYPE_WIDTH, rows_.ValueWidth()};
  painter.setFont(canvas_->font());
  for (int row = first; row < count; ++row) {
    const QRect bounds = RowRect(row);
    if (bounds.top() > exposed.bottom()) break;
    Variable* var = rows_.GetRowVariable(row);
    const bool is_selected = row == selected;
    QColor text_colour = Qt::black;
    if (var->TestFlag(Variable_CHANGED)) text_colour = QColor(is_selected ? VARVIEW_CHANGED_SEL : VARVIEW_CHANGED);
    int left = bounds.left();
    for (int column = 0; column < 3; ++column) {
      int right = left + widths[column];
      if (column == 2) right = std::max(right, port_right);  // the last column reaches the edge
      const QRect cell(left, bounds.top(), right - left, bounds.height());
      painter.fillRect(cell, Qt::white);
      painter.setPen(QColor(VARVIEW_GRID));
      painter.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
      if (column < 2) painter.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
      const QRect inner = cell.adjusted(2, 2, -2, -2);
      if (column == 0) {
        PaintNameCell(painter, inner, var, is_selected);
        if (is_selected && hasFocus()) {
          painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
          painter.drawRect(inner.adjusted(0, 0, -1, -1));
        }
      }
      if (column > 0) {
        painter.setPen(text_colour);
        const std::string text = column == 1 ? var->GetTypeName() : var->GetValueText();
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdString(text));
      }
      if (column == 0) {
        painter.setPen(text_colour);
        const int depth = var->CountChildren();
        QRect name = inner;
        name.setLeft(inner.left() + VARVIEW_LEVEL_INDENT * depth + VARVIEW_BOX_MARGIN);
        painter.drawText(name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromStdString(var->GetName()));
      }
      if (is_selected) {
        // Inverted, cell by cell.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(cell, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
      }
      left = right;
    }
  }
  ScheduleUpdate();
}

void CVariableView::PaintNameCell(QPainter& painter, const QRect& cell, Variable* var, bool selected) {
  (void)selected;
  static_assert(VARVIEW_LEVEL_INDENT == ITEMLIST_LEVEL_INDENT && VARVIEW_BOX_MARGIN == ITEMLIST_BOX_MARGIN &&
                VARVIEW_BOX_SIZE == ITEMLIST_BOX_SIZE && VARVIEW_TREE == ITEMLIST_TREE);
  ItemTreeRow row;
  row.depth = var->CountChildren();
  row.ancestor_goes_on = [this, var, depth = row.depth](int level) {
    return rows_.HasLaterSibling(var->GetChild(depth - level));
  };
  row.later_sibling = rows_.HasLaterSibling(var);
  row.has_children = var->IsContainer();
  row.expanded = var->TestFlag(Variable_EXPANDED);
  ItemList_PaintTree(painter, cell, row, 2);
  painter.setPen(Qt::black);
}

// ---- input ----

void CVariableView::ClickAt(const QPoint& pos, bool double_click) {
  rows_.CancelEdit();
  const int row = RowAt(pos.y());
  if (row < 0) return;
  const int before = rows_.SelectedRow();
  rows_.SetSelectedRow(row);
  if (before != row) {
    RedrawRow(before);
    RedrawRow(row);
  }
  const bool on_box = OnBoxArea(row, pos.x());
  if (!double_click && on_box)
    rows_.ToggleRow(row);
  else if (double_click && !on_box)
    BeginEdit(row);
}

void CVariableView::BeginEdit(int row) {
  if (!rows_.BeginEdit(row)) return;
  QRect cell = RowRect(row);
  cell.setLeft(cell.left() + VARVIEW_NAME_WIDTH + VARVIEW_TYPE_WIDTH);
  cell.setWidth(rows_.ValueWidth());
  cell = cell.intersected(canvas_->viewport()->rect());
  const QRect in_view(canvas_->viewport()->mapTo(this, cell.topLeft()), cell.size());
  CInPlaceEdit::Create(QString::fromStdString(rows_.GetRowVariable(row)->GetValueText()), in_view, this);
}

void CVariableView::EndEdit() {
  std::string text;
  if (!CInPlaceEdit::GetCurrentText(&text)) return;
  rows_.EndEdit(text);
}

void CVariableView::customEvent(QEvent* event) {
  if (static_cast<int>(event->type()) == FW_MSG_INPLACE_ACCEPTED && !edit_pending_) {
    // The control sent this from its own key handler: take its text once
    // that handler has returned, then destroy it.
    edit_pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          edit_pending_ = false;
          EndEdit();
        },
        Qt::QueuedConnection);
    return;
  }
  CItemListView::customEvent(event);
}

bool CVariableView::HandleKey(QKeyEvent* event) {
  const int key = event->key();
  const int selected = rows_.SelectedRow();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (keys_.Accept(key) && selected >= 0) BeginEdit(selected);
    return true;
  }
  if (key == Qt::Key_Space) {
    if (keys_.Accept(key) && selected >= 0) rows_.ToggleRow(selected);
    return true;
  }
  keys_.OtherKey();
  const int count = rows_.GetItemCount();
  const int page = std::max(1, canvas_->viewport()->height() / row_height_ - 1);
  int target = -1;
  switch (key) {
    case Qt::Key_Up: target = selected < 0 ? 0 : selected - 1; break;
    case Qt::Key_Down: target = selected + 1; break;
    case Qt::Key_PageUp: target = selected - page; break;
    case Qt::Key_PageDown: target = selected + page; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = count - 1; break;
    default: return false;
  }
  if (count == 0) return true;
  target = std::clamp(target, 0, count - 1);
  rows_.CancelEdit();
  rows_.SetSelectedRow(target);
  RedrawRow(selected);
  RedrawRow(target);
  EnsureVisible(target);
  return true;
}

std::unique_ptr<QMenu> CVariableView::ContextMenu(int row) {
  auto menu = std::make_unique<QMenu>(this);
  Variable* var = row >= 0 && row < rows_.GetItemCount() ? rows_.GetRowVariable(row) : nullptr;
  QAction* edit = menu->addAction("&Edit\tEnter");
  edit->setEnabled(var && !var->IsContainer());
  const bool expanded = var && var->TestFlag(Variable_EXPANDED);
  QAction* expand = menu->addAction(expanded ? "Collaps&e\tSpace" : "&Expand\tSpace");
  expand->setEnabled(var && var->IsContainer());
  // The row is looked up again when the action runs: the menu's own event
  // loop may have changed the rows.
  const Variable* chosen = var;
  connect(edit, &QAction::triggered, this, [this, chosen] {
    const int at = rows_.FindRow(chosen);
    if (at >= 0) BeginEdit(at);
  });
  connect(expand, &QAction::triggered, this, [this, chosen] {
    const int at = rows_.FindRow(chosen);
    if (at >= 0) rows_.ToggleRow(at);
  });
  return menu;
}

void CVariableView::OpenContextMenu(int row, const QPoint& pos) {
  rows_.CancelEdit();
  std::unique_ptr<QMenu> menu = ContextMenu(row);
  menu->exec(canvas_->viewport()->mapToGlobal(pos));
}

void CVariableView::OpenContextMenuByKey() {
  const int row = rows_.SelectedRow();
  QPoint pos(5, 5);
  if (row >= 0) {
    const QRect bounds = RowRect(row);
    const int depth = rows_.GetRowVariable(row)->CountChildren();
    const int name_left = bounds.left() + VARVIEW_LEVEL_INDENT * depth + VARVIEW_BOX_MARGIN;
    pos = QPoint((name_left + bounds.left() + VARVIEW_NAME_WIDTH) / 2, bounds.center().y());
  }
  OpenContextMenu(row, pos);
}

void CVariableView::keyPressEvent(QKeyEvent* event) {
  const auto mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if ((event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier) || event->key() == Qt::Key_Menu) {
    keys_.OtherKey();
    OpenContextMenuByKey();
    return;
  }
  if (!HandleKey(event)) CItemListView::keyPressEvent(event);
}

void CVariableView::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) keys_.KeyUp(event->key());
  CItemListView::keyReleaseEvent(event);
}

void CVariableView::focusOutEvent(QFocusEvent* event) {
  keys_.FocusLost();
  CItemListView::focusOutEvent(event);
}

void CVariableView::resizeEvent(QResizeEvent* event) {
  CItemListView::resizeEvent(event);
  rows_.CancelEdit();
  UpdateScrollRanges();
  ScheduleUpdate();
}
