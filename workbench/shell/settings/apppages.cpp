#include "workbench/shell/settings/apppages.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/dirpath.h"
#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/debugger/debuglist.h"
#include "workbench/debugger/debugsessiondlg.h"
#include "workbench/server/serverdlg.h"
#include "workbench/server/serverlist.h"
#include "workbench/shell/browse/browseplug.h"
#include "workbench/shell/browse/contentwnd.h"
#include "workbench/shell/controls/guiutil.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/pswdcrypt.h"
#include "workbench/shell/settings/appsheet.h"
#include "workbench/shell/settings/passwddlgs.h"
#include "workbench/shell/settings/settingslists.h"
#include "workbench/shell/settings/sheetrules.h"

namespace {

enum {
  kIntervalMin = 1,
  kIntervalMax = 60,
  kTabSizeMin = 1,
  kTabSizeMax = 30,
  kIndentMax = 30,
  kLineNumberMin = 1,
  kLineNumberMax = 32767,
};

template <typename Record>
Record* checked(Record* record) {
  if (record == nullptr) Sys_AssertFailed("config", __FILE__, __LINE__);
  return record;
}

CfgSettings* checked_config(CfgSettings* config) { return checked(config); }

QComboBox* combo_of(QWidget* parent, const char* name, const char* const* texts, size_t count) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (size_t i = 0; i < count; ++i) box->addItem(texts[i]);
  return box;
}

QSpinBox* spin_of(QWidget* parent, const char* name, int low, int high) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(name);
  spin->setRange(low, high);
  return spin;
}

QCheckBox* check_of(QWidget* parent, const char* text, const char* name) {
  auto* box = new QCheckBox(text, parent);
  box->setObjectName(name);
  return box;
}

QLineEdit* edit_of(QWidget* parent, const char* name, bool read_only = false) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  edit->setReadOnly(read_only);
  return edit;
}

// A flag bit of a record as a check box's value.
std::function<bool()> flag_get(const uint32_t* flags, uint32_t bit) {
  return [flags, bit] { return (*flags & bit) != 0; };
}
std::function<void(bool)> flag_set(uint32_t* flags, uint32_t bit) {
  return [flags, bit](bool on) { *flags = on ? *flags | bit : *flags & ~bit; };
}

