// A start of the environment (or of a bare Qt main window, for comparison)
// that ends at the main window's first paint; for the start-up benchmark.
#pragma once

// `bare`: a plain QMainWindow instead of the environment. Returns the exit
// code (0 when the window was painted).
int Tessarine_RunToFirstPaint(int argc, char** argv, bool bare);
