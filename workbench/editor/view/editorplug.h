// Plugs the editor into the shell: the editor view's command rows, the
// output pane's link and the page setup dialog. Text and source files are
// program documents (workbench/programs/view).
#pragma once

// Call after the application object exists, before it starts (again for
// each new application object).
void Editor_Install();