void show_box(const SettingsBox& box) {
  Shell_Sink().message_box(Shell_OwnerWindow(), box.caption.c_str(), box.text.c_str(),
                           SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
}

bool ask_remove(const SettingsBox& box) {
  return Shell_Sink().message_box(Shell_OwnerWindow(), box.caption.c_str(), box.text.c_str(),
                                  SHELL_MB_YESNO | SHELL_MB_ICONQUESTION | SHELL_MB_DEFBUTTON2) == SHELL_IDYES;
}

// Insert adds, Delete removes, Enter and a double click edit.
class ListKeys : public QObject {
 public:
  ListKeys(QTreeWidget* list, std::function<void()> add, std::function<void()> edit, std::function<void()> remove)
      : QObject(list), add_(std::move(add)), edit_(std::move(edit)), remove_(std::move(remove)) {
    list->installEventFilter(this);
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { edit_(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Insert: add_(); return true;
      case Qt::Key_Delete:
        if (remove_) remove_();
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter: edit_(); return true;
      default: return QObject::eventFilter(watched, event);
    }
  }

 private:
  std::function<void()> add_, edit_, remove_;
};

// A list above a row of buttons.
QHBoxLayout* list_with_buttons(QWidget* page, QTreeWidget* list) {
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(list);
  auto* row = new QHBoxLayout;
  layout->addLayout(row);
  return row;
}

QPushButton* button_of(QWidget* page, QHBoxLayout* row, const char* text, std::function<void()> action) {
  auto* button = new QPushButton(text, page);
  row->addWidget(button);
  QObject::connect(button, &QPushButton::clicked, page, [action = std::move(action)] { action(); });
  return button;
}

QColor to_qcolor(CfgColor c) { return QColor(Cfg_Red(c), Cfg_Green(c), Cfg_Blue(c)); }

// The Colors page's "Example:": the selected entry's sample text, centred
// in the editor font and the entry's colours; white and empty without one.
class ColorSample : public QWidget {
 public:
  ColorSample(QWidget* parent, std::function<const CfgColorEntry*()> entry) : QWidget(parent), entry_(entry) {
    setObjectName("Sample");
    setMinimumHeight(40);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const CfgColorEntry* e = entry_();
    if (e == nullptr) {
      painter.fillRect(rect(), Qt::white);
      return;
    }
    painter.fillRect(rect(), to_qcolor(e->bg));
    QFont font = GUI_SetEditFont(this);
    painter.setFont(font);
    painter.setPen(to_qcolor(e->fg));
    painter.drawText(rect(), Qt::AlignCenter, e->sample ? e->sample : "");
  }

 private:
  std::function<const CfgColorEntry*()> entry_;
};

// The read-only name, size and status of a document's file.
void add_file_facts(QWidget* page, QFormLayout* form, const CfgFile& file) {
  const std::pair<const char*, const std::string*> facts[] = {
      {"File name:", &file.FileName}, {"Size:", &file.FileSize}, {"Status:", &file.FileStatus}};
  for (const auto& [label, text] : facts) {
    QLineEdit* edit = edit_of(page, label, true);
    edit->setText(QString::fromStdString(*text));
    form->addRow(label, edit);
  }
}

}  // namespace

// ------------------------------------------------------------ common

CAppPropertyPage::CAppPropertyPage(SettingsPage mask) : FwPropertyPage(AppSheet_PageTitle(mask)), mask_(mask) {
  setObjectName(QString("Page%1").arg(AppSheet_PageNumber(mask)));
}

bool CAppPropertyPage::OnSetActive() {
  if (Sheet() == nullptr) return true;
  AppSheet_SetLastActive(mask_);
  Reload();
  Activate();
  return true;
}

void CAppPropertyPage::Reload() {
  for (auto& load : loads_) load();
  for (auto& after : after_reload_) after();
}

void CAppPropertyPage::Changed() { SetModified(CopyDiffers()); }

void CAppPropertyPage::BindCheck(QCheckBox* box, std::function<bool()> get, std::function<void(bool)> set) {
  loads_.push_back([box, get] {
    QSignalBlocker block(box);
    box->setChecked(get());
  });
  connect(box, &QCheckBox::toggled, this, [this, set](bool on) {
    set(on);
    Changed();
  });
}

void CAppPropertyPage::BindCombo(QComboBox* box, std::function<int()> get, std::function<void(int)> set) {
  loads_.push_back([box, get] {
    QSignalBlocker block(box);
    int index = get();
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
  });
  connect(box, &QComboBox::currentIndexChanged, this, [this, set](int index) {
    if (index < 0) return;
    set(index);
    Changed();
  });
}

void CAppPropertyPage::BindSpin(QSpinBox* box, std::function<int()> get, std::function<void(int)> set) {
  loads_.push_back([box, get] {
    QSignalBlocker block(box);
    box->setValue(get());
  });
  connect(box, &QSpinBox::valueChanged, this, [this, set](int value) {
    set(value);
    Changed();
  });
}

void CAppPropertyPage::BindText(QLineEdit* edit, std::function<std::string()> get,
                                std::function<void(const std::string&)> set) {
  loads_.push_back([edit, get] {
    QSignalBlocker block(edit);
    edit->setText(QString::fromStdString(get()));
  });
  connect(edit, &QLineEdit::textChanged, this, [this, set](const QString& text) {
    set(text.toStdString());
    Changed();
  });
}

// ------------------------------------------------------------ General

CAppPropertyPage1::CAppPropertyPage1(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_General), record_(&checked_config(config)->General), copy_(*record_) {
  auto* form = new QFormLayout(this);
  QComboBox* mode = combo_of(this, "NewFileMode", AppSheet_ModeTexts, std::size(AppSheet_ModeTexts));
  QComboBox* codepage = combo_of(this, "Codepage", AppSheet_CodepageTexts, std::size(AppSheet_CodepageTexts));
  QCheckBox* autosave = check_of(this, "Enable &Auto-Save", "AutoSave");
  QSpinBox* interval = spin_of(this, "Interval", kIntervalMin, kIntervalMax);
  QLineEdit* directory = edit_of(this, "AutoSaveLocation");
  form->addRow("New-File Default:", mode);
  form->addRow("Code page:", codepage);
  form->addRow(autosave);
  form->addRow("&Interval (minutes):", interval);
  form->addRow("Auto-Save &Directory:", directory);

  BindCombo(
      mode, [this] { return AppSheet_ModeIndex(copy_.NewFileMode); },
      [this](int i) { copy_.NewFileMode = i + CfgFileMode_BinaryPROG; });
  BindCombo(
      codepage, [this] { return copy_.Codepage; }, [this](int i) { copy_.Codepage = i; });
  BindCheck(autosave, flag_get(&copy_.flags, CfgGeneral::AutoSave), flag_set(&copy_.flags, CfgGeneral::AutoSave));
  BindSpin(
      interval, [this] { return copy_.AutoSaveTimeout; }, [this](int v) { copy_.AutoSaveTimeout = v; });
  BindText(
      directory, [this] { return copy_.AutoSaveLocation; },
      [this](const std::string& t) { copy_.AutoSaveLocation = t; });
  auto enable = [this, interval, directory] {
    bool on = (copy_.flags & CfgGeneral::AutoSave) != 0;
    interval->setEnabled(on);
    directory->setEnabled(on);
  };
  OnReload(enable);
  connect(autosave, &QCheckBox::toggled, this, enable);
  Reload();
}

bool CAppPropertyPage1::OnApply() {
  DirUtil_NormalizePath(copy_.AutoSaveLocation);
  if (copy_.differs(*record_)) {
    *record_ = copy_;
    record_->modified = 1;
    record_->Save();
  }
  Reload();
  return true;
}

// ------------------------------------------------------------ Server

CAppPropertyPage2::CAppPropertyPage2() : CAppPropertyPage(SettingsPage_Server), list_(new CServerList(this)) {
  list_->setObjectName("ServerList");
  QHBoxLayout* row = list_with_buttons(this, list_);
  button_of(this, row, "&New Server...", [this] { OnNew(); });
  button_of(this, row, "&Edit...", [this] { OnEdit(); });
  button_of(this, row, "&Remove", [this] { OnRemove(); });
  new ListKeys(
      list_, [this] { OnNew(); }, [this] { OnEdit(); }, [this] { OnRemove(); });
}

void CAppPropertyPage2::Activate() { list_->Init(); }

namespace {

std::vector<std::string> server_names(const CServerList& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.GetItemCount(); ++i)
    names.push_back(static_cast<const ServerINFO*>(list.GetItemInfo(i))->Server);
  return names;
}

// Runs the server dialog until its fields pass or it is cancelled.
bool run_server_dialog(QWidget* parent, CServerDlg* dlg, const std::vector<std::string>& names, int except) {
  (void)parent;
  for (;;) {
    if (dlg->DoModal() != QDialog::Accepted) return false;
    ServerFields fields{dlg->m_Title, dlg->m_Server, dlg->m_Service, dlg->m_Login, dlg->m_Password, dlg->m_Password2};
    std::optional<SettingsBox> refused = Server_CheckEntry(fields, names, except);
    if (!refused) return true;
    show_box(*refused);
  }
}

void take_server_fields(const CServerDlg& dlg, ServerINFO* info) {
  info->Title = dlg.m_Title;
  info->Server = dlg.m_Server;
  info->Service = dlg.m_Service;
  info->Login = dlg.m_Login;
  info->SecurePswd = EncryptString(dlg.m_Password.c_str(), dlg.m_Server.c_str());
}

}  // namespace

