// VARNICA_SNAPSHOT=file.png: after the main window's first paint, its grab
// is saved as PNG and the window is closed the normal way.
// VARNICA_SNAPSHOT_COMMANDS="Compile,Output": before the grab, the commands
// of these menu texts (without their "&") run one after the other, each as
// its menu item would run it (a disabled one is skipped with a word on
// standard error), so that the picture shows what they did.
// VARNICA_SNAPSHOT_SIZE=1280x900: the window takes that size first.
#pragma once

class QWidget;

// Watches the window when VARNICA_SNAPSHOT is set; true when it does.
bool Fw_WatchForSnapshot(QWidget* window);
