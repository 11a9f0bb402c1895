// The rows of the main frame (window kind 0): every command the frame, the
// application and the status bar answer to, and the frame's menus and tool
// bars as place rows.
#pragma once

#include <span>

#include "workbench/framework/fwcommandrows.h"

std::span<const FwCommandRow> Shell_CommandRows();
std::span<const FwPlaceRow> Shell_PlaceRows();
