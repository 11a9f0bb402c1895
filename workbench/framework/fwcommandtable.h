// The one table of commands: the rows of every window kind, and one
// QAction per id made from its row. Menus and tool bars are filled from the
// place rows, so an id has one action everywhere. Triggering an action (by
// menu, button or shortcut) asks the router for the command's update first
// and routes the id only when it is enabled.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

#include "workbench/framework/fwcommandrows.h"

class FwCmdTarget;
class FwCommandRouter;
class QAction;
class QKeyEvent;
class QMenu;
class QObject;
class QString;
class QToolBar;
class QWidget;

class FwCommandTable {
 public:
  FwCommandTable(QObject* owner, FwCommandRouter* router);

  // The rows of a window kind (0: always shown). A command row for an id
  // that has one already is a failed check: one id, one row.
  void AddRows(int kind, std::span<const FwCommandRow> commands, std::span<const FwPlaceRow> places);
  // The row whose id or range holds `id`, or null.
  const FwCommandRow* Row(int id) const;
  // The id of the row whose menu text, without its "&", is `text`; 0 when
  // there is none.
  int IdOfText(const std::string& text) const;
  // The action of a row's first id, or null.
  QAction* Action(int id) const;
  int IdOf(const QAction* action) const;
  // The ids placed in a place for a kind (kind 0 rows and the kind's own),
  // in order, separators as ID_NONE, none doubled or at either end.
  std::vector<int> PlacedIds(FwPlace place, int kind) const;

  // Fills a menu from its place rows; before it opens it is refilled when
  // the active kind changed, and its actions are updated.
  void FillMenu(QMenu* menu, FwPlace place);
  // Fills a context menu once from the place rows of kind 0 and of `kind`
  // (the kind of the window that shows it, whichever child frame is
  // active); its actions are updated before it opens.
  void FillContextMenu(QMenu* menu, FwPlace place, int kind);
  void FillToolBar(QToolBar* bar, FwPlace place);
  // A menu item made at run time for an id of a range row.
  QAction* MakeRangeItem(int id, const QString& text, QObject* parent);

  // Every action with a shortcut is also an action of `window`, so that
  // its key works whether or not a menu or bar shows it.
  void SetShortcutWindow(QWidget* window);
  // "Class: id" for each id of a registered handler table (Fw_HandlerTables)
  // that has no row.
  std::vector<std::string> MissingRows() const;

  // The update record applied to an action. With `owner` (the window whose
  // own bar shows the action) the owner's handlers answer first, active
  // window or not.
  void UpdateAction(QAction* action, FwCmdTarget* owner = nullptr) const;
  // Updates the actions whose shortcut is the pressed key (before the
  // shortcut runs, so that its enabled state is the current one).
  void UpdateShortcut(const QKeyEvent& key) const;
  // Runs the update of `id`, then the command when enabled; false when
  // disabled or not handled.
  bool Trigger(int id) const;

 private:
  struct Placed {
    int kind;
    FwPlaceRow row;
  };
  void RefillMenu(QMenu* menu, int kind);

  QObject* owner_;
  FwCommandRouter* router_;
  QWidget* shortcut_window_ = nullptr;
  QObject* shortcut_updater_ = nullptr;  // owned by owner_
  std::map<int, FwCommandRow> rows_;     // by first id
  std::map<int, QAction*> actions_;
  std::vector<Placed> places_;
};
