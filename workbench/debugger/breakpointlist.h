// The list of the Breakpoints dialog: one row per stored breakpoint, columns
// "File" (shortened to its width), "Segment" (the breakpoint's label, else
// "#" and the segment number) and "Line". Rows point at the breakpoints of
// the stored list; removing a row destroys its breakpoint and has the
// program documents drop its mark.
#pragma once

#include "workbench/debugger/infolistctrl.h"

class CfgBreakpoint;
class CfgBreakpoints;
class ProgramLink;

class CBreakpointList : public CInfoListCtrl {
 public:
  CBreakpointList(CfgBreakpoints& breakpoints, ProgramLink& program, QWidget* parent = nullptr);
  // When set up, the documents mark their lines again.
  ~CBreakpointList() override;

  // Once per control: multiple selection, the columns, then one row per
  // stored breakpoint (after the documents brought the list up to date).
  // False when a row cannot be inserted.
  bool Setup();
  // Appends a row for a breakpoint (failed check on null); -1 before Setup.
  int AddItem(CfgBreakpoint* item);
  // Deletes a row, drops its mark and destroys its breakpoint; false out of
  // range or before Setup.
  bool RemoveItem(int row);
  // The selected rows, top first.
  std::vector<int> SelectedRows() const;

  std::string ItemText(const void* record, int column) const override;

 private:
  CfgBreakpoints& breakpoints_;
  ProgramLink& program_;
};

// The "Segment" column's text of a breakpoint: its label, else "#" and the
// segment number.
std::string Breakpoint_SegmentText(const CfgBreakpoint& breakpoint);
