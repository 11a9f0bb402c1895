// A window's place as the configuration keeps it: the normal rectangle, its
// right and bottom edges one past the last pixel, and whether the window is
// maximized. One conversion for every window that keeps its place.
#pragma once

#include <QRect>

#include "workbench/base/settings/cfgprofile.h"

// Fills `placement` from a window's normal rectangle; false, and nothing
// filled, for an empty rectangle.
bool Fw_PlacementOf(const QRect& normal, bool maximized, CfgPlacement* placement);
// The normal rectangle a placement keeps; an empty rectangle for one that
// keeps none.
QRect Fw_RectOf(const CfgPlacement& placement);
