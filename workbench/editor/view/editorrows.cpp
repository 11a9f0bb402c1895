#include "workbench/editor/view/editorrows.h"

namespace {

// The key after a tab in a text is shown in the menu without being a
// shortcut of its own: Tab and Shift+Tab belong to the view.
const FwCommandRow kCommands[] = {
    fw_command(ID_EDIT_INDENT, "&Indent\tTab", "Indent (Tab)", "", "format-indent-more"),
    fw_command(ID_EDIT_OUTDENT, "&Outdent\tShift+Tab", "Outdent (Shift+Tab)", "", "format-indent-less"),
    fw_toggle(ID_ATTR_INVERSE, "In&verse", "Inverse (Ctrl+1)", "Ctrl+1"),
    fw_toggle(ID_ATTR_BLINK, "Blin&k", "Blink (Ctrl+2)", "Ctrl+2"),
    fw_toggle(ID_ATTR_UNDERLINE, "U&nderline", "Underline (Ctrl+3)", "Ctrl+3", "format-text-underline"),
    fw_toggle(ID_ATTR_HALFBRIGHT, "&Halfbright", "Halfbright (Ctrl+4)", "Ctrl+4"),
    fw_command(ID_FIND_NEXT, "Find Ne&xt", "Find next (F3)", "F3", "go-next"),
    fw_command(ID_GOTO_LINE, "&Go To Line...", "Go To Line (Ctrl+G)", "Ctrl+G", "go-jump"),
    fw_command(ID_LINE_DRAW, "Line Dra&w Characters...", "Line Draw Characters (Ctrl+L)", "Ctrl+L"),
    fw_toggle(ID_AUTO_SCROLL, "&Auto-Scroll", "Auto-Scroll"),
    fw_toggle(ID_LINE_WRAP, "Line &Wrap", "Line wrap"),
    fw_command(ID_CLEAR_OUTPUT, "C&lear Output Window", "Clear Output Window", "", "edit-clear"),
    fw_command(ID_FILE_PROPERTIES, "File P&roperties", "File Properties (Alt+Enter)", "Alt+Return",
               "document-properties"),
    fw_command(ID_FILE_PRINT_DIRECT, "&Print", "Print (Ctrl+P)"),
    fw_command(ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Print Preview", "", "document-print-preview"),
};

// The orders fit between the frame's rows (shellrows.cpp), which step by 10.
const FwPlaceRow kPlaces[] = {
    {FwPlace::ContextEditor, 10, ID_EDIT_CUT},
    {FwPlace::ContextEditor, 20, ID_EDIT_COPY},
    {FwPlace::ContextEditor, 30, ID_EDIT_PASTE},
    {FwPlace::ContextEditor, 40, ID_NONE},
    {FwPlace::ContextEditor, 50, ID_EDIT_SELECT_ALL},

    {FwPlace::ContextOutput, 10, ID_EDIT_COPY},
    {FwPlace::ContextOutput, 20, ID_EDIT_SELECT_ALL},
    {FwPlace::ContextOutput, 30, ID_NONE},
    {FwPlace::ContextOutput, 40, ID_AUTO_SCROLL},
    {FwPlace::ContextOutput, 50, ID_LINE_WRAP},
    {FwPlace::ContextOutput, 60, ID_NONE},
    {FwPlace::ContextOutput, 70, ID_CLEAR_OUTPUT},

    // The call stack is read-only: its lines can be copied, not changed.
    {FwPlace::ContextCallstack, 10, ID_EDIT_COPY},
    {FwPlace::ContextCallstack, 20, ID_EDIT_SELECT_ALL},

    {FwPlace::MenuFile, 95, ID_FILE_PRINT_PREVIEW},
    {FwPlace::MenuEdit, 125, ID_FIND_NEXT},
    {FwPlace::MenuEdit, 135, ID_GOTO_LINE},

    {FwPlace::BarAttributes, 2, ID_ATTR_INVERSE},
    {FwPlace::BarAttributes, 4, ID_ATTR_BLINK},
    {FwPlace::BarAttributes, 6, ID_ATTR_UNDERLINE},
    {FwPlace::BarAttributes, 8, ID_ATTR_HALFBRIGHT},
    {FwPlace::BarAttributes, 9, ID_NONE},

    {FwPlace::MenuFile, 65, ID_NONE},
    {FwPlace::MenuFile, 66, ID_FILE_PROPERTIES},

    {FwPlace::MenuEdit, 92, ID_EDIT_INDENT},
    {FwPlace::MenuEdit, 94, ID_EDIT_OUTDENT},
    {FwPlace::MenuEdit, 136, ID_NONE},
    {FwPlace::MenuEdit, 137, ID_LINE_DRAW},
    {FwPlace::MenuEdit, 143, ID_ATTR_INVERSE},
    {FwPlace::MenuEdit, 144, ID_ATTR_BLINK},
    {FwPlace::MenuEdit, 145, ID_ATTR_UNDERLINE},
    {FwPlace::MenuEdit, 146, ID_ATTR_HALFBRIGHT},
    {FwPlace::MenuEdit, 147, ID_NONE},

    {FwPlace::MenuView, 70, ID_NONE},
    {FwPlace::MenuView, 80, ID_LINE_WRAP},
};

const FwPlaceRow kOutputKindPlaces[] = {
    {FwPlace::MenuView, 90, ID_AUTO_SCROLL},
    {FwPlace::MenuView, 100, ID_CLEAR_OUTPUT},
};

}  // namespace

std::span<const FwCommandRow> Editor_CommandRows() { return kCommands; }
std::span<const FwPlaceRow> Editor_PlaceRows() { return kPlaces; }
std::span<const FwPlaceRow> Editor_OutputKindPlaceRows() { return kOutputKindPlaces; }

FwPlace Editor_ContextPlace(int menu_resource) {
  switch (menu_resource) {
    case IDR_OUTPUT_CONTEXT: return FwPlace::ContextOutput;
    case IDR_CALLSTACK_CONTEXT: return FwPlace::ContextCallstack;
    default: return FwPlace::ContextEditor;
  }
}
