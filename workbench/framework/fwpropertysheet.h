// A property sheet: a dialog of tabbed pages with OK, Cancel and Apply.
// Apply is enabled while a page is modified; pages can be added and removed
// while the sheet is open.
#pragma once

#include <vector>

#include <QDialog>

class FwPropertyPage;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

class FwPropertySheet : public QDialog {
 public:
  explicit FwPropertySheet(const QString& caption, QWidget* parent = nullptr);

  // The sheet takes the page.
  void AddPage(FwPropertyPage* page);
  // Removes (and deletes) a page; the active one passes to a neighbour.
  void RemovePage(FwPropertyPage* page);
  // Removes a page without deleting it: the caller owns it again (hidden,
  // a child of the sheet until then) and may add it later. False when the
  // page is not in the sheet.
  bool TakePage(FwPropertyPage* page);
  // The tab index of a page, -1 when it is not in the sheet.
  int IndexOf(const FwPropertyPage* page) const;
  int PageCount() const;
  FwPropertyPage* Page(int index) const;
  FwPropertyPage* ActivePage() const;
  bool SetActivePage(int index);

  // Apply: every modified page applies; false when one refused (that page
  // stays modified and becomes active).
  bool Apply();
  void UpdateApply();
  QPushButton* ApplyButton() const;

  void accept() override;
  void reject() override;

 private:
  QTabWidget* tabs_;
  QDialogButtonBox* buttons_;
  int current_ = -1;
};
