// The rows of the program document's windows: the Program menu's compile,
// breakpoint and run-to-cursor commands with their keys, and the program
// view's context menu. They are the rows of the program document's kind,
// shown while a program document is active; the editor view handles them.
#pragma once

#include <span>

#include "workbench/framework/fwcommandrows.h"

std::span<const FwCommandRow> Programs_CommandRows();
std::span<const FwPlaceRow> Programs_PlaceRows();
