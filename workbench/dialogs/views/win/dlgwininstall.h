// The designer's windows joining the environment: the document template of
// dialog files (IDR_DLGEDITTYPE), the designer's command rows, the Qt font measurer and
// the notifier of the dialog documents. Alive while the environment runs.
#pragma once

#include <memory>
#include <span>

#include "workbench/dialogs/views/win/dlgqtmeasurer.h"
#include "workbench/dialogs/views/win/dlgwinnotify.h"
#include "workbench/framework/fwcommandids.h"
#include "workbench/framework/fwcommandrows.h"

class FwApp;
class FwDocTemplate;
class PluginID;
struct PluginFileType;

class DlgWindows {
 public:
  // Adds the template and the rows to the application (null: windows
  // without an application, for tests of single windows). `notify` (may be
  // null: one of its own) is the notifier the documents talk to.
  explicit DlgWindows(FwApp* app, DlgWinNotify* notify = nullptr);
  ~DlgWindows();
  DlgWindows(const DlgWindows&) = delete;
  DlgWindows& operator=(const DlgWindows&) = delete;

  FwDocTemplate* Template() const { return template_; }
  DlgWinNotify& Notify() { return *notify_; }

  // Opens a dialog file through the plug-in whose file type has its
  // extension (or the given plug-in and type); an open one is brought to
  // the front. False when no plug-in takes it or its load failed (the load
  // has shown why).
  bool OpenFile(const char* path, PluginID* plugin = nullptr, PluginFileType* type = nullptr);
  // Whether a plug-in's file type claims `path` by its extension; fills the
  // first that does.
  static bool ClaimingType(const char* path, PluginID** plugin, PluginFileType** type);
  // A new dialog document of a plug-in from its template file.
  bool NewFile(PluginID* plugin);

 private:
  DlgQtMeasurerScope measurer_;
  std::unique_ptr<DlgWinNotify> owned_notify_;
  DlgWinNotify* notify_;
  FwDocTemplate* template_ = nullptr;
};

// The command and place rows of the designer frames, and those of the
// property grid.
std::span<const FwCommandRow> Dlg_CommandRows();
std::span<const FwPlaceRow> Dlg_PlaceRows();
std::span<const FwCommandRow> Dlg_GridRows();
