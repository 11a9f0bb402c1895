// The application's registry of window kinds. Each kind of window registers
// once (fwwindowkind.h) with the command rows it brings; from then on its
// toggle command opens and closes it and is checked while it is shown, its
// placement is restored when it first shows and kept when it hides or the
// main frame closes, and Window<T>() finds it. Nothing else keeps a window
// in a static: ask the registry.
#pragma once

#include <span>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "workbench/framework/fwcmdui.h"
#include "workbench/framework/fwcommandrows.h"
#include "workbench/framework/fwwindowkind.h"

class CfgWindowPositions;
class FwApp;

class FwWindows : public QObject {
 public:
  explicit FwWindows(FwApp& app);
  ~FwWindows() override;

  // Registers a kind with its rows: the rows of a single-instance kind are
  // always there (its toggle among them), a per-document kind's only while
  // one of its windows is active. A kind id registered twice is a failed
  // check.
  void Register(FwWindowKind kind, std::span<const FwCommandRow> rows = {}, std::span<const FwPlaceRow> places = {});
  const FwWindowKind* Kind(int id) const;

  // The window of a single-instance kind: made, placed and shown when there
  // is none, shown and brought forward otherwise. Null when the kind is not
  // registered or could not make one. A modal kind's dialog runs to its end
  // and is freed: null.
  QWidget* Open(int kind);
  // Closes the window of a single-instance kind (a docking bar hides).
  void Close(int kind);
  // Open when not shown, else Close: what the toggle command does.
  void Toggle(int kind);
  // A window of the kind is shown: the toggle's check mark.
  bool IsShown(int kind) const;
  // A window of the kind made elsewhere (a template's child frame, which
  // FwDocTemplate tracks itself). Unknown kinds are ignored.
  void Track(int kind, QWidget* window);

  // The window of a kind (a per-document kind: the active one, else the
  // first), or null. Closed windows do not count; a hidden docking bar does.
  QWidget* Find(int kind) const;
  // Every live window of a kind.
  std::vector<QWidget*> All(int kind) const;
  // The first live window of any kind that is a T (the active child frame
  // first), or null.
  template <class T>
  QPointer<T> Window() const {
    for (QWidget* w : Live())
      if (T* t = dynamic_cast<T*>(w)) return t;
    return nullptr;
  }

  // Placements go through the application's window positions when a key is
  // one of theirs (saved with them), straight to the profile otherwise.
  void SetPositions(CfgWindowPositions* positions) { positions_ = positions; }
  // Keeps the placement of every shown window (the main frame is closing).
  void SavePlacements();

  // The toggle commands, for the application's place in the route.
  bool OnCommand(int id);
  bool OnUpdateCommand(FwCmdUI& ui) const;
  bool HasCommand(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    FwWindowKind kind;
    std::vector<QPointer<QWidget>> windows;  // one for a single-instance kind
  };
  Entry* EntryOf(int kind);
  const Entry* EntryOf(int kind) const;
  const Entry* EntryOfToggle(int command) const;
  const Entry* EntryOfWindow(const QObject* window) const;
  bool IsLive(const Entry& e, const QWidget* w) const;
  void RunModal(const FwWindowKind& kind);
  std::vector<QWidget*> Live() const;
  void Place(const Entry& e, QWidget* w);
  void SavePlacement(const Entry& e, QWidget* w);
  void RestorePlacement(const Entry& e, QWidget* w);

  FwApp& app_;
  CfgWindowPositions* positions_ = nullptr;
  std::vector<Entry> entries_;
  std::vector<QPointer<QWidget>> unplaced_;  // tracked, not yet shown once
};
