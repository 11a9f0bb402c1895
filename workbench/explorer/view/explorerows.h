// The rows of the explore windows (their window kind): the list styles and
// Up One Level, placed in the View menu while an explore window is active
// and in each explore window's own tool bar.
#pragma once

#include <span>

#include "workbench/framework/fwcommandrows.h"

std::span<const FwCommandRow> Explore_CommandRows();
std::span<const FwPlaceRow> Explore_PlaceRows();
// The ids of an explore window's tool bar, in order (ID_NONE a separator).
std::span<const int> Explore_BarIds();
