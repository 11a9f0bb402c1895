// "Debug Session Setup": edits one debug session. The Debug page fills the
// members and checks them afterwards; the dialog fills the server combo
// ("Local System", then the configured servers) and moves the members to
// and from its controls.
#pragma once

#include <string>

#include <QDialog>

#include "workbench/debugger/debuginfo.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CDebugSessionDlg : public QDialog {
 public:
  enum { IDD = 215 };
  // Control ids (also the controls' object names).
  enum {
    IDC_SERVER = 1005,
    IDC_COMMAND = 1057,
    IDC_ENVIRONMENT = 1058,
    IDC_TTY_DEVICE = 1059,
    IDC_DESCRIPTION = 1060,
    IDC_START_DIRECTORY = 1061,
    IDC_APPEND_FILE = 1084,
    IDC_HIDE_CONSOLE = 1085,
  };

  explicit CDebugSessionDlg(QWidget* parent = nullptr);

  // Fills the server combo and shows the members.
  void OnInitDialog();
  // Members to controls (false) or controls to members (true).
  void UpdateData(bool save);
  // Shows the dialog modally with the members; on OK they hold the edits.
  int DoModal();

  // The members as one session record, and back.
  DebugINFO GetInfo() const;
  void SetInfo(const DebugINFO& info);

  QLineEdit* Edit(int id) const;
  QComboBox* ServerCombo() const;
  QCheckBox* Check(int id) const;

  int m_ServerIndex = 0;
  std::string m_Command;
  std::string m_Environment;
  std::string m_TtyDevice;
  std::string m_Description;
  std::string m_StartDirectory;
  bool m_AppendCurrentFile = false;
  bool m_HideLocalZazoVADI = true;

 protected:
  void accept() override;
};
