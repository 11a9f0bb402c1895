// The rows of the editor view: the commands only an editor view answers
// to, where they stand in the frame's menus and bars for each kind of
// window that shows editor views, and the views' context menus. The
// frame's rows hold the clipboard, undo, find and save commands that its
// menus and bars show.
#pragma once

#include <span>

#include "workbench/framework/fwcommandrows.h"

// The command rows, and their places in the frame's menus and bars and in
// the context menus (kind 0: greyed while no editor view is active).
std::span<const FwCommandRow> Editor_CommandRows();
std::span<const FwPlaceRow> Editor_PlaceRows();
// The menus of the output pane's kind and its context menu.
std::span<const FwPlaceRow> Editor_OutputKindPlaceRows();
// The place of a document's context menu resource.
FwPlace Editor_ContextPlace(int menu_resource);
