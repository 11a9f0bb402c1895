#include "workbench/shell/frames/browsebar.h"

#include <QLabel>
#include <QTabWidget>

#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/neighbours.h"

CBrowseBar* CBrowseBar::the_bar_ = nullptr;

CBrowseBar::CBrowseBar(QWidget* parent) : QDockWidget("Browse", parent), tabs_(new QTabWidget(this)) {
  setObjectName(QString::number(ID_VIEW_BROWSE));
  tabs_->setObjectName(QString::number(ID_BROWSE_TABS));
  tabs_->setTabPosition(QTabWidget::South);
  tabs_->setDocumentMode(true);
  // The cross-reference window and the help pane plug in here; until then
  // each tab says what it will hold.
  auto* files = new QLabel("No program open.");
  files->setObjectName(QString::number(ID_BROWSE_FILES));
  files->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  auto* help = new QLabel("No help contents.");
  help->setObjectName(QString::number(ID_BROWSE_HELP));
  help->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  tabs_->addTab(files, "Files");
  tabs_->addTab(help, "Help");
  setWidget(tabs_);
  the_bar_ = this;
}

CBrowseBar::~CBrowseBar() {
  if (the_bar_ == this) the_bar_ = nullptr;
}

void CBrowseBar::ActivateTab(int index) {
  if (the_bar_ == nullptr || the_bar_->tabs_ == nullptr) return;
  if (index >= 0 && index < the_bar_->tabs_->count()) the_bar_->tabs_->setCurrentIndex(index);
}

void CBrowseBar::SetPane(int index, QWidget* pane) {
  if (index < 0 || index >= tabs_->count()) return;
  QString text = tabs_->tabText(index);
  QWidget* old = tabs_->widget(index);
  bool current = tabs_->currentIndex() == index;
  tabs_->removeTab(index);
  tabs_->insertTab(index, pane, text);
  if (current) tabs_->setCurrentIndex(index);
  delete old;
}

void CBrowseBar::ReloadHelp() {
  if (the_bar_ != nullptr) Shell_Neighbours().help_pane->Toggle();
}
