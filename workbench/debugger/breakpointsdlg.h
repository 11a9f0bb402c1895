// "Breakpoints": the stored breakpoints in a list that the user thins out
// (Remove, Remove all, the Delete key) or picks one from (Go To, a double
// click): the dialog then ends with IDC_BREAKPOINT_GOTO and holds the breakpoint's
// file name, segment and line for the caller to show.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QDialog>

#include "workbench/debugger/breakpointlist.h"
#include "workbench/framework/fwcommandids.h"

class QPushButton;

class CBreakpointsDlg : public QDialog {
 public:
  // The dialog is IDD_BREAKPOINTS; its controls are the IDC_BREAKPOINT_
  // ids (also the controls' object names), and IDC_BREAKPOINT_GOTO is the
  // result of a Go To.

  // `help` shows a help topic through the application.
  CBreakpointsDlg(CfgBreakpoints& breakpoints, ProgramLink& program, std::function<void(const std::string&)> help,
                  QWidget* parent = nullptr);

  // Sets the list up and gives it the focus.
  bool OnInitDialog();
  int DoModal();

  void OnRemove();
  void OnRemoveAll();
  // With exactly one row selected: keeps its breakpoint and ends with
  // IDC_BREAKPOINT_GOTO; otherwise a beep.
  void OnGoTo();
  void OnHelp();

  CBreakpointList* List() { return &list_; }
  QPushButton* Button(int id) const;

  std::string m_FileName;
  uint16_t m_Segment = 0;
  uint16_t m_Line = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CBreakpointList list_;
  std::function<void(const std::string&)> help_;
};
