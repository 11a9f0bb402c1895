#include "workbench/debugger/frameplace.h"

#include <cstring>

#include <QMdiSubWindow>

FramePlace::FramePlace(QMdiSubWindow* frame, CfgWindowPositions* positions, CfgWindowIndex entry)
    : frame_(frame), positions_(positions), entry_(entry) {}

void FramePlace::Restore() {
  if (positions_) positions_->entries[entry_].Restore(this, false);
}

void FramePlace::Save() {
  if (!positions_) return;
  CfgWindowPos& pos = positions_->entries[entry_];
  const CfgWindowPos before = pos;
  pos.Save(this);
  if (pos.valid != before.valid || std::memcmp(&pos.placement, &before.placement, sizeof pos.placement) != 0)
    positions_->modified = 1;
}

bool FramePlace::GetPlacement(CfgPlacement* p) {
  const QRect r = frame_->geometry();
  if (r.width() <= 0 || r.height() <= 0) return false;
  p->length = sizeof(CfgPlacement);
  p->flags = 0;
  p->showCmd = frame_->isMaximized() ? CFG_SW_SHOWMAXIMIZED : CFG_SW_SHOW;
  p->rcNormalPosition.left = r.left();
  p->rcNormalPosition.top = r.top();
  p->rcNormalPosition.right = r.right() + 1;
  p->rcNormalPosition.bottom = r.bottom() + 1;
  return true;
}

bool FramePlace::IsMaximized() { return frame_->isMaximized(); }

bool FramePlace::SetPlacement(const CfgPlacement& p) {
  const CfgRect& r = p.rcNormalPosition;
  if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return false;
  frame_->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
  return true;
}
