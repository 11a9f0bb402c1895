// Plugs the editor into the shell: the document template of text and source
// files (the program-document link opens files in it while no other program
// document kind is plugged in) and the output pane's link.
#pragma once

class FwDocTemplate;

// Call after the application object exists, before it starts (again for
// each new application object).
void Editor_Install();
// The template of text documents (null before Editor_Install).
FwDocTemplate* Editor_TextTemplate();
