// The Debug page's list of debug sessions: one row per session, the column
// "Description", each row owning its DebugINFO. Only one row is selected at
// a time.
#pragma once

#include "workbench/debugger/debuginfo.h"
#include "workbench/debugger/infolistctrl.h"

class CDebugList : public CInfoListCtrl {
 public:
  explicit CDebugList(QWidget* parent = nullptr);
  ~CDebugList() override;  // frees every row's DebugINFO

  // Once per control: the column and one row per stored session, in list
  // order. False when a row cannot be inserted.
  bool Setup();
  // Appends a row owning `info` (failed check on null); -1 before Setup.
  int AddItem(DebugINFO* info);
  // Deletes a row and its DebugINFO; false out of range or before Setup.
  bool RemoveItem(int row);
  // `info` must be the row's own record; the row is repainted.
  bool UpdateItem(int row, DebugINFO* info);
  // Selects `row` alone; the number of rows.
  int SelectItem(int row);
  // Rewrites the profile list "Debug" from the rows, in one batch. False
  // before Setup, or when a row has no record or the descriptions clash;
  // the stored list then stays as it was.
  bool SaveConfig();

  std::string ItemText(const void* record, int column) const override;
};
