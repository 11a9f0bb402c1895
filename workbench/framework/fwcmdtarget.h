// A command target: something that handles command ids and updates their
// menu items, buttons and panes. Each class lists its handlers in one table
// (an id or id range, the command handler, the update handler), returned by
// its static Handlers(), and derives from FwHandlers<Class, Base>, which
// turns the table into the three calls and falls back to the base class.
// Every table so used is listed in Fw_HandlerTables(), so a test can check
// that each handled id has a command row.
#pragma once

#include <span>
#include <string>
#include <typeinfo>
#include <vector>

#include "workbench/framework/fwcmdui.h"

class FwCmdTarget {
 public:
  virtual ~FwCmdTarget() = default;
  // Runs the command; true when this target handled it.
  virtual bool OnCommand(int id);
  // Fills `ui`; true when this target updates the id. An update handler
  // only fills the record: it changes no state and drives no widget.
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

// A handler table as the check of command rows reads it.
struct FwHandlerRange {
  int first;
  int last;
};
struct FwHandlerTable {
  std::string owner;  // the class
  std::vector<FwHandlerRange> ranges;
};
const std::vector<FwHandlerTable>& Fw_HandlerTables();
bool Fw_RegisterHandlerTable(const char* mangled_owner, std::vector<FwHandlerRange> ranges);

template <class T>
bool Fw_DispatchCommand(T* self, std::span<const FwCmdEntry<T>> table, int id) {
  for (const auto& e : table)
    if (id >= e.first && id <= e.last && e.command != nullptr) {
      (self->*e.command)(id);
      return true;
    }
  return false;
}

template <class T>
bool Fw_DispatchUpdate(T* self, std::span<const FwCmdEntry<T>> table, FwCmdUI& ui) {
  for (const auto& e : table)
    if (ui.id >= e.first && ui.id <= e.last && e.update != nullptr) {
      (self->*e.update)(ui);
      return true;
    }
  return false;
}

template <class T>
bool Fw_TableHas(std::span<const FwCmdEntry<T>> table, int id) {
  for (const auto& e : table)
    if (id >= e.first && id <= e.last && e.command != nullptr) return true;
  return false;
}

// The three calls of a command target from T::Handlers(), then Base's.
template <class T, class Base>
class FwHandlers : public Base {
 public:
  using Base::Base;

  bool OnCommand(int id) override {
    return Fw_DispatchCommand(static_cast<T*>(this), T::Handlers(), id) || Base::OnCommand(id);
  }
  bool OnUpdateCommand(FwCmdUI& ui) override {
    return Fw_DispatchUpdate(static_cast<T*>(this), T::Handlers(), ui) || Base::OnUpdateCommand(ui);
  }
  bool HasCommand(int id) const override {
    (void)registered_;
    return Fw_TableHas(T::Handlers(), id) || Base::HasCommand(id);
  }

 private:
  static std::vector<FwHandlerRange> Ranges() {
    std::vector<FwHandlerRange> ranges;
    for (const auto& e : T::Handlers()) ranges.push_back({e.first, e.last});
    return ranges;
  }
  static inline const bool registered_ = Fw_RegisterHandlerTable(typeid(T).name(), Ranges());
};
