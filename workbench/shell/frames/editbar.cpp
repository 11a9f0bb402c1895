#include "workbench/shell/frames/editbar.h"

#include <QAction>
#include <QToolButton>

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/shell/controls/indicator.h"

CEditBar::CEditBar(QWidget* parent) : QToolBar("Edit", parent) {}

bool CEditBar::Create(FindHistory* history) {
  setObjectName(QString::number(ID_BAR_EDIT));
  FwApp* app = Fw_App();
  if (app == nullptr) return false;
  app->Commands().FillToolBar(this, FwPlace::BarEdit);
  addSeparator();
  combo_ = new CFindCombo(history, this);
  combo_->setObjectName(QString::number(ID_FIND_BOX));
  combo_->setFixedWidth(164);
  combo_->setToolTip("Find (Ctrl+D)");
  combo_action_ = addWidget(combo_);
  // The Find button has its own place on the bar, so that hiding it leaves
  // the command's menu item alone.
  auto* find = new QToolButton(this);
  find->setDefaultAction(app->Commands().Action(ID_EDIT_FIND));
  find_action_ = addWidget(find);
  connect(this, &QToolBar::orientationChanged, this, [this](Qt::Orientation o) { SetButtonMode(o == Qt::Vertical); });
  SetButtonMode(false);
  return true;
}

void CEditBar::SetButtonMode(bool on) {
  button_mode_ = on;
  if (combo_action_ != nullptr) combo_action_->setVisible(!on);
  if (find_action_ != nullptr) find_action_->setVisible(on);
}

void CEditBar::FocusFindBox() {
  if (combo_ != nullptr && !button_mode_) combo_->setFocus();
}
