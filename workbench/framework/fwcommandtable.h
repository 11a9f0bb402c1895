// The one table of commands: id -> QAction (text, shortcut, check-able).
// Menus and tool bars are built from it, so an id has one action everywhere;
// triggering an action routes its id through the application.
#pragma once

#include <map>
#include <vector>

#include <QString>

class QAction;
class QMenu;
class QObject;
class QToolBar;

class FwCommandTable {
 public:
  explicit FwCommandTable(QObject* owner);
  // Adds (or returns) the action of an id.
  QAction* Add(int id, const QString& text, const QString& shortcut = QString(), bool checkable = false);
  QAction* Action(int id) const;
  int IdOf(const QAction* action) const;
  // Fills a menu: id 0 is a separator.
  void FillMenu(QMenu* menu, const std::vector<int>& ids);
  void FillToolBar(QToolBar* bar, const std::vector<int>& ids);
  const std::map<int, QAction*>& Actions() const { return actions_; }

 private:
  QObject* owner_;
  std::map<int, QAction*> actions_;
};
