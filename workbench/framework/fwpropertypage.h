// One page of a property sheet. The sheet tells it when it becomes active
// and inactive and when Apply or OK is pressed; the page marks itself
// modified, which enables the sheet's Apply button.
#pragma once

#include <QWidget>

class FwPropertySheet;

class FwPropertyPage : public QWidget {
 public:
  explicit FwPropertyPage(const QString& title, QWidget* parent = nullptr);

  const QString& Title() const { return title_; }
  FwPropertySheet* Sheet() const { return sheet_; }
  void SetSheet(FwPropertySheet* sheet) { sheet_ = sheet; }
  bool IsModified() const { return modified_; }
  void SetModified(bool modified = true);

  // The page is shown; false refuses.
  virtual bool OnSetActive() { return true; }
  // The page is left (another tab, OK or Apply); false keeps it.
  virtual bool OnKillActive() { return true; }
  // Apply or OK: the page writes its settings back. False refuses.
  virtual bool OnApply() { return true; }
  virtual void OnCancel() {}

 private:
  QString title_;
  FwPropertySheet* sheet_ = nullptr;
  bool modified_ = false;
};
