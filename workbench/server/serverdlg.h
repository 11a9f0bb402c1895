// "Server Setup": edits one server entry's six texts. The page that opens
// it fills the members and checks them afterwards (both passwords equal);
// the dialog only moves the texts to and from its edit controls.
#pragma once

#include <string>

#include <QDialog>

class QLineEdit;

class CServerDlg : public QDialog {
 public:
  enum { IDD = 175 };
  // Control ids (also the edits' object names).
  enum {
    IDC_TITLE = 1000,
    IDC_SERVER = 1002,
    IDC_SERVICE = 1004,
    IDC_PASSWORD = 1008,
    IDC_PASSWORD2 = 1014,
    IDC_LOGIN = 1020
  };

  explicit CServerDlg(QWidget* parent = nullptr);

  // Members to controls (false) or controls to members (true).
  void UpdateData(bool save);
  // Shows the dialog modally with the members; on OK they hold the edits.
  int DoModal();
  QLineEdit* Edit(int id) const;

  std::string m_Server;
  std::string m_Title;
  std::string m_Service;
  std::string m_Login;
  std::string m_Password;
  std::string m_Password2;

 protected:
  void accept() override;
};
