// Plugs the browse bar's panes into the running environment: the
// cross-reference window on the "Files" tab and the help contents pane on
// the "Help" tab, both asking help of the application, and the help pane
// reloaded when the help settings are applied.
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
