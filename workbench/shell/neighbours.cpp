#include "workbench/shell/neighbours.h"

namespace {
DebugLink g_debug;
ServerLink g_server;
ExplorerLink g_explorer;
ProgramLink g_program;
OutputLink g_output;
SettingsLink g_settings;
DesignerLink g_designer;
XrefLink g_xref;

ShellNeighbours Defaults() {
  return {&g_debug, &g_server, &g_explorer, &g_program, &g_output, &g_xref, &g_settings, &g_designer};
}
ShellNeighbours g_neighbours = Defaults();
}  // namespace

ShellNeighbours& Shell_Neighbours() { return g_neighbours; }
void Shell_ResetNeighbours() { g_neighbours = Defaults(); }
