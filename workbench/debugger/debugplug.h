// Plugs the debugger into the environment: the main frame's debug commands
// (the shell's debugger link), the core's view of the windows (output pane,
// call-stack window, breakpoint list, settings) and the Call Stack command.
// Called once after the application object exists; safe to call again.
#pragma once

void Debugger_Install();
