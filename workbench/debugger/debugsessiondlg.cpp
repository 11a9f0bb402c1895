#include "workbench/debugger/debugsessiondlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDebugSessionDlg::CDebugSessionDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Debug Session Setup");
  auto* form = new QFormLayout;
  auto* combo = new QComboBox(this);
  combo->setObjectName(QString::number(IDC_DEBUG_SERVER));
  auto* server_label = new QLabel("&Server:", this);
  server_label->setBuddy(combo);
  form->addRow(server_label, combo);
  struct Field {
    int id;
    const char* label;
  };
  const Field fields[] = {
      {IDC_DEBUG_COMMAND, "&Command:"},
      {IDC_DEBUG_ENVIRONMENT, "&Environment:"},
      {IDC_DEBUG_TTY_DEVICE, "&TTY Device:"},
      {IDC_DEBUG_DESCRIPTION, "&Description:"},
      {IDC_DEBUG_START_DIRECTORY, "St&art Directory:"},
  };
  for (const Field& f : fields) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(f.id));
    auto* label = new QLabel(f.label, this);
    label->setBuddy(edit);
    form->addRow(label, edit);
  }
  const Field checks[] = {
      {IDC_DEBUG_APPEND_FILE, "E&xecute current window"},
      {IDC_DEBUG_HIDE_CONSOLE, "&Hide local ZazoVADI console window"},
  };
  for (const Field& f : checks) {
    auto* check = new QCheckBox(f.label, this);
    check->setObjectName(QString::number(f.id));
    form->addRow(check);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDebugSessionDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDebugSessionDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

QLineEdit* CDebugSessionDlg::Edit(int id) const { return findChild<QLineEdit*>(QString::number(id)); }
QComboBox* CDebugSessionDlg::ServerCombo() const { return findChild<QComboBox*>(QString::number(IDC_DEBUG_SERVER)); }
QCheckBox* CDebugSessionDlg::Check(int id) const { return findChild<QCheckBox*>(QString::number(id)); }

void CDebugSessionDlg::OnInitDialog() {
  QComboBox* combo = ServerCombo();
  combo->clear();
  for (const std::string& item : DebugInfo_ServerItems()) combo->addItem(QString::fromStdString(item));
  UpdateData(false);
}

void CDebugSessionDlg::UpdateData(bool save) {
  std::pair<int, std::string*> texts[] = {
      {IDC_DEBUG_COMMAND, &m_Command},
      {IDC_DEBUG_ENVIRONMENT, &m_Environment},
      {IDC_DEBUG_TTY_DEVICE, &m_TtyDevice},
      {IDC_DEBUG_DESCRIPTION, &m_Description},
      {IDC_DEBUG_START_DIRECTORY, &m_StartDirectory},
  };
  std::pair<int, bool*> checks[] = {{IDC_DEBUG_APPEND_FILE, &m_AppendCurrentFile},
                                    {IDC_DEBUG_HIDE_CONSOLE, &m_HideLocalZazoVADI}};
  QComboBox* combo = ServerCombo();
  if (save) {
    m_ServerIndex = combo->currentIndex() < 0 ? 0 : combo->currentIndex();
    for (auto& [id, member] : texts) *member = Edit(id)->text().toStdString();
    for (auto& [id, member] : checks) *member = Check(id)->isChecked();
  } else {
    combo->setCurrentIndex(m_ServerIndex >= 0 && m_ServerIndex < combo->count() ? m_ServerIndex : 0);
    for (auto& [id, member] : texts) Edit(id)->setText(QString::fromStdString(*member));
    for (auto& [id, member] : checks) Check(id)->setChecked(*member);
  }
}

int CDebugSessionDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CDebugSessionDlg::accept() {
  UpdateData(true);
  QDialog::accept();
}

DebugINFO CDebugSessionDlg::GetInfo() const {
  DebugINFO info;
  info.Description = m_Description;
  info.Command = m_Command;
  info.Environment = m_Environment;
  info.StartDirectory = m_StartDirectory;
  info.TtyDevice = m_TtyDevice;
  info.ServerIndex = m_ServerIndex;
  info.AppendCurrentFile = m_AppendCurrentFile;
  info.HideLocalZazoVADI = m_HideLocalZazoVADI;
  return info;
}

void CDebugSessionDlg::SetInfo(const DebugINFO& info) {
  m_Description = info.Description;
  m_Command = info.Command;
  m_Environment = info.Environment;
  m_StartDirectory = info.StartDirectory;
  m_TtyDevice = info.TtyDevice;
  m_ServerIndex = info.ServerIndex;
  m_AppendCurrentFile = info.AppendCurrentFile;
  m_HideLocalZazoVADI = info.HideLocalZazoVADI;
}
