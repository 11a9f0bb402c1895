// The rows of the editor view: the commands only an editor view answers
// to, and its context menu. The frame's rows hold the clipboard, undo,
// find and save commands that its menus and bars show.
#pragma once

#include <span>

#include "workbench/framework/fwcommandrows.h"

std::span<const FwCommandRow> Editor_CommandRows();
std::span<const FwPlaceRow> Editor_PlaceRows();