void CAppPropertyPage2::OnNew() {
  if (!list_->ColumnsSetUp()) return;
  CServerDlg dlg(this);
  dlg.m_Service = Server_DefaultService;
  if (!run_server_dialog(this, &dlg, server_names(*list_), -1)) return;
  auto* info = new ServerINFO;
  take_server_fields(dlg, info);
  if (list_->AddItem(info) < 0) {
    delete info;
    return;
  }
  SetModified(true);
}

void CAppPropertyPage2::OnEdit() {
  int index = list_->GetSelectedIdx();
  auto* info = static_cast<ServerINFO*>(list_->GetItemInfo(index));
  if (info == nullptr) return;
  CServerDlg dlg(this);
  dlg.m_Title = info->Title;
  dlg.m_Server = info->Server;
  dlg.m_Service = info->Service;
  dlg.m_Login = info->Login;
  // A stored password that does not decipher gives empty fields.
  dlg.m_Password = DecryptString(info->SecurePswd.c_str(), info->Server.c_str());
  dlg.m_Password2 = dlg.m_Password;
  if (!run_server_dialog(this, &dlg, server_names(*list_), index)) return;
  take_server_fields(dlg, info);
  list_->UpdateItem(index, info);
  SetModified(true);
}

void CAppPropertyPage2::OnRemove() {
  int index = list_->GetSelectedIdx();
  auto* info = static_cast<ServerINFO*>(list_->GetItemInfo(index));
  if (info == nullptr || !ask_remove(Server_RemoveQuestion(info->Server))) return;
  list_->RemoveItem(index);
  SetModified(true);
}

bool CAppPropertyPage2::OnApply() { return list_->SaveConfig(); }

// ------------------------------------------------------------ Debug

CAppPropertyPage3::CAppPropertyPage3(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_Debug),
      list_(new CDebugList(this)),
      record_(&checked_config(config)->Debug),
      copy_(*record_) {
  list_->setObjectName("DebugList");
  QHBoxLayout* row = list_with_buttons(this, list_);
  button_of(this, row, "&New Session...", [this] { OnNew(); });
  button_of(this, row, "&Edit...", [this] { OnEdit(); });
  button_of(this, row, "&Remove", [this] { OnRemove(); });
  new ListKeys(
      list_, [this] { OnNew(); }, [this] { OnEdit(); }, [this] { OnRemove(); });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    copy_.CurrentSession = list_->GetSelectedIdx();
    Changed();
  });
}

