#include "workbench/framework/fwpropertysheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "workbench/framework/fwpropertypage.h"

FwPropertySheet::FwPropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this)) {
  setWindowTitle(caption);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, &FwPropertySheet::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &FwPropertySheet::reject);
  connect(ApplyButton(), &QPushButton::clicked, this, [this] { Apply(); });
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index == current_) return;
    FwPropertyPage* old = Page(current_);
    if (old != nullptr && !old->OnKillActive()) {
      QSignalBlocker block(tabs_);
      tabs_->setCurrentIndex(current_);
      return;
    }
    current_ = index;
    if (FwPropertyPage* p = Page(index)) p->OnSetActive();
  });
  UpdateApply();
}

void FwPropertySheet::AddPage(FwPropertyPage* page) {
  page->SetSheet(this);
  tabs_->addTab(page, page->Title());  // the first page becomes active here
  UpdateApply();
}

void FwPropertySheet::RemovePage(FwPropertyPage* page) {
  if (TakePage(page)) delete page;
}

bool FwPropertySheet::TakePage(FwPropertyPage* page) {
  int index = IndexOf(page);
  if (index < 0) return false;
  bool was_current = index == current_;
  {
    QSignalBlocker block(tabs_);
    tabs_->removeTab(index);
  }
  page->hide();
  page->setParent(this);
  page->hide();
  if (was_current || index < current_) current_ = tabs_->currentIndex();
  if (was_current)
    if (FwPropertyPage* p = Page(current_)) p->OnSetActive();
  UpdateApply();
  return true;
}

int FwPropertySheet::IndexOf(const FwPropertyPage* page) const {
  return page == nullptr ? -1 : tabs_->indexOf(const_cast<FwPropertyPage*>(page));
}

int FwPropertySheet::PageCount() const { return tabs_->count(); }

FwPropertyPage* FwPropertySheet::Page(int index) const {
  return index < 0 ? nullptr : dynamic_cast<FwPropertyPage*>(tabs_->widget(index));
}

FwPropertyPage* FwPropertySheet::ActivePage() const { return Page(current_); }

bool FwPropertySheet::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return false;
  tabs_->setCurrentIndex(index);
  return current_ == index;
}

QPushButton* FwPropertySheet::ApplyButton() const { return buttons_->button(QDialogButtonBox::Apply); }

void FwPropertySheet::UpdateApply() {
  bool any = false;
  for (int i = 0; i < PageCount(); ++i) any = any || Page(i)->IsModified();
  ApplyButton()->setEnabled(any);
}

bool FwPropertySheet::Apply() {
  if (FwPropertyPage* active = ActivePage())
    if (!active->OnKillActive()) return false;
  for (int i = 0; i < PageCount(); ++i) {
    FwPropertyPage* p = Page(i);
    if (!p->IsModified()) continue;
    if (!p->OnApply()) {
      SetActivePage(i);
      return false;
    }
    p->SetModified(false);
  }
  UpdateApply();
  return true;
}

void FwPropertySheet::accept() {
  if (Apply()) QDialog::accept();
}

void FwPropertySheet::reject() {
  for (int i = 0; i < PageCount(); ++i) Page(i)->OnCancel();
  QDialog::reject();
}
