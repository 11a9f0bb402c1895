// The dialogs around program passwords: asking for the password of a
// protected program, adding it to the password list, the entry dialog of
// the Passwords page, and setting or changing a program's password. Each
// works on digest texts (settingsrules.h); boxes and beeps go through the
// shell's sink.
#pragma once

#include <string>

#include <QDialog>

class QCheckBox;
class QLineEdit;

// "Password Setup": the Passwords page's entry dialog. The page fills the
// members, runs it, and checks the members afterwards.
class CPasswdSetupDlg : public QDialog {
 public:
  enum { IDD = 245 };
  explicit CPasswdSetupDlg(QWidget* parent = nullptr);
  // Shows the members; on OK they hold the edits.
  int DoModal();

  std::string m_Description;
  std::string m_Password;
  std::string m_Confirm;

  QLineEdit* description_;
  QLineEdit* password_;
  QLineEdit* confirm_;
};

// "Program is password-protected, please enter password".
class CPasswdDlg : public QDialog {
 public:
  enum { IDD = 246 };
  explicit CPasswdDlg(const std::string& file_name, QWidget* parent = nullptr);

  // Asks for the password of a program: on OK the digest text of the
  // password and the "Add to password list" box, true; on Cancel an empty
  // digest, false and false. OK beeps and stays while the field is empty.
  static bool AskPassword(const char* file_name, std::string* digest, bool* add_to_list);

  QLineEdit* password_;
  QCheckBox* add_to_list_;
  QLineEdit* file_name_;

 protected:
  void accept() override;
};

// "Add to password list": asks a description for a new digest until one is
// accepted (a description taken by another entry, in any case, shows
// "Duplicate Password Description" and asks again) or the user cancels.
class CPasswdDescDlg : public QDialog {
 public:
  enum { IDD = 247 };
  explicit CPasswdDescDlg(QWidget* parent = nullptr);

  static bool AddToPasswordList(const std::string& digest);

  QLineEdit* description_;

 protected:
  void accept() override;
};

// "Change Password": sets or changes a program's digest. The old password
// is asked only when there is a digest; a wrong one ends the change with a
// box and the digest untouched; a confirmation that differs asks again;
// two empty fields remove the protection.
class CChangePasswdDlg : public QDialog {
 public:
  enum { IDD = 248 };
  explicit CChangePasswdDlg(bool has_old, QWidget* parent = nullptr);

  // True when the digest was set (possibly emptied).
  static bool Run(std::string* digest, QWidget* parent = nullptr);

  QLineEdit* old_password_;
  QLineEdit* new_password_;
  QLineEdit* confirm_;
};