void CAppPropertyPage3::Activate() {
  if (list_->ColumnsSetUp()) return;
  list_->Setup();
  QSignalBlocker block(list_);
  if (copy_.CurrentSession >= 0 && copy_.CurrentSession < list_->GetItemCount())
    list_->SelectItem(copy_.CurrentSession);
}

std::vector<std::string> CAppPropertyPage3::Titles() const {
  std::vector<std::string> titles;
  for (int i = 0; i < list_->GetItemCount(); ++i)
    titles.push_back(static_cast<const DebugINFO*>(list_->GetItemInfo(i))->Description);
  return titles;
}

namespace {

bool run_session_dialog(CDebugSessionDlg* dlg, const std::vector<std::string>& titles, int except) {
  for (;;) {
    if (dlg->DoModal() != QDialog::Accepted) return false;
    std::optional<SettingsBox> refused = Debug_CheckEntry(dlg->m_Description, titles, except);
    if (!refused) return true;
    show_box(*refused);
  }
}

}  // namespace

void CAppPropertyPage3::OnNew() {
  if (!list_->ColumnsSetUp()) return;
  CDebugSessionDlg dlg(this);
  if (!run_session_dialog(&dlg, Titles(), -1)) return;
  auto* info = new DebugINFO(dlg.GetInfo());
  int row = list_->AddItem(info);
  if (row < 0) {
    delete info;
    return;
  }
  list_changed_ = true;
  list_->SelectItem(row);
  Changed();
}

void CAppPropertyPage3::OnEdit() {
  int index = list_->GetSelectedIdx();
  auto* info = static_cast<DebugINFO*>(list_->GetItemInfo(index));
  if (info == nullptr) return;
  CDebugSessionDlg dlg(this);
  dlg.SetInfo(*info);
  if (!run_session_dialog(&dlg, Titles(), index)) return;
  *info = dlg.GetInfo();
  list_->UpdateItem(index, info);
  list_changed_ = true;
  Changed();
}

void CAppPropertyPage3::OnRemove() {
  int index = list_->GetSelectedIdx();
  auto* info = static_cast<DebugINFO*>(list_->GetItemInfo(index));
  if (info == nullptr || !ask_remove(Debug_RemoveQuestion(info->Description))) return;
  list_->RemoveItem(index);
  list_changed_ = true;
  copy_.CurrentSession = list_->GetSelectedIdx();
  Changed();
}

bool CAppPropertyPage3::OnApply() {
  if (copy_.differs(*record_)) {
    record_->CurrentSession = copy_.CurrentSession;
    record_->modified = 1;
    record_->Save();
  }
  if (list_changed_ && !list_->SaveConfig()) return false;
  list_changed_ = false;
  return true;
}

// ------------------------------------------------------------ Edit

CAppPropertyPage4::CAppPropertyPage4(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_Edit), record_(&checked_config(config)->Edit), copy_(*record_) {
  auto* form = new QFormLayout(this);
  category_combo_ = combo_of(this, "Category", AppSheet_EditCategoryTexts, std::size(AppSheet_EditCategoryTexts));
  QSpinBox* tab = spin_of(this, "TabSize", kTabSizeMin, kTabSizeMax);
  QSpinBox* indent = spin_of(this, "IndentSize", 0, kIndentMax);
  QComboBox* insert = combo_of(this, "InsertCursor", AppSheet_CursorTexts, std::size(AppSheet_CursorTexts));
  QComboBox* overwrite = combo_of(this, "OverwriteCursor", AppSheet_CursorTexts, std::size(AppSheet_CursorTexts));
  form->addRow("&Category:", category_combo_);
  form->addRow("Tab &Size:", tab);
  form->addRow("&Indent:", indent);
  form->addRow("Insert cursor:", insert);
  form->addRow("Overwrite cursor:", overwrite);
  const std::pair<const char*, uint32_t> checks[] = {
      {"&Overwrite", CfgEditItem::Overwrite},
      {"&Line wrap", CfgEditItem::LineWrap},
      {"&Automatic line indenting", CfgEditItem::AutoIndent},
      {"Use &enhancement characters", CfgEditItem::UseEnhancements},
  };
  for (const auto& [text, bit] : checks) {
    QCheckBox* box = check_of(this, text, QString(text).remove('&').toUtf8().constData());
    form->addRow(box);
    BindCheck(
        box, [this, bit] { return (Shown().flags & bit) != 0; },
        [this, bit](bool on) { Shown().flags = on ? Shown().flags | bit : Shown().flags & ~bit; });
  }
  BindSpin(
      tab, [this] { return static_cast<int>(Shown().TabSize); },
      [this](int v) { Shown().TabSize = static_cast<uint32_t>(v); });
  BindSpin(
      indent, [this] { return static_cast<int>(Shown().IndentSize); },
      [this](int v) { Shown().IndentSize = static_cast<uint32_t>(v); });
  BindCombo(
      insert, [this] { return Shown().InsertCursorShape; }, [this](int i) { Shown().InsertCursorShape = i; });
  BindCombo(
      overwrite, [this] { return Shown().OverwriteCursorShape; }, [this](int i) { Shown().OverwriteCursorShape = i; });
  OnReload([this] {
    QSignalBlocker block(category_combo_);
    category_combo_->setCurrentIndex(category_);
  });
  connect(category_combo_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    category_ = index;
    AppSheet_SetEditCategory(index);
    Reload();
  });
  category_ = AppSheet_EditCategory(false, 0);
  Reload();
}

