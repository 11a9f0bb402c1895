// System utilities shared by the whole environment: the owner window of every
// box, installation directories and help settings in the profile store, and
// the code-page conversion between QX Roman-8 (0) and ISO 8859-1 (1).
#pragma once

#include <cstddef>

// Records the main frame's window once; a second call is a failed check.
void Sys_SetMainWindow(void* window);
// The recorded main window (null before there is one).
void* Sys_GetMainWindow();
// Forgets the main window (tests, and the end of the main frame).
void Sys_ClearMainWindow();
