#include "workbench/server/serverdlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CServerDlg::CServerDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Server Setup");
  auto* form = new QFormLayout;
  struct Field {
    int id;
    const char* label;
    bool password;
  };
  const Field fields[] = {
      {IDC_SERVER, "&Server Name:", false}, {IDC_TITLE, "&Description:", false},
      {IDC_SERVICE, "S&ervice:", false},    {IDC_LOGIN, "&Login ID:", false},
      {IDC_PASSWORD, "&Password:", true},   {IDC_PASSWORD2, "&Confirm Password:", true},
  };
  for (const Field& f : fields) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(f.id));
    if (f.password) edit->setEchoMode(QLineEdit::Password);
    auto* label = new QLabel(f.label, this);
    label->setBuddy(edit);
    form->addRow(label, edit);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CServerDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CServerDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

QLineEdit* CServerDlg::Edit(int id) const { return findChild<QLineEdit*>(QString::number(id)); }

void CServerDlg::UpdateData(bool save) {
  std::pair<int, std::string*> map[] = {
      {IDC_SERVER, &m_Server}, {IDC_TITLE, &m_Title},       {IDC_SERVICE, &m_Service},
      {IDC_LOGIN, &m_Login},   {IDC_PASSWORD, &m_Password}, {IDC_PASSWORD2, &m_Password2},
  };
  for (auto& [id, member] : map) {
    QLineEdit* edit = Edit(id);
    if (save)
      *member = edit->text().toStdString();
    else
      edit->setText(QString::fromStdString(*member));
  }
}

int CServerDlg::DoModal() {
  UpdateData(false);
  return exec();
}

void CServerDlg::accept() {
  UpdateData(true);
  QDialog::accept();
}