void CAppPropertyPage4::Activate() {
  auto* file = dynamic_cast<CAppPropertyPage6*>(CAppPropertySheet::GetSheetPage(this, SettingsPage_File));
  category_ = AppSheet_EditCategory(file != nullptr, file ? file->Copy().FileMode : 0);
  category_combo_->setEnabled(file == nullptr);
  Reload();
}

bool CAppPropertyPage4::OnApply() {
  if (copy_.differs(*record_)) {
    *record_ = copy_;
    record_->modified = 1;
    record_->Save();
  }
  return true;
}

// ------------------------------------------------------------ Colors

CAppPropertyPage5::CAppPropertyPage5(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_Colors),
      record_(&checked_config(config)->Colors),
      copy_(*record_),
      list_(new ColorList(this)) {
  list_->setObjectName("ColorList");
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  auto* side = new QVBoxLayout;
  layout->addLayout(side, 1);
  auto* text = new QPushButton("&Text", this);
  text->setObjectName("TextColor");
  auto* background = new QPushButton("&Background", this);
  background->setObjectName("BackgroundColor");
  side->addWidget(text);
  side->addWidget(background);
  side->addWidget(new QLabel("Example:", this));
  sample_ = new ColorSample(this, [this] { return list_->GetItem(list_->GetSelected()); });
  side->addWidget(sample_, 1);
  syntax_ = check_of(this, "&Syntax-coloring", "SyntaxColor");
  side->addWidget(syntax_);
  connect(text, &QPushButton::clicked, this, [this] { PickColor(false); });
  connect(background, &QPushButton::clicked, this, [this] { PickColor(true); });
  connect(list_, &QTreeWidget::itemSelectionChanged, sample_, qOverload<>(&QWidget::update));
  connect(syntax_, &QCheckBox::toggled, this, [this](bool on) {
    if (auto* program = dynamic_cast<CAppPropertyPage8*>(CAppPropertySheet::GetSheetPage(this, SettingsPage_Program)))
      program->SetSyntaxColor(on);
  });
}

void CAppPropertyPage5::Activate() {
  list_->Setup(&copy_);
  auto* program = dynamic_cast<CAppPropertyPage8*>(CAppPropertySheet::GetSheetPage(this, SettingsPage_Program));
  QSignalBlocker block(syntax_);
  syntax_->setVisible(program != nullptr);
  syntax_->setEnabled(program != nullptr);
  syntax_->setChecked(program && (program->Copy().options & CfgProgram::SyntaxColor));
  sample_->update();
}

void CAppPropertyPage5::PickColor(bool background) {
  const CfgColorEntry* entry = list_->GetItem(list_->GetSelected());
  if (entry == nullptr) return;
  QColor chosen = QColorDialog::getColor(to_qcolor(background ? entry->bg : entry->fg), this);
  if (chosen.isValid())
    SetSelectedColor(background, Cfg_RGB(static_cast<unsigned>(chosen.red()), static_cast<unsigned>(chosen.green()),
                                         static_cast<unsigned>(chosen.blue())));
}

void CAppPropertyPage5::SetSelectedColor(bool background, CfgColor color) {
  CfgColorEntry* entry = list_->GetItem(list_->GetSelected());
  if (entry == nullptr) return;
  (background ? entry->bg : entry->fg) = color;
  Changed();
  sample_->update();
}

bool CAppPropertyPage5::OnApply() {
  if (copy_.differs(*record_)) {
    *record_ = copy_;
    record_->modified = 1;
    record_->Save();
  }
  return true;
}

// ------------------------------------------------------------ File

