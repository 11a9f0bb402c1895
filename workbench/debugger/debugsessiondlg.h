// "Debug Session Setup": edits one debug session. The Debug page fills the
// members and checks them afterwards; the dialog fills the server combo
// ("Local System", then the configured servers) and moves the members to
// and from its controls.
#pragma once

#include <string>

#include <QDialog>

#include "workbench/debugger/debuginfo.h"
#include "workbench/framework/fwcommandids.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class CDebugSessionDlg : public QDialog {
 public:
  // The dialog is IDD_DEBUG_SESSION; its controls are the IDC_DEBUG_ ids
  // (also the controls' object names).

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
