// The place of a debugger window's child frame (Variables, Call Stack) kept
// in the configuration's window positions: restored when the frame is made,
// written back (and the positions marked changed) when it closes.
#pragma once

#include "workbench/base/settings/config.h"

class QMdiSubWindow;

class FramePlace : public CfgWindow {
 public:
  // `positions` may be null: the frame keeps no place.
  FramePlace(QMdiSubWindow* frame, CfgWindowPositions* positions, CfgWindowIndex entry);

  // Restores the kept place, when there is one.
  void Restore();
  // Keeps the frame's place (its close).
  void Save();

  bool GetPlacement(CfgPlacement* placement) override;
  bool IsMaximized() override;
  bool SetPlacement(const CfgPlacement& placement) override;

 private:
  QMdiSubWindow* frame_;
  CfgWindowPositions* positions_;
  CfgWindowIndex entry_;
};
