#include "workbench/framework/fwwindows.h"

#include <algorithm>
#include <cstring>

#include <QDialog>
#include <QDockWidget>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "workbench/framework/fwplacement.h"
#include "workbench/base/settings/cfgprofile.h"
#include "workbench/base/settings/config.h"
#include "workbench/base/sysassert.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandtable.h"
#include "workbench/framework/fwmainframe.h"

namespace {

const char kWindowPositions[] = "WindowPositions";

// The application's entry for a key, or -1.
int PositionIndex(const char* key) {
  for (int i = 0; i < CfgTotalWindows; ++i)
    if (std::strcmp(CfgWindowKeys[i], key) == 0) return i;
  return -1;
}

// A stored rectangle that a window can take: not empty, not absurd.
bool Plausible(const CfgRect& r) {
  const int kLargest = 20000;
  int w = r.right - r.left, h = r.bottom - r.top;
  return w > 0 && h > 0 && w <= kLargest && h <= kLargest;
}

}  // namespace

FwWindows::FwWindows(FwApp& app) : app_(app) {}

FwWindows::~FwWindows() = default;

void FwWindows::Register(FwWindowKind kind, std::span<const FwCommandRow> rows, std::span<const FwPlaceRow> places) {
  SYS_ASSERT(EntryOf(kind.id) == nullptr);
  if (EntryOf(kind.id) != nullptr) return;
  int rows_kind = kind.scope == FwKindScope::Single ? 0 : kind.id;
  if (!rows.empty() || !places.empty()) app_.Commands().AddRows(rows_kind, rows, places);
  entries_.push_back({std::move(kind), {}});
}

const FwWindowKind* FwWindows::Kind(int id) const {
  const Entry* e = EntryOf(id);
  return e != nullptr ? &e->kind : nullptr;
}

FwWindows::Entry* FwWindows::EntryOf(int kind) {
  for (Entry& e : entries_)
    if (e.kind.id == kind) return &e;
  return nullptr;
}

const FwWindows::Entry* FwWindows::EntryOf(int kind) const { return const_cast<FwWindows*>(this)->EntryOf(kind); }

const FwWindows::Entry* FwWindows::EntryOfToggle(int command) const {
  if (command == ID_NONE) return nullptr;
  for (const Entry& e : entries_)
    if (e.kind.toggle == command && e.kind.scope == FwKindScope::Single) return &e;
  return nullptr;
}

const FwWindows::Entry* FwWindows::EntryOfWindow(const QObject* window) const {
  for (const Entry& e : entries_)
    for (const auto& w : e.windows)
      if (w == window) return &e;
  return nullptr;
}

// A closed child frame or dialog is gone for the registry even while its
// deletion waits; a hidden docking bar is still there.
bool FwWindows::IsLive(const Entry& e, const QWidget* w) const {
  return w != nullptr && (e.kind.host == FwKindHost::Dock || !w->isHidden());
}

QWidget* FwWindows::Open(int kind) {
  Entry* e = EntryOf(kind);
  if (e == nullptr || e->kind.scope != FwKindScope::Single) return nullptr;
  if (e->kind.host == FwKindHost::Modal) {
    RunModal(FwWindowKind(e->kind));  // a copy: kinds may register meanwhile
    return nullptr;
  }
  QWidget* w = e->windows.empty() ? nullptr : e->windows.front().data();
  // A closed child frame cannot come back: its views left their document.
  if (w != nullptr && e->kind.host == FwKindHost::MdiChild && w->isHidden()) w = nullptr;
  const bool made = w == nullptr;
  if (made) {
    if (!e->kind.make) return nullptr;
    w = e->kind.make();
    if (w == nullptr) return nullptr;
    Track(kind, w);
  }
  // A copy: the hook may register kinds.
  const std::function<void(QWidget*)> opened = made ? e->kind.opened : nullptr;
  Place(*e, w);
  if (opened) opened(w);
  return w;
}

void FwWindows::RunModal(const FwWindowKind& kind) {
  if (!kind.make) return;
  QWidget* made = kind.make();
  QPointer<QDialog> dialog = qobject_cast<QDialog*>(made);
  if (dialog == nullptr) {
    delete made;
    return;
  }
  const int result = dialog->exec();
  if (dialog != nullptr && kind.done) kind.done(dialog, result);
  delete dialog.data();
}

void FwWindows::Place(const Entry& e, QWidget* w) {
  FwMainFrame* main = app_.MainFrame();
  switch (e.kind.host) {
    case FwKindHost::MdiChild: {
      auto* sub = qobject_cast<QMdiSubWindow*>(w);
      if (sub != nullptr && sub->mdiArea() == nullptr && main != nullptr) main->MdiArea()->addSubWindow(sub);
      w->show();
      if (sub != nullptr && sub->mdiArea() != nullptr) sub->mdiArea()->setActiveSubWindow(sub);
      break;
    }
    case FwKindHost::Dock: {
      auto* dock = qobject_cast<QDockWidget*>(w);
      if (dock != nullptr && main != nullptr && main->dockWidgetArea(dock) == Qt::NoDockWidgetArea)
        main->addDockWidget(Qt::LeftDockWidgetArea, dock);
      w->show();
      w->raise();
      break;
    }
    case FwKindHost::Dialog:
      w->show();
      w->raise();
      w->activateWindow();
      break;
    case FwKindHost::Modal: break;
  }
}

void FwWindows::Close(int kind) {
  Entry* e = EntryOf(kind);
  if (e == nullptr || e->kind.scope != FwKindScope::Single || e->windows.empty()) return;
  QWidget* w = e->windows.front().data();
  if (w == nullptr) return;
  if (e->kind.host == FwKindHost::Dock)
    w->hide();
  else
    w->close();
}

