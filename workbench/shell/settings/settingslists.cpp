#include "workbench/shell/settings/settingslists.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QVBoxLayout>

#include "workbench/base/sysassert.h"
#include "workbench/shell/controls/guiutil.h"

namespace {

// The selection stays visible when the list loses the focus.
void show_selection_always(QTreeWidget* list) {
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  QPalette pal = list->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  list->setPalette(pal);
}

void check_record(bool same, const char* text) {
  if (!same) Sys_AssertFailed(text, __FILE__, __LINE__);
}

// The rows' records of an owning list, in order.
template <typename Record>
std::vector<const Record*> records_of(const CInfoListCtrl& list) {
  std::vector<const Record*> records;
  for (int i = 0; i < list.GetItemCount(); ++i) records.push_back(static_cast<const Record*>(list.GetItemInfo(i)));
  return records;
}

}  // namespace

// ------------------------------------------------------------ colours

ColorList::ColorList(QWidget* parent) : CInfoListCtrl(parent) {}

bool ColorList::Setup(CfgColors* color) {
  if (columns_set_up) return true;
  if (color == nullptr) Sys_AssertFailed("color", __FILE__, __LINE__);
  show_selection_always(this);
  header()->setStretchLastSection(true);
  InsertFittedColumn(this, 0, "Category");
  GUI_FitListColumn(this, 0, nullptr);
  columns_set_up = true;
  for (CfgColorEntry& entry : color->entries)
    if (AddItem(&entry) < 0) return false;
  return true;
}

int ColorList::AddItem(CfgColorEntry* entry) {
  SYS_ASSERT(entry);
  return columns_set_up ? AppendRow(entry) : -1;
}

std::string ColorList::ItemText(const void* record, int column) const {
  const auto* entry = static_cast<const CfgColorEntry*>(record);
  return entry && column == 0 && entry->label ? entry->label : "";
}

// ------------------------------------------------------------ environment

EnvList::EnvList(QWidget* parent) : CInfoListCtrl(parent) {}

EnvList::~EnvList() {
  for (int i = 0; i < GetItemCount(); ++i) delete static_cast<EnvINFO*>(GetItemData(i));
  columns_set_up = false;
}

bool EnvList::Setup() {
  if (columns_set_up) return true;
  show_selection_always(this);
  header()->setStretchLastSection(true);
  InsertFittedColumn(this, 0, "Variable");
  InsertFittedColumn(this, 1, "Value");
  header()->resizeSection(0, VariableColumnWidth);
  GUI_FitListColumn(this, 1, nullptr);
  columns_set_up = true;
  for (EnvINFO& env : Env_LoadList())
    if (AddItem(new EnvINFO(env)) < 0) return false;
  return true;
}

int EnvList::AddItem(EnvINFO* env) {
  SYS_ASSERT(env);
  return columns_set_up ? AppendRow(env) : -1;
}

bool EnvList::RemoveItem(int index) {
  auto* env = static_cast<EnvINFO*>(GetItemInfo(index));
  if (env == nullptr) return false;
  DeleteRow(index);
  delete env;
  return true;
}

void EnvList::ReplaceItem(int index, EnvINFO* env) {
  check_record(env == static_cast<EnvINFO*>(GetItemData(index)), "env == (EnvINFO*)GetItemData(idx)");
  SetItemData(index, env);
  RedrawRow(index);
}

bool EnvList::Save() { return columns_set_up && Env_SaveList(records_of<EnvINFO>(*this)); }

std::vector<std::string> EnvList::Names() const {
  std::vector<std::string> names;
  for (const EnvINFO* env : records_of<EnvINFO>(*this)) names.push_back(env ? env->Name : "");
  return names;
}

std::string EnvList::ItemText(const void* record, int column) const {
  const auto* env = static_cast<const EnvINFO*>(record);
  if (env == nullptr) return "";
  return column == 0 ? env->Name : column == 1 ? env->Value : "";
}

// ------------------------------------------------------------ passwords

PasswdList::PasswdList(QWidget* parent) : CInfoListCtrl(parent) {}

PasswdList::~PasswdList() {
  for (int i = 0; i < GetItemCount(); ++i) delete static_cast<PasswdINFO*>(GetItemData(i));
  columns_set_up = false;
}

bool PasswdList::Setup() {
  if (columns_set_up) return true;
  show_selection_always(this);
  header()->setStretchLastSection(true);
  InsertFittedColumn(this, 0, "Description");
  GUI_FitListColumn(this, 0, nullptr);
  columns_set_up = true;
  for (PasswdINFO& pwi : Passwd_LoadList())
    if (AddItem(new PasswdINFO(pwi)) < 0) return false;
  return true;
}

int PasswdList::AddItem(PasswdINFO* pwi) {
  SYS_ASSERT(pwi);
  return columns_set_up ? AppendRow(pwi) : -1;
}

bool PasswdList::RemoveItem(int index) {
  auto* pwi = static_cast<PasswdINFO*>(GetItemInfo(index));
  if (pwi == nullptr) return false;
  DeleteRow(index);
  delete pwi;
  return true;
}

void PasswdList::ReplaceItem(int index, PasswdINFO* pwi) {
  check_record(pwi == static_cast<PasswdINFO*>(GetItemData(index)), "pwi == (PasswdINFO*)GetItemData(idx)");
  SetItemData(index, pwi);
  RedrawRow(index);
}

bool PasswdList::Save() { return columns_set_up && Passwd_SaveList(records_of<PasswdINFO>(*this)); }

std::vector<std::string> PasswdList::Names() const {
  std::vector<std::string> names;
  for (const PasswdINFO* pwi : records_of<PasswdINFO>(*this)) names.push_back(pwi ? pwi->Description : "");
  return names;
}

std::string PasswdList::ItemText(const void* record, int column) const {
  const auto* pwi = static_cast<const PasswdINFO*>(record);
  return pwi && column == 0 ? pwi->Description : "";
}

// ------------------------------------------------------------ variable dialog

CEnvVarDlg::CEnvVarDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Setup Environment Variable");
  auto* outer = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  outer->addLayout(form);
  name_ = new QLineEdit(this);
  name_->setObjectName("Variable");
  value_ = new QLineEdit(this);
  value_->setObjectName("Value");
  form->addRow("&Variable:", name_);
  form->addRow("V&alue:", value_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  outer->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  GUI_FitCaption(this);
}

int CEnvVarDlg::DoModal() {
  name_->setText(QString::fromStdString(m_Name));
  value_->setText(QString::fromStdString(m_Value));
  int result = exec();
  if (result == QDialog::Accepted) {
    m_Name = name_->text().toStdString();
    m_Value = value_->text().toStdString();
  }
  return result;
}
