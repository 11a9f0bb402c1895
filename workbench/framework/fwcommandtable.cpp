#include "workbench/framework/fwcommandtable.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QToolBar>

#include "workbench/framework/fwapp.h"

FwCommandTable::FwCommandTable(QObject* owner) : owner_(owner) {}

QAction* FwCommandTable::Add(int id, const QString& text, const QString& shortcut, bool checkable) {
  auto it = actions_.find(id);
  if (it != actions_.end()) return it->second;
  auto* action = new QAction(text, owner_);
  action->setData(id);
  if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut));
  action->setCheckable(checkable);
  QObject::connect(action, &QAction::triggered, owner_, [id] {
    if (FwApp* app = Fw_App()) app->RouteCommand(id);
  });
  actions_[id] = action;
  return action;
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

void FwCommandTable::FillMenu(QMenu* menu, const std::vector<int>& ids) {
  for (int id : ids) {
    if (id == 0)
      menu->addSeparator();
    else if (QAction* a = Action(id))
      menu->addAction(a);
  }
}

void FwCommandTable::FillToolBar(QToolBar* bar, const std::vector<int>& ids) {
  for (int id : ids) {
    if (id == 0)
      bar->addSeparator();
    else if (QAction* a = Action(id))
      bar->addAction(a);
  }
}