void FwWindows::Toggle(int kind) {
  if (IsShown(kind))
    Close(kind);
  else
    Open(kind);
}

bool FwWindows::IsShown(int kind) const {
  const Entry* e = EntryOf(kind);
  if (e == nullptr) return false;
  for (const auto& w : e->windows)
    if (w != nullptr && !w->isHidden()) return true;
  return false;
}

void FwWindows::Track(int kind, QWidget* window) {
  Entry* e = EntryOf(kind);
  if (e == nullptr || window == nullptr) return;
  auto& ws = e->windows;
  ws.erase(std::remove(ws.begin(), ws.end(), nullptr), ws.end());
  if (std::find(ws.begin(), ws.end(), window) != ws.end()) return;
  if (e->kind.scope == FwKindScope::Single) ws.clear();
  ws.push_back(window);
  window->installEventFilter(this);
  // A single window takes its kept place when it first shows.
  if (e->kind.scope != FwKindScope::Single) return;
  if (window->isVisible())
    RestorePlacement(*e, window);
  else
    unplaced_.push_back(window);
}

QWidget* FwWindows::Find(int kind) const {
  const Entry* e = EntryOf(kind);
  if (e == nullptr) return nullptr;
  FwMainFrame* main = app_.MainFrame();
  QWidget* active = main != nullptr ? main->MdiArea()->activeSubWindow() : nullptr;
  QWidget* first = nullptr;
  for (const auto& w : e->windows) {
    if (!IsLive(*e, w)) continue;
    if (w == active) return w;
    if (first == nullptr) first = w;
  }
  return first;
}

std::vector<QWidget*> FwWindows::All(int kind) const {
  std::vector<QWidget*> out;
  if (const Entry* e = EntryOf(kind))
    for (const auto& w : e->windows)
      if (IsLive(*e, w)) out.push_back(w);
  return out;
}

std::vector<QWidget*> FwWindows::Live() const {
  std::vector<QWidget*> out;
  FwMainFrame* main = app_.MainFrame();
  QWidget* active = main != nullptr ? main->MdiArea()->activeSubWindow() : nullptr;
  if (const Entry* e = EntryOfWindow(active); e != nullptr && IsLive(*e, active)) out.push_back(active);
  for (const Entry& e : entries_)
    for (const auto& w : e.windows)
      if (IsLive(e, w) && w != active) out.push_back(w);
  return out;
}

// ------------------------------------------------------------ placement

void FwWindows::SavePlacements() {
  for (const Entry& e : entries_)
    if (e.kind.scope == FwKindScope::Single)
      for (const auto& w : e.windows)
        if (w != nullptr && w->isVisible()) SavePlacement(e, w);
}

// A docking bar's place is part of the main frame's bar layout.
void FwWindows::SavePlacement(const Entry& e, QWidget* w) {
  const char* key = e.kind.placement_key;
  if (key == nullptr || e.kind.host == FwKindHost::Dock) return;
  CfgPlacement p;
  if (!Fw_PlacementOf(w->geometry(), w->isMaximized(), &p)) return;
  int index = positions_ != nullptr ? PositionIndex(key) : -1;
  if (index < 0) {
    Cfg_PutPlacement(kWindowPositions, key, p);
    return;
  }
  CfgWindowPos& pos = positions_->entries[index];
  if (pos.valid && std::memcmp(&pos.placement, &p, sizeof p) == 0) return;
  pos.placement = p;
  pos.valid = 1;
  positions_->modified = 1;
}

void FwWindows::RestorePlacement(const Entry& e, QWidget* w) {
  const char* key = e.kind.placement_key;
  if (key == nullptr || e.kind.host == FwKindHost::Dock) return;
  CfgPlacement p;
  int index = positions_ != nullptr ? PositionIndex(key) : -1;
  if (index < 0) {
    if (!Cfg_GetPlacement(kWindowPositions, key, &p)) return;
  } else {
    if (!positions_->entries[index].valid) return;
    p = positions_->entries[index].placement;
  }
  const CfgRect& r = p.rcNormalPosition;
  if (!Plausible(r)) return;
  w->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (p.showCmd == CFG_SW_SHOWMAXIMIZED) w->setWindowState(w->windowState() | Qt::WindowMaximized);
}

bool FwWindows::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Show && event->type() != QEvent::Hide) return false;
  if (event->spontaneous()) return false;  // minimized, not closed
  auto* w = qobject_cast<QWidget*>(watched);
  const Entry* e = EntryOfWindow(watched);
  if (w == nullptr || e == nullptr || e->kind.scope != FwKindScope::Single) return false;
  if (event->type() == QEvent::Show) {
    auto it = std::find(unplaced_.begin(), unplaced_.end(), w);
    if (it != unplaced_.end()) {
      unplaced_.erase(it);
      RestorePlacement(*e, w);
    }
  } else {
    SavePlacement(*e, w);
  }
  unplaced_.erase(std::remove(unplaced_.begin(), unplaced_.end(), nullptr), unplaced_.end());
  return false;
}

// ------------------------------------------------------------ toggles

bool FwWindows::OnCommand(int id) {
  const Entry* e = EntryOfToggle(id);
  if (e == nullptr) return false;
  Toggle(e->kind.id);
  return true;
}

bool FwWindows::OnUpdateCommand(FwCmdUI& ui) const {
  const Entry* e = EntryOfToggle(ui.id);
  if (e == nullptr) return false;
  ui.Enable(true);
  // A modal dialog is a plain command: no check mark.
  if (e->kind.host != FwKindHost::Modal) ui.SetCheck(IsShown(e->kind.id));
  return true;
}

bool FwWindows::HasCommand(int id) const { return EntryOfToggle(id) != nullptr; }
