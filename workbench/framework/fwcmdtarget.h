// A command target: something that handles command ids and updates their
// menu items, buttons and panes. Each class lists its handlers in one table
// (an id or id range, the command handler, the update handler) and forwards
// the three calls to Fw_Dispatch* with its table, then to its base class.
#pragma once

#include <cstddef>

#include "workbench/framework/fwcmdui.h"

class FwCmdTarget {
 public:
  virtual ~FwCmdTarget() = default;
  // Runs the command; true when this target handled it.
  virtual bool OnCommand(int id);
  // Fills `ui`; true when this target updates the id.
  virtual bool OnUpdateCommand(FwCmdUI& ui);
  // True when OnCommand would handle the id.
  virtual bool HasCommand(int id) const;
};

// One row of a class's handler table. Either handler may be null.
template <class T>
struct FwCmdEntry {
  int first;
  int last;
  void (T::*command)(int id);
  void (T::*update)(FwCmdUI& ui);
};

template <class T, std::size_t N>
bool Fw_DispatchCommand(T* self, const FwCmdEntry<T> (&table)[N], int id) {
  for (const auto& e : table)
    if (id >= e.first && id <= e.last && e.command != nullptr) {
      (self->*e.command)(id);
      return true;
    }
  return false;
}

template <class T, std::size_t N>
bool Fw_DispatchUpdate(T* self, const FwCmdEntry<T> (&table)[N], FwCmdUI& ui) {
  for (const auto& e : table)
    if (ui.id >= e.first && ui.id <= e.last && e.update != nullptr) {
      (self->*e.update)(ui);
      return true;
    }
  return false;
}

template <class T, std::size_t N>
bool Fw_TableHas(const FwCmdEntry<T> (&table)[N], int id) {
  for (const auto& e : table)
    if (id >= e.first && id <= e.last && e.command != nullptr) return true;
  return false;
}
