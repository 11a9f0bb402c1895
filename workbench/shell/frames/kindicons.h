// The icons of the environment's windows: the application's, and each
// window kind's for its MDI children, from the icon theme by their
// freedesktop names.
#pragma once

#include <QIcon>

// The application's icon (the main window and a child of no known kind).
QIcon Shell_AppIcon();
// The icon of a window kind (its template's resource id).
QIcon Shell_KindIcon(int kind);
// Where the desktop names no icon theme, or its theme lacks a name, the
// free theme installed with the environment's packages answers.
void Shell_SetIconFallback();
