// The plug-in manager: finds the dialog plug-in modules ("ide-*.so") below
// the installation's lib directory, loads and checks each one, writes the
// host callbacks into its descriptor and keeps the accepted plug-ins in one
// list ordered by their Number. Every rejection is shown in a box captioned
// "Plug-In Manager" (through the shell's sink) and loading goes on with the
// next module.
//
// Modules stay loaded until Shutdown, which waits for the last dialog
// document: documents hold class records and texts that live in the
// modules.
#pragma once

#include <string>

#include "platform/dynlib.h"
#include "workbench/dialogs/document/dlgplugin.h"

class PluginID {
 public:
  virtual ~PluginID();
  PluginID(const PluginID&) = delete;
  PluginID& operator=(const PluginID&) = delete;

  // Whether a dialog document with that path is open (activating it when
  // asked).
  virtual int IsOpen(const char* path, int activate);
  // Opens a dialog document from `path` through this plug-in and `type` (a
  // null type is a failed check); 1 when a document was opened.
  virtual int OpenDocument(const char* path, PluginFileType* type);

  // Starts the manager: loads every module below the installation's lib
  // directory. 0.
  static int Initialize();
  // The same with an explicit directory (tools and tests).
  static int InitializeFrom(const char* directory);
  // 1 once loading is complete, 0 when it cannot be waited for.
  static int Sync();
  // After Sync: the first plug-in, or null.
  static PluginID* GetHead();
  // The loaded plug-in whose Ident equals `ident` (case-sensitive), or null.
  static PluginID* Find(const char* ident);
  // Unloads every plug-in and forgets the completion; Initialize may then
  // run again. While dialog documents exist the unloading waits for the
  // last of them.
  static void Shutdown();

  // The file types of the descriptor, one iteration at a time.
  PluginFileType* FirstFileType();
  PluginFileType* NextFileType();
  // The plug-in's first file type, or null when it has none.
  PluginFileType* FirstType() const;
  // True when `type` is one of this plug-in's file types.
  bool OwnsType(const PluginFileType* type) const;

  PluginDesc* Desc() const { return desc_; }
  DynLib Module() const { return module_; }
  PluginID* Next() const { return next; }

  // The plug-in and file type a document constructed next takes (set by
  // OpenDocument and by the file-new commands).
  static void SetPending(PluginID* plugin, PluginFileType* type);
  static PluginID* Pending();
  static PluginFileType* PendingType();

  // Checks and loads one module (the steps of a start-up); the accepted
  // plug-in, or null after the rejection has been shown.
  static PluginID* LoadModule(const char* path);
  // Scans one directory and its subdirectories, each once.
  static void ScanDirectory(const char* directory);

  // The section of a plug-in's settings in the application profile:
  // "Plug-In\<Ident>", and "\<section>" when `section` is not empty.
  static std::string ProfileSection(const PluginDesc* plugin, const char* section);

  PluginID* prev = nullptr;
  PluginID* next = nullptr;

  // Called by the dialog documents as they come and go.
  static void DocumentCreated();
  static void DocumentDestroyed();

 private:
  PluginID(DynLib module, PluginDesc* desc);
  void LinkByNumber();

  DynLib module_;
  PluginDesc* desc_;
  int filetype_idx_ = -1;
};

// True for a module file name the scan loads: at least 7 characters,
// beginning "ide-" and ending ".so", both without regard to case.
bool PluginID_IsCandidate(const char* name);
// The host callbacks as they are written into every accepted descriptor.
void PluginID_FillHostCallbacks(PluginHostCallbacks* host);
