// Commands and their places as rows of data. A command row gives an id (or
// a range of ids that share one row, such as the recent files) its text,
// status prompt, shortcut, check mark and icon; a place row puts an id (or a
// separator, ID_NONE) into a menu or tool bar at an order. A window kind
// brings its rows when it registers: the rows of kind 0 are always there,
// the rows of another kind only while a window of that kind is active, so a
// menu of one document kind is that kind's place rows.
#pragma once

#include "workbench/framework/fwcommandids.h"

struct FwCommandRow {
  int id;
  int last;              // the last id of a range sharing the row, or id
  const char* text;      // menu text with its "&" mnemonic
  const char* prompt;    // status bar prompt
  const char* shortcut;  // key sequence in Qt's portable form, or ""
  bool checkable;
  const char* icon;  // theme icon name, or ""
};

constexpr FwCommandRow fw_command(int id, const char* text, const char* prompt, const char* shortcut = "",
                                  const char* icon = "") {
  return {id, id, text, prompt, shortcut, false, icon};
}
// A command with a check mark (a bar or window shown, a flag set).
constexpr FwCommandRow fw_toggle(int id, const char* text, const char* prompt, const char* shortcut = "",
                                 const char* icon = "") {
  return {id, id, text, prompt, shortcut, true, icon};
}
// Ids first..last whose items are made at run time (recent files, the
// File/New kinds, the explore windows).
constexpr FwCommandRow fw_range(int first, int last, const char* text, const char* prompt) {
  return {first, last, text, prompt, "", false, ""};
}

// The menus and tool bars that rows are placed in.
enum class FwPlace {
  MenuFile,
  MenuEdit,
  MenuView,
  MenuToolbars,  // View/Toolbars
  MenuProgram,
  MenuWindow,
  MenuHelp,
  BarFile,
  BarEdit,
  BarAttributes,
  BarView,
  BarProgram,
  BarWindow,
  ContextEditor,     // the editor view's context menu
  ContextOutput,     // the output pane's context menu
  ContextCallstack,  // the call stack's context menu
  ContextToolbars,   // the tool bars' context menu: the bars to show
  ContextBrowse,     // the browse bar's context menu
};

struct FwPlaceRow {
  FwPlace place;
  int order;  // position in the place; rows of several kinds interleave by it
  int id;     // ID_NONE: a separator
};
