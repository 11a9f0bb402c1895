// Plugs the program documents into the environment: their document
// template and the shell's program neighbour (opening files, saving every
// modified document, the breakpoint marks).
#pragma once

#include <string>
#include <vector>

class CProgDoc;
class FwDocTemplate;

void Programs_Install();
FwDocTemplate* Programs_Template();

// The open program document of a path (the same file however spelled), or
// null.
CProgDoc* Programs_FindByPath(const std::string& path);
// The open program document that the debug target names so, or null.
CProgDoc* Programs_FindByDebugName(const std::string& name);
// The document of a path, found open or opened; null when it cannot be.
CProgDoc* Programs_Open(const std::string& path);
// Every open program document.
std::vector<CProgDoc*> Programs_Documents();
// Shows every open program document in the cross-reference pane (once the
// browse bar's panes are there).
void Programs_ShowInXref();
