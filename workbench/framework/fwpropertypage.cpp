#include "workbench/framework/fwpropertypage.h"

#include "workbench/framework/fwpropertysheet.h"

FwPropertyPage::FwPropertyPage(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {}

void FwPropertyPage::SetModified(bool modified) {
  modified_ = modified;
  if (sheet_ != nullptr) sheet_->UpdateApply();
}
