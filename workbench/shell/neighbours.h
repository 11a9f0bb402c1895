// The shell's view of its neighbours that come later: the debugger, the
// server link, the explorer windows, program documents, the output pane and
// the single-instance panes. (The browse bar's panes are the main frame's:
// workbench/shell/browse/browseplug.h finds them, and plugs the
// cross-reference tree in for the rooms that cannot see the bar.) Each is one small interface whose defaults say
// "none open, nothing pending"; a neighbour plugs in its own object and
// answers Plugged() with true, which enables its commands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/shell/saveas.h"

class CfgBreakpoint;
class CfgSettings;

class DebugLink {
 public:
  virtual ~DebugLink() = default;
  virtual bool Plugged() const { return false; }
  virtual bool SessionExists() const { return false; }
  // The session waits for a reply of the run-time or program server.
  virtual bool SessionWaiting() const { return false; }
  // Starts a session (run mode 0 run, 1 step); false when none came of it.
  virtual bool StartSession(int run_mode) {
    (void)run_mode;
    return false;
  }
  // The continue request with a step kind (0 run, 1 into, 2 over, 3 out).
  virtual bool Continue(int kind, bool trace) {
    (void)kind;
    (void)trace;
    return false;
  }
  virtual bool Break() { return false; }
  virtual void CheckSession() {}
  virtual void EndSession() {}
  // Cancels the exchange the session waits for.
  virtual void CancelPending() {}
  // The run-time process ended (0x71a): a session waiting on it stops
  // waiting. An end that belongs to an earlier session changes nothing.
  virtual void ProcessEnded() {
    if (SessionWaiting()) CancelPending();
  }
};

class ServerLink {
 public:
  virtual ~ServerLink() = default;
  virtual bool Plugged() const { return false; }
  virtual bool AnyActive() const { return false; }
  virtual bool AnyPending() const { return false; }
  virtual void CloseAll() {}
  // Asks the user to retry or cancel the pending exchanges.
  virtual void CancelAll() {}
};

class ExplorerLink {
 public:
  virtual ~ExplorerLink() = default;
  virtual bool Plugged() const { return false; }
  virtual bool SaveAsOpen() const { return false; }
  virtual void CloseSaveAs() {}
  virtual int Count() const { return 0; }
  virtual void FileOpen() {}
  virtual void NewExplorer() {}
  virtual void Activate(int index) { (void)index; }
  // The modal Save As window for `doc` proposing `path` (a folder and a
  // name); `plugin` is null for documents that belong to no plug-in. 1 when
  // the document was saved (it saves itself through SaveAsPath), else 0.
  virtual int DoSaveAs(SaveAsDocument* doc, const std::string& path, const SaveAsPlugin* plugin) {
    (void)doc;
    (void)path;
    (void)plugin;
    return 0;
  }
};

class ProgramLink {
 public:
  virtual ~ProgramLink() = default;
  virtual bool Plugged() const { return false; }
  // Opens (null path: a new document of the configured kind).
  virtual bool OpenFile(const char* path, int mode) {
    (void)path;
    (void)mode;
    return false;
  }
  // The explorer's open of `path` in file mode `mode` (0: by its name),
  // read-only when asked; with `create` a new empty document that will be
  // saved under `path`. A document of that path already open comes forward
  // instead. False when no document came of it.
  virtual bool OpenRequest(const char* path, int mode, bool read_only, bool create) {
    (void)path;
    (void)mode;
    (void)read_only;
    (void)create;
    return false;
  }
  // Whether a document of `path` is open.
  virtual bool IsOpen(const char* path) const {
    (void)path;
    return false;
  }
  virtual bool SaveAllModified() { return true; }
  // Opens `path` as a text document, never through a plug-in (the source of
  // a dialog file that did not load), and with `line` above 0 puts the
  // caret on that line (counted from 1); false when no document came of it.
  virtual bool OpenSource(const char* path, int line) {
    (void)path;
    (void)line;
    return false;
  }
  // Finds the file's document (opened when needed) and puts its caret on a
  // segment's program line (the Breakpoints dialog's Go To); false when
  // the document or the line is not there.
  virtual bool GoToLine(const char* path, uint16_t segment, uint16_t line) {
    (void)path;
    (void)segment;
    (void)line;
    return false;
  }
  virtual void RemoveAllBreakpoints() {}
  virtual bool AnyBreakpoint() const { return false; }
  // The stored breakpoint list takes the marks of the open documents
  // (before the list is shown or sent to a target).
  virtual void UpdateBreakpointList() {}
  // The document showing the breakpoint's file drops its mark (before the
  // breakpoint is destroyed).
  virtual void DropBreakpointMark(const CfgBreakpoint& breakpoint) { (void)breakpoint; }
  // The documents mark their lines again from the stored list.
  virtual void RefreshBreakpointMarks() {}
  // A line was marked for Run to Cursor (TextLine_RUN_TO): the stored list
  // is marked changed, so the next run sends it.
  virtual void RunToMarked() {}
  // Run to Cursor is over: its marks leave every document and the stored
  // list, which is sent again with the next run.
  virtual void ClearRunToMarks() {}
  // Every open program document takes over the application's settings
  // (after the Application Properties closed).
  virtual void ApplySettings() {}
};

