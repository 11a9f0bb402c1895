// The debugger driven from a command line (dbgprobe of tests/support, for
// tests and the demo): the environment starts offscreen on the registry of
// VARNICA_REGISTRY and runs the commands in order on its current debug
// session, as the main frame's commands and windows do:
//
//   dbgprobe CMD...
//     setup COMMAND             a local session entry "dbgprobe" running the
//                               run-time beside dbgprobe with COMMAND, made
//                               the current one
//     run | into | over | out   Run/Continue, Step into, over, out (a session
//                               starts when there is none); prints the stop
//                               ("stop FILE SEGMENT LINE") or "ended"
//     halt MS                   Halt, MS ms after the next command starts
//     stack                     prints the Call Stack window's lines
//     vars PATH                 opens the Variables window, expands the
//                               records and arrays along PATH (names joined
//                               by '.', "." for the top level) and prints
//                               the rows
//     set PATH VALUE            edits the value of PATH in the window
//     open FILE                 opens a file in a program window
//     terminate                 Terminate
//     shot FILE                 saves a picture of the main window (PNG)
//
// At the end the Debug tab's lines are printed, each after "| ". Boxes are
// printed as "caption: text" and beeps as "beep". Exit status 0, or 1 when a
// box was shown, a beep sounded or a command failed; 2 for a wrong command
// line.
#pragma once

// Runs the command line (argv[0] is the program); the exit status.
int DebugProbe_Main(int argc, char** argv);
