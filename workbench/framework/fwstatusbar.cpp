#include "workbench/framework/fwstatusbar.h"

#include "workbench/framework/fwapp.h"
#include "workbench/framework/fwstatuspane.h"

FwStatusBar::FwStatusBar(QWidget* parent) : QStatusBar(parent) { setSizeGripEnabled(false); }

int FwStatusBar::AddPane(FwStatusPane* pane) {
  pane->setParent(this);
  pane->hide();
  panes_.push_back(pane);
  active_.push_back(false);
  return PaneCount() - 1;
}

FwStatusPane* FwStatusBar::Pane(int index) const {
  return index >= 0 && index < PaneCount() ? panes_[static_cast<size_t>(index)] : nullptr;
}

FwStatusPane* FwStatusBar::PaneById(int id) const {
  for (FwStatusPane* p : panes_)
    if (p->Id() == id) return p;
  return nullptr;
}

bool FwStatusBar::IsActive(int index) const {
  return index >= 0 && index < PaneCount() && active_[static_cast<size_t>(index)];
}

void FwStatusBar::SetActivePanes(const std::vector<bool>& active) {
  for (size_t i = 0; i < panes_.size(); ++i)
    if (active_[i]) removeWidget(panes_[i]);
  for (size_t i = 0; i < panes_.size(); ++i) {
    active_[i] = i < active.size() && active[i];
    if (active_[i]) {
      addPermanentWidget(panes_[i], (panes_[i]->Style() & FW_PANE_STRETCH) ? 1 : 0);
      panes_[i]->show();
    } else {
      panes_[i]->hide();
    }
  }
}

void FwStatusBar::UpdatePanes() {
  FwApp* app = Fw_App();
  if (app == nullptr) return;
  for (size_t i = 0; i < panes_.size(); ++i)
    if (panes_[i]->Id() != 0) ApplyPaneUpdate(static_cast<int>(i), app->RouteUpdate(panes_[i]->Id()));
}

void FwStatusBar::ApplyPaneUpdate(int index, const FwCmdUI& ui) {
  FwStatusPane* pane = Pane(index);
  if (pane->isEnabled() != ui.enabled) pane->setEnabled(ui.enabled);
  if (ui.text) pane->SetText(QString::fromStdString(*ui.text));
}
