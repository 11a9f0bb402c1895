#include "workbench/programs/view/programsrows.h"

namespace {

const FwCommandRow kCommands[] = {
    fw_command(ID_COMPILE, "Co&mpile", "Compile (F7)", "F7"),
    fw_command(ID_BREAKPOINT, "Insert/Remove &Breakpoint", "Insert/Remove Breakpoint (F9)", "F9"),
    fw_command(ID_RUN_TO_CURSOR, "Ru&n to Cursor", "Run to cursor (Ctrl+F10)", "Ctrl+F10"),
};

// The orders fall between the shell's Program menu rows and after the
// editor's context menu rows.
const FwPlaceRow kPlaces[] = {
    {FwPlace::MenuProgram, 1, ID_COMPILE},        {FwPlace::MenuProgram, 2, ID_NONE},
    {FwPlace::MenuProgram, 75, ID_RUN_TO_CURSOR}, {FwPlace::MenuProgram, 85, ID_BREAKPOINT},

    {FwPlace::ContextEditor, 60, ID_NONE},        {FwPlace::ContextEditor, 70, ID_COMPILE},
    {FwPlace::ContextEditor, 80, ID_BREAKPOINT},  {FwPlace::ContextEditor, 90, ID_RUN_TO_CURSOR},
    {FwPlace::ContextEditor, 100, ID_NONE},       {FwPlace::ContextEditor, 110, ID_FILE_PROPERTIES},
};

}  // namespace

std::span<const FwCommandRow> Programs_CommandRows() { return kCommands; }
std::span<const FwPlaceRow> Programs_PlaceRows() { return kPlaces; }