CAppPropertyPage6::CAppPropertyPage6(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_File), record_(&checked_config(config)->File), copy_(*record_) {
  auto* form = new QFormLayout(this);
  add_file_facts(this, form, copy_);
  QComboBox* mode = combo_of(this, "FileMode", AppSheet_ModeTexts, std::size(AppSheet_ModeTexts));
  QComboBox* codepage = combo_of(this, "Codepage", AppSheet_CodepageTexts, std::size(AppSheet_CodepageTexts));
  QCheckBox* autosave = check_of(this, "Enable &Auto-Save", "AutoSave");
  QCheckBox* read_only = check_of(this, "&Read-Only", "ReadOnly");
  password_ = new QPushButton(this);
  password_->setObjectName("Password");
  form->addRow("&Mode:", mode);
  form->addRow("&Code page:", codepage);
  form->addRow(autosave);
  form->addRow(read_only);
  form->addRow(password_);
  BindCombo(
      mode, [this] { return AppSheet_ModeIndex(copy_.FileMode); },
      [this](int i) {
        copy_.FileMode = i + CfgFileMode_BinaryPROG;
        ModeChanged();
      });
  BindCombo(
      codepage, [this] { return copy_.Codepage; },
      [this](int i) {
        copy_.Codepage = i;
        AppSheet_UpdateFileChanged(&copy_, *record_, password_changed_);
      });
  BindCheck(autosave, flag_get(&copy_.flags, CfgFile::AutoSave), flag_set(&copy_.flags, CfgFile::AutoSave));
  BindCheck(read_only, flag_get(&copy_.flags, CfgFile::ReadOnly), flag_set(&copy_.flags, CfgFile::ReadOnly));
  OnReload([this, read_only] {
    bool locked = (copy_.flags & CfgFile::Locked) != 0;
    read_only->setEnabled(!locked);
    password_->setText(QString::fromStdString(AppSheet_PasswordButtonText(copy_)));
    password_->setEnabled(AppSheet_PasswordAllowed(copy_));
  });
  connect(password_, &QPushButton::clicked, this, [this] { OnPassword(); });
  Reload();
}

void CAppPropertyPage6::ModeChanged() {
  AppSheet_UpdateFileChanged(&copy_, *record_, password_changed_);
  if (Cfg_IsBinaryFileMode(copy_.FileMode))
    CAppPropertySheet::AddPage(this, SettingsPage_Program);
  else
    CAppPropertySheet::RemovePage(this, SettingsPage_Program);
  Reload();
}

void CAppPropertyPage6::Activate() {}

void CAppPropertyPage6::OnPassword() {
  std::string digest = copy_.PasswordDigest;
  if (!CChangePasswdDlg::Run(&digest, this)) return;
  if (digest != copy_.PasswordDigest) {
    copy_.PasswordDigest = digest;
    password_changed_ = true;
  }
  AppSheet_UpdateFileChanged(&copy_, *record_, password_changed_);
  Reload();
  Changed();
}

bool CAppPropertyPage6::OnApply() {
  *record_ = copy_;
  return true;
}

// ------------------------------------------------------------ Help

CAppPropertyPage7::CAppPropertyPage7(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_Help), record_(&checked_config(config)->Help), copy_(*record_) {
  auto* layout = new QVBoxLayout(this);
  QLineEdit* location = edit_of(this, "ConfigLocation");
  QLineEdit* url = edit_of(this, "ConfigURL");
  auto* location_label = new QLabel("&Location of on-line help configuration file", this);
  location_label->setBuddy(location);
  auto* url_label = new QLabel("&URL if documentation is installed on a Web server", this);
  url_label->setBuddy(url);
  layout->addWidget(location_label);
  layout->addWidget(location);
  layout->addWidget(url_label);
  layout->addWidget(url);
  layout->addStretch(1);
  BindText(
      location, [this] { return copy_.ConfigLocation; }, [this](const std::string& t) { copy_.ConfigLocation = t; });
  BindText(
      url, [this] { return copy_.ConfigURL; }, [this](const std::string& t) { copy_.ConfigURL = t; });
  Reload();
}

bool CAppPropertyPage7::OnApply() {
  DirUtil_NormalizePath(copy_.ConfigLocation);
  if (copy_.differs(*record_)) {
    *record_ = copy_;
    record_->modified = 1;
    record_->Save();
    if (ContentWnd* pane = Browse_HelpPane()) pane->Reload();  // the pane reads the new file
  }
  copy_ = *record_;  // with the base address the new file names
  Reload();
  return true;
}

// ------------------------------------------------------------ Program

