#include "workbench/editor/view/editorrows.h"

namespace {

const FwCommandRow kCommands[] = {
    fw_command(ID_EDIT_INDENT, "&Indent", "Indent (Tab)"),
    fw_command(ID_EDIT_OUTDENT, "&Outdent", "Outdent (Shift+Tab)"),
    fw_toggle(ID_ATTR_INVERSE, "&Inverse", "Inverse (Ctrl+1)"),
    fw_toggle(ID_ATTR_BLINK, "&Blink", "Blink (Ctrl+2)"),
    fw_toggle(ID_ATTR_UNDERLINE, "&Underline", "Underline (Ctrl+3)"),
    fw_toggle(ID_ATTR_HALFBRIGHT, "&Halfbright", "Halfbright (Ctrl+4)"),
    fw_command(ID_FIND_NEXT, "Find &Next", "Find next (F3)"),
    fw_command(ID_GOTO_LINE, "&Go To Line", "Go To Line (Ctrl+G)"),
    fw_command(ID_LINE_DRAW, "&Line Draw Characters...", "Line Draw Characters (Ctrl+L)"),
    fw_command(ID_COMPILE, "&Compile", "Compile (F7)"),
    fw_command(ID_BREAKPOINT, "Insert/Remove &Breakpoint", "Insert/Remove Breakpoint (F9)"),
    fw_command(ID_RUN_TO_CURSOR, "Run to &Cursor", "Run to cursor (Ctrl+F10)"),
    fw_toggle(ID_AUTO_SCROLL, "&Auto-Scroll", "Auto-Scroll"),
    fw_toggle(ID_LINE_WRAP, "Line &Wrap", "Line wrap"),
    fw_command(ID_CLEAR_OUTPUT, "C&lear Output Window", "Clear Output Window"),
    fw_command(ID_FILE_PROPERTIES, "File P&roperties", "File Properties (Alt+Enter)"),
    fw_command(ID_FILE_PRINT_DIRECT, "&Print", "Print (Ctrl+P)"),
    fw_command(ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Print Preview"),
};

const FwPlaceRow kPlaces[] = {
    {FwPlace::ContextEditor, 10, ID_EDIT_CUT},        {FwPlace::ContextEditor, 20, ID_EDIT_COPY},
    {FwPlace::ContextEditor, 30, ID_EDIT_PASTE},      {FwPlace::ContextEditor, 40, ID_NONE},
    {FwPlace::ContextEditor, 50, ID_EDIT_SELECT_ALL},
};

}  // namespace

std::span<const FwCommandRow> Editor_CommandRows() { return kCommands; }
std::span<const FwPlaceRow> Editor_PlaceRows() { return kPlaces; }
