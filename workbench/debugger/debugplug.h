// Plugs the debugger into the environment: the main frame's debug commands
// (the shell's debugger link), the core's view of the windows (output pane,
// call-stack window, breakpoint list, settings, the Variables window) and
// the Call Stack window's kind. Called once after the application object
// exists; safe to call again. `variables` is the application's Variables
// window (DebuggerWindows), or null; it forgets itself as it goes.
#pragma once

class VariablesPane;

void Debugger_Install(VariablesPane* variables = nullptr);
