#include "workbench/framework/fwcommandtable.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QWidget>

#include "workbench/base/sysassert.h"
#include "workbench/framework/fwcmdtarget.h"
#include "workbench/framework/fwcommandrouter.h"

namespace {

// Properties that mark what the table put into a menu.
const char kPlaceProperty[] = "fwPlace";
const char kKindProperty[] = "fwKind";
const char kRowSeparatorProperty[] = "fwRowSeparator";

// A theme icon; where the theme lacks the name, Qt's own icon of the same
// meaning, else none.
QIcon RowIcon(const char* name) {
  const QString n = QString::fromUtf8(name);
  QIcon icon = QIcon::fromTheme(n);
  if (!icon.isNull()) return icon;
  static const struct {
    const char* name;
    QStyle::StandardPixmap pixmap;
  } kStandard[] = {
      {"document-new", QStyle::SP_FileIcon},
      {"document-open", QStyle::SP_DialogOpenButton},
      {"document-save", QStyle::SP_DialogSaveButton},
      {"media-playback-start", QStyle::SP_MediaPlay},
      {"media-playback-pause", QStyle::SP_MediaPause},
      {"media-playback-stop", QStyle::SP_MediaStop},
      {"go-down", QStyle::SP_ArrowDown},
      {"go-up", QStyle::SP_ArrowUp},
      {"go-jump", QStyle::SP_ArrowForward},
      {"help-browser", QStyle::SP_DialogHelpButton},
      {"system-file-manager", QStyle::SP_DirIcon},
      {"folder-new", QStyle::SP_FileDialogNewFolder},
      {"window-close", QStyle::SP_TitleBarCloseButton},
  };
  for (const auto& s : kStandard)
    if (n == QLatin1String(s.name) && QApplication::style() != nullptr)
      return QApplication::style()->standardIcon(s.pixmap);
  return icon;
}

// Brings the actions that a key press would trigger up to date before Qt's
// shortcut map looks at them: the map passes over a disabled action, so a
// key greyed at the last update would stay dead after its command became
// possible.
class ShortcutUpdater : public QObject {
 public:
  ShortcutUpdater(const FwCommandTable* table, QObject* parent) : QObject(parent), table_(table) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ShortcutOverride) table_->UpdateShortcut(*static_cast<QKeyEvent*>(event));
    return false;
  }

 private:
  const FwCommandTable* table_;
};

}  // namespace

FwCommandTable::FwCommandTable(QObject* owner, FwCommandRouter* router) : owner_(owner), router_(router) {}

void FwCommandTable::AddRows(int kind, std::span<const FwCommandRow> commands, std::span<const FwPlaceRow> places) {
  for (const FwCommandRow& row : commands) {
    SYS_ASSERT(Row(row.id) == nullptr && Row(row.last) == nullptr);
    rows_[row.id] = row;
    auto* action = new QAction(QString::fromUtf8(row.text), owner_);
    action->setData(row.id);
    action->setStatusTip(QString::fromUtf8(row.prompt));
    if (row.shortcut[0] != '\0') action->setShortcut(QKeySequence(QString::fromUtf8(row.shortcut)));
    if (row.icon[0] != '\0') action->setIcon(RowIcon(row.icon));
    action->setCheckable(row.checkable);
    const int id = row.id;
    QObject::connect(action, &QAction::triggered, owner_, [this, id] { Trigger(id); });
    actions_[row.id] = action;
    if (shortcut_window_ != nullptr && !action->shortcut().isEmpty()) shortcut_window_->addAction(action);
  }
  for (const FwPlaceRow& row : places) places_.push_back({kind, row});
  std::stable_sort(places_.begin(), places_.end(),
                   [](const Placed& a, const Placed& b) { return a.row.order < b.row.order; });
}

const FwCommandRow* FwCommandTable::Row(int id) const {
  auto it = rows_.upper_bound(id);
  if (it == rows_.begin()) return nullptr;
  --it;
  return id <= it->second.last ? &it->second : nullptr;
}

int FwCommandTable::IdOfText(const std::string& text) const {
  for (const auto& [id, row] : rows_) {
    std::string plain;
    for (const char* c = row.text; *c != '\0'; ++c)
      if (*c != '&') plain.push_back(*c);
    if (plain == text) return id;
  }
  return 0;
}

QAction* FwCommandTable::Action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

int FwCommandTable::IdOf(const QAction* action) const {
  if (action == nullptr) return 0;
  bool ok = false;
  int id = action->data().toInt(&ok);
  return ok ? id : 0;
}

