// Plugs the browse bar's panes into the running environment: the
// cross-reference window on the "Files" tab and the help contents pane on
// the "Help" tab, both asking help of the application. The main frame owns
// the bar and so the panes; the rest of the environment finds them there.
#pragma once

class CBrowseBar;
class ContentWnd;
class CXrefWnd;

struct BrowsePanes {
  CXrefWnd* xref = nullptr;
  ContentWnd* contents = nullptr;
};

// Puts both panes into the bar (when there is one) and returns them; they
// live as long as the bar. Null bar: nothing.
BrowsePanes Browse_Install(CBrowseBar* bar);

// The panes in the application's main frame's browse bar, or null (no main
// frame, or its bar holds no such pane yet).
CXrefWnd* Browse_XrefPane();
ContentWnd* Browse_HelpPane();