class OutputLink {
 public:
  virtual ~OutputLink() = default;
  virtual bool Plugged() const { return false; }
  virtual bool IsShown() const { return false; }
  virtual void Show(bool show) { (void)show; }
  virtual void AppendText(int tab, const std::string& text) {
    (void)tab;
    (void)text;
  }
  virtual void ShowTab(int tab) { (void)tab; }
};

// The pages of the Application Properties sheet, one bit each; a sheet shows
// the pages of its mask.
enum SettingsPage : unsigned {
  SettingsPage_General = 1,
  SettingsPage_Server = 2,
  SettingsPage_Debug = 4,
  SettingsPage_Edit = 8,
  SettingsPage_Colors = 16,
  SettingsPage_File = 32,  // a program document's file
  SettingsPage_Help = 64,
  SettingsPage_Program = 128,
  SettingsPage_Passwords = 256,
  SettingsPage_Environment = 512,
  SettingsPage_PlugIn = 1024,
  SettingsPage_OtherFile = 2048,  // the file of any other document
};

// The Application Properties sheet and the program password dialogs, for
// the documents that use them.
class SettingsLink {
 public:
  virtual ~SettingsLink() = default;
  virtual bool Plugged() const { return false; }
  // Runs the sheet modally on `config` (a document's own copy) with the
  // pages of `mask`, captioned "<title> Properties"; true after OK.
  virtual bool RunSheet(const std::string& title, CfgSettings* config, unsigned mask) {
    (void)title;
    (void)config;
    (void)mask;
    return false;
  }
  // The sheet of a document's settings, its pages chosen by the file mode
  // of config->File: File and Edit, and Program for a program file mode.
  virtual bool RunDocumentSheet(const std::string& title, CfgSettings* config) {
    (void)title;
    (void)config;
    return false;
  }
  // Asks for the password of a protected program: false when cancelled,
  // else the password's digest text and whether to add it to the list.
  virtual bool AskPassword(const char* file_name, std::string* digest, bool* add_to_list) {
    (void)file_name;
    digest->clear();
    *add_to_list = false;
    return false;
  }
  // Asks a description and adds the digest to the password list; false when
  // cancelled.
  virtual bool AddToPasswordList(const std::string& digest) {
    (void)digest;
    return false;
  }
};

// One file type of a dialog plug-in.
struct DesignerFileType {
  std::string description;
  std::string extension;  // "x" or ".x"
  bool writable = false;
};

// One loaded dialog plug-in as the environment lists it.
struct DesignerPlugin {
  std::string type_name;           // the File/New menu text
  std::string filter;              // the explorer's file-type entry
  std::string open_as;             // the explorer's open-as entry
  std::vector<std::string> texts;  // its information; the first names it in lists
  std::vector<DesignerFileType> file_types;
};

// The dialog designer and its plug-in manager. Plug-ins are named by their
// place in Plugins(), file types by their place in the plug-in's list.
class DesignerLink {
 public:
  virtual ~DesignerLink() = default;
  virtual bool Plugged() const { return false; }
  // Starts the plug-in manager (once, as the environment starts).
  virtual void Start() {}
  virtual std::vector<DesignerPlugin> Plugins() const { return {}; }
  // A new dialog document of a plug-in; false when none came of it.
  virtual bool NewDocument(int plugin) {
    (void)plugin;
    return false;
  }
  // Opens a dialog file through a plug-in and one of its file types (-1 for
  // both: the plug-in whose extension ends the path); false when no
  // document came of it.
  virtual bool OpenFile(const char* path, int plugin, int file_type) {
    (void)path;
    (void)plugin;
    (void)file_type;
    return false;
  }
  // Saves every modified dialog document; false when one failed.
  virtual bool SaveAll() { return true; }
  // A coordinate typed into the status bar (0 x, 1 y, 2 width, 3 height)
  // for the active designer view's selection.
  virtual void SetCoord(int value, int index) {
    (void)value;
    (void)index;
  }
  // The object the status bar shows became current (null: none); the
  // property grid follows it when open.
  virtual void CurrentObject(const void* object) { (void)object; }
  // A designer view is the active view: the coordinate fields act on it.
  virtual bool HasView() const { return false; }
  // The primary selected object of the active designer view (null: none),
  // and whether its dialog may be edited.
  virtual const void* PrimaryObject(bool* editable) const {
    *editable = false;
    return nullptr;
  }
  // The active designer view takes the focus.
  virtual void FocusView() {}
  // The plug-in's information dialog and its own set-up.
  virtual void ShowInfo(int plugin) { (void)plugin; }
  virtual void Setup(int plugin) { (void)plugin; }
};

class XrefTree;

// The cross-reference pane of the browse bar: documents (program and dialog
// documents alike) announce themselves and their segments in its tree.
class XrefLink {
 public:
  virtual ~XrefLink() = default;
  // The pane's tree, or null while there is no pane.
  virtual XrefTree* Tree() { return nullptr; }
};

struct ShellNeighbours {
  DebugLink* debug;
  ServerLink* server;
  ExplorerLink* explorer;
  ProgramLink* program;
  OutputLink* output;
  XrefLink* xref;
  SettingsLink* settings;
  DesignerLink* designer;
};

// The neighbours in force; every pointer is set (defaults until plugged).
ShellNeighbours& Shell_Neighbours();
// Puts every neighbour back to its default.
void Shell_ResetNeighbours();
