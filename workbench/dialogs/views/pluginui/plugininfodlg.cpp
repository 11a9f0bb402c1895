#include "workbench/dialogs/views/pluginui/plugininfodlg.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "workbench/dialogs/document/pluginid.h"
#include "workbench/framework/fwcommandids.h"

namespace {

constexpr const char* kPluginInfoTitle = "Plug-In Info";
constexpr const char* kPluginInfoHelp = "HIDD_PLUGIN_INFO";
constexpr const char* kFileTypeSeparator = "; ";

// Where a field sits: its label, its control, its grid row and its column
// pair (0 left, 1 right; -1 spans the full width).
struct FieldRow {
  const char* label;
  int id;
  int row;
  int half;
};

constexpr FieldRow kFields[] = {
    {"&Description:", IDC_PLUGIN_DESCRIPTION, 0, -1},
    {"&Module File:", IDC_PLUGIN_MODULE, 1, -1},
    {"File &Types:", IDC_PLUGIN_FILETYPES, 2, -1},
    {"&Identification:", IDC_PLUGIN_IDENT, 3, 0},
    {"&Category:", IDC_PLUGIN_CATEGORY, 3, 1},
    {"&Revision:", IDC_PLUGIN_REVISION, 4, 0},
    {"D&ate:", IDC_PLUGIN_DATE, 4, 1},
};
constexpr int kGridColumns = 4;

std::string text_of(const char* s) { return s ? s : ""; }

}  // namespace

CPluginInfoDlg::CPluginInfoDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kPluginInfoTitle);
  setObjectName(QString::number(IDD_PLUGIN_INFO));
  auto* outer = new QHBoxLayout(this);
  auto* grid = new QGridLayout;
  outer->addLayout(grid, 1);
  for (const FieldRow& f : kFields) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(f.id));
    edit->setReadOnly(true);
    auto* label = new QLabel(f.label, this);
    label->setBuddy(edit);
    const int column = f.half < 0 ? 0 : f.half * 2;
    grid->addWidget(label, f.row, column);
    grid->addWidget(edit, f.row, column + 1, 1, f.half < 0 ? kGridColumns - 1 : 1);
  }
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addStretch();
  outer->addLayout(buttons);
}

QLineEdit* CPluginInfoDlg::Field(int id) const { return findChild<QLineEdit*>(QString::number(id)); }

void CPluginInfoDlg::Fill(PluginID* plugin) {
  if (plugin == nullptr || plugin->Desc() == nullptr) return;
  const PluginDesc* desc = plugin->Desc();
  m_Category = text_of(desc->Category);
  m_Date = text_of(desc->Date);
  m_Description = text_of(desc->Description);
  m_Module = text_of(desc->Module);
  m_Ident = text_of(desc->Ident);
  m_Revision = text_of(desc->Revision);
  m_FileTypes.clear();
  for (PluginFileType* type = plugin->FirstFileType(); type != nullptr; type = plugin->NextFileType()) {
    if (!m_FileTypes.empty()) m_FileTypes += kFileTypeSeparator;
    m_FileTypes += "*" + text_of(type->Ext);
  }
}

void CPluginInfoDlg::UpdateData() {
  const std::pair<int, const std::string*> members[] = {
      {IDC_PLUGIN_CATEGORY, &m_Category},   {IDC_PLUGIN_DATE, &m_Date},   {IDC_PLUGIN_DESCRIPTION, &m_Description},
      {IDC_PLUGIN_MODULE, &m_Module},       {IDC_PLUGIN_IDENT, &m_Ident}, {IDC_PLUGIN_REVISION, &m_Revision},
      {IDC_PLUGIN_FILETYPES, &m_FileTypes},
  };
  for (const auto& [id, member] : members)
    if (QLineEdit* edit = Field(id)) edit->setText(QString::fromStdString(*member));
}

int CPluginInfoDlg::DoModal() {
  UpdateData();
  return exec();
}

void CPluginInfoDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    if (help_) help_(kPluginInfoHelp);
    return;
  }
  QDialog::keyPressEvent(event);
}
