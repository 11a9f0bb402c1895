// VARNICA_SNAPSHOT=file.png: after the main window's first paint, its grab
// is saved as PNG and the window is closed the normal way.
#pragma once

class QWidget;

// Watches the window when VARNICA_SNAPSHOT is set; true when it does.
bool Fw_WatchForSnapshot(QWidget* window);
