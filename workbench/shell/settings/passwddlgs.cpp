#include "workbench/shell/settings/passwddlgs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "workbench/base/shellsink.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/settings/settingsrules.h"

namespace {

QLineEdit* password_edit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setEchoMode(QLineEdit::Password);
  return edit;
}

// A form of rows; `add_buttons` puts OK and Cancel below it once the rows
// are made, so that the first field comes first in the tab order and has
// the keyboard when the dialog opens.
QFormLayout* form_of(QDialog* dialog) {
  auto* outer = new QVBoxLayout(dialog);
  auto* form = new QFormLayout;
  outer->addLayout(form);
  return form;
}

void add_buttons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  dialog->layout()->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  GUI_FitCaption(dialog);
}

std::string text_of(const QLineEdit* edit) { return edit->text().toStdString(); }

void show_box(const SettingsBox& box) {
  Shell_Sink().message_box(Shell_OwnerWindow(), box.caption.c_str(), box.text.c_str(),
                           SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
}

}  // namespace

// ------------------------------------------------------------ Password Setup

CPasswdSetupDlg::CPasswdSetupDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Password Setup");
  QFormLayout* form = form_of(this);
  description_ = new QLineEdit(this);
  description_->setObjectName("Description");
  password_ = password_edit(this, "Password");
  confirm_ = password_edit(this, "Confirm");
  form->addRow("&Description:", description_);
  form->addRow("&Password:", password_);
  form->addRow("&Confirm Password:", confirm_);
  add_buttons(this);
}

int CPasswdSetupDlg::DoModal() {
  description_->setText(QString::fromStdString(m_Description));
  password_->setText(QString::fromStdString(m_Password));
  confirm_->setText(QString::fromStdString(m_Confirm));
  int result = exec();
  if (result == QDialog::Accepted) {
    m_Description = text_of(description_);
    m_Password = text_of(password_);
    m_Confirm = text_of(confirm_);
  }
  return result;
}

// ------------------------------------------------------------ asking

CPasswdDlg::CPasswdDlg(const std::string& file_name, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Program is password-protected, please enter password");
  QFormLayout* form = form_of(this);
  password_ = password_edit(this, "Password");
  add_to_list_ = new QCheckBox("&Add to password list", this);
  add_to_list_->setObjectName("AddToList");
  file_name_ = new QLineEdit(QString::fromStdString(file_name), this);
  file_name_->setObjectName("FileName");
  file_name_->setReadOnly(true);
  form->addRow("&Password:", password_);
  form->addRow(add_to_list_);
  form->addRow("File name:", file_name_);
  GUI_FitTextWidth(file_name_);
  add_buttons(this);
}

void CPasswdDlg::accept() {
  if (password_->text().isEmpty()) {
    Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION);
    password_->setFocus();
    return;
  }
  QDialog::accept();
}

bool CPasswdDlg::AskPassword(const char* file_name, std::string* digest, bool* add_to_list) {
  CPasswdDlg dlg(file_name ? file_name : "", static_cast<QWidget*>(Shell_OwnerWindow()));
  if (dlg.exec() != QDialog::Accepted) {
    digest->clear();
    *add_to_list = false;
    return false;
  }
  *digest = Passwd_Digest(text_of(dlg.password_));
  *add_to_list = dlg.add_to_list_->isChecked();
  return true;
}

// ------------------------------------------------------------ adding

CPasswdDescDlg::CPasswdDescDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Add to password list");
  QFormLayout* form = form_of(this);
  description_ = new QLineEdit(this);
  description_->setObjectName("Description");
  form->addRow("Enter a &description for the new password:", description_);
  add_buttons(this);
}

void CPasswdDescDlg::accept() {
  if (description_->text().isEmpty()) {
    Shell_Sink().beep(SHELL_MB_ICONEXCLAMATION);
    return;
  }
  QDialog::accept();
}

bool CPasswdDescDlg::AddToPasswordList(const std::string& digest) {
  CPasswdDescDlg dlg(static_cast<QWidget*>(Shell_OwnerWindow()));
  for (;;) {
    if (dlg.exec() != QDialog::Accepted) return false;
    std::string description = text_of(dlg.description_);
    if (Passwd_AddToList(description, digest) == PasswdAddResult::Added) return true;
    show_box(Passwd_DuplicateBox(description));
  }
}

// ------------------------------------------------------------ changing

CChangePasswdDlg::CChangePasswdDlg(bool has_old, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Change Password");
  QFormLayout* form = form_of(this);
  old_password_ = password_edit(this, "OldPassword");
  new_password_ = password_edit(this, "NewPassword");
  confirm_ = password_edit(this, "Confirm");
  old_password_->setEnabled(has_old);
  form->addRow("&Old Password:", old_password_);
  form->addRow("&New Password:", new_password_);
  form->addRow("&Confirm New Password:", confirm_);
  add_buttons(this);
}

bool CChangePasswdDlg::Run(std::string* digest, QWidget* parent) {
  CChangePasswdDlg dlg(!digest->empty(), parent ? parent : static_cast<QWidget*>(Shell_OwnerWindow()));
  for (;;) {
    if (dlg.exec() != QDialog::Accepted) return false;
    switch (Passwd_Change(digest, text_of(dlg.old_password_), text_of(dlg.new_password_), text_of(dlg.confirm_))) {
      case PasswdChangeResult::Set: return true;
      case PasswdChangeResult::WrongOld: show_box(Passwd_WrongOldBox()); return false;
      case PasswdChangeResult::Unverified: show_box(Settings_Unverified("New Password", "Confirm New Password")); break;
    }
  }
}
