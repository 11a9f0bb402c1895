#include "workbench/debugger/frameplace.h"

#include <cstring>

#include <QMdiSubWindow>

#include "workbench/framework/fwplacement.h"

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

bool FramePlace::GetPlacement(CfgPlacement* p) { return Fw_PlacementOf(frame_->geometry(), frame_->isMaximized(), p); }

bool FramePlace::IsMaximized() { return frame_->isMaximized(); }

bool FramePlace::SetPlacement(const CfgPlacement& p) {
  const QRect r = Fw_RectOf(p);
  if (r.isEmpty()) return false;
  frame_->setGeometry(r);
  return true;
}