CAppPropertyPage8::CAppPropertyPage8(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_Program), record_(&checked_config(config)->Program), copy_(*record_) {
  auto* form = new QFormLayout(this);
  const std::pair<const char*, uint32_t> checks[] = {
      {"&On-line syntax-checking", CfgProgram::SyntaxCheck},
      {"&Syntax-coloring", CfgProgram::SyntaxColor},
      {"Space &dependent typing", CfgProgram::SpaceDepend},
      {"L&anguage-sensitive line indenting", CfgProgram::AutoIndent},
      {"&Re-indent lines", CfgProgram::ReIndent},
      {"S&how line number", CfgProgram::ShowLineNumber},
  };
  for (const auto& [text, bit] : checks) {
    QCheckBox* box = check_of(this, text, QString(text).remove('&').toUtf8().constData());
    form->addRow(box);
    BindCheck(box, flag_get(&copy_.options, bit), flag_set(&copy_.options, bit));
  }
  QSpinBox* start = spin_of(this, "StartLine", kLineNumberMin, kLineNumberMax);
  QSpinBox* step = spin_of(this, "LineIncrement", kLineNumberMin, kLineNumberMax);
  form->addRow("Start with &line number", start);
  form->addRow("Increment line &number by", step);
  BindSpin(
      start, [this] { return copy_.StartLine; }, [this](int v) { copy_.StartLine = static_cast<uint16_t>(v); });
  BindSpin(
      step, [this] { return copy_.LineIncrement; }, [this](int v) { copy_.LineIncrement = static_cast<uint16_t>(v); });
  Reload();
}

void CAppPropertyPage8::SetSyntaxColor(bool on) {
  flag_set(&copy_.options, CfgProgram::SyntaxColor)(on);
  Reload();
  Changed();
}

bool CAppPropertyPage8::OnApply() {
  if (copy_.differs(*record_)) {
    *record_ = copy_;
    record_->modified = 1;
    record_->Save();
  }
  return true;
}

// ------------------------------------------------------------ Passwords

CAppPropertyPage9::CAppPropertyPage9() : CAppPropertyPage(SettingsPage_Passwords), list_(new PasswdList(this)) {
  list_->setObjectName("PasswdList");
  QHBoxLayout* row = list_with_buttons(this, list_);
  button_of(this, row, "&New Password...", [this] { OnNew(); });
  button_of(this, row, "&Edit...", [this] { OnEdit(); });
  button_of(this, row, "&Remove", [this] { OnRemove(); });
  new ListKeys(
      list_, [this] { OnNew(); }, [this] { OnEdit(); }, [this] { OnRemove(); });
}

void CAppPropertyPage9::Activate() { list_->Setup(); }

namespace {

bool run_passwd_dialog(CPasswdSetupDlg* dlg, const std::vector<std::string>& names, int except) {
  for (;;) {
    if (dlg->DoModal() != QDialog::Accepted) return false;
    std::optional<SettingsBox> refused =
        Passwd_CheckEntry({dlg->m_Description, dlg->m_Password, dlg->m_Confirm}, names, except);
    if (!refused) return true;
    show_box(*refused);
  }
}

}  // namespace

void CAppPropertyPage9::OnNew() {
  if (!list_->ColumnsSetUp()) return;
  CPasswdSetupDlg dlg(this);
  if (!run_passwd_dialog(&dlg, list_->Names(), -1)) return;
  auto* pwi = new PasswdINFO{dlg.m_Description, Passwd_Digest(dlg.m_Password)};
  if (list_->AddItem(pwi) < 0) {
    delete pwi;
    return;
  }
  SetModified(true);
}

void CAppPropertyPage9::OnEdit() {
  int index = list_->GetSelected();
  PasswdINFO* pwi = list_->GetItem(index);
  if (pwi == nullptr) return;
  CPasswdSetupDlg dlg(this);
  dlg.m_Description = pwi->Description;
  dlg.m_Password = pwi->Digest;
  dlg.m_Confirm = pwi->Digest;
  if (!run_passwd_dialog(&dlg, list_->Names(), index)) return;
  pwi->Description = dlg.m_Description;
  pwi->Digest = Passwd_EntryDigest(pwi->Digest, dlg.m_Password);
  list_->ReplaceItem(index, pwi);
  SetModified(true);
}

void CAppPropertyPage9::OnRemove() {
  int index = list_->GetSelected();
  PasswdINFO* pwi = list_->GetItem(index);
  if (pwi == nullptr || !ask_remove(Passwd_RemoveQuestion(pwi->Description))) return;
  list_->RemoveItem(index);
  SetModified(true);
}

bool CAppPropertyPage9::OnApply() { return list_->Save(); }

// ------------------------------------------------------------ Environment

CAppPropertyPage10::CAppPropertyPage10() : CAppPropertyPage(SettingsPage_Environment), list_(new EnvList(this)) {
  list_->setObjectName("EnvList");
  QHBoxLayout* row = list_with_buttons(this, list_);
  button_of(this, row, "&New Variable...", [this] { OnNew(); });
  button_of(this, row, "&Edit...", [this] { OnEdit(); });
  button_of(this, row, "&Remove", [this] { OnRemove(); });
  new ListKeys(
      list_, [this] { OnNew(); }, [this] { OnEdit(); }, [this] { OnRemove(); });
}

