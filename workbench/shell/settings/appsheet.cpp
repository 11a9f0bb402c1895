#include "workbench/shell/settings/appsheet.h"

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include "workbench/base/shellsink.h"
#include "workbench/base/sysassert.h"
#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/frames/yqapp.h"
#include "workbench/shell/neighbours.h"
#include "workbench/shell/settings/apppages.h"
#include "workbench/shell/settings/passwddlgs.h"

namespace {

CAppPropertyPage* checked_page(CAppPropertyPage* pPage) {
  if (pPage == nullptr) Sys_AssertFailed("pPage", __FILE__, __LINE__);
  return pPage;
}

}  // namespace

CAppPropertySheet::CAppPropertySheet(const std::string& title, CfgSettings* config, unsigned mask, QWidget* parent)
    : FwPropertySheet(QString::fromStdString(title + " Properties"), parent), mask_(mask & SettingsPage_All) {
  setObjectName("AppPropertySheet");
  // Every tab in sight: the sheet is as wide as its tabs.
  if (auto* tabs = findChild<QTabWidget*>()) tabs->setUsesScrollButtons(false);
  CAppPropertyPage* built[SettingsPage_Count] = {
      new CAppPropertyPage1(config), new CAppPropertyPage2(),       new CAppPropertyPage3(config),
      new CAppPropertyPage4(config), new CAppPropertyPage5(config), new CAppPropertyPage6(config),
      new CAppPropertyPage7(config), new CAppPropertyPage8(config), new CAppPropertyPage9(),
      new CAppPropertyPage10(),      new CAppPropertyPage11(),      new CAppPropertyPage12(config),
  };
  for (size_t i = 0; i < pages_.size(); ++i) {
    pages_[i] = built[i];
    pages_[i]->setParent(this);
    pages_[i]->hide();
  }
  // Adding the first page makes it active: the page to open at is chosen
  // before that.
  int start = AppSheet_StartIndex(mask_);
  for (SettingsPage page : AppSheet_Pages(mask_)) FwPropertySheet::AddPage(GetPage(page));
  SetActivePage(start);
}

CAppPropertySheet::~CAppPropertySheet() {
  // Taking pages out activates their neighbours: out of the sheet first,
  // so that closing it records no page as the last one looked at.
  for (CAppPropertyPage* page : pages_) page->SetSheet(nullptr);
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) {
    TakePage(*it);
    delete *it;
  }
}

CAppPropertyPage* CAppPropertySheet::GetPage(unsigned page) const {
  int number = AppSheet_PageNumber(page);
  return number == 0 ? nullptr : pages_[static_cast<size_t>(number - 1)];
}

bool CAppPropertySheet::IsShown(unsigned page) const { return IndexOf(GetPage(page)) >= 0; }

CAppPropertySheet* CAppPropertySheet::SheetOf(CAppPropertyPage* pPage) {
  for (QWidget* w = checked_page(pPage)->parentWidget(); w != nullptr; w = w->parentWidget())
    if (auto* sheet = dynamic_cast<CAppPropertySheet*>(w)) return sheet;
  return nullptr;
}

CAppPropertyPage* CAppPropertySheet::GetSheetPage(CAppPropertyPage* pPage, unsigned page) {
  CAppPropertySheet* sheet = SheetOf(pPage);
  return sheet != nullptr && sheet->IsShown(page) ? sheet->GetPage(page) : nullptr;
}

void CAppPropertySheet::AddPage(CAppPropertyPage* pPage, unsigned page) {
  CAppPropertySheet* sheet = SheetOf(pPage);
  if (sheet == nullptr || sheet->IsShown(page) || sheet->GetPage(page) == nullptr) return;
  sheet->FwPropertySheet::AddPage(sheet->GetPage(page));
}

void CAppPropertySheet::RemovePage(CAppPropertyPage* pPage, unsigned page) {
  CAppPropertySheet* sheet = SheetOf(pPage);
  if (sheet != nullptr) sheet->TakePage(sheet->GetPage(page));
}

// ------------------------------------------------------------ in the environment

namespace {

QWidget* owner() { return static_cast<QWidget*>(Shell_OwnerWindow()); }

std::string application_title() {
  QWidget* main = owner();
  return main != nullptr && !main->windowTitle().isEmpty() ? main->windowTitle().toStdString() : Shell_AppName();
}

// The Application Properties command: the application's settings;
// afterwards the program documents take them over.
void RegisterAppProperties(FwWindows& windows) {
  if (windows.Kind(ID_APP_PROPERTIES) != nullptr) return;
  windows.Register({ID_APP_PROPERTIES, ID_APP_PROPERTIES, nullptr, FwKindScope::Single, FwKindHost::Modal,
                    []() -> QWidget* {
                      CYqApp* app = YqApp();
                      if (app == nullptr) return nullptr;
                      return new CAppPropertySheet(application_title(), &app->m_Config, SettingsPages_Application,
                                                   owner());
                    },
                    [](QWidget*, int) { Shell_Neighbours().program->ApplySettings(); }});
}

class DocumentSettingsLink : public SettingsLink {
 public:
  bool Plugged() const override { return true; }
  bool RunSheet(const std::string& title, CfgSettings* config, unsigned mask) override {
    CAppPropertySheet sheet(title, config, mask, owner());
    return sheet.exec() == QDialog::Accepted;
  }
  bool RunDocumentSheet(const std::string& title, CfgSettings* config) override {
    return RunSheet(title, config, AppSheet_DocumentPages(config ? config->File.FileMode : CfgFileMode_Text_CRLF));
  }
  bool AskPassword(const char* file_name, std::string* digest, bool* add_to_list) override {
    return CPasswdDlg::AskPassword(file_name, digest, add_to_list);
  }
  bool AddToPasswordList(const std::string& digest) override { return CPasswdDescDlg::AddToPasswordList(digest); }
};

// VARNICA_SNAPSHOT_PROPERTIES=file.png: once the environment runs, the
// application's sheet is shown and its picture saved, for pictures of the
// environment.
void snapshot_sheet(const QString& path) {
  CYqApp* app = YqApp();
  if (app == nullptr) return;
  CAppPropertySheet sheet(application_title(), &app->m_Config, SettingsPages_Application, owner());
  sheet.show();
  QApplication::processEvents();
  if (!sheet.grab().save(path, "PNG")) fprintf(stderr, "tessarine: cannot write %s\n", path.toLocal8Bit().constData());
}

}  // namespace

void Settings_Install() {
  static DocumentSettingsLink settings;
  Shell_Neighbours().settings = &settings;
  if (FwApp* app = Fw_App(); app != nullptr && YqApp() != nullptr) RegisterAppProperties(app->Windows());
  const char* shot = std::getenv("VARNICA_SNAPSHOT_PROPERTIES");
  if (shot != nullptr && *shot != '\0' && QApplication::instance() != nullptr) {
    QString path = QString::fromLocal8Bit(shot);
    QTimer::singleShot(0, QApplication::instance(), [path] { snapshot_sheet(path); });
  }
}
