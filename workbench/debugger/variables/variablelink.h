// Where the Variables window and the debugger core meet. Neither includes
// the other's classes: the window's row list implements VariableRows and
// calls a VariableTarget; the core implements VariableTarget and
// VariablesPane's user side, and fills the rows it is given.
//
// A refresh goes: window -> VariableTarget::GetElements -> the core sends
// the request, decodes the reply's elements and gives them, in order, to a
// VariableHandOver on the rows -> the rows merge them and, for expanded
// containers, call GetElements again for their children.
//
// Everything runs on the GUI thread, one call at a time. A call into the
// target may wait for the target in a nested event loop; the rows stay
// valid across it (the window is never destroyed inside such a call).
#pragma once

#include <memory>
#include <string>

#include "workbench/debugger/variables/variable.h"

// ---- what the core calls on the window's rows ----------------------------

class VariableRows {
 public:
  virtual ~VariableRows() = default;

  // Before a full refresh: every row's variable becomes stale and loses its
  // changed mark.
  virtual void MarkStale() = 0;
  // True when no row is shown.
  virtual bool IsEmpty() const = 0;
  // Inserts a row for var at position (-1: the end) and keeps var; false
  // when the row cannot be made (var is then destroyed).
  virtual bool InsertVariable(std::unique_ptr<Variable> var, int position) = 0;
  // Merges one element under parent (null: the top level), whose row is
  // parent_row (-1 with no parent). An element that matches a row (same
  // parent, same element index) updates that row's variable and is
  // destroyed; a new one is inserted where the scan ended. False when a
  // matched variable refuses the new value text.
  virtual bool MergeVariable(std::unique_ptr<Variable> var, Variable* parent, int parent_row) = 0;
  // Re-fetches the children of every expanded, confirmed container under
  // parent (null: the top level) through VariableTarget::GetElements, which
  // recurses. False when a request failed.
  virtual bool RefreshExpanded(Variable* parent, int parent_row) = 0;
  // After a full refresh: removes every row still stale, with its children.
  virtual void RemoveStale() = 0;
  // Appends a fetched child to a collapsed container (which must be one);
  // its rows appear when the container is expanded.
  virtual void AppendVariable(Variable* parent, std::unique_ptr<Variable> var) = 0;
};

// The order in which one GET_ELEMENTS reply reaches the rows. The core makes
// one per reply, gives it each decoded element with Take, and ends with
// Finish:
// - no parent (a full refresh): made before the request is sent; marks the
//   rows stale and notes whether they were empty; each element is inserted
//   at the end (empty list) or merged at the top level; Finish refreshes
//   the expanded containers and removes the stale rows.
// - a parent and idx < 0 (first expansion): each element is appended to the
//   parent's children; Finish does nothing more.
// - a parent and idx >= 0 (the parent's row, a refresh of an expanded
//   container): each element is merged under that row; Finish refreshes
//   the expanded containers below it.
// An element that the rows refuse (Take gives false) is destroyed and the
// reply goes on. Finish gives false when a request it made failed.
class VariableHandOver {
 public:
  VariableHandOver(VariableRows& rows, Variable* parent, int idx);
  bool Take(std::unique_ptr<Variable> element);
  bool Finish();

 private:
  VariableRows& rows_;
  Variable* parent_;
  int idx_;
  bool was_empty_ = false;
};

// ---- what the window calls on the debugger core ---------------------------

class VariableTarget {
 public:
  virtual ~VariableTarget() = default;

  // A session exists and waits stopped for the next request (the debug
  // queue while no debug command runs). Fetching, expanding and editing
  // talk to the target only then.
  virtual bool IsStopped() const = 0;
  // GET_ELEMENTS for parent (null: the top level of the current scope) and
  // the parent's row idx (-1: none), the reply handed to rows through a
  // VariableHandOver(rows, parent, idx). False when the request failed
  // (no session, a target error shown to the user, a lost connection, a
  // reply that does not decode); the caller then calls CheckSession.
  virtual bool GetElements(VariableRows& rows, Variable* parent, int idx) = 0;
  // SET_ELEMENT: sends var's path (Variable_GetPath) and its value text as
  // it stands now (the window has already stored the new value). False
  // when the request failed; the caller then calls CheckSession.
  virtual bool SetElement(const Variable& var) = 0;
  // Looks whether the session survived a failed request and ends it when
  // not.
  virtual void CheckSession() = 0;
  // The main frame's busy flag, set around a full refresh that the window
  // starts itself (Refresh, opening while stopped).
  virtual void SetBusy(bool busy) = 0;
  // A beep (one of the SHELL_MB_ICON* kinds) through the shell's sink.
  virtual void Beep(unsigned kind) = 0;
  // A status-bar message of one of the status kinds (SK_PLAIN, SK_ERROR).
  virtual void Status(int kind, const std::string& text) = 0;
};

// ---- what the core asks of the Variables window ---------------------------

// The Variables document implements it; the environment hands it to the
// core once at start-up.
class VariablesPane {
 public:
  virtual ~VariablesPane() = default;
  // The window is open (its rows take a refresh at every stop).
  virtual bool IsOpen() const = 0;
  // The rows of the open window, null when none is open.
  virtual VariableRows* Rows() = 0;
  // Drops every variable, shown or saved (a new session, a stop in another
  // file or segment).
  virtual void ResetContents() = 0;
};