std::vector<int> FwCommandTable::PlacedIds(FwPlace place, int kind) const {
  std::vector<int> ids;
  for (const Placed& p : places_) {
    if (p.row.place != place || (p.kind != 0 && p.kind != kind)) continue;
    if (p.row.id == ID_NONE && (ids.empty() || ids.back() == ID_NONE)) continue;
    if (p.row.id != ID_NONE && Action(p.row.id) == nullptr) continue;
    ids.push_back(p.row.id);
  }
  if (!ids.empty() && ids.back() == ID_NONE) ids.pop_back();
  return ids;
}

void FwCommandTable::RefillMenu(QMenu* menu, int kind) {
  for (QAction* a : menu->actions()) {
    if (a->property(kRowSeparatorProperty).toBool()) {
      delete a;
      continue;
    }
    int id = IdOf(a);
    if (id != 0 && Action(id) == a) menu->removeAction(a);
  }
  for (int id : PlacedIds(static_cast<FwPlace>(menu->property(kPlaceProperty).toInt()), kind)) {
    if (id == ID_NONE)
      menu->addSeparator()->setProperty(kRowSeparatorProperty, true);
    else
      menu->addAction(Action(id));
  }
  menu->setProperty(kKindProperty, kind);
}

void FwCommandTable::FillMenu(QMenu* menu, FwPlace place) {
  menu->setProperty(kPlaceProperty, static_cast<int>(place));
  RefillMenu(menu, router_->ActiveKind());
  QObject::connect(menu, &QMenu::aboutToShow, owner_, [this, menu] {
    int kind = router_->ActiveKind();
    if (menu->property(kKindProperty).toInt() != kind) RefillMenu(menu, kind);
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->menu() == nullptr) UpdateAction(a);
  });
}

void FwCommandTable::FillContextMenu(QMenu* menu, FwPlace place, int kind) {
  menu->setProperty(kPlaceProperty, static_cast<int>(place));
  RefillMenu(menu, kind);
  QObject::connect(menu, &QMenu::aboutToShow, owner_, [this, menu] {
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->menu() == nullptr) UpdateAction(a);
  });
}

void FwCommandTable::FillToolBar(QToolBar* bar, FwPlace place) {
  for (int id : PlacedIds(place, 0)) {
    if (id == ID_NONE)
      bar->addSeparator();
    else
      bar->addAction(Action(id));
  }
}

QAction* FwCommandTable::MakeRangeItem(int id, const QString& text, QObject* parent) {
  auto* action = new QAction(text, parent);
  action->setData(id);
  QObject::connect(action, &QAction::triggered, owner_, [this, id] { Trigger(id); });
  return action;
}

void FwCommandTable::SetShortcutWindow(QWidget* window) {
  shortcut_window_ = window;
  if (shortcut_updater_ == nullptr && QCoreApplication::instance() != nullptr) {
    shortcut_updater_ = new ShortcutUpdater(this, owner_);
    QCoreApplication::instance()->installEventFilter(shortcut_updater_);
  }
  if (window == nullptr) return;
  for (const auto& [id, action] : actions_)
    if (!action->shortcut().isEmpty()) window->addAction(action);
}

std::vector<std::string> FwCommandTable::MissingRows() const {
  std::vector<std::string> missing;
  for (const FwHandlerTable& table : Fw_HandlerTables())
    for (const FwHandlerRange& range : table.ranges)
      for (int id = range.first; id <= range.last; ++id)
        if (Row(id) == nullptr) missing.push_back(table.owner + ": " + std::to_string(id));
  return missing;
}

void FwCommandTable::UpdateAction(QAction* action, FwCmdTarget* owner) const {
  int id = IdOf(action);
  if (id == 0) return;
  FwCmdUI ui;
  ui.id = id;
  if (owner == nullptr || !owner->OnUpdateCommand(ui)) ui = router_->RouteUpdate(id);
  if (action->isEnabled() != ui.enabled) action->setEnabled(ui.enabled);
  if (ui.checked) {
    // A plain command that its update marks shows the mark only while it is
    // marked; unmarked it looks like any other item, not like an empty box.
    const FwCommandRow* row = Row(id);
    const bool checkable = (row != nullptr && row->checkable) || *ui.checked;
    if (action->isCheckable() != checkable) action->setCheckable(checkable);
    if (checkable && action->isChecked() != *ui.checked) action->setChecked(*ui.checked);
  }
  if (ui.text) {
    QString t = QString::fromStdString(*ui.text);
    if (action->text() != t) action->setText(t);
  }
  if (action->isVisible() != ui.shown) action->setVisible(ui.shown);
}

void FwCommandTable::UpdateShortcut(const QKeyEvent& key) const {
  const QKeySequence pressed(QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
  for (const auto& [id, action] : actions_)
    if (!action->shortcut().isEmpty() && action->shortcut() == pressed) UpdateAction(action);
}

bool FwCommandTable::Trigger(int id) const {
  if (!router_->RouteUpdate(id).enabled) return false;
  return router_->RouteCommand(id);
}
