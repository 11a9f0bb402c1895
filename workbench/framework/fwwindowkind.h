// A kind of window as the application's registry of windows knows it: its
// id, the command that shows and hides it, the key its placement is kept
// under, whether there is one window of the kind or one per document, where
// it lives (an MDI child, a docking bar, a modeless dialog, a modal dialog
// that its command runs) and how one is made.
#pragma once

#include <functional>

class QWidget;

enum class FwKindScope {
  Single,       // at most one window; its toggle command opens and closes it
  PerDocument,  // one child frame per document window, made by a template
};

enum class FwKindHost {
  MdiChild,  // a child frame (QMdiSubWindow) of the main frame's MDI area
  Dock,      // a docking bar (QDockWidget) of the main frame
  Dialog,    // a modeless top-level dialog
  Modal,     // a modal dialog (a QDialog): its command makes, runs and frees it
};

struct FwWindowKind {
  int id;                     // a document kind's template id, or its toggle
  int toggle;                 // the command that shows and hides it, or ID_NONE
  const char* placement_key;  // its value under "WindowPositions", or null
  FwKindScope scope;
  FwKindHost host;
  // Makes the window, not yet shown (a single-instance kind's only window).
  // An MDI child may already sit in the MDI area (a template put it there),
  // a docking bar may already be docked; the registry places it otherwise.
  // Null when none could be made.
  std::function<QWidget*()> make;
  // A modal dialog's end: called with the dialog and its result once it
  // ran, before it is freed. May be empty.
  std::function<void(QWidget*, int)> done = {};
  // Called once a window that Open made is placed and shown (not when Open
  // brings one that was open forward). May be empty.
  std::function<void(QWidget*)> opened = {};
};
