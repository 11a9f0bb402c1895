// An owned copy of a property definition: the name, the category and the GUI
// section are copies of their own; the default text stays the plug-in's,
// which keeps it for its loaded life. Undo records and property items hold
// definitions this way.
#pragma once

#include "workbench/dialogs/document/dlgplugin.h"

class DlgDefCopy {
 public:
  DlgDefCopy() = default;
  explicit DlgDefCopy(const prop_def* def) { Set(def); }
  ~DlgDefCopy() { Free(); }
  DlgDefCopy(const DlgDefCopy& other) { Set(other.Get()); }
  DlgDefCopy& operator=(const DlgDefCopy& other);

  // Replaces the copy (null: none).
  void Set(const prop_def* def);
  // Replaces the name (copied).
  void SetName(const char* name);
  // The copy, or null when there is none.
  const prop_def* Get() const { return has_ ? &def_ : nullptr; }
  prop_def* Get() { return has_ ? &def_ : nullptr; }

 private:
  void Free();
  prop_def def_{};
  bool has_ = false;
};
