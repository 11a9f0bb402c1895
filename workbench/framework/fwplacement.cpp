#include "workbench/framework/fwplacement.h"

bool Fw_PlacementOf(const QRect& normal, bool maximized, CfgPlacement* placement) {
  if (normal.width() <= 0 || normal.height() <= 0) return false;
  placement->length = sizeof(CfgPlacement);
  placement->flags = 0;
  placement->showCmd = maximized ? CFG_SW_SHOWMAXIMIZED : CFG_SW_SHOW;
  placement->rcNormalPosition = {normal.left(), normal.top(), normal.right() + 1, normal.bottom() + 1};
  return true;
}

QRect Fw_RectOf(const CfgPlacement& placement) {
  const CfgRect& r = placement.rcNormalPosition;
  if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return {};
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
