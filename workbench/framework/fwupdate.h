// What a document tells its views when it changed: a kind, and the view the
// change came from. Views repaint from their model; the kind only lets a
// view do less (or something else) than a full repaint.
#pragma once

class FwView;

enum class FwUpdateKind {
  All,            // anything may have changed: repaint from the model
  TextRange,      // text views: the lines of the editor's last change
  TextMargin,     // text views: the marks of the margin
  DropSelection,  // text views: the sender's edit ended the selection
  FolderChanged,  // explore windows: the current folder is another one
  FilterChanged,  // explore windows: the file filter is another one
};

struct FwUpdate {
  FwUpdateKind kind = FwUpdateKind::All;
  FwView* sender = nullptr;  // the view that made the change (it is not told); null: the document
};