void CAppPropertyPage10::Activate() { list_->Setup(); }

namespace {

bool run_env_dialog(CEnvVarDlg* dlg, const std::vector<std::string>& names, int except) {
  for (;;) {
    if (dlg->DoModal() != QDialog::Accepted) return false;
    std::optional<SettingsBox> refused = Env_CheckEntry({dlg->m_Name, dlg->m_Value}, names, except);
    if (!refused) return true;
    show_box(*refused);
  }
}

}  // namespace

void CAppPropertyPage10::OnNew() {
  if (!list_->ColumnsSetUp()) return;
  CEnvVarDlg dlg(this);
  if (!run_env_dialog(&dlg, list_->Names(), -1)) return;
  auto* env = new EnvINFO{dlg.m_Name, dlg.m_Value};
  if (list_->AddItem(env) < 0) {
    delete env;
    return;
  }
  SetModified(true);
}

void CAppPropertyPage10::OnEdit() {
  int index = list_->GetSelected();
  EnvINFO* env = list_->GetItem(index);
  if (env == nullptr) return;
  CEnvVarDlg dlg(this);
  dlg.m_Name = env->Name;
  dlg.m_Value = env->Value;
  if (!run_env_dialog(&dlg, list_->Names(), index)) return;
  env->Name = dlg.m_Name;
  env->Value = dlg.m_Value;
  list_->ReplaceItem(index, env);
  SetModified(true);
}

void CAppPropertyPage10::OnRemove() {
  int index = list_->GetSelected();
  EnvINFO* env = list_->GetItem(index);
  if (env == nullptr || !ask_remove(Env_RemoveQuestion(env->Name))) return;
  list_->RemoveItem(index);
  SetModified(true);
}

bool CAppPropertyPage10::OnApply() { return list_->Save(); }

// ------------------------------------------------------------ Plug-In

CAppPropertyPage11::CAppPropertyPage11() : CAppPropertyPage(SettingsPage_PlugIn), list_(new QTreeWidget(this)) {
  list_->setObjectName("PluginList");
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  InsertFittedColumn(list_, 0, "Installed Plug-In Modules");
  QHBoxLayout* row = list_with_buttons(this, list_);
  button_of(this, row, "&Info...", [this] { OnInfo(); });
  button_of(this, row, "&Setup...", [this] { OnSetup(); });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { OnInfo(); });
}

namespace {

// The index of the selected plug-in, or -1.
int selected_plugin(const QTreeWidget* list) {
  QTreeWidgetItem* item = list->currentItem();
  if (item == nullptr || !item->isSelected()) return -1;
  return list->indexOfTopLevelItem(item);
}

}  // namespace

void CAppPropertyPage11::Activate() {
  if (filled_) return;
  filled_ = true;
  for (const DesignerPlugin& plugin : Shell_Neighbours().designer->Plugins()) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, QString::fromStdString(plugin.texts.empty() ? std::string() : plugin.texts.front()));
  }
}

void CAppPropertyPage11::OnInfo() {
  const int plugin = selected_plugin(list_);
  if (plugin >= 0) Shell_Neighbours().designer->ShowInfo(plugin);
}

void CAppPropertyPage11::OnSetup() {
  const int plugin = selected_plugin(list_);
  if (plugin >= 0) Shell_Neighbours().designer->Setup(plugin);
}

// ------------------------------------------------------------ other File

CAppPropertyPage12::CAppPropertyPage12(CfgSettings* config)
    : CAppPropertyPage(SettingsPage_OtherFile), record_(&checked_config(config)->File), copy_(*record_) {
  auto* form = new QFormLayout(this);
  add_file_facts(this, form, copy_);
  QCheckBox* autosave = check_of(this, "Enable &Auto-Save", "AutoSave");
  QCheckBox* read_only = check_of(this, "&Read-Only", "ReadOnly");
  form->addRow(autosave);
  form->addRow(read_only);
  BindCheck(autosave, flag_get(&copy_.flags, CfgFile::AutoSave), flag_set(&copy_.flags, CfgFile::AutoSave));
  BindCheck(read_only, flag_get(&copy_.flags, CfgFile::ReadOnly), flag_set(&copy_.flags, CfgFile::ReadOnly));
  OnReload([this, read_only] { read_only->setEnabled(!(copy_.flags & CfgFile::Locked)); });
  Reload();
}

bool CAppPropertyPage12::OnApply() {
  *record_ = copy_;
  return true;
}
