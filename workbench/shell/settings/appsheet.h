// The Application Properties sheet: the twelve settings pages, of which a
// mask chooses the ones shown (sheetrules.h). It is built for one modal run
// over a configuration (the application's or a document's copy) and opens
// at the page the user looked at last.
#pragma once

#include <array>
#include <string>

#include "workbench/framework/fwpropertysheet.h"
#include "workbench/shell/settings/sheetrules.h"

class CAppPropertyPage;
class CfgSettings;

class CAppPropertySheet : public FwPropertySheet {
 public:
  // Builds every page and adds those of `mask` in tab order; the caption is
  // "<title> Properties".
  CAppPropertySheet(const std::string& title, CfgSettings* config, unsigned mask, QWidget* parent = nullptr);
  ~CAppPropertySheet() override;  // the pages, in reverse order

  unsigned PageMask() const { return mask_; }
  // The page object of one page bit (whether shown or not), or null.
  CAppPropertyPage* GetPage(unsigned page) const;
  bool IsShown(unsigned page) const;

  // From a page: the sheet it is in (found through its parent windows),
  // that sheet's page of `page` when shown, adding and removing one. A null
  // page is a failed check.
  static CAppPropertySheet* SheetOf(CAppPropertyPage* pPage);
  static CAppPropertyPage* GetSheetPage(CAppPropertyPage* pPage, unsigned page);
  static void AddPage(CAppPropertyPage* pPage, unsigned page);
  static void RemovePage(CAppPropertyPage* pPage, unsigned page);

 private:
  std::array<CAppPropertyPage*, SettingsPage_Count> pages_{};
  unsigned mask_;
};

// Plugs the sheet into the environment: the main frame's Application
// Properties (the application's settings, after which the program
// documents take them over) and the documents' sheets and password dialogs.
void Settings_Install();
